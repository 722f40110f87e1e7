#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"
#include "kelvane/ObjectStorage.h"
#include "core/PrivateTempFolders.h"

#include "SqliteDamage.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "sendral/OverlayGraphic.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvane;

namespace {

const QChar NL(u'\n');   // the line break of the error box

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes) { return testpictures::write(path, bytes); }

std::shared_ptr<sendral::OverlayGraphic> sampleOverlay()
{
    auto overlay = std::make_shared<sendral::OverlayGraphic>();
    QPainter *p = overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(64, 96),
                                     sendral::OverlayGraphic::HimetricFromPixels(48, 96), QString());
    p->setPen(QPen(Qt::red, 3));
    p->drawLine(2, 2, 60, 40);
    p->fillRect(QRect(30, 5, 20, 10), QColor(0, 0, 255, 100));
    overlay->EndDraw();
    return overlay;
}

// What a load hands back, starting from values a load must leave alone.
struct Loaded {
    QString tempFile = QStringLiteral("unchanged");
    bool isBitmap = false;
    std::shared_ptr<sendral::OverlayGraphic> overlay;
    QString script = QStringLiteral("unchanged");
    bool result = false;
};

} // namespace

class TestStorage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void savingReplacesTheBytesAndRecordsTheKind();
    void overlayAndScriptTravelWithThePicture();
    void rowsWithoutBytesOrScriptsLoadAsStated();
    void unusableFilesAreRefusedBeforeTheTableIsTouched();
    void rowAndScriptAreWrittenTogetherOrNotAtAll();
    void aServerGoneDuringASaveKeepsTheOldPicture();
    void aSaveWaitsForAnotherWorkstationsWrite();
    void aScriptThatCannotBeReadFailsTheLoad();
    void temporaryNamesAvoidExistingFiles();
    void errorBoxText();
    void fileAndHexRoutines();

private:
    Loaded load(long id);
    QVariant column(long id, const QString &name);

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    QString m_temp;
    // The program's own folder inside m_temp, where the temporary files lie.
    static QString ownTemp() { return core::PrivateTempFolders::ofApplication()->inside(qEnvironmentVariable("Temp")); }
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<ObjectStorage> m_storage;
    std::unique_ptr<core::RecordingMessageService> m_boxes;
    int m_dbCount = 0;
};

void TestStorage::initTestCase()
{
    VARNHOLT_REQUIRE_TEST_ENGINE();
    QVERIFY(m_dir.isValid());
    // Variables that would count as "Temp" or "Tmp" on the original platform.
    for (const char *name : {"TEMP", "temp", "TMP", "tmp"})
        qunsetenv(name);
}

void TestStorage::init()
{
    m_temp = m_dir.filePath(QStringLiteral("temp%1").arg(++m_dbCount));
    QDir().mkpath(m_temp);
    qputenv("Temp", m_temp.toLocal8Bit());
    dao::OpenOptions create;
    create.create = true;
    m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(
        m_databases.path(QStringLiteral("objekte%1.db").arg(m_dbCount)), create);
    varnholt::createSchema(*m_db);
    m_storage = std::make_unique<ObjectStorage>(m_db.get());
    m_boxes = std::make_unique<core::RecordingMessageService>();
}

void TestStorage::cleanup()
{
    m_boxes.reset();
    m_storage.reset();
    m_db.reset();
    qunsetenv("Temp");
    qunsetenv("Tmp");
}

Loaded TestStorage::load(long id)
{
    Loaded l;
    l.result = m_storage->LoadObject(id, l.tempFile, l.isBitmap, l.overlay, l.script);
    return l;
}

QVariant TestStorage::column(long id, const QString &name)
{
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT * FROM Objekt WHERE ID = ?"), dao::RecordsetType::Snapshot,
                                  dao::RecordsetOption::None, {qlonglong(id)});
    return rs->RecordCount() > 0 ? rs->Value(name) : QVariant(QStringLiteral("<no row>"));
}

