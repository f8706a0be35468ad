// The value order dialogue: the host lists the variables, the user picks
// one, its values are listed, the user moves them into a second box in the
// order wanted, and the table is written with the values in that order.
#pragma once

#include "tableops/title.h"
#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process):
//   step 2: fills list_a with the value texts of `variable` (equal to
//           unit_var: the variable without a name) and code_list with the
//           codes of the values that have one. 0, 85 when the table has no
//           such variable (the dialogue stays), 90 when no table is held.
//   step 4: the new order is the texts of list_b first to last, then those
//           of list_a, as many as the variable has values; the table is
//           reordered, written to out_path and released. The data writer's
//           result, 80 when the texts are not every value exactly once, 85
//           for an unknown variable, 200/201/121 as for valueorder; 84
//           (out_path is the source) and 400 (no out_path) keep the
//           dialogue, so the host may ask for another name; 90 when no
//           table is held.
//   step 3: releases the table; 0.
//   other:  reads in_path (releasing any dialogue still held) and fills
//           list_a with the names of all variables (the variable without a
//           name as unit_var); 0, 400, the reader's code, or 201/121 when
//           its cells cannot be read.
int valorder(const char* in_path, const char* out_path, const vt_listbox* list_a, const vt_listbox* list_b,
             const char* variable, int step, const char* unit_var, const title_words& words,
             const vt_listbox* code_list);

}  // namespace vt
