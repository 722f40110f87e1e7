#pragma once

#include "Engine.h"

#include <memory>
#include <vector>

namespace dao::detail {

// The rows a scrollable recordset has read so far, kept compactly in the
// engine's own form: each row's values one after the other in large blocks
// (a tag byte, then the value), long values in implicitly shared byte arrays.
// Reading a row finds its values' places once, so that a row's fields are
// each reached directly.
class RowCache {
public:
    explicit RowCache(int columns) : m_columns(columns) {}

    void append(const Statement &statement);
    long rows() const { return long(m_rows.size()); }
    RawValue raw(long row, int column) const;

private:
    enum Tag : char { TagNull, TagInteger, TagReal, TagText, TagBlob, TagBigText, TagBigBlob };
    static constexpr size_t BlockSize = 1024 * 1024;
    static constexpr qint64 BigValue = 16 * 1024;

    // Where size more bytes of the row being appended can go, p being where
    // it has got to.
    char *room(char *p, size_t size);
    void locate(long row) const;

    int m_columns;
    std::vector<const char *> m_rows;                 // where each row starts
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_blockStart = nullptr;
    size_t m_blockSize = 0;
    char *m_blockEnd = nullptr;                       // where the next row goes
    char *m_rowStart = nullptr;
    std::vector<QByteArray> m_big;

    mutable long m_located = -1;                      // the row m_places describes
    mutable std::vector<const char *> m_places;       // each value's tag in that row
};

} // namespace dao::detail
