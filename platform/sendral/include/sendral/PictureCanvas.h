#pragma once

#include <QImage>

#include <memory>

class QBrush;
class QPainter;
class QPaintDevice;
class QRect;
class QSize;

namespace sendral {

// A picture that can be drawn on: either a picture of the caller's, attached
// so that drawing changes it, or a blank one the canvas makes and owns.
class PictureCanvas {
public:
    PictureCanvas();
    ~PictureCanvas();
    PictureCanvas(const PictureCanvas &) = delete;
    PictureCanvas &operator=(const PictureCanvas &) = delete;

    // Drawing goes into `picture` itself, which must outlive the canvas or a
    // later Attach. Pictures in a format that cannot be painted on (indexed,
    // monochrome) are turned into 32-bit ones first.
    void Attach(QImage &picture);
    // A blank picture of `size` in the format `device` draws in: transparent
    // where that format has an alpha channel, black otherwise.
    void CreateCompatible(const QPaintDevice *device, const QSize &size);

    // The painter into the picture, begun on first use; nullptr without one.
    QPainter *Painter();
    void FillRect(const QRect &rect, const QBrush &brush);

    // Ends painting and gives the drawn result; a copy that is the caller's.
    QImage Picture();
    // The picture being drawn on; nullptr without one.
    QImage *Bitmap() const { return m_target; }

private:
    void endPainting();

    QImage m_own;
    QImage *m_target = nullptr;
    std::unique_ptr<QPainter> m_painter;
};

} // namespace sendral
