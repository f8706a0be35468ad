// Cell formatting: the tie rule, shown decimals per row and column, symbol
// texts and thousands groups.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/cells.h"
#include "reader_fixture.h"

namespace {

// A formatter whose single column shows `shown` decimals; rows contribute nothing.
vt::cell_formatter showing(int shown) {
    vt::cell_formatter f;
    f.column_precision.assign(1, static_cast<char>('0' + shown));
    f.row_precision.assign(1, '\0');
    return f;
}

std::string fmt(double v, int stored, int shown, int rounding, std::string_view dp = ".") {
    std::string out = "stale";
    EXPECT_EQ(vt::cell_format(showing(shown), 0, 0, v, out, stored, dp, rounding), 0);
    return out;
}

std::string printf_fixed(double v, int decimals) {
    std::vector<char> buf(400 + static_cast<std::size_t>(decimals));
    const int n = std::snprintf(buf.data(), buf.size(), "%.*f", decimals, v);
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

// A variable with one value per precision given.
vt::variable var(const char* name, std::vector<int> precisions) {
    vt::variable v;
    v.name = name;
    v.value_count = static_cast<int>(precisions.size());
    for (int p : precisions) {
        vt::value x;
        x.text = "v" + std::to_string(v.values.size());
        x.precision = p;
        v.values.push_back(std::move(x));
    }
    return v;
}

vt::table make_table(std::vector<vt::variable> stub, std::vector<vt::variable> heading,
                     int decimals, int showdecimals) {
    vt::table t = vt::table_new();
    t.decimals = decimals;
    t.showdecimals = showdecimals;
    for (auto& v : stub) t.vars.push_back(std::move(v));
    t.heading = t.vars.size();
    for (auto& v : heading) t.vars.push_back(std::move(v));
    return t;
}

const double symbol_values[8] = {vt::dot_values[0], vt::dot_values[1], vt::dot_values[2],
                                 vt::dot_values[3], vt::dot_values[4], vt::dot_values[5],
                                 vt::dot_values[6], vt::nil_value};

// ---------------------------------------------------------------- tie rule

struct case_ {
    double value;
    int stored, shown, rounding;
    const char* expected;
    const char* point = ".";
};

void expect_cases(std::initializer_list<case_> cases) {
    for (const case_& c : cases)
        EXPECT_EQ(fmt(c.value, c.stored, c.shown, c.rounding, c.point), c.expected)
            << c.value << " stored " << c.stored << " shown " << c.shown << " rounding "
            << c.rounding;
}

TEST(CellFormatTie, HalfwayAtShownDecimalsFollowsRoundingMode) {
    expect_cases({{2.25, 2, 1, 0, "2.2"},  {2.25, 2, 1, 1, "2.3"},   {2.35, 2, 1, 0, "2.4"},
                  {2.35, 2, 1, 1, "2.4"},  {-2.25, 2, 1, 1, "-2.3"}, {-2.25, 2, 1, 0, "-2.2"},
                  {0.5, 1, 0, 0, "0"},     {0.5, 1, 0, 1, "1"},      {1.5, 1, 0, 0, "2"},
                  {1.5, 1, 0, 1, "2"},     {-0.5, 1, 0, 1, "-1"},    {9.95, 2, 1, 1, "10.0"},
                  {0.000015, 6, 5, 0, "0.00002"}});
}

TEST(CellFormatTie, EveryStoredDigitBeyondShownCounts) {
    expect_cases({{2.25, 4, 1, 0, "2.2"}, {2.2501, 4, 1, 0, "2.3"}, {2.2499, 4, 1, 1, "2.2"},
                  // More stored decimals than a fixed buffer would hold.
                  {0.5, 60, 0, 0, "0"}, {0.5, 60, 0, 1, "1"}});
}

TEST(CellFormatTie, StoredNotAboveShownNeverUsesTheRule) {
    // 2.25 and 2.5 are exact in binary; printf rounds them to even in either mode.
    expect_cases({{2.25, 1, 1, 1, "2.2"}, {2.5, 0, 0, 1, "2"}, {0.5, 0, 1, 1, "0.5"}});
}

TEST(CellFormatTie, NonTiesMatchPrintf) {
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> dist(-1e7, 1e7);
    for (int i = 0; i < 2000; ++i) {
        const double v = dist(gen);
        const int shown = i % 7;
        const int stored = shown + i % 4;
        const std::string got = fmt(v, stored, shown, 1);
        const std::string text = printf_fixed(v, stored);
        const std::string beyond = text.substr(text.find('.') + 1 + static_cast<std::size_t>(shown));
        const bool tie = stored > shown && beyond[0] == '5' &&
                         beyond.find_first_not_of('0', 1) == std::string::npos;
        if (!tie) {
            EXPECT_EQ(got, printf_fixed(v, shown)) << v << " " << stored << " " << shown;
        }
    }
}

// ---------------------------------------------------------- printed form

TEST(CellFormatText, SevenOrMoreShownDecimalsPrintNone) {
    // The last: a tie at the 8th decimal still prints without decimals.
    expect_cases(
        {{1234.5678, 0, 7, 0, "1235"}, {1234.5678, 9, 9, 1, "1235"}, {2.000000005, 9, 8, 1, "2"}});
}

TEST(CellFormatText, DecimalCommaAndZero) {
    expect_cases({{1234.5, 1, 1, 0, "1234,5", ","},
                  {2.25, 2, 1, 1, "2,3", ",;"},
                  {1234.5, 1, 1, 0, "1234.5"},
                  // Zero is a number with its decimals, and never signed.
                  {0.0, 2, 2, 0, "0.00"}, {-0.0, 2, 2, 0, "0.00"}, {-0.0, 0, 0, 1, "0"},
                  // A negative value that rounds to zero keeps its sign, as printf does.
                  {-0.04, 2, 1, 0, "-0.0"}});
    EXPECT_FALSE(vt::is_symbol_cell(0.0));
    EXPECT_FALSE(vt::is_symbol_cell(-0.0));
}

TEST(CellFormatText, HugeValuesPrintInFull) {
    EXPECT_EQ(fmt(1e300, 6, 6, 0), printf_fixed(1e300, 6));
    EXPECT_GT(fmt(1e300, 6, 6, 0).size(), 300u);
    EXPECT_EQ(fmt(DBL_MAX, 15, 6, 1), printf_fixed(DBL_MAX, 6));
    std::string comma = printf_fixed(-DBL_MAX, 3);
    comma[comma.find('.')] = ',';
    EXPECT_EQ(fmt(-DBL_MAX, 15, 3, 0, ","), comma);
}

// ---------------------------------------------------- shown decimals per cell

TEST(CellFormatPrecision, StubAndHeadingPrecisionsRaiseRowsAndColumns) {
    // Rows: a (slow) x b (fast); columns: c.
    vt::table t = make_table({var("a", {0, 2}), var("b", {1, 0, 0})}, {var("c", {0, 3})}, 4, 1);
    vt::cell_formatter f = vt::make_cell_formatter(t);
    EXPECT_EQ(f.nrows, 6);
    EXPECT_EQ(f.ncols, 2);
    EXPECT_EQ(f.column_precision, "13");
    EXPECT_EQ(f.row_precision, "100222");
    std::string out;
    vt::cell_format(f, 1, 0, 1.23456, out, 4, ".", 0);
    EXPECT_EQ(out, "1.2");
    vt::cell_format(f, 4, 0, 1.23456, out, 4, ".", 0);
    EXPECT_EQ(out, "1.23");
    vt::cell_format(f, 4, 1, 1.23456, out, 4, ".", 0);
    EXPECT_EQ(out, "1.235");
    // Row 1 (precision 0) does not lower the column's SHOWDECIMALS.
    vt::cell_format(f, 1, 1, 1.23456, out, 4, ".", 0);
    EXPECT_EQ(out, "1.235");
}

TEST(CellFormatPrecision, WithoutStubRowsContributeNothing) {
    vt::table t = make_table({}, {var("c", {0, 2, 0})}, 2, 1);
    vt::cell_formatter f = vt::make_cell_formatter(t);
    EXPECT_EQ(f.nrows, 1);
    EXPECT_EQ(f.column_precision, "121");
    ASSERT_FALSE(f.row_precision.empty());
    EXPECT_EQ(f.row_precision[0], '\0');
    std::string out;
    vt::cell_format(f, 0, 1, 3.14159, out, 2, ".", 0);
    EXPECT_EQ(out, "3.14");
    // Out-of-range positions read nothing beyond the arrays.
    vt::cell_format(f, 99, 99, 3.14159, out, 2, ".", 0);
    EXPECT_EQ(out, printf_fixed(3.14159, 0));
}

TEST(CellFormatPrecision, StoredAndShownMaxima) {
    vt::table t = make_table({var("a", {0, 5})}, {var("c", {3})}, 2, 1);
    EXPECT_EQ(vt::stored_decimals(t), 5);
    EXPECT_EQ(vt::shown_decimals_max(t), 5);
    t.vars[0].values[1].precision = 0;
    EXPECT_EQ(vt::stored_decimals(t), 3);
    t.decimals = 6;
    t.showdecimals = 4;
    EXPECT_EQ(vt::stored_decimals(t), 6);
    EXPECT_EQ(vt::shown_decimals_max(t), 4);
}

TEST(CellFormatPrecision, ReadTableWithPrecisionStatements) {
    auto r = vt_test::read_text(vt_test::vt_file(
        "DECIMALS=3;SHOWDECIMALS=1;HEADING=\"h\";VALUES(\"h\")=\"p\",\"q\";"
        "PRECISION(\"a\",\"y\")=3;PRECISION(\"h\",\"q\")=2;DATASYMBOL2=\"n/a\";",
        {"DECIMALS="}));
    ASSERT_EQ(r.rc, 0);
    vt::cell_formatter f = vt::make_cell_formatter(r.t, "A;B;C");
    EXPECT_EQ(f.row_precision, "03");
    EXPECT_EQ(f.column_precision, "12");
    EXPECT_EQ(f.symbol_texts[0], "A");
    EXPECT_EQ(f.symbol_texts[1], "n/a");
    EXPECT_EQ(f.symbol_texts[2], "C");
    EXPECT_EQ(f.symbol_texts[3], "0");
    const vt::cell_style style{vt::stored_decimals(r.t), ".", 1, 0};
    const double cells[4] = {1.25, 1.125, 2.5, vt::dot_values[1]};
    const char* expected[4] = {"1.3", "1.13", "2.500", "n/a"};
    for (int i = 0; i < 4; ++i) {
        std::string out;
        vt::format_next_cell(f, cells[i], style, out);
        EXPECT_EQ(out, expected[i]) << i;
    }
    EXPECT_EQ(f.cell_counter, 4);
}

// ------------------------------------------------------------ symbol texts

TEST(SymbolText, FieldsOfTheList) {
    const struct {
        const char* list;
        int n, found;
        const char* out;
    } cases[] = {{"a;bb;c", 2, 1, "bb"}, {"a;bb;c", 3, 1, "c"}, {"a;;c", 2, 1, ""}, {";", 1, 1, ""},
                 {"a;bb;c", 0, 0, "0"},  {"a;bb;c", -1, 0, "0"}, {"a;bb;c", 4, 0, "0"},
                 {"a;", 2, 0, "0"},      {"", 1, 0, "0"}};
    for (const auto& c : cases) {
        std::string out = "stale";
        EXPECT_EQ(vt::symbol_from_list(c.list, c.n, out), c.found) << c.list << " " << c.n;
        EXPECT_EQ(out, c.out) << c.list << " " << c.n;
    }
}

TEST(SymbolText, SymbolsListedAsThemselvesRoundTrip) {
    vt::table t = make_table({var("a", {0})}, {}, 0, 0);
    const vt::cell_formatter f = vt::make_cell_formatter(t, ".;..;...;....;.....;......;.......;-");
    for (double x : symbol_values) {
        ASSERT_TRUE(vt::is_symbol_cell(x));
        const std::string_view token = vt::data_symbol_token(x);
        const std::string bare(token.substr(1, token.size() - 2));
        std::string out;
        vt::format_cell(f, 0, 0, x, vt::cell_style{}, out);
        EXPECT_EQ(out, bare);
        std::string streamed(token);
        EXPECT_EQ(vt::quoted_symbol_text(streamed, ".;..;...;....;.....;......;.......;-"), 1);
        EXPECT_EQ(streamed, bare);
    }
}

TEST(SymbolText, TableTextsWinAndAnEmptyListGivesZero) {
    vt::table t = make_table({var("a", {0})}, {}, 0, 0);
    t.datasymbol[2] = "x3";
    t.datasymbolnil = "";
    const vt::cell_formatter f = vt::make_cell_formatter(t, "");
    for (int n = 0; n < 8; ++n) {
        const char* expected = n == 2 ? "x3" : n == 7 ? "" : "0";
        EXPECT_EQ(vt::cell_symbol_text(f, symbol_values[n]), expected) << n;
    }
}

TEST(SymbolText, ComputedSentinelsAndBands) {
    vt::cell_formatter f;
    for (int n = 0; n < 8; ++n) f.symbol_texts[n] = std::to_string(n + 1);
    EXPECT_EQ(vt::cell_symbol_text(f, -1e19 * 1.05), "1");
    EXPECT_EQ(vt::cell_symbol_text(f, -1e22 + 1e20), "4");
    EXPECT_EQ(vt::cell_symbol_text(f, -3e19), "7");  // between the bands
    EXPECT_EQ(vt::cell_symbol_text(f, -1e25), "7");
    EXPECT_EQ(vt::cell_symbol_text(f, -1e300), "7");
    EXPECT_EQ(vt::cell_symbol_text(f, vt::nil_value), "8");
    EXPECT_TRUE(vt::is_symbol_cell(-1e19));
    EXPECT_FALSE(vt::is_symbol_cell(-9.5e18));  // prints as a number
    EXPECT_FALSE(vt::is_symbol_cell(1e-30));    // only the exact nil is "-"
}

TEST(SymbolText, StreamedCells) {
    std::string cell = "\"..\"";
    EXPECT_EQ(vt::quoted_symbol_text(cell, "a;b;c"), 1);
    EXPECT_EQ(cell, "b");
    cell = "\"......\"";
    EXPECT_EQ(vt::quoted_symbol_text(cell, "a;b;c"), 1);
    EXPECT_EQ(cell, "0");  // a known symbol the list lacks
    cell = "\"x\"";
    EXPECT_EQ(vt::quoted_symbol_text(cell, "a;b;c"), 0);
    EXPECT_EQ(cell, "0");
    cell = "\"..";
    EXPECT_EQ(vt::quoted_symbol_text(cell, "a;b;c"), 0);
    EXPECT_EQ(cell, "0");
    cell = "12.5";
    EXPECT_EQ(vt::quoted_symbol_text(cell, "a;b;c"), 0);
    EXPECT_EQ(cell, "12.5");
}

// ---------------------------------------------------------- thousands groups

TEST(ThousandGroups, Separators) {
    const struct {
        const char *text, *point;
        int kind;
        const char* grouped;
    } cases[] = {{"1234567,5", ",", 1, "1 234 567,5"}, {"-123456", ".", 3, "-123,456"},
                 {"-1234", ".", 2, "-1.234"},          {"12345678901.25", ".", 1, "12 345 678 901.25"},
                 {"-999.5", ".", 1, "-999.5"},         {"1234567.5", ".", 0, "1234567.5"},
                 {"1234567.5", ".", 4, "1234567.5"},   {"1234567.5", ".", -1, "1234567.5"},
                 // Decimals are never grouped, even with a decimal point that is absent.
                 {"1234.5678", "", 1, "1 234.5678"}};
    for (const auto& c : cases) {
        std::string out = "stale";
        vt::group_thousands(c.text, c.point, c.kind, out);
        EXPECT_EQ(out, c.grouped) << c.text << " kind " << c.kind;
    }
    std::string out = "9876543";
    vt::group_thousands(out, ".", 3, out);
    EXPECT_EQ(out, "9,876,543");
}

TEST(ThousandGroups, WholeCells) {
    vt::cell_formatter f = showing(1);
    std::string out;
    vt::format_cell(f, 0, 0, 1234567.5, {1, ",", 0, 1}, out);
    EXPECT_EQ(out, "1 234 567,5");
    vt::format_cell(f, 0, 0, -123456, {1, ".", 0, 3}, out);
    EXPECT_EQ(out, "-123,456.0");
    vt::format_cell(f, 0, 0, 999.95, {2, ".", 1, 1}, out);
    EXPECT_EQ(out, "1000.0");  // grouping looks at the value, not the text
    vt::format_cell(f, 0, 0, -1000, {1, ".", 0, 1}, out);
    EXPECT_EQ(out, "-1 000.0");
    vt::format_cell(f, 0, 0, 12345.25, {2, ",", 1, 2}, out);
    EXPECT_EQ(out, "12.345,3");
}

// ------------------------------------------------- fast way = exact way

// Values at the edges of the fast way: near ties at every count of
// decimals, powers of ten, signed zeros, the 1000 boundary of grouping,
// the 64-bit limit of its digits, huge, tiny and special values, and
// random ones of every size and bit pattern.
std::vector<double> edge_values() {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, -0.5, 0.05, 0.005, 2.675, 1.005, 999.5, 999.95,
                             999.995, 999.9995, 999.99995, 1000.0, -1000.0, -999.9995, 1e15, 9007199254740993.0,
                             1.8446744073709552e19, 1.8446744073709550e19, 1.8446744073709552e18, 1.8446744073709552e13,
                             1.8446744073709552e4, 1e19, 1e300, DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 1e-300,
                             std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    for (int i = -25; i <= 25; ++i) v.push_back(std::pow(10.0, i));
    std::mt19937_64 rng(20261209);
    for (int p = 0; p <= 15; ++p) {
        const double scale = std::pow(10.0, p + 1);
        for (int j = 0; j < 25; ++j) {
            const auto whole = static_cast<double>(rng() % (j < 12 ? 1000 : 100000000));
            const double tie = (whole * 10 + 5) / scale;  // x.xx5 at p decimals
            for (double x : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)}) v.push_back(x);
        }
    }
    std::uniform_real_distribution<double> typical(-1e7, 1e7);
    for (int j = 0; j < 300; ++j) {
        v.push_back(typical(rng));
        v.push_back(std::round(typical(rng) * 100) / 100);
        v.push_back(std::bit_cast<double>(rng()));
    }
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) v.push_back(-v[i]);
    return v;
}

