// Large lists of records (the values of a very long variable) touch tens of
// megabytes of fresh memory in one go. On systems where every first touch
// of a small page is a costly trap, asking for large pages for such a block
// makes the first touch of the block a few traps instead of thousands. The
// advice changes no contents and no behaviour; where the system has no such
// pages, or refuses, nothing happens.
#pragma once

#include <cstddef>
#include <vector>

namespace vt::plat {

// Blocks smaller than this are left to the allocator as they are.
inline constexpr std::size_t large_block_bytes = std::size_t{4} << 20;

// Advises large pages for the whole large pages inside [p, p + bytes) when
// bytes is at least large_block_bytes. Call it before the block is first
// written.
void advise_large_pages(void* p, std::size_t bytes) noexcept;

// reserve(n) on a vector that is empty and has no room yet, with the advice
// above for the new block. May throw what reserve throws.
template <class T>
void reserve_large(std::vector<T>& v, std::size_t n) {
    const bool fresh = v.capacity() == 0;
    v.reserve(n);
    if (fresh) advise_large_pages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace vt::plat
