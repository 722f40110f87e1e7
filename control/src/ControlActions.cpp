// The attachment control's actions: its toolbars, what the display shows,
// zooming, double-clicks and dropped files.

#include "RAZOleCtrlWidget.h"

#include "ZoomSteps.h"

#include "kelvane/FileRoutines.h"

#include "editor/frmMain.h"
#include "sendral/OverlayGraphic.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/WaitCursor.h"
#include "quarvik/PictureView.h"
#include "sendral/MessageHook.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QToolBar>
#include <QUrl>

namespace kelvane {
namespace {

// The first file of a drop: from the URL list, or from a file manager that
// hands the URIs over as text, one a line.
QString firstDroppedFile(const QMimeData &data)
{
    QList<QUrl> urls = data.urls();
    if (urls.isEmpty() && data.hasText()) {
        for (const QString &line : data.text().split(u'\n', Qt::SkipEmptyParts)) {
            const QUrl url(line.trimmed());
            if (url.isValid() && !url.scheme().isEmpty())
                urls.append(url);
        }
    }
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    return urls.first().toLocalFile();
}

} // namespace

void RAZOleCtrl::connectActions()
{
    for (const QString &key : {QStringLiteral("New"), QStringLiteral("Edit"), QStringLiteral("Delete")})
        connect(m_bars.action(key), &QAction::triggered, this, [this, key] { editButtonClick(key); });
    for (QAction *entry : m_bars.newMenu->actions())
        connect(entry, &QAction::triggered, this, [this, entry] { menuClick(entry->objectName()); });
    for (QAction *button : m_bars.tbPicture->actions())
        if (!button->objectName().isEmpty())
            connect(button, &QAction::triggered, this,
                    [this, button](bool pressed) { pictureButtonClick(button->objectName(), pressed); });
    connect(m_bars.cboZoom, &QComboBox::currentIndexChanged, this, [this] { zoomListClick(); });
    connect(m_view, &quarvik::PictureView::mouseDown, this, [this](int button) { m_lastMouseButton = button; });
    connect(m_view, &quarvik::PictureView::doubleClicked, this, [this] { DoubleClickAction(); });
    connect(m_view, &quarvik::PictureView::zoomChanged, this, [this] {
        ShowFitZoom();
        UpdateZoomButtons();
    });
    connect(m_view, &quarvik::PictureView::zoomWheel, this,
            [this](int steps, const QPointF &place) { stepZoom(steps, place); });
    connect(m_view, &quarvik::PictureView::contextMenuRequested, this, [this](const QPoint &globalPos) {
        // The insert entries, also over an empty view: a picture shown is replaced.
        if (!m_locked)
            m_bars.newMenu->popup(globalPos);
    });
}

void RAZOleCtrl::editButtonClick(const QString &key)
{
    QCoreApplication::processEvents();
    if (key.compare(QLatin1String("Delete"), Qt::CaseInsensitive) == 0) {
        const core::WaitCursor hourglass;
        DeleteObject();
    } else if (key.compare(QLatin1String("Edit"), Qt::CaseInsensitive) == 0) {
        EditAddOle();
    } else if (key.compare(QLatin1String("New"), Qt::CaseInsensitive) == 0) {
        // No hourglass over the file dialog; the insert shows its own.
        DoAction(razCreateBmp);
    }
    UpdateButtons();
}

void RAZOleCtrl::menuClick(const QString &key)
{
    if (key.compare(QLatin1String("Obj"), Qt::CaseInsensitive) == 0)
        DoAction(razCreateOle);
    else if (key.compare(QLatin1String("Scanner"), Qt::CaseInsensitive) == 0)
        DoAction(razCreateScanner);
    else if (key.compare(QLatin1String("Bmp"), Qt::CaseInsensitive) == 0)
        DoAction(razCreateBmp);
    else if (key.compare(QLatin1String("Phone"), Qt::CaseInsensitive) == 0)
        fromPhone();
}

void RAZOleCtrl::pictureButtonClick(const QString &key, bool pressed)
{
    if (key.compare(QLatin1String("SizeToFit"), Qt::CaseInsensitive) == 0) {
        SetSizeToFit(pressed);
    } else if (key.compare(QLatin1String("ZoomOut"), Qt::CaseInsensitive) == 0) {
        stepZoom(-1, std::nullopt);
    } else if (key.compare(QLatin1String("ZoomIn"), Qt::CaseInsensitive) == 0) {
        stepZoom(1, std::nullopt);
    } else if (key.compare(QLatin1String("Overlay"), Qt::CaseInsensitive) == 0) {
        m_view->setOverlayVisible(pressed);
    } else if (key.compare(QLatin1String("ObjGrafic"), Qt::CaseInsensitive) == 0) {
        EditOverlay();
    }
}

void RAZOleCtrl::EditOverlay()
{
    if (m_session.kind() != ContentKind::Picture)
        return;
    // The editor draws the overlay itself; the shown one comes back on a cancel.
    m_view->setOverlay(nullptr);
    editor::EditResult result = editor::frmMain::Edit(m_session.shown().pictureFile, m_session.ScriptText(), this);
    // Only a change marks the control: a new photo left in the editor
    // without drawing must still be saved.
    if (!result.cancelled)
        m_session.annotate(std::shared_ptr<sendral::OverlayGraphic>(std::move(result.overlay)), result.script,
                           result.changed);
    m_view->setOverlay(m_session.CurrentOverlay());
}

void RAZOleCtrl::zoomListClick()
{
    if (m_view->sizeToFit())
        return;
    m_view->setZoom(ZoomSteps::ZoomOf(m_bars.cboZoom->currentText()));
    UpdateZoomButtons();
}

void RAZOleCtrl::stepZoom(int steps, const std::optional<QPointF> &place)
{
    int index = -1;
    for (double zoom = m_view->zoom(); steps != 0; steps -= steps > 0 ? 1 : -1) {
        const int next = ZoomSteps::StepFrom(zoom, steps);
        if (next < 0)
            break;
        index = next;
        zoom = ZoomSteps::ZoomOf(ZoomSteps::Entries().at(index));
    }
    if (index < 0)
        return;
    // A step from the fitted zoom leaves size-to-fit there, without first
    // going back to the list's entry.
    m_bars.showZoomText(false);
    m_bars.action(QStringLiteral("SizeToFit"))->setChecked(false);
    {
        const QSignalBlocker quiet(m_bars.cboZoom);
        m_bars.cboZoom->setCurrentIndex(index);
    }
    m_view->zoomAt(ZoomSteps::ZoomOf(m_bars.cboZoom->currentText()), place);
    UpdateZoomButtons();
}

void RAZOleCtrl::UpdateZoomButtons()
{
    const double zoom = m_view->zoom();
    m_bars.action(QStringLiteral("ZoomOut"))->setEnabled(ZoomSteps::StepFrom(zoom, -1) >= 0);
    m_bars.action(QStringLiteral("ZoomIn"))->setEnabled(ZoomSteps::StepFrom(zoom, 1) >= 0);
}

void RAZOleCtrl::SetSizeToFit(bool on)
{
    m_bars.showZoomText(on);
    m_bars.action(QStringLiteral("SizeToFit"))->setChecked(on);
    if (on) {
        m_view->setSizeToFit(true);
        ShowFitZoom();
        UpdateZoomButtons();
    } else {
        m_view->setSizeToFit(false);
        zoomListClick();
    }
}

void RAZOleCtrl::ShowFitZoom()
{
    if (m_view->sizeToFit())
        m_bars.tZoomFaktor->setText(QString::number(qRound(m_view->zoom())) + QStringLiteral(" %"));
}

void RAZOleCtrl::refuse(const QString &text, const QString &title)
{
    core::showMessage(text, core::MsgIcon::Exclamation, core::MsgButtons::Ok, title, this);
}

void RAZOleCtrl::SetOleFile(const QString &path, bool owned)
{
    insertFile(path, owned, m_session.ticket());
}

void RAZOleCtrl::insertFile(const QString &path, bool owned, ObjectSession::Ticket ticket)
{
    QString refusal;
    {
        const core::WaitCursor hourglass;
        refusal = m_session.insertFor(ticket, path, owned);
        UpdateButtons();
    }
    if (!refusal.isEmpty())
        refuse(refusal, QStringLiteral("SetOleFile"));
}

QString RAZOleCtrl::render(const ObjectSession::Shown &shown)
{
    if (m_document)
        m_document->clear();
    m_view->setFileName(QString());
    m_view->setOverlay(nullptr);
    m_bars.setPictureBarVisible(false);
    m_unreadable.clear();
    m_card->hide();
    m_card->clear();
    QString error;
    // A loaded row's picture is the temporary copy: the user knows the attachment.
    const QString name = m_loading ? attachmentName() : QFileInfo(shown.pictureFile).fileName();
    if (shown.kind == ContentKind::Picture && !m_unreadable.check(shown.pictureFile, name)) {
        // Shown as the card, so the picture stays this control's content
        // (kept, saved as it is, deleted only on request); said once here.
        showUnreadable();
        UpdateButtons();
        refuse(m_unreadable.message(), QStringLiteral("Kelvane: LoadObject"));
        return {};
    }
    if (shown.kind == ContentKind::Picture) {
        if (showPicture(shown.pictureFile))
            m_view->setOverlay(shown.overlay);
        else
            error = m_view->errorString().replace(QFileInfo(shown.pictureFile).fileName(), name);
    } else if (shown.kind == ContentKind::Document) {
        if (m_document) {
            m_document->show(shown.document);
            showDocumentArea();
        } else {
            error = QStringLiteral("Das Dokument kann hier nicht gezeigt werden.");
        }
    }
    if (!error.isEmpty()) {
        m_view->setFileName(QString());
        m_bars.setPictureBarVisible(false);
    }
    UpdateButtons();
    return error;
}

bool RAZOleCtrl::showPicture(const QString &path)
{
    if (!m_view->setFileName(path))
        return false;
    SetSizeToFit(true);
    if (m_document)
        m_document->OleFrame().hide();
    m_view->show();
    m_bars.setPictureBarVisible(true);
    ShowFitZoom();
    return true;
}

void RAZOleCtrl::DeleteObject()
{
    m_session.remove();
    UpdateButtons();
}

void RAZOleCtrl::UpdateButtons()
{
    const bool content = contentKind() != ContentKind::Empty;
    if (content != m_hadContent) {
        m_hadContent = content;
        if (m_sink)
            m_sink->ContentChanged(content);
    }
    m_bars.action(QStringLiteral("Delete"))->setEnabled(!m_locked && content);
    m_bars.action(QStringLiteral("Edit"))->setEnabled(!m_locked && content);
    m_bars.action(QStringLiteral("New"))->setEnabled(!m_locked && !content);
    m_bars.action(QStringLiteral("ObjGrafic"))->setEnabled(!m_locked);
    const int pictureBar = m_bars.pictureBarVisible() ? core::pixelsToTwips(m_bars.pictureBarWidth()) : 0;
    m_bars.fitCaptions(captionsDropped(core::pixelsToTwips(width()), pictureBar));
}

void RAZOleCtrl::DoubleClickAction()
{
    if (m_lastMouseButton != 1)
        return;
    if (m_allowAppStart)
        EditAddOle();
    else if (m_sink)
        m_sink->DblClick();
}

void RAZOleCtrl::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData() && !firstDroppedFile(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void RAZOleCtrl::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void RAZOleCtrl::DragDropSpy_WndProc(QWidget *, QEvent *message, sendral::HookAnswer &answer)
{
    answer.CallWndProc = true;
    auto *drop = static_cast<QDropEvent *>(message);
    const QString name = drop->mimeData() ? firstDroppedFile(*drop->mimeData()) : QString();
    if (name.isEmpty() || m_locked)
        return;
    SetOleFile(name);
    drop->acceptProposedAction();
    // Taken here: the drop counts as handled and goes no further.
    answer.lResult = 1;
    answer.CallWndProc = false;
}

} // namespace kelvane
