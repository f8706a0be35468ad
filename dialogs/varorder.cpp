// The variable order dialogue.
#include "dialogs/varorder.h"

#include <string>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "platform/text.h"
#include "tableops/pivot.h"

namespace vt {

namespace {

// The names of a list box as positions in t's chain: an item equal to
// unit_var (in any letter case) is the variable without a name, any other
// the first variable of that name not named before.
bool names_to_positions(const table& t, const vt_listbox* lb, const std::string& unit_var,
                        std::vector<char>& taken, std::vector<std::size_t>& out) {
    const int n = plat::lb_count(lb);
    for (int i = 0; i < n; ++i) {
        bool ok = false;
        const std::string text = plat::lb_text(lb, i, &ok);
        if (!ok) return false;
        std::size_t hit = t.vars.size();
        for (std::size_t k = 0; k < t.vars.size() && hit == t.vars.size(); ++k) {
            if (taken[k]) continue;
            const opt_string& name = t.vars[k].name;
            if (!name && plat::equal_nocase_1252(text, unit_var)) hit = k;
        }
        for (std::size_t k = 0; k < t.vars.size() && hit == t.vars.size(); ++k)
            if (!taken[k] && t.vars[k].name && *t.vars[k].name == text) hit = k;
        if (hit == t.vars.size()) return false;
        taken[hit] = 1;
        out.push_back(hit);
    }
    return true;
}

}  // namespace

int varorder(const char* in_path, const char* out_path, const vt_listbox* stub_list, const vt_listbox* head_list,
             int step, const char* unit_var, const title_words& words) {
    // Whatever fails, a dialogue that has run its course holds nothing.
    return dialogs::run_step([&] {
        const std::string unit = unit_var ? unit_var : "";
        dialogs::held_state& s = dialogs::current();
        if (step == 3) {
            dialogs::release();
            return 0;
        }
        if (step == 2) {
            if (!dialogs::holds(dialogs::dialogue::varorder)) return codes::op_no_dialogue_table;
            // A bad output name leaves the dialogue as it was: the host may
            // ask for another one.
            if (const int r = dialogs::check_output(out_path); r != 0) return r;
            variable_order order;
            std::vector<char> taken(s.t.vars.size(), 0);
            int result = codes::op_bad_order;
            if (names_to_positions(s.t, stub_list, unit, taken, order.stub) &&
                names_to_positions(s.t, head_list, unit, taken, order.heading))
                result = reorder_and_write(s.t, nullptr, order, out_path, words);
            dialogs::release();
            return result;
        }
        // The cells are read in the first step, so no file stays open
        // while the user arranges the variables.
        if (const int r = dialogs::begin(dialogs::dialogue::varorder, in_path, true); r != 0) return r;
        for (std::size_t k = 0; k < s.t.vars.size(); ++k) {
            const std::string name = s.t.vars[k].name ? *s.t.vars[k].name : unit;
            plat::lb_add(k < s.t.stub_count() ? stub_list : head_list, name);
        }
        return 0;
    });
}

}  // namespace vt
