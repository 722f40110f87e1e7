#include "RowCache.h"

#include <cstring>

namespace dao::detail {

qint64 RowCache::store(const char *data, qint64 size)
{
    if (m_blockUsed + size > BlockSize) {
        m_blocks.push_back(std::make_unique<char[]>(BlockSize));
        m_blockUsed = 0;
    }
    const qint64 offset = qint64(m_blocks.size() - 1) * BlockSize + m_blockUsed;
    if (size > 0)
        std::memcpy(m_blocks.back().get() + m_blockUsed, data, size_t(size));
    m_blockUsed += size;
    return offset;
}

void RowCache::append(const Statement &statement)
{
    ++m_rowCount;
    for (int c = 0; c < m_columns; ++c) {
        const RawValue raw = statement.raw(c);
        Cell cell;
        cell.type = raw.type;
        switch (raw.type) {
        case RawValue::Null:
            break;
        case RawValue::Integer:
            cell.value = raw.integer;
            break;
        case RawValue::Real:
            std::memcpy(&cell.value, &raw.real, sizeof raw.real);
            break;
        case RawValue::Text:
        case RawValue::Blob:
            if (raw.size > BigValue) {
                cell.big = true;
                cell.value = qint64(m_big.size());
                m_big.push_back(raw.shared ? *raw.shared : QByteArray(raw.data, raw.size));
            } else {
                cell.size = qint32(raw.size);
                cell.value = store(raw.data, raw.size);
            }
            break;
        }
        m_cells.push_back(cell);
    }
}

RawValue RowCache::raw(long row, int column) const
{
    const Cell &cell = m_cells[size_t(row) * size_t(m_columns) + size_t(column)];
    RawValue raw;
    raw.type = RawValue::Type(cell.type);
    switch (raw.type) {
    case RawValue::Null:
        break;
    case RawValue::Integer:
        raw.integer = cell.value;
        break;
    case RawValue::Real:
        std::memcpy(&raw.real, &cell.value, sizeof raw.real);
        break;
    case RawValue::Text:
    case RawValue::Blob:
        if (cell.big) {
            raw.shared = &m_big[size_t(cell.value)];
            raw.data = raw.shared->constData();
            raw.size = raw.shared->size();
        } else {
            raw.data = m_blocks[size_t(cell.value / BlockSize)].get() + cell.value % BlockSize;
            raw.size = cell.size;
        }
        break;
    }
    return raw;
}

} // namespace dao::detail
