#include "AttachmentBytes.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "form/CaseNumbering.h"
#include "form/LockWaitDialog.h"
#include "form/Lookups.h"
#include "form/frmSchaden.h"
#include "report/PrintRequest.h"

#include "varnholt/CaseList.h"
#include "varnholt/Schema.h"

#include "core/Clock.h"
#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The list window as far as the form sees it.
class ListSide : public varnholt::CaseList {
public:
    void RefreshGrid(long lID) override { refreshed.append(lID); }
    void addVehicle(const QString &plate) override { vehicles.append(plate); }
    void showPrinted(const QString &note) override { printed.append(note); }
    QList<long> refreshed;
    QStringList vehicles;
    QStringList printed;
};

template <typename T>
T *control(QWidget &form, const QString &name)
{
    T *found = form.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

bool isYellow(const QWidget &w) { return w.palette().color(QPalette::Base) == QColor(255, 255, 0); }

} // namespace

class TestForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_messages;
    ListSide m_list;
    std::unique_ptr<QWidget> m_owner;
    frmSchaden *m_form = nullptr;

    long insertCase(const QString &plate, const QString &number, const QVariantMap &more = {})
    {
        auto highest = m_db->OpenRecordset(QStringLiteral("SELECT Max(ID) AS m FROM Schaden"), dao::RecordsetType::Snapshot);
        const qlonglong id = highest->Value(QStringLiteral("m")).toLongLong() + 1;
        QStringList columns = {QStringLiteral("ID"), QStringLiteral("EigenKZ"), QStringLiteral("Schadennummer"),
                               QStringLiteral("Schadenart")};
        dao::Params values = {id, plate, number, QStringLiteral("Einzelschaden")};
        for (auto it = more.begin(); it != more.end(); ++it) {
            columns << it.key();
            values << it.value();
        }
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        m_db->Execute(QStringLiteral("INSERT INTO Schaden (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')),
                      values);
        return long(id);
    }

    QVariant stored(long id, const QString &column)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT * FROM Schaden WHERE ID = ?"), dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {qlonglong(id)});
        return rs->IsEOF() ? QVariant() : rs->Value(column);
    }

    QByteArray objektBytes(const QVariant &object)
    {
        auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {object});
        return rs->IsEOF() ? QByteArray() : rs->Value("lbObjekt").toByteArray();
    }

    long caseCount()
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Count(*) AS n FROM Schaden"), dao::RecordsetType::Snapshot);
        return rs->Value(QStringLiteral("n")).toLongLong();
    }

    void makeForm(varnholt::PrintEntry print = {})
    {
        m_owner = std::make_unique<QWidget>();
        m_form = static_cast<frmSchaden *>(caseFormFactory(*m_db, std::move(print))(m_list, m_owner.get()));
        for (const QString &plate : {QStringLiteral("B-AB 1"), QStringLiteral("B-CD 2")})
            m_form->addVehicle(plate);
        m_form->show();
    }

    QComboBox *combo(const QString &name) { return control<QComboBox>(*m_form, name); }
    QLineEdit *line(const QString &name) { return control<QLineEdit>(*m_form, name); }
    QLabel *label(const QString &name) { return control<QLabel>(*m_form, name); }
    QCheckBox *check(const QString &name) { return control<QCheckBox>(*m_form, name); }

    // Another workstation: its own connection to the same database and its own form.
    struct Workstation {
        std::unique_ptr<dao::Database> db;
        ListSide list;
        std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
        frmSchaden *form = nullptr;
    };

    std::unique_ptr<Workstation> otherWorkstation()
    {
        auto other = std::make_unique<Workstation>();
        other->db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"));
        other->form = static_cast<frmSchaden *>(caseFormFactory(*other->db)(other->list, other->owner.get()));
        other->form->show();
        return other;
    }

    static QLineEdit *lineOf(frmSchaden &form, const QString &name) { return control<QLineEdit>(form, name); }

    // Types a plate and a damage kind as a user would, so the case can be saved.
    void fillMandatory(const QString &plate)
    {
        combo("cboAuto")->setEditText(plate);
        combo("cboSchadenart")->setCurrentIndex(0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init()
    {
        core::UserSettings::useFolder(m_dir.filePath("user"));
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 30)));
        m_databases.remove("f.db");
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"), create);
        varnholt::createSchema(*m_db);
        m_messages = std::make_unique<core::RecordingMessageService>();
        m_list = ListSide();
    }

    void cleanup()
    {
        m_owner.reset();
        m_messages.reset();
        m_db.reset();
        core::Clock::reset();
    }

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
        QCOMPARE(asked.text, QString("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz geändert. Trotzdem speichern?"));
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

    void workstationsSavingAtOnceGetUniqueNumbersAndKeepTheirPictures()
    {
        m_db->Close();
        const QString saver = QCoreApplication::applicationDirPath() + "/case_saver";
        // Four workstations, each saving its cases with a picture as fast as it can.
        constexpr int each = 250;
        const QStringList plates = {"A", "B", "C", "D"};
        std::vector<std::unique_ptr<QProcess>> savers;
        for (const QString &plate : plates) {
            savers.push_back(std::make_unique<QProcess>());
            savers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            savers.back()->start(saver, {m_databases.path("f.db"), QString::number(each), plate, m_dir.path()});
        }
        for (auto &process : savers) {
            QVERIFY(process->waitForFinished(300000));
            QCOMPARE(process->exitCode(), 0);
        }
        const int total = each * int(plates.size());

        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"));
        auto rs = m_db->OpenRecordset("SELECT ID, Schadennummer, Schadenbeschreibung, Objekt_ID_1, Schadenbilder "
                                      "FROM Schaden ORDER BY ID", dao::RecordsetType::Snapshot);
        QSet<QString> numbers;
        QSet<qlonglong> objects;
        QHash<qlonglong, QString> owner;
        long expected = 1;
        for (; !rs->IsEOF(); rs->MoveNext(), ++expected) {
            QCOMPARE(rs->Value("ID").toLongLong(), qlonglong(expected));
            numbers.insert(rs->Value("Schadennummer").toString());
            QVERIFY(rs->Value("Schadenbilder").toBool());
            const qlonglong object = rs->Value("Objekt_ID_1").toLongLong();
            objects.insert(object);
            owner.insert(object, rs->Value("Schadenbeschreibung").toString());
        }
        QCOMPARE(expected - 1, long(total));
        QCOMPARE(objects.size(), total);
        for (int n = 1; n <= total; ++n)
            QVERIFY2(numbers.contains(QStringLiteral("10/%1").arg(n, 3, 10, QLatin1Char('0'))), qPrintable(QString::number(n)));

        // Every attachment row holds the picture of the case that refers to it.
        auto pictures = m_db->OpenRecordset("SELECT ID, lbObjekt, fBitmap, tClass FROM Objekt", dao::RecordsetType::Snapshot);
        long rows = 0;
        for (; !pictures->IsEOF(); pictures->MoveNext(), ++rows) {
            const qlonglong id = pictures->Value("ID").toLongLong();
            QVERIFY(owner.contains(id));
            QCOMPARE(pictures->Value("lbObjekt").toByteArray(), attachmentBytes(owner.value(id)));
            QVERIFY(pictures->Value("fBitmap").toBool());
            QCOMPARE(pictures->Value("tClass").toString(), QString("png"));
        }
        QCOMPARE(rows, long(total));
    }

    void picturesSaveWithTheCaseAndComeBackByteIdentical()
    {
        QTemporaryDir files;
        QList<QByteArray> bytes;
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        for (int i = 0; i < 3; ++i) {
            bytes.append(testpictures::encoded(testpictures::marked(60 + 10 * i, 40), i == 1 ? "png" : "jpg"));
            const QString file = testpictures::write(files.filePath(QStringLiteral("bild%1.%2").arg(i).arg(i == 1 ? "png" : "jpg")),
                                                     bytes.last());
            QWidget *ole = control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(i));
            QVERIFY2(ole->findChild<QWidget *>("PictureView1"), "Ole is no attachment control");
            QVERIFY(testpictures::drop(*ole, {file}));
        }
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QVERIFY(!m_form->FormChanged());
        const long id = m_form->CaseID();
        QVERIFY(stored(id, "Schadenbilder").toBool());
        QList<qlonglong> objects;
        for (int i = 0; i < 3; ++i) {
            objects.append(stored(id, QStringLiteral("Objekt_ID_%1").arg(i + 1)).toLongLong());
            auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                          dao::RecordsetOption::None, {objects.last()});
            QVERIFY(!rs->IsEOF());
            QCOMPARE(rs->Value("lbObjekt").toByteArray(), bytes[i]);
        }
        QCOMPARE(QSet<qlonglong>(objects.begin(), objects.end()).size(), 3);

        // Loaded back, each tab shows its picture when it is first shown.
        m_form->FillSchaden(0);
        m_form->FillSchaden(id);
        QCOMPARE(label("lblBilder")->text(), QString("3"));
        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        for (int i = 0; i < 3; ++i) {
            tabs->setCurrentIndex(i + 1);
            QWidget *view = control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(i))->findChild<QWidget *>("PictureView1");
            QCOMPARE(testpictures::read(view->property("fileName").toString()), bytes[i]);
        }
        QVERIFY(!m_form->FormChanged());

        // Removing the second picture empties its column and deletes its row;
        // "Schadenbilder" follows at once, before the case is saved.
        control<QWidget>(*m_form, "Ole_1")->findChild<QAction *>("Delete")->trigger();
        QCOMPARE(label("lblBilder")->text(), QString("2"));
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QVERIFY(dao::isNull(stored(id, "Objekt_ID_2")));
        QCOMPARE(stored(id, "Objekt_ID_3").toLongLong(), objects[2]);
        auto gone = m_db->OpenRecordset("SELECT ID FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                        dao::RecordsetOption::None, {objects[1]});
        QVERIFY(gone->IsEOF());
        QCOMPARE(label("lblBilder")->text(), QString("2"));

        // A settled case locks its pictures.
        check("chkVorgang")->click();
        for (const char *key : {"New", "Delete"})
            QVERIFY(!control<QWidget>(*m_form, "Ole_0")->findChild<QAction *>(key)->isEnabled());
        tabs->setCurrentIndex(0);
    }

    void aFailingPictureSaveKeepsTheCaseUnsavedAndOpen()
    {
        QTemporaryDir files;
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        const QString file = testpictures::write(files.filePath("bild.png"),
                                                 testpictures::encoded(testpictures::marked(40, 30), "png"));
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"), {file}));
        testengine::refuseWrites(*m_db, "no_picture", "BEFORE UPDATE", "Objekt", "gesperrt");
        m_messages->clear();
        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(m_form->isVisible());
        QCOMPARE(caseCount(), 0L);
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->DataChanged());
        QCOMPARE(m_messages->shown.last().text,
                 QString("Folgender Fehler ist aufgetreten: Die Anlage konnte nicht gespeichert werden (4711)."));
        QCOMPARE(m_messages->shown.last().icon, core::MsgIcon::Critical);

        testengine::allowWrites(*m_db, "no_picture", "Objekt");
        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(caseCount(), 1L);
        const QVariant object = stored(m_form->CaseID(), "Objekt_ID_1");
        QVERIFY(!dao::isNull(object));
        auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {object});
        QCOMPARE(rs->Value("lbObjekt").toByteArray(), testpictures::read(file));
    }

    // A stored photo, maybe a second photo dropped over it, then a drop the
    // control refuses, then OK: the row keeps the stored photo or takes the
    // second one, and the refusal is told.
    void aRefusedDropLosesNeitherTheStoredNorThePendingPhoto_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<bool>("pending");
        for (const char *refused : {"folder", "damaged container file", "empty file", "text named as picture"}) {
            QTest::addRow("%s over a pending photo", refused) << QString::fromLatin1(refused) << true;
            QTest::addRow("%s over the stored photo", refused) << QString::fromLatin1(refused) << false;
        }
    }

    void aRefusedDropLosesNeitherTheStoredNorThePendingPhoto()
    {
        QFETCH(QString, refused);
        QFETCH(bool, pending);
        QTemporaryDir files;
        const QByteArray first = testpictures::encoded(testpictures::marked(60, 40), "jpg");
        const QByteArray second = testpictures::png(Qt::green);
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"),
                                   {testpictures::write(files.filePath("erstes.jpg"), first)}));
        QVERIFY(m_form->SaveCase());
        const long id = m_form->CaseID();
        const QVariant object = stored(id, "Objekt_ID_1");

        m_form->FillSchaden(id);
        control<QTabWidget>(*m_form, "tabSchaden")->setCurrentIndex(1);
        QWidget *ole = control<QWidget>(*m_form, "Ole_0");
        if (pending)
            QVERIFY(testpictures::drop(*ole, {testpictures::write(files.filePath("zweites.png"), second)}));
        QString path;
        if (refused == "folder") {
            path = files.filePath("Fotos");
            QDir().mkpath(path);
        } else if (refused == "damaged container file") {
            path = testpictures::write(files.filePath("alt.ole"), "KELVANE-DOKUMENT\nabgeschnitten");
        } else if (refused == "empty file") {
            path = testpictures::write(files.filePath("leer.pdf"), {});
        } else {
            path = testpictures::write(files.filePath("fake.jpg"), "Nur ein Text.\n");
        }
        m_messages->clear();
        testpictures::drop(*ole, {path});
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(m_messages->shown.first().icon, core::MsgIcon::Exclamation);
        QCOMPARE(m_form->FormChanged(), pending);

        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(stored(id, "Objekt_ID_1"), object);
        QVERIFY(stored(id, "Schadenbilder").toBool());
        QCOMPARE(objektBytes(object), pending ? second : first);
    }

    // A photo dropped on Bild 1, then "Vorgang erledigt" ticked: the settled
    // case is saved with the photo, and the save question counts it.
    void aPhotoDroppedBeforeSettlingIsSavedWithTheCase()
    {
        QTemporaryDir files;
        const long id = insertCase("B-AB 1", "10/001");
        const QByteArray photo = testpictures::png(Qt::blue);
        makeForm();
        m_form->FillSchaden(id);
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"),
                                   {testpictures::write(files.filePath("foto.png"), photo)}));
        check("chkVorgang")->click();
        QVERIFY(m_form->FormChanged());

        // Asked on leaving, "Nein" keeps nothing and asks nothing more.
        m_messages->answers = {core::MsgAnswer::Cancel};
        control<QPushButton>(*m_form, "cmdCancel")->click();
        QCOMPARE(m_messages->shown.size(), 1);
        QVERIFY(m_form->isVisible());

        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QVERIFY(stored(id, "fErledigt").toBool());
        const QVariant object = stored(id, "Objekt_ID_1");
        QVERIFY(!dao::isNull(object));
        QCOMPARE(objektBytes(object), photo);
        QVERIFY(!m_form->FormChanged());
    }

    // "Löschen" on Bild 2, "Abbrechen" and "Nein": the case opened again
    // shows the stored picture, in the same form window.
    void aDroppedChangeIsGoneWhenTheCaseIsOpenedAgain()
    {
        QTemporaryDir files;
        const QByteArray photo = testpictures::png(Qt::red);
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_1"),
                                   {testpictures::write(files.filePath("foto.png"), photo)}));
        QVERIFY(m_form->SaveCase());
        const long id = m_form->CaseID();

        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        for (const bool deleting : {true, false}) {
            m_form->FillSchaden(id);
            tabs->setCurrentIndex(2);
            QWidget *ole = control<QWidget>(*m_form, "Ole_1");
            if (deleting)
                ole->findChild<QAction *>("Delete")->trigger();
            else
                QVERIFY(testpictures::drop(*ole, {testpictures::write(files.filePath("anders.png"), testpictures::png(Qt::cyan))}));
            m_messages->answers = {core::MsgAnswer::No};
            control<QPushButton>(*m_form, "cmdCancel")->click();
            QVERIFY(!m_form->isVisible());

            m_form->show();
            m_form->FillSchaden(id);
            tabs->setCurrentIndex(0);
            tabs->setCurrentIndex(2);
            QWidget *view = ole->findChild<QWidget *>("PictureView1");
            QTRY_COMPARE(testpictures::read(view->property("fileName").toString()), photo);
            QVERIFY(!m_form->FormChanged());
        }
    }

    // While a picture is being chosen (or scanned) for Bild 1, the list
    // cannot load another case into the form: the picture would land there.
    void theCaseStaysWhileAPictureIsBeingInserted()
    {
        const long first = insertCase("B-AB 1", "10/001");
        const long second = insertCase("B-CD 2", "10/002");
        makeForm();
        m_form->FillSchaden(first);
        std::function<void()> answer = [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog) {
                QTimer::singleShot(10, answer);
                return;
            }
            m_form->FillSchaden(second);
            // Nor does the form close under it.
            m_form->close();
            static_cast<QDialog *>(dialog)->reject();
        };
        QTimer::singleShot(0, answer);
        control<QWidget>(*m_form, "Ole_0")->findChild<QAction *>("Bmp")->trigger();
        QCOMPARE(m_messages->shown.size(), 2);
        QCOMPARE(m_messages->lastText(), QString("Bitte warten Sie, bis das Einfügen in diesen Vorgang beendet ist."));
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->CaseID(), first);
        QCOMPARE(label("lblNr")->text(), QString("10/001"));
        m_form->FillSchaden(second);
        QCOMPARE(m_form->CaseID(), second);
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
