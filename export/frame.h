// What every conversion starts with: the exception guard, the table read
// before the output is made, the output itself, the data-note markers
// numbered beside it and the cell style, in one place, so the formats
// differ only in what they write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/cellfmt.h"
#include "core/codes.h"
#include "core/guard.h"
#include "core/infile.h"
#include "core/outfile.h"
#include "core/table.h"
#include "platform/ini.h"

namespace vt {

// The codes an export returns for the failures every export meets. Most
// return the shared numbers; the text report and the re-save routines
// have their own for a file that cannot be opened, so each export passes
// its set.
struct export_codes {
    int cannot_open = codes::cannot_open;
    int no_memory = codes::no_memory;
    int internal_fault = codes::internal_fault;
};

// Runs an export's body traced under its name; an exception becomes
// `c.no_memory` or `c.internal_fault`, so nothing unwinds into a caller.
template <class F>
int run_export(const char* name, const export_codes& c, F&& body) noexcept {
    return run_traced(name, c.no_memory, c.internal_fault, std::forward<F>(body));
}

// Opens `path` and reads the keyword part of the table into `t`, leaving
// `in` at the data section for exports that stream the cells. 0;
// `cannot_open` for an empty path or a file that cannot be opened; the
// reader's code.
int read_keywords(const std::string& path, in_file& in, table& t, int cannot_open);

// Reads the whole table, keywords and cells, and closes the input before
// the caller creates its output, so an output that replaces its own input
// still gets every cell. A `language` that is not empty is the reader's
// language for this read only: it stays selected afterwards only when the
// file took it, so a later job in the process does not inherit it. 0;
// `cannot_open` for an empty path or a file that cannot be opened; the
// reader's or the data reader's code; no_data_block when the cells are not
// all there.
int load_whole_table(const std::string& path, table& t, int cannot_open, std::string_view language = {});

// Creates (replaces) the output `path`. False for an empty name or a file
// that cannot be created.
bool open_output(out_file& out, const std::string& path);

// The notes file and its symbol file beside `output` must never replace
// the table being read: true when either would.
bool notes_files_replace_input(const std::string& input, const std::string& output) noexcept;

// The data-note markers of one export run. The cells that a table's
// DATANOTECELL entries cover are numbered into the notes file beside the
// output; a cell's marker is the text of the data note whose number the
// notes file gives it. Every export looks its markers up here, so they all
// agree on which text a cell gets.
class note_markers {
public:
    // Numbers the table's data-note cells into the notes file beside
    // `output` and keeps that file for the lookups. Without data-note cells,
    // when the notes file or its symbol file would be the input `input`
    // (a name like "tabnotes.txt" can be both), or when the file cannot be
    // written or read back, nothing is numbered and no cell gets a marker;
    // the cells themselves are written all the same.
    void prepare(const table& t, const std::string& input, const std::string& output);

    // Takes a notes index already at hand (its numbers refer to the current
    // data-note symbol list).
    void use(plat::ini_file index) {
        index_ = std::move(index);
        active_ = true;
    }

    bool active() const noexcept { return active_; }

    // The marker of cell `cell` (its number in data order): the symbol of
    // the data note the notes file gives it, or nullptr when it has none. A
    // note number that is not a position in the symbol list (0, negative,
    // not a number, beyond its end) gives no marker: its digits printed
    // beside a value would read as part of the value.
    const std::string* find(std::int64_t cell) const;

    // The same lookup with the caller's scratch text for the key, so that
    // pieces of an output formatted on several threads at once can each
    // look their markers up with a scratch of their own.
    const std::string* find(std::int64_t cell, std::string& scratch) const;

    // Writes the formatted number with the cell's marker before it
    // (`note_place` 1) or after it (any other value) into `out`.
    template <class Out>
    void write_number(Out& out, std::int64_t cell, std::string_view number, int note_place) const {
        write_number(out, cell, number, note_place, key_);
    }

    // The same with the caller's scratch for the lookup (see find), for
    // pieces formatted on several threads at once.
    template <class Out>
    void write_number(Out& out, std::int64_t cell, std::string_view number, int note_place,
                      std::string& scratch) const {
        const std::string* m = find(cell, scratch);
        if (m != nullptr && note_place == 1) out.write(*m);
        out.write(number);
        if (m != nullptr && note_place != 1) out.write(*m);
    }

private:
    bool active_ = false;
    plat::ini_file index_;
    mutable std::string key_;
};

// The cell style of an export: the decimals the cells are stored with (the
// tie rule needs them: given only the shown decimals it could never see
// that 2.25 stored with two decimals is a tie at one), the decimal point,
// the table's rounding or else the caller's, and the thousands grouping.
cell_style export_cell_style(const table& t, std::string_view decimal_point, int rounding, int thousands);

// The bytes of one piece of an output that is formatted on a worker thread
// (see core/ordered_write.h): the same writing calls as an out_file, into
// the piece's own buffer.
struct piece_text {
    std::string& buf;

    void write(std::string_view s) { buf.append(s); }
    void put(char c) { buf.push_back(c); }
    void write_int(long long v);
};

// How the cells of a rows x columns matrix are cut into pieces of about
// `cells` cells each for formatting in parallel: whole rows per piece, or,
// for rows longer than a piece, a stretch of one row per piece. Piece i
// covers rows [first_row, end_row) and within them the columns
// [first_col, end_col).
class cell_pieces {
public:
    struct span {
        std::int64_t first_row = 0;
        std::int64_t end_row = 0;
        std::int64_t first_col = 0;
        std::int64_t end_col = 0;
    };

    static constexpr std::int64_t default_cells = 4096;

    // Cut into pieces of piece_cells() cells.
    cell_pieces(std::int64_t rows, std::int64_t columns) : cell_pieces(rows, columns, piece_cells()) {}
    cell_pieces(std::int64_t rows, std::int64_t columns, std::int64_t cells);

    // The cells per piece of every export that formats in pieces: the
    // default, or what set_piece_cells chose for the process (at least 1;
    // 0 goes back to the default). Read by the thread that cuts the pieces,
    // never by a worker. The output is the same for any size: the tests cut
    // small tables into many pieces with it and compare.
    static std::int64_t piece_cells() noexcept;
    static void set_piece_cells(std::int64_t cells) noexcept;

    std::size_t count() const noexcept { return count_; }
    span at(std::size_t i) const noexcept;

private:
    std::int64_t rows_;
    std::int64_t cols_;
    std::int64_t rows_per_piece_ = 1;   // whole rows per piece
    std::int64_t cols_per_piece_ = 0;   // > 0: rows are cut into stretches this long
    std::int64_t pieces_per_row_ = 1;
    std::size_t count_ = 0;
};

}  // namespace vt
