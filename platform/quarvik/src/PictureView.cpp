#include "quarvik/PictureView.h"

#include "PictureCache.h"
#include "quarvik/ScannerAcquisition.h"
#include "quarvik/ViewGeometry.h"
#include "sendral/OverlayGraphic.h"

#include "core/MouseButton.h"
#include "core/UserSettings.h"

#include <QFileDialog>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace quarvik {
namespace {

const QString kSection = QStringLiteral("Bildanzeige");
const QString kFolderKey = QStringLiteral("Bildordner");
const QString kDialogSection = QStringLiteral("Bilddatei einfügen");

// File names on Linux are matched by case, and cameras write .JPG.
QString pictureFilter()
{
    QStringList patterns;
    for (const char *suffix : {"jpg", "jpeg", "png", "gif", "bmp", "heic", "heif"}) {
        const QString lower = QString::fromLatin1(suffix);
        patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    return QStringLiteral("Bilddateien (%1);;Alle Dateien (*)").arg(patterns.join(u' '));
}

} // namespace

PictureView::PictureView(QWidget *parent)
    : QAbstractScrollArea(parent),
      m_cache(std::make_unique<PictureCache>()),
      m_geometry(std::make_unique<ViewGeometry>()),
      m_background(palette().color(QPalette::Base))
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

PictureView::~PictureView() = default;

QString PictureView::fileName() const { return m_fileName; }

bool PictureView::setFileName(const QString &path)
{
    m_fileName = path;
    bool shown = true;
    if (path.isEmpty())
        m_cache->clear();
    else
        shown = m_cache->open(path);
    relayout();
    viewport()->update();
    return shown;
}

QString PictureView::errorString() const { return m_cache->errorString(); }

QImage PictureView::picture() const { return m_cache->full(); }

QImage PictureView::pictureScaled(const QSize &bound) const { return m_cache->scaled(bound); }

QSize PictureView::pictureSize() const { return m_cache->uprightSize(); }

double PictureView::zoom() const { return m_geometry->zoom(); }

template <typename Change> void PictureView::keepingPointAt(const std::optional<QPointF> &place, Change change)
{
    // The centre is taken anew after the change: scroll bars may have come or gone.
    const QPointF point = m_geometry->pointAt(scrollOffset(), place.value_or(m_geometry->viewportCentre()));
    change();
    relayout();
    const QPoint offset = m_geometry->scrollToPut(point, place.value_or(m_geometry->viewportCentre()));
    horizontalScrollBar()->setValue(offset.x());
    verticalScrollBar()->setValue(offset.y());
}

void PictureView::setZoom(double percent)
{
    keepingPointAt(std::nullopt, [&] { m_geometry->setZoom(percent); });
}

void PictureView::zoomAt(double percent, const std::optional<QPointF> &place)
{
    keepingPointAt(place, [&] {
        m_geometry->setSizeToFit(false);
        m_geometry->setZoom(percent);
    });
}

bool PictureView::sizeToFit() const { return m_geometry->sizeToFit(); }

void PictureView::setSizeToFit(bool on)
{
    keepingPointAt(std::nullopt, [&] { m_geometry->setSizeToFit(on); });
}

QPoint PictureView::scrollOffset() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

bool PictureView::overlayVisible() const { return m_overlayVisible; }

void PictureView::setOverlayVisible(bool visible)
{
    m_overlayVisible = visible;
    viewport()->update();
}

std::shared_ptr<sendral::OverlayGraphic> PictureView::overlay() const { return m_overlay; }

void PictureView::setOverlay(std::shared_ptr<sendral::OverlayGraphic> overlay)
{
    m_overlay = std::move(overlay);
    viewport()->update();
}

QColor PictureView::backgroundColor() const { return m_background; }

void PictureView::setBackgroundColor(const QColor &colour)
{
    m_background = colour;
    viewport()->update();
}

QString PictureView::selectPictureFile()
{
    QFileDialog dialog(this, QStringLiteral("Bilddatei einfügen"), QString(), pictureFilter());
    dialog.setObjectName(QStringLiteral("dlgBilddatei"));
    return core::UserSettings::chooseExistingFile(dialog, kDialogSection, kSection, kFolderKey);
}

QString PictureView::acquireFromScanner()
{
    ScannerAcquisition acquisition(this);
    return acquisition.run();
}

void PictureView::releaseMemory()
{
    const double ratio = devicePixelRatioF();
    m_cache->releaseAbove(QSize(int(std::ceil(viewport()->width() * ratio)), int(std::ceil(viewport()->height() * ratio))));
}

QSize PictureView::decodedSize() const { return m_cache->decodedSize(); }

void PictureView::relayout()
{
    const double before = m_geometry->zoom();
    m_geometry->setPictureSize(m_cache->uprightSize());
    // A fitted picture never needs scroll bars, so it fits the whole area.
    m_geometry->setViewportSize(m_geometry->sizeToFit() ? maximumViewportSize() : viewport()->size());
    const QSize range = m_geometry->scrollRange();
    horizontalScrollBar()->setRange(0, range.width());
    verticalScrollBar()->setRange(0, range.height());
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    viewport()->update();
    if (!qFuzzyCompare(before, m_geometry->zoom()))
        Q_EMIT zoomChanged(m_geometry->zoom());
}

void PictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), m_background);
    if (!m_cache->isOpen())
        return;
    const QRect target = m_geometry->pictureRect(scrollOffset());
    const QImage &image = m_cache->imageFor(m_geometry->decodeSize(devicePixelRatioF()));
    if (image.isNull() || target.isEmpty())
        return;
    const QRect visible = target & viewport()->rect();
    const double sx = double(image.width()) / target.width();
    const double sy = double(image.height()) / target.height();
    const QRectF source((visible.x() - target.x()) * sx, (visible.y() - target.y()) * sy, visible.width() * sx,
                        visible.height() * sy);
    // Smooth when a larger decode is drawn smaller; zoomed in, pixels stay crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, sx > 1.0 || sy > 1.0);
    painter.drawImage(QRectF(visible), image, source);
    if (m_overlayVisible && m_overlay && !m_overlay->IsEmpty()) {
        const QSize picture = m_cache->uprightSize();
        const double scale = double(target.width()) / picture.width();
        painter.setClipRect(visible);
        m_overlay->Draw(painter, target.x(), target.y(), int(std::lround(m_overlay->Width() * scale)),
                        int(std::lround(m_overlay->Height() * scale)));
    }
}

void PictureView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void PictureView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    relayout();
}

void PictureView::hideEvent(QHideEvent *event)
{
    QAbstractScrollArea::hideEvent(event);
    releaseMemory();
}

void PictureView::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT mouseDown(core::mouseButtonCode(event->button()));
    event->accept();
}

void PictureView::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_EMIT doubleClicked();
    event->accept();
}

void PictureView::scrollContentsBy(int, int) { viewport()->update(); }

void PictureView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // Touchpads send small deltas: a step is taken per whole notch.
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    m_wheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        Q_EMIT zoomWheel(steps, event->position());
    event->accept();
}

void PictureView::contextMenuEvent(QContextMenuEvent *event)
{
    Q_EMIT contextMenuRequested(event->globalPos());
    event->accept();
}

bool PictureView::viewportEvent(QEvent *event)
{
    // Scroll bars coming or going resize the viewport, not the view.
    if (event->type() == QEvent::Resize && m_geometry->viewportSize() != viewport()->size() && !sizeToFit())
        relayout();
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace quarvik
