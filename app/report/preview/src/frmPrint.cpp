#include "preview/frmPrint.h"

#include "preview/CanvasPlacement.h"
#include "preview/ClipboardCopy.h"
#include "preview/PageCanvas.h"
#include "preview/PreviewToolbar.h"
#include "preview/PrintChoice.h"
#include "preview/PrintRun.h"
#include "preview/frmDruckmenu.h"

#include "report/ReportJob.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"

#include "dao/Error.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

#include <optional>

namespace report {

frmPrint::frmPrint(ReportJob &job, QPrinter &printer, QWidget *parent)
    : QDialog(parent), m_job(job), m_printer(printer),
      m_pdf(job, this, [this](const QString &suggested) { return PdfRoads::askWithDialog(this, suggested); })
{
    buildWindow();
    m_scale = PreviewScale::fromSettings();
}

const QScreen *frmPrint::openingScreen() const
{
    // The screen of the window it is opened from, else the one the mouse is on.
    if (parentWidget() && parentWidget()->screen())
        return parentWidget()->screen();
    if (const QScreen *pointed = QGuiApplication::screenAt(QCursor::pos()))
        return pointed;
    return QGuiApplication::primaryScreen();
}

frmPrint::~frmPrint() = default;

void frmPrint::buildWindow()
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Druckvorschau"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(shade);
    setAutoFillBackground(true);

    m_picView = new PageCanvas(this);
    m_picView->setObjectName(QStringLiteral("picView"));
    connect(m_picView, &PageCanvas::dragged, this, &frmPrint::pan);

    m_hScroll = new QScrollBar(Qt::Horizontal, this);
    m_hScroll->setObjectName(QStringLiteral("hScroll"));
    m_vScroll = new QScrollBar(Qt::Vertical, this);
    m_vScroll->setObjectName(QStringLiteral("VScroll"));
    for (QScrollBar *bar : {m_hScroll, m_vScroll}) {
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, &frmPrint::placeCanvas);
    }

    m_toolbar = new PreviewToolbar(this);
    connect(m_toolbar, &PreviewToolbar::triggered, this, &frmPrint::ButtonClick);
    connect(m_toolbar, &PreviewToolbar::zoomStep, this, &frmPrint::zoomBy);
    showNavigation();

    resize(core::twipsToPixels(9000), core::twipsToPixels(11000));
}

bool frmPrint::ReadIt()
{
    // A long list takes a while to lay out: its first page shows as soon as
    // it is laid out, the rest follows while the window answers.
    const bool growing = m_onScreen && m_job.layoutTakesAWhile();
    std::optional<core::WaitCursor> hourglass;
    if (growing)
        m_waiting.emplace();
    else
        hourglass.emplace();
    try {
        bool done = false;
        if (growing) {
            setLaying(true);
            done = m_job.layout([this](int pages) { return layoutProgress(pages); });
            setLaying(false);
            m_waiting.reset();
        } else {
            done = m_job.layout();
        }
        m_navigation.setTotal(m_job.totalPages());
        hourglass.reset();
        for (const QString &problem : m_job.layoutProblems())
            core::showMessage(problem, core::MsgIcon::None, core::MsgButtons::Ok, {}, this);
        return done;
    } catch (const dao::DaoError &error) {
        // A run broken off leaves no pages to show.
        setLaying(false);
        m_waiting.reset();
        m_navigation.setTotal(0);
        hourglass.reset();
        core::showMessage(QStringLiteral("Fehler beim Drucken: ") + error.description(), core::MsgIcon::Information,
                          core::MsgButtons::Ok, {}, this);
        return false;
    }
}

void frmPrint::setLaying(bool laying)
{
    m_laying = laying;
    m_navigation.setGrowing(laying);
    m_toolbar->setLaying(laying);
}

