// The table computation: berakna's dispatch, the selection engine selbas,
// the addition of cells holding data symbols, and the carry-over of notes
// and contents information that every operation ends with.
#include "tableops/compute.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <unordered_map>
#include <utility>

#include "core/cells.h"
#include "core/datasec.h"
#include "core/numfmt.h"
#include "tableops/calc.h"
#include "tableops/merge.h"
#include "tableops/pivot.h"
#include "tableops/valueorder.h"
#include "tableops/valuesets.h"

namespace vt {

void bearb_append(bearb& req, request_entry entry) {
    if (req.entries.empty()) req.op = op_selection;
    req.entries.push_back(std::move(entry));
}

namespace {

// The symbol a value stands for, as its sentinel, or 0 for a number. Bands
// rather than exact values: sums of sentinels and numbers drift a little.
double symbol_class(double v) noexcept {
    if (v > -9e18) return 0;
    double lo = -1.1e19, hi = -9e18, sym = -1e19;
    for (std::size_t n = 0; n < std::size(dot_values); ++n) {
        if (v > lo && v < hi) return sym;
        lo *= 10;
        hi *= 10;
        sym *= 10;
    }
    return 0;
}

}  // namespace

double symbol_sum(double target, double x) noexcept {
    if (target > -1e19 && x > -1e19) return target + x;
    const double a = symbol_class(target);
    const double b = symbol_class(x);
    if (a != 0 && b != 0) return a == b ? a : -1e25;
    if (a != 0) return a;
    if (b != 0) return b;
    // Neither lies in a symbol band (a value far below every band): add.
    return target + x;
}

double quoted_token_value(const char* begin, const char* end) noexcept {
    const std::size_t n = static_cast<std::size_t>(end - begin);
    if (n == 1 && *begin == '-') return nil_value;
    if (n < 1 || n > std::size(dot_values)) return 0;
    for (const char* p = begin; p != end; ++p)
        if (*p != '.') return 0;
    return dot_values[n - 1];
}

// ---------------------------------------------------------------------------
// Carry-over of notes and contents information.

int variable_position(const table& t, const opt_string& name) {
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        if (t.vars[i].name == name) return static_cast<int>(i);
    return -1;
}

int value_position(const variable& v, const std::string& text) {
    for (std::size_t k = 0; k < v.values.size(); ++k)
        if (v.values[k].text == text) return static_cast<int>(k);
    return -1;
}

namespace {

// Carries one list of cell entries (CELLNOTE, CELLNOTEX or DATANOTECELL).
// A reference to a value follows the value's text into the new table; a
// "*" stays "*"; an entry whose value is gone, or that names a value of a
// variable the new table no longer has, is dropped. Variables the old
// table lacks get "*".
void carry_list(const table& from, table& to, cell_ref_list variable::*refs, text_list table::*texts) {
    for (variable& v : to.vars) (v.*refs).clear();
    (to.*texts).clear();
    std::vector<int> namesake(from.vars.size());
    for (std::size_t i = 0; i < from.vars.size(); ++i) namesake[i] = variable_position(to, from.vars[i].name);
    std::vector<cell_ref> row(to.vars.size());
    const text_list& old_texts = from.*texts;
    for (std::size_t k = 0; k < old_texts.size(); ++k) {
        std::fill(row.begin(), row.end(), any_value);
        bool keep = true;
        for (std::size_t i = 0; i < from.vars.size() && keep; ++i) {
            const variable& ov = from.vars[i];
            const cell_ref_list& r = ov.*refs;
            const cell_ref ref = k < r.size() ? r[k] : any_value;
            const bool any = ref < 0 || ref >= static_cast<int>(ov.values.size());
            if (namesake[i] < 0) {
                keep = any;
                continue;
            }
            if (any) continue;
            const int pos = value_position(to.vars[static_cast<std::size_t>(namesake[i])],
                                      ov.values[static_cast<std::size_t>(ref)].text);
            if (pos < 0) keep = false;
            else row[static_cast<std::size_t>(namesake[i])] = pos;
        }
        if (!keep) continue;
        for (std::size_t j = 0; j < to.vars.size(); ++j) (to.vars[j].*refs).push_back(row[j]);
        (to.*texts).push_back(old_texts[k]);
    }
}

}  // namespace

// The writer works from the references, so the per-entry records are not
// rebuilt.
void mark_datanotes(table& t) {
    for (variable& v : t.vars) {
        for (value& val : v.values) val.has_datanote = 0;
        for (cell_ref r : v.datanotecell_refs)
            if (r >= 0 && r < static_cast<int>(v.values.size())) v.values[static_cast<std::size_t>(r)].has_datanote = 1;
    }
    t.datanotecells.clear();
}

void continfo_red(table& to) {
    if (!to.contvariable) return;
    const int cv = variable_position(to, to.contvariable);
    if (cv < 0) {
        to.contvariable.reset();
        to.continfos.assign(1, continfo{});
        return;
    }
    const variable& v = to.vars[static_cast<std::size_t>(cv)];
    std::vector<continfo> chain;
    chain.reserve(v.values.size());
    for (const value& val : v.values) {
        bool stopped = false;
        const continfo* found = nullptr;
        for (const continfo& c : to.continfos) {
            if (!c.content) {
                stopped = true;
                break;
            }
            if (*c.content == val.text) {
                found = &c;
                break;
            }
        }
        if (found) {
            chain.push_back(*found);
        } else {
            continfo fresh;
            if (!stopped) fresh.content = val.text;
            chain.push_back(std::move(fresh));
        }
    }
    if (chain.empty()) chain.emplace_back();
    if (v.values.size() == 1) to.contvariable.reset();
    to.continfos = std::move(chain);
}

void carry_notes(const table& from, table& to) {
    carry_list(from, to, &variable::cellnote_refs, &table::cellnote_texts);
    carry_list(from, to, &variable::cellnotex_refs, &table::cellnotex_texts);
    carry_list(from, to, &variable::datanotecell_refs, &table::datanotecell_texts);
    mark_datanotes(to);
    continfo_red(to);
}

void carry_notes_by_position(const table& from, table& to) {
    to.cellnote_texts = from.cellnote_texts;
    to.cellnotex_texts = from.cellnotex_texts;
    to.datanotecell_texts = from.datanotecell_texts;
    for (std::size_t i = 0; i < to.vars.size() && i < from.vars.size(); ++i) {
        to.vars[i].cellnote_refs = from.vars[i].cellnote_refs;
        to.vars[i].cellnotex_refs = from.vars[i].cellnotex_refs;
        to.vars[i].datanotecell_refs = from.vars[i].datanotecell_refs;
    }
    mark_datanotes(to);
}

// ---------------------------------------------------------------------------
// The swap of texts and codes.

int swap_texts_codes(variable& v, const std::string& value_set_dir, const std::string& value_set_file) {
    if (v.values.empty()) return 0;
    bool none = true;
    for (const value& val : v.values)
        if (val.code) none = false;
    // Codes but no texts: the texts come from the value set first.
    if (none) {
        const int found = value_set_file.empty() ? fetch_valuetext(v, value_set_dir)
                                                 : fetch_valuetext_from(v, value_set_file);
        if (found != 1) return 0;
    }
    // A value without a code among coded ones is its own code, as the
    // table file writer states it.
    int longest = 0;
    for (value& val : v.values) {
        if (!val.code) val.code = val.text;
        std::swap(val.text, *val.code);
        longest = std::max(longest, static_cast<int>(val.text.size()));
    }
    v.max_text_len = longest;
    return 1;
}

namespace {

// Operation 51: a copy of the table in which the variables of the request
// show their codes as texts (and the texts as codes).
int swap_operation(table& source, const bearb& req, in_file* source_file, table& out) {
    if (!source.data()) {
        if (!source_file) return codes::op_failed;
        if (const int rc = read_data(source, *source_file); rc != 0) return rc;
    }
    out = copy_variables(source);
    copy_head(source, out);
    out.heading = source.heading;
    for (std::size_t n = 0; n < req.entries.size(); ++n) {
        const int k = variable_position(out, req.entries[n].name);
        if (k < 0) continue;
        variable& v = out.vars[static_cast<std::size_t>(k)];
        std::vector<std::string> old_texts;
        for (const value& val : v.values) old_texts.push_back(val.text);
        const std::string& file = n < req.value_set_files.size() ? req.value_set_files[n] : std::string();
        if (swap_texts_codes(v, req.value_set_dir, file) != 1) continue;
        // The contents records follow their value to its new text.
        if (out.contvariable && v.name == out.contvariable)
            for (continfo& c : out.continfos)
                for (std::size_t p = 0; p < old_texts.size(); ++p)
                    if (c.content && *c.content == old_texts[p]) {
                        c.content = v.values[p].text;
                        break;
                    }
    }
    const std::int64_t cells = compute_strides(out.vars);
    if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;
    std::memcpy(out.data(), source.data(), static_cast<std::size_t>(cells) * sizeof(double));
    // Every value stays where it was, so the notes keep their positions.
    carry_notes_by_position(source, out);
    return codes::ok;
}

}  // namespace

// ---------------------------------------------------------------------------
// Selection and aggregation.

namespace {

// One source variable's part of the cell map: pairs of (source value,
// target value), ordered by source value. A source value may occur more
// than once (one pair per group that holds it).
struct var_cell_map {
    std::vector<std::pair<int, int>> pairs;
};


// Matches the groups' member codes against the values of v (their texts
// hold the codes). Returns the number of pairs made; `unmatched` counts the
// members that matched no value.
std::size_t aggregation_pairs(const variable& v, const aggregation& agg, var_cell_map& map, std::size_t& unmatched) {
    unmatched = 0;
    std::unordered_map<std::string, std::vector<int>> by_code;
    for (std::size_t k = 0; k < v.values.size(); ++k) by_code[v.values[k].text].push_back(static_cast<int>(k));
    // Prefix matching needs every code 1 to 19 characters long.
    std::vector<std::size_t> lengths;
    bool prefix = agg.kind == 'N' || agg.kind == 'H';
    for (const value& val : v.values) {
        if (val.text.empty() || val.text.size() > 19) prefix = false;
        lengths.push_back(val.text.size());
    }
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());

