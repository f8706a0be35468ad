// The tab-separated exports RelTable and utgraph: a table as one line per
// stub row, laid out for databases, graph programs and spreadsheets.
//
// All three files share the row writer; they differ in the header and in
// how the rows label themselves:
//
//     relational   region <TAB> sex <TAB> 2001 <TAB> 2002 <TAB>        header
//                  north <TAB> men <TAB> 1 <TAB> 2                      rows
//     graph        <TAB> 2001, men <TAB> 2001, women                    header
//                  north#young <TAB> 1 <TAB> 2                          rows ("#" between levels)
//     matrix       region <TAB> 'a2001' <TAB> <TAB> 'a2002'           one line per heading variable:
//                  <TAB> 'amen' <TAB> 'awomen' <TAB> 'amen' ...       ' = the text delimiter, a = 0xA0
//                  north <TAB> 1 <TAB> 2 ...                            rows
//
// The cells are loaded into memory first (the input is closed before the
// output is created, so an output replacing its input is still whole); the
// rows are written straight from the data matrix, so nothing else grows with
// the table.
#include "export/delimited.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/ordered_write.h"
#include "core/outfile.h"
#include "core/table.h"
#include "export/batched.h"
#include "export/frame.h"
#include "platform/parallel.h"
#include "platform/text.h"
#include "platform/message.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";
constexpr char tab = '\t';

std::string_view name_of(const variable& v) { return v.name ? std::string_view(*v.name) : std::string_view(); }

// How the row writer labels and marks its rows.
struct row_layout {
    std::string_view stub_separator = "\t";
    bool repeat = true;  // every row carries the labels of all stub levels
    bool codes = true;   // DOUBLECOLUMN variables show code and text
    bool notes = true;   // data-note markers beside the numbers
    int note_place = 0;
};

// What every writer needs while it writes cells. Shared by the threads that
// format the rows, so nothing in it changes while they run.
struct cell_context {
    const table& t;
    const cell_formatter& fmt;
    int precision = 0;
    std::string_view decimal_point;
    int rounding = 0;
    const note_markers& markers;
};

// A stub variable's part of a row label for one value: its text, or with
// the code flag on a DOUBLECOLUMN variable the code and the text joined by
// TAB, the code first unless the variable presents its values as codes
// (PRESTEXT 0, where the text already holds the code).
std::string label_part(const variable& v, const value& val, bool codes) {
    if (!codes || v.doublecolumn != 1) return val.text;
    const std::string code = val.code ? *val.code : std::string();
    return v.prestext != 0 ? code + '\t' + val.text : val.text + '\t' + code;
}

// The label parts of every stub level and how many rows a value of each
// level spans, made once before the rows are formatted.
struct stub_parts {
    std::vector<std::vector<std::string>> parts;
    std::vector<std::int64_t> inner;
    std::int64_t rows = 1;

    stub_parts(const table& t, bool codes) : parts(t.stub_count()), inner(t.stub_count(), 1) {
        for (std::size_t k = parts.size(); k-- > 0;) {
            inner[k] = rows;
            rows *= std::max(1, t.vars[k].value_count);
            for (const value& val : t.vars[k].values) parts[k].push_back(label_part(t.vars[k], val, codes));
        }
    }
};

// Scratch texts of one piece of rows: each piece being formatted has its
// own, so the threads share nothing they write.
struct row_scratch {
    std::string number;
    std::string key;
};

// Appends row r: its label, then a TAB and a cell for each data column,
// then CR LF.
//
// The label joins one part per stub level with the stub separator between
// levels. Without `repeat`, an outer level's part is left empty on every row
// but the first of its block, so the fields keep their places.
void format_row(std::string& buf, std::int64_t r, const cell_context& cx, const row_layout& lay,
                const stub_parts& stub, row_scratch& scratch) {
    const table& t = cx.t;
    const std::size_t ns = stub.parts.size();
    if (ns == 0) {
        if (t.contents) buf.append(*t.contents);
    } else {
        for (std::size_t k = 0; k < ns; ++k) {
            if (k > 0) buf.append(lay.stub_separator);
            const bool shown = lay.repeat || k + 1 == ns || r % stub.inner[k] == 0;
            const auto& p = stub.parts[k];
            if (!shown || p.empty()) continue;
            buf.append(p[static_cast<std::size_t>((r / stub.inner[k]) % static_cast<std::int64_t>(p.size()))]);
        }
    }
    const std::int64_t ncols = cx.fmt.ncols;
    const double* data = t.data();
    std::int64_t cell = r * ncols;
    for (std::int64_t c = 0; c < ncols; ++c, ++cell) {
        buf.push_back(tab);
        const double v = data[cell];
        if (is_symbol_cell(v)) {
            buf.append(cell_symbol_text(cx.fmt, v));
            continue;
        }
        cell_format(cx.fmt, r, c, v, scratch.number, cx.precision, cx.decimal_point, cx.rounding);
        if (lay.notes) {
            piece_text piece{buf};
            cx.markers.write_number(piece, cell, scratch.number, lay.note_place, scratch.key);
        } else {
            buf.append(scratch.number);
        }
    }
    buf.append(crlf);
}

