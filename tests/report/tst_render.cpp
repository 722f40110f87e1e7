#include "ReportTestData.h"
#include "TestPictures.h"

#include "report/AttachmentSource.h"
#include "report/GridSource.h"
#include "report/PageRenderer.h"
#include "print/PrintCommand.h"
#include "report/ReportJob.h"

#include <QDataStream>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace report;

namespace {

constexpr double kPixelsPerCm = 50;

int px(double cm) { return static_cast<int>(std::lround(cm * kPixelsPerCm)); }

// The page drawn onto a white image of an upright A4 sheet.
QImage render(const QString &definition, const RenderOptions &options = {}, dao::Database *db = nullptr,
              AttachmentSource *pictures = nullptr)
{
    CaseLayout run(db, 1, definition);
    QImage image(px(21.0), px(29.7), QImage::Format_RGB32);
    image.fill(Qt::white);
    PageRenderer renderer(run.items(), run.layout->totalPages(), QSizeF(21.0, 29.7), pictures);
    QPainter painter(&image);
    renderer.RenderPage(painter, 1, QRectF(0, 0, image.width(), image.height()), options);
    return image;
}

bool isDark(QRgb p) { return qGray(p) < 110; }

// The bounding box of the dark pixels within a region (cm); null when none.
QRect darkBox(const QImage &image, const QRectF &regionCm)
{
    QRect found;
    const QRect region(QPoint(px(regionCm.left()), px(regionCm.top())), QPoint(px(regionCm.right()), px(regionCm.bottom())));
    for (int y = std::max(0, region.top()); y <= std::min(image.height() - 1, region.bottom()); ++y) {
        for (int x = std::max(0, region.left()); x <= std::min(image.width() - 1, region.right()); ++x) {
            if (isDark(image.pixel(x, y)))
                found = found.united(QRect(x, y, 1, 1));
        }
    }
    return found;
}

QColor at(const QImage &image, double xCm, double yCm) { return image.pixelColor(px(xCm), px(yCm)); }

int countColour(const QImage &image, const QRectF &regionCm, const QColor &colour)
{
    int n = 0;
    for (int y = px(regionCm.top()); y <= px(regionCm.bottom()); ++y) {
        for (int x = px(regionCm.left()); x <= px(regionCm.right()); ++x)
            n += image.pixelColor(x, y) == colour;
    }
    return n;
}

struct Word {
    QString text;
    double xMin, yMin;   // cm
    int page;
};

// pdftotext -bbox: every word with its position.
QList<Word> pdfWords(const QString &pdf, int *pages = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    tool.waitForFinished(60000);
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    QList<Word> words;
    int page = 0;
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(3);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&")).replace(QStringLiteral("&apos;"), QStringLiteral("'"));
        words.append({text, m.captured(1).toDouble() * 2.54 / 72, m.captured(2).toDouble() * 2.54 / 72, page});
    }
    if (pages)
        *pages = page;
    return words;
}

const Word *findWord(const QList<Word> &words, const QString &text)
{
    for (const Word &w : words) {
        if (w.text == text)
            return &w;
    }
    return nullptr;
}

QString pdfText(const QString &pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    tool.waitForFinished(60000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

class RenderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        useGermanLocale();
    }
    void textWhereTheDefinitionPutsIt();
    void coloursAndFrames();
    void greeking();
    void previewTextIsAsWideAsOnPaper_data();
    void previewTextIsAsWideAsOnPaper();
    void memoFrames();
    void pictures();
    void listIntoPdf();
    void longListPagesLetGoAreTheSameAgain_data();
    void longListPagesLetGoAreTheSameAgain();
    void caseIntoPdf();
    void commandFailures();
    void readFailuresAreNotPrintedAsBlanks();
};

