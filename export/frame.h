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
        const std::string* m = find(cell);
        if (m != nullptr && note_place == 1) out.write(*m);
        out.write(number);
        if (m != nullptr && note_place != 1) out.write(*m);
    }

    // write_number into a piece's buffer, with the caller's scratch for
    // the lookup (see find).
    void append_number(std::string& out, std::int64_t cell, std::string_view number, int note_place,
                       std::string& scratch) const {
        const std::string* m = find(cell, scratch);
        if (m != nullptr && note_place == 1) out.append(*m);
        out.append(number);
        if (m != nullptr && note_place != 1) out.append(*m);
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

}  // namespace vt
