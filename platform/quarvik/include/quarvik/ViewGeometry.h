#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace quarvik {

// Where the viewer puts a picture: the zoom in percent (fitted or chosen),
// the shown size, the scroll range, the picture's place in the viewport and
// the size it needs decoded. Sizes are the upright picture's pixels and the
// viewport's logical pixels.
class ViewGeometry {
public:
    static constexpr double kMinZoom = 1.0;
    static constexpr double kMaxZoom = 1600.0;

    void setPictureSize(const QSize &size) { m_picture = size; }
    QSize pictureSize() const { return m_picture; }
    void setViewportSize(const QSize &size) { m_viewport = size; }
    QSize viewportSize() const { return m_viewport; }

    // The chosen zoom, kept while size-to-fit is on and used again after.
    void setZoom(double percent);
    double chosenZoom() const { return m_zoom; }
    void setSizeToFit(bool on) { m_fit = on; }
    bool sizeToFit() const { return m_fit; }

    // The zoom shown: fitted into the viewport (both ways) or the chosen one.
    double zoom() const;
    QSize shownSize() const;
    // The largest scroll offsets; 0 where the picture fits in.
    QSize scrollRange() const;
    // The shown picture in viewport coordinates: centred where it is smaller
    // than the viewport, else moved by the scroll offsets.
    QRect pictureRect(const QPoint &scroll) const;
    // Where a viewport point lies in the picture, as fractions of its width
    // and height, and the scroll offsets that bring that picture point back
    // under the viewport point: a zoom step keeps in view what the user was
    // looking at (the centre for the buttons, the mouse for the wheel).
    QPointF pointAt(const QPoint &scroll, const QPointF &place) const;
    QPoint scrollToPut(const QPointF &fraction, const QPointF &place) const;
    QPointF viewportCentre() const { return {m_viewport.width() / 2.0, m_viewport.height() / 2.0}; }
    // The decoded size that shows it sharp on a screen of that pixel ratio:
    // the shown size in device pixels, never more than the picture itself.
    QSize decodeSize(double devicePixelRatio) const;

private:
    QSize m_picture;
    QSize m_viewport;
    double m_zoom = 100.0;
    bool m_fit = false;
};

} // namespace quarvik
