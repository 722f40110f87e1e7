#pragma once

#include <QWidget>

class QToolButton;

namespace report {

// An up-down control: two small arrow buttons, one above the other, that
// step the value of the box beside them.
class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    explicit UpDownButtons(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

Q_SIGNALS:
    void up();
    void down();

private:
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace report
