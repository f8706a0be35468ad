// The Lotus export (lotkonv): a table as a WK1 or WKS worksheet.
//
// The sheet, top to bottom, texts as left-aligned labels in column 0
// unless said otherwise:
//
//     row 0..T-1   the title lines
//     row T        empty
//     heading      one row per heading variable from column nstub: a
//                  value stands over the first column of its block, the
//                  last heading variable has one label per data column
//     body         one row per stub combination: the stub labels in
//                  columns 0..nstub-1 (an outer label only on the first
//                  row of its block), then the cells as numbers or
//                  right-aligned symbol labels
//     notes        table, variable, value and cell notes, each between
//                  empty rows
//     EOF
//
// Rows and columns are 16-bit numbers in the records: a cell that would
// fall beyond them is left out (the writer reports it) rather than
// written over another one.
#include "export/lotus.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/notes.h"
#include "export/frame.h"
#include "export/wks.h"

namespace vt {

namespace {

// Note lines are cut at this width, cell notes at cell_note_width.
constexpr int note_width = 70;
constexpr int cell_note_width = 60;
// A stub column without any text gets this width.
constexpr int empty_column_width = 6;
// The widest column a COLW1 record of this kind of sheet states; labels
// are cut at the same length.
constexpr int max_column_width = static_cast<int>(wks::max_label);

constexpr const char* plain_symbols[8] = {".", "..", "...", "....", ".....", "......", ".......", "-"};

struct sheet {
    sheet(wks::worksheet& w, const table& tab, cell_formatter& f) : ws(w), t(tab), fmt(f) {}