void RenderTest::textWhereTheDefinitionPutsIt()
{
    const QImage image = render(QStringLiteral(
        "[SCHADEN]\r"
        "CT,2,2,10,3,0,Arial,,20,XXXX\r"
        "CT,2,4,10,5,1,Arial,,20,XXXX\r"
        "CT,2,6,10,7,2,Arial,,20,XXXX\r"
        "CT,2,8,10,9,3,Arial,,20,XXXX\r"
        "CT,2,10,0,0,1,Arial,,20,XXXX\r"
        "CT,2,12,3,13,0,Arial,,20,XXXXXXXXXX\r"
        "PDAT,2,14,Arial,,20,\"dd.mm.yyyy\"\r"
        "ENDE,0,0"));
    const QRect left = darkBox(image, QRectF(0, 1.5, 21, 1.5));
    QVERIFY(!left.isNull());
    QVERIFY(std::abs(left.left() - px(2)) <= 3);
    QVERIFY(left.top() >= px(2) && left.bottom() <= px(3));

    const QRect right = darkBox(image, QRectF(0, 3.5, 21, 1.5));
    QVERIFY(std::abs(right.right() - px(10)) <= 3);
    QCOMPARE(right.width(), left.width());

    const QRect centred = darkBox(image, QRectF(0, 5.5, 21, 1.5));
    QVERIFY(std::abs(centred.center().x() - px(6)) <= 3);

    QCOMPARE(darkBox(image, QRectF(0, 7.5, 21, 1.5)).left(), left.left());
    // A box as large as its text: right alignment changes nothing.
    QCOMPARE(darkBox(image, QRectF(0, 9.5, 21, 1.5)).left(), left.left());
    // Text that passes its box is cut off at the box.
    const QRect cut = darkBox(image, QRectF(0, 11.5, 21, 1.5));
    QVERIFY(cut.right() <= px(3) + 1);
    QVERIFY(!darkBox(image, QRectF(1.5, 13.8, 6, 1.2)).isNull());
}

void RenderTest::coloursAndFrames()
{
    const QImage image = render(QStringLiteral(
        "[SCHADEN]\r"
        "RECT,2,6,4,7,0,6,12\r"
        "RECT,5,6,7,7,0,6,255\r"
        "RECT,8,6,10,7,0,0,0\r"
        "RECT,11,6,15,8,0.2,0,2\r"
        "RECT,16,6,18,7,0.3,6,16711680\r"
        "RECT,2,10,19,10,0.02,0,0\r"
        "RECT,2,12,4,13,0,5,0\r"
        "ENDE,0,0"));
    QCOMPARE(at(image, 3, 6.5), QColor(255, 0, 0));      // palette 12
    QCOMPARE(at(image, 6, 6.5), QColor(255, 0, 0));      // RGB 255: red in the low byte
    QCOMPARE(at(image, 17, 6.5), QColor(0, 0, 255));     // style 6 fills, whatever the width
    QCOMPARE(at(image, 9, 6.5), QColor(Qt::white));      // width 0: an outline
    QVERIFY(isDark(at(image, 8, 6.5).rgb()));
    QCOMPARE(at(image, 11.05, 7), QColor(0, 128, 0));    // bars of 0.2 cm inside the box
    QCOMPARE(at(image, 14.95, 7), QColor(0, 128, 0));
    QCOMPARE(at(image, 13, 6.05), QColor(0, 128, 0));
    QCOMPARE(at(image, 13, 7), QColor(Qt::white));
    QCOMPARE(at(image, 11.3, 7), QColor(Qt::white));
    // A horizontal line: a bar each side of it.
    QVERIFY(isDark(at(image, 10, 10).rgb()));
    QVERIFY(!darkBox(image, QRectF(2, 9.9, 17, 0.2)).isNull());
    QVERIFY(darkBox(image, QRectF(2, 10.2, 17, 1)).isNull());
    // Line style 5 is invisible.
    QVERIFY(darkBox(image, QRectF(1.9, 11.9, 2.2, 1.2)).isNull());

    // Codes that name no colour.
    QVERIFY(!PageRenderer::colourOfCode(-1).isValid());
    QVERIFY(!PageRenderer::colourOfCode(0x1000000).isValid());
}

