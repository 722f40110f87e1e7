#include "TestDatabase.h"
#include "TestEngine.h"

#include "varnholt/CommandLine.h"
#include "varnholt/ControlLibrary.h"
#include "varnholt/DemoData.h"
#include "varnholt/Globals.h"

#include "editor/GraficPainter.h"
#include "editor/OverlayScript.h"
#include "kelvane/ObjectStorage.h"

#include "core/Clock.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "ole/DocumentPicture.h"
#include "sendral/OverlayGraphic.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace varnholt;

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run run(CommandHandler handler, const QStringList &args, const QString &programFolder = {})
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    CommandIo io{out, err, programFolder};
    r.code = handler(args, io);
    return r;
}

std::unique_ptr<dao::Database> open(const QString &path)
{
    return dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
}

QStringList column(dao::Database &db, const QString &statement)
{
    QStringList values;
    auto rs = db.OpenRecordset(statement, dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext())
        values.append(rs->Fields(0).Value().toString());
    return values;
}

long count(dao::Database &db, const QString &statement)
{
    auto rs = db.OpenRecordset(statement, dao::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLongLong();
}

int inkedPixels(const QImage &image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 160;
    return inked;
}

using kelvane::editor::GraficGeometry;
namespace ShapeStyle = kelvane::editor::ShapeStyle;

// An arrow's line in picture pixels: from its tail to its head.
QLineF arrowLine(const GraficGeometry &arrow)
{
    const QPointF at = arrow.Geometry().topLeft();
    return QLineF(at + QPointF(arrow.Line().X1, arrow.Line().Y1), at + QPointF(arrow.Line().X2, arrow.Line().Y2));
}

bool isOverlayRed(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

// The overlay the shapes of a script draw at a picture's size, as the editor draws it.
QImage redrawn(const std::vector<GraficGeometry> &shapes, QSize picture)
{
    QImage image(picture, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const GraficGeometry &shape : shapes)
        kelvane::editor::GraficPainter::DrawToDC(shape, painter, shape.Geometry().left(), shape.Geometry().top());
    return image;
}

// An annotation as the editor would open it: an arrow whose head touches the
// damage without covering it, a word above it, both inside the picture, and
// an overlay that is exactly what the script's shapes draw.
void checkAnnotation(const QString &script, const sendral::OverlayGraphic &overlay, QSize picture,
                     const QStringList &words)
{
    QCOMPARE(QSize(overlay.Width(), overlay.Height()), picture);
    const auto read = kelvane::editor::OverlayScript::Read(script);
    QCOMPARE(read.skipped, 0);
    QCOMPARE(read.shapes.size(), size_t(2));
    const GraficGeometry &arrow = read.shapes[0];
    const GraficGeometry &word = read.shapes[1];
    QCOMPARE(arrow.Style(), ShapeStyle::Arrow);
    QCOMPARE(word.Style(), ShapeStyle::Text);
    QVERIFY2(words.contains(word.Label().Caption), qPrintable(word.Label().Caption));

    const QRect inside(QPoint(0, 0), picture);
    const QLineF line = arrowLine(arrow);
    QVERIFY(inside.contains(line.p1().toPoint()) && inside.contains(line.p2().toPoint()));
    QVERIFY(inside.contains(word.Geometry()));
    QVERIFY2(line.length() >= 40, qPrintable(QString::number(line.length())));
    // The word lies above the tail, away from the head.
    QVERIFY(word.Geometry().bottom() <= line.p1().y() && word.Geometry().bottom() < line.p2().y());

    const QImage &drawn = overlay.Image();
    QVERIFY(isOverlayRed(drawn.pixel(line.pointAt(0.5).toPoint())));
    QVERIFY(isOverlayRed(drawn.pixel(line.p2().toPoint())));
    int wordPixels = 0;
    for (int y = word.Geometry().top(); y <= word.Geometry().bottom(); ++y)
        for (int x = word.Geometry().left(); x <= word.Geometry().right(); ++x)
            wordPixels += isOverlayRed(drawn.pixel(x, y));
    QVERIFY2(wordPixels > 30, qPrintable(QString::number(wordPixels)));
    QCOMPARE(qAlpha(drawn.pixel(picture.width() - 1, picture.height() - 1)), 0);
    QCOMPARE(redrawn(read.shapes, picture), drawn);
}

} // namespace

class TestDemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverDatabase_isMadeAndFilledByTheSameCommands()
    {
        if (testengine::serverAddress().isEmpty()) {
            if (!qEnvironmentVariableIsEmpty("CI"))
                QFAIL("VARNHOLT_TEST_PG is not set: the PostgreSQL server of scripts/services.sh is missing");
            QSKIP("no PostgreSQL server (VARNHOLT_TEST_PG)");
        }
        testengine::Databases databases;
        const QString address = databases.serverPath("demo");
        Run r = run(createDatabaseCommand, {address});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(address), qPrintable(r.out));
        r = run(createDatabaseCommand, {address});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("existiert bereits")), qPrintable(r.err));

        r = run(demoCommand, {"12", address});
        QCOMPARE(r.code, 0);
        auto db = open(address);
        QCOMPARE(db->EngineName(), QStringLiteral("PostgreSQL"));
        QCOMPARE(count(*db, "Select Count(Distinct Schadennummer) From Schaden"), 12L);
        QCOMPARE(count(*db, "Select Count(*) From Schaden Where Schadenbilder <> 0 And Objekt_ID_1 Is Null"), 0L);
        QCOMPARE(count(*db, "Select Count(*) From Objekt o Where Not Exists (Select 1 From Schaden s Where "
                            "s.Objekt_ID_1 = o.ID Or s.Objekt_ID_2 = o.ID Or s.Objekt_ID_3 = o.ID)"),
                 0L);
    }

    void createDatabase_makesBothTablesAndNeverOverwrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("neu.db");
        Run r = run(createDatabaseCommand, {path});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(path), qPrintable(r.out));
        {
            auto db = open(path);
            QVERIFY(db->TableHasColumn("Schaden", QStringLiteral("tsGeändert")));
            QVERIFY(db->TableHasColumn("Schaden", "Objekt_ID_3"));
            QVERIFY(db->TableHasColumn("Objekt", "mScript"));
            QCOMPARE(count(*db, "Select Count(*) From Schaden"), 0L);
        }
        const QString other = dir.filePath("brief.txt");
        {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("kein Datenbankinhalt");
        }
        for (const QString &existing : {path, other}) {
            QFile before(existing);
            QVERIFY(before.open(QIODevice::ReadOnly));
            const QByteArray bytes = before.readAll();
            r = run(createDatabaseCommand, {existing});
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains(QStringLiteral("besteht bereits")), qPrintable(r.err));
            QFile after(existing);
            QVERIFY(after.open(QIODevice::ReadOnly));
            QCOMPARE(after.readAll(), bytes);
        }
    }

    void createDatabase_withoutPathUsesTheDatabaseOfTheSettingsFile()
    {
        QTemporaryDir dir;
        QCOMPARE(run(createDatabaseCommand, {}, dir.path()).code, 0);
        QVERIFY(QFile::exists(dir.filePath("Varnholt.db")));
        QCOMPARE(run(createDatabaseCommand, {"a", "b"}, dir.path()).code, 1);
        // A folder that does not exist leaves nothing behind.
        QCOMPARE(run(createDatabaseCommand, {dir.filePath("fehlt/x.db")}).code, 1);
        QVERIFY(!QFile::exists(dir.filePath("fehlt")));
    }

    void demo_refusesBadCountsAndMissingDatabases()
    {
        QTemporaryDir dir;
        QCOMPARE(run(demoCommand, {}).code, 1);
        QCOMPARE(run(demoCommand, {"zehn"}).code, 1);
        QCOMPARE(run(demoCommand, {"0"}).code, 1);
        const Run r = run(demoCommand, {"10", dir.filePath("fehlt.db")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("Die Datenbank liegt nicht im Pfad: ")));
        QVERIFY(!QFile::exists(dir.filePath("fehlt.db")));
    }

    void demo_fillsEveryFieldTheWayTheProgramWould()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("demo.db");
        createTestDatabase(path);
        auto db = open(path);
        DemoData().addCases(*db, 800);
        QCOMPARE(count(*db, "Select Count(*) From Schaden"), 800L);

        // Numbers as the form gives them: per year of creation from 001, rising with the ID.
        const QStringList numbers = column(*db, "Select Schadennummer From Schaden order by ID");
        QCOMPARE(QSet<QString>(numbers.cbegin(), numbers.cend()).size(), 800);
        const QStringList created = column(*db, "Select tsErstellt From Schaden order by ID");
        QHash<QString, int> last;
        static const QRegularExpression form(QStringLiteral("^(\\d\\d)/(\\d{3,})$"));
        for (int i = 0; i < numbers.size(); ++i) {
            const QRegularExpressionMatch m = form.match(numbers.at(i));
            QVERIFY2(m.hasMatch(), qPrintable(numbers.at(i)));
            QCOMPARE(m.captured(2).toInt(), last.value(m.captured(1)) + 1);
            last[m.captured(1)] = m.captured(2).toInt();
            if (i > 0)
                QVERIFY(created.at(i - 1) <= created.at(i));
        }
        QVERIFY2(last.size() >= 6, "dates spread over several years");

        QVERIFY(count(*db, "Select Count(*) From Schaden where fErledigt=0 AND DateDiff('d',Datum,now)>60") > 0);

        // A vehicle keeps its type and parking place, a customer its number.
        const long plates = count(*db, "Select Count(Distinct EigenKZ) From Schaden");
        QVERIFY(plates > 100 && plates <= DemoData::FleetSize);
        QCOMPARE(count(*db, "Select Count(*) From (Select Distinct EigenKZ, Fahrzeugtyp, Stellplatz From Schaden)"), plates);
        QCOMPARE(count(*db, "Select Count(*) From (Select Distinct Kundenname, Kundennummer From Schaden where Kundennummer is not Null)"),
                 count(*db, "Select Count(Distinct Kundenname) From Schaden where Kundennummer is not Null"));
        QCOMPARE(count(*db, "Select Count(*) From Schaden where Datum > tsErstellt"), 0L);
        QCOMPARE(count(*db, "Select Count(*) From Schaden where Selbstbeteiligung > Schadenbetrag"), 0L);
    }

    void demo_continuesAfterExistingCasesAndRepeatsForTheSameSeed()
    {
        // Dates count back from now; both runs must see the same moment.
        core::Clock::setFixed(QDateTime(QDate(2026, 5, 4), QTime(10, 30)));
        QTemporaryDir dir;
        const QString a = dir.filePath("a.db");
        const QString b = dir.filePath("b.db");
        createTestDatabase(a);
        createTestDatabase(b);
        auto dbA = open(a);
        auto dbB = open(b);

        QList<long> given;
        int hookDepth = -1;
        DemoData demo;
        demo.setAttachmentHook([&](dao::Database &db, const QList<long> &ids) {
            given = ids;
            hookDepth = db.TransactionDepth();
        });
        QCOMPARE(demo.addCases(*dbA, 40), given);
        QCOMPARE(given.first(), 1L);
        QCOMPARE(given.last(), 40L);
        QVERIFY(hookDepth > 0);
        QCOMPARE(demo.addCases(*dbA, 25).first(), 41L);
        QCOMPARE(count(*dbA, "Select Count(Distinct Schadennummer) From Schaden"), 65L);

        DemoData().addCases(*dbB, 40);
        DemoData().addCases(*dbB, 25);
        const QString all = QStringLiteral("Select * From Schaden order by ID");
        auto rsA = dbA->OpenRecordset(all, dao::RecordsetType::ForwardOnly);
        auto rsB = dbB->OpenRecordset(all, dao::RecordsetType::ForwardOnly);
        for (; !rsA->IsEOF(); rsA->MoveNext(), rsB->MoveNext()) {
            QVERIFY(!rsB->IsEOF());
            for (int f = 0; f < rsA->FieldCount(); ++f)
                QCOMPARE(rsA->Fields(f).Value(), rsB->Fields(f).Value());
        }
        QVERIFY(rsB->IsEOF());
        core::Clock::reset();
    }

    void annotation_pointsAtTheDamageFromInsideThePicture()
    {
        struct Case {
            QSize picture;
            QPointF centre;
            qreal radius;
        };
        const QList<Case> cases = {
            {{1280, 960}, {700, 640}, 60},      // in the middle of the car
            {{720, 540}, {80, 380}, 30},        // near the left edge of a small photo
            {{1280, 960}, {900, 120}, 40},      // high up: no room for a long arrow and the word
            {{1280, 960}, {1270, 950}, 50},     // in the bottom right corner
        };
        // Drawn by the library the program loads at run time.
        const std::unique_ptr<kelvane::IAttachmentWriter> writer =
            varnholt::ControlLibrary::program().attachmentWriter(nullptr);
        QVERIFY(writer);
        for (const Case &c : cases) {
            const kelvane::Annotation annotation = writer->MarkDamage(c.picture, c.centre, c.radius, "Delle");
            QVERIFY(annotation.overlay);
            checkAnnotation(annotation.script, *annotation.overlay, c.picture, {QStringLiteral("Delle")});
            if (QTest::currentTestFailed())
                return;
            const GraficGeometry arrow = kelvane::editor::OverlayScript::Read(annotation.script).shapes[0];
            const QLineF line = arrowLine(arrow);
            const QLineF toDamage(line.p2(), c.centre);
            // The head touches the dent's rim and the arrow comes towards it.
            QVERIFY2(toDamage.length() <= c.radius * 1.05 + 1, qPrintable(QString::number(toDamage.length())));
            QVERIFY(QLineF(line.p1(), c.centre).length() > toDamage.length() + 20);
            // The damage itself stays visible under the overlay.
            const QPoint dent(qMin(qRound(c.centre.x()), c.picture.width() - 1),
                              qMin(qRound(c.centre.y()), c.picture.height() - 1));
            QCOMPARE(qAlpha(annotation.overlay->Image().pixel(dent)), 0);
        }
    }

    void demo_givesAboutAThirdOfTheCasesTheirOwnPhotos()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bilder.db");
        createTestDatabase(path);
        const Run r = run(demoCommand, {"36", path});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("36 Demo-Schadensfälle")), qPrintable(r.out));

        auto db = open(path);
        auto cases = db->OpenRecordset("Select * From Schaden order by ID", dao::RecordsetType::Snapshot);
        int withPictures = 0;
        int pictures = 0;
        int estimates = 0;
        int annotated = 0;
        QSet<QByteArray> seen;
        for (; !cases->IsEOF(); cases->MoveNext()) {
            const bool flagged = cases->Value("Schadenbilder").toBool();
            int refs = 0;
            for (const char *column : {"Objekt_ID_1", "Objekt_ID_2", "Objekt_ID_3"}) {
                const QVariant id = cases->Value(column);
                if (dao::isNull(id))
                    continue;
                ++refs;
                auto object = db->OpenRecordset("Select * From Objekt Where ID = ?", dao::RecordsetType::Snapshot,
                                                dao::RecordsetOption::None, {id});
                QVERIFY2(!object->IsEOF(), "a case names a picture that is not stored");
                const QByteArray bytes = object->Value("lbObjekt").toByteArray();
                const QString kind = object->Value("tClass").toString();
                if (!object->Value("fBitmap").toBool()) {
                    // A repair estimate, stored as the attachment control stores a document.
                    QCOMPARE(kind, QStringLiteral("OLE"));
                    QVERIFY(dao::isNull(object->Value("mScript")));
                    QByteArray stored = bytes;
                    QBuffer buffer(&stored);
                    buffer.open(QIODevice::ReadOnly);
                    QString error;
                    const std::optional<ole::Document> estimate = ole::readDocument(buffer, &error);
                    QVERIFY2(estimate, qPrintable(error));
                    QCOMPARE(estimate->className, QStringLiteral("application/pdf"));
                    QVERIFY(estimate->fileName.startsWith(QStringLiteral("Kostenvoranschlag ")));
                    const QImage page = ole::documentPicture(*estimate, QSize(200, 283));
                    QVERIFY2(inkedPixels(page) > 500, "the estimate's first page shows its text");
                    ++estimates;
                    continue;
                }
                QVERIFY(kind == "jpg" || kind == "png");
                QVERIFY2(bytes.size() > 100 * 1024, qPrintable(QString::number(bytes.size())));
                const QImage shown = QImage::fromData(bytes);
                QVERIFY(!shown.isNull());
                QVERIFY2(!seen.contains(bytes), "two pictures are the same");
                // Every third photo comes annotated, read back as the attachment control reads it.
                if (!dao::isNull(object->Value("mScript"))) {
                    QString file;
                    bool isBitmap = false;
                    std::shared_ptr<sendral::OverlayGraphic> overlay;
                    QString script;
                    kelvane::ObjectStorage storage(db.get());
                    QVERIFY(storage.LoadObject(id.toLongLong(), file, isBitmap, overlay, script));
                    QFile::remove(file);
                    QVERIFY(isBitmap && overlay);
                    checkAnnotation(script, *overlay, shown.size(),
                                    {QStringLiteral("Kratzer"), QStringLiteral("Delle"), QStringLiteral("Hier")});
                    ++annotated;
                }
                seen.insert(bytes);
            }
            QCOMPARE(flagged, refs > 0);
            withPictures += refs > 0;
            pictures += refs;
        }
        pictures -= estimates;
        QCOMPARE(annotated, (pictures + 2) / 3);
        QVERIFY(r.out.contains(QStringLiteral("(%1 beschriftet)").arg(annotated)));
        QVERIFY(withPictures > 0 && estimates > 0);
        QCOMPARE(count(*db, "Select Count(*) From Objekt"), long(pictures + estimates));
        QVERIFY(r.out.contains(QString::number(pictures) + " Bilder"));
        QVERIFY(r.out.contains(QString::number(estimates) + QStringLiteral(" Kostenvoranschläge")));
    }

    // The program itself, which loads libkelvane only at run time: its demo
    // annotates through the library and its printing shows the pictures
    // through the library's control, with one copy of the platform code
    // (two copies stop the sanitizer build with an ODR report).
    void program_demoAndPrintThroughTheLibraryLoadedAtRunTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("programm.db");
        createTestDatabase(path);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/varnholt");
        const auto start = [&](const QStringList &args) {
            QProcess child;
            child.start(program, args);
            QVERIFY2(child.waitForFinished(120000), qPrintable(args.join(' ')));
            const QString err = QString::fromLocal8Bit(child.readAllStandardError());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(err));
            QVERIFY2(!err.contains(QStringLiteral("Sanitizer")), qPrintable(err));
        };
        start({"--demo", "12", path});
        if (QTest::currentTestFailed())
            return;
        // Each demo case is in the history: made, and its photo inserted; the chain holds.
        start({"--verify-history", path});
        auto db = open(path);
        QCOMPARE(column(*db, "Select Count(Distinct Schaden_ID) From Verlauf Where Art = 'angelegt'"), QStringList{"12"});
        QCOMPARE(column(*db, "Select Count(*) From Verlauf Where Feld = 'Bild 1'"),
                 column(*db, "Select Count(*) From Schaden Where Objekt_ID_1 Is Not Null"));
        const QStringList pictured =
            column(*db, "Select Schaden.ID From Schaden Join Objekt On Objekt.ID = Schaden.Objekt_ID_1 "
                        "Where Objekt.mScript Is Not Null And Objekt.mScript <> '' Order By Schaden.ID");
        db.reset();
        QVERIFY(!pictured.isEmpty());
        const QString pdf = dir.filePath("fall.pdf");
        start({"--print", pictured.first(), "--pdf", pdf, path});
        QVERIFY(QFileInfo(pdf).size() > 0);
    }
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
