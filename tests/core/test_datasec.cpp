// The data section: reading cells in full and keyed form, and dsave
// writing them from memory, by copying the input, and in keyed form.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/datasec.h"
#include "core/writer.h"
#include "platform/datablock.h"
#include "platform/message.h"
#include "reader_fixture.h"

namespace {

// One stub variable a (x, y; codes X1, Y1) and one heading variable b
// (p, q, r): 6 cells, rows of 3.
const std::string one_stub =
    "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
    "UNITS=\"U\";\nDECIMALS=2;\nSTUB=\"a\";\nHEADING=\"b\";\nVALUES(\"a\")=\"x\",\"y\";\n"
    "VALUES(\"b\")=\"p\",\"q\",\"r\";\nCODES(\"a\")=\"X1\",\"Y1\";\n";

// Two stub variables a (x, y) and c (u, v; codes U9, V9), heading b (p, q,
// r): 12 cells, 4 rows of 3.
std::string two_stubs(const std::string& extra) {
    return "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
           "UNITS=\"U\";\nDECIMALS=1;\nSTUB=\"a\",\"c\";\nHEADING=\"b\";\nVALUES(\"a\")=\"x\",\"y\";\n"
           "VALUES(\"c\")=\"u\",\"v\";\nVALUES(\"b\")=\"p\",\"q\",\"r\";\nCODES(\"c\")=\"U9\",\"V9\";\n" +
           extra;
}

struct loaded {
    int rc = -1;
    vt::table t = vt::table_new();
    std::unique_ptr<std::string> bytes;
    std::unique_ptr<vt::in_file> file;
};

// Reads the keyword part; the file then stands at the data section.
// buffer 0 is the normal input buffer.
loaded load(const std::string& keywords, const std::string& data, std::size_t buffer = 0) {
    loaded r;
    r.bytes = std::make_unique<std::string>(keywords + "DATA=" + data);
    r.file = buffer ? std::make_unique<vt::in_file>(buffer) : std::make_unique<vt::in_file>();
    r.file->open_memory(*r.bytes);
    r.rc = vt::metain(*r.file, r.t);
    return r;
}

std::vector<double> cells_of(const vt::table& t) {
    return std::vector<double>(t.data(), t.data() + t.data_handle.size());
}

// Bit-for-bit comparison (tells -0 from 0 and the nil value from 1e-26).
::testing::AssertionResult same_bits(const std::vector<double>& got, const std::vector<double>& want) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " cells instead of " << want.size();
    for (std::size_t i = 0; i < got.size(); ++i)
        if (std::bit_cast<std::uint64_t>(got[i]) != std::bit_cast<std::uint64_t>(want[i]))
            return ::testing::AssertionFailure() << "cell " << i << ": " << got[i] << " instead of " << want[i];
    return ::testing::AssertionSuccess();
}

// Runs dsave on t and returns what it wrote.
std::string save(vt::table& t, vt::in_file* in, std::int64_t cells, int decimals, int row_length, int recode = 0,
                 int omission = 0, int* rc_out = nullptr, std::int64_t* left = nullptr) {
    std::string text;
    vt::out_file out;
    out.open_memory(text);
    std::int64_t count = cells;
    int rc = vt::dsave(in, out, t, count, 1, decimals, row_length, recode, omission);
    out.close();
    if (rc_out) *rc_out = rc;
    else EXPECT_EQ(rc, 0);
    if (left) *left = count;
    return text;
}

class DataSection : public vt_test::ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        vt::writer_state() = vt::writer_settings{};
        vt::clear_data_last_error();
    }
    void TearDown() override {
        vt::writer_state() = vt::writer_settings{};
        vt::plat::refuse_data_blocks(false);
        vt::plat::set_trace_hook(nullptr);
        ReaderTest::TearDown();
    }
};

// --------------------------------------------------------------- reading

