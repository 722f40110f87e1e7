#pragma once

#include "preview/PageNavigation.h"
#include "preview/PdfRoads.h"
#include "preview/PreviewScale.h"
#include "preview/ZoomFactor.h"

#include "core/WaitCursor.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QSize>

#include <functional>
#include <optional>

class QPrinter;
class QScreen;
class QScrollBar;

namespace report {

class PageCanvas;
class PreviewToolbar;
class ReportJob;

// The print preview ("Druckvorschau"): shows a laid-out report page by
// page, zooms, pans, copies to the clipboard and prints the pages chosen in
// the print dialog. Shown with exec(), it lays the report out and draws
// page 1 as it opens; for a direct run the caller calls ReadIt() alone.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    frmPrint(ReportJob &job, QPrinter &printer, QWidget *parent = nullptr);
    ~frmPrint() override;

    // What "Clip" puts on the clipboard; none set: an empty text.
    void setClipText(std::function<QString()> text) { m_clipText = std::move(text); }

    // The layout run; false when it did not complete (reported, or the
    // window closed while it went on).
    bool ReadIt();
    // Whether the layout is still going on, its pages shown as they come.
    bool layingOut() const { return m_laying; }
    // Lays the report out and shows page 1.
    void Output();
    // Applies the zoom factor: the canvas takes the page's size at the
    // zoom and the page shown is drawn again.
    void SetScale();
    // Draws page onto the canvas, or prints it as a job of its own.
    bool RenderPage(bool toScreen, int page);

    // The print dialog's answers.
    void setCopies(short copies) { m_copies = copies; }
    void setAllPages(bool allPages) { m_allPages = allPages; }
    short copies() const { return m_copies; }
    // Pages sent to the printer while the window was open.
    int pagesPrinted() const { return m_pagesPrinted; }
    bool allPages() const { return m_allPages; }

    ReportJob &job() const { return m_job; }
    const ZoomFactor &zoom() const { return m_scale.zoom(); }
    int shownPage() const { return m_navigation.shown(); }
    int totalPages() const { return m_navigation.total(); }

    // The toolbar's commands by key: "Erste", "Zurueck", "Vor", "Letzte",
    // "Clip", "Print", "PDF", "Mail", "Ende".
    void ButtonClick(const QString &key);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    void loadOnScreen();
    const QScreen *openingScreen() const;
    void placeCanvas();
    void showNavigation();
    void zoomBy(int steps);
    void printChosen();
    void pan(QPoint displacement);
    void setLaying(bool laying);
    bool layoutProgress(int pages);

    ReportJob &m_job;
    QPrinter &m_printer;
    std::function<QString()> m_clipText;

    PdfRoads m_pdf;
    PreviewScale m_scale;
    PageNavigation m_navigation;
    short m_copies = 0;
    int m_pagesPrinted = 0;
    bool m_allPages = false;
    bool m_loaded = false;
    bool m_onScreen = false;
    bool m_placing = false;
    bool m_placeKept = false;
    bool m_laying = false;             // the layout goes on, pages are shown as they come
    bool m_stopLayout = false;
    int m_wantedPage = 0;              // asked for before it was laid out
    std::optional<core::WaitCursor> m_waiting;
    QElapsedTimer m_lastLook;

    PreviewToolbar *m_toolbar = nullptr;
    PageCanvas *m_picView = nullptr;
    QScrollBar *m_hScroll = nullptr;
    QScrollBar *m_vScroll = nullptr;
};

} // namespace report
