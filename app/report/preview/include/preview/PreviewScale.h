#pragma once

#include "preview/ZoomFactor.h"

#include <QSize>
#include <QString>

class QPrinter;

namespace report {

// The preview's zoom as the user keeps it (the "Scale" setting of section
// Print): a zoom the user chose, now or before, is kept and written back;
// else the page opens fitted to the window and nothing is written.
class PreviewScale {
public:
    // Read from the per-user settings.
    static PreviewScale fromSettings();

    const ZoomFactor &zoom() const { return m_zoom; }
    bool kept() const { return m_kept; }
    // Until a zoom is kept, the page opens whole and as large as the window allows.
    void fitUnlessKept(QSize pageTwips, QSize inner, int toolbarHeight);
    // One step up (steps > 0) or down; a step taken is a chosen zoom. False at the limit.
    bool step(int steps);
    // Writes a kept zoom to the settings.
    void save() const;

    // The canvas of a page of pageTwips at the zoom, in pixels, at least 1 × 1.
    QSize canvasSize(QSize pageTwips) const;

    // The sheet of printer's page layout in twips (from millimetres, as
    // points are whole numbers and would lose the sheet's last twips).
    static QSize pageTwips(const QPrinter &printer);
    // Upright and landscape pages keep a window placement each: the
    // section "Print" or "Print Querformat".
    static QString placementSection(const QPrinter &printer);

private:
    ZoomFactor m_zoom;
    bool m_kept = false;
};

} // namespace report
