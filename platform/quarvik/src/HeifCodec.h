#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace quarvik::heif {

// True when the first bytes of a file are those of a HEIC/HEIF picture.
bool looksLikeHeif(const QByteArray &head);

// Both read the file at path or, when bytes is not empty, those bytes (path
// then only names them in messages).

// The primary picture's size as it is shown (turned and mirrored as the file
// says); invalid with a German error when libheif cannot read the file.
QSize uprightSize(const QString &path, const QByteArray &bytes, QString *error);

// The primary picture decoded upright; null with a German error on failure.
QImage decode(const QString &path, const QByteArray &bytes, QString *error);

} // namespace quarvik::heif
