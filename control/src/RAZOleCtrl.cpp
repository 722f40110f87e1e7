#include "RAZOleCtrlWidget.h"

#include "PreviewAhead.h"
#include "ZoomSteps.h"

#include "kelvane/ErrorMessage.h"
#include "kelvane/OLELangTrans.h"

#include "core/WaitCursor.h"
#include "ole/OleContainer.h"
#include "quarvik/PictureView.h"
#include "sendral/MessageHook.h"
#include "sendral/OverlayGraphic.h"
#include "sendral/PictureCanvas.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QToolBar>

#include <cmath>

namespace kelvane {
namespace {

constexpr long ErrDesignTime = 382;
// The card for a picture the preview program could not read, when no size
// is asked for: as a document's picture, an A4 page at 150 dpi.
constexpr QSize PrintedCardSize(1240, 1754);

QColor backgroundFor(bool locked)
{
    return QApplication::palette().color(locked ? QPalette::Button : QPalette::Base);
}

} // namespace

RAZOleCtrl::RAZOleCtrl(QWidget *parent, bool userMode)
    : QWidget(parent), m_view(new quarvik::PictureView(this)), m_card(new QLabel(this)), m_userMode(userMode)
{
    setObjectName(QStringLiteral("RAZOleCtrl"));
    m_view->setObjectName(QStringLiteral("PictureView1"));
    m_card->setObjectName(QStringLiteral("lblKeineVorschau"));
    m_card->setAlignment(Qt::AlignCenter);
    m_card->hide();
    m_view->viewport()->installEventFilter(this);
    m_bars = ControlToolbars::build(*this);
    m_bars.setPictureBarVisible(false);
    m_session.setDisplay([this](const ObjectSession::Shown &shown) { return render(shown); });
    connectActions();
}

RAZOleCtrl::~RAZOleCtrl()
{
    // The container goes with the form below; it reports nothing more here.
    if (m_document)
        m_document->OLECTRL().removeEventFilter(this);
    m_session.setDisplay({});
}

void RAZOleCtrl::ReadProperties(PropertyBag &bag)
{
    OLELangTrans().TranslateToolbar(m_bars.Toolbar);
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
    SetLocked(bag.ReadProperty(QStringLiteral("Locked"), false).toBool());
    SetHasButtons(bag.ReadProperty(QStringLiteral("HasButtons"), true).toBool());
    SetOptimizeLoad(bag.ReadProperty(QStringLiteral("OptimizeLoad"), true).toBool());
    SetDataField(bag.ReadProperty(QStringLiteral("DataField"), QString()).toString());
    SetTag(bag.ReadProperty(QStringLiteral("Tag"), QVariant()));
    SetAllowAppStart(bag.ReadProperty(QStringLiteral("AllowAppStart"), true).toBool());
    m_view->setZoom(100);
    m_bars.cboZoom->setCurrentIndex(ZoomSteps::DefaultIndex);
    zoomListClick();
    if (m_userMode)
        runTimeStart();
}

void RAZOleCtrl::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Enabled"), m_enabled, true);
    bag.WriteProperty(QStringLiteral("Locked"), m_locked, false);
    bag.WriteProperty(QStringLiteral("HasButtons"), m_hasButtons, true);
    bag.WriteProperty(QStringLiteral("DataField"), m_dataField, QString());
    bag.WriteProperty(QStringLiteral("OptimizeLoad"), m_optimizeLoad, true);
    bag.WriteProperty(QStringLiteral("Tag"), m_tag, QVariant());
    bag.WriteProperty(QStringLiteral("AllowAppStart"), m_allowAppStart, true);
}

void RAZOleCtrl::runTimeStart()
{
    m_started = true;
    m_document = std::make_unique<ControlDocument>(*this);
    m_document->OLECTRL().setEnabled(m_enabled);
    m_document->setBackColor(backgroundFor(m_locked));
    m_document->OLECTRL().installEventFilter(this);
    connectDocument();
    // A control read as Locked takes no drops from the start.
    setAcceptDrops(!m_locked);
    m_dragDropSpy = new sendral::MessageHook(this);
    m_dragDropSpy->Attach(this);
    m_dragDropSpy->SelectMessage(QEvent::Drop);
    m_dragDropSpy->SetHooked(true);
    connect(m_dragDropSpy, &sendral::MessageHook::WndProc, this, &RAZOleCtrl::DragDropSpy_WndProc,
            Qt::DirectConnection);
    layOut();
}

