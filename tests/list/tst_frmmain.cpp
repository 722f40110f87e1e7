#include "ListDatabase.h"

#include "list/CaseListModel.h"
#include "list/frmMain.h"

#include "report/GridSource.h"
#include "report/PrintRequest.h"

#include "varnholt/Globals.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "profile/Profile.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>

namespace {

const QDate kToday(2009, 3, 17);

// Stands in for the case form: remembers what the list asked and answers
// as a test tells it.
class TestCaseForm : public QWidget, public varnholt::CaseForm {
public:
    explicit TestCaseForm(QWidget *owner) : QWidget(owner, Qt::Window) {}

    void FillSchaden(long lID) override { filled.append(lID); caseId = lID; }
    bool FormChanged() override { return changed; }
    bool FormSaved() override { ++savedAsked; return mayClose; }
    long CaseID() const override { return caseId; }
    QWidget *window() override { return this; }
    void addVehicle(const QString &plate) override { vehicles.append(plate); }
    void clearVehicles() override { vehicles.clear(); }
    void unload() override { unloaded = true; }

    QList<long> filled;
    QStringList vehicles;
    long caseId = 0;
    bool changed = false;
    bool mayClose = true;
    int savedAsked = 0;
    bool unloaded = false;
};

// A program folder with its database, settings file and per-user store.
struct Setup {
    Setup()
    {
        varnholt::gAppPath = data.folder() + u'/';
        varnholt::gIniFile = data.folder() + QStringLiteral("/Varnholt.ini");
        varnholt::gDbPath = data.path();
        core::UserSettings::useFolder(data.folder() + QStringLiteral("/user"));
    }

    std::unique_ptr<frmMain> open(varnholt::PrintEntry print = {})
    {
        auto window = std::make_unique<frmMain>(
            *data.db,
            [this](varnholt::CaseList &, QWidget *owner) {
                form = new TestCaseForm(owner);
                return form;
            },
            std::move(print));
        return window;
    }

    QString ini(const QString &key)
    {
        return profile::readProfileString(varnholt::gIniFile, QStringLiteral("Daten"), key, QStringLiteral("(fehlt)"));
    }

    ListDatabase data;
    TestCaseForm *form = nullptr;
    core::RecordingMessageService messages;
};

QTableView *grid(frmMain &w) { return w.findChild<QTableView *>(QStringLiteral("DBGrid1")); }
QComboBox *combo(frmMain &w, const char *name) { return w.findChild<QComboBox *>(QLatin1String(name)); }
QAction *button(frmMain &w, const char *key) { return w.findChild<QAction *>(QLatin1String(key)); }

// What the user's pick of an entry does.
void choose(QComboBox *box, int index)
{
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

QList<long> shownIds(frmMain &w)
{
    auto *model = qobject_cast<list::CaseListModel *>(grid(w)->model());
    while (model->canFetchMore())
        model->fetchMore();
    QList<long> ids;
    for (int row = 0; row < model->rowCount(); ++row)
        ids.append(model->caseId(row));
    return ids;
}

int currentRow(frmMain &w) { return grid(w)->currentIndex().row(); }

void selectCase(frmMain &w, long id)
{
    w.RefreshGrid(id);
    QVERIFY(w.GetCurrentID());
    QCOMPARE(w.CurrentID(), id);
}

// Twelve cases: three plates (one Null), both kinds and a third one, closed
// and open, a date every 20 days back from today.
void addCases(ListDatabase &data)
{
    const QVariant plates[] = {QStringLiteral("O'NEIL 1"), QStringLiteral("AB-C 12"), QVariant()};
    for (int i = 1; i <= 12; ++i) {
        TestCase c;
        c.id = i;
        c.plate = plates[i % 3];
        c.kind = i % 4 == 0 ? QStringLiteral("Einzelschaden") : i % 4 == 1 ? QStringLiteral("Kleinstschäden") : QStringLiteral("Glas");
        c.done = i % 2 == 0;
        c.datum = kToday.addDays(-20 * i);
        c.customer = QStringLiteral("Kunde %1").arg(QChar(u'A' + (i * 5) % 12));
        data.add(c);
    }
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::Clock::setFixed(QDateTime(kToday, QTime(9, 41)));
    }
    void cleanupTestCase() { core::Clock::reset(); }

    void windowAndFilters()
    {
        Setup s;
        addCases(s.data);
        auto w = s.open();
        QVERIFY(s.messages.shown.isEmpty());

        QVERIFY(button(*w, "Termin")->isCheckable());
        QVERIFY(!button(*w, "Schaden")->isEnabled());
        QVERIFY(!button(*w, "Print")->isEnabled());
        QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("txtTage"))->text(), QStringLiteral("60"));
        auto *status = w->findChild<QStatusBar *>(QStringLiteral("barStatus"));
        QCOMPARE(status->findChild<QLabel *>(QStringLiteral("panDatum"))->text().trimmed(), QStringLiteral("17.03.2009"));

