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

} // namespace list
