#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

namespace sendral {

// What the handler of a reported event answers.
struct HookAnswer {
    // The event's result as a number: 1 when it stands accepted, 0 when
    // ignored. It starts as the event's own state; a handler that changes it
    // decides whether an event kept from the widget counts as handled (an
    // ignored input event travels on to the parent widget).
    qintptr lResult = 0;
    // False keeps the event from the widget's own handling.
    bool CallWndProc = true;
};

// Watches one widget's events and reports the selected kinds through
// WndProc before the widget itself sees them; nothing while switched off.
class MessageHook : public QObject {
    Q_OBJECT
public:
    explicit MessageHook(QObject *parent = nullptr);
    ~MessageHook() override;

    void Attach(QWidget *window);
    void Detach();
    QWidget *Window() const { return m_window; }

    void SelectMessage(QEvent::Type type);
    void DeselectMessage(QEvent::Type type);
    bool IsSelected(QEvent::Type type) const { return m_selected.contains(type); }

    // Switched off after construction.
    void SetHooked(bool on) { m_hooked = on; }
    bool Hooked() const { return m_hooked; }

Q_SIGNALS:
    // Raised for each selected event of the watched widget; connect directly.
    void WndProc(QWidget *hWnd, QEvent *message, sendral::HookAnswer &answer);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QSet<int> m_selected;
    bool m_hooked = false;
};

} // namespace sendral
