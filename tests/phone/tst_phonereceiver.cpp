#include "PhoneFiles.h"

#include "phone/PhoneDialog.h"
#include "phone/PhoneReceiver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace phone;
using phonefiles::RawClient;
using namespace std::chrono_literals;

namespace {
ReceiverOptions loopback()
{
    ReceiverOptions options;
    options.loopbackOnly = true;
    return options;
}
} // namespace

class TestPhoneReceiver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void onlyTheLivingTokensPathsAnswer_data();
    void onlyTheLivingTokensPathsAnswer();
    void theTokenDiesAfterItsLifetime();
    void filesAreCheckedNamedByUsAndDelivered_data();
    void filesAreCheckedNamedByUsAndDelivered();
    void limitsOfSizeAndCountAreKept();
    void largeAndSlowBodiesArriveWhole();
    void aStalledPhoneHoldsNoOtherAndIsLetGo();
    void theDialogListensOnlyWhileItIsOpen();

private:
    // A request on a fresh connection, its answer waited for.
    static std::unique_ptr<RawClient> exchange(quint16 port, const QByteArray &request)
    {
        auto client = std::make_unique<RawClient>(port);
        client->send(request);
        if (!QTest::qWaitFor([&client] { return client->ended; }, 10000))
            qFatal("no answer");
        return client;
    }
    static QByteArray get(const QByteArray &target)
    {
        return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }

    QTemporaryDir m_temp;
};

void TestPhoneReceiver::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TMPDIR", m_temp.path().toLocal8Bit());
}

void TestPhoneReceiver::onlyTheLivingTokensPathsAnswer_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path"); // "<t>" stands for the token
    QTest::addColumn<int>("status");

    QTest::newRow("page") << QByteArray("GET") << QByteArray("/<t>/") << 200;
    QTest::newRow("style") << QByteArray("GET") << QByteArray("/<t>/seite.css") << 200;
    QTest::newRow("script") << QByteArray("GET") << QByteArray("/<t>/seite.js") << 200;
    QTest::newRow("root") << QByteArray("GET") << QByteArray("/") << 404;
    QTest::newRow("without slash") << QByteArray("GET") << QByteArray("/<t>") << 404;
    QTest::newRow("wrong token") << QByteArray("GET") << QByteArray("/0123456789abcdef0123456789abcdef/") << 404;
    QTest::newRow("token's prefix") << QByteArray("GET") << QByteArray("/<t>x/") << 404;
    QTest::newRow("resource file") << QByteArray("GET") << QByteArray("/<t>/seite.html") << 404;
    QTest::newRow("climbing out") << QByteArray("GET") << QByteArray("/<t>/../") << 404;
    QTest::newRow("query") << QByteArray("GET") << QByteArray("/<t>/?liste") << 404;
    QTest::newRow("files by GET") << QByteArray("GET") << QByteArray("/<t>/datei") << 405;
    QTest::newRow("page by POST") << QByteArray("POST") << QByteArray("/<t>/") << 405;
    QTest::newRow("HEAD") << QByteArray("HEAD") << QByteArray("/<t>/") << 405;
    QTest::newRow("PUT file") << QByteArray("PUT") << QByteArray("/<t>/datei") << 405;
    QTest::newRow("DELETE elsewhere") << QByteArray("DELETE") << QByteArray("/x") << 404;
}

void TestPhoneReceiver::onlyTheLivingTokensPathsAnswer()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    ReceiverOptions options;
    options.loopbackOnly = true;
    PhoneReceiver receiver(options);
    QVERIFY2(receiver.start(), qPrintable(receiver.errorString()));
    QVERIFY(receiver.port() >= PhoneReceiver::kFirstPort && receiver.port() < PhoneReceiver::kFirstPort + PhoneReceiver::kPortCount);
    const QByteArray token = receiver.loopbackAddress().path().toLatin1().mid(1, 32);
    QCOMPARE(token.size(), 32);
    path.replace("<t>", token);
    const QByteArray length = method == "POST" || method == "PUT" ? "Content-Length: 0\r\n" : "";
    auto client = exchange(receiver.port(), method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + length + "\r\n");
    QCOMPARE(client->status(), status);
    if (status == 200) {
        QCOMPARE(client->field("Referrer-Policy"), QByteArray("no-referrer"));
        QVERIFY(client->field("Content-Security-Policy").contains("default-src 'self'"));
    } else {
        // Nothing is listed, nothing tells of the token.
        QVERIFY2(!client->body().contains(QLatin1String(token)), qPrintable(client->body()));
        QVERIFY(client->body().size() < 40);
    }
    if (status == 405)
        QVERIFY(!client->field("Allow").isEmpty());
    // Two tokens are never alike.
    PhoneReceiver other(options);
    QVERIFY(other.start());
    QVERIFY(other.loopbackAddress().path() != receiver.loopbackAddress().path());
}

