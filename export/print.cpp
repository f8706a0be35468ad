// The print exports asmkonv, astkonv and cellkonv: delimited text with
// quoted labels, the cells streamed from the table file as they are written.
//
//     print matrix    "north";"men";1;2          every row carries all its labels
//     print table     "Title"                    title lines, an empty line
//                     " ";"2001";"2002"          one line per heading variable
//                     "north"                    outer stub levels on lines of their own
//                     " ";"men";1;2              inner levels indented by empty cells
//                     "A note line"              notes after an empty line
//     cells           1;2
//
// Streaming keeps the memory flat whatever the size of the table: the
// data section is read a batch of rows at a time, and each batch is
// printed in pieces on all the threads while the next one is read. Two inputs
// cannot be streamed that way and are read into memory first: keyed data
// sections (their rows carry keys and may come in any order) and an output
// that names the input itself (creating it would empty the input before
// its cells were read).
#include "export/print.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/infile.h"
#include "core/notes.h"
#include "core/outfile.h"
#include "core/reader.h"
#include "core/table.h"
#include "platform/codepage.h"
#include "export/batched.h"
#include "export/frame.h"
#include "platform/fsinfo.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

constexpr std::string_view crlf = "\r\n";
constexpr std::string_view empty_cell = "\" \"";

// ---------------------------------------------------------------------------
// Cells.

// The symbol number (1..8) of a quoted data symbol at the start of tok,
// or 0 for any other quoted text.
int quoted_symbol(std::string_view tok) noexcept {
    static constexpr std::string_view quoted[8] = {"\".\"",     "\"..\"",      "\"...\"",
                                                   "\"....\"",  "\".....\"",   "\"......\"",
                                                   "\".......\"", "\"-\""};
    for (int n = 1; n <= 8; ++n)
        if (tok.substr(0, quoted[n - 1].size()) == quoted[n - 1]) return n;
    return 0;
}

// The symbol texts of the print matrix and print table: when the table
// names any of its eight symbols, the table's texts with the symbols
// themselves for the ones it does not name; otherwise the caller's list.
void table_or_caller_symbols(cell_formatter& f, const table& t, std::string_view caller) {
    static constexpr const char* plain[8] = {".", "..", "...", "....", ".....", "......", ".......", "-"};
    const opt_string* own[8] = {&t.datasymbol[0], &t.datasymbol[1], &t.datasymbol[2], &t.datasymbol[3],
                                &t.datasymbol[4], &t.datasymbol[5], &t.datasymbolsum, &t.datasymbolnil};
    const bool table_has = std::any_of(std::begin(own), std::end(own), [](const opt_string* s) { return s->has_value(); });
    for (int n = 0; n < 8; ++n) {
        if (table_has)
            f.symbol_texts[n] = own[n]->has_value() ? **own[n] : std::string(plain[n]);
        else
            symbol_from_list(caller, n + 1, f.symbol_texts[n]);
    }
}

// The cells of a batch of rows as read: the tokens of the file one after
// another, or (for a table read into memory) just how many of the cells
// the data matrix holds. One batch is read while the threads print the
// other, token by token, so each batch has cache lines of its own: sharing
// one, every token read would stall the threads printing beside it.
struct alignas(64) cell_batch {
    std::int64_t first = 0;  // the number of the batch's first cell
    std::int64_t count = 0;  // cells there: fewer than asked once the data has ended
    std::string text;        // the tokens, quotes kept
    std::vector<std::size_t> ends;  // where each token ends in `text`
};

// Reads the cells in data order, from the file (or from the loaded data
// matrix) a batch at a time.
class cell_reader {
public:
    cell_reader(in_file& in, const table& t) : in_(in), t_(t) {}

    // Reads the cells from the loaded data matrix instead of the file.
    void from_memory() noexcept { memory_ = true; }
    bool memory() const noexcept { return memory_; }

    // Reads cells first .. first + n - 1 into `b` (cells are read in order,
    // so `first` is where the last read ended).
    void read(cell_batch& b, std::int64_t first, std::int64_t n) {
        b.first = first;
        b.count = 0;
        b.text.clear();
        b.ends.clear();
        if (memory_) {
            const std::int64_t held = static_cast<std::int64_t>(t_.data_handle.size());
            b.count = std::clamp<std::int64_t>(held - first, 0, n);
            return;
        }
        while (!ended_ && b.count < n) {
            if (!next_data_token(in_, token_)) {
                ended_ = true;
                break;
            }
            b.text.append(token_);
            b.ends.push_back(b.text.size());
            ++b.count;
        }
    }

private:
    in_file& in_;
    const table& t_;
    bool memory_ = false;
    bool ended_ = false;
    std::string token_;
};

