// The dBase exports (dbakonv, dbakonv2005, dbakonv2, dbakonv3, dbaseConv):
// the fields each layout defines and the records it walks, written through
// the DBF writer.
//
// Two layouts:
//   per cell  one text field per variable, then "TABCELL"; a record for every
//             combination of values, first variable slowest.
//   per row   text fields "C1", "C2", ... for the stub variables (codes in
//             fields of their own where the layout asks for them), then one
//             number field per data column; a record per stub row.
#include "export/dbase.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/batched.h"
#include "export/dbf.h"
#include "platform/codepage.h"
#include "platform/fsinfo.h"
#include "export/frame.h"
#include "platform/message.h"
#include "platform/parallel.h"

namespace vt {

namespace {

constexpr int number_width = 10;
constexpr int row_text_min_width = 15;
constexpr int cell_text_default_width = 6;

// The most fields a header can describe (its length is a 16-bit number).
constexpr std::int64_t max_fields = (dbf::max_length - 33) / 32;

std::string oem(std::string s) {
    plat::ansi_to_oem(s);
    return s;
}

// The cells of the table in data order. Normally they are read from the
// input, which stands at the data section, a block at a time; a keyed
// section has been loaded into memory instead and is read from there.
class cell_source {
public:
    cell_source(in_file& in, const table& t, bool symbols_take_value, double symbol_value)
        : in_(in), t_(t), symbols_take_value_(symbols_take_value), symbol_value_(symbol_value) {}

