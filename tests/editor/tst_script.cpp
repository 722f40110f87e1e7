#include "editor/OverlayScript.h"
#include "editor/ScriptText.h"

#include <QLocale>
#include <QTest>

using namespace kelvane::editor;

namespace {

const QStringList kExamples = {
    QStringLiteral("LINE;26;36;108;58;4;4;104;54;2;255"),
    QStringLiteral("ARROW;10;20;168;118;34;84;134;34;3;0;2;6"),
    QStringLiteral("DBLARROW;10;20;168;118;34;84;134;34;3;0"),
    QStringLiteral("RECT;40;50;120;80;2;16711680;16777215;1"),
    QStringLiteral("CIRCLE;200;60;90;90;1;32768;65535;0"),
    QStringLiteral("TEXT;15;120;150;40;Note;Arial;12;True;False;False;False;0"),
};

QString written(const GraficGeometry &shape)
{
    const QRect at = shape.Geometry();
    return shape.Serialize(at.left(), at.top());
}

GraficGeometry made(int style, int penWidth, ColorRef pen, QRect at)
{
    GraficGeometry shape;
    shape.SetStyle(style);
    shape.SetPenWidth(penWidth);
    shape.SetPenColor(pen);
    shape.Place(at.left(), at.top(), at.width(), at.height());
    return shape;
}

// Sets the user's regional settings for the life of the guard.
class LocaleGuard {
public:
    explicit LocaleGuard(QLocale::Language language) { QLocale::setDefault(QLocale(language)); }
    ~LocaleGuard() { QLocale::setDefault(m_before); }

private:
    QLocale m_before;
};

} // namespace

class TestScript : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German)); }
    void examplesAreWrittenFromTheirShapesAndReadBack();
    void scriptKeepsTheStackingOrder();
    void captionWithSeparatorsSurvivesTheRoundTrip();
    void scriptsTravelBetweenRegionalSettings();
    void unreadableRecordsAreSkippedAndTheRestIsRead();
    void numbersAreWrittenShortAndReadForgivingly();
};

void TestScript::examplesAreWrittenFromTheirShapesAndReadBack()
{
    QCOMPARE(made(ShapeStyle::Line, 2, 255, {26, 36, 108, 58}).Serialize(26, 36), kExamples[0]);
    GraficGeometry rect = made(ShapeStyle::Rect, 2, 16711680, {40, 50, 120, 80});
    rect.SetFillColor(16777215);
    QCOMPARE(rect.Serialize(40, 50), kExamples[3]);
    GraficGeometry circle = made(ShapeStyle::Circle, 1, 32768, {200, 60, 90, 90});
    circle.SetFillColor(65535);
    circle.SetTransparenz(true);
    QCOMPARE(circle.Serialize(200, 60), kExamples[4]);
    GraficGeometry text = made(ShapeStyle::Text, 1, 0, {15, 120, 150, 40});
    text.Label().Caption = QStringLiteral("Note");
    text.Label().FontName = QStringLiteral("Arial");
    text.Label().Bold = true;
    QCOMPARE(text.Serialize(15, 120), kExamples[5]);
    // An arrow's grips come from a drag: its start pulled down past its end.
    GraficGeometry arrow = made(ShapeStyle::Arrow, 3, 0, {10, 20, 168, 118});
    arrow.BeginGripDrag(0, QPointF(0, 0), QSize(400, 300));
    arrow.DragGrip(0, QPointF(0, 100));
    arrow.EndGripDrag();
    QCOMPARE(arrow.StartGrip(), 2);
    QCOMPARE(arrow.EndGrip(), 6);
    QCOMPARE(arrow.Geometry(), QRect(10, 70, 168, 118));
    QCOMPARE(arrow.Serialize(10, 20), kExamples[1]);

    for (const QString &record : kExamples) {
        GraficGeometry shape;
        QVERIFY2(shape.BuildObj(record), qPrintable(record));
        QCOMPARE(written(shape), record);
    }
    GraficGeometry dbl;
    QVERIFY(dbl.BuildObj(kExamples[2]));
    QCOMPARE(dbl.StartGrip(), 2);
    QCOMPARE(dbl.EndGrip(), 6);

    GraficGeometry negative;
    QVERIFY(negative.BuildObj(u"RECT;40;50;120;80;2;16711680;-16777215;1"));
    QCOMPARE(negative.FillColor(), 16777215);
    QCOMPARE(written(negative), kExamples[3]);

    // Offsets move the shape; the record keeps its own position.
    GraficGeometry moved;
    QVERIFY(moved.BuildObj(kExamples[3], 5, 100));
    QCOMPARE(moved.Geometry(), QRect(45, 150, 120, 80));
}

