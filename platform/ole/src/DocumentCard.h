#pragma once

#include "ole/Document.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace ole {

// The picture of a document not shown as its content: its type's icon above
// the title (when given), its file name, its size and a note (when given),
// filling bound, transparent around icon and text.
QImage documentCard(const Document &document, const QSize &bound, const QString &title = {},
                    const QString &note = {});

} // namespace ole
