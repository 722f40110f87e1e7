#include "TestEngine.h"

#include "form/Attachment.h"
#include "form/CaseBinding.h"

#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "dao/Dao.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

// An attachment whose save can be made to fail, to see what the binding
// does around it; the control's own roads are tested with the control.
class SavingAttachment : public form::Attachment {
public:
    explicit SavingAttachment(QString column) : m_column(std::move(column)) {}
    QVariant value() const override { return m_value; }
    void setValue(const QVariant &objektId) override { m_value = objektId; }
    bool changed() const override { return m_changed; }
    void setChanged(bool changed) override { m_changed = changed; }
    bool save() override
    {
        if (fails)
            return false;
        m_changed = false;
        m_value = savedAs;
        return true;
    }
    QString dataField() const override { return m_column; }
    void setDatabase(dao::Database *) override {}
    void setNewPrimarySource(std::function<long()>) override {}
    void setLocked(bool locked) override { this->locked = locked; }
    bool busy() const override { return false; }
    kelvane::PendingAttachment pendingContent() override { return {}; }
    bool restorePendingContent(const kelvane::PendingAttachment &) override { return false; }

    bool fails = false;
    bool locked = false;
    QVariant savedAs;

private:
    QString m_column;
    QVariant m_value;
    bool m_changed = false;
};

template <typename T>
T *tagged(QWidget &root, const QString &column, const QString &name)
{
    auto *control = new T(&root);
    control->setObjectName(name);
    control->setProperty(form::CaseBinding::TagProperty, column);
    return control;
}

} // namespace