// Prints cells: shared by the threads that format the pieces of a batch, so
// nothing in it changes while they run.
struct cell_printer {
    const table& t;
    const cell_formatter& fmt;
    int precision = 0;
    int rounding = 0;
    const note_markers* markers = nullptr;
    int note_place = 0;
    bool memory = false;

    // Scratch texts of one piece.
    struct scratch {
        std::string number;
        std::string key;
    };

    // Appends `before` and cell `cell` of the batch. False, with nothing
    // written, when the data has ended before it.
    bool append(std::string& buf, const cell_batch& b, std::int64_t cell, std::string_view before,
                scratch& s) const {
        const std::int64_t i = cell - b.first;
        if (i < 0 || i >= b.count) return false;
        const std::string* symbol = nullptr;
        double value = 0;
        if (memory) {
            value = t.data()[cell];
            if (is_symbol_cell(value)) symbol = &cell_symbol_text(fmt, value);
        } else {
            const std::size_t from = i == 0 ? 0 : b.ends[static_cast<std::size_t>(i - 1)];
            const std::string_view tok(b.text.data() + from, b.ends[static_cast<std::size_t>(i)] - from);
            if (!tok.empty() && tok[0] == '"') {
                const int n = quoted_symbol(tok);
                symbol = n > 0 ? &fmt.symbol_texts[n - 1] : &zero;
            } else {
                value = parse_cell_number(tok.data(), tok.data() + tok.size());
            }
        }
        buf.append(before);
        if (symbol != nullptr) {
            buf.append(*symbol);
            return true;
        }
        cell_format(fmt, cell / fmt.ncols, cell % fmt.ncols, value, s.number, precision, ".", rounding);
        if (markers != nullptr) {
            piece_text piece{buf};
            markers->write_number(piece, cell, s.number, note_place, s.key);
        } else {
            buf.append(s.number);
        }
        return true;
    }

    // Appends the cells of row `row`, the first after `first_before`, the
    // others after the delimiter, as far as the data goes.
    void append_row(std::string& buf, const cell_batch& b, std::int64_t row, std::string_view first_before,
                    std::string_view delimiter, scratch& s) const {
        for (std::int64_t c = 0; c < fmt.ncols; ++c)
            if (!append(buf, b, row * fmt.ncols + c, c == 0 ? first_before : delimiter, s)) return;
    }

    const std::string zero = "0";
};

// ---------------------------------------------------------------------------
// Labels and lines.

// A text between double quotes, in the output's code page.
std::string quoted(std::string_view text, bool oem) {
    std::string s;
    s.reserve(text.size() + 2);
    s.push_back('"');
    s.append(text);
    s.push_back('"');
    if (oem) plat::ansi_to_oem(s);
    return s;
}

// The stub levels: per stub variable its quoted labels and the number of
// rows each of its values spans.
struct stub_levels {
    std::vector<std::vector<std::string>> labels;
    std::vector<std::int64_t> inner;
    std::int64_t rows = 1;

    stub_levels(const table& t, bool oem) {
        const std::size_t ns = t.stub_count();
        labels.resize(ns);
        inner.assign(ns, 1);
        for (std::size_t k = ns; k-- > 0;) {
            inner[k] = rows;
            rows *= std::max(1, t.vars[k].value_count);
            for (const value& v : t.vars[k].values) labels[k].push_back(quoted(v.text, oem));
        }
    }
    std::size_t count() const noexcept { return labels.size(); }
    const std::string& label(std::size_t k, std::int64_t row) const {
        const auto& l = labels[k];
        return l[static_cast<std::size_t>((row / inner[k]) % static_cast<std::int64_t>(l.size()))];
    }
};

// One quoted line of the title or the notes; a title line's trailing "#"
// (a line-break mark) prints as a blank.
void write_text_line(out_file& out, std::string text, bool oem, bool hash_as_blank) {
    if (hash_as_blank && !text.empty() && text.back() == '#') text.back() = ' ';
    out.write(quoted(text, oem));
    out.write(crlf);
}

