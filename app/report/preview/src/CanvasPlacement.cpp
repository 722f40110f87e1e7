#include "preview/CanvasPlacement.h"
#include "preview/ZoomFactor.h"

#include "core/Twips.h"

#include <algorithm>
#include <cmath>

namespace report {
namespace {

ScrollRange range(bool shown, int excess, int value)
{
    ScrollRange r;
    r.shown = shown;
    r.maximum = std::max(0, excess);
    r.largeChange = std::max(1, r.maximum / 5);
    r.smallChange = std::max(1, r.maximum / 20);
    r.value = std::clamp(value, 0, r.maximum);
    return r;
}

} // namespace

CanvasPlacement placeCanvas(QSize inner, int toolbarHeight, QSize canvas, int horizontalValue, int verticalValue)
{
    const int below = core::twipsToPixels(CanvasMarginBelowTwips);
    const int right = core::twipsToPixels(CanvasMarginRightTwips);
    const int room = inner.height() - toolbarHeight;

    CanvasPlacement p;
    p.vertical = range(canvas.height() > room, toolbarHeight + canvas.height() + below - inner.height(), verticalValue);
    p.horizontal = range(canvas.width() > inner.width(), canvas.width() + right - inner.width(), horizontalValue);

    const int left = p.horizontal.shown ? -p.horizontal.value : (inner.width() - canvas.width()) / 2;
    const int top = p.vertical.shown ? toolbarHeight - p.vertical.value + below
                                     : toolbarHeight + (room - canvas.height()) / 2;
    p.canvasPos = QPoint(left, top);
    return p;
}

QSize previewWindowSize(QSizeF page, QSize screen, QSize toolbar)
{
    const double width = screen.width() * 0.95;
    const double height = screen.height() * 0.95;
    const double room = std::max(1.0, height - toolbar.height());
    QSize size(static_cast<int>(width), static_cast<int>(height));
    if (page.isEmpty())
        return size;
    // Relatively wider than the room below the toolbar: the width decides.
    if (page.width() / page.height() > width / room)
        size.setHeight(static_cast<int>(std::lround(width * page.height() / page.width())) + toolbar.height());
    else
        size.setWidth(static_cast<int>(std::lround(room * page.width() / page.height())));
    size.setWidth(std::min(std::max(size.width(), toolbar.width()), static_cast<int>(width)));
    return size;
}

QRect previewWindowRect(QSizeF page, const QRect &screen, QSize toolbar, const QRect &remembered)
{
    const QRect onScreen = remembered & screen;
    if (!remembered.isEmpty() && 2 * qint64(onScreen.width()) * onScreen.height() >= qint64(remembered.width()) * remembered.height()) {
        QRect kept(remembered.topLeft(), remembered.size().boundedTo(screen.size()));
        kept.moveLeft(std::clamp(kept.left(), screen.left(), screen.right() + 1 - kept.width()));
        kept.moveTop(std::clamp(kept.top(), screen.top(), screen.bottom() + 1 - kept.height()));
        return kept;
    }
    const QSize size = previewWindowSize(page, screen.size(), toolbar);
    return {QPoint(screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2),
            size};
}

int fitZoomTenths(QSize pageTwips, QSize inner, int toolbarHeight)
{
    int tenths = ZoomFactor::MaxTenths;
    const auto fits = [&](int t) {
        return core::twipsToPixels(pageTwips.width() * t / 10.0) <= inner.width() &&
               core::twipsToPixels(pageTwips.height() * t / 10.0) <= inner.height() - toolbarHeight;
    };
    while (tenths > ZoomFactor::MinTenths && !fits(tenths))
        --tenths;
    return tenths;
}

} // namespace report