TEST_F(DataSection, FullFormTokens) {
    auto r = load(one_stub, "\n1 -2.5,\".\"\t\"-\" \"abc\" 3e2;\n");
    ASSERT_EQ(r.rc, 0);
    ASSERT_EQ(vt::read_data(r.t, *r.file), 0);
    EXPECT_TRUE(same_bits(cells_of(r.t), {1, -2.5, -1e19, vt::nil_value, 0, 300}));
    EXPECT_EQ(r.t.vars[0].stride, 3);

    // Every symbol, quoted non-symbols and a quote left open.
    auto s = load(one_stub,
                  "\"..\" \"...\" \".......\" \"........\" \"\" \"-;");
    ASSERT_EQ(vt::read_data(s.t, *s.file), 0);
    EXPECT_TRUE(same_bits(cells_of(s.t), {-1e20, -1e21, -1e25, 0, 0, vt::nil_value}));
}

TEST_F(DataSection, SeparatorsAndLineBreaks) {
    struct {
        const char* data;
        std::vector<double> want;
    } cases[] = {
        // A line break inside a token is dropped: "2\n3" is one token.
        {"1 2\n3 4;", {1, 23, 4, 0, 0, 0}},
        {"1 2 \n3 4;", {1, 2, 3, 4, 0, 0}},
        {"1\r\n2\r\n 3", {12, 3, 0, 0, 0, 0}},
        // Runs of separators count once; ";" does not end the section.
        {"1,,;; 2;\n3\t\t4 ,5 6 7 8", {1, 2, 3, 4, 5, 6}},
        // A leading "," is an empty token (0); leading blanks are not.
        {",7 8", {0, 7, 8, 0, 0, 0}},
        {" \n\t 7 8", {7, 8, 0, 0, 0, 0}},
        // Short sections leave 0; an empty one too.
        {"", {0, 0, 0, 0, 0, 0}},
        {"5", {5, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        auto r = load(one_stub, c.data);
        ASSERT_EQ(vt::read_data(r.t, *r.file), 0);
        EXPECT_TRUE(same_bits(cells_of(r.t), c.want));
    }
}

TEST_F(DataSection, NumbersReadAsStrtodReadsThem) {
    std::vector<std::string> tokens = {
        "0", "-0", "+7", "-0.000", "12.", ".5", "-.25", "0.1", "123456.78", "9007199254740993", "9007199254740992.5",
        "12345678901234567890", "0.30000000000000004", "1.7976931348623157e308", "1e400", "-1e400", "1e-400",
        "4.9e-324", "2.2250738585072011e-308", "0x1p3", "-0X1.8", "inf", "-Infinity", "nan", "-nan(123)", "12abc",
        "1e5x", "-", ".", "+-1", "e5", "1,5", "0.0000000000000000000000123", "1234567890.1234567890123",
        // Junk after a number: the conversion stops at the first byte no
        // number holds, also when the token is gathered across refills.
        "12#99", "\v1.5", "7\x01" "99", "1.5e3!e9", "-3$", std::string("12\0" "34", 5), "0x1p3@4",
        "nan(ab_c)x", "\x80" "5"};
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        // Decimal texts of every length around the fast path's limits.
        std::string t = (rng() & 1) ? "-" : "";
        int digits = 1 + static_cast<int>(rng() % 24);
        int point = static_cast<int>(rng() % (digits + 1));
        for (int k = 0; k < digits; ++k) {
            if (k == point && k > 0) t += '.';
            t += static_cast<char>('0' + rng() % 10);
        }
        tokens.push_back(t);
    }
    for (const auto& tok : tokens) {
        double want = std::strtod(tok.c_str(), nullptr);
        double got = vt::parse_cell_number(tok.data(), tok.data() + tok.size());
        if (std::isnan(want)) {
            EXPECT_TRUE(std::isnan(got)) << tok;
            EXPECT_EQ(std::signbit(got), std::signbit(want)) << tok;
        } else {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << tok;
        }
    }
    // The same tokens as a data section: the reader's own fast path must
    // agree as well, inside the window and across its refills.
    std::string section;
    std::vector<double> want;
    for (const auto& tok : tokens) {
        if (tok.find(',') != std::string::npos) continue;
        section += tok + (want.size() % 7 ? " " : ";\n");
        want.push_back(std::strtod(tok.c_str(), nullptr));
    }
    for (std::size_t buffer : {std::size_t{0}, std::size_t{13}}) {
        vt::in_file f(buffer ? buffer : vt::in_file::default_buffer);
        f.open_memory(section);
        vt::table t = vt::table_new();
        t.vars.resize(1);
        t.vars[0].value_count = static_cast<int>(want.size());
        ASSERT_EQ(vt::read_data(t, f), 0);
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (std::isnan(want[i])) {
                EXPECT_TRUE(std::isnan(t.data()[i]));
                continue;
            }
            ASSERT_EQ(std::bit_cast<std::uint64_t>(t.data()[i]), std::bit_cast<std::uint64_t>(want[i]))
                << "cell " << i << " buffer " << buffer;
        }
    }
    // A number far longer than any buffer.
    std::string long_tok = "0." + std::string(5000, '0') + "1e5000";
    EXPECT_EQ(vt::parse_cell_number(long_tok.data(), long_tok.data() + long_tok.size()),
              std::strtod(long_tok.c_str(), nullptr));
}

