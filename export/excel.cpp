// The worksheet export (ExcelConv2005): a table as a version-2 worksheet.
//
// The sheet, top to bottom, all texts as LABEL cells:
//
//     row 0..      the title lines in column 0
//                  two empty rows
//     heading      one row per heading variable, from column c0 (the stub
//                  columns): a value stands over the first column of its
//                  block; the last heading variable has one column per
//                  value (two when data-note markers follow every cell)
//     body         one row per stub combination: the stub labels (an
//                  outer label only on the first row of its block, a code
//                  column before a label where asked), then the cells as
//                  NUMBER records or right-aligned symbol LABELs
//                  one empty row
//     notes        table, variable, value and cell notes (completeinfo 1+)
//     info         the table information, caption and content (3)
//     EOF
//
// Rows and columns are 16-bit numbers in the records: a cell that would
// fall beyond them is left out rather than written over another one.
#include "export/excel.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/notes.h"
#include "core/ordered_write.h"
#include "core/outfile.h"
#include "core/table.h"
#include "export/batched.h"
#include "export/biff.h"
#include "platform/ini.h"
#include "export/frame.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

// Note lines are cut at this width (the table information texts at 10 less).
constexpr int note_width = 70;
// Cell notes are cut at this width.
constexpr int cell_note_width = 60;
// Captions of the label file keep at most 80 characters.
constexpr std::size_t caption_buffer = 81;
constexpr std::size_t sort_name_buffer = 256;

constexpr std::int64_t max_index = 0xFFFF;

// Everything the sheet writer needs while it writes one worksheet.
struct sheet {
    sheet(out_file& o, const table& tab, const cell_formatter& f, const plat::ini_file& l)
        : out(o), t(tab), fmt(f), labels(l) {}

    out_file& out;
    const table& t;
    const cell_formatter& fmt;
    const plat::ini_file& labels;
    // The data-note markers; when active every cell is followed by its
    // marker in a column of its own.
    note_markers markers;
    int doublecolumn = 0;
    int completeinfo = 0;
    int rounding = 0;
    int rawvalues = 0;
    int precision = 0;  // decimals the cells are stored with

    std::int64_t row = 0;             // the row being written
    std::vector<bool> code_column;    // per stub variable: a code column before its labels
};

// ---------------------------------------------------------------------------
// Cells at a position, left out where the record cannot address them.

bool addressable(std::int64_t row, std::int64_t column) {
    return row >= 0 && row <= max_index && column >= 0 && column <= max_index;
}

void label(out_file& out, std::int64_t row, std::int64_t column, std::string_view text,
           std::uint8_t align = biff::align_left) {
    if (addressable(row, column))
        biff::write_label(out, static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), text, align);
}

void label(sheet& s, std::int64_t row, std::int64_t column, std::string_view text,
           std::uint8_t align = biff::align_left) {
    label(s.out, row, column, text, align);
}

void number(out_file& out, std::int64_t row, std::int64_t column, double value) {
    if (addressable(row, column))
        biff::write_number(out, static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), value);
}

// A column width of (characters + 2) 1/256 units, kept within the 16-bit
// field (a 255-character label would otherwise wrap to a narrow column).
void colwidth(out_file& out, std::int64_t column, std::int64_t width) {
    if (column < 0 || column > 0xFF) return;
    biff::write_colwidth(out, static_cast<std::uint8_t>(column),
                         static_cast<std::uint16_t>(std::clamp<std::int64_t>(width, 0, 0xFFFF)));
}

std::int64_t text_width(std::int64_t chars) { return (chars + 2) * 256; }

// A line of a title or note as shown: a "#" ending it marked a line break,
// which the next row makes, so a blank takes its place.
std::string shown_line(std::string_view s) {
    std::string out(s);
    if (!out.empty() && out.back() == '#') out.back() = ' ';
    return out;
}

// The lines of a text, one per row in column 0.
void lines(sheet& s, const text_list& list) {
    for (const std::string& l : list) label(s, s.row++, 0, shown_line(l));
}

std::string caption(const sheet& s, std::string_view section, std::string_view key, std::string_view deflt) {
    return s.labels.get_string(section, key, deflt, caption_buffer);
}

