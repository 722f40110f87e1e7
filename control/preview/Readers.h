#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace preview {

// A picture read from outside bytes, or the exit status that says why not
// (sandbox::ExitStatus).
struct Outcome {
    QImage image;
    int status = 0;
};

// The format is taken from the content, never from a name: a PDF's first
// page, a HEIC/HEIF's primary picture, anything Qt's image plugins read.
// Pictures come upright (EXIF or the file's own rotation).
//
// fitted(): fitted into bound keeping its proportions (a PDF page is drawn
// at that size, a picture scaled to it).
Outcome fitted(const QByteArray &bytes, const QSize &bound);
// The whole picture upright, for storing as JPEG.
Outcome whole(const QByteArray &bytes);

} // namespace preview
