#include "ListDatabase.h"

#include "list/CaseRoads.h"
#include "list/ListStatement.h"
#include "list/StoredListSettings.h"

#include "history/CaseDeletion.h"
#include "report/GridSource.h"
#include "report/PrintRequest.h"
#include "vehicle/frmFahrzeug.h"

#include "varnholt/Globals.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "profile/Profile.h"

#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

// The case form as far as deleting asks it: which case it holds, unsaved or not.
class HeldCase : public QWidget, public varnholt::CaseForm {
public:
    void FillSchaden(long lID) override { caseId = lID; }
    bool FormChanged() override { return changed; }
    bool FormSaved() override { return true; }
    long CaseID() const override { return caseId; }
    QWidget *window() override { return this; }
    void addVehicle(const QString &) override {}
    void clearVehicles() override {}
    void unload() override {}

    long caseId = 0;
    bool changed = false;
};

// Where the printed pages went, as the list window's status bar shows it.
class PrintedNotes : public varnholt::CaseList {
public:
    void RefreshGrid(long) override {}
    void addVehicle(const QString &) override {}
    void showPrinted(const QString &note) override { notes.append(note); }
    QStringList notes;
};

bool deleted(ListDatabase &data, long id) { return history::isCaseDeleted(*data.db, id); }

} // namespace

