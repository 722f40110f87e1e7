#pragma once

#include <QByteArray>

namespace quarvik {

// True when the JPEG bytes run from their start marker through their segments
// to an end-of-image marker after the first scan. Qt shows a JPEG cut short
// as a grey remainder without an error; this tells it apart. Markers inside
// embedded thumbnails do not count, as segments are skipped by their length.
bool jpegIsComplete(const QByteArray &bytes);

} // namespace quarvik
