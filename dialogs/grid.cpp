// The screen grid: the layout of the grid file (title, heading, rows) and
// the order in which the grid, its side files and its summary are made.
#include "dialogs/grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cellfmt.h"
#include "core/cells.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/infile.h"
#include "core/notes.h"
#include "core/outfile.h"
#include "core/table.h"
#include "dialogs/grid_notes.h"
#include "export/delimited.h"
#include "export/frame.h"
#include "platform/codepage.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"
#include "tableops/title.h"

namespace vt {

grid_settings& grid_last() noexcept {
    static grid_settings s;
    return s;
}

void copy_to_host(const std::string& text, char* buffer, std::size_t size) noexcept {
    if (buffer == nullptr || size == 0) return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

namespace {

constexpr std::string_view crlf = "\r\n";

// A grid control holds at most this many rows and as many columns.
constexpr std::int64_t max_dimension = 100000000;
// Stub texts wider than this wrap, so the cells stay in view.
constexpr std::size_t stub_width_limit = 40;
// The narrowest a stub level's text is ever wrapped to, however deep.
constexpr std::size_t least_stub_text = 10;

// The product of the value counts of vars[from, to), or max_dimension + 1
// as soon as it passes max_dimension (so it cannot overflow).
std::int64_t dimension(const table& t, std::size_t from, std::size_t to) noexcept {
    std::int64_t n = 1;
    for (std::size_t k = from; k < to; ++k) {
        n *= std::max(1, t.vars[k].value_count);
        if (n > max_dimension) return max_dimension + 1;
    }
    return n;
}

// Cuts text into lines of at most `width` characters between words (runs
// of blanks count as one); a word longer than a line is cut at the width.
// Always at least one line.
text_list wrap_words(std::string_view text, std::size_t width) {
    width = std::max<std::size_t>(width, 1);
    text_list lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view word = text.substr(at, end - at);
        at = end;
        if (!line.empty() && line.size() + 1 + word.size() > width) lines.push_back(std::exchange(line, {}));
        while (word.size() > width) {
            lines.emplace_back(word.substr(0, width));
            word.remove_prefix(width);
        }
        if (word.empty()) continue;
        if (!line.empty()) line += ' ';
        line += word;
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

std::size_t longest_word(std::string_view text) noexcept {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (char c : text) {
        run = c == ' ' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// The width a column needs for its numbers: the integer digits of the
// largest number in size, one more, and the decimals with their sign when
// the table stores decimals. Symbols and numbers that are not finite do
// not count.
std::size_t number_width(const table& t) noexcept {
    const double* d = t.data();
    const std::int64_t n = count_cells(t.vars);
    double top = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        const double x = d[i];
        if (!is_symbol_cell(x) && std::isfinite(x)) top = std::max(top, std::fabs(x));
    }
    std::size_t digits = 1;
    for (double p = 10; top >= p; p *= 10) ++digits;
    const int decimals = stored_decimals(t);
    return digits + 1 + (decimals > 0 ? static_cast<std::size_t>(decimals) + 1 : 0);
}

// Whether a cell lets suppress mode `mode` leave its row out.
bool suppressible(double x, int mode) noexcept {
    switch (mode) {
    case 1: return x == 0.0;
    case 2: return x == 0.0 || is_nil(x);
    case 3: return is_symbol_cell(x) && !is_nil(x);
    case 4: return x == 0.0 || is_symbol_cell(x);
    default: return false;
    }
}

// How the grid lies: sizes, wrapped texts and the cell style.
struct grid_layout {
    std::int64_t nrows = 1;
    std::int64_t ncols = 1;
    std::int64_t shown_cols = 1;      // columns written (max_columns)
    std::size_t col_width = 0;        // characters of a cell column
    std::size_t stub_width = 0;       // characters of the stub column
    std::vector<std::int64_t> inner;  // rows one value of stub level k spans
    // Per stub level and value: its lines, indented.
    std::vector<std::vector<text_list>> stub_lines;
    // Per heading variable and value: its lines; and each variable's height.
    std::vector<std::vector<text_list>> head_lines;
    std::vector<std::size_t> head_height;
    std::int64_t heading_line_count = 1;
};

grid_layout lay_out(const table& t, const grid_request& r, std::int64_t nrows, std::int64_t ncols) {
    grid_layout g;
    g.nrows = nrows;
    g.ncols = ncols;
    g.shown_cols = r.max_columns > 0 ? std::min<std::int64_t>(ncols, r.max_columns) : ncols;

    const std::size_t ns = t.stub_count();
    g.col_width = number_width(t);
    for (std::size_t k = ns; k < t.vars.size(); ++k)
        for (const value& v : t.vars[k].values) g.col_width = std::max(g.col_width, longest_word(v.text));
    for (std::size_t k = 0; k < ns; ++k)
        for (const value& v : t.vars[k].values) g.stub_width = std::max(g.stub_width, 2 * k + v.text.size());
    g.stub_width = std::min(g.stub_width, stub_width_limit);

    g.inner.assign(ns, 1);
    for (std::size_t k = ns; k-- > 1;) g.inner[k - 1] = g.inner[k] * std::max(1, t.vars[k].value_count);
    g.stub_lines.resize(ns);
    for (std::size_t k = 0; k < ns; ++k) {
        const std::string indent(2 * k, ' ');
        const std::size_t width = std::max(g.stub_width > 2 * k ? g.stub_width - 2 * k : 0, least_stub_text);
        for (const value& v : t.vars[k].values) {
            text_list lines = wrap_words(v.text, width);
            for (std::string& l : lines) l.insert(0, indent);
            g.stub_lines[k].push_back(std::move(lines));
        }
    }

    g.heading_line_count = 0;
    for (std::size_t k = ns; k < t.vars.size(); ++k) {
        std::vector<text_list> per_value;
        std::size_t height = 1;
        for (const value& v : t.vars[k].values) {
            std::string text = v.text;
            if (!text.empty()) text[0] = static_cast<char>(plat::ansi_upper(static_cast<unsigned char>(text[0])));
            per_value.push_back(wrap_words(text, g.col_width));
            height = std::max(height, per_value.back().size());
        }
        g.head_lines.push_back(std::move(per_value));
        g.head_height.push_back(height);
        g.heading_line_count += static_cast<std::int64_t>(height);
    }
    if (!t.has_heading()) g.heading_line_count = 1;
    return g;
}

// The title's line width for a grid W characters wide.
int title_line_width(const grid_layout& g) noexcept {
    const std::int64_t cols = std::min<std::int64_t>(g.shown_cols, max_dimension);
    const std::int64_t w = static_cast<std::int64_t>(g.stub_width) +
                           cols * static_cast<std::int64_t>(std::min<std::size_t>(g.col_width, 1000));
    if (w <= 30) return static_cast<int>(std::max<std::int64_t>(w, 1));
    if (w <= 80) return static_cast<int>(w - 10);
    return 70;
}

// Writes the title, the heading and the rows of one grid.
class grid_writer {
public:
    grid_writer(const table& t, const grid_layout& g, const grid_request& r, cell_formatter& fmt,
                const note_markers& marks, out_file& out)
        : t_(t), g_(g), r_(r), fmt_(fmt), marks_(marks), out_(out), data_(t.data()),
          precision_(r.precision < 0 ? stored_decimals(t) : r.precision), rounding_(rounding_flag(t, r.rounding)) {}

    void title() {
        for (const std::string& line : t_.title) {
            out_.write(line);
            out_.write(crlf);
        }
    }

    void heading() {
        if (!t_.has_heading()) {
            out_.put('\t');
            return;
        }
        bool first_line = true;
        for (std::size_t h = 0; h < g_.head_lines.size(); ++h) {
            const variable& v = t_.vars[t_.stub_count() + h];
            const std::int64_t span = std::max<std::int64_t>(v.stride, 1);
            const auto& texts = g_.head_lines[h];
            for (std::size_t line = 0; line < g_.head_height[h]; ++line) {
                if (!first_line) out_.write(crlf);
                first_line = false;
                out_.put('\t');
                for (std::int64_t c = 0; c < g_.shown_cols; ++c) {
                    if (c > 0) out_.put('\t');
                    if (c % span != 0) continue;
                    const text_list& lines = texts[static_cast<std::size_t>((c / span) % static_cast<std::int64_t>(texts.size()))];
                    if (line < lines.size()) out_.write(lines[line]);
                }
            }
        }
    }

    // Writes the rows shown while they fit into max_lines. Returns the row
    // lines of the whole grid (also those not written); `cut` tells whether
    // some were not.
    std::int64_t rows(bool& cut) {
        const std::size_t ns = t_.stub_count();
        std::vector<std::int64_t> at(ns, 0);
        std::vector<std::int64_t> previous(ns, -1);
        std::int64_t total = 0;
        std::int64_t written = 0;
        cut = false;
        for (std::int64_t row = 0; row < g_.nrows; ++row) {
            if (!visible(row)) continue;
            std::size_t changed = ns;
            for (std::size_t k = 0; k < ns; ++k) {
                at[k] = (row / g_.inner[k]) % static_cast<std::int64_t>(g_.stub_lines[k].size());
                if (changed == ns && at[k] != previous[k]) changed = k;
            }
            previous = at;
            std::int64_t lines = ns == 0 ? 1 : 0;
            for (std::size_t k = changed; k < ns; ++k)
                lines += static_cast<std::int64_t>(g_.stub_lines[k][static_cast<std::size_t>(at[k])].size());
            total += lines;
            if (cut || (r_.max_lines > 0 && written + lines > r_.max_lines)) {
                cut = true;
                continue;
            }
            written += lines;
            write_row(row, changed, at);
        }
        return total;
    }

private:
    bool visible(std::int64_t row) const noexcept {
        if (r_.suppress < 1 || r_.suppress > 4) return true;
        const double* cells = data_ + row * g_.ncols;
        for (std::int64_t c = 0; c < g_.ncols; ++c)
            if (!suppressible(cells[c], r_.suppress)) return true;
        return false;
    }

    // The stub lines of the levels from `changed` on, each on a line of its
    // own; the cells follow the last of them.
    void write_row(std::int64_t row, std::size_t changed, const std::vector<std::int64_t>& at) {
        const std::size_t ns = t_.stub_count();
        if (ns == 0) out_.write(crlf);
        for (std::size_t k = changed; k < ns; ++k) {
            const text_list& lines = g_.stub_lines[k][static_cast<std::size_t>(at[k])];
            for (std::size_t i = 0; i < lines.size(); ++i) {
                out_.write(crlf);
                out_.write(lines[i]);
                if (k + 1 < ns || i + 1 < lines.size())
                    for (std::int64_t c = 0; c < g_.shown_cols; ++c) out_.put('\t');
            }
        }
        for (std::int64_t c = 0; c < g_.shown_cols; ++c) {
            out_.put('\t');
            cell(row, c);
        }
    }

    void cell(std::int64_t row, std::int64_t col) {
        const std::int64_t n = row * g_.ncols + col;
        const double x = data_[n];
        if (is_symbol_cell(x)) {
            marks_.write_number(out_, n, cell_symbol_text(fmt_, x), r_.note_place);
            return;
        }
        cell_format(fmt_, row, col, x, text_, precision_, r_.decimal_point, rounding_);
        marks_.write_number(out_, n, text_, r_.note_place);
    }

    const table& t_;
    const grid_layout& g_;
    const grid_request& r_;
    cell_formatter& fmt_;
    const note_markers& marks_;
    out_file& out_;
    const double* data_;
    const int precision_;
    const int rounding_;
    std::string text_;
};

bool wanted(const std::string& name) noexcept { return !name.empty() && name.find('*') == std::string::npos; }

// Refuses outputs that would replace the table or one another, before
// anything is written.
int check_output_names(const grid_request& r) {
    std::vector<const std::string*> written{&r.grid_path};
    for (const std::string* name : {&r.footnote_path, &r.notes_out_path})
        if (!name->empty()) written.push_back(name);
    if (r.grid_path.empty()) return codes::grid_cannot_open;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (plat::overwrites_input(r.in_path, *written[i])) return codes::grid_cannot_open;
        for (std::size_t j = 0; j < i; ++j)
            if (plat::overwrites_input(*written[j], *written[i])) return codes::grid_cannot_open;
    }
    for (const std::string* graph : {&r.graph_path, &r.graph_path2}) {
        if (!wanted(*graph)) continue;
        if (!graph_file_name(*graph) || plat::overwrites_input(r.in_path, *graph)) return codes::cannot_open;
        for (const std::string* other : written)
            if (plat::overwrites_input(*other, *graph)) return codes::cannot_open;
    }
    return 0;
}

// The notes file consulted for the cells' note marks: "notes.txt" in the
// grid file's folder.
std::string grid_notes_index(const std::string& grid_path) {
    const std::string path = plat::native_path(grid_path);
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("notes.txt") : path.substr(0, slash + 1) + "notes.txt";
}

std::string summary_text(const grid_settings& before, const table& t, const grid_request& r,
                         const grid_layout& g, std::int64_t row_lines) {
    std::int64_t stub_vars = 0;
    for (std::size_t k = 0; k < t.stub_count(); ++k)
        stub_vars += r.double_column == 1 && t.vars[k].doublecolumn == 1 ? 2 : 1;
    std::int64_t time_position = 0;
    for (std::size_t k = 0; k < t.vars.size() && time_position == 0; ++k)
        if (t.vars[k].is_time) time_position = static_cast<std::int64_t>(k) + 1;
    const std::int64_t fields[] = {before.last_columns,
                                   before.last_rows,
                                   stub_vars,
                                   static_cast<std::int64_t>(t.title.size()),
                                   g.heading_line_count,
                                   static_cast<std::int64_t>(t.heading_count()),
                                   row_lines,
                                   g.ncols,
                                   time_position};
    std::string s;
    for (std::int64_t f : fields) {
        if (!s.empty()) s += '\t';
        s += std::to_string(f);
    }
    return s;
}

// Reads the table with its cells; the dimensions are checked on the
// keywords, before the cells are read.
int read_grid_table(const grid_request& r, table& t, std::int64_t& nrows, std::int64_t& ncols) {
    in_file in;
    if (const int rc = read_keywords(r.in_path, in, t, codes::cannot_open); rc != 0) return rc;
    nrows = dimension(t, 0, t.stub_count());
    ncols = dimension(t, t.stub_count(), t.vars.size());
    if (nrows > max_dimension) return codes::grid_too_many_rows;
    if (ncols > max_dimension) return codes::grid_too_many_columns;
    if (const int rc = check_output_names(r); rc != 0) return rc;
    if (const int rc = read_data(t, in); rc != 0) return rc;
    if (t.data() == nullptr || static_cast<std::int64_t>(t.data_handle.size()) < count_cells(t.vars))
        return codes::no_data_block;
    return 0;
}

int make_grid(const grid_request& r, grid_answer& answer) {
    table t = table_new();
    std::int64_t nrows = 1;
    std::int64_t ncols = 1;
    if (const int rc = read_grid_table(r, t, nrows, ncols); rc != 0) return rc;

    const std::array<std::string, 8> symbols = symbol_texts(t, r.label_path, "......");
    cell_formatter fmt = make_cell_formatter(t);
    std::copy(symbols.begin(), symbols.end(), fmt.symbol_texts);
    const grid_layout g = lay_out(t, r, nrows, ncols);
    title_rebuild(t, title_line_width(g), title_words_from_label_file(r.label_path));

    list_datanote_symbols(t);
    note_markers marks;
    if (plat::ini_file index; index.load(grid_notes_index(r.grid_path))) marks.use(std::move(index));

    out_file grid;
    out_file footnotes;
    out_file notes;
    if (!open_output(grid, r.grid_path) || (!r.footnote_path.empty() && !open_output(footnotes, r.footnote_path)) ||
        (!r.notes_out_path.empty() && !open_output(notes, r.notes_out_path)))
        return codes::grid_cannot_open;

    grid_writer w(t, g, r, fmt, marks, grid);
    w.title();
    w.heading();
    bool lines_cut = false;
    const std::int64_t row_lines = w.rows(lines_cut);

    wrap_notes(t, footnote_width, true);
    if (footnotes.is_open()) write_footnotes(footnotes, t, r.label_path);
    if (notes.is_open()) write_all_notes(notes, t, r.label_path);
    if (!grid.close() || (footnotes.is_open() && !footnotes.close()) || (notes.is_open() && !notes.close()))
        return codes::grid_cannot_open;

    answer.info = t.default_graph != 0 ? std::to_string(t.default_graph) : std::string("*");
    grid_settings& last = grid_last();
    answer.summary = summary_text(last, t, r, g, row_lines);
    last.last_columns = ncols;
    last.last_rows = row_lines;

    // The graph and matrix files show what the grid shows: its symbol
    // texts, decimal point and rounding.
    std::string graph_symbols[8];
    std::copy(symbols.begin(), symbols.end(), graph_symbols);
    if (wanted(r.graph_path))
        if (const int rc = write_graph_file(t, r.in_path, r.graph_path, r.decimal_point, r.text_delimiter,
                                            r.label_repeat, graph_symbols, r.rounding, r.note_place, 0);
            rc != 0)
            return rc;
    if (r.double_column == 1 && wanted(r.graph_path2))
        if (const int rc = write_graph_file(t, r.in_path, r.graph_path2, r.decimal_point, r.text_delimiter,
                                            r.label_repeat, graph_symbols, r.rounding, r.note_place, 1);
            rc != 0)
            return rc;

    if (lines_cut) return codes::grid_lines_cut;
    if (g.shown_cols < g.ncols) return codes::grid_columns_cut;
    return 0;
}

}  // namespace

int grid_output(const grid_request& r, grid_answer& answer) noexcept {
    return run_traced("utbild", codes::grid_no_memory, codes::internal_fault, [&] { return make_grid(r, answer); });
}

}  // namespace vt
