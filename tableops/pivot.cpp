// Pivot and variable order: the order lists of pivot and variableorder,
// the reordering operation of berakna, and the jobs that read a
// table, reorder it and write it.
#include "tableops/pivot.h"

#include <cstdint>
#include <new>
#include <utility>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/reader.h"
#include "platform/fsinfo.h"
#include "platform/text.h"
#include "tableops/newtable.h"

namespace vt {

bool pivot_order(std::size_t stub, std::size_t heading, int alt, variable_order& out) {
    out = variable_order{};
    const std::size_t n = stub + heading;  // chain positions: stub 0..stub-1, heading stub..n-1
    if (alt == 1) {
        for (std::size_t i = 1; i < stub; ++i) out.stub.push_back(i);
        if (heading >= 1) out.stub.push_back(n - 1);
        if (stub >= 1) out.heading.push_back(0);
        for (std::size_t i = stub; i + 1 < n; ++i) out.heading.push_back(i);
        return true;
    }
    if (alt == 2) {
        if (heading >= 1) out.stub.push_back(stub);
        for (std::size_t i = 0; i + 1 < stub; ++i) out.stub.push_back(i);
        for (std::size_t i = stub + 1; i < n; ++i) out.heading.push_back(i);
        if (stub >= 1) out.heading.push_back(stub - 1);
        return true;
    }
    return false;
}

bool parse_variable_numbers(const std::string& list, std::size_t count, std::vector<std::size_t>& out) {
    out.clear();
    bool blank = true;
    for (char c : list)
        if (c != ' ' && c != '\t') blank = false;
    if (blank) return true;
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        std::size_t b = at, e = end;
        while (b < e && (list[b] == ' ' || list[b] == '\t')) ++b;
        while (e > b && (list[e - 1] == ' ' || list[e - 1] == '\t')) --e;
        std::size_t k = 0;
        for (std::size_t p = b; p < e; ++p) {
            const char c = list[p];
            if (c < '0' || c > '9') return false;
            k = k * 10 + static_cast<std::size_t>(c - '0');
            if (k > count) return false;
        }
        // An empty item is 0, which (like 0 itself) means the first variable.
        out.push_back(k == 0 ? 0 : k - 1);
        at = end + 1;
    }
    return true;
}

bool order_complete(const variable_order& order, std::size_t count) {
    if (order.stub.size() + order.heading.size() != count) return false;
    std::vector<char> seen(count, 0);
    for (const auto* part : {&order.stub, &order.heading})
        for (std::size_t k : *part) {
            if (k >= count || seen[k]) return false;
            seen[k] = 1;
        }
    return true;
}

namespace {

// Moves the cells of `src` (laid out for the source chain) into `dst`
// (laid out for the new chain). from[j] is the source position of new
// variable j. Walks the new cells in order, last variable fastest, keeping
// the offset of the same combination in the source.
void permute_cells(const std::vector<variable>& source_vars, const std::vector<variable>& new_vars,
                   const std::vector<std::size_t>& from, const double* src, double* dst, std::int64_t cells) noexcept {
    const std::size_t n = new_vars.size();
    std::vector<std::int64_t> count(n), old_stride(n), digit(n, 0);
    for (std::size_t j = 0; j < n; ++j) {
        count[j] = new_vars[j].value_count;
        old_stride[j] = source_vars[from[j]].stride;
    }
    std::int64_t off = 0;
    for (std::int64_t c = 0; c < cells; ++c) {
        dst[c] = src[off];
        for (std::size_t j = n; j-- > 0;) {
            off += old_stride[j];
            if (++digit[j] < count[j]) break;
            off -= digit[j] * old_stride[j];
            digit[j] = 0;
        }
    }
}

}  // namespace

