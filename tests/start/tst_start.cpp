#include "TestDatabase.h"
#include "TestFiles.h"

#include "varnholt/Globals.h"
#include "varnholt/Shutdown.h"
#include "varnholt/frmLogo.h"
#include "varnholt/modMain.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace varnholt;

using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

// A loopback port nobody listens on.
quint16 closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

const ListSettings kDefaults{QStringLiteral("60"), QStringLiteral("Datum"), false, {600, 1000, 900, 2000, 6500, 700, 1200, 600}};

} // namespace

class TestStart : public QObject {
    Q_OBJECT
private:
    int m_windowsMade = 0;
    dao::Database *m_databaseGiven = nullptr;

    ListWindowFactory factory()
    {
        return [this](dao::Database &db) {
            ++m_windowsMade;
            m_databaseGiven = &db;
            auto window = std::make_unique<QMainWindow>();
            window->setWindowTitle(QStringLiteral("Varnholt"));
            return window;
        };
    }

private Q_SLOTS:
    void init()
    {
        m_windowsMade = 0;
        m_databaseGiven = nullptr;
    }

    void cleanup() { closeDatabase(); }

    void pathRule_putsTheProgramFolderBeforeRelativeNames()
    {
        const QString app = QStringLiteral("/opt/varnholt/");
        QCOMPARE(resolveDatabasePath(app, "Varnholt.db"), QStringLiteral("/opt/varnholt/Varnholt.db"));
        QCOMPARE(resolveDatabasePath(app, "daten/Fuhrpark.db"), QStringLiteral("/opt/varnholt/daten/Fuhrpark.db"));
        QCOMPARE(resolveDatabasePath(app, "/srv/schaden/Varnholt.db"), QStringLiteral("/srv/schaden/Varnholt.db"));
        QCOMPARE(resolveDatabasePath(app, "C:\\Daten\\Varnholt.mdb"), QStringLiteral("C:\\Daten\\Varnholt.mdb"));
        QCOMPARE(resolveDatabasePath(app, "\\\\server\\share\\V.mdb"), QStringLiteral("/opt/varnholt/\\\\server\\share\\V.mdb"));
        QCOMPARE(resolveDatabasePath(app, "ab:c.db"), QStringLiteral("/opt/varnholt/ab:c.db"));
        QCOMPARE(resolveDatabasePath(app, "postgresql://db.fuhrpark/varnholt"), QStringLiteral("postgresql://db.fuhrpark/varnholt"));
    }

    void locating_readsPfadFromTheSettingsFileBesideTheProgram()
    {
        QTemporaryDir dir;
        locateDatabase(dir.path());
        QCOMPARE(gAppPath, dir.path() + u'/');
        QCOMPARE(gIniFile, dir.path() + QStringLiteral("/Varnholt.ini"));
        QCOMPARE(gDbPath, dir.path() + QStringLiteral("/Varnholt.db"));

        writeBytes(dir.filePath("Varnholt.ini"), "[Datenbank]\r\nPfad = Archiv/Alt.db \r\n");
        locateDatabase(dir.path() + u'/');
        QCOMPARE(gAppPath, dir.path() + u'/');
        QCOMPARE(gDbPath, dir.path() + QStringLiteral("/Archiv/Alt.db"));
    }

    void missingDatabase_isReportedAndNoWindowOpens()
    {
        QTemporaryDir dir;
        core::RecordingMessageService messages;
        QVERIFY(!startIn(dir.path(), factory()));
        QCOMPARE(messages.shown.size(), 1);
        const core::Message &m = messages.shown.first();
        QCOMPARE(m.text, QStringLiteral("Die Datenbank liegt nicht im Pfad: ") + dir.path() + QStringLiteral("/Varnholt.db"));
        QCOMPARE(m.icon, core::MsgIcon::Critical);
        QCOMPARE(m.buttons, core::MsgButtons::Ok);
        QCOMPARE(m.title, QStringLiteral("Programmabbruch"));
        QCOMPARE(m_windowsMade, 0);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QVERIFY(!gDatabase);
        // The settings file is made only by a normal shutdown.
        QVERIFY(!QFile::exists(gIniFile));

        // A folder of the database's name is not a database either.
        QVERIFY(QDir(dir.path()).mkdir("Varnholt.db"));
        QVERIFY(!startIn(dir.path(), factory()));
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Die Datenbank liegt nicht im Pfad: ")));
    }

