// The exports that format every cell on several threads: every output of
// the delimited, print, dBase and worksheet exports must be the same bytes
// with one thread as with 2, 3 and 8, on generated tables with many pieces
// (and, for the streaming exports, several batches of cells), data-note
// markers, symbols, codes, keyed data, one row and no stub at all.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "../platform/threads_env.h"
#include "export/dbase.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/print.h"

namespace {

using vt::test::temp_dir;

int vtgen(const std::string& args, const std::string& path) {
    const std::string cmd = std::string("'") + VT_VTGEN + "' " + args + " -o '" + path + "' 2>/dev/null";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The tables: many pieces of rows, notes with their markers, symbols, codes
// and precision, keyed data (read into memory first), one row, no stub
// variable.
const char* const tables[] = {
    "--stub 12,15 --heading 7,8 --decimals 2 --symbols 5 --notes",
    "--stub 40,3 --heading 3,5 --decimals 3 --symbols 20 --zeros 10 --codes --precision --seed 7",
    "--stub 30,4 --heading 9 --decimals 1 --symbols 10 --keyed values --notes --seed 3",
    "--stub 1 --heading 40 --decimals 2 --symbols 30 --notes",
    "--heading 6,5 --decimals 1 --symbols 10",
    "--stub 200 --heading 2 --long-texts --oem --decimals 4 --symbols 3",
};

const std::string symbols = "a;b;c;d;e;f;g;h";

// One export run: writes `out` from `in`, returns the result code.
struct export_case {
    const char* name;
    const char* output;
    std::function<int(const std::string& in, const std::string& out)> run;
};

const std::vector<export_case>& cases() {
    static const std::vector<export_case> all = {
        {"RelTable", "rel.txt", [](auto& in, auto& out) { return vt::RelTable(in, out, ",", "'", 0, symbols, 1, 1); }},
        {"graph", "g.gra", [](auto& in, auto& out) { return vt::utgraph(in, out, ".", "'", 0, symbols, 0, 0); }},
        {"matrix", "m.mtx", [](auto& in, auto& out) { return vt::utgraph(in, out, ".", "'", 0, symbols, 0, 2); }},
        {"asmkonv", "pm.prn", [](auto& in, auto& out) { return vt::asmkonv(in, out, ";", 0, symbols, 0, 1); }},
        {"astkonv", "pt.prn", [](auto& in, auto& out) { return vt::astkonv(in, out, ";", 1, symbols, 1, 0); }},
        {"cellkonv", "c.prn", [](auto& in, auto& out) { return vt::cellkonv(in, out, "\t", symbols, 0); }},
        {"dbakonv", "a.dbf", [](auto& in, auto& out) { return vt::dbakonv(in, out, "unit"); }},
        {"dbakonv2005", "b.dbf", [](auto& in, auto& out) { return vt::dbakonv2005(in, out, "unit", -9.5); }},
        {"dbakonv2", "c.dbf", [](auto& in, auto& out) { return vt::dbakonv2(in, out); }},
        {"dbakonv3", "d.dbf", [](auto& in, auto& out) { return vt::dbakonv3(in, out); }},
        {"dbaseConv", "e.dbf", [](auto& in, auto& out) { return vt::dbaseConv(in, out, 1); }},
        {"excel", "x.xls", [](auto& in, auto& out) { return vt::ExcelConv2005(in, out, symbols, 1, 1, "", 1, 0, 0); }},
        {"excel raw", "y.xls",
         [](auto& in, auto& out) { return vt::ExcelConv2005(in, out, symbols, 2, 0, "", 0, 1, 1); }},
    };
    return all;
}

// The bytes of an output; a dBase file's header date (bytes 1-3) is
// blanked, as a run across midnight would change it.
std::string output_bytes(const temp_dir& dir, const std::string& name) {
    std::string bytes = dir.read(name);
    if (name.ends_with(".dbf") && bytes.size() > 4) bytes.replace(1, 3, "   ");
    return bytes;
}

TEST(TabularThreads, EveryThreadCountWritesTheSameBytes) {
    temp_dir dir;
    for (std::size_t n = 0; n < std::size(tables); ++n) {
        const std::string in = dir.file("t" + std::to_string(n) + ".vt");
        ASSERT_EQ(vtgen(tables[n], in), 0) << tables[n];
        for (const export_case& c : cases()) {
            SCOPED_TRACE(std::string(c.name) + " on " + tables[n]);
            std::string one;
            for (unsigned threads : {1u, 2u, 3u, 8u}) {
                vt::test::threads_env env(threads);
                ASSERT_EQ(c.run(in, dir.file(c.output)), 0) << threads << " threads";
                const std::string bytes = output_bytes(dir, c.output);
                if (threads == 1) {
                    one = bytes;
                    EXPECT_GT(one.size(), 100u);
                } else {
                    ASSERT_EQ(bytes.size(), one.size()) << threads << " threads";
                    EXPECT_TRUE(bytes == one) << threads << " threads";
                }
            }
        }
    }
}

// The pieces look their markers up each with a scratch of its own. The
// first table's notes mark the last cell "*" and the first cell of every
// row whose inner stub value is the first "1" (after the number: its two
// decimals gain a third digit); every other number keeps its two decimals.
TEST(TabularThreads, EveryPieceFindsItsMarkers) {
    temp_dir dir;
    const std::string in = dir.file("n.vt");
    ASSERT_EQ(vtgen(tables[0], in), 0);
    vt::test::threads_env env(8u);
    ASSERT_EQ(vt::RelTable(in, dir.file("rel.txt"), ".", "'", 0, symbols, 0, 0), 0);
    const std::string rel = dir.read("rel.txt");
    std::size_t line_start = rel.find("\r\n") + 2;  // after the header
    std::int64_t row = 0;
    int marked = 0;
    for (; line_start < rel.size(); ++row) {
        const std::size_t line_end = rel.find("\r\n", line_start);
        ASSERT_NE(line_end, std::string::npos);
        std::vector<std::string> fields;
        for (std::size_t p = line_start;;) {
            const std::size_t tab = rel.find('\t', p);
            fields.push_back(rel.substr(p, std::min(tab, line_end) - p));
            if (tab == std::string::npos || tab > line_end) break;
            p = tab + 1;
        }
        ASSERT_EQ(fields.size(), 2u + 56u) << "row " << row;
        for (std::size_t c = 2; c < fields.size(); ++c) {
            const std::string& f = fields[c];
            if (f.find_first_of("0123456789") == std::string::npos) continue;  // a symbol
            const std::size_t decimals = f.size() - f.find('.') - 1;
            const bool last = row == 179 && c + 1 == fields.size();
            if (c == 2 && row % 15 == 0) {
                EXPECT_EQ(decimals, 3u) << "row " << row << ": " << f;
                EXPECT_EQ(f.back(), '1') << "row " << row;
                ++marked;
            } else if (last) {
                EXPECT_EQ(f.back(), '*');
            } else {
                EXPECT_EQ(decimals, 2u) << "row " << row << " column " << c << ": " << f;
            }
        }
        line_start = line_end + 2;
    }
    EXPECT_EQ(row, 180);
    EXPECT_GT(marked, 6);
}

// The streaming exports read the cells in batches: a table of several
// batches, whole and with its data section ending early inside the second
// batch (the later rows then have no cells), at any thread count.
TEST(TabularThreads, StreamedBatchesWholeAndCutShort) {
    temp_dir dir;
    const std::string full = dir.file("full.vt");
    ASSERT_EQ(vtgen("--stub 50,20 --heading 40 --decimals 2 --symbols 5 --notes", full), 0);
    std::string bytes = dir.read("full.vt");
    const std::size_t data = bytes.find("DATA=");
    ASSERT_NE(data, std::string::npos);
    bytes.resize(data + (bytes.size() - data) * 9 / 10);  // inside the cells of the second batch
    const std::string cut = dir.write("cut.vt", bytes);
    for (const std::string& in : {full, cut}) {
        for (const char* output : {"m.prn", "c.prn", "a.dbf", "b.dbf"}) {
            SCOPED_TRACE(in + " to " + output);
            std::string one;
            for (unsigned threads : {1u, 2u, 8u}) {
                vt::test::threads_env env(threads);
                const std::string out = dir.file(output);
                const int rc = output[0] == 'm'   ? vt::asmkonv(in, out, ";", 0, symbols, 0, 0)
                               : output[0] == 'c' ? vt::cellkonv(in, out, ";", symbols, 0)
                               : output[0] == 'a' ? vt::dbakonv(in, out, "unit")
                                                  : vt::dbakonv2(in, out);
                ASSERT_EQ(rc, 0);
                const std::string got = output_bytes(dir, output);
                if (threads == 1)
                    one = got;
                else
                    EXPECT_TRUE(got == one) << threads << " threads";
            }
            if (in == cut && output[0] == 'c') {
                // The cells end where the data does: the last line with
                // cells is followed by empty ones.
                EXPECT_NE(one.find("\r\n\r\n"), std::string::npos);
                EXPECT_GT(one.size(), 150000u);
            }
        }
    }
}

// The whole job through vtbatch: the thread count comes from the
// environment of the process.
TEST(TabularThreads, VtbatchJobsAgreeAcrossThreadCounts) {
    temp_dir dir;
    ASSERT_EQ(vtgen(tables[1], dir.file("t.vt")), 0);
    for (const char* function : {"reltable", "prnmatrix", "dbase2", "excel"}) {
        const std::string output = std::string("out.") + (function == std::string("dbase2") ? "dbf" : "bin");
        dir.write("job.ini", "[Files]\nInfile=t.vt\nOutfile=" + output + "\nErrorfile=e.err\n[Query]\nFunction=" +
                                 function + "\n");
        std::string one;
        for (const char* threads : {"1", "3"}) {
            vt::test::threads_env env(threads);
            ASSERT_EQ(vt::test::run_vtbatch(dir, "job.ini"), 0) << function;
            const std::string got = output_bytes(dir, output);
            if (one.empty()) {
                one = got;
                EXPECT_GT(one.size(), 100u) << function;
            } else {
                EXPECT_TRUE(got == one) << function;
            }
        }
    }
}

}  // namespace
