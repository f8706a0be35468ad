// The calculation dialogue.
#include "dialogs/bvalue.h"

#include <string>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "tableops/calc.h"

namespace vt {

namespace {

// The request built in step 2, kept while the host asks for another new
// value.
struct bvalue_state : dialogs::family_state {
    bool request_held = false;
    bearb req;
};

// The items selected in a list box as the 1-based numbers of a selection
// list ("" for none). A box that cannot tell counts as none chosen.
std::string selected_numbers(const vt_listbox* lb) {
    std::string out;
    const int n = plat::lb_count(lb);
    for (int i = 0; i < n; ++i) {
        if (plat::lb_selected(lb, i) != 1) continue;
        if (!out.empty()) out += ',';
        out += std::to_string(i + 1);
    }
    return out;
}

// Step 2: the marks from the list boxes, then the request. 0 or a code.
int build_from_lists(dialogs::held_state& s, int operation, const char* inclusion,
                     const std::array<const vt_listbox*, max_selected_vars>& lists, int order,
                     const char* beta_value, const char* constant, bvalue_state& b) {
    b.request_held = false;
    std::array<std::string, max_selected_vars> chosen;
    std::array<const char*, max_selected_vars> sel{};
    for (std::size_t k = 0; k < lists.size() && k < s.t.vars.size(); ++k) {
        chosen[k] = selected_numbers(lists[k]);
        sel[k] = chosen[k].c_str();
    }
    selection_state marks;
    selection_begin(marks, s.t);
    if (const int rc = mark_calculation(marks, sel, operation, order); rc != 0) return rc;
    if (const int rc = build_calc_request(marks, operation, inclusion, beta_value, constant, b.req); rc != 0)
        return rc;
    b.request_held = true;
    return 0;
}

// Step 4: the new value, then the new table. `ends` tells whether the
// result ends the dialogue.
int finish(dialogs::held_state& s, bvalue_state& b, const char* out_path, const char* new_value,
           const title_words& words, bool& ends) {
    if (const int r = dialogs::check_output(out_path); r != 0) return r;
    calc_new_value nv;
    if (const int rc = set_calc_new_value(s.t, new_value, b.req, nv); rc != 0) return rc;
    ends = true;
    return calculate_and_write(s.t, b.req, nv, nullptr, out_path, words);
}

}  // namespace

int bvalue(const char* in_path, const char* out_path, const title_words& words, int step, int operation,
           const char* inclusion, const std::array<const vt_listbox*, max_selected_vars>& lists, int order,
           const char* new_value, const char* beta_value, const char* constant) {
    bool ends = false;  // the step ends the dialogue, whatever its result
    const int rc = guard([&] {
        dialogs::held_state& s = dialogs::current();
        if (step == 2 || step == 4) {
            if (!dialogs::holds(dialogs::dialogue::bvalue)) return codes::op_no_dialogue_table;
            bvalue_state& b = dialogs::family<bvalue_state>();
            if (step == 2) {
                // A choice that forms no request ends the dialogue like any
                // other failure of the operation.
                ends = true;
                if (const int r = build_from_lists(s, operation, inclusion, lists, order, beta_value, constant, b);
                    r != 0)
                    return r;
                ends = false;
            } else if (!b.request_held) {
                return codes::op_no_dialogue_table;
            }
            return finish(s, b, out_path, new_value, words, ends);
        }
        // The cells are read in the first step, so no file stays open
        // while the user chooses.
        if (const int r = dialogs::begin(dialogs::dialogue::bvalue, in_path, true); r != 0) return r;
        for (std::size_t k = 0; k < s.t.vars.size() && k < lists.size(); ++k)
            for (const value& v : s.t.vars[k].values) plat::lb_add(lists[k], v.text);
        return 0;
    });
    if (ends || rc == codes::no_memory || rc == codes::internal_fault) dialogs::release();
    return rc;
}

}  // namespace vt
