#pragma once

#include <QByteArray>

namespace preview {

// Recent phones store an HDR gain map as an auxiliary picture whose "auxl"
// reference names more than one picture; libheif 1.15 then refuses the whole
// file ("Too many auxiliary image references"). This renames such
// references in the file's "iref" box to a type libheif passes over, in
// place (no offset changes), so that the primary picture reads. Returns how
// many were renamed; the bytes stay as they were when there is none or the
// boxes do not add up.
int hideAmbiguousAuxiliaryReferences(QByteArray &heif);

} // namespace preview