void TestScript::scriptKeepsTheStackingOrder()
{
    const QString script = kExamples.join(u'#') + u'#';
    const OverlayScript::ReadResult read = OverlayScript::Read(script);
    QCOMPARE(read.skipped, 0);
    QCOMPARE(int(read.shapes.size()), 6);
    QCOMPARE(read.shapes.front().Style(), ShapeStyle::Line);    // rear-most
    QCOMPARE(read.shapes.back().Style(), ShapeStyle::Text);     // front-most
    std::vector<OverlayScript::Placed> placed;
    for (const GraficGeometry &shape : read.shapes)
        placed.push_back({&shape, shape.Geometry().left(), shape.Geometry().top()});
    QCOMPARE(OverlayScript::Write(placed), script);
    QCOMPARE(OverlayScript::Read(u"").shapes.size(), size_t(0));
}

void TestScript::captionWithSeparatorsSurvivesTheRoundTrip()
{
    GraficGeometry text;
    text.SetStyle(ShapeStyle::Text);
    text.Place(1, 2, 100, 30);
    text.Label().Caption = QStringLiteral("Preis; #3 \\ C:\\temp\\");
    const QString record = text.Serialize(1, 2);
    QVERIFY2(record.startsWith(u"TEXT;1;2;100;30;Preis\\; \\#3 \\\\ C:\\\\temp\\\\;"), qPrintable(record));
    GraficGeometry rect;
    QVERIFY(rect.BuildObj(kExamples[3]));
    const QString script = record + u'#' + kExamples[3] + u'#';

    const OverlayScript::ReadResult read = OverlayScript::Read(script);
    QCOMPARE(read.skipped, 0);
    QCOMPARE(int(read.shapes.size()), 2);
    QCOMPARE(read.shapes[0].Label().Caption, text.Label().Caption);
    QCOMPARE(written(read.shapes[0]), record);
    QCOMPARE(read.shapes[1].Style(), ShapeStyle::Rect);

    // A backslash before any other character stays, as older scripts have it.
    GraficGeometry old;
    QVERIFY(old.BuildObj(u"TEXT;0;0;9;9;C:\\temp\\x y;Arial;12;False;False;False;False;0"));
    QCOMPARE(old.Label().Caption, QStringLiteral("C:\\temp\\x y"));
    // A caption that ends in a backslash, written before captions were
    // escaped, is still read as it was written.
    const OverlayScript::ReadResult older =
        OverlayScript::Read(u"TEXT;0;0;9;9;C:\\;Arial;12;False;False;False;False;0#RECT;1;2;3;4;1;0;0;1#");
    QCOMPARE(older.skipped, 0);
    QCOMPARE(older.shapes[0].Label().Caption, QStringLiteral("C:\\"));
    QCOMPARE(older.shapes[0].Label().FontName, QStringLiteral("Arial"));
    QCOMPARE(older.shapes[1].Style(), ShapeStyle::Rect);
}

void TestScript::scriptsTravelBetweenRegionalSettings()
{
    QString german;
    {
        LocaleGuard locale(QLocale::German);
        GraficGeometry text;
        text.SetStyle(ShapeStyle::Text);
        text.Label().FontSize = 10.5f;
        german = text.Serialize(0, 0);
        QVERIFY2(german.contains(u";10,5;"), qPrintable(german));
    }
    QString english;
    {
        LocaleGuard locale(QLocale::English);
        GraficGeometry read;
        QVERIFY(read.BuildObj(german));
        QCOMPARE(read.Label().FontSize, 10.5f);
        english = read.Serialize(0, 0);
        QVERIFY2(english.contains(u";10.5;"), qPrintable(english));
    }
    {
        LocaleGuard locale(QLocale::German);
        GraficGeometry read;
        QVERIFY(read.BuildObj(english));
        QCOMPARE(read.Label().FontSize, 10.5f);
        // Booleans of a German machine and as numbers, in any letter case.
        QVERIFY(read.BuildObj(u"TEXT;0;0;9;9;x;Arial;8,5;WAHR;falsch;-1;0;255"));
        QCOMPARE(read.Label().FontSize, 8.5f);
        QVERIFY(read.Label().Bold && !read.Label().Italic && read.Label().Strikethrough && !read.Label().Underline);
        QVERIFY(read.BuildObj(u"TEXT;0;0;9;9;x;Arial;8;false;TRUE;Falsch;wahr;255"));
        QVERIFY(!read.Label().Bold && read.Label().Italic && !read.Label().Strikethrough && read.Label().Underline);
    }
}

