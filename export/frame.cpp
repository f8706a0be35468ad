// The start-up every conversion shares: reading the table, creating the
// output, numbering the data notes beside it and looking their markers up.
#include "export/frame.h"

#include <cstdlib>

#include "core/datasec.h"
#include "core/notes.h"
#include "core/reader.h"
#include "platform/fsinfo.h"

namespace vt {

int read_keywords(const std::string& path, in_file& in, table& t, int cannot_open) {
    if (path.empty()) return cannot_open;
    const int rc = read_table_file(path, in, t);
    return rc == codes::cannot_open ? cannot_open : rc;  // the reader itself never gives 400
}

int load_whole_table(const std::string& path, table& t, int cannot_open, std::string_view language) {
    in_file in;
    {
        reader_language_scope scope(language);
        scope.restore_only_untaken();
        if (const int rc = read_keywords(path, in, t, cannot_open); rc != 0) return rc;
        if (const int rc = read_data(t, in); rc != 0) return rc;
    }
    if (t.data() == nullptr || static_cast<std::int64_t>(t.data_handle.size()) < count_cells(t.vars))
        return codes::no_data_block;
    return 0;
}

bool open_output(out_file& out, const std::string& path) { return !path.empty() && out.open(path); }

bool notes_files_replace_input(const std::string& input, const std::string& output) noexcept {
    try {
        const std::string notes = notes_file_name(output);
        return plat::overwrites_input(input, notes) || plat::overwrites_input(input, symbol_file_name(notes));
    } catch (...) {
        return true;  // no memory for the names: better no markers than a lost input
    }
}

void note_markers::prepare(const table& t, const std::string& input, const std::string& output) {
    active_ = false;
    if (t.datanotecells.empty() || notes_files_replace_input(input, output)) return;
    const std::string notes = notes_file_name(output);
    active_ = write_datanote_index(t, notes) > 0 && index_.load(notes);
}

const std::string* note_markers::find(std::int64_t cell) const { return find(cell, key_); }

const std::string* note_markers::find(std::int64_t cell, std::string& scratch) const {
    if (!active_) return nullptr;
    scratch.assign("cell");
    scratch.append(std::to_string(cell));
    const std::string* note = index_.find(scratch, "note");
    if (note == nullptr) return nullptr;
    const long n = std::strtol(note->c_str(), nullptr, 10);
    const text_list& symbols = datanote_symbols();
    if (n < 1 || static_cast<std::size_t>(n) > symbols.size()) return nullptr;
    return &symbols[static_cast<std::size_t>(n - 1)];
}

cell_style export_cell_style(const table& t, std::string_view decimal_point, int rounding, int thousands) {
    cell_style style;
    style.precision = stored_decimals(t);
    style.decimal_point = decimal_point;
    style.rounding = rounding_flag(t, rounding);
    style.thousands = thousands;
    return style;
}

}  // namespace vt
