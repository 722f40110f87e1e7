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
#include "quarvik/PictureImport.h"
#include "quarvik/PictureView.h"
#include "sendral/MessageHook.h"

#include <QLabel>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
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
    connect(m_view, &quarvik::PictureView::zoomChanged, this, [this] { ShowFitZoom(); });
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
        // No hourglass over the file dialog; SetOleFile shows its own.
        const QString path = m_view->selectPictureFile();
        if (!path.isEmpty())
            SetOleFile(path);
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
}

void RAZOleCtrl::pictureButtonClick(const QString &key, bool pressed)
{
    const int index = m_bars.cboZoom->currentIndex();
    if (key.compare(QLatin1String("SizeToFit"), Qt::CaseInsensitive) == 0) {
        SetSizeToFit(pressed);
    } else if (key.compare(QLatin1String("ZoomOut"), Qt::CaseInsensitive) == 0) {
        if (ZoomSteps::CanZoomOut(index))
            m_bars.cboZoom->setCurrentIndex(index + 1);
        UpdateZoomButtons();
    } else if (key.compare(QLatin1String("ZoomIn"), Qt::CaseInsensitive) == 0) {
        if (ZoomSteps::CanZoomIn(index))
            m_bars.cboZoom->setCurrentIndex(index - 1);
        UpdateZoomButtons();
    } else if (key.compare(QLatin1String("Overlay"), Qt::CaseInsensitive) == 0) {
        m_view->setOverlayVisible(pressed);
    } else if (key.compare(QLatin1String("ObjGrafic"), Qt::CaseInsensitive) == 0) {
        EditOverlay();
    }
}

void RAZOleCtrl::EditOverlay()
{
    if (m_view->fileName().isEmpty())
        return;
    // The editor draws the overlay itself; the old one is kept aside for a cancel.
    const std::shared_ptr<sendral::OverlayGraphic> before = m_session.CurrentOverlay();
    const QString beforeScript = m_session.ScriptText();
    m_view->setOverlay(nullptr);
    editor::EditResult result = editor::frmMain::Edit(m_view->fileName(), beforeScript, this);
    if (!result.cancelled) {
        m_session.setOverlay(std::shared_ptr<sendral::OverlayGraphic>(std::move(result.overlay)), result.script);
        // Only a change marks the control: a new photo left in the editor
        // without drawing must still be saved.
        if (result.changed)
            m_session.setChanged(true);
    }
    m_view->setOverlay(m_session.CurrentOverlay());
}

void RAZOleCtrl::zoomListClick()
{
    if (m_view->sizeToFit())
        return;
    m_view->setZoom(ZoomSteps::ZoomOf(m_bars.cboZoom->currentText()));
    UpdateZoomButtons();
}

void RAZOleCtrl::UpdateZoomButtons()
{
    const int index = m_bars.cboZoom->currentIndex();
    m_bars.action(QStringLiteral("ZoomOut"))->setEnabled(ZoomSteps::CanZoomOut(index));
    m_bars.action(QStringLiteral("ZoomIn"))->setEnabled(ZoomSteps::CanZoomIn(index));
}

void RAZOleCtrl::SetSizeToFit(bool on)
{
    m_bars.showZoomText(on);
    m_bars.action(QStringLiteral("SizeToFit"))->setChecked(on);
    if (on) {
        m_bars.action(QStringLiteral("ZoomIn"))->setEnabled(false);
        m_bars.action(QStringLiteral("ZoomOut"))->setEnabled(false);
        m_view->setSizeToFit(true);
        ShowFitZoom();
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
    if (IsPictureFileName(path) || quarvik::PictureImport::isPictureFile(path))
        insertPicture(path, owned);
    else
        insertDocument(path, owned);
}

void RAZOleCtrl::insertPicture(const QString &path, bool owned)
{
    const core::WaitCursor hourglass;
    const QString title = QStringLiteral("SetOleFile");
    QString ownedFile = path;
    const auto dropOwned = [&] {
        if (owned)
            DeleteTempFile(QString(), ownedFile);
    };
    const quarvik::PreparedPicture prepared = quarvik::PictureImport::prepare(path);
    if (!prepared.ok()) {
        dropOwned();
        refuse(prepared.error, title);
        return;
    }
    const QString before = m_view->fileName();
    const std::shared_ptr<sendral::OverlayGraphic> overlayBefore = m_view->overlay();
    ClearDisplay();
    if (!showPicture(prepared.path)) {
        const QString error = m_view->errorString();
        if (!before.isEmpty() && showPicture(before))
            m_view->setOverlay(overlayBefore);
        else
            ClearDisplay();
        dropOwned();
        refuse(error, title);
        UpdateButtons();
        return;
    }
    if (prepared.temporary) {
        m_session.adoptTempFile(prepared.path);
        dropOwned();
    } else if (owned) {
        m_session.adoptTempFile(prepared.path);
    }
    // The overlay belonged to the picture replaced: a new picture starts without one.
    m_session.setOverlay(nullptr, QString());
    m_session.markInserted();
    UpdateButtons();
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
    ClearDisplay();
    m_session.markDeleted();
    UpdateButtons();
}

void RAZOleCtrl::ClearDisplay()
{
    m_unreadable.clear();
    m_card->hide();
    m_card->clear();
    if (m_document)
        m_document->clear();
    m_view->setFileName(QString());
    m_view->setOverlay(nullptr);
    m_bars.setPictureBarVisible(false);
    UpdateButtons();
}

void RAZOleCtrl::UpdateButtons()
{
    const bool content = contentKind() != ContentKind::Empty;
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
