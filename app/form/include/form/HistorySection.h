#pragma once

#include "form/CaseSection.h"

#include <functional>

namespace history {
struct Record;
}

class QLabel;
class QPushButton;
class QTableView;

namespace form {

class HistoryModel;

// The tab "Verlauf": the case's change records, newest first, read only.
// A record that kept an attachment's earlier version shows it beside the
// list. "Version wiederherstellen" puts a picture slot's version back at
// once (a change record of its own, after the form's save question), and
// hands a further attachment's to the tab that keeps them, where it waits
// for the case's save like any change there.
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

    // Takes a further attachment's version back; "" or why not.
    using AttachmentRestore = std::function<QString(const history::Record &)>;
    void setAttachmentRestore(AttachmentRestore restore) { m_restoreAttachment = std::move(restore); }

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
    QLabel *m_pending = nullptr;
    AttachmentRestore m_restoreAttachment;
    dao::Database *m_db = nullptr;
    long m_caseId = 0;
    bool m_locked = false;
};

} // namespace form
