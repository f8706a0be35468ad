// The full-form readers on several threads: whatever the window sizes, chunk
// sizes and thread counts, the cells are bit for bit those of one thread,
// and the file is left where one thread leaves it. The copy's fast path
// writes what the token-by-token copy writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/datasec.h"
#include "core/infile.h"
#include "core/reader.h"
#include "../platform/temp_dir.h"
#include "../platform/threads_env.h"

namespace {

// What a read gave: the cells' bits and the bytes the file still held.
struct outcome {
    std::vector<std::uint64_t> bits;
    std::int64_t count = 0;
    std::string rest;
    bool operator==(const outcome&) const = default;
};

std::string rest_of(vt::in_file& f) {
    std::string rest;
    for (int ch; (ch = f.get()) != vt::in_file::eof;) rest.push_back(static_cast<char>(ch));
    return rest;
}

std::vector<std::uint64_t> bits_of(const double* cells, std::int64_t n) {
    std::vector<std::uint64_t> bits;
    for (std::int64_t i = 0; i < n; ++i) bits.push_back(std::bit_cast<std::uint64_t>(cells[i]));
    return bits;
}

// read_data of `section` into a one-variable table of n cells.
outcome read_section(const std::string& section, std::int64_t n, std::size_t buffer, const vt::chunking& how) {
    vt::in_file f(buffer);
    f.open_memory(section);
    vt::table t = vt::table_new();
    t.vars.resize(1);
    t.vars[0].value_count = static_cast<int>(n);
    outcome o;
    EXPECT_EQ(vt::read_data(t, f, how), 0);
    o.bits = bits_of(t.data(), n);
    o.count = n;
    o.rest = rest_of(f);
    return o;
}

// stream_cells of `section` in requests of `block` cells until it ends.
outcome stream_section(const std::string& section, std::int64_t block, std::size_t buffer, const vt::chunking& how) {
    vt::in_file f(buffer);
    f.open_memory(section);
    std::vector<double> cells(static_cast<std::size_t>(block));
    std::string scratch;
    outcome o;
    for (std::int64_t got; (got = vt::stream_cells(f, cells.data(), block, -7.5, scratch, how)) > 0;) {
        const auto b = bits_of(cells.data(), got);
        o.bits.insert(o.bits.end(), b.begin(), b.end());
        o.count += got;
        if (got < block) break;
    }
    o.rest = rest_of(f);
    return o;
}

// Sections and the cells asked of them: line breaks inside numbers and
// quoted symbols, CR LF pairs and lone CRs, Ctrl-Z, leading "," and ";",
// runs of separators, tokens of junk, a last token without terminator,
// sections shorter and longer than the cells.
struct section_case {
    std::string data;
    std::int64_t cells;
};
const std::vector<section_case> sections = {
    {"1 2\n3 4;", 6},
    {"12.5 -3.25,\".\" \"-\"\t\"..\";7 8\n9 10 \n 11", 12},
    {"\".\n.\" \"-\"\n 1 \"\n...\",2", 6},
    {"1\r\n2 3\r\n 4\r\n5;\r\n6\r7 8", 9},
    {"1 2 3\x1a 4 5", 5},
    {",7 8 9", 4},
    {";;1 2, 3", 5},
    {" \n\t 7 8", 3},
    {"", 3},
    {"1 2 3 4 5 6 7 8 9", 4},
    {"12abc 0x1p3 1e5 inf -nan 1e400 - . +7", 9},
    {"12345678901234567890.5 0.30000000000000004 9007199254740993 -0.000", 4},
    {"1234567.1234567 -7654321.7654321 12345678.5 1.12345678 \n12\n34567.5", 6},
    {"1,,;; 2;\n3\t\t4 ,5 6 \"\" \"abc\" 7", 10},
    {"0.25 0.5 ", 1},
};

// A longer section of random tokens, separators and line breaks.
std::string random_section(unsigned seed, int tokens) {
    static const char* const pieces[] = {"\".\"", "\"-\"", "\"....\"", "-12.75", "3", "1e3", "0.001", "99999.99",
                                         "12abc", "\"x\"", "-0", "123456789012.5"};
    static const char* const gaps[] = {" ", ",", ";", "\t", " \n", ";\n", "\r\n ", " ,; "};
    std::mt19937 rng(seed);
    std::string s;
    for (int i = 0; i < tokens; ++i) {
        std::string tok = pieces[rng() % 12];
        if (rng() % 5 == 0) tok.insert(rng() % (tok.size() + 1), rng() % 2 ? "\n" : "\r\n");  // a break inside
        s += tok + gaps[rng() % 8];
    }
    return s;
}

TEST(DataSectionChunks, EveryCutGivesTheOneThreadCells) {
    std::vector<section_case> all = sections;
    all.push_back({random_section(1, 24), 26});
    all.push_back({random_section(2, 24), 16});
    for (const auto& c : all) {
        SCOPED_TRACE(testing::Message() << '"' << c.data << "\" " << c.cells);
        const outcome want = read_section(c.data, c.cells, vt::in_file::default_buffer, {1});
        const outcome stream_want = stream_section(c.data, 3, vt::in_file::default_buffer, {1});
        const std::size_t len = c.data.size();
        // Chunks of every size in one window, then windows of every size
        // with tiny chunks; the cells read first alone, none or two.
        std::vector<std::pair<std::size_t, std::size_t>> cuts;  // (buffer, chunk)
        for (std::size_t chunk = 1; chunk <= len + 1; chunk += chunk < 48 ? 1 : 5)
            cuts.push_back({vt::in_file::default_buffer, chunk});
        for (const std::size_t buffer : {1, 2, 3, 5, 9}) cuts.push_back({buffer, 2});
        for (const auto& [buffer, chunk] : cuts) {
            const vt::chunking how{static_cast<unsigned>(2 + chunk % 2), chunk, 0, static_cast<std::int64_t>(chunk % 3)};
            ASSERT_EQ(read_section(c.data, c.cells, buffer, how), want) << buffer << " " << chunk;
            if (chunk % 3 == 2) {
                ASSERT_EQ(stream_section(c.data, 3, buffer, how), stream_want) << buffer << " " << chunk;
            }
        }
        for (const std::int64_t block : {1, 2, 5, 1000}) {
            const outcome one = stream_section(c.data, block, vt::in_file::default_buffer, {1});
            EXPECT_EQ(one.bits, stream_want.bits);
            EXPECT_EQ(stream_section(c.data, block, 5, {8, 1, 0, 0}), one) << block;
        }
    }
}

// A generated table of a few thousand cells (symbols, many decimals) read
// with the default reader on 1, 2, 3 and 8 threads and with small chunks,
// so that there are many of them: the same cells.
TEST(DataSectionChunks, GeneratedTableOnAnyThreadCount) {
    vt::test::temp_dir dir;
    const std::string path = dir.file("t.vt");
    const std::string cmd = std::string("'") + VT_VTGEN +
                            "' --stub 7,9 --heading 40 --decimals 3 --symbols 5 --zeros 3 --row-length 17 -o '" +
                            path + "' 2>/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto read_all = [&](const vt::chunking& how) {
        vt::in_file f;
        vt::table t = vt::table_new();
        EXPECT_EQ(vt::read_table_file(path, f, t), 0);
        EXPECT_EQ(vt::read_data(t, f, how), 0);
        return bits_of(t.data(), static_cast<std::int64_t>(t.data_handle.size()));
    };
    const auto want = read_all({1});
    ASSERT_EQ(want.size(), 7u * 9u * 40u);
    for (const char* threads : {"1", "2", "3", "8"}) {
        vt::test::threads_env env(threads);
        EXPECT_EQ(read_all({}), want) << threads;
        for (const std::size_t chunk : {64, 500, 4096}) EXPECT_EQ(read_all({0, chunk, 0, 10}), want) << threads;
    }
}