void TestStorage::aServerGoneDuringASaveKeepsTheOldPicture()
{
    if (!testengine::onServer())
        QSKIP("a database file has no server to lose");
    const QByteArray old = randomBytes(5000, 7);
    QVERIFY(m_storage->SaveObject(3, writeFile(m_dir.filePath(QStringLiteral("in/alt.png")), old), nullptr, {}));
    // The server ends the connection while the new bytes are written.
    m_db->Execute(QStringLiteral("CREATE FUNCTION gone() RETURNS trigger LANGUAGE plpgsql AS "
                                 "$$BEGIN IF NEW.lbObjekt IS NOT NULL THEN PERFORM pg_terminate_backend(pg_backend_pid()); "
                                 "END IF; RETURN NEW; END$$"));
    m_db->Execute(QStringLiteral("CREATE TRIGGER gone BEFORE UPDATE ON Objekt FOR EACH ROW EXECUTE FUNCTION gone()"));
    const QString fresh = writeFile(m_dir.filePath(QStringLiteral("in/neu.png")), randomBytes(8000, 8));
    QVERIFY(!m_storage->SaveObject(3, fresh, nullptr, {}));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: SaveObject"));
    QVERIFY2(m_boxes->shown[0].text.contains(QStringLiteral("Die Verbindung zum Datenbankserver")),
             qPrintable(m_boxes->shown[0].text));
    QCOMPARE(m_db->TransactionDepth(), 0);

    // The next action opens the connection again and finds the old picture whole.
    testengine::allowWrites(*m_db, QStringLiteral("gone"), QStringLiteral("Objekt"));
    QCOMPARE(column(3, QStringLiteral("lbObjekt")).toByteArray(), old);
    QVERIFY(m_storage->SaveObject(3, fresh, nullptr, {}));
    QCOMPARE(column(3, QStringLiteral("lbObjekt")).toByteArray(), testpictures::read(fresh));
}

void TestStorage::aScriptThatCannotBeReadFailsTheLoad()
{
    // A picture with its overlay and a script long enough to need pages of its own.
    const QString picture = writeFile(m_dir.filePath(QStringLiteral("in/kaputt.png")), randomBytes(300, 11));
    QVERIFY(m_storage->SaveObject(5, picture, sampleOverlay().get(), QString(100000, u'Q')));
    QVERIFY(load(5).overlay);

    std::unique_ptr<dao::Database> reader;
    const QString address = m_db->Name();
    if (testengine::onServer()) {
        // The server refuses the script to a user who may read the rest of the row.
        m_db->Execute(QStringLiteral("DO $$BEGIN CREATE ROLE vt_noscript LOGIN; "
                                     "EXCEPTION WHEN duplicate_object THEN NULL; END$$"));
        m_db->Execute(QStringLiteral("GRANT SELECT (ID, lbObjekt, fBitmap, tClass) ON Objekt TO vt_noscript"));
        QString noScript = address;
        noScript.replace(QStringLiteral("://varnholt@"), QStringLiteral("://vt_noscript@"));
        reader = dao::DBEngine::instance().Workspaces().OpenDatabase(noScript);
    } else {
        // The disk lost the pages that hold the script.
        m_storage->setDatabase(nullptr);
        m_db.reset();
        QVERIFY(testengine::cutOverflowChain(address, 'Q'));
        reader = dao::DBEngine::instance().Workspaces().OpenDatabase(address);
    }
    ObjectStorage storage(reader.get());
    m_boxes->clear();
    Loaded l;
    l.result = storage.LoadObject(5, l.tempFile, l.isBitmap, l.overlay, l.script);
    // Shown without its overlay, the picture would lose it with its next save.
    QVERIFY(!l.result);
    QVERIFY(!l.overlay);
    QCOMPARE(l.tempFile, QStringLiteral("unchanged"));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: LoadObject"));
    QVERIFY(m_boxes->shown[0].text.startsWith(QStringLiteral("Fehlermeldung:")));
    // It was the script that failed: the rest of the row reads as stored.
    auto rest = reader->OpenRecordset(QStringLiteral("Select ID, lbObjekt, fBitmap, tClass from Objekt where ID = 5"),
                                      dao::RecordsetType::Snapshot);
    QCOMPARE(rest->Value(QStringLiteral("lbObjekt")).toByteArray(), randomBytes(300, 11));
}

