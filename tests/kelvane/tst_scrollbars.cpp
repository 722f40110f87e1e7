#include "kelvane/Scrollbars.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

using namespace kelvane;

namespace {

// Every event of a Scrollbars pair as one line of text, in order.
class Recorder : public QObject {
public:
    explicit Recorder(Scrollbars &bars)
    {
        connect(&bars, &Scrollbars::Scroll, this, [this](int bar, int value, int change, bool thumb) {
            log.append(QStringLiteral("Scroll %1 %2 %3%4").arg(bar).arg(value).arg(change).arg(thumb ? " track" : ""));
        });
        connect(&bars, &Scrollbars::ScrollTrack, this,
                [this](int bar, int value, int state, QString &tip, bool &cancelUpdate) {
                    log.append(QStringLiteral("Track %1 %2 %3").arg(bar).arg(value).arg(state));
                    QVERIFY(tip.isEmpty() && !cancelUpdate);
                    cancelUpdate = cancelStates.contains(state);
                });
        connect(&bars, &Scrollbars::ScrollBegin, this, [this](int bar) { log.append(QStringLiteral("Begin %1").arg(bar)); });
        connect(&bars, &Scrollbars::ScrollEnd, this, [this](int bar) { log.append(QStringLiteral("End %1").arg(bar)); });
    }
    QStringList take() { return std::exchange(log, {}); }