TEST(CellFormatFast, AgreesWithTheExactWay) {
    // Stored decimals 0..15 (and beyond, which the fast way leaves alone)
    // against shown 0..7 (7 shows none), with the rounding modes, decimal
    // points (a point starting with a digit ends the grouped part early)
    // and separator kinds varied from value to value.
    const std::string_view points[] = {".", ",", "", ",x", "7"};
    std::mt19937_64 rng(7);
    std::string fast, exact, plain;
    char buf[vt::cell_text_max];
    for (double v : edge_values()) {
        for (int stored = 0; stored <= 17; ++stored) {
            for (int shown = 0; shown <= 7; ++shown) {
                const vt::cell_formatter f = showing(shown);
                const vt::cell_style style{stored, points[rng() % 5], static_cast<int>(rng() % 2),
                                           static_cast<int>(rng() % 5)};
                vt::format_cell(f, 0, 0, v, style, fast);
                vt::detail::format_cell_exact(f, 0, 0, v, style, exact);
                ASSERT_EQ(fast, exact) << std::hexfloat << v << " stored " << stored << " shown " << shown
                                       << " rounding " << style.rounding << " point '" << style.decimal_point
                                       << "' separators " << style.thousands;
                ASSERT_EQ(vt::format_cell_text(f, 0, 0, v, style, buf), exact);
                if (vt::is_symbol_cell(v)) continue;  // cell_format prints numbers only
                vt::cell_format(f, 0, 0, v, plain, stored, style.decimal_point, style.rounding);
                vt::detail::format_cell_exact(f, 0, 0, v, {stored, style.decimal_point, style.rounding, 0}, exact);
                ASSERT_EQ(plain, exact) << std::hexfloat << v << " stored " << stored << " shown " << shown;
            }
        }
    }
}

