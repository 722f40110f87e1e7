#include "ListDatabase.h"

#include "vehicle/DiagramPainter.h"
#include "vehicle/MarkStore.h"
#include "vehicle/Outline.h"
#include "vehicle/RecordDrawing.h"
#include "vehicle/SkizzeAddition.h"
#include "vehicle/VehicleRecord.h"

#include "report/ReportJob.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate kDay(2025, 6, 2);

QString caseDefinition()
{
    QFile file(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no Protokoll.def");
    return report::decodeDefinitionFile(file.readAll());
}

QStringList texts(const report::ReportJob &job)
{
    QStringList all;
    const report::PageItemList &items = job.keptItems();
    for (int i = 0; i < items.count(); ++i)
        if (!items.at(i).command.isEmpty())
            all.append(items.at(i).text);
    return all;
}

const report::ReportElement *itemOf(const report::ReportJob &job, report::ElementKind kind)
{
    const report::PageItemList &items = job.keptItems();
    for (int i = 0; i < items.count(); ++i)
        if (items.at(i).kind == kind)
            return &items.at(i);
    return nullptr;
}

// How many strongly red pixels a page shows: the case's own marks.
int redPixels(report::ReportJob &job, int page)
{
    QImage sheet(1240, 1754, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    job.renderPage(painter, page, QRectF(0, 0, 1240, 1754));
    painter.end();
    int red = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            const QColor c = sheet.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 110 && c.blue() < 110;
        }
    return red;
}

// The drawing as the SVG renderer shows it (its texts hidden in the file)
// and as the diagram paints it, the label boxes left white in both.
QList<QImage> bothDrawings(const QString &outline, const QSize &size)
{
    const vehicle::DiagramPainter diagram(outline);
    QFile file(vehicle::OutlineChoice::drawingFile(outline));
    file.open(QIODevice::ReadOnly);
    QSvgRenderer renderer(file.readAll());
    QList<QImage> images;
    for (int i = 0; i < 2; ++i) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const vehicle::DiagramGeometry where = diagram.geometry(QRectF(QPointF(0, 0), size));
        if (i == 0)
            renderer.render(&painter, where.drawn());
        else
            diagram.paint(painter, where, {}, {}, 10);
        const double scale = where.drawn().width() / diagram.drawingSize().width();
        for (const vehicle::DiagramPainter::Label &label : diagram.labels()) {
            const QPointF at = where.drawn().topLeft() + label.at * scale;
            const double height = label.size * scale;
            painter.fillRect(QRectF(at.x() - 4 * height, at.y() - 1.2 * height, 8 * height, 1.6 * height), Qt::white);
        }
        images.append(image);
    }
    return images;
}

} // namespace

class TestVehicleReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    void theCaseReportShowsItsDiagramAfterThePictures_aCaseWithoutMarksPrintsAsBefore()
    {
        ListDatabase data;
        for (long id : {1L, 2L, 3L}) {
            TestCase c;
            c.id = id;
            c.plate = id == 3 ? QStringLiteral("B-XY 9") : QStringLiteral("B-AB 1");
            c.datum = kDay.addDays(int(id));
            c.description = QStringLiteral("Delle hinten");
            data.add(c);
        }
        vehicle::MarkStore store(*data.db);
        vehicle::DamageMark earlier;
        earlier.nr = 1;
        earlier.at = QPoint(850, 500);
        earlier.kind = QStringLiteral("Kratzer");
        store.writeCase(1, QStringLiteral("B-AB 1"), {}, {earlier});
        vehicle::DamageMark own;
        own.nr = 1;
        own.at = QPoint(300, 500);
        own.kind = QStringLiteral("Delle");
        own.severity = QStringLiteral("mittel");
        own.picture = 2;
        own.note = QStringLiteral("Heckklappe");
        store.writeCase(2, QStringLiteral("B-AB 1"), {}, {own});

        const auto laidOut = [&data](long caseId, bool withDiagram) {
            auto job = std::make_unique<report::ReportJob>(
                data.db.get(), report::PrintRequest{report::PrintKindCase, caseId, {}, true, nullptr}, caseDefinition());
            auto addition = std::make_unique<vehicle::SkizzeAddition>(*data.db);
            if (withDiagram)
                job->setAddition(addition.get());
            if (!job->layout())
                qFatal("layout failed");
            return std::make_pair(std::move(job), std::move(addition));
        };

        // Without marks of its own or of its vehicle the report is what it was.
        auto [plain, plainAddition] = laidOut(3, true);
        auto [before, beforeAddition] = laidOut(3, false);
        QCOMPARE(texts(*plain), texts(*before));
        QCOMPARE(plain->totalPages(), before->totalPages());
        QVERIFY(!texts(*plain).contains(QStringLiteral("Schadenskizze")));

        auto [marked, markedAddition] = laidOut(2, true);
        const QStringList shown = texts(*marked);
        const qsizetype heading = shown.indexOf(QStringLiteral("Schadenskizze"));
        QVERIFY(heading > shown.indexOf(QStringLiteral("Schadenbeschreibung")));
        const report::ReportElement *legend = nullptr;
        for (int i = 0; i < marked->keptItems().count(); ++i)
            if (marked->keptItems().at(i).field == QLatin1String("S_SKIZZENLEGENDE"))
                legend = &marked->keptItems().at(i);
        QVERIFY(legend);
        QCOMPARE(legend->text.split(QStringLiteral("\r\n")),
                 (QStringList{QStringLiteral("1  Delle  mittel  Bild 2  Heckklappe"),
                              QStringLiteral("1  Kratzer  leicht  Vorschaden aus 09/001")}));
        const report::ReportElement *drawing = itemOf(*marked, report::ElementKind::Drawing);
        QVERIFY(drawing);
        QCOMPARE(drawing->page, legend->page);
        // The drawing is painted with the case's own mark in red.
        QVERIFY(redPixels(*marked, drawing->page) > 20);
        QCOMPARE(redPixels(*before, 1), 0);

        // The drawing's side names reach the PDF as text, not as glyph
        // outlines that made the page several times larger and slower.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("case.pdf"));
        QString message;
        QVERIFY2(marked->writePdf(pdf, &message), qPrintable(message));
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(tool.waitForFinished(30000));
        const QStringList words = QString::fromUtf8(tool.readAllStandardOutput()).split(
            QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (const char *side : {"vorne", "hinten", "links", "rechts"})
            QVERIFY2(words.contains(QLatin1String(side)), side);
    }

    void theOutlineIsPaintedAsItsFileShowsIt_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QSize>("size");
        QTest::newRow("car, 6 cm at 300 dpi") << vehicle::OutlineChoice::car() << QSize(709, 532);
        QTest::newRow("van, on screen") << vehicle::OutlineChoice::van() << QSize(400, 320);
    }
    void theOutlineIsPaintedAsItsFileShowsIt()
    {
        QFETCH(QString, outline);
        QFETCH(QSize, size);
        const QList<QImage> images = bothDrawings(outline, size);
        int lines = 0, apart = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int svg = qGray(images[0].pixel(x, y));
                const int painted = qGray(images[1].pixel(x, y));
                lines += svg < 128;
                apart += qAbs(svg - painted) > 96;
            }
        // Every shape in its place, filled and as wide as the file has it:
        // only the anti-aliased edges may differ.
        QVERIFY2(lines > size.width() * 5, qPrintable(QString::number(lines)));
        QVERIFY2(apart < lines / 50, qPrintable(QStringLiteral("%1 of %2").arg(apart).arg(lines)));
    }

    void theVehicleRecordListsEveryCaseAndTheSumsPerYear()
    {
        ListDatabase data;
        data.db->BeginTrans();
        for (long id = 1; id <= 90; ++id) {
            TestCase c;
            c.id = id;
            c.plate = id % 3 == 0 ? QStringLiteral("B-XY 9") : QStringLiteral("B-AB 1");
            c.datum = kDay.addDays(int(-12 * id));
            data.add(c);
        }
        data.db->Execute(QStringLiteral("UPDATE Schaden SET Schadenbetrag=?, Selbstbeteiligung=?"),
                         {QVariant::fromValue(dao::Currency::fromUnits(1000000)),
                          QVariant::fromValue(dao::Currency::fromUnits(1500000))});
        data.db->CommitTrans();
        vehicle::DamageMark mark;
        mark.nr = 1;
        mark.at = QPoint(500, 500);
        vehicle::MarkStore(*data.db).writeCase(4, QStringLiteral("B-AB 1"), {}, {mark});

        const vehicle::VehicleRecord record = vehicle::VehicleRecord::load(*data.db, QStringLiteral("b-ab 1"));
        QCOMPARE(record.cases().size(), 60);
        QCOMPARE(record.cases().first().id, 89L);   // the oldest first
        QCOMPARE(record.openMarks().size(), 1);
        int counted = 0;
        for (const vehicle::VehicleRecord::YearSum &year : record.years()) {
            counted += year.cases;
            QCOMPARE(year.amount.units(), 1000000LL * year.cases);
        }
        QCOMPARE(counted, 60);

        report::ReportJob job(data.db.get(), report::PrintRequest{report::PrintKindVehicle, 0, record.plate(), true, nullptr},
                              record.reportDefinition());
        vehicle::RecordDrawing drawing(record);
        job.setAddition(&drawing);
        QVERIFY(job.layout());
        QVERIFY(job.totalPages() >= 2);
        const QStringList shown = texts(job);
        for (const vehicle::VehicleRecord::Case &c : record.cases())
            QVERIFY2(shown.contains(c.number), qPrintable(c.number));
        QVERIFY(!shown.contains(QStringLiteral("09/003")));
        QVERIFY(shown.contains(QStringLiteral("Summen je Jahr")));
        QVERIFY(shown.contains(QStringLiteral("150,00")));
        QVERIFY(itemOf(job, report::ElementKind::Drawing));
    }
};

QTEST_MAIN(TestVehicleReport)
#include "tst_vehiclereport.moc"
