#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include <memory>

namespace sendral {
class OverlayGraphic;
}

namespace varnholt::demo {

// Where a demo photo shows its damage: the dent's centre and its height
// (it is drawn 1.3 times as wide as high).
struct Damage {
    QPointF centre;
    qreal radius = 0;
};

// An overlay as the annotation editor leaves one: its script and its drawing
// at the picture's size.
struct Annotation {
    QString script;
    std::unique_ptr<sendral::OverlayGraphic> overlay;
};

// A red arrow coming from above left whose head touches the dent's rim, and
// `word` above the arrow's tail, sized for the picture and kept inside it.
// Built from the editor's own shapes, written by its script writer and drawn
// by the shapes' own drawing, so that the editor opens it as it drew it.
Annotation annotateDamage(QSize picture, const Damage &damage, const QString &word);

} // namespace varnholt::demo
