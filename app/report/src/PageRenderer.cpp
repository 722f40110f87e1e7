#include "report/PageRenderer.h"

#include "report/AttachmentSource.h"
#include "report/CaseAddition.h"
#include "report/Format.h"

#include "core/Clock.h"
#include "core/NumberText.h"
#include "core/Twips.h"

#include <QPainter>
#include <QTextOption>

#include <cmath>

namespace report {
namespace {

// A date or page number without a face of its own.
const QString kDefaultFace = QStringLiteral("Times New Roman");
constexpr double kMemoInset = 0.05;   // cm

double tw(double cm) { return cm * TwipsPerCm; }

// A picture is never drawn larger than its box: more than 300 dpi of it is
// not needed. A photo over half a page gets no more than 0.8 megapixels
// (some 170 dpi), so that a report with twenty of them stays a file one can
// send by mail.
constexpr double MaxPrintPixels = 800'000;

QSize boundOfBox(double widthTwips, double heightTwips)
{
    double width = std::ceil(std::abs(widthTwips) * 300 / 1440);
    double height = std::ceil(std::abs(heightTwips) * 300 / 1440);
    if (width * height > MaxPrintPixels) {
        const double scale = std::sqrt(MaxPrintPixels / (width * height));
        width = std::floor(width * scale);
        height = std::floor(height * scale);
    }
    return {int(width), int(height)};
}

Qt::PenStyle penStyle(int style)
{
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QRectF box(double x1, double y1, double x2, double y2)
{
    return QRectF(QPointF(tw(x1), tw(y1)), QPointF(tw(x2), tw(y2))).normalized();
}

} // namespace

QColor PageRenderer::paletteColour(int code)
{
    static const QColor palette[16] = {
        {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128}, {128, 0, 0},     {128, 0, 128},
        {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0},     {0, 255, 255},
        {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    };
    return code >= 0 && code < 16 ? palette[code] : QColor();
}

QColor PageRenderer::colourOfCode(qint64 code)
{
    if (code >= 0 && code < 16)
        return paletteColour(static_cast<int>(code));
    if (code < 0 || code > 0xFFFFFF)
        return {};
    return QColor(static_cast<int>(code & 0xFF), static_cast<int>((code >> 8) & 0xFF),
                  static_cast<int>((code >> 16) & 0xFF));
}

PageRenderer::PageRenderer(const PageItemList &items, int totalPages, QSizeF paperCm, AttachmentSource *attachments,
                           const PageExtras *extras)
    : m_items(&items), m_totalPages(totalPages), m_paper(paperCm), m_attachments(attachments), m_extras(extras)
{
}

PageRenderer::~PageRenderer() = default;

bool PageRenderer::RenderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options)
{
    if (!painter.isActive())
        return false;
    m_painter = &painter;
    m_options = options;
    m_page = page;
    m_colour = Qt::black;

    painter.save();
    if (options.toScreen)
        painter.fillRect(target, Qt::white);
    painter.translate(target.topLeft());
    painter.scale(target.width() / tw(m_paper.width()), target.height() / tw(m_paper.height()));
    painter.setRenderHint(QPainter::Antialiasing, options.toScreen);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    const auto [first, end] = m_items->pageRange(page);
    for (int i = first; i < end; ++i) {
        const ReportElement &item = m_items->at(i);
        if (item.page == page)
            RenderItem(item);
    }
    if (m_extras) {
        try {
            m_extras->forEachExtra(page, [this](const ReportElement &item) { RenderItem(item); });
        } catch (...) {
            // The grid could not be read: the painter is left as it was given.
            painter.restore();
            m_painter = nullptr;
            throw;
        }
    }
    painter.restore();
    m_painter = nullptr;
    return true;
}

void PageRenderer::RenderItem(const ReportElement &item)
{
    // Every item carries the flow position it was laid out at, so its place
    // needs no replay of the sections before it.
    const double x1 = adjustX(item.x1);
    const double y1 = adjustY(item.y1) + item.flow;
    const auto x2 = [&] { return adjustX(item.x2); };
    const auto y2 = [&] { return adjustY(item.y2) + item.flow; };
    switch (item.kind) {
    case ElementKind::Text:
    case ElementKind::Field:
        DrawTextBox(item.text, item.font, item.style, item.size, x1, y1, item.x2 == 0 ? 0 : x2(),
                    item.y2 == 0 ? 0 : y2(), item.align);
        break;
    case ElementKind::PrintDate:
        DrawTextAt(formatDate(core::Clock::now(), item.format), item.font, item.style, item.size, x1, y1);
        break;
    case ElementKind::Page:
        DrawTextAt(formatNumber(m_page, item.format), item.font, item.style, item.size, x1, y1);
        break;
    case ElementKind::Pages:
        DrawTextAt(formatNumber(m_totalPages, item.format), item.font, item.style, item.size, x1, y1);
        break;
    case ElementKind::Rect:
        DrawFrame(x1, y1, x2(), y2(), item.lineWidth, item.align, item.extra);
        break;
    case ElementKind::Picture:
        // Read as the page's pictures were prepared, so both find the same one.
        DrawAttachment(x1, y1, x2(), y2(), PagePictures::objectIdOf(item.text), item.align, item.fit);
        break;
    case ElementKind::Memo:
        DrawMemo(item, x1, y1, x2());
        break;
    case ElementKind::Drawing:
        if (m_addition)
            m_addition->draw(*m_painter, box(x1, y1, x2(), y2()), item.text.toLong(), item.field);
        break;
    case ElementKind::Filter:
    case ElementKind::End:
    case ElementKind::Grid:
    case ElementKind::None:
        break;
    }
}

const FontMeasure &PageRenderer::fontFor(const QString &face, const QString &style, int size)
{
    if (m_lastFont.measure && m_lastFont.size == size && m_lastFont.face == face && m_lastFont.style == style)
        return *m_lastFont.measure;
    const QString key = face + u'\x1f' + style.toUpper() + u'\x1f' + QString::number(size);
    std::shared_ptr<FontMeasure> &entry = m_fonts[key];
    if (!entry)
        entry = std::make_shared<FontMeasure>(reportFont(face, style, size));
    m_lastFont = {face, style, size, entry.get()};
    return *entry;
}

void PageRenderer::DrawTextBox(const QString &text, const QString &font, const QString &style, int size, double x1,
                               double y1, double x2, double y2, int align)
{
    const FontMeasure &fm = fontFor(font, style, size);
    const QList<QStringView> lines = textLines(text);
    QList<double> widths;
    widths.reserve(lines.size());
    double widest = 0;
    for (QStringView line : lines) {
        widths.append(line.isEmpty() ? 0.0 : fm.width(line.toString()));
        widest = std::max(widest, widths.last());
    }
    const double textHeight = fm.lineHeight() * static_cast<double>(lines.size());
    const double left = tw(x1);
    const double top = tw(y1);
    const double right = x2 == 0 ? left + widest : tw(x2);
    const double bottom = y2 == 0 ? top + textHeight : tw(y2);

    if (greeked(size)) {
        m_painter->fillRect(QRectF(left, top, widest, textHeight), greekingColour());
        return;
    }
    const QRectF area = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    // Text is drawn from the top of its box; what passes the box is cut off.
    const bool clip = widest > area.width() + 0.5 || textHeight > area.height() + 0.5;
    if (clip) {
        m_painter->save();
        m_painter->setClipRect(area, Qt::IntersectClip);
    }
    m_painter->setFont(fm.font());
    m_painter->setPen(Qt::black);
    double y = area.top() + fm.ascent();
    for (qsizetype i = 0; i < lines.size(); ++i, y += fm.lineHeight()) {
        if (lines[i].isEmpty())
            continue;
        double x = area.left();
        if (align == 1)
            x = area.right() - widths[i];
        else if (align == 2)
            x = area.left() + (area.width() - widths[i]) / 2;
        m_painter->drawText(QPointF(x, y), lines[i].toString());
    }
    if (clip)
        m_painter->restore();
}

void PageRenderer::DrawTextAt(QString text, QString font, const QString &style, int size, double x, double y)
{
    if (size == 0)
        size = 8;
    if (font.isEmpty())
        font = kDefaultFace;
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    const FontMeasure &fm = fontFor(font, style, size);
    if (greeked(size)) {
        const QSizeF extent = fm.textSize(text);
        m_painter->fillRect(QRectF(QPointF(tw(x), tw(y)), extent), greekingColour());
        return;
    }
    m_painter->setFont(fm.font());
    m_painter->setPen(Qt::black);
    m_painter->drawText(QPointF(tw(x), tw(y) + fm.ascent()), text);
}

void PageRenderer::DrawFrame(double x1, double y1, double x2, double y2, double width, int style, qint64 colour)
{
    // A colour code that names no colour keeps the one drawn with before.
    const QColor c = colourOfCode(colour);
    if (c.isValid())
        m_colour = c;
    if (style == 5)
        return;
    if (style == 6) {
        m_painter->fillRect(box(x1, y1, x2, y2), m_colour);
        return;
    }
    if (width <= 0) {
        QPen pen(m_colour, 0, penStyle(style));
        pen.setCosmetic(true);
        m_painter->setPen(pen);
        m_painter->setBrush(Qt::NoBrush);
        const QRectF r = box(x1, y1, x2, y2);
        if (r.width() == 0 || r.height() == 0)
            m_painter->drawLine(r.topLeft(), r.bottomRight());
        else
            m_painter->drawRect(r);
        return;
    }
    m_painter->fillRect(box(x1, y1, x1 + width, y2), m_colour);
    m_painter->fillRect(box(x2 - width, y1, x2, y2), m_colour);
    m_painter->fillRect(box(x1, y1, x2, y1 + width), m_colour);
    m_painter->fillRect(box(x1, y2 - width, x2, y2), m_colour);
}

void PageRenderer::DrawMemo(const ReportElement &item, double x1, double y1, double x2)
{
    const double inset = item.align != 0 ? kMemoInset : 0;
    x1 += inset;
    y1 += inset;
    x2 -= inset;
    const FontMeasure &fm = fontFor(item.font, item.style, item.size);
    const WrappedText wrapped(item.text, fm, tw(x2 - x1));
    const int lines = item.text.isEmpty() ? 0 : static_cast<int>(wrapped.lines().size());
    const double bottom = y1 + lines * fm.lineHeight() / TwipsPerCm;
    const bool framed = inset > 0 && !item.text.isEmpty();

    if (framed && item.align == 3)
        DrawFrame(x1 - inset, y1 - inset, x2 + inset, y1 - inset, 0, 0, item.extra);

    m_painter->setFont(fm.font());
    m_painter->setPen(Qt::black);
    QTextOption tabs;
    tabs.setWrapMode(QTextOption::NoWrap);
    tabs.setTabStopDistance(4 * QFontMetricsF(fm.font()).averageCharWidth());
    double top = tw(y1);
    for (int i = 0; i < lines; ++i, top += fm.lineHeight()) {
        const WrappedLine &line = wrapped.lines()[i];
        const QString text = item.text.mid(line.start, line.length);
        if (text.trimmed().isEmpty())
            continue;
        if (text.contains(u'\t'))
            m_painter->drawText(QRectF(tw(x1), top, tw(x2 - x1) * 2, fm.lineHeight()), text, tabs);
        else
            m_painter->drawText(QPointF(tw(x1), top + fm.ascent()), text);
    }

    if (!framed)
        return;
    switch (item.align) {
    case 1:
        DrawFrame(x1 - inset, y1 - inset, x2 + inset, bottom + inset, 0, 0, item.extra);
        break;
    case 2:
        DrawFrame(x1 - inset, bottom, x2 + inset, bottom + inset, 0, 0, item.extra);
        break;
    case 3:
        DrawFrame(x1 - inset, bottom + inset, x2 + inset, bottom + inset, 0, 0, item.extra);
        break;
    default:
        break;
    }
}

QSize PageRenderer::pictureBound(const ReportElement &item) const
{
    return boundOfBox(std::round(tw(adjustX(item.x2) - adjustX(item.x1))),
                      std::round(tw(adjustY(item.y2) - adjustY(item.y1))));
}

void PageRenderer::DrawAttachment(double x1, double y1, double x2, double y2, long objectId, int overlaySwitch,
                                  int fit)
{
    if (objectId <= 0 || !m_attachments)
        return;
    // Box and picture both in twips: the picture's own size at its resolution.
    const double boxWidth = std::round(tw(x2 - x1));
    const double boxHeight = std::round(tw(y2 - y1));
    const QSize bound = boundOfBox(boxWidth, boxHeight);
    const QImage picture = m_attachments->printPicture(objectId, overlaySwitch == 0, bound);
    if (picture.isNull())
        return;
    const auto dpi = [](int dotsPerMeter) { return dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 96.0; };
    const double width = std::round(picture.width() * 1440.0 / dpi(picture.dotsPerMeterX()));
    const double height = std::round(picture.height() * 1440.0 / dpi(picture.dotsPerMeterY()));
    QSizeF size(width, height);
    if (fit == 2) {
        size = QSizeF(boxWidth, boxHeight);
    } else if (fit == 1 || width > boxWidth || height > boxHeight) {
        const double factor = std::min(boxHeight / (height + 1), boxWidth / (width + 1));
        size = QSizeF(width * factor, height * factor);
    }
    m_painter->drawImage(QRectF(QPointF(tw(x1), tw(y1)), size), printedPicture(picture, size));
}

QImage PageRenderer::printedPicture(const QImage &picture, QSizeF twips)
{
    // More than 300 dots per inch of the printed size show nowhere but in
    // the size of the printout; a photo is brought down to that.
    constexpr double MaxDotsPerTwip = 300.0 / 1440.0;
    const QSize most(int(std::ceil(twips.width() * MaxDotsPerTwip)), int(std::ceil(twips.height() * MaxDotsPerTwip)));
    if (most.isEmpty() || (picture.width() <= most.width() && picture.height() <= most.height()))
        return picture;
    const QSize target(std::min(picture.width(), most.width()), std::min(picture.height(), most.height()));
    return picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace report
