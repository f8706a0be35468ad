// The HTML pages (htmkonv, htmkonv2): a table as one HTML 4.01 page.
//
// The page, every line ending in CR LF (cells follow each other without
// one):
//
//     <!DOCTYPE ...><HTML>
//     <HEAD>
//     <TITLE>title</TITLE>
//     </HEAD>
//     <BODY>
//     <TABLE>                                   <TABLE BORDER> in the second layout
//     <TR ALIGN=LEFT>                           caption row
//     <TH COLSPAN=all columns>title</TH>
//     </TR>
//     <TR ALIGN=LEFT>                           one row per heading variable:
//     <TH> </TH>                                the corner over the stub column(s),
//     <TH VALIGN=TOP COLSPAN=span>value</TH>    each value over the columns it spans
//     ...
//     </TR>
//     <TR ALIGN=RIGHT>                          body rows: stub header cells,
//     <TH ALIGN=LEFT VALIGN=TOP>value</TH>      then the cells of the row
//     <td nowrap>12.5</td><td nowrap>..</td></TR>
//     ...
//     <TR ALIGN=LEFT>                           notes row, present even without notes
//     <TD COLSPAN=all columns>note<BR>
//     next note
//     </TD>
//     </TR>
//     </TABLE>
//     </BODY>
//     </HTML>                                   no line end after the last tag
//
// The two layouts differ only in the table tag, the corner cells and the
// stub header cells. Texts go out as stored: the pages carry no escaping.
// The rows are formatted from the loaded data matrix in pieces on all the
// threads allowed and written in order, so the page is the same for any
// number of threads and the writer holds only a few pieces at a time.
#include "export/html.h"

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/notes.h"
#include "core/ordered_write.h"
#include "core/outfile.h"
#include "core/table.h"
#include "export/frame.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";

// Notes are cut only where their texts force a line break: at this width a
// note practically never reaches the limit.
constexpr int note_width = 1000;

enum class stub_layout {
    one_column,           // htmkonv: all stub values in one column, a row per level
    column_per_variable,  // htmkonv2: a column per stub variable, outer values spanning rows
};

// Everything the page writer needs while it writes one page. The body
// rows are formatted in pieces on several threads at once: they only read
// this; what a piece writes and its scratch strings are its own.
struct page {
    page(const table& tab, stub_layout l, const cell_formatter& f) : t(tab), layout(l), fmt(f) {}

    const table& t;
    stub_layout layout;
    const cell_formatter& fmt;
    cell_style style;
    int noteplace = 0;
    note_markers markers;

    std::size_t nstub = 0;
    std::int64_t ncols = 1;
    std::int64_t nrows = 1;
    std::int64_t total_columns = 1;
    // Rows per value of each stub variable: the product of the value counts
    // of the stub variables after it.
    std::vector<std::int64_t> inner;

    bool any_note = false;  // notes row, written by the calling thread alone
};

// The output of one piece of the page and the scratch of its cell writer.
struct piece {
    piece_text o;
    std::string cell;
    std::string key;
};

// A list of lines (a title, a note): lines separated by "<BR>" and a line
// end. A "#" ending a line marked a forced break, which the "<BR>" now
// makes; a blank stands in its place.
void write_lines(piece_text& out, const text_list& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out.write("<BR>");
            out.write(crlf);
        }
        std::string_view line = lines[i];
        if (!line.empty() && line.back() == '#') {
            line.remove_suffix(1);
            out.write(line);
            out.put(' ');
        } else {
            out.write(line);
        }
    }
}

// The title lines: the description when the table asks for it as its
// default title, else the title.
const text_list& title_lines(const table& t) { return t.descriptiondefault == 1 ? t.description : t.title; }

void write_head(const page& p, piece_text& o) {
    o.write("<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'>");
    o.write("<HTML>");
    o.write(crlf);
    o.write("<HEAD>");
    o.write(crlf);
    o.write("<TITLE>");
    write_lines(o, title_lines(p.t));
    o.write("</TITLE>");
    o.write(crlf);
    o.write("</HEAD>");
    o.write(crlf);
    o.write("<BODY>");
    o.write(crlf);
    o.write(p.layout == stub_layout::one_column ? "<TABLE>" : "<TABLE BORDER>");
    o.write(crlf);
}

void write_caption_row(const page& p, piece_text& o) {
    o.write("<TR ALIGN=LEFT>");
    o.write(crlf);
    o.write("<TH COLSPAN=");
    o.write_int(p.total_columns);
    o.write(">");
    write_lines(o, title_lines(p.t));
    o.write("</TH>");
    o.write(crlf);
    o.write("</TR>");
    o.write(crlf);
}

