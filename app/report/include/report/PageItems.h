#pragma once

#include "report/ReportDefinition.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace report {

// The laid-out report: every item in the order it was laid out, each with
// the page it belongs to. Storage grows in blocks of 100 items, so adding
// never moves the items already there. Pages only grow while laying out,
// so the items of one page stand together.
class PageItemList {
public:
    static constexpr int BlockSize = 100;

    void clear();
    ReportElement &append(const ReportElement &item);

    int count() const { return m_count; }
    int capacity() const { return static_cast<int>(m_blocks.size()) * BlockSize; }
    bool isEmpty() const { return m_count == 0; }

    ReportElement &at(int index) { return (*m_blocks[index / BlockSize])[index % BlockSize]; }
    const ReportElement &at(int index) const { return (*m_blocks[index / BlockSize])[index % BlockSize]; }
    ReportElement &last() { return at(m_count - 1); }

    // [first, end) of the items of page.
    std::pair<int, int> pageRange(int page) const;
    // Lets the items of page go; it must be the last page the list holds.
    void dropLastPage(int page);

    // Bytes the items take: their records and the text they own alone.
    qint64 memoryBytes() const;

private:
    using Block = std::vector<ReportElement>;
    std::vector<std::unique_ptr<Block>> m_blocks;
    int m_count = 0;
};

// Items of a page made each time they are asked for instead of kept: the
// cells of a list's rows, which would otherwise take memory for every row
// of the list.
class PageExtras {
public:
    virtual ~PageExtras() = default;
    // Hands every such item of page to item, in the order they are drawn.
    virtual void forEachExtra(int page, const std::function<void(const ReportElement &)> &item) const = 0;
};

} // namespace report
