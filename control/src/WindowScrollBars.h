#pragma once

#include <QEvent>
#include <QObject>

#include <cstdint>

class QAbstractScrollArea;
class QScrollBar;

namespace kelvane {

// A window's own scroll bars, as the scroll-bar classes drive them: the bars
// of a QAbstractScrollArea read and written through one scroll-information
// record, and their actions reported to the window as scroll messages.

// Bar codes.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_BOTH = 3;
// Arrow codes of EnableScrollBar.
constexpr int ESB_ENABLE_BOTH = 0;
constexpr int ESB_DISABLE_BOTH = 3;
// Mask bits of the record.
constexpr std::uint32_t SIF_RANGE = 1;
constexpr std::uint32_t SIF_PAGE = 2;
constexpr std::uint32_t SIF_POS = 4;
constexpr std::uint32_t SIF_TRACKPOS = 16;

struct ScrollInfo {
    std::uint32_t cbSize = 28;
    std::uint32_t fMask = 0;
    int nMin = 0;
    int nMax = 0;
    std::uint32_t nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// The fields of the mask; false without such a bar.
bool GetScrollInfo(QAbstractScrollArea *window, int bar, ScrollInfo &info);
// Sets the fields of the mask as the platform does: the page at most the
// range's width, the position within [min, max - page + 1]. Answers the
// resulting position.
int SetScrollInfo(QAbstractScrollArea *window, int bar, const ScrollInfo &info, bool redraw);
void ShowScrollBar(QAbstractScrollArea *window, int bar, bool show);
void EnableScrollBar(QAbstractScrollArea *window, int bar, int arrows);

// A scroll message sent to the window: the bar's action as a code (0 line
// up, 1 line down, 2 page up, 3 page down, 4 thumb released, 5 thumb
// dragged, 6 top, 7 bottom, 8 end of scroll).
class ScrollMessage : public QEvent {
public:
    static QEvent::Type HScroll();
    static QEvent::Type VScroll();
    ScrollMessage(QEvent::Type type, int code) : QEvent(type), Code(code) {}
    bool Vertical() const { return type() == VScroll(); }
    const int Code;
};

// Makes one of the window's bars report its actions as scroll messages to
// the window instead of moving by itself; further calls do nothing.
void WatchScrollBar(QAbstractScrollArea *window, int bar);

} // namespace kelvane
