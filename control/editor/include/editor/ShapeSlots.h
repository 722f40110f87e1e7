#pragma once

#include "editor/GraficObj.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

class QGraphicsScene;

namespace kelvane::editor {

enum class Stacking { Front, Back };

class DragGeometry;

// What a new shape takes from the toolbars, in picture pixels.
struct NewShapeStyle {
    ColorRef fill = 0xFFFFFF;
    ColorRef pen = 0;
    int penWidth = 1;
    bool transparent = false;
    // TEXT: the caption's font; an empty name keeps the text element's own.
    QString fontName;
    float fontSize = 12.0f;     // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// One slot as it is: enough to put it back exactly.
struct SlotState {
    bool shown = false;
    QString record;     // the shape's record at its place
    int zpos = 0;
    double drawOrder = 0;
    friend bool operator==(const SlotState &, const SlotState &) = default;
};

// The editor's array of shapes in picture pixels: slots that are hidden
// when a shape is deleted and reused by the next shape, the stacking
// positions (ZPos 0 front-most), the single selection and the copy record.
// The items live in the scene, which owns them; element 0 exists from the
// start, hidden.
class ShapeSlots : public QObject {
    Q_OBJECT
public:
    explicit ShapeSlots(QGraphicsScene &scene, QObject *parent = nullptr);

    int count() const { return int(m_shapes.size()); }
    GraficObj &Shape(int index) const { return *m_shapes[index]; }
    // Shown shapes are drawn, saved and reachable by the mouse.
    bool IsShown(int index) const { return m_shapes[index]->isVisible(); }
    int IndexOf(const GraficObj *shape) const { return int(m_shapes.indexOf(shape)); }

    // The lowest hidden slot (a new one when none is hidden), put in front.
    int AcquireShapeSlot();
    // A shown shape of this kind, 200 x 200 at `at`, in front.
    // A new TEXT reads "Text", also in a reused slot.
    int CreateShape(int kind, const NewShapeStyle &style, QPoint at, int size = 200);
    // A shape drawn with the mouse, placed where the drag says.
    int DrawShape(const DragGeometry &drag, const NewShapeStyle &style);
    void Reshape(int index, const DragGeometry &drag);
    void SetStacking(int index, Stacking where);
    void DeleteShape(int index);

    // Grips on (and the frame for TEXT) for one shape, off for the others.
    void SelectShape(int index);
    void DeselectAll();
    // The lowest index whose grips are shown, or -1.
    int Selected() const;

    // The selected shape's record at (0, 0); empty without a selection.
    QString CopySelected() const;
    // A shape from a copied record at `at`, shown, in front and selected;
    // -1 when the record cannot be read (the slot stays hidden).
    int Paste(const QString &record, QPoint at);
    // Every readable record of a script as a shown shape, the later ones in
    // front, placed at their positions plus `offset`. A record that cannot be
    // read (or names a kind the editor does not know) keeps a hidden slot of
    // its own at its place in the stacking, to be written back as it was.
    void LoadScript(const QString &script, QPoint offset);
    // The record a slot keeps unread; empty for a slot of a shape.
    QString KeptRecord(int index) const { return m_kept.value(index); }
    // How many records of the loaded script are kept unread.
    int KeptCount() const { return int(m_kept.size()); }

    // The zoom of the drawing area, for every shape's grips and tolerances
    // (new ones included) to keep their size on screen.
    void SetScreenScale(double scale);

    // Every slot as it is now, and one slot put back as it was.
    QList<SlotState> States() const;
    void Restore(int index, const SlotState &state);

Q_SIGNALS:
    // A new element of the array, for the window to wire its mouse signals.
    void ShapeAdded(int index);
    void SelectionChanged(int index);

private:
    QGraphicsScene &m_scene;
    QList<GraficObj *> m_shapes;
    // Slot index -> the record it stands for, never shown nor reused.
    QHash<int, QString> m_kept;
    // Drawing order: the front grows up, the back down; the picture lies
    // below every value reached here.
    double m_frontZ = 0;
    double m_backZ = 0;
    double m_scale = 1.0;
};

} // namespace kelvane::editor
