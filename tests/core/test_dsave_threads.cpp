// dsave from memory on several threads: the bytes must not depend on the
// thread count, whatever the table (pieces starting inside rows, symbols,
// omitted rows, recoded cells, a block shorter than the table).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/numfmt.h"
#include "../platform/threads_env.h"

namespace {

vt::variable var(const std::string& name, int n, bool codes) {
    vt::variable v;
    v.name = name;
    v.value_count = n;
    for (int i = 0; i < n; ++i) {
        vt::value x;
        x.text = name + "\"" + std::to_string(i);  // a quote in every key
        if (codes && i % 3 != 0) x.code = "C" + std::to_string(i);
        v.values.push_back(std::move(x));
    }
    return v;
}

// Stub a (a_n values) and b (7 values, codes), heading h (ncols values);
// the cells a mix of every kind the writer meets, with whole rows of only
// zeros, zeros and "-", dots, and dots with zeros, for the omission modes.
vt::table make_table(int a_n, int ncols, std::uint64_t seed) {
    vt::table t = vt::table_new();
    t.vars.push_back(var("a", a_n, false));
    t.vars.push_back(var("b", 7, true));
    t.heading = 2;
    t.vars.push_back(var("h", ncols, false));
    const auto n = static_cast<std::size_t>(a_n) * 7 * static_cast<std::size_t>(ncols);
    EXPECT_TRUE(t.data_handle.allocate(n));
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    const double kinds[] = {0.0, -0.0, 1.0, 2.0, 0.005, -2.675, 1e300, 1e-300, 123456789.125, 9.5};
    double* c = t.data();
    for (std::size_t r = 0; r < n / static_cast<std::size_t>(ncols); ++r) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(ncols); ++k) {
            double& x = c[r * static_cast<std::size_t>(ncols) + k];
            const auto pick = rng() % 100;
            switch (r % 6) {
            case 1: x = 0.0; break;
            case 2: x = pick < 50 ? 0.0 : vt::nil_value; break;
            case 3: x = vt::dot_values[pick % 7]; break;
            case 4: x = pick < 50 ? 0.0 : vt::dot_values[0]; break;
            default:
                x = pick < 5 ? vt::dot_values[pick] : pick < 8 ? vt::nil_value : pick < 30 ? kinds[pick % 10] : any(rng);
            }
        }
    }
    return t;
}

std::string save(vt::table& t, std::int64_t cells, int decimals, int row_length, int recode, int omission,
                 int* rc = nullptr) {
    std::string text;
    vt::out_file out;
    out.open_memory(text);
    std::int64_t count = cells;
    const int r = vt::dsave(nullptr, out, t, count, 1, decimals, row_length, recode, omission);
    out.close();
    if (rc) *rc = r;
    return text;
}

// The full form as the rule states it: every token followed by a blank or,
// for the last cell of the table, ";", a line feed after every row_length.
std::string full_form(const vt::table& t, std::int64_t n, std::int64_t total, int decimals, int row_length,
                      bool recode) {
    std::string s = "DATA=\n";
    char num[vt::format_fixed_max];
    for (std::int64_t i = 0; i < n; ++i) {
        const double x = t.data()[i];
        if (const char* sym = vt::data_symbol_token(x))
            s += sym;
        else if (recode && (x == 1.0 || x == 2.0))
            s += x == 1.0 ? '0' : '3';
        else
            s.append(num, vt::format_fixed(num, x, decimals));
        s += i + 1 == total ? ';' : ' ';
        if ((i + 1) % row_length == 0) s += '\n';
    }
    return s;
}

TEST(DsaveThreads, FullFormIsTheSameOnAnyNumberOfThreads) {
    vt::table t = make_table(40, 37, 7);  // 10 360 cells, rows of 37: pieces start inside rows
    const auto total = static_cast<std::int64_t>(t.data_handle.size());
    struct case_ {
        std::int64_t cells;
        int decimals, row_length, recode;
    };
    for (const case_& c : {case_{total, 2, 37, 0}, case_{total, 0, 37, 1}, case_{total, 15, 1, 0},
                           case_{total, 3, 1000000, 0}, case_{total - 100, 2, 5, 0}, case_{1, 2, 37, 0},
                           case_{total, 99, 37, 0}}) {
        std::string one;
        {
            vt::test::threads_env env(1);
            one = save(t, c.cells, c.decimals, c.row_length, c.recode, 0);
        }
        const int d = c.decimals <= vt::max_decimals ? c.decimals : 6;
        ASSERT_EQ(one, full_form(t, c.cells, c.cells, d, c.row_length, c.recode != 0 && d == 0))
            << c.decimals << " decimals, rows of " << c.row_length;
        for (unsigned threads : {2U, 3U, 8U}) {
            vt::test::threads_env env(threads);
            EXPECT_EQ(save(t, c.cells, c.decimals, c.row_length, c.recode, 0), one)
                << threads << " threads, " << c.decimals << " decimals, rows of " << c.row_length;
        }
    }
}

