// The delete-a-variable dialogue: the host lists the variables, the user
// picks one, then the values to sum (or to remove, keeping one), and the
// table is written without the variable.
#pragma once

#include "tableops/title.h"
#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process); `list` is one list box
// that shows the variable names, then the values of the variable picked:
//   step 2: empties `list` and fills it with the value texts of
//           `variable` (equal to unit_var: the variable without a name).
//           1 when the table's title is its DESCRIPTION (a new contents
//           text would not show in it), else 0; 85 when the table has no
//           such variable (the table stays held); 90 when none is held.
//   step 4: the values selected in `list` (one item per value of
//           `variable`) are summed away, or with remove 1 removed, the one
//           value left keeping its cells; the variable goes, the title is
//           rebuilt from `words` and the table is written to out_path.
//           The dialogue ends. Result: the data writer's result, 400, 84
//           (out_path is the source; the dialogue stays), 85, 81 (the list
//           does not show one item per value), 78 (some but not all of
//           several values selected; with remove 1, not all but one), 83
//           (the table has no other variable), 200 (every value removed,
//           or no memory), 90 when no table is held.
//   step 3: releases the table; 0.
//   other:  reads in_path (releasing any dialogue still held), empties
//           `list` and fills it with the variable names (the variable
//           without a name as unit_var) and keeps the table with its
//           cells; 0, 400, the reader's code, or 201/121 when its cells
//           cannot be read.
int vardelete(const char* in_path, const char* out_path, const vt_listbox* list, const char* variable, int step,
              const char* unit_var, const title_words& words, int remove);

}  // namespace vt
