#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "platform/bigmem.h"

namespace {

// The advice must never change contents: blocks of every size and
// alignment, advised before and after they are written, read back intact.
TEST(BigMemory, AdviceKeepsContents) {
    const std::size_t large = vt::plat::large_block_bytes / sizeof(std::uint64_t) + 12345;
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, large}) {
        std::vector<std::uint64_t> v;
        vt::plat::reserve_large(v, n);
        ASSERT_GE(v.capacity(), n);
        v.resize(n);
        std::iota(v.begin(), v.end(), std::uint64_t{7});
        vt::plat::advise_large_pages(v.data(), v.size() * sizeof(std::uint64_t));
        if (n > 3) vt::plat::advise_large_pages(reinterpret_cast<char*>(v.data()) + 3, n * 8 - 3);
        vt::plat::reserve_large(v, 2 * n + 1);  // not fresh: a plain reserve
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(v[i], i + 7) << n << " " << i;
    }
    vt::plat::advise_large_pages(nullptr, vt::plat::large_block_bytes);
}

}  // namespace
