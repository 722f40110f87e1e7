#include "OlderSchema.h"
#include "ListDatabase.h"

#include "list/CaseListModel.h"
#include "list/CaseStore.h"
#include "list/ColumnWidths.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include "core/Clock.h"
#include "varnholt/Schema.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>


using namespace list;

namespace {

const QDate kToday(2009, 3, 17);

// Every row the model holds, reading on to the end.
QList<long> modelIds(CaseListModel &model)
{
    while (model.canFetchMore())
        model.fetchMore();
    QList<long> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.caseId(row));
    return ids;
}

// The IDs of the list's statement in the list's order, ties by case ID in the same direction.
QList<long> orderedIds(ListDatabase &data, const ListStatement &statement)
{
    return data.ids(statement.text + QStringLiteral(",ID") + (statement.ascending ? QStringLiteral(" asc") : QStringLiteral(" desc")),
                    statement.params);
}

// Five cases whose customers and plates begin with umlauts and plain letters.
void addNamedCases(ListDatabase &data)
{
    const QList<std::pair<QString, QString>> named = {
        {QStringLiteral("Ober"), QStringLiteral("OF-A 1")},     {QStringLiteral("Strasse"), QStringLiteral("AB-C 2")},
        {QStringLiteral("Abel"), QStringLiteral("P-Q 3")},      {QStringLiteral("Öztürk"), QStringLiteral("ÖHR-B 4")},
        {QStringLiteral("Zander"), QStringLiteral("Z-Z 5")},
    };
    for (int i = 0; i < named.size(); ++i) {
        TestCase c;
        c.id = i + 1;
        c.customer = named[i].first;
        c.plate = named[i].second;
        c.datum = kToday.addDays(-i);
        data.add(c);
    }
}

// A handful of rows is sorted faster than read through an index; the server
// is told to use an index wherever one serves, as it does for the list's
// cursor over many cases. SQLite picks the index for any size.
void usePlansWithoutSorting(ListDatabase &data)
{
    if (!testengine::onServer())
        return;
    data.db->Execute(QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I SET enable_sort = off', "
                                    "current_database()); END$$"));
    data.db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(data.path());
}

// The plan sorts the rows itself instead of reading them in an index's order.
bool sorts(const QString &plan)
{
    return plan.contains(QStringLiteral("TEMP B-TREE")) || plan.contains(QStringLiteral("Sort"));
}

} // namespace

class TestListLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::Clock::setFixed(QDateTime(kToday, QTime(10, 0)));
    }
    void cleanupTestCase() { core::Clock::reset(); }

    void headerClicks()
    {
        SortState sort;   // as a first start: Datum descending, no click yet
        QCOMPARE(sort.orderClause(), QStringLiteral(" order by Datum desc"));
        QVERIFY(sort.headerClicked(QStringLiteral("Datum")));
        QCOMPARE(sort.orderClause(), QStringLiteral(" order by Datum desc"));
        QVERIFY(sort.headerClicked(QStringLiteral("Datum")));
        QCOMPARE(sort.orderClause(), QStringLiteral(" order by Datum asc"));

        // Another column starts descending; the mapping ignores case.
        QVERIFY(sort.headerClicked(QStringLiteral("kunde")));
        QCOMPARE(sort.column(), QStringLiteral("Kundenname"));
        QVERIFY(!sort.flag());
        QCOMPARE(sort.lastColumn(), QStringLiteral("Kundenname"));

        // A field without a column re-sorts by the previous one, flipped as it was clicked last.
        QVERIFY(sort.headerClicked(QStringLiteral("ID")));
        QCOMPARE(sort.orderClause(), QStringLiteral(" order by Kundenname COLLATE German asc"));

        // Fresh from the settings file: an unmapped click on a column never clicked starts it descending.
        SortState stored(QStringLiteral("Reparaturstatus"), true);
        QVERIFY(stored.headerClicked(QStringLiteral("ID")));
        QCOMPARE(stored.orderClause(), QStringLiteral(" order by Reparaturstatus COLLATE German desc"));

        SortState empty(QString(), false);
        QVERIFY(!empty.headerClicked(QStringLiteral("ID")));

        QVERIFY(SortState::isPlainName(QStringLiteral("tsGeändert")));
        QVERIFY(!SortState::isPlainName(QStringLiteral("Datum; drop table Schaden")));
    }

    void storedColumnWidths()
    {
        QCOMPARE(parseColumnWidths(DefaultColumnWidthsText), (ColumnWidths{600, 1000, 900, 2000, 6500, 700, 1200, 600}));
        QCOMPARE(parseColumnWidths(QStringLiteral("0;1000;900;2000;6500;700;1200;600;"))[0], 0);
        QCOMPARE(parseColumnWidths(QStringLiteral("600;20000;900;2000;-5;700;1200;10000;")),
                 (ColumnWidths{600, 1000, 900, 2000, 1000, 700, 1200, 10000}));
        // Too few or too many parts, or no closing ";": the defaults.
        const ColumnWidths defaults = parseColumnWidths(DefaultColumnWidthsText);
        QCOMPARE(parseColumnWidths(QStringLiteral("100;200;")), defaults);
        QCOMPARE(parseColumnWidths(QStringLiteral("1;2;3;4;5;6;7;8")), defaults);
        QCOMPARE(parseColumnWidths(QStringLiteral("1;2;3;4;5;6;7;8;9;10")), defaults);
        QCOMPARE(parseColumnWidths(QString()), defaults);
        QVERIFY_THROWS_EXCEPTION(WidthsError, parseColumnWidths(QStringLiteral("600;breit;900;2000;6500;700;1200;600;")));
        QVERIFY_THROWS_EXCEPTION(WidthsError, parseColumnWidths(QStringLiteral(";1000;900;2000;6500;700;1200;600;")));

        // In the classic font a twip is a fifteenth of a pixel; a wider font widens
        // every column, never narrows one, and a hidden column stays hidden.
        const ColumnScale classic;
        QCOMPARE(classic.toPixels(900), 60);
        QCOMPARE(ColumnScale(4).toPixels(900), 60);
        const ColumnScale wide(6);
        QCOMPARE(wide.toPixels(900), 72);
        QCOMPARE(wide.toPixels(0), 0);
        QCOMPARE(wide.toPixels(2), 1);
        // Widths nobody dragged keep their stored values across any number of runs.
        for (int twips : {1, 600, 1000, 1234, 6500, 10000})
            QCOMPARE(wide.keptOrMeasured(twips, wide.toPixels(twips)), twips);
        QCOMPARE(wide.keptOrMeasured(1000, 0), 0);
        QCOMPARE(wide.keptOrMeasured(1000, 120), 1500);
    }

    void vehicleList()
    {
        ListDatabase data;
        TestCase c;
        c.id = 1;
        c.plate = QStringLiteral("hh-x 9");
        data.add(c);
        c.id = 2;
        c.plate = QVariant();
        data.add(c);
        c.id = 3;
        c.plate = QStringLiteral("O'NEIL 1");
        data.add(c);
        c.id = 4;
        c.plate = QStringLiteral("AB-C 12");
        data.add(c);
        c.id = 5;
        c.plate = QStringLiteral("HH-X 9");   // the same plate to the engine
        data.add(c);
        c.id = 6;
        c.plate = QStringLiteral("P-Q 1");
        data.add(c);
        c.id = 7;
        c.plate = QStringLiteral("ÖHR-A 1");   // among the O, not after the Z
        data.add(c);
        QCOMPARE(vehiclePlates(*data.db), (QStringList{"AB-C 12", "hh-x 9", "O'NEIL 1", "ÖHR-A 1", "P-Q 1"}));
    }

    void deleteOneCase()
    {
        ListDatabase data;
        for (long id : {7, 8, 9})
            data.addObject(id);
        TestCase c;
        c.id = 1;
        c.object2 = qlonglong(8);
        data.add(c);
        c.id = 2;
        c.object2 = QVariant();
        c.object1 = qlonglong(7);
        c.object3 = qlonglong(9);
        data.add(c);

        // Deleted, the case keeps its row and its attachments but leaves the list.
        deleteCase(*data.db, 1);
        QCOMPARE(data.ids(QStringLiteral("Select ID from Objekt order by ID")), (QList<long>{7, 8, 9}));
        QCOMPARE(data.ids(QStringLiteral("Select ID from Schaden order by ID")), (QList<long>{1, 2}));
        const ListStatement listed = buildListStatement(FilterInput(), SortState());
        QCOMPARE(data.ids(listed.text, listed.params), (QList<long>{2}));
        QCOMPARE(countCases(*data.db, listed.countText, listed.countParams), 1);
        QCOMPARE(data.db->TransactionDepth(), 0);

        // A failure leaves the case as it was, listed.
        testengine::refuseWrites(*data.db, "keep", "BEFORE UPDATE", "Schaden", "gesperrt");
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, deleteCase(*data.db, 2));
        QCOMPARE(data.ids(listed.text, listed.params), (QList<long>{2}));
        QCOMPARE(data.db->TransactionDepth(), 0);
    }

    void modelReadsAsItGoes()
    {
        ListDatabase data;
        data.db->BeginTrans();
        const int total = 1000;
        for (int i = 1; i <= total; ++i) {
            TestCase c;
            c.id = i;
            c.plate = QStringLiteral("P %1").arg(i % 7);
            c.datum = kToday.addDays(-(i * 37 % 500));
            c.done = i % 2;
            c.description = QStringLiteral("Zeile eins\r\nZeile zwei");
            data.add(c);
        }
        data.db->CommitTrans();

        const ListStatement statement = buildListStatement(FilterInput(), SortState());
        CaseListModel model(*data.db);
        model.setSource(statement);
        model.requery();
        QCOMPARE(model.rowCount(), CaseListModel::FetchBatch);
        QVERIFY(model.canFetchMore());

        // A case at the end is found, and every row on the way joins at once.
        const QList<long> expected = orderedIds(data, statement);
        const long last = expected.last();
        QCOMPARE(model.findCase(last), total - 1);
        QCOMPARE(model.rowCount(), total);
        model.fetchMore();
        QCOMPARE(model.rowCount(), total);
        QVERIFY(!model.canFetchMore());
        QCOMPARE(model.findCase(expected.at(10)), 10);
        QCOMPARE(model.findCase(total + 1), -1);
        QCOMPARE(modelIds(model), expected);

        // Reading back and forth gives each row's own values.
        const int row = 517;
        const long id = expected.at(row);
        QCOMPARE(model.caseId(3), expected.at(3));
        QCOMPARE(model.text(row, 6), id % 2 ? QStringLiteral("Ja") : QStringLiteral("-"));
        QCOMPARE(model.text(row, 3), kToday.addDays(-(id * 37 % 500)).toString(QStringLiteral("dd.MM.yyyy")));
        QCOMPARE(model.text(row, 5), QStringLiteral("Zeile eins Zeile zwei"));

        // An empty result, and a statement the engine refuses.
        FilterInput nothing;
        nothing.vehicleIndex = 1;
        nothing.vehicle = QStringLiteral("gibt es nicht");
        const ListStatement empty = buildListStatement(nothing, SortState());
        model.setSource(empty);
        model.requery();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.canFetchMore());
        QCOMPARE(model.findCase(last), -1);
        model.setSource(buildListStatement(FilterInput(), SortState(QStringLiteral("Unbekannt"))));
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, model.requery());
        QCOMPARE(model.rowCount(), 0);
    }

    void pagesFollowTheListsOrder()
    {
        // Ties, Nulls and umlauts in every sorted column, over several pages.
        ListDatabase data;
        const QStringList names{"Öztürk", "ober", "Ober", "Abel", "Straße", "Strasse"};
        data.db->BeginTrans();
        for (int i = 1; i <= 1400; ++i) {
            TestCase c;
            c.id = i;
            c.plate = i % 5 == 0 ? QVariant() : QVariant(QStringLiteral("%1 %2").arg(i % 2 ? "ÖHR" : "OF").arg(i % 9));
            c.datum = i % 11 == 0 ? QDate() : kToday.addDays(-(i % 300));
            c.customer = i % 7 == 0 ? QString() : names[i % names.size()];
            c.done = i % 3 == 0;
            c.repair = i % 4 == 0 ? QString() : QStringLiteral("Werkstatt %1").arg(i % 3);
            c.pictures = i % 2;
            data.add(c);
        }
        data.db->CommitTrans();
        FilterInput open;
        open.statusIndex = 2;
        const QList<std::pair<FilterInput, SortState>> lists{
            {FilterInput(), SortState()},
            {FilterInput(), SortState(QStringLiteral("Datum"), true)},
            {FilterInput(), SortState(QStringLiteral("EIGENKZ"), true)},
            {FilterInput(), SortState(QStringLiteral("EIGENKZ"), false)},
            {FilterInput(), SortState(QStringLiteral("Kundenname"), true)},
            {FilterInput(), SortState(QStringLiteral("Kundenname"), false)},
            {FilterInput(), SortState(QStringLiteral("fErledigt"), false)},
            {FilterInput(), SortState(QStringLiteral("Reparaturstatus"), true)},
            {FilterInput(), SortState(QStringLiteral("Schadenbilder"), true)},
            {FilterInput(), SortState(QStringLiteral("Schadennummer"), false)},
            {open, SortState(QStringLiteral("Kundenname"), true)},
        };
        for (const auto &[filter, sort] : lists) {
            const ListStatement statement = buildListStatement(filter, sort);
            CaseListModel model(*data.db);
            model.setSource(statement);
            model.requery();
            QVERIFY2(modelIds(model) == orderedIds(data, statement), qPrintable(statement.text));
        }
    }

    void serverListHoldsNothingOpenWhileLookedAt()
    {
        if (!testengine::onServer())
            QSKIP("a database file has no sessions");
        ListDatabase data;
        const int cases = 100000;
        data.db->Execute(QStringLiteral(
                             "INSERT INTO Schaden (ID, Schadennummer, EigenKZ, Datum, Kundenname, Schadenart, fErledigt)"
                             " SELECT i, '09/' || i, 'P ' || (i % 97), DATE '2009-01-01' + CAST(i % 1000 AS INTEGER), 'Kunde ' || (i % 5000),"
                             " 'Einzelschaden', i % 2 FROM generate_series(1, ?) i"),
                         {cases});
        // A server that ends every session left idle in a transaction for a second.
        data.db->Execute(QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I SET "
                                        "idle_in_transaction_session_timeout = ''1s''', current_database()); END$$"));
        auto workstation = dao::DBEngine::instance().Workspaces().OpenDatabase(data.path());
        const ListStatement statement = buildListStatement(FilterInput(), SortState());
        CaseListModel model(*workstation);
        QSignalSpy failed(&model, &CaseListModel::readFailed);
        model.setSource(statement);
        model.requery();
        model.fetchMore();
        QVERIFY(model.rowCount() > 0 && model.rowCount() < cases);

        const auto sessions = [&] {
            return data.ids(QStringLiteral("SELECT CASE state WHEN 'idle' THEN 1 ELSE 2 END FROM pg_stat_activity "
                                           "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
        };
        QTest::qWait(1500);
        const QList<long> looking = sessions();
        QVERIFY(!looking.isEmpty());
        QCOMPARE(looking, QList<long>(looking.size(), 1));   // idle, not idle in transaction

        // Scrolled to the end after the pause, without a word of failure: the
        // oldest day's first case is the last row.
        QCOMPARE(model.findCase(1000), cases - 1);
        QCOMPARE(model.rowCount(), cases);
        QCOMPARE(failed.count(), 0);
        QTest::qWait(1200);
        const QList<long> after = sessions();
        QCOMPARE(after, QList<long>(after.size(), 1));
        workstation->Close();
        data.db->Execute(QStringLiteral("DO $$BEGIN EXECUTE format('ALTER DATABASE %I RESET "
                                        "idle_in_transaction_session_timeout', current_database()); END$$"));
    }

    void namesSortInGermanOrderThroughTheirIndexes()
    {
        ListDatabase data;
        addNamedCases(data);
        usePlansWithoutSorting(data);
        const QList<long> ascending{3, 1, 4, 2, 5};   // Abel, Ober, Öztürk, Strasse, Zander
        QList<long> descending = ascending;
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(data.ids(buildListStatement(FilterInput(), SortState(QStringLiteral("Kundenname"), true)).text),
                 ascending);
        QCOMPARE(data.ids(buildListStatement(FilterInput(), SortState(QStringLiteral("Kundenname"), false)).text),
                 descending);
        QCOMPARE(data.ids(buildListStatement(FilterInput(), SortState(QStringLiteral("EIGENKZ"), true)).text),
                 (QList<long>{2, 1, 4, 3, 5}));   // AB, OF, ÖHR, P, Z

        // Each sort the list offers on an indexed column is served by its index, not sorted afterwards.
        const QList<std::pair<QString, QString>> indexed = {
            {QStringLiteral("Kundenname"), QStringLiteral("SchadenKunde")},
            {QStringLiteral("EIGENKZ"), QStringLiteral("SchadenAuto")},
            {QStringLiteral("Datum"), QStringLiteral("SchadenDatum")},
        };
        for (const auto &[column, index] : indexed) {
            for (bool ascendingFlag : {true, false}) {
                const QString plan =
                    data.db->QueryPlan(buildListStatement(FilterInput(), SortState(column, ascendingFlag)).text)
                        .join(u'\n');
                QVERIFY2(plan.contains(index, Qt::CaseInsensitive) && !sorts(plan), qPrintable(plan));
            }
        }
    }

    void olderDatabaseGetsTheGermanIndexesOnce()
    {
        ListDatabase data;
        // As the first program made it: the customer's index in the column's own order, no version.
        testschema::makeVersion(*data.db, 1);
        addNamedCases(data);
        data.addObject(7);
        // The date changes too: an update of no indexed column leaves a chain
        // of row versions that makes the server hold back an index built over
        // it from every transaction older than the build, and the other
        // suites on the same server keep such transactions open.
        data.db->Execute(QStringLiteral("UPDATE Schaden SET Objekt_ID_1=7, Schadenbilder=-1, Datum=? WHERE ID=4"),
                         {kToday.addDays(-30)});
        usePlansWithoutSorting(data);
        QCOMPARE(varnholt::storedSchemaVersion(*data.db), 1);
        FilterInput before;
        before.deletionMarks = false;   // as the list finds it in a database of the first program
        const QString byCustomer = buildListStatement(before, SortState(QStringLiteral("Kundenname"), true)).text;
        const QList<long> ascending{3, 1, 4, 2, 5};
        // It sorts right before; only the engine has to sort every case first.
        QCOMPARE(data.ids(byCustomer), ascending);
        QVERIFY(sorts(data.db->QueryPlan(byCustomer).join(u'\n')));

        varnholt::upgradeSchema(*data.db);
        QCOMPARE(varnholt::storedSchemaVersion(*data.db), varnholt::SchemaVersion);
        QVERIFY(data.db->TableHasColumn(QStringLiteral("Schadenmarke"), QStringLiteral("RepariertAm")));
        const QString plan = data.db->QueryPlan(byCustomer).join(u'\n');
        QVERIFY2(plan.contains(QStringLiteral("SchadenKunde"), Qt::CaseInsensitive) && !sorts(plan), qPrintable(plan));
        QCOMPARE(data.ids(byCustomer), ascending);
        QCOMPARE(data.count(QStringLiteral("Select Count(*) From Objekt where ID=7 and lbObjekt is not Null")), 1L);
        QCOMPARE(data.count(QStringLiteral("Select Objekt_ID_1 From Schaden where ID=4")), 7L);

        // Once: another workstation writing does not hold up the next start.
        auto other = dao::DBEngine::instance().Workspaces(0).OpenDatabase(data.path());
        other->BeginTrans();
        other->Execute(QStringLiteral("UPDATE Schaden SET Melder='Anna' WHERE ID=1"));
        QElapsedTimer waited;
        waited.start();
        varnholt::upgradeSchema(*data.db);
        QVERIFY(waited.elapsed() < 2000);
        other->CommitTrans();
        QCOMPARE(data.count(QStringLiteral("Select Count(*) From Schemaversion")), 1L);

        // A newer program's database is refused and left as it is.
        data.db->Execute(QStringLiteral("UPDATE Schemaversion SET Version=?"), {varnholt::SchemaVersion + 1});
        long refused = 0;
        try {
            varnholt::upgradeSchema(*data.db);
        } catch (const dao::DaoError &error) {
            refused = error.number();
        }
        QCOMPARE(refused, long(dao::ErrNotADatabase));
        QCOMPARE(varnholt::storedSchemaVersion(*data.db), varnholt::SchemaVersion + 1);
        QCOMPARE(data.ids(byCustomer), ascending);
    }

    void aReadFailingHalfWayIsTold()
    {
        ListDatabase data;
        data.db->BeginTrans();
        for (int i = 1; i <= 600; ++i) {
            TestCase c;
            c.id = i;
            c.plate = QStringLiteral("P 1");
            c.datum = kToday;
            data.add(c);
        }
        data.db->CommitTrans();
        // The engine fails on the 400th row, after it gave the ones before.
        const QString failing = testengine::onServer()
            ? QStringLiteral("Select ID, 1/(400-ID) as Nr From Schaden order by ID")
            : QStringLiteral("Select ID, abs(-9223372036854775807 - ID/400) as Nr From Schaden order by ID");
        CaseListModel model(*data.db);
        QSignalSpy failed(&model, &CaseListModel::readFailed);
        model.setSource(failing, {});
        if (testengine::onServer()) {
            // The server goes through a scrollable read's rows before it gives the first.
            QVERIFY_THROWS_EXCEPTION(dao::DaoError, model.requery());
            QCOMPARE(model.rowCount(), 0);
            return;
        }
        model.requery();
        while (model.canFetchMore())
            model.fetchMore();
        QCOMPARE(model.rowCount(), 399);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().at(1).toString().length() > 0);
        // Told once, not at every further attempt to read on.
        model.fetchMore();
        model.findCase(500);
        QCOMPARE(failed.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestListLogic)
#include "tst_listlogic.moc"