int reorder_variables(table& source, const bearb& req, in_file* source_file, table& out) {
    const std::size_t n = source.vars.size();
    if (n == 0 || req.entries.size() != n) return codes::op_failed;
    // Each entry takes the first source variable of its name not taken yet.
    std::vector<std::size_t> from;
    std::vector<char> taken(n, 0);
    for (const request_entry& e : req.entries) {
        std::size_t k = 0;
        while (k < n && (taken[k] || source.vars[k].name != e.name)) ++k;
        if (k == n) return codes::op_failed;
        taken[k] = 1;
        from.push_back(k);
    }
    if (!source.data()) {
        if (!source_file) return codes::op_failed;
        // The data reader's code stands: 201 when the source's cells cannot
        // be had in memory, 121 for a bad key of keyed data.
        if (const int rc = read_data(source, *source_file); rc != 0) return rc;
    }
    const std::int64_t source_cells = compute_strides(source.vars);

    table copies = copy_variables(source);
    out = table_new();
    for (std::size_t j = 0; j < n; ++j) {
        variable v = std::move(copies.vars[from[j]]);
        v.keys_mode = 0;  // the new table holds its cells in memory, in full form
        // Values keep their places, so the notes' references stay valid.
        const variable& sv = source.vars[from[j]];
        v.cellnote_refs = sv.cellnote_refs;
        v.cellnotex_refs = sv.cellnotex_refs;
        v.datanotecell_refs = sv.datanotecell_refs;
        for (std::size_t k = 0; k < v.values.size() && k < sv.values.size(); ++k)
            v.values[k].has_datanote = sv.values[k].has_datanote;
        out.vars.push_back(std::move(v));
    }
    const std::int64_t cells = compute_strides(out.vars);
    if (cells != source_cells) return codes::op_failed;
    if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;
    permute_cells(source.vars, out.vars, from, source.data(), out.data(), cells);

    copy_head(source, out);
    out.cellnote_texts = source.cellnote_texts;
    out.cellnotex_texts = source.cellnotex_texts;
    out.datanotecell_texts = source.datanotecell_texts;
    continfo_red(out);
    return codes::ok;
}

// The common reordering step on a table read up to its data section (f
// stands there, or is null when t holds its data): the request, berakna
// when the sequence changes, the heading marker, the title, and the new
// file.
int reorder_and_write(table& t, in_file* f, const variable_order& order, const char* out_path,
                      const title_words& words) {
    if (!order_complete(order, t.vars.size())) return codes::op_bad_order;
    bearb req;
    req.op = op_reorder;
    bool same = true;
    std::size_t pos = 0;
    for (const auto* part : {&order.stub, &order.heading})
        for (std::size_t k : *part) {
            request_entry e;
            e.name = t.vars[k].name;
            req.entries.push_back(std::move(e));
            if (k != pos++) same = false;
        }
    table moved;
    table* result = &t;
    if (same) {
        // Only the boundary between stub and heading moves: the cells stay.
        if (!t.data()) {
            if (!f) return codes::op_failed;
            if (const int rc = read_data(t, *f); rc != 0) return rc;
        }
        for (variable& v : t.vars) v.keys_mode = 0;
    } else {
        const int rc = berakna(t, req, f, moved);
        if (rc == codes::op_failed) return codes::op_bad_order;
        if (rc != 0) return rc;
        result = &moved;
    }
    table& nt = *result;
    nt.heading = order.heading.empty() ? nt.vars.size() : order.stub.size();
    if (f) f->close();

    title_rebuild(nt, title_width, words);
    return write_new_table(nt, out_path, 0);
}

namespace {

// Opens and reads the source up to its data section. 0, 400, 84 or the
// reader's code.
int read_source(const char* in_path, const char* out_path, in_file& in, table& t) {
    if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;
    t = table_new();
    return metain(in, t);
}

}  // namespace

int pivot(const char* in_path, const char* out_path, int alt, const char* unit_var, const title_words& words) {
    (void)unit_var;  // variables are taken by position: the unnamed one needs no stand-in name
    return guard([&] {
        variable_order order;
        if (!pivot_order(0, 0, alt, order)) return codes::op_bad_pivot_alt;
        in_file in;
        table t;
        if (const int rc = read_source(in_path, out_path, in, t); rc != 0) return rc;
        pivot_order(t.stub_count(), t.heading_count(), alt, order);
        return reorder_and_write(t, &in, order, out_path, words);
    });
}

int variableorder(const char* in_path, const char* out_path, const char* stub_order, const char* head_order,
                  const char* unit_var, const title_words& words) {
    (void)unit_var;  // as in pivot
    return guard([&] {
        in_file in;
        table t;
        if (const int rc = read_source(in_path, out_path, in, t); rc != 0) return rc;
        variable_order order;
        if (!parse_variable_numbers(stub_order ? stub_order : "", t.vars.size(), order.stub) ||
            !parse_variable_numbers(head_order ? head_order : "", t.vars.size(), order.heading))
            return codes::op_bad_order;
        return reorder_and_write(t, &in, order, out_path, words);
    });
}

}  // namespace vt
