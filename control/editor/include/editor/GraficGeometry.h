#pragma once

#include "editor/ShapeElements.h"

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

#include <array>

namespace kelvane::editor {

// The geometry of one annotation shape: its kind, its place in the container,
// the rectangle its grips span (WorkRect), the grips and the elements laid
// out from them, the grip drag and the hit test. No widget: the item that
// shows it on screen (GraficObj) and the overlay drawing (GraficPainter) sit
// beside it, and tests drive it directly. All coordinates are pixels of the
// shape's client area, except while a grip is dragged (see BeginGripDrag).
class GraficGeometry {
public:
    struct Rect {
        int Left = 0, Top = 0, Width = 0, Height = 0;
        friend bool operator==(const Rect &, const Rect &) = default;
    };

    // A 200 x 200 LINE at (0, 0), grips hidden.
    GraficGeometry();

    // Properties as the editor sets them; each write re-lays out as needed.
    ColorRef FillColor() const;
    void SetFillColor(ColorRef color);             // LINE and TEXT: ignored
    bool Transparenz() const;
    void SetTransparenz(bool transparent);         // LINE and TEXT: ignored
    ColorRef PenColor() const;
    void SetPenColor(ColorRef color);
    int PenWidth() const;
    void SetPenWidth(int width);                   // 0 or less: ignored, still repainted
    int Style() const { return m_style; }
    void SetStyle(int style);
    bool ShowGrips() const { return m_showGrips; }
    void SetShowGrips(bool show);
    bool ShowFrame() const { return m_showFrame; }
    void SetShowFrame(bool show) { m_showFrame = show; }

    // The elements, for the editor to read and set caption and font directly.
    TextElement &Label() { return m_label; }
    const TextElement &Label() const { return m_label; }
    const BoxElement &Shape() const { return m_box; }
    const LineElement &Line() const { return m_lines[0]; }
    // Line1 to Line5 (index 0 to 4).
    const LineElement &LineAt(int index) const { return m_lines[index]; }

    // Stacking position kept by the editor: 0 front-most, larger further back.
    int ZPos = 0;

    // Place in the container. Move keeps the size; Place also sizes, which
    // resets WorkRect (unless a grip is dragged) and re-lays out.
    QRect Geometry() const { return {m_left, m_top, m_width, m_height}; }
    void Move(int left, int top);
    void Place(int left, int top, int width, int height);
    // Line kinds: placed and sized so that Line1 runs from `from` to `to`
    // (container pixels), as a drawn line is.
    void PlaceLine(QPoint from, QPoint to);
    // Re-lays out grips and elements from WorkRect.
    void Repaint();

    const Rect &WorkRect() const { return m_work; }
    int StartGrip() const { return m_startGrip; }
    int EndGrip() const { return m_endGrip; }
    // Grip i (0..8) in the shape's coordinates and whether it is shown.
    // The grips lay out the elements in shape pixels whatever the zoom.
    QRect GripRect(int grip) const { return m_grips[grip]; }
    bool GripVisible(int grip) const { return m_gripVisible[grip]; }

    // What the user sees and clicks keeps its size on screen. `scale` is
    // screen pixels per shape pixel (the editor's zoom); at 1 the areas
    // below are the grips and tolerances themselves.
    // Grip i as shown: GripSize screen pixels square around its centre.
    QRectF GripArea(int grip, double scale = 1.0) const;
    // The visible grip under a point, or -1.
    int GripAt(QPointF point, double scale = 1.0) const;
    // How far grips and line tolerances reach beyond the shape's place, in
    // shape pixels: nothing at 1 and above.
    static double ScreenMargin(double scale);
    bool GripDragging() const { return m_gripDragging; }

    // Line kinds: makes StartGrip and EndGrip agree with Line1's direction.
    void OrientLineGrips();
    // Line kinds: the line's box plus the grips (and the arrow heads' room);
    // other kinds: the element's rectangle.
    QRect ContentBounds() const;

    // Grip drag. Positions are on the grip, relative to its top-left corner
    // (the grip follows the mouse). BeginGripDrag moves the shape to (0, 0)
    // of its container and makes it at least `container` large, so that
    // everything is in container coordinates until EndGripDrag shrinks the
    // shape to its content again.
    void BeginGripDrag(int grip, QPointF onGrip, QSize container);
    void DragGrip(int grip, QPointF onGrip);
    void EndGripDrag();

    // Whether a click at this point (shape pixels) belongs to the shape; the
    // tolerances for thin strokes and borders are screen pixels.
    bool HitTest(QPointF point, double scale = 1.0) const;

    // The shape's record of the overlay script with X, Y as its position;
    // empty for kinds the script has no keyword for.
    QString Serialize(int x, int y) const;
    // Rebuilds the shape from one record and places it at its fields 1 to 4
    // plus the offsets. False, and the shape left as it was, for a record
    // that cannot be read (too few fields, a field that is not a number,
    // a size out of any picture's range). A record that cannot be read with
    // its escapes is tried once more as written before captions were
    // escaped (a caption ending in a backslash).
    bool BuildObj(QStringView record, int offsetX = 0, int offsetY = 0);

    static bool IsLineKind(int style);

private:
    void resetWorkRect(bool addPosition);
    void resized();
    void layoutGrips();
    void updateGripVisibility();
    void layoutLine();
    void layoutArrow(int headLength, bool both);
    void layoutBox();
    void orientLineGrips(double x1, double y1, double x2, double y2);
    void applyVisibility();
    bool buildObj(QStringView record, int offsetX, int offsetY, bool escaped);

    int m_style = ShapeStyle::Line;
    bool m_showGrips = false;
    bool m_showFrame = false;
    int m_left = 0, m_top = 0, m_width = 200, m_height = 200;
    Rect m_work;
    int m_startGrip = 0;
    int m_endGrip = 8;
    bool m_gripDragging = false;
    QPoint m_dragOrigin;
    std::array<QRect, 9> m_grips{};
    std::array<bool, 9> m_gripVisible{};
    std::array<LineElement, 5> m_lines{};
    BoxElement m_box;
    TextElement m_label;
};

} // namespace kelvane::editor
