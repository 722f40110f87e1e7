#pragma once

#include <QString>

namespace list {

// The list's order: the database column it is sorted by, the direction flag
// (true sorts ascending, as the settings file has always stored it) and the
// column of the previous header click.
class SortState {
public:
    static inline const QString DefaultColumn = QStringLiteral("Datum");

    explicit SortState(QString column = DefaultColumn, bool flag = false)
        : m_column(std::move(column)), m_flag(flag) {}

    const QString &column() const { return m_column; }
    bool flag() const { return m_flag; }
    const QString &lastColumn() const { return m_lastColumn; }

    // The database column behind a grid field ("Nr" -> "Schadennummer"),
    // compared in upper case; empty for a field that has none.
    static QString databaseColumn(const QString &field);
    // The grid field showing a database column; empty when none does.
    static QString fieldOf(const QString &databaseColumn);

    // A header click on the column showing field: the first click on a
    // column sorts descending, each further one flips the direction.
    // False when there is nothing to sort by.
    bool headerClicked(const QString &field);

    // " order by <column> asc|desc"; names and words in German order
    // (" order by Kundenname COLLATE German asc").
    QString orderClause() const;
    // The column as the order compares it: "Kundenname COLLATE German".
    QString orderKey() const;

    // The column name is pasted into the statement, so only a plain name
    // is acceptable (letters, digits, underscores).
    static bool isPlainName(const QString &name);

private:
    QString m_column;
    bool m_flag;
    QString m_lastColumn;
};

} // namespace list