// Streaming, as the exports that do not load the cells read them: every
// separator skipped before a token (a leading "," gives no empty cell),
// every quoted token the given value, blocks continuing where the last
// ended, across refills of a small buffer.
TEST_F(DataSection, StreamedCellsInBlocks) {
    for (const std::size_t buffer : {std::size_t{0}, std::size_t{3}}) {
        SCOPED_TRACE(buffer);
        auto r = load(one_stub, "\n,;1 -2.5,\".\"\t\"x\" 12\r\n34 \n,5e-1;", buffer);
        ASSERT_EQ(r.rc, 0);
        std::string scratch;
        double block[4] = {};
        EXPECT_EQ(vt::stream_cells(*r.file, block, 4, -7, scratch), 4);
        EXPECT_TRUE(same_bits({block, block + 4}, {1, -2.5, -7, -7}));
        EXPECT_EQ(vt::stream_cells(*r.file, block, 4, -7, scratch), 2);
        EXPECT_TRUE(same_bits({block, block + 2}, {1234, 0.5}));
        EXPECT_EQ(vt::stream_cells(*r.file, block, 4, -7, scratch), 0);
    }
}

TEST_F(DataSection, TokensStraddlingBufferRefills) {
    // A larger table read through buffers of 1 to 7 bytes must give the
    // cells the normal buffer gives, with line breaks inside tokens too.
    std::string keywords =
        "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
        "UNITS=\"U\";\nDECIMALS=3;\nHEADING=\"h\";\nVALUES(\"h\")=" +
        [] {
            std::string v;
            for (int i = 0; i < 200; ++i) v += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
            return v + ";\n";
        }();
    std::string data;
    std::vector<double> want;
    std::mt19937 rng(3);
    for (int i = 0; i < 200; ++i) {
        switch (rng() % 5) {
        case 0: data += "\".\" "; want.push_back(-1e19); break;
        case 1: data += "\"-\"\n "; want.push_back(vt::nil_value); break;
        case 2: data += "12\n34.5\n6 "; want.push_back(1234.56); break;
        default: {
            std::string tok = std::to_string(static_cast<int>(rng() % 2000000) - 1000000) + "." +
                              std::to_string(rng() % 1000);
            data += tok + (rng() % 3 ? " " : ",\n");
            want.push_back(std::strtod(tok.c_str(), nullptr));
        }
        }
    }
    for (std::size_t buffer : {0, 1, 2, 3, 7}) {
        SCOPED_TRACE(buffer);
        auto r = load(keywords, data + ";", buffer);
        ASSERT_EQ(r.rc, 0);
        ASSERT_EQ(vt::read_data(r.t, *r.file), 0);
        EXPECT_TRUE(same_bits(cells_of(r.t), want));
    }
}

