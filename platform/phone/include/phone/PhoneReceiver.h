#pragma once

#include "phone/AccessToken.h"
#include "phone/IncomingFile.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

class QTcpServer;
class QTemporaryDir;
class QThread;
class QTimer;

namespace phone {

class BodyHasher;
class UploadConnection;
struct Route;
struct HttpHead;

// The receiver's limits and clock; tests shorten them.
struct ReceiverOptions {
    qint64 maxFileBytes = 100LL * 1024 * 1024;
    int maxFiles = 200;
    std::chrono::milliseconds lifetime = std::chrono::minutes(15);
    // A request's head must be there this soon after connecting; a body may
    // pause this long between two pieces.
    std::chrono::milliseconds headTimeout = std::chrono::seconds(15);
    std::chrono::milliseconds idleTimeout = std::chrono::seconds(60);
    int maxConnections = 24;
    // Only 127.0.0.1 instead of every address of the workstation.
    bool loopbackOnly = false;
    // Monotonic time; the steady clock when not set.
    std::function<std::chrono::milliseconds()> clock;
};

// A small HTTP/1.1 server for files from a phone, knowing nothing of cases:
// it listens on a port of its range, answers only below the address of a
// fresh token (the page and the files' POST), streams each body into a
// private temporary folder while hashing it (on a thread of its own),
// takes only pictures and PDFs, and hands each file to its delivery.
// Everything is event-driven: a slow or stalled phone never holds the
// window, and each connection has its own time limits. Stopping (or
// destroying it) ends the token, drops every connection and, with the
// receiver, the files.
class PhoneReceiver : public QObject {
    Q_OBJECT
public:
    // The ports tried, in random order; the workstation's firewall must let
    // the phone reach them.
    static constexpr quint16 kFirstPort = 47900;
    static constexpr quint16 kPortCount = 100;

    // Decides on a file that arrived: "" takes it, else the German reason why not.
    using Delivery = std::function<QString(const IncomingFile &)>;

    explicit PhoneReceiver(ReceiverOptions options = {}, QObject *parent = nullptr);
    ~PhoneReceiver() override;

    // Makes the token and listens; false with errorString() when no port of
    // the range or no private folder can be had.
    bool start();
    void stop();
    bool listening() const;
    quint16 port() const;
    QString errorString() const { return m_error; }

    // The address the phone opens: on a network address of the workstation
    // (on loopback when it has none, or with loopbackOnly).
    QUrl address() const;
    QUrl loopbackAddress() const;

    void setDelivery(Delivery delivery) { m_delivery = std::move(delivery); }
    int filesReceived() const { return m_received; }
    int openConnections() const { return m_connections; }
    const ReceiverOptions &options() const { return m_options; }

Q_SIGNALS:
    // A file was received and checked; refusal is the delivery's answer ("" taken).
    void arrived(const phone::IncomingFile &file, const QString &refusal);
    // A file was refused before delivery (no picture or PDF, too large, too many).
    void rejected(const QString &originalName, const QString &reason);
    // The token's lifetime is over; the receiver has stopped.
    void expired();

private:
    friend class UploadConnection;
    std::chrono::milliseconds now() const;
    Route route(const HttpHead &head) const;
    // Whether one more file of that length may come; "" yes, else the answer's text.
    int admit(qint64 length, QString &text);
    // Folder and name for a body being received.
    QString partPath();
    // The hash of one body on the hashing thread; see BodyHasher.
    std::unique_ptr<BodyHasher> bodyHasher(QObject *owner, std::function<void()> resume);
    // Checks, names and delivers a complete body; the status and the page's line.
    int finish(const QString &part, const QString &originalName, const QByteArray &start, const QString &sha256,
               QString &text);
    void withdraw() { --m_inFlight; }
    void accept();

    ReceiverOptions m_options;
    std::unique_ptr<AccessToken> m_token;
    std::unique_ptr<QTemporaryDir> m_folder;
    QTcpServer *m_server = nullptr;
    QTimer *m_expiry = nullptr;
    QThread *m_hashing = nullptr;
    QObject *m_hasher = nullptr; // lives in m_hashing
    Delivery m_delivery;
    QString m_error;
    int m_received = 0;
    int m_inFlight = 0;
    int m_parts = 0;
    int m_connections = 0;
};

} // namespace phone