void TestStorage::aSaveWaitsForAnotherWorkstationsWrite()
{
    QVERIFY(m_storage->SaveObject(4, writeFile(m_dir.filePath(QStringLiteral("in/vorher.png")), randomBytes(100, 3)),
                                  nullptr, {}));
    // Another workstation holds the write lock longer than the engine's own wait.
    auto other = dao::DBEngine::instance().Workspaces().OpenDatabase(m_db->Name());
    other->BeginTrans();
    other->Execute(QStringLiteral("UPDATE Objekt SET tClass = 'png' WHERE ID = 4"));
    std::chrono::milliseconds longest{0};
    const dao::LockWaitScope told(*m_db, [&](std::chrono::milliseconds waited) {
        longest = waited;
        if (waited >= std::chrono::milliseconds(3500) && other->TransactionDepth() > 0)
            other->CommitTrans();
        return true;
    });
    const QByteArray fresh = randomBytes(2000, 4);
    QVERIFY2(m_storage->SaveObject(4, writeFile(m_dir.filePath(QStringLiteral("in/danach.png")), fresh), nullptr, {}),
             qPrintable(m_boxes->lastText()));
    QVERIFY(longest >= std::chrono::milliseconds(3500));
    QCOMPARE(column(4, QStringLiteral("lbObjekt")).toByteArray(), fresh);

    // Deleting waits the same way.
    other->BeginTrans();
    other->Execute(QStringLiteral("UPDATE Objekt SET tClass = 'png' WHERE ID = 4"));
    longest = std::chrono::milliseconds(0);
    m_storage->DeleteObjectRecord(4);
    QVERIFY(longest >= std::chrono::milliseconds(3500));
    QCOMPARE(column(4, QStringLiteral("ID")).toString(), QStringLiteral("<no row>"));
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestStorage::savingReplacesTheBytesAndRecordsTheKind()
{
    const QByteArray first = randomBytes(30000, 1);
    const QByteArray second = randomBytes(1000, 2);
    QVERIFY(m_storage->SaveObject(5, writeFile(m_dir.filePath(QStringLiteral("in/first.bmp")), first), nullptr, {}));
    QCOMPARE(column(5, QStringLiteral("tClass")).toString(), QStringLiteral("bmp"));
    QVERIFY(m_storage->SaveObject(5, writeFile(m_dir.filePath(QStringLiteral("in/Foto.JPG")), second), nullptr, {}));
    QCOMPARE(column(5, QStringLiteral("lbObjekt")).toByteArray(), second);
    QCOMPARE(column(5, QStringLiteral("fBitmap")).toBool(), true);
    QCOMPARE(column(5, QStringLiteral("tClass")).toString(), QStringLiteral("JPG"));

    Loaded l = load(5);
    QVERIFY(l.result);
    QVERIFY(l.isBitmap);
    QCOMPARE(l.tempFile, ownTemp() + QStringLiteral("/tmp5.JPG"));
    QCOMPARE(testpictures::read(l.tempFile), second);
    QVERIFY(!l.overlay);
    QCOMPARE(l.script, QStringLiteral("unchanged"));

    // A name without a dot, also one whose folder has a dot, keeps the stored extension.
    QVERIFY(m_storage->SaveObject(5, writeFile(m_dir.filePath(QStringLiteral("in/scan")), first), nullptr, {}));
    QCOMPARE(column(5, QStringLiteral("tClass")).toString(), QStringLiteral("JPG"));
    QCOMPARE(column(5, QStringLiteral("fBitmap")).toBool(), false);
    QVERIFY(m_storage->SaveObject(5, writeFile(m_dir.filePath(QStringLiteral("in/v1.2/scan")), first), nullptr, {}));
    QCOMPARE(column(5, QStringLiteral("tClass")).toString(), QStringLiteral("JPG"));

    // A document: not a picture, loaded under the document extension.
    QVERIFY(m_storage->SaveObject(6, writeFile(m_dir.filePath(QStringLiteral("in/Bericht.odt")), second), nullptr, {}));
    QCOMPARE(column(6, QStringLiteral("tClass")).toString(), QStringLiteral("odt"));
    l = load(6);
    QVERIFY(l.result);
    QVERIFY(!l.isBitmap);
    QCOMPARE(l.tempFile, ownTemp() + QStringLiteral("/tmp6.OLE"));
    QCOMPARE(testpictures::read(l.tempFile), second);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestStorage::overlayAndScriptTravelWithThePicture()
{
    const auto overlay = sampleOverlay();
    const QString script = QStringLiteral("1;10;10;50;40;255#4;5;5;Beule [CAQOSCRIPT] vorn#");
    const QString picture = writeFile(m_dir.filePath(QStringLiteral("in/a.gif")), randomBytes(500, 3));
    QVERIFY(m_storage->SaveObject(9, picture, overlay.get(), script));
    const QString stored = column(9, QStringLiteral("mScript")).toString();
    QCOMPARE(stored, BytesToHex(*overlay->Data()) + QStringLiteral("[CAQOSCRIPT]") + script);

    Loaded l = load(9);
    QVERIFY(l.result);
    QVERIFY(l.overlay);
    QCOMPARE(l.overlay->Width(), 64);
    QCOMPARE(l.overlay->Height(), 48);
    QCOMPARE(l.overlay->Image(), overlay->Image());
    QCOMPARE(l.script, script);

    // The separator is found in any case; an empty script part stays empty.
    m_db->Execute(QStringLiteral("UPDATE Objekt SET mScript = ? WHERE ID = 9"),
                  {QString(BytesToHex(*overlay->Data()) + QStringLiteral("[caqoScript]"))});
    l = load(9);
    QVERIFY(l.overlay);
    QCOMPARE(l.script, QString());

    // Saving without an overlay removes the one stored before.
    QVERIFY(m_storage->SaveObject(9, picture, nullptr, script));
    QVERIFY(column(9, QStringLiteral("mScript")).isNull());
    l = load(9);
    QVERIFY(!l.overlay);
    QCOMPARE(l.script, QStringLiteral("unchanged"));

    // A document's script is not looked at, even when one is there.
    QVERIFY(m_storage->SaveObject(10, writeFile(m_dir.filePath(QStringLiteral("in/b.txt")), "text"), nullptr, {}));
    m_db->Execute(QStringLiteral("UPDATE Objekt SET mScript = 'kein Skript' WHERE ID = 10"));
    l = load(10);
    QVERIFY(l.result);
    QVERIFY(!l.overlay);
    QCOMPARE(l.script, QStringLiteral("unchanged"));
    QVERIFY(m_boxes->shown.isEmpty());

    // A picture's script without the separator is an error of the load.
    m_db->Execute(QStringLiteral("UPDATE Objekt SET mScript = 'kein Skript' WHERE ID = 9"));
    l = load(9);
    QVERIFY(!l.result);
    QCOMPARE(l.tempFile, QStringLiteral("unchanged"));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: LoadObject"));
    QVERIFY(m_boxes->shown[0].text.startsWith(QStringLiteral("Fehlermeldung:") + NL));

    // An overlay no PNG can hold is not stored as nothing: the save fails,
    // says so, and the stored row stays as it was.
    QVERIFY(m_storage->SaveObject(9, picture, overlay.get(), script));
    const QVariant before = column(9, QStringLiteral("mScript"));
    sendral::OverlayGraphic tooWide;
    tooWide.BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(1000001, 96),
                      sendral::OverlayGraphic::HimetricFromPixels(1, 96), QString());
    tooWide.EndDraw();
    const QString other = writeFile(m_dir.filePath(QStringLiteral("in/c.gif")), randomBytes(300, 4));
    QVERIFY(!m_storage->SaveObject(9, other, &tooWide, script));
    QCOMPARE(m_boxes->shown.size(), 2);
    QCOMPARE(m_boxes->shown[1].title, QStringLiteral("Kelvane: SaveObject"));
    QVERIFY(m_boxes->shown[1].text.contains(QStringLiteral("Die Objekt-Grafik kann nicht als Bild gespeichert werden")));
    QCOMPARE(column(9, QStringLiteral("mScript")), before);
    QCOMPARE(column(9, QStringLiteral("lbObjekt")).toByteArray(), testpictures::read(picture));
}

void TestStorage::rowsWithoutBytesOrScriptsLoadAsStated()
{
    // No row: nothing changes, nothing is shown.
    Loaded l = load(77);
    QVERIFY(!l.result);
    QCOMPARE(l.tempFile, QStringLiteral("unchanged"));

    // A row without bytes (Null or empty) makes no file.
    m_db->Execute(QStringLiteral("INSERT INTO Objekt (ID, fBitmap, tClass) VALUES (3, -1, 'jpg')"));
    m_db->Execute(QStringLiteral("INSERT INTO Objekt (ID, lbObjekt, fBitmap, tClass) VALUES (4, ?, -1, 'jpg')"),
                  {QByteArray("")});
    for (long id : {3L, 4L}) {
        l = load(id);
        QVERIFY(!l.result);
        QVERIFY(l.isBitmap);
        QCOMPARE(l.tempFile, QStringLiteral("unchanged"));
    }
    QCOMPARE(QDir(ownTemp()).entryList(QDir::Files), QStringList());
    QVERIFY(m_boxes->shown.isEmpty());

    // A database from before overlays existed, without the script column.
    dao::OpenOptions create;
    create.create = true;
    auto old = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path(QStringLiteral("alt.db")), create);
    old->Execute(QStringLiteral("CREATE TABLE Objekt (ID INTEGER PRIMARY KEY NOT NULL, lbObjekt LONGBINARY,"
                                " fBitmap YESNO NOT NULL DEFAULT 0, tClass TEXT)"));
    old->Execute(QStringLiteral("INSERT INTO Objekt VALUES (8, ?, -1, 'bmp')"), {QByteArray("BM picture")});
    ObjectStorage oldStorage(old.get());
    l = Loaded();
    l.result = oldStorage.LoadObject(8, l.tempFile, l.isBitmap, l.overlay, l.script);
    QVERIFY(l.result);
    QCOMPARE(testpictures::read(l.tempFile), QByteArray("BM picture"));
    QVERIFY(!l.overlay);
    QVERIFY(m_boxes->shown.isEmpty());
    // The ignored failure leaves nothing behind for a later error box.
    QVERIFY(dao::DBEngine::instance().Errors().isEmpty());

    // Such a database takes pictures without overlays; one with an overlay is refused whole.
    const QByteArray picture = randomBytes(300, 9);
    const QString path = writeFile(m_dir.filePath(QStringLiteral("in/alt.bmp")), picture);
    QVERIFY(oldStorage.SaveObject(8, path, nullptr, QString()));
    const auto overlay = sampleOverlay();
    QVERIFY(!oldStorage.SaveObject(8, writeFile(m_dir.filePath(QStringLiteral("in/neu.bmp")), "BM neu"),
                                   overlay.get(), QStringLiteral("#")));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: SaveObject"));
    l = Loaded();
    QVERIFY(oldStorage.LoadObject(8, l.tempFile, l.isBitmap, l.overlay, l.script));
    QCOMPARE(testpictures::read(l.tempFile), picture);
}

