// The value order dialogue.
#include "dialogs/valorder.h"

#include <string>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "tableops/valueorder.h"

namespace vt {

namespace {

// Appends the texts of a list box, first to last, until `out` holds
// `limit` texts. False when a text cannot be read.
bool take_texts(const vt_listbox* lb, std::size_t limit, std::vector<std::string>& out) {
    const int n = plat::lb_count(lb);
    for (int i = 0; i < n && out.size() < limit; ++i) {
        bool ok = false;
        out.push_back(plat::lb_text(lb, i, &ok));
        if (!ok) return false;
    }
    return true;
}

int fill_values(const table& t, int p, const vt_listbox* list_a, const vt_listbox* code_list) {
    for (const value& v : t.vars[static_cast<std::size_t>(p)].values) {
        plat::lb_add(list_a, v.text);
        if (v.code) plat::lb_add(code_list, *v.code);
    }
    return 0;
}

int write_order(dialogs::held_state& s, int p, const char* out_path, const vt_listbox* list_a,
                const vt_listbox* list_b, const title_words& words) {
    const std::size_t count = s.t.vars[static_cast<std::size_t>(p)].values.size();
    std::vector<std::string> texts;
    if (!take_texts(list_b, count, texts) || !take_texts(list_a, count, texts)) return codes::op_bad_value_order;
    return reorder_and_write_values(s.t, nullptr, static_cast<std::size_t>(p), texts, out_path, words);
}

}  // namespace

int valorder(const char* in_path, const char* out_path, const vt_listbox* list_a, const vt_listbox* list_b,
             const char* variable, int step, const char* unit_var, const title_words& words,
             const vt_listbox* code_list) {
    bool ends = false;  // the step ends the dialogue, whatever its result
    const int rc = guard([&] {
        const std::string unit = unit_var ? unit_var : "";
        dialogs::held_state& s = dialogs::current();
        if (step == 3) {
            ends = true;
            return 0;
        }
        if (step == 2 || step == 4) {
            if (!dialogs::holds(dialogs::dialogue::valorder)) return codes::op_no_dialogue_table;
            const int p = find_named_variable(s.t, variable ? variable : "", unit);
            if (p < 0) return codes::op_no_such_name;
            if (step == 2) return fill_values(s.t, p, list_a, code_list);
            // A bad output name leaves the dialogue as it was: the host may
            // ask for another one.
            if (const int r = dialogs::check_output(out_path); r != 0) return r;
            ends = true;
            return write_order(s, p, out_path, list_a, list_b, words);
        }
        // The cells are read in the first step, so no file stays open
        // while the user arranges the values.
        if (const int r = dialogs::begin(dialogs::dialogue::valorder, in_path, true); r != 0) return r;
        for (const vt::variable& v : s.t.vars) plat::lb_add(list_a, v.name ? *v.name : unit);
        return 0;
    });
    if (ends || rc == codes::no_memory || rc == codes::internal_fault) dialogs::release();
    return rc;
}

}  // namespace vt
