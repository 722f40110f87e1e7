#pragma once

#include "export/ExportColumn.h"

#include "dao/Dao.h"

#include <memory>

namespace exporter {

// The rows of a statement, read once from first to last and let go as they
// are passed: a list of any length costs the memory of one row.
class RowSource {
public:
    // Throws dao::DaoError when the statement cannot run.
    RowSource(dao::Database &db, const QString &statement, const dao::Params &params, ExportColumns columns);
    ~RowSource();

    const ExportColumns &columns() const { return m_columns; }
    // The number of rows the statement selects, counted by the engine.
    // Throws dao::DaoError.
    long count();
    // Steps to the next row (the first on the first call); false past the last.
    // Throws dao::DaoError.
    bool next();
    // The value of export column `column` in the current row; invalid for Null.
    QVariant value(int column) const;

private:
    dao::Database &m_db;
    QString m_statement;
    dao::Params m_params;
    ExportColumns m_columns;
    std::unique_ptr<dao::Recordset> m_rs;
    bool m_started = false;
};

} // namespace exporter