bool frmPrint::layoutProgress(int pages)
{
    if (m_stopLayout)
        return false;
    const bool wanted = m_wantedPage > 0 && pages >= m_wantedPage;
    // The window answers a few times a second; each look costs the layout little.
    if (pages > 1 && !wanted && m_lastLook.isValid() && m_lastLook.elapsed() < 100)
        return true;
    m_navigation.setTotal(pages);
    m_toolbar->showTotal(m_navigation.totalText());
    if (m_navigation.shown() < 1 || wanted) {
        const int page = m_navigation.shown() < 1 ? 1 : m_wantedPage;
        m_wantedPage = 0;
        RenderPage(true, page);
        m_waiting.reset();
    } else {
        showNavigation();
    }
    m_lastLook.restart();
    QCoreApplication::processEvents();
    return !m_stopLayout;
}

void frmPrint::Output()
{
    ReadIt();
    if (m_stopLayout)
        return;
    m_toolbar->showPage(QString::number(m_navigation.total()));
    m_toolbar->showTotal(QString::number(m_navigation.total()));
    // A page asked for while the layout went on is shown now that it is there.
    const int wanted = std::min(m_wantedPage, m_navigation.total());
    m_wantedPage = 0;
    RenderPage(true, wanted > 0 ? wanted : std::max(1, m_navigation.shown()));
}

void frmPrint::loadOnScreen()
{
    m_loaded = true;
    m_onScreen = true;
    const QSize page = PreviewScale::pageTwips(m_printer);
    const QRect remembered = core::UserSettings::placement(PreviewScale::placementSection(m_printer));
    m_placeKept = !remembered.isNull();
    if (const QScreen *screen = openingScreen()) {
        const QRect rect =
            previewWindowRect(QSizeF(page), screen->availableGeometry(), m_toolbar->bar()->sizeHint(), remembered);
        resize(rect.size());
        move(rect.topLeft());
    }
    // Until the user chooses a zoom, the page opens whole and as large as the window allows.
    m_scale.fitUnlessKept(page, size(), m_toolbar->bar()->sizeHint().height());
    m_toolbar->showZoom(m_scale.zoom().percentText());
    m_picView->resize(m_scale.canvasSize(page));
    placeCanvas();
    // Drawn once the canvas has the size it is shown at; a long list once
    // the window is up, so that its first page shows while the rest is laid out.
    if (m_job.layoutTakesAWhile())
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                Output();
        });
    else
        Output();
}

void frmPrint::SetScale()
{
    m_toolbar->showZoom(m_scale.zoom().percentText());
    m_picView->hide();
    m_picView->resize(m_scale.canvasSize(PreviewScale::pageTwips(m_printer)));
    placeCanvas();
    if (m_navigation.shown() >= 1)
        RenderPage(true, m_navigation.shown());
    m_picView->show();
}

void frmPrint::zoomBy(int steps)
{
    if (m_scale.step(steps))
        SetScale();
}

bool frmPrint::RenderPage(bool toScreen, int page)
{
    if (!toScreen) {
        // Printing leaves the page shown as it is.
        const bool printed = PrintRun(m_job, m_printer, this).printPage(page, m_navigation.total());
        showNavigation();
        return printed;
    }
    if (m_laying && page > m_navigation.total()) {
        // Not laid out yet: shown as soon as it is, with the hourglass till then.
        m_wantedPage = page;
        if (!m_waiting)
            m_waiting.emplace();
        return false;
    }
    if (page < 1 || page > m_navigation.total())
        return false;
    std::optional<core::WaitCursor> hourglass(std::in_place);
    bool drawn = false;
    try {
        QImage image = m_picView->blankPage();
        QPainter painter(&image);
        drawn = m_job.renderPage(painter, page, QRectF(QPointF(0, 0), QSizeF(m_picView->size())),
                                 RenderOptions{true, m_scale.zoom().factor()});
        painter.end();
        if (drawn) {
            m_picView->setPage(std::move(image));
            m_navigation.setShown(page);
        }
    } catch (const dao::DaoError &error) {
        // A picture that cannot be read: the page is not shown without it.
        hourglass.reset();
        core::showMessage(QStringLiteral("Fehler beim Drucken: ") + error.description(), core::MsgIcon::Information,
                          core::MsgButtons::Ok, {}, this);
        drawn = false;
    }
    showNavigation();
    return drawn;
}

