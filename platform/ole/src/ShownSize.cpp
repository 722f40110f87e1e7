#include "ole/ShownSize.h"

#include <QCoreApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QWidget>

namespace ole {

QSize sizeWhenShown(QWidget &widget)
{
    if (!widget.window()->isVisible())
        return {};
    // From the topmost hidden widget down to this one.
    QList<QWidget *> hidden;
    for (QWidget *above = &widget; above && !above->isVisible(); above = above->parentWidget())
        hidden.prepend(above);
    if (hidden.isEmpty())
        return widget.size();
    // A page of a stack gets the place of the page shown now.
    auto *stack = qobject_cast<QStackedWidget *>(hidden.front()->parentWidget());
    if (!stack || !stack->currentWidget() || stack->indexOf(hidden.front()) < 0)
        return {};
    hidden.front()->setGeometry(stack->currentWidget()->geometry());
    for (QWidget *each : std::as_const(hidden)) {
        // What showing it would deliver: the resize event those that place
        // their children themselves wait for, and the layout.
        if (each->testAttribute(Qt::WA_PendingResizeEvent)) {
            QResizeEvent resized(each->size(), QSize());
            QCoreApplication::sendEvent(each, &resized);
            each->setAttribute(Qt::WA_PendingResizeEvent, false);
        }
        if (each->layout())
            each->layout()->activate();
    }
    return widget.size();
}

} // namespace ole
