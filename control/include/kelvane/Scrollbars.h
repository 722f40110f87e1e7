#pragma once

#include "kelvane/Scrollbar.h"

#include <QAbstractScrollArea>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QEvent;
class QWidget;

namespace sendral {
class MessageHook;
struct HookAnswer;
}

namespace kelvane {

// The scroll bars of one window: creates the Scrollbar objects its Style
// asks for, watches the window's scroll messages through a message hook and
// turns them into one sequence per user action: ScrollBegin, Scroll for
// each move, ScrollTrack while the thumb is dragged, ScrollEnd.
class Scrollbars : public QObject {
    Q_OBJECT
public:
    explicit Scrollbars(QObject *parent = nullptr);
    ~Scrollbars() override;

    // Style 0 horizontal only, 1 vertical only, 3 both.
    void Setup(QAbstractScrollArea *window, int style);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // The created bars; nullptr when the Style has none.
    Scrollbar *HScroll() const { return m_hscroll.get(); }
    Scrollbar *VScroll() const { return m_vscroll.get(); }

Q_SIGNALS:
    // scrollbar 0 horizontal, 1 vertical; thumbTrack while the thumb is dragged.
    void Scroll(int scrollbar, int value, int change, bool thumbTrack);
    // state 1 first move of the thumb, 2 further moves, 3 released. A
    // handler that sets cancelUpdate keeps the position where it is.
    void ScrollTrack(int scrollbar, int value, int state, QString &tip, bool &cancelUpdate);
    void ScrollBegin(int scrollbar);
    void ScrollEnd(int scrollbar);

private:
    void sclScrollbar_WndProc(QWidget *hWnd, QEvent *message, sendral::HookAnswer &answer);
    void track(int scrollbar, Scrollbar &bar, int state);
    void begin(int scrollbar);

    QPointer<QAbstractScrollArea> m_window;
    int m_style = 0;
    bool m_enabled = false;
    std::unique_ptr<Scrollbar> m_hscroll;
    std::unique_ptr<Scrollbar> m_vscroll;
    std::unique_ptr<sendral::MessageHook> m_hook;
    bool m_tracking = false;
    bool m_started = false;
};

} // namespace kelvane