TEST(DsaveThreads, KeyedFormIsTheSameOnAnyNumberOfThreads) {
    // Rows of 37 cells and of 300 (a row longer than a piece).
    for (int ncols : {37, 300}) {
        vt::table t = make_table(ncols == 37 ? 40 : 6, ncols, 11);
        for (int keys_mode : {1, 2}) {
            t.vars[0].keys_mode = keys_mode;
            for (int omission = 0; omission <= 5; ++omission) {
                std::string one;
                {
                    vt::test::threads_env env(1);
                    one = save(t, 0, 2, 0, 0, omission);
                }
                ASSERT_EQ(one.rfind("DATA= \n\"a'0\",\"b'0\",", 0), 0U) << one.substr(0, 40);
                ASSERT_EQ(one.back(), ';');
                for (unsigned threads : {2U, 3U, 8U}) {
                    vt::test::threads_env env(threads);
                    EXPECT_EQ(save(t, 0, 2, 0, 0, omission), one)
                        << threads << " threads, omission " << omission << ", keys " << keys_mode;
                }
            }
        }
    }
}

TEST(DsaveThreads, KeyedRowsOmittedAndKeysByCode) {
    // One heading value: row 0 is data, rows 1..4 the omittable kinds.
    vt::table t = make_table(1, 1, 3);
    t.vars[0].keys_mode = 2;
    double* c = t.data();
    const double cells[7] = {1.5, 0.0, vt::nil_value, vt::dot_values[2], vt::dot_values[0], -0.0, 2.0};
    std::copy(cells, cells + 7, c);
    const std::string rows[7] = {" \n\"a'0\",\"b'0\",1.50", " \n\"a'0\",\"C1\",0.00",  " \n\"a'0\",\"C2\",\"-\"",
                                 " \n\"a'0\",\"b'3\",\"...\"", " \n\"a'0\",\"C4\",\".\"", " \n\"a'0\",\"C5\",-0.00",
                                 " \n\"a'0\",\"b'6\",2.00"};
    // Rows kept per omission mode (1 zeros, 2 zeros and "-", 3 dots, 4 all three).
    const std::vector<int> kept[5] = {{0, 1, 2, 3, 4, 5, 6}, {0, 2, 3, 4, 6}, {0, 3, 4, 6}, {0, 1, 2, 5, 6}, {0, 6}};
    for (int mode = 0; mode <= 4; ++mode) {
        std::string want = "DATA=";
        for (int r : kept[mode]) want += rows[r];
        EXPECT_EQ(save(t, 0, 2, 0, 0, mode), want + ";") << "omission " << mode;
    }
}

TEST(DsaveThreads, KeyedBlockShorterThanTheTableWritesWholeRowsOnly) {
    // A block of 5 cells for rows of 10: no row is whole, none is written
    // and none read past the block; 25 cells give two rows.
    for (std::size_t cells : {std::size_t{5}, std::size_t{25}}) {
        vt::table t = make_table(1, 10, 5);
        t.vars[0].keys_mode = 1;
        ASSERT_TRUE(t.data_handle.allocate(cells));
        for (std::size_t i = 0; i < cells; ++i) t.data()[i] = static_cast<double>(i);
        int rc = 0;
        const std::string text = save(t, 0, 0, 0, 0, 0, &rc);
        EXPECT_EQ(rc, vt::codes::data_input_ended);
        EXPECT_EQ(text, cells == 5 ? "DATA=;"
                                   : "DATA= \n\"a'0\",\"b'0\",0 1 2 3 4 5 6 7 8 9 \n\"a'0\",\"C1\",10 11 12 13 14 15 "
                                     "16 17 18 19;");
    }
}

}  // namespace
