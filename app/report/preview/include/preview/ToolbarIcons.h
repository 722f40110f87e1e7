#pragma once

#include <QIcon>
#include <QString>

namespace report {

// The preview toolbar's pictures, drawn for this program at 32 and 64
// pixels: paging arrows, a clipboard, a printer, a PDF sheet and an open door.
QIcon previewIcon(const QString &key);

} // namespace report