void write_title(out_file& out, const table& t, bool oem) {
    const text_list& lines = t.descriptiondefault == 1 ? t.description : t.title;
    for (const std::string& l : lines) write_text_line(out, l, oem, true);
    out.write(crlf);
}

void write_heading_lines(out_file& out, const table& t, std::string_view delim, bool oem) {
    const std::size_t first = t.stub_count();
    const std::size_t nh = t.heading_count();
    // A heading value spans the columns its later heading variables combine
    // to: its variable's stride.
    auto span = [&](std::size_t h) { return t.vars[first + h].stride; };
    std::int64_t repeats = 1;
    for (std::size_t h = 0; h < nh; ++h) {
        for (std::size_t k = 0; k < first; ++k) {
            out.write(empty_cell);
            out.write(delim);
        }
        const variable& v = t.vars[first + h];
        std::vector<std::string> labels;
        for (const value& val : v.values) labels.push_back(quoted(val.text, oem));
        bool any = false;
        for (std::int64_t rep = 0; rep < repeats; ++rep) {
            for (const std::string& l : labels) {
                if (any) out.write(delim);
                any = true;
                out.write(l);
                for (std::int64_t i = 1; i < span(h); ++i) {
                    out.write(delim);
                    out.write(empty_cell);
                }
            }
        }
        out.write(crlf);
        repeats *= std::max(1, v.value_count);
    }
}

void write_note(out_file& out, const text_list& lines, bool oem) {
    if (lines.empty()) return;
    for (const std::string& l : lines) write_text_line(out, l, oem, false);
    out.write(crlf);
}

void write_notes(out_file& out, const table& t, bool oem) {
    out.write(crlf);
    write_note(out, t.notex, oem);
    write_note(out, t.note, oem);
    for (const variable& v : t.vars) {
        write_note(out, v.notex, oem);
        write_note(out, v.note, oem);
        for (const value& val : v.values) {
            write_note(out, val.valuenotex, oem);
            write_note(out, val.valuenote, oem);
        }
    }
    for (const text_list* texts : {&t.cellnotex_texts, &t.cellnote_texts})
        for (const std::string& s : *texts) write_note(out, text_list{s}, oem);
}

enum class print_kind { matrix, table, cells };

// The rows of the cells: per row its labels, its cells and CR LF.
struct row_printer {
    print_kind kind;
    const stub_levels& stub;
    std::string_view delim;
    const cell_printer& cells;

    std::int64_t rows() const noexcept {
        if (kind == print_kind::cells) return cells.fmt.nrows;
        return stub.count() == 0 ? 1 : stub.rows;
    }

    // Appends row r. The print matrix carries all the labels of the row;
    // the print table puts an outer level's value on a line of its own when
    // its block begins, the innermost level's value with the cells.
    void append(std::string& buf, const cell_batch& b, std::int64_t r, cell_printer::scratch& s) const {
        if (kind == print_kind::cells || stub.count() == 0) {
            cells.append_row(buf, b, r, "", delim, s);
            buf.append(crlf);
            return;
        }
        if (kind == print_kind::matrix) {
            for (std::size_t k = 0; k < stub.count(); ++k) {
                if (k > 0) buf.append(delim);
                buf.append(stub.label(k, r));
            }
            cells.append_row(buf, b, r, delim, delim, s);
            buf.append(crlf);
            return;
        }
        const std::size_t last = stub.count() - 1;
        for (std::size_t k = 0; k <= last; ++k) {
            if (r % stub.inner[k] != 0) continue;
            for (std::size_t i = 0; i < k; ++i) {
                buf.append(empty_cell);
                buf.append(delim);
            }
            buf.append(stub.label(k, r));
            if (k == last) cells.append_row(buf, b, r, delim, delim, s);
            buf.append(crlf);
        }
    }
};

// About this many cells are read and printed at a time: the memory held is
// two such batches of tokens and of output, whatever the size of the table.
constexpr std::int64_t batch_cells = 1 << 15;

