#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace kelvane::editor {

// A list whose order its owner decides: every Add asks the owner, through
// Compare, how the new item relates to existing ones and finds its place by
// binary search. Positions are 1-based.
template <typename T>
class SortedCollection {
public:
    // The owner's answer for (o1 being inserted, o2 an existing item):
    // 1 o1 belongs after o2, 2 before it, 0 equal. Left as it was (starting
    // at 0) when the owner does not set it; any other answer counts as 0.
    using Compare = std::function<void(const T &o1, const T &o2, std::int16_t &result)>;

    void SetCompare(Compare compare) { m_compare = std::move(compare); }

    // The key is accepted and not kept.
    void Add(std::shared_ptr<T> item, const QString &key = {})
    {
        Q_UNUSED(key);
        const qsizetype position = findInsertPosition(*item);
        m_items.insert(position - 1, std::move(item));
    }

    // The item at a position from 1 to count; nullptr outside.
    std::shared_ptr<T> Item(qsizetype index) const
    {
        return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
    }

    void Clear() { m_items.clear(); }
    qsizetype count() const { return m_items.size(); }

private:
    qsizetype findInsertPosition(const T &item) const
    {
        qsizetype lo = 1;
        qsizetype hi = m_items.size();
        std::int16_t result = 0;
        while (lo <= hi) {
            const qsizetype mid = (lo + hi) / 2;
            if (m_compare)
                m_compare(item, *m_items[mid - 1], result);
            if (result == 1)
                lo = mid + 1;
            else if (result == 2)
                hi = mid - 1;
            else
                return mid;
        }
        return lo;
    }

    QList<std::shared_ptr<T>> m_items;
    Compare m_compare;
};

// What the editor sorts before drawing and writing its shapes: a shape's
// index and its stacking position.
struct CtrlInfo {
    std::int32_t Index = 0;
    std::int32_t ZPos = 0;
};

} // namespace kelvane::editor
