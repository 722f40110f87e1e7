#pragma once

#include "form/CaseSection.h"
#include "vehicle/MarkSet.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vehicle {

class MarkSheet;

// The case form's tab "Skizze": the case's damage diagram with its marks and
// the unrepaired marks of the vehicle's earlier cases, and a panel that
// edits the chosen mark.
class SkizzeSection : public form::CaseSection {
public:
    explicit SkizzeSection(dao::Database &db);
    ~SkizzeSection() override;

    QString title() const override { return QStringLiteral("Skizze"); }
    QWidget *page() override { return m_page; }
    void load(dao::Database &db, long caseId, dao::Recordset *row) override;
    void vehicleChanged(const QString &plate, const QString &type) override;
    void setLocked(bool locked) override;
    bool changed() const override { return m_marks.changed(); }
    void write(dao::Database &db, long caseId) override;
    void settle() override;

    MarkSet &marks() { return m_marks; }

private:
    void buildPage();
    void reload();
    void showChosen();
    void editChosen(int merge = 0);
    void repairChosen();

    dao::Database &m_db;
    bool m_available;   // the database has the marks' table
    QPointer<QWidget> m_page;   // shown on the form's tabs, deleted with the section
    MarkSet m_marks;
    MarkSheet *m_sheet = nullptr;
    QComboBox *m_kind = nullptr;
    QComboBox *m_severity = nullptr;
    QComboBox *m_picture = nullptr;
    QLineEdit *m_note = nullptr;
    QPushButton *m_delete = nullptr;
    QLabel *m_earlier = nullptr;
    QDateEdit *m_repairDate = nullptr;
    QPushButton *m_repair = nullptr;
    long m_caseId = 0;
    long m_written = 0;
    QString m_plate;
    bool m_locked = false;
    bool m_showing = false;
    bool m_reading = false;   // what is shown comes from the database, no change of the user's
    int m_typing = 0;
};

} // namespace vehicle
