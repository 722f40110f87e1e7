#pragma once

#include "vehicle/DiagramPainter.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

namespace vehicle {

class MarkSet;

// The diagram on screen: a click places the next mark, a drag moves one,
// Delete removes the chosen one. Clicks on an earlier case's mark choose it.
class MarkSheet : public QWidget {
    Q_OBJECT
public:
    explicit MarkSheet(MarkSet &marks, QWidget *parent = nullptr);
    ~MarkSheet() override;

    void setOutline(const QString &outline);
    void setLocked(bool locked);
    void setZoom(double zoom);

    // The chosen own mark's number (0 none) or earlier mark's ID (0 none).
    int selected() const { return m_selected; }
    long selectedEarlier() const { return m_selectedEarlier; }
    void choose(int nr, long earlierId);

    DiagramGeometry geometry() const;
    MarkSet &marks() const { return m_marks; }
    QSize sizeHint() const override { return {420, 320}; }

signals:
    void chosen();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Paints anew on the next paint event; until then the kept picture
    // serves every repaint (a window moved over it, the record's table scrolled).
    void redraw();

    static constexpr double MarkRadius = 10.0;   // screen pixels

    MarkSet &m_marks;
    std::unique_ptr<DiagramPainter> m_painter;
    QPixmap m_picture;
    QString m_outline;
    bool m_locked = false;
    double m_zoom = 1.0;
    int m_selected = 0;
    long m_selectedEarlier = 0;
    int m_drag = 0;          // the running drag's number, 0 none
    int m_drags = 0;
};

} // namespace vehicle
