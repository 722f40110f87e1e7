#include "OlderSchema.h"
#include "ListDatabase.h"

#include "vehicle/DiagramGeometry.h"
#include "vehicle/MarkSet.h"
#include "vehicle/MarkStore.h"
#include "vehicle/Outline.h"
#include "vehicle/SkizzeAddition.h"
#include "vehicle/VehicleRecord.h"

#include "list/CaseStore.h"

#include <QTest>

using vehicle::DamageMark;

namespace {

const QDate kDay(2026, 3, 10);

DamageMark markAt(int nr, int x, int y, const QString &kind = QStringLiteral("Delle"))
{
    DamageMark mark;
    mark.nr = nr;
    mark.at = QPoint(x, y);
    mark.kind = kind;
    return mark;
}

void addCase(ListDatabase &data, long id, const QString &plate, const QDate &day)
{
    TestCase c;
    c.id = id;
    c.plate = plate;
    c.datum = day;
    data.add(c);
}

QList<long> caseIds(const QList<DamageMark> &marks)
{
    QList<long> ids;
    for (const DamageMark &mark : marks)
        ids.append(mark.caseId);
    return ids;
}

QList<long> markIds(const QList<DamageMark> &marks)
{
    QList<long> ids;
    for (const DamageMark &mark : marks)
        ids.append(mark.id);
    return ids;
}

} // namespace

