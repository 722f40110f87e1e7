#pragma once

#include "dao/Dao.h"

#include <QList>
#include <QString>

#include <memory>

namespace report {

struct GridColumn {
    QString caption;
    double width = 0;       // twips; 0 or less: the column is hidden
    int alignment = 0;      // 0 left, 1 right, 2 centred
};

// The rows and columns a grid element prints, in the list's order. The
// list window's grid offers its own; the command line offers a query.
class GridSource {
public:
    virtual ~GridSource() = default;

    // Every column, the first (the case ID) included.
    virtual QList<GridColumn> columns() const = 0;
    // Makes row (0-based, in the list's order) the current one; false when
    // the list has no such row. Rows are asked for first to last.
    virtual bool moveToRow(long row) = 0;
    // A cell of the current row as the grid shows it.
    virtual QString cellText(int column) const = 0;
};

// A grid over the rows of a statement, read as a snapshot.
class QueryGridSource : public GridSource {
public:
    // Throws dao::DaoError when the statement cannot run.
    QueryGridSource(dao::Database &db, const QString &statement, const dao::Params &params,
                    QList<GridColumn> columns);
    ~QueryGridSource() override;

    // The number of rows; reads the statement to its end once.
    long rowCount();

    QList<GridColumn> columns() const override { return m_columns; }
    bool moveToRow(long row) override;
    QString cellText(int column) const override;

private:
    std::unique_ptr<dao::Recordset> m_rs;
    QList<GridColumn> m_columns;
    long m_row = -1;
};

} // namespace report
