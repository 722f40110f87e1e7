#pragma once

#include "sandbox/PreviewResult.h"

#include <QString>

namespace quarvik {

// What the attachment control stores for a file the user inserts: the path
// to store and show, or why the file is refused.
struct PreparedPicture {
    QString path;           // the file to store; empty when refused
    QString error;          // German message for the user when refused
    bool temporary = false; // path is a converted copy the caller deletes
    bool ok() const { return error.isEmpty(); }
};

// Checks of picture files before they reach the view or the database.
class PictureImport {
public:
    // Why path cannot be taken as an attachment at all (a folder, missing,
    // empty, unreadable), in German; "" when it can.
    static QString refusalOf(const QString &path);

    // True when the file's content is a picture the view can show, whatever
    // its name says (a text file named .jpg is no picture, a JPEG named
    // .jpg.txt is one).
    static bool isPictureFile(const QString &path);

    // The one rule that tells a picture from a document: the content first
    // (a JPEG named .txt is a picture), then the last extension of the file
    // name (a damaged .jpg is a picture that prepare() refuses, not a
    // document). A folder's name never counts.
    static bool countsAsPicture(const QString &path);
    // The name's half of that rule: the file name's last extension is a picture kind's.
    static bool hasPictureExtension(const QString &path);

    // The same path for a sound picture; for HEIC/HEIF an upright temporary
    // JPEG; for an empty, damaged, mislabelled or oversized file a German
    // error and no path.
    static PreparedPicture prepare(const QString &path);

    // Decodes the picture at a small size in the preview program (cached
    // by content), so that a file that would fault or exhaust a decoder
    // stops there before the viewer in this process gets it. None when the
    // picture data decodes.
    static sandbox::PreviewFailure checkDecode(const QString &path);
};

} // namespace quarvik