    for (std::size_t g = 0; g < agg.groups.size(); ++g) {
        for (const std::string& m : agg.groups[g].members) {
            auto it = by_code.find(m);
            if (it != by_code.end()) {
                for (int k : it->second) map.pairs.emplace_back(k, static_cast<int>(g));
                continue;
            }
            if (!prefix) {
                ++unmatched;
                continue;
            }
            bool matched = false;
            for (std::size_t len : lengths) {
                if (len <= m.size()) continue;
                bool hit = false;
                for (std::size_t k = 0; k < v.values.size(); ++k) {
                    const std::string& t = v.values[k].text;
                    if (t.size() == len && t.compare(0, m.size(), m) == 0) {
                        map.pairs.emplace_back(static_cast<int>(k), static_cast<int>(g));
                        hit = true;
                    }
                }
                if (hit) {
                    matched = true;
                    break;
                }
            }
            if (!matched) ++unmatched;
        }
    }
    std::stable_sort(map.pairs.begin(), map.pairs.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return map.pairs.size();
}


// A copy of the source variable with only the values at `keep`.
void keep_values(variable& v, const std::vector<int>& keep) {
    std::vector<value> values;
    values.reserve(keep.size());
    int new_elim = -1;
    int longest = 0;
    for (std::size_t p = 0; p < keep.size(); ++p) {
        const int k = keep[p];
        if (k == v.elimination_value) new_elim = static_cast<int>(p);
        longest = std::max(longest, static_cast<int>(v.values[static_cast<std::size_t>(k)].text.size()));
        values.push_back(std::move(v.values[static_cast<std::size_t>(k)]));
    }
    v.values = std::move(values);
    v.value_count = static_cast<int>(v.values.size());
    v.max_text_len = longest;
    // The sum over some of the values is no longer the variable's total.
    v.elimination = 0;
    v.elimination_value = new_elim;
    // Hierarchy links to values that are gone would point nowhere.
    if (v.has_hierarchy) {
        auto kept = [&v](const std::string& text) { return text == "START" || value_position(v, text) >= 0; };
        std::vector<hierarchy_link> links;
        for (const hierarchy_link& l : v.hierarchies)
            if (kept(l.parent) && kept(l.child)) links.push_back(l);
        v.hierarchies = std::move(links);
    }
}

// Every combination of the lists' pairs, one pair per variable: the target
// cell at the summed target offsets takes the source cell at the summed
// source offsets.
void sum_combinations(const std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>>& lists, std::size_t d,
                      std::int64_t s, std::int64_t t, const double* src, double* dst) noexcept {
    const auto& l = lists[d];
    if (d + 1 == lists.size()) {
        for (const auto& p : l) dst[t + p.second] = symbol_sum(dst[t + p.second], src[s + p.first]);
        return;
    }
    for (const auto& p : l) sum_combinations(lists, d + 1, s + p.first, t + p.second, src, dst);
}

constexpr std::size_t max_token = 29;

inline bool is_separator(int c) noexcept {
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The next token of a data section: 1 with the token in buf/len, 0 at the
// end of the file, -1 for a token longer than max_token.
int next_token(in_file& f, char* buf, std::size_t& len) noexcept {
    int c = f.get();
    while (c != in_file::eof && is_separator(c)) c = f.get();
    if (c == in_file::eof) return 0;
    len = 0;
    // As everywhere in the data section, a line break inside a token does
    // not end it (long tokens may be split across lines), so both data
    // paths read the same cells.
    while (c != in_file::eof && (!is_separator(c) || c == '\n' || c == '\r')) {
        if (c != '\n' && c != '\r') {
            if (len == max_token) return -1;
            buf[len++] = static_cast<char>(c);
        }
        c = f.get();
    }
    return 1;
}

double token_value(const char* buf, std::size_t len) noexcept {
    if (buf[0] == '"') {
        const char* end = buf + len;
        if (len >= 2 && buf[len - 1] == '"') --end;
        return quoted_token_value(buf + 1, end);
    }
    return parse_cell_number(buf, buf + len);
}

// Reads the source cells straight from the data section in file order and
// adds each one that the map keeps into its target cell. Only the target
// cells are held in memory. `contrib[i][k]` is the target offset of value k
// of variable i, or -1 when that value is not kept.
int stream_cells(in_file& f, const std::vector<std::vector<std::int64_t>>& contrib, std::int64_t source_cells,
                 double* dst) {
    const std::size_t n = contrib.size();
    std::vector<std::size_t> digit(n, 0);
    std::int64_t offset = 0;
    int skipped = 0;  // variables whose current value is not kept
    for (std::size_t i = 0; i < n; ++i) {
        if (contrib[i][0] < 0) ++skipped;
        else offset += contrib[i][0];
    }
    char buf[max_token];
    std::size_t len = 0;
    for (std::int64_t c = 0; c < source_cells; ++c) {
        const int r = next_token(f, buf, len);
        if (r == 0) break;  // a short data section leaves the rest 0
        if (r < 0) return codes::op_failed;
        if (skipped == 0) dst[offset] = symbol_sum(dst[offset], token_value(buf, len));
        // Advance to the next combination, last variable fastest.
        for (std::size_t i = n; i-- > 0;) {
            const std::vector<std::int64_t>& ci = contrib[i];
            const std::int64_t old = ci[digit[i]];
            if (old < 0) --skipped;
            else offset -= old;
            if (++digit[i] == ci.size()) digit[i] = 0;
            const std::int64_t now = ci[digit[i]];
            if (now < 0) ++skipped;
            else offset += now;
            if (digit[i] != 0) break;
        }
    }
    return codes::ok;
}

}  // namespace

// A text that is not found after the previous match is searched from the
// start.
bool listed_positions(const variable& v, const std::vector<std::string>& texts, std::vector<int>& out) {
    std::vector<char> used(v.values.size(), 0);
    std::size_t from = 0;
    for (const std::string& t : texts) {
        std::size_t k = from;
        while (k < v.values.size() && (used[k] || v.values[k].text != t)) ++k;
        if (k == v.values.size()) {
            k = 0;
            while (k < v.values.size() && (used[k] || v.values[k].text != t)) ++k;
            if (k == v.values.size()) return false;
        }
        used[k] = 1;
        out.push_back(static_cast<int>(k));
        from = k + 1;
    }
    return true;
}

int selbas(table& source, const bearb& req, in_file* source_file, table& out) {
    const std::size_t n = source.vars.size();
    if (n == 0 || req.entries.empty()) return codes::op_failed;

    // Entries name their variables in table order.
    std::vector<const request_entry*> entry_of(n, nullptr);
    std::size_t e = 0;
    for (std::size_t i = 0; i < n && e < req.entries.size(); ++i)
        if (req.entries[e].name == source.vars[i].name) entry_of[i] = &req.entries[e++];
    if (e != req.entries.size()) return codes::op_failed;

    table copies = copy_variables(source);
    out = table_new();
    std::vector<var_cell_map> maps(n);
    std::vector<int> target_of(n, -1);
    bool any_aggregation = false;
    int raised_decimals = source.decimals;
    std::size_t heading = std::string::npos;

    for (std::size_t i = 0; i < n; ++i) {
        const variable& sv = source.vars[i];
        const request_entry* entry = entry_of[i];
        var_cell_map& map = maps[i];
        if (!entry) {
            // Eliminated: its elimination value, or the sum of all values.
            if (sv.elimination_value >= 0 && sv.elimination_value < static_cast<int>(sv.values.size())) {
                map.pairs.emplace_back(sv.elimination_value, 0);
                raised_decimals = std::max(raised_decimals,
                                           sv.values[static_cast<std::size_t>(sv.elimination_value)].precision);
            } else {
                for (std::size_t k = 0; k < sv.values.size(); ++k) {
                    map.pairs.emplace_back(static_cast<int>(k), 0);
                    raised_decimals = std::max(raised_decimals, sv.values[k].precision);
                }
            }
            continue;
        }
        variable tv;
        if (entry->agg) {
            any_aggregation = true;
            std::size_t unmatched = 0;
            const std::size_t pairs = aggregation_pairs(sv, *entry->agg, map, unmatched);
            if (unmatched > 0 && req.on_unmatched) req.on_unmatched(sv.name, unmatched);
            if (pairs == 0) return codes::op_failed;
            tv = aggregated_variable(*entry->agg);
        } else if (entry->values.empty()) {
            tv = std::move(copies.vars[i]);
            for (std::size_t k = 0; k < sv.values.size(); ++k)
                map.pairs.emplace_back(static_cast<int>(k), static_cast<int>(k));
        } else {
            std::vector<int> keep;
            if (!listed_positions(sv, entry->values, keep)) return codes::op_failed;
            tv = std::move(copies.vars[i]);
            keep_values(tv, keep);
            std::vector<std::pair<int, int>>& pairs = map.pairs;
            for (std::size_t p = 0; p < keep.size(); ++p) pairs.emplace_back(keep[p], static_cast<int>(p));
            std::sort(pairs.begin(), pairs.end());
        }
        tv.keys_mode = 0;
        tv.is_time = 0;
        if (i >= source.heading && heading == std::string::npos) heading = out.vars.size();
        target_of[i] = static_cast<int>(out.vars.size());
        out.vars.push_back(std::move(tv));
    }
    if (out.vars.empty()) return codes::op_failed;

    const std::int64_t target_cells = compute_strides(out.vars);
    const std::int64_t source_cells = compute_strides(source.vars);
    if (!out.data_handle.allocate(static_cast<std::size_t>(target_cells))) return codes::no_memory;
    double* dst = out.data();

    const bool keyed = source.vars.front().keys_mode != 0;
    if (!source.data() && source_file && !keyed && !any_aggregation) {
        std::vector<std::vector<std::int64_t>> contrib(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t stride = target_of[i] < 0 ? 0 : out.vars[static_cast<std::size_t>(target_of[i])].stride;
            contrib[i].assign(source.vars[i].values.size(), -1);
            for (const auto& p : maps[i].pairs) contrib[i][static_cast<std::size_t>(p.first)] = p.second * stride;
        }
        if (const int rc = stream_cells(*source_file, contrib, source_cells, dst); rc != 0) return rc;
    } else {
        if (!source.data()) {
            if (!source_file) return codes::op_failed;
            const int rc = read_data(source, *source_file);
            if (rc == codes::no_data_block) return keyed ? codes::data_no_block_keyed : codes::no_memory;
            if (rc != 0) return rc;
        }
        std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>> lists(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t sstride = source.vars[i].stride;
            const std::int64_t tstride = target_of[i] < 0 ? 0 : out.vars[static_cast<std::size_t>(target_of[i])].stride;
            for (const auto& p : maps[i].pairs) lists[i].emplace_back(p.first * sstride, p.second * tstride);
        }
        sum_combinations(lists, 0, 0, 0, source.data(), dst);
    }

    copy_head(source, out);
    out.heading = heading == std::string::npos ? out.vars.size() : heading;
    out.decimals = std::min(max_decimals, raised_decimals);
    carry_notes(source, out);
    return codes::ok;
}

namespace {

// Operations 61 and 71: the source merged with the request's second table.
int merge_operation(table& source, const bearb& req, in_file* source_file, table& out) {
    if (!req.second) return codes::op_failed;
    if (!source.data()) {
        if (!source_file) return codes::op_failed;
        if (const int rc = read_data(source, *source_file); rc != 0) return rc;
    }
    compute_strides(source.vars);
    int relation = 0;
    return sammans(source, *req.second, req, out, relation);
}

}  // namespace

int berakna(table& source, const bearb& req, in_file* source_file, table& out) {
    try {
        switch (req.op) {
            case op_selection:
                return selbas(source, req, source_file, out);
            case op_swap_texts_codes:
                return swap_operation(source, req, source_file, out);
            case op_reorder:
                return reorder_variables(source, req, source_file, out);
            case op_value_order:
                return reorder_values(source, req, source_file, out);
            case op_add_values:
            case op_subtract_values:
            case op_multiply_values:
            case op_divide_values:
            case op_sum_values:
            case op_percentages:
            case op_per_mille:
            case op_remove_values:
                return calculate(source, req, source_file, out);
            case op_link:
            case op_overlay:
                return merge_operation(source, req, source_file, out);
            default:
                return codes::op_not_supported;
        }
    } catch (const std::bad_alloc&) {
        return codes::no_memory;
    }
}

// The target variable of an aggregation: one value per group.
variable aggregated_variable(const aggregation& agg) {
    variable v;
    v.name = agg.unique_name.empty() ? agg.name : agg.unique_name;
    v.map = agg.map;
    for (const aggregation_group& g : agg.groups) {
        value val;
        val.text = g.text;
        val.code = g.code;
        v.max_text_len = std::max(v.max_text_len, static_cast<int>(g.text.size()));
        v.values.push_back(std::move(val));
    }
    v.value_count = static_cast<int>(v.values.size());
    return v;
}

}  // namespace vt
