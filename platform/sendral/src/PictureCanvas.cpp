#include "sendral/PictureCanvas.h"

#include <QBrush>
#include <QPainter>
#include <QRect>
#include <QSize>

namespace sendral {
namespace {

bool paintable(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Alpha8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return false;
    default:
        return true;
    }
}

} // namespace

PictureCanvas::PictureCanvas() = default;

PictureCanvas::~PictureCanvas()
{
    endPainting();
}

void PictureCanvas::endPainting()
{
    if (!m_painter)
        return;
    m_painter->end();
    m_painter.reset();
}

void PictureCanvas::Attach(QImage &picture)
{
    endPainting();
    if (!picture.isNull() && !paintable(picture.format()))
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    m_target = &picture;
}

void PictureCanvas::CreateCompatible(const QPaintDevice *device, const QSize &size)
{
    endPainting();
    QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    if (device && device->devType() == QInternal::Image) {
        const QImage::Format own = static_cast<const QImage *>(device)->format();
        if (paintable(own))
            format = own;
    }
    m_own = QImage(size, format);
    m_own.fill(Qt::transparent);
    m_target = &m_own;
}

QPainter *PictureCanvas::Painter()
{
    if (!m_target || m_target->isNull())
        return nullptr;
    if (!m_painter)
        m_painter = std::make_unique<QPainter>(m_target);
    return m_painter.get();
}

void PictureCanvas::FillRect(const QRect &rect, const QBrush &brush)
{
    if (QPainter *painter = Painter())
        painter->fillRect(rect, brush);
}

QImage PictureCanvas::Picture()
{
    endPainting();
    return m_target ? m_target->copy() : QImage();
}

} // namespace sendral
