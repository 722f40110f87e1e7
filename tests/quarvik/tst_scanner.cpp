#include "quarvik/PictureImport.h"
#include "quarvik/ScanProgress.h"
#include "quarvik/ScannerAcquisition.h"
#include "quarvik/ScannerDevices.h"
#include "quarvik/ScannerProcesses.h"

#include "core/MessageService.h"
#include "core/PrivateTempFolders.h"
#include "core/UserSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QInputDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace quarvik;

// Scans from SANE's "test" backend only: SANE_CONFIG_DIR points at a folder
// of our own whose dll.conf names nothing else, so no real scanner is asked.
class TestScanner : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_sane;
    QString m_temp;

    void configureSane(const QByteArray &backends, const QByteArray &testConf)
    {
        QFile dll(m_sane + QStringLiteral("/dll.conf"));
        QVERIFY(dll.open(QIODevice::WriteOnly | QIODevice::Truncate));
        dll.write(backends);
        QFile test(m_sane + QStringLiteral("/test.conf"));
        QVERIFY(test.open(QIODevice::WriteOnly | QIODevice::Truncate));
        test.write(testConf);
    }

    static QByteArray testConf(int devices, bool slow = false)
    {
        QByteArray conf = "number_of_devices " + QByteArray::number(devices)
            + "\nmode Color\ntest-picture \"Color pattern\"\n";
        if (slow) // about twenty seconds for the page, read after read
            conf += "resolution 300\nread-delay true\nread-delay-duration 500000\n";
        else
            conf += "resolution 50\n";
        return conf;
    }

    // Scans go into the program's private folder, never beside it into the shared one.
    QStringList scansLeft() const
    {
        const QStringList pattern = {QStringLiteral("Scan-*")};
        return QDir(m_temp).entryList(pattern, QDir::Files)
            + QDir(core::PrivateTempFolders::ofSystemTemp()).entryList(pattern, QDir::Files);
    }

    // Runs f on the next modal dialog of that name once it shows up.
    template <typename F>
    static void whenShown(const QString &name, F f)
    {
        auto *poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll, name, f] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w->objectName() == name && w->isVisible() && f(w)) {
                    poll->deleteLater();
                    poll->stop();
                    return;
                }
            }
        });
        poll->start(20);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_sane = m_dir.filePath(QStringLiteral("sane"));
        m_temp = m_dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(m_sane));
        QVERIFY(QDir().mkpath(m_temp));
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(m_sane));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
        core::UserSettings::useFolder(m_dir.filePath(QStringLiteral("user")));
    }

    void deviceListIsParsed()
    {
        const QByteArray output = "test:0\tNoname\tfrontend-tester\tvirtual device\n"
                                  "kaputt ohne Tabs\n"
                                  "\tNoname\tohne Name\tx\n"
                                  "epson2:net:10.0.0.7\tEpson\tWF-3720\tflatbed scanner\n"
                                  "test:0\tNoname\tfrontend-tester\tvirtual device\n";
        const QList<ScannerDevice> devices = ScannerDeviceList::parse(output);
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices[1].name, QStringLiteral("epson2:net:10.0.0.7"));
        QCOMPARE(devices[1].label(), QStringLiteral("Epson WF-3720 (epson2:net:10.0.0.7)"));
        QCOMPARE(ScannerDeviceList::preferred(devices, QStringLiteral("epson2:net:10.0.0.7")), 1);
        QCOMPARE(ScannerDeviceList::preferred(devices, QStringLiteral("weg:0")), 0);
        QCOMPARE(ScannerDeviceList::preferred({}, QStringLiteral("test:0")), -1);
        QCOMPARE((ScannerDevice{QStringLiteral("v4l:/dev/video0"), {}, {}, {}}).label(), QStringLiteral("v4l:/dev/video0"));
    }

    void progressIsReadInAnyPieces()
    {
        ScanProgress p;
        QVERIFY(!p.feed("Prog"));
        QVERIFY(!p.feed("ress: 4"));
        QVERIFY(p.feed("2.9%\rProgress: 5"));
        QCOMPARE(p.percent(), 42);
        QVERIFY(p.feed("7.0%\rscanimage: sane_read: Document feeder jammed\n"));
        QCOMPARE(p.percent(), 57);
        QVERIFY(p.feed("Progress: 250%\r"));
        QCOMPARE(p.percent(), 100);
        QVERIFY(p.feed("Progress: 1%\r"));
        QVERIFY(p.feed("Progress: 6e22%\r"));
        QCOMPARE(p.percent(), 100);
        QVERIFY(!p.feed("Progress: nan%\rProgress: kaputt\r"));
        QCOMPARE(p.complaints(), QStringList{QStringLiteral("scanimage: sane_read: Document feeder jammed")});

        QCOMPARE(ScanProgress::germanError(p.complaints(), 6, QStringLiteral("test:0")),
                 QStringLiteral("Im Einzug des Scanners hat sich Papier gestaut. Bitte das Papier entfernen."));
        QCOMPARE(ScanProgress::germanError({QStringLiteral("scanimage: sane_start: Document feeder out of documents")}, 7, {}),
                 QStringLiteral("Im Einzug des Scanners liegt kein Papier. Bitte Papier einlegen."));
        QCOMPARE(ScanProgress::germanError({QStringLiteral("scanimage: open of device nix:0 failed: Invalid argument")}, 1,
                                           QStringLiteral("nix:0")),
                 QStringLiteral("Der Scanner \"nix:0\" kann nicht geöffnet werden. Ist er eingeschaltet und angeschlossen?"));
        QCOMPARE(ScanProgress::germanError({}, 3, {}), QStringLiteral("Das Scannen ist fehlgeschlagen (Rückgabewert 3)."));
    }

    void devicesAreSearchedBesideTheWindow()
    {
        configureSane("test\n", testConf(2));
        DeviceSearch search;
        QSignalSpy done(&search, &DeviceSearch::finished);
        search.start();
        QVERIFY(search.isRunning() || !done.isEmpty()); // start() returns before the list is there
        QVERIFY(done.wait(20000));
        const auto devices = done.at(0).at(0).value<QList<ScannerDevice>>();
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices[0].name, QStringLiteral("test:0"));
        QCOMPARE(devices[1].name, QStringLiteral("test:1"));
        QVERIFY(done.at(0).at(1).toString().isEmpty());

        // The test backend crashes with no devices configured; the program lives on.
        configureSane("test\n", testConf(0));
        search.start();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.at(1).at(1).toString(),
                 QStringLiteral("Die Scanner können nicht abgefragt werden (das Scanprogramm ist abgestürzt)."));

        DeviceSearch missing;
        missing.setProgram(QStringLiteral("/nicht/da/scanimage"));
        QSignalSpy failed(&missing, &DeviceSearch::finished);
        missing.start();
        QVERIFY(failed.size() == 1 || failed.wait(5000));
        QVERIFY(failed.at(0).at(1).toString().contains(QStringLiteral("sane-utils")));
    }

    void scanFromTheChosenTestDevice()
    {
        configureSane("test\n", testConf(2));
        core::RecordingMessageService messages;
        QWidget window;
        ScannerAcquisition acquisition(&window);
        QString offered;
        whenShown(QStringLiteral("dlgScannerWahl"), [&](QWidget *w) {
            auto *dialog = static_cast<QInputDialog *>(w);
            offered = dialog->textValue();
            dialog->setTextValue(dialog->comboBoxItems().value(1));
            dialog->accept();
            return true;
        });
        const QString scanned = acquisition.run();
        QVERIFY2(!scanned.isEmpty(), qPrintable(messages.lastText()));
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(offered, QStringLiteral("Noname frontend-tester (test:0)"));
        QCOMPARE(ScannerAcquisition::lastDevice(), QStringLiteral("test:1"));
        QVERIFY(scanned.startsWith(m_temp));
        QImageReader reader(scanned);
        QCOMPARE(reader.format(), QByteArray("png"));
        QVERIFY(reader.size().width() > 100);
        QVERIFY(PictureImport::prepare(scanned).ok());
        QVERIFY(QFile::remove(scanned));

        // The device used last is offered first next time.
        whenShown(QStringLiteral("dlgScannerWahl"), [&](QWidget *w) {
            auto *dialog = static_cast<QInputDialog *>(w);
            offered = dialog->textValue();
            dialog->reject();
            return true;
        });
        QCOMPARE(acquisition.run(), QString());
        QCOMPARE(offered, QStringLiteral("Noname frontend-tester (test:1)"));
        QVERIFY(messages.shown.isEmpty()); // cancelling the choice is no failure
        QVERIFY(scansLeft().isEmpty());
    }

    void failuresAreToldAndInsertNothing()
    {
        core::RecordingMessageService messages;
        QWidget window;
        ScannerAcquisition acquisition(&window);

        configureSane("", testConf(1));
        QCOMPARE(acquisition.run(), QString());
        QCOMPARE(messages.lastText(),
                 QStringLiteral("Es wurde kein Scanner gefunden. Bitte den Scanner einschalten und anschließen."));
        QCOMPARE(messages.shown.last().icon, core::MsgIcon::Exclamation);

        configureSane("test\n", testConf(1));
        acquisition.setDeviceOptions({QStringLiteral("--read-return-value=SANE_STATUS_JAMMED")});
        QCOMPARE(acquisition.run(), QString());
        QCOMPARE(messages.lastText(),
                 QStringLiteral("Im Einzug des Scanners hat sich Papier gestaut. Bitte das Papier entfernen."));
        acquisition.setDeviceOptions({QStringLiteral("--read-return-value=SANE_STATUS_NO_DOCS")});
        QCOMPARE(acquisition.run(), QString());
        QCOMPARE(messages.lastText(), QStringLiteral("Im Einzug des Scanners liegt kein Papier. Bitte Papier einlegen."));
        QCOMPARE(messages.shown.size(), 3);
        QVERIFY(scansLeft().isEmpty());
    }

    void cancelledScanEndsTheProcess()
    {
        configureSane("test\n", testConf(1, true));
        core::RecordingMessageService messages;
        QWidget window;
        ScannerAcquisition acquisition(&window);
        int seen = -1;
        // Cancelled once the scan is under way, as a user would.
        whenShown(QStringLiteral("dlgScannen"), [&](QWidget *w) {
            auto *dialog = static_cast<QProgressDialog *>(w);
            if (dialog->value() <= 0)
                return false;
            seen = dialog->value();
            auto *abort = dialog->findChild<QPushButton *>();
            if (!abort || abort->text() != QStringLiteral("Abbrechen"))
                return false;
            abort->click();
            return true;
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(acquisition.run(), QString());
        QVERIFY(seen > 0 && seen < 100);
        QVERIFY(clock.elapsed() < 30000); // not left to run through the page
        QCOMPARE(messages.lastText(), QStringLiteral("Das Scannen wurde abgebrochen."));
        QVERIFY(scansLeft().isEmpty());
    }
};

QTEST_MAIN(TestScanner)
#include "tst_scanner.moc"