// Writes all the rows, a batch at a time, each batch printed in pieces on
// the threads the process may use while the next is read (see
// export/batched.h).
void write_rows(out_file& out, cell_reader& reader, const row_printer& rows) {
    const unsigned threads = plat::thread_count();
    const std::int64_t ncols = std::max<std::int64_t>(1, rows.cells.fmt.ncols);
    const std::int64_t nrows = rows.rows();
    const std::int64_t per_batch = std::max<std::int64_t>(1, batch_cells / ncols);
    auto batch_rows = [&](std::int64_t b) { return std::min(per_batch, nrows - b * per_batch); };
    auto per_piece = [&](std::int64_t b) { return rows_per_piece(batch_rows(b), 1, threads, batch_cells); };
    cell_batch batch[2];
    batch_steps steps;
    steps.batches = nrows <= 0 ? 0 : (nrows + per_batch - 1) / per_batch;
    steps.read = [&](std::int64_t b, int slot) {
        reader.read(batch[slot], b * per_batch * rows.cells.fmt.ncols, batch_rows(b) * rows.cells.fmt.ncols);
    };
    steps.pieces = [&](std::int64_t b) {
        return static_cast<std::size_t>((batch_rows(b) + per_piece(b) - 1) / per_piece(b));
    };
    steps.make = [&](std::int64_t b, int slot, std::size_t piece, std::string& buf) {
        cell_printer::scratch s;
        const std::int64_t first = b * per_batch + static_cast<std::int64_t>(piece) * per_piece(b);
        const std::int64_t last = std::min(first + per_piece(b), b * per_batch + batch_rows(b));
        for (std::int64_t r = first; r < last; ++r) rows.append(buf, batch[slot], r, s);
    };
    steps.write = [&](const std::string& piece) { out.write(piece); };
    run_batches(steps, threads);
}

// ---------------------------------------------------------------------------
// The runs.

bool keyed(const table& t) noexcept { return t.stub_count() > 0 && t.vars[0].keys_mode != 0; }

int convert(print_kind kind, const std::string& path, const std::string& path2, const std::string& delim, int oem,
            const std::string& symbols, int rounding, int note_place) {
    in_file in;
    table t = table_new();
    if (const int rc = read_keywords(path, in, t, codes::cannot_open); rc != 0) return rc;
    const bool to_oem = oem == 1;
    if (kind == print_kind::table) wrap_notes(t, 70, true);

    // An output that is the input file itself would be emptied before its
    // cells were streamed: such an input is read into memory first.
    const bool load = keyed(t) || plat::same_file(plat::native_path(path), plat::native_path(path2));
    if (load) {
        if (const int rc = read_data(t, in); rc != 0) return rc;
        in.close();
    }

    out_file out;
    if (!open_output(out, path2)) return codes::cannot_open;

    note_markers markers;
    if (kind != print_kind::cells) markers.prepare(t, path, path2);

    cell_formatter fmt = make_cell_formatter(t);
    if (kind == print_kind::cells) {
        for (int n = 1; n <= 8; ++n) symbol_from_list(symbols, n, fmt.symbol_texts[n - 1]);
    } else {
        table_or_caller_symbols(fmt, t, symbols);
    }

    const stub_levels stub(t, to_oem);
    cell_printer cells{t, fmt, stored_decimals(t), rounding_flag(t, rounding),
                       kind == print_kind::cells ? nullptr : &markers, note_place, load};
    cell_reader reader(in, t);
    if (load) reader.from_memory();
    const row_printer rows{kind, stub, delim, cells};

    if (kind == print_kind::table) {
        write_title(out, t, to_oem);
        write_heading_lines(out, t, delim, to_oem);
    }
    write_rows(out, reader, rows);
    if (kind == print_kind::table) write_notes(out, t, to_oem);
    return out.close() ? 0 : codes::cannot_open;
}

}  // namespace

int asmkonv(const std::string& path, const std::string& path2, const std::string& delimiter, int oem,
            const std::string& symbols, int rounding, int note_place) noexcept {
    return run_export("asmkonv", {}, [&] {
        return convert(print_kind::matrix, path, path2, delimiter, oem, symbols, rounding, note_place);
    });
}

int astkonv(const std::string& path, const std::string& path2, const std::string& delimiter, int oem,
            const std::string& symbols, int rounding, int note_place) noexcept {
    return run_export("astkonv", {}, [&] {
        return convert(print_kind::table, path, path2, delimiter, oem, symbols, rounding, note_place);
    });
}

int cellkonv(const std::string& path, const std::string& path2, const std::string& delimiter,
             const std::string& symbols, int rounding) noexcept {
    return run_export("cellkonv", {}, [&] {
        return convert(print_kind::cells, path, path2, delimiter, 0, symbols, rounding, 0);
    });
}

}  // namespace vt
