// Cell value formatting: symbol texts, shown decimals per row and column,
// the tie rule of rounding, the decimal comma and thousands groups.
#include "core/cellfmt.h"
#include "core/numfmt.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "core/cells.h"

namespace vt {

namespace {

// Shown decimals beyond the most a table may show print without decimals.
constexpr int max_shown = max_shown_decimals;

// Decimals that fit the stack buffer: a double in fixed notation has at most
// 309 integer digits, plus sign and point.
constexpr int stack_decimals = 40;
constexpr std::size_t fixed_len_max(int decimals) {
    return 1 + 309 + 1 + static_cast<std::size_t>(decimals);
}

// out = value printed like printf "%.*f" with the given decimals. Reuses
// out's capacity; values of any size print in full.
void print_fixed(double value, int decimals, std::string& out) {
    decimals = std::max(decimals, 0);
    if (decimals <= stack_decimals) {
        char buf[fixed_len_max(stack_decimals)];
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
        assert(r.ec == std::errc{});
        out.assign(buf, r.ptr);
        return;
    }
    out.resize(fixed_len_max(decimals));
    auto r = std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed,
                           decimals);
    assert(r.ec == std::errc{});
    out.resize(static_cast<std::size_t>(r.ptr - out.data()));
}

// The digit character kept for a count of decimals; 9 is plenty since 7 and
// more all print alike.
char precision_digit(int decimals) noexcept {
    return static_cast<char>('0' + std::clamp(decimals, 0, 9));
}

std::int64_t mul_saturated(std::int64_t a, std::int64_t b) noexcept {
    if (a <= 0 || b <= 0) return 0;
    constexpr std::int64_t top = std::numeric_limits<std::int64_t>::max();
    if (a > top / b) return top;
    return a * b;
}

std::int64_t count_values(const variable* first, const variable* last) noexcept {
    std::int64_t n = 1;
    for (; first != last; ++first) n = mul_saturated(n, first->value_count);
    return n;
}

// A string of n copies of c; sizes no allocation can satisfy count as out
// of memory (the only exception that may leave the core).
std::string filled(std::int64_t n, char c) {
    std::string s;
    if (n < 0) n = 0;
    if (static_cast<std::uint64_t>(n) > s.max_size()) throw std::bad_alloc();
    s.assign(static_cast<std::size_t>(n), c);
    return s;
}

// Raises entries to the precision digits of the variables [first, last),
// which vary over the entries with the last one fastest.
void raise_entries(std::string& entries, const variable* first, const variable* last) {
    const auto size = static_cast<std::int64_t>(entries.size());
    for (const variable* k = first; k != last; ++k) {
        const std::int64_t n = k->value_count;
        const std::int64_t inner = count_values(k + 1, last);
        if (n <= 0 || inner <= 0) continue;
        for (std::int64_t r = 0; r < size; ++r) {
            const auto v = static_cast<std::size_t>((r / inner) % n);
            const int p = v < k->values.size() ? k->values[v].precision : 0;
            char& e = entries[static_cast<std::size_t>(r)];
            e = std::max(e, precision_digit(p));
        }
    }
}

// The decimals shown at (row, column).
int shown_decimals(const cell_formatter& f, std::int64_t row, std::int64_t column) noexcept {
    int shown = 0;
    if (column >= 0 && static_cast<std::uint64_t>(column) < f.column_precision.size()) {
        const char c = f.column_precision[static_cast<std::size_t>(column)];
        if (c != '\0') shown = c - '0';
    }
    const std::string& rows = f.row_precision;
    if (!rows.empty() && rows[0] != '\0' && row >= 0 &&
        static_cast<std::uint64_t>(row) < rows.size()) {
        const char c = rows[static_cast<std::size_t>(row)];
        if (c != '\0') shown = std::max(shown, c - '0');
    }
    return std::max(shown, 0);
}

// Prints value with `precision` decimals into text and tells whether the
// digits after the first `shown` decimals read "5000..." (at most 18 of them
// compared): a value exactly halfway at the shown precision.
bool is_tie(double value, int precision, int shown, std::string& text) {
    print_fixed(value, precision, text);
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) return false;  // inf or nan
    static constexpr std::string_view half = "500000000000000000";
    const std::size_t from = dot + 1 + static_cast<std::size_t>(shown);
    const std::size_t n = std::min(static_cast<std::size_t>(precision - shown), half.size());
    if (from + n > text.size()) return false;
    return std::string_view(text).substr(from, n) == half.substr(0, n);
}

