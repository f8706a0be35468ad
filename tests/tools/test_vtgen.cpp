// Runs the vtgen program and reads what it wrote with the table reader:
// shapes, texts, codes, notes, data tokens, keyed rows and exit codes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sys/wait.h>

#include <concepts>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/datasec.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "../platform/temp_dir.h"

namespace {

int run_vtgen(const std::string& args, std::string* out = nullptr) {
    std::string cmd = std::string("'") + VT_VTGEN + "' " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        if (out) out->append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A generated file read back: the bytes, the reader's code and the table,
// with the file standing at the data section. The file lives in a folder of
// its own, removed after the file is closed.
struct generated {
    vt::test::temp_dir dir;
    std::string bytes;
    int rc = -1;
    vt::table t = vt::table_new();
    vt::in_file f;
};

void generate(generated& g, const std::string& name, const std::string& args) {
    const std::string path = g.dir.file(name + ".vt");
    ASSERT_EQ(run_vtgen(args + " -o '" + path + "'"), 0) << args;
    std::ifstream in(path, std::ios::binary);
    g.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    g.rc = vt::read_table_file(path, g.f, g.t);
}

std::string data_part(const std::string& bytes) {
    std::size_t at = bytes.find("DATA=\n");
    return at == std::string::npos ? std::string() : bytes.substr(at + 6);
}

// The tokens of a data section: separated by blanks, ",", ";" and line
// breaks outside double quotes (keys may hold blanks).
std::vector<std::string> tokens(const std::string& data) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : data) {
        if (c == '"') quoted = !quoted;
        if (quoted || !(c == ' ' || c == ',' || c == ';' || c == '\n')) out.back() += c;
        else if (!out.back().empty()) out.emplace_back();
    }
    if (out.back().empty()) out.pop_back();
    return out;
}

// The lines of a data section, after checking its layout: every line ends
// in a blank and the section ends with ";" on a line of its own.
std::vector<std::string> data_lines(const std::string& data) {
    std::vector<std::string> out;
    std::istringstream in(data);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    EXPECT_TRUE(!out.empty() && out.back() == ";" && data.back() == '\n');
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        EXPECT_TRUE(!out[i].empty() && out[i].back() == ' ') << "line " << i << ": " << out[i];
    return out;
}

// What a cell token reads as; false when it is neither a data symbol nor a
// number with exactly `decimals` decimals.
bool token_value(const std::string& tok, int decimals, double& v) {
    for (int n = 1; n <= 7; ++n)
        if (tok == '"' + std::string(static_cast<std::size_t>(n), '.') + '"') return v = vt::dot_values[n - 1], true;
    if (tok == "\"-\"") return v = vt::nil_value, true;
    std::size_t digits = tok.find_first_not_of("0123456789", tok[0] == '-');
    std::size_t point = decimals == 0 ? tok.size() : tok.size() - static_cast<std::size_t>(decimals) - 1;
    if (digits != point || digits == static_cast<std::size_t>(tok[0] == '-')) return false;
    if (decimals > 0 && (tok[point] != '.' || tok.find_first_not_of("0123456789", point + 1) != std::string::npos))
        return false;
    v = std::strtod(tok.c_str(), nullptr);
    return true;
}

// The cells read back must be exactly the tokens' values.
void expect_cells(vt::table& t, vt::in_file& f, const std::vector<double>& expected) {
    ASSERT_EQ(vt::read_data(t, f), 0);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(t.data()[i]), std::bit_cast<std::uint64_t>(expected[i]))
            << "cell " << i << ": " << t.data()[i] << " != " << expected[i];
}

TEST(Vtgen, ShapesReadBack) {
    struct shape {
        const char* args;
        std::vector<int> stub, heading;
        std::size_t per_line;  // cells per data line
    } shapes[] = {
        {"--stub 4,3", {4, 3}, {}, 1},
        {"--heading 5,2", {}, {5, 2}, 10},
        {"--stub 3,2 --heading 4 --decimals 1 --symbols 30", {3, 2}, {4}, 4},
        {"--stub '' --heading 7", {}, {7}, 7},
        {"--stub 1 --heading 1,1", {1}, {1, 1}, 1},
        {"--stub 5 --heading 6 --row-length 7", {5}, {6}, 7},
    };
    int n = 0;
    for (const shape& s : shapes) {
        SCOPED_TRACE(s.args);
        generated g;
        generate(g, "shape" + std::to_string(n++), s.args);
        ASSERT_EQ(g.rc, 0);
        ASSERT_EQ(g.t.stub_count(), s.stub.size());
        ASSERT_EQ(g.t.heading_count(), s.heading.size());
        std::size_t cells = 1;
        for (std::size_t i = 0; i < g.t.vars.size(); ++i) {
            bool stub = i < s.stub.size();
            std::size_t pos = stub ? i : i - s.stub.size();
            int count = stub ? s.stub[pos] : s.heading[pos];
            EXPECT_EQ(*g.t.vars[i].name, (stub ? "stub" : "head") + std::to_string(pos + 1));
            ASSERT_EQ(g.t.vars[i].value_count, count);
            EXPECT_EQ(g.t.vars[i].values.back().text, "value " + std::to_string(count));
            cells *= static_cast<std::size_t>(count);
        }
        std::string data = data_part(g.bytes);
        EXPECT_EQ(tokens(data).size(), cells);
        std::vector<std::string> ls = data_lines(data);
        ASSERT_EQ(ls.size(), (cells + s.per_line - 1) / s.per_line + 1);
        for (std::size_t i = 0; i + 2 < ls.size(); ++i) ASSERT_EQ(tokens(ls[i]).size(), s.per_line) << i;
    }
}

