#include "ole/DocumentPicture.h"

#include "quarvik/PictureReader.h"

#include <poppler-qt6.h>

#include <QFontMetrics>
#include <QIcon>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

namespace ole {

namespace {

// A page rendered for a large print stays within this many pixels.
constexpr qint64 MaxPixels = 40'000'000;

bool isPdf(const Document &document) { return document.className == QLatin1String("application/pdf"); }

bool isPicture(const Document &document) { return document.className.startsWith(QLatin1String("image/")); }

QSize limited(QSize size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > MaxPixels)
        size = size.scaled(QSize(8000, 5000), Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

QImage pdfFirstPage(const QByteArray &bytes, const QSize &bound)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::loadFromData(bytes);
    if (!pdf || pdf->isLocked() || pdf->numPages() < 1)
        return {};
    const std::unique_ptr<Poppler::Page> page = pdf->page(0);
    if (!page)
        return {};
    const QSizeF points = page->pageSizeF();
    if (points.isEmpty())
        return {};
    pdf->setRenderHint(Poppler::Document::Antialiasing);
    pdf->setRenderHint(Poppler::Document::TextAntialiasing);
    const QSize target = limited(points.scaled(QSizeF(bound), Qt::KeepAspectRatio).toSize());
    const double dpi = 72.0 * target.width() / points.width();
    QImage image = page->renderToImage(dpi, dpi, 0, 0, target.width(), target.height());
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage picture(const Document &document, const QSize &bound)
{
    quarvik::PictureReader reader(document.bytes, document.fileName);
    if (!reader.probe())
        return {};
    // Fitted into the bound, a small picture enlarged as a page is.
    const QSize target = limited(reader.uprightSize().scaled(bound, Qt::KeepAspectRatio));
    const QImage image = reader.read(target);
    return image.isNull() || image.size() == target
        ? image
        : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A sheet with a folded corner and the file's extension, for types the
// desktop theme has no icon for.
QPixmap drawnIcon(const QString &fileName, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(side * 0.18, side * 0.05, side * 0.64, side * 0.9);
    const double fold = side * 0.18;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(QColor(90, 90, 90), qMax(1.0, side / 48.0)));
    painter.setBrush(Qt::white);
    painter.drawPath(outline);
    painter.drawLine(QPointF(sheet.right() - fold, sheet.top()), QPointF(sheet.right() - fold, sheet.top() + fold));
    painter.drawLine(QPointF(sheet.right() - fold, sheet.top() + fold), QPointF(sheet.right(), sheet.top() + fold));
    const QString suffix = fileName.section(QLatin1Char('.'), -1).toUpper();
    if (fileName.contains(QLatin1Char('.')) && !suffix.isEmpty()) {
        QFont font;
        font.setBold(true);
        font.setPixelSize(qMax(6, side / 7));
        painter.setFont(font);
        painter.setPen(QColor(40, 70, 140));
        painter.drawText(sheet.adjusted(2, fold, -2, 0), Qt::AlignCenter, suffix.left(5));
    }
    return pixmap;
}

QPixmap typeIcon(const Document &document, int side)
{
    const QMimeType mime = QMimeDatabase().mimeTypeForName(document.className);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull())
        return drawnIcon(document.fileName, side);
    return icon.pixmap(QSize(side, side));
}

QImage iconCard(const Document &document, const QSize &bound)
{
    const QSize size = limited(bound);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent); // the container's background shows through
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setPixelSize(qBound(8, size.height() / 16, 48));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int textHeight = 2 * metrics.lineSpacing() + metrics.lineSpacing() / 2;
    const int side = qMax(8, qMin(size.width() * 2 / 3, size.height() - textHeight) * 3 / 4);
    const int top = qMax(0, (size.height() - side - textHeight) / 2);
    painter.drawPixmap(QRect((size.width() - side) / 2, top, side, side), typeIcon(document, side));
    const QRect textBox(4, top + side + metrics.lineSpacing() / 2, size.width() - 8, textHeight);
    const QString sizeText = QLocale().formattedDataSize(document.bytes.size(), 1, QLocale::DataSizeTraditionalFormat);
    painter.setPen(Qt::black);
    painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop,
                     metrics.elidedText(document.fileName, Qt::ElideMiddle, textBox.width()) + QLatin1Char('\n') + sizeText);
    return image;
}

} // namespace

bool showsContent(const Document &document) { return isPdf(document) || isPicture(document); }

QImage documentPicture(const Document &document, const QSize &bound)
{
    if (document.isEmpty() || bound.isEmpty())
        return {};
    QImage image;
    if (isPdf(document))
        image = pdfFirstPage(document.bytes, bound);
    else if (isPicture(document))
        image = picture(document, bound);
    return image.isNull() ? iconCard(document, bound) : image;
}

} // namespace ole
