// The change texts dialogue.
#include "dialogs/chgtxt.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/codes.h"
#include "core/guard.h"
#include "dialogs/boxes.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "tableops/newtable.h"
#include "tableops/texts.h"
#include "platform/text.h"
#include "tableops/compute.h"

namespace vt {

void copy_to_host(char* buffer, const std::string& text) noexcept {
    if (!buffer) return;
    const std::size_t n = std::min(text.size(), dialog_buffer_size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

namespace {

std::vector<std::string> list_items(const vt_listbox* list) {
    std::vector<std::string> out;
    const int n = plat::lb_count(list);
    for (int i = 0; i < n; ++i) out.push_back(plat::lb_text(list, i));
    return out;
}

// The variable a step names: the unit word (in any letter case) stands for
// the variable without a name, as the list of names shows it.
int held_variable(const char* variable, const std::string& unit) {
    const table& t = dialogs::current().t;
    const std::string name = variable ? variable : "";
    if (plat::equal_nocase_1252(name, unit)) {
        const int k = variable_position(t, std::nullopt);
        if (k >= 0) return k;
    }
    return variable_position(t, name);
}

// Step 5: the edited names written as a new table.
int write_step(const char* out_path, const char* contents_io, const char* units_io, const vt_listbox* list,
               const title_words& words) {
    dialogs::held_state& s = dialogs::current();
    if (const int r = dialogs::check_output(out_path); r != 0) return r;
    if (const int rc = change_names(s.t, contents_io ? contents_io : "", units_io ? units_io : "",
                                    list_items(list), false);
        rc != 0)
        return rc;
    title_rebuild(s.t, title_width, words);
    const int rc = write_new_table(s.t, out_path, 0);
    // An output that cannot be opened leaves the dialogue to another name.
    if (rc != codes::cannot_open) dialogs::release();
    return rc;
}

}  // namespace

int chgtxt(const char* in_path, const char* out_path, char* contents_io, char* units_io, const vt_listbox* list,
           const char* variable, int step, const char* unit_var, const title_words& words) {
    return dialogs::run_step([&] {
        const std::string unit = unit_var ? unit_var : "";
        dialogs::held_state& s = dialogs::current();
        if (step == 4) {
            dialogs::release();
            return 0;
        }
        if (step == 2 || step == 3 || step == 5) {
            if (!dialogs::holds(dialogs::dialogue::chgtxt)) return codes::op_no_dialogue_table;
            if (step == 5) return write_step(out_path, contents_io, units_io, list, words);
            const int k = held_variable(variable, unit);
            if (k < 0) return codes::op_no_such_name;
            if (step == 3) return change_value_texts(s.t, static_cast<std::size_t>(k), list_items(list));
            dialogs::show_value_texts(s.t.vars[static_cast<std::size_t>(k)], list);
            return 0;
        }
        if (const int r = dialogs::begin(dialogs::dialogue::chgtxt, in_path, true); r != 0) return r;
        for (vt::variable& v : s.t.vars) v.keys_mode = 0;  // the cells are in memory, written in full form
        dialogs::show_variable_names(s.t, list, unit);
        copy_to_host(contents_io, s.t.contents.value_or(""));
        copy_to_host(units_io, s.t.units.value_or(""));
        return 0;
    });
}

int chgtxtcontents(const char* in_path, const char* out_path, const char* addition, const title_words& words) {
    return chgtxtcontents_core(in_path, out_path, addition, words);
}

}  // namespace vt
