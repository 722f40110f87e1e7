#pragma once

#include <QByteArray>
#include <QString>

// File and text helpers of the attachment storage. The raising ones throw
// kelvane::KelvaneError.
namespace kelvane {

// The folder for temporary files: the variable "Temp", else "Tmp" (either
// spelt in any case), else the platform's own temporary folder.
QString TempFolder();

// True when Path names an existing file (not a folder); never raises.
bool FileExists(const QString &path);

// BaseName.Extension in the process's private folder inside TempFolder
// (PrivateTempFolders), or when that name is taken BaseName(1).Extension up
// to BaseName(999).Extension, the first that is free; any entry takes a
// name, also a dangling link. "" when all are taken, or when the private
// folder cannot be made (no application, TempFolder missing).
QString MakeTempFileName(const QString &baseName, const QString &extension);

// The whole file. Raises 53 for a missing file, 9 for an empty one, 75 when
// it cannot be read.
QByteArray ReadFileBytes(const QString &path);
// Writes the bytes as the file's whole content, made owner-only when new;
// raises 75 when it cannot, and when Path is a symbolic link.
void WriteFileBytes(const QString &path, const QByteArray &bytes);

// Deletes Path when it is not empty, else the file named by `tempFile` (the
// control's temporary file), which then becomes "". Never raises.
void DeleteTempFile(const QString &path, QString &tempFile);

// Two upper-case hexadecimal digits per byte, first byte first.
QString BytesToHex(const QByteArray &bytes);
// Half the text's length (halves rounded to even) bytes, each read from its
// two characters as a hexadecimal number; what is no hexadecimal digit ends
// that number ("1Z" is 1, "ZZ" is 0).
QByteArray HexToBytes(const QString &text);

} // namespace kelvane
