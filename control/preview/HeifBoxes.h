#pragma once

#include <QByteArray>

namespace preview {

// Recent phones store an HDR gain map as an auxiliary picture that libheif
// 1.15 does not understand ("Too many auxiliary image references", "Type of
// auxiliary image unspecified"), and it then refuses the whole file. This
// renames the "auxl" references in the file's "iref" box to a type libheif
// passes over, in place (no offset changes), so that the primary picture
// reads. Returns how many were renamed; the bytes stay as they were when
// there is none or the boxes do not add up.
int hideAuxiliaryReferences(QByteArray &heif);

} // namespace preview
