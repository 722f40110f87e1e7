#pragma once

#include "Engine.h"

#include <cstring>
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
    ~RowCache();
    RowCache(const RowCache &) = delete;
    RowCache &operator=(const RowCache &) = delete;

    // One value for each column.
    void append(const RawValue *values);
    long rows() const { return long(m_rows.size()); }
    RawValue raw(long row, int column) const;

private:
    template <typename T>
    static T get(const char *p)
    {
        T value;
        std::memcpy(&value, p, sizeof value);
        return value;
    }

    enum Tag : char { TagNull, TagInteger, TagReal, TagText, TagBlob, TagBigText, TagBigBlob };
    static constexpr qint64 BigValue = 16 * 1024;

    // Where a row of size bytes goes: the rest of the block, or a new one.
    char *room(size_t size);
    void locate(long row) const;

    int m_columns;
    std::vector<const char *> m_rows;                 // where each row starts
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size;
    };
    std::vector<Block> m_blocks;
    char *m_blockStart = nullptr;
    size_t m_blockSize = 0;
    char *m_blockEnd = nullptr;                       // where the next row goes
    std::vector<QByteArray> m_big;

    mutable long m_located = -1;                      // the row m_places describes
    mutable std::vector<const char *> m_places;       // each value's tag in that row
};

// In the header: it is on the path of every value read.
inline RawValue RowCache::raw(long row, int column) const
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