    QStringList log;
    QList<int> cancelStates;
};

QPoint centreOf(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    if (bar->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct Window {
    QAbstractScrollArea area;
    Window()
    {
        area.resize(300, 200);
        area.show();
    }
};

} // namespace

class TestScrollbars : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void positionWritesRaiseScrollOnlyForAMove();
    void pageWiderThanTheRangeIsNotDisplayed();
    void styleDecidesWhichBarsExist();
    void arrowClickIsOneSequence();
    void thumbDragReportsItsStates();
};

void TestScrollbars::positionWritesRaiseScrollOnlyForAMove()
{
    Window window;
    Scrollbars bars;
    bars.Setup(&window.area, 3);
    Recorder recorder(bars);
    Scrollbar &h = *bars.HScroll();
    h.SetRange(0, 1000, 100);
    QCOMPARE(h.Min(), 0);
    QCOMPARE(h.Max(), 1000);
    QCOMPARE(h.PageSize(), 100);
    QVERIFY(recorder.take().isEmpty());

    h.SetValue(0);
    QVERIFY(recorder.take().isEmpty());
    h.SetValue(50);
    QCOMPARE(recorder.take(), QStringList{"Scroll 0 50 50"});
    // Beyond the end: the last position a full page can have.
    h.SetValue(5000);
    QCOMPARE(recorder.take(), QStringList{"Scroll 0 901 851"});
    QCOMPARE(h.Value(), 901);
    // A smaller range moves the position with it, and says so.
    h.SetMax(500);
    QCOMPARE(h.Min(), 0);
    QCOMPARE(recorder.take(), QStringList{"Scroll 0 401 -500"});
    h.SetSingleStep(7);
    h.MoveThumb(0);
    h.MoveThumb(2);
    h.MoveThumb(6);
    h.MoveThumb(9);   // no such code
    h.MoveThumb(7);
    QCOMPARE(recorder.take(), (QStringList{"Scroll 0 394 -7", "Scroll 0 294 -100", "Scroll 0 0 -294", "Scroll 0 401 401"}));

    bars.VScroll()->SetValue(10);   // range 0..0 after Setup: stays
    QVERIFY(recorder.take().isEmpty());
}

void TestScrollbars::pageWiderThanTheRangeIsNotDisplayed()
{
    Window window;
    Scrollbars bars;
    bars.Setup(&window.area, 1);
    Scrollbar &v = *bars.VScroll();
    v.SetRange(0, 50, 100);
    QCOMPARE(v.Max(), 50);
    QCOMPARE(v.PageSize(), 51);
    QVERIFY(!v.CurrentlyDisplayed());
    v.SetRange(0, 100, 100);
    QVERIFY(v.CurrentlyDisplayed());

    bars.SetEnabled(false);
    QVERIFY(!window.area.verticalScrollBar()->isEnabled());
    bars.SetEnabled(true);
    QVERIFY(window.area.verticalScrollBar()->isEnabled());
    v.SetVisible(false);
    QCOMPARE(window.area.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestScrollbars::styleDecidesWhichBarsExist()
{
    Window window;
    {
        Scrollbars bars;
        bars.Setup(&window.area, 0);
        QVERIFY(bars.HScroll());
        QVERIFY(!bars.VScroll());
        QCOMPARE(window.area.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        Recorder recorder(bars);
        // The vertical bar's actions are not watched.
        window.area.verticalScrollBar()->setRange(0, 100);
        window.area.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(recorder.take().isEmpty());
        // The horizontal one's are, also from the keyboard: one sequence each.
        bars.HScroll()->SetRange(0, 100, 10);
        window.area.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(recorder.take(), (QStringList{"Begin 0", "Scroll 0 10 10", "End 0"}));
    }
    // The bars hide themselves when the pair goes.
    QCOMPARE(window.area.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestScrollbars::arrowClickIsOneSequence()
{
    Window window;
    Scrollbars bars;
    bars.Setup(&window.area, 3);
    bars.VScroll()->SetRange(0, 500, 100);
    bars.VScroll()->SetSingleStep(25);
    Recorder recorder(bars);
    QScrollBar *bar = window.area.verticalScrollBar();
    const QPoint arrow = centreOf(bar, QStyle::SC_ScrollBarAddLine);
    sendMouse(bar, QEvent::MouseButtonPress, arrow, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, arrow, Qt::NoButton);
    QCOMPARE(recorder.take(), (QStringList{"Begin 1", "Scroll 1 25 25", "End 1"}));
    QCOMPARE(bar->value(), 25);   // our step, not the bar's own
    // The next click starts a new sequence.
    sendMouse(bar, QEvent::MouseButtonPress, centreOf(bar, QStyle::SC_ScrollBarSubLine), Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, centreOf(bar, QStyle::SC_ScrollBarSubLine), Qt::NoButton);
    QCOMPARE(recorder.take(), (QStringList{"Begin 1", "Scroll 1 0 -25", "End 1"}));
}

void TestScrollbars::thumbDragReportsItsStates()
{
    Window window;
    Scrollbars bars;
    bars.Setup(&window.area, 3);
    bars.HScroll()->SetRange(0, 1000, 100);
    Recorder recorder(bars);
    QScrollBar *bar = window.area.horizontalScrollBar();
    const QPoint thumb = centreOf(bar, QStyle::SC_ScrollBarSlider);
    sendMouse(bar, QEvent::MouseButtonPress, thumb, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, thumb + QPoint(20, 0), Qt::LeftButton);
    const int first = bar->value();
    sendMouse(bar, QEvent::MouseMove, thumb + QPoint(40, 0), Qt::LeftButton);
    const int second = bar->value();
    sendMouse(bar, QEvent::MouseButtonRelease, thumb + QPoint(40, 0), Qt::NoButton);
    QVERIFY(first > 0 && second > first);
    QCOMPARE(recorder.take(), (QStringList{"Begin 0", QStringLiteral("Track 0 %1 1").arg(first),
                                           QStringLiteral("Scroll 0 %1 %1 track").arg(first),
                                           QStringLiteral("Track 0 %1 2").arg(second),
                                           QStringLiteral("Scroll 0 %1 %2 track").arg(second).arg(second - first),
                                           QStringLiteral("Track 0 %1 3").arg(second), "End 0"}));

    // A handler that cancels the updates while dragging keeps the position
    // until the thumb is released.
    recorder.cancelStates = {1, 2};
    const QPoint from = centreOf(bar, QStyle::SC_ScrollBarSlider);
    sendMouse(bar, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, from + QPoint(30, 0), Qt::LeftButton);
    QCOMPARE(bar->value(), second);
    sendMouse(bar, QEvent::MouseButtonRelease, from + QPoint(30, 0), Qt::NoButton);
    const QStringList log = recorder.take();
    QCOMPARE(log.size(), 5);
    QCOMPARE(log[0], QStringLiteral("Begin 0"));
    QVERIFY(log[1].endsWith(u" 1"));
    QVERIFY(log[2].endsWith(u" 3"));
    QCOMPARE(log[3], QStringLiteral("Scroll 0 %1 %2").arg(bar->value()).arg(bar->value() - second));
    QCOMPARE(log[4], QStringLiteral("End 0"));
}

QTEST_MAIN(TestScrollbars)
#include "tst_scrollbars.moc"
