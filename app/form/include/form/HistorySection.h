#pragma once

#include "form/CaseSection.h"

class QLabel;
class QPushButton;
class QTableView;

namespace form {

class HistoryModel;

// The tab "Verlauf": the case's change records, newest first, read only.
// A record that kept an attachment's earlier version shows it beside the
// list, and puts it back into its slot on "Version wiederherstellen" (at
// once, as a change record of its own, after the form's save question).
class HistorySection : public CaseSection {
public:
    HistorySection();
    ~HistorySection() override;

    QString title() const override { return QStringLiteral("Verlauf"); }
    QWidget *page() override;
    void load(dao::Database &db, long caseId, dao::Recordset *row) override;
    void setLocked(bool locked) override;
    bool changed() const override { return false; }
    void write(dao::Database &db, long caseId) override;
    void settle() override;

private:
    void showSelected();
    void restoreSelected();
    void refresh();
    int selectedRow() const;

    std::unique_ptr<QWidget> m_page;   // until the form's tab widget takes it
    QWidget *m_shown = nullptr;
    HistoryModel *m_model = nullptr;
    QTableView *m_view = nullptr;
    QLabel *m_version = nullptr;
    QPushButton *m_restore = nullptr;
    dao::Database *m_db = nullptr;
    long m_caseId = 0;
    bool m_locked = false;
};

} // namespace form
