#include "FormFixture.h"

#include "history/Journal.h"

// The case form: its state, numbering, saving and the workstations around it.
class TestForm : public QObject, FormFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init() { openDatabase(); }
    void cleanup() { closeDatabase(); }


    void newAndClosedCasesShowTheirState()
    {
        const long closed = insertCase("B-AB 1", "10/007",
                                       {{"fErledigt", true}, {"Schadenbilder", true}, {"Schadenbetrag", QVariant::fromValue(dao::Currency::fromUnits(12345000))},
                                        {"Kundenname", "Meier"}, {"Kundennummer", 7}});
        makeForm();
        m_form->FillSchaden(0);
        for (const char *name : {"lblNr", "Label25", "lblGeändert", "lblBilder"})
            QVERIFY2(label(name)->text().isEmpty(), name);
        QVERIFY(isYellow(*combo("cboAuto")) && isYellow(*combo("cboSchadenart")));
        QVERIFY(!check("chkSchaden_0")->isChecked() && check("chkSchaden_0")->isEnabled());
        QVERIFY(!line("txtFeld_1")->isReadOnly());
        QVERIFY(!m_form->FormChanged());

        m_form->FillSchaden(closed);
        QCOMPARE(label("lblNr")->text(), QString("10/007"));
        QCOMPARE(label("lblBilder")->text(), QString("Ja"));
        QCOMPARE(line("txtKosten_1")->text(), QString("1234,50"));
        QVERIFY(line("txtFeld_1")->isReadOnly());
        QVERIFY(control<QPlainTextEdit>(*m_form, "txtFeld_2")->isReadOnly());
        QVERIFY(!check("chkSchaden_0")->isEnabled() && !check("chkSicherheit")->isEnabled());
        QVERIFY(check("chkVorgang")->isEnabled() && check("chkVorgang")->isChecked());
        QVERIFY(!m_form->FormChanged());

        // While closed, "vom" and "= Melder" change nothing.
        control<QPushButton>(*m_form, "cmdNow")->click();
        control<QPushButton>(*m_form, "cmdMelder")->click();
        QVERIFY(line("txtVom")->text().isEmpty());
        QVERIFY(combo("cboMelder")->currentText().isEmpty());
        QVERIFY(!m_form->FormChanged());

        // Reopening unlocks; "vom" gives today.
        check("chkVorgang")->click();
        QVERIFY(!line("txtFeld_1")->isReadOnly());
        control<QPushButton>(*m_form, "cmdNow")->click();
        QCOMPARE(line("txtVom")->text(), QString("05.03.2010"));
        QVERIFY(m_form->FormChanged());
    }

    void numberingFollowsTheYearAndGoesBeyond999()
    {
        const QDate today(2010, 3, 5);
        QCOMPARE(form::nextCaseNumber("1", today), QString("10/001"));
        QCOMPARE(form::nextCaseNumber("09/231", today), QString("10/001"));
        QCOMPARE(form::nextCaseNumber("10/041", today), QString("10/042"));
        QCOMPARE(form::nextCaseNumber("10/999", today), QString("10/1000"));
        QCOMPARE(form::nextCaseNumber("10/1000", today), QString("10/1001"));
        QCOMPARE(form::nextCaseNumber("10/x12", today), QString("10/001"));
        // A running number beyond any whole number counts as none, as text does.
        QCOMPARE(form::nextCaseNumber("10/" + QString(30, u'9'), today), QString("10/001"));
        QCOMPARE(form::nextCaseNumber("10/9223372036854775807", today), QString("10/001"));
        QCOMPARE(form::customerNumberText(QString(30, u'9')), QString());
        QCOMPARE(form::customerNumber(QString(30, u'9')), 0L);
        QCOMPARE(form::customerNumber(" 4711 GmbH"), 4711L);

        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(m_form->SaveCase());
        QCOMPARE(m_form->CaseID(), 1L);
        QCOMPARE(stored(1, "Schadennummer").toString(), QString("10/001"));
        QCOMPARE(stored(1, "tsErstellt").toDateTime(), core::Clock::now());
        QCOMPARE(m_list.refreshed, QList<long>{1});

        insertCase("B-CD 2", "10/999");
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(m_form->SaveCase());
        QCOMPARE(stored(m_form->CaseID(), "Schadennummer").toString(), QString("10/1000"));
        QCOMPARE(m_form->CaseID(), 3L);

        // Saving again edits the same row and stamps the change.
        line("txtFeld_1")->setText("Gegner GmbH");
        QVERIFY(m_form->SaveCase());
        QCOMPARE(caseCount(), 3L);
        QCOMPARE(stored(3, "Name").toString(), QString("Gegner GmbH"));
        QCOMPARE(stored(3, "tsGeändert").toDateTime(), core::Clock::now());
    }

    void okWithoutChangeWritesNothing()
    {
        const long id = insertCase("B-AB 1", "10/001");
        makeForm();
        m_form->FillSchaden(id);
        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_list.refreshed.isEmpty());
        QVERIFY(stored(id, "tsGeändert").isNull());
    }

    void amountBoxesTakeDigitsAndOneSeparator()
    {
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QLineEdit *amount = line("txtKosten_1");
        QTest::keyClicks(amount, "12,5,.x9");
        QCOMPARE(amount->text(), QString("12,59"));
        QLineEdit *deductible = line("txtKosten_0");
        QTest::keyClicks(deductible, "300.5");
        QCOMPARE(deductible->text(), QString("300.5"));
        QVERIFY(m_form->SaveCase());
        QCOMPARE(stored(1, "Schadenbetrag").value<dao::Currency>().toString(), QString("12.59"));
        QCOMPARE(stored(1, "Selbstbeteiligung").value<dao::Currency>().toString(), QString("300.50"));
    }

    void refusedSavesWriteNothing()
    {
        makeForm();
        m_form->FillSchaden(0);
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(), QString("Bitte wählen Sie ein Fahrzeug aus!"));
        combo("cboAuto")->setEditText("B-AB 1");
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(), QString("Bitte wählen Sie die Schadenart aus!"));

        combo("cboSchadenart")->setCurrentIndex(1);
        line("txtFeld_5")->setText("01.02.2009");
        line("txtFeld_3")->setText("31.02.2009");
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(), QString("Ungültiges Datum: '31.02.2009' !"));
        QCOMPARE(m_messages->shown.last().icon, core::MsgIcon::Critical);
        QCOMPARE(caseCount(), 0L);

        // An engine error in the middle of the write leaves no case behind.
        line("txtFeld_3")->clear();
        testengine::refuseWrites(*m_db, "refuse", "AFTER INSERT", "Schaden", "gesperrt");
        QVERIFY(!m_form->SaveCase());
        QVERIFY(m_messages->lastText().startsWith("Folgender Fehler ist aufgetreten: "));
        QCOMPARE(caseCount(), 0L);
        QCOMPARE(m_form->CaseID(), 0L);
        QVERIFY(m_form->FormChanged());

        testengine::allowWrites(*m_db, "refuse", "Schaden");
        QVERIFY(m_form->SaveCase());
        QVERIFY(stored(1, "am").isNull());
        QCOMPARE(stored(1, "tsKundeninfo").toDateTime(), QDateTime(QDate(2009, 2, 1), QTime(0, 0)));
    }

    void theSaveQuestionHasThreeAnswers()
    {
        const long first = insertCase("B-AB 1", "10/001");
        const long second = insertCase("B-CD 2", "10/002");
        makeForm();
        m_form->FillSchaden(first);

        line("txtFeld_1")->setText("geändert");
        m_messages->answers = {core::MsgAnswer::Cancel};
        m_form->FillSchaden(second);
        QCOMPARE(m_messages->lastText(), QString("Möchten Sie Ihre Änderung speichern ?"));
        QCOMPARE(label("lblNr")->text(), QString("10/001"));
        QVERIFY(m_form->FormChanged());

        m_messages->answers = {core::MsgAnswer::No};
        m_form->FillSchaden(second);
        QCOMPARE(label("lblNr")->text(), QString("10/002"));
        QVERIFY(stored(first, "Name").isNull());

        line("txtFeld_1")->setText("gespeichert");
        m_messages->answers = {core::MsgAnswer::Yes};
        QVERIFY(m_form->FormSaved());
        QCOMPARE(stored(second, "Name").toString(), QString("gespeichert"));

        // The close box only hides, after asking.
        line("txtFeld_1")->setText("noch einmal");
        m_messages->answers = {core::MsgAnswer::Cancel};
        m_form->close();
        QVERIFY(m_form->isVisible());
        m_messages->answers = {core::MsgAnswer::No};
        m_form->close();
        QVERIFY(!m_form->isVisible());
    }

    void printingSavesFirstAndAsksForTheStoredCase()
    {
        makeForm();
        QVERIFY(!control<QPushButton>(*m_form, "cmdPrint")->isEnabled());

        const long id = insertCase("B-AB 1", "10/001");
        QList<QPair<short, long>> asked;
        QStringList storedWhenAsked;
        makeForm([&](QWidget *) {
            asked.append({report::gPrintKind, report::gPrintRecord});
            storedWhenAsked.append(stored(report::gPrintRecord, "Name").toString());
            return QStringLiteral("An Drucker PDF gesendet (1 Seite)");
        });
        auto *print = control<QPushButton>(*m_form, "cmdPrint");
        QVERIFY(print->isEnabled());

        // A new case that was never saved has nothing to print.
        m_form->FillSchaden(0);
        print->click();
        QVERIFY(asked.isEmpty());

        // A change is saved before the report reads the case.
        m_form->FillSchaden(id);
        line("txtFeld_1")->setText("Gegner");
        m_messages->answers = {core::MsgAnswer::Yes};
        print->click();
        QCOMPARE(asked, (QList<QPair<short, long>>{{short(report::PrintKindCase), id}}));
        QCOMPARE(storedWhenAsked, QStringList{"Gegner"});
        // The list's status bar is told where the pages went.
        QCOMPARE(m_list.printed, QStringList{"An Drucker PDF gesendet (1 Seite)"});

        // Cancelling the save question prints nothing.
        line("txtFeld_1")->setText("verworfen");
        m_messages->answers = {core::MsgAnswer::Cancel};
        print->click();
        QCOMPARE(asked.size(), 1);
    }

    void loadingShowsTheStoredValuesAndTypedValuesJoinTheLists()
    {
        insertCase("B-AB 1", "10/001", {{"Fahrzeugtyp", "Golf"}, {"Stellplatz", "Halle 1"}});
        const long odd = insertCase("B-AB 1", "10/002",
                                    {{"Fahrzeugtyp", "Polo"}, {"Stellplatz", "Hof"}, {"Schuldfrage", "teilweise"}});
        insertCase("B-CD 2", "10/003", {{"Kundenname", "Kunde Sieben"}, {"Kundennummer", 7}});
        makeForm();
        m_form->FillSchaden(odd);
        QCOMPARE(combo("cboTyp")->currentText(), QString("Polo"));
        QCOMPARE(combo("cboStellplatz")->currentText(), QString("Hof"));
        QCOMPARE(combo("cboSchuld")->currentText(), QString("teilweise"));
        line("txtFeld_1")->setText("x");
        QVERIFY(m_form->SaveCase());
        QCOMPARE(stored(odd, "Schuldfrage").toString(), QString("teilweise"));
        QCOMPARE(stored(odd, "Fahrzeugtyp").toString(), QString("Polo"));

        // Choosing the vehicle by hand does look it up.
        m_form->FillSchaden(0);
        QComboBox *cars = combo("cboAuto");
        cars->setCurrentIndex(cars->findText("B-AB 1"));
        Q_EMIT cars->activated(cars->currentIndex());
        QCOMPARE(combo("cboTyp")->currentText(), QString("Golf"));

        // The customer look-up by number.
        line("txtKndNr")->setText("007");
        Q_EMIT line("txtKndNr")->editingFinished();
        QCOMPARE(line("txtKndNr")->text(), QString("7"));
        QCOMPARE(combo("cboKunde")->currentText(), QString("Kunde Sieben"));

        // A new plate with a quote joins both vehicle lists; a new customer keeps its number.
        m_form->FillSchaden(0);
        fillMandatory("O'NEIL 1");
        combo("cboKunde")->setEditText("Neukunde");
        line("txtKndNr")->setText("42");
        QVERIFY(m_form->SaveCase());
        QCOMPARE(m_list.vehicles, QStringList{"O'NEIL 1"});
        QVERIFY(cars->findText("O'NEIL 1") >= 0);
        const int customer = combo("cboKunde")->findText("Neukunde");
        QVERIFY(customer >= 0);
        QCOMPARE(combo("cboKunde")->itemData(customer).toLongLong(), 42LL);
        QCOMPARE(stored(m_form->CaseID(), "Kundennummer").toLongLong(), 42LL);
    }

    void anotherWorkstationsChangeIsNeverOverwrittenUnasked()
    {
        const long id = insertCase("B-AB 1", "10/001", {{"Name", "Erst"}});
        const long gone = insertCase("B-CD 2", "10/002");
        makeForm();
        auto other = otherWorkstation();
        m_form->FillSchaden(id);
        other->form->FillSchaden(id);

        // The other workstation saves first; this one is asked before it overwrites.
        lineOf(*other->form, "txtFeld_1")->setText("Von drüben");
        QVERIFY(other->form->SaveCase());
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 31)));
        line("txtFeld_1")->setText("Von hier");
        m_messages->clear();
        m_messages->answers = {core::MsgAnswer::No};
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->shown.size(), 1);
        const core::Message asked = m_messages->shown.first();
        // It names who changed the case, where and when.
        const history::Author author = history::Author::current();
        QCOMPARE(asked.text, QString("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz geändert (von %1 an %2, "
                                     "05.03.2010 09:30). Trotzdem speichern?").arg(author.user, author.workstation));
        QCOMPARE(asked.icon, core::MsgIcon::Question);
        QCOMPARE(asked.buttons, core::MsgButtons::YesNoReload);
        // "Nein": nothing written, the form keeps what was typed.
        QCOMPARE(stored(id, "Name").toString(), QString("Von drüben"));
        QCOMPARE(line("txtFeld_1")->text(), QString("Von hier"));
        QVERIFY(m_form->FormChanged());

        // "Neu laden" shows what is stored; saved from there, nobody is asked.
        m_messages->answers = {core::MsgAnswer::Reload};
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(line("txtFeld_1")->text(), QString("Von drüben"));
        QVERIFY(!m_form->FormChanged());
        line("txtFeld_1")->setText("Von hier, nach dem Laden");
        m_messages->clear();
        QVERIFY(m_form->SaveCase());
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(stored(id, "Name").toString(), QString("Von hier, nach dem Laden"));

        // Now the other workstation is asked; "Ja" overwrites, and its next save is its own again.
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 32)));
        lineOf(*other->form, "txtFeld_1")->setText("Drüben gewinnt");
        m_messages->answers = {core::MsgAnswer::Yes};
        QVERIFY(other->form->SaveCase());
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(stored(id, "Name").toString(), QString("Drüben gewinnt"));
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 33)));
        lineOf(*other->form, "txtFeld_1")->setText("Drüben noch einmal");
        QVERIFY(other->form->SaveCase());
        QCOMPARE(m_messages->shown.size(), 1);

        // A case deleted meanwhile is told and not made anew.
        m_form->FillSchaden(gone);
        other->db->Execute("Delete from Schaden where ID=?", {qlonglong(gone)});
        line("txtFeld_1")->setText("Ins Leere");
        m_messages->clear();
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(), QString("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
        QCOMPARE(caseCount(), 1L);
        QVERIFY(m_form->FormChanged());
        QCOMPARE(line("txtFeld_1")->text(), QString("Ins Leere"));
    }

    void waitingForAnotherWorkstationCanBeGivenUp()
    {
        makeForm();
        // The dialog comes after a second of waiting and says when it was given up.
        {
            form::LockWaitDialog waiting(m_form);
            QVERIFY(waiting.keepWaiting(std::chrono::milliseconds(500)));
            QVERIFY(!waiting.dialog());
            QVERIFY(waiting.keepWaiting(std::chrono::milliseconds(1000)));
            QVERIFY(waiting.dialog() && waiting.dialog()->isVisible());
            QCOMPARE(waiting.dialog()->labelText(), QString("Warte auf andere Arbeitsplätze ..."));
            QVERIFY(waiting.dialog()->findChild<QPushButton *>()->text().contains("Abbrechen"));
            QVERIFY(waiting.keepWaiting(std::chrono::milliseconds(1200)));
            waiting.dialog()->cancel();
            QVERIFY(!waiting.keepWaiting(std::chrono::milliseconds(1300)));
        }

        // Another workstation holds the write lock while this one saves a new case.
        auto other = otherWorkstation();
        other->db->BeginTrans();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        line("txtFeld_1")->setText("Wartet");
        m_messages->clear();
        QString shownText;
        QTimer giveUp;
        QObject::connect(&giveUp, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QProgressDialog *>(w);
                if (dialog && dialog->isVisible() && dialog->objectName() == "dlgWarten") {
                    shownText = dialog->labelText();
                    dialog->cancel();
                }
            }
        });
        giveUp.start(50);
        QVERIFY(!m_form->SaveCase());
        giveUp.stop();
        QCOMPARE(shownText, QString("Warte auf andere Arbeitsplätze ..."));
        // Given up: nothing written, nothing told, everything typed still there.
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(m_form->CaseID(), 0L);
        QVERIFY(m_form->FormChanged());
        QCOMPARE(line("txtFeld_1")->text(), QString("Wartet"));
        other->db->Rollback();
        QCOMPARE(caseCount(), 0L);
        QVERIFY(m_form->SaveCase());
        QCOMPARE(stored(m_form->CaseID(), "Name").toString(), QString("Wartet"));
    }

    void aServerGoneInTheMiddleOfASaveLosesNothing()
    {
        if (!testengine::onServer())
            QSKIP("a database file has no server to lose");
        // The server ends the form's connection while the new case is being written.
        m_db->Execute("CREATE FUNCTION gone() RETURNS trigger LANGUAGE plpgsql AS "
                      "$$BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END$$");
        m_db->Execute("CREATE TRIGGER gone AFTER INSERT ON Schaden FOR EACH ROW EXECUTE FUNCTION gone()");
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        line("txtFeld_1")->setText("Gegner");
        QVERIFY(!m_form->SaveCase());
        QVERIFY2(m_messages->lastText().startsWith("Folgender Fehler ist aufgetreten: Die Verbindung zum Datenbankserver"),
                 qPrintable(m_messages->lastText()));
        QCOMPARE(m_form->CaseID(), 0L);
        QVERIFY(m_form->FormChanged());

        // The next action opens the connection again; nothing of the first try was kept.
        testengine::allowWrites(*m_db, "gone", "Schaden");
        QCOMPARE(caseCount(), 0L);
        QVERIFY(m_form->SaveCase());
        QCOMPARE(m_form->CaseID(), 1L);
        QCOMPARE(stored(1, "Name").toString(), QString("Gegner"));
        QCOMPARE(stored(1, "Schadennummer").toString(), QString("10/001"));
    }


    void everyLabelStaysInsideTheForm()
    {
        makeForm();
        for (QLabel *text : m_form->findChildren<QLabel *>()) {
            if (!text->isVisibleTo(m_form) || text->text().isEmpty())
                continue;
            QVERIFY2(text->x() >= 0, qPrintable(text->text()));
            QVERIFY2(text->fontMetrics().horizontalAdvance(text->text()) <= text->width() || text->wordWrap(),
                     qPrintable(text->text()));
        }
    }
};

QTEST_MAIN(TestForm)
#include "tst_form.moc"
