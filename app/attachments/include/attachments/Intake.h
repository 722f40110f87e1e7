#pragma once

#include "attachments/CaseAttachment.h"

#include <optional>

namespace attachments {

// A file checked whole before it becomes an attachment, and the copy of it
// that is stored: a picture that decodes (HEIC turned into an upright JPEG),
// or a PDF whose first page can be drawn, put into the document container's
// own format as the attachment control stores documents. A folder, a missing
// or empty file, a damaged picture and any other kind of file are refused
// with the reason in German.
struct Intake {
    std::optional<CaseAttachment> item;
    QString refusal;
};

// The copy lies in the program's private temporary folder and belongs to
// the caller (AttachmentList takes it).
Intake takeIn(const IncomingFile &file);

// A stored attachment's content: the picture file's bytes as they are, a
// document's own bytes out of its container; empty when they cannot be read.
QByteArray contentOf(const QByteArray &stored, bool picture);

} // namespace attachments