void TestStorage::unusableFilesAreRefusedBeforeTheTableIsTouched()
{
    const QByteArray kept = randomBytes(100, 4);
    QVERIFY(m_storage->SaveObject(2, writeFile(m_dir.filePath(QStringLiteral("in/kept.jpg")), kept), nullptr, {}));

    const QString empty = writeFile(m_dir.filePath(QStringLiteral("in/leer.jpg")), QByteArray());
    QVERIFY(!m_storage->SaveObject(2, empty, nullptr, {}));
    QVERIFY(!m_storage->SaveObject(3, m_dir.filePath(QStringLiteral("in/fehlt.jpg")), nullptr, {}));
    QCOMPARE(m_boxes->shown.size(), 2);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: SaveObject"));
    QCOMPARE(m_boxes->shown[0].text, QStringLiteral("Fehlermeldung:") + NL + QStringLiteral("9: Index außerhalb des gültigen Bereichs"));
    QCOMPARE(m_boxes->shown[1].text, QStringLiteral("Fehlermeldung:") + NL + QStringLiteral("53: Datei nicht gefunden"));
    QCOMPARE(column(2, QStringLiteral("lbObjekt")).toByteArray(), kept);
    QCOMPARE(column(3, QStringLiteral("ID")).toString(), QStringLiteral("<no row>"));

    // Without a database nothing can be stored or read, and the box says so.
    m_boxes->clear();
    ObjectStorage unset;
    QVERIFY(!unset.SaveObject(2, m_dir.filePath(QStringLiteral("in/kept.jpg")), nullptr, {}));
    Loaded l;
    QVERIFY(!unset.LoadObject(2, l.tempFile, l.isBitmap, l.overlay, l.script));
    QCOMPARE(m_boxes->shown.size(), 2);
    QVERIFY(m_boxes->shown[1].text.startsWith(QStringLiteral("Fehlermeldung:") + NL + QStringLiteral("91: ")));
    QCOMPARE(m_boxes->shown[1].title, QStringLiteral("Kelvane: LoadObject"));
}

