#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace report {

// The preview's "In die Zwischenablage kopieren": the report's text, read
// from the database, onto the clipboard. Told over window either way; a
// failure says why and leaves the clipboard's text as it was when the text
// could not be read.
class ClipboardCopy {
public:
    // text none: an empty text. True when the clipboard holds the text.
    static bool copy(const std::function<QString()> &text, QWidget *window);
};

} // namespace report
