// The worksheet writer of the Lotus export (WKS and WK1 files).
#include "export/wks.h"

#include <cstdio>

#include "core/byteorder.h"
#include "platform/text.h"

namespace vt::wks {

namespace {

constexpr std::uint16_t rec_bof = 0;
constexpr std::uint16_t rec_eof = 1;
constexpr std::uint16_t rec_window1 = 7;
constexpr std::uint16_t rec_colw1 = 8;
constexpr std::uint16_t rec_integer = 13;
constexpr std::uint16_t rec_number = 14;
constexpr std::uint16_t rec_label = 15;

constexpr std::int64_t max_index = 0xFFFF;

constexpr const char* messages[] = {
    "Duplicate range name",
    "No space for new symbol entry (malloc)",
    "No space for range name (malloc)",
    "Bad character in formula",
    "Bad column specified in formula",
    "Bad row specified in formula",
    "Invalid range name",
    "Internal error 1: range symbol table error",
    "Internal error 2: range symbol table error",
    "No room to malloc string",
    "String is too long",
    "Real is too long, or has invalid format",
    "Output buffer exhausted",
    "Syntax error",
    "Bad function name",
    "Out of space in output buffer",
    "Function has wrong number of arguments",
    "No room in decode output buffer",
    "Out of reconstruct string stack space",
    "Evaluation stack overflow",
    "Bad evaluation stack entry",
    "Unimplemented operator or function",
    "WKSACOL: Column out of range",
    "WKSAROW: Row out of range",
    "WKSCLOSE: Error closing file",
    "WKSFORM: Encoded formula too long",
    "WKSNEXTR: Read Error",
    "WKSRANG: lseek Error",
    "WKSSUMT: exceeded maximum formula size",
    "WKSSUMT: column out of range",
    "WKSSUMT: row out of range",
    "WKSWREC: Write Error",
    "WPARM11: column out of range",
    "WPARM11: width out of range",
    "WSCANF: lseek Error",
    "WKSNEXTC: Lotus Worksheet Unsorted",
    "WKSOPEN: Both worksheet names are empty",
    "WKSOPEN: Error opening file",
    "WKSOPEN: Not WKS or WK1 file",
};
constexpr int message_count = static_cast<int>(sizeof messages / sizeof messages[0]);

int fail(worksheet& w, int code) noexcept {
    // A table too large for the sheet would report every cell beyond its
    // edge: once is enough.
    if (code == w.last_error && (code == err_row || code == err_column)) return code;
    w.last_error = code;
    return report_error(code);
}

// A cell the records can address; else the error that says which part
// is out of range.
int cell_position(std::int64_t row, std::int64_t column) noexcept {
    if (column < 0 || column > max_index) return err_column;
    if (row < 0 || row > max_index) return err_row;
    return 0;
}

// The write error of the buffer, reported once.
int written(worksheet& w) noexcept {
    if (w.out.failed() && w.last_error != err_write) return fail(w, err_write);
    return 0;
}

bool is_prefix(char c) noexcept { return c == '\'' || c == '"' || c == '|' || c == '\\' || c == '^'; }

// The DOS code page's å, ä, ö, Å, Ä, Ö and their ANSI forms.
char ansi_letter(char c) noexcept {
    switch (static_cast<unsigned char>(c)) {
    case 0x86: return '\xE5';
    case 0x84: return '\xE4';
    case 0x94: return '\xF6';
    case 0x8F: return '\xC5';
    case 0x8E: return '\xC4';
    case 0x99: return '\xD6';
    default: return c;
    }
}

}  // namespace

const char* error_message(int code) noexcept {
    if (code < 1 || code > message_count) return "wkser: invalid error value";
    return messages[code - 1];
}

int report_error(int code) noexcept {
    std::printf("\n*** WKS error %d - %s\n", code, error_message(code));
    std::fflush(stdout);
    return code;
}

// ---------------------------------------------------------------------------
// The records.

// BOF  00 00  02 00 | version (u16): 0x0404 WKS, 0x0406 WK1
void write_bof(out_file& f, std::uint16_t version) {
    put_record_head(f, rec_bof, 2);
    put_u16le(f, version);
}

// WINDOW1  07 00  1E 00
//   | cursor column (u16) | cursor row (u16) | format 0xF1 | 0x00
//   | column width 10 (u16) | columns on screen 7 (u16) | rows on screen 20 (u16)
//   | left column 0 (u16) | top row 0 (u16) | title columns 0 (u16) | title rows 0 (u16)
//   | left title column 0 (u16) | top title row 0 (u16)
//   | top-left column 4 (u16) | top-left row 4 (u16) | window columns 72 (u16)
void write_window1(out_file& f, std::uint16_t cursor_column, std::uint16_t cursor_row) {
    constexpr std::uint16_t window_columns = 72;
    constexpr std::uint16_t column_width = 10;
    put_record_head(f, rec_window1, 30);
    put_u16le(f, cursor_column);
    put_u16le(f, cursor_row);
    put_u8(f, 0xF1);
    put_u8(f, 0x00);
    put_u16le(f, column_width);
    put_u16le(f, window_columns / column_width);
    put_u16le(f, 20);
    for (int i = 0; i < 6; ++i) put_u16le(f, 0);  // left column .. top title row
    put_u16le(f, 4);
    put_u16le(f, 4);
    put_u16le(f, window_columns);
}

// COLW1  08 00  03 00 | column (u16) | width (u8, characters)
void write_colw1(out_file& f, std::uint16_t column, std::uint8_t width) {
    put_record_head(f, rec_colw1, 3);
    put_u16le(f, column);
    put_u8(f, width);
}

// LABEL  0F 00  n+6 | format 0x7F | column (u16) | row (u16) | prefix and text (n bytes) | 0x00
void write_label(out_file& f, std::uint16_t column, std::uint16_t row, std::string_view text) {
    put_record_head(f, rec_label, static_cast<std::uint16_t>(text.size() + 6));
    put_u8(f, format_label);
    put_u16le(f, column);
    put_u16le(f, row);
    f.write(text);
    put_u8(f, 0);
}

// NUMBER  0E 00  0D 00 | format (u8) | column (u16) | row (u16) | IEEE double
void write_number(out_file& f, std::uint8_t format, std::uint16_t column, std::uint16_t row, double value) {
    put_record_head(f, rec_number, 13);
    put_u8(f, format);
    put_u16le(f, column);
    put_u16le(f, row);
    put_f64le(f, value);
}

// INTEGER  0D 00  07 00 | format 0x7F | column (u16) | row (u16) | value (i16)
void write_integer(out_file& f, std::uint16_t column, std::uint16_t row, std::int16_t value) {
    put_record_head(f, rec_integer, 7);
    put_u8(f, format_label);
    put_u16le(f, column);
    put_u16le(f, row);
    put_u16le(f, static_cast<std::uint16_t>(value));
}

// EOF  01 00  00 00
void write_eof(out_file& f) { put_record_head(f, rec_eof, 0); }

// ---------------------------------------------------------------------------
// The writer.

bool is_wk1_name(std::string_view path) noexcept {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && plat::equal_nocase(name.substr(dot), ".wk1");
}

std::string label_text(std::string_view text, char prefix) {
    std::string out;
    out.reserve(text.size() + 1);
    if (text.empty() || !is_prefix(text.front())) out.push_back(prefix);
    for (const char c : text) {
        if (out.size() == max_label) break;
        out.push_back(ansi_letter(c));
    }
    return out;
}

int wks_open(worksheet& w, const std::string& path) {
    w.last_error = 0;
    w.wk1 = is_wk1_name(path);
    if (path.empty() || !w.out.open(path)) return fail(w, err_open);
    write_bof(w.out, w.wk1 ? version_wk1 : version_wks);
    return 0;
}

int wks_window(worksheet& w, std::int64_t cursor_column, std::int64_t cursor_row) {
    if (const int rc = cell_position(cursor_row, cursor_column); rc != 0) return fail(w, rc);
    write_window1(w.out, static_cast<std::uint16_t>(cursor_column), static_cast<std::uint16_t>(cursor_row));
    return written(w);
}

int wks_colwidth(worksheet& w, std::int64_t column, std::int64_t width) {
    if (column < 0 || column > 0xFF) return fail(w, err_width_column);
    if (width < 0 || width > 0xFF) return fail(w, err_width);
    write_colw1(w.out, static_cast<std::uint16_t>(column), static_cast<std::uint8_t>(width));
    return written(w);
}

int wks_label(worksheet& w, std::int64_t row, std::int64_t column, std::string_view text, char prefix) {
    if (const int rc = cell_position(row, column); rc != 0) return fail(w, rc);
    write_label(w.out, static_cast<std::uint16_t>(column), static_cast<std::uint16_t>(row), label_text(text, prefix));
    return written(w);
}

int wks_number(worksheet& w, std::int64_t row, std::int64_t column, double value, std::uint8_t format) {
    if (const int rc = cell_position(row, column); rc != 0) return fail(w, rc);
    write_number(w.out, format, static_cast<std::uint16_t>(column), static_cast<std::uint16_t>(row), value);
    return written(w);
}

namespace {

// One conversion of a wks_printf format: the flag, the precision (-1 when
// none is given) and the conversion letter.
struct conversion {
    bool left_flag = false;
    int precision = -1;
    char letter = '\0';
};

// Reads the conversion after a "%" at format[i]; i ends behind it.
conversion read_conversion(std::string_view format, std::size_t& i) {
    conversion c;
    auto digit = [&] { return i < format.size() && format[i] >= '0' && format[i] <= '9'; };
    for (; i < format.size() && (format[i] == '-' || format[i] == '+' || format[i] == ' ' || format[i] == '0'); ++i)
        c.left_flag = c.left_flag || format[i] == '-';
    while (digit()) ++i;  // a width means nothing in a cell
    if (i < format.size() && format[i] == '.') {
        ++i;
        c.precision = 0;
        for (; digit(); ++i) c.precision = c.precision > 99 ? c.precision : c.precision * 10 + (format[i] - '0');
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) ++i;
    if (i < format.size()) c.letter = format[i++];
    return c;
}

// Writes one conversion into (row, column); 0 or the error.
int put_conversion(worksheet& w, std::int64_t row, std::int64_t column, const conversion& c, const wks_arg& a) {
    using kind = wks_arg::kind;
    switch (c.letter) {
    case 's':
        if (a.type != kind::text) return fail(w, err_syntax);
        return wks_label(w, row, column, a.text, c.left_flag ? left : right);
    case 'c':
        if (a.type != kind::integer) return fail(w, err_syntax);
        return wks_label(w, row, column, std::string(1, static_cast<char>(a.integer)), left);
    case 'd':
    case 'i':
        if (a.type != kind::integer) return fail(w, err_syntax);
        if (a.integer < INT16_MIN || a.integer > INT16_MAX)
            return wks_number(w, row, column, static_cast<double>(a.integer));
        if (const int rc = cell_position(row, column); rc != 0) return fail(w, rc);
        write_integer(w.out, static_cast<std::uint16_t>(column), static_cast<std::uint16_t>(row),
                      static_cast<std::int16_t>(a.integer));
        return written(w);
    case 'f': {
        if (a.type != kind::real) return fail(w, err_syntax);
        const int decimals = c.precision < 0 ? 2 : c.precision;
        if (decimals > 15) return fail(w, err_write);
        return wks_number(w, row, column, a.real, static_cast<std::uint8_t>(decimals));
    }
    default:
        return fail(w, err_syntax);
    }
}

}  // namespace

int wks_printf(worksheet& w, std::int64_t row, std::int64_t column, std::string_view format,
               std::initializer_list<wks_arg> args) {
    const wks_arg* next = args.begin();
    int rc = 0;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i++] != '%') continue;
        if (i < format.size() && format[i] == '%') {
            ++i;
            continue;
        }
        const conversion c = read_conversion(format, i);
        if (next == args.end()) return fail(w, err_syntax);
        const int r = put_conversion(w, row, column++, c, *next++);
        if (r == err_syntax) return r;
        if (r != 0) rc = r;
    }
    return rc;
}

int wks_close(worksheet& w) {
    if (!w.out.is_open()) return 0;
    write_eof(w.out);
    const bool had_error = w.out.failed();
    if (!w.out.close()) return fail(w, had_error ? err_write : err_close);
    return 0;
}

}  // namespace vt::wks
