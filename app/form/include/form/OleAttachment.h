#pragma once

#include "form/Attachment.h"

#include "kelvane/RAZOleCtrl.h"

#include <optional>

namespace form {

// The case form's side of one attachment control: the form's generic loops
// drive the control through this, and it answers the control's request for
// a new Objekt number with the form's reservation.
class OleAttachment : public Attachment, public kelvane::__RAZOleCtrl {
public:
    // The control belongs to its parent widget and outlives this.
    explicit OleAttachment(kelvane::_RAZOleCtrl &control);
    ~OleAttachment() override;

    QVariant value() const override { return m_control.Value(); }
    void setValue(const QVariant &objektId) override;
    // Not Changed, which reads False while Locked.
    bool changed() const override { return m_control.PendingChange() != 0; }
    int pendingChange() const override { return m_control.PendingChange(); }
    void setChanged(bool changed) override { m_control.SetChanged(changed); }
    bool save() override { return m_control.SavePending(); }
    QString dataField() const override { return m_control.DataField(); }
    void setDatabase(dao::Database *db) override { m_control.SetDatabase(db); }
    void setNewPrimarySource(std::function<long()> source) override { m_newPrimary = std::move(source); }
    void setLocked(bool locked) override { m_control.SetLocked(locked); }
    bool busy() const override { return m_control.Busy(); }
    kelvane::PendingAttachment pendingContent() override { return m_control.PendingContent(); }
    bool restorePendingContent(const kelvane::PendingAttachment &change) override
    {
        return m_control.RestorePendingContent(change);
    }

    bool hasContent() const override;
    void setContentHandler(std::function<void()> handler) override { m_contentHandler = std::move(handler); }

    void GetNewPrimary(QVariant &NewPrimary) override;
    void DblClick() override {}
    void ContentChanged(bool hasContent) override;

private:
    kelvane::_RAZOleCtrl &m_control;
    std::function<long()> m_newPrimary;
    std::function<void()> m_contentHandler;
    // What the control last told; none yet while its row waits to be loaded.
    std::optional<bool> m_hasContent;
};

} // namespace form
