// The selection dialogue (getvalue, with the aggregation steps of
// srvalues) and the queries getcodes and zoomvar.
#include "dialogs/selection.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "core/reader.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "platform/message.h"
#include "tableops/newtable.h"
#include "tableops/title.h"
#include "tableops/valuesets.h"

namespace vt {

namespace {

// Aggregation levels: one variable aggregated per level.
constexpr int max_levels = max_selected_vars;
constexpr int mb_ok = 0;

// One level of the aggregation stack: the variable chosen, its domain, and
// the aggregation read for it (installed in its place, or waiting for a
// new name when its own was taken).
struct level_entry {
    int var = -1;
    std::string domain;
    std::optional<aggregation> agg;
    bool installed = false;
};

struct selection_family : dialogs::family_state {
    selection_state sel;
    std::string value_set_dir;
    std::vector<value_set> sets;
    int level = 0;
    std::array<level_entry, max_levels> levels;
    // list_b shows the values (or groups) of this variable; once an
    // aggregation step has refilled it, variable 1's own marks are those
    // taken from it before.
    std::size_t b_shows = 0;
    bool b_repurposed = false;
};

// The family state of a held selection dialogue, or null.
selection_family* held_family() {
    if (!dialogs::holds(dialogs::dialogue::selection)) return nullptr;
    selection_family& f = dialogs::family<selection_family>();
    if (f.sel.t != &dialogs::current().t) return nullptr;
    return &f;
}

void start_family(selection_family& f, table& t) {
    f.sel = selection_state{};
    selection_begin(f.sel, t);
    f.level = 0;
    f.levels = {};
    f.b_shows = 0;
    f.b_repurposed = false;
}

// The installed aggregation on chain position var, or -1.
int installed_on(const selection_state& s, std::size_t var) {
    for (std::size_t k = 0; k < s.installed.size(); ++k)
        if (s.installed[k].active && s.installed[k].var == var) return static_cast<int>(k);
    return -1;
}

// Takes the selection of a box into the marks of variable var. A box whose
// item count is not the variable's value (or group) count shows something
// else and is passed over.
void take_marks(selection_state& s, std::size_t var, const vt_listbox* box) {
    if (!box || var >= s.vectors.size()) return;
    selection_vector& v = s.vectors[var];
    if (plat::lb_count(box) != static_cast<int>(v.size())) return;
    for (std::size_t k = 0; k < v.size(); ++k) v[k] = plat::lb_selected(box, static_cast<int>(k)) == 1 ? 1 : 0;
}

void fill_values(const vt_listbox* box, const variable& v) {
    plat::lb_reset(box);
    for (const value& val : v.values) plat::lb_add(box, val.text);
}

// The text of the item the user chose: the current one, else the first
// selected one.
bool chosen_text(const vt_listbox* box, std::string& out) {
    int k = plat::lb_current(box);
    for (int i = 0; k < 0 && i < plat::lb_count(box); ++i)
        if (plat::lb_selected(box, i) == 1) k = i;
    if (k < 0) return false;
    bool ok = false;
    out = plat::lb_text(box, k, &ok);
    return ok;
}

// The status words of getvalue's first step: per variable "1 " (it has an
// elimination value), "2 " (ELIMINATION YES) or "3 ", then ";name;levels"
// for every variable with a hierarchy.
std::string status_words(const table& t) {
    std::string out;
    for (const variable& v : t.vars) out += v.elimination_value >= 0 ? "1 " : v.elimination ? "2 " : "3 ";
    for (const variable& v : t.vars)
        if (v.has_hierarchy) out += ";" + v.name.value_or("") + ";" + std::to_string(v.hierarchylevelsopen);
    return out;
}

void copy_cut(char* dst, std::size_t size, const std::string& text) {
    if (!dst || size == 0) return;
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(dst, n);
    dst[n] = '\0';
}

// The first of the selectable variables that keeps no value although it
// can be neither summed nor taken at an elimination value: its 1-based
// number, or 0.
int unsummable_variable(const selection_family& f) {
    const table& t = *f.sel.t;
    for (std::size_t i = 0; i < t.vars.size() && i < static_cast<std::size_t>(max_selected_vars); ++i) {
        bool chosen = false;
        for (int m : f.sel.vectors[i]) chosen = chosen || m == 1;
        if (chosen) continue;
        const int k = installed_on(f.sel, i);
        const variable& v = k >= 0 ? f.sel.installed[static_cast<std::size_t>(k)].source : t.vars[i];
        if (v.elimination != 1 && v.elimination_value < 0) return static_cast<int>(i) + 1;
    }
    return 0;
}

// Puts the aggregations of the levels back after a request has taken them
// out, with the marks they had.
void reinstall(selection_family& f, const std::vector<selection_vector>& marks) {
    f.sel.installed.clear();
    for (const level_entry& l : f.levels)
        if (l.installed && l.agg) sumreg_install(f.sel, static_cast<std::size_t>(l.var), *l.agg, false);
    for (std::size_t i = 0; i < marks.size() && i < f.sel.vectors.size(); ++i)
        if (marks[i].size() == f.sel.vectors[i].size()) f.sel.vectors[i] = marks[i];
}

// Forms the new table from the marks and installed aggregations and writes
// it. On success the new table becomes the held one; on failure the held
// table, aggregations and marks stay as they were. no_table is the code
// for "no new table".
int form_and_write(selection_family& f, const char* out_path, int secrecy, int no_table) {
    dialogs::held_state& s = dialogs::current();
    // A bad output name leaves the dialogue as it was: the host may ask for
    // another one.
    if (const int r = dialogs::check_output(out_path); r != 0) return r;
    if (const int bad = unsummable_variable(f); bad != 0) return bad;
    const std::vector<selection_vector> marks = f.sel.vectors;
    bearb req;
    // The request puts every source variable back, so the cells are read
    // with the table's own value counts.
    int rc = build_request(f.sel, req);
    if (const int data = dialogs::load_cells(); data != 0) {
        dialogs::release();
        return data;
    }
    table nt;
    if (rc == 0) {
        const std::string label = s.label_path;
        req.on_unmatched = [&label](const opt_string& name, std::size_t count) {
            const std::string text = std::to_string(count) + " " +
                                     dialogs::message_text(label, "general", "lessreg", "lessreg") + " " +
                                     name.value_or("");
            plat::message_box(text.c_str(), "VELTRA", mb_ok);
        };
        rc = berakna(s.t, req, nullptr, nt);
        if (rc == codes::op_failed) rc = no_table;
    }
    if (rc == 0) {
        title_rebuild(nt, title_width, title_words_from_label_file(s.label_path));
        rc = write_new_table(nt, out_path, secrecy);
    }
    if (rc != 0) {
        reinstall(f, marks);
        return rc;
    }
    s.t = std::move(nt);
    start_family(f, s.t);
    return 0;
}

int getvalue_start(const char* in_path, const char* value_set_dir, const char* label_path, const value_boxes& boxes,
                   char* status_out, const char* language) {
    int rc = 0;
    {
        const reader_language_scope lang(language ? language : "");
        rc = dialogs::begin(dialogs::dialogue::selection, in_path, false);
    }
    if (rc != 0) return rc;
    dialogs::held_state& s = dialogs::current();
    s.label_path = label_path ? label_path : "";
    selection_family& f = dialogs::family<selection_family>();
    start_family(f, s.t);
    f.value_set_dir = value_set_dir ? value_set_dir : "";
    // Without a folder there are no value sets (rather than those of
    // whatever the current directory holds).
    if (!f.value_set_dir.empty()) f.sets = varreg_struct(f.value_set_dir);
    for (std::size_t k = 0; k < boxes.size() && k < s.t.vars.size(); ++k) fill_values(boxes[k], s.t.vars[k]);
    copy_cut(status_out, status_out_size, status_words(s.t));
    return var_regmatch(s.t, f.sets) ? 0 : codes::getvalue_no_aggregation;
}

// ---------------------------------------------------------------------------
// The aggregation steps.

// Steps 1 and 10: the variables that may be aggregated into list_a.
void list_aggregatable(const selection_family& f, const vt_listbox* list_a) {
    plat::lb_reset(list_a);
    for (const variable& v : f.sel.t->vars)
        if (v.name && offers_aggregations(v, f.sets)) plat::lb_add(list_a, *v.name);
}

// Takes what list_b shows into the marks of its variable before the box is
// filled with something else.
void leave_list_b(selection_family& f, const value_boxes& boxes) {
    take_marks(f.sel, f.b_shows, boxes[0]);
    f.b_repurposed = true;
}

void show_groups(selection_family& f, const value_boxes& boxes, std::size_t var) {
    plat::lb_reset(boxes[0]);
    for (const aggregation_group& g : f.sel.installed.back().agg.groups) plat::lb_add(boxes[0], g.text);
    f.b_shows = var;
}

// Takes the current level's aggregation out of the table, if it is in.
void uninstall_level(selection_family& f) {
    level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    if (l.installed) {
        if (const int k = installed_on(f.sel, static_cast<std::size_t>(l.var)); k >= 0)
            sumreg_uninstall(f.sel, static_cast<std::size_t>(k));
    }
    l.installed = false;
}

// Step 2: the variable chosen in list_a, for the current level.
int choose_variable(selection_family& f, const vt_listbox* list_a) {
    std::string name;
    if (!chosen_text(list_a, name)) return codes::op_no_such_name;
    const int pos = variable_position(*f.sel.t, name);
    if (pos < 0) return codes::op_no_such_name;
    // A variable chosen anew starts the level again.
    level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    uninstall_level(f);
    l = level_entry{};
    l.var = pos;
    const variable& v = f.sel.t->vars[static_cast<std::size_t>(pos)];
    l.domain = v.domain.value_or("");
    for (const value& val : v.values)
        if (val.code) return codes::op_values_coded;
    return 0;
}

// Steps 3 and 11: the aggregations offered for the level's domain.
int list_aggregations(const selection_family& f, const vt_listbox* list_a) {
    const level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    if (l.var < 0) return codes::op_bad_step;
    plat::lb_reset(list_a);
    for (const value_set& vs : f.sets)
        if (domain_equal(vs.domain, l.domain))
            for (const aggregation_ref& a : vs.aggregations) plat::lb_add(list_a, a.name);
    return 0;
}

// True when `name` is taken by an installed aggregation other than the one
// on var, or by a variable of the table other than the one at var.
bool name_taken(const selection_family& f, std::size_t var, const std::string& name) {
    for (const installed_aggregation& ia : f.sel.installed)
        if (ia.active && ia.var != var && (ia.agg.name == name || ia.agg.unique_name == name)) return true;
    const table& t = *f.sel.t;
    for (std::size_t j = 0; j < t.vars.size(); ++j) {
        const int k = installed_on(f.sel, j);
        const variable& v = k >= 0 ? f.sel.installed[static_cast<std::size_t>(k)].source : t.vars[j];
        if (j != var && v.name && *v.name == name) return true;
    }
    return false;
}

// Installs the level's aggregation under its own name and shows its groups.
int install_level(selection_family& f, const value_boxes& boxes) {
    level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    leave_list_b(f, boxes);
    if (sumreg_install(f.sel, static_cast<std::size_t>(l.var), *l.agg, false) != 0)
        return codes::op_aggregation_name_used;
    l.installed = true;
    show_groups(f, boxes, static_cast<std::size_t>(l.var));
    return 0;
}

// Step 4: the aggregation chosen in list_a, read and installed.
int choose_aggregation(selection_family& f, const vt_listbox* list_a, const value_boxes& boxes) {
    level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    if (l.var < 0) return codes::op_bad_step;
    std::string name;
    if (!chosen_text(list_a, name)) return codes::op_no_such_name;
    const aggregation_ref* ref = nullptr;
    char kind = 'V';
    for (const value_set& vs : f.sets)
        if (domain_equal(vs.domain, l.domain))
            for (const aggregation_ref& a : vs.aggregations)
                if (!ref && a.name == name) {
                    ref = &a;
                    kind = vs.kind;
                }
    if (!ref) return codes::op_no_such_name;
    aggregation agg;
    if (sumreg_struct(ref->path, agg) != 0) return codes::cannot_open;
    agg.kind = kind;
    uninstall_level(f);
    l.agg = std::move(agg);
    // A name already taken waits for step 6 to give another one.
    if (name_taken(f, static_cast<std::size_t>(l.var), l.agg->name)) return codes::op_aggregation_name_used;
    return install_level(f, boxes);
}

// Step 5: the level's variable shows codes for texts (and texts for codes).
int swap_level_variable(selection_family& f, const value_boxes& boxes) {
    const level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    if (l.var < 0 || l.installed) return codes::op_bad_step;
    leave_list_b(f, boxes);
    variable& v = f.sel.t->vars[static_cast<std::size_t>(l.var)];
    swap_texts_codes(v, f.value_set_dir);
    fill_values(boxes[0], v);
    f.b_shows = static_cast<std::size_t>(l.var);
    return 0;
}

// Step 6: the level's aggregation under a new name.
int rename_aggregation(selection_family& f, const char* name, const value_boxes& boxes) {
    level_entry& l = f.levels[static_cast<std::size_t>(f.level)];
    if (l.var < 0 || !l.agg) return codes::op_bad_step;
    const std::string n = name ? name : "";
    if (n.find_first_not_of(' ') == std::string::npos) return codes::op_blank_text;
    if (n.find('"') != std::string::npos) return codes::op_quote_in_text;
    if (name_taken(f, static_cast<std::size_t>(l.var), n)) return codes::op_variable_exists;
    // The new variable is called by the new name, so that the new table
    // never holds two variables of one name.
    l.agg->name = n;
    l.agg->unique_name = n;
    return install_level(f, boxes);
}

// Step 7: every box's marks, then the new table.
int srvalues_write(selection_family& f, const char* out_path, const value_boxes& boxes, int secrecy) {
    take_marks(f.sel, f.b_shows, boxes[0]);
    for (std::size_t k = 0; k < boxes.size() && k < f.sel.vectors.size(); ++k) {
        if (k == f.b_shows || installed_on(f.sel, k) >= 0 || (k == 0 && f.b_repurposed)) continue;
        take_marks(f.sel, k, boxes[k]);
    }
    return form_and_write(f, out_path, secrecy, codes::op_agg_failed);
}

int srvalues_step(selection_family& f, const char* out_path, int step, const vt_listbox* list_a,
                  const value_boxes& boxes, const char* name, int secrecy) {
    switch (step) {
        case 1:
            f.level = 0;
            list_aggregatable(f, list_a);
            return 0;
        case 10:
            if (f.level + 1 >= max_levels) return codes::op_bad_step;
            list_aggregatable(f, list_a);
            ++f.level;
            return 0;
        case 2:
            return choose_variable(f, list_a);
        case 3:
        case 11:
            return list_aggregations(f, list_a);
        case 4:
            return choose_aggregation(f, list_a, boxes);
        case 5:
            return swap_level_variable(f, boxes);
        case 6:
            return rename_aggregation(f, name, boxes);
        case 7:
            return srvalues_write(f, out_path, boxes, secrecy);
        case 9:
            uninstall_level(f);
            f.levels[static_cast<std::size_t>(f.level)].agg.reset();
            return 0;
        case 12:
            if (f.level > 0) --f.level;
            return 0;
        default:
            return codes::op_bad_step;
    }
}

}  // namespace

int getvalue(const char* in_path, const char* out_path, const char* value_set_dir, const char* label_path, int step,
             const value_boxes& boxes, char* status_out, int secrecy, const char* language) {
    return dialogs::run_step([&] {
        if (step < 1) return getvalue_start(in_path, value_set_dir, label_path, boxes, status_out, language);
        if (step == 3) {
            dialogs::release();
            return 0;
        }
        selection_family* f = held_family();
        if (!f) return codes::op_no_dialogue_table;
        for (std::size_t k = 0; k < boxes.size() && k < f->sel.vectors.size(); ++k)
            if (installed_on(f->sel, k) < 0) take_marks(f->sel, k, boxes[k]);
        const int r = form_and_write(*f, out_path, secrecy, codes::op_failed);
        if (r == 0) dialogs::release();
        return r;
    });
}

int srvalues(const char* out_path, int step, const vt_listbox* list_a, const value_boxes& boxes, const char* name,
             int secrecy) {
    return dialogs::run_step([&] {
        if (step == 8) {
            dialogs::release();
            return 0;
        }
        selection_family* f = held_family();
        if (!f) return codes::op_no_dialogue_table;
        return srvalues_step(*f, out_path, step, list_a, boxes, name, secrecy);
    });
}

int getcodes(const char* in_path, const value_boxes& boxes) {
    return guard([&] {
        if (!in_path || !*in_path) return codes::cannot_open;
        in_file f;
        table t = table_new();
        if (const int rc = read_table_file(in_path, f, t); rc != 0) return rc;
        for (std::size_t k = 0; k < boxes.size() && k < t.vars.size(); ++k) {
            const variable& v = t.vars[k];
            if (v.values.empty() || !v.values.front().code) continue;
            // A value without a code among coded ones is its own code.
            for (const value& val : v.values) plat::lb_add(boxes[k], val.code.value_or(val.text));
        }
        return 0;
    });
}

int zoomvar(const char* variable, char* text_out) {
    return guard([&] {
        std::string text;
        const dialogs::held_state& s = dialogs::current();
        if (variable && s.owner != dialogs::dialogue::none) {
            const int pos = variable_position(s.t, std::string(variable));
            if (pos >= 0) {
                const vt::variable& v = s.t.vars[static_cast<std::size_t>(pos)];
                if (v.elimination_value >= 0 && v.elimination_value < static_cast<int>(v.values.size()))
                    text = v.values[static_cast<std::size_t>(v.elimination_value)].text;
            }
        }
        copy_cut(text_out, zoomvar_text_size, text);
        return 0;
    });
}

}  // namespace vt
