// An overlay's bytes as read from the database: restored, drawn, and its
// byte image written again.
#include "sendral/OverlayGraphic.h"

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    sendral::OverlayGraphic overlay;
    if (!overlay.SetData(bytes)) {
        if (!overlay.IsEmpty())
            std::abort();
        return 0;
    }
    QImage target(64, 48, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);
    overlay.Draw(painter, 0, 0, target.width(), target.height());
    painter.end();

    // A restored overlay writes itself back as the same drawing.
    const std::optional<QByteArray> png = overlay.Data();
    sendral::OverlayGraphic again;
    if (!png || !again.SetData(*png) || again.Image() != overlay.Image() || again.Text() != overlay.Text())
        std::abort();
    return 0;
}
