#pragma once

#include "preview/PageNavigation.h"
#include "preview/ZoomFactor.h"

#include <QDialog>
#include <QSize>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QScreen;
class QScrollBar;
class QToolBar;

namespace report {

class PageCanvas;
class ReportJob;
class UpDownButtons;

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

    // The layout run; false when it did not complete (reported).
    bool ReadIt();
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
    const ZoomFactor &zoom() const { return m_zoom; }
    int shownPage() const { return m_navigation.shown(); }
    int totalPages() const { return m_navigation.total(); }

    // The toolbar's commands by key: "Erste", "Zurueck", "Vor", "Letzte",
    // "Clip", "Print", "PDF", "Ende".
    void ButtonClick(const QString &key);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    QAction *addButton(const QString &key, const QString &tooltip);
    QAction *addPlaceholder(int widthTwips, const QList<QWidget *> &content = {});
    void loadOnScreen();
    // Upright and landscape pages keep a window placement each.
    QString placementSection() const;
    const QScreen *openingScreen() const;
    QSize pageTwips() const;
    QSize canvasSize() const;
    void placeCanvas();
    void showNavigation();
    void zoomBy(int steps);
    void copyToClipboard();
    void printChosen();
    void saveAsPdf();
    QString askPdfFile(const QString &suggested);
    void pan(QPoint displacement);

    ReportJob &m_job;
    QPrinter &m_printer;
    std::function<QString()> m_clipText;

    ZoomFactor m_zoom;
    PageNavigation m_navigation;
    short m_copies = 0;
    int m_pagesPrinted = 0;
    bool m_allPages = false;
    bool m_loaded = false;
    bool m_onScreen = false;
    bool m_placing = false;
    // A zoom the user chose (now or before) is kept; else the page opens fitted.
    bool m_zoomKept = false;
    bool m_placeKept = false;

    QToolBar *m_toolbar = nullptr;
    QAction *m_first = nullptr;
    QAction *m_back = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QLabel *m_lblZoom = nullptr;
    QLineEdit *m_txtScale = nullptr;
    UpDownButtons *m_updScale = nullptr;
    QLineEdit *m_txtPage = nullptr;
    QLineEdit *m_txtPages = nullptr;
    PageCanvas *m_picView = nullptr;
    QScrollBar *m_hScroll = nullptr;
    QScrollBar *m_vScroll = nullptr;
};

} // namespace report
