#pragma once

#include <QLine>
#include <QPointF>
#include <QRect>
#include <QStringView>

#include <optional>

namespace kelvane::editor {

// Where a shape drawn with the mouse goes, in picture pixels: from the
// point the button went down to where the mouse is now. A line or arrow
// runs from the one to the other, a box or text spans both; with Shift a
// line keeps to 45 degree steps and a box is a square. A mouse that stays
// within ClickDistance screen pixels of the press makes a click, which gives
// the ClickSize screen pixels square with its top-left at the press; once
// it went further it is a drag, also when it comes back.
class DragGeometry {
public:
    static constexpr int ClickDistance = 4;
    static constexpr int ClickSize = 200;

    // kind: a shape Style; zoom: screen pixels per picture pixel.
    DragGeometry(int kind, QPointF press, double zoom);

    int Kind() const { return m_kind; }
    void MoveTo(QPointF current, bool shift);

    bool IsClick() const;
    // Whether the shape is placed by its line (a drag of a line kind) or by
    // its box (a click, or any other kind).
    bool ByLine() const;
    QLine Line() const;
    QRect Box() const;

private:
    QPoint pressed() const;
    // The current point, kept to 45 degree steps or a square with Shift.
    QPoint constrained() const;

    int m_kind;
    QPointF m_press;
    QPointF m_current;
    double m_zoom;
    bool m_shift = false;
    bool m_dragged = false;
};

// The kind of shape a tbMain key makes ("Line", "Arrow", "DblArrow", "Rect",
// "Circle", "Text", compared without regard to case); none for other keys.
std::optional<int> ToolKind(QStringView key);

} // namespace kelvane::editor
