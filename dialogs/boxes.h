// What the edit dialogues show in a host's list boxes: the variables of the
// held table by name, and the values of one variable.
#pragma once

#include <string>

#include "core/table.h"
#include "vtlistbox.h"

namespace vt::dialogs {

// Empties the box and lists the variables in chain order, the variable
// without a name as `unit_var`.
void show_variable_names(const table& t, const vt_listbox* box, const std::string& unit_var);

// Empties the box and lists the value texts of v in order.
void show_value_texts(const variable& v, const vt_listbox* box);

}  // namespace vt::dialogs
