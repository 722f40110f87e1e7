#pragma once

// PictureView: the picture viewer the attachment control hosts as PictureView1.
//
// How the control uses it:
// - Before a file goes into the view (file pick, scan, drop), call
//   quarvik::PictureImport::prepare(path) (PictureImport.h). It refuses damaged,
//   empty, mislabelled or oversized files with a German message and turns a
//   HEIC/HEIF photo into an upright temporary JPEG; store and show the path it
//   returns. quarvik::PictureImport::isPictureFile(path) tells by content
//   whether a file is a picture this view can show.
// - setFileName(path) loads (the same path again reloads, e.g. after an outside
//   application edited the file); setFileName("") empties the view.
// - zoom() is the zoom in percent actually shown: with size-to-fit on it is the
//   fitted zoom (tZoomFaktor), else the zoom last given to setZoom().
// - setOverlay()/setOverlayVisible() draw the annotation over the picture in
//   picture pixels (the upright picture's pixels).
// - picture() is the upright picture at full size, pictureScaled(bound) the
//   upright picture decoded to fit into bound (printing at <= 300 dpi),
//   pictureSize() the upright size without decoding anything.
// - releaseMemory() drops a full-size decode; the view does it itself when it
//   is hidden and decodes again, at the size shown, when it is painted.
// - selectPictureFile() and acquireFromScanner() are modal and return a file
//   path or "" (cancelled, or a scan that failed: told through
//   core::MessageService). A scanned file is a temporary PNG the caller owns;
//   both paths still go through PictureImport::prepare before use.
// - mouseDown(button) carries 1 for the left, 2 for the right and 4 for the
//   middle button; doubleClicked() follows a double-click of any button.
// - zoomWheel(steps, place) asks for zoom steps (positive: larger) from
//   Ctrl+wheel at place; the host picks the zoom and calls zoomAt().
//   contextMenuRequested(globalPos) follows a right click or the menu key.

#include "quarvik/PictureImport.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>

#include <memory>
#include <optional>

namespace sendral {
class OverlayGraphic;
}

namespace quarvik {

class PictureCache;
class ViewGeometry;

class PictureView : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)
    Q_PROPERTY(double zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
    Q_PROPERTY(bool sizeToFit READ sizeToFit WRITE setSizeToFit)
    Q_PROPERTY(bool overlayVisible READ overlayVisible WRITE setOverlayVisible)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit PictureView(QWidget *parent = nullptr);
    ~PictureView() override;

    QString fileName() const;
    // Loads the file; "" empties the view. False when the file cannot be
    // shown: the view then shows nothing, errorString() tells why in German,
    // and fileName() still names the file, so that an attachment whose stored
    // picture is damaged is kept and saved as it is, never dropped.
    bool setFileName(const QString &path);
    // Why the file cannot be shown (also when its picture data turned out
    // damaged while it was painted); empty while all is well.
    QString errorString() const;

    // The upright picture at full size; null when the view is empty.
    QImage picture() const;
    // The upright picture decoded to fit into bound, keeping its proportions
    // and never larger than the picture itself.
    QImage pictureScaled(const QSize &bound) const;
    // The upright picture's size in pixels; empty when the view is empty.
    QSize pictureSize() const;

    double zoom() const;
    // Keeps the picture point at the viewport's centre where it was.
    void setZoom(double percent);
    // Leaves size-to-fit for the zoom given, keeping the picture point under
    // place (viewport coordinates; none: the centre) where it was.
    void zoomAt(double percent, const std::optional<QPointF> &place = std::nullopt);
    bool sizeToFit() const;
    void setSizeToFit(bool on);

    bool overlayVisible() const;
    void setOverlayVisible(bool visible);
    std::shared_ptr<sendral::OverlayGraphic> overlay() const;
    void setOverlay(std::shared_ptr<sendral::OverlayGraphic> overlay);

    QColor backgroundColor() const;
    void setBackgroundColor(const QColor &colour);

    // Modal file pick with a German picture filter; remembers its folder in
    // the per-user settings. "" when cancelled.
    QString selectPictureFile();
    // Modal scan from a SANE scanner; "" when cancelled or failed (told).
    QString acquireFromScanner();

    // Drops a decoded picture larger than what is shown.
    void releaseMemory();
    // The size of the picture currently held decoded (for tests and measuring).
    QSize decodedSize() const;

Q_SIGNALS:
    void mouseDown(int button);
    void doubleClicked();
    void zoomChanged(double percent);
    void zoomWheel(int steps, const QPointF &place);
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void relayout();
    QPoint scrollOffset() const;
    // Runs change and brings the picture point under place (none: the
    // viewport's centre) back there.
    template <typename Change> void keepingPointAt(const std::optional<QPointF> &place, Change change);

    std::unique_ptr<PictureCache> m_cache;
    std::unique_ptr<ViewGeometry> m_geometry;
    std::shared_ptr<sendral::OverlayGraphic> m_overlay;
    QString m_fileName;
    QColor m_background;
    bool m_overlayVisible = true;
    int m_wheelAngle = 0;
};

} // namespace quarvik