void TestPhoneReceiver::theTokenDiesAfterItsLifetime()
{
    std::chrono::milliseconds now = 1000h;
    ReceiverOptions options;
    options.loopbackOnly = true;
    options.clock = [&now] { return now; };
    PhoneReceiver receiver(options);
    QVERIFY(receiver.start());
    const QByteArray page = receiver.loopbackAddress().path().toLatin1();
    const QByteArray photo = phonefiles::jpeg(phonefiles::photo(20, 20, Qt::red));
    now += 15min - 1ms;
    QCOMPARE(exchange(receiver.port(), get(page))->status(), 200);
    now += 1ms;
    QCOMPARE(exchange(receiver.port(), get(page))->status(), 404);
    QCOMPARE(exchange(receiver.port(), phonefiles::upload(page, "a.jpg", photo))->status(), 404);
    QCOMPARE(receiver.filesReceived(), 0);

    // The timer of the lifetime stops the receiver and tells.
    ReceiverOptions brief;
    brief.loopbackOnly = true;
    brief.lifetime = 50ms;
    PhoneReceiver shortLived(brief);
    QSignalSpy expired(&shortLived, &PhoneReceiver::expired);
    QVERIFY(shortLived.start());
    QVERIFY(expired.wait(5000));
    QVERIFY(!shortLived.listening());
}

void TestPhoneReceiver::filesAreCheckedNamedByUsAndDelivered_data()
{
    QTest::addColumn<QByteArray>("sentName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<QString>("kind");

    const QByteArray photo = phonefiles::photoTakenAt(phonefiles::photo(64, 48, Qt::red), "2026:12:08 09:15:00");
    QTest::newRow("photo") << QByteArray("IMG_0001.jpg") << photo << 201 << QStringLiteral("IMG_0001.jpg") << QStringLiteral("JPEG");
    QTest::newRow("PDF") << QByteArray("Kostenvoranschlag%20KVA.pdf") << phonefiles::pdf(2) << 201
                         << QStringLiteral("Kostenvoranschlag KVA.pdf") << QStringLiteral("PDF");
    QTest::newRow("umlauts") << QByteArray("Sch%C3%A4den.jpg") << photo << 201 << QStringLiteral("Schäden.jpg") << QStringLiteral("JPEG");
    QTest::newRow("climbing name") << QByteArray("..%2F..%2F..%2Fetc%2Fpasswd") << photo << 201
                                   << QStringLiteral("../../../etc/passwd") << QStringLiteral("JPEG");
    QTest::newRow("absolute name") << QByteArray("%2Ftmp%2Fx.sh") << photo << 201 << QStringLiteral("/tmp/x.sh") << QStringLiteral("JPEG");
    QTest::newRow("control characters") << QByteArray("a%00b%0Ac%1B.jpg") << photo << 201 << QStringLiteral("abc.jpg") << QStringLiteral("JPEG");
    QTest::newRow("no name") << QByteArray() << photo << 201 << QStringLiteral("Datei") << QStringLiteral("JPEG");
    QTest::newRow("long name") << QByteArray(500, 'n') << photo << 201 << QString(119, u'n') + QChar(0x2026) << QStringLiteral("JPEG");
    QTest::newRow("text named .jpg") << QByteArray("bild.jpg") << QByteArray("kein Bild\n") << 415 << QStringLiteral("bild.jpg") << QString();
    QTest::newRow("photo cut short") << QByteArray("halb.jpg") << photo.left(photo.size() - 40) << 415 << QStringLiteral("halb.jpg") << QString();
    QTest::newRow("empty") << QByteArray("leer.jpg") << QByteArray() << 415 << QStringLiteral("leer.jpg") << QString();
}

void TestPhoneReceiver::filesAreCheckedNamedByUsAndDelivered()
{
    QFETCH(QByteArray, sentName);
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, shownName);
    QFETCH(QString, kind);
    ReceiverOptions options;
    options.loopbackOnly = true;
    PhoneReceiver receiver(options);
    QList<IncomingFile> delivered;
    receiver.setDelivery([&delivered](const IncomingFile &file) {
        delivered.append(file);
        return QString();
    });
    QSignalSpy rejected(&receiver, &PhoneReceiver::rejected);
    QVERIFY(receiver.start());
    auto client = exchange(receiver.port(), phonefiles::upload(receiver.loopbackAddress().path().toLatin1(), sentName, bytes));
    QCOMPARE(client->status(), status);
    if (status != 201) {
        QVERIFY(delivered.isEmpty());
        QCOMPARE(rejected.size(), 1);
        QCOMPARE(rejected.first().at(0).toString(), shownName);
        QVERIFY2(client->body().contains(QStringLiteral("weder ein Bild noch ein PDF")), qPrintable(client->body()));
        return;
    }
    QCOMPARE(delivered.size(), 1);
    const IncomingFile &file = delivered.first();
    QCOMPARE(file.originalName, shownName);
    QCOMPARE(file.kind, kind);
    QCOMPARE(file.sha256, QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(file.size, bytes.size());
    // Our name in our folder, whatever the phone called it.
    QVERIFY2(QFileInfo(file.path).fileName().startsWith(QLatin1String("Handy-001.")), qPrintable(file.path));
    QVERIFY(QFileInfo(file.path).canonicalPath().startsWith(QDir(m_temp.path()).canonicalPath()));
    QFile stored(file.path);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), bytes);
    QCOMPARE(file.exifTime.has_value(), kind == QLatin1String("JPEG"));
    if (file.exifTime)
        QCOMPARE(*file.exifTime, QDateTime(QDate(2026, 12, 8), QTime(9, 15)));
    QVERIFY(client->body().contains(QStringLiteral("angekommen")));
}

