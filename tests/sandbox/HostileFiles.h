#pragma once

#include <QByteArray>
#include <QString>

// Files made to break a parser, and stand-in preview programs that
// misbehave, for the tests of the road through kelvane-preview.
namespace hostile {

// A one-page PDF whose page draws `content` (stored with contentFilter),
// with an image XObject /Im1 of the given dictionary and stream.
QByteArray pdf(const QByteArray &content, const QByteArray &contentFilter = {}, const QByteArray &imageDictionary = {},
               const QByteArray &imageStream = {});
// Deflated (zlib) `pattern` repeated to `total` bytes, made in pieces.
QByteArray deflatedRepeat(const QByteArray &pattern, qint64 total);

// A page whose content stream inflates to 512 MB of path points.
QByteArray inflatingPdf();
// A page drawing a 60,000 x 60,000 image.
QByteArray hugeImagePdf();
// A PDF cut off after its header and part of its first object.
QByteArray damagedPdf();
// A HEIC whose boxes after "ftyp" are garbage.
QByteArray damagedHeic();
// A PNG cut off in its picture data.
QByteArray truncatedPng();
// A GIF declaring 65,535 x 65,535 pixels.
QByteArray gifBomb();

// A simple WebP file (as Qt writes it) made into an extended one with an
// EXIF orientation (1 to 8), as a phone writes it.
QByteArray webpWithOrientation(const QByteArray &simpleWebp, int width, int height, int orientation);

// A stand-in preview program in folder: a shell script running body.
QString standIn(const QString &folder, const QString &name, const QByteArray &body);

} // namespace hostile