void TestStorage::rowAndScriptAreWrittenTogetherOrNotAtAll()
{
    const QByteArray oldBytes = randomBytes(2000, 5);
    const auto oldOverlay = sampleOverlay();
    QVERIFY(m_storage->SaveObject(4, writeFile(m_dir.filePath(QStringLiteral("in/alt.jpg")), oldBytes),
                                  oldOverlay.get(), QStringLiteral("alt#")));
    const QVariant oldScript = column(4, QStringLiteral("mScript"));

    // The script cannot be written: neither may the new picture be.
    testengine::refuseWrites(*m_db, QStringLiteral("ScriptLocked"), QStringLiteral("BEFORE UPDATE OF mScript"),
                             QStringLiteral("Objekt"), QStringLiteral("Skript gesperrt"));
    auto newOverlay = std::make_shared<sendral::OverlayGraphic>();
    QVERIFY(!m_storage->SaveObject(4, writeFile(m_dir.filePath(QStringLiteral("in/neu.bmp")), randomBytes(3000, 6)),
                                   newOverlay.get(), QStringLiteral("neu#")));
    QCOMPARE(column(4, QStringLiteral("lbObjekt")).toByteArray(), oldBytes);
    QCOMPARE(column(4, QStringLiteral("tClass")).toString(), QStringLiteral("jpg"));
    QCOMPARE(column(4, QStringLiteral("mScript")), oldScript);
    QCOMPARE(m_db->TransactionDepth(), 0);

    QCOMPARE(m_boxes->shown.size(), 1);
    const core::Message box = m_boxes->shown[0];
    QCOMPARE(box.title, QStringLiteral("Kelvane: SaveObject"));
    QVERIFY(box.text.startsWith(QStringLiteral("Fehlermeldung:") + NL));
    QVERIFY2(box.text.contains(QStringLiteral("Skript gesperrt")), qPrintable(box.text));

    // Inside the host's own transaction a failed save takes back only its own part.
    m_db->BeginTrans();
    m_db->Execute(QStringLiteral("INSERT INTO Schaden (ID) VALUES (1)"));
    QVERIFY(!m_storage->SaveObject(4, m_dir.filePath(QStringLiteral("in/alt.jpg")), newOverlay.get(), QString()));
    QVERIFY(!m_storage->SaveObject(4, m_dir.filePath(QStringLiteral("in/fehlt.bmp")), nullptr, {}));
    QCOMPARE(m_db->TransactionDepth(), 1);
    testengine::allowWrites(*m_db, QStringLiteral("ScriptLocked"), QStringLiteral("Objekt"));
    QVERIFY(m_storage->SaveObject(11, m_dir.filePath(QStringLiteral("in/alt.jpg")), nullptr, {}));
    m_db->CommitTrans();
    QCOMPARE(column(11, QStringLiteral("lbObjekt")).toByteArray(), oldBytes);
    auto cases = m_db->OpenRecordset(QStringLiteral("SELECT ID FROM Schaden"), dao::RecordsetType::Snapshot);
    QCOMPARE(cases->RecordCount(), 1L);
}