void TestPhoneReceiver::limitsOfSizeAndCountAreKept()
{
    ReceiverOptions options;
    options.loopbackOnly = true;
    options.maxFileBytes = 4000;
    options.maxFiles = 2;
    PhoneReceiver receiver(options);
    // The delivery may refuse, with its reason on the page.
    int offered = 0;
    receiver.setDelivery([&offered](const IncomingFile &) {
        return ++offered == 2 ? QStringLiteral("Der Vorgang ist abgeschlossen.") : QString();
    });
    QVERIFY(receiver.start());
    const QByteArray page = receiver.loopbackAddress().path().toLatin1();
    const QByteArray small = phonefiles::jpeg(phonefiles::photo(16, 16, Qt::green));
    QVERIFY(small.size() < 4000);

    // A length beyond the limit is answered before any of the body is read.
    auto large = exchange(receiver.port(), "POST " + page + "datei HTTP/1.1\r\nHost: h\r\nContent-Length: 4001\r\n\r\n");
    QCOMPARE(large->status(), 413);
    QVERIFY(large->body().contains(QStringLiteral("größer als")));
    QCOMPARE(exchange(receiver.port(), phonefiles::upload(page, "1.jpg", small))->status(), 201);
    auto refused = exchange(receiver.port(), phonefiles::upload(page, "2.jpg", small));
    QCOMPARE(refused->status(), 422);
    QCOMPARE(refused->body(), QStringLiteral("Der Vorgang ist abgeschlossen."));
    auto third = exchange(receiver.port(), phonefiles::upload(page, "3.jpg", small));
    QCOMPARE(third->status(), 429);
    QVERIFY(third->body().contains(QStringLiteral("2 Dateien")));
    QCOMPARE(receiver.filesReceived(), 2);

    // Expect: 100-continue is answered before the body is sent.
    PhoneReceiver patient(loopback());
    QVERIFY(patient.start());
    RawClient client(patient.port());
    client.send("POST " + patient.loopbackAddress().path().toLatin1() + "datei HTTP/1.1\r\nHost: h\r\nExpect: 100-continue\r\n"
                "Content-Length: " + QByteArray::number(small.size()) + "\r\n\r\n");
    QTRY_VERIFY(client.reply.startsWith("HTTP/1.1 100 Continue\r\n\r\n"));
    client.send(small);
    QTRY_VERIFY(client.ended);
    QCOMPARE(client.status(), 201);
}

