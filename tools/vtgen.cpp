// vtgen: writes synthetic table files of any shape and size for tests and
// benchmarks.
//
// The file text is produced here byte by byte, not through the table
// writer, so a generated file is also an independent check of the reader.
// Everything goes out through one large output buffer and every cell is a
// pure function of the seed and its position, so memory stays the same
// whether the table has ten cells or a hundred million, and the same
// arguments always give the same bytes.
//
// Layout of a generated file (ANSI form):
//
//   CHARSET="ANSI";                       (left out with --oem)
//   DECIMALS=2;
//   MATRIX="VTGEN"; SUBJECT-AREA=...; SUBJECT-CODE=...; TITLE=...;
//   CONTENTS=...; UNITS=...;
//   STUB="stub1",...; HEADING="head1",...;
//   VALUES("stub1")="value 1","value 2",...;        one per variable
//   CODES(...), PRECISION(...), NOTE..., CELLNOTE(...), DATANOTECELL(...)
//   KEYS("stub1")=VALUES;                  keyed form only
//   DATA=
//   12.50 3.00 "." ...                     row-length cells per line, each
//   ;                                      line ending in a blank
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/outfile.h"

namespace {

constexpr const char* usage_text =
    "usage: vtgen [options] [-o file]\n"
    "Writes a synthetic table file (to standard output without -o).\n"
    "  --stub N,N,...        value counts of the stub variables stub1, stub2, ...\n"
    "  --heading N,N,...     value counts of the heading variables head1, head2, ...\n"
    "                        (either may be empty; at least one variable in all)\n"
    "  --cells N             instead of --stub/--heading: one stub and one heading\n"
    "                        variable with about N cells together\n"
    "  --seed N              seed of the texts and cells (default 1)\n"
    "  --decimals N          decimals of every number, 0 to 15 (default 0)\n"
    "  --symbols P           percent of cells that are data symbols \".\" .. \".......\", \"-\"\n"
    "  --zeros P             percent of cells that are 0\n"
    "  --codes               CODES for every variable\n"
    "  --precision           PRECISION statements for a few values of each variable\n"
    "  --notes               NOTE, VALUENOTE, CELLNOTE and DATANOTECELL statements\n"
    "  --long-texts          value texts of 100 to 255 characters, wrapped over lines\n"
    "  --oem                 strings in code page 850 and no CHARSET\n"
    "                        (default: CHARSET=\"ANSI\" and Windows-1252 strings)\n"
    "  --keyed values|codes  keyed data: every row starts with the texts (or codes)\n"
    "                        of its stub values; \"codes\" gives the stub CODES\n"
    "  --omit-zero-rows      with --keyed: leave out rows whose cells are all 0\n"
    "  --row-length N        cells per data line (default: the cells of one row)\n"
    "  -o file               the output file\n"
    "Exit status: 0 written, 1 the output could not be written, 2 bad arguments.\n";

// Bounds on the arguments: a variable's value count stays an int for the
// reader, and cell counts and their products cannot overflow. (--cells N
// therefore goes up to 2e10: 200 heading values times max_values.)
constexpr std::int64_t max_values = 100'000'000;
constexpr std::int64_t max_cells = 1'000'000'000'000'000;  // 1e15
constexpr std::size_t max_variables = 64;
constexpr std::size_t line_width = 80;

enum keyed_mode { keyed_none = 0, keyed_values = 1, keyed_codes = 2 };

struct options {
    std::vector<std::int64_t> stub;
    std::vector<std::int64_t> heading;
    std::int64_t cells = 0;          // --cells; 0 = not given
    std::uint64_t seed = 1;
    int decimals = 0;
    std::uint32_t symbol_ppm = 0;    // shares in millionths of the cells
    std::uint32_t zero_ppm = 0;
    bool codes = false;
    bool precision = false;
    bool notes = false;
    bool long_texts = false;
    bool oem = false;
    keyed_mode keyed = keyed_none;
    bool omit_zero_rows = false;
    std::int64_t row_length = 0;     // 0 = the cells of one row
    std::string output;              // empty = standard output
};

// ---------------------------------------------------------------------------
// Arguments.

bool parse_int(std::string_view s, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
    std::int64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

// A comma-separated list of value counts; an empty text is an empty list.
bool parse_counts(std::string_view s, std::vector<std::int64_t>& out) {
    out.clear();
    if (s.empty()) return true;
    for (;;) {
        std::size_t comma = s.find(',');
        std::int64_t n = 0;
        if (!parse_int(s.substr(0, comma), 1, max_values, n)) return false;
        out.push_back(n);
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return out.size() <= max_variables;
}

// A percentage 0..100 (decimals allowed) as millionths.
bool parse_percent(std::string_view s, std::uint32_t& out) {
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    if (!(v >= 0 && v <= 100)) return false;  // also rejects NaN
    out = static_cast<std::uint32_t>(std::llround(v * 10000));
    return true;
}

// Fills o from the arguments. False for anything malformed, unknown,
// missing or contradictory.
bool parse_args(int argc, char** argv, options& o) {
    bool shape_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        auto next = [&](std::string_view& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string_view v;
        std::int64_t n = 0;
        if (a == "--stub" || a == "--heading") {
            if (!next(v) || !parse_counts(v, a == "--stub" ? o.stub : o.heading)) return false;
            shape_given = true;
        } else if (a == "--cells") {
            if (!next(v) || !parse_int(v, 1, max_cells, o.cells)) return false;
        } else if (a == "--seed") {
            std::uint64_t s = 0;
            if (!next(v)) return false;
            auto r = std::from_chars(v.data(), v.data() + v.size(), s);
            if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size()) return false;
            o.seed = s;
        } else if (a == "--decimals") {
            if (!next(v) || !parse_int(v, 0, 15, n)) return false;
            o.decimals = static_cast<int>(n);
        } else if (a == "--symbols") {
            if (!next(v) || !parse_percent(v, o.symbol_ppm)) return false;
        } else if (a == "--zeros") {
            if (!next(v) || !parse_percent(v, o.zero_ppm)) return false;
        } else if (a == "--row-length") {
            if (!next(v) || !parse_int(v, 1, max_cells, o.row_length)) return false;
        } else if (a == "--keyed") {
            if (!next(v)) return false;
            if (v == "values") o.keyed = keyed_values;
            else if (v == "codes") o.keyed = keyed_codes;
            else return false;
        } else if (a == "-o") {
            if (!next(v) || v.empty()) return false;
            o.output = std::string(v);
        } else if (a == "--codes") {
            o.codes = true;
        } else if (a == "--precision") {
            o.precision = true;
        } else if (a == "--notes") {
            o.notes = true;
        } else if (a == "--long-texts") {
            o.long_texts = true;
        } else if (a == "--oem") {
            o.oem = true;
        } else if (a == "--omit-zero-rows") {
            o.omit_zero_rows = true;
        } else {
            return false;
        }
    }
    if (o.cells > 0) {
        if (shape_given) return false;
        // A near-square table whose rows stay short enough to read.
        std::int64_t h = std::llround(std::sqrt(static_cast<double>(o.cells)));
        h = std::max<std::int64_t>(1, std::min<std::int64_t>(h, 200));
        std::int64_t s = std::max<std::int64_t>(1, (o.cells + h / 2) / h);
        if (s > max_values) return false;
        o.stub = {s};
        o.heading = {h};
    }
    if (o.stub.size() + o.heading.size() == 0) return false;
    if (std::uint64_t{o.symbol_ppm} + o.zero_ppm > 1'000'000) return false;
    if (o.keyed != keyed_none && o.stub.empty()) return false;
    if (o.omit_zero_rows && o.keyed == keyed_none) return false;
    std::int64_t cells = 1;
    for (const auto* list : {&o.stub, &o.heading})
        for (std::int64_t c : *list) {
            if (cells > max_cells / c) return false;
            cells *= c;
        }
    return true;
}

// ---------------------------------------------------------------------------
// Output: the buffered file, or standard output. For standard output the
// buffer collects into a string that is handed on whenever it has grown,
// so memory stays bounded there too.

class output {
public:
    bool open(const std::string& path, bool oem) {
        oem_ = oem;
        if (path.empty()) {
            to_stdout_ = true;
            out.open_memory(pending_);
            return true;
        }
        return out.open(path);
    }

    // Hands collected bytes to standard output once enough have gathered.
    void poll() {
        if (to_stdout_ && pending_.size() >= (std::size_t{4} << 20)) drain();
    }
    bool finish() {
        if (to_stdout_) {
            drain();
            if (std::fflush(stdout) != 0) failed_ = true;
        }
        return out.close() && !failed_;
    }

    // Keyword text (ASCII).
    void raw(std::string_view s) {
        out.write(s);
        col_ += s.size();
    }
    void newline() {
        out.put('\n');
        col_ = 0;
        poll();
    }

    // One quoted string followed by its terminator (",", ";", ")", or
    // nothing for '\0'). A string that cannot fit on the current line is
    // broken inside the quotes: the reader joins such a string without
    // inserting anything.
    void quoted(std::string_view s, char terminator) {
        out.put('"');
        ++col_;
        for (char c : s) {
            if (col_ + tail_room >= line_width) newline();
            out.put(oem_ ? to_oem(c) : c);
            ++col_;
        }
        out.put('"');
        ++col_;
        if (terminator) {
            out.put(terminator);
            ++col_;
        }
    }

    // A list item: starts a new line first when it would not fit on this
    // one (only after a "," of the list, never at the list's start).
    void item(std::string_view s, bool first, char terminator) {
        if (!first && col_ + s.size() + tail_room + 2 > line_width) newline();
        quoted(s, terminator);
    }

    vt::out_file out;

private:
    void drain() {
        out.flush();
        if (!pending_.empty() && std::fwrite(pending_.data(), 1, pending_.size(), stdout) != pending_.size())
            failed_ = true;
        pending_.clear();
    }

    // The few non-ASCII letters the generated texts use, as code page 850
    // bytes; everything else the generator writes is ASCII.
    static char to_oem(char c) noexcept {
        switch (static_cast<unsigned char>(c)) {
        case 0xE4: return '\x84';  // a diaeresis
        case 0xF6: return '\x94';  // o diaeresis
        case 0xE5: return '\x86';  // a ring
        case 0xE9: return '\x82';  // e acute
        case 0xC4: return '\x8E';  // A diaeresis
        case 0xD6: return '\x99';  // O diaeresis
        default: return c;
        }
    }

    // What may follow a string on its line (at most `")=3;`), so that no
    // line of the keyword part grows beyond line_width.
    static constexpr std::size_t tail_room = 6;

    std::string pending_;
    bool to_stdout_ = false;
    bool oem_ = false;
    bool failed_ = false;
    std::size_t col_ = 0;
};

// ---------------------------------------------------------------------------
// Deterministic pseudo-random numbers: every draw is a hash of the seed and
// a position, so any cell can be produced again on its own (the keyed form
// looks at a row twice when zero rows are left out).

inline std::uint64_t mix(std::uint64_t x) noexcept {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// The cells: a share of data symbols, a share of zeros, and numbers of up
// to five integer digits with exactly `decimals` decimals, one in 32 of
// them negative.
class cell_maker {
public:
    static constexpr std::size_t max_token = 24;  // "-99999." + 15 digits

    cell_maker(const options& o)
        : key_(mix(o.seed ^ 0x6365'6C6C'7300'0000ULL)),
          symbol_ppm_(o.symbol_ppm),
          zero_limit_(o.symbol_ppm + o.zero_ppm),
          decimals_(o.decimals) {
        std::uint64_t p = 1;
        for (int i = 0; i < decimals_; ++i) p *= 10;
        frac_range_ = p;
    }

    // Writes the token of cell `index` at p (room for max_token bytes) and
    // returns its end; `zero` tells whether the cell is the number 0.
    char* write(char* p, std::uint64_t index, bool& zero) const noexcept {
        static constexpr std::string_view symbols[8] = {
            "\".\"",    "\"..\"",     "\"...\"",     "\"....\"",
            "\".....\"", "\"......\"", "\".......\"", "\"-\""};
        const std::uint64_t h = mix(key_ + index);
        // The top 24 bits pick the kind evenly over a million slots.
        const std::uint64_t slot = ((h >> 40) * 1'000'000) >> 24;
        zero = false;
        if (slot < symbol_ppm_) {
            std::string_view s = symbols[(h >> 8) & 7];
            std::memcpy(p, s.data(), s.size());
            return p + s.size();
        }
        std::uint64_t whole = 0;
        std::uint64_t frac = 0;
        if (slot >= zero_limit_) {
            whole = ((h >> 8) & 0xFFFFFFFF) % 100000;
            if (decimals_ > 0) frac = mix(h) % frac_range_;
        }
        if (whole == 0 && frac == 0) {
            zero = true;
        } else if ((h & 31) == 0) {
            *p++ = '-';
        }
        p = std::to_chars(p, p + 8, whole).ptr;
        if (decimals_ > 0) {
            *p++ = '.';
            for (int i = decimals_ - 1; i >= 0; --i) {
                p[i] = static_cast<char>('0' + frac % 10);
                frac /= 10;
            }
            p += decimals_;
        }
        return p;
    }

private:
    std::uint64_t key_;
    std::uint64_t symbol_ppm_;
    std::uint64_t zero_limit_;
    std::uint64_t frac_range_ = 1;
    int decimals_;
};

// ---------------------------------------------------------------------------
// The table's variables and their texts.

struct var_spec {
    std::string name;
    std::int64_t count = 0;
    bool codes = false;
};

class generator {
public:
    generator(const options& o, output& out) : o_(o), out_(out), cells_(o) {
        for (std::size_t i = 0; i < o.stub.size(); ++i)
            vars_.push_back({"stub" + std::to_string(i + 1), o.stub[i],
                             o.codes || o.keyed == keyed_codes});
        for (std::size_t i = 0; i < o.heading.size(); ++i)
            vars_.push_back({"head" + std::to_string(i + 1), o.heading[i], o.codes});
        stub_n_ = o.stub.size();
        for (std::size_t i = stub_n_; i < vars_.size(); ++i) row_cells_ *= vars_[i].count;
        for (std::size_t i = 0; i < stub_n_; ++i) rows_ *= vars_[i].count;
    }

    // The whole file, in the order it is read.
    void write_file() {
        write_head();
        write_variables();
        if (o_.codes || o_.keyed == keyed_codes) write_codes();
        if (o_.precision) write_precision();
        if (o_.notes) write_notes();
        if (o_.keyed != keyed_none) write_keys();
        out_.raw("DATA=");
        out_.newline();
        if (o_.keyed != keyed_none) write_keyed_data();
        else write_full_data();
        out_.raw(";");
        out_.newline();
    }

private:
    // Text of value k (0-based) of variable v: "value 17"; with long texts
    // followed by words up to a length between 100 and 255, the longest a
    // value text may be. The number up front keeps the texts distinct.
    std::string value_text(std::size_t v, std::int64_t k) const {
        std::string s = "value " + std::to_string(k + 1);
        if (!o_.long_texts) return s;
        static constexpr std::string_view words[12] = {
            "north", "south", "region", "total", "annual", "average",
            "index", "share", "sector", "county", "private", "public"};
        std::uint64_t h = mix(o_.seed ^ mix((std::uint64_t{v} << 40) ^ static_cast<std::uint64_t>(k)));
        std::size_t target = 100 + h % 156;
        for (;;) {
            h = mix(h);
            std::string_view w = words[h % 12];
            if (s.size() + 1 + w.size() > target) break;
            s += ' ';
            s += w;
        }
        s.append(target - s.size(), '.');
        return s;
    }

    // Code of value k: its number, zero-padded to the width of the count.
    std::string code_text(std::size_t v, std::int64_t k) const {
        std::string n = std::to_string(k + 1);
        std::size_t width = std::to_string(vars_[v].count).size();
        return std::string(width - n.size(), '0') + n;
    }

    // How DATANOTECELL names a value: by code where the variable has codes.
    std::string key_text(std::size_t v, std::int64_t k) const {
        return vars_[v].codes ? code_text(v, k) : value_text(v, k);
    }

    void statement(std::string_view keyword, std::string_view s) {
        out_.raw(keyword);
        out_.quoted(s, ';');
        out_.newline();
    }

    void var_keyword(std::string_view keyword, std::size_t v) {
        out_.raw(keyword);
        out_.raw("(\"");
        out_.raw(vars_[v].name);
        out_.raw("\")=");
    }

    void text_list(const std::vector<std::string>& items) {
        for (std::size_t i = 0; i < items.size(); ++i)
            out_.item(items[i], i == 0, i + 1 == items.size() ? ';' : ',');
        out_.newline();
    }

    void name_list(std::string_view keyword, std::size_t from, std::size_t to) {
        if (from == to) return;
        out_.raw(keyword);
        for (std::size_t v = from; v < to; ++v) out_.item(vars_[v].name, v == from, v + 1 == to ? ';' : ',');
        out_.newline();
    }

    void write_head() {
        if (!o_.oem) statement("CHARSET=", "ANSI");
        out_.raw("DECIMALS=");
        out_.raw(std::to_string(o_.decimals));
        out_.raw(";");
        out_.newline();
        statement("MATRIX=", "VTGEN");
        statement("SUBJECT-AREA=", "Synthetic tables");
        statement("SUBJECT-CODE=", "SY");
        std::vector<std::string> title = {"Synthetic table, r\xE4kne\xF6vning f\xF6r tester"};
        for (const var_spec& v : vars_) title.push_back(" by " + v.name);
        out_.raw("TITLE=");
        text_list(title);
        statement("CONTENTS=", "Synthetic figures");
        statement("UNITS=", "number");
        name_list("STUB=", 0, stub_n_);
        name_list("HEADING=", stub_n_, vars_.size());
    }

    void write_variables() {
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            var_keyword("VALUES", v);
            for (std::int64_t k = 0; k < vars_[v].count; ++k)
                out_.item(value_text(v, k), k == 0, k + 1 == vars_[v].count ? ';' : ',');
            out_.newline();
        }
    }

    void write_codes() {
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            if (!vars_[v].codes) continue;
            var_keyword("CODES", v);
            for (std::int64_t k = 0; k < vars_[v].count; ++k)
                out_.item(code_text(v, k), k == 0, k + 1 == vars_[v].count ? ';' : ',');
            out_.newline();
        }
    }

    // KEYWORD("variable",<value>)= with the value named by its text for the
    // first value and by its 1-based position otherwise, so files exercise
    // both ways of naming a value.
    void value_keyword(std::string_view keyword, std::size_t v, std::int64_t k) {
        out_.raw(keyword);
        out_.raw("(\"");
        out_.raw(vars_[v].name);
        out_.raw("\",");
        if (k == 0) {
            out_.quoted(value_text(v, k), ')');
        } else {
            out_.raw(std::to_string(k + 1));
            out_.raw(")");
        }
        out_.raw("=");
    }

    // The first value of each variable by its text, and the middle one by
    // its position, get a precision digit 1..6.
    void write_precision() {
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            std::int64_t mid = vars_[v].count / 2;
            for (std::int64_t k : {std::int64_t{0}, mid}) {
                if (k == mid && mid == 0) continue;
                value_keyword("PRECISION", v, k);
                char digit = static_cast<char>('1' + mix(o_.seed + v * 1000 + static_cast<std::uint64_t>(k)) % 6);
                out_.raw(std::string_view(&digit, 1));
                out_.raw(";");
                out_.newline();
            }
        }
    }

    // One cell-note entry: one reference per variable in chain order, then
    // the text as one or more strings, each on its own line.
    void cell_entry(std::string_view keyword, const std::vector<std::string>& refs,
                    const std::vector<std::string>& text) {
        out_.raw(keyword);
        out_.raw("(");
        for (std::size_t i = 0; i < refs.size(); ++i)
            out_.item(refs[i], i == 0, i + 1 == refs.size() ? ')' : ',');
        out_.raw("=");
        for (std::size_t i = 0; i < text.size(); ++i) {
            out_.quoted(text[i], i + 1 == text.size() ? ';' : '\0');
            if (i + 1 < text.size()) out_.newline();
        }
        out_.newline();
    }

    void write_notes() {
        out_.raw("NOTE=");
        text_list({"Synthetic figures, not real ones.", "\xC4ndrade v\xE4rden f\xF6r \xE5r 2006."});
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            var_keyword("NOTE", v);
            text_list({"Note on " + vars_[v].name + " (\xF6versikt)."});
        }
        // A value note by text on the first value, by position on the last.
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            std::int64_t last = vars_[v].count - 1;
            for (std::int64_t k : {std::int64_t{0}, last}) {
                if (k == last && last == 0) continue;
                value_keyword("VALUENOTE", v, k);
                text_list({"Value " + std::to_string(k + 1) + " of " + vars_[v].name + " \xE9tait \xE4ndrad."});
            }
        }
        // Cell notes: the first cell, then the last value of the last
        // variable under any values of the others.
        std::vector<std::string> first, last_any;
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            first.push_back(value_text(v, 0));
            last_any.push_back(v + 1 == vars_.size() ? value_text(v, vars_[v].count - 1) : "*");
        }
        cell_entry("CELLNOTE", first, {"Cell note 1, ", "r\xE4ttad siffra."});
        cell_entry("CELLNOTE", last_any, {"Cell note 2."});
        // Data-note cells name values by code where there are codes.
        std::vector<std::string> last, any_first;
        for (std::size_t v = 0; v < vars_.size(); ++v) {
            last.push_back(key_text(v, vars_[v].count - 1));
            any_first.push_back(v == 0 && vars_.size() > 1 ? "*" : key_text(v, 0));
        }
        cell_entry("DATANOTECELL", last, {"*"});
        cell_entry("DATANOTECELL", any_first, {"1"});
    }

    void write_keys() {
        for (std::size_t v = 0; v < stub_n_; ++v) {
            var_keyword("KEYS", v);
            out_.raw(o_.keyed == keyed_values ? "VALUES;" : "CODES;");
            out_.newline();
        }
    }

    // Cells [first, first + n) on lines of row-length cells.
    void write_cells(std::uint64_t first, std::int64_t n) {
        const std::int64_t per_line = o_.row_length > 0 ? o_.row_length : row_cells_;
        bool zero = false;
        std::int64_t on_line = 0;
        for (std::int64_t k = 0; k < n; ++k) {
            char* p = out_.out.reserve(cell_maker::max_token + 1);
            char* e = cells_.write(p, first + static_cast<std::uint64_t>(k), zero);
            *e++ = ' ';
            out_.out.commit(static_cast<std::size_t>(e - p));
            if (++on_line == per_line || k + 1 == n) {
                out_.newline();
                on_line = 0;
            } else if ((on_line & 0xFFFF) == 0) {
                out_.poll();
            }
        }
    }

    void write_full_data() { write_cells(0, rows_ * row_cells_); }

    bool row_is_zero(std::uint64_t first) const {
        char tmp[cell_maker::max_token];
        bool zero = false;
        for (std::int64_t k = 0; k < row_cells_; ++k) {
            cells_.write(tmp, first + static_cast<std::uint64_t>(k), zero);
            if (!zero) return false;
        }
        return true;
    }

    // Each row: the keys of its stub values, each followed by ",", then the
    // row's cells. The stub positions advance like an odometer. Keys go out
    // as they are: value texts and codes are ASCII, so they read the same
    // in either code page.
    void write_keyed_data() {
        std::vector<std::int64_t> pos(stub_n_, 0);
        for (std::int64_t r = 0; r < rows_; ++r) {
            const std::uint64_t first = static_cast<std::uint64_t>(r * row_cells_);
            if (!(o_.omit_zero_rows && row_is_zero(first))) {
                for (std::size_t v = 0; v < stub_n_; ++v) {
                    std::string key = o_.keyed == keyed_values ? value_text(v, pos[v]) : code_text(v, pos[v]);
                    out_.out.put('"');
                    out_.out.write(key);
                    out_.out.write("\",");
                }
                write_cells(first, row_cells_);
            }
            for (std::size_t v = stub_n_; v-- > 0;) {
                if (++pos[v] < vars_[v].count) break;
                pos[v] = 0;
            }
        }
    }

    const options& o_;
    output& out_;
    cell_maker cells_;
    std::vector<var_spec> vars_;
    std::size_t stub_n_ = 0;
    std::int64_t rows_ = 1;       // stub value combinations
    std::int64_t row_cells_ = 1;  // heading value combinations
};

}  // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse_args(argc, argv, o)) {
        std::fputs(usage_text, stderr);
        return 2;
    }
    output out;
    if (!out.open(o.output, o.oem)) {
        std::fprintf(stderr, "vtgen: cannot create %s\n", o.output.c_str());
        return 1;
    }
    try {
        generator(o, out).write_file();
    } catch (const std::bad_alloc&) {
        out.finish();
        std::fputs("vtgen: out of memory\n", stderr);
        return 1;
    }
    if (!out.finish()) {
        std::fputs("vtgen: the output could not be written\n", stderr);
        return 1;
    }
    return 0;
}