class TestMarks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    void aMarkKeepsItsPlaceOnTheDrawingAtEverySizeAndZoom_data()
    {
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<double>("zoom");
        QTest::newRow("small") << QSizeF(240, 180) << 1.0;
        QTest::newRow("wide") << QSizeF(1200, 300) << 1.0;
        QTest::newRow("tall") << QSizeF(300, 1100) << 1.0;
        QTest::newRow("zoomed in") << QSizeF(640, 480) << 2.5;
        QTest::newRow("zoomed out") << QSizeF(640, 480) << 0.4;
    }
    void aMarkKeepsItsPlaceOnTheDrawingAtEverySizeAndZoom()
    {
        QFETCH(QSizeF, area);
        QFETCH(double, zoom);
        const QSizeF drawing(600, 450);
        const vehicle::DiagramGeometry where(drawing, QRectF(QPointF(7, 11), area), zoom);
        // The drawing keeps its proportions and stays centred.
        QVERIFY(qAbs(where.drawn().width() / where.drawn().height() - drawing.width() / drawing.height()) < 1e-9);
        QCOMPARE(where.drawn().center(), QRectF(QPointF(7, 11), area).center());
        for (const QPoint &point : {QPoint(0, 0), QPoint(1000, 1000), QPoint(500, 500), QPoint(137, 862), QPoint(999, 1)}) {
            const QPointF shown = where.toArea(point);
            // The same share of the drawing whatever its size.
            QVERIFY(qAbs((shown.x() - where.drawn().left()) / where.drawn().width() - point.x() / 1000.0) < 1e-9);
            QVERIFY(qAbs((shown.y() - where.drawn().top()) / where.drawn().height() - point.y() / 1000.0) < 1e-9);
            if (where.drawn().width() >= 1000 || zoom >= 1.0)
                QCOMPARE(where.toDiagram(shown), point);
            else
                QVERIFY((where.toDiagram(shown) - point).manhattanLength() <= 4);
        }
        // A drag beyond the drawing stops at its edge.
        QCOMPARE(where.toDiagram(where.drawn().topLeft() - QPointF(50, 50)), QPoint(0, 0));
        QCOMPARE(where.toDiagram(where.drawn().bottomRight() + QPointF(50, 50)), QPoint(1000, 1000));
    }

    void theOutlineFollowsTheVehicleType_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("outline");
        QTest::newRow("standard van") << QString() << QStringLiteral("VW Transporter T6") << QStringLiteral("Transporter");
        QTest::newRow("standard, any case") << QString() << QStringLiteral("mercedes SPRINTER") << QStringLiteral("Transporter");
        QTest::newRow("standard car") << QString() << QStringLiteral("VW Golf") << QStringLiteral("PKW");
        QTest::newRow("no type") << QString() << QString() << QStringLiteral("PKW");
        QTest::newRow("own words") << QStringLiteral(" Kangoo , Caddy") << QStringLiteral("Renault Kangoo")
                                   << QStringLiteral("Transporter");
        QTest::newRow("own words replace the standard") << QStringLiteral("Kangoo") << QStringLiteral("Ford Transit")
                                                         << QStringLiteral("PKW");
    }
    void theOutlineFollowsTheVehicleType()
    {
        QFETCH(QString, words);
        QFETCH(QString, type);
        QFETCH(QString, outline);
        const vehicle::OutlineChoice choice = words.isNull()
            ? vehicle::OutlineChoice::standard()
            : vehicle::OutlineChoice({{vehicle::OutlineChoice::van(), words}});
        QCOMPARE(choice.outlineFor(type), outline);
    }

    void earlierCasesShowTheirUnrepairedMarks_repairedLaterAndOtherVehiclesNot()
    {
        ListDatabase data;
        const QString plate = QStringLiteral("HH-VH 100");
        addCase(data, 1, plate, kDay.addDays(-90));
        addCase(data, 2, plate, kDay.addDays(-30));
        addCase(data, 3, plate, kDay);                 // the case looked at
        addCase(data, 4, plate, kDay);                 // same day, numbered after it
        addCase(data, 5, plate, kDay.addDays(20));
        addCase(data, 6, QStringLiteral("HH-VH 200"), kDay.addDays(-60));
        addCase(data, 7, plate, QDate());             // no date yet
        vehicle::MarkStore store(*data.db);
        DamageMark repaired = markAt(2, 800, 300);
        repaired.repairedOn = kDay.addDays(-10);
        store.writeCase(1, plate, {}, {markAt(1, 100, 200), repaired});
        store.writeCase(2, plate, {}, {markAt(1, 300, 400, QStringLiteral("Kratzer"))});
        store.writeCase(3, plate, {}, {markAt(1, 500, 500)});
        store.writeCase(4, plate, {}, {markAt(1, 600, 600)});
        store.writeCase(5, plate, {}, {markAt(1, 700, 700)});
        store.writeCase(6, QStringLiteral("HH-VH 200"), {}, {markAt(1, 100, 100)});

        QList<DamageMark> earlier = store.earlierOpenMarks(plate, 3);
        QCOMPARE(caseIds(earlier), (QList<long>{1, 2}));
        QCOMPARE(earlier[0].at, QPoint(100, 200));
        QCOMPARE(earlier[0].caseNumber, QStringLiteral("09/001"));
        QCOMPARE(earlier[1].kind, QStringLiteral("Kratzer"));
        QCOMPARE(caseIds(store.earlierOpenMarks(plate, 4)), (QList<long>{1, 2, 3}));
        QCOMPARE(caseIds(store.earlierOpenMarks(plate, 1)), QList<long>{});
        QCOMPARE(caseIds(store.earlierOpenMarks(plate, 7)), (QList<long>{1, 2, 3, 4, 5}));
        // A new case of the vehicle: all of its open damage; the plate as typed in any case.
        QCOMPARE(caseIds(store.earlierOpenMarks(QStringLiteral("hh-vh 100 "), 0)), (QList<long>{1, 2, 3, 4, 5}));
        QCOMPARE(caseIds(store.earlierOpenMarks(QString(), 0)), QList<long>{});
        QCOMPARE(caseIds(store.openMarks(QStringLiteral("HH-VH 200"))), QList<long>{6});
        // The report reads both at once, in the same order.
        for (long id = 1; id <= 7; ++id) {
            const QString plateOf = id == 6 ? QStringLiteral("HH-VH 200") : plate;
            const vehicle::MarkStore::CaseDiagram diagram = store.caseDiagram(id, plateOf);
            QCOMPARE(markIds(diagram.own), markIds(store.caseMarks(id)));
            QCOMPARE(markIds(diagram.earlier), markIds(store.earlierOpenMarks(plateOf, id)));
        }

        // Repaired, it is no longer carried forward.
        store.setRepaired(earlier[1].id, kDay);
        QCOMPARE(caseIds(store.earlierOpenMarks(plate, 3)), QList<long>{1});
        // A case moved to another vehicle takes its marks along.
        store.writeCase(1, QStringLiteral("HH-VH 200"), store.caseMarks(1), store.caseMarks(1));
        QCOMPARE(caseIds(store.earlierOpenMarks(plate, 3)), QList<long>{});
        QCOMPARE(caseIds(store.openMarks(QStringLiteral("HH-VH 200"))), (QList<long>{1, 6}));
    }

    void twoWorkstationsAddingMarksToOneCase_bothAreKept()
    {
        ListDatabase data;
        addCase(data, 1, QStringLiteral("HH-VH 1"), kDay);
        vehicle::MarkStore here(*data.db);
        here.writeCase(1, QStringLiteral("HH-VH 1"), {}, {markAt(1, 10, 10), markAt(2, 20, 20)});
        const QList<DamageMark> loaded = here.caseMarks(1);

        auto otherDb = dao::DBEngine::instance().Workspaces(0).OpenDatabase(data.path());
        vehicle::MarkStore there(*otherDb);
        QList<DamageMark> theirs = there.caseMarks(1);
        theirs.append(markAt(3, 30, 30, QStringLiteral("Riss")));
        there.writeCase(1, QStringLiteral("HH-VH 1"), loaded, theirs);

        // Here mark 1 is moved, mark 2 removed and a mark 3 of its own added.
        QList<DamageMark> mine = loaded;
        mine[0].at = QPoint(15, 15);
        mine.removeAt(1);
        mine.append(markAt(3, 40, 40, QStringLiteral("Bruch")));
        here.writeCase(1, QStringLiteral("HH-VH 1"), loaded, mine);

        const QList<DamageMark> stored = here.caseMarks(1);
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored[0].at, QPoint(15, 15));
        QCOMPARE(stored[1].kind, QStringLiteral("Riss"));
        QCOMPARE(stored[2].kind, QStringLiteral("Bruch"));
        QCOMPARE(stored[2].nr, 4);   // its number was taken meanwhile

        // A deleted case keeps its marks for its restore, but the vehicle shows them no more.
        QCOMPARE(here.openMarks(QStringLiteral("HH-VH 1")).size(), 3);
        list::deleteCase(*data.db, 1);
        QCOMPARE(data.count(QStringLiteral("Select Count(*) From Schadenmarke")), 3L);
        QVERIFY(here.openMarks(QStringLiteral("HH-VH 1")).isEmpty());
    }

    void anOlderDatabaseGetsTheMarksTable_aNewerOneIsLeftAsItIs()
    {
        for (bool newer : {false, true}) {
            ListDatabase data;
            addCase(data, 1, QStringLiteral("HH-VH 1"), kDay);
            // As the program before the marks left it, or a newer one without them.
            testschema::makeVersion(*data.db, 2);
            if (newer)
                data.db->Execute(QStringLiteral("UPDATE Schemaversion SET Version=?"), {varnholt::SchemaVersion + 1});
            QVERIFY(!data.db->TableHasColumn(QStringLiteral("Schadenmarke"), QStringLiteral("ID")));
            long refused = 0;
            try {
                varnholt::upgradeSchema(*data.db);
            } catch (const dao::DaoError &error) {
                refused = error.number();
            }
            QCOMPARE(refused, newer ? long(dao::ErrNotADatabase) : 0L);
            QCOMPARE(varnholt::storedSchemaVersion(*data.db), varnholt::SchemaVersion + (newer ? 1 : 0));
            QCOMPARE(data.db->TableHasColumn(QStringLiteral("Schadenmarke"), QStringLiteral("RepariertAm")), !newer);
            // Until then the program shows no diagram and prints the case as before.
            QCOMPARE(vehicle::MarkStore::available(*data.db), !newer);
            if (newer) {
                QCOMPARE(vehicle::SkizzeAddition(*data.db).sections(1), QStringList());
                QCOMPARE(vehicle::VehicleRecord::load(*data.db, QStringLiteral("HH-VH 1")).cases().size(), 1);
                continue;
            }
            vehicle::MarkStore store(*data.db);
            store.writeCase(1, QStringLiteral("HH-VH 1"), {}, {markAt(1, 10, 990)});
            QCOMPARE(store.caseMarks(1).value(0).at, QPoint(10, 990));
            const QString plan = data.db->QueryPlan(
                QStringLiteral("Select ID From Schadenmarke Where EigenKZ=? And RepariertAm Is Null"),
                {QStringLiteral("HH-VH 1")}).join(u'\n');
            QVERIFY2(plan.contains(QStringLiteral("SchadenmarkeFahrzeug"), Qt::CaseInsensitive) ||
                         plan.contains(QStringLiteral("Seq Scan")),   // the server may scan a table this small
                     qPrintable(plan));
        }
    }

    void editingMarksIsUndoneStepByStep()
    {
        vehicle::MarkSet set;
        DamageMark earlier = markAt(1, 900, 900);
        earlier.id = 77;
        set.reset({}, {earlier});
        QCOMPARE(set.place(QPoint(100, 100)), 1);
        QCOMPARE(set.place(QPoint(200, 200)), 2);
        for (int x : {210, 220, 230})
            set.move(2, QPoint(x, 200), 5);   // one drag
        set.move(1, QPoint(110, 100), 6);
        DamageMark edited = set.own()[0];
        edited.severity = QStringLiteral("schwer");
        set.edit(edited, -1);
        edited.note = QStringLiteral("Tür");
        set.edit(edited, -1);                 // typing: the same step
        set.remove(2);
        set.setRepaired(77, kDay);
        QCOMPARE(set.repairedEarlier().size(), 1);
        QVERIFY(set.changed());
        QCOMPARE(set.undoStack().count(), 7);

        const auto undoTo = [&set](int steps) {
            for (int i = 0; i < steps; ++i)
                set.undoStack().undo();
        };
        undoTo(1);
        QVERIFY(set.repairedEarlier().isEmpty());
        undoTo(1);
        QCOMPARE(set.own().size(), 2);
        QCOMPARE(set.own()[1].at, QPoint(230, 200));
        undoTo(1);
        QCOMPARE(set.own()[0].severity, QStringLiteral("leicht"));
        QCOMPARE(set.own()[0].note, QString());
        undoTo(2);
        QCOMPARE(set.own()[1].at, QPoint(200, 200));
        QCOMPARE(set.own()[0].at, QPoint(100, 100));
        undoTo(2);
        QVERIFY(set.own().isEmpty());
        QVERIFY(!set.changed());
        // A number freed by undoing is given again.
        QCOMPARE(set.place(QPoint(1, 1)), 1);
    }
};

QTEST_MAIN(TestMarks)
#include "tst_marks.moc"
