// The worksheet and the dBase files read back by independent readers (the
// Python modules xlrd and dbfread, through tests/readers/readback.py):
// every cell, label and field they see is compared with the table itself,
// for the sample tables and for one with symbols, negative numbers, 15
// decimals and Windows-1252 texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../platform/temp_dir.h"
#include "core/cellfmt.h"
#include "core/table.h"
#include "export/dbase.h"
#include "export/excel.h"
#include "export/frame.h"

namespace {

namespace fs = std::filesystem;

const std::string python = "/usr/bin/python3";
const std::string symbols = ".;..;...;....;.....;......;.......;-";

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

std::vector<std::string> split(const std::string& line, char sep = '\t') {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string part; std::getline(in, part, sep);) out.push_back(part);
    if (!line.empty() && line.back() == sep) out.emplace_back();
    return out;
}

// What the reader prints for `file` ("xls" or "dbf"), line by line; empty
// with `skip` set when the reader is not there.
std::vector<std::string> read_back(const vt::test::temp_dir& dir, const std::string& kind, const std::string& file,
                                   std::string& skip) {
    if (!fs::exists(python)) {
        skip = python + " is not installed";
        return {};
    }
    const std::string script = std::string(VT_TEST_DATA) + "/../readers/readback.py";
    const std::string out = dir.file("readback.out");
    const std::string err = dir.file("readback.err");
    const std::string cmd = python + " '" + script + "' " + kind + " '" + file + "' >'" + out + "' 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 3) {
        skip = vt::test::read_file(err);
        return {};
    }
    EXPECT_EQ(code, 0) << vt::test::read_file(err);
    std::vector<std::string> lines;
    std::stringstream in(vt::test::read_file(out));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One cell or field as a reader gives it: a number or a text.
struct item {
    bool number = false;
    double value = 0;
    std::string text;  // hex of the bytes; "None" for an empty number field
    bool operator==(const item& o) const {
        return number == o.number && (number ? value == o.value : text == o.text);
    }
};

std::ostream& operator<<(std::ostream& os, const item& i) {
    return i.number ? os << "N " << i.value : os << "L " << i.text;
}

item number(double v) { return {true, v, {}}; }
item label(const std::string& bytes) { return {false, 0, hex(bytes)}; }

// ---------------------------------------------------------------------------
// The worksheet as the table says it must look (no notes, no code columns,
// numbers as stored).

using sheet_cells = std::map<std::pair<long, long>, item>;

void put_label(sheet_cells& s, long row, long column, std::string text) {
    if (text.size() > 255) text.resize(255);
    if (!text.empty()) s[{row, column}] = label(text);
}

std::string value_label(const vt::variable& v, const vt::value& val) {
    if (val.code && v.prestext == 2) return *val.code + " " + val.text;
    if (val.code && v.prestext == 3) return val.text + " " + *val.code;
    return val.text;
}

struct sheet_walk {
    const vt::table& t;
    const vt::cell_formatter& fmt;
    sheet_cells cells;
    long row = 0;
    std::int64_t cell = 0;

    void data_row(long column) {
        for (std::int64_t c = 0; c < fmt.ncols; ++c, ++column, ++cell) {
            const double x = t.data()[cell];
            if (vt::is_symbol_cell(x))
                put_label(cells, row, column, vt::cell_symbol_text(fmt, x));
            else
                cells[{row, column}] = number(x);
        }
        ++row;
    }
    void heading(std::size_t h, long r, long& column) {
        for (const vt::value& val : t.vars[h].values) {
            put_label(cells, r, column, value_label(t.vars[h], val));
            if (h + 1 == t.vars.size())
                ++column;
            else
                heading(h + 1, r + 1, column);
        }
    }
    void stub(std::size_t k) {
        for (const vt::value& val : t.vars[k].values) {
            put_label(cells, row, static_cast<long>(k), value_label(t.vars[k], val));
            if (k + 1 == t.stub_count())
                data_row(static_cast<long>(k) + 1);
            else
                stub(k + 1);
        }
    }
};

