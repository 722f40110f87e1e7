#include "report/Format.h"
#include "report/ReportDefinition.h"

#include "core/Clock.h"

#include <QLocale>
#include <QTest>

using namespace report;

class DefinitionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void lineEnds();
    void sectionsAndComments();
    void commandFields();
    void numbers();
    void footerTopBelongsToItsReport();
    void datePictures();
    void numberPictures();
};

static ReportDefinition parse(QString text)
{
    ReportDefinition d;
    ParseReportDefinition(text, d);
    return d;
}

void DefinitionTest::lineEnds()
{
    // A line feed alone ends no line: the whole file is one section header.
    const ReportDefinition lf = parse(QStringLiteral("[KOPF]\nCT,1,1,2,2,0,Arial,,9,a\nENDE,0,3\n"));
    QCOMPARE(lf.sectionCount(), 1);
    QCOMPARE(lf.elementCount(), 1);
    QCOMPARE(lf.sections[1].name, QStringLiteral("KOPF"));
    QCOMPARE(lf.sections[1].height, 0.0);

    const ReportDefinition crlf = parse(QStringLiteral("[KOPF]\r\nCT,1,1,2,2,0,Arial,,9,a\r\nENDE,0,3\r\n"));
    QCOMPARE(crlf.elementCount(), 3);
    QCOMPARE(crlf.elements[2].command, QStringLiteral("CT"));
    QCOMPARE(crlf.elements[2].text, QStringLiteral("a"));
    QCOMPARE(crlf.sections[1].height, 3.0);

    // A lone carriage return ends a line just as well; the text is consumed.
    QString text = QStringLiteral("[A]\rCT,1,1,2,2,0,Arial,,9,b\r\r\nENDE,0,1");
    ReportDefinition cr;
    ParseReportDefinition(text, cr);
    QVERIFY(text.isEmpty());
    QCOMPARE(cr.elementCount(), 3);
    QCOMPARE(cr.sections[1].height, 1.0);
}

void DefinitionTest::sectionsAndComments()
{
    const ReportDefinition d = parse(QStringLiteral(
        "CT,1,1,2,2,0,Arial,,9,vorab\r"
        "# Kommentar\r"
        "   \r"
        ",auch Kommentar\r"
        "  [kopf]  \r"
        "CT,1,1,2,2,0,Arial,,9,a\r"
        "ENDE,0,2\r"
        "[LEER]\r"
        "[Fuss ] hinten\r"
        "RECT,1,1,2,2,0,0,0\r"
        "ENDE,27.5,0\r"));
    QCOMPARE(d.sectionCount(), 3);
    QCOMPARE(d.elementCount(), 8);
    // The line before the first header belongs to section 0.
    QCOMPARE(d.elements[1].section, 0);
    QCOMPARE(d.elements[1].text, QStringLiteral("vorab"));

    QCOMPARE(d.sections[1].name, QStringLiteral("KOPF"));
    QCOMPARE(d.sections[1].firstElement, 3);
    QCOMPARE(d.sections[1].lastElement, 4);
    QCOMPARE(d.elements[2].command, QString());   // the header line's own slot
    QCOMPARE(d.elements[2].section, 0);
    QCOMPARE(d.elements[3].section, 1);
    QCOMPARE(d.elements[4].section, 1);

    // An empty section ends before it begins.
    QCOMPARE(d.sections[2].name, QStringLiteral("LEER"));
    QVERIFY(d.sections[2].lastElement < d.sections[2].firstElement);

    QCOMPARE(d.sections[3].name, QStringLiteral("FUSS"));
    QCOMPARE(d.sections[3].firstElement, 7);
    QCOMPARE(d.sections[3].lastElement, 8);
    QCOMPARE(d.footerTop, 27.5f);

    // A header without its bracket opens a nameless section, so that its
    // lines never join the section before.
    const ReportDefinition open = parse(QStringLiteral("[KOPF]\rCT,1,1,2,2,0,A,,9,a\r[FUSS\rCT,1,1,2,2,0,A,,9,b\r"));
    QCOMPARE(open.sectionCount(), 2);
    QCOMPARE(open.sections[2].name, QString());
    QCOMPARE(open.elements[4].section, 2);
    QCOMPARE(open.sections[1].lastElement, 2);
}

