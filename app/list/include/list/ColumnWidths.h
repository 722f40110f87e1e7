#pragma once

#include <QString>

#include <array>
#include <stdexcept>

namespace list {

// Widths in twips of the list's eight visible columns, as the settings key
// Spalten holds them: each number followed by ";". 0 hides a column.
using ColumnWidths = std::array<int, 8>;

inline const QString DefaultColumnWidthsText = QStringLiteral("600;1000;900;2000;6500;700;1200;600;");

// A part of the stored text that is no number.
class WidthsError : public std::runtime_error {
public:
    WidthsError() : std::runtime_error("Typen unverträglich") {}
    static constexpr long Number = 13;
};

// Anything but eight numbers and the empty rest after the last ";" gives
// the default widths; a number above 10000 or below 0 gives 1000.
// Throws WidthsError for a part that is no number.
ColumnWidths parseColumnWidths(const QString &text);

// The stored widths were measured against the classic 8-point dialog font,
// whose average character is 5 pixels wide at 96 dots per inch: a wider font
// widens the columns alike, so that the texts they were made for still fit.
// The width of a column that takes the room the others leave: the room
// left in a viewport that wide, but never less than its own width.
inline int fillWidth(int ownWidth, int viewportWidth, int othersWidth)
{
    return viewportWidth - othersWidth > ownWidth ? viewportWidth - othersWidth : ownWidth;
}

class ColumnScale {
public:
    static constexpr int ClassicCharWidth = 5;

    explicit ColumnScale(int averageCharWidth = ClassicCharWidth)
        : m_factor(averageCharWidth > ClassicCharWidth ? double(averageCharWidth) / ClassicCharWidth : 1.0) {}

    // 0 stays 0 (a hidden column); any other width is at least one pixel.
    int toPixels(int twips) const;
    int toTwips(int pixels) const;
    // The width to store for a column now `pixels` wide that was laid out
    // from `twips`: unchanged unless the user changed the column.
    int keptOrMeasured(int twips, int pixels) const;

private:
    double m_factor;
};

} // namespace list
