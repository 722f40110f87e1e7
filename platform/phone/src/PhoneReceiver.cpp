#include "phone/PhoneReceiver.h"

#include "phone/ExifTime.h"
#include "phone/FileKind.h"
#include "phone/Routes.h"

#include "BodyHasher.h"
#include "UploadConnection.h"

#include "core/PrivateTempFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <numeric>
#include <vector>

namespace phone {
namespace {

// A network address of the workstation a phone in the same network can
// reach: IPv4, up, not loopback or link-local.
QHostAddress workstationAddress()
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() && !address.isLinkLocal())
                return address;
        }
    }
    return QHostAddress(QHostAddress::LocalHost);
}

} // namespace

PhoneReceiver::PhoneReceiver(ReceiverOptions options, QObject *parent) : QObject(parent), m_options(std::move(options))
{
    if (!m_options.clock)
        m_options.clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    qRegisterMetaType<phone::IncomingFile>();
}

PhoneReceiver::~PhoneReceiver()
{
    stop();
}

std::chrono::milliseconds PhoneReceiver::now() const
{
    return m_options.clock();
}

bool PhoneReceiver::start()
{
    if (listening())
        return true;
    const QString parent = core::PrivateTempFolders::ofSystemTemp();
    if (parent.isEmpty()) {
        m_error = QStringLiteral("Für die Dateien vom Handy ist kein privater temporärer Ordner anzulegen.");
        return false;
    }
    m_folder = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/Handy-XXXXXX"));
    if (!m_folder->isValid()) {
        m_error = QStringLiteral("Für die Dateien vom Handy ist kein privater temporärer Ordner anzulegen.");
        return false;
    }
    m_server = new QTcpServer(this);
    m_server->setMaxPendingConnections(m_options.maxConnections);
    std::vector<int> ports(kPortCount);
    std::iota(ports.begin(), ports.end(), int(kFirstPort));
    std::shuffle(ports.begin(), ports.end(), *QRandomGenerator::system());
    const QHostAddress where(m_options.loopbackOnly ? QHostAddress::LocalHost : QHostAddress::Any);
    const auto free = std::find_if(ports.begin(), ports.end(), [&](int port) { return m_server->listen(where, quint16(port)); });
    if (free == ports.end()) {
        m_error = QStringLiteral("Keiner der Ports %1 bis %2 ist frei.").arg(kFirstPort).arg(kFirstPort + kPortCount - 1);
        delete m_server;
        m_server = nullptr;
        return false;
    }
    m_token = std::make_unique<AccessToken>(now(), m_options.lifetime);
    connect(m_server, &QTcpServer::newConnection, this, &PhoneReceiver::accept);
    m_expiry = new QTimer(this);
    m_expiry->setSingleShot(true);
    connect(m_expiry, &QTimer::timeout, this, [this] {
        stop();
        Q_EMIT expired();
    });
    m_expiry->start(m_options.lifetime);
    m_hashing = new QThread(this);
    m_hasher = new QObject;
    m_hasher->moveToThread(m_hashing);
    connect(m_hashing, &QThread::finished, m_hasher, &QObject::deleteLater);
    m_hashing->start();
    return true;
}

void PhoneReceiver::stop()
{
    if (m_token)
        m_token->revoke();
    delete m_expiry;
    m_expiry = nullptr;
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    // Every connection goes, and with it what it received only in part.
    for (UploadConnection *connection : findChildren<UploadConnection *>(Qt::FindDirectChildrenOnly))
        delete connection;
    // Their pieces still waiting there are let go as the thread ends.
    if (m_hashing) {
        m_hashing->quit();
        m_hashing->wait();
        delete m_hashing;
        m_hashing = nullptr;
        m_hasher = nullptr;
    }
}

bool PhoneReceiver::listening() const
{
    return m_server && m_server->isListening();
}

quint16 PhoneReceiver::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QUrl PhoneReceiver::address() const
{
    if (!m_token)
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost((m_options.loopbackOnly ? QHostAddress(QHostAddress::LocalHost) : workstationAddress()).toString());
    url.setPort(port());
    url.setPath(QString::fromLatin1(m_token->path()));
    return url;
}

QUrl PhoneReceiver::loopbackAddress() const
{
    QUrl url = address();
    if (!url.isEmpty())
        url.setHost(QStringLiteral("127.0.0.1"));
    return url;
}

void PhoneReceiver::accept()
{
    while (QTcpSocket *socket = m_server ? m_server->nextPendingConnection() : nullptr) {
        if (m_connections >= m_options.maxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new UploadConnection(socket, *this);
    }
}

Route PhoneReceiver::route(const HttpHead &head) const
{
    if (!m_token)
        return {};
    return routeOf(head, *m_token, now());
}

int PhoneReceiver::admit(qint64 length, QString &text)
{
    if (length > m_options.maxFileBytes) {
        text = QStringLiteral("Die Datei ist größer als %1 MB und wurde nicht übernommen.")
                   .arg(m_options.maxFileBytes / (1024 * 1024));
        return 413;
    }
    if (m_received + m_inFlight >= m_options.maxFiles) {
        text = QStringLiteral("Es wurden schon %1 Dateien gesendet; mehr nimmt dieses Fenster nicht an.")
                   .arg(m_options.maxFiles);
        return 429;
    }
    ++m_inFlight;
    return 0;
}

QString PhoneReceiver::partPath()
{
    return m_folder->filePath(QStringLiteral("Eingang-%1.part").arg(++m_parts));
}

std::unique_ptr<BodyHasher> PhoneReceiver::bodyHasher(QObject *owner, std::function<void()> resume)
{
    return std::make_unique<BodyHasher>(m_hasher, this, owner, std::move(resume));
}

int PhoneReceiver::finish(const QString &part, const QString &originalName, const QByteArray &start,
                          const QString &sha256, QString &text)
{
    --m_inFlight;
    const FileKind kind = sniffFile(part);
    if (kind == FileKind::None) {
        QFile::remove(part);
        text = QStringLiteral("„%1“ ist weder ein Bild noch ein PDF und wurde nicht übernommen.").arg(originalName);
        Q_EMIT rejected(originalName, text);
        return 415;
    }
    IncomingFile file;
    file.path = m_folder->filePath(QStringLiteral("Handy-%1.%2").arg(m_received + 1, 3, 10, QChar(u'0')).arg(extensionOf(kind)));
    if (!QFile::rename(part, file.path)) {
        QFile::remove(part);
        text = QStringLiteral("Die Datei kann auf dem Arbeitsplatz nicht gespeichert werden.");
        return 500;
    }
    ++m_received;
    file.originalName = originalName;
    file.sha256 = sha256;
    file.kind = nameOf(kind);
    file.size = QFileInfo(file.path).size();
    if (kind == FileKind::Jpeg)
        file.exifTime = exifTime(start);
    const QString refusal = m_delivery ? m_delivery(file) : QString();
    Q_EMIT arrived(file, refusal);
    if (!refusal.isEmpty()) {
        text = refusal;
        return 422;
    }
    text = QStringLiteral("„%1“ ist angekommen.").arg(originalName);
    return 201;
}

} // namespace phone
