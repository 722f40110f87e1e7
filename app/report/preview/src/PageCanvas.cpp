#include "preview/PageCanvas.h"

#include "core/Twips.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace report {

PageCanvas::PageCanvas(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
}

QImage PageCanvas::blankPage() const
{
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

void PageCanvas::setPage(QImage page)
{
    m_page = std::move(page);
    update();
}

void PageCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_page.isNull())
        painter.drawImage(QPointF(0, 0), m_page);
}

void PageCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_dragging = true;
    m_start = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void PageCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    // The canvas follows the pointer, so the start point stays under it.
    const QPoint displacement = event->position().toPoint() - m_start;
    if (std::abs(displacement.x()) * core::TwipsPerPixel > PanThresholdTwips ||
        std::abs(displacement.y()) * core::TwipsPerPixel > PanThresholdTwips)
        Q_EMIT dragged(displacement);
}

void PageCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

} // namespace report