std::string variable_name(const sheet& s, const variable& v) {
    if (v.name) return *v.name;
    return s.labels.get_string("Global", "$$SORT", "$$SORT", sort_name_buffer);
}

// ---------------------------------------------------------------------------
// Labels.

// A stub or heading label as PRESTEXT asks: 2 code first, 3 code last.
std::string value_label(const variable& v, const value& val) {
    if (val.code && v.prestext == 2) return *val.code + " " + val.text;
    if (val.code && v.prestext == 3) return val.text + " " + *val.code;
    return val.text;
}

bool has_code_column(const variable& v, int doublecolumn) {
    const bool coded = !v.values.empty() && v.values.front().code.has_value();
    if (doublecolumn == 1) return coded;
    if (doublecolumn == 2) return coded && v.doublecolumn == 1 && v.prestext > 0;
    return false;
}

std::int64_t longest_text(const variable& v) {
    std::size_t n = 0;
    for (const value& val : v.values) n = std::max(n, val.text.size());
    return static_cast<std::int64_t>(n);
}

void write_title(sheet& s) {
    const text_list& title = s.t.descriptiondefault == 1 ? s.t.description : s.t.title;
    lines(s, title);
    s.row += 2;
}

// The heading variables from h on, as a tree: each value over the first
// column of its block; the last variable takes a column per value and one
// more for the marker column.
void heading_tree(sheet& s, std::size_t h, std::int64_t row, std::int64_t& column) {
    const variable& v = s.t.vars[h];
    const bool last = h + 1 == s.t.vars.size();
    for (const value& val : v.values) {
        label(s, row, column, value_label(v, val));
        if (!last) {
            heading_tree(s, h + 1, row + 1, column);
            continue;
        }
        ++column;
        if (s.markers.active()) label(s, row, column++, "*");
    }
}

void write_headings(sheet& s) {
    const table& t = s.t;
    std::int64_t column = 0;
    for (std::size_t k = 0; k < t.stub_count(); ++k) column += s.code_column[k] ? 2 : 1;
    if (!t.has_heading()) return;
    heading_tree(s, t.stub_count(), s.row, column);
    s.row += static_cast<std::int64_t>(t.heading_count());
}

// ---------------------------------------------------------------------------
// Cells.

// The body: one row per stub combination, first stub variable slowest. A
// stub level's labels stand in its column(s) on the first row of each of
// its values' blocks; its column widths go out where the walk over the
// levels enters it (on the first row of each block of the level outside
// it), the text column's width again before each text of a coded level.
struct body_plan {
    const sheet& s;
    std::vector<std::int64_t> inner;   // per stub level: the rows one of its values spans
    std::vector<std::int64_t> column;  // per stub level: its first column
    std::int64_t cells_column = 0;     // the column of the first cell
    std::int64_t rows = 1;
    std::int64_t first_row = 0;        // the sheet row of the first body row

    explicit body_plan(const sheet& sh) : s(sh) {
        const std::size_t ns = s.t.stub_count();
        inner.assign(ns, 1);
        for (std::size_t k = ns; k-- > 0;) {
            inner[k] = rows;
            rows *= static_cast<std::int64_t>(s.t.vars[k].values.size());
        }
        for (std::size_t k = 0; k < ns; ++k) {
            column.push_back(cells_column);
            cells_column += s.code_column[k] ? 2 : 1;
        }
        first_row = s.row;
    }
};

// What the walk writes when it enters stub level k: the width of its column.
void enter_level(out_file& out, const sheet& s, std::size_t k, std::int64_t column) {
    const std::int64_t longest = longest_text(s.t.vars[k]);
    colwidth(out, column, s.code_column[k] ? 2560 : longest == 0 ? 1536 : text_width(longest));
}

// The labels of value `val` of stub level k in `row` from `column` on.
void level_label(out_file& out, const sheet& s, std::size_t k, const value& val, std::int64_t row,
                 std::int64_t column) {
    const variable& v = s.t.vars[k];
    if (!s.code_column[k]) {
        label(out, row, column, value_label(v, val));
        return;
    }
    label(out, row, column, val.code ? std::string_view(*val.code) : std::string_view());
    colwidth(out, column + 1, text_width(longest_text(v)));
    label(out, row, column + 1, val.text);
}

