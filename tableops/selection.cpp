// Selection and aggregation jobs: selection vectors, installing
// aggregations, the request builder and the batch routines selvalues and
// aggvalues.
#include "tableops/selection.h"

#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/guard.h"
#include "core/reader.h"
#include "tableops/newtable.h"
#include "tableops/title.h"
#include "tableops/valuesets.h"

namespace vt {

void selection_begin(selection_state& s, table& t) {
    s.t = &t;
    s.vectors.clear();
    for (const variable& v : t.vars) s.vectors.emplace_back(v.values.size(), 0);
    s.installed.clear();
}

bool list_numbers(const std::string& list, std::size_t count, std::vector<std::size_t>& out) {
    out.clear();
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        std::string_view item(list.data() + at, end - at);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        at = end + 1;
        if (item.empty()) continue;
        std::size_t n = 0;
        for (char c : item) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + static_cast<std::size_t>(c - '0');
            if (n > count) return false;
        }
        if (n < 1) return false;
        out.push_back(n);
    }
    return true;
}

int mark_list(selection_vector& v, const std::string& list) {
    std::vector<std::size_t> picked;
    if (!list_numbers(list, v.size(), picked)) return codes::op_bad_list;
    // Numbers go strictly upwards: a repeated or earlier number would ask
    // for a value twice or out of order.
    for (std::size_t i = 1; i < picked.size(); ++i)
        if (picked[i] <= picked[i - 1]) return codes::op_bad_list;
    for (std::size_t n : picked) v[n - 1] = 1;
    return 0;
}

int sumreg_install(selection_state& s, std::size_t var, aggregation agg, bool number_same_names) {
    table& t = *s.t;
    for (std::size_t k = 0; k < s.installed.size(); ++k)
        if (s.installed[k].active && s.installed[k].var == var) sumreg_uninstall(s, k);
    agg.unique_name = agg.name;
    for (std::size_t k = number_same_names ? s.installed.size() : 0; k-- > 0;) {
        if (s.installed[k].agg.name == agg.name) {
            agg.unique_name = agg.name + "_" + std::to_string(k + 1);
            break;
        }
    }
    // Two variables of one name could not be told apart in the new table.
    for (std::size_t j = 0; j < t.vars.size(); ++j)
        if (j != var && t.vars[j].name && *t.vars[j].name == agg.unique_name) return codes::op_name_clash;

    variable temp = aggregated_variable(agg);
    temp.name = agg.unique_name;
    temp.map.reset();
    temp.prestext = t.vars[var].prestext;

    installed_aggregation ia;
    ia.var = var;
    ia.source = std::move(t.vars[var]);
    t.vars[var] = std::move(temp);
    s.vectors[var].assign(agg.groups.size(), 0);
    ia.agg = std::move(agg);
    s.installed.push_back(std::move(ia));
    return 0;
}

void sumreg_uninstall(selection_state& s, std::size_t k) {
    if (k >= s.installed.size() || !s.installed[k].active) return;
    installed_aggregation& ia = s.installed[k];
    s.t->vars[ia.var] = std::move(ia.source);
    s.vectors[ia.var].assign(s.t->vars[ia.var].values.size(), 0);
    ia.active = false;
}

namespace {

// The operations that work on chosen values want a variable's only value
// listed by text even when it is chosen, rather than kept as "all values".
bool one_value_operation(int op) noexcept {
    return (op >= op_add_values && op <= op_divide_values) || op == op_percentages || op == op_per_mille;
}

}  // namespace

int build_request(selection_state& s, bearb& out) {
    table& t = *s.t;
    out = bearb{};
    std::vector<const installed_aggregation*> agg_of(t.vars.size(), nullptr);
    for (const installed_aggregation& ia : s.installed)
        if (ia.active) agg_of[ia.var] = &ia;

    for (std::size_t i = 0; i < t.vars.size(); ++i) {
        const variable& v = t.vars[i];
        const selection_vector& vec = s.vectors[i];
        const std::size_t n = v.values.size();
        std::size_t j = 0;
        for (int m : vec) j += m == 1;
        if (j == 0) continue;
        request_entry e;
        if (const installed_aggregation* ia = agg_of[i]) {
            e.name = ia->source.name;
            aggregation agg = ia->agg;
            std::vector<aggregation_group> kept;
            for (std::size_t g = 0; g < agg.groups.size() && g < vec.size(); ++g)
                if (vec[g] == 1) kept.push_back(std::move(agg.groups[g]));
            agg.groups = std::move(kept);
            e.agg = std::move(agg);
        } else {
            e.name = v.name;
            const bool keep_all = j == n && (n != 1 || !one_value_operation(s.op));
            if (!keep_all) {
                for (int mark = 1; mark <= 2; ++mark)
                    for (std::size_t k = 0; k < n && k < vec.size(); ++k)
                        if (vec[k] == mark) e.values.push_back(v.values[k].text);
            }
        }
        bearb_append(out, std::move(e));
    }
    out.op = s.op;
    for (std::size_t k = 0; k < s.installed.size(); ++k) sumreg_uninstall(s, k);
    return out.entries.empty() ? codes::op_nothing_kept : 0;
}