// dsave copying the data section of `bytes` (a keyword part ending in
// "DATA=", then the section) read through a window of `buffer` bytes: the
// code, the cells left and the text written, as one string.
std::string copy_through(const std::string& bytes, std::size_t buffer, std::int64_t cells, int row_length) {
    vt::in_file f(buffer);
    f.open_memory(bytes);
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::metain(f, t), 0);
    std::string text;
    vt::out_file out;
    out.open_memory(text);
    const int rc = vt::dsave(&f, out, t, cells, 1, 2, row_length, 0, 0);
    out.close();
    return std::to_string(rc) + "/" + std::to_string(cells) + "/" + text;
}

// The copy writes lines already in its own layout as they stand. Through a
// window too small to hold a line, every token goes the slow way; the
// output must not depend on it, whatever breaks the layout here and there.
TEST(DataSectionChunks, CopyFastPathWritesWhatTheTokenCopyWrites) {
    const std::string keywords =
        "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
        "UNITS=\"U\";\nDECIMALS=2;\nSTUB=\"s\";\nHEADING=\"h\";\nVALUES(\"s\")=\"1\",\"2\";\n"
        "VALUES(\"h\")=\"1\",\"2\",\"3\";\nDATA=";
    static const char* const breaks[] = {"1,5", "\"\".\"", "\"\"", "1  2", "1\t2", "1;2", "1\n2", "1\r3", " \n", ""};
    for (int variant = 0; variant < 40; ++variant) {
        // Rows of 4 cells written as the writer writes them, one of them
        // spoilt; a row of 9000 cells once (too long a line).
        std::mt19937 rng(static_cast<unsigned>(variant));
        std::string data = "\n";
        const int rows = 30;
        for (int r = 0; r < rows; ++r) {
            const int n = variant == 7 && r == 3 ? 9000 : 4;
            for (int k = 0; k < n; ++k) data += std::to_string(rng() % 100000) + (r + 1 == rows && k + 1 == n ? ";" : " ");
            data += "\n";
            if (r == variant % rows) data += std::string(breaks[variant % 10]) + " ";
        }
        for (const int row_length : {4, 3}) {
            std::string want;
            for (const std::size_t buffer : {std::size_t{3}, std::size_t{64}, std::size_t{1000}, vt::in_file::default_buffer}) {
                const std::string got = copy_through(keywords + data, buffer, 120 + (variant % 3), row_length);
                if (want.empty()) want = got;
                EXPECT_EQ(got, want) << variant << " " << row_length << " " << buffer;
            }
        }
    }
}