// Scratch texts of one piece of rows.
struct row_scratch {
    std::string cell;
    std::string key;
};

// The cells of body row r from plan.cells_column on. A number is stored as
// shown (rounded to its cell's decimals) unless raw values are asked for,
// so the sheet computes with what the reader of the table sees. With data
// notes every cell is followed by its marker ("" for none).
void data_row(out_file& out, const body_plan& plan, std::int64_t r, row_scratch& scratch) {
    const sheet& s = plan.s;
    const cell_formatter& f = s.fmt;
    const double* cells = s.t.data();
    const std::int64_t row = plan.first_row + r;
    std::int64_t column = plan.cells_column;
    for (std::int64_t c = 0; c < f.ncols; ++c) {
        const std::int64_t n = r * f.ncols + c;
        const double x = cells[n];
        if (is_symbol_cell(x)) {
            label(out, row, column, cell_symbol_text(f, x), biff::align_right);
        } else if (s.rawvalues != 0) {
            number(out, row, column, x);
        } else {
            cell_format(f, r, c, x, scratch.cell, s.precision, ".", s.rounding);
            number(out, row, column, parse_cell_number(scratch.cell.data(), scratch.cell.data() + scratch.cell.size()));
        }
        ++column;
        if (s.markers.active()) {
            const std::string* m = s.markers.find(n, scratch.key);
            label(out, row, column++, m != nullptr ? std::string_view(*m) : std::string_view());
        }
    }
}

// Body row r: the levels entered and labelled on it, then its cells.
void body_row(out_file& out, const body_plan& plan, std::int64_t r, row_scratch& scratch) {
    const table& t = plan.s.t;
    for (std::size_t k = 0; k < t.stub_count(); ++k) {
        if (r % plan.inner[k] != 0) continue;  // inside a block of this level's value
        if (k == 0 ? r == 0 : r % plan.inner[k - 1] == 0) enter_level(out, plan.s, k, plan.column[k]);
        const auto& values = t.vars[k].values;
        const value& val = values[static_cast<std::size_t>((r / plan.inner[k]) % static_cast<std::int64_t>(values.size()))];
        level_label(out, plan.s, k, val, plan.first_row + r, plan.column[k]);
    }
    data_row(out, plan, r, scratch);
}

// A stub level without values leaves the body without rows: the walk still
// enters the levels up to it and labels the values of those outside it.
void rowless_levels(sheet& s, const body_plan& plan, std::size_t k) {
    enter_level(s.out, s, k, plan.column[k]);
    if (k + 1 == s.t.stub_count()) return;
    for (const value& val : s.t.vars[k].values) {
        level_label(s.out, s, k, val, s.row, plan.column[k]);
        rowless_levels(s, plan, k + 1);
    }
}

// About this many cells go into one piece of rows.
constexpr std::int64_t cells_per_piece = 1 << 14;

// The body rows are made in pieces on the threads the process may use and
// written in order.
void write_body(sheet& s) {
    const body_plan plan(s);
    if (plan.rows == 0) {
        rowless_levels(s, plan, 0);
        return;
    }
    const unsigned threads = plat::thread_count();
    const std::int64_t per_piece = rows_per_piece(plan.rows, s.fmt.ncols, threads, cells_per_piece);
    const auto pieces = static_cast<std::size_t>((plan.rows + per_piece - 1) / per_piece);
    write_in_order(s.out, pieces, threads, [&](std::size_t piece, std::string& buf) {
        out_file out(std::size_t{1} << 16);
        out.open_memory(buf);
        row_scratch scratch;
        const std::int64_t first = static_cast<std::int64_t>(piece) * per_piece;
        const std::int64_t last = std::min(plan.rows, first + per_piece);
        for (std::int64_t r = first; r < last; ++r) body_row(out, plan, r, scratch);
        out.close();
    });
    s.row += plan.rows;
}

// ---------------------------------------------------------------------------
// Notes.

// A note under a caption, then an empty row; nothing for an empty note.
void captioned_note(sheet& s, const std::string& cap, const text_list& note) {
    if (note.empty()) return;
    label(s, s.row++, 0, cap);
    lines(s, note);
    ++s.row;
}