void TestPhoneReceiver::largeAndSlowBodiesArriveWhole()
{
    ReceiverOptions options = loopback();
    options.idleTimeout = 1s;
    PhoneReceiver receiver(options);
    QList<IncomingFile> delivered;
    receiver.setDelivery([&delivered](const IncomingFile &file) {
        delivered.append(file);
        return QString();
    });
    QVERIFY(receiver.start());
    const QByteArray page = receiver.loopbackAddress().path().toLatin1();

    // A photo with megabytes after its end, as a motion photo carries its
    // video: many pieces, more than the hashing may lag behind.
    QByteArray large = phonefiles::jpeg(phonefiles::photo(64, 48, Qt::red));
    QByteArray video(3 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(28).fillRange(reinterpret_cast<quint32 *>(video.data()), video.size() / 4);
    large += video;
    QCOMPARE(exchange(receiver.port(), phonefiles::upload(page, "gross.jpg", large))->status(), 201);

    // A phone sending in small bits, slower than a read each idle time
    // would need, but never pausing that long: slow, not stalled.
    const QByteArray small = phonefiles::jpeg(phonefiles::photo(64, 48, Qt::blue));
    const QByteArray request = phonefiles::upload(page, "langsam.jpg", small);
    RawClient slow(receiver.port());
    const qsizetype bit = request.size() / 12 + 1;
    for (qsizetype at = 0; at < request.size(); at += bit) {
        slow.send(request.mid(at, bit));
        QTest::qWait(200);
        QVERIFY(!slow.ended || at + bit >= request.size());
    }
    QTRY_VERIFY(slow.ended);
    QCOMPARE(slow.status(), 201);

    QCOMPARE(delivered.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QByteArray &sent = i == 0 ? large : small;
        QCOMPARE(delivered[i].sha256, QString::fromLatin1(QCryptographicHash::hash(sent, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(RawClient::readFile(delivered[i].path), sent);
    }
}

void TestPhoneReceiver::aStalledPhoneHoldsNoOtherAndIsLetGo()
{
    ReceiverOptions options;
    options.loopbackOnly = true;
    options.idleTimeout = 3s;
    options.headTimeout = 3s;
    PhoneReceiver receiver(options);
    QSignalSpy rejected(&receiver, &PhoneReceiver::rejected);
    QVERIFY(receiver.start());
    const QByteArray page = receiver.loopbackAddress().path().toLatin1();
    const QByteArray photo = phonefiles::jpeg(phonefiles::photo(800, 600, Qt::darkRed), 100);

    // One phone stops halfway through its photo, another never finishes its head.
    const QByteArray request = phonefiles::upload(page, "stockt.jpg", photo);
    RawClient stalled(receiver.port());
    stalled.send(request.left(request.size() / 2));
    RawClient silent(receiver.port());
    silent.send("GET " + page);
    QTRY_COMPARE(receiver.openConnections(), 2);

    // Meanwhile a third sends its whole photo and is answered at once.
    auto through = exchange(receiver.port(), phonefiles::upload(page, "ok.jpg", photo));
    QCOMPARE(through->status(), 201);
    QVERIFY(!stalled.ended && !silent.ended);

    // Both are let go after their time, and the half photo is gone.
    QTRY_VERIFY_WITH_TIMEOUT(stalled.ended && silent.ended, 15000);
    QCOMPARE(receiver.openConnections(), 0);
    QCOMPARE(receiver.filesReceived(), 1);
    QCOMPARE(rejected.size(), 1);
    QDirIterator parts(m_temp.path(), {QStringLiteral("*.part")}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY(!parts.hasNext());
}

void TestPhoneReceiver::theDialogListensOnlyWhileItIsOpen()
{
    auto dialog = std::make_unique<PhoneDialog>(QStringLiteral("Für Bild 1"), loopback());
    QVERIFY(!dialog->receiver().listening());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QVERIFY(dialog->receiver().listening());
    const quint16 port = dialog->receiver().port();
    const QString address = dialog->findChild<QLabel *>(QStringLiteral("txtAdresse"))->text();
    QCOMPARE(address, dialog->receiver().address().toString());
    QVERIFY(!dialog->findChild<QLabel *>(QStringLiteral("imgQrCode"))->pixmap().isNull());

    QSignalSpy taken(dialog.get(), &PhoneDialog::taken);
    const QByteArray page = dialog->receiver().loopbackAddress().path().toLatin1();
    QCOMPARE(exchange(port, phonefiles::upload(page, "IMG_7.jpg", phonefiles::photoTakenAt(phonefiles::photo(30, 20, Qt::red),
                                                                                           "2026:12:08 09:15:00")))->status(), 201);
    QCOMPARE(exchange(port, phonefiles::upload(page, "notiz.txt", "Text"))->status(), 415);
    QCOMPARE(taken.size(), 1);
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstEingang"));
    QCOMPARE(list->count(), 2);
    QVERIFY2(list->item(0)->text().startsWith(QStringLiteral("IMG_7.jpg – JPEG")), qPrintable(list->item(0)->text()));
    QVERIFY(list->item(0)->text().contains(QStringLiteral("aufgenommen 08.12.2026 09:15")));
    QVERIFY(list->item(0)->toolTip().startsWith(QStringLiteral("SHA-256: ")));
    QVERIFY(list->item(1)->text().contains(QStringLiteral("weder ein Bild noch ein PDF")));

    // Closed, the address answers no more; the files went with it.
    const QString file = taken.first().first().value<IncomingFile>().path;
    QVERIFY(QFile::exists(file));
    dialog->reject();
    QVERIFY(!dialog->receiver().listening());
    auto after = exchange(port, get(page));
    QCOMPARE(after->status(), 0);
    dialog.reset();
    QVERIFY(!QFile::exists(file));
}

QTEST_MAIN(TestPhoneReceiver)
#include "tst_phonereceiver.moc"
