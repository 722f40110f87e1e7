#pragma once

#include <QImage>
#include <QString>

namespace phone {

// The text as a QR code (libqrencode, error correction M): black modules on
// white with the four-module quiet zone, each module `scale` pixels wide.
// A null image when the text does not fit into a QR code.
QImage qrCode(const QString &text, int scale = 6);

} // namespace phone
