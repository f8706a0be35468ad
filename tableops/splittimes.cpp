// Split times: the statement copier that turns one time variable of
// consecutive quarters or months into a year and a period variable.
#include "tableops/splittimes.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"
#include "platform/staged.h"
#include "platform/text.h"

namespace vt {

namespace {

constexpr int max_years = 11;

// A statement of the table file: the bytes up to and including the ";"
// that ends it, with the line end after it. A ";" inside a quoted text
// belongs to the text, so a note or a value text holding one stays in its
// statement. The data section is never cut into statements: it is copied
// through as it comes.
class statement_reader {
public:
    explicit statement_reader(std::FILE* fp) : fp_(fp), buf_(std::size_t{1} << 16) {}

    // The next statement into `s`. False when the file has no more bytes.
    // `is_data` tells that the statement began the data section: `s` then
    // ends right after "DATA=" and the rest is left for copy_rest().
    bool next(std::string& s, bool& is_data) {
        s.clear();
        is_data = false;
        bool quoted = false;
        std::size_t lead = 0;       // leading blanks and line ends
        bool lead_done = false;
        while (true) {
            if (pos_ == len_ && !fill()) return !s.empty();
            const char* p = buf_.data() + pos_;
            const char* end = buf_.data() + len_;
            const char* start = p;
            bool ended = false;
            for (; p < end; ++p) {
                const char c = *p;
                if (!lead_done) {
                    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                        ++lead;
                        continue;
                    }
                    lead_done = true;
                }
                if (c == '"') quoted = !quoted;
                else if (c == ';' && !quoted) {
                    ++p;
                    ended = true;
                    break;
                } else if (c == '=' && !quoted && !is_data_checked_) {
                    // "DATA=" is known by its first five bytes after the lead.
                    s.append(start, static_cast<std::size_t>(p + 1 - start));
                    pos_ += static_cast<std::size_t>(p + 1 - start);
                    start = p + 1;
                    if (plat::equal_nocase(std::string_view(s).substr(lead), "DATA=")) {
                        is_data = true;
                        return true;
                    }
                    is_data_checked_ = true;
                }
            }
            s.append(start, static_cast<std::size_t>(p - start));
            pos_ += static_cast<std::size_t>(p - start);
            if (ended) {
                take_line_end(s);
                is_data_checked_ = false;
                return true;
            }
        }
    }

    // Copies every byte not yet taken to `out`. False on a read error or
    // when `out` fails.
    bool copy_rest(std::FILE* out) {
        do {
            const std::size_t n = len_ - pos_;
            if (n > 0 && std::fwrite(buf_.data() + pos_, 1, n, out) != n) return false;
            pos_ = len_;
        } while (fill());
        return !std::ferror(fp_);
    }

    bool failed() const { return std::ferror(fp_) != 0; }
    // The line end the file uses: CR LF when the first one met was CR LF.
    const char* line_end() const { return crlf_ ? "\r\n" : "\n"; }

private:
    bool fill() {
        pos_ = 0;
        len_ = std::fread(buf_.data(), 1, buf_.size(), fp_);
        return len_ > 0;
    }

    int peek() {
        if (pos_ == len_ && !fill()) return EOF;
        return static_cast<unsigned char>(buf_[pos_]);
    }

    // A statement keeps the line end after its ";" (CR LF or LF).
    void take_line_end(std::string& s) {
        int c = peek();
        if (c == '\r') {
            s += '\r';
            ++pos_;
            c = peek();
            if (c == '\n') {
                if (!seen_line_end_) crlf_ = true;
                s += '\n';
                ++pos_;
            }
            seen_line_end_ = true;
        } else if (c == '\n') {
            s += '\n';
            ++pos_;
            seen_line_end_ = true;
        }
    }

