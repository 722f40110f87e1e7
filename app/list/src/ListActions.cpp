#include "list/ListActions.h"

#include <QAction>
#include <QToolBar>

namespace list {

ListActions::ListActions(QToolBar &toolbar, bool canPrint) : QObject(&toolbar), m_toolbar(toolbar)
{
    add(QStringLiteral("New"), QStringLiteral("Neu"), QStringLiteral("new"));
    add(QStringLiteral("Edit"), QStringLiteral("Bearbeiten"), QStringLiteral("edit"));
    add(QStringLiteral("Del"), QStringLiteral("Löschen"), QStringLiteral("delete"));
    m_restore = add(QStringLiteral("Restore"), QStringLiteral("Wiederherstellen"), QStringLiteral("new"));
    m_restore->setVisible(false);
    m_toolbar.addSeparator();
    add(QStringLiteral("Schaden"), QStringLiteral("Schaden"), QStringLiteral("schaden"))->setEnabled(canPrint);
    add(QStringLiteral("Fahrzeug"), QStringLiteral("Fahrzeug"), QStringLiteral("fahrzeug"));
    m_termin = add(QStringLiteral("Termin"), QStringLiteral("Termin"), QStringLiteral("termin"));
    m_termin->setCheckable(true);
    add(QStringLiteral("Print"), QStringLiteral("Liste"), QStringLiteral("liste"))->setEnabled(canPrint);
    add(QStringLiteral("Export"), QStringLiteral("Exportieren ..."), QStringLiteral("export"));
    m_toolbar.addSeparator();
    add(QStringLiteral("Info"), QStringLiteral("Info"), QStringLiteral("info"));
    add(QStringLiteral("Exit"), QStringLiteral("Beenden"), QStringLiteral("exit"));
}

QAction *ListActions::add(const QString &key, const QString &caption, const QString &icon)
{
    QAction *action = m_toolbar.addAction(QIcon(QStringLiteral(":/list/%1.png").arg(icon)), caption);
    action->setObjectName(key);
    action->setData(key);
    connect(action, &QAction::triggered, this, [this, key] { Q_EMIT triggered(key); });
    return action;
}

bool ListActions::overdue() const
{
    return m_termin->isChecked();
}

void ListActions::setOverdue(bool overdue)
{
    m_termin->setChecked(overdue);
}

void ListActions::showDeleted(bool deleted)
{
    m_restore->setVisible(deleted);
    for (const char *key : {"New", "Edit", "Del"})
        if (QAction *action = m_toolbar.findChild<QAction *>(QLatin1String(key)))
            action->setEnabled(!deleted);
}

} // namespace list
