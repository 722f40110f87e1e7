#include "DocumentCard.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

namespace ole {
namespace {

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

} // namespace

QImage documentCard(const Document &document, const QSize &bound, const QString &title, const QString &note)
{
    const QSize size = bound.boundedTo(QSize(4000, 4000)).expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent); // the container's background shows through
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setPixelSize(qBound(8, size.height() / 16, 48));
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(font);
    const int line = metrics.lineSpacing();
    const int textWidth = size.width() - 8;
    const QString sizeText = QLocale().formattedDataSize(document.bytes.size(), 1, QLocale::DataSizeTraditionalFormat);
    const QString nameAndSize = metrics.elidedText(document.fileName, Qt::ElideMiddle, textWidth) + QLatin1Char('\n') + sizeText;
    const QRect noteRect = note.isEmpty() ? QRect()
                                          : metrics.boundingRect(QRect(0, 0, textWidth, 4 * line),
                                                                 Qt::AlignHCenter | Qt::TextWordWrap, note);
    const int textHeight = (title.isEmpty() ? 0 : line) + 2 * line + noteRect.height() + line / 2;
    const int side = qMax(8, qMin(size.width() * 2 / 3, size.height() - textHeight) * 3 / 4);
    const int top = qMax(0, (size.height() - side - textHeight) / 2);
    painter.drawPixmap(QRect((size.width() - side) / 2, top, side, side), typeIcon(document, side));
    int y = top + side + line / 2;
    painter.setPen(Qt::black);
    if (!title.isEmpty()) {
        painter.setFont(bold);
        painter.drawText(QRect(4, y, textWidth, line), Qt::AlignHCenter | Qt::AlignTop, title);
        y += line;
    }
    painter.setFont(font);
    painter.drawText(QRect(4, y, textWidth, 2 * line), Qt::AlignHCenter | Qt::AlignTop, nameAndSize);
    y += 2 * line;
    if (!note.isEmpty())
        painter.drawText(QRect(4, y, textWidth, noteRect.height()), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, note);
    return image;
}

} // namespace ole