TEST(Vtgen, CellsShortcutIsNearTheCount) {
    for (long long want : {1LL, 7LL, 1000LL, 123457LL}) {
        generated g;
        generate(g, "cells" + std::to_string(want), "--cells " + std::to_string(want));
        ASSERT_EQ(g.rc, 0) << want;
        EXPECT_EQ(g.t.stub_count(), 1u);
        EXPECT_EQ(g.t.heading_count(), 1u);
        std::int64_t got = vt::count_cells(g.t.vars);
        EXPECT_NEAR(static_cast<double>(got), static_cast<double>(want), want * 0.15 + 1) << want;
        EXPECT_EQ(tokens(data_part(g.bytes)).size(), static_cast<std::size_t>(got));
    }
}

TEST(Vtgen, CellTokensAndShares) {
    generated g;
    generate(g, "tokens", "--stub 50 --heading 40 --decimals 3 --symbols 10 --zeros 20 --seed 7");
    ASSERT_EQ(g.rc, 0);
    EXPECT_EQ(g.t.decimals, 3);
    std::vector<std::string> toks = tokens(data_part(g.bytes));
    ASSERT_EQ(toks.size(), 2000u);
    std::vector<double> values;
    std::set<std::string> symbols_seen;
    int symbols = 0, zeros = 0, negatives = 0;
    for (const std::string& tok : toks) {
        double v = 0;
        ASSERT_TRUE(token_value(tok, 3, v)) << tok;
        values.push_back(v);
        if (tok[0] == '"') symbols_seen.insert(tok), ++symbols;
        zeros += v == 0;
        negatives += tok[0] == '-';
    }
    EXPECT_EQ(symbols_seen.size(), 8u) << "every symbol shows up";
    EXPECT_NEAR(symbols, 200, 60);
    EXPECT_NEAR(zeros, 400, 80);
    EXPECT_GT(negatives, 0);
    expect_cells(g.t, g.f, values);
}

TEST(Vtgen, CodesAndPrecision) {
    generated g;
    generate(g, "codes", "--stub 12,3 --heading 11 --codes --precision");
    ASSERT_EQ(g.rc, 0);
    for (const vt::variable& v : g.t.vars) {
        std::set<std::string> codes;
        for (const vt::value& val : v.values) {
            ASSERT_TRUE(val.code.has_value()) << *v.name << " " << val.text;
            EXPECT_EQ(val.code->size(), std::to_string(v.value_count).size()) << "same width";
            codes.insert(*val.code);
        }
        EXPECT_EQ(codes.size(), v.values.size()) << "codes are distinct";
    }

    // Every PRECISION statement in the text, naming its value by text or by
    // position, reaches that value; no other value has a precision.
    std::map<std::pair<std::string, std::string>, int> stated;  // (variable, value text)
    std::string head = g.bytes.substr(0, g.bytes.find("DATA="));
    const std::string key = "PRECISION(\"";
    for (std::size_t p = head.find(key); p != std::string::npos; p = head.find(key, p + 1)) {
        std::size_t name_end = head.find('"', p + key.size());
        ASSERT_NE(name_end, std::string::npos);
        std::string name = head.substr(p + key.size(), name_end - p - key.size());
        ASSERT_EQ(head.compare(name_end, 2, "\","), 0);
        std::size_t q = name_end + 2;
        std::string value;
        if (head[q] == '"') {  // by text
            std::size_t end = head.find('"', q + 1);
            value = head.substr(q + 1, end - q - 1);
            q = end + 1;
        } else {  // by position
            std::size_t end = head.find(')', q);
            value = "value " + head.substr(q, end - q);
            q = end;
        }
        ASSERT_EQ(head.compare(q, 2, ")="), 0) << head.substr(p, 60);
        stated[{name, value}] = head[q + 2] - '0';
    }
    EXPECT_GE(stated.size(), g.t.vars.size());
    for (const vt::variable& v : g.t.vars)
        for (const vt::value& val : v.values) {
            auto it = stated.find({*v.name, val.text});
            EXPECT_EQ(val.precision, it == stated.end() ? 0 : it->second) << *v.name << " " << val.text;
        }
}