TEST(CellFormatFast, SymbolsAndTheLongestNumber) {
    vt::cell_formatter f = showing(6);
    for (int n = 0; n < 8; ++n) f.symbol_texts[n] = std::string(static_cast<std::size_t>(n) * 100, 'x');
    char buf[vt::cell_text_max];
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(vt::format_cell_text(f, 0, 0, symbol_values[n], {2, ".", 0, 1}, buf), f.symbol_texts[n]);
    // The bound the buffer is sized by: every digit of DBL_MAX, grouped,
    // with the most decimals shown, and room for a sign (a number that
    // large is a symbol when negative).
    const std::string_view longest = vt::format_cell_text(f, 0, 0, DBL_MAX, {6, ",", 0, 1}, buf);
    EXPECT_EQ(longest.size() + 1, vt::cell_text_max);
    EXPECT_EQ(longest.substr(0, 8), "179 769 ");
    EXPECT_EQ(longest.substr(longest.size() - 14), "858 368,000000");
    // A cell written after another: nothing of the longer text remains.
    f.cell_counter = 0;
    f.ncols = 2;
    f.column_precision = "60";
    EXPECT_EQ(vt::format_next_cell_text(f, 12345.5, {1, ".", 1, 3}, buf), "12,345.500000");
    EXPECT_EQ(vt::format_next_cell_text(f, 12345.5, {1, ".", 1, 3}, buf), "12,346");
    EXPECT_EQ(f.cell_counter, 2);
}

}  // namespace
