#include "FormFixture.h"

#include "vehicle/MarkSet.h"
#include "vehicle/MarkSheet.h"
#include "vehicle/MarkStore.h"
#include "vehicle/frmFahrzeug.h"

#include "report/PrintRequest.h"

#include <QDateEdit>
#include <QTableView>

// The tab "Skizze" of the case form: placing, moving, undoing, saving with
// the case, the earlier cases' damage and two workstations at one case.
class TestSkizzeTab : public QObject, FormFixture {
    Q_OBJECT

    static vehicle::MarkSheet &sheet(frmSchaden &form) { return *control<vehicle::MarkSheet>(form, "picSkizze"); }

    // Where a diagram point is on the sheet as it is shown now.
    static QPoint at(vehicle::MarkSheet &on, const QPoint &diagram) { return on.geometry().toArea(diagram).toPoint(); }

    static QList<QPoint> places(const QList<vehicle::DamageMark> &marks)
    {
        QList<QPoint> points;
        for (const vehicle::DamageMark &mark : marks)
            points.append(mark.at);
        return points;
    }

    QList<vehicle::DamageMark> storedMarks(long caseId) { return vehicle::MarkStore(*m_db).caseMarks(caseId); }

    static void showSkizze(frmSchaden &form)
    {
        auto *tabs = control<QTabWidget>(form, "tabSchaden");
        tabs->setCurrentWidget(control<QWidget>(form, "tabSkizze"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init() { openDatabase(); }
    void cleanup() { closeDatabase(); }

    void marksArePlacedMovedUndoneAndSavedWithTheCase()
    {
        const QDateTime day(QDate(2010, 3, 1), QTime(0, 0));
        const long earlier = insertCase("B-AB 1", "10/001", {{"Datum", day.addDays(-40)}});
        const long id = insertCase("B-AB 1", "10/002", {{"Datum", day}});
        vehicle::DamageMark open;
        open.nr = 1;
        open.at = QPoint(900, 450);
        vehicle::MarkStore(*m_db).writeCase(earlier, "B-AB 1", {}, {open});
        makeForm();
        m_form->FillSchaden(id);
        showSkizze(*m_form);
        vehicle::MarkSheet &on = sheet(*m_form);
        vehicle::MarkSet &marks = on.marks();
        QCOMPARE(places(marks.earlier()), QList<QPoint>{QPoint(900, 450)});
        QVERIFY(!m_form->FormChanged());

        // Clicks at two sizes of the sheet land on the same diagram points.
        on.resize(500, 380);
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(200, 300)));
        on.resize(900, 500);
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(700, 800)));
        on.setZoom(1.5);
        QTest::mousePress(&on, Qt::LeftButton, {}, at(on, QPoint(700, 800)));
        QTest::mouseMove(&on, at(on, QPoint(650, 760)));
        QTest::mouseMove(&on, at(on, QPoint(600, 700)));
        QTest::mouseRelease(&on, Qt::LeftButton, {}, at(on, QPoint(600, 700)));
        QCOMPARE(places(marks.own()), (QList<QPoint>{QPoint(200, 300), QPoint(600, 700)}));
        QVERIFY(m_form->FormChanged());