// The keys that open each row of keyed data (each quoted and followed by
// ",", at the start of a line) and the cells of each row.
struct keyed_rows {
    std::vector<std::vector<std::string>> keys, cells;
};

keyed_rows split_keyed(const std::string& data, std::size_t key_count) {
    keyed_rows out;
    for (const std::string& line : data_lines(data)) {
        std::size_t p = 0;
        std::vector<std::string> keys;
        for (std::size_t close; keys.size() < key_count && line[p] == '"' &&
                                (close = line.find("\",", p + 1)) != std::string::npos;
             p = close + 2)
            keys.push_back(line.substr(p + 1, close - p - 1));
        if (keys.size() == key_count) out.keys.push_back(keys), out.cells.emplace_back();
        if (!out.cells.empty())
            for (const std::string& tok : tokens(line.substr(p))) out.cells.back().push_back(tok);
    }
    return out;
}

TEST(Vtgen, KeyedData) {
    for (std::string mode : {"values", "codes"}) {
        SCOPED_TRACE(mode);
        generated g;
        generate(g, "keyed_" + mode, "--stub 3,4 --heading 2,3 --symbols 5 --decimals 1 --row-length 4 --keyed " + mode);
        ASSERT_EQ(g.rc, 0);
        for (std::size_t v = 0; v < 2; ++v) EXPECT_EQ(g.t.vars[v].keys_mode, mode == "codes" ? 2 : 1);

        // Each row's keys name the stub values in order, as texts or codes.
        EXPECT_EQ(tokens(data_part(g.bytes)).size(), 12u * (2 + 6));
        keyed_rows rows = split_keyed(data_part(g.bytes), 2);
        ASSERT_EQ(rows.keys.size(), 12u);
        std::vector<double> values;
        for (std::size_t row = 0; row < 12; ++row) {
            for (std::size_t v = 0; v < 2; ++v) {
                const vt::value& val = g.t.vars[v].values[v == 0 ? row / 4 : row % 4];
                EXPECT_EQ(rows.keys[row][v], mode == "codes" ? *val.code : val.text) << row;
            }
            ASSERT_EQ(rows.cells[row].size(), 6u);
            for (const std::string& tok : rows.cells[row])
                ASSERT_TRUE(token_value(tok, 1, values.emplace_back())) << tok;
        }
        expect_cells(g.t, g.f, values);
    }
}

TEST(Vtgen, KeyedOmitsZeroRows) {
    const std::string args = "--stub 40,2 --heading 2 --zeros 70 --seed 3 --keyed codes";
    generated all, kept;
    generate(all, "omit_all", args);
    generate(kept, "omit", args + " --omit-zero-rows");
    ASSERT_EQ(kept.rc, 0);

    // The kept rows are exactly the rows of the full file with a non-zero cell.
    keyed_rows full = split_keyed(data_part(all.bytes), 2), expected;
    ASSERT_EQ(full.keys.size(), 80u);
    std::vector<double> values;
    for (std::size_t row = 0; row < full.keys.size(); ++row) {
        bool zero = true;
        for (const std::string& tok : full.cells[row]) zero = zero && tok == "0";
        for (const std::string& tok : full.cells[row]) values.push_back(std::strtod(tok.c_str(), nullptr));
        if (!zero) expected.keys.push_back(full.keys[row]), expected.cells.push_back(full.cells[row]);
    }
    ASSERT_LT(expected.keys.size(), full.keys.size()) << "some rows are all zero";
    keyed_rows got = split_keyed(data_part(kept.bytes), 2);
    EXPECT_EQ(got.keys, expected.keys);
    EXPECT_EQ(got.cells, expected.cells);
    expect_cells(kept.t, kept.f, values);

    // Nothing but zero rows: the data is the end mark alone.
    generated none;
    generate(none, "omit_none", "--stub 3 --heading 2 --zeros 100 --keyed values --omit-zero-rows");
    EXPECT_EQ(data_part(none.bytes), ";\n");
}

// Every text of a table that the generator writes, in one list.
std::vector<std::string> all_texts(const vt::table& t) {
    std::vector<std::string> out = t.title;
    for (const vt::text_list* l : {&t.note, &t.cellnote_texts, &t.datanotecell_texts})
        out.insert(out.end(), l->begin(), l->end());
    for (const vt::variable& v : t.vars) {
        out.insert(out.end(), v.note.begin(), v.note.end());
        for (const vt::value& val : v.values) {
            out.push_back(val.text);
            out.insert(out.end(), val.valuenote.begin(), val.valuenote.end());
        }
    }
    return out;
}

