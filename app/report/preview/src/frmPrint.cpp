#include "preview/frmPrint.h"

#include "preview/CanvasPlacement.h"
#include "preview/DocumentPrinting.h"
#include "preview/MailHandoff.h"
#include "preview/PageCanvas.h"
#include "preview/PagePrinter.h"
#include "preview/PdfExport.h"
#include "preview/PrintChoice.h"
#include "preview/ToolbarIcons.h"
#include "preview/UpDownButtons.h"
#include "preview/frmDruckmenu.h"

#include "report/ReportJob.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"

#include "dao/Error.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <optional>

namespace report {
namespace {

const QString kPrint = QStringLiteral("Print");
constexpr int kZoomPlaceholderTwips = 1400;
constexpr int kCommandsPlaceholderTwips = 2000;

QLineEdit *readOnlyBox(const QString &name, int width, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(width);
    return box;
}

} // namespace

frmPrint::frmPrint(ReportJob &job, QPrinter &printer, QWidget *parent)
    : QDialog(parent), m_job(job), m_printer(printer)
{
    buildWindow();
    m_zoomKept = !core::UserSettings::value(kPrint, QStringLiteral("Scale")).isEmpty();
    m_zoom = ZoomFactor::fromSetting(core::UserSettings::number(kPrint, QStringLiteral("Scale"), ZoomFactor::DefaultSetting));
}

QString frmPrint::placementSection() const
{
    // An upright report and a landscape list want windows of other shapes.
    return m_printer.pageLayout().orientation() == QPageLayout::Portrait ? kPrint : kPrint + QStringLiteral(" Querformat");
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

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setPalette(QGuiApplication::palette());
    m_toolbar->setAutoFillBackground(true);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);

    m_lblZoom = new QLabel(QStringLiteral("Zoom :"), m_toolbar);
    m_lblZoom->setObjectName(QStringLiteral("lblZoom"));
    m_txtScale = readOnlyBox(QStringLiteral("txtScale"), 52, m_toolbar);
    m_updScale = new UpDownButtons(m_toolbar);
    m_updScale->setObjectName(QStringLiteral("updScale"));
    connect(m_updScale, &UpDownButtons::up, this, [this] { zoomBy(1); });
    connect(m_updScale, &UpDownButtons::down, this, [this] { zoomBy(-1); });
    m_txtPage = readOnlyBox(QStringLiteral("txtPage"), 40, m_toolbar);
    m_txtPages = readOnlyBox(QStringLiteral("txtPages"), 40, m_toolbar);

    addPlaceholder(kZoomPlaceholderTwips, {m_lblZoom, m_txtScale, m_updScale});
    m_first = addButton(QStringLiteral("Erste"), QStringLiteral("Erste Seite"));
    m_back = addButton(QStringLiteral("Zurueck"), QStringLiteral("Vorherige Seite"));
    addPlaceholder(0, {m_txtPage, m_txtPages});
    m_next = addButton(QStringLiteral("Vor"), QStringLiteral("Nächste Seite"));
    m_last = addButton(QStringLiteral("Letzte"), QStringLiteral("Letzte Seite"));
    addPlaceholder(kCommandsPlaceholderTwips);
    addButton(QStringLiteral("Clip"), QStringLiteral("In die Zwischenablage kopieren"));
    addButton(QStringLiteral("Print"), QStringLiteral("Seite ausdrucken"));
    addButton(QStringLiteral("PDF"), QStringLiteral("Als PDF speichern..."))->setShortcut(QKeySequence::Save);
    addButton(QStringLiteral("Mail"), QStringLiteral("Per E-Mail senden ..."));
    addButton(QStringLiteral("Ende"), QStringLiteral("Druckvorschau beenden"));
    showNavigation();

    resize(core::twipsToPixels(9000), core::twipsToPixels(11000));
}

QAction *frmPrint::addButton(const QString &key, const QString &tooltip)
{
    QAction *action = m_toolbar->addAction(previewIcon(key), tooltip);
    action->setObjectName(key);
    action->setData(key);
    action->setToolTip(tooltip);
    connect(action, &QAction::triggered, this, [this, key] { ButtonClick(key); });
    return action;
}

QAction *frmPrint::addPlaceholder(int widthTwips, const QList<QWidget *> &content)
{
    auto *holder = new QWidget(m_toolbar);
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(3);
    for (QWidget *w : content)
        row->addWidget(w);
    holder->setMinimumWidth(std::max(core::twipsToPixels(widthTwips), holder->sizeHint().width()));
    return m_toolbar->addWidget(holder);
}

QSize frmPrint::pageTwips() const
{
    // Millimetres, as points are whole numbers and would lose the sheet's last twips.
    const QRectF page = m_printer.pageLayout().fullRect(QPageLayout::Millimeter);
    constexpr double twipsPerMm = 1440 / 25.4;
    return QSize(static_cast<int>(std::lround(page.width() * twipsPerMm)),
                 static_cast<int>(std::lround(page.height() * twipsPerMm)));
}

