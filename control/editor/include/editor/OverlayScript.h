#pragma once

#include "editor/GraficGeometry.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

namespace kelvane::editor {

// The overlay script of one picture: its shapes' records, back to front,
// each followed by "#".
namespace OverlayScript {

// The records of a script in their order (rear-most first): the pieces
// between the terminators, the rest after the last one not counted. A
// terminator written escaped inside a caption does not end a record.
QList<QStringView> Records(QStringView script);

// Whether the record's keyword is one of the six kinds, letter case included.
bool NamesKnownKind(QStringView record);

struct ReadResult {
    std::vector<GraficGeometry> shapes;   // back to front
    int skipped = 0;                      // records that could not be read
};

// Every readable record as a shape placed at its position plus the offsets;
// records that cannot be read are counted and left out.
ReadResult Read(QStringView script, int offsetX = 0, int offsetY = 0);

// One shape written at the position it has on the picture.
struct Placed {
    const GraficGeometry *shape;
    int x;
    int y;
};

// The script of these shapes, back to front.
QString Write(const std::vector<Placed> &shapes);

} // namespace OverlayScript

} // namespace kelvane::editor