void TestStorage::temporaryNamesAvoidExistingFiles()
{
    const QString tmpFolder = m_dir.filePath(QStringLiteral("tmpfolder"));
    QDir().mkpath(tmpFolder);
    qputenv("Tmp", tmpFolder.toLocal8Bit());
    QCOMPARE(TempFolder(), m_temp);
    qputenv("Temp", QByteArray());
    QCOMPARE(TempFolder(), tmpFolder);

    // The names lie in the program's own folder inside the temporary folder.
    const QString own = core::PrivateTempFolders::ofApplication()->inside(tmpFolder);
    const QByteArray jpeg = randomBytes(700, 7);
    QVERIFY(m_storage->SaveObject(7, writeFile(m_dir.filePath(QStringLiteral("in/seven.jpg")), jpeg), nullptr, {}));
    writeFile(own + QStringLiteral("/tmp7.jpg"), "a");
    writeFile(own + QStringLiteral("/tmp7(1).jpg"), "b");
    QCOMPARE(MakeTempFileName(QStringLiteral("tmp7"), QStringLiteral("jpg")), own + QStringLiteral("/tmp7(2).jpg"));
    Loaded l = load(7);
    QVERIFY(l.result);
    QCOMPARE(l.tempFile, own + QStringLiteral("/tmp7(2).jpg"));
    QCOMPARE(testpictures::read(l.tempFile), jpeg);
    QCOMPARE(testpictures::read(own + QStringLiteral("/tmp7.jpg")), QByteArray("a"));

    // The control's temporary file goes, and its name with it; a named file goes on its own.
    DeleteTempFile(QString(), l.tempFile);
    QVERIFY(l.tempFile.isEmpty());
    QVERIFY(!QFile::exists(own + QStringLiteral("/tmp7(2).jpg")));
    QString keep = own + QStringLiteral("/tmp7(1).jpg");
    DeleteTempFile(own + QStringLiteral("/tmp7.jpg"), keep);
    QVERIFY(!QFile::exists(own + QStringLiteral("/tmp7.jpg")));
    QVERIFY(QFile::exists(keep));

    // Every candidate taken: no name, and the load fails instead of overwriting.
    writeFile(own + QStringLiteral("/tmp7.jpg"), "a");
    for (int n = 2; n <= 999; ++n)
        writeFile(own + QStringLiteral("/tmp7(%1).jpg").arg(n), "x");
    QCOMPARE(MakeTempFileName(QStringLiteral("tmp7"), QStringLiteral("jpg")), QString());
    QVERIFY(!load(7).result);
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Kelvane: LoadObject"));

    // Neither variable set: the platform's temporary folder, not the root.
    qputenv("Tmp", QByteArray());
    QCOMPARE(TempFolder(), QDir::tempPath());
    QVERIFY(MakeTempFileName(QStringLiteral("tmp7"), QStringLiteral("jpg"))
                .startsWith(core::PrivateTempFolders::ofApplication()->inside(QDir::tempPath()) + u'/'));
}

