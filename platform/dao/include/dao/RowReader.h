#pragma once

#include "dao/Dao.h"

#include <QByteArrayView>

#include <array>
#include <memory>
#include <vector>

namespace dao {

namespace detail {
class Statement;
struct RawValue;
} // namespace detail

// Reads the rows of a query once, front to back, straight from the engine
// (SQLite's column values, the server's result rows): no QVariant and no
// QString per value, for going through very many rows. Values are valid
// until the next call of next(). Throws DaoError.
class RowReader {
public:
    RowReader(Database &db, const QString &statement, const Params &params = {});
    ~RowReader();
    RowReader(const RowReader &) = delete;
    RowReader &operator=(const RowReader &) = delete;

    // Moves to the next row; false after the last.
    bool next();

    bool isNull(int column) const;
    // An integer column's value; 0 for Null or anything else.
    qint64 integer(int column) const;
    // The value as text: UTF-8 for text, the digits for a number, the bytes
    // of a blob; empty for Null.
    QByteArrayView text(int column) const;

private:
    std::unique_ptr<detail::Statement> m_statement;
    std::vector<detail::RawValue> m_row;
    mutable std::vector<std::array<char, 32>> m_numbers;   // a number's digits, per column
};

} // namespace dao
