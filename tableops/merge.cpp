// The merge of two tables: their relation, the structure of the new table
// for each relation, and the cells of both scattered into it.
#include "tableops/merge.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/codes.h"
#include "platform/message.h"

namespace vt {

namespace {

// The position in b of the namesake of each variable of a, -1 for none;
// each variable of b serves once.
std::vector<int> namesakes(const table& a, const table& b) {
    std::vector<int> out(a.vars.size(), -1);
    std::vector<char> taken(b.vars.size(), 0);
    for (std::size_t i = 0; i < a.vars.size(); ++i)
        for (std::size_t j = 0; j < b.vars.size(); ++j)
            if (!taken[j] && b.vars[j].name == a.vars[i].name) {
                taken[j] = 1;
                out[i] = static_cast<int>(j);
                break;
            }
    return out;
}

bool values_differ(const variable& x, const variable& y) {
    if (x.values.size() != y.values.size()) return true;
    for (const value& v : x.values)
        if (value_position(y, v.text) < 0) return true;
    return false;
}

bool same_value_order(const variable& x, const variable& y) {
    for (std::size_t k = 0; k < x.values.size(); ++k)
        if (x.values[k].text != y.values[k].text) return false;
    return true;
}

// "text" or "text#code" split at the first "#".
std::pair<std::string, opt_string> split_text_code(const std::string& s) {
    const std::size_t hash = s.find('#');
    if (hash == std::string::npos) return {s, std::nullopt};
    return {s.substr(0, hash), s.substr(hash + 1)};
}

}  // namespace

int relate_tables(const table& a, const table& b, int op, std::size_t* differing) {
    if (op != op_link && op != op_overlay) return rel_no_merge;
    if (a.vars.size() != b.vars.size()) return rel_variable_count;
    const std::vector<int> match = namesakes(a, b);
    if (std::find(match.begin(), match.end(), -1) != match.end()) return rel_variable_missing;
    std::size_t diff = 0;
    int count = 0;
    bool variable_order = false, value_order = false;
    for (std::size_t i = 0; i < a.vars.size(); ++i) {
        if (match[i] != static_cast<int>(i)) variable_order = true;
        const variable& x = a.vars[i];
        const variable& y = b.vars[static_cast<std::size_t>(match[i])];
        if (values_differ(x, y)) {
            ++count;
            diff = i;
        } else if (!same_value_order(x, y)) {
            value_order = true;
        }
    }
    if (count > 1) return rel_several_differ;
    const int orders = (variable_order ? rel_variable_order : 0) + (value_order ? rel_value_order : 0);
    if (count == 0) return op == op_overlay ? orders : rel_same_values;
    if (op == op_overlay) return rel_no_merge;
    if (differing) *differing = diff;
    const variable& x = a.vars[diff];
    const variable& y = b.vars[static_cast<std::size_t>(match[diff])];
    std::size_t shared = 0;
    for (const value& v : x.values)
        if (value_position(y, v.text) >= 0) ++shared;
    if (shared == 0) return rel_disjoint + orders;
    return shared == x.values.size() ? rel_extends : rel_overlap;
}

int check_overlay_texts(const table& a, const std::string& name, const std::string& text1,
                        const std::string& text2) {
    const auto [t1, c1] = split_text_code(text1);
    const auto [t2, c2] = split_text_code(text2);
    for (const std::string* s : {&name, &t1, &t2, c1 ? &*c1 : &t1, c2 ? &*c2 : &t2})
        if (s->find('"') != std::string::npos) return codes::op_quote_in_text;
    if (variable_position(a, name) >= 0) return codes::op_variable_exists;
    if (t1 == t2) return codes::op_text_used;
    return 0;
}

namespace {

// For each variable of `from`, the offset in `to`'s cells that each of its
// values adds (-1: the value has no place in `to`). Variables and values
// are found by name and text, which realigns `from` to `to`'s order.
std::vector<std::vector<std::int64_t>> placement(const table& from, const table& to) {
    std::vector<std::vector<std::int64_t>> out(from.vars.size());
    for (std::size_t i = 0; i < from.vars.size(); ++i) {
        const variable& v = from.vars[i];
        const int j = variable_position(to, v.name);
        out[i].assign(v.values.size(), -1);
        if (j < 0) continue;
        const variable& tv = to.vars[static_cast<std::size_t>(j)];
        for (std::size_t k = 0; k < v.values.size(); ++k) {
            const int pos = value_position(tv, v.values[k].text);
            if (pos >= 0) out[i][k] = pos * tv.stride;
        }
    }
    return out;
}

// Copies every cell of `from` that has a place in `to` there (at `base`
// plus the offsets of its values), walking from's cells in order with the
// last variable fastest.
void scatter(const table& from, const table& to, std::int64_t base, double* dst) {
    const std::vector<std::vector<std::int64_t>> place = placement(from, to);
    const std::size_t n = place.size();
    std::vector<std::size_t> digit(n, 0);
    std::int64_t offset = base;
    int unplaced = 0;  // variables whose current value has no place
    for (std::size_t i = 0; i < n; ++i) {
        if (place[i][0] < 0) ++unplaced;
        else offset += place[i][0];
    }
    const double* src = from.data();
    const std::int64_t cells = count_cells(from.vars);
    for (std::int64_t c = 0; c < cells; ++c) {
        if (unplaced == 0) dst[offset] = src[c];
        for (std::size_t i = n; i-- > 0;) {
            const std::vector<std::int64_t>& p = place[i];
            const std::int64_t old = p[digit[i]];
            if (old < 0) --unplaced;
            else offset -= old;
            if (++digit[i] == p.size()) digit[i] = 0;
            const std::int64_t now = p[digit[i]];
            if (now < 0) ++unplaced;
            else offset += now;
            if (digit[i] != 0) break;
        }
    }
}

// A variable keeps an elimination value only when both tables eliminate
// their namesakes at the same value text.
void agree_elimination(const table& a, const table& b, table& out) {
    for (variable& v : out.vars) {
        const int ia = variable_position(a, v.name);
        const int ib = variable_position(b, v.name);
        v.elimination_value = -1;
        if (ia < 0 || ib < 0) continue;
        const variable& va = a.vars[static_cast<std::size_t>(ia)];
        const variable& vb = b.vars[static_cast<std::size_t>(ib)];
        if (va.elimination_value < 0 || vb.elimination_value < 0) continue;
        const std::string& text = va.values[static_cast<std::size_t>(va.elimination_value)].text;
        if (vb.values[static_cast<std::size_t>(vb.elimination_value)].text == text)
            v.elimination_value = value_position(v, text);
    }
}

// Appends copies of the values of `from` that `to` lacks (all of them when
// `all`), in from's order.
void append_values(variable& to, const variable& from, bool all) {
    for (const value& v : from.values) {
        if (!all && value_position(to, v.text) >= 0) continue;
        to.values.push_back(v);
        to.values.back().has_datanote = 0;
        to.max_text_len = std::max(to.max_text_len, static_cast<int>(v.text.size()));
    }
    to.value_count = static_cast<int>(to.values.size());
}

int allocate_cells(table& out) {
    for (variable& v : out.vars) v.keys_mode = 0;
    const std::int64_t cells = compute_strides(out.vars);
    if (!out.data_handle.allocate(static_cast<std::size_t>(cells))) return codes::no_memory;
    return codes::ok;
}

// Link, one variable differing (relations 10 to 13, 31 and 32): the first
// table's variables, the differing one holding the first table's values
// followed by the second's (those it lacks, for 31 and 32).
int link_along(const table& a, const table& b, std::size_t d, int relation, table& out) {
    out = copy_variables(a);
    const int bd = variable_position(b, a.vars[d].name);
    append_values(out.vars[d], b.vars[static_cast<std::size_t>(bd)], relation < rel_same_values);
    if (const int rc = allocate_cells(out); rc != 0) return rc;
    // With 32 the second table holds every cell; otherwise the first
    // table's cells go in first and the second's after them.
    if (relation != rel_extends) scatter(a, out, 0, out.data());
    scatter(b, out, 0, out.data());
    copy_head(a, out);
    out.heading = a.heading;
    if (relation >= rel_same_values) agree_elimination(a, b, out);
    carry_notes(relation == rel_extends ? b : a, out);
    return codes::ok;
}

// Link, no variable differing (relation 21): the second table in the
// first table's variable and value order.
int link_same(const table& a, const table& b, table& out) {
    const table copies = copy_variables(b);
    out = table_new();
    for (const variable& av : a.vars) {
        const variable& bv = copies.vars[static_cast<std::size_t>(variable_position(copies, av.name))];
        variable v = bv;
        v.values.clear();
        for (const value& val : av.values) v.values.push_back(bv.values[static_cast<std::size_t>(value_position(bv, val.text))]);
        if (bv.elimination_value >= 0)
            v.elimination_value = value_position(v, bv.values[static_cast<std::size_t>(bv.elimination_value)].text);
        v.has_hierarchy = 0;
        v.hierarchies.clear();
        out.vars.push_back(std::move(v));
    }
    if (const int rc = allocate_cells(out); rc != 0) return rc;
    scatter(b, out, 0, out.data());
    copy_head(b, out);
    out.heading = a.heading;
    agree_elimination(a, b, out);
    carry_notes(b, out);
    return codes::ok;
}

// Cell notes of both tables in an overlay: the first table's entries name
// the new variable's first value, the second's its second value.
void carry_both(const table& a, const table& b, table& out) {
    carry_notes(b, out);
    std::vector<text_list> b_texts;
    std::vector<std::vector<cell_ref_list>> b_refs;
    for (const cell_entry_list& l : cell_entry_lists) {
        b_texts.push_back(out.*l.texts);
        std::vector<cell_ref_list> refs;
        for (const variable& v : out.vars) refs.push_back(v.*l.refs);
        std::fill(refs[0].begin(), refs[0].end(), 1);
        b_refs.push_back(std::move(refs));
    }
    carry_notes(a, out);
    for (std::size_t k = 0; k < std::size(cell_entry_lists); ++k) {
        const cell_entry_list& l = cell_entry_lists[k];
        std::fill((out.vars[0].*l.refs).begin(), (out.vars[0].*l.refs).end(), 0);
        (out.*l.texts).insert((out.*l.texts).end(), b_texts[k].begin(), b_texts[k].end());
        for (std::size_t j = 0; j < out.vars.size(); ++j) {
            cell_ref_list& r = out.vars[j].*l.refs;
            r.insert(r.end(), b_refs[k][j].begin(), b_refs[k][j].end());
        }
    }
    mark_datanotes(out);
    // Value notes the first table lacks come from the second.
    for (variable& v : out.vars) {
        const int ib = variable_position(b, v.name);
        if (ib < 0) continue;
        for (value& val : v.values) {
            const variable& bv = b.vars[static_cast<std::size_t>(ib)];
            const int k = value_position(bv, val.text);
            if (k < 0) continue;
            if (val.valuenote.empty()) val.valuenote = bv.values[static_cast<std::size_t>(k)].valuenote;
            if (val.valuenotex.empty()) val.valuenotex = bv.values[static_cast<std::size_t>(k)].valuenotex;
        }
    }
}

}  // namespace

int stack_tables(const table& a, const table* b, variable nv, table& out) {
    table copies = copy_variables(a);
    out = table_new();
    out.vars.push_back(std::move(nv));
    for (variable& v : copies.vars) out.vars.push_back(std::move(v));
    if (const int rc = allocate_cells(out); rc != 0) return rc;
    scatter(a, out, 0, out.data());
    if (b) scatter(*b, out, out.vars[0].stride, out.data());
    copy_head(a, out);
    out.heading = a.heading + 1;
    return codes::ok;
}

void carry_stacked_notes(const table& a, const table* b, table& out) {
    if (b) {
        carry_both(a, *b, out);
        return;
    }
    carry_notes(a, out);
    for (const cell_entry_list& l : cell_entry_lists)
        std::fill((out.vars[0].*l.refs).begin(), (out.vars[0].*l.refs).end(), 0);
    mark_datanotes(out);
}

namespace {

// Overlay (relations 0 to 3): a new first variable with one value per
// table. Tables of equal UNITS (or both with a variable without a name) get
// the request's variable; tables of different UNITS get a variable without
// a name whose values are the two UNITS.
int overlay(const table& a, const table& b, const bearb& req, table& out) {
    const bool ua = variable_position(a, std::nullopt) >= 0;
    const bool ub = variable_position(b, std::nullopt) >= 0;
    if (ua != ub) return codes::op_failed;
    const bool by_units = !ua && a.units != b.units;
    variable nv;
    nv.prestext = 1;  // as a variable read from a file shows its values
    nv.values.resize(2);
    if (by_units) {
        nv.values[0].text = a.units.value_or("");
        nv.values[1].text = b.units.value_or("");
    } else {
        if (req.entries.empty() || !req.entries[0].name || req.entries[0].values.size() < 2)
            return codes::op_overlay_unnamed;
        nv.name = req.entries[0].name;
        for (std::size_t k = 0; k < 2; ++k) {
            auto [text, code] = split_text_code(req.entries[0].values[k]);
            nv.values[k].text = std::move(text);
            nv.values[k].code = std::move(code);
        }
        // A code on one value only is the text on the other, as the writer states it.
        if (nv.values[0].code || nv.values[1].code)
            for (value& v : nv.values)
                if (!v.code) v.code = v.text;
    }
    nv.values[0].precision = a.decimals;
    nv.values[1].precision = b.decimals;
    nv.value_count = 2;
    nv.max_text_len = static_cast<int>(std::max(nv.values[0].text.size(), nv.values[1].text.size()));

    if (const int rc = stack_tables(a, &b, std::move(nv), out); rc != 0) return rc;
    if (by_units) out.units.reset();
    if (ua && !a.contvariable) {
        // The two tables' units become the contents information of the
        // new variable's two values.
        continfo first = a.continfos.front();
        continfo second = b.continfos.front();
        first.content = out.vars[0].values[0].text;
        second.content = out.vars[0].values[1].text;
        if (a.units) first.units = a.units;
        if (b.units) second.units = b.units;
        out.contvariable = out.vars[0].name;
        out.continfos = {std::move(first), std::move(second)};
    }
    carry_stacked_notes(a, &b, out);
    return codes::ok;
}

}  // namespace

int sammans(const table& a, const table& b, const bearb& req, table& out, int& relation) {
    plat::trace("sammans", "start");
    std::size_t d = 0;
    relation = relate_tables(a, b, req.op, &d);
    const std::string line = " rkod=" + std::to_string(relation);
    plat::trace("sammans", line.c_str());
    int rc = codes::op_failed;
    try {
        if (!a.data() || !b.data()) {
            rc = codes::op_failed;
        } else if (req.op == op_overlay && relation >= rel_same && relation <= rel_both_orders) {
            rc = overlay(a, b, req, out);
        } else if (req.op == op_link && relation == rel_same_values) {
            rc = link_same(a, b, out);
        } else if (req.op == op_link && ((relation >= rel_disjoint && relation <= rel_disjoint + rel_both_orders) ||
                                          relation == rel_overlap || relation == rel_extends)) {
            rc = link_along(a, b, d, relation, out);
        }
    } catch (const std::bad_alloc&) {
        rc = codes::no_memory;
    }
    plat::trace("sammans", "slut");
    return rc;
}

}  // namespace vt
