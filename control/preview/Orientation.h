#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

namespace preview {

// The EXIF orientation of a WebP file (its "EXIF" chunk), which Qt's WebP
// reader does not look at; TransformationNone when there is none.
QImageIOHandler::Transformations webpOrientation(const QByteArray &webp);

// The picture turned as the transformation says (mirrored first, then
// turned a quarter clockwise), as Qt's own readers do.
QImage transformed(QImage image, QImageIOHandler::Transformations transformation);

} // namespace preview
