// The variable order dialogue: the host shows the stub and heading
// variables in two list boxes, the user moves them between and within the
// boxes, and the table is written in the order the boxes then show.
#pragma once

#include "tableops/title.h"
#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process):
//   step 2: the names in stub_list and head_list, first to last, are the
//           new stub and heading order; the table read in the first step is
//           reordered and written to out_path, then released. Result: the
//           data writer's result, 400, 84 (out_path is the source), 89
//           when the names are not every variable exactly once, 90 when no
//           table is held, 200/201/121 as for variableorder.
//   step 3: releases the table; 0.
//   other:  reads in_path (releasing any dialogue still held), fills
//           stub_list and head_list with the names of the stub and heading
//           variables (the variable without a name as unit_var) and keeps
//           the table; 0, 400, the reader's code, or 201/121 when its cells
//           cannot be read.
int varorder(const char* in_path, const char* out_path, const vt_listbox* stub_list, const vt_listbox* head_list,
             int step, const char* unit_var, const title_words& words);

}  // namespace vt
