#include "ListDatabase.h"

#include "list/CaseListModel.h"
#include "list/CaseStore.h"
#include "list/ColumnWidths.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include "core/Clock.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace list;

namespace {

const QString kBase = QStringLiteral(
    "Select ID,Schadennummer as Nr,EIGENKZ as Auto,Datum,Kundenname as Kunde,Schadenbeschreibung as Schaden,"
    "IIF(fErledigt,'Ja','-') as Erledigt,Reparaturstatus as Reparatur,IIF(Schadenbilder,'Ja','') as Bilder From Schaden");

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

QList<long> listed(ListDatabase &data, const FilterInput &filter, const SortState &sort = SortState())
{
    const ListStatement statement = buildListStatement(filter, sort);
    CaseListModel model(*data.db);
    model.setSource(statement.text, statement.params);
    model.requery();
    return modelIds(model);
}

} // namespace

class TestListLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { core::Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanupTestCase() { core::Clock::reset(); }

    void statementText()
    {
        FilterInput filter;
        filter.vehicleIndex = 3;
        filter.vehicle = QStringLiteral("AB-C 12");
        filter.statusIndex = 1;
        filter.kindIndex = 2;
        ListStatement s = buildListStatement(filter, SortState(QStringLiteral("Datum"), false));
        QCOMPARE(s.text, kBase + QStringLiteral(" where [EIGENKZ]=?  and fErledigt<>0 and Schadenart<>'Einzelschaden'"
                                                " order by Datum desc"));
        QCOMPARE(s.params, dao::Params{QStringLiteral("AB-C 12")});

        // The overdue mode ignores the three boxes; a day box without a number is limit 0.
        filter.overdue = true;
        filter.days = QStringLiteral("abc");
        s = buildListStatement(filter, SortState(QStringLiteral("Kundenname"), true));
        QCOMPARE(s.text, kBase + QStringLiteral(" where fErledigt=0 AND DateDiff('d',Datum,now)>? order by Kundenname asc"));
        QCOMPARE(s.params, dao::Params{QVariant(qlonglong(0))});
        filter.days = QStringLiteral(" 30 Tage");
        QCOMPARE(buildListStatement(filter, SortState()).params, dao::Params{QVariant(qlonglong(30))});

        // "Alle" or a typed plate that is in no list entry: no vehicle condition;
        // an empty text neither.
        FilterInput none;
        none.vehicle = QStringLiteral("Alle");
        QCOMPARE(buildListStatement(none, SortState()).text, kBase + QStringLiteral(" order by Datum desc"));
        none.vehicleIndex = -1;
        none.vehicle = QStringLiteral("XY");
        none.kindIndex = 1;
        QCOMPARE(buildListStatement(none, SortState()).text,
                 kBase + QStringLiteral(" where Schadenart='Einzelschaden' order by Datum desc"));
        none.vehicleIndex = 2;
        none.vehicle.clear();
        QVERIFY(buildListStatement(none, SortState()).params.isEmpty());
    }

    void filtersSelectWhatTheyName()
    {
        ListDatabase data;
        const QString plates[] = {QStringLiteral("AB-C 12"), QStringLiteral("O'NEIL 1"), QStringLiteral("HH-X 9")};
        const QString kinds[] = {QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden"), QStringLiteral("Sonstiges")};
        QList<TestCase> cases;
        for (int i = 1; i <= 36; ++i) {
            TestCase c;
            c.id = i;
            c.plate = plates[i % 3];
            c.kind = kinds[(i / 3) % 3];
            c.done = (i / 9) % 2 == 1;
            c.datum = kToday.addDays(-5 * i);
            cases.append(c);
            data.add(c);
        }

        const auto expect = [&](const std::function<bool(const TestCase &)> &keep, bool newestFirst) {
            QList<TestCase> kept;
            std::copy_if(cases.begin(), cases.end(), std::back_inserter(kept), keep);
            std::stable_sort(kept.begin(), kept.end(), [&](const TestCase &a, const TestCase &b) {
                return newestFirst ? a.datum > b.datum : a.datum < b.datum;
            });
            QList<long> ids;
            for (const TestCase &c : kept)
                ids.append(c.id);
            return ids;
        };

        FilterInput filter;
        QCOMPARE(listed(data, filter), expect([](const TestCase &) { return true; }, true));

        filter.vehicleIndex = 2;
        filter.vehicle = QStringLiteral("O'NEIL 1");
        QCOMPARE(listed(data, filter), expect([](const TestCase &c) { return c.plate == QStringLiteral("O'NEIL 1"); }, true));

        filter = {};
        filter.statusIndex = 2;
        QCOMPARE(listed(data, filter), expect([](const TestCase &c) { return !c.done; }, true));

        // "Kleinstschäden" is every kind but "Einzelschaden".
        filter = {};
        filter.kindIndex = 2;
        QCOMPARE(listed(data, filter), expect([](const TestCase &c) { return c.kind != QStringLiteral("Einzelschaden"); }, true));

        // Vehicle, "Erledigt", "Kleinstschäden", by Datum descending; then ascending.
        filter.vehicleIndex = 1;
        filter.vehicle = QStringLiteral("AB-C 12");
        filter.statusIndex = 1;
        const auto all3 = [](const TestCase &c) {
            return c.plate == QStringLiteral("AB-C 12") && c.done && c.kind != QStringLiteral("Einzelschaden");
        };
        const QList<long> desc = listed(data, filter);
        QVERIFY(!desc.isEmpty());
        QCOMPARE(desc, expect(all3, true));
        QCOMPARE(listed(data, filter, SortState(QStringLiteral("Datum"), true)), expect(all3, false));

        // Overdue: open cases older than the limit, whatever the boxes say.
        filter.overdue = true;
        filter.days = QStringLiteral("60");
        QCOMPARE(listed(data, filter), expect([](const TestCase &c) { return !c.done && c.datum.daysTo(kToday) > 60; }, true));
        filter.days = QStringLiteral("abc");
        QCOMPARE(listed(data, filter), expect([](const TestCase &c) { return !c.done && c.datum.daysTo(kToday) > 0; }, true));
    }

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
        QCOMPARE(sort.orderClause(), QStringLiteral(" order by Kundenname asc"));

        // Fresh from the settings file: an unmapped click on a column never clicked starts it descending.
        SortState stored(QStringLiteral("Reparaturstatus"), true);
        QVERIFY(stored.headerClicked(QStringLiteral("ID")));
        QCOMPARE(stored.orderClause(), QStringLiteral(" order by Reparaturstatus desc"));

        SortState empty(QString(), false);
        QVERIFY(!empty.headerClicked(QStringLiteral("ID")));

        const QStringList fields = {"Nr", "Auto", "Datum", "Kunde", "Schaden", "Erledigt", "Reparatur", "Bilder"};
        const QStringList columns = {"Schadennummer", "EIGENKZ", "Datum", "Kundenname", "Schadenbeschreibung",
                                     "fErledigt", "Reparaturstatus", "Schadenbilder"};
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(SortState::databaseColumn(fields[i]), columns[i]);
            QCOMPARE(SortState::fieldOf(columns[i].toLower()), fields[i].toUpper());
        }

