#pragma once

#include "dao/Dao.h"

#include <QPointer>
#include <QProgressDialog>

#include <chrono>

class QWidget;

namespace form {

// What the user sees while a save waits for another workstation's write
// lock: nothing for the first second, then "Warte auf andere Arbeitsplätze
// ..." with "Abbrechen" in a progress dialog that keeps the program alive.
// observer() is handed to the database layer for the time of the save.
class LockWaitDialog {
public:
    static constexpr std::chrono::milliseconds ShowAfter{1000};
    static inline const QString Text = QStringLiteral("Warte auf andere Arbeitsplätze ...");

    explicit LockWaitDialog(QWidget *parent);
    ~LockWaitDialog();
    LockWaitDialog(const LockWaitDialog &) = delete;
    LockWaitDialog &operator=(const LockWaitDialog &) = delete;

    // False once the user pressed "Abbrechen".
    bool keepWaiting(std::chrono::milliseconds waited);
    dao::LockWaitObserver observer()
    {
        return [this](std::chrono::milliseconds waited) { return keepWaiting(waited); };
    }

    // The dialog, once it is shown; nullptr before.
    QProgressDialog *dialog() const { return m_dialog; }

private:
    QWidget *m_parent;
    QPointer<QProgressDialog> m_dialog;
    bool m_shown = false;
};

} // namespace form
