#include "ObjectSession.h"

#include "TestEngine.h"
#include "TestPictures.h"

#include "kelvane/ObjectStorage.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "sendral/OverlayGraphic.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelvane;

namespace {

enum class Before { Empty, Stored, Pending };

// What a session holds, to compare before and after a road.
struct Held {
    ContentKind kind;
    QString picture;
    QByteArray document;
    QVariant value;
    bool changed;
    bool deleted;
    int differences;
    bool operator==(const Held &) const = default;
};

Held held(const ObjectSession &session)
{
    return {session.kind(), session.shown().pictureFile, session.shown().document.bytes, session.Value(),
            session.Changed(), session.Deleted(), session.differences()};
}

} // namespace

// The one owner of an attachment's content, driven road by road without a
// widget: a real database, real files, and a display that shows or refuses.
class TestObjectSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        QVERIFY(m_dir.isValid());
        qputenv("Temp", m_dir.filePath(QStringLiteral("temp")).toLocal8Bit());
        QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
    }

    void init()
    {
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(
            m_databases.path(QStringLiteral("session%1.db").arg(++m_count)), create);
        varnholt::createSchema(*m_db);
        m_boxes = std::make_unique<core::RecordingMessageService>();
        m_refuse.clear();
        m_shownCount = 0;
    }

    void cleanup()
    {
        m_boxes.reset();
        m_db.reset();
    }

    void insertOverEveryStateIsShownPendingAndSaved_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("owned");
        QTest::addColumn<int>("kind");
        const QList<std::pair<const char *, Before>> states = {
            {"empty", Before::Empty}, {"stored", Before::Stored}, {"pending", Before::Pending}};
        for (const auto &[state, before] : states) {
            QTest::addRow("picture over %s", state) << int(before) << "neu.png" << false << int(ContentKind::Picture);
            QTest::addRow("scan over %s", state) << int(before) << "Scan-1.png" << true << int(ContentKind::Picture);
            QTest::addRow("document over %s", state) << int(before) << "bericht.txt" << false << int(ContentKind::Document);
            // A JPEG whose name ends otherwise is a picture by its content.
            QTest::addRow("photo named .txt over %s", state) << int(before) << "foto.jpg.txt" << false
                                                             << int(ContentKind::Picture);
        }
    }

    void insertOverEveryStateIsShownPendingAndSaved()
    {
        QFETCH(int, before);
        QFETCH(QString, name);
        QFETCH(bool, owned);
        QFETCH(int, kind);
        ObjectSession session;
        start(session, Before(before));
        const QByteArray bytes = kind == int(ContentKind::Picture)
            ? testpictures::encoded(testpictures::marked(50, 20), name.contains(u'j') ? "jpg" : "png")
            : QByteArray("Kostenvoranschlag der Werkstatt\n");
        const QString path = file(name, bytes);

        QCOMPARE(session.insert(path, owned), QString());
        QCOMPARE(int(session.kind()), kind);
        QCOMPARE(int(m_last.kind), kind);
        QVERIFY(session.Changed() && !session.Deleted());
        const int expected = Before(before) == Before::Empty ? ChangeInserted : ChangeReplaced;
        QCOMPARE(session.pendingChange(), expected);
        // A scan's file stays as long as it is shown; a document is held in memory.
        QCOMPARE(QFile::exists(path), !owned || kind == int(ContentKind::Picture));

        QVERIFY(session.save([] { return QVariant(9); }));
        const long id = idOf(session.Value());
        QCOMPARE(id, Before(before) == Before::Empty ? 9L : 7L);
        QCOMPARE(session.pendingChange(), 0);
        QCOMPARE(session.differences(), 0);
        if (kind == int(ContentKind::Picture)) {
            QCOMPARE(rowBytes(id), bytes);
        } else {
            QBuffer stored;
            stored.setData(rowBytes(id));
            stored.open(QIODevice::ReadOnly);
            const std::optional<ole::Document> document = ole::readDocument(stored);
            QVERIFY(document);
            QCOMPARE(document->bytes, bytes);
            QCOMPARE(document->fileName, name);
        }
    }

    void aRefusedInsertChangesNothing_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");   // "/" makes a folder, "-" no file at all
        QTest::addColumn<QString>("expected");   // empty: any refusal
        const QList<std::pair<const char *, Before>> states = {
            {"empty", Before::Empty}, {"stored", Before::Stored}, {"pending", Before::Pending}};
        const QString folder = QStringLiteral("\"%1\" ist ein Ordner; eingefügt werden kann nur eine Datei.");
        const QString empty = QStringLiteral("Die Datei \"%1\" ist leer.");
        for (const auto &[state, before] : states) {
            const auto row = [&, state = state, before = before](const char *what, const char *name,
                                                                 const QByteArray &bytes, const QString &expected) {
                QTest::addRow("%s over %s", what, state) << int(before) << QString::fromUtf8(name) << bytes << expected;
            };
            row("folder", "Fotos", "/", folder.arg("Fotos"));
            row("folder named as picture", "bilder.png", "/", folder.arg("bilder.png"));
            row("empty picture", "leer.jpg", {}, empty.arg("leer.jpg"));
            row("empty document", "leer.pdf", {}, empty.arg("leer.pdf"));
            row("damaged container file", "tmp3.OLE", "KELVANE-DOKUMENT\nabgeschnitten", {});
            row("text named as picture", "fake.jpg", "Nur ein Text, kein Bild.\n", {});
            row("missing file", "fehlt.png", "-", QStringLiteral("Die Datei \"fehlt.png\" wurde nicht gefunden."));
            row("display refuses", "gut.png", testpictures::png(Qt::green), QStringLiteral("Kein Speicher für das Bild."));
        }
    }

    void aRefusedInsertChangesNothing()
    {
        QFETCH(int, before);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        ObjectSession session;
        start(session, Before(before));
        const Held was = held(session);
        const QByteArray rowWas = rowBytes(7);
        const int shownBefore = m_shownCount;

        const QString path = m_dir.filePath(name);
        if (bytes == "/")
            QDir().mkpath(path);
        else if (bytes != "-")
            file(name, bytes);
        const bool displayRefuses = name == QLatin1String("gut.png");
        if (displayRefuses)
            m_refuse = expected;

        const QString refusal = session.insert(path);
        QVERIFY(!refusal.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(refusal, expected);
        QVERIFY(held(session) == was);
        // The display shows what it showed: untouched, or shown again after its refusal.
        if (displayRefuses) {
            QCOMPARE(m_shownCount, shownBefore + 2);
            QCOMPARE(m_last.pictureFile, was.picture);
        } else {
            QCOMPARE(m_shownCount, shownBefore);
        }

        // A save afterwards writes exactly what was pending before.
        m_refuse.clear();
        QVERIFY(session.save([] { return QVariant(9); }));
        if (Before(before) == Before::Stored)
            QCOMPARE(rowBytes(7), rowWas);
        if (Before(before) == Before::Pending)
            QCOMPARE(rowBytes(7), testpictures::read(m_dir.filePath(QStringLiteral("zweites.png"))));
        if (Before(before) == Before::Empty)
            QVERIFY(dao::isNull(session.Value()));
    }

    void aRefusedScanGoesAndAScanForAnotherRowIsDiscarded()
    {
        ObjectSession session;
        start(session, Before::Stored);
        const QString damaged = file(QStringLiteral("Scan-2.png"), "kein Bild");
        QVERIFY(!session.insert(damaged, true).isEmpty());
        QVERIFY(!QFile::exists(damaged));

        // A scan started for row 7 ends after row 8 was begun: it lands nowhere.
        const ObjectSession::Ticket forSeven = session.ticket();
        session.begin(8);
        const QString scan = file(QStringLiteral("Scan-3.png"), testpictures::png(Qt::blue));
        QCOMPARE(session.insertFor(forSeven, scan, true),
                 QStringLiteral("Das eingefügte Bild gehört zu einem Vorgang, der nicht mehr angezeigt wird; "
                                "es wurde verworfen."));
        QVERIFY(!QFile::exists(scan));
        QCOMPARE(session.kind(), ContentKind::Empty);
        QVERIFY(!session.Changed());
        const QString next = file(QStringLiteral("Scan-4.png"), testpictures::png(Qt::blue));
        QCOMPARE(session.insertFor(session.ticket(), next, true), QString());
        QCOMPARE(session.shown().pictureFile, next);
    }

    void deleteThenCancelShowsTheStoredContentAgain()
    {
        ObjectSession session;
        start(session, Before::Stored);
        const QString storedFile = session.shown().pictureFile;
        session.remove();
        QCOMPARE(m_last.kind, ContentKind::Empty);
        QVERIFY(session.Deleted() && session.Changed());
        QCOMPARE(session.pendingChange(), int(ChangeDeleted));
        QVERIFY(!QFile::exists(storedFile));

        // "Nein" in the save question: the host drops the change, the
        // difference to the row remains until the row is loaded again.
        session.setChanged(false);
        QCOMPARE(session.pendingChange(), 0);
        QCOMPARE(session.differences(), int(ChangeDeleted));
        session.begin(7);
        QCOMPARE(session.load(), QString());
        QCOMPARE(session.kind(), ContentKind::Picture);
        QCOMPARE(testpictures::read(m_last.pictureFile), testpictures::png(Qt::red));
        QCOMPARE(session.differences(), 0);
        QVERIFY(rowExists(7));

        // Deleting what was never stored leaves nothing to tell.
        ObjectSession fresh;
        start(fresh, Before::Empty);
        QVERIFY(fresh.insert(file(QStringLiteral("a.png"), testpictures::png(Qt::red))).isEmpty());
        fresh.remove();
        QCOMPARE(fresh.differences(), 0);
        QVERIFY(fresh.save({}));
        QVERIFY(dao::isNull(fresh.Value()));
    }

    void annotationsAndOutsideEditsArePendingChanges()
    {
        ObjectSession session;
        start(session, Before::Stored);
        auto overlay = std::make_shared<sendral::OverlayGraphic>();
        overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(64, 96),
                           sendral::OverlayGraphic::HimetricFromPixels(48, 96), QString());
        overlay->EndDraw();
        session.annotate(overlay, QStringLiteral("script"), false);
        QCOMPARE(session.pendingChange(), 0);
        session.annotate(overlay, QStringLiteral("script"), true);
        QCOMPARE(session.pendingChange(), int(ChangeAnnotated));
        session.pictureEdited();
        QCOMPARE(session.pendingChange(), int(ChangeAnnotated | ChangeEdited));
        QVERIFY(session.save({}));
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT mScript FROM Objekt WHERE ID = 7"),
                                      dao::RecordsetType::Snapshot);
        QVERIFY(rs->Value(QStringLiteral("mScript")).toString().endsWith(QLatin1String("[CAQOSCRIPT]script")));

        // The host's own flag on a clean content counts as an edit of unknown kind.
        session.setChanged(true);
        QCOMPARE(session.pendingChange(), int(ChangeEdited));
    }

    void aSaveFailingHalfWayKeepsEverythingPending()
    {
        ObjectSession session;
        start(session, Before::Pending);
        const Held was = held(session);
        testengine::refuseWrites(*m_db, "no_objekt", QStringLiteral("BEFORE UPDATE"), QStringLiteral("Objekt"),
                                 QStringLiteral("gesperrt"));
        QVERIFY(!session.save({}));
        QVERIFY(held(session) == was);
        QCOMPARE(rowBytes(7), testpictures::png(Qt::red));
        QCOMPARE(m_boxes->shown.size(), 1);

        testengine::allowWrites(*m_db, "no_objekt", QStringLiteral("Objekt"));
        QVERIFY(session.save({}));
        QCOMPARE(rowBytes(7), testpictures::read(m_dir.filePath(QStringLiteral("zweites.png"))));

        // New content without a number from the host is not dropped.
        ObjectSession fresh;
        start(fresh, Before::Empty);
        QVERIFY(fresh.insert(file(QStringLiteral("b.png"), testpictures::png(Qt::red))).isEmpty());
        QVERIFY(!fresh.save([] { return QVariant(); }));
        QVERIFY(fresh.Changed());
        QCOMPARE(fresh.pendingChange(), int(ChangeInserted));
    }

    void theNameRuleLooksAtTheEndingOnly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::newRow("folder Fotos.olevia") << "Fotos.olevia/notiz.txt" << int(ContentKind::Document);
        QTest::newRow("folder schaden.ole-archiv") << "srv/schaden.ole-archiv/bericht.txt" << int(ContentKind::Document);
        QTest::newRow("folder bilder.png") << "bilder.png/notiz.txt" << int(ContentKind::Document);
        QTest::newRow("folder bilder.gif") << "bilder.gif/liste.csv" << int(ContentKind::Document);
        QTest::newRow("photo in a .ole folder") << "archiv.ole/foto.png" << int(ContentKind::Picture);
    }

    void theNameRuleLooksAtTheEndingOnly()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        const QByteArray bytes = kind == int(ContentKind::Picture) ? testpictures::png(Qt::red) : QByteArray("Text\n");
        ObjectSession session;
        start(session, Before::Empty);
        QCOMPARE(session.insert(file(path, bytes)), QString());
        QCOMPARE(int(session.kind()), kind);
        if (kind == int(ContentKind::Document))
            QCOMPARE(session.shown().document.bytes, bytes);
        QVERIFY(session.save([] { return QVariant(3); }));
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT fBitmap FROM Objekt WHERE ID = 3"),
                                      dao::RecordsetType::Snapshot);
        QCOMPARE(rs->Value(QStringLiteral("fBitmap")).toBool(), kind == int(ContentKind::Picture));
    }