    wks::worksheet& ws;
    const table& t;
    cell_formatter& fmt;
    int precision = 0;      // decimals the cells are stored with
    int rounding = 0;
    std::int64_t row = 0;   // the next row to write
    std::string cell;       // scratch of the cell writer
};

// A title or note line as shown: a "#" ending it marked a line break,
// which the next row makes, so a blank takes its place.
std::string shown_line(std::string_view s) {
    std::string out(s);
    if (!out.empty() && out.back() == '#') out.back() = ' ';
    return out;
}

void left_label(sheet& s, std::int64_t row, std::int64_t column, std::string_view text) {
    wks::wks_label(s.ws, row, column, text, wks::left);
}

// The lines of a text, one per row in column 0.
void lines(sheet& s, const text_list& list) {
    for (const std::string& l : list) left_label(s, s.row++, 0, shown_line(l));
}

std::string_view name_of(const variable& v) { return v.name ? std::string_view(*v.name) : std::string_view(); }

// ---------------------------------------------------------------------------
// Title, window, headings.

void write_frame(sheet& s, const text_list& title) {
    const table& t = s.t;
    const auto nstub = static_cast<std::int64_t>(t.stub_count());
    const auto nhead = static_cast<std::int64_t>(t.heading_count());
    wks::wks_window(s.ws, nstub, nhead + static_cast<std::int64_t>(title.size()) + 1);
    for (std::int64_t k = 0; k < nstub; ++k) {
        const int len = t.vars[static_cast<std::size_t>(k)].max_text_len;
        wks::wks_colwidth(s.ws, k, len == 0 ? empty_column_width : std::min(len + 1, max_column_width));
    }
    lines(s, title);
    ++s.row;
}

// The heading variables from h on, as a tree: each value over the first
// column of its block, the next variable one row lower.
void heading_tree(sheet& s, std::size_t h, std::int64_t row, std::int64_t& column) {
    const variable& v = s.t.vars[h];
    const bool last = h + 1 == s.t.vars.size();
    for (const value& val : v.values) {
        left_label(s, row, column, val.text);
        if (last)
            ++column;
        else
            heading_tree(s, h + 1, row + 1, column);
    }
}

void write_headings(sheet& s) {
    if (!s.t.has_heading()) return;
    auto column = static_cast<std::int64_t>(s.t.stub_count());
    heading_tree(s, s.t.stub_count(), s.row, column);
    s.row += static_cast<std::int64_t>(s.t.heading_count());
}

// ---------------------------------------------------------------------------
// Body.

// The cells of the next data row from `column` on: numbers stored as shown
// (rounded to their cell's decimals), symbols as right-aligned labels.
void data_row(sheet& s, std::int64_t column) {
    cell_formatter& f = s.fmt;
    const double* cells = s.t.data();
    for (std::int64_t c = 0; c < f.ncols; ++c, ++column) {
        const std::int64_t n = f.cell_counter++;
        const double x = cells[n];
        if (is_symbol_cell(x)) {
            wks::wks_label(s.ws, s.row, column, cell_symbol_text(f, x), wks::right);
            continue;
        }
        cell_format(f, n / f.ncols, n % f.ncols, x, s.cell, s.precision, ".", s.rounding);
        wks::wks_number(s.ws, s.row, column, parse_cell_number(s.cell.data(), s.cell.data() + s.cell.size()));
    }
}

// The rows of stub variable k and those inside it, its labels in column k.
void stub_rows(sheet& s, std::size_t k) {
    const bool innermost = k + 1 == s.t.stub_count();
    for (const value& val : s.t.vars[k].values) {
        left_label(s, s.row, static_cast<std::int64_t>(k), val.text);
        if (innermost) {
            data_row(s, static_cast<std::int64_t>(k) + 1);
            ++s.row;
        } else {
            stub_rows(s, k + 1);
        }
    }
}

void write_body(sheet& s) {
    if (s.t.stub_count() == 0) {
        data_row(s, 0);
        ++s.row;
        return;
    }
    stub_rows(s, 0);
}

// ---------------------------------------------------------------------------
// Notes.

// An empty row, the note's lines, an empty row; nothing for an empty note.
void note_block(sheet& s, const text_list& note) {
    if (note.empty()) return;
    ++s.row;
    lines(s, note);
    ++s.row;
}

// An empty row, the heading line, the note's lines, an empty row.
void headed_note(sheet& s, std::string_view heading, const text_list& note) {
    if (note.empty()) return;
    ++s.row;
    left_label(s, s.row++, 0, heading);
    lines(s, note);
    ++s.row;
}

// The cell notes of one kind: the variables and values each refers to,
// then its text.
void cell_notes(sheet& s, const text_list& texts, bool optional) {
    for (std::size_t k = 0; k < texts.size(); ++k) {
        for (const variable& v : s.t.vars) {
            const cell_ref_list& refs = optional ? v.cellnote_refs : v.cellnotex_refs;
            if (k >= refs.size() || refs[k] < 0 || static_cast<std::size_t>(refs[k]) >= v.values.size()) continue;
            ++s.row;
            left_label(s, s.row++, 0, name_of(v));
            left_label(s, s.row++, 0, v.values[static_cast<std::size_t>(refs[k])].text);
        }
        note_block(s, strip_markup({texts[k]}, cell_note_width));
    }
}

void write_notes(sheet& s) {
    const table& t = s.t;
    note_block(s, t.notex);
    note_block(s, t.note);
    for (const variable& v : t.vars) {
        headed_note(s, name_of(v), v.notex);
        headed_note(s, name_of(v), v.note);
        for (const value& val : v.values) {
            headed_note(s, val.text, val.valuenotex);
            headed_note(s, val.text, val.valuenote);
        }
    }
    cell_notes(s, t.cellnotex_texts, false);
    cell_notes(s, t.cellnote_texts, true);
}

// ---------------------------------------------------------------------------

int convert(const std::string& path, const std::string& path2, std::string& symbols) {
    table t = table_new();
    // Keyed data sections are read by their keys along the way.
    if (const int rc = load_whole_table(path, t, codes::cannot_open); rc != 0) return rc;
    wrap_notes(t, note_width, true);

    std::string list = table_symbol_list(t);
    if (list.empty()) list = symbols;
    cell_formatter fmt = make_cell_formatter(t, list);

    wks::worksheet ws;
    if (wks::wks_open(ws, path2) != 0) return codes::cannot_open;

    sheet s(ws, t, fmt);
    s.precision = stored_decimals(t);
    s.rounding = rounding_flag(t, 0);
    write_frame(s, t.descriptiondefault == 1 ? t.description : t.title);
    write_headings(s);
    write_body(s);
    write_notes(s);
    // A sheet cut short by a full disk is no sheet: the caller hears of it.
    if (wks::wks_close(ws) != 0) return codes::cannot_open;
    symbols.swap(list);
    return 0;
}

}  // namespace

std::string table_symbol_list(const table& t) {
    const opt_string* own[8] = {&t.datasymbol[0], &t.datasymbol[1], &t.datasymbol[2], &t.datasymbol[3],
                                &t.datasymbol[4], &t.datasymbol[5], &t.datasymbolsum, &t.datasymbolnil};
    if (std::none_of(std::begin(own), std::end(own), [](const opt_string* o) { return o->has_value(); })) return {};
    std::string list;
    for (int k = 0; k < 8; ++k) {
        list += own[k]->has_value() ? std::string_view(**own[k]) : std::string_view(plain_symbols[k]);
        list += ';';
    }
    return list;
}

int lotkonv(const std::string& path, const std::string& path2, std::string& symbols) noexcept {
    return run_export("lotkonv", {}, [&] { return convert(path, path2, symbols); });
}

}  // namespace vt