        QVERIFY(SortState::isPlainName(QStringLiteral("tsGeändert")));
        QVERIFY(!SortState::isPlainName(QStringLiteral("Datum; drop table Schaden")));
        QVERIFY(!SortState::isPlainName(QStringLiteral("Datum desc, ID")));
        QVERIFY(!SortState::isPlainName(QString()));
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
        QCOMPARE(vehiclePlates(*data.db), (QStringList{"AB-C 12", "hh-x 9", "O'NEIL 1"}));
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

        deleteCase(*data.db, 1);
        QCOMPARE(data.ids(QStringLiteral("Select ID from Objekt order by ID")), (QList<long>{7, 9}));
        QCOMPARE(data.ids(QStringLiteral("Select ID from Schaden")), (QList<long>{2}));
        QCOMPARE(data.db->TransactionDepth(), 0);

        // A failure after the attachments are gone keeps them all with the case.
        data.db->Execute(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON Schaden BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, deleteCase(*data.db, 2));
        QCOMPARE(data.ids(QStringLiteral("Select ID from Objekt order by ID")), (QList<long>{7, 9}));
        QCOMPARE(data.ids(QStringLiteral("Select ID from Schaden")), (QList<long>{2}));
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
            c.pictures = i % 3 == 0;
            c.description = QStringLiteral("Zeile eins\r\nZeile zwei");
            data.add(c);
        }
        data.db->CommitTrans();

        const ListStatement statement = buildListStatement(FilterInput(), SortState());
        CaseListModel model(*data.db);
        model.setSource(statement.text, statement.params);
        model.requery();
        QCOMPARE(model.rowCount(), CaseListModel::FetchBatch);
        QVERIFY(model.canFetchMore());
        QCOMPARE(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("Schaden"));

        // A case at the end is found, and every row on the way joins at once.
        const QList<long> expected = data.ids(statement.text);
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
        QCOMPARE(model.text(row, 8), id % 3 == 0 ? QStringLiteral("Ja") : QString());
        QCOMPARE(model.text(row, 2), QStringLiteral("P %1").arg(id % 7));
        QCOMPARE(model.text(row, 3), kToday.addDays(-(id * 37 % 500)).toString(QStringLiteral("dd.MM.yyyy")));
        QCOMPARE(model.text(row, 5), QStringLiteral("Zeile eins Zeile zwei"));
        QCOMPARE(model.data(model.index(row, 3), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);
        QCOMPARE(model.data(model.index(row, 4), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignLeft | Qt::AlignVCenter);

        // An empty result, and a statement the engine refuses.
        FilterInput nothing;
        nothing.vehicleIndex = 1;
        nothing.vehicle = QStringLiteral("gibt es nicht");
        const ListStatement empty = buildListStatement(nothing, SortState());
        model.setSource(empty.text, empty.params);
        model.requery();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.canFetchMore());
        QCOMPARE(model.findCase(last), -1);
        model.setSource(buildListStatement(FilterInput(), SortState(QStringLiteral("Unbekannt"))).text, {});
        QVERIFY_THROWS_EXCEPTION(dao::DaoError, model.requery());
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestListLogic)
#include "tst_listlogic.moc"