class TestCaseRoads : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        // The vehicle record keeps its placement per user.
        core::UserSettings::useFolder(m_user.path());
    }

    // Deleting asks first, keeps the attachments, refuses a case with unsaved
    // changes in the form and tells a failing write; restoring brings it back.
    void deletingAndRestoring()
    {
        ListDatabase data;
        data.addObject(7);
        for (long id : {1, 2, 3}) {
            TestCase c;
            c.id = id;
            c.plate = QStringLiteral("HH-A %1").arg(id);
            c.object1 = id == 2 ? QVariant(7) : QVariant();
            data.add(c);
        }
        core::RecordingMessageService messages;
        PrintedNotes list;
        QWidget window;
        HeldCase form;
        list::CaseRoads roads(*data.db, {}, list, &window);
        roads.setCaseForm(&form);

        messages.answers = {core::MsgAnswer::No};
        QVERIFY(!roads.remove(2, QStringLiteral("09/002")));
        QCOMPARE(messages.lastText(), QStringLiteral("Möchten Sie die Nummer '09/002' löschen ?"));
        QCOMPARE(messages.shown.last().buttons, core::MsgButtons::YesNo);
        QVERIFY(!deleted(data, 2));

        messages.answers = {core::MsgAnswer::Yes};
        QVERIFY(roads.remove(2, QStringLiteral("09/002")));
        QVERIFY(deleted(data, 2));
        QCOMPARE(data.count(QStringLiteral("Select Objekt_ID_1 from Schaden where ID=2")), 7L);
        QCOMPARE(data.ids(QStringLiteral("Select ID from Objekt")), (QList<long>{7}));

        // The case in the form with unsaved changes stays, and the form comes up; another case goes.
        form.caseId = 3;
        form.changed = true;
        messages.clear();
        QVERIFY(!roads.remove(3, QStringLiteral("09/003")));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.lastText(), QStringLiteral("Dieser Datensatz wird gerade bearbeitet'"));
        QVERIFY(form.isVisible());
        QVERIFY(!deleted(data, 3));
        messages.answers = {core::MsgAnswer::Yes};
        QVERIFY(roads.remove(1, QStringLiteral("09/001")));

        // A write the database refuses is told, and neither road changes the case.
        testengine::refuseWrites(*data.db, "keep", "BEFORE UPDATE", "Schaden", "gesperrt");
        form.changed = false;
        messages.answers = {core::MsgAnswer::Yes};
        QVERIFY(!roads.remove(3, QStringLiteral("09/003")));
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Folgender Fehler ist aufgetreten: ")));
        QVERIFY(!roads.restore(2));
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Folgender Fehler ist aufgetreten: ")));
        QVERIFY(!deleted(data, 3) && deleted(data, 2));
        testengine::allowWrites(*data.db, "keep", "Schaden");

        QVERIFY(roads.restore(2));
        QVERIFY(!deleted(data, 2));
        QCOMPARE(data.count(QStringLiteral("Select Objekt_ID_1 from Schaden where ID=2")), 7L);
    }

    // The print entry is asked for the case or for the list's rows as shown,
    // and its answer reaches the window; without one nothing is asked.
    void printing()
    {
        ListDatabase data;
        for (long id : {4, 5, 6}) {
            TestCase c;
            c.id = id;
            c.datum = QDate(2009, 3, int(id));
            data.add(c);
        }
        core::RecordingMessageService messages;
        PrintedNotes list;
        QWidget window;
        QStringList asked;
        list::CaseRoads roads(*data.db, [&](QWidget *parent) {
            QString what = QString::number(report::gPrintKind) + u':' + QString::number(report::gPrintRecord);
            if (report::GridSource *grid = report::gPrintGrid) {
                what += u':' + report::gPrintSubtitle;
                for (long row = 0; grid->moveToRow(row); ++row)
                    what += u':' + grid->cellText(0);
            }
            asked.append(what);
            return parent == &window ? QStringLiteral("gedruckt") : QString();
        }, list, &window);

        roads.printCase(5);
        const list::ListStatement shown = list::buildListStatement({}, list::SortState());
        roads.printList({shown.text, shown.params, list::parseColumnWidths(list::DefaultColumnWidthsText)},
                        QStringLiteral("Fahrzeug: Alle"));
        QCOMPARE(asked, (QStringList{QStringLiteral("%1:5").arg(report::PrintKindCase),
                                     QStringLiteral("%1:3:Fahrzeug: Alle:6:5:4").arg(report::PrintKindList)}));
        QCOMPARE(list.notes, (QStringList{"gedruckt", "gedruckt"}));
        QCOMPARE(report::gPrintGrid, nullptr);

        // A list the database cannot read is told, and nothing is printed.
        roads.printList({QStringLiteral("Select ID From Nirgends"), {}, list::parseColumnWidths(list::DefaultColumnWidthsText)}, {});
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Folgender Fehler ist aufgetreten: ")));
        QCOMPARE(asked.size(), 2);

        list::CaseRoads withoutPrinter(*data.db, {}, list, &window);
        QVERIFY(!withoutPrinter.canPrint());
        withoutPrinter.printCase(5);
        QCOMPARE(list.notes.size(), 2);
    }

    // "Fahrzeug" opens the record of the case's vehicle, whose cases open in
    // the case form and which prints through the print entry; a case without
    // a plate has no record.
    void vehicleRecord()
    {
        ListDatabase data;
        for (long id : {1, 2, 3}) {
            TestCase c;
            c.id = id;
            c.plate = id == 3 ? QVariant() : QVariant(QStringLiteral("HH-A 1"));
            data.add(c);
        }
        core::RecordingMessageService messages;
        PrintedNotes list;
        QWidget window;
        HeldCase form;
        QStringList asked;
        list::CaseRoads roads(*data.db, [&](QWidget *parent) {
            asked.append(QString::number(report::gPrintKind) + u':' + report::gPrintSubtitle);
            return parent->objectName();
        }, list, &window);
        roads.setCaseForm(&form);

        roads.openVehicle(2);
        auto *record = window.findChild<vehicle::frmFahrzeug *>();
        QVERIFY(record);
        QCOMPARE(record->record().plate(), QStringLiteral("HH-A 1"));
        QCOMPARE(record->record().cases().size(), 2);
        auto *cases = record->findChild<QTableView *>(QStringLiteral("grdFaelle"));
        Q_EMIT cases->doubleClicked(cases->model()->index(1, 0));
        QCOMPARE(form.caseId, record->record().cases().at(1).id);
        QVERIFY(form.isVisible());
        record->findChild<QPushButton *>(QStringLiteral("cmdDrucken"))->click();
        QCOMPARE(asked, QStringList{QStringLiteral("%1:HH-A 1").arg(report::PrintKindVehicle)});
        QCOMPARE(list.notes, QStringList{QStringLiteral("frmFahrzeug")});
        QVERIFY(messages.shown.isEmpty());
        record->close();

        roads.openVehicle(3);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(window.findChildren<vehicle::frmFahrzeug *>().size(), 1);
    }

    // The stored sort names a column of the cases, or the date takes its place.
    void storedSort_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("sortedBy");
        QTest::addColumn<bool>("ascending");
        QTest::newRow("kept") << "Kundenname" << "-1" << "Kundenname" << true;
        QTest::newRow("no column") << "Kennzeichen" << "0" << "Datum" << false;
        QTest::newRow("statement text") << "Datum; drop table Schaden" << "1" << "Datum" << true;
        QTest::newRow("no number") << "EigenKZ" << "ja" << "EigenKZ" << false;
    }
    void storedSort()
    {
        QFETCH(QString, column);
        QFETCH(QString, flag);
        ListDatabase data;
        varnholt::gIniFile = data.folder() + QStringLiteral("/Varnholt.ini");
        profile::writeProfileString(varnholt::gIniFile, QStringLiteral("Daten"), QStringLiteral("SortSpalte"), column);
        profile::writeProfileString(varnholt::gIniFile, QStringLiteral("Daten"), QStringLiteral("SortDesc"), flag);
        const list::SortState sort = list::StoredListSettings::sort(*data.db);
        QTEST(sort.column(), "sortedBy");
        QTEST(sort.flag(), "ascending");
    }

private:
    QTemporaryDir m_user;
};

QTEST_MAIN(TestCaseRoads)
#include "tst_caseroads.moc"
