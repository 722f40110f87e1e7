#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace form {

// An amount box holds digits with at most one separator, comma or point.
// code is the character of one key press (8 = Backspace).
bool acceptsAmountKey(const QString &text, char16_t code);

// Drops the key presses acceptsAmountKey refuses on the line edit it watches
// and reports every key press, refused or not.
class AmountKeyFilter : public QObject {
public:
    AmountKeyFilter(std::function<void()> onKeyPress, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onKeyPress;
};

} // namespace form
