#include "ReportTestData.h"

#include "report/GridSource.h"
#include "report/TextMeasure.h"

#include "core/MessageService.h"

#include <QTest>

#include <cmath>

using namespace report;

namespace {

const QString kHeaders = QStringLiteral(
    "[FUSS]\rENDE,20,0\r"
    "[KOPF]\rCT,1,0.5,5,1,0,Arial,,10,Kopf\rENDE,0,2\r");

// Words of a description, none longer than a line.
QString words(int characters, bool paragraphs = false)
{
    static const QStringList pool = {QStringLiteral("Kotflügel"), QStringLiteral("Stoßstange"), QStringLiteral("vorne"),
                                     QStringLiteral("links"), QStringLiteral("verkratzt"), QStringLiteral("beim"),
                                     QStringLiteral("Rangieren"), QStringLiteral("Parkplatz"), QStringLiteral("Lack")};
    QString text;
    for (int i = 0; text.size() < characters; ++i) {
        if (!text.isEmpty())
            text += (paragraphs && i % 37 == 0) ? QStringLiteral("\r\n") : QStringLiteral(" ");
        text += pool[(i * 7) % pool.size()] + QString::number(i);
    }
    return text;
}

QString withoutBlanks(QString text)
{
    text.remove(u' ');
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        useGermanLocale();
    }
    void pageBreaks();
    void filters();
    void filterOperators();
    void firstPageHeader();
    void memoOverPages_data();
    void memoOverPages();
    void memoWithoutRoomEnds();
    void gridOverPages();
    void emptySectionAndListWithoutBody();
    void dataBinding();
};

void LayoutTest::pageBreaks()
{
    ReportDatabase base;
    base.addCase(1);

    // An element whose bottom lies exactly on the footer top moves on.
    CaseLayout split(base.db.get(), 1,
                     kHeaders + QStringLiteral("[SCHADEN]\rCT,1,1,5,17.99,0,Arial,,10,passt\r"
                                               "CT,1,1,5,18,0,Arial,,10,bricht\rENDE,0,1"));
    QCOMPARE(split.layout->totalPages(), 2);
    const auto texts = split.live(ElementKind::Text);
    auto find = [&](const QString &text) {
        for (const ReportElement &e : texts) {
            if (e.text == text)
                return e;
        }
        return ReportElement{};
    };
    QCOMPARE(find(QStringLiteral("passt")).page, 1);
    QCOMPARE(find(QStringLiteral("bricht")).page, 2);
    QCOMPARE(find(QStringLiteral("bricht")).flow, 2.0);   // below the new page's header
    int inert = 0, headers = 0;
    for (int i = 0; i < split.items().count(); ++i) {
        const ReportElement &e = split.items().at(i);
        if (e.text == u"bricht" && e.kind == ElementKind::None) {
            QCOMPARE(e.page, 1);
            ++inert;
        }
        if (e.text == u"Kopf")
            ++headers;
    }
    QCOMPARE(inert, 1);
    QCOMPARE(headers, 2);

    // A section that would end exactly on the footer top starts a new page.
    CaseLayout exact(base.db.get(), 1,
                     kHeaders + QStringLiteral("[SCHADEN]\rCT,1,0,5,1,0,Arial,,10,Rumpf\rENDE,0,18"));
    QCOMPARE(exact.layout->totalPages(), 2);
    QCOMPARE(exact.live(ElementKind::Text).last().page, 2);
    CaseLayout fits(base.db.get(), 1,
                    kHeaders + QStringLiteral("[SCHADEN]\rCT,1,0,5,1,0,Arial,,10,Rumpf\rENDE,0,17.99"));
    QCOMPARE(fits.layout->totalPages(), 1);

    // Header elements never break, whatever their size.
    CaseLayout header(base.db.get(), 1,
                      QStringLiteral("[FUSS]\rENDE,5,0\r[KOPF]\rCT,1,1,5,25,0,Arial,,10,hoch\rENDE,0,0\r"
                                     "[SCHADEN]\rENDE,0,0"));
    QCOMPARE(header.layout->totalPages(), 1);
    QCOMPARE(header.live(ElementKind::Text).first().page, 1);
}

