#include "form/LockWaitDialog.h"

#include <QApplication>
#include <QCursor>
#include <QProgressDialog>

namespace form {

LockWaitDialog::LockWaitDialog(QWidget *parent) : m_parent(parent) {}

LockWaitDialog::~LockWaitDialog()
{
    delete m_dialog;
    if (m_shown)
        QApplication::restoreOverrideCursor();
}

bool LockWaitDialog::keepWaiting(std::chrono::milliseconds waited)
{
    if (!m_shown) {
        if (waited < ShowAfter)
            return true;
        m_dialog = new QProgressDialog(Text, QStringLiteral("Abbrechen"), 0, 0, m_parent);
        m_dialog->setObjectName(QStringLiteral("dlgWarten"));
        m_dialog->setWindowTitle(QStringLiteral("Varnholt"));
        // Nothing else may reach the database while the save waits.
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
        m_shown = true;
        // The hourglass of the save would hide that "Abbrechen" can be pressed.
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_dialog && !m_dialog->wasCanceled();
}

} // namespace form