void RenderTest::greeking()
{
    const QString definition = QStringLiteral("[SCHADEN]\rCT,2,2,10,3,0,Arial,,9,Kleiner Text\r"
                                              "PAGE,2,4,Arial,,9,###\rENDE,0,0");
    const QColor grey(192, 192, 192);
    const QImage zoomedOut = render(definition, {true, 0.2});
    QVERIFY(darkBox(zoomedOut, QRectF(1, 1, 19, 5)).isNull());
    QVERIFY(countColour(zoomedOut, QRectF(2, 2, 2, 0.3), grey) > 100);
    QVERIFY(countColour(zoomedOut, QRectF(2, 4, 0.1, 0.2), grey) > 10);

    const QImage full = render(definition, {true, 1.0});
    QVERIFY(!darkBox(full, QRectF(1, 1, 19, 2)).isNull());
    QVERIFY(countColour(full, QRectF(2, 2, 2, 0.3), grey) < 10);   // at most a smoothed edge
    // The printer always draws text.
    QVERIFY(!darkBox(render(definition, {false, 0.2}), QRectF(1, 1, 19, 2)).isNull());
}

void RenderTest::previewTextIsAsWideAsOnPaper_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("pdfFont");
    QTest::newRow("Arial") << QStringLiteral("Arial") << QStringLiteral("LiberationSans");
    QTest::newRow("Times New Roman") << QStringLiteral("Times New Roman") << QStringLiteral("LiberationSerif");
    QTest::newRow("unknown face") << QStringLiteral("TNR") << QStringLiteral("LiberationSerif");
    QTest::newRow("Courier New") << QStringLiteral("Courier New") << QStringLiteral("LiberationMono");
}

void RenderTest::previewTextIsAsWideAsOnPaper()
{
    QFETCH(QString, face);
    QFETCH(QString, pdfFont);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    const QString definition = QStringLiteral("[SCHADEN]\rCT,2,2,0,0,0,%1,,12,Radmutternschlüssel, Wagenheber und "
                                              "Warndreieck geprüft\rENDE,0,0")
                                   .arg(face);
    const QRect preview = darkBox(render(definition, {true, 1.0}), QRectF(0, 1.5, 21, 1.5));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("zeile.pdf"));
    {
        CaseLayout run(nullptr, 1, definition);
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins({});
        PageRenderer renderer(run.items(), run.layout->totalPages(), QSizeF(21.0, 29.7), nullptr);
        QPainter painter(&writer);
        QVERIFY(renderer.RenderPage(painter, 1, QRectF(0, 0, writer.width(), writer.height()), {}));
    }
    QProcess tool;
    tool.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kPixelsPerCm * 2.54),
                                            QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                                            dir.filePath(QStringLiteral("zeile"))});
    QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
    const QRect paper = darkBox(QImage(dir.filePath(QStringLiteral("zeile.png"))), QRectF(0, 1.5, 21, 1.5));
    QVERIFY(!preview.isNull() && !paper.isNull());
    // 1 px is 0.2 mm; the serif face the preview used to take was 2 cm narrower.
    QVERIFY2(std::abs(preview.width() - paper.width()) <= 2,
             qPrintable(QStringLiteral("preview %1 px, paper %2 px").arg(preview.width()).arg(paper.width())));
    QVERIFY(std::abs(preview.left() - paper.left()) <= 2);

    tool.start(QStringLiteral("pdffonts"), {pdf});
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(tool.readAllStandardOutput()).contains(pdfFont));
}

