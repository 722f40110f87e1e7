#pragma once

#include "kelvane/RAZOleCtrl.h"

#include <QVariant>
#include <QWidget>

#include <functional>

namespace dao {
class Database;
}

namespace form {

// What the case form needs of an attachment control: the number of its
// Objekt row (Null = none), whether the user changed it, and writing it back.
// The control asks its host for a new number when it has content but none.
// A change counts and is written whatever the lock: a photo dropped before
// the case was settled is saved with it.
class Attachment {
public:
    virtual ~Attachment() = default;

    virtual QVariant value() const = 0;
    virtual void setValue(const QVariant &objektId) = 0;
    virtual bool changed() const = 0;
    // How it differs from its row (kelvane::AttachmentChange bits), 0 for not at all.
    virtual int pendingChange() const { return changed() ? int(kelvane::ChangeEdited) : 0; }
    virtual void setChanged(bool changed) = 0;
    virtual bool save() = 0;
    virtual QString dataField() const = 0;
    virtual void setDatabase(dao::Database *db) = 0;
    virtual void setNewPrimarySource(std::function<long()> source) = 0;
    // Read-only with a settled case.
    virtual void setLocked(bool locked) = 0;
    // The change not stored yet, for the recovery copy, and putting it back.
    virtual kelvane::PendingAttachment pendingContent() = 0;
    virtual bool restorePendingContent(const kelvane::PendingAttachment &change) = 0;
    // Whether it holds content now: a picture deleted counts no more before
    // the case is saved. Until the control has shown what its row holds, the
    // row's number stands for it.
    virtual bool hasContent() const { return !value().isNull(); }
    // Called when hasContent() changes.
    virtual void setContentHandler(std::function<void()> handler) { Q_UNUSED(handler); }
    // An insert waits for the user or a scanner: the case must stay.
    virtual bool busy() const = 0;
};

// Stands in the picture tabs when the attachment control's library cannot be
// loaded: it holds the case's numbers unchanged, so saving a case keeps its
// attachments.
class KeptAttachment : public QWidget, public Attachment {
public:
    KeptAttachment(const QString &dataField, QWidget *parent);

    QVariant value() const override { return m_value; }
    void setValue(const QVariant &objektId) override { m_value = objektId; }
    bool changed() const override { return false; }
    void setChanged(bool) override {}
    bool save() override { return true; }
    QString dataField() const override { return m_dataField; }
    void setDatabase(dao::Database *) override {}
    void setNewPrimarySource(std::function<long()>) override {}
    void setLocked(bool) override {}
    kelvane::PendingAttachment pendingContent() override { return {}; }
    bool restorePendingContent(const kelvane::PendingAttachment &) override { return false; }
    bool busy() const override { return false; }

private:
    QString m_dataField;
    QVariant m_value;
};

} // namespace form
