#include "list/GridColumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTableView>

namespace list {

GridColumns::GridColumns(QTableView &grid)
    : QObject(&grid), m_grid(grid), m_viewport(grid.viewport()), m_scale(grid.fontMetrics().averageCharWidth())
{
    connect(grid.horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (m_filling)
            return;
        if (section == Schaden)
            m_schadenOwnWidth = size;
        else
            fillSchaden();
    });
    m_viewport->installEventFilter(this);
}

bool GridColumns::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport is told of its own end while the grid is half gone: only its pointer is compared.
    if (event->type() == QEvent::Resize && watched == m_viewport)
        fillSchaden();
    return QObject::eventFilter(watched, event);
}

void GridColumns::fillSchaden()
{
    QHeaderView *header = m_grid.horizontalHeader();
    if (header->isSectionHidden(Schaden) || m_schadenOwnWidth <= 0)
        return;
    int others = 0;
    for (int n = 1; n <= Visible; ++n)
        if (n != Schaden && !header->isSectionHidden(n))
            others += header->sectionSize(n);
    const QScopedValueRollback filling(m_filling, true);
    header->resizeSection(Schaden, fillWidth(m_schadenOwnWidth, m_viewport->width(), others));
}

void GridColumns::measure()
{
    const QHeaderView *header = m_grid.horizontalHeader();
    for (int n = 1; n <= Visible; ++n) {
        int pixels = header->isSectionHidden(n) ? 0 : header->sectionSize(n);
        // What the column fills beyond its own width belongs to the window.
        if (n == Schaden && pixels != 0)
            pixels = m_schadenOwnWidth;
        int &twips = m_widths[size_t(n - 1)];
        twips = m_scale.keptOrMeasured(twips, pixels);
    }
}

void GridColumns::apply()
{
    QHeaderView *header = m_grid.horizontalHeader();
    m_grid.setColumnHidden(0, true);
    for (int n = 1; n <= Visible; ++n) {
        const int twips = m_widths[size_t(n - 1)];
        m_grid.setColumnHidden(n, twips == 0);
        if (twips != 0) {
            const QScopedValueRollback filling(m_filling, true);
            header->resizeSection(n, m_scale.toPixels(twips));
        }
    }
    m_schadenOwnWidth = m_scale.toPixels(m_widths[size_t(Schaden - 1)]);
    fillSchaden();
}

void GridColumns::showSortIndicator(const QString &field, bool ascending)
{
    const QAbstractItemModel *model = m_grid.model();
    for (int section = 1; section < model->columnCount(); ++section) {
        if (!field.isEmpty() && model->headerData(section, Qt::Horizontal).toString().toUpper() == field) {
            m_grid.horizontalHeader()->setSortIndicator(section, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            return;
        }
    }
    m_grid.horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
}

int GridColumns::firstShown() const
{
    int first = 1;
    while (first < Visible && m_grid.isColumnHidden(first))
        ++first;
    return first;
}

} // namespace list
