// The worksheet writer of the Lotus export: a WKS or WK1 worksheet written
// record by record.
//
// The wks_* functions are what the export calls: they check their
// arguments, write one record through the record writers below and report
// every failure through report_error, which prints the code and its
// message on standard output and returns the code (the writer remembers
// the last one). The record writers only lay the bytes out.
//
// Every record is a type (u16) and a body length (u16) followed by the
// body; all integers are little-endian, rows and columns count from 0.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/outfile.h"

namespace vt::wks {

// Error codes of the writer; the message table also holds the codes of
// the formula and reading functions of such writers, which this system
// does not have.
inline constexpr int err_syntax = 14;         // wks_printf: a conversion it does not know or an argument missing
inline constexpr int err_column = 23;         // a cell beyond the last column a record can address
inline constexpr int err_row = 24;            // a cell beyond the last row a record can address
inline constexpr int err_close = 25;          // wks_close: the file could not be completed
inline constexpr int err_write = 32;          // a record could not be written (also: a bad number format)
inline constexpr int err_width_column = 33;   // wks_colwidth: column outside 0..255
inline constexpr int err_width = 34;          // wks_colwidth: width outside 0..255
inline constexpr int err_open = 38;           // wks_open: the file cannot be created

// The message of an error code; "wkser: invalid error value" for 0 and
// codes above 39.
const char* error_message(int code) noexcept;

// Prints "\n*** WKS error <code> - <message>\n" on standard output and
// returns code.
int report_error(int code) noexcept;

// The file versions of the BOF record.
inline constexpr std::uint16_t version_wks = 0x0404;
inline constexpr std::uint16_t version_wk1 = 0x0406;

// The format byte of labels and of the integer cells.
inline constexpr std::uint8_t format_label = 0x7F;

// The longest label, its alignment prefix included.
inline constexpr std::size_t max_label = 240;

// Alignment prefixes of labels.
inline constexpr char left = '\'';
inline constexpr char right = '"';

// The record writers, one per record.
void write_bof(out_file& f, std::uint16_t version);
void write_window1(out_file& f, std::uint16_t cursor_column, std::uint16_t cursor_row);
void write_colw1(out_file& f, std::uint16_t column, std::uint8_t width);
// `text` holds the prefix already and at most max_label bytes.
void write_label(out_file& f, std::uint16_t column, std::uint16_t row, std::string_view text);
void write_number(out_file& f, std::uint8_t format, std::uint16_t column, std::uint16_t row, double value);
void write_integer(out_file& f, std::uint16_t column, std::uint16_t row, std::int16_t value);
void write_eof(out_file& f);

// The worksheet being written.
struct worksheet {
    out_file out;
    bool wk1 = false;
    int last_error = 0;
};

// True when the name's extension (after the last "." of its last path
// component, "/" or "\") is "wk1" in any case.
bool is_wk1_name(std::string_view path) noexcept;

// The label as it is stored: the DOS forms of the Nordic letters turned
// into their ANSI forms, an alignment prefix put in front unless the text
// starts with one of the prefix characters (' " | \ ^) already, and cut to
// max_label bytes.
std::string label_text(std::string_view text, char prefix);

// Creates (replaces) the worksheet `path`, a WK1 file when its name says
// so, else a WKS file, and writes BOF. 0 or err_open.
int wks_open(worksheet& w, const std::string& path);

// WINDOW1 with the cursor at (cursor_column, cursor_row).
int wks_window(worksheet& w, std::int64_t cursor_column, std::int64_t cursor_row);

// COLW1: the width of one column in characters. err_width_column for a
// column outside 0..255, err_width for a width outside 0..255; nothing is
// written then.
int wks_colwidth(worksheet& w, std::int64_t column, std::int64_t width);

// A label cell (prefix as label_text). A cell beyond what the 16-bit
// row and column numbers address is err_row or err_column, not written.
int wks_label(worksheet& w, std::int64_t row, std::int64_t column, std::string_view text, char prefix = left);

// A number cell with its format byte (0x00: fixed, no decimals).
int wks_number(worksheet& w, std::int64_t row, std::int64_t column, double value, std::uint8_t format = 0x00);

// One argument of wks_printf.
struct wks_arg {
    enum class kind { text, integer, real };
    wks_arg(std::string_view s) : type(kind::text), text(s) {}
    wks_arg(const char* s) : type(kind::text), text(s) {}
    wks_arg(int i) : type(kind::integer), integer(i) {}
    wks_arg(long i) : type(kind::integer), integer(i) {}
    wks_arg(long long i) : type(kind::integer), integer(i) {}
    wks_arg(char c) : type(kind::integer), integer(static_cast<unsigned char>(c)) {}
    wks_arg(double d) : type(kind::real), real(d) {}

    kind type;
    std::string_view text;
    long long integer = 0;
    double real = 0;
};

// Writes the conversions of `format` into the cells of row `row` from
// `column` on, one cell per conversion, taking the arguments in order:
//   %s   a label, right-aligned; "%-s" leaves it left-aligned
//   %c   a one-character label, left-aligned
//   %d   an integer cell (%i the same); a value beyond 16 bits becomes a
//        number cell, as no integer cell can hold it
//   %.nf a number cell whose format byte is n (0..15, 2 when no n is
//        given); any other n is err_write and leaves the cell empty
// Other characters of the format are not written. A conversion it does not
// know, or one without a fitting argument, is err_syntax and ends the
// row. Returns 0 or the last error.
int wks_printf(worksheet& w, std::int64_t row, std::int64_t column, std::string_view format,
               std::initializer_list<wks_arg> args);

// Writes EOF and closes the file. 0; err_write when a record could not be
// written; err_close when the file could not be completed.
int wks_close(worksheet& w);

}  // namespace vt::wks