// Rounds the tie printed in text to `shown` decimals: away from zero when
// `rounding` is set or the last kept digit is odd, else the cut-off text
// stays (the digit is already even).
void round_tie(std::string& text, int shown, int rounding) {
    static constexpr double units[max_shown + 1] = {1, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001};
    const std::size_t dot = text.find('.');
    text.resize(shown > 0 ? dot + 1 + static_cast<std::size_t>(shown) : dot);
    const bool odd = ((text.back() - '0') & 1) != 0;
    if (rounding == 0 && !odd) return;
    double truncated = 0;
    std::from_chars(text.data(), text.data() + text.size(), truncated);
    const double unit = units[shown];
    print_fixed(text[0] == '-' ? truncated - unit : truncated + unit, shown, text);
}

char separator_of(int kind) noexcept {
    switch (kind) {
        case 1: return ' ';
        case 2: return '.';
        case 3: return ',';
        default: return '\0';
    }
}

// Inserts separators into the integer part of the number in s, in place.
// The integer part ends at the first character of decimal_point or at the
// first character that is not a digit, so a mismatched decimal point never
// lets the decimals be grouped.
void group_in_place(std::string& s, std::string_view decimal_point, int kind) {
    const char sep = separator_of(kind);
    if (sep == '\0') return;
    const std::size_t start = !s.empty() && s[0] == '-' ? 1 : 0;
    std::size_t end = start;
    while (end < s.size() && s[end] >= '0' && s[end] <= '9' &&
           (decimal_point.empty() || s[end] != decimal_point[0]))
        ++end;
    const std::size_t digits = end - start;
    if (digits <= 3) return;
    const std::size_t seps = (digits - 1) / 3;
    const std::size_t old_size = s.size();
    s.resize(old_size + seps);
    // Move from the back: the tail first, then the digits three at a time.
    std::size_t src = old_size, dst = s.size();
    while (src > end) s[--dst] = s[--src];
    for (std::size_t done = 0; src > start; ++done) {
        if (done > 0 && done % 3 == 0) s[--dst] = sep;
        s[--dst] = s[--src];
    }
}

// A number the exact way: printed at the stored decimals to see a tie,
// ties rounded by the rounding rule, the decimal comma, thousands groups.
// Slow (to_chars, a string), and the measure the fast way is held to.
void number_exact(int shown, double value, const cell_style& style, std::string& out) {
    if (value == 0) value = 0.0;  // a zero cell prints as "0", never "-0"
    if (shown > max_shown) {
        print_fixed(value, 0, out);
    } else {
        if (style.precision > shown && is_tie(value, style.precision, shown, out))
            round_tie(out, shown, style.rounding);
        else
            print_fixed(value, shown, out);
        if (shown > 0 && !style.decimal_point.empty() && style.decimal_point[0] == ',') {
            const std::size_t dot = out.find('.');
            if (dot != std::string::npos) out[dot] = ',';
        }
    }
    if (style.thousands > 0 && (value >= 1000 || value <= -1000))
        group_in_place(out, style.decimal_point, style.thousands);
}