void RenderTest::memoFrames()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Anmerkung"), QStringLiteral("Erste Zeile\r\nZweite Zeile")}});
    const QImage image = render(QStringLiteral("[SCHADEN]\r"
                                               "MEMO,2,2,12,3,1,Arial,,12,12,S_Anmerkung\r"
                                               "MEMO,2,8,12,9,2,Arial,,12,9,S_Anmerkung\r"
                                               "MEMO,2,14,12,15,1,Arial,,12,12,S_Leer\r"
                                               "ENDE,0,0"),
                                {}, base.db.get());
    const QColor red(255, 0, 0), blue(0, 0, 255);
    // A closed frame around both lines.
    QVERIFY(countColour(image, QRectF(1.9, 2, 0.2, 0.5), red) > 0);
    QVERIFY(countColour(image, QRectF(11.9, 2, 0.2, 0.5), red) > 0);
    QVERIFY(countColour(image, QRectF(5, 1.9, 2, 0.2), red) > 0);
    const QRect text = darkBox(image, QRectF(2.1, 2.1, 9.8, 3));
    QVERIFY(text.height() > px(0.6));   // two lines
    QVERIFY(countColour(image, QRectF(5, text.bottom() / kPixelsPerCm, 2, 0.3), red) > 0);
    // A band under the text, none around it.
    QCOMPARE(countColour(image, QRectF(5, 7.9, 2, 0.2), blue), 0);
    QVERIFY(countColour(image, QRectF(5, 8.6, 2, 0.6), blue) > 0);
    // An empty memo draws no frame.
    QCOMPARE(countColour(image, QRectF(1.5, 13.5, 11, 2), red), 0);
}

void RenderTest::pictures()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Objekt_ID_1"), 1}, {QStringLiteral("Objekt_ID_2"), 2}});
    base.addPicture(1, testpictures::png(Qt::red, 200, 100));   // 96 dpi: 5.29 cm by 2.65 cm
    base.addPicture(2, QByteArray("kein Bild"), false);
    StoredPictureSource source(*base.db);
    QVERIFY(source.picture(2, true).isNull());
    QVERIFY(source.picture(0, true).isNull());
    // Read as the viewer reads: a picture declaring 40000 x 40000 pixels is not decoded.
    QByteArray huge("BM");
    {
        QDataStream header(&huge, QIODevice::WriteOnly | QIODevice::Append);
        header.setByteOrder(QDataStream::LittleEndian);
        header << quint32(54) << quint32(0) << quint32(54) << quint32(40) << qint32(40000) << qint32(40000)
               << quint16(1) << quint16(24) << quint32(0) << quint32(0) << qint32(2835) << qint32(2835)
               << quint32(0) << quint32(0);
    }
    base.addPicture(3, huge);
    QVERIFY(source.picture(3, true).isNull());
    // Decoded for its box, never larger, and as large on paper as the whole.
    const QImage whole = source.picture(1, true);
    const QImage boxed = source.printPicture(1, true, QSize(50, 50));
    QVERIFY(boxed.width() <= 50 && boxed.height() <= 50);
    QVERIFY(qAbs(double(boxed.width()) / boxed.dotsPerMeterX() - double(whole.width()) / whole.dotsPerMeterX()) < 0.002);

    const auto draw = [&](int fit, const QString &field = QStringLiteral("S_ID_1")) {
        return render(QStringLiteral("[SCHADEN]\rOBJEKT,2,10,10,18,%1,0,%2\rENDE,0,0").arg(field).arg(fit), {},
                      base.db.get(), &source);
    };
    const QColor red(255, 0, 0), white(Qt::white);
    const QImage own = draw(0);                       // smaller than the box: its own size
    QCOMPARE(at(own, 2.2, 10.2), red);
    QCOMPARE(at(own, 7.1, 12.5), red);
    QCOMPARE(at(own, 7.6, 11), white);
    QCOMPARE(at(own, 3, 13), white);
    const QImage fitted = draw(1);                    // scaled to the box, keeping its shape
    QCOMPARE(at(fitted, 9.8, 11), red);
    QCOMPARE(at(fitted, 5, 13.8), red);
    QCOMPARE(at(fitted, 5, 14.3), white);
    const QImage stretched = draw(2);
    QCOMPARE(at(stretched, 9.8, 17.8), red);
    QCOMPARE(at(stretched, 10.2, 17.8), white);
    QCOMPARE(at(draw(1, QStringLiteral("S_ID_2")), 5, 11), white);   // a document, no picture
    QCOMPARE(at(draw(1, QStringLiteral("S_ID_3")), 5, 11), white);   // none
}

