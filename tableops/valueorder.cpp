// Value order: the reordering operation of berakna and the valueorder job.
#include "tableops/valueorder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/reader.h"
#include "tableops/newtable.h"
#include "tableops/pivot.h"

namespace vt {

int find_named_variable(const table& t, const std::string& name, const std::string& unit_var) {
    return variable_position(t, name == unit_var ? opt_string{} : opt_string{name});
}

bool parse_value_order(const std::string& list, std::size_t count, std::vector<std::size_t>& out) {
    // Value numbers read like variable numbers: an empty item or 0 is the first.
    if (!parse_variable_numbers(list, count, out) || out.size() != count) return false;
    std::vector<char> seen(count, 0);
    for (std::size_t k : out) {
        if (seen[k]) return false;
        seen[k] = 1;
    }
    return true;
}

namespace {

// The cells of `src` with the values of the variable at stride `block`
// (n values) in the order `from` gives: block j of every run of n blocks
// comes from block from[j]. Whole blocks move, so this is a copy at memory
// speed whatever the variable.
void move_value_blocks(const double* src, double* dst, std::int64_t cells, std::int64_t block,
                       const std::vector<int>& from) noexcept {
    const std::int64_t n = static_cast<std::int64_t>(from.size());
    const std::size_t bytes = static_cast<std::size_t>(block) * sizeof(double);
    for (std::int64_t run = 0; run < cells; run += n * block)
        for (std::int64_t j = 0; j < n; ++j)
            std::memcpy(dst + run + j * block, src + run + from[static_cast<std::size_t>(j)] * block, bytes);
}

// Re-points one variable's references of a note list from old to new value
// positions.
void repoint(cell_ref_list& refs, const std::vector<int>& new_pos) {
    for (cell_ref& r : refs)
        if (r >= 0 && r < static_cast<int>(new_pos.size())) r = new_pos[static_cast<std::size_t>(r)];
}

// The same move in place, for cells this operation read itself: each
// cycle of the permutation goes round once through one spare block, so
// only one matrix is held. False when the spare block cannot be had.
bool move_value_blocks_in_place(double* cells_ptr, std::int64_t cells, std::int64_t block,
                                const std::vector<int>& from) {
    const std::size_t n = from.size();
    const std::size_t bytes = static_cast<std::size_t>(block) * sizeof(double);
    std::vector<double> spare;
    try {
        spare.resize(static_cast<std::size_t>(block));
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<char> done(n);
    for (std::int64_t run = 0; run < cells; run += static_cast<std::int64_t>(n) * block) {
        double* base = cells_ptr + run;
        std::fill(done.begin(), done.end(), 0);
        for (std::size_t start = 0; start < n; ++start) {
            if (done[start] || static_cast<std::size_t>(from[start]) == start) continue;
            std::memcpy(spare.data(), base + static_cast<std::int64_t>(start) * block, bytes);
            std::size_t j = start;
            for (;;) {
                done[j] = 1;
                const std::size_t k = static_cast<std::size_t>(from[j]);
                double* to = base + static_cast<std::int64_t>(j) * block;
                if (k == start) {
                    std::memcpy(to, spare.data(), bytes);
                    break;
                }
                std::memcpy(to, base + static_cast<std::int64_t>(k) * block, bytes);
                j = k;
            }
        }
    }
    return true;
}

}  // namespace

int reorder_values(table& source, const bearb& req, in_file* source_file, table& out) {
    if (req.entries.empty()) return codes::op_failed;
    const request_entry& e = req.entries.front();
    const int p = variable_position(source, e.name);
    if (p < 0) return codes::op_failed;
    const variable& sv = source.vars[static_cast<std::size_t>(p)];
    std::vector<int> from;
    if (e.values.size() != sv.values.size() || !listed_positions(sv, e.values, from)) return codes::op_failed;

    // Cells read here belong to this operation and are reordered where they
    // lie; a caller's cells are copied.
    const bool own_cells = !source.data();
    if (own_cells) {
        if (!source_file) return codes::op_failed;
        if (const int rc = read_data(source, *source_file); rc != 0) return rc;
    }
    const std::int64_t cells = compute_strides(source.vars);

    out = copy_variables(source);
    variable& v = out.vars[static_cast<std::size_t>(p)];
    std::vector<int> new_pos(from.size());
    std::vector<value> values;
    values.reserve(from.size());
    for (std::size_t j = 0; j < from.size(); ++j) {
        new_pos[static_cast<std::size_t>(from[j])] = static_cast<int>(j);
        values.push_back(std::move(v.values[static_cast<std::size_t>(from[j])]));
    }
    v.values = std::move(values);
    if (v.elimination_value >= 0) v.elimination_value = new_pos[static_cast<std::size_t>(v.elimination_value)];
    // Links between values in their old order would describe a tree that
    // is no longer shown that way.
    v.has_hierarchy = 0;
    v.hierarchies.clear();
    for (variable& each : out.vars) each.keys_mode = 0;  // the new table is written in full form
    compute_strides(out.vars);
    const std::int64_t block = source.vars[static_cast<std::size_t>(p)].stride;
    if (own_cells) {
        if (!move_value_blocks_in_place(source.data(), cells, block, from)) return codes::no_memory;
        out.data_handle = std::move(source.data_handle);
    } else {
        if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;
        move_value_blocks(source.data(), out.data(), cells, block, from);
    }

    copy_head(source, out);
    out.heading = source.heading;
    // Notes keep their positions everywhere but in the reordered variable,
    // whose references follow their values.
    carry_notes_by_position(source, out);
    repoint(v.cellnote_refs, new_pos);
    repoint(v.cellnotex_refs, new_pos);
    repoint(v.datanotecell_refs, new_pos);
    mark_datanotes(out);
    continfo_red(out);
    return codes::ok;
}

int valueorder(const char* in_path, const char* out_path, const char* value_list, const char* variable_name,
               const char* unit_var, const title_words& words) {
    return guard([&] {
        in_file in;
        if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
        table t = table_new();
        if (const int rc = metain(in, t); rc != 0) return rc;
        const int p = find_named_variable(t, variable_name ? variable_name : "", unit_var ? unit_var : "");
        if (p < 0) return codes::op_no_such_name;
        const variable& v = t.vars[static_cast<std::size_t>(p)];
        std::vector<std::size_t> order;
        if (!parse_value_order(value_list ? value_list : "", v.values.size(), order))
            return codes::op_bad_value_order;

        std::vector<std::string> texts;
        for (std::size_t k : order) texts.push_back(v.values[k].text);
        return reorder_and_write_values(t, &in, static_cast<std::size_t>(p), texts, out_path, words);
    });
}

int reorder_and_write_values(table& t, in_file* in, std::size_t var, const std::vector<std::string>& texts,
                             const char* out_path, const title_words& words) {
    bearb req;
    req.op = op_value_order;
    req.entries.push_back(request_entry{t.vars[var].name, std::nullopt, texts});
    table nt;
    const int rc = berakna(t, req, in, nt);
    if (rc == codes::op_failed) return codes::op_bad_value_order;
    if (rc != 0) return rc;
    if (in) in->close();
    title_rebuild(nt, title_width, words);
    return write_new_table(nt, out_path, 0);
}

}  // namespace vt