void TestStorage::errorBoxText()
{
    const QList<dao::ErrorEntry> engine = {{3146, QStringLiteral("ODBC-Aufruf fehlgeschlagen."), {}},
                                           {1, QStringLiteral("database is locked"), {}},
                                           {3260, QStringLiteral("Gesperrt."), {}}};
    QCOMPARE(ErrorMessageText({3260, QStringLiteral("Gesperrt.")}, QStringLiteral("Fehler beim Speichern: "), engine),
             QStringLiteral("Fehler beim Speichern: ") + NL + NL + QStringLiteral("Fehlermeldung:") + NL
                 + QStringLiteral("3260: Gesperrt.") + NL + NL + QStringLiteral("Zusätzliche Datenbank-Fehlermeldungen:")
                 + NL + QStringLiteral("DBErr 3146: ODBC-Aufruf fehlgeschlagen.") + NL
                 + QStringLiteral("DBErr 1: database is locked"));
    // One entry is the error itself: no further lines.
    QCOMPARE(ErrorMessageText({53, QStringLiteral("Datei nicht gefunden")}, QString(), {engine.last()}),
             QStringLiteral("Fehlermeldung:") + NL + QStringLiteral("53: Datei nicht gefunden"));

    m_boxes->answers = {core::MsgAnswer::Yes, core::MsgAnswer::Ok};
    QCOMPARE(ShowErrorMessage({3260, QStringLiteral("Gesperrt.")}, QString(), 4 + 48, QStringLiteral("Titel"), engine),
             core::MsgAnswer::Yes);
    QCOMPARE(m_boxes->shown[0].buttons, core::MsgButtons::YesNo);
    QCOMPARE(m_boxes->shown[0].icon, core::MsgIcon::Exclamation);
    QCOMPARE(m_boxes->shown[0].title, QStringLiteral("Titel"));
    // No error: the plain notice with an OK button, whatever style was asked for.
    ShowErrorMessage({0, QString()}, QStringLiteral("Prüfung"), 4 + 48, QStringLiteral("Titel"));
    QCOMPARE(m_boxes->shown[1].text, QStringLiteral("Prüfung") + NL + NL + QStringLiteral("Keine Fehler!"));
    QCOMPARE(m_boxes->shown[1].buttons, core::MsgButtons::Ok);
    QCOMPARE(m_boxes->shown[1].icon, core::MsgIcon::None);
}