        // The vehicle lists skip the cases without a plate.
        QComboBox *autoBox = combo(*w, "cboAuto");
        QStringList items;
        for (int i = 0; i < autoBox->count(); ++i)
            items.append(autoBox->itemText(i));
        QCOMPARE(items, (QStringList{"Alle", "AB-C 12", "O'NEIL 1"}));
        QCOMPARE(s.form->vehicles, (QStringList{"AB-C 12", "O'NEIL 1"}));

        const QString base = QStringLiteral("Select ID From Schaden");
        QCOMPARE(shownIds(*w), s.data.ids(base + QStringLiteral(" order by Datum desc")));
        QVERIFY(grid(*w)->isColumnHidden(0));
        // The status bar counts the cases listed, under every filter.
        const auto counted = [&] { return status->findChild<QLabel *>(QStringLiteral("panAnzahl"))->text().trimmed(); };
        QCOMPARE(counted(), QStringLiteral("%1 Schadensfälle").arg(shownIds(*w).size()));

        // The quote in the plate is a value like any other.
        choose(autoBox, 2);
        QCOMPARE(shownIds(*w), (QList<long>{3, 6, 9, 12}));
        QCOMPARE(counted(), QStringLiteral("4 Schadensfälle"));
        choose(combo(*w, "cboStatus"), 1);
        QCOMPARE(shownIds(*w), (QList<long>{6, 12}));
        choose(combo(*w, "cboSchadenart"), 1);
        QCOMPARE(shownIds(*w), (QList<long>{12}));
        QCOMPARE(counted(), QStringLiteral("1 Schadensfall"));
        // Vehicle, "Erledigt", "Kleinstschäden", Datum descending.
        choose(autoBox, 1);
        choose(combo(*w, "cboSchadenart"), 2);
        QCOMPARE(shownIds(*w), (QList<long>{10}));
        choose(combo(*w, "cboStatus"), 2);
        QCOMPARE(shownIds(*w), (QList<long>{1, 7}));

        // A typed plate filters once it names an entry, in any case; other text lists all.
        autoBox->setEditText(QStringLiteral("o'neil 1"));
        QCOMPARE(shownIds(*w), (QList<long>{3, 9}));
        autoBox->setEditText(QStringLiteral("O'NE"));
        QCOMPARE(shownIds(*w), (QList<long>{1, 3, 5, 7, 9, 11}));

