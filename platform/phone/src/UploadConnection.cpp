#include "UploadConnection.h"

#include "BodyHasher.h"

#include "phone/ExifTime.h"
#include "phone/PhoneReceiver.h"
#include "phone/Routes.h"

#include <QFile>
#include <QTcpSocket>
#include <QUrl>

#include <sys/ioctl.h>
#include <sys/socket.h>

namespace phone {
namespace {

// The socket buffers this much at most: a phone faster than the disk
// waits in its own send buffer, not in our memory.
constexpr qint64 kSocketBuffer = 1024 * 1024;
// A body's reader is woken when this much has come (or the rest of the
// body): fewer and larger reads than one for each segment.
constexpr qint64 kLowWater = 512 * 1024;
constexpr int kMaxNameLength = 120;
constexpr std::chrono::seconds kAnswerGrace(10);

// The phone's name for the file, for display only: percent-decoded, without
// control characters, shortened.
QString displayName(const QByteArray &sent)
{
    QString name = QUrl::fromPercentEncoding(sent);
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format; });
    name = name.trimmed();
    if (name.size() > kMaxNameLength)
        name = name.left(kMaxNameLength - 1) + QChar(0x2026);
    return name.isEmpty() ? QStringLiteral("Datei") : name;
}

void setLowWater(QTcpSocket &socket, qint64 bytes)
{
    const int value = int(qBound<qint64>(1, bytes, kLowWater));
    setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_RCVLOWAT, &value, sizeof value);
}

// Bytes the system has received for the socket and not handed on yet.
int waitingBytes(QTcpSocket &socket)
{
    int bytes = 0;
    return ioctl(int(socket.socketDescriptor()), FIONREAD, &bytes) == 0 ? bytes : 0;
}

QByteArray contentTypeOf(const QByteArray &asset)
{
    if (asset.endsWith(".css"))
        return "text/css; charset=utf-8";
    if (asset.endsWith(".js"))
        return "text/javascript; charset=utf-8";
    return "text/html; charset=utf-8";
}

} // namespace

UploadConnection::UploadConnection(QTcpSocket *socket, PhoneReceiver &receiver)
    : QObject(&receiver), m_socket(socket), m_receiver(receiver)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kSocketBuffer);
    ++m_receiver.m_connections;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UploadConnection::stalled);
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadConnection::readSome);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError || m_phase != Phase::Answered)
            deleteLater();
    });
    m_timer.start(m_receiver.options().headTimeout);
    readSome();
}

UploadConnection::~UploadConnection()
{
    dropPart();
    if (m_admitted)
        m_receiver.withdraw();
    --m_receiver.m_connections;
}

void UploadConnection::dropPart()
{
    if (m_part.isOpen() || m_part.exists())
        m_part.remove();
}

void UploadConnection::stalled()
{
    // A slow phone's bytes may wait below the low-water mark: it is slow,
    // not stalled, as long as some came since the last read.
    if (m_phase == Phase::Body && (m_socket->bytesAvailable() > 0 || waitingBytes(*m_socket) > 0)) {
        setLowWater(*m_socket, 1);
        m_timer.start(m_receiver.options().idleTimeout);
        return;
    }
    if (m_phase == Phase::Body && !m_name.isEmpty())
        Q_EMIT m_receiver.rejected(m_name, QStringLiteral("Die Übertragung ist stehen geblieben."));
    m_socket->abort();
    deleteLater();
}

void UploadConnection::readSome()
{
    while (m_socket->bytesAvailable() > 0) {
        if (m_phase == Phase::Head) {
            // No more than a head's worth: the body goes past the parser.
            char head[HttpHeadParser::kMaxHead];
            const qint64 got = m_socket->read(head, sizeof head);
            if (got <= 0)
                return;
            if (m_parser.feed(QByteArray(head, got)) == HttpHeadParser::State::NeedMore)
                continue;
            takeHead();
        } else if (m_phase == Phase::Body && !m_hash->mustWait()) {
            // All that is there, up to the body's end: the socket then hands
            // its buffered piece over as it is, mostly without copying it.
            QByteArray piece = m_socket->read(qMin(m_socket->bytesAvailable(), m_remaining));
            if (piece.isEmpty())
                return;
            setLowWater(*m_socket, m_remaining - piece.size());
            m_timer.start(m_receiver.options().idleTimeout);
            takeBody(std::move(piece));
        } else {
            return;
        }
    }
}