// The cell over the stub column(s) at the start of a heading row.
void write_corner(const page& p, piece_text& o) {
    if (p.nstub == 0) return;
    if (p.layout == stub_layout::one_column) {
        o.write("<TH>");
        o.write(" ");
        o.write("</TH>");
    } else {
        o.write("<TH COLSPAN=");
        o.write_int(static_cast<long long>(p.nstub));
        o.write("> ");
        o.write("</TH>");
    }
    o.write(crlf);
}

// One row per heading variable. Each value heads the columns of its span
// (the variable's stride); the values repeat once per value combination of
// the heading variables before it.
void write_heading_rows(const page& p, piece_text& o) {
    std::int64_t repeat = 1;
    for (std::size_t h = p.nstub; h < p.t.vars.size(); ++h) {
        const variable& v = p.t.vars[h];
        o.write("<TR ALIGN=LEFT>");
        o.write(crlf);
        write_corner(p, o);
        for (std::int64_t r = 0; r < repeat; ++r)
            for (const value& val : v.values) {
                o.write("<TH VALIGN=TOP COLSPAN=");
                o.write_int(v.stride);
                o.write(">");
                o.write(val.text);
                o.write("</TH>");
                o.write(crlf);
            }
        repeat *= static_cast<std::int64_t>(v.values.size());
        o.write("</TR>");
        o.write(crlf);
    }
}

void start_body_row(piece_text& o) {
    o.write("<TR ALIGN=RIGHT>");
    o.write(crlf);
}

// Data cells [first, end) of row `row`: a symbol text or the number with
// the decimals shown at its row and column, and the cell's data-note marker
// after the value (or before it when asked). A symbol cell carries its
// marker too: the note often says why the value is missing.
void write_cells(const page& p, piece& w, std::int64_t row, std::int64_t first, std::int64_t end) {
    const double* data = p.t.data();
    for (std::int64_t c = first; c < end; ++c) {
        const std::int64_t cell = row * p.ncols + c;
        format_cell(p.fmt, row, c, data[cell], p.style, w.cell);
        w.o.write("<td nowrap>");
        p.markers.write_number(w.o, cell, w.cell, p.noteplace, w.key);
        w.o.write("</td>");
    }
}

void end_body_row(piece_text& o) {
    o.write("</TR>");
    o.write(crlf);
}

// The stub header cells in front of data row r of the one-column layout.
// Every value that starts at this row gets a row of its own; the rows of
// the outer levels hold only their header, the innermost one the cells.
void write_headers_one_column(const page& p, piece_text& o, std::int64_t r) {
    for (std::size_t k = 0; k < p.nstub; ++k) {
        if (r % p.inner[k] != 0) continue;
        const variable& v = p.t.vars[k];
        const std::int64_t n = static_cast<std::int64_t>(v.values.size());
        start_body_row(o);
        o.write("<TH ALIGN=LEFT VALIGN=TOP>");
        o.write(v.values[static_cast<std::size_t>((r / p.inner[k]) % n)].text);
        o.write("</TH>");
        o.write(crlf);
        if (k + 1 < p.nstub) end_body_row(o);
    }
}

// The stub header cells of data row r of the column-per-variable layout.
// An outer value starting at this row gets a header cell spanning all its
// rows; such cells share the row of the first innermost value below them,
// so a new row starts only at the first stub variable or at a value that is
// not the first of its variable.
void write_headers_per_variable(const page& p, piece_text& o, std::int64_t r) {
    for (std::size_t k = 0; k < p.nstub; ++k) {
        if (r % p.inner[k] != 0) continue;
        const variable& v = p.t.vars[k];
        const std::int64_t n = static_cast<std::int64_t>(v.values.size());
        const std::int64_t val = (r / p.inner[k]) % n;
        const std::string& text = v.values[static_cast<std::size_t>(val)].text;
        const bool last = k + 1 == p.nstub;
        if (!last) {
            if (k == 0 || val != 0) start_body_row(o);
            o.write("<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=");
            o.write_int(p.inner[k]);
            o.write(">");
        } else {
            if (val != 0 || p.nstub == 1) start_body_row(o);
            o.write("<TH ALIGN=LEFT>");
        }
        o.write(text);
        o.write("</TH>");
        o.write(crlf);
    }
}

// One piece of the body: its rows, or its stretch of a long row. The row's
// headers go with its first stretch, the row's end with its last.
void write_body_piece(const page& p, const cell_pieces::span& s, piece& w) {
    for (std::int64_t r = s.first_row; r < s.end_row; ++r) {
        if (s.first_col == 0) {
            if (p.nstub == 0)
                start_body_row(w.o);
            else if (p.layout == stub_layout::one_column)
                write_headers_one_column(p, w.o, r);
            else
                write_headers_per_variable(p, w.o, r);
        }
        write_cells(p, w, r, s.first_col, s.end_col);
        if (s.end_col == p.ncols) end_body_row(w.o);
    }
}