        // Overdue: the boxes do not count; "abc" is a limit of 0.
        w->findChild<QLineEdit *>(QStringLiteral("txtTage"))->setText(QStringLiteral("100"));
        QCOMPARE(shownIds(*w), (QList<long>{1, 3, 5, 7, 9, 11}));   // the day box alone changes nothing
        button(*w, "Termin")->trigger();
        QVERIFY(button(*w, "Termin")->isChecked());
        QCOMPARE(shownIds(*w), (QList<long>{7, 9, 11}));
        QCOMPARE(counted(), QStringLiteral("3 Schadensfälle"));
        w->findChild<QLineEdit *>(QStringLiteral("txtTage"))->setText(QStringLiteral("abc"));
        w->HeadClick(3);   // a header click keeps the mode
        QVERIFY(button(*w, "Termin")->isChecked());
        QCOMPARE(shownIds(*w), (QList<long>{1, 3, 5, 7, 9, 11}));
        // Any combo event goes back to the filters and releases the button.
        choose(combo(*w, "cboStatus"), 0);
        QVERIFY(!button(*w, "Termin")->isChecked());
        const QList<long> notSingle = {1, 2, 3, 5, 6, 7, 9, 10, 11};
        QCOMPARE(shownIds(*w), notSingle);
        QVERIFY(s.messages.shown.isEmpty());

