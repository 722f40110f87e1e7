#pragma once

#include <QString>
#include <QStringList>

namespace core {

// One road from a face name written in a report, an overlay script or a
// setting to the family that is drawn, the same on screen, in a PDF and on
// the printer: a face that is installed is itself; a Windows face that is not
// is its metric-compatible twin ("Arial" -> "Liberation Sans", "MS Sans Serif"
// -> "Liberation Sans"), so that text takes the same width everywhere.
class FontFaces {
public:
    // The installed family drawn for a written face; "" when neither the face
    // nor a twin of it is installed (the caller picks its fallback).
    static QString resolve(const QString &written);
    // The installed families by the names users know them: without foundry
    // tags ("C059 [UKWN]" -> "C059"), each once, in alphabetical order.
    static QStringList familyNames();
    static QString withoutFoundry(const QString &family);
};

} // namespace core
