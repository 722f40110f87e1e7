#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <cstdint>

namespace kelvane::editor {

// A colour reference: red in the low byte, then green, then blue, kept
// signed as the overlay script writes it.
using ColorRef = std::int32_t;

inline QColor toQColor(ColorRef color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

inline ColorRef fromQColor(const QColor &color)
{
    return ColorRef(color.red() | (color.green() << 8) | (color.blue() << 16));
}

// The kinds of shape (Style). 1, 3, 4 and 5 are further outlines of the box,
// shown on screen but neither written to a script nor drawn into an overlay.
namespace ShapeStyle {
constexpr int DblArrow = -4;
constexpr int Arrow = -3;
constexpr int Text = -2;
constexpr int Line = -1;
constexpr int Rect = 0;
constexpr int Square = 1;
constexpr int Circle = 2;
constexpr int RoundCircle = 3;
constexpr int RoundedRect = 4;
constexpr int RoundedSquare = 5;
} // namespace ShapeStyle

constexpr int GripSize = 8;
constexpr int ArrowInset = 30;
constexpr int SelectionFrameWidth = 8;

// A stroke: Line1 (the line itself), Line2/Line3 (head at the end point),
// Line4/Line5 (head at the start point).
struct LineElement {
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int BorderWidth = 1;
    ColorRef BorderColor = 0;
    bool Visible = false;
};

// The box of RECT and CIRCLE (and the further outlines).
struct BoxElement {
    QRect Rect;
    int BorderWidth = 1;
    ColorRef BorderColor = 0;
    ColorRef FillColor = 0xFFFFFF;
    int FillStyle = 1;              // 0 transparent, 1 opaque
    int ShapeNumber = 0;            // the Style of box kinds
    bool Visible = false;
};

// The text of TEXT, wrapped at its width.
struct TextElement {
    QRect Rect;
    QString Caption = QStringLiteral("Text");
    QString FontName = QStringLiteral("MS Sans Serif");
    float FontSize = 12.0f;         // points
    bool Bold = false;
    bool Italic = false;
    bool Strikethrough = false;
    bool Underline = false;
    ColorRef ForeColor = 0;
    bool Visible = false;
};

} // namespace kelvane::editor
