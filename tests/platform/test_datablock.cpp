// The data block: zeroed cells, refused requests and ownership.
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "platform/datablock.h"

using vt::plat::data_block;

TEST(DataBlock, ZeroedCellsRefusalsAndMoves) {
    data_block b;
    ASSERT_TRUE(b.allocate(1000));
    for (std::size_t i = 0; i < b.size(); ++i) ASSERT_EQ(b.cells()[i], 0.0);
    // count * 8 would overflow: refused before any allocation is tried.
    EXPECT_FALSE(b.allocate(std::numeric_limits<std::size_t>::max() / 4));
    EXPECT_TRUE(b.empty());
    vt::plat::refuse_data_blocks(true);
    EXPECT_FALSE(b.allocate(1));
    vt::plat::refuse_data_blocks(false);
    ASSERT_TRUE(b.allocate(3));
    b.cells()[2] = 1.5;
    data_block c;
    ASSERT_TRUE(c.allocate(10));
    c = std::move(b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.size(), 3u);
    EXPECT_EQ(c.cells()[2], 1.5);
}
