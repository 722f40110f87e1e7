#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace dao::detail {

// The storage blocks of row caches that have gone, kept for the next ones. A
// block fresh from the system costs a page fault and a cleared page for every
// 4 KB written, nearly as much as reading the rows into it; the list window
// reads its rows anew on every refresh. At most Limit blocks wait here.
class BlockPool {
public:
    static constexpr size_t BlockSize = 1024 * 1024;
    static constexpr size_t Limit = 64;

    static BlockPool &instance();

    // A block of BlockSize bytes, its contents undefined.
    std::unique_ptr<char[]> take();
    // Takes a block of BlockSize bytes back; frees it when the pool is full.
    void give(std::unique_ptr<char[]> block);

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<char[]>> m_free;
};

} // namespace dao::detail
