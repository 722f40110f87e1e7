#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QPaintDevice;

namespace sendral {

// The rendered annotation overlay of one picture: a transparent image of the
// picture's size that shapes are painted into, drawn later over the picture.
// Its byte image (Data) is the drawing as PNG, so that an overlay stored in
// the database comes back pixel for pixel, with its size and its text.
class OverlayGraphic {
public:
    OverlayGraphic();
    ~OverlayGraphic();
    OverlayGraphic(const OverlayGraphic &) = delete;
    OverlayGraphic &operator=(const OverlayGraphic &) = delete;

    // Starts a new, fully transparent drawing of the given size in HIMETRIC
    // (1/100 mm), turned into pixels at the reference device's resolution
    // (96 dpi without one). Replaces any earlier drawing. The painter belongs
    // to the overlay and stays valid until EndDraw.
    QPainter *BeginDraw(const QPaintDevice *reference, int widthHimetric, int heightHimetric,
                        const QString &text);
    // The painter of the drawing in progress; nullptr outside BeginDraw/EndDraw.
    QPainter *Painter() const { return m_painter.get(); }
    void EndDraw();

    // The drawing's own size in pixels; 0 x 0 for an empty overlay.
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    const QString &Text() const { return m_text; }
    bool IsEmpty() const { return m_image.isNull(); }
    // The drawing itself, transparent where nothing was drawn.
    const QImage &Image() const { return m_image; }

    // Draws the overlay over what the painter's device already holds, scaled
    // into the rectangle x, y, width, height.
    void Draw(QPainter &painter, int x, int y, int width, int height) const;

    // The byte image: empty for an empty overlay, else a PNG of the drawing;
    // nothing, with the PNG writer's reason in `error`, when it cannot be made.
    std::optional<QByteArray> Data(QString *error = nullptr) const;
    // Restores a drawing from a byte image; empty bytes give an empty overlay.
    // False, and the overlay left empty, when the bytes are no such image.
    bool SetData(const QByteArray &bytes);

    static int PixelsFromHimetric(int himetric, int dpi);
    static int HimetricFromPixels(int pixels, int dpi);

private:
    QImage m_image;
    QString m_text;
    std::unique_ptr<QPainter> m_painter;
};

} // namespace sendral
