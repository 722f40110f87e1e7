#include "preview/ZoomFactor.h"

#include <algorithm>
#include <cmath>

namespace report {

ZoomFactor::ZoomFactor(int tenths) : m_tenths(std::clamp(tenths, MinTenths, MaxTenths)) {}

ZoomFactor ZoomFactor::fromSetting(double scale)
{
    if (!std::isfinite(scale))
        return ZoomFactor();
    // The setting is the factor × 10: its whole part is the factor's first decimal.
    const double tenths = std::nearbyint(std::clamp(scale, double(MinTenths), double(MaxTenths)));
    return ZoomFactor(static_cast<int>(tenths));
}

QString ZoomFactor::percentText() const { return QString::number(m_tenths * 10) + QStringLiteral(" %"); }

bool ZoomFactor::stepUp()
{
    if (m_tenths >= MaxTenths)
        return false;
    ++m_tenths;
    return true;
}

bool ZoomFactor::stepDown()
{
    if (m_tenths <= MinTenths)
        return false;
    --m_tenths;
    return true;
}

} // namespace report
