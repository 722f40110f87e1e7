#pragma once

#include "editor/GraficGeometry.h"

#include <QGraphicsObject>

namespace kelvane::editor {

// One annotation shape on screen: a graphics item over its GraficGeometry,
// placed in its container (the parent item, else the scene) at the
// geometry's Left/Top. It paints itself, takes clicks only where the hit
// test says so (or on a shown grip), handles grip drags itself and raises
// the other mouse activity to the container in shape pixels.
class GraficObj : public QGraphicsObject {
    Q_OBJECT
public:
    explicit GraficObj(QGraphicsItem *parent = nullptr);

    const GraficGeometry &Geometry() const { return m_shape; }

    ColorRef FillColor() const { return m_shape.FillColor(); }
    void SetFillColor(ColorRef color);
    bool Transparenz() const { return m_shape.Transparenz(); }
    void SetTransparenz(bool transparent);
    ColorRef PenColor() const { return m_shape.PenColor(); }
    void SetPenColor(ColorRef color);
    int PenWidth() const { return m_shape.PenWidth(); }
    void SetPenWidth(int width);
    int Style() const { return m_shape.Style(); }
    void SetStyle(int style);
    bool ShowGrips() const { return m_shape.ShowGrips(); }
    void SetShowGrips(bool show);
    bool ShowFrame() const { return m_shape.ShowFrame(); }
    void SetShowFrame(bool show);

    // The text element; call Repaint after changing caption or font.
    TextElement &Label() { return m_shape.Label(); }
    const BoxElement &Shape() const { return m_shape.Shape(); }
    const LineElement &Line() const { return m_shape.Line(); }

    int ZPos() const { return m_shape.ZPos; }
    void SetZPos(int zpos) { m_shape.ZPos = zpos; }

    // Place in the container, in its pixels.
    QRect Placement() const { return m_shape.Geometry(); }
    void Move(int left, int top);
    void Place(int left, int top, int width, int height);
    void PlaceLine(QPoint from, QPoint to);
    void Repaint();

    // Screen pixels per shape pixel, for grips, the selection frame and the
    // hit tolerances to keep their size on screen.
    double ScreenScale() const { return m_scale; }
    void SetScreenScale(double scale);

    void DrawToDC(QPainter &painter, int ox, int oy) const;
    QString Serialize(int x, int y) const { return m_shape.Serialize(x, y); }
    // False, and the shape left as it was, for a record that cannot be read.
    bool BuildObj(QStringView record, int offsetX = 0, int offsetY = 0);

    QRectF boundingRect() const override;
    bool contains(const QPointF &point) const override;
    bool collidesWithPath(const QPainterPath &path, Qt::ItemSelectionMode mode) const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    // Mouse activity on the shape's surface (not on a grip), in shape pixels.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, float x, float y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void DblClick();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;

private:
    // Takes the geometry's place and size over after it changed.
    void sync();
    QSize containerSize() const;
    QPointF local(const QGraphicsSceneMouseEvent *event) const;
    QPointF onGrip(int grip, QPointF point) const;
    void endGripDrag();

    GraficGeometry m_shape;
    // The place plus what grips and tolerances reach beyond it on screen.
    QRectF reach() const;

    QRect m_placed;
    int m_dragGrip = -1;
    double m_scale = 1.0;
};

} // namespace kelvane::editor