sheet_cells expected_sheet(const vt::table& t) {
    const vt::cell_formatter fmt = vt::make_cell_formatter(t, symbols);
    sheet_walk w{t, fmt, {}};
    for (std::string line : t.descriptiondefault == 1 ? t.description : t.title) {
        if (!line.empty() && line.back() == '#') line.back() = ' ';
        put_label(w.cells, w.row++, 0, line);
    }
    w.row += 2;
    if (t.has_heading()) {
        long column = static_cast<long>(t.stub_count());
        w.heading(t.stub_count(), w.row, column);
        w.row += static_cast<long>(t.heading_count());
    }
    if (t.stub_count() == 0)
        w.data_row(0);
    else
        w.stub(0);
    return w.cells;
}

sheet_cells parse_sheet(const std::vector<std::string>& lines) {
    sheet_cells out;
    for (const std::string& line : lines) {
        const auto f = split(line);
        if (f.size() != 4) {
            ADD_FAILURE() << "reader line: " << line;
            continue;
        }
        const std::pair<long, long> at{std::stol(f[0]), std::stol(f[1])};
        out[at] = f[2] == "N" ? number(std::strtod(f[3].c_str(), nullptr)) : item{false, 0, f[3]};
    }
    return out;
}

// ---------------------------------------------------------------------------
// The dBase files as the table says they must read.

// A number field of width 10 as the reader parses it: the printed value,
// cut to the width while only decimals go, else the overflow mark (None).
item dbf_number(double x, int decimals) {
    char text[640];
    const int n = std::snprintf(text, sizeof text, "%.*f", decimals, x);
    std::string s(text, static_cast<std::size_t>(n));
    if (s.size() > 10) {
        const std::size_t point = s.find('.');
        if ((point == std::string::npos ? s.size() : point) > 10) return {false, 0, "None"};
        s.resize(10);
    }
    return number(std::strtod(s.c_str(), nullptr));
}

// A text field: the text cut to the width; the reader drops trailing blanks.
item dbf_text(std::string s, std::size_t width) {
    if (s.size() > width) s.resize(width);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return label(s);
}

using records = std::vector<std::vector<item>>;

struct dbf_expectation {
    std::vector<std::string> names;
    records rows;
};

// Walks the value combinations of vars [0, n), first slowest.
template <class F>
void combinations(const vt::table& t, std::size_t n, F&& f) {
    std::vector<std::size_t> at(n, 0);
    for (;;) {
        f(at);
        std::size_t k = n;
        while (k > 0 && ++at[k - 1] == t.vars[k - 1].values.size()) at[--k] = 0;
        if (k == 0) return;
    }
}

// dbakonv (and dbakonv2005, whose symbols take `symbol`).
dbf_expectation per_cell(const vt::table& t, double symbol) {
    dbf_expectation e;
    for (const vt::variable& v : t.vars) {
        const std::size_t width = v.max_text_len > 0 ? static_cast<std::size_t>(v.max_text_len) : 6;
        e.names.push_back(hex((v.name ? *v.name : std::string("unit")).substr(0, std::min<std::size_t>(width, 11))));
    }
    e.names.push_back(hex("TABCELL"));
    std::int64_t cell = 0;
    combinations(t, t.vars.size(), [&](const std::vector<std::size_t>& at) {
        std::vector<item> r;
        for (std::size_t k = 0; k < at.size(); ++k) {
            const vt::variable& v = t.vars[k];
            r.push_back(dbf_text(v.values[at[k]].text, v.max_text_len > 0 ? v.max_text_len : 6));
        }
        const double x = t.data()[cell++];
        r.push_back(dbf_number(vt::is_symbol_cell(x) ? symbol : x, vt::stored_decimals(t)));
        e.rows.push_back(std::move(r));
    });
    return e;
}

