// The decimals dialogue.
#include "dialogs/chgdec.h"

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/boxes.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "platform/text.h"
#include "tableops/decimals.h"
#include "tableops/newtable.h"
#include "tableops/valueorder.h"

namespace vt {

namespace {

// Writes n (0..99) into the host's buffer: at most two digits and a NUL.
void put_decimals(char* out, int n) {
    if (!out) return;
    char digits[4] = {};
    const auto r = std::to_chars(digits, digits + 2, n);
    const std::size_t len = r.ec == std::errc{} ? static_cast<std::size_t>(r.ptr - digits) : 0;
    std::memcpy(out, digits, len);
    out[len] = '\0';
}

// Lists the values of v and their precisions side by side.
void show_precisions(const variable& v, const vt_listbox* texts, const vt_listbox* precisions) {
    dialogs::show_value_texts(v, texts);
    plat::lb_reset(precisions);
    for (const value& val : v.values) plat::lb_add(precisions, precision_text(val));
}

// Takes the precisions of v back from the box, one digit per value; v
// changes only when every item is good.
int take_precisions(variable& v, const vt_listbox* box) {
    if (plat::lb_count(box) != static_cast<int>(v.values.size())) return codes::op_bad_decimals;
    std::vector<int> taken(v.values.size());
    for (std::size_t k = 0; k < taken.size(); ++k) {
        bool ok = false;
        const std::string text = plat::lb_text(box, static_cast<int>(k), &ok);
        if (!ok || !precision_from_text(text, taken[k])) return codes::op_bad_decimals;
    }
    for (std::size_t k = 0; k < taken.size(); ++k) v.values[k].precision = taken[k];
    return 0;
}

}  // namespace

int chgdec(const char* in_path, const char* out_path, char* decimals_io, const vt_listbox* value_list_box,
           const vt_listbox* precision_list_box, const char* variable_name, int step, const char* unit_var) {
    // Whatever fails, a dialogue that has run its course holds nothing.
    return dialogs::run_step([&] {
        const std::string unit = unit_var ? unit_var : "";
        dialogs::held_state& s = dialogs::current();
        if (step == 4) {
            dialogs::release();
            return 0;
        }
        if (step < 2 || step > 5) {
            // The cells are read in the first step, so no file stays open
            // while the user chooses.
            if (const int r = dialogs::begin(dialogs::dialogue::chgdec, in_path, true); r != 0) return r;
            dialogs::show_variable_names(s.t, value_list_box, unit);
            put_decimals(decimals_io, s.t.showdecimals);
            return 0;
        }
        if (!dialogs::holds(dialogs::dialogue::chgdec)) return codes::op_no_dialogue_table;
        if (step == 5) {
            // A bad output name leaves the dialogue as it was: the host may
            // ask for another one.
            if (const int r = dialogs::check_output(out_path); r != 0) return r;
            int result = set_shown_decimals(s.t, plat::decimal_to_int(decimals_io ? decimals_io : ""));
            if (result == 0) result = write_new_table(s.t, out_path, 0);
            dialogs::release();
            return result;
        }
        const int p = find_named_variable(s.t, variable_name ? variable_name : "", unit);
        if (step == 2) {
            if (p < 0) return codes::op_no_such_name;
            show_precisions(s.t.vars[static_cast<std::size_t>(p)], value_list_box, precision_list_box);
            return 0;
        }
        // Step 3: precisions that cannot be taken end the dialogue, as any
        // failure of a step that changes the table does.
        const int result =
            p < 0 ? codes::op_no_such_name : take_precisions(s.t.vars[static_cast<std::size_t>(p)], precision_list_box);
        if (result != 0) dialogs::release();
        return result;
    });
}

}  // namespace vt