void RenderTest::listIntoPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("09/001")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL 1")}});
    base.addCase(2, {{QStringLiteral("Schadennummer"), QStringLiteral("09/002")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("B-XY 2")}});
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr, EigenKZ as Auto From Schaden order by ID"),
                         {}, {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0}, {QStringLiteral("Auto"), 2000, 0}});
    const PrintRequest request{PrintKindList, grid.rowCount(), QStringLiteral("Fahrzeug: Alle - Status: Erledigt"), false,
                               &grid};
    ReportJob job(base.db.get(), request, *ReportJob::definitionText(request, QString(), nullptr));
    QCOMPARE(job.paperCm(), QSizeF(29.7, 21.0));
    QVERIFY(job.layout());
    const QString pdf = base.dir.filePath(QStringLiteral("liste.pdf"));
    QString message;
    QVERIFY2(job.writePdf(pdf, &message), qPrintable(message));

    int pages = 0;
    const QList<Word> words = pdfWords(pdf, &pages);
    QCOMPARE(pages, 1);
    const Word *title = findWord(words, QStringLiteral("Schadensmeldungen"));
    QVERIFY(title);
    QVERIFY(std::abs(title->xMin - 2.0) < 0.05);
    QVERIFY(std::abs(title->yMin - 1.4) < 0.15);
    const Word *page = findWord(words, QStringLiteral("Seite"));
    QVERIFY(page);
    QVERIFY(std::abs(page->xMin - 13.26) < 0.05);
    QVERIFY(std::abs(page->yMin - 18.77) < 0.15);
    const Word *subtitle = findWord(words, QStringLiteral("Erledigt"));
    QVERIFY(subtitle && subtitle->xMin > 9.0 && subtitle->yMin < 2.2);
    const Word *first = findWord(words, QStringLiteral("09/001"));
    const Word *second = findWord(words, QStringLiteral("09/002"));
    QVERIFY(first && second);
    // Left-aligned cells start 100 twips and 0.15 cm right of the grid.
    QVERIFY(std::abs(first->xMin - (2.0 + twipsToCm(100) + 0.15)) < 0.05);
    QVERIFY(second->yMin > first->yMin);
    QVERIFY(findWord(words, QStringLiteral("O'NEIL")));
}

void RenderTest::longListPagesLetGoAreTheSameAgain_data()
{
    QTest::addColumn<QList<int>>("visits");
    // 0 stands for the last page.
    QTest::newRow("back to an early page after later ones") << QList<int>{1, 30, 0, 20, 2, 20};
    QTest::newRow("on and back page by page past the kept ones") << QList<int>{15, 16, 17, 18, 17, 16, 15, 0, 35};
}

