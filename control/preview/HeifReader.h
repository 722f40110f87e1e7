#pragma once

#include <QByteArray>
#include <QImage>

namespace preview {

bool looksLikeHeif(const QByteArray &bytes);

struct HeifOutcome {
    QImage image;          // the primary picture upright; null on failure
    bool tooLarge = false; // declares more than maxPixels
};

// The primary picture only: auxiliary pictures (depth, HDR gain maps) and
// thumbnails are not decoded.
HeifOutcome readHeif(const QByteArray &bytes, qint64 maxPixels);

} // namespace preview
