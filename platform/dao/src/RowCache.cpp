#include "RowCache.h"

#include "BlockPool.h"

#include <cstring>

namespace dao::detail {
namespace {

template <typename T>
char *put(char *p, T value)
{
    std::memcpy(p, &value, sizeof value);
    return p + sizeof value;
}

} // namespace

RowCache::~RowCache()
{
    for (Block &block : m_blocks)
        if (block.size == BlockPool::BlockSize)
            BlockPool::instance().give(std::move(block.bytes));
}

char *RowCache::room(size_t size)
{
    if (size_t(m_blockEnd - m_blockStart) + size <= m_blockSize)
        return m_blockEnd;
    // Rows never span blocks; a row larger than a block gets one of its own.
    const bool ordinary = size <= BlockPool::BlockSize;
    m_blockSize = ordinary ? BlockPool::BlockSize : size;
    m_blocks.push_back({ordinary ? BlockPool::instance().take() : std::make_unique_for_overwrite<char[]>(size),
                        m_blockSize});
    m_blockStart = m_blocks.back().bytes.get();
    m_blockEnd = m_blockStart;
    return m_blockEnd;
}

void RowCache::append(const RawValue *values)
{
    // The room for the whole row first, so that the values go in unchecked.
    size_t size = 0;
    for (int c = 0; c < m_columns; ++c) {
        const RawValue &raw = values[c];
        switch (raw.type) {
        case RawValue::Null:
            size += 1;
            break;
        case RawValue::Integer:
        case RawValue::Real:
            size += 9;
            break;
        case RawValue::Text:
        case RawValue::Blob:
            size += raw.size > BigValue ? 5 : 5 + size_t(raw.size);
            break;
        }
    }
    char *const start = room(size);
    char *p = start;
    // Rows are mostly read just after they came: their places are kept on the way.
    m_places.resize(size_t(m_columns));
    for (int c = 0; c < m_columns; ++c) {
        const RawValue &raw = values[c];
        m_places[size_t(c)] = p;
        switch (raw.type) {
        case RawValue::Null:
            *p++ = TagNull;
            break;
        case RawValue::Integer:
            *p++ = TagInteger;
            p = put(p, raw.integer);
            break;
        case RawValue::Real:
            *p++ = TagReal;
            p = put(p, raw.real);
            break;
        case RawValue::Text:
        case RawValue::Blob:
            if (raw.size > BigValue) {
                *p++ = raw.type == RawValue::Text ? TagBigText : TagBigBlob;
                p = put(p, quint32(m_big.size()));
                m_big.push_back(raw.shared ? *raw.shared : QByteArray(raw.data, raw.size));
            } else {
                *p++ = raw.type == RawValue::Text ? TagText : TagBlob;
                p = put(p, quint32(raw.size));
                if (raw.size > 0)
                    std::memcpy(p, raw.data, size_t(raw.size));
                p += raw.size;
            }
            break;
        }
    }
    m_rows.push_back(start);
    m_located = rows() - 1;
    m_blockEnd = p;
}

void RowCache::locate(long row) const
{
    m_places.resize(size_t(m_columns));
    const char *p = m_rows[size_t(row)];
    for (int c = 0; c < m_columns; ++c) {
        m_places[size_t(c)] = p;
        switch (*p++) {
        case TagNull:
            break;
        case TagInteger:
        case TagReal:
        case TagBigText:
        case TagBigBlob:
            p += *(p - 1) == TagBigText || *(p - 1) == TagBigBlob ? 4 : 8;
            break;
        default:
            p += 4 + get<quint32>(p);
            break;
        }
    }
    m_located = row;
}

} // namespace dao::detail