void LayoutTest::filters()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Kundenname"), QStringLiteral("Müller")}});
    base.addCase(2, {{QStringLiteral("Kundenname"), QStringLiteral("Meier")}});
    base.addCase(3, {{QStringLiteral("Kundenname"), QStringLiteral("9")}, {QStringLiteral("Kundennummer"), 9}});
    const QString definition = QStringLiteral(
        "[SCHADEN]\r"
        "FILTER,0,1,S_Kundenname,Meier\rCT,1,1,5,2,0,Arial,,10,a\rCT,1,2,5,3,0,Arial,,10,b\r"
        "FILTER,1,1,S_Kundenname,Meier\rCT,1,3,5,4,0,Arial,,10,c\rCT,1,4,5,5,0,Arial,,10,d\r"
        "ENDE,0,5");
    // Mode 0 hides only the next element, mode 1 the rest of the section.
    QCOMPARE(CaseLayout(base.db.get(), 1, definition).texts(), QStringList{QStringLiteral("b")});
    QCOMPARE(CaseLayout(base.db.get(), 2, definition).texts(),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    // A mode beyond any whole number reads as no number, 0.
    QCOMPARE(CaseLayout(base.db.get(), 1,
                        QStringLiteral("[SCHADEN]\rFILTER,%1,1,S_Kundenname,Meier\r"
                                       "CT,1,1,5,2,0,Arial,,10,a\rCT,1,2,5,3,0,Arial,,10,b\rENDE,0,5")
                            .arg(QString(300, u'9')))
                 .texts(),
             QStringList{QStringLiteral("b")});

    // A number to compare with compares as a number, even with a text column.
    const auto shown = [&](long id, const QString &filter) {
        return !CaseLayout(base.db.get(), id,
                           QStringLiteral("[SCHADEN]\r") + filter + QStringLiteral("\rCT,1,1,5,2,0,Arial,,10,x\rENDE,0,2"))
                    .texts()
                    .isEmpty();
    };
    QVERIFY(!shown(3, QStringLiteral("FILTER,1,2,S_Kundennummer,10")));
    QVERIFY(!shown(3, QStringLiteral("FILTER,1,2,S_Kundenname,10")));
    QVERIFY(shown(3, QStringLiteral("FILTER,1,4,S_Kundenname,10")));
    QVERIFY(shown(3, QStringLiteral("FILTER,1,1,S_Kundennummer,9.0")) == false);   // "9.0" is no plain number: text
    QVERIFY(shown(3, QStringLiteral("FILTER,1,1,S_Kundennummer, 9 ")));
}

void LayoutTest::filterOperators()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Kundenname"), QStringLiteral(" Meierhof ")}});
    const struct {
        int op;
        const char *right;
        bool shown;
    } cases[] = {
        {1, "meierhof", true}, {1, "Meier", false},   {2, "M", true},       {2, "N", false},
        {3, "MEIERHOF", false}, {3, "MEIER", true},   {4, "N", true},       {4, "MEIER", false},
        {5, "MEIERHOF", false}, {5, "N", true},       {6, "X", true},       {6, "MEIERHOF", false},
        {7, "mei", true},      {7, "hof", false},     {8, "erh", true},     {8, "xyz", false},
        {9, "mei", false},     {9, "hof", true},      {10, "xyz", true},    {10, "ERH", false},
        {11, "MEIERHOF", false},
    };
    for (const auto &c : cases) {
        const QString definition = QStringLiteral("[SCHADEN]\rFILTER,1,%1,S_Kundenname,%2\r"
                                                  "CT,1,1,5,2,0,Arial,,10,x\rENDE,0,2")
                                       .arg(c.op)
                                       .arg(QString::fromUtf8(c.right));
        QVERIFY2(CaseLayout(base.db.get(), 1, definition).texts().isEmpty() != c.shown,
                 qPrintable(QStringLiteral("operator %1 with %2").arg(c.op).arg(QString::fromUtf8(c.right))));
    }
}

void LayoutTest::firstPageHeader()
{
    ReportDatabase base;
    base.addCase(1);
    CaseLayout run(base.db.get(), 1,
                   QStringLiteral("[FUSS]\rENDE,20,0\r"
                                  "[KOPF1]\rCT,1,0.5,5,1,0,Arial,,10,Erste\rENDE,0,2\r"
                                  "[KOPF]\rCT,1,0.5,5,1,0,Arial,,10,Folge\rENDE,0,2\r"
                                  "[SCHADEN]\rCT,1,0,5,10,0,Arial,,10,a\rCT,1,10,5,19,0,Arial,,10,b\r"
                                  "CT,1,10,5,19,0,Arial,,10,c\rENDE,0,0"));
    QCOMPARE(run.layout->totalPages(), 3);
    QList<int> first, following;
    for (const ReportElement &e : run.live(ElementKind::Text)) {
        if (e.text == u"Erste")
            first.append(e.page);
        if (e.text == u"Folge")
            following.append(e.page);
    }
    QCOMPARE(first, QList<int>{1});
    QCOMPARE(following, (QList<int>{2, 3}));
}