// About this many cells go into one piece of rows: enough that handing a
// piece over costs nothing beside formatting it, few enough that the pieces
// in flight stay a few hundred kilobytes.
constexpr std::int64_t cells_per_piece = 1 << 14;

// Writes the data rows, per stub row (first stub variable slowest) one
// line; a table without stub variables gives one line beginning with its
// contents. The rows are formatted in pieces on all the threads the process
// may use and written in order, so the bytes are those of one thread.
void write_rows(out_file& out, const cell_context& cx, const row_layout& lay) {
    const stub_parts stub(cx.t, lay.codes);
    const unsigned threads = plat::thread_count();
    const std::int64_t nrows = stub.rows;
    const std::int64_t per_piece = rows_per_piece(nrows, cx.fmt.ncols, threads, cells_per_piece);
    const auto pieces = static_cast<std::size_t>((nrows + per_piece - 1) / per_piece);
    write_in_order(out, pieces, threads, [&](std::size_t piece, std::string& buf) {
        row_scratch scratch;
        const std::int64_t first = static_cast<std::int64_t>(piece) * per_piece;
        const std::int64_t last = std::min(nrows, first + per_piece);
        for (std::int64_t r = first; r < last; ++r) format_row(buf, r, cx, lay, stub, scratch);
    });
}

// The relational header: the stub variables' names (a "Code" column before
// a DOUBLECOLUMN variable), then the first heading variable's values or the
// contents, every field followed by TAB.
void write_relational_header(out_file& out, const table& t) {
    for (std::size_t k = 0; k < t.stub_count(); ++k) {
        const variable& v = t.vars[k];
        if (v.doublecolumn == 1) {
            out.write("Code ");
            out.write(name_of(v));
            out.put(tab);
        }
        out.write(name_of(v));
        out.put(tab);
    }
    if (t.has_heading()) {
        for (const value& val : t.vars[t.heading].values) {
            out.write(val.text);
            out.put(tab);
        }
    } else {
        if (t.contents) out.write(*t.contents);
        out.put(tab);
    }
    out.write(crlf);
}

// The graph header: a TAB, then per data column the texts of its heading
// values joined by ", ", the columns separated by TAB.
void write_graph_header(out_file& out, const table& t, std::int64_t ncols) {
    const std::size_t first = t.stub_count();
    const std::size_t nh = t.heading_count();
    // A heading value spans the columns its later heading variables combine
    // to: its variable's stride.
    auto span = [&](std::size_t h) { return t.vars[first + h].stride; };
    out.put(tab);
    for (std::int64_t c = 0; c < ncols; ++c) {
        if (c > 0) out.put(tab);
        for (std::size_t h = 0; h < nh; ++h) {
            const auto& vals = t.vars[first + h].values;
            if (h > 0) out.write(", ");
            out.write(vals[static_cast<std::size_t>((c / span(h)) % static_cast<std::int64_t>(vals.size()))].text);
        }
    }
    out.write(crlf);
}

// The matrix header: one line per heading variable. The stub columns come
// first (the names on the first line only, an extra TAB for the code column
// of a DOUBLECOLUMN variable); then each value label, once per combination
// of the earlier heading variables, stands over the first of the columns it
// spans, between text delimiters and marked by the byte 0xA0 so that a
// spreadsheet keeps a label such as 2001 as text.
void write_matrix_header(out_file& out, const table& t, std::string_view text_delimiter) {
    const std::size_t first = t.stub_count();
    const std::size_t nh = t.heading_count();
    // A heading value spans the columns its later heading variables combine
    // to: its variable's stride.
    auto span = [&](std::size_t h) { return t.vars[first + h].stride; };
    std::int64_t repeats = 1;
    for (std::size_t h = 0; h < nh; ++h) {
        for (std::size_t k = 0; k < first; ++k) {
            if (h == 0) out.write(name_of(t.vars[k]));
            out.put(tab);
            if (t.vars[k].doublecolumn == 1) out.put(tab);
        }
        const variable& v = t.vars[first + h];
        bool any = false;
        for (std::int64_t rep = 0; rep < repeats; ++rep) {
            for (const value& val : v.values) {
                if (any) out.put(tab);
                any = true;
                out.write(text_delimiter);
                out.put('\xA0');
                out.write(val.text);
                out.write(text_delimiter);
                for (std::int64_t i = 1; i < span(h); ++i) out.put(tab);
            }
        }
        out.write(crlf);
        repeats *= std::max(1, v.value_count);
    }
}