    // The next n cells into `block`. A cell the section does not give (it
    // ended early) is 0, as the data reader has it, never the cell of an
    // earlier record. A quoted cell, a data symbol or not, is 0 unless the
    // caller gave it a value.
    void fill(double* block, std::int64_t n) {
        const double quoted = symbols_take_value_ ? symbol_value_ : 0;
        std::int64_t got = 0;
        if (t_.data() != nullptr) {
            const std::int64_t held = static_cast<std::int64_t>(t_.data_handle.size());
            for (; got < n && position_ < held; ++got) {
                const double x = t_.data()[position_++];
                block[got] = is_symbol_cell(x) ? quoted : x;
            }
        } else if (!ended_) {
            got = stream_cells(in_, block, n, quoted, scratch_);
            ended_ = got < n;
        }
        std::fill(block + got, block + n, 0.0);
    }

private:
    in_file& in_;
    const table& t_;
    bool symbols_take_value_;
    double symbol_value_;
    std::int64_t position_ = 0;
    bool ended_ = false;
    std::string scratch_;
};

// How a layout makes its records: `count` records from record `first` on,
// each taking `cells_per_record` cells in data order from `cells`, appended
// to `buf`. Called on several threads at once, so it reads shared state only.
struct record_maker {
    std::int64_t records = 0;
    std::int64_t cells_per_record = 1;
    std::function<void(std::int64_t first, std::int64_t count, const double* cells, std::string& buf)> make;
};

// About this many cells are read and made into records at a time: the
// memory held is two such batches of cells and of records, whatever the
// size of the table.
constexpr std::int64_t batch_cells = 1 << 15;

// Writes all the records of `m`, made in pieces on the threads the process
// may use while the next cells are read (see export/batched.h). False when
// records could not be written.
bool write_records(dbf::writer& w, cell_source& cells, const record_maker& m) {
    if (m.records <= 0) return true;
    const unsigned threads = plat::thread_count();
    const std::int64_t per_batch = std::max<std::int64_t>(1, batch_cells / std::max<std::int64_t>(1, m.cells_per_record));
    auto batch_records = [&](std::int64_t b) { return std::min(per_batch, m.records - b * per_batch); };
    auto per_piece = [&](std::int64_t b) { return rows_per_piece(batch_records(b), 1, threads, batch_cells); };

    std::vector<double> block[2];
    for (auto& b : block) b.resize(static_cast<std::size_t>(per_batch * m.cells_per_record));
    bool ok = true;
    batch_steps steps;
    steps.batches = (m.records + per_batch - 1) / per_batch;
    steps.read = [&](std::int64_t b, int slot) {
        cells.fill(block[slot].data(), batch_records(b) * m.cells_per_record);
    };
    steps.pieces = [&](std::int64_t b) {
        return static_cast<std::size_t>((batch_records(b) + per_piece(b) - 1) / per_piece(b));
    };
    steps.make = [&](std::int64_t b, int slot, std::size_t piece, std::string& buf) {
        const std::int64_t first = static_cast<std::int64_t>(piece) * per_piece(b);
        const std::int64_t count = std::min(per_piece(b), batch_records(b) - first);
        m.make(b * per_batch + first, count, block[slot].data() + first * m.cells_per_record, buf);
    };
    steps.write = [&](const std::string& piece) { ok = w.write_records(piece) == 0 && ok; };
    run_batches(steps, threads);
    return ok;
}

// The value positions of record `index` when the records walk the value
// combinations of vars [0, count) with the first slowest.
std::vector<int> positions_of(const table& t, std::size_t count, std::int64_t index) {
    std::vector<int> position(count, 0);
    for (std::size_t k = count; k-- > 0;) {
        const int n = static_cast<int>(t.vars[k].values.size());
        position[k] = static_cast<int>(index % n);
        index /= n;
    }
    return position;
}

enum class layout { per_cell, per_row };

// What a run of an export asks for.
struct request {
    layout kind = layout::per_cell;
    std::string unit_name;         // per cell: the name of an unnamed variable
    bool symbols_take_value = false;
    double symbol_value = 0;
    // per row: which stub variables get a code field, and whether codes
    // are converted to OEM like the texts.
    std::vector<bool> code_field;
    bool convert_codes = true;
};

// One text field of the per-row layout: a stub variable's text or code.
struct text_column {
    std::size_t var = 0;
    bool code = false;
};

int value_count(const variable& v) { return static_cast<int>(v.values.size()); }

// Walks the value combinations of vars [0, count) with the first slowest:
// `position` is the current value of each. False once every combination
// has been visited.
bool advance(std::vector<int>& position, const table& t) {
    for (std::size_t k = position.size(); k-- > 0;) {
        if (++position[k] < value_count(t.vars[k])) return true;
        position[k] = 0;
    }
    return false;
}

// Texts of every value of every variable, as they go into the file.
std::vector<std::vector<std::string>> converted_texts(const table& t) {
    std::vector<std::vector<std::string>> out(t.vars.size());
    for (std::size_t k = 0; k < t.vars.size(); ++k)
        for (const value& v : t.vars[k].values) out[k].push_back(oem(v.text));
    return out;
}

// Per cell: the fields and one record per combination of all values.
int write_per_cell(const table& t, const request& r, cell_source& cells, const std::string& output) {
    const std::size_t nvars = t.vars.size();
    dbf::writer w(static_cast<int>(nvars) + 1);
    for (std::size_t k = 0; k < nvars; ++k) {
        const variable& v = t.vars[k];
        const int width = v.max_text_len > 0 ? v.max_text_len : cell_text_default_width;
        std::string name = oem(v.name ? *v.name : r.unit_name);
        if (name.size() > static_cast<std::size_t>(width)) name.resize(static_cast<std::size_t>(width));
        w.set_field(static_cast<int>(k) + 1, name, 'C', width, 0);
    }
    const int cell_field = static_cast<int>(nvars) + 1;
    w.set_field(cell_field, "TABCELL", 'N', number_width, stored_decimals(t));
    if (!w.fits() || w.open(output, dbf::today()) != 0) return codes::cannot_open;

    const auto texts = converted_texts(t);
    std::int64_t records = nvars > 0 ? 1 : 0;
    for (const variable& v : t.vars) records *= value_count(v);
    const std::string blank(static_cast<std::size_t>(w.record_length()), ' ');
    record_maker m;
    m.records = records;
    m.make = [&](std::int64_t first, std::int64_t count, const double* cell, std::string& buf) {
        std::string record = blank;
        std::vector<int> position = positions_of(t, nvars, first);
        // A text field keeps its bytes from record to record: only the
        // values that moved on are put again (the innermost one every record).
        std::size_t changed_from = 0;
        for (std::int64_t i = 0; i < count; ++i) {
            for (std::size_t k = changed_from; k < nvars; ++k)
                w.put_text(record.data(), static_cast<int>(k) + 1, texts[k][static_cast<std::size_t>(position[k])]);
            w.put_number(record.data(), cell_field, cell[i]);
            buf.append(record);
            if (!advance(position, t)) break;
            changed_from = nvars;
            while (changed_from > 0 && position[changed_from - 1] == 0) --changed_from;
            if (changed_from > 0) --changed_from;
        }
    };
    const bool ok = write_records(w, cells, m);
    return w.close(dbf::today()) == 0 && ok ? 0 : codes::cannot_open;
}

// Per row: text fields (codes where asked), number fields, a record per
// stub row.
int write_per_row(const table& t, const request& r, cell_source& cells, const std::string& output) {
    const std::size_t nstub = t.stub_count();
    std::int64_t ncols = 1;
    for (std::size_t k = nstub; k < t.vars.size() && ncols <= max_fields; ++k) ncols *= value_count(t.vars[k]);

    std::vector<text_column> columns;
    int width = row_text_min_width;
    for (std::size_t k = 0; k < nstub; ++k) {
        if (k < r.code_field.size() && r.code_field[k]) columns.push_back({k, true});
        columns.push_back({k, false});
        if (t.vars[k].max_text_len > width) width = t.vars[k].max_text_len;
    }
    const std::int64_t ntext = static_cast<std::int64_t>(columns.size());
    if (ntext + ncols > max_fields) return codes::cannot_open;

    dbf::writer w(static_cast<int>(ntext + ncols));
    for (std::int64_t k = 1; k <= ntext; ++k) w.set_field(static_cast<int>(k), "C" + std::to_string(k), 'C', width, 0);
    const int decimals = stored_decimals(t);
    for (std::int64_t k = ntext + 1; k <= ntext + ncols; ++k)
        w.set_field(static_cast<int>(k), "N" + std::to_string(k), 'N', number_width, decimals);
    if (!w.fits() || w.open(output, dbf::today()) != 0) return codes::cannot_open;

    const auto texts = converted_texts(t);
    std::int64_t rows = 1;
    for (std::size_t k = 0; k < nstub; ++k) rows *= value_count(t.vars[k]);
    // The code fields as they go into the file, made once.
    std::vector<std::vector<std::string>> code_texts(nstub);
    for (const text_column& c : columns) {
        if (!c.code) continue;
        for (const value& v : t.vars[c.var].values)
            code_texts[c.var].push_back(!v.code ? std::string() : r.convert_codes ? oem(*v.code) : *v.code);
    }
    const std::string blank(static_cast<std::size_t>(w.record_length()), ' ');
    record_maker m;
    m.records = rows;
    m.cells_per_record = ncols;
    m.make = [&](std::int64_t first, std::int64_t count, const double* cell, std::string& buf) {
        std::string record = blank;
        std::vector<int> position = positions_of(t, nstub, first);
        for (std::int64_t i = 0; i < count; ++i) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const std::size_t k = columns[c].var;
                const auto& field_texts = columns[c].code ? code_texts[k] : texts[k];
                w.put_text(record.data(), static_cast<int>(c) + 1, field_texts[static_cast<std::size_t>(position[k])]);
            }
            for (std::int64_t col = 1; col <= ncols; ++col)
                w.put_number(record.data(), static_cast<int>(ntext + col), *cell++);
            buf.append(record);
            advance(position, t);
        }
    };
    const bool ok = write_records(w, cells, m);
    return w.close(dbf::today()) == 0 && ok ? 0 : codes::cannot_open;
}