TEST_F(DataSection, NoMemoryForTheBlock) {
    auto r = load(one_stub, "1 2 3;");
    vt::plat::refuse_data_blocks(true);
    EXPECT_EQ(vt::read_data(r.t, *r.file), 201);
    EXPECT_EQ(r.t.data(), nullptr);
    EXPECT_EQ(vt::data_last_error(), 0);

    auto k = load(one_stub + "KEYS(\"a\")=VALUES;\n", "\"x\",1 2 3;");
    ASSERT_EQ(k.rc, 0);
    EXPECT_EQ(vt::read_keyed_data(k.t, *k.file), 801);
    EXPECT_EQ(vt::data_last_error(), 801);
    EXPECT_EQ(k.t.vars[0].keys_mode, 0);

    // dsave reading a section that is not loaded reports the missing block.
    auto d = load(one_stub, "1 2 3 4 5 6;");
    d.t.vars[0].keys_mode = 1;
    int rc = 0;
    save(d.t, d.file.get(), 6, 2, 3, 0, 0, &rc);
    EXPECT_EQ(rc, 201);
}

// ----------------------------------------------------------- keyed reading

TEST_F(DataSection, KeyedByValuesAndCodes) {
    // Rows in any order, keys ended by "," or a line break, a missing row.
    auto v = load(two_stubs("KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n"),
                  " \n\"y\",\"v\",1 2 3 \n\"x\"\n\"u\",4 \"-\" 6\n \"y\",\"u\",\".\" 8 9;\n\"x\",\"v\",7 7 7");
    ASSERT_EQ(v.rc, 0);
    ASSERT_EQ(v.t.vars[0].keys_mode, 1);
    ASSERT_EQ(vt::read_data(v.t, *v.file), 0);
    EXPECT_TRUE(same_bits(cells_of(v.t), {4, vt::nil_value, 6, 0, 0, 0, -1e19, 8, 9, 1, 2, 3}));
    for (const auto& var : v.t.vars) EXPECT_EQ(var.keys_mode, 0);

    // CODES: the second variable is keyed by its codes, the first (no
    // codes) by its texts.
    auto c = load(two_stubs("KEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n"), " \n\"x\",\"V9\",1 2 3;");
    ASSERT_EQ(c.rc, 0);
    ASSERT_EQ(vt::read_keyed_data(c.t, *c.file), 0);
    EXPECT_TRUE(same_bits(cells_of(c.t), {0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0}));

    // Files keyed by codes read back also when the variable does not show
    // codes (PRESTEXT other than 1), as the writer keys them by code.
    auto p = load(two_stubs("PRESTEXT(\"c\")=0;\nKEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n"),
                  " \n\"y\",\"U9\",5 5 5;");
    ASSERT_EQ(p.rc, 0);
    ASSERT_EQ(p.t.vars[1].prestext, 0);
    ASSERT_EQ(vt::read_data(p.t, *p.file), 0);
    EXPECT_EQ(cells_of(p.t)[6], 5);
}

