#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

#include <optional>

namespace phone {

// One file a phone sent, as it lies on this side: checked to be a picture or
// a PDF, in the receiver's private temporary folder under a name of ours.
// The file stays there while the receiver lives; whoever keeps it takes a copy.
struct IncomingFile {
    QString path;                         // ours; never made from what the phone sent
    QString originalName;                 // the phone's name, for display only
    std::optional<QDateTime> exifTime;    // when the photo was taken, where it says so
    QString sha256;                       // of the bytes received, lower-case hex
    QString kind;                         // "JPEG", "PNG", "HEIC", "PDF" ...
    qint64 size = 0;
};

} // namespace phone

Q_DECLARE_METATYPE(phone::IncomingFile)