        // "Schaden" takes the width the window gains and gives it back; it is
        // stored at its own width.
        const auto widthOf = [&](int column) { return grid(*w)->horizontalHeader()->sectionSize(column); };
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->resize(w->columnScale().toPixels(16000), 450);
        QTRY_VERIFY(widthOf(5) > w->columnScale().toPixels(6500));
        const int wide = widthOf(5);
        int others = 0;
        for (int n : {1, 2, 3, 4, 6, 7, 8})
            others += widthOf(n);
        QCOMPARE(wide + others, grid(*w)->viewport()->width());
        w->resize(w->width() + 100, 450);
        QTRY_COMPARE(widthOf(5), wide + 100);
        w->resize(w->minimumWidth(), 450);
        QTRY_COMPARE(widthOf(5), w->columnScale().toPixels(6500));
        w->close();
        QCOMPARE(w->columnWidths()[4], 6500);
    }

    void headerClicks()
    {
        Setup s;
        addCases(s.data);
        auto w = s.open();
        QHeaderView *header = grid(*w)->horizontalHeader();
        const QList<long> newestFirst = s.data.ids(QStringLiteral("Select ID From Schaden order by Datum desc"));
        QCOMPARE(shownIds(*w), newestFirst);

        // The first click on the column it is already sorted by sorts descending, the second ascending.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        QCOMPARE(w->sortState().column(), QStringLiteral("Datum"));
        QVERIFY(!w->sortState().flag());
        QCOMPARE(shownIds(*w), newestFirst);
        QCOMPARE(header->sortIndicatorSection(), 3);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        w->HeadClick(3);
        QVERIFY(w->sortState().flag());
        QList<long> oldestFirst = newestFirst;
        std::reverse(oldestFirst.begin(), oldestFirst.end());
        QCOMPARE(shownIds(*w), oldestFirst);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        w->HeadClick(4);
        QCOMPARE(shownIds(*w), s.data.ids(QStringLiteral("Select ID From Schaden order by Kundenname COLLATE German desc")));
        // A header without a column flips the last one.
        w->HeadClick(0);
        QCOMPARE(shownIds(*w), s.data.ids(QStringLiteral("Select ID From Schaden order by Kundenname COLLATE German asc")));

        w->close();
        QCOMPARE(s.ini(QStringLiteral("SortSpalte")), QStringLiteral("Kundenname"));
        QCOMPARE(s.ini(QStringLiteral("SortDesc")), QStringLiteral("-1"));

        // Back at the next start; the header then starts the column descending.
        auto again = s.open();
        QCOMPARE(again->sortState().column(), QStringLiteral("Kundenname"));
        QVERIFY(again->sortState().flag());
        QCOMPARE(shownIds(*again), s.data.ids(QStringLiteral("Select ID From Schaden order by Kundenname COLLATE German asc")));
        again->HeadClick(4);
        QVERIFY(!again->sortState().flag());
    }

    void storedSettings()
    {
        Setup s;
        addCases(s.data);
        const auto widthOf = [](frmMain &w, int column) { return grid(w)->horizontalHeader()->sectionSize(column); };

        // First run: no settings file; closing creates it with the Daten keys.
        auto w = s.open();
        QCOMPARE(w->columnWidths(), (list::ColumnWidths{600, 1000, 900, 2000, 6500, 700, 1200, 600}));
        QCOMPARE(widthOf(*w, 4), w->columnScale().toPixels(2000));
        const int dragged = w->columnScale().toTwips(120);
        w->setGeometry(40, 50, 800, 450);
        grid(*w)->horizontalHeader()->resizeSection(2, 120);
        w->ApplyFilter(false);   // a re-query keeps the dragged width
        QCOMPARE(widthOf(*w, 2), 120);
        w->findChild<QLineEdit *>(QStringLiteral("txtTage"))->setText(QStringLiteral("45"));
        w->close();
        QCOMPARE(s.form->savedAsked, 1);
        QVERIFY(s.form->unloaded);
        QFile file(varnholt::gIniFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        const QByteArray firstLines = "[Datenbank]\r\nPfad = " + s.data.path().toUtf8() + "\r\n";
        QVERIFY(content.startsWith(firstLines));
        QVERIFY(content.contains("[Schaden]"));
        QCOMPARE(s.ini(QStringLiteral("Tage")), QStringLiteral("45"));
        QCOMPARE(s.ini(QStringLiteral("SortSpalte")), QStringLiteral("Datum"));
        QCOMPARE(s.ini(QStringLiteral("SortDesc")), QStringLiteral("0"));
        QCOMPARE(s.ini(QStringLiteral("Spalten")), QStringLiteral("600;%1;900;2000;6500;700;1200;600;").arg(dragged));

        // A restart brings back placement, widths and the day box.
        auto second = s.open();
        QCOMPARE(second->geometry(), QRect(40, 50, 800, 450));
        QCOMPARE(widthOf(*second, 2), 120);
        QCOMPARE(widthOf(*second, 3), second->columnScale().toPixels(900));
        QCOMPARE(second->findChild<QLineEdit *>(QStringLiteral("txtTage"))->text(), QStringLiteral("45"));
        second->resize(100, 100);   // not below the smallest size
        QCOMPARE(second->width(), core::twipsToPixels(10000));
        QCOMPARE(second->height(), core::twipsToPixels(5710));
        second->close();

        // 0 hides "Nr" for good, 20000 becomes 1000; too few parts give the defaults.
        profile::writeProfileString(varnholt::gIniFile, QStringLiteral("Daten"), QStringLiteral("Spalten"),
                                    QStringLiteral("0;20000;900;2000;6500;700;1200;600;"));
        auto third = s.open();
        QVERIFY(grid(*third)->isColumnHidden(1));
        QCOMPARE(widthOf(*third, 2), third->columnScale().toPixels(1000));
        third->ApplyFilter(false);
        QVERIFY(grid(*third)->isColumnHidden(1));
        third->close();
        QCOMPARE(s.ini(QStringLiteral("Spalten")), QStringLiteral("0;1000;900;2000;6500;700;1200;600;"));
        profile::writeProfileString(varnholt::gIniFile, QStringLiteral("Daten"), QStringLiteral("Spalten"),
                                    QStringLiteral("100;200;"));
        auto fourth = s.open();
        QCOMPARE(fourth->columnWidths(), (list::ColumnWidths{600, 1000, 900, 2000, 6500, 700, 1200, 600}));
        QVERIFY(s.messages.shown.isEmpty());
        fourth->close();

        // A part that is no number is a load error.
        profile::writeProfileString(varnholt::gIniFile, QStringLiteral("Daten"), QStringLiteral("Spalten"),
                                    QStringLiteral("600;breit;900;2000;6500;700;1200;600;"));
        auto fifth = s.open();
        QCOMPARE(s.messages.lastText(), QStringLiteral("Fehler beim Laden: 13: Typen unverträglich"));
        fifth->close();
        QCOMPARE(s.ini(QStringLiteral("Spalten")), QStringLiteral("600;1000;900;2000;6500;700;1200;600;"));
        QCOMPARE(s.data.count(QStringLiteral("Select count(*) from Schaden")), 12L);
    }

    // The window hands the current case and its number to the deletion, and
    // lists the deleted cases apart, to be restored.
    void deleting()
    {
        Setup s;
        addCases(s.data);
        auto w = s.open();

        selectCase(*w, 3);
        s.messages.answers = {core::MsgAnswer::Yes};
        w->ButtonClick(QStringLiteral("del"));
        QCOMPARE(s.messages.lastText(), QStringLiteral("Möchten Sie die Nummer '09/003' löschen ?"));
        QVERIFY(!shownIds(*w).contains(3));
        QCOMPARE(shownIds(*w).size(), 11);
        QCOMPARE(currentRow(*w), 0);
        selectCase(*w, 4);
        s.messages.answers = {core::MsgAnswer::Yes};
        w->ButtonClick(QStringLiteral("Del"));
        QVERIFY(!shownIds(*w).contains(4));

        // "Gelöschte Vorgänge" lists the deleted ones to be restored, under their numbers.
        QComboBox *status = combo(*w, "cboStatus");
        QCOMPARE(status->itemText(3), QStringLiteral("Gelöschte Vorgänge"));
        choose(status, 3);
        QCOMPARE(shownIds(*w), (QList<long>{3, 4}));
        QVERIFY(button(*w, "Restore")->isVisible());
        QVERIFY(!button(*w, "Edit")->isEnabled());
        QVERIFY(!button(*w, "Del")->isEnabled());
        if (qEnvironmentVariableIsSet("VARNHOLT_SCREENSHOT_DIR"))
            w->grab().save(qEnvironmentVariable("VARNHOLT_SCREENSHOT_DIR") + QStringLiteral("/geloeschte.png"));
        selectCase(*w, 4);
        button(*w, "Restore")->trigger();
        QCOMPARE(shownIds(*w), (QList<long>{3}));
        choose(status, 0);
        QVERIFY(shownIds(*w).contains(4));
        QVERIFY(!button(*w, "Restore")->isVisible());
        QCOMPARE(s.data.count(QStringLiteral("Select count(*) from Verlauf where Schaden_ID=4")), 2L);
    }

    void caseFormAndClosing()
    {
        Setup s;
        addCases(s.data);
        auto w = s.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        w->ButtonClick(QStringLiteral("New"));
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.form->filled, (QList<long>{0}));
        s.form->hide();

        // Double-click on a row edits it; a minimised form comes back.
        s.form->showMinimized();
        QTableView *view = grid(*w);
        const QModelIndex third = view->model()->index(2, 4);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(third).center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(third).center());
        QCOMPARE(s.form->filled, (QList<long>{0, 3}));
        QVERIFY(!s.form->isMinimized());

        // A plate typed in the form joins the vehicle filter, in order, once.
        w->addVehicle(QStringLiteral("HH-X 9"));
        w->addVehicle(QStringLiteral("hh-x 9"));
        w->addVehicle(QStringLiteral("AA-A 1"));
        QComboBox *autoBox = combo(*w, "cboAuto");
        QCOMPARE(autoBox->count(), 5);
        QCOMPARE(autoBox->itemText(1), QStringLiteral("AA-A 1"));
        QCOMPARE(autoBox->itemText(3), QStringLiteral("HH-X 9"));
        QCOMPARE(autoBox->currentText(), QStringLiteral("Alle"));

        // The form may refuse the close: everything stays open, nothing is written.
        s.form->mayClose = false;
        QVERIFY(!w->close());
        QVERIFY(!QFile::exists(varnholt::gIniFile));
        QVERIFY(!s.form->unloaded);
        QCOMPARE(shownIds(*w).size(), 12);
        s.form->mayClose = true;
        w->ButtonClick(QStringLiteral("Exit"));
        QVERIFY(s.form->unloaded);
        QVERIFY(QFile::exists(varnholt::gIniFile));
        QVERIFY(s.messages.shown.isEmpty());
    }

    void printing()
    {
        Setup s;
        addCases(s.data);
        // What the print entry is asked for, read while it runs.
        struct Asked {
            short kind;
            long record;
            QString subtitle;
            bool direct;
            QStringList rows;
            QStringList captions;
            QWidget *parent;
        };
        QList<Asked> asked;
        auto w = s.open([&](QWidget *parent) {
            Asked a{report::gPrintKind, report::gPrintRecord, report::gPrintSubtitle, report::gPrintDirect, {}, {}, parent};
            if (report::GridSource *g = report::gPrintGrid) {
                for (const report::GridColumn &c : g->columns()) {
                    if (c.width > 0)
                        a.captions.append(c.caption);
                }
                for (long row = 0; g->moveToRow(row); ++row)
                    a.rows.append(g->cellText(0) + u'|' + g->cellText(1));
            }
            asked.append(a);
            return a.kind == report::PrintKindCase ? QStringLiteral("An Drucker PDF gesendet (1 Seite)") : QString();
        });
        QVERIFY(button(*w, "Schaden")->isEnabled());
        QVERIFY(button(*w, "Print")->isEnabled());

        selectCase(*w, 7);
        button(*w, "Schaden")->trigger();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, short(report::PrintKindCase));
        QCOMPARE(asked[0].record, 7L);
        QCOMPARE(asked[0].parent, w.get());
        QVERIFY(asked[0].subtitle.isEmpty() && !asked[0].direct && asked[0].rows.isEmpty());
        // Where the pages went, as the print entry answers it.
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("An Drucker PDF gesendet (1 Seite)"));

        // The list prints the cases it shows, in its order, under its filter.
        choose(combo(*w, "cboStatus"), 1);
        const QList<long> shown = shownIds(*w);
        button(*w, "Print")->trigger();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].kind, short(report::PrintKindList));
        QCOMPARE(asked[1].record, long(shown.size()));
        QCOMPARE(asked[1].subtitle, QStringLiteral("Fahrzeug: Alle - Status: Erledigt - Schadenart: Alle"));
        QCOMPARE(asked[1].captions.first(), QStringLiteral("Nr"));
        QCOMPARE(asked[1].rows.size(), shown.size());
        for (int i = 0; i < shown.size(); ++i)
            QVERIFY(asked[1].rows[i].startsWith(QString::number(shown[i]) + u'|'));
        QCOMPARE(report::gPrintGrid, nullptr);

        // An empty list still prints its header, with no rows.
        w->findChild<QLineEdit *>(QStringLiteral("txtTage"))->setText(QStringLiteral("100000"));
        button(*w, "Termin")->trigger();
        button(*w, "Print")->trigger();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[2].record, 0L);
        QVERIFY(asked[2].rows.isEmpty());
        // Without a current case "Schaden" asks for nothing.
        button(*w, "Schaden")->trigger();
        QCOMPARE(asked.size(), 3);
        QVERIFY(s.messages.shown.isEmpty());
        w->close();
    }

    void largeList()
    {
        Setup s;
        const int total = 3000;
        s.data.db->BeginTrans();
        for (int i = 1; i <= total; ++i) {
            TestCase c;
            c.id = i;
            c.plate = QStringLiteral("P-%1").arg(i % 40);
            c.datum = kToday.addDays(-i);
            s.data.add(c);
        }
        s.data.db->CommitTrans();
        auto w = s.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTableView *view = grid(*w);
        // Only the first rows are read until the list is scrolled.
        QVERIFY(view->model()->rowCount() < total);

        // The oldest case, at the very end, is found, selected and in sight.
        w->RefreshGrid(total);
        QCOMPARE(currentRow(*w), total - 1);
        QVERIFY(w->GetCurrentID());
        QCOMPARE(w->CurrentID(), long(total));
        QVERIFY(view->viewport()->rect().contains(view->visualRect(view->currentIndex()).center()));
        // A case the list does not show leaves the first row current.
        choose(combo(*w, "cboAuto"), 2);
        w->RefreshGrid(2);
        QCOMPARE(currentRow(*w), 0);
        w->close();
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