// A section of 720 kB, its lines checked on several threads: the same copy
// on 1, 2, 3 and 8 threads as token by token, with a spoilt line before,
// on and after the places the check cuts the window.
TEST(DataSectionChunks, CopyOfALargeSectionOnAnyThreadCount) {
    const std::string keywords =
        "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\nCONTENTS=\"C\";\n"
        "UNITS=\"U\";\nDECIMALS=2;\nSTUB=\"s\";\nHEADING=\"h\";\nVALUES(\"s\")=\"1\",\"2\";\n"
        "VALUES(\"h\")=\"1\",\"2\",\"3\";\nDATA=\n";
    std::mt19937 rng(5);
    std::vector<std::string> lines;
    for (int r = 0; r < 120; ++r) {
        std::string line;
        for (int k = 0; k < 1000; ++k) line += std::to_string(rng() % 100000) + (r == 119 && k == 999 ? ";" : " ");
        lines.push_back(line + "\n");
    }
    for (const int spoilt : {-1, 0, 41, 42, 43, 85, 119}) {
        std::string data;
        for (int r = 0; r < 120; ++r) data += r == spoilt ? "7,7 " + lines[static_cast<std::size_t>(r)] : lines[static_cast<std::size_t>(r)];
        // No line fits a window of 1000 bytes: token by token.
        const std::string want = copy_through(keywords + data, 1000, 120000, 1000);
        ASSERT_EQ(want.substr(0, 9), "0/0/DATA=");
        for (const char* threads : {"1", "2", "3", "8"}) {
            vt::test::threads_env env(threads);
            EXPECT_EQ(copy_through(keywords + data, vt::in_file::default_buffer, 120000, 1000), want) << spoilt << " " << threads;
        }
    }
}

}  // namespace