// A number the fast way, into buf: the digits computed once as an integer
// (numfmt's scaled_digits) and written with the point and the separators
// in one pass. Returns 0 for the cases it leaves to number_exact: ties at
// the shown decimals, values too large for 64-bit digits, inf and nan,
// more than 15 stored decimals, and a decimal point starting with a digit
// (which would end the grouped part early).
std::size_t number_fast(char* buf, int shown, double value, const cell_style& style) noexcept {
    const std::string_view dp = style.decimal_point;
    std::uint64_t q = 0;
    if (shown > max_shown) {
        shown = 0;  // no decimals, no tie rule
    } else if (style.precision > shown) {
        if (!scaled_digits(value, style.precision, q)) return 0;
        const int beyond = style.precision - shown;
        if (q % power_of_ten(beyond) == 5 * power_of_ten(beyond - 1)) return 0;
    }
    if (!scaled_digits(value, shown, q)) return 0;
    char separator = '\0';
    if (style.thousands > 0 && (value >= 1000 || value <= -1000)) {
        separator = separator_of(style.thousands);
        if (!dp.empty() && dp[0] >= '0' && dp[0] <= '9') return 0;
    }
    char* p = buf;
    if (std::signbit(value) && value != 0) *p++ = '-';  // a zero cell has no sign
    const char point = !dp.empty() && dp[0] == ',' ? ',' : '.';
    return static_cast<std::size_t>(p - buf) + put_scaled_digits(p, q, shown, point, separator);
}

// The text of a number cell in buf (cell_text_max bytes): the fast way,
// else the exact one.
std::size_t number_text(char* buf, int shown, double value, const cell_style& style) {
    if (const std::size_t n = number_fast(buf, shown, value, style); n > 0) return n;
    std::string text;
    number_exact(shown, value, style, text);
    const std::size_t n = std::min(text.size(), cell_text_max);
    std::memcpy(buf, text.data(), n);
    return n;
}

}  // namespace

cell_formatter make_cell_formatter(const table& t) {
    cell_formatter f;
    const variable* vars = t.vars.data();
    const variable* split = vars + t.stub_count();
    const variable* end = vars + t.vars.size();
    f.nrows = count_values(vars, split);
    f.ncols = count_values(split, end);
    f.column_precision = filled(f.ncols, '0');
    f.row_precision = filled(f.nrows, '\0');
    precision_arrays(t, f);
    return f;
}

cell_formatter make_cell_formatter(const table& t, std::string_view symbol_list) {
    cell_formatter f = make_cell_formatter(t);
    fill_symbol_texts(f, t, symbol_list);
    return f;
}

int symbol_from_list(std::string_view list, int n, std::string& out) {
    out.assign("0");
    if (n < 1) return 0;
    std::size_t pos = 0;
    for (int field = 1; pos < list.size(); ++field) {
        const std::size_t semi = list.find(';', pos);
        const std::size_t end = semi == std::string_view::npos ? list.size() : semi;
        if (field == n) {
            out.assign(list.substr(pos, end - pos));
            return 1;
        }
        if (semi == std::string_view::npos) break;
        pos = semi + 1;
    }
    return 0;
}

void fill_symbol_texts(cell_formatter& f, const table& t, std::string_view caller_list) {
    const opt_string* own[8] = {&t.datasymbol[0], &t.datasymbol[1], &t.datasymbol[2],
                                &t.datasymbol[3], &t.datasymbol[4], &t.datasymbol[5],
                                &t.datasymbolsum, &t.datasymbolnil};
    for (int n = 1; n <= 8; ++n) {
        const opt_string& text = *own[n - 1];
        if (text)
            f.symbol_texts[n - 1] = *text;
        else
            symbol_from_list(caller_list, n, f.symbol_texts[n - 1]);
    }
}