void RAZOleCtrl::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    m_bars.Toolbar->setEnabled(enabled);
    m_bars.tbPicture->setEnabled(enabled);
    setEnabled(enabled);
    if (m_document)
        m_document->OLECTRL().setEnabled(enabled);
}

void RAZOleCtrl::SetHasButtons(bool hasButtons)
{
    m_hasButtons = hasButtons;
    if (!hasButtons)
        SetSizeToFit(true);
    layOut();
}

void RAZOleCtrl::SetLocked(bool locked)
{
    m_locked = locked;
    UpdateButtons();
    if (m_started)
        setAcceptDrops(!locked);
    m_view->setBackgroundColor(backgroundFor(locked));
    if (m_document)
        m_document->setBackColor(backgroundFor(locked));
}

void RAZOleCtrl::SetValue(const QVariant &newId)
{
    if (!m_userMode)
        throw KelvaneError(ErrDesignTime, QStringLiteral("Die Eigenschaft kann zur Entwurfszeit nicht gesetzt werden"));
    const long before = idOf(m_session.Value());
    const long after = idOf(newId);
    // What is shown but not stored (a change the host dropped) is replaced
    // by what is stored: loading a record shows its row, every time.
    if (after != before || m_session.Changed() || m_session.differences() != 0)
        SetDatabaseID(after);
}

void RAZOleCtrl::SetDatabaseID(long ID)
{
    if (!m_started)
        return;
    m_session.begin(ID);
    if (ID != 0 && IsOnScreen()) {
        loadNow();
    } else if (ID != 0 && !m_aheadQueued) {
        m_aheadQueued = true;
        // Once the form that loads the case is shown.
        QMetaObject::invokeMethod(this, &RAZOleCtrl::previewAhead, Qt::QueuedConnection);
    }
    UpdateButtons();
}

void RAZOleCtrl::previewAhead()
{
    m_aheadQueued = false;
    const long id = idOf(m_session.Value());
    if (m_started && id != 0 && !m_session.Loaded() && m_session.database() && m_document)
        askPreviewAhead(*m_session.database(), id, m_document->OLECTRL());
}

void RAZOleCtrl::loadNow()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    const QString error = m_session.load();
    if (!error.isEmpty())
        refuse(error, QStringLiteral("Kelvane: LoadObject"));
}

QString RAZOleCtrl::attachmentName() const { return QStringLiteral("Anhang Nr. %1").arg(idOf(m_session.Value())); }

void RAZOleCtrl::showUnreadable()
{
    m_view->hide();
    if (m_document)
        m_document->OleFrame().hide();
    m_bars.setPictureBarVisible(false);
    layOut();
    m_card->show();
}

bool RAZOleCtrl::IsOnScreen() const
{
    if (!m_optimizeLoad)
        return true;
    if (!window()->isVisible() || !isVisible())
        return false;
    const QWidget *container = parentWidget();
    return !container || container->rect().intersects(geometry());
}

void RAZOleCtrl::deferredLoad()
{
    m_loadQueued = false;
    if (!m_started || m_session.Loaded() || !IsOnScreen())
        return;
    const core::WaitCursor hourglass;
    loadNow();
    UpdateButtons();
}

void RAZOleCtrl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    deferredLoad();
}

void RAZOleCtrl::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    deferredLoad();
}

