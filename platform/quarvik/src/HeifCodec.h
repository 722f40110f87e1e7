#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace quarvik::heif {

// True when the first bytes of a file are those of a HEIC/HEIF picture (its
// "ftyp" box names a HEIF brand).
bool looksLikeHeif(const QByteArray &head);

// HEIC/HEIF is read by the preview program only (libheif is not linked into
// this process): it answers with the primary picture upright as a JPEG,
// cached by content, which these functions read.

// Each reads the file at path or, when bytes is not empty, those bytes (path
// then only names them in messages).

// The upright JPEG; empty with a German error when the file cannot be read.
QByteArray uprightJpeg(const QString &path, const QByteArray &bytes, QString *error);

// The primary picture's size as it is shown; invalid with a German error.
QSize uprightSize(const QString &path, const QByteArray &bytes, QString *error);

// The primary picture decoded upright; null with a German error on failure.
QImage decode(const QString &path, const QByteArray &bytes, QString *error);

} // namespace quarvik::heif
