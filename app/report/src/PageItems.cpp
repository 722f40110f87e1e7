#include "report/PageItems.h"

#include <QSet>

namespace report {

void PageItemList::clear()
{
    m_blocks.clear();
    m_count = 0;
}

ReportElement &PageItemList::append(const ReportElement &item)
{
    if (m_count == capacity()) {
        m_blocks.push_back(std::make_unique<Block>());
        m_blocks.back()->reserve(BlockSize);
    }
    Block &block = *m_blocks[m_count / BlockSize];
    block.push_back(item);
    ++m_count;
    return block.back();
}

void PageItemList::dropLastPage(int page)
{
    while (m_count > 0 && last().page == page) {
        --m_count;
        Block &block = *m_blocks[m_count / BlockSize];
        block.pop_back();
        // The first block stays for the next page's items.
        if (block.empty() && m_blocks.size() > 1)
            m_blocks.pop_back();
    }
}

std::pair<int, int> PageItemList::pageRange(int page) const
{
    // The first item whose page is not below the one asked for.
    auto firstAtLeast = [this](int p) {
        int lo = 0, hi = m_count;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (at(mid).page < p)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    return {firstAtLeast(page), firstAtLeast(page + 1)};
}

qint64 PageItemList::memoryBytes() const
{
    qint64 bytes = static_cast<qint64>(capacity()) * static_cast<qint64>(sizeof(ReportElement));
    // Texts shared with the definition cost nothing more; count each other
    // text buffer once.
    QSet<const void *> seen;
    for (int i = 0; i < m_count; ++i) {
        const ReportElement &e = at(i);
        for (const QString *s : {&e.command, &e.font, &e.style, &e.text, &e.field, &e.format}) {
            if (s->isEmpty() || !s->isDetached())
                continue;
            if (!seen.contains(s->constData())) {
                seen.insert(s->constData());
                bytes += static_cast<qint64>(s->capacity() + 1) * 2 + 16;
            }
        }
    }
    return bytes;
}

} // namespace report