void frmPrint::showNavigation()
{
    m_toolbar->showNavigation(m_navigation);
}

void frmPrint::placeCanvas()
{
    if (m_placing)
        return;
    m_placing = true;
    QToolBar *toolbar = m_toolbar->bar();
    const int toolbarHeight = toolbar->sizeHint().height();
    toolbar->setGeometry(0, 0, width(), toolbarHeight);
    const CanvasPlacement p =
        report::placeCanvas(size(), toolbarHeight, m_picView->size(), m_hScroll->value(), m_vScroll->value());
    const int barWidth = m_vScroll->sizeHint().width();
    const int barHeight = m_hScroll->sizeHint().height();
    const auto apply = [](QScrollBar *bar, const ScrollRange &r) {
        bar->setRange(0, r.maximum);
        bar->setPageStep(r.largeChange);
        bar->setSingleStep(r.smallChange);
        bar->setValue(r.value);
        bar->setVisible(r.shown);
    };
    apply(m_hScroll, p.horizontal);
    apply(m_vScroll, p.vertical);
    m_vScroll->setGeometry(width() - barWidth, toolbarHeight, barWidth,
                           height() - toolbarHeight - (p.horizontal.shown ? barHeight : 0));
    m_hScroll->setGeometry(0, height() - barHeight, width() - (p.vertical.shown ? barWidth : 0), barHeight);
    m_picView->move(p.canvasPos);
    m_hScroll->raise();
    m_vScroll->raise();
    toolbar->raise();
    m_placing = false;
}

void frmPrint::pan(QPoint displacement)
{
    // The bars keep their values within their range, and the canvas follows.
    m_hScroll->setValue(m_hScroll->value() - displacement.x());
    m_vScroll->setValue(m_vScroll->value() - displacement.y());
}

void frmPrint::ButtonClick(const QString &key)
{
    if (const int page = m_navigation.target(key))
        RenderPage(true, page);
    else if (key == u"Clip")
        ClipboardCopy::copy(m_clipText, this);
    else if (key == u"Print")
        printChosen();
    else if (key == u"PDF")
        m_pdf.save();
    else if (key == u"Mail")
        m_pdf.mail();
    else if (key == u"Ende")
        close();
}

void frmPrint::printChosen()
{
    m_copies = 0;
    m_allPages = false;
    {
        frmDruckmenu dialog(*this, m_navigation.total(), this);
        dialog.exec();
    }
    const QList<int> plan = printPlan(m_copies, m_allPages, m_navigation.total(), m_navigation.shown());
    m_pagesPrinted += PrintRun(m_job, m_printer, this).print(plan, m_navigation.total(), m_copies);
}

void frmPrint::showEvent(QShowEvent *event)
{
    if (!m_loaded)
        loadOnScreen();
    QDialog::showEvent(event);
}

void frmPrint::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeCanvas();
}

void frmPrint::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // A place the user left the window at is kept.
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !m_onScreen || m_placeKept)
        return;
    if (m_printer.pageLayout().orientation() != QPageLayout::Portrait)
        return;
    if (const QScreen *screen = this->screen()) {
        const QRect room = screen->geometry();
        move(room.x() + (room.width() - width()) / 2, y());
    }
}

void frmPrint::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPrint::done(int result)
{
    // Closing stops a layout still going on.
    m_stopLayout = m_laying;
    if (m_onScreen && isVisible()) {
        m_scale.save();
        core::UserSettings::savePlacement(this, PreviewScale::placementSection(m_printer));
    }
    QDialog::done(result);
}

} // namespace report
