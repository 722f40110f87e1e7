#pragma once

#include "list/ColumnWidths.h"

#include <QObject>
#include <QString>

class QTableView;
class QWidget;

namespace list {

// The list grid's columns: the case ID hidden, the eight list columns as
// wide as stored (0 hides one), "Schaden" taking the room the others leave,
// the sort indicator on the sorted column, and the widths read back for
// storing as the user dragged them.
class GridColumns : public QObject {
    Q_OBJECT
public:
    static constexpr int Visible = 8;
    static constexpr int Schaden = 5;

    // grid shows the list's model, in the font the stored widths were made for.
    explicit GridColumns(QTableView &grid);

    const ColumnWidths &widths() const { return m_widths; }
    void setWidths(const ColumnWidths &widths) { m_widths = widths; }
    const ColumnScale &scale() const { return m_scale; }

    // Lays the grid's columns out at the stored widths.
    void apply();
    // Reads the shown widths back into the stored ones.
    void measure();
    // The indicator on the column whose caption is field ("" none);
    // ascending is the list's flag.
    void showSortIndicator(const QString &field, bool ascending);
    // The first list column shown, where the current row's cell goes.
    int firstShown() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillSchaden();

    QTableView &m_grid;
    QWidget *m_viewport;
    ColumnScale m_scale;
    ColumnWidths m_widths = parseColumnWidths(DefaultColumnWidthsText);
    int m_schadenOwnWidth = 0;   // pixels, as laid out or dragged, before filling
    bool m_filling = false;
};

} // namespace list
