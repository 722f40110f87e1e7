#include "WindowScrollBars.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QHash>
#include <QScrollBar>

#include <limits>

namespace kelvane {

namespace {

// The range and page last set through a record, with the bar's own range
// they gave; the bar cannot hold a page wider than its range by itself.
const char *const kRangeProperty = "kelvaneScrollRange";

struct Range {
    int min = 0, max = 0, page = 0;
};

QScrollBar *barOf(QAbstractScrollArea *window, int bar)
{
    if (!window)
        return nullptr;
    return bar == SB_VERT ? window->verticalScrollBar() : window->horizontalScrollBar();
}

Range rangeOf(const QScrollBar *bar)
{
    const QList<int> stored = bar->property(kRangeProperty).value<QList<int>>();
    if (stored.size() == 4 && stored[0] == bar->minimum() && stored[3] == bar->maximum()
        && stored[2] == bar->pageStep())
        return {stored[0], stored[1], stored[2]};
    // Set by someone else (the scroll area itself): taken from the bar.
    const int page = bar->pageStep();
    return {bar->minimum(), bar->maximum() + qMax(page - 1, 0), page};
}

void applyRange(QScrollBar *bar, Range range)
{
    const qint64 width = qint64(range.max) - range.min + 1;
    range.page = int(qBound<qint64>(0, qint64(range.page), qMax<qint64>(width, 0)));
    const int top = int(qMax<qint64>(range.min, qint64(range.max) - qMax(range.page - 1, 0)));
    bar->setProperty(kRangeProperty, QVariant::fromValue(QList<int>{range.min, range.max, range.page, top}));
    bar->setPageStep(range.page);
    bar->setRange(range.min, top);
}

int codeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return 0;
    case QAbstractSlider::SliderSingleStepAdd: return 1;
    case QAbstractSlider::SliderPageStepSub: return 2;
    case QAbstractSlider::SliderPageStepAdd: return 3;
    case QAbstractSlider::SliderToMinimum: return 6;
    case QAbstractSlider::SliderToMaximum: return 7;
    default: return -1;
    }
}

// Turns one window's bar actions into scroll messages to the window. The
// bars do not move themselves: whoever handles the messages sets the
// position, so the bar's own step after an action is taken back.
class ScrollMessageSource : public QObject {
public:
    explicit ScrollMessageSource(QAbstractScrollArea *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("kelvaneScrollMessages"));
    }

    void watch(int bar)
    {
        QScrollBar *scrollBar = barOf(m_window, bar);
        if (m_types.contains(scrollBar))
            return;
        watch(scrollBar, bar == SB_VERT ? ScrollMessage::VScroll() : ScrollMessage::HScroll());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_forwarding)
            return false;
        auto *bar = qobject_cast<QScrollBar *>(watched);
        if (!bar)
            return false;
        if (event->type() == QEvent::MouseButtonPress)
            m_pressed = bar;
        if (event->type() != QEvent::MouseButtonRelease || m_pressed != bar)
            return false;
        // The bar finishes its own release (thumb released) before the
        // sequence ends.
        m_forwarding = true;
        QCoreApplication::sendEvent(bar, event);
        m_forwarding = false;
        m_pressed = nullptr;
        send(bar, 8);
        return true;
    }

private:
    void watch(QScrollBar *bar, QEvent::Type type)
    {
        bar->setTracking(false);
        bar->installEventFilter(this);
        m_types.insert(bar, type);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { onAction(bar, action); });
        connect(bar, &QAbstractSlider::sliderMoved, this, [this, bar] { send(bar, 5); });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] {
            send(bar, 4);
            bar->setSliderPosition(bar->value());
        });
    }

    void onAction(QScrollBar *bar, int action)
    {
        if (action == QAbstractSlider::SliderMove) {
            if (bar->isSliderDown())
                return;   // reported by sliderMoved
            // Wheel and keys: the thumb set to its new place at once.
            send(bar, 4);
            send(bar, 8);
        } else if (codeOf(action) >= 0) {
            send(bar, codeOf(action));
            if (m_pressed != bar)
                send(bar, 8);
        }
        bar->setSliderPosition(bar->value());
    }

    void send(QScrollBar *bar, int code)
    {
        ScrollMessage message(m_types.value(bar), code);
        QCoreApplication::sendEvent(m_window, &message);
    }

    QAbstractScrollArea *m_window;
    QHash<QScrollBar *, QEvent::Type> m_types;
    QScrollBar *m_pressed = nullptr;
    bool m_forwarding = false;
};

} // namespace

QEvent::Type ScrollMessage::HScroll()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type ScrollMessage::VScroll()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool GetScrollInfo(QAbstractScrollArea *window, int bar, ScrollInfo &info)
{
    const QScrollBar *scrollBar = barOf(window, bar);
    if (!scrollBar)
        return false;
    const Range range = rangeOf(scrollBar);
    if (info.fMask & SIF_RANGE) {
        info.nMin = range.min;
        info.nMax = range.max;
    }
    if (info.fMask & SIF_PAGE)
        info.nPage = std::uint32_t(range.page);
    if (info.fMask & SIF_POS)
        info.nPos = scrollBar->value();
    if (info.fMask & SIF_TRACKPOS)
        info.nTrackPos = scrollBar->sliderPosition();
    return true;
}

int SetScrollInfo(QAbstractScrollArea *window, int bar, const ScrollInfo &info, bool redraw)
{
    QScrollBar *scrollBar = barOf(window, bar);
    if (!scrollBar)
        return 0;
    if (info.fMask & (SIF_RANGE | SIF_PAGE)) {
        Range range = rangeOf(scrollBar);
        if (info.fMask & SIF_RANGE) {
            range.min = info.nMin;
            range.max = info.nMax;
        }
        if (info.fMask & SIF_PAGE)
            range.page = int(qMin<std::uint32_t>(info.nPage, std::uint32_t(std::numeric_limits<int>::max())));
        applyRange(scrollBar, range);
    }
    if (info.fMask & SIF_POS) {
        scrollBar->setValue(info.nPos);
        scrollBar->setSliderPosition(scrollBar->value());
    }
    if (redraw)
        scrollBar->update();
    return scrollBar->value();
}

void ShowScrollBar(QAbstractScrollArea *window, int bar, bool show)
{
    if (!window)
        return;
    const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (bar == SB_HORZ || bar == SB_BOTH)
        window->setHorizontalScrollBarPolicy(policy);
    if (bar == SB_VERT || bar == SB_BOTH)
        window->setVerticalScrollBarPolicy(policy);
}

void EnableScrollBar(QAbstractScrollArea *window, int bar, int arrows)
{
    if (!window)
        return;
    const bool enable = arrows != ESB_DISABLE_BOTH;
    if (bar == SB_HORZ || bar == SB_BOTH)
        window->horizontalScrollBar()->setEnabled(enable);
    if (bar == SB_VERT || bar == SB_BOTH)
        window->verticalScrollBar()->setEnabled(enable);
}

void WatchScrollBar(QAbstractScrollArea *window, int bar)
{
    if (!window)
        return;
    auto *source = static_cast<ScrollMessageSource *>(
        window->findChild<QObject *>(QStringLiteral("kelvaneScrollMessages"), Qt::FindDirectChildrenOnly));
    if (!source)
        source = new ScrollMessageSource(window);   // owned by the window
    source->watch(bar);
}

} // namespace kelvane
