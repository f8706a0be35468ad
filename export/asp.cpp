// The ASP page fragment writer (AspConv): a table as a classed HTML table.
//
// The fragment looks like this (every line ends in CR LF; S stub columns,
// H heading variables, N = data columns + S):
//
//     <table class="vttable">
//     <tr>
//     <th class="title" colspan="N">Title line </th>
//     </tr>
//     <tr>
//     <th class="headfirst" colspan="S" rowspan="H">&nbsp;</th>
//     <th class="headfirst" colspan="span">value</th>          one per value
//     </tr>
//     <tr><th class="headmid" ...>...</tr>                      further heading rows
//     <tr><td class="stub1" ...>value</td><td nowrap>cell</td>...</tr>
//     ...
//     notes: a footnote row and </table>, or </table> and the span block
//
// Stub cells carry the class "stub" + their depth, and for a variable with
// a hierarchy "h" + the value's level in it, so the page's style sheet can
// indent them. With stub type 1 all stub variables share one column and an
// outer value gets a row of its own, padded with empty cells; otherwise
// every stub variable has its own column and an outer value's cell spans
// the rows of its inner values.
//
// Rows are formatted straight from the data matrix in pieces on all the
// threads allowed and written in order; nothing grows with the number of
// rows. When rows are filtered (nozero), whether a row
// is kept follows from its cells alone, so an outer value is written with
// its first kept row and spans exactly the kept rows below it.
#include "export/asp.h"

#include <charconv>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/cells.h"
#include "core/datasec.h"
#include "core/notes.h"
#include "core/ordered_write.h"
#include "core/outfile.h"
#include "core/table.h"
#include "platform/codepage.h"
#include "export/frame.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";

// Notes are cut at this width: wide enough that in practice a text is only
// cut where its author put a line break ("#"), since the browser wraps the
// lines itself.
constexpr int note_width = 1000;

// The name of the unnamed sort variable in the notes.
constexpr std::string_view sort_name = "$$SORT";

// Which rows the body keeps (the nozero argument).
enum class row_filter { all, nonzero, numbers };

row_filter filter_of(int nozero) {
    if (nozero == 1 || nozero == 2) return row_filter::nonzero;
    if (nozero == 3) return row_filter::numbers;
    return row_filter::all;
}

struct options {
    bool one_stub_column = true;  // stub type 1
    int completeinfo = 0;
    row_filter filter = row_filter::all;
    std::string guilang;
    bool uppercase = false;
    int noteplace = 0;
};

// A value as shown in a label: the presentation of its variable (2: code,
// blank, text; 3: text, blank, code; otherwise the text alone; a value
// without a code shows its text), the text upper-cased on request.
std::string value_label(const variable& v, const value& val, bool upper) {
    std::string text = val.text;
    if (upper) plat::ansi_upper(text);
    if (!val.code) return text;
    if (v.prestext == 2) return *val.code + " " + text;
    if (v.prestext == 3) return text + " " + *val.code;
    return text;
}

// The position of the value that a hierarchy entry names (by text, else
// by code), or -1.
int find_value(const variable& v, std::string_view name) {
    for (std::size_t i = 0; i < v.values.size(); ++i)
        if (v.values[i].text == name) return static_cast<int>(i);
    for (std::size_t i = 0; i < v.values.size(); ++i)
        if (v.values[i].code && *v.values[i].code == name) return static_cast<int>(i);
    return -1;
}

// The level of every value of a variable with a hierarchy (empty for one
// without): the first value is level 1 and the second level 2; a later value
// whose parent is the value before it goes one level deeper, one that shares
// its parent with an earlier value stands on that value's level. A value
// whose parent is found only further up stands one below that parent, and
// one the hierarchy does not place at all is level 1, so every value gets a
// level however the entries are ordered.
std::vector<int> hierarchy_levels(const variable& v) {
    std::vector<int> levels;
    if (v.has_hierarchy != 1 || v.hierarchies.empty()) return levels;
    const std::size_t n = v.values.size();
    std::vector<int> parent(n, -1);
    std::vector<bool> placed(n, false);
    for (const hierarchy_link& link : v.hierarchies) {
        const int child = find_value(v, link.child);
        if (child < 0 || placed[static_cast<std::size_t>(child)]) continue;
        placed[static_cast<std::size_t>(child)] = true;
        parent[static_cast<std::size_t>(child)] = find_value(v, link.parent);
    }
    levels.assign(n, 1);
    for (std::size_t i = 1; i < n; ++i) {
        if (i == 1) {
            levels[i] = 2;
            continue;
        }
        const int p = parent[i];
        if (p < 0) continue;
        if (static_cast<std::size_t>(p) == i - 1) {
            levels[i] = levels[i - 1] + 1;
            continue;
        }
        bool sibling = false;
        for (std::size_t j = i - 1; j-- > 0;) {
            if (parent[j] == p) {
                levels[i] = levels[j];
                sibling = true;
                break;
            }
        }
        if (!sibling && static_cast<std::size_t>(p) < i) levels[i] = levels[static_cast<std::size_t>(p)] + 1;
    }
    return levels;
}

