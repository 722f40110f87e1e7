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

} // namespace ole
