// Filling a host's list boxes with the variables and values of a table.
#include "dialogs/boxes.h"

#include "platform/listbox.h"

namespace vt::dialogs {

void show_variable_names(const table& t, const vt_listbox* box, const std::string& unit_var) {
    plat::lb_reset(box);
    for (const variable& v : t.vars) plat::lb_add(box, v.name ? *v.name : unit_var);
}

void show_value_texts(const variable& v, const vt_listbox* box) {
    plat::lb_reset(box);
    for (const value& val : v.values) plat::lb_add(box, val.text);
}

}  // namespace vt::dialogs
