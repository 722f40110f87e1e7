#pragma once

#include "phone/HttpHead.h"

#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>

class QTcpSocket;

namespace phone {

class BodyHasher;
class PhoneReceiver;

// One phone's connection: reads one request's head, answers it or streams
// its body into a file of the receiver's folder (hashed on the receiver's
// hashing thread meanwhile), answers once it is stored, and closes. Its
// timer ends a connection whose head or body stalls; it deletes itself when
// the connection ends, and with it what was received only in part.
class UploadConnection : public QObject {
    Q_OBJECT
public:
    // Takes the socket over.
    UploadConnection(QTcpSocket *socket, PhoneReceiver &receiver);
    ~UploadConnection() override;

private:
    enum class Phase { Head, Body, Hashing, Answered };

    void readSome();
    void takeHead();
    void takeBody(QByteArray bytes);
    void finishBody(const QString &sha256);
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
    std::unique_ptr<BodyHasher> m_hash;
    QByteArray m_start; // the body's first bytes, for the photo's time
    qint64 m_remaining = 0;
    QString m_name;
    bool m_admitted = false;
};

} // namespace phone