void DefinitionTest::commandFields()
{
    core::Clock::setFixed(QDateTime(QDate(2009, 3, 17), QTime(14, 5)));
    const ReportDefinition d = parse(QStringLiteral(
        "[S]\r"
        "ct , 1.5,2,3,4,2,Arial,FU,10,Text, mit, Kommas \r"
        "CF,1,2,3,4,1,TNR,I,12,S_Kundenname;x,10,übrig\r"
        "PDAT ,25.30,01.60,TNR,,09.00,dd.mm.yyyy\r"
        "PAGES,15.91,18.77,TNR,,09.00,###\r"
        "RECT,1,2,3,4,0.02,6,255\r"
        "MEMO,1,2,3,4,1,Arial,,10,16777215,S_Anmerkung,,rest\r"
        "GRID ,02.00,02.50,27.00,18.10,0,TNR,,08.00,Grid,x\r"
        "OBJEKT,1,2,3,4,S_ID_1,1,2.5\r"
        "FILTER,1,8,S_Kundenname,Meier, Hans\r"
        "ENDEMEMO,1,5\r"
        "UNBEKANNT,7,8,9\r"));
    core::Clock::reset();

    const ReportElement &ct = d.elements[2];
    QCOMPARE(ct.command, QStringLiteral("CT"));
    QCOMPARE(ct.kind, ElementKind::Text);
    QCOMPARE(ct.x1, 1.5);
    QCOMPARE(ct.y2, 4.0);
    QCOMPARE(ct.align, 2);
    QCOMPARE(ct.font, QStringLiteral("Arial"));
    QCOMPARE(ct.style, QStringLiteral("FU"));
    QCOMPARE(ct.size, 10);
    QCOMPARE(ct.text, QStringLiteral("Text, mit, Kommas"));   // the line is trimmed, the text not

    const ReportElement &cf = d.elements[3];
    QCOMPARE(cf.field, QStringLiteral("S_Kundenname;x"));
    QCOMPARE(cf.format, QStringLiteral("10"));
    QCOMPARE(cf.text, QString());

    const ReportElement &pdat = d.elements[4];
    QCOMPARE(pdat.command, QStringLiteral("PDAT"));
    QCOMPARE(pdat.x1, 25.3);
    QCOMPARE(pdat.font, QStringLiteral("TNR"));
    QCOMPARE(pdat.size, 9);
    QCOMPARE(pdat.text, QStringLiteral("17.03.2009"));
    QCOMPARE(d.elements[5].kind, ElementKind::Pages);
    QCOMPARE(d.elements[5].format, QStringLiteral("###"));

    const ReportElement &rect = d.elements[6];
    QCOMPARE(rect.lineWidth, 0.02);
    QCOMPARE(rect.align, 6);
    QCOMPARE(rect.extra, 255);

    // A full RGB frame colour survives.
    const ReportElement &memo = d.elements[7];
    QCOMPARE(memo.align, 1);
    QCOMPARE(memo.extra, 16777215);
    QCOMPARE(memo.field, QStringLiteral("S_Anmerkung"));
    QCOMPARE(memo.format, QString());

    QVERIFY(d.hasGrid);
    QCOMPARE(d.elements[8].text, QStringLiteral("Grid,x"));

    const ReportElement &picture = d.elements[9];
    QCOMPARE(picture.field, QStringLiteral("S_ID_1"));
    QCOMPARE(picture.align, 1);
    QCOMPARE(picture.fit, 2);   // 2.5 rounds to the even 2

    const ReportElement &filter = d.elements[10];
    QCOMPARE(filter.x1, 1.0);
    QCOMPARE(filter.y1, 8.0);
    QCOMPARE(filter.text, QStringLiteral("Meier, Hans"));

    // ENDEMEMO flows like ENDE but gives its section no height.
    QCOMPARE(d.elements[11].kind, ElementKind::End);
    QCOMPARE(d.sections[1].height, 0.0);

    const ReportElement &unknown = d.elements[12];
    QCOMPARE(unknown.kind, ElementKind::None);
    QCOMPARE(unknown.x1, 7.0);
    QCOMPARE(unknown.x2, 0.0);

    // Parsing again resets the grid flag.
    ReportDefinition again = d;
    QString more = QStringLiteral("[X]\rCT,1,1,1,1,0,A,,9,a");
    ParseReportDefinition(more, again);
    QVERIFY(!again.hasGrid);
}

void DefinitionTest::numbers()
{
    QCOMPARE(definitionNumber(QStringLiteral("01.30")), 1.3);
    QCOMPARE(definitionNumber(QStringLiteral("  -2.5cm")), -2.5);
    QCOMPARE(definitionNumber(QStringLiteral("abc")), 0.0);
    QCOMPARE(definitionNumber(QString()), 0.0);
    QCOMPARE(definitionNumber(QStringLiteral("3,5")), 3.0);
    QCOMPARE(definitionInteger(QStringLiteral("09.00")), 9);
    QCOMPARE(definitionInteger(QStringLiteral("2.5")), 2);
    QCOMPARE(definitionInteger(QStringLiteral("3.5")), 4);
    QCOMPARE(definitionInteger(QStringLiteral("-0.5")), 0);
    QCOMPARE(definitionInteger(QStringLiteral("99999")), 32767);
    QString spaced = QStringLiteral(" a ,b");
    QCOMPARE(NextToken(spaced), QStringLiteral(" a "));
    QString line = QStringLiteral("a,,b");
    QCOMPARE(NextToken(line), QStringLiteral("a"));
    QCOMPARE(NextToken(line), QString());
    QCOMPARE(line, QStringLiteral("b"));
    QCOMPARE(NextToken(line), QStringLiteral("b"));
    QVERIFY(line.isEmpty());
}

