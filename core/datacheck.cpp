#include "core/datacheck.h"

#include "core/tokens.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <vector>

namespace vt {

namespace {

// A token for a message: at most 40 bytes in quotes, a quote or backslash
// escaped with a backslash and bytes outside printable ASCII as \xHH, so
// the line stays one line.
std::string shown(std::string_view tok) {
    std::string s = "\"";
    for (std::size_t i = 0; i < tok.size() && i < 40; ++i) {
        const auto b = static_cast<unsigned char>(tok[i]);
        if (b == '"' || b == '\\') {
            s += '\\';
            s += static_cast<char>(b);
        } else if (b < 0x20 || b > 0x7E) {
            static const char hex[] = "0123456789ABCDEF";
            s += "\\x";
            s += hex[b >> 4];
            s += hex[b & 15];
        } else {
            s += static_cast<char>(b);
        }
    }
    if (tok.size() > 40) s += "...";
    return s + "\"";
}

bool is_symbol(std::string_view tok) noexcept {
    // A symbol may be written with doubled quotes, as older files do.
    if (tok.size() >= 4 && tok.starts_with("\"\"") && tok.ends_with("\"\"")) tok = tok.substr(1, tok.size() - 2);
    if (tok.size() < 3 || tok.front() != '"' || tok.back() != '"') return false;
    const std::string_view inner = tok.substr(1, tok.size() - 2);
    if (inner == "-") return true;
    return inner.size() <= 7 && inner.find_first_not_of('.') == std::string_view::npos;
}

// The problem of a cell token, or "" when it is a number or a data symbol.
std::string cell_problem(std::string_view tok) {
    if (!tok.empty() && tok.front() == '"') return is_symbol(tok) ? "" : "is no number and no data symbol";
    std::string_view digits = tok;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.starts_with("0x") || digits.starts_with("0X")) return "is no number and no data symbol";
    double v = 0;
    const auto r = std::from_chars(tok.data() + (tok.starts_with('+') ? 1 : 0), tok.data() + tok.size(), v);
    if (r.ec == std::errc::result_out_of_range) return "is not a finite number";
    if (r.ec != std::errc() || r.ptr != tok.data() + tok.size()) return "is no number and no data symbol";
    if (!std::isfinite(v)) return "is not a finite number";
    return "";
}

bool names_value(const variable& v, std::string_view key) {
    if (key.size() < 2 || key.front() != '"' || key.back() != '"') return false;
    key = key.substr(1, key.size() - 2);
    for (const value& x : v.values)
        if (x.text == key || (x.code && *x.code == key)) return true;
    return false;
}

}  // namespace

std::int64_t check_data_section(const table& t, in_file& in, const std::function<void(const std::string&)>& report) {
    std::int64_t problems = 0;
    auto problem = [&](const std::string& line) {
        ++problems;
        report(line);
    };
    const std::size_t nstub = t.stub_count();
    const bool keyed = nstub > 0 && t.vars.front().keys_mode != 0;
    std::int64_t ncols = 1;
    for (std::size_t k = nstub; k < t.vars.size(); ++k) ncols *= t.vars[k].value_count;
    const std::int64_t declared = keyed ? ncols : count_cells(t.vars);

    data_tokens toks(in);
    std::string_view tok;
    char term = '\0';
    std::int64_t cells = 0, rows = 0;
    std::size_t key_at = 0;  // keyed form: the stub variable whose key comes next
    while (toks.next(tok, term)) {
        // A section that starts with ";" has no cells at all.
        if (tok.empty() && term == ';' && cells == 0 && rows == 0) break;
        if (keyed && key_at < nstub) {
            if (key_at == 0) {
                if (rows > 0 && cells != ncols)
                    problem("row " + std::to_string(rows) + ": " + std::to_string(cells) + " cells where the table has " +
                            std::to_string(ncols));
                ++rows;
                cells = 0;
            }
            const variable& v = t.vars[key_at];
            if (!names_value(v, tok))
                problem("row " + std::to_string(rows) + ": key " + shown(tok) + " names no value of \"" +
                        (v.name ? *v.name : std::string()) + "\"");
            ++key_at;
        } else {
            ++cells;
            // An empty token (a section starting with ",") reads as 0.
            if (const std::string p = tok.empty() ? std::string() : cell_problem(tok); !p.empty())
                problem((keyed ? "row " + std::to_string(rows) + ", " : std::string()) + "cell " +
                        std::to_string(cells) + ": " + shown(tok) + " " + p);
            if (keyed && cells == ncols) key_at = 0;
        }
        if (term == ';') break;  // the end of the section
    }
    if (keyed) {
        if (rows > 0 && cells != ncols)
            problem("row " + std::to_string(rows) + ": " + std::to_string(cells) + " cells where the table has " +
                    std::to_string(ncols));
    } else if (cells != declared) {
        problem("data: " + std::to_string(cells) + " cells where the table has " + std::to_string(declared) +
                (cells < declared ? " (the missing cells read as 0)" : " (the surplus cells are dropped)"));
    }
    return problems;
}

}  // namespace vt