void table_notes(sheet& s) {
    for (const text_list* note : {&s.t.notex, &s.t.note}) {
        if (note->empty()) continue;
        lines(s, *note);
        ++s.row;
    }
}

void variable_notes(sheet& s) {
    for (const variable& v : s.t.vars) {
        captioned_note(s, variable_name(s, v) + ":", v.notex);
        if (s.completeinfo >= 2) captioned_note(s, variable_name(s, v) + ":", v.note);
    }
}

void value_notes(sheet& s) {
    const bool optional = s.completeinfo >= 2;
    for (const variable& v : s.t.vars) {
        bool captioned = false;
        for (const value& val : v.values) {
            if (val.valuenotex.empty() && (!optional || val.valuenote.empty())) continue;
            if (!captioned) label(s, s.row++, 0, variable_name(s, v) + ":");
            captioned = true;
            label(s, s.row++, 0, val.text + ":");
            lines(s, val.valuenotex);
            if (optional) lines(s, val.valuenote);
            ++s.row;
        }
    }
}

// Cell notes: the variables and values the note refers to, then its text.
void cell_notes(sheet& s, bool optional) {
    const text_list& texts = optional ? s.t.cellnote_texts : s.t.cellnotex_texts;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        for (const variable& v : s.t.vars) {
            const cell_ref_list& refs = optional ? v.cellnote_refs : v.cellnotex_refs;
            if (k >= refs.size() || refs[k] < 0 || static_cast<std::size_t>(refs[k]) >= v.values.size()) continue;
            label(s, s.row++, 0, variable_name(s, v) + ":");
            label(s, s.row++, 0, v.values[static_cast<std::size_t>(refs[k])].text + ":");
        }
        lines(s, strip_markup({texts[k]}, cell_note_width));
        ++s.row;
    }
}

void write_notes(sheet& s) {
    ++s.row;
    table_notes(s);
    variable_notes(s);
    value_notes(s);
    cell_notes(s, false);
    if (s.completeinfo >= 2) cell_notes(s, true);
}

// ---------------------------------------------------------------------------
// Table information.

// One item: a one-line content beside its caption, a longer one on the
// rows below it; without a caption the content alone. An empty row follows.
void info_item(sheet& s, const std::string& cap, const text_list& content) {
    if (cap.empty()) {
        lines(s, content);
    } else if (content.size() == 1) {
        label(s, s.row, 0, cap);
        label(s, s.row++, 1, shown_line(content.front()));
    } else {
        label(s, s.row++, 0, cap);
        lines(s, content);
    }
    ++s.row;
}

using item_of = std::function<text_list(const continfo&)>;

// An item of the contents information: per contents value (under a caption
// of the value) when the table has a contents variable, else once.
void contents_item(sheet& s, const std::string& cap, const item_of& item) {
    const table& t = s.t;
    if (!t.contvariable) {
        const text_list content = item(t.continfos.front());
        if (!content.empty()) info_item(s, cap, content);
        return;
    }
    for (const continfo& c : t.continfos) {
        const text_list content = item(c);
        if (content.empty()) continue;
        label(s, s.row++, 0, (c.content ? *c.content : std::string()) + ":");
        info_item(s, cap, content);
    }
}

// YYYYMMDD... as YYYY-MM-DD, then a blank and the rest.
std::string shown_date(const std::string& d) {
    std::string out = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
    if (d.size() > 8) out += " " + d.substr(8);
    return out;
}

text_list one(std::string s) { return text_list{std::move(s)}; }