// The per-row forms; `code_before` says which stub variables get a code
// field before their text field.
dbf_expectation per_row(const vt::table& t, const std::vector<bool>& code_before) {
    dbf_expectation e;
    const std::size_t nstub = t.stub_count();
    std::size_t width = 15;
    for (std::size_t k = 0; k < nstub; ++k) width = std::max(width, static_cast<std::size_t>(t.vars[k].max_text_len));
    std::int64_t ncols = 1;
    for (std::size_t k = nstub; k < t.vars.size(); ++k) ncols *= static_cast<std::int64_t>(t.vars[k].values.size());
    std::size_t field = 0;
    for (std::size_t k = 0; k < nstub; ++k) field += code_before[k] ? 2 : 1;
    for (std::size_t k = 1; k <= field; ++k) e.names.push_back(hex("C" + std::to_string(k)));
    for (std::int64_t c = 1; c <= ncols; ++c) e.names.push_back(hex("N" + std::to_string(field + c)));
    std::int64_t cell = 0;
    combinations(t, nstub, [&](const std::vector<std::size_t>& at) {
        std::vector<item> r;
        for (std::size_t k = 0; k < nstub; ++k) {
            const vt::value& val = t.vars[k].values[at[k]];
            if (code_before[k]) r.push_back(dbf_text(val.code ? *val.code : "", width));
            r.push_back(dbf_text(val.text, width));
        }
        for (std::int64_t c = 0; c < ncols; ++c, ++cell) {
            const double x = t.data()[cell];
            r.push_back(dbf_number(vt::is_symbol_cell(x) ? 0 : x, vt::stored_decimals(t)));
        }
        e.rows.push_back(std::move(r));
    });
    return e;
}

void compare_dbf(const dbf_expectation& e, const std::vector<std::string>& lines) {
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(split(lines[0]), e.names);
    ASSERT_EQ(lines.size(), e.rows.size() + 1);
    for (std::size_t r = 0; r < e.rows.size(); ++r) {
        const auto f = split(lines[r + 1]);
        ASSERT_EQ(f.size(), e.rows[r].size()) << "record " << r;
        for (std::size_t k = 0; k < f.size(); ++k) {
            const item& want = e.rows[r][k];
            const item got = want.number ? number(std::strtod(f[k].c_str(), nullptr)) : item{false, 0, f[k]};
            EXPECT_EQ(got, want) << "record " << r << " field " << k;
        }
    }
}

// ---------------------------------------------------------------------------

// Symbols of every kind, negative numbers, 15 decimals and Windows-1252
// texts (all of which code page 850 can hold).
const std::string mixed_table =
    "CHARSET=\"ANSI\";\nDECIMALS=15;\nMATRIX=\"MX\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
    "TITLE=\"R\xE4kne\xF6vning f\xF6r l\xE4n#\",\"och \xC5r\";\nCONTENTS=\"C\";\nUNITS=\"u\";\n"
    "STUB=\"l\xE4n\",\"k\xF6n\";\nHEADING=\"\xE5r\";\n"
    "VALUES(\"l\xE4n\")=\"G\xF6teborg\",\"Malm\xF6 l\xE4n\",\"\xC5re\";\nVALUES(\"k\xF6n\")=\"m\xE4n\",\"kvinnor\";\n"
    "VALUES(\"\xE5r\")=\"2020\",\"2021\",\"2022\";\nCODES(\"l\xE4n\")=\"GBG\",\"M\",\"ARE\";\n"
    "CODES(\"k\xF6n\")=\"M\xC4N\",\"K\";\n"
    "MAP(\"l\xE4n\")=\"karta\";\nDATASYMBOL3=\"\xE9\xE9\";\n"
    "DATA=\n-1.123456789012345 0.000000000000001 -98765.5 \n\".\" \"..\" \"...\" \n"
    "\"....\" \".....\" \"......\" \n\".......\" \"-\" 0 \n-0.5 123456.123456789012345 42 \n"
    "-7 1e-15 3.141592653589793;\n";