// The form's generic binding of tagged controls to a case row, on a real row.
class TestCaseBinding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init()
    {
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(
            m_databases.path(QStringLiteral("binding%1.db").arg(++m_count)), create);
        varnholt::createSchema(*m_db);
        m_db->Execute(QStringLiteral("INSERT INTO Schaden (ID, EigenKZ, Schadenart, Schadennummer, Objekt_ID_1) "
                                     "VALUES (1, 'B-AB 1', 'Glasbruch alt', '10/001', 4)"));
        m_picture = SavingAttachment(QStringLiteral("Objekt_ID_1"));
        m_root = std::make_unique<QWidget>();
        m_plate = tagged<QComboBox>(*m_root, "EigenKZ", "cboAuto");
        m_plate->setEditable(true);
        m_plate->addItem(QStringLiteral("B-AB 1"));
        m_kind = tagged<QComboBox>(*m_root, "Schadenart", "cboSchadenart");
        m_kind->addItems({QStringLiteral("Einzelschaden"), QStringLiteral("Glasbruch")});
        m_done = tagged<QCheckBox>(*m_root, "fErledigt", "chkVorgang");
        m_date = tagged<QLineEdit>(*m_root, "Datum", "txtFeld_1");
        m_amount = tagged<QLineEdit>(*m_root, "Schadenbetrag", "txtKosten_0");
        m_text = tagged<QPlainTextEdit>(*m_root, "Schadenbeschreibung", "txtFeld_2");
        m_number = tagged<QLabel>(*m_root, "Schadennummer", "lblNr");
        m_binding = std::make_unique<form::CaseBinding>(*m_root);
        m_binding->addAttachment(&m_picture);
    }

    void cleanup()
    {
        m_binding.reset();
        m_root.reset();
        m_db.reset();
    }

    void aCaseComesBackAsItWasWritten()
    {
        QCOMPARE(m_binding->load(*row()), 1);
        // A stored kind that is no entry of the fixed list is shown and kept.
        QCOMPARE(m_kind->currentText(), QStringLiteral("Glasbruch alt"));
        QCOMPARE(m_number->text(), QStringLiteral("10/001"));
        QCOMPARE(m_picture.value().toLongLong(), 4);

        m_plate->setEditText(QStringLiteral("HH-XY 9"));
        m_done->setChecked(true);
        m_date->setText(QStringLiteral("05.03.2010"));
        m_amount->setText(QStringLiteral("12,5"));
        m_text->setPlainText(QStringLiteral("Kratzer\nan der Tür"));
        QStringList typed;
        write([&](QComboBox &, const QString &column) { typed << column; });
        QCOMPARE(typed, QStringList{QStringLiteral("EIGENKZ")});

        m_binding->clear();
        QVERIFY(m_plate->currentText().isEmpty() && m_date->text().isEmpty());
        QCOMPARE(m_kind->count(), 2);
        QVERIFY(dao::isNull(m_picture.value()));
        m_binding->load(*row());
        QCOMPARE(m_plate->currentText(), QStringLiteral("HH-XY 9"));
        QCOMPARE(m_kind->currentText(), QStringLiteral("Glasbruch alt"));
        QVERIFY(m_done->isChecked());
        QCOMPARE(m_date->text(), QStringLiteral("05.03.2010"));
        QCOMPARE(m_amount->text(), QStringLiteral("12,50"));
        QCOMPARE(m_text->toPlainText(), QStringLiteral("Kratzer\nan der Tür"));

        // Emptied boxes store Null.
        m_date->clear();
        write({});
        QVERIFY(dao::isNull(row()->Value(QStringLiteral("Datum"))));
    }

    void anInvalidDateIsFoundBeforeAnythingIsWritten()
    {
        m_binding->load(*row());
        QCOMPARE(m_binding->firstInvalidDate(), nullptr);
        m_date->setText(QStringLiteral("31.02.2009"));
        QCOMPARE(m_binding->firstInvalidDate(), m_date);
    }

    void aFailingAttachmentLeavesEveryAttachmentToBeSavedAgain()
    {
        SavingAttachment second(QStringLiteral("Objekt_ID_2"));
        m_binding->addAttachment(&second);
        m_binding->load(*row());
        m_picture.setChanged(true);
        m_picture.savedAs = 4;
        second.setChanged(true);
        second.fails = true;
        auto edited = row(true);
        QVERIFY_THROWS_EXCEPTION(form::AttachmentSaveFailed, m_binding->write(*edited, {}));
        edited->CancelUpdate();
        QVERIFY(m_picture.changed() && second.changed());

        // An attachment without a change is not saved at all.
        second.fails = false;
        second.setChanged(false);
        second.savedAs = 8;
        write({});
        QVERIFY(dao::isNull(row()->Value(QStringLiteral("Objekt_ID_2"))));
        QVERIFY(!m_picture.changed());
    }

    void lockingKeepsEveryValueAndTakesNoInput()
    {
        m_binding->load(*row());
        m_binding->setLocked(true);
        QVERIFY(m_date->isReadOnly() && m_text->isReadOnly());
        QVERIFY(!m_done->isEnabled());
        QVERIFY(m_picture.locked);
        QTest::keyClicks(m_plate->lineEdit(), QStringLiteral("XX"));
        QCOMPARE(m_plate->currentText(), QStringLiteral("B-AB 1"));
        m_binding->setLocked(false);
        QVERIFY(!m_date->isReadOnly() && m_done->isEnabled() && !m_picture.locked);
        QTest::keyClicks(m_plate->lineEdit(), QStringLiteral("X"));
        QVERIFY(m_plate->currentText().contains(u'X'));
    }

private:
    std::unique_ptr<dao::Recordset> row(bool editing = false)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Schaden where ID=1"),
                                      editing ? dao::RecordsetType::Dynaset : dao::RecordsetType::Snapshot);
        if (editing)
            rs->Edit();
        return rs;
    }

    void write(const std::function<void(QComboBox &, const QString &)> &typed)
    {
        auto edited = row(true);
        m_binding->write(*edited, typed ? typed : [](QComboBox &, const QString &) {});
        edited->Update();
    }

    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<QWidget> m_root;
    std::unique_ptr<form::CaseBinding> m_binding;
    SavingAttachment m_picture{QStringLiteral("Objekt_ID_1")};
    QComboBox *m_plate = nullptr;
    QComboBox *m_kind = nullptr;
    QCheckBox *m_done = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_amount = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QLabel *m_number = nullptr;
    int m_count = 0;
};

QTEST_MAIN(TestCaseBinding)
#include "tst_casebinding.moc"