void LayoutTest::memoOverPages_data()
{
    QTest::addColumn<int>("characters");
    QTest::addColumn<bool>("paragraphs");
    QTest::addColumn<int>("right");   // cm
    QTest::newRow("three pages") << 9000 << false << 15;
    QTest::newRow("long, with paragraphs") << 20000 << true << 20;
}

void LayoutTest::memoOverPages()
{
    QFETCH(int, characters);
    QFETCH(bool, paragraphs);
    QFETCH(int, right);
    ReportDatabase base;
    const QString description = words(characters, paragraphs);
    base.addCase(1, {{QStringLiteral("Schadenbeschreibung"), description}});
    CaseLayout run(base.db.get(), 1,
                   kHeaders + QStringLiteral("[SCHADEN]\rMEMO,1,1,%1,3,1,Arial,,10,0,S_Schadenbeschreibung\r"
                                             "ENDEMEMO,1,1\rCT,1,0.5,5,1,0,Arial,,10,danach\rENDE,0,2").arg(right));
    const QList<ReportElement> memos = run.live(ElementKind::Memo);
    QVERIFY(memos.size() >= 3);
    QString joined;
    const FontMeasure font(reportFont(QStringLiteral("Arial"), QString(), 10));
    double lastBottom = 0;
    for (int i = 0; i < memos.size(); ++i) {
        const ReportElement &memo = memos[i];
        QCOMPARE(memo.page, i + 1);
        QVERIFY(!memo.text.isEmpty());
        joined += memo.text + (paragraphs ? QStringLiteral(" ") : QString());
        const double top = memo.y1 + memo.flow;
        // Continuations start just below the header, at the top of the body.
        if (i == 0)
            QCOMPARE(top, 3.0);
        else
            QVERIFY(std::abs(top - 2.1) < 1e-9);
        const WrappedText lines(memo.text, font, cmToTwips(right - 1 - 0.1));
        lastBottom = top + 0.05 + twipsToCm(lines.lines().size() * font.lineHeight());
        QVERIFY(lastBottom < 20);
    }
    // Complete, in order, nothing twice (line breaks end lines, so they are not kept).
    if (paragraphs)
        QCOMPARE(withoutBlanks(joined), withoutBlanks(description));
    else
        QCOMPARE(joined, description);

    // What follows the memo comes below its end on its last page, or on the next.
    const ReportElement after = run.live(ElementKind::Text).last();
    QCOMPARE(after.text, QStringLiteral("danach"));
    QCOMPARE(run.layout->totalPages(), after.page);
    if (after.page == memos.size())
        QVERIFY(after.y1 + after.flow >= lastBottom);
    else
        QCOMPARE(after.page, memos.size() + 1);
}

void LayoutTest::memoWithoutRoomEnds()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadenbeschreibung"), words(3000)}, {QStringLiteral("Anmerkung"), words(3000)}});
    // A header that leaves the body no room: the text cannot be placed
    // anywhere, and the run must still end.
    CaseLayout crowded(base.db.get(), 1,
                       QStringLiteral("[FUSS]\rENDE,20,0\r[KOPF]\rENDE,0,21\r"
                                      "[SCHADEN]\rMEMO,1,1,15,3,0,Arial,,10,0,S_Schadenbeschreibung\r"
                                      "ENDEMEMO,1,1\rENDE,0,1"));
    QVERIFY(crowded.layout->totalPages() <= 3);

    // A footer memo keeps to its own box instead of starting again on every page.
    CaseLayout footer(base.db.get(), 1,
                      QStringLiteral("[FUSS]\rMEMO,1,25,15,27,0,Arial,,10,0,S_Anmerkung\rENDE,24,0\r"
                                     "[SCHADEN]\rCT,1,1,5,2,0,Arial,,10,x\rENDE,0,2"));
    QVERIFY(footer.layout->totalPages() <= 3);
    for (const ReportElement &memo : footer.live(ElementKind::Memo)) {
        QVERIFY(!memo.text.isEmpty());
        QVERIFY(memo.text.size() < 1000);
        QCOMPARE(memo.sourceElement, 0);
    }
}