    std::FILE* fp_;
    std::vector<char> buf_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool is_data_checked_ = false;
    bool seen_line_end_ = false;
    bool crlf_ = false;
};

// The statement without its leading blanks and line ends.
std::string_view body(const std::string& s) {
    const std::size_t at = s.find_first_not_of(" \t\r\n");
    return at == std::string::npos ? std::string_view() : std::string_view(s).substr(at);
}

// True when the statement begins with `keyword` (any case) followed by
// `rest` exactly: keywords are read in any case, names are not.
bool begins(const std::string& s, std::string_view keyword, std::string_view rest = {}) {
    const std::string_view b = body(s);
    return b.size() >= keyword.size() + rest.size() && plat::equal_nocase(b.substr(0, keyword.size()), keyword) &&
           b.substr(keyword.size(), rest.size()) == rest;
}

// A per-variable statement of the time variable: KEYWORD("name") or
// KEYWORD("name",...; the quote after the name keeps "Time" from matching
// "Timezone".
bool names_variable(const std::string& s, std::string_view keyword, const std::string& name) {
    return begins(s, keyword, "\"" + name + "\"");
}

// In a STUB= or HEADING= statement, the quoted name `name` replaced by the
// two quoted names; false (and `s` unchanged) when the list lacks it.
bool replace_name(std::string& s, const std::string& name, const std::string& two_names) {
    std::size_t at = s.find('=');
    while (at != std::string::npos) {
        const std::size_t open = s.find('"', at);
        if (open == std::string::npos) return false;
        const std::size_t close = s.find('"', open + 1);
        if (close == std::string::npos) return false;
        if (std::string_view(s).substr(open + 1, close - open - 1) == name) {
            s.replace(open, close - open + 1, two_names);
            return true;
        }
        at = close + 1;
    }
    return false;
}

// A whole number written alone (blanks around it allowed); false for
// anything else.
bool parse_number(std::string_view text, int& out) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// What the input table says about the time variable: 0 with its number of
// values, the reader's code, 400, or 85 when no STUB= or HEADING= name has
// it.
int read_time_variable(const std::string& in_path, const std::string& name, int& value_count) {
    in_file f;
    table t = table_new();
    const int rc = read_table_file(in_path, f, t);
    if (rc != 0) return rc;
    for (const variable& v : t.vars) {
        if (v.name && *v.name == name) {
            value_count = static_cast<int>(v.values.size());
            return codes::ok;
        }
    }
    return codes::op_no_such_name;
}

// Writes the two statements that take the place of the time variable's
// VALUES( or CODES(.
bool write_pair(std::FILE* out, std::string_view keyword, const split_settings& s, const std::string& years,
                const std::string& periods, const char* eol) {
    const std::string text = std::string(keyword) + "(\"" + s.year_text + "\")=" + years + ";" + eol +
                             std::string(keyword) + "(\"" + s.period_text + "\")=" + periods + ";" + eol;
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

// The copy itself, into the staged output. 0, 400 (a read or write
// failed) or 85 (the name lists or the VALUES( lack the time variable).
int copy_statements(std::FILE* in, std::FILE* out, const split_settings& s, const std::string& years) {
    statement_reader r(in);
    const std::string periods = quoted_list(s.period_values);
    const std::string two_names = "\"" + s.year_text + "\",\"" + s.period_text + "\"";
    bool names_done = false;
    bool values_done = false;
    bool codes_done = !s.replace_codes;
    std::string st;
    bool is_data = false;
    while (r.next(st, is_data)) {
        if (is_data) {
            if (std::fwrite(st.data(), 1, st.size(), out) != st.size()) return codes::cannot_open;
            if (!r.copy_rest(out)) return codes::cannot_open;
            break;
        }
        bool keep = true;
        if (!names_done && (begins(st, "STUB=") || begins(st, "HEADING="))) {
            names_done = replace_name(st, s.variable, two_names);
        } else if (!values_done && names_variable(st, "VALUES(", s.variable)) {
            if (!write_pair(out, "VALUES", s, years, periods, r.line_end())) return codes::cannot_open;
            values_done = true;
            keep = false;
        } else if (!codes_done && names_variable(st, "CODES(", s.variable)) {
            if (!write_pair(out, "CODES", s, years, periods, r.line_end())) return codes::cannot_open;
            codes_done = true;
            keep = false;
        } else if (names_variable(st, "PRECISION(", s.variable) || begins(st, "CELLNOTE(")) {
            keep = false;
        }
        if (keep && std::fwrite(st.data(), 1, st.size(), out) != st.size()) return codes::cannot_open;
    }
    if (r.failed()) return codes::cannot_open;
    if (!names_done || !values_done) return codes::op_no_such_name;
    return codes::ok;
}

int split_checked(const std::string& in_path, const std::string& out_path, const split_settings& s,
                  const std::string& guarded) {
    if (plat::overwrites_input(in_path, out_path) || (!guarded.empty() && plat::overwrites_input(guarded, out_path)))
        return codes::op_same_file;
    int first_year = 0;
    int periods = 0;
    const int per_year = s.quarters ? 4 : 12;
    if (!parse_number(s.first_year, first_year) || !parse_number(s.periods, periods))
        return codes::op_bad_period_count;
    // Whole years only, at most eleven: anything else would leave the cells
    // out of step with the values of the two new variables.
    if (periods < 1 || periods % per_year != 0 || periods > max_years * per_year) return codes::op_bad_period_count;
    int value_count = 0;
    const int rc = read_time_variable(in_path, s.variable, value_count);
    if (rc != 0) return rc;
    if (value_count != periods) return codes::op_bad_period_count;

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(plat::open_regular_file(plat::native_path(in_path)),
                                                             std::fclose);
    if (!in) return codes::cannot_open;
    plat::staged_file out;
    if (!out.open(out_path)) return codes::cannot_open;
    const int copied = copy_statements(in.get(), out.stream(), s, split_year_list(first_year, periods, s.quarters));
    if (copied != 0) return copied;  // the staged output goes with `out`
    if (!out.commit()) return codes::cannot_open;

    // The file is complete; the reader's verdict is the result.
    in_file back;
    table t = table_new();
    return read_table_file(out_path, back, t);
}

}  // namespace

std::string quoted_list(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) {
        if (!out.empty()) out += ',';
        out += '"' + t + '"';
    }
    return out;
}

