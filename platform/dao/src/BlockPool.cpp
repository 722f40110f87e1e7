#include "BlockPool.h"

namespace dao::detail {

BlockPool &BlockPool::instance()
{
    static BlockPool pool;
    return pool;
}

std::unique_ptr<char[]> BlockPool::take()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_free.empty()) {
            std::unique_ptr<char[]> block = std::move(m_free.back());
            m_free.pop_back();
            return block;
        }
    }
    return std::make_unique_for_overwrite<char[]>(BlockSize);
}

void BlockPool::give(std::unique_ptr<char[]> block)
{
    const std::lock_guard lock(m_mutex);
    if (m_free.size() < Limit)
        m_free.push_back(std::move(block));
}

} // namespace dao::detail