void RenderTest::longListPagesLetGoAreTheSameAgain()
{
    QFETCH(QList<int>, visits);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    constexpr long kRows = 1500;
    ReportDatabase base;
    {
        dao::Transaction transaction(*base.db);
        for (long id = 1; id <= kRows; ++id)
            base.addCase(id, {{QStringLiteral("Schadennummer"), QStringLiteral("R%1").arg(id)}});
        transaction.commit();
    }
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr From Schaden order by ID"), {},
                         {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1500, 0}});
    const PrintRequest request{PrintKindList, kRows, QStringLiteral("Alle"), false, &grid};
    ReportJob job(base.db.get(), request, *ReportJob::definitionText(request, QString(), nullptr));
    QVERIFY(job.layout());
    const int total = job.totalPages();
    QVERIFY(total > 2 * ReportJob::KeptPages);

    // Every page as a run that keeps them all lays it out and draws it.
    ReportData data(base.db.get(), request);
    ReportLayout whole(job.definition(), data, job.paperCm());
    whole.setGrid(&grid, kRows);
    QVERIFY(whole.ReadIt());
    QCOMPARE(whole.totalPages(), total);
    const auto signature = [](const ReportElement &e) {
        return QStringLiteral("%1 %2 %3 %4 %5").arg(int(e.kind)).arg(e.page).arg(e.x1).arg(e.y1 + e.flow).arg(e.text);
    };
    PageRenderer renderer(whole.pageItems(), total, job.paperCm(), nullptr, &whole);
    const auto draw = [](const std::function<void(QPainter &, const QRectF &)> &onto) {
        QImage image(px(29.7) / 4, px(21.0) / 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        onto(painter, QRectF(image.rect()));
        return image;
    };

    // Only a few pages' items stay, however long the list.
    QSet<int> keptPages;
    for (int i = 0; i < job.keptItems().count(); ++i)
        keptPages.insert(job.keptItems().at(i).page);
    QVERIFY(keptPages.size() <= ReportJob::KeptPages + 1);

    for (int page : std::as_const(visits)) {
        page = page == 0 ? total : page;
        QStringList expected, drawn;
        const auto [first, end] = whole.pageItems().pageRange(page);
        for (int i = first; i < end; ++i)
            expected.append(signature(whole.pageItems().at(i)));
        whole.forEachExtra(page, [&](const ReportElement &e) { expected.append(signature(e)); });
        job.forEachItem(page, [&](const ReportElement &e) { drawn.append(signature(e)); });
        QCOMPARE(drawn, expected);
        const QImage fromJob = draw([&](QPainter &p, const QRectF &r) { QVERIFY(job.renderPage(p, page, r)); });
        const QImage fromWhole = draw([&](QPainter &p, const QRectF &r) { QVERIFY(renderer.RenderPage(p, page, r)); });
        QVERIFY2(fromJob == fromWhole, qPrintable(QStringLiteral("page %1").arg(page)));
    }

    // Printing all pages twice and one page again: each run through the
    // pages lays them out once more, and each comes as the whole layout has it.
    QList<int> plan;
    for (int copy = 0; copy < 2; ++copy) {
        for (int page = 1; page <= total; ++page)
            plan.append(page);
    }
    plan << 20 << 20;
    QList<int> handed;
    QVERIFY(job.drawPages(plan, [&](int page) {
        handed.append(page);
        QStringList expected, drawn;
        whole.forEachExtra(page, [&](const ReportElement &e) { expected.append(signature(e)); });
        job.forEachItem(page, [&](const ReportElement &e) {
            if (e.kind == ElementKind::Text && e.text.startsWith(u'R'))
                drawn.append(signature(e));
        });
        return drawn == expected;
    }));
    QCOMPARE(handed, plan);

    // The PDF takes each page as it is laid out once more: every row on the
    // page the layout gave it, the count right on the last page.
    const QString pdf = base.dir.filePath(QStringLiteral("liste.pdf"));
    QString message;
    QVERIFY2(job.writePdf(pdf, &message), qPrintable(message));
    int pages = 0;
    const QList<Word> words = pdfWords(pdf, &pages);
    QCOMPARE(pages, total);
    QHash<QString, int> pageOfRow;
    for (int page = 1; page <= total; ++page)
        whole.forEachExtra(page, [&](const ReportElement &e) { pageOfRow.insert(e.text, page); });
    QCOMPARE(pageOfRow.size(), int(kRows));
    int rowsFound = 0;
    QStringList lastPage;
    for (const Word &w : words) {
        if (pageOfRow.contains(w.text)) {
            QCOMPARE(w.page, pageOfRow.value(w.text));
            ++rowsFound;
        }
        if (w.page == total)
            lastPage.append(w.text);
    }
    QCOMPARE(rowsFound, int(kRows));
    QVERIFY2(lastPage.join(u' ').contains(QStringLiteral("Seite %1 von %1").arg(total)), qPrintable(lastPage.join(u' ')));
}

