#include "FormFixture.h"

#include "form/HistoryModel.h"
#include "form/SaveHistory.h"
#include "history/CaseDeletion.h"
#include "history/ChainCheck.h"
#include "history/Journal.h"
#include "history/Versions.h"

#include <QTableView>

// The case form's change records: each changed field under its label, each
// change of a picture with the version it replaced, the tab "Verlauf" that
// lists them and puts a version back.
class TestFormHistory : public QObject, FormFixture {
    Q_OBJECT

    QList<history::Record> records(long id) { return history::caseRecords(*m_db, id); }

    // A saved case with a plate and a kind, shown again in the form.
    long savedCase()
    {
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        if (!m_form->SaveCase())
            qFatal("the case is not saved");
        const long id = m_form->CaseID();
        m_form->FillSchaden(id);
        return id;
    }

    QWidget *ole(int index) { return control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(index)); }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init() { openDatabase(); }
    void cleanup() { closeDatabase(); }

    // A new case: one record "angelegt" with its number, no field records.
    void newCaseRecordedOnce()
    {
        const long id = savedCase();
        const QList<history::Record> made = records(id);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.first().kind, history::kind::Created);
        QCOMPARE(made.first().newValue.toString(), stored(id, "Schadennummer").toString());
        QCOMPARE(made.first().user, history::Author::current().user);
        QCOMPARE(made.first().time, core::Clock::now());
    }

    void everyFieldRecordedWithItsLabel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const char *value, const char *label, const char *shown) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(value) << QString::fromUtf8(label)
                                << QString::fromUtf8(shown);
        };
        row("txtVom", "01.02.2010", "Datum", "01.02.2010");
        row("cboSchadenart", "Kleinstschäden", "Schadenart", "Kleinstschäden");
        row("cboAuto", "B-CD 2", "Fahrzeug", "B-CD 2");
        row("cboTyp", "Transporter", "Fahrzeugtyp", "Transporter");
        row("cboStellplatz", "Hof 3", "Stellplatz", "Hof 3");
        row("txtKndNr", "4711", "Kundennummer", "4711");
        row("cboKunde", "Meier", "Kunde", "Meier");
        row("cboBericht", "liegt vor", "Unfallbericht", "liegt vor");
        row("cboMelder", "Fahrer", "Melder", "Fahrer");
        row("chkSchaden_0", "", "Unserem Fahrzeug", "Ja");
        row("chkSchaden_1", "", "Fremdfahrzeug", "Ja");
        row("chkSchaden_2", "", "Weiteren Gegenständen", "Ja");
        row("chkSchaden_3", "", "Personen", "Ja");
        row("chkSchaden_4", "", "AStA-Bus-Kunde", "Ja");
        row("txtFeld_2", "Delle hinten", "Schadenbeschreibung", "Delle hinten");
        row("cboSchuld", "ungeklärt", "Schuld", "ungeklärt");
        row("cboReparatur", "erfolgt", "Reparaturstat.", "erfolgt");
        row("txtFeld_3", "03.03.2010", "Versicherungsmeldung am", "03.03.2010");
        row("txtKosten_1", "1234,5", "Schadenbetrag", "1234,50");
        row("txtFeld_9", "V-77", "Vers.-Nummer", "V-77");
        row("cboBewertung", "Gutachten", "Schadenbew.", "Gutachten");
        row("cboBewerter", "Dekra", "durch", "Dekra");
        row("txtFeld_1", "Schmidt", "Unfallgegner", "Schmidt");
        row("txtFeld_7", "HH-X 1", "KZ gegner Fzg", "HH-X 1");
        row("txtFeld_4", "Hauptstr. 1", "Adresse", "Hauptstr. 1");
        row("txtFeld_8", "Rückruf", "Anmerkung", "Rückruf");
        row("txtKosten_0", "300", "Selbstbeteiligung Kunde", "300,00");
        row("txtFeld_5", "04.03.2010", "Kunde über Selbstbeteiligung informiert am", "04.03.2010");
        row("txtFeld_6", "05.03.2010", "PML erstellt am", "05.03.2010");
        row("chkSicherheit", "", "Sicherheitspaket", "Ja");
        row("chkVorgang", "", "Vorgang erledigt", "Ja");
    }

    void everyFieldRecordedWithItsLabel()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        const long id = savedCase();
        const QString before = [&] {
            const QList<history::Record> made = records(id);
            return made.size() == 1 ? QString() : QStringLiteral("more than one record");
        }();
        QVERIFY(before.isEmpty());
        QWidget *box = control<QWidget>(*m_form, name);
        QString old;
        if (auto *combo = qobject_cast<QComboBox *>(box)) {
            old = combo->currentText();
            if (combo->isEditable())
                combo->setEditText(value);
            else
                combo->setCurrentIndex(combo->findText(value));
        } else if (auto *check = qobject_cast<QCheckBox *>(box)) {
            old = QStringLiteral("Nein");
            check->click();
        } else if (auto *text = qobject_cast<QPlainTextEdit *>(box)) {
            text->setPlainText(value);
        } else {
            auto *line = static_cast<QLineEdit *>(box);
            old = line->text();
            line->selectAll();
            QTest::keyClicks(line, value);
            QTest::keyClick(line, Qt::Key_Return);
        }
        QVERIFY(m_form->SaveCase());
        const QList<history::Record> changes = records(id);
        QCOMPARE(changes.size(), 2);
        const history::Record &record = changes.first();
        QCOMPARE(record.kind, history::kind::Field);
        QCOMPARE(record.field, label);
        QCOMPARE(record.oldValue.toString(), old);
        QCOMPARE(record.newValue.toString(), shown);
        QVERIFY(history::verifyChain(*m_db).ok());
    }

    // Inserted, replaced, deleted: a record each, the replaced and the
    // deleted photo kept; the tab lists them newest first, shows a kept
    // photo and puts it back into its slot.
    void attachmentChangesRecordedAndRestorable()
    {
        QTemporaryDir files;
        const QByteArray first = testpictures::encoded(testpictures::marked(60, 40), "png");
        const QByteArray second = testpictures::png(Qt::green);
        const long id = savedCase();
        QVERIFY(testpictures::drop(*ole(0), {testpictures::write(files.filePath("erstes.png"), first)}));
        QVERIFY(m_form->SaveCase());
        QVERIFY(testpictures::drop(*ole(0), {testpictures::write(files.filePath("zweites.png"), second)}));
        line("txtFeld_1")->setText("Schmidt");
        QVERIFY(m_form->SaveCase());
        ole(0)->findChild<QAction *>("Delete")->trigger();
        QVERIFY(m_form->SaveCase());
        QVERIFY(dao::isNull(stored(id, "Objekt_ID_1")));

        QList<history::Record> made = records(id);
        QStringList told;
        for (const history::Record &record : std::as_const(made))
            told << record.field + u' ' + record.newValue.toString();
        QCOMPARE(told, (QStringList{"Bild 1 gelöscht", "Bild 1 ersetzt", "Unfallgegner Schmidt", "Bild 1 eingefügt",
                                    "Vorgang " + stored(id, "Schadennummer").toString()}));
        QCOMPARE(history::readVersion(*m_db, long(made.at(0).objectId.toLongLong())).bytes, second);
        QCOMPARE(history::readVersion(*m_db, long(made.at(1).objectId.toLongLong())).bytes, first);
        QVERIFY(made.at(3).objectId.isNull());

        // On the tab: the replaced photo selected is shown and put back.
        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        tabs->setCurrentWidget(control<QWidget>(*m_form, "tabVerlauf"));
        auto *grid = control<QTableView>(*m_form, "grdVerlauf");
        QCOMPARE(grid->model()->rowCount(), 5);
        QCOMPARE(grid->model()->data(grid->model()->index(0, 3)).toString(), QString("Bild 1"));
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QVERIFY(!control<QLabel>(*m_form, "lblVersion")->pixmap().isNull());
        auto *restore = control<QPushButton>(*m_form, "cmdVersionWiederherstellen");
        QVERIFY(restore->isEnabled());
        restore->click();
        const QVariant back = stored(id, "Objekt_ID_1");
        QVERIFY(!dao::isNull(back));
        QCOMPARE(objektBytes(back), first);
        QCOMPARE(grid->model()->rowCount(), 6);
        QCOMPARE(grid->model()->data(grid->model()->index(0, 5)).toString(), QString("wiederhergestellt"));
        QVERIFY(stored(id, "Schadenbilder").toBool());
        QCOMPARE(label("lblBilder")->text(), QString("1"));
        QVERIFY(history::verifyChain(*m_db).ok());
        grid->setCurrentIndex(grid->model()->index(2, 0));
        m_form->resize(900, 620);
        screenshot(*m_form, QStringLiteral("verlauf.png"));

        // A settled case keeps its pictures as they are.
        check("chkVorgang")->click();
        QVERIFY(m_form->SaveCase());
        grid->setCurrentIndex(grid->model()->index(3, 0));
        QVERIFY(!restore->isEnabled());
    }

    // A case deleted at another workstation is not saved over; what was typed stays.
    void caseDeletedElsewhereIsNotSavedOver()
    {
        const long id = savedCase();
        history::markCaseDeleted(*m_db, id, core::Clock::now());
        line("txtFeld_1")->setText("Schmidt");
        m_messages->clear();
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(m_messages->lastText(), QString("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
        QVERIFY(m_form->FormChanged());
        QCOMPARE(line("txtFeld_1")->text(), QString("Schmidt"));
        QVERIFY(dao::isNull(stored(id, "Name")));
        QCOMPARE(records(id).size(), 2);
    }

    // Annotating overwrites the stored row: the row before it is kept.
    void annotationKeepsTheVersionBefore()
    {
        m_db->Execute("INSERT INTO Objekt (ID, lbObjekt, fBitmap, tClass) VALUES (5, ?, -1, 'png')", {QByteArray("vorher")});
        form::SaveHistory changes({}, {{"Objekt_ID_2", "Bild 2"}});
        dao::Transaction tx(*m_db);
        changes.noteAttachment(*m_db, "Objekt_ID_2", kelvane::ChangeAnnotated, qlonglong(5));
        changes.noteAttachment(*m_db, "Objekt_ID_1", 0, QVariant());
        changes.write(*m_db, 9, {{"id", 9}}, {{"id", 9}}, core::Clock::now());
        tx.commit();
        const QList<history::Record> made = records(9);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.first().field, QString("Bild 2"));
        QCOMPARE(made.first().newValue.toString(), QString("Anmerkungen geändert"));
        QCOMPARE(history::readVersion(*m_db, long(made.first().objectId.toLongLong())).bytes, QByteArray("vorher"));
    }
};

QTEST_MAIN(TestFormHistory)
#include "tst_formhistory.moc"
