// The case form's recovery copy: what is typed and attached but not saved,
// written after a quiet while and offered again after an unclean end.

#include "form/frmSchaden.h"

#include "form/Attachment.h"

#include "core/MessageService.h"
#include "dao/Dao.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>

void frmSchaden::markChanged()
{
    if (m_filling)
        return;
    m_dataChanged = true;
    m_recoveryQuiet.start();
}

bool frmSchaden::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Drop:
    case QEvent::WindowActivate:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this && isVisible())
            m_recoveryQuiet.start();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSchaden::keepRecoveryCopy()
{
    if (!isVisible())
        return;
    form::RecoveredCase copy;
    bool pending = m_dataChanged;
    for (form::Attachment *attachment : m_binding->attachments()) {
        const kelvane::PendingAttachment change = attachment->pendingContent();
        if (change.kind == kelvane::PendingAttachment::None)
            continue;
        pending = true;
        copy.attachments.append({attachment->dataField(), change});
    }
    if (!pending) {
        m_recovery.remove();
        return;
    }
    copy.database = form::RecoveredCase::databaseKey(m_db.Name());
    copy.caseId = m_caseId;
    copy.stamp = m_stamp;
    copy.fields = m_binding->typedValues();
    QString error;
    if (m_recovery.write(copy, &error) || m_recoveryFailureTold)
        return;
    // Told once: the user keeps working, but knows a crash would cost the typing.
    m_recoveryFailureTold = true;
    core::showMessage(QStringLiteral("Die Sicherungskopie des Vorgangs kann nicht geschrieben werden (%1). "
                                     "Bitte speichern Sie den Vorgang bald.")
                          .arg(error),
                      core::MsgIcon::Exclamation, core::MsgButtons::Ok, {}, this);
}

void frmSchaden::offerRecovery()
{
    const std::optional<form::RecoveredCase> copy = m_recovery.read();
    if (!copy || copy->database != form::RecoveredCase::databaseKey(m_db.Name()))
        return;
    if (core::showMessage(QStringLiteral("Ein nicht gespeicherter Vorgang wurde gefunden. Wiederherstellen?"),
                          core::MsgIcon::Question, core::MsgButtons::YesNo, {}, this)
        != core::MsgAnswer::Yes) {
        m_recovery.discard();
        return;
    }
    restore(*copy);
}

void frmSchaden::restore(const form::RecoveredCase &copy)
{
    FillSchaden(copy.caseId);
    // Saved against the case as it was read then: a change made elsewhere
    // since is caught by the save's lost-update check.
    if (copy.caseId != 0)
        m_stamp = copy.stamp;
    show();
    raise();
    activateWindow();
    // A settled case takes no attachment: the lock follows the restored box.
    SetLocked(false);
    for (const auto &[field, change] : copy.attachments)
        for (form::Attachment *attachment : m_binding->attachments())
            if (attachment->dataField() == field)
                attachment->restorePendingContent(change);
    m_filling = true;
    m_binding->putTypedValues(copy.fields);
    SetLocked(m_page.chkVorgang->isChecked());
    markMandatory();
    m_filling = false;
    m_dataChanged = true;
    keepRecoveryCopy();
}