void write_info(sheet& s) {
    const table& t = s.t;
    contents_item(s, caption(s, "Notes", "Lastupdated", "LAST-UPDATED"), [](const continfo& c) {
        return c.last_updated && c.last_updated->size() > 7 ? one(shown_date(*c.last_updated)) : text_list{};
    });
    if (!t.source.empty()) info_item(s, caption(s, "Notes", "Source", "SOURCE:"), t.source);
    contents_item(s, caption(s, "Notes", "Contact", "CONTACT:"), [](const continfo& c) { return c.contact; });
    if (t.copyright == 1) {
        label(s, s.row++, 0, caption(s, "Notes", "Copyright", "COPYRIGHT"));
        ++s.row;
    }
    // Without a contents variable the table's UNITS stand for the one
    // contents value when its record gives none.
    contents_item(s, caption(s, "Labels", "Unit", "UNIT:"), [&t](const continfo& c) {
        if (c.units) return one(*c.units);
        if (!t.contvariable && t.units) return one(*t.units);
        return text_list{};
    });
    const std::string stock_a = caption(s, "Notes", "StockA", "Average");
    const std::string stock_f = caption(s, "Notes", "StockF", "Flow");
    const std::string stock_s = caption(s, "Notes", "StockS", "Stock");
    contents_item(s, caption(s, "Notes", "StockFA", "STOCKFA:"), [&](const continfo& c) {
        switch (c.stockfa) {
        case 'A': return one(stock_a);
        case 'F': return one(stock_f);
        case 'S': return one(stock_s);
        default: return text_list{};
        }
    });
    contents_item(s, caption(s, "Notes", "Refperiod", "REFPERIOD:"), [](const continfo& c) { return c.refperiod; });
    contents_item(s, caption(s, "Notes", "Baseperiod", "BASEPERIOD:"),
                  [](const continfo& c) { return c.baseperiod; });
    const std::string cprices = caption(s, "Notes", "Cprices", "Cprices");
    const std::string fprices = caption(s, "Notes", "Fprices", "Fprices");
    contents_item(s, "", [&](const continfo& c) {
        return c.cfprices == 'C' ? one(cprices) : c.cfprices == 'F' ? one(fprices) : text_list{};
    });
    const std::string dayadj = caption(s, "Notes", "Dayadj", "Dayadj");
    contents_item(s, "", [&](const continfo& c) { return c.dayadj == 1 ? one(dayadj) : text_list{}; });
    const std::string seasadj = caption(s, "Notes", "Seasadj", "Seasadj");
    contents_item(s, "", [&](const continfo& c) { return c.seasadj == 1 ? one(seasadj) : text_list{}; });
    if (!t.database.empty()) info_item(s, caption(s, "Notes", "Database", "Database:"), t.database);
    if (t.matrix) info_item(s, caption(s, "Notes", "Refkod", "MATRIX:"), one(*t.matrix));
}

// ---------------------------------------------------------------------------

void write_sheet(sheet& s) {
    biff::write_bof(s.out);
    write_title(s);
    write_headings(s);
    write_body(s);
    if (s.completeinfo >= 1) write_notes(s);
    if (s.completeinfo >= 3) write_info(s);
    biff::write_eof(s.out);
}

int convert(const std::string& infile, const std::string& outfile, const std::string& symbols, int doublecolumn,
            int completeinfo, const std::string& labelfile, int datanote, int rounding, int rawvalues) {
    table t = table_new();
    // Keyed data sections are read by their keys along the way.
    if (const int rc = load_whole_table(infile, t, codes::cannot_open); rc != 0) return rc;
    wrap_notes(t, note_width, true);

    out_file file;
    if (!open_output(file, outfile)) return codes::cannot_open;

    cell_formatter fmt = make_cell_formatter(t, symbols);
    plat::ini_file labels;
    if (!labelfile.empty()) labels.load(labelfile);  // a missing file gives the default captions

    sheet s(file, t, fmt, labels);
    s.doublecolumn = doublecolumn;
    s.completeinfo = completeinfo;
    s.rounding = rounding_flag(t, rounding);
    s.rawvalues = rawvalues;
    s.precision = stored_decimals(t);
    for (std::size_t k = 0; k < t.stub_count(); ++k) s.code_column.push_back(has_code_column(t.vars[k], doublecolumn));

    if (datanote == 1) s.markers.prepare(t, infile, outfile);

    write_sheet(s);
    // A sheet cut short by a full disk is no sheet: the caller hears of it.
    return file.close() ? 0 : codes::cannot_open;
}

}  // namespace

int ExcelConv2005(const std::string& infile, const std::string& outfile, const std::string& symbols,
                  int doublecolumn, int completeinfo, const std::string& labelfile, int datanote, int rounding,
                  int rawvalues) noexcept {
    return run_export("ExcelConv2005", {}, [&] {
        return convert(infile, outfile, symbols, doublecolumn, completeinfo, labelfile, datanote, rounding, rawvalues);
    });
}

}  // namespace vt
