#pragma once

#include <QString>

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

namespace core {

// How the program reads a number from text: what a user typed into the form,
// a text value a report formats as a number, a text column the database layer
// turns into a number. One set of rules for all of them:
//
// - blanks around the number do not count; an empty text is no number;
// - an optional sign, "+" or "-";
// - digits with at most one decimal separator, a comma or a point whatever
//   the locale: "1234,5" and "1234.5" are the same number, and "1.234" is
//   1.234, as the amount boxes take it; "1." and ",5" are 1 and 0.5;
// - points group thousands only where they cannot be the decimal point: in
//   front of a decimal comma ("1.234,50") or when there are several
//   ("1.234.567"); every group then has three digits;
// - an optional exponent, "e" or "E", an optional sign and digits: "1,5E3";
// - the value is finite: "1e400", "inf" and "nan" are no numbers;
// - nothing else: no blanks inside, no currency signs, ASCII digits only.
struct NumberText {
    bool negative = false;
    QString whole;      // digits before the decimal separator, without group points
    QString fraction;   // digits after it
    int exponent = 0;

    static std::optional<NumberText> read(const QString &text);
    double toDouble() const;
};

// The number of text, nothing when it is none by the rules above.
std::optional<double> readNumber(const QString &text);

// value rounded to the nearest whole number (halves to even) as T, or nothing
// when value is no finite number or the whole number lies outside T's range,
// so that a conversion can never overflow.
template <typename T>
std::optional<T> roundedInteger(double value)
{
    static_assert(std::is_integral_v<T> && std::is_signed_v<T>);
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::nearbyint(value);
    // The lowest value is a power of two, so its double is exact; the highest
    // is not, and lies just below minus the lowest.
    const double lowest = static_cast<double>(std::numeric_limits<T>::min());
    if (whole < lowest || whole >= -lowest)
        return std::nullopt;
    return static_cast<T>(whole);
}

} // namespace core