bool RAZOleCtrl::eventFilter(QObject *watched, QEvent *event)
{
    // The viewer or the container covers the control, so their painting
    // stands for the control's; the load runs after the paint rather than inside it.
    if (event->type() != QEvent::Paint)
        return QWidget::eventFilter(watched, event);
    const bool cover = watched == m_view->viewport() || (m_document && watched == &m_document->OLECTRL());
    if (cover && m_started && !m_session.Loaded() && !m_loadQueued) {
        m_loadQueued = true;
        QMetaObject::invokeMethod(this, &RAZOleCtrl::deferredLoad, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void RAZOleCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void RAZOleCtrl::layOut()
{
    const int bar = m_hasButtons ? m_bars.Toolbar->sizeHint().height() : 0;
    if (m_document)
        m_document->OleFrame().setGeometry(0, 0, width(), height() - bar);
    m_view->setGeometry(0, 0, width(), height() - bar);
    m_card->setGeometry(0, 0, width(), height() - bar);
    if (m_unreadable.isSet() && !m_card->size().isEmpty())
        m_card->setPixmap(QPixmap::fromImage(m_unreadable.card(m_card->size() * m_card->devicePixelRatioF())));
    m_bars.Toolbar->setGeometry(0, height() - bar, width(), bar);
    m_bars.Toolbar->setVisible(m_hasButtons);
    ShowFitZoom();
    UpdateButtons();
}

ContentKind RAZOleCtrl::contentKind() const
{
    return m_document ? m_session.kind() : ContentKind::Empty;
}

bool RAZOleCtrl::Save()
{
    if (m_locked)
        return false;
    return SavePending();
}

bool RAZOleCtrl::SavePending()
{
    return m_session.save([this] {
        QVariant number;
        if (m_sink)
            m_sink->GetNewPrimary(number);
        return number;
    });
}

QImage RAZOleCtrl::Picture(bool Overlay)
{
    deferredLoad();
    if (contentKind() == ContentKind::Document)
        return m_document->picture();
    if (contentKind() != ContentKind::Picture)
        return {};
    if (m_unreadable.isSet())
        return m_unreadable.card(PrintedCardSize);
    const QImage picture = m_view->picture();
    return Overlay ? withOverlay(picture) : picture;
}

QImage RAZOleCtrl::PictureWithin(bool Overlay, const QSize &bound)
{
    deferredLoad();
    if (contentKind() == ContentKind::Document)
        return m_document->pictureWithin(bound);
    if (contentKind() != ContentKind::Picture)
        return {};
    if (m_unreadable.isSet())
        return m_unreadable.card(bound);
    // Decoded smaller, it still stands for the whole picture's size on paper.
    const QImage picture = m_view->pictureScaled(bound);
    return Overlay ? withOverlay(picture) : picture;
}

QImage RAZOleCtrl::withOverlay(QImage picture) const
{
    const std::shared_ptr<sendral::OverlayGraphic> &overlay = m_session.CurrentOverlay();
    if (!overlay || overlay->IsEmpty() || picture.isNull())
        return picture;
    // The overlay is in the full picture's pixels: over a smaller copy it is drawn to scale.
    const QSize full = m_view->pictureSize();
    const double scaleX = full.isEmpty() ? 1.0 : double(picture.width()) / full.width();
    const double scaleY = full.isEmpty() ? 1.0 : double(picture.height()) / full.height();
    sendral::PictureCanvas canvas;
    canvas.Attach(picture);
    overlay->Draw(*canvas.Painter(), 0, 0, int(std::lround(overlay->Width() * scaleX)),
                  int(std::lround(overlay->Height() * scaleY)));
    return canvas.Picture();
}

bool RAZOleCtrl::DoAction(int cmd)
{
    switch (cmd) {
    case razCreateBmp:
    case razCreateScanner: {
        // The row is held for the insert: a scan that ends after another
        // record was loaded is not put into that one.
        const ObjectSession::Ticket ticket = m_session.ticket();
        QString path;
        {
            const QScopedValueRollback<bool> waiting(m_busy, true);
            path = cmd == razCreateBmp ? m_view->selectPictureFile() : m_view->acquireFromScanner();
        }
        if (path.isEmpty())
            return false;
        insertFile(path, cmd == razCreateScanner, ticket);
        return true;
    }
    case razCreateOle:
    case razEdit:
        EditAddOle();
        return true;
    case razDelete:
        DeleteObject();
        return true;
    default:
        return false;
    }
}

} // namespace kelvane
