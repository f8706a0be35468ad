// The data block: owned, zero-filled memory for the cells of a data matrix.
#include "platform/datablock.h"

#include <cstdlib>
#include <limits>

#include "platform/bigmem.h"

namespace vt::plat {

namespace {
bool g_refuse = false;
}

void refuse_data_blocks(bool refuse) noexcept { g_refuse = refuse; }

data_block& data_block::operator=(data_block&& other) noexcept {
    if (this != &other) {
        release();
        cells_ = other.cells_;
        count_ = other.count_;
        other.cells_ = nullptr;
        other.count_ = 0;
    }
    return *this;
}

bool data_block::allocate(std::size_t count) noexcept {
    release();
    if (g_refuse || count > std::numeric_limits<std::size_t>::max() / sizeof(double)) return false;
    // calloc leaves untouched pages to the system, so a large sparse matrix
    // costs only what is written. A block of millions of cells is filled
    // at once by the readers: large pages make its first touch a few traps
    // instead of one per small page.
    void* p = std::calloc(count == 0 ? 1 : count, sizeof(double));
    if (!p) return false;
    advise_large_pages(p, count * sizeof(double));
    cells_ = static_cast<double*>(p);
    count_ = count;
    return true;
}

void data_block::release() noexcept {
    std::free(cells_);
    cells_ = nullptr;
    count_ = 0;
}

}  // namespace vt::plat