void TestScript::unreadableRecordsAreSkippedAndTheRestIsRead()
{
    const QString script = QStringLiteral(
        "RECT;1;2;3#"                                           // too few fields
        "LINE;26;36;108;58;4;4;104;54;2;255#"
        "#"                                                     // empty record
        "RECT;x;50;120;80;2;16711680;16777215;1#"               // position not a number
        "ARROW;10;20;168;118;34;84;134;34;3;0;2;9#"             // no grip 9
        "TEXT;0;0;9;9;x;Arial;12;vielleicht;False;False;False;0#"
        "CIRCLE;200;60;90;90;1;32768;65535;0#"
        "RECT;0;0;99999999;80;2;0;0;1#"                          // wider than any picture
        "BLOB;5;6;70;80#"                                        // unknown: placed only
        "RECT;40;50;120;80;2;16711680;16777215;1");              // no terminator: lost
    const OverlayScript::ReadResult read = OverlayScript::Read(script);
    QCOMPARE(read.skipped, 6);
    QCOMPARE(int(read.shapes.size()), 3);
    QCOMPARE(written(read.shapes[0]), kExamples[0]);
    QCOMPARE(written(read.shapes[1]), kExamples[4]);
    QCOMPARE(read.shapes[2].Style(), ShapeStyle::Line);
    QCOMPARE(read.shapes[2].Geometry(), QRect(5, 6, 70, 80));

    // Found by fuzzing: an unknown keyword over a box narrower than a grip
    // places a line whose grips lie inside out; its record is read back at
    // the same place, its direction taken anew.
    const OverlayScript::ReadResult narrow = OverlayScript::Read(u"W;10;20;4;84#");
    QCOMPARE(narrow.shapes.size(), size_t(1));
    const GraficGeometry &line = narrow.shapes[0];
    GraficGeometry again;
    QVERIFY(again.BuildObj(line.Serialize(10, 20)));
    QCOMPARE(again.Geometry(), QRect(10, 20, 4, 84));
    QCOMPARE(again.StartGrip(), 6);
    QCOMPARE(again.EndGrip(), 2);

    // A record that cannot be read leaves the shape as it was.
    GraficGeometry shape;
    QVERIFY(shape.BuildObj(kExamples[3]));
    QVERIFY(!shape.BuildObj(u"CIRCLE;1;1;10;10;1;0;0"));
    QCOMPARE(written(shape), kExamples[3]);
}

void TestScript::numbersAreWrittenShortAndReadForgivingly()
{
    using namespace ScriptText;
    QCOMPARE(WriteNumber(12.0f, u','), QStringLiteral("12"));
    QCOMPARE(WriteNumber(-4.0f, u','), QStringLiteral("-4"));
    QCOMPARE(WriteNumber(10.5f, u','), QStringLiteral("10,5"));
    QCOMPARE(WriteNumber(0.1f, u'.'), QStringLiteral("0.1"));
    QCOMPARE(WriteNumber(1234567.8f, u'.'), QStringLiteral("1234568"));
    QCOMPARE(WriteNumber(16777216.0f, u'.'), QStringLiteral("16777220"));

    QCOMPARE(ReadNumber(u" 3,5 "), std::optional<double>(3.5));
    QCOMPARE(ReadNumber(u"+7"), std::optional<double>(7));
    QCOMPARE(ReadNumber(u".5"), std::optional<double>(0.5));
    QCOMPARE(ReadNumber(u"1e3"), std::optional<double>(1000));
    for (const char16_t *bad : {u"", u" ", u"-", u"1.2.3", u"1,2,3", u"abc", u"12ab", u"nan", u"inf", u"1e", u"1e999"})
        QVERIFY2(!ReadNumber(bad), qPrintable(QString::fromUtf16(bad)));
    QCOMPARE(ReadInteger(u"2,5", 0, 10), std::optional<int>(2));
    QCOMPARE(ReadInteger(u"3.5", 0, 10), std::optional<int>(4));
    QVERIFY(!ReadInteger(u"11", 0, 10));
    QVERIFY(!ReadInteger(u"2147483648", std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
