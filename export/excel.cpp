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
#include "core/outfile.h"
#include "core/table.h"
#include "export/biff.h"
#include "platform/ini.h"
#include "export/frame.h"
#include "platform/message.h"

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
    sheet(out_file& o, const table& tab, cell_formatter& f, const plat::ini_file& l)
        : out(o), t(tab), fmt(f), labels(l) {}

    out_file& out;
    const table& t;
    cell_formatter& fmt;
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
    std::string cell;                 // scratch of the cell writer
};

// ---------------------------------------------------------------------------
// Cells at a position, left out where the record cannot address them.

bool addressable(std::int64_t row, std::int64_t column) {
    return row >= 0 && row <= max_index && column >= 0 && column <= max_index;
}

void label(sheet& s, std::int64_t row, std::int64_t column, std::string_view text,
           std::uint8_t align = biff::align_left) {
    if (addressable(row, column))
        biff::write_label(s.out, static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), text, align);
}

void number(sheet& s, std::int64_t row, std::int64_t column, double value) {
    if (addressable(row, column))
        biff::write_number(s.out, static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), value);
}

// A column width of (characters + 2) 1/256 units, kept within the 16-bit
// field (a 255-character label would otherwise wrap to a narrow column).
void colwidth(sheet& s, std::int64_t column, std::int64_t width) {
    if (column < 0 || column > 0xFF) return;
    biff::write_colwidth(s.out, static_cast<std::uint8_t>(column),
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

// The data-note marker of a cell, or "" for a cell without one.
std::string_view marker(const sheet& s, std::int64_t cell) {
    const std::string* m = s.markers.find(cell);
    return m != nullptr ? std::string_view(*m) : std::string_view();
}

// The cells of the next data row from `column` on. A number is stored as
// shown (rounded to its cell's decimals) unless raw values are asked for,
// so the sheet computes with what the reader of the table sees.
void data_row(sheet& s, std::int64_t column) {
    cell_formatter& f = s.fmt;
    const double* cells = s.t.data();
    for (std::int64_t c = 0; c < f.ncols; ++c) {
        const std::int64_t n = f.cell_counter;
        const double x = cells[n];
        if (is_symbol_cell(x)) {
            label(s, s.row, column, cell_symbol_text(f, x), biff::align_right);
        } else if (s.rawvalues != 0) {
            number(s, s.row, column, x);
        } else {
            cell_format(f, n / f.ncols, n % f.ncols, x, s.cell, s.precision, ".", s.rounding);
            number(s, s.row, column, parse_cell_number(s.cell.data(), s.cell.data() + s.cell.size()));
        }
        ++column;
        ++f.cell_counter;
        if (s.markers.active()) label(s, s.row, column++, marker(s, n));
    }
}

// The rows of stub variable k and those inside it, its labels in `column`.
void stub_rows(sheet& s, std::size_t k, std::int64_t column) {
    const variable& v = s.t.vars[k];
    const bool coded = s.code_column[k];
    const std::int64_t longest = longest_text(v);
    colwidth(s, column, coded ? 2560 : longest == 0 ? 1536 : text_width(longest));
    const bool innermost = k + 1 == s.t.stub_count();
    for (const value& val : v.values) {
        std::int64_t c = column;
        if (coded) {
            label(s, s.row, c, val.code ? std::string_view(*val.code) : std::string_view());
            ++c;
            colwidth(s, c, text_width(longest));
            label(s, s.row, c, val.text);
        } else {
            label(s, s.row, c, value_label(v, val));
        }
        if (innermost) {
            data_row(s, c + 1);
            ++s.row;
        } else {
            stub_rows(s, k + 1, c + 1);
        }
    }
}

void write_body(sheet& s) {
    if (s.t.stub_count() == 0) {
        data_row(s, 0);
        ++s.row;
        return;
    }
    stub_rows(s, 0, 0);
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