enum class layout_kind { relational, graph, matrix };

// The graph layouts by the last three characters of the output's name;
// false for any other name.
bool graph_kind(const std::string& path2, layout_kind& kind) noexcept {
    if (plat::ends_with_nocase(path2, "gra"))
        kind = layout_kind::graph;
    else if (plat::ends_with_nocase(path2, "txt") || plat::ends_with_nocase(path2, "mtx"))
        kind = layout_kind::matrix;
    else
        return false;
    return true;
}

// Writes the loaded table `t` (read from `path`) in layout `kind` to
// `path2`, its symbols printed with fmt's texts.
int write_layout(layout_kind kind, const table& t, cell_formatter& fmt, const std::string& path,
                 const std::string& path2, const std::string& decimal_point, const std::string& text_delimiter,
                 int iteration, int rounding, int note_place) {
    out_file out;
    if (!open_output(out, path2)) return codes::cannot_open;

    if (kind == layout_kind::graph)
        for (std::string& s : fmt.symbol_texts) s = "0";

    // The graph file carries no markers: it writes no notes file either.
    note_markers markers;
    if (kind != layout_kind::graph) markers.prepare(t, path, path2);

    cell_context cx{t, fmt, stored_decimals(t), decimal_point, rounding_flag(t, rounding), markers};
    row_layout lay;
    lay.note_place = note_place;
    switch (kind) {
    case layout_kind::relational:
        write_relational_header(out, t);
        break;
    case layout_kind::graph:
        write_graph_header(out, t, fmt.ncols);
        lay.stub_separator = "#";
        lay.repeat = iteration != 0;
        lay.codes = false;
        lay.notes = false;
        break;
    case layout_kind::matrix:
        write_matrix_header(out, t, text_delimiter);
        lay.repeat = iteration != 0;
        break;
    }
    write_rows(out, cx, lay);
    return out.close() ? 0 : codes::cannot_open;
}

int convert(layout_kind kind, const std::string& path, const std::string& path2, const std::string& decimal_point,
            const std::string& text_delimiter, int iteration, const std::string& symbols, int rounding,
            int note_place) {
    table t = table_new();
    if (const int rc = load_whole_table(path, t, codes::cannot_open); rc != 0) return rc;
    cell_formatter fmt = make_cell_formatter(t, symbols);
    return write_layout(kind, t, fmt, path, path2, decimal_point, text_delimiter, iteration, rounding, note_place);
}

}  // namespace

int RelTable(const std::string& path, const std::string& path2, const std::string& decimal_point,
             const std::string& text_delimiter, int iteration, const std::string& symbols, int rounding,
             int note_place) noexcept {
    return run_export("RelTable", {}, [&] {
        if (!path.empty() && path[0] == '*') return 0;
        return convert(layout_kind::relational, path, path2, decimal_point, text_delimiter, iteration, symbols,
                       rounding, note_place);
    });
}

int utgraph(const std::string& path, const std::string& path2, const std::string& decimal_point,
            const std::string& text_delimiter, int iteration, const std::string& symbols, int rounding,
            int note_place) noexcept {
    return run_export("utgraph", {}, [&] {
        if (!path.empty() && path[0] == '*') return 0;
        layout_kind kind;
        if (!graph_kind(path2, kind)) return codes::cannot_open;
        return convert(kind, path, path2, decimal_point, text_delimiter, iteration, symbols, rounding,
                       note_place);
    });
}

bool graph_file_name(const std::string& path2) noexcept {
    layout_kind kind;
    return graph_kind(path2, kind);
}

int write_graph_file(const table& t, const std::string& input, const std::string& path2,
                     const std::string& decimal_point, const std::string& text_delimiter, int iteration,
                     const std::string (&symbol_texts)[8], int rounding, int note_place, int mode) noexcept {
    return run_export("utgraph", {}, [&] {
        layout_kind kind;
        if (!graph_kind(path2, kind)) return codes::cannot_open;
        cell_formatter fmt = make_cell_formatter(t);
        for (std::size_t n = 0; n < 8; ++n) fmt.symbol_texts[n] = symbol_texts[n];
        return write_layout(kind, t, fmt, input, path2, decimal_point, text_delimiter, iteration, rounding,
                            mode == 0 ? 0 : note_place);
    });
}

}  // namespace vt
