#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/ordered_write.h"
#include "platform/parallel.h"
#include "threads_env.h"

namespace {

using vt::plat::parallel_for;
using vt::plat::thread_count;

TEST(Parallel, ThreadCountFollowsTheEnvironment) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const struct {
        const char* value;
        unsigned expected;
    } cases[] = {{"1", 1}, {"3", 3}, {"256", 256}, {nullptr, cores}, {"", cores}, {"0", cores},
                 {"257", cores}, {"-2", cores}, {"2x", cores}, {" 2", cores}, {"many", cores}};
    for (const auto& c : cases) {
        vt::test::threads_env env(c.value);
        EXPECT_EQ(thread_count(), c.expected) << (c.value ? c.value : "(unset)");
    }
}

TEST(Parallel, EveryJobRunsOnceAndFailuresComeBack) {
    for (unsigned threads : {1u, 2u, 5u}) {
        for (std::size_t n : {0u, 1u, 7u, 1000u}) {
            std::vector<std::atomic<int>> runs(n);
            parallel_for(n, threads, [&](std::size_t i) { runs[i].fetch_add(1); });
            for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(runs[i].load(), 1) << threads << " " << n << " " << i;
        }
        std::atomic<int> after{0};
        EXPECT_THROW(parallel_for(200, threads,
                                  [&](std::size_t i) {
                                      if (i == 3) throw std::runtime_error("job 3");
                                      if (i > 150) after.fetch_add(1);
                                  }),
                     std::runtime_error);
        // Jobs taken after the failure are skipped (a few may have been
        // under way on other threads).
        EXPECT_LT(after.load(), 49) << threads;
    }
}

// Piece i is i % 7 copies of a line naming it, so pieces differ in size
// and some are empty.
void format_piece(std::size_t i, std::string& buf) {
    for (std::size_t k = 0; k < i % 7; ++k) buf += "piece " + std::to_string(i) + "\n";
}

TEST(OrderedWrite, BytesDoNotDependOnTheThreads) {
    for (std::size_t count : {0u, 1u, 2u, 3u, 50u, 2001u}) {
        std::string expected;
        for (std::size_t i = 0; i < count; ++i) format_piece(i, expected);
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
            std::string got;
            {
                vt::out_file out(64);  // a small buffer: many flushes between pieces
                out.open_memory(got);
                vt::write_in_order(out, count, threads, format_piece);
                out.close();
            }
            ASSERT_EQ(got, expected) << count << " pieces on " << threads << " threads";
        }
    }
}

TEST(OrderedWrite, AFailedPieceStopsTheOutputBeforeIt) {
    for (unsigned threads : {1u, 2u, 4u}) {
        std::string got;
        vt::out_file out;
        out.open_memory(got);
        EXPECT_THROW(vt::write_in_order(out, 500, threads,
                                        [](std::size_t i, std::string& buf) {
                                            if (i == 120) throw std::bad_alloc();
                                            buf += std::to_string(i) + ",";
                                        }),
                     std::bad_alloc);
        out.close();
        // Whatever was written is a prefix of the pieces in order, and
        // nothing at or after the failed piece.
        std::string prefix;
        for (std::size_t i = 0; i < 120 && prefix.size() < got.size(); ++i) prefix += std::to_string(i) + ",";
        EXPECT_EQ(got, prefix.substr(0, got.size())) << threads;
        EXPECT_EQ(got.find("120,"), std::string::npos) << threads;
    }
}

}  // namespace