private:
    QString file(const QString &name, const QByteArray &bytes) { return testpictures::write(m_dir.filePath(name), bytes); }

    // Empty; row 7 stored (a red photo) and shown; or that with a second photo pending.
    void start(ObjectSession &session, Before before)
    {
        session.setDatabase(m_db.get());
        session.setDisplay([this](const ObjectSession::Shown &shown) {
            ++m_shownCount;
            m_last = shown;
            return shown.kind == ContentKind::Empty ? QString() : m_refuse;
        });
        if (before == Before::Empty) {
            session.begin(0);
            return;
        }
        QVERIFY(ObjectStorage(m_db.get()).SaveObject(7, file(QStringLiteral("gespeichert.png"), testpictures::png(Qt::red)),
                                                     nullptr, {}));
        session.begin(7);
        QCOMPARE(session.load(), QString());
        if (before == Before::Pending)
            QCOMPARE(session.insert(file(QStringLiteral("zweites.png"), testpictures::png(Qt::yellow))), QString());
    }

    QByteArray rowBytes(long id)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = ?"),
                                      dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
        return rs->IsEOF() ? QByteArray() : rs->Value(QStringLiteral("lbObjekt")).toByteArray();
    }

    bool rowExists(long id) { return !rowBytes(id).isEmpty(); }

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_boxes;
    ObjectSession::Shown m_last;
    QString m_refuse;
    int m_shownCount = 0;
    int m_count = 0;
};

QTEST_MAIN(TestObjectSession)
#include "tst_objectsession.moc"
