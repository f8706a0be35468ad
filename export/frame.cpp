// The start-up every conversion shares: reading the table, creating the
// output, numbering the data notes beside it and looking their markers up.
#include "export/frame.h"

#include <algorithm>
#include <atomic>
#include <charconv>
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

void piece_text::write_int(long long v) {
    char tmp[24];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    buf.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
}

namespace {

std::atomic<std::int64_t> chosen_piece_cells{0};

}  // namespace

std::int64_t cell_pieces::piece_cells() noexcept {
    const std::int64_t n = chosen_piece_cells.load(std::memory_order_relaxed);
    return n > 0 ? n : default_cells;
}

void cell_pieces::set_piece_cells(std::int64_t cells) noexcept {
    chosen_piece_cells.store(std::max<std::int64_t>(cells, 0), std::memory_order_relaxed);
}

cell_pieces::cell_pieces(std::int64_t rows, std::int64_t columns, std::int64_t cells)
    : rows_(std::max<std::int64_t>(rows, 0)), cols_(std::max<std::int64_t>(columns, 1)) {
    cells = std::max<std::int64_t>(cells, 1);
    if (cols_ > cells) {
        cols_per_piece_ = cells;
        pieces_per_row_ = (cols_ + cells - 1) / cells;
        count_ = static_cast<std::size_t>(rows_ * pieces_per_row_);
    } else {
        rows_per_piece_ = cells / cols_;
        count_ = static_cast<std::size_t>((rows_ + rows_per_piece_ - 1) / rows_per_piece_);
    }
}

cell_pieces::span cell_pieces::at(std::size_t i) const noexcept {
    const auto n = static_cast<std::int64_t>(i);
    span s;
    if (cols_per_piece_ > 0) {
        s.first_row = n / pieces_per_row_;
        s.end_row = s.first_row + 1;
        s.first_col = (n % pieces_per_row_) * cols_per_piece_;
        s.end_col = std::min(cols_, s.first_col + cols_per_piece_);
    } else {
        s.first_row = n * rows_per_piece_;
        s.end_row = std::min(rows_, s.first_row + rows_per_piece_);
        s.end_col = cols_;
    }
    return s;
}

}  // namespace vt
