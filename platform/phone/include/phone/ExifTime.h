#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <optional>

namespace phone {

// When a photo was taken, as its camera wrote it: the Exif DateTimeOriginal
// of a JPEG (else the picture's DateTime), read as local time. None when the
// bytes hold no such date or it is no valid one. Reads only what the
// offsets point at inside the bytes given; the start of the file is enough.
std::optional<QDateTime> exifTime(QByteArrayView jpeg);

// How much of the file's start exifTime() needs at most: the Exif segment
// comes first and is at most 64 KB long.
inline constexpr qsizetype kExifHeadBytes = 128 * 1024;

} // namespace phone
