#pragma once

#include <QByteArray>
#include <QString>

namespace phone {

// What a received file is, told by its bytes alone with cheap checks of our
// own (signatures, a JPEG's segments to its end): nothing here decodes.
enum class FileKind { None, Jpeg, Png, Gif, WebP, Heif, Tiff, Bmp, Pdf };

// The kind of the whole file's bytes; None for anything that is no picture
// or PDF (text, an archive, a program, a JPEG cut short).
FileKind sniffKind(QByteArrayView bytes);
// The kind of the file at path, read without copying it into memory.
FileKind sniffFile(const QString &path);

// The extension our own name for such a file gets ("jpg", "pdf"); "" for None.
QString extensionOf(FileKind kind);
// Its name for the list ("JPEG", "PDF").
QString nameOf(FileKind kind);

} // namespace phone
