#pragma once

#include "Engine.h"

#include <memory>
#include <vector>

namespace dao::detail {

// The rows a scrollable recordset has read so far, kept compactly in the
// engine's own form: one small cell per value, the bytes of short texts in
// large shared blocks, long values in implicitly shared byte arrays.
class RowCache {
public:
    explicit RowCache(int columns) : m_columns(columns) {}

    void append(const Statement &statement);
    long rows() const { return m_columns == 0 ? m_rowCount : long(m_cells.size() / size_t(m_columns)); }
    RawValue raw(long row, int column) const;

private:
    struct Cell {
        qint64 value = 0;     // integer, bits of a real, block offset or index of a long value
        qint32 size = 0;
        quint8 type = RawValue::Null;
        bool big = false;
    };
    static constexpr qint64 BlockSize = 256 * 1024;
    static constexpr qint64 BigValue = 16 * 1024;

    qint64 store(const char *data, qint64 size);

    int m_columns;
    long m_rowCount = 0;
    std::vector<Cell> m_cells;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    qint64 m_blockUsed = BlockSize;
    std::vector<QByteArray> m_big;
};

} // namespace dao::detail