TEST(Vtgen, NotesLongTextsAndOem) {
    const std::string args = "--stub 6,2 --heading 5 --notes --long-texts --codes --seed 11";
    generated a, o;
    generate(a, "ansi", args);
    generate(o, "oem", args + " --oem");
    ASSERT_EQ(a.rc, 0);
    ASSERT_EQ(o.rc, 0);
    EXPECT_EQ(a.bytes.rfind("CHARSET=\"ANSI\";\n", 0), 0u);
    EXPECT_EQ(o.bytes.find("CHARSET"), std::string::npos);
    EXPECT_NE(a.bytes.find('\xE4'), std::string::npos);
    EXPECT_EQ(o.bytes.find('\xE4'), std::string::npos);
    EXPECT_NE(o.bytes.find('\x84'), std::string::npos);

    // Long value texts wrap: no line of the keyword part exceeds 80 bytes.
    std::istringstream head(a.bytes.substr(0, a.bytes.find("DATA=")));
    for (std::string line; std::getline(head, line);) ASSERT_LE(line.size(), 80u) << line;
    const vt::table& t = a.t;
    for (const vt::variable& v : t.vars)
        for (const vt::value& val : v.values) EXPECT_TRUE(val.text.size() >= 100 && val.text.size() <= 255);

    ASSERT_EQ(t.note.size(), 2u);
    EXPECT_EQ(t.note[1], "\xC4ndrade v\xE4rden f\xF6r \xE5r 2006.");
    EXPECT_EQ(t.title[0], "Synthetic table, r\xE4kne\xF6vning f\xF6r tester");
    for (const vt::variable& v : t.vars) {
        EXPECT_EQ(v.note.size(), 1u);
        EXPECT_EQ(v.values.front().valuenote.size(), 1u);
        EXPECT_EQ(v.values.back().valuenote.size(), 1u);
        EXPECT_EQ(v.values.back().has_datanote, 1);
    }
    ASSERT_EQ(t.cellnote_texts.size(), 2u);
    EXPECT_EQ(t.cellnote_texts[0], "Cell note 1, r\xE4ttad siffra.");
    for (std::size_t i = 0; i + 1 < t.vars.size(); ++i)
        EXPECT_EQ(t.vars[i].cellnote_refs, (vt::cell_ref_list{0, vt::any_value}));
    EXPECT_EQ(t.vars.back().cellnote_refs, (vt::cell_ref_list{0, t.vars.back().value_count - 1}));
    EXPECT_EQ(t.datanotecell_texts.size(), 2u);

    // Read from code page 850, every text is what the ANSI file gave.
    EXPECT_EQ(all_texts(o.t), all_texts(t));
    EXPECT_EQ(data_part(o.bytes), data_part(a.bytes));
}

TEST(Vtgen, SameSeedSameBytes) {
    const std::string args = "--stub 20,3 --heading 7 --decimals 2 --symbols 5 --zeros 5 --notes --long-texts";
    generated one, two, other;
    generate(one, "seed_a", args + " --seed 42");
    generate(two, "seed_b", args + " --seed 42");
    generate(other, "seed_c", args + " --seed 43");
    EXPECT_EQ(two.bytes, one.bytes);
    EXPECT_NE(other.bytes, one.bytes);
    std::string piped;
    ASSERT_EQ(run_vtgen(args + " --seed 42", &piped), 0);
    EXPECT_EQ(piped, one.bytes) << "standard output gets the same bytes";
}

TEST(Vtgen, BadArguments) {
    const char* bad[] = {
        "", "--stub '' --heading ''", "--stub 0", "--stub 3,,4", "--stub 3,x", "--stub -3",
        "--stub 100000000000", "--stub 100000,100000,100000,100000" /* too many cells */,
        "--stub 3 --decimals 16", "--stub 3 --decimals", "--stub 3 --symbols 101",
        "--stub 3 --symbols 60 --zeros 50", "--stub 3 --zeros nan", "--stub 3 --row-length 0",
        "--stub 3 --keyed keys", "--heading 3 --keyed values" /* keys need a stub */,
        "--stub 3 --omit-zero-rows" /* only keyed */, "--cells 100 --stub 3", "--cells 0",
        "--stub 3 --seed -1", "--stub 3 --frobnicate", "--stub 3 -o",
    };
    for (const char* args : bad) EXPECT_EQ(run_vtgen(args), 2) << args;
    EXPECT_EQ(run_vtgen("--stub 3 -o /nonexistent-dir/x.vt"), 1);
}

}  // namespace