// The lines of a note as one piece of HTML: a line that ends in the line
// break mark "#" ends in "<BR>" instead, and the lines are joined by
// `separator`.
std::string note_html(const text_list& lines, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += separator;
        std::string_view s = lines[i];
        if (!s.empty() && s.back() == '#') {
            s.remove_suffix(1);
            out += s;
            out += "<BR>";
        } else {
            out += s;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Contents information, shared by the footnote row and the span block.

enum class info_kind {
    lastupdated, source, contact, copyright, unit, stockfa, refperiod, baseperiod, cfprices, dayadj, seasadj,
    database
};

// One item of the contents information: its text lines (none for the items
// that only say YES), the kind letter of STOCKFA and CFPRICES, and the
// contents value when the table gives the item per contents value.
struct info_item {
    text_list text;
    char letter = ' ';
    const std::string* content = nullptr;
};

// The items of one kind. A table with a contents variable gives the
// per-content items of every record that has them; otherwise the first
// record's (UNITS falling back to the table's own, so a table never loses
// its unit). SOURCE, COPYRIGHT and DATABASE belong to the whole table.
std::vector<info_item> info_items(const table& t, info_kind kind) {
    std::vector<info_item> items;
    switch (kind) {
    case info_kind::source:
        if (!t.source.empty()) items.push_back({t.source, ' ', nullptr});
        return items;
    case info_kind::database:
        if (!t.database.empty()) items.push_back({t.database, ' ', nullptr});
        return items;
    case info_kind::copyright:
        if (t.copyright == 1) items.push_back({});
        return items;
    default:
        break;
    }
    auto item_of = [kind](const continfo& c, info_item& out) {
        switch (kind) {
        case info_kind::lastupdated:
            if (!c.last_updated) return false;
            out.text = {*c.last_updated};
            return true;
        case info_kind::contact:
            out.text = c.contact;
            return !c.contact.empty();
        case info_kind::unit:
            if (!c.units) return false;
            out.text = {*c.units};
            return true;
        case info_kind::stockfa:
            out.letter = c.stockfa;
            return c.stockfa == 'A' || c.stockfa == 'F' || c.stockfa == 'S';
        case info_kind::refperiod:
            out.text = c.refperiod;
            return !c.refperiod.empty();
        case info_kind::baseperiod:
            out.text = c.baseperiod;
            return !c.baseperiod.empty();
        case info_kind::cfprices:
            out.letter = c.cfprices;
            return c.cfprices == 'C' || c.cfprices == 'F';
        case info_kind::dayadj: return c.dayadj == 1;
        case info_kind::seasadj: return c.seasadj == 1;
        default: return false;
        }
    };
    if (t.contvariable) {
        for (const continfo& c : t.continfos) {
            info_item it;
            if (!item_of(c, it)) continue;
            it.content = c.content ? &*c.content : nullptr;
            items.push_back(std::move(it));
        }
        if (!items.empty()) return items;
    }
    info_item it;
    if (!t.continfos.empty() && item_of(t.continfos.front(), it)) {
        items.push_back(std::move(it));
    } else if (kind == info_kind::unit && t.units) {
        items.push_back({{*t.units}, ' ', nullptr});
    }
    return items;
}

// ---------------------------------------------------------------------------
// The fragment.

// A text of the table, raw as the page expects it, except that it can never
// open or close a block of server code: "<%" and "%>" inside it are written
// as "&lt;%" and "%&gt;".
void server_safe(piece_text& o, std::string_view s) {
    for (std::size_t at = 0;;) {
        const std::size_t open = s.find("<%", at), close = s.find("%>", at);
        const std::size_t k = std::min(open, close);
        if (k == std::string_view::npos) {
            o.write(s.substr(at));
            return;
        }
        o.write(s.substr(at, k - at));
        o.write(k == open ? "&lt;%" : "%&gt;");
        at = k + 2;
    }
}

// What one piece of the body writes into and keeps while it writes its
// rows: the pieces are formatted on several threads at once.
struct body_piece {
    piece_text o;
    std::string cell;
    std::string key;
    // Per stub level: the block whose outer cell was written last.
    std::vector<std::int64_t> written_block;
};

struct stub_level {
    const variable* var = nullptr;
    std::int64_t inner = 1;         // rows per value: product of the later stub counts
    std::int64_t count = 1;         // the variable's number of values
    std::vector<std::string> labels;
    std::vector<int> levels;        // hierarchy level per value; empty without a hierarchy
};

class fragment {
public:
    fragment(table& t, const options& o, out_file& f, const cell_formatter& fmt, const cell_style& style,
             const note_markers& markers)
        : t_(t), o_(o), f_(f), fmt_(fmt), style_(style), markers_(markers) {}

    void write();

private:
    void prepare();
    void write_title();
    void write_heading();
    void write_body();
    void write_piece(const cell_pieces::span& s, std::int64_t kept_before, bool stretch_kept, body_piece& w) const;
    void write_row(std::int64_t r, body_piece& w) const;
    void write_outer_row(std::size_t k, std::int64_t r, piece_text& o) const;
    void write_stub_cell(std::size_t k, std::int64_t r, std::int64_t rowspan, piece_text& o) const;
    void write_cells(std::int64_t r, std::int64_t first, std::int64_t end, body_piece& w) const;
    bool keeps(std::int64_t r) const;
    std::int64_t kept_rows(std::int64_t first, std::int64_t count) const;
    std::int64_t last_kept(std::int64_t first, std::int64_t end) const;

    void write_footnote_row();
    void footnote(const text_list& lines);
    void footnote_item(std::string_view label, const info_item& item);
    void footnote_items(info_kind kind, std::string_view label);
    void open_footnote_row();

    void write_span_block();
    void span(std::string_view name, std::string_view suffix, std::string_view text, bool own = false);
    void code_span(std::string_view name, std::string_view suffix, std::string_view expression) {
        span(name, suffix, expression, true);
    }
    void info_spans(info_kind kind, std::string_view name, std::string_view key);

    // The fragment's own markup and server code, and the texts of the table
    // (see server_safe), outside the body: gathered in text_ and handed to
    // the file before and after the body.
    void put(std::string_view s) { out_.write(s); }
    void text(std::string_view s) { server_safe(out_, s); }
    void put_int(long long v) { out_.write_int(v); }
    void flush_text() {
        f_.write(text_);
        text_.clear();
    }
    std::string value_text(const value& val) const {
        std::string s = val.text;
        if (o_.uppercase) plat::ansi_upper(s);
        return s;
    }
    std::string_view var_name(const variable& v) const { return v.name ? std::string_view(*v.name) : sort_name; }

    table& t_;
    const options& o_;
    out_file& f_;
    const cell_formatter& fmt_;
    const cell_style& style_;
    const note_markers& markers_;
    std::string text_;
    piece_text out_{text_};

    std::vector<stub_level> stub_;
    std::int64_t nrows_ = 1;
    std::int64_t ncols_ = 1;
    std::int64_t stub_columns_ = 1;
    bool footnote_open_ = false;
};

void fragment::prepare() {
    const std::size_t ns = t_.stub_count();
    stub_.resize(ns);
    std::int64_t inner = 1;
    for (std::size_t k = ns; k-- > 0;) {
        stub_level& s = stub_[k];
        s.var = &t_.vars[k];
        s.inner = inner;
        s.count = std::max(1, s.var->value_count);
        inner *= s.count;
        for (const value& val : s.var->values) s.labels.push_back(value_label(*s.var, val, o_.uppercase));
        s.levels = hierarchy_levels(*s.var);
    }
    nrows_ = inner;
    ncols_ = 1;
    for (std::size_t h = ns; h < t_.vars.size(); ++h) ncols_ *= std::max(1, t_.vars[h].value_count);
    // A table without stub variables still writes one empty stub cell per
    // row, so it has one stub column whatever the stub type.
    stub_columns_ = o_.one_stub_column || ns == 0 ? 1 : static_cast<std::int64_t>(ns);
}

void fragment::write() {
    prepare();
    put("<table class=\"vttable\">");
    put(crlf);
    put("<tr>");
    put(crlf);
    write_title();
    write_heading();
    flush_text();
    write_body();
    if (o_.completeinfo == 9) {
        put("</table>");
        put(crlf);
        write_span_block();
    } else if (o_.completeinfo > 0) {
        write_footnote_row();
    } else {
        put("</table>");
        put(crlf);
    }
    flush_text();
}

void fragment::write_title() {
    put("<th class=\"title\" colspan=\"");
    put_int(ncols_ + stub_columns_);
    put("\">");
    // The description stands in for the title when the table says so (and
    // has one: a page without its heading text would be worse).
    const text_list& lines = t_.descriptiondefault == 1 && !t_.description.empty() ? t_.description : t_.title;
    for (const std::string& s : lines) {
        text(s);
        put(" ");
    }
    put("</th>");
    put(crlf);
    put("</tr>");
    put(crlf);
}

// One row per heading variable; each value spans the columns of the
// combinations of the later heading variables and repeats once for every
// combination of the earlier ones.
void fragment::write_heading() {
    const std::size_t first = t_.stub_count();
    const std::size_t nh = t_.heading_count();
    std::int64_t repeat = 1;
    for (std::size_t h = 0; h < nh; ++h) {
        const variable& v = t_.vars[first + h];
        const std::string_view place = h == 0 ? "first" : h + 1 == nh ? "last" : "mid";
        std::int64_t span = 1;
        for (std::size_t g = h + 1; g < nh; ++g) span *= std::max(1, t_.vars[first + g].value_count);
        put("<tr>");
        if (h == 0) {
            put(crlf);
            put("<th class=\"headfirst\" colspan=\"");
            put_int(stub_columns_);
            put("\" rowspan=\"");
            put_int(static_cast<long long>(nh));
            put("\">&nbsp;</th>");
            put(crlf);
        }
        std::vector<std::string> labels;
        labels.reserve(v.values.size());
        for (const value& val : v.values) labels.push_back(value_label(v, val, o_.uppercase));
        for (std::int64_t i = 0; i < repeat; ++i) {
            for (const std::string& label : labels) {
                put("<th class=\"head");
                put(place);
                put("\" colspan=\"");
                put_int(span);
                put("\">");
                text(label);
                put("</th>");
                put(crlf);
            }
        }
        put("</tr>");
        put(crlf);
        repeat *= std::max(1, v.value_count);
    }
}

// ---------------------------------------------------------------------------
// Body.

// Whether the filter keeps row r: any non-zero number or dot symbol keeps
// it (nozero 1, 2), any number at all, zero included (nozero 3). The dash
// (a true nil) never keeps a row.
bool fragment::keeps(std::int64_t r) const {
    if (o_.filter == row_filter::all) return true;
    const double* row = t_.data() + r * ncols_;
    for (std::int64_t c = 0; c < ncols_; ++c) {
        const double x = row[c];
        if (is_nil(x)) continue;
        if (is_symbol_cell(x)) {
            if (o_.filter == row_filter::nonzero) return true;
            continue;
        }
        if (o_.filter == row_filter::numbers || x != 0) return true;
    }
    return false;
}

std::int64_t fragment::kept_rows(std::int64_t first, std::int64_t count) const {
    if (o_.filter == row_filter::all) return count;
    std::int64_t n = 0;
    for (std::int64_t r = first; r < first + count; ++r)
        if (keeps(r)) ++n;
    return n;
}

// The last kept row in [first, end), or -1.
std::int64_t fragment::last_kept(std::int64_t first, std::int64_t end) const {
    for (std::int64_t r = end; r-- > first;)
        if (keeps(r)) return r;
    return -1;
}

// The body, formatted in pieces on all the threads allowed and written in
// order. What a piece writes depends on the rows before it only through the
// outer values already written, and those follow from the last kept row
// before the piece, found first (one row per piece to look at when rows
// are kept, at most every row once when they are not).
void fragment::write_body() {
    const cell_pieces pieces(stub_.empty() ? 1 : nrows_, ncols_);
    std::vector<std::int64_t> kept_before(pieces.count(), -1);
    // For the stretches of a long row: whether the row is kept, looked at
    // once per row.
    std::vector<char> stretch_kept(pieces.count(), 1);
    std::int64_t last = -1;
    bool row_kept = true;
    for (std::size_t i = 0; i < pieces.count(); ++i) {
        const cell_pieces::span s = pieces.at(i);
        kept_before[i] = last;
        if (s.first_col > 0 || s.end_col < ncols_) {
            if (s.first_col == 0) row_kept = stub_.empty() || keeps(s.first_row);
            stretch_kept[i] = row_kept ? 1 : 0;
            if (row_kept && s.end_col == ncols_) last = s.first_row;
        } else if (const std::int64_t k = last_kept(s.first_row, s.end_row); k >= 0) {
            last = k;
        }
    }
    write_in_order(f_, pieces.count(), plat::thread_count(), [&](std::size_t i, std::string& buf) {
        body_piece w{piece_text{buf}, {}, {}, {}};
        write_piece(pieces.at(i), kept_before[i], stretch_kept[i] != 0, w);
    });
}

// One piece: its rows, or its stretch of a long row (the row's start with
// its first stretch, its end with its last). Without stub variables there
// is one row of cells behind an empty stub cell, and nothing to filter.
void fragment::write_piece(const cell_pieces::span& s, std::int64_t kept_before, bool stretch_kept,
                           body_piece& w) const {
    if (stub_.empty()) {
        if (s.first_col == 0) w.o.write("<tr><td></td>");
        write_cells(0, s.first_col, s.end_col, w);
        if (s.end_col == ncols_) {
            w.o.write("</tr>");
            w.o.write(crlf);
        }
        return;
    }
    w.written_block.resize(stub_.size());
    for (std::size_t k = 0; k < stub_.size(); ++k)
        w.written_block[k] = kept_before < 0 ? -1 : kept_before / stub_[k].inner;
    if (s.first_col > 0 || s.end_col < ncols_) {
        // A stretch of a long row: the row's start goes with the first.
        if (!stretch_kept) return;
        if (s.first_col == 0) write_row(s.first_row, w);
        write_cells(s.first_row, s.first_col, s.end_col, w);
        if (s.end_col == ncols_) {
            w.o.write("</tr>");
            w.o.write(crlf);
        }
        return;
    }
    for (std::int64_t r = s.first_row; r < s.end_row; ++r) {
        if (!keeps(r)) continue;
        write_row(r, w);
        write_cells(r, 0, ncols_, w);
        w.o.write("</tr>");
        w.o.write(crlf);
    }
}

// The start of a kept row, preceded (stub type 1) or led (other stub types)
// by the outer values that start with it: those not yet written since their
// value began. An outer value none of whose rows is kept is therefore never
// written.
void fragment::write_row(std::int64_t r, body_piece& w) const {
    const std::size_t last = stub_.size() - 1;
    if (o_.one_stub_column) {
        for (std::size_t k = 0; k < last; ++k) {
            const std::int64_t block = r / stub_[k].inner;
            if (w.written_block[k] == block) continue;
            w.written_block[k] = block;
            write_outer_row(k, r, w.o);
        }
        w.o.write("<tr>");
        write_stub_cell(last, r, -1, w.o);
    } else {
        w.o.write("<tr>");
        for (std::size_t k = 0; k < last; ++k) {
            const stub_level& s = stub_[k];
            const std::int64_t block = r / s.inner;
            if (w.written_block[k] == block) continue;
            w.written_block[k] = block;
            write_stub_cell(k, r, kept_rows(block * s.inner, s.inner), w.o);
        }
        write_stub_cell(last, r, -1, w.o);
    }
}

// The own row of an outer value (stub type 1), padded with one empty cell
// per data column.
void fragment::write_outer_row(std::size_t k, std::int64_t r, piece_text& o) const {
    o.write("<tr>");
    write_stub_cell(k, r, -1, o);
    for (std::int64_t c = 0; c < ncols_; ++c) o.write("<td>&nbsp;</td>");
    o.write("</tr>");
    o.write(crlf);
}

// The stub cell of level k for row r. Its class names the depth and, for a
// variable with a hierarchy, the value's level; in the shared stub column
// a variable after a hierarchical one repeats that value's level, so the
// inner values are indented under it. `rowspan` >= 0 writes the span of an
// outer cell (stub types other than 1).
void fragment::write_stub_cell(std::size_t k, std::int64_t r, std::int64_t rowspan, piece_text& o) const {
    const stub_level& s = stub_[k];
    const std::size_t v = static_cast<std::size_t>((r / s.inner) % s.count);
    o.write("<td class=\"stub");
    o.write_int(static_cast<long long>(k + 1));
    if (!s.levels.empty()) {
        o.write("h");
        o.write_int(s.levels[v]);
    } else if (o_.one_stub_column) {
        for (std::size_t j = k; j-- > 0;) {
            const stub_level& outer = stub_[j];
            if (outer.levels.empty()) continue;
            o.write("h");
            o.write_int(outer.levels[static_cast<std::size_t>((r / outer.inner) % outer.count)]);
            break;
        }
    }
    if (o_.one_stub_column) {
        o.write("\" rowspan=\"1\" >");
    } else if (rowspan >= 0) {
        o.write("\" rowspan=\"");
        o.write_int(rowspan);
        o.write("\">");
    } else {
        o.write("\">");
    }
    if (v < s.labels.size()) server_safe(o, s.labels[v]);
    o.write("</td>");
}

// Data cells [first, end) of row r: the number or symbol text, with the
// cell's data-note marker after it (noteplace 0) or before it (1). A
// number prints only digits, signs, points, commas and blanks, so only
// symbol texts and markers need the server-code check.
void fragment::write_cells(std::int64_t r, std::int64_t first, std::int64_t end, body_piece& w) const {
    const double* row = t_.data() + r * ncols_;
    for (std::int64_t c = first; c < end; ++c) {
        const double x = row[c];
        format_cell(fmt_, r, c, x, style_, w.cell);
        const std::string* m = markers_.find(r * ncols_ + c, w.key);
        w.o.write("<td nowrap>");
        if (m != nullptr && o_.noteplace == 1) server_safe(w.o, *m);
        if (is_symbol_cell(x))
            server_safe(w.o, w.cell);
        else
            w.o.write(w.cell);
        if (m != nullptr && o_.noteplace != 1) server_safe(w.o, *m);
        w.o.write("</td>");
    }
}

// ---------------------------------------------------------------------------
// Footnote row (notes levels 1 to 8).

void fragment::open_footnote_row() {
    if (footnote_open_) return;
    footnote_open_ = true;
    put("<tr>");
    put(crlf);
    put("<td class=\"footnote\" colspan=\"");
    put_int(ncols_ + stub_columns_);
    put("\">Footnotetext");
}

void fragment::footnote(const text_list& lines) {
    if (lines.empty()) return;
    open_footnote_row();
    put("<BR>");
    put(crlf);
    text(note_html(lines, "<BR>\r\n"));
    put("<br>");
}

// A contents item: its caption between two line breaks, then its text (a
// per-content item prefixed with its contents value).
void fragment::footnote_item(std::string_view label, const info_item& item) {
    open_footnote_row();
    put("<br>");
    put(label);
    put("<br>");
    if (item.content != nullptr) {
        text(*item.content);
        if (!item.text.empty()) put(": ");
    }
    text(note_html(item.text, "<BR>\r\n"));
}

void fragment::footnote_items(info_kind kind, std::string_view label) {
    for (const info_item& item : info_items(t_, kind)) footnote_item(label, item);
}

void fragment::write_footnote_row() {
    const bool optional = o_.completeinfo >= 2;
    footnote(t_.notex);
    if (optional) footnote(t_.note);
    for (const variable& v : t_.vars) {
        footnote(v.notex);
        if (optional) footnote(v.note);
        for (const value& val : v.values) {
            footnote(val.valuenotex);
            if (optional) footnote(val.valuenote);
        }
    }
    for (const std::string& s : t_.cellnotex_texts) footnote(wrap_text({s}, note_width));
    if (optional)
        for (const std::string& s : t_.cellnote_texts) footnote(wrap_text({s}, note_width));

    if (o_.completeinfo >= 3) {
        footnote_items(info_kind::lastupdated, "LAST-UPDATED");
        footnote_items(info_kind::source, "SOURCE:");
        footnote_items(info_kind::contact, "CONTACT:");
        footnote_items(info_kind::copyright, "COPYRIGHT");
        footnote_items(info_kind::unit, "UNIT:");
        for (info_item& item : info_items(t_, info_kind::stockfa)) {
            item.text = {item.letter == 'A' ? "Average" : item.letter == 'F' ? "Flow" : "Stock"};
            footnote_item("STOCKFA:", item);
        }
        footnote_items(info_kind::refperiod, "REFPERIOD:");
        footnote_items(info_kind::baseperiod, "BASEPERIOD:");
        for (const info_item& item : info_items(t_, info_kind::cfprices))
            footnote_item(item.letter == 'C' ? "Cprices" : "Fprices", item);
        footnote_items(info_kind::dayadj, "Dayadj");
        footnote_items(info_kind::seasadj, "Seasadj");
        footnote_items(info_kind::database, "Database:");
        open_footnote_row();
        put("<br>MATRIX:<br>");
        if (t_.matrix) text(*t_.matrix);
    }
    if (footnote_open_) {
        put(crlf);
        put("</td>");
        put(crlf);
        put("</tr>");
        put(crlf);
    }
    put("</table>");
    put(crlf);
}

// ---------------------------------------------------------------------------
// Span block (notes level 9).

// `<span class="name_suffix">text</span>` and a line end, for a text of
// the table or (`own`) the page's own server expression.
void fragment::span(std::string_view name, std::string_view suffix, std::string_view text, bool own) {
    put("<span class=\"");
    put(name);
    put(suffix);
    put("\">");
    if (own)
        put(text);
    else
        this->text(text);
    put("</span>");
    put(crlf);
}

// The key and value spans of one kind of contents item, the value span
// holding the item's text; a per-content item is led by its contents value.
void fragment::info_spans(info_kind kind, std::string_view name, std::string_view key) {
    for (const info_item& item : info_items(t_, kind)) {
        if (item.content != nullptr) span("variable", "_value", *item.content);
        code_span(name, "_key", key);
        span(name, "_value", note_html(item.text, ""));
    }
}

// The page's language index: the decimal number that guilang starts with
// (after blanks), 0 when it starts with none. Only a number is written, so
// the argument cannot put anything else into the server-side script.
long long language_index(const std::string& guilang) {
    std::size_t i = 0;
    while (i < guilang.size() && (guilang[i] == ' ' || guilang[i] == '\t')) ++i;
    const char* first = guilang.data() + i;
    const char* last = guilang.data() + guilang.size();
    if (first != last && *first == '+') ++first;
    long long n = 0;
    const auto res = std::from_chars(first, last, n);
    return res.ec == std::errc() ? n : 0;
}

void fragment::write_span_block() {
    put("<!-- #include file=\"../dialog/includes/Global1.asp\" -->");
    put(crlf);
    put("<%langIndex = ");
    put_int(language_index(o_.guilang));
    put("%>");
    put(crlf);

    if (!t_.notex.empty()) span("notex", "_value", note_html(t_.notex, ""));
    if (!t_.note.empty()) span("note", "_value", note_html(t_.note, ""));
    for (const variable& v : t_.vars) {
        if (!v.notex.empty()) span("notevx", "_key", var_name(v)), span("notevx", "_value", note_html(v.notex, ""));
        if (!v.note.empty()) span("notev", "_key", var_name(v)), span("notev", "_value", note_html(v.note, ""));
        for (const value& val : v.values) {
            if (!val.valuenotex.empty()) {
                span("valuenotex", "_key", var_name(v));
                span("valuenotex", "_key", value_text(val));
                span("valuenotex", "_value", note_html(val.valuenotex, ""));
            }
            if (!val.valuenote.empty()) {
                span("valuenote", "_key", var_name(v));
                span("valuenote", "_key", value_text(val));
                span("valuenote", "_value", note_html(val.valuenote, ""));
            }
        }
    }
    // Cell notes: one key span per variable with the value the entry
    // selects ("*" for any value), then the text.
    auto cell_notes = [this](const text_list& texts, bool optional, std::string_view name) {
        for (std::size_t k = 0; k < texts.size(); ++k) {
            for (const variable& v : t_.vars) {
                const cell_ref_list& refs = optional ? v.cellnote_refs : v.cellnotex_refs;
                const bool named = k < refs.size() && refs[k] >= 0 && static_cast<std::size_t>(refs[k]) < v.values.size();
                span(name, "_key", named ? value_text(v.values[static_cast<std::size_t>(refs[k])]) : std::string("*"));
            }
            span(name, "_value", note_html(wrap_text({texts[k]}, note_width), ""));
        }
    };
    cell_notes(t_.cellnotex_texts, false, "cellnotex");
    cell_notes(t_.cellnote_texts, true, "cellnote");

    info_spans(info_kind::lastupdated, "lastupdated", "<%=strLastUpdate(langIndex)%>");
    info_spans(info_kind::source, "source", "<%=strSource(langIndex)%>");
    if (t_.copyright == 1) {
        code_span("copyright", "_key", "<%=strCopyright(langIndex)%>");
        code_span("copyright", "_value", "<%=strYes(LangIndex)%>");
    }
    info_spans(info_kind::database, "database", "<%=strDatabase(langIndex)%>");
    info_spans(info_kind::contact, "contact", "<%=strContact(langIndex)%>");
    info_spans(info_kind::unit, "unit", "<%=strUnit(langIndex)%>");
    for (const info_item& item : info_items(t_, info_kind::stockfa)) {
        if (item.content != nullptr) span("variable", "_value", *item.content);
        code_span("stockfa", "_key", "<%=strDatatype(langIndex)%>");
        code_span("stockfa", "_value", item.letter == 'A'   ? "<%=strAverage(langIndex)%>"
                                  : item.letter == 'F' ? "<%=strFlow(langIndex)%>"
                                                       : "<%=strStock(langIndex)%>");
    }
    info_spans(info_kind::refperiod, "refperiod", "<%=strRefPeriod(langIndex)%>");
    info_spans(info_kind::baseperiod, "baseperiod", "<%=strBasePeriod(langIndex)%>");
    for (const info_item& item : info_items(t_, info_kind::cfprices)) {
        if (item.content != nullptr) span("variable", "_value", *item.content);
        code_span("cfprices", "_key", "<%=strPricetype(LangIndex)%>");
        code_span("cfprices", "_value", item.letter == 'C' ? "<%=strCurPrice(langIndex)%>" : "<%=strFixPrice(langIndex)%>");
    }
    for (const info_item& item : info_items(t_, info_kind::dayadj)) {
        if (item.content != nullptr) span("variable", "_value", *item.content);
        code_span("dayadj", "_key", "<%=strDayadj(LangIndex)%>");
        code_span("dayadj", "_value", "<%=strYes(langIndex)%>");
    }
    for (const info_item& item : info_items(t_, info_kind::seasadj)) {
        if (item.content != nullptr) span("variable", "_value", *item.content);
        code_span("seasadj", "_key", "<%=strSeasadj(LangIndex)%>");
        code_span("seasadj", "_value", "<%=strYes(langIndex)%>");
    }
    code_span("matrix", "_key", "<%=strMatrixlbl(langIndex)%>");
    span("matrix", "_value", t_.matrix ? std::string_view(*t_.matrix) : std::string_view());
}

// ---------------------------------------------------------------------------

int convert(const std::string& path, const std::string& path2, const options& o, const std::string& vtlang,
            const std::string& symbols, const std::string& decimalpoint, int thousand, int rounding) {
    table t = table_new();
    // The table is read in the requested language; the whole table is in
    // memory before the output is created, so an output that replaces the
    // input cannot spoil what is read.
    if (const int rc = load_whole_table(path, t, codes::cannot_open, vtlang); rc != 0) return rc;
    wrap_notes(t, note_width, false);

    out_file file;
    if (!open_output(file, path2)) return codes::cannot_open;

    note_markers markers;
    markers.prepare(t, path, path2);
    const cell_formatter fmt = make_cell_formatter(t, symbols);
    const cell_style style = export_cell_style(t, decimalpoint, rounding, thousand);

    fragment page(t, o, file, fmt, style, markers);
    page.write();
    return file.close() ? 0 : codes::cannot_open;
}

}  // namespace

int AspConv(const std::string& path, const std::string& path2, int stubtype, const std::string& symbols,
            const std::string& decimalpoint, int thousand, int /*doublecolumn*/, int completeinfo, int nozero,
            const std::string& vtlang, const std::string& guilang, const std::string& uppercase, int rounding,
            int noteplace) noexcept {
    return run_export("AspConv", {}, [&] {
        options o;
        o.one_stub_column = stubtype == 1;
        o.completeinfo = completeinfo;
        o.filter = filter_of(nozero);
        o.guilang = guilang;
        o.uppercase = uppercase == "1";
        o.noteplace = noteplace;
        return convert(path, path2, o, vtlang, symbols, decimalpoint, thousand, rounding);
    });
}

}  // namespace vt
