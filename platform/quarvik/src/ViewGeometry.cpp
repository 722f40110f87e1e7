#include "quarvik/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace quarvik {

void ViewGeometry::setZoom(double percent)
{
    if (std::isfinite(percent))
        m_zoom = std::clamp(percent, kMinZoom, kMaxZoom);
}

double ViewGeometry::zoom() const
{
    if (!m_fit || m_picture.isEmpty() || m_viewport.isEmpty())
        return m_zoom;
    const double across = double(m_viewport.width()) / m_picture.width();
    const double down = double(m_viewport.height()) / m_picture.height();
    return std::min(across, down) * 100.0;
}

QSize ViewGeometry::shownSize() const
{
    if (m_picture.isEmpty())
        return {};
    const double factor = zoom() / 100.0;
    // Fitted sizes round down so that the picture never needs a scroll bar.
    const auto side = [&](int pixels) {
        const double shown = pixels * factor;
        return std::max(1, int(m_fit ? std::floor(shown + 1e-9) : std::lround(shown)));
    };
    return {side(m_picture.width()), side(m_picture.height())};
}

QSize ViewGeometry::scrollRange() const
{
    const QSize shown = shownSize();
    return {std::max(0, shown.width() - m_viewport.width()), std::max(0, shown.height() - m_viewport.height())};
}

QRect ViewGeometry::pictureRect(const QPoint &scroll) const
{
    const QSize shown = shownSize();
    const QSize range = scrollRange();
    const auto place = [](int shownSide, int viewSide, int rangeSide, int offset) {
        return shownSide < viewSide ? (viewSide - shownSide) / 2 : -std::clamp(offset, 0, rangeSide);
    };
    return {QPoint(place(shown.width(), m_viewport.width(), range.width(), scroll.x()),
                   place(shown.height(), m_viewport.height(), range.height(), scroll.y())),
            shown};
}

QPointF ViewGeometry::pointAt(const QPoint &scroll, const QPointF &place) const
{
    const QRect shown = pictureRect(scroll);
    if (shown.isEmpty())
        return {0.5, 0.5};
    const auto fraction = [](double at, int start, int length) { return std::clamp((at - start) / length, 0.0, 1.0); };
    return {fraction(place.x(), shown.x(), shown.width()), fraction(place.y(), shown.y(), shown.height())};
}

QPoint ViewGeometry::scrollToPut(const QPointF &fraction, const QPointF &place) const
{
    const QSize shown = shownSize();
    const QSize range = scrollRange();
    return {std::clamp(int(std::lround(fraction.x() * shown.width() - place.x())), 0, range.width()),
            std::clamp(int(std::lround(fraction.y() * shown.height() - place.y())), 0, range.height())};
}

QSize ViewGeometry::decodeSize(double devicePixelRatio) const
{
    if (m_picture.isEmpty())
        return {};
    const QSize shown = shownSize();
    const QSize device(int(std::ceil(shown.width() * devicePixelRatio)), int(std::ceil(shown.height() * devicePixelRatio)));
    if (device.width() >= m_picture.width() || device.height() >= m_picture.height())
        return m_picture;
    return device;
}

} // namespace quarvik
