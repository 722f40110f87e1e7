#include "UploadConnection.h"

#include "phone/ExifTime.h"
#include "phone/PhoneReceiver.h"
#include "phone/Routes.h"

#include <QFile>
#include <QTcpSocket>
#include <QUrl>

namespace phone {
namespace {

// Read in pieces of this size at most, and buffered no further: a phone
// faster than the disk waits in its own send buffer, not in our memory.
constexpr qint64 kPiece = 1024 * 1024;
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
    m_socket->setReadBufferSize(kPiece);
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
    if (m_phase == Phase::Body && !m_name.isEmpty())
        Q_EMIT m_receiver.rejected(m_name, QStringLiteral("Die Übertragung ist stehen geblieben."));
    m_socket->abort();
    deleteLater();
}

void UploadConnection::readSome()
{
    // One buffer for the connection's reads: a body of many megabytes
    // passes through it piece by piece without an allocation for each.
    if (m_piece.isEmpty())
        m_piece.resize(kPiece);
    while (m_phase != Phase::Answered && m_socket->bytesAvailable() > 0) {
        const qint64 wanted = m_phase == Phase::Body ? qMin(kPiece, m_remaining) : kPiece;
        const qint64 got = m_socket->read(m_piece.data(), wanted);
        if (got <= 0)
            return;
        const QByteArrayView bytes(m_piece.constData(), got);
        if (m_phase == Phase::Head) {
            if (m_parser.feed(bytes.toByteArray()) == HttpHeadParser::State::NeedMore)
                continue;
            takeHead();
        } else {
            m_timer.start(m_receiver.options().idleTimeout);
            takeBody(bytes);
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
    m_phase = Phase::Body;
    m_remaining = head.contentLength;
    m_timer.start(m_receiver.options().idleTimeout);
    if (head.expectContinue)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    const QByteArray rest = m_parser.rest().left(m_remaining);
    if (!rest.isEmpty() || m_remaining == 0)
        takeBody(rest);
}

void UploadConnection::takeBody(QByteArrayView bytes)
{
    if (m_part.write(bytes.data(), bytes.size()) != bytes.size()) {
        dropPart();
        answerText(500, QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden."));
        return;
    }
    m_hash.add(bytes);
    if (m_start.size() < kExifHeadBytes)
        m_start.append(bytes.first(qMin(bytes.size(), kExifHeadBytes - m_start.size())));
    m_remaining -= bytes.size();
    if (m_remaining == 0)
        finishBody();
}

void UploadConnection::finishBody()
{
    m_part.close();
    if (m_part.error() != QFileDevice::NoError) {
        dropPart();
        answerText(500, QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden."));
        return;
    }
    QString line;
    const int status = m_receiver.finish(m_part.fileName(), m_name, m_start, m_hash.hex(), line);
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
