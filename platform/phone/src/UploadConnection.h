#pragma once

#include "phone/HttpHead.h"

#include "Sha256.h"

#include <QFile>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace phone {

class PhoneReceiver;

// One phone's connection: reads one request's head, answers it or streams
// its body into a file of the receiver's folder, answers, and closes. Its
// timer ends a connection whose head or body stalls; it deletes itself when
// the connection ends, and with it what was received only in part.
class UploadConnection : public QObject {
    Q_OBJECT
public:
    // Takes the socket over.
    UploadConnection(QTcpSocket *socket, PhoneReceiver &receiver);
    ~UploadConnection() override;

private:
    enum class Phase { Head, Body, Answered };

    void readSome();
    void takeHead();
    void takeBody(QByteArrayView bytes);
    void finishBody();
    void answer(int status, const QByteArray &type, const QByteArray &body, const QByteArray &allow = {});
    void answerText(int status, const QString &line) { answer(status, "text/plain; charset=utf-8", line.toUtf8()); }
    void serveAsset(const QByteArray &asset);
    void dropPart();
    void stalled();

    QTcpSocket *m_socket;
    PhoneReceiver &m_receiver;
    HttpHeadParser m_parser;
    Phase m_phase = Phase::Head;
    QTimer m_timer;
    QFile m_part;
    Sha256 m_hash;
    QByteArray m_piece; // what was last read
    QByteArray m_start; // the body's first bytes, for the photo's time
    qint64 m_remaining = 0;
    QString m_name;
    bool m_admitted = false;
};

} // namespace phone
