#include "form/AmountKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace form {

bool acceptsAmountKey(const QString &text, char16_t code)
{
    if (code == 8 || (code >= u'0' && code <= u'9'))
        return true;
    if (code == u',' || code == u'.')
        return !text.contains(u',') && !text.contains(u'.');
    return false;
}

AmountKeyFilter::AmountKeyFilter(std::function<void()> onKeyPress, QObject *parent)
    : QObject(parent), m_onKeyPress(std::move(onKeyPress))
{
}

bool AmountKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Only keys that type a character count; moving, deleting and leaving the box are no key presses here.
    if (key->text().isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
        || key->key() == Qt::Key_Delete)
        return false;
    m_onKeyPress();
    const auto *box = qobject_cast<QLineEdit *>(watched);
    const QString text = box ? box->text() : QString();
    return !acceptsAmountKey(text, key->text().at(0).unicode());
}

} // namespace form