        // The panel edits the chosen mark; Ctrl+Z takes back the last step.
        QCOMPARE(on.selected(), 2);
        combo("cboArt")->setCurrentText("Delle");
        line("txtNotiz")->setText("Tür hinten");
        emit line("txtNotiz")->textEdited("Tür hinten");
        auto *undo = control<QAction>(*m_form, "actRueckgaengig");
        QCOMPARE(undo->shortcut(), QKeySequence(QKeySequence::Undo));
        undo->trigger();
        QCOMPARE(marks.own()[1].note, QString());
        QCOMPARE(marks.own()[1].kind, QString("Delle"));
        // A click on the earlier case's mark offers its repair date.
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(900, 450)));
        QCOMPARE(on.selectedEarlier(), marks.earlier()[0].id);
        QVERIFY(control<QLabel>(*m_form, "lblVorschaden")->text().contains("10/001"));
        control<QDateEdit>(*m_form, "dtRepariert")->setDate(QDate(2010, 2, 20));
        control<QPushButton>(*m_form, "cmdRepariert")->click();

        QVERIFY(m_form->SaveCase());
        const QList<vehicle::DamageMark> saved = storedMarks(id);
        QCOMPARE(places(saved), (QList<QPoint>{QPoint(200, 300), QPoint(600, 700)}));
        QCOMPARE(saved[1].kind, QString("Delle"));
        QCOMPARE(storedMarks(earlier)[0].repairedOn, QDate(2010, 2, 20));
        // Saved, the earlier damage is repaired and no longer shown; nothing is pending.
        QVERIFY(marks.earlier().isEmpty());
        QVERIFY(!m_form->FormChanged());

        // Delete removes the chosen mark; "Nein" to the save question keeps what is stored.
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(200, 300)));
        QTest::keyClick(&on, Qt::Key_Delete);
        QCOMPARE(marks.own().size(), 1);
        m_messages->answers = {core::MsgAnswer::No};
        m_form->FillSchaden(earlier);
        m_form->FillSchaden(id);
        QCOMPARE(marks.own().size(), 2);
    }

    void aClosedCaseShowsItsMarksWithoutEditing()
    {
        const long id = insertCase("B-AB 1", "10/001", {{"fErledigt", true}});
        vehicle::DamageMark mark;
        mark.nr = 1;
        mark.at = QPoint(500, 500);
        vehicle::MarkStore(*m_db).writeCase(id, "B-AB 1", {}, {mark});
        makeForm();
        m_form->FillSchaden(id);
        showSkizze(*m_form);
        vehicle::MarkSheet &on = sheet(*m_form);
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(100, 100)));
        QTest::mousePress(&on, Qt::LeftButton, {}, at(on, QPoint(500, 500)));
        QTest::mouseMove(&on, at(on, QPoint(300, 300)));
        QTest::mouseRelease(&on, Qt::LeftButton, {}, at(on, QPoint(300, 300)));
        QTest::keyClick(&on, Qt::Key_Delete);
        QCOMPARE(places(on.marks().own()), QList<QPoint>{QPoint(500, 500)});
        QCOMPARE(on.selected(), 1);
        QVERIFY(!combo("cboArt")->isEnabled());
        QVERIFY(!m_form->FormChanged());
    }

    void twoWorkstationsAddingMarksToOneCase_theSecondIsAsked_bothAreKept()
    {
        const long id = insertCase("B-AB 1", "10/001");
        makeForm();
        auto other = otherWorkstation();
        m_form->FillSchaden(id);
        other->form->FillSchaden(id);
        for (frmSchaden *form : {m_form, other->form})
            showSkizze(*form);
        vehicle::MarkSheet &here = sheet(*m_form);
        vehicle::MarkSheet &there = sheet(*other->form);
        here.resize(800, 600);
        there.resize(800, 600);
        QTest::mouseClick(&there, Qt::LeftButton, {}, at(there, QPoint(100, 100)));
        QVERIFY(other->form->SaveCase());
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 31)));
        QTest::mouseClick(&here, Qt::LeftButton, {}, at(here, QPoint(800, 800)));

        // Refused first: nothing of this save is written.
        m_messages->answers = {core::MsgAnswer::No};
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(),
                 QString("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz geändert. Trotzdem speichern?"));
        QCOMPARE(places(storedMarks(id)), QList<QPoint>{QPoint(100, 100)});
        m_messages->answers = {core::MsgAnswer::Yes};
        QVERIFY(m_form->SaveCase());
        const QList<vehicle::DamageMark> both = storedMarks(id);
        QCOMPARE(places(both), (QList<QPoint>{QPoint(100, 100), QPoint(800, 800)}));
        QCOMPARE(both[1].nr, 2);
        QCOMPARE(places(here.marks().own()), places(both));
    }

    // The record opened from the form's tab opens cases in the form and
    // prints as the list's record does; the form's unsaved marks are asked
    // about first and stay when the question is cancelled.
    void theRecordFromTheFormOpensCasesAndPrints_keepingWhatIsTyped()
    {
        const QDateTime day(QDate(2010, 3, 1), QTime(0, 0));
        const long earlier = insertCase("B-AB 1", "10/001", {{"Datum", day.addDays(-40)}});
        const long id = insertCase("B-AB 1", "10/002", {{"Datum", day}});
        QList<std::pair<short, QString>> printed;
        makeForm([&printed](QWidget *) {
            printed.append({report::gPrintKind, report::gPrintSubtitle});
            return QStringLiteral("An Drucker PDF gesendet");
        });
        m_form->FillSchaden(id);
        showSkizze(*m_form);
        vehicle::MarkSheet &on = sheet(*m_form);
        const QImage before = on.grab().toImage();
        QTest::mouseClick(&on, Qt::LeftButton, {}, at(on, QPoint(300, 300)));
        QVERIFY(m_form->FormChanged());
        // The sheet keeps its picture between paints, but not past a change.
        QVERIFY(on.grab().toImage() != before);

        control<QPushButton>(*m_form, "cmdFahrzeugakte")->click();
        auto *record = m_form->findChild<vehicle::frmFahrzeug *>();
        QVERIFY(record);
        QCOMPARE(record->record().cases().size(), 2);
        auto *cases = control<QTableView>(*record, "grdFaelle");
        const auto openRow = [cases](int row) {
            const QModelIndex index = cases->model()->index(row, 0);
            cases->scrollTo(index);
            const QPoint middle = cases->visualRect(index).center();
            QTest::mouseClick(cases->viewport(), Qt::LeftButton, {}, middle);
            QTest::mouseDClick(cases->viewport(), Qt::LeftButton, {}, middle);
        };

        // Cancelled: the form keeps its case and the mark not yet saved.
        m_messages->answers = {core::MsgAnswer::Cancel};
        openRow(0);
        QCOMPARE(m_messages->lastText(), QString("Möchten Sie Ihre Änderung speichern ?"));
        QCOMPARE(m_form->CaseID(), id);
        QVERIFY(m_form->FormChanged());
        QCOMPARE(on.marks().own().size(), 1);
        // Saved: the mark is stored and the earlier case is in the form.
        m_messages->answers = {core::MsgAnswer::Yes};
        openRow(0);
        QCOMPARE(m_form->CaseID(), earlier);
        QCOMPARE(places(storedMarks(id)), QList<QPoint>{QPoint(300, 300)});

        control<QPushButton>(*record, "cmdDrucken")->click();
        QCOMPARE(printed, (QList<std::pair<short, QString>>{{report::PrintKindVehicle, QString("B-AB 1")}}));
        QCOMPARE(m_list.printed, QStringList{"An Drucker PDF gesendet"});
    }
};

QTEST_MAIN(TestSkizzeTab)
#include "tst_skizzetab.moc"
