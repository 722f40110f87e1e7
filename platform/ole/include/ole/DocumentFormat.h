#pragma once

#include "ole/Document.h"

#include <optional>

class QIODevice;

namespace ole {

// The container's own storage format (written down at the reader in
// DocumentFormat.cpp). Both work from the device's current position, so a
// document can be one part of a larger file.

// Writes the document; false with the German reason in error when the
// device refuses the bytes.
bool writeDocument(QIODevice &device, const Document &document, QString *error = nullptr);

// Reads one document; nothing and the German reason in error for anything
// that is not exactly a document of this format. Never allocates more than
// the device holds.
std::optional<Document> readDocument(QIODevice &device, QString *error = nullptr);

// A file of this format: by its content (the magic line) or else by the
// file name's last extension ".ole" (a damaged stored document).
bool isStoredDocumentFile(const QString &path);
// What the file at path holds: a stored document read back, any other file
// embedded as it is. Raises OleError with the German reason.
Document documentOfFile(const QString &path);

} // namespace ole
