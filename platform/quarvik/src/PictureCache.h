#pragma once

#include "quarvik/PictureReader.h"

#include <QImage>
#include <QString>

#include <optional>

namespace quarvik {

// The one decoded copy of the shown picture, at the size the view needs: a
// fitted view of a large photo holds a small decode, a zoomed one the full
// picture, and dropping back to a small size lets the large one go.
class PictureCache {
public:
    bool open(const QString &path);
    void clear();
    bool isOpen() const { return m_reader.has_value(); }
    QString errorString() const { return m_error; }
    QSize uprightSize() const;

    // The held picture, decoded again when it is smaller than needed or more
    // than four times the area needed. Null when decoding fails; a picture
    // that failed is not decoded again until it is opened again.
    const QImage &imageFor(const QSize &needed);
    // Lets a held picture larger than keep go.
    void releaseAbove(const QSize &keep);
    QSize decodedSize() const { return m_image.size(); }

    // Decodes for a caller without keeping the result beyond what is held.
    QImage full();
    QImage scaled(const QSize &bound);

private:
    std::optional<PictureReader> m_reader;
    QImage m_image;
    QString m_error;
    bool m_failed = false;
};

} // namespace quarvik
