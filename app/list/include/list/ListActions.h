#pragma once

#include <QObject>
#include <QString>

class QAction;
class QToolBar;

namespace list {

// The list window's toolbar buttons and when they may be pressed. Each
// button is a QAction named by its key: New, Edit, Del, Restore, Schaden,
// Fahrzeug, Termin, Print, Export, Info, Exit.
class ListActions : public QObject {
    Q_OBJECT
public:
    // Puts the buttons on toolbar; without a print entry "Schaden" and
    // "Liste" stay greyed.
    ListActions(QToolBar &toolbar, bool canPrint);

    // The Termin button: the overdue cases instead of the filtered ones.
    bool overdue() const;
    void setOverdue(bool overdue);

    // The deleted cases are listed to be restored, not to be worked on.
    void showDeleted(bool deleted);

Q_SIGNALS:
    void triggered(const QString &key);

private:
    QAction *add(const QString &key, const QString &caption, const QString &icon);

    QToolBar &m_toolbar;
    QAction *m_termin = nullptr;
    QAction *m_restore = nullptr;
};

} // namespace list