QSize frmPrint::canvasSize() const
{
    const QSize page = pageTwips();
    return QSize(std::max(1, core::twipsToPixels(page.width() * m_zoom.factor())),
                 std::max(1, core::twipsToPixels(page.height() * m_zoom.factor())));
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
    // Printing, saving and copying take the whole report, once it is there.
    for (const char *key : {"Clip", "Print", "PDF", "Mail"}) {
        if (QAction *action = m_toolbar->findChild<QAction *>(QString::fromLatin1(key)))
            action->setEnabled(!laying);
    }
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
    m_txtPages->setText(m_navigation.totalText());
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
    m_txtPage->setText(QString::number(m_navigation.total()));
    m_txtPages->setText(QString::number(m_navigation.total()));
    // A page asked for while the layout went on is shown now that it is there.
    const int wanted = std::min(m_wantedPage, m_navigation.total());
    m_wantedPage = 0;
    RenderPage(true, wanted > 0 ? wanted : std::max(1, m_navigation.shown()));
}

void frmPrint::loadOnScreen()
{
    m_loaded = true;
    m_onScreen = true;
    const QSize page = pageTwips();
    const QRect remembered = core::UserSettings::placement(placementSection());
    m_placeKept = !remembered.isNull();
    if (const QScreen *screen = openingScreen()) {
        const QRect rect = previewWindowRect(QSizeF(page), screen->availableGeometry(), m_toolbar->sizeHint(), remembered);
        resize(rect.size());
        move(rect.topLeft());
    }
    // Until the user chooses a zoom, the page opens whole and as large as the window allows.
    if (!m_zoomKept)
        m_zoom = ZoomFactor(fitZoomTenths(page, size(), m_toolbar->sizeHint().height()));
    m_txtScale->setText(m_zoom.percentText());
    m_picView->resize(canvasSize());
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
    m_txtScale->setText(m_zoom.percentText());
    m_picView->hide();
    m_picView->resize(canvasSize());
    placeCanvas();
    if (m_navigation.shown() >= 1)
        RenderPage(true, m_navigation.shown());
    m_picView->show();
}

void frmPrint::zoomBy(int steps)
{
    if (steps > 0 ? m_zoom.stepUp() : m_zoom.stepDown()) {
        m_zoomKept = true;
        SetScale();
    }
}

bool frmPrint::RenderPage(bool toScreen, int page)
{
    if (toScreen && m_laying && page > m_navigation.total()) {
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
        if (toScreen) {
            QImage image = m_picView->blankPage();
            QPainter painter(&image);
            drawn = m_job.renderPage(painter, page, QRectF(QPointF(0, 0), QSizeF(m_picView->size())),
                                     RenderOptions{true, m_zoom.factor()});
            painter.end();
            if (drawn) {
                m_picView->setPage(std::move(image));
                m_navigation.setShown(page);
            }
        } else {
            // Printing leaves the page shown as it is.
            drawn = PagePrinter(m_job, m_printer).printPage(page);
        }
    } catch (const dao::DaoError &error) {
        // A picture that cannot be read: the page is neither shown nor printed without it.
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
    if (m_navigation.shown() >= 1)
        m_txtPage->setText(QString::number(m_navigation.shown()));
    m_first->setEnabled(m_navigation.backEnabled());
    m_back->setEnabled(m_navigation.backEnabled());
    m_next->setEnabled(m_navigation.forwardEnabled());
    m_last->setEnabled(m_navigation.forwardEnabled());
}

void frmPrint::placeCanvas()
{
    if (m_placing)
        return;
    m_placing = true;
    const int toolbarHeight = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, width(), toolbarHeight);
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
    m_toolbar->raise();
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
        copyToClipboard();
    else if (key == u"Print")
        printChosen();
    else if (key == u"PDF")
        saveAsPdf();
    else if (key == u"Mail")
        sendByMail();
    else if (key == u"Ende")
        close();
}

void frmPrint::copyToClipboard()
{
    const auto fail = [this](const QString &reason) {
        core::showMessage(QStringLiteral("Die Auswertung konnte nicht in die Zwischenablage kopiert werden: ") + reason,
                          core::MsgIcon::Exclamation, core::MsgButtons::Ok, {}, this);
    };
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return fail(QStringLiteral("Es steht keine Zwischenablage zur Verfügung."));
    QString text;
    // The text is read from the database: what it holds before stays there.
    try {
        if (m_clipText)
            text = m_clipText();
    } catch (const dao::DaoError &error) {
        return fail(error.description());
    } catch (const std::exception &error) {
        return fail(QString::fromLocal8Bit(error.what()));
    }
    clipboard->clear();
    clipboard->setText(text);
    // The clipboard gives no answer of its own: a text that did not arrive
    // is a failed copy.
    if (clipboard->text() != text)
        return fail(QStringLiteral("Die Zwischenablage hat den Text nicht angenommen."));
    core::showMessage(QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"), core::MsgIcon::Information,
                      core::MsgButtons::Ok, {}, this);
}