void TestStorage::fileAndHexRoutines()
{
    QCOMPARE(BytesToHex(QByteArray("\x00\x0a\xff", 3)), QStringLiteral("000AFF"));
    QCOMPARE(HexToBytes(QStringLiteral("000AFF")), QByteArray("\x00\x0a\xff", 3));
    QCOMPARE(HexToBytes(QStringLiteral("ff1Zzz")), QByteArray("\xff\x01\x00", 3));
    // Odd lengths: half the length rounded to even.
    QCOMPARE(HexToBytes(QStringLiteral("A")), QByteArray());
    QCOMPARE(HexToBytes(QStringLiteral("ABC")), QByteArray("\xab\x0c", 2));
    QCOMPARE(HexToBytes(QStringLiteral("ABCDE")), QByteArray("\xab\xcd", 2));

    const QString path = writeFile(m_dir.filePath(QStringLiteral("f/datei.bin")), "0123456789");
    QVERIFY(FileExists(path));
    QVERIFY(!FileExists(m_dir.filePath(QStringLiteral("f"))));
    QVERIFY(!FileExists(m_dir.filePath(QStringLiteral("f/fehlt"))));
    // Written bytes are the file's whole content, also over a longer file.
    WriteFileBytes(path, "abc");
    QCOMPARE(ReadFileBytes(path), QByteArray("abc"));
    try {
        WriteFileBytes(m_dir.filePath(QStringLiteral("nirgends/x.bin")), "abc");
        QFAIL("a file in a missing folder was written");
    } catch (const KelvaneError &e) {
        QCOMPARE(e.error().Number, 75L);
    }
}

QTEST_MAIN(TestStorage)
#include "tst_storage.moc"
