#include "preview/PreviewScale.h"

#include "preview/CanvasPlacement.h"

#include "core/Twips.h"
#include "core/UserSettings.h"

#include <QPrinter>

#include <cmath>

namespace report {
namespace {
const QString kPrint = QStringLiteral("Print");
const QString kScale = QStringLiteral("Scale");
} // namespace

PreviewScale PreviewScale::fromSettings()
{
    PreviewScale scale;
    scale.m_kept = !core::UserSettings::value(kPrint, kScale).isEmpty();
    scale.m_zoom = ZoomFactor::fromSetting(core::UserSettings::number(kPrint, kScale, ZoomFactor::DefaultSetting));
    return scale;
}

void PreviewScale::fitUnlessKept(QSize pageTwips, QSize inner, int toolbarHeight)
{
    if (!m_kept)
        m_zoom = ZoomFactor(fitZoomTenths(pageTwips, inner, toolbarHeight));
}

bool PreviewScale::step(int steps)
{
    if (!(steps > 0 ? m_zoom.stepUp() : m_zoom.stepDown()))
        return false;
    m_kept = true;
    return true;
}

void PreviewScale::save() const
{
    if (m_kept)
        core::UserSettings::setNumber(kPrint, kScale, m_zoom.setting());
}

QSize PreviewScale::canvasSize(QSize pageTwips) const
{
    return QSize(std::max(1, core::twipsToPixels(pageTwips.width() * m_zoom.factor())),
                 std::max(1, core::twipsToPixels(pageTwips.height() * m_zoom.factor())));
}

QSize PreviewScale::pageTwips(const QPrinter &printer)
{
    const QRectF page = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    constexpr double twipsPerMm = 1440 / 25.4;
    return QSize(static_cast<int>(std::lround(page.width() * twipsPerMm)),
                 static_cast<int>(std::lround(page.height() * twipsPerMm)));
}

QString PreviewScale::placementSection(const QPrinter &printer)
{
    // An upright report and a landscape list want windows of other shapes.
    return printer.pageLayout().orientation() == QPageLayout::Portrait ? kPrint : kPrint + QStringLiteral(" Querformat");
}

} // namespace report
