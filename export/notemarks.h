// Data-note markers of the delimited and print exports: the cells a table's
// DATANOTECELL entries cover are numbered into the notes file beside the
// output, and each written cell looks its marker up there by its number.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/notes.h"
#include "core/table.h"
#include "platform/ini.h"

namespace vt {

class note_markers {
public:
    // Numbers the table's data-note cells into the notes file of
    // `output_path` and keeps the file for the lookups. Without data-note
    // cells nothing is written and no cell gets a marker; a notes file that
    // cannot be written or read back means no markers either (the cells are
    // still written).
    void prepare(const table& t, const std::string& output_path) {
        active_ = false;
        if (t.datanotecells.empty()) return;
        const std::string notes = notes_file_name(output_path);
        active_ = write_datanote_index(t, notes) > 0 && index_.load(notes);
    }

    bool active() const noexcept { return active_; }

    // The marker of cell `cell` (its number in data order): the text of the
    // data note the notes file gives it, or nullptr when it has none. A
    // note number the symbol list does not know is shown as the number.
    const std::string* find(std::int64_t cell) {
        if (!active_) return nullptr;
        key_.assign("cell");
        key_.append(std::to_string(cell));
        const std::string* note = index_.find(key_, "note");
        if (note == nullptr) return nullptr;
        const long n = std::strtol(note->c_str(), nullptr, 10);
        if (n < 1) return nullptr;
        const text_list& symbols = datanote_symbols();
        if (static_cast<std::size_t>(n) > symbols.size()) return note;
        return &symbols[static_cast<std::size_t>(n - 1)];
    }

    // Writes the formatted number with the cell's marker before it
    // (`note_place` 1) or after it (any other value) into `out`.
    template <class Out>
    void write_number(Out& out, std::int64_t cell, const std::string& number, int note_place) {
        const std::string* m = find(cell);
        if (m != nullptr && note_place == 1) out.write(*m);
        out.write(number);
        if (m != nullptr && note_place != 1) out.write(*m);
    }

private:
    bool active_ = false;
    plat::ini_file index_;
    std::string key_;
};

}  // namespace vt