void RenderTest::caseIntoPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    ReportDatabase base;
    QString description;
    for (int i = 1; i <= 400; ++i)
        description += QStringLiteral("Satz%1 über den Schaden am Kotflügel und an der Stoßstange. ").arg(i);
    base.addCase(5, {{QStringLiteral("Schadennummer"), QStringLiteral("09/017")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL 1")},
                     {QStringLiteral("fFremdSchaden"), true},
                     {QStringLiteral("Schadenbetrag"), QVariant::fromValue(dao::Currency::fromDouble(1234.5))},
                     {QStringLiteral("Schadenbeschreibung"), description}});
    QFile::copy(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"), base.dir.filePath(QStringLiteral("Protokoll.def")));

    const QString pdf = base.dir.filePath(QStringLiteral("fall.pdf"));
    QString output, errors;
    QTextStream out(&output), err(&errors);
    QCOMPARE(printCommand({QStringLiteral("5"), QStringLiteral("--pdf"), pdf, base.path()}, out, err, base.dir.path()), 0);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    int pages = 0;
    const QList<Word> words = pdfWords(pdf, &pages);
    QVERIFY(pages >= 2);
    for (const char *expected : {"Schadensbericht", "09/017", "O'NEIL", "Fremdfahrzeug", "1.234,50", "Seite"})
        QVERIFY2(findWord(words, QString::fromUtf8(expected)), expected);
    // Every sentence of the description once, in order, over the pages.
    QStringList sentences;
    for (const Word &w : words) {
        if (w.text.startsWith(QStringLiteral("Satz")))
            sentences.append(w.text);
    }
    QCOMPARE(sentences.size(), 400);
    for (int i = 0; i < sentences.size(); ++i)
        QCOMPARE(sentences[i], QStringLiteral("Satz%1").arg(i + 1));
    // The footer shows the total on every page.
    QCOMPARE(pdfText(pdf).count(QStringLiteral("Seite")), pages);
}

void RenderTest::commandFailures()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("fErledigt"), true}, {QStringLiteral("Schadennummer"), QStringLiteral("09/001")}});
    base.addCase(2, {{QStringLiteral("Schadennummer"), QStringLiteral("09/002")}});
    QString output, errors;
    QTextStream out(&output), err(&errors);
    const QString pdf = base.dir.filePath(QStringLiteral("x.pdf"));
    const auto run = [&](const QStringList &args, const QString &folder) {
        errors.clear();
        return printCommand(args, out, err, folder);
    };

    QCOMPARE(run({QStringLiteral("1"), QStringLiteral("--pdf"), pdf, base.path()}, base.dir.path()), 1);
    QVERIFY(errors.contains(QStringLiteral("Die Protokolldatei liegt nicht im Pfad: ") + base.dir.path()));
    QVERIFY(!QFile::exists(pdf));

    QFile::copy(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"), base.dir.filePath(QStringLiteral("Protokoll.def")));
    QCOMPARE(run({QStringLiteral("99"), QStringLiteral("--pdf"), pdf, base.path()}, base.dir.path()), 1);
    QVERIFY(errors.contains(QStringLiteral("99")));
    QCOMPARE(run({QStringLiteral("1"), QStringLiteral("--pdf"), QStringLiteral("/nicht/da/x.pdf"), base.path()},
                 base.dir.path()),
             1);
    QVERIFY(errors.contains(QStringLiteral("/nicht/da/x.pdf")));
    QCOMPARE(run({QStringLiteral("1"), base.path()}, base.dir.path()), 1);             // no --pdf
    QCOMPARE(run({QStringLiteral("list"), QStringLiteral("--status"), QStringLiteral("Offen"), QStringLiteral("--pdf"), pdf},
                 base.dir.path()),
             1);
    QCOMPARE(run({QStringLiteral("list"), QStringLiteral("--pdf"), pdf, base.dir.filePath(QStringLiteral("fehlt.db"))},
                 base.dir.path()),
             1);
    QVERIFY(errors.contains(QStringLiteral("Die Datenbank liegt nicht im Pfad: ")));

    // The list's own filter and subtitle, on a landscape sheet.
    QCOMPARE(run({QStringLiteral("list"), QStringLiteral("--status"), QStringLiteral("Erledigt"), QStringLiteral("--pdf"),
                  pdf, base.path()},
                 base.dir.path()),
             0);
    QVERIFY(output.contains(QStringLiteral("Liste mit 1 Schadensfall auf 1 Seite: ")));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return;
    const QString text = pdfText(pdf);
    QVERIFY(text.contains(QStringLiteral("Fahrzeug: Alle - Status: Erledigt - Schadenart: Alle")));
    QVERIFY(text.contains(QStringLiteral("09/001")));
    QVERIFY(!text.contains(QStringLiteral("09/002")));
}