class ReadersTest : public ::testing::Test {
protected:
    // The tables read back: the samples and the mixed one.
    std::vector<std::pair<std::string, std::string>> tables() {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& entry : fs::directory_iterator(VT_TEST_DATA))
            if (entry.path().extension() == ".vt") out.emplace_back(entry.path().filename().string(), entry.path().string());
        out.emplace_back("mixed.vt", dir_.write("mixed.vt", mixed_table));
        return out;
    }

    vt::test::temp_dir dir_;
};

TEST_F(ReadersTest, WorksheetCellsReadBackAsTheTableHasThem) {
    for (const auto& [name, path] : tables()) {
        SCOPED_TRACE(name);
        vt::table t = vt::table_new();
        ASSERT_EQ(vt::load_whole_table(path, t, 400), 0);
        const std::string out = dir_.file("sheet.xls");
        ASSERT_EQ(vt::ExcelConv2005(path, out, symbols, 0, 0, "*", 0, 0, 1), 0);
        std::string skip;
        const auto lines = read_back(dir_, "xls", out, skip);
        if (!skip.empty()) GTEST_SKIP() << "skipped: " << skip;
        const sheet_cells got = parse_sheet(lines);
        const sheet_cells want = expected_sheet(t);
        EXPECT_EQ(got.size(), want.size());
        for (const auto& [at, cell] : want) {
            const auto found = got.find(at);
            if (found == got.end())
                ADD_FAILURE() << "no cell at " << at.first << "," << at.second << ": " << cell;
            else
                EXPECT_EQ(found->second, cell) << "at " << at.first << "," << at.second;
        }
    }
}

TEST_F(ReadersTest, EveryDbaseFormReadsBackAsTheTableHasIt) {
    for (const auto& [name, path] : tables()) {
        SCOPED_TRACE(name);
        vt::table t = vt::table_new();
        ASSERT_EQ(vt::load_whole_table(path, t, 400), 0);
        const std::size_t nstub = t.stub_count();
        std::vector<bool> none(nstub, false), coded(nstub, false), mapped(nstub, false);
        for (std::size_t k = 0; k < nstub; ++k)
            coded[k] = !t.vars[k].values.empty() && t.vars[k].values.front().code.has_value();
        for (std::size_t k = nstub; k-- > 0;)
            if (t.vars[k].map) {
                mapped[k] = true;
                break;
            }
        const std::string out = dir_.file("table.dbf");
        const struct {
            const char* form;
            int rc;
            dbf_expectation want;
        } forms[] = {
            {"dbakonv", vt::dbakonv(path, out, "unit"), per_cell(t, 0)},
            {"dbakonv2005", vt::dbakonv2005(path, dir_.file("t2005.dbf"), "unit", -99.5), per_cell(t, -99.5)},
            {"dbakonv2", vt::dbakonv2(path, dir_.file("t2.dbf")), per_row(t, none)},
            {"dbakonv3", vt::dbakonv3(path, dir_.file("t3.dbf")), per_row(t, mapped)},
            {"dbaseConv", vt::dbaseConv(path, dir_.file("t4.dbf"), 1), per_row(t, coded)},
        };
        const char* files[] = {"table.dbf", "t2005.dbf", "t2.dbf", "t3.dbf", "t4.dbf"};
        for (std::size_t i = 0; i < std::size(forms); ++i) {
            SCOPED_TRACE(forms[i].form);
            ASSERT_EQ(forms[i].rc, 0);
            std::string skip;
            const auto lines = read_back(dir_, "dbf", dir_.file(files[i]), skip);
            if (!skip.empty()) GTEST_SKIP() << "skipped: " << skip;
            compare_dbf(forms[i].want, lines);
        }
    }
}

}  // namespace
