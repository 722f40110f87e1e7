#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace report {

// The preview's page canvas: it keeps the last page drawn into it and
// shows that on every repaint, and turns a drag with the left button into
// displacements for the scroll bars.
class PageCanvas : public QWidget {
    Q_OBJECT
public:
    // A drag moves the page once the pointer is more than this many twips
    // away from where it was pressed.
    static constexpr int PanThresholdTwips = 5;

    explicit PageCanvas(QWidget *parent = nullptr);

    // An image of the canvas's size at the screen's pixel ratio, to draw a page into.
    QImage blankPage() const;
    void setPage(QImage page);
    const QImage &page() const { return m_page; }
    bool dragging() const { return m_dragging; }

Q_SIGNALS:
    // The pointer, held down, is displacement away from where it was pressed.
    void dragged(QPoint displacement);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_page;
    bool m_dragging = false;
    QPoint m_start;
};

} // namespace report