std::string split_year_list(int first_year, int periods, bool quarters) {
    const int per_year = quarters ? 4 : 12;
    std::vector<std::string> years{std::to_string(first_year)};
    for (int k = 1; k < max_years; ++k)
        if (periods > per_year * k) years.push_back(std::to_string(first_year + k));
    return quoted_list(years);
}

int split_times(const std::string& in_path, const std::string& out_path, const split_settings& s,
                const std::string& guarded) noexcept {
    return guard([&] { return split_checked(in_path, out_path, s, guarded); });
}

int splittimes(const char* query_path) noexcept {
    return guard([&] {
        plat::ini_file q;
        if (query_path == nullptr || !q.load(query_path)) return codes::cannot_open;
        auto get = [&q](const char* section, const char* key, const std::string& deflt, std::size_t limit) {
            return q.get_string(section, key, deflt, limit + 1);
        };
        split_settings s;
        s.quarters = plat::equal_nocase(get("Query", "Function", "", 99), "splitquarters");
        s.year_text = get("Text", "Yeartext", "Year", 249);
        s.variable = get("Query", "VariableName", "Time", 249);
        s.periods = get("Query", "NoOfPeriods", "1", 9);
        s.first_year = get("Query", "Firstyear", "2000", 9);
        const std::string in = get("Files", "Infile", "", 999);
        const std::string out = get("Files", "Outfile", "", 999);
        const char* unit = s.quarters ? "Quarter" : "Month";
        s.period_text = get("Text", s.quarters ? "Quartertext" : "Monthtext", unit, 249);
        for (int i = 1; i <= (s.quarters ? 4 : 12); ++i) {
            const std::string n = std::to_string(i);
            s.period_values.push_back(get("Text", (unit + n).c_str(), std::string(unit) + " " + n, 249));
        }
        return split_checked(in, out, s, query_path);
    });
}

}  // namespace vt