void frmPrint::printChosen()
{
    m_copies = 0;
    m_allPages = false;
    {
        frmDruckmenu dialog(*this, m_navigation.total(), this);
        dialog.exec();
    }
    std::optional<core::WaitCursor> hourglass(std::in_place);
    const QList<int> plan = printPlan(m_copies, m_allPages, m_navigation.total(), m_navigation.shown());
    // A run through all pages takes one more layout, not one per page.
    try {
        const bool printed = m_job.drawPages(plan, [this](int page) {
            // A printer that is not ready is reported once, not once per page.
            if (!RenderPage(false, page))
                return false;
            ++m_pagesPrinted;
            return true;
        });
        if (!printed)
            return;
    } catch (const dao::DaoError &error) {
        hourglass.reset();
        core::showMessage(QStringLiteral("Fehler beim Drucken: ") + error.description(), core::MsgIcon::Information,
                          core::MsgButtons::Ok, {}, this);
        return;
    }
    // The whole report printed (a single page is all of it): its attached documents follow it.
    const QSet<int> printed(plan.begin(), plan.end());
    if (printed.size() != m_navigation.total() || m_printer.outputFormat() != QPrinter::NativeFormat)
        return;
    QString error;
    try {
        if (printDocuments(m_printer.printerName(), m_job.attachedDocuments(), m_copies, &error))
            return;
    } catch (const dao::DaoError &failure) {
        error = failure.description();
    }
    hourglass.reset();
    core::showMessage(QStringLiteral("Fehler beim Drucken: ") + error, core::MsgIcon::Information,
                      core::MsgButtons::Ok, {}, this);
}

QString frmPrint::askPdfFile(const QString &suggested)
{
    QFileDialog dialog(this, QStringLiteral("Als PDF speichern"), suggested,
                       QStringLiteral("PDF-Dateien (*.pdf)"));
    dialog.setObjectName(QStringLiteral("dlgPdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // Replacing a file is asked below, in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString frmPrint::suggestedPdfName()
{
    ReportData &data = m_job.data();
    return PdfExport::suggestedName(data.request().kind,
                                    data.CaseFieldValue(QStringLiteral("S"), QStringLiteral("Schadennummer")),
                                    core::Clock::today());
}

void frmPrint::sendByMail()
{
    const auto offerPdf = [this](const QString &why) {
        if (core::showMessage(why + QStringLiteral(" Soll der Bericht stattdessen als PDF gespeichert werden?"),
                              core::MsgIcon::Question, core::MsgButtons::YesNo, {}, this) == core::MsgAnswer::Yes)
            saveAsPdf();
    };
    std::optional<core::WaitCursor> hourglass(std::in_place);
    if (!MailHandoff::mailProgramSetUp()) {
        hourglass.reset();
        offerPdf(QStringLiteral("Auf diesem Rechner ist kein E-Mail-Programm eingerichtet."));
        return;
    }
    const QString name = suggestedPdfName();
    const QString folder = MailHandoff::copyFolder();
    QString message = QStringLiteral("Der Ordner für temporäre Dateien ist nicht beschreibbar.");
    if (folder.isEmpty() || !m_job.writePdf(QDir(folder).filePath(name), &message)) {
        hourglass.reset();
        core::showMessage(message, core::MsgIcon::Information, core::MsgButtons::Ok, {}, this);
        return;
    }
    const bool started = MailHandoff::handOver(QFileInfo(name).completeBaseName(), QDir(folder).filePath(name));
    hourglass.reset();
    if (!started)
        offerPdf(QStringLiteral("Das E-Mail-Programm konnte nicht gestartet werden."));
}

void frmPrint::saveAsPdf()
{
    const QString name = suggestedPdfName();
    const QString file = askPdfFile(QDir(PdfExport::folder()).filePath(name));
    if (file.isEmpty())
        return;
    if (QFileInfo::exists(file) &&
        core::showMessage(QStringLiteral("Die Datei ") + file + QStringLiteral(" besteht bereits. Soll sie ersetzt werden?"),
                          core::MsgIcon::Question, core::MsgButtons::YesNo, {}, this) != core::MsgAnswer::Yes)
        return;
    QString message;
    std::optional<core::WaitCursor> hourglass(std::in_place);
    if (!m_job.writePdf(file, &message)) {
        hourglass.reset();
        core::showMessage(message, core::MsgIcon::Information, core::MsgButtons::Ok, {}, this);
        return;
    }
    PdfExport::rememberFolder(file);
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
        if (m_zoomKept)
            core::UserSettings::setNumber(kPrint, QStringLiteral("Scale"), m_zoom.setting());
        core::UserSettings::savePlacement(this, placementSection());
    }
    QDialog::done(result);
}

} // namespace report