int quoted_symbol_text(std::string& cell_text, std::string_view list) {
    static constexpr std::string_view quoted[8] = {"\".\"",     "\"..\"",     "\"...\"",
                                                   "\"....\"",  "\".....\"",  "\"......\"",
                                                   "\".......\"", "\"-\""};
    if (cell_text.empty() || cell_text[0] != '"') return 0;
    const std::string_view text = cell_text;
    for (int n = 1; n <= 8; ++n) {
        if (text.substr(0, quoted[n - 1].size()) == quoted[n - 1]) {
            symbol_from_list(list, n, cell_text);
            return 1;
        }
    }
    cell_text.assign("0");
    return 0;
}

bool is_symbol_cell(double x) noexcept { return x <= -1e19 || is_nil(x); }

const std::string& cell_symbol_text(const cell_formatter& f, double x) noexcept {
    static constexpr double lo[6] = {-1.1e19, -1.1e20, -1.1e21, -1.1e22, -1.1e23, -1.1e24};
    static constexpr double hi[6] = {-9e18, -9e19, -9e20, -9e21, -9e22, -9e23};
    for (int n = 0; n < 6; ++n)
        if (x > lo[n] && x < hi[n]) return f.symbol_texts[n];
    return f.symbol_texts[is_nil(x) ? 7 : 6];
}

void precision_arrays(const table& t, cell_formatter& f) {
    std::fill(f.column_precision.begin(), f.column_precision.end(),
              precision_digit(t.showdecimals));
    std::fill(f.row_precision.begin(), f.row_precision.end(), '\0');
    const variable* vars = t.vars.data();
    const variable* split = vars + t.stub_count();
    raise_entries(f.row_precision, vars, split);
    raise_entries(f.column_precision, split, vars + t.vars.size());
}

int stored_decimals(const table& t) noexcept {
    int d = t.decimals;
    for (const variable& v : t.vars)
        for (const value& x : v.values) d = std::max(d, x.precision);
    return d;
}

int shown_decimals_max(const table& t) noexcept {
    int d = t.showdecimals;
    for (const variable& v : t.vars)
        for (const value& x : v.values) d = std::max(d, x.precision);
    return d;
}

int cell_format(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                std::string& out, int precision, std::string_view decimal_point, int rounding) {
    char buf[cell_text_max];
    const cell_style style{precision, decimal_point, rounding, 0};
    out.assign(buf, number_text(buf, shown_decimals(f, row, column), value, style));
    return 0;
}

void group_thousands(std::string_view number_text, std::string_view decimal_point,
                     int separator_kind, std::string& out) {
    if (number_text.data() != out.data() || number_text.size() != out.size())
        out.assign(number_text);  // assign copes with a view into out
    group_in_place(out, decimal_point, separator_kind);
}

int rounding_flag(const table& t, int requested) noexcept {
    return t.rounding != -1 ? t.rounding : requested;
}

std::string_view format_cell_text(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                                  const cell_style& style, char* buf) {
    if (is_symbol_cell(value)) return cell_symbol_text(f, value);
    return {buf, number_text(buf, shown_decimals(f, row, column), value, style)};
}

std::string_view format_next_cell_text(cell_formatter& f, double value, const cell_style& style, char* buf) {
    const std::int64_t ncols = f.ncols > 0 ? f.ncols : 1;
    const std::string_view text = format_cell_text(f, f.cell_counter / ncols, f.cell_counter % ncols, value, style, buf);
    ++f.cell_counter;
    return text;
}

void format_cell(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                 const cell_style& style, std::string& out) {
    char buf[cell_text_max];
    out.assign(format_cell_text(f, row, column, value, style, buf));
}

void format_next_cell(cell_formatter& f, double value, const cell_style& style, std::string& out) {
    char buf[cell_text_max];
    out.assign(format_next_cell_text(f, value, style, buf));
}

namespace detail {

void format_cell_exact(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                       const cell_style& style, std::string& out) {
    if (is_symbol_cell(value)) {
        out.assign(cell_symbol_text(f, value));
        return;
    }
    number_exact(shown_decimals(f, row, column), value, style, out);
}

}  // namespace detail

}  // namespace vt