void UploadConnection::takeHead()
{
    if (m_parser.state() == HttpHeadParser::State::Refused) {
        answer(m_parser.refusal(), "text/plain; charset=utf-8", reasonOf(m_parser.refusal()));
        return;
    }
    const HttpHead &head = m_parser.head();
    const Route route = m_receiver.route(head);
    if (route.kind == Route::Asset) {
        serveAsset(route.asset);
        return;
    }
    if (route.kind == Route::Status) {
        answer(route.status, "text/plain; charset=utf-8", reasonOf(route.status), route.allow);
        return;
    }
    m_name = displayName(head.field("x-dateiname"));
    QString refusal;
    if (const int status = m_receiver.admit(head.contentLength, refusal); status != 0) {
        Q_EMIT m_receiver.rejected(m_name, refusal);
        answerText(status, refusal);
        return;
    }
    m_admitted = true;
    m_part.setFileName(m_receiver.partPath());
    if (!m_part.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
        answerText(500, QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden."));
        return;
    }
    m_hash = m_receiver.bodyHasher(this, [this] { readSome(); });
    m_phase = Phase::Body;
    m_remaining = head.contentLength;
    m_timer.start(m_receiver.options().idleTimeout);
    if (head.expectContinue)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    QByteArray rest = m_parser.rest().left(m_remaining);
    setLowWater(*m_socket, m_remaining - rest.size());
    if (!rest.isEmpty() || m_remaining == 0)
        takeBody(std::move(rest));
}

void UploadConnection::takeBody(QByteArray bytes)
{
    if (m_part.write(bytes.data(), bytes.size()) != bytes.size()) {
        dropPart();
        answerText(500, QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden."));
        return;
    }
    if (m_start.size() < kExifHeadBytes)
        m_start.append(bytes.first(qMin(bytes.size(), kExifHeadBytes - m_start.size())));
    m_remaining -= bytes.size();
    m_hash->add(std::move(bytes));
    if (m_remaining > 0)
        return;
    // The answer waits for the hash, which follows the last piece closely.
    m_phase = Phase::Hashing;
    m_hash->finish([this](const QString &sha256) { finishBody(sha256); });
}

void UploadConnection::finishBody(const QString &sha256)
{
    m_part.close();
    if (m_part.error() != QFileDevice::NoError) {
        dropPart();
        answerText(500, QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden."));
        return;
    }
    QString line;
    const int status = m_receiver.finish(m_part.fileName(), m_name, m_start, sha256, line);
    m_admitted = false;
    // Taken or refused, the part is no longer ours: what was taken has its own name now.
    m_part.setFileName(QString());
    answerText(status, line);
}

void UploadConnection::serveAsset(const QByteArray &asset)
{
    QFile file(QStringLiteral(":/phone/") + QString::fromLatin1(asset));
    if (!file.open(QIODevice::ReadOnly)) {
        answer(500, "text/plain; charset=utf-8", reasonOf(500));
        return;
    }
    answer(200, contentTypeOf(asset), file.readAll());
}

void UploadConnection::answer(int status, const QByteArray &type, const QByteArray &body, const QByteArray &allow)
{
    m_phase = Phase::Answered;
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonOf(status) + "\r\n";
    reply += "Content-Type: " + type + "\r\n";
    reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    if (!allow.isEmpty())
        reply += "Allow: " + allow + "\r\n";
    // The token is in the address: no page of ours hands it on, and nothing is kept.
    reply += "Cache-Control: no-store\r\n"
             "Referrer-Policy: no-referrer\r\n"
             "X-Content-Type-Options: nosniff\r\n"
             "X-Frame-Options: DENY\r\n"
             "Content-Security-Policy: default-src 'self'; img-src 'self' blob:; frame-ancestors 'none'\r\n"
             "Connection: close\r\n\r\n";
    m_socket->write(reply + body);
    m_socket->disconnectFromHost();
    // A phone that reads no answer is let go after a while.
    m_timer.start(kAnswerGrace);
}

} // namespace phone
