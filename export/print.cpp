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
// data section is read token by token in step with the output. Two inputs
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
#include "export/frame.h"
#include "platform/fsinfo.h"
#include "platform/message.h"

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

// Writes the cells in data order, each taken from the file (or from the
// loaded data matrix) the moment it is written.
class cell_writer {
public:
    cell_writer(in_file& in, const table& t, cell_formatter& fmt, int rounding, const note_markers* markers,
                int note_place)
        : in_(in), t_(t), fmt_(fmt), precision_(stored_decimals(t)), rounding_(rounding),
          markers_(markers), note_place_(note_place) {}

    // Reads the cells from the loaded data matrix instead of the file.
    void from_memory() noexcept { memory_ = true; }

    // Writes `before` and the next cell. False, with nothing written, once
    // the data has ended.
    bool write_next(out_file& out, std::string_view before) {
        if (ended_) return false;
        const std::int64_t cell = fmt_.cell_counter;
        const std::int64_t row = cell / fmt_.ncols;
        const std::int64_t col = cell % fmt_.ncols;
        const std::string* symbol = nullptr;
        double value = 0;
        if (memory_) {
            if (cell >= static_cast<std::int64_t>(t_.data_handle.size())) return end();
            value = t_.data()[cell];
            if (is_symbol_cell(value)) symbol = &cell_symbol_text(fmt_, value);
        } else {
            if (!next_data_token(in_, token_)) return end();
            if (!token_.empty() && token_[0] == '"') {
                const int n = quoted_symbol(token_);
                symbol = n > 0 ? &fmt_.symbol_texts[n - 1] : &zero_;
            } else {
                value = parse_cell_number(token_.data(), token_.data() + token_.size());
            }
        }
        out.write(before);
        if (symbol != nullptr) {
            out.write(*symbol);
        } else {
            cell_format(fmt_, row, col, value, number_, precision_, ".", rounding_);
            if (markers_ != nullptr)
                markers_->write_number(out, cell, number_, note_place_);
            else
                out.write(number_);
        }
        ++fmt_.cell_counter;
        return true;
    }

    // Writes one row of cells, the first after `first_before`, the others
    // after the delimiter.
    void write_row(out_file& out, std::string_view first_before, std::string_view delimiter) {
        for (std::int64_t c = 0; c < fmt_.ncols; ++c)
            if (!write_next(out, c == 0 ? first_before : delimiter)) return;
    }

private:
    bool end() noexcept {
        ended_ = true;
        return false;
    }

    in_file& in_;
    const table& t_;
    cell_formatter& fmt_;
    int precision_;
    int rounding_;
    const note_markers* markers_;
    int note_place_;
    bool memory_ = false;
    bool ended_ = false;
    std::string token_;
    std::string number_;
    const std::string zero_ = "0";
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

void write_matrix_rows(out_file& out, const stub_levels& stub, cell_writer& cells, std::string_view delim) {
    if (stub.count() == 0) {
        cells.write_row(out, "", delim);
        out.write(crlf);
        return;
    }
    for (std::int64_t r = 0; r < stub.rows; ++r) {
        for (std::size_t k = 0; k < stub.count(); ++k) {
            if (k > 0) out.write(delim);
            out.write(stub.label(k, r));
        }
        cells.write_row(out, delim, delim);
        out.write(crlf);
    }
}

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

// The stub lines of the print table: an outer level's value on a line of
// its own when its block begins, the innermost level's value with the cells.
void write_table_rows(out_file& out, const stub_levels& stub, cell_writer& cells, std::string_view delim) {
    if (stub.count() == 0) {
        cells.write_row(out, "", delim);
        out.write(crlf);
        return;
    }
    const std::size_t last = stub.count() - 1;
    for (std::int64_t r = 0; r < stub.rows; ++r) {
        for (std::size_t k = 0; k <= last; ++k) {
            if (r % stub.inner[k] != 0) continue;
            for (std::size_t i = 0; i < k; ++i) {
                out.write(empty_cell);
                out.write(delim);
            }
            out.write(stub.label(k, r));
            if (k == last) cells.write_row(out, delim, delim);
            out.write(crlf);
        }
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

// ---------------------------------------------------------------------------
// The runs.

enum class print_kind { matrix, table, cells };

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

    cell_writer cells(in, t, fmt, rounding_flag(t, rounding), kind == print_kind::cells ? nullptr : &markers,
                      note_place);
    if (load) cells.from_memory();

    switch (kind) {
    case print_kind::matrix:
        write_matrix_rows(out, stub_levels(t, to_oem), cells, delim);
        break;
    case print_kind::table:
        write_title(out, t, to_oem);
        write_heading_lines(out, t, delim, to_oem);
        write_table_rows(out, stub_levels(t, to_oem), cells, delim);
        write_notes(out, t, to_oem);
        break;
    case print_kind::cells:
        for (std::int64_t r = 0; r < fmt.nrows; ++r) {
            cells.write_row(out, "", delim);
            out.write(crlf);
        }
        break;
    }
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