void DefinitionTest::footerTopBelongsToItsReport()
{
    const ReportDefinition first = parse(QStringLiteral("[FUSS]\rENDE,26.5,0"));
    QCOMPARE(first.footerTop, 26.5f);
    const ReportDefinition second = parse(QStringLiteral("[FUSS]\rENDE,0,1"));
    QCOMPARE(second.footerTop, 0.0f);
    // Only the footer section sets it.
    QCOMPARE(parse(QStringLiteral("[KOPF]\rENDE,12,1")).footerTop, 0.0f);
}

void DefinitionTest::datePictures()
{
    const QDateTime m(QDate(2009, 3, 7), QTime(9, 4, 5));
    QCOMPARE(formatDate(m, QStringLiteral("dd.mm.yyyy")), QStringLiteral("07.03.2009"));
    QCOMPARE(formatDate(m, QStringLiteral("DD.MM.YY")), QStringLiteral("07.03.09"));
    QCOMPARE(formatDate(m, QStringLiteral("d.m.yyyy hh:mm")), QStringLiteral("7.3.2009 09:04"));
    QCOMPARE(formatDate(m, QStringLiteral("hh:nn:ss")), QStringLiteral("09:04:05"));
    QCOMPARE(formatDate(m, QStringLiteral("dddd, d. mmmm yyyy")), QStringLiteral("Samstag, 7. März 2009"));
    QCOMPARE(formatDate(m, QStringLiteral("\"Stand\" dd/mm")), QStringLiteral("Stand 07.03"));
    QCOMPARE(formatDate(m, QStringLiteral("Short Date")), QStringLiteral("07.03.2009"));
    QCOMPARE(formatValue(QStringLiteral("31.01.2009"), QStringLiteral("yyyy-mm-dd")), QStringLiteral("2009-01-31"));
    QCOMPARE(formatValue(QVariant(), QStringLiteral("dd.mm.yyyy")), QString());
}

void DefinitionTest::numberPictures()
{
    QCOMPARE(formatNumber(3, QStringLiteral("###")), QStringLiteral("3"));
    QCOMPARE(formatNumber(0, QStringLiteral("###")), QString());
    QCOMPARE(formatNumber(1234.5, QStringLiteral("#,##0.00")), QStringLiteral("1.234,50"));
    QCOMPARE(formatNumber(1234567.891, QStringLiteral("#,##0.00 €")), QStringLiteral("1.234.567,89 €"));
    QCOMPARE(formatNumber(-12.345, QStringLiteral("0.0")), QStringLiteral("-12,3"));
    QCOMPARE(formatNumber(2.5, QStringLiteral("0")), QStringLiteral("3"));
    QCOMPARE(formatNumber(0.456, QStringLiteral("0%")), QStringLiteral("46%"));
    QCOMPARE(formatNumber(7, QStringLiteral("000")), QStringLiteral("007"));
    QCOMPARE(formatNumber(-5, QStringLiteral("0;(0);\"null\"")), QStringLiteral("(5)"));
    QCOMPARE(formatNumber(0, QStringLiteral("0;(0);\"null\"")), QStringLiteral("null"));
    QCOMPARE(formatNumber(1.5, QStringLiteral("0.##")), QStringLiteral("1,5"));
    QCOMPARE(formatNumber(500, QStringLiteral("Currency")), QStringLiteral("500,00 €"));
    // Texts as a form shows them read as numbers.
    QCOMPARE(formatValue(QStringLiteral("1234,5"), QStringLiteral("#,##0.00")), QStringLiteral("1.234,50"));
    QCOMPARE(formatValue(QStringLiteral("AB-C 12"), QStringLiteral("0.00")), QStringLiteral("AB-C 12"));
    // The German grouping point made "1.234" a thousand here and 1.234 in the form.
    QCOMPARE(formatValue(QStringLiteral("1.234"), QStringLiteral("0.000")), QStringLiteral("1,234"));
    QCOMPARE(formatValue(QStringLiteral("1.234,5"), QStringLiteral("0.00")), QStringLiteral("1234,50"));
    QCOMPARE(formatValue(QStringLiteral("31.1.09 14:30"), QStringLiteral("hh:nn")), QStringLiteral("14:30"));
    // A day count beyond any calendar shows as the number it is (found by fuzzing).
    QCOMPARE(formatNumber(1e300, QStringLiteral("Short Date")), valueText(1e300));
    QCOMPARE(formatValue(QVariant(-8.64e307), QStringLiteral("Long Date")), valueText(-8.64e307));
    QCOMPARE(formatNumber(39844, QStringLiteral("Short Date")), QStringLiteral("31.01.2009"));
    QCOMPARE(valueText(QVariant(12.5)), QStringLiteral("12,5"));
    QCOMPARE(valueText(QVariant(true)), QStringLiteral("Wahr"));
    QCOMPARE(valueText(QDateTime(QDate(2009, 1, 31), QTime(0, 0))), QStringLiteral("31.01.2009"));
}

QTEST_GUILESS_MAIN(DefinitionTest)
#include "tst_definition.moc"
