#include "sendral/OverlayGraphic.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace sendral {
namespace {

// The key under which the overlay's text travels inside the PNG.
const QString kTextKey = QStringLiteral("Description");

constexpr int kDefaultDpi = 96;
constexpr double kHimetricPerInch = 2540.0;

} // namespace

OverlayGraphic::OverlayGraphic() = default;

OverlayGraphic::~OverlayGraphic()
{
    EndDraw();
}

int OverlayGraphic::PixelsFromHimetric(int himetric, int dpi)
{
    return int(std::lround(himetric * double(dpi) / kHimetricPerInch));
}

int OverlayGraphic::HimetricFromPixels(int pixels, int dpi)
{
    return int(std::lround(pixels * kHimetricPerInch / double(dpi)));
}

QPainter *OverlayGraphic::BeginDraw(const QPaintDevice *reference, int widthHimetric, int heightHimetric,
                                    const QString &text)
{
    EndDraw();
    const int dpiX = reference ? reference->logicalDpiX() : kDefaultDpi;
    const int dpiY = reference ? reference->logicalDpiY() : kDefaultDpi;
    const int width = std::max(0, PixelsFromHimetric(widthHimetric, dpiX));
    const int height = std::max(0, PixelsFromHimetric(heightHimetric, dpiY));
    m_text = text;
    if (width == 0 || height == 0) {
        m_image = QImage();
        return nullptr;
    }
    // Not premultiplied: the PNG holds exactly these values, so a drawing read
    // back is the same drawing to the last bit.
    m_image = QImage(width, height, QImage::Format_ARGB32);
    m_image.fill(Qt::transparent);
    m_painter = std::make_unique<QPainter>(&m_image);
    return m_painter.get();
}

void OverlayGraphic::EndDraw()
{
    if (!m_painter)
        return;
    m_painter->end();
    m_painter.reset();
}

void OverlayGraphic::Draw(QPainter &painter, int x, int y, int width, int height) const
{
    if (m_image.isNull() || width <= 0 || height <= 0)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QRect(x, y, width, height), m_image);
    painter.restore();
}

QByteArray OverlayGraphic::Data() const
{
    if (m_image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    writer.setText(kTextKey, m_text);
    writer.write(m_image);
    return bytes;
}

bool OverlayGraphic::SetData(const QByteArray &bytes)
{
    EndDraw();
    m_image = QImage();
    m_text.clear();
    if (bytes.isEmpty())
        return true;
    QImage image;
    if (!image.loadFromData(bytes, "PNG"))
        return false;
    m_text = image.text(kTextKey);
    m_image = image.convertToFormat(QImage::Format_ARGB32);
    return true;
}

} // namespace sendral
