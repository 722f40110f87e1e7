#include "vehicle/MarkSheet.h"

#include "vehicle/MarkSet.h"
#include "vehicle/Outline.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vehicle {

MarkSheet::MarkSheet(MarkSet &marks, QWidget *parent) : QWidget(parent), m_marks(marks)
{
    setObjectName(QStringLiteral("picSkizze"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(240, 180);
    setOutline(OutlineChoice::car());
    connect(&m_marks, &MarkSet::marksChanged, this, [this] {
        if (m_selected != 0 && m_marks.indexOf(m_selected) < 0)
            choose(0, 0);
        redraw();
    });
}

MarkSheet::~MarkSheet() = default;

void MarkSheet::setOutline(const QString &outline)
{
    if (outline == m_outline)
        return;
    m_outline = outline;
    m_painter = std::make_unique<DiagramPainter>(outline);
    redraw();
}

void MarkSheet::setLocked(bool locked)
{
    m_locked = locked;
    m_drag = 0;
}

void MarkSheet::setZoom(double zoom)
{
    m_zoom = zoom;
    redraw();
}

void MarkSheet::choose(int nr, long earlierId)
{
    m_selected = nr;
    m_selectedEarlier = earlierId;
    redraw();
    emit chosen();
}

DiagramGeometry MarkSheet::geometry() const
{
    return m_painter->geometry(QRectF(rect()).adjusted(MarkRadius, MarkRadius, -MarkRadius, -MarkRadius), m_zoom);
}

void MarkSheet::redraw()
{
    m_picture = QPixmap();
    update();
}

void MarkSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_picture = QPixmap();
}

void MarkSheet::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_picture.isNull()) {
        m_picture = QPixmap(size() * ratio);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::white);
        QPainter picture(&m_picture);
        m_painter->paint(picture, geometry(), m_marks.own(), m_marks.earlier(), MarkRadius, m_selected,
                         m_selectedEarlier);
    }
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void MarkSheet::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus();
    const DiagramGeometry where = geometry();
    const QPointF at = event->position();
    const auto hit = [&where, &at](const DamageMark &mark) {
        return QLineF(where.toArea(mark.at), at).length() <= MarkRadius;
    };
    // The own marks lie above the earlier ones, the last drawn on top.
    for (auto mark = m_marks.own().crbegin(); mark != m_marks.own().crend(); ++mark) {
        if (hit(*mark)) {
            choose(mark->nr, 0);
            m_drag = m_locked ? 0 : ++m_drags;
            return;
        }
    }
    for (const DamageMark &mark : m_marks.earlier()) {
        if (hit(mark)) {
            choose(0, mark.id);
            return;
        }
    }
    if (m_locked || !where.contains(at)) {
        choose(0, 0);
        return;
    }
    choose(m_marks.place(where.toDiagram(at)), 0);
    m_drag = ++m_drags;
}

void MarkSheet::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag != 0 && m_selected != 0 && (event->buttons() & Qt::LeftButton))
        m_marks.move(m_selected, geometry().toDiagram(event->position()), m_drag);
}

void MarkSheet::mouseReleaseEvent(QMouseEvent *)
{
    m_drag = 0;
}

void MarkSheet::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && !m_locked && m_selected != 0) {
        m_marks.remove(m_selected);
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vehicle