// The body rows, formatted in pieces on all the threads allowed and written
// in order. A table without stub variables has one row of cells.
void write_body(const page& p, out_file& out) {
    const cell_pieces pieces(p.nstub == 0 ? 1 : p.nrows, p.ncols);
    write_in_order(out, pieces.count(), plat::thread_count(), [&](std::size_t i, std::string& buf) {
        piece w{piece_text{buf}, {}, {}};
        write_body_piece(p, pieces.at(i), w);
    });
}

// One note of the notes row. The first note opens the row's only cell;
// every later one starts on a new line. An empty note writes nothing.
void write_note(page& p, piece_text& o, const text_list& lines) {
    if (lines.empty()) return;
    if (!p.any_note) {
        o.write("<TD COLSPAN=");
        o.write_int(p.total_columns);
        o.write(">");
        p.any_note = true;
    } else {
        o.write("<BR>");
        o.write(crlf);
    }
    write_lines(o, lines);
}

// The notes row: table notes, then per variable its notes and those of its
// values, then the cell notes, the mandatory kind before the optional one
// at each place. The row is written even when there is no note.
void write_notes_row(page& p, piece_text& o) {
    o.write("<TR ALIGN=LEFT>");
    o.write(crlf);
    const table& t = p.t;
    write_note(p, o, t.notex);
    write_note(p, o, t.note);
    for (const variable& v : t.vars) {
        write_note(p, o, v.notex);
        write_note(p, o, v.note);
        for (const value& val : v.values) {
            write_note(p, o, val.valuenotex);
            write_note(p, o, val.valuenote);
        }
    }
    for (const text_list* cellnotes : {&t.cellnotex_texts, &t.cellnote_texts})
        for (const std::string& s : *cellnotes) write_note(p, o, wrap_text(text_list{s}, note_width));
    if (p.any_note) {
        o.write(crlf);
        o.write("</TD>");
    }
    o.write(crlf);
    o.write("</TR>");
    o.write(crlf);
}

void write_tail(piece_text& o) {
    o.write("</TABLE>");
    o.write(crlf);
    o.write("</BODY>");
    o.write(crlf);
    o.write("</HTML>");
}

// The page: the parts before and after the body are small and written by
// this thread; the body goes through the pieces.
void write_page(page& p, out_file& out) {
    std::string text;
    piece_text o{text};
    write_head(p, o);
    write_caption_row(p, o);
    write_heading_rows(p, o);
    out.write(text);
    write_body(p, out);
    text.clear();
    write_notes_row(p, o);
    write_tail(o);
    out.write(text);
}

int convert(const std::string& path, const std::string& path2, const std::string& text, int a, int b,
            stub_layout layout) {
    table t = table_new();
    if (const int rc = load_whole_table(path, t, codes::cannot_open); rc != 0) return rc;
    wrap_notes(t, note_width, false);

    out_file file;
    if (!open_output(file, path2)) return codes::cannot_open;

    const cell_formatter fmt = make_cell_formatter(t, text);
    page p(t, layout, fmt);
    p.noteplace = b;
    // Pages always use the decimal point and never group thousands.
    p.style = export_cell_style(t, ".", a, 0);
    p.markers.prepare(t, path, path2);

    p.nstub = t.stub_count();
    p.ncols = fmt.ncols;
    p.nrows = fmt.nrows;
    p.total_columns = p.ncols;
    if (p.nstub > 0) p.total_columns += layout == stub_layout::one_column ? 1 : static_cast<std::int64_t>(p.nstub);
    p.inner.assign(p.nstub, 1);
    for (std::size_t k = p.nstub; k-- > 1;)
        p.inner[k - 1] = p.inner[k] * static_cast<std::int64_t>(t.vars[k].values.size());

    write_page(p, file);
    // A page cut short by a full disk is no page: the caller hears of it.
    return file.close() ? 0 : codes::cannot_open;
}

int run(const char* name, const std::string& path, const std::string& path2, const std::string& text, int a,
        int b, stub_layout layout) noexcept {
    return run_export(name, {}, [&] { return convert(path, path2, text, a, b, layout); });
}

}  // namespace

int htmkonv(const std::string& path, const std::string& path2, const std::string& text, int a, int b) noexcept {
    return run("htmkonv", path, path2, text, a, b, stub_layout::one_column);
}

int htmkonv2(const std::string& path, const std::string& path2, const std::string& text, int a, int b) noexcept {
    return run("htmkonv2", path, path2, text, a, b, stub_layout::column_per_variable);
}

}  // namespace vt
