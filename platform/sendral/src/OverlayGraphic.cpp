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

// True when bytes are a PNG signature followed by chunks that each lie
// wholly inside the bytes, up to IEND or the end. A damaged length would otherwise have
// the decoder reserve and clear as much memory as the length claims, up to
// 2 GB for a few bytes, before it finds the data missing.
bool chunksFit(const QByteArray &bytes)
{
    static constexpr char signature[] = "\x89PNG\r\n\x1a\n";
    if (!bytes.startsWith(QByteArrayView(signature, 8)))
        return false;
    qsizetype at = 8;
    while (bytes.size() - at >= 12) {
        const auto byte = [&](qsizetype i) { return quint32(quint8(bytes.at(at + i))); };
        const quint32 length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        if (length > quint32(bytes.size() - at - 12))
            return false;
        if (bytes.mid(at + 4, 4) == "IEND")
            return true;
        at += 12 + qsizetype(length);
    }
    // Too few bytes left to claim any length: the decoder finds the end itself.
    return true;
}
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

std::optional<QByteArray> OverlayGraphic::Data(QString *error) const
{
    if (m_image.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    writer.setText(kTextKey, m_text);
    if (!writer.write(m_image)) {
        if (error)
            *error = writer.errorString();
        return std::nullopt;
    }
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
    if (!chunksFit(bytes) || !image.loadFromData(bytes, "PNG"))
        return false;
    m_text = image.text(kTextKey);
    m_image = image.convertToFormat(QImage::Format_ARGB32);
    return true;
}

} // namespace sendral
