#include "sendral/MessageHook.h"

namespace sendral {

MessageHook::MessageHook(QObject *parent) : QObject(parent) {}

MessageHook::~MessageHook()
{
    Detach();
}

void MessageHook::Attach(QWidget *window)
{
    Detach();
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

void MessageHook::Detach()
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = nullptr;
}

void MessageHook::SelectMessage(QEvent::Type type)
{
    m_selected.insert(int(type));
}

void MessageHook::DeselectMessage(QEvent::Type type)
{
    m_selected.remove(int(type));
}

bool MessageHook::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_hooked || watched != m_window || !m_selected.contains(int(event->type())))
        return QObject::eventFilter(watched, event);
    HookAnswer answer;
    const qintptr before = event->isAccepted() ? 1 : 0;
    answer.lResult = before;
    Q_EMIT WndProc(m_window, event, answer);
    if (answer.CallWndProc)
        return false;
    if (answer.lResult != before)
        event->setAccepted(answer.lResult != 0);
    return true;
}

} // namespace sendral
