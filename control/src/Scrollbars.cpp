#include "kelvane/Scrollbars.h"

#include "WindowScrollBars.h"

#include "sendral/MessageHook.h"

#include <QAbstractScrollArea>

namespace kelvane {

Scrollbars::Scrollbars(QObject *parent) : QObject(parent) {}

Scrollbars::~Scrollbars()
{
    m_hook.reset();
    m_hscroll.reset();
    m_vscroll.reset();
}

void Scrollbars::Setup(QAbstractScrollArea *window, int style)
{
    m_window = window;
    m_style = style;
    ShowScrollBar(window, style, true);
    m_hook = std::make_unique<sendral::MessageHook>();
    m_hook->Attach(window);
    connect(m_hook.get(), &sendral::MessageHook::WndProc, this, &Scrollbars::sclScrollbar_WndProc,
            Qt::DirectConnection);
    if (style == 0 || style == 3) {
        m_hscroll = std::make_unique<Scrollbar>();
        m_hscroll->Init(window, SB_HORZ);
        m_hscroll->SetRange(0, 0, 0);
        WatchScrollBar(window, SB_HORZ);
        connect(m_hscroll.get(), &Scrollbar::Scroll, this,
                [this](int value, int change) { Q_EMIT Scroll(0, value, change, m_tracking); });
        m_hook->SelectMessage(ScrollMessage::HScroll());
    }
    if (style == 1 || style == 3) {
        m_vscroll = std::make_unique<Scrollbar>();
        m_vscroll->Init(window, SB_VERT);
        m_vscroll->SetRange(0, 0, 0);
        WatchScrollBar(window, SB_VERT);
        connect(m_vscroll.get(), &Scrollbar::Scroll, this,
                [this](int value, int change) { Q_EMIT Scroll(1, value, change, m_tracking); });
        m_hook->SelectMessage(ScrollMessage::VScroll());
    }
    m_hook->SetHooked(true);
    SetEnabled(true);
}

void Scrollbars::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    EnableScrollBar(m_window, m_style, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void Scrollbars::begin(int scrollbar)
{
    if (m_started)
        return;
    Q_EMIT ScrollBegin(scrollbar);
    m_started = true;
}

void Scrollbars::track(int scrollbar, Scrollbar &bar, int state)
{
    const int position = bar.TrackPos();
    QString tip;
    bool cancelUpdate = false;
    Q_EMIT ScrollTrack(scrollbar, position, state, tip, cancelUpdate);
    if (!cancelUpdate)
        bar.SetValue(position);
}

void Scrollbars::sclScrollbar_WndProc(QWidget *, QEvent *message, sendral::HookAnswer &answer)
{
    const auto *scroll = static_cast<const ScrollMessage *>(message);
    const int scrollbar = scroll->Vertical() ? 1 : 0;
    Scrollbar *bar = scrollbar == 1 ? m_vscroll.get() : m_hscroll.get();
    answer.lResult = 1;
    answer.CallWndProc = true;
    if (!bar)
        return;
    switch (scroll->Code) {
    case 0: case 1: case 2: case 3: case 6: case 7:
        begin(scrollbar);
        bar->MoveThumb(scroll->Code);
        break;
    case 4:
        m_tracking = false;
        track(scrollbar, *bar, 3);
        break;
    case 5: {
        begin(scrollbar);
        const int state = m_tracking ? 2 : 1;
        m_tracking = true;
        track(scrollbar, *bar, state);
        break;
    }
    case 8:
        Q_EMIT ScrollEnd(scrollbar);
        m_started = false;
        break;
    default:
        break;
    }
}

} // namespace kelvane
