#include "RowCache.h"

#include <cstring>

namespace dao::detail {
namespace {

template <typename T>
char *put(char *p, T value)
{
    std::memcpy(p, &value, sizeof value);
    return p + sizeof value;
}

template <typename T>
T get(const char *p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace

char *RowCache::room(char *p, size_t size)
{
    if (size_t(p - m_blockStart) + size <= m_blockSize)
        return p;
    // The row does not fit: it moves, with what it has so far, to a new block.
    const size_t written = size_t(p - m_rowStart);
    const size_t wanted = std::max(BlockSize, (written + size) * 2);
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(wanted));
    char *block = m_blocks.back().get();
    if (written > 0)
        std::memcpy(block, m_rowStart, written);
    m_blockStart = block;
    m_blockSize = wanted;
    m_rowStart = block;
    return block + written;
}

void RowCache::append(const Statement &statement)
{
    m_rowStart = m_blockEnd;
    char *p = m_blockEnd;
    for (int c = 0; c < m_columns; ++c) {
        const RawValue raw = statement.raw(c);
        switch (raw.type) {
        case RawValue::Null:
            p = room(p, 1);
            *p++ = TagNull;
            break;
        case RawValue::Integer:
            p = room(p, 9);
            *p++ = TagInteger;
            p = put(p, raw.integer);
            break;
        case RawValue::Real:
            p = room(p, 9);
            *p++ = TagReal;
            p = put(p, raw.real);
            break;
        case RawValue::Text:
        case RawValue::Blob:
            if (raw.size > BigValue) {
                p = room(p, 5);
                *p++ = raw.type == RawValue::Text ? TagBigText : TagBigBlob;
                p = put(p, quint32(m_big.size()));
                m_big.push_back(raw.shared ? *raw.shared : QByteArray(raw.data, raw.size));
            } else {
                p = room(p, 5 + size_t(raw.size));
                *p++ = raw.type == RawValue::Text ? TagText : TagBlob;
                p = put(p, quint32(raw.size));
                if (raw.size > 0)
                    std::memcpy(p, raw.data, size_t(raw.size));
                p += raw.size;
            }
            break;
        }
    }
    m_rows.push_back(m_rowStart);
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

RawValue RowCache::raw(long row, int column) const
{
    if (row != m_located)
        locate(row);
    const char *p = m_places[size_t(column)];
    const char tag = *p++;
    RawValue raw;
    switch (tag) {
    case TagNull:
        break;
    case TagInteger:
        raw.type = RawValue::Integer;
        raw.integer = get<qint64>(p);
        break;
    case TagReal:
        raw.type = RawValue::Real;
        raw.real = get<double>(p);
        break;
    case TagText:
    case TagBlob:
        raw.type = tag == TagText ? RawValue::Text : RawValue::Blob;
        raw.size = get<quint32>(p);
        raw.data = p + 4;
        break;
    default:
        raw.type = tag == TagBigText ? RawValue::Text : RawValue::Blob;
        raw.shared = &m_big[get<quint32>(p)];
        raw.data = raw.shared->constData();
        raw.size = raw.shared->size();
        break;
    }
    return raw;
}

} // namespace dao::detail
