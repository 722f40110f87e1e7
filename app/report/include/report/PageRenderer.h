#pragma once

#include "report/PageItems.h"
#include "report/TextMeasure.h"

#include <QColor>
#include <QImage>
#include <QHash>
#include <QRectF>
#include <QSizeF>

#include <memory>

class QPainter;

namespace report {

class CaseAddition;

class AttachmentSource;

struct RenderOptions {
    // The preview: the same faces as the paper, but text whose size at the
    // zoom falls below 2 points shows as a grey box.
    bool toScreen = false;
    double zoom = 1.0;
};

// Draws the laid-out pages onto any painter: the preview's canvas, a
// printer, a PDF, an image. Every drawing works in twips; the painter is
// only scaled, so what lands where does not depend on the device.
class PageRenderer {
public:
    // The 16 colours of colour codes 0 to 15.
    static QColor paletteColour(int code);
    // A colour code: 0 to 15 the palette, larger an RGB value with red in
    // the low byte; an invalid QColor for anything else.
    static QColor colourOfCode(qint64 code);
    static QColor greekingColour() { return QColor(192, 192, 192); }
    // The picture as it goes to the page for a printed size in twips: never
    // more than 300 dots per inch of that size.
    static QImage printedPicture(const QImage &picture, QSizeF twips);

    // extras: items made for each page as it is drawn (the grid's cells), after the kept ones.
    PageRenderer(const PageItemList &items, int totalPages, QSizeF paperCm, AttachmentSource *attachments = nullptr,
                 const PageExtras *extras = nullptr);
    ~PageRenderer();

    // Draws every item of page into target, the rectangle of the painter's
    // device that stands for the whole sheet. A painter that cannot draw
    // (a printer that is not ready) draws nothing: false, for the caller to tell.
    bool RenderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options = {});

    // Draws from other items from now on: the same pages as laid out by another run.
    void setPages(const PageItemList &items, const PageExtras *extras)
    {
        m_items = &items;
        m_extras = extras;
    }

    int currentPage() const { return m_page; }
    // The total the page count items show; grows while the layout goes on.
    void setTotalPages(int total) { m_totalPages = total; }

    // Who draws the SKIZZE items; none by default, then they stay empty.
    void setAddition(CaseAddition *addition) { m_addition = addition; }

    // The pixels a picture item needs: its box at 300 dpi, more is never printed.
    QSize pictureBound(const ReportElement &item) const;

private:
    void RenderItem(const ReportElement &item);
    void DrawTextBox(const QString &text, const QString &font, const QString &style, int size, double x1, double y1,
                     double x2, double y2, int align);
    void DrawTextAt(QString text, QString font, const QString &style, int size, double x, double y);
    void DrawFrame(double x1, double y1, double x2, double y2, double width, int style, qint64 colour);
    void DrawMemo(const ReportElement &item, double x1, double y1, double x2);
    void DrawAttachment(double x1, double y1, double x2, double y2, long objectId, int overlaySwitch, int fit);

    const FontMeasure &fontFor(const QString &face, const QString &style, int size);
    bool greeked(int size) const { return m_options.toScreen && size * m_options.zoom < 2; }
    double adjustX(double x) const { return x < 0 ? m_paper.width() + x : x; }
    double adjustY(double y) const { return y < 0 ? m_paper.height() + y : y; }

    const PageItemList *m_items;
    int m_totalPages;
    QSizeF m_paper;
    AttachmentSource *m_attachments;
    const PageExtras *m_extras;
    CaseAddition *m_addition = nullptr;

    QPainter *m_painter = nullptr;
    RenderOptions m_options;
    int m_page = 0;
    QColor m_colour = Qt::black;

    struct CachedFont {
        QString face, style;
        int size = 0;
        const FontMeasure *measure = nullptr;
    };
    CachedFont m_lastFont;
    QHash<QString, std::shared_ptr<FontMeasure>> m_fonts;
};

} // namespace report
