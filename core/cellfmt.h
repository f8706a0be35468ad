// Cell value formatting: how every export turns a stored cell into text.
//
// A cell is either a data symbol (a sentinel value, see core/cells.h) printed
// with one of eight symbol texts, or a number printed with the decimals shown
// for its row and column, rounded with an explicit tie rule, with an optional
// decimal comma and thousands separators.
//
// The state an export needs while it writes cells lives in a cell_formatter:
// the shown decimals per column and per row, the running cell counter and the
// eight symbol texts. An export makes one after reading its table, writes its
// cells in data order (row by row, column by column within a row) and drops
// it at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/numfmt.h"
#include "core/table.h"

namespace vt {

struct cell_formatter {
    // Data columns: the product of the heading variables' value counts (1
    // without heading variables). Data rows: the same over the stub variables.
    std::int64_t ncols = 1;
    std::int64_t nrows = 1;
    // One digit character per column / row: the decimals shown there. A row
    // entry of '\0' contributes nothing; when the first row entry is '\0' (or
    // the string is empty) rows contribute nothing at all, which is the case
    // for a table without stub variables.
    std::string column_precision;
    std::string row_precision;
    // The running number of the cell being written (0 for the first).
    std::int64_t cell_counter = 0;
    // Printed texts of the symbols 1..8 (".", "..", ..., ".......", "-"):
    // symbol_texts[n - 1] for symbol n.
    std::string symbol_texts[8];
};

// A formatter for t: sized arrays filled by precision_arrays, counter 0,
// symbol texts empty. The second form also fills the symbol texts from the
// table and the caller's symbol list (fill_symbol_texts).
// Throws std::bad_alloc when the arrays cannot be had.
cell_formatter make_cell_formatter(const table& t);
cell_formatter make_cell_formatter(const table& t, std::string_view symbol_list);

// Copies field n (1-based) of the ";"-separated list into out and returns 1.
// When there is no field n (n < 1, or the list ends first; an empty list has
// no fields) out becomes "0" and the result is 0.
int symbol_from_list(std::string_view list, int n, std::string& out);

// Sets symbol text n (1..8) to the table's own text for that symbol when the
// table has one (DATASYMBOL1..6, DATASYMBOLSUM, DATASYMBOLNIL), else to field
// n of the caller's symbol list ("0" when the list has no such field).
void fill_symbol_texts(cell_formatter& f, const table& t, std::string_view caller_list);

// For cells streamed straight from a table file with their quotes kept. A
// cell text that begins with a quoted symbol ("\".\"" .. "\".......\"",
// "\"-\"") is replaced by that symbol's field of the list and the result is
// 1. Any other quoted text becomes "0" and the result is 0. Text that does
// not begin with a quote is a number and is left alone (result 0).
int quoted_symbol_text(std::string& cell_text, std::string_view list);

// True for a cell printed as a symbol: at or below -1e19, or the nil sentinel.
// Zero and every other value are numbers.
bool is_symbol_cell(double x) noexcept;

// The symbol text of a symbol cell. The dot symbols 1..6 are recognised by a
// band around their stored value (operations compute with the sentinels),
// the nil sentinel is symbol 8 and any other value counts as symbol 7.
const std::string& cell_symbol_text(const cell_formatter& f, double x) noexcept;

// Fills f.column_precision with the table's SHOWDECIMALS and raises each
// column entry to the PRECISION of its heading values; raises each row entry
// from '\0' to the largest PRECISION of its stub values ('0' included). The
// arrays keep the sizes they have; entries beyond the table's cells are only
// set to their starting value. Digits are kept within 0..9: anything from 7
// up prints without decimals anyway.
void precision_arrays(const table& t, cell_formatter& f);

// The larger of DECIMALS and the largest PRECISION of any value: the decimals
// the cells are stored with. Most exports pass it as cell_format's precision.
int stored_decimals(const table& t) noexcept;

// The larger of SHOWDECIMALS and the largest PRECISION of any value.
int shown_decimals_max(const table& t) noexcept;

// Prints the numeric cell at (row, column) into out (reusing its capacity)
// and returns 0.
//
// The decimals shown are the column's entry, raised by the row's entry when
// rows contribute. `precision` is the number of decimals the value is stored
// with: when it is above the shown count, a value whose stored digits beyond
// the shown ones read exactly "5000..." (at most 18 of them compared) is a
// tie. With `rounding` != 0 ties move away from zero; with 0 they go to the
// even digit. Other values round as printf "%.*f" does. From 7 shown
// decimals up the value prints without decimals and without the tie rule.
// A decimal_point beginning with "," turns the decimal point into a comma.
// A cell equal to zero prints without a sign (a negative value that only
// rounds to zero keeps its "-", as printf gives it). Any value prints in
// full however large.
// Rows or columns outside the arrays contribute nothing.
int cell_format(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                std::string& out, int precision, std::string_view decimal_point, int rounding);

// Writes number_text into out with separators between groups of three digits
// of its integer part, which ends at the first character of decimal_point or
// at the first character that is not a digit (so decimals are never grouped).
// A leading "-" stays in front; three digits or fewer stay as they are.
// Separator kinds: 1 " ", 2 ".", 3 ","; 0 and any other kind add none.
// number_text may view out itself.
void group_thousands(std::string_view number_text, std::string_view decimal_point,
                     int separator_kind, std::string& out);

// The rounding an export uses: the table's ROUNDING when the file gave one,
// else the export's own argument.
int rounding_flag(const table& t, int requested) noexcept;

// How an export prints its numbers.
struct cell_style {
    int precision = 0;                   // decimals the cells are stored with
    std::string_view decimal_point = ".";
    int rounding = 0;                    // 0 ties to even, else away from zero
    int thousands = 0;                   // separator kind; 0 = no grouping
};

// Prints one whole cell: the symbol text of a symbol cell, else the number
// by cell_format, grouped by style.thousands when that is above 0 and the
// value is 1000 or more in size.
void format_cell(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                 const cell_style& style, std::string& out);

// format_cell at the position of f.cell_counter (row = counter / ncols,
// column = counter mod ncols), then advances the counter.
void format_next_cell(cell_formatter& f, double value, const cell_style& style, std::string& out);

// The most bytes a number cell's text takes: a sign, the 309 integer digits
// of the largest double with a separator between every three, the point and
// the most decimals shown.
inline constexpr std::size_t cell_text_max = 1 + 309 + 102 + 1 + max_shown_decimals;

// format_cell without a string: the text of the cell, written into buf
// (at least cell_text_max bytes) for a number, or the symbol text held by
// f for a symbol cell. Valid until buf or f change. Exports that write
// every cell use these; a number costs no allocation, and calls on several
// threads at once are safe as long as each has its own buf.
std::string_view format_cell_text(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                                  const cell_style& style, char* buf);
std::string_view format_next_cell_text(cell_formatter& f, double value, const cell_style& style, char* buf);

namespace detail {
// format_cell worked out the slow, plain way (printed at the stored
// decimals, the tie read from the text, rounded, grouped). format_cell
// gives the same bytes faster; this is what it is checked against.
void format_cell_exact(const cell_formatter& f, std::int64_t row, std::int64_t column, double value,
                       const cell_style& style, std::string& out);
}  // namespace detail

}  // namespace vt