void LayoutTest::gridOverPages()
{
    ReportDatabase base;
    for (long id = 1; id <= 1000; ++id)
        base.addCase(id, {{QStringLiteral("Schadennummer"), QStringLiteral("N%1").arg(id, 4, 10, QLatin1Char('0'))},
                          {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL %1").arg(id % 7)}});
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr, EigenKZ as Auto From Schaden order by ID desc"),
                         {}, {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0},
                              {QStringLiteral("Auto"), 1500, 2}});
    QCOMPARE(grid.rowCount(), 1000L);

    ReportDefinition definition;
    QString text = listTemplate(QStringLiteral("Fahrzeug: Alle - Status: Alle - Schadenart: Alle"));
    ParseReportDefinition(text, definition);
    ReportData data(nullptr, PrintRequest{PrintKindList, 1000, {}, false, &grid});
    ReportLayout layout(definition, data, QSizeF(29.7, 21.0));
    layout.setGrid(&grid, 1000);
    QVERIFY(layout.ReadIt());

    const PageItemList &items = layout.pageItems();
    QVERIFY(items.capacity() % PageItemList::BlockSize == 0);
    QVERIFY(items.capacity() >= items.count() && items.capacity() < items.count() + PageItemList::BlockSize);

    // The frames are kept; the rows' cells are read again for each page.
    QList<ReportElement> all;
    for (int i = 0; i < items.count(); ++i)
        all.append(items.at(i));
    QVERIFY(items.count() < 100 * layout.totalPages());
    for (int page = 1; page <= layout.totalPages(); ++page)
        layout.forEachExtra(page, [&all](const ReportElement &cell) { all.append(cell); });
    // Asked again, a page gives the same cells: the grid reads from its row on.
    QStringList second, again;
    layout.forEachExtra(2, [&second](const ReportElement &cell) { second.append(cell.text); });
    layout.forEachExtra(3, [](const ReportElement &) {});
    layout.forEachExtra(2, [&again](const ReportElement &cell) { again.append(cell.text); });
    QVERIFY(second.size() > 20);
    QCOMPARE(again, second);

    QStringList numbers;
    QList<int> captionsPerPage(layout.totalPages() + 1, 0);
    QList<int> titlesPerPage(layout.totalPages() + 1, 0);
    QList<int> rowsPerPage(layout.totalPages() + 1, 0);
    for (const ReportElement &e : std::as_const(all)) {
        if (e.kind != ElementKind::Text)
            continue;
        if (e.text == u"Nr") {
            ++captionsPerPage[e.page];
            QCOMPARE(e.align, 2);
        } else if (e.text == u"Schadensmeldungen") {
            ++titlesPerPage[e.page];
        } else if (e.text.startsWith(u'N') && e.text.size() == 5) {
            numbers.append(e.text);
            ++rowsPerPage[e.page];
            QVERIFY(e.y2 <= 18.1 + 1e-9);
            QCOMPARE(e.align, 0);
        }
    }
    QCOMPARE(numbers.size(), 1000);
    QCOMPARE(numbers.first(), QStringLiteral("N1000"));
    QCOMPARE(numbers.last(), QStringLiteral("N0001"));
    for (int i = 1; i < numbers.size(); ++i)
        QVERIFY(numbers[i] < numbers[i - 1]);

    const int perPage = rowsPerPage[1];
    QVERIFY(perPage > 20);
    QCOMPARE(layout.totalPages(), (1000 + perPage - 1) / perPage);
    for (int page = 1; page <= layout.totalPages(); ++page) {
        QCOMPARE(captionsPerPage[page], 1);
        QCOMPARE(titlesPerPage[page], 1);
        if (page < layout.totalPages())
            QCOMPARE(rowsPerPage[page], perPage);
    }
}

void LayoutTest::emptySectionAndListWithoutBody()
{
    ReportDatabase base;
    base.addCase(1);
    core::RecordingMessageService messages;
    CaseLayout empty(base.db.get(), 1, QStringLiteral("[SCHADEN]\r[X]\rCT,1,1,5,2,0,Arial,,10,x\rENDE,0,1"));
    // The layout tells nobody itself; its caller tells what it gives back.
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(empty.layout->problems(), QStringList{QStringLiteral(" Fehler beim Erstellen der Druckvoranzeige !")});
    QCOMPARE(empty.layout->totalPages(), 1);
    QVERIFY(empty.texts().isEmpty());   // section X is never laid out

    // The list template has no body: header, footer and an empty grid.
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr From Schaden where ID < 0"), {},
                         {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0}});
    ReportDefinition definition;
    QString text = listTemplate(QStringLiteral("Untertitel"));
    ParseReportDefinition(text, definition);
    ReportData data(nullptr, PrintRequest{PrintKindList, 0, {}, false, &grid});
    ReportLayout layout(definition, data, QSizeF(29.7, 21.0));
    layout.setGrid(&grid, 0);
    QVERIFY(layout.ReadIt());
    QCOMPARE(layout.totalPages(), 1);
    QStringList texts;
    for (int i = 0; i < layout.pageItems().count(); ++i) {
        if (layout.pageItems().at(i).kind == ElementKind::Text)
            texts.append(layout.pageItems().at(i).text);
    }
    QVERIFY(texts.contains(QStringLiteral("Untertitel")));
    QVERIFY(texts.contains(QStringLiteral("Nr")));
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(layout.problems().isEmpty());
}

