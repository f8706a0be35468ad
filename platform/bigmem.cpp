#include "platform/bigmem.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vt::plat {

void advise_large_pages(void* p, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (!p || bytes < large_block_bytes) return;
    // Only whole large pages inside the block: the advice applies to full
    // pages, and the pages at the edges may hold other allocations.
    constexpr std::uintptr_t page = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (begin + page - 1) & ~(page - 1);
    const std::uintptr_t last = (begin + bytes) & ~(page - 1);
    if (last > first) (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

}  // namespace vt::plat
