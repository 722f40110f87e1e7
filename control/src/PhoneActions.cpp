// The attachment control's insert from a phone.

#include "RAZOleCtrlWidget.h"

#include "kelvane/FileRoutines.h"

#include "core/WaitCursor.h"
#include "phone/PhoneDialog.h"

#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace kelvane {

void RAZOleCtrl::fromPhone()
{
    if (m_locked)
        return;
    // The row is held for the dialog's whole time, as for a scan.
    const ObjectSession::Ticket ticket = m_session.ticket();
    phone::PhoneDialog dialog(QStringLiteral("Jedes Foto kommt in dieses Bildfeld, ein weiteres ersetzt das vorige"), {},
                              this);
    dialog.setDelivery(
        [this, ticket](const phone::IncomingFile &file) { return takeFromPhone(file.path, ticket); });
    const QScopedValueRollback<bool> waiting(m_busy, true);
    dialog.exec();
}

QString RAZOleCtrl::takeFromPhone(const QString &path, ObjectSession::Ticket ticket)
{
    if (m_locked)
        return QStringLiteral("Der Vorgang ist abgeschlossen; sein Bild kann nicht geändert werden.");
    // The receiver's files go with its dialog: the content gets a copy of its own.
    const QString copy = MakeTempFileName(QStringLiteral("Handy"), QFileInfo(path).suffix());
    if (copy.isEmpty() || !QFile::copy(path, copy))
        return QStringLiteral("Das Foto kann nicht in den temporären Ordner kopiert werden.");
    QString refusal;
    {
        const core::WaitCursor hourglass;
        refusal = m_session.insertFor(ticket, copy, true);
        UpdateButtons();
    }
    return refusal;
}

} // namespace kelvane