    void serverAddress_isShownWithoutItsPassword()
    {
        QTemporaryDir dir;
        const QString shown = QStringLiteral("postgresql://varnholt@127.0.0.1:%1/varnholt").arg(closedPort());
        writeBytes(dir.filePath("Varnholt.ini"),
                   "[Datenbank]\r\nPfad = " + QString(shown).replace("varnholt@", "varnholt:geheim@").toUtf8() + "\r\n");
        core::RecordingMessageService messages;
        QVERIFY(!startIn(dir.path(), factory()));
        QCOMPARE(messages.shown.size(), 1);
        const QString text = messages.shown.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden:").arg(shown)), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("geheim")), qPrintable(text));

        frmLogo about;
        QCOMPARE(about.findChild<QLabel *>("lblDatenbankpfad")->text(), shown);
    }

    void damagedDatabase_isReportedAndLeftUntouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Varnholt.db");
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage += char(i * 37 % 251);
        writeBytes(path, garbage);
        const QDateTime modified = QFileInfo(path).lastModified();

        core::RecordingMessageService messages;
        QVERIFY(!startIn(dir.path(), factory()));
        QCOMPARE(messages.shown.size(), 1);
        const core::Message &m = messages.shown.first();
        QVERIFY2(m.text.contains(path), qPrintable(m.text));
        QVERIFY2(m.text.contains(QStringLiteral("kann nicht geöffnet werden")), qPrintable(m.text));
        QVERIFY2(m.text.split(u'\n').size() >= 3, qPrintable(m.text)); // the engine's own words follow
        QCOMPARE(m.icon, core::MsgIcon::Critical);
        QCOMPARE(m.title, QStringLiteral("Programmabbruch"));
        QCOMPARE(m_windowsMade, 0);
        QVERIFY(!gDatabase);
        QCOMPARE(readBytes(path), garbage);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Varnholt.db")});
    }

    void startingOnAnOlderDatabase_buildsItsGermanIndexes_aNewerOneIsRefused()
    {
        QTemporaryDir dir;
        core::UserSettings::useFolder(dir.filePath("user"));
        const QString path = dir.filePath("Varnholt.db");
        createTestDatabase(path);
        {
            // As the first program left it.
            auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
            for (const char *statement : {"DROP TABLE Schemaversion", "DROP INDEX SchadenAuto", "DROP INDEX SchadenKunde",
                                          "CREATE INDEX SchadenKunde ON Schaden (Kundenname)", "DROP TABLE Verlauf",
                                          "DROP INDEX SchadenGeloescht", "ALTER TABLE Schaden DROP COLUMN Geloescht",
                                          "INSERT INTO Schaden (ID, Kundenname) VALUES (1, 'Öztürk')"})
                db->Execute(QString::fromUtf8(statement));
        }
        core::RecordingMessageService messages;
        std::unique_ptr<QWidget> window = startIn(dir.path(), factory());
        QVERIFY(window);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(storedSchemaVersion(*gDatabase), SchemaVersion);
        const QString plan = gDatabase->QueryPlan(QStringLiteral("Select ID From Schaden order by Kundenname COLLATE German")).join(u' ');
        QVERIFY2(plan.contains(QStringLiteral("SchadenKunde")), qPrintable(plan));
        gDatabase->Execute(QStringLiteral("UPDATE Schemaversion SET Version=?"), {SchemaVersion + 1});
        window.reset();
        closeDatabase();

        QVERIFY(!startIn(dir.path(), factory()));
        QVERIFY2(messages.lastText().contains(QStringLiteral("neueren Programmversion")), qPrintable(messages.lastText()));
        QCOMPARE(m_windowsMade, 1);
        QVERIFY(!gDatabase);
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
        QCOMPARE(storedSchemaVersion(*db), SchemaVersion + 1);
        auto rs = db->OpenRecordset(QStringLiteral("Select Kundenname From Schaden"), dao::RecordsetType::Snapshot);
        QCOMPARE(rs->Value(QStringLiteral("Kundenname")).toString(), QStringLiteral("Öztürk"));
    }

    void firstRun_opensTheDatabaseAndCreatesTheSettingsFileAtShutdown()
    {
        QTemporaryDir dir;
        core::UserSettings::useFolder(dir.filePath("user"));
        createTestDatabase(dir.filePath("Varnholt.db"));

        core::RecordingMessageService messages;
        std::unique_ptr<QWidget> window = startIn(dir.path(), factory());
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(m_windowsMade, 1);
        QVERIFY(gDatabase && gDatabase->IsOpen());
        QCOMPARE(m_databaseGiven, gDatabase.get());
        QVERIFY(gWorkspace);
        window->resize(700, 450);
        window->move(100, 80);   // the outer position, as it is saved and restored

        shutdown(*window, {QStringLiteral("30"), QStringLiteral("Schadennummer"), true, {0, 1000, 900, 2000, 6500, 700, 1200, 600}});
        const QString full = dir.path() + QStringLiteral("/Varnholt.db");
        QCOMPARE(readBytes(dir.filePath("Varnholt.ini")),
                 "[Datenbank]\r\nPfad = " + full.toUtf8() + "\r\n\r\n"
                 "[Daten]\r\nTage=30\r\nSortSpalte=Schadennummer\r\nSortDesc=-1\r\nSpalten=0;1000;900;2000;6500;700;1200;600;\r\n\r\n"
                 "[Schaden]\r\n");
        QVERIFY(!gDatabase);
        QVERIFY(!gWorkspace);
        QCOMPARE(core::UserSettings::number("Main", "Left", -1), 1500.0);
        QCOMPARE(core::UserSettings::number("Main", "Width", -1), 10500.0);
        QCOMPARE(core::UserSettings::number("Main", "Height", -1), 6750.0);
    }

    void laterRun_keepsTheSettingsFileAndRewritesOnlyTheListKeys()
    {
        QTemporaryDir dir;
        core::UserSettings::useFolder(dir.filePath("user"));
        QVERIFY(QDir(dir.path()).mkdir("daten"));
        createTestDatabase(dir.filePath("daten/Fuhrpark.db"));
        const QByteArray before = "; Einstellungen des Schadenprogramms\r\n"
                                  "[Datenbank]\r\nPfad = daten/Fuhrpark.db\r\n\r\n"
                                  "[Daten]\r\nTage = 45\r\n; von Hand eingetragen\r\nSortSpalte = EIGENKZ\r\nSortDesc = 0\r\n"
                                  "Spalten = 600;1000;900;2000;6500;700;1200;600;\r\n\r\n[Schaden]\r\n";
        writeBytes(dir.filePath("Varnholt.ini"), before);

        core::RecordingMessageService messages;
        std::unique_ptr<QWidget> window = startIn(dir.path(), factory());
        QVERIFY(window);
        QCOMPARE(gDbPath, dir.path() + QStringLiteral("/daten/Fuhrpark.db"));
        QCOMPARE(ReadIniValue("Daten", "Tage", "60"), QStringLiteral("45"));
        shutdown(*window, kDefaults);

        QByteArray expected = before;
        expected.replace("Tage = 45", "Tage=60").replace("SortSpalte = EIGENKZ", "SortSpalte=Datum");
        expected.replace("SortDesc = 0", "SortDesc=0").replace("Spalten = 600", "Spalten=600");
        QCOMPARE(readBytes(dir.filePath("Varnholt.ini")), expected);
    }

    void settingsThatCannotBeWritten_areToldAndStillCloseTheDatabase()
    {
        QTemporaryDir dir;
        createTestDatabase(dir.filePath("Varnholt.db"));
        // A settings file that cannot be made, and one that is there but
        // takes no key (a folder in its place).
        locateDatabase(dir.filePath("fehlt"));
        QVERIFY(!saveListSettings(gIniFile, gDbPath, kDefaults));
        QVERIFY(!QFile::exists(gIniFile));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("ordner/Varnholt.ini")));
        locateDatabase(dir.filePath("ordner"));
        QVERIFY(!saveListSettings(gIniFile, gDbPath, kDefaults));

        core::RecordingMessageService messages;
        gWorkspace = &dao::DBEngine::instance().Workspaces(0);
        gDatabase = gWorkspace->OpenDatabase(dir.filePath("Varnholt.db"));
        QWidget window;
        shutdown(window, kDefaults);
        QVERIFY(!gDatabase);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Die Einstellungen der Liste")));
        QVERIFY(messages.lastText().contains(gIniFile));
    }
};

QTEST_MAIN(TestStart)
#include "tst_start.moc"