// The stub variables that get a code field in dbakonv3: the last one with
// a MAP, or none.
std::vector<bool> map_code_field(const table& t) {
    std::vector<bool> out(t.stub_count(), false);
    for (std::size_t k = t.stub_count(); k-- > 0;)
        if (t.vars[k].map) {
            out[k] = true;
            break;
        }
    return out;
}

// The stub variables that get a code field in dbaseConv.
std::vector<bool> code_fields(const table& t, int code_mode) {
    std::vector<bool> out(t.stub_count(), false);
    for (std::size_t k = 0; k < out.size(); ++k) {
        const variable& v = t.vars[k];
        const bool first_has_code = !v.values.empty() && v.values.front().code.has_value();
        out[k] = first_has_code && (code_mode == 1 || (code_mode == 2 && v.doublecolumn == 1));
    }
    return out;
}

using field_choice = std::vector<bool> (*)(const table&, int);

int convert(const std::string& path, const std::string& path2, request r, field_choice choose, int code_mode) {
    table t = table_new();
    in_file in;
    if (const int rc = read_keywords(path, in, t, codes::cannot_open); rc > 0) return rc;
    // Keyed rows come in any order and name their stub values: they are
    // loaded so the cells can be taken in data order.
    if (t.stub_count() > 0 && t.vars[0].keys_mode != 0) {
        if (const int rc = read_data(t, in); rc != 0) return rc;
    }
    // The output must not replace the table being read.
    if (path2.empty() || plat::overwrites_input(path, path2)) return codes::cannot_open;
    if (choose != nullptr) r.code_field = choose(t, code_mode);

    cell_source cells(in, t, r.symbols_take_value, r.symbol_value);
    // A file cut short is never put in place: the dBase writer keeps the
    // old file until its output is closed whole.
    return r.kind == layout::per_cell ? write_per_cell(t, r, cells, path2) : write_per_row(t, r, cells, path2);
}

int run(const char* name, const std::string& path, const std::string& path2, const request& r,
        field_choice choose = nullptr, int code_mode = 0) noexcept {
    return run_export(name, {}, [&] { return convert(path, path2, r, choose, code_mode); });
}

}  // namespace

int dbakonv(const std::string& path, const std::string& path2, const std::string& unit_name) noexcept {
    request r;
    try {
        r.unit_name = unit_name;
    } catch (...) {
        return codes::no_memory;
    }
    return run("dbakonv", path, path2, r);
}

int dbakonv2005(const std::string& path, const std::string& path2, const std::string& unit_name,
                double symbol_value) noexcept {
    request r;
    try {
        r.unit_name = unit_name;
    } catch (...) {
        return codes::no_memory;
    }
    r.symbols_take_value = true;
    r.symbol_value = symbol_value;
    return run("dbakonv2005", path, path2, r);
}

int dbakonv2(const std::string& path, const std::string& path2) noexcept {
    request r;
    r.kind = layout::per_row;
    return run("dbakonv2", path, path2, r);
}

int dbakonv3(const std::string& path, const std::string& path2) noexcept {
    request r;
    r.kind = layout::per_row;
    // The map codes go into the file exactly as the table holds them.
    r.convert_codes = false;
    return run("dbakonv3", path, path2, r, [](const table& t, int) { return map_code_field(t); });
}

int dbaseConv(const std::string& path, const std::string& path2, int code_mode) noexcept {
    request r;
    r.kind = layout::per_row;
    return run("dbaseConv", path, path2, r, code_fields, code_mode);
}

}  // namespace vt