void LayoutTest::dataBinding()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("fFremdSchaden"), true},
                     {QStringLiteral("Kundenname"), QStringLiteral("  Maximilian Mustermann ")},
                     {QStringLiteral("Datum"), QDateTime(QDate(2009, 1, 31), QTime(0, 0))},
                     {QStringLiteral("Schadenbetrag"), QVariant::fromValue(dao::Currency::fromDouble(1234.5))},
                     {QStringLiteral("Objekt_ID_2"), 12},
                     {QStringLiteral("fErledigt"), true}});
    base.addCase(2, {{QStringLiteral("fEigenSchaden"), true}, {QStringLiteral("fFremdSchaden"), true},
                     {QStringLiteral("fPersonenSchaden"), true}, {QStringLiteral("fSonstigerSchaden"), true}});
    base.addCase(3);

    ReportData one(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr});
    one.PrepareReportData();
    QVERIFY(one.hasCase());
    QCOMPARE(one.NextBodySection(), QStringLiteral("SCHADEN"));
    QCOMPARE(one.NextBodySection(), QString());
    QCOMPARE(one.ResolveField(QStringLiteral("S_SCHADEN"), {}), QStringLiteral("Fremdfahrzeug"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_Status"), {}), QStringLiteral("Erledigt"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_Kundenname"), {}), QStringLiteral("Maximilian Mustermann"));
    QCOMPARE(one.ResolveField(QStringLiteral("x_kundenname;egal"), QStringLiteral("10")), QStringLiteral("Maximilian"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_Datum"), QStringLiteral("dd.mm.yyyy")), QStringLiteral("31.01.2009"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_Datum"), QStringLiteral("DD.MM.YY")), QStringLiteral("31.01.09"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_Schadenbetrag"), QStringLiteral("Currency")),
             QStringLiteral("1.234,50 €"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_ID_2"), {}), QStringLiteral("12"));
    QCOMPARE(one.ResolveField(QStringLiteral("S_ID_1"), {}), QString());
    QCOMPARE(one.ResolveField(QStringLiteral("Kundenname"), {}), QString());
    QCOMPARE(one.ResolveField(QStringLiteral("S_GibtEsNicht"), {}), QString());
    QCOMPARE(one.ResolveField(QStringLiteral("S_Kundenname"), QStringLiteral("dd.mm.yyyy")), QString());
    QCOMPARE(one.ResolveField(QStringLiteral("S_fErledigt"), QStringLiteral("\"Ja\";\"Ja\";\"Nein\"")),
             QStringLiteral("Ja"));

    ReportData all(base.db.get(), PrintRequest{PrintKindCase, 2, {}, false, nullptr});
    all.PrepareReportData();
    QCOMPARE(all.ResolveField(QStringLiteral("S_Schaden"), {}),
             QStringLiteral("Eigenes Fahrzeug, Fremdfahrzeug, Personen, Gegenstände"));
    ReportData none(base.db.get(), PrintRequest{PrintKindCase, 3, {}, false, nullptr});
    none.PrepareReportData();
    QCOMPARE(none.ResolveField(QStringLiteral("S_Schaden"), {}), QString());
    QCOMPARE(none.ResolveField(QStringLiteral("S_Status"), {}), QStringLiteral("In Bearbeitung"));

    // The list binds no case: every placeholder is empty.
    ReportData list(base.db.get(), PrintRequest{PrintKindList, 3, {}, false, nullptr});
    list.PrepareReportData();
    QCOMPARE(list.NextBodySection(), QStringLiteral("LISTE"));
    QCOMPARE(list.ResolveField(QStringLiteral("S_Status"), {}), QString());
    QCOMPARE(list.CaseFieldValue(QStringLiteral("S"), QStringLiteral("Kundenname")), QString());

    ReportData missing(base.db.get(), PrintRequest{PrintKindCase, 99, {}, false, nullptr});
    missing.PrepareReportData();
    QVERIFY(!missing.hasCase());
    QCOMPARE(missing.ResolveField(QStringLiteral("S_Status"), {}), QString());
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
