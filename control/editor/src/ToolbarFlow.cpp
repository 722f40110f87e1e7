#include "ToolbarFlow.h"

#include <QWidget>

#include <algorithm>

namespace kelvane::editor {

ToolbarFlow::ToolbarFlow(int spacing) : m_gap(spacing) { setContentsMargins(0, 0, 0, 0); }

ToolbarFlow::~ToolbarFlow()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void ToolbarFlow::addItem(QLayoutItem *item) { m_items.append(item); }

QLayoutItem *ToolbarFlow::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

QSize ToolbarFlow::minimumSize() const
{
    // As narrow as the widest toolbar; as high as the rows that width needs.
    int width = 0;
    for (const QLayoutItem *item : m_items)
        width = std::max(width, item->sizeHint().width());
    return {width, heightForWidth(width)};
}

QSize ToolbarFlow::sizeHint() const
{
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? m_gap : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    return {width, height};
}

void ToolbarFlow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int ToolbarFlow::arrange(const QRect &rect, bool place) const
{
    int y = rect.y();
    QList<QLayoutItem *> row;
    int rowWidth = 0;
    int rowHeight = 0;
    // A finished row: its items centred on one line.
    const auto close = [&] {
        int x = rect.x();
        for (QLayoutItem *item : row) {
            const QSize size = item->sizeHint();
            if (place)
                item->setGeometry(QRect(QPoint(x, y + (rowHeight - size.height()) / 2), size));
            x += size.width() + m_gap;
        }
        y += rowHeight;
        row.clear();
        rowWidth = 0;
        rowHeight = 0;
    };
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (!row.isEmpty() && rowWidth + m_gap + size.width() > rect.width())
            close();
        rowWidth += (row.isEmpty() ? 0 : m_gap) + size.width();
        rowHeight = std::max(rowHeight, size.height());
        row.append(item);
    }
    close();
    return y - rect.y();
}

} // namespace kelvane::editor
