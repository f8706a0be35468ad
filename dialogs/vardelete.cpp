// The delete-a-variable dialogue.
#include "dialogs/vardelete.h"

#include <string>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/boxes.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "tableops/newtable.h"
#include "tableops/valueorder.h"
#include "tableops/vardelete.h"

namespace vt {

namespace {

// The writing step: the selection of `list` marks the values of variable
// p of the held table, which is deleted; the new table goes to out_path.
int delete_and_write(dialogs::held_state& s, int p, const vt_listbox* list, const char* out_path,
                     const title_words& words, int remove) {
    if (p < 0) return codes::op_no_such_name;
    const std::size_t n = s.t.vars[static_cast<std::size_t>(p)].values.size();
    // The box must still show the variable's values, one item each.
    if (plat::lb_count(list) != static_cast<int>(n)) return codes::op_bad_list;
    std::vector<char> marked(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const int sel = plat::lb_selected(list, static_cast<int>(k));
        if (sel < 0) return codes::op_bad_list;
        marked[k] = sel == 1 ? 1 : 0;
    }
    table nt;
    if (const int rc = delete_variable(s.t, nullptr, static_cast<std::size_t>(p), marked, remove == 1, nt); rc != 0)
        return rc;
    title_rebuild(nt, title_width, words);
    return write_new_table(nt, out_path, 0);
}

}  // namespace

int vardelete(const char* in_path, const char* out_path, const vt_listbox* list, const char* variable_name, int step,
              const char* unit_var, const title_words& words, int remove) {
    // Whatever fails, a dialogue that has run its course holds nothing.
    return dialogs::run_step([&] {
        const std::string unit = unit_var ? unit_var : "";
        dialogs::held_state& s = dialogs::current();
        if (step == 3) {
            dialogs::release();
            return 0;
        }
        if (step == 2 || step == 4) {
            if (!dialogs::holds(dialogs::dialogue::vardelete)) return codes::op_no_dialogue_table;
            const int p = find_named_variable(s.t, variable_name ? variable_name : "", unit);
            if (step == 2) {
                if (p < 0) return codes::op_no_such_name;
                dialogs::show_value_texts(s.t.vars[static_cast<std::size_t>(p)], list);
                return title_is_description(s.t) ? 1 : 0;
            }
            // A bad output name leaves the dialogue as it was: the host may
            // ask for another one.
            if (const int r = dialogs::check_output(out_path); r != 0) return r;
            const int result = delete_and_write(s, p, list, out_path, words, remove);
            dialogs::release();
            return result;
        }
        // The cells are read in the first step, so no file stays open
        // while the user chooses.
        if (const int r = dialogs::begin(dialogs::dialogue::vardelete, in_path, true); r != 0) return r;
        dialogs::show_variable_names(s.t, list, unit);
        return 0;
    });
}

}  // namespace vt
