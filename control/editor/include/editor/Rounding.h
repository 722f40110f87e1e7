#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvane::editor {

// Nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), as
// the shapes' geometry rounds everywhere. Values beyond the int range are
// clamped to it and NaN gives 0, so that no input can make the result undefined.
inline int roundHalfEven(double value)
{
    if (!(value == value))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (value <= lo)
        return std::numeric_limits<int>::min();
    if (value >= hi)
        return std::numeric_limits<int>::max();
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(whole);
}

// a * b / c rounded half away from zero, with a 64-bit product, as the
// classic multiply-divide; 0 divides to 0.
inline int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t half = (c < 0 ? -std::int64_t(c) : std::int64_t(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t(c) : c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace kelvane::editor