namespace {

bool has_code(const variable& v) {
    for (const value& val : v.values)
        if (val.code) return true;
    return false;
}

// Installs the aggregation an "A" list names for variable i and marks its
// groups. "A", one separator, the file name, ";", the group numbers.
int install_listed(selection_state& s, std::size_t i, const std::string& list, const std::string& dir) {
    if (list.size() < 2) return codes::op_bad_aggregated;
    const std::size_t semi = list.find(';', 2);
    if (semi == std::string::npos || semi == 2) return codes::op_bad_aggregated;
    const std::string file = list.substr(2, semi - 2);
    variable& v = s.t->vars[i];
    // Member codes are matched against the values' first field, so a
    // variable showing texts for its codes shows the codes first.
    if (has_code(v)) swap_texts_codes(v, dir);
    aggregation agg;
    if (sumreg_struct(join_dir(dir, file), agg) != 0) return codes::cannot_open;
    agg.kind = 'V';  // the batch never matches by prefix
    if (const int rc = sumreg_install(s, i, std::move(agg)); rc != 0) return rc;
    return mark_list(s.vectors[i], list.substr(semi + 1));
}

int run_selection(bool aggregate, const char* in_path, const char* out_path, const char* texts,
                  const char* value_set_dir, const std::array<const char*, max_selected_vars>& sel, int secrecy,
                  const char* language, int keep_description) {
    in_file in;
    if (const int rc = open_source(in_path, out_path, in); rc != 0) return rc;

    table t = table_new();
    {
        const reader_language_scope lang(language ? language : "");
        if (const int rc = metain(in, t); rc != 0) return rc;
    }
    if (keep_description == 0 && t.descriptiondefault != 1) t.description.clear();

    const std::string dir = value_set_dir ? value_set_dir : "";
    selection_state s;
    selection_begin(s, t);
    for (std::size_t i = 0; i < sel.size(); ++i) {
        if (!sel[i] || !*sel[i]) continue;
        if (i >= t.vars.size()) return codes::op_bad_list;
        const std::string list = sel[i];
        const int rc = aggregate && list[0] == 'A' ? install_listed(s, i, list, dir) : mark_list(s.vectors[i], list);
        if (rc != 0) return rc;
    }
    bearb req;
    if (const int rc = build_request(s, req); rc != 0) return rc;

    table nt;
    const int rc = berakna(t, req, &in, nt);
    if (rc == codes::op_failed) return aggregate ? codes::op_agg_failed : codes::op_failed;
    if (rc != 0) return rc;
    in.close();

    title_rebuild(nt, title_width, title_words_from_list(texts ? texts : ""));
    return write_new_table(nt, out_path, secrecy);
}

}  // namespace

int selvalues_list(const char* in_path, const char* out_path, const char* texts,
                   const std::array<const char*, max_selected_vars>& sel, int secrecy, const char* language,
                   int keep_description) {
    return guard([&] {
        return run_selection(false, in_path, out_path, texts, nullptr, sel, secrecy, language, keep_description);
    });
}

int aggvalues_list(const char* in_path, const char* out_path, const char* texts, const char* value_set_dir,
                   const std::array<const char*, max_selected_vars>& sel, int secrecy, const char* language,
                   int keep_description) {
    return guard([&] {
        return run_selection(true, in_path, out_path, texts, value_set_dir, sel, secrecy, language,
                             keep_description);
    });
}

int selvalues(const char* in_path, const char* out_path, const char* texts, const char* sel1, const char* sel2,
              const char* sel3, const char* sel4, const char* sel5, const char* sel6, const char* sel7,
              const char* sel8, const char* sel9, const char* sel10, const char* sel11, const char* sel12,
              const char* sel13, const char* sel14, const char* sel15, const char* sel16, int secrecy,
              const char* language, int keep_description) {
    const std::array<const char*, max_selected_vars> sel = {sel1, sel2,  sel3,  sel4,  sel5,  sel6,  sel7,  sel8,
                                                            sel9, sel10, sel11, sel12, sel13, sel14, sel15, sel16};
    return selvalues_list(in_path, out_path, texts, sel, secrecy, language, keep_description);
}

int aggvalues(const char* in_path, const char* out_path, const char* texts, const char* value_set_dir,
              const char* sel1, const char* sel2, const char* sel3, const char* sel4, const char* sel5,
              const char* sel6, const char* sel7, const char* sel8, const char* sel9, const char* sel10,
              const char* sel11, const char* sel12, const char* sel13, const char* sel14, const char* sel15,
              const char* sel16, int secrecy, const char* language, int keep_description) {
    const std::array<const char*, max_selected_vars> sel = {sel1, sel2,  sel3,  sel4,  sel5,  sel6,  sel7,  sel8,
                                                            sel9, sel10, sel11, sel12, sel13, sel14, sel15, sel16};
    return aggvalues_list(in_path, out_path, texts, value_set_dir, sel, secrecy, language, keep_description);
}

}  // namespace vt
