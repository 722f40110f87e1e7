#pragma once

#include "list/ListStatement.h"

namespace list {

// The list's rows page by page, each page a statement of its own that
// starts after the last row of the one before in the list's order (the
// sorted column, then the case ID), so that nothing stays open on the
// database between two pages. Rows whose sorted column is Null come
// together, first or last as the engine sorts them; which it is shows in
// the list's first row.
class ListPages {
public:
    struct Page {
        QString text;
        dao::Params params;
    };
    static constexpr int FirstRows = 256;
    static constexpr int MostRows = 16384;

    explicit ListPages(ListStatement statement) : m_statement(std::move(statement)) {}

    // The rows a page after `pages` pages asks for.
    static int rowsOfPage(int pages);

    Page first() const;
    // The page after the row with sortValue and id; nullsLead: the list's
    // first row had no value in the sorted column.
    Page after(const QVariant &sortValue, qlonglong id, bool nullsLead, int pagesBefore) const;

private:
    QString ordered(int rows) const;

    ListStatement m_statement;
};

} // namespace list