namespace {

// The database is lost under a report that was opened: on the server the
// connection ends, on a file the handle is closed (a file has no connection
// to lose).
void loseDatabase(ReportDatabase &base)
{
    if (!testengine::onServer()) {
        base.db->Close();
        return;
    }
    auto other = dao::DBEngine::instance().Workspaces().OpenDatabase(base.path());
    other->Execute(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                                  " WHERE datname = current_database() AND pid <> pg_backend_pid()"));
}

} // namespace

void RenderTest::readFailuresAreNotPrintedAsBlanks()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Objekt_ID_1"), 1}, {QStringLiteral("Kundenname"), QStringLiteral("Karl Huber")}});
    base.addPicture(1, testpictures::png(Qt::red, 200, 100));
    StoredPictureSource source(*base.db);
    const QString definition = QStringLiteral("[SCHADEN]\rOBJEKT,2,10,10,18,S_ID_1,0,1\rENDE,0,0");
    const PrintRequest request{PrintKindCase, 1, {}, false, nullptr};

    // The picture is read as its page is drawn: a read that fails draws nothing.
    {
        ReportJob job(base.db.get(), request, definition, QPageSize(QPageSize::A4), &source);
        QVERIFY(job.layout());
        loseDatabase(base);
        QImage image(px(21.0), px(29.7), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QVERIFY_THROWS_EXCEPTION(dao::DaoError,
                                     job.renderPage(painter, 1, QRectF(0, 0, image.width(), image.height())));
        }
        QCOMPARE(at(image, 5, 11), QColor(Qt::white));
        // Nor is a file written without it.
        if (testengine::onServer()) {
            // The next statement connects anew; that connection is lost as well.
            base.db->OpenRecordset(QStringLiteral("Select Count(*) From Objekt"), dao::RecordsetType::Snapshot);
            loseDatabase(base);
        }
        const QString pdf = base.dir.filePath(QStringLiteral("ohne.pdf"));
        QString message;
        QVERIFY(!job.writePdf(pdf, &message));
        QVERIFY2(message.startsWith(QStringLiteral("Fehler beim Drucken: ")), qPrintable(message));
        QVERIFY(!QFile::exists(pdf));
    }

    // A column the table lacks prints empty; a case row gone with its database is an error.
    if (!testengine::onServer())
        base.db = dao::DBEngine::instance().Workspaces().OpenDatabase(base.path());
    ReportData data(base.db.get(), request);
    data.PrepareReportData();
    QCOMPARE(data.ResolveField(QStringLiteral("S_Kundenname"), QString()), QStringLiteral("Karl Huber"));
    QCOMPARE(data.ResolveField(QStringLiteral("S_Unbekannt"), QString()), QString());
    base.db->Close();
    QVERIFY_THROWS_EXCEPTION(dao::DaoError, data.ResolveField(QStringLiteral("S_Kundenname"), QString()));
}

QTEST_MAIN(RenderTest)
#include "tst_render.moc"
