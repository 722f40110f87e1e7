// Twenty 12 MP photos (4000 x 3000 JPEG, about 4 MB each) sent by curl over
// loopback, one after another on one curl run as the page sends them:
// into the phone receiver until each is stored, checked, hashed and
// delivered, against the same curl run into a plain loopback receiver that
// only writes each body to a file. Prints both times and their ratio.

#include "BestOf.h"
#include "CarPhoto.h"

#include "phone/PhoneReceiver.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kPhotos = 20;

// Reads a head, writes Content-Length bytes of body to a new file, answers 201.
class PlainReceiver : public QObject {
public:
    explicit PlainReceiver(const QString &folder) : m_folder(folder)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                take(socket);
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void take(QTcpSocket *socket)
    {
        auto head = std::make_shared<QByteArray>();
        auto file = std::make_shared<QFile>(m_folder + QStringLiteral("/%1.jpg").arg(++m_count));
        auto remaining = std::make_shared<qint64>(-1);
        connect(socket, &QTcpSocket::readyRead, socket, [=] {
            if (*remaining < 0) {
                head->append(socket->readAll());
                const qsizetype end = head->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const qsizetype at = head->toLower().indexOf("content-length:");
                *remaining = head->mid(at + 15, head->indexOf('\r', at) - at - 15).trimmed().toLongLong();
                file->open(QIODevice::WriteOnly);
                const QByteArray body = head->mid(end + 4);
                file->write(body);
                *remaining -= body.size();
            } else {
                const QByteArray body = socket->readAll();
                file->write(body);
                *remaining -= body.size();
            }
            if (*remaining == 0) {
                file->close();
                socket->write("HTTP/1.1 201 Created\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer m_server;
    QString m_folder;
    int m_count = 0;
};

// One curl run posting every photo in turn to url (a receiver's upload address).
QStringList curlArguments(const QStringList &photos, const QString &url)
{
    QStringList arguments;
    for (const QString &photo : photos) {
        if (!arguments.isEmpty())
            arguments << QStringLiteral("--next");
        arguments << QStringLiteral("-s") << QStringLiteral("-o") << QStringLiteral("/dev/null")
                  << QStringLiteral("-H") << QStringLiteral("Expect:") << QStringLiteral("-H")
                  << QStringLiteral("X-Dateiname: ") + QFileInfo(photo).fileName()
                  << QStringLiteral("--data-binary") << QLatin1Char('@') + photo << url;
    }
    return arguments;
}

// Runs curl and the event loop until curl has ended and done() holds. The
// loop sleeps until the next event: processEvents with a time limit never
// waits, and its spinning took a processor from the receivers and curl.
void runCurl(const QStringList &arguments, const std::function<bool()> &done)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    QEventLoop loop;
    while (curl.state() != QProcess::NotRunning || !done()) {
        if (curl.state() == QProcess::NotRunning && curl.exitCode() != 0)
            break;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (curl.exitCode() != 0)
        qFatal("curl failed: %d", curl.exitCode());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("Making %d photos of 12 MP ...\n", kPhotos);
    const QImage base = carPhoto(4000, 3000);
    QStringList photos;
    qint64 bytes = 0;
    for (int i = 0; i < kPhotos; ++i) {
        QImage photo = base;
        QPainter(&photo).fillRect(100 + 40 * i, 100, 30, 30, Qt::yellow);
        QImageWriter writer(dir.filePath(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QChar(u'0'))), "jpg");
        writer.setQuality(95);
        if (!writer.write(photo))
            qFatal("cannot write a photo");
        photos << writer.fileName();
        bytes += QFileInfo(writer.fileName()).size();
    }
    std::printf("%d photos, %.1f MB on average\n", kPhotos, bytes / double(kPhotos) / 1e6);

    int round = 0;
    const auto ours = [&] {
        phone::ReceiverOptions options;
        options.loopbackOnly = true;
        phone::PhoneReceiver receiver(options);
        int taken = 0;
        receiver.setDelivery([&taken](const phone::IncomingFile &) {
            ++taken;
            return QString();
        });
        if (!receiver.start())
            qFatal("%s", qPrintable(receiver.errorString()));
        runCurl(curlArguments(photos, receiver.loopbackAddress().toString() + QStringLiteral("datei")),
                [&taken] { return taken == kPhotos; });
    };
    const auto plain = [&] {
        const QString folder = dir.filePath(QStringLiteral("plain%1").arg(++round));
        QDir().mkpath(folder);
        PlainReceiver receiver(folder);
        runCurl(curlArguments(photos, QStringLiteral("http://127.0.0.1:%1/datei").arg(receiver.port())),
                [] { return true; });
        QDir(folder).removeRecursively();
    };
    const std::vector<double> best = bestOfEach(5, {ours, plain});
    std::printf("phone receiver: %8.1f ms\n", best[0]);
    std::printf("plain receiver: %8.1f ms (curl to a loopback receiver writing files)\n", best[1]);
    std::printf("ratio:          %8.2f (at most 1.5)\n", best[0] / best[1]);
    return best[0] / best[1] <= 1.5 ? 0 : 1;
}