TEST_F(DataSection, KeyedMalformedRows) {
    const std::string kw = two_stubs("KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n");
    struct {
        const char* data;
        int rc;
    } cases[] = {
        {"\"x\",\"w\",1 2 3;", 121},   // no such value
        {"\"x\",\"U9\",1 2 3;", 121},  // a code where texts are the keys
        {"\"x\" \"u\",1 2 3;", 121},   // key not followed by "," or a line break
        {"\"x\",u,1 2 3;", 121},       // unquoted key
        {"\"x\",\"u\",1 2 3 \"y\";", 121},  // a cell too many: "y" followed by ";" is no key
        {"\"x\",\"u", 121},            // the input ends inside a key
        {"\"x\",", 121},               // ... or before the second key
        {"\"x\",\"u\",1 2", 0},        // ... or inside the cells: what was read stays
        {"   ;\"x\",\"u\",1 2 3", 0},  // ";" ends the data at once
        {"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        vt::clear_data_last_error();
        auto r = load(kw, c.data);
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(vt::read_data(r.t, *r.file), c.rc);
        EXPECT_EQ(vt::data_last_error(), c.rc);
        for (const auto& var : r.t.vars) EXPECT_EQ(var.keys_mode, 0);
    }
    auto partial = load(kw, "\"x\",\"u\",1 2");
    ASSERT_EQ(vt::read_data(partial.t, *partial.file), 0);
    EXPECT_TRUE(same_bits(cells_of(partial.t), {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// ------------------------------------------------------ writing from memory

TEST_F(DataSection, FullFormFromMemory) {
    auto r = load(one_stub, "");
    ASSERT_TRUE(r.t.data_handle.allocate(6));
    const double in[6] = {0, vt::nil_value, -1e19, -1.05e19, -8e18, 1234.5678};
    std::copy(in, in + 6, r.t.data());
    EXPECT_EQ(save(r.t, nullptr, 6, 2, 3),
              "DATA=\n0.00 \"-\" \".\" \n\".\" -8000000000000000000.00 1234.57;\n");
    // Decimals outside 0..15 write six; rows of 4 end lines mid-table.
    EXPECT_EQ(save(r.t, nullptr, 6, 16, 4),
              "DATA=\n0.000000 \"-\" \".\" \".\" \n-8000000000000000000.000000 1234.567800;");
    // Every dot symbol from its range, and the edges of the ranges.
    const double syms[6] = {-1.09e20, -9e20, -1.1e21 * 0.99, -1e24, -9.5e24, -1.1e25};
    std::copy(syms, syms + 6, r.t.data());
    char last[64];
    std::snprintf(last, sizeof last, "%.0f", -1.1e25);
    EXPECT_EQ(save(r.t, nullptr, 6, 0, 6),
              "DATA=\n\"..\" \"...\" \"...\" \"......\" \".......\" " + std::string(last) + ";\n");
}

TEST_F(DataSection, RecodeWithZeroDecimals) {
    auto r = load(one_stub, "");
    ASSERT_TRUE(r.t.data_handle.allocate(6));
    const double in[6] = {1, 2, 3, 1.0000001, 0, 2};
    std::copy(in, in + 6, r.t.data());
    EXPECT_EQ(save(r.t, nullptr, 6, 0, 6, 1), "DATA=\n0 3 3 1 0 3;\n");
    EXPECT_EQ(save(r.t, nullptr, 6, 0, 6, 0), "DATA=\n1 2 3 1 0 2;\n");
    EXPECT_EQ(save(r.t, nullptr, 6, 1, 6, 1), "DATA=\n1.0 2.0 3.0 1.0 0.0 2.0;\n");
}

TEST_F(DataSection, MemoryCellsRunningShort) {
    auto r = load(one_stub, "");
    int rc = 0;
    std::int64_t left = 0;
    // No data loaded and no input: nothing to write.
    EXPECT_EQ(save(r.t, nullptr, 6, 2, 3, 0, 0, &rc, &left), "DATA=\n");
    EXPECT_EQ(rc, 100);
    EXPECT_EQ(left, 6);
    // More cells asked for than the block holds: the block, then 100.
    ASSERT_TRUE(r.t.data_handle.allocate(2));
    EXPECT_EQ(save(r.t, nullptr, 6, 0, 3, 0, 0, &rc, &left), "DATA=\n0 0 ");
    EXPECT_EQ(rc, 100);
    EXPECT_EQ(left, 4);
}

TEST_F(DataSection, RoundTripThroughMemory) {
    // Whatever is written from memory reads back to the same cells (with
    // 15 decimals, numbers that have few significant digits survive).
    std::string keywords =
        "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
        "UNITS=\"U\";\nDECIMALS=15;\nSTUB=\"s\";\nHEADING=\"h\";\nVALUES(\"s\")=\"1\",\"2\",\"3\",\"4\";\n"
        "VALUES(\"h\")=\"1\",\"2\",\"3\",\"4\",\"5\";\n";
    auto r = load(keywords, "");
    ASSERT_TRUE(r.t.data_handle.allocate(20));
    std::mt19937 rng(11);
    std::vector<double> want;
    for (int i = 0; i < 20; ++i) {
        double x = (i % 7 == 0) ? vt::dot_values[i % 7] : (i % 5 == 0) ? vt::nil_value
                                                                          : (static_cast<int>(rng() % 200001) - 100000) / 8.0;
        want.push_back(x);
        r.t.data()[i] = x;
    }
    std::string text = save(r.t, nullptr, 20, 15, 5);
    auto back = load(keywords, text.substr(5));
    ASSERT_EQ(back.rc, 0);
    ASSERT_EQ(vt::read_data(back.t, *back.file), 0);
    EXPECT_TRUE(same_bits(cells_of(back.t), want));
}

// -------------------------------------------------------- copying the input

TEST_F(DataSection, CopyTokens) {
    struct {
        const char* in;
        int row_length;
        const char* out;
    } cases[] = {
        {"1.5 2,3\t\"-\" \".\" 6;", 3, "DATA=\n1.5 2 3\t\n\"-\" \".\" 6;\n"},
        // Line breaks inside tokens are dropped; ";" inside ends the line.
        {"\n  1 2\n3;4 5 6 7", 2, "DATA=\n1 23;\n4 5 \n6 7;\n"},
        // A token starting with two double quotes loses one, gains a blank;
        // an empty quoted text ("" alone) is copied whole.
        {"\"\".\" \"\"-\"\",1 \"\" 5 6", 6, "DATA=\n\".\"  \"-\"\"  1 \"\" 5 6;\n"},
        // An empty first token (the section starts with ",") reads as 0 and
        // is copied as 0.
        {",1 2;3 4 5 6", 6, "DATA=\n0 1 2;\n3 4 5;\n"},
        // Row length 0: one line (short tables).
        {"1 2 3 4 5 6", 0, "DATA=\n1 2 3 4 5 6;\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        auto r = load(one_stub, c.in);
        EXPECT_EQ(save(r.t, r.file.get(), 6, 2, c.row_length), c.out);
    }
}

TEST_F(DataSection, CopyOfAShortInput) {
    auto r = load(one_stub, "1 2 3;\n");
    int rc = 0;
    std::int64_t left = 0;
    EXPECT_EQ(save(r.t, r.file.get(), 6, 2, 3, 0, 0, &rc, &left), "DATA=\n1 2 3;\n");
    EXPECT_EQ(rc, 100);
    EXPECT_EQ(left, 3);
    auto e = load(one_stub, " \n ");
    EXPECT_EQ(save(e.t, e.file.get(), 6, 2, 3, 0, 0, &rc, &left), "DATA=\n");
    EXPECT_EQ(rc, 100);
    // The input ends inside the last token: the copy is complete.
    auto f = load(one_stub, "1 2 3 4 5 6");
    EXPECT_EQ(save(f.t, f.file.get(), 6, 2, 0, 0, 0, &rc, &left), "DATA=\n1 2 3 4 5 6;\n");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(left, 0);
}

TEST_F(DataSection, CopyKeepsLinesShort) {
    // 9000 cells in one row, a 70000-character token among them, read
    // through a small buffer: every line stays below 32730 characters and
    // the copy reads back to the cells of the input.
    std::string keywords =
        "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
        "UNITS=\"U\";\nDECIMALS=0;\nSTUB=\"s\";\nHEADING=\"h\";\nVALUES(\"s\")=\"1\",\"2\",\"3\";\n"
        "VALUES(\"h\")=\"1\",\"2\",\"3\";\n";  // 9 cells: the count given to dsave decides
    std::string data;
    for (int i = 0; i < 9000; ++i) {
        if (i == 4000) data += "0." + std::string(70000, '0') + "17 ";
        data += std::to_string(1000000 + i) + (i % 3 ? " " : ",");
    }
    for (std::size_t buffer : {0, 5}) {
        auto r = load(keywords, data, buffer);
        std::string out = save(r.t, r.file.get(), 9001, 0, 0);
        std::size_t start = 0, longest = 0;
        for (std::size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
            longest = std::max(longest, nl - start);
        EXPECT_LT(longest, 32730u);
        EXPECT_GT(longest, 32000u);
        // Read both with the token rule: the same values.
        auto tokens = [](const std::string& s) {
            std::vector<double> v;
            vt::in_file f;
            f.open_memory(s);
            vt::table t = vt::table_new();
            t.vars.resize(1);
            t.vars[0].value_count = 9001;
            EXPECT_EQ(vt::read_data(t, f), 0);
            return std::vector<double>(t.data(), t.data() + 9001);
        };
        EXPECT_TRUE(same_bits(tokens(out.substr(6)), tokens(data)));
    }
}

// --------------------------------------------------------- keyed writing

class DataSectionKeyedWrite : public DataSection {
protected:
    void SetUp() override {
        DataSection::SetUp();
        r_ = load(two_stubs(""), "");
        ASSERT_EQ(r_.rc, 0);
        ASSERT_TRUE(r_.t.data_handle.allocate(12));
        // Rows: (x,u) zeros, (x,v) zeros and nils, (y,u) dots, (y,v) mixed.
        const double cells[12] = {0, 0, 0, vt::nil_value, 0, vt::nil_value, -1e19, -1e20, -1e25,
                                  0, vt::nil_value, 5};
        std::copy(cells, cells + 12, r_.t.data());
        r_.t.vars[0].keys_mode = 1;
        r_.t.vars[1].keys_mode = 1;
    }
    loaded r_;
};

TEST_F(DataSectionKeyedWrite, OmissionModes) {
    const std::string rows[4] = {" \n\"x\",\"u\",0.0 0.0 0.0", " \n\"x\",\"v\",\"-\" 0.0 \"-\"",
                                 " \n\"y\",\"u\",\".\" \"..\" \".......\"", " \n\"y\",\"v\",0.0 \"-\" 5.0"};
    const std::vector<int> kept[5] = {{0, 1, 2, 3}, {1, 2, 3}, {2, 3}, {0, 1, 3}, {3}};
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        std::string want = "DATA=";
        for (int i : kept[mode]) want += rows[i];
        EXPECT_EQ(save(r_.t, nullptr, 12, 1, 3, 0, mode), want + ";");
    }
    // Codes where the value has one, its text where not.
    r_.t.vars[0].keys_mode = 2;
    r_.t.vars[1].keys_mode = 2;
    EXPECT_EQ(save(r_.t, nullptr, 12, 1, 3, 0, 4), "DATA= \n\"y\",\"V9\",0.0 \"-\" 5.0;");
    // The keys_mode is left for the caller (msave set it).
    EXPECT_EQ(r_.t.vars[0].keys_mode, 2);
}

TEST_F(DataSectionKeyedWrite, ReadsBackToTheSameCells) {
    for (int keys : {1, 2}) {
        r_.t.vars[0].keys_mode = keys;
        r_.t.vars[1].keys_mode = keys;
        std::string text = save(r_.t, nullptr, 12, 1, 3, 0, 1);
        const char* decl = keys == 1 ? "KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n" : "KEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n";
        auto back = load(two_stubs(decl), text.substr(5));
        ASSERT_EQ(back.rc, 0);
        ASSERT_EQ(vt::read_data(back.t, *back.file), 0);
        EXPECT_TRUE(same_bits(cells_of(back.t), cells_of(r_.t)));
    }
}

TEST_F(DataSectionKeyedWrite, FromAnInputNotLoaded) {
    // A re-save asking for keys of a full-form input: the input's cells
    // are read and written as rows.
    auto full = load(two_stubs(""), "1 2 3 4 5 6 7 8 9 10 11 12;");
    full.t.vars[0].keys_mode = 1;
    full.t.vars[1].keys_mode = 1;
    vt::writer_state().requested_keys_mode = 1;
    vt::writer_state().copy_keyed_verbatim = true;  // nothing keyed to copy
    EXPECT_EQ(save(full.t, full.file.get(), 12, 0, 3, 0, 1),
              "DATA= \n\"x\",\"u\",1 2 3 \n\"x\",\"v\",4 5 6 \n\"y\",\"u\",7 8 9 \n\"y\",\"v\",10 11 12;");
    EXPECT_EQ(full.t.vars[0].keys_mode, 1);

    // A keyed input is copied as it stands while copy_keyed_verbatim is on...
    const std::string keyed = " \n\"y\",\"V9\",1 2 3 \n\"x\",\"v\",4 5 6;\n";
    auto verbatim = load(two_stubs("KEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n"), keyed, 3);
    ASSERT_EQ(verbatim.rc, 0);
    EXPECT_EQ(save(verbatim.t, verbatim.file.get(), 12, 0, 3, 0, 2), "DATA=" + keyed);
    // ... and rebuilt from its cells while it is off.
    vt::writer_state().copy_keyed_verbatim = false;
    auto rebuilt = load(two_stubs("KEYS(\"a\")=CODES;\nKEYS(\"c\")=CODES;\n"), keyed, 3);
    rebuilt.t.vars[0].keys_mode = 1;
    rebuilt.t.vars[1].keys_mode = 1;
    EXPECT_EQ(save(rebuilt.t, rebuilt.file.get(), 12, 0, 3, 0, 1),
              "DATA= \n\"x\",\"v\",4 5 6 \n\"y\",\"v\",1 2 3;");

    // A bad key in the input is reported.
    auto bad = load(two_stubs("KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n"), "\"x\",\"u\",1 2 3 \n\"q\",\"u\",1;");
    int rc = 0;
    save(bad.t, bad.file.get(), 12, 0, 3, 0, 1, &rc);
    EXPECT_EQ(rc, 121);
}

TEST_F(DataSection, KeyedInputWrittenInFullForm) {
    // A keyed input saved without keys: its rows become the full form,
    // instead of its keys being copied as cells.
    auto r = load(two_stubs("KEYS(\"a\")=VALUES;\nKEYS(\"c\")=VALUES;\n"), " \n\"y\",\"u\",1 2 3 \n\"x\",\"v\",4 5 6;");
    ASSERT_EQ(r.rc, 0);
    for (auto& v : r.t.vars) v.keys_mode = 0;  // what msave does with no keys requested
    EXPECT_EQ(save(r.t, r.file.get(), 12, 0, 3), "DATA=\n0 0 0 \n4 5 6 \n1 2 3 \n0 0 0;\n");
}

TEST_F(DataSection, Traces) {
    static std::vector<std::string> lines;
    lines.clear();
    auto r = load(one_stub, "1 2 3 4 5 6");
    vt::plat::set_trace_hook([](const char* routine, const char* what) {
        lines.push_back(std::string(routine) + ":" + what);
    });
    save(r.t, r.file.get(), 6, 0, 3);
    ASSERT_TRUE(r.t.data_handle.allocate(6));
    save(r.t, nullptr, 6, 0, 3);
    EXPECT_EQ(lines, (std::vector<std::string>{"dsave:start", "dsave:dsave fr\xE5n fil", "dsave:slut", "dsave:start",
                                               "dsave:dsave fr\xE5n minnet", "dsave:slut"}));
}

}  // namespace
