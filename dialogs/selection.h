// The selection dialogue: the host shows the values of every variable in
// list boxes, the user chooses values (and, through the aggregation steps,
// groups of an aggregation in place of a variable's values), and the new
// table is written. Also the two small queries getcodes and zoomvar.
#pragma once

#include <array>
#include <cstddef>

#include "tableops/selection.h"
#include "vtlistbox.h"

namespace vt {

// The buffer sizes the exports assume: getvalue's status text and
// zoomvar's text are cut to fit, NUL included.
inline constexpr std::size_t status_out_size = 1000;
inline constexpr std::size_t zoomvar_text_size = 256;

// The value list boxes of variables 1 to 16, in table order.
using value_boxes = std::array<const vt_listbox*, max_selected_vars>;

// The steps of getvalue:
//   step below 1: reads in_path (texts of `language` when not empty),
//     keeps it with its file open, remembers value_set_dir and label_path
//     (title words, and the message file beside it), fills box k with the
//     value texts of variable k and writes the status words into
//     status_out. Result 0, or 1000 when no variable offers an
//     aggregation; 400 or the reader's code when the table cannot be read.
//   step 3: releases the dialogue; 0.
//   other steps: the values selected in each box are kept, the new table
//     is written to out_path and the dialogue released. Result 0 (or the
//     data writer's result), the 1-based number of a variable without a
//     chosen value that can be neither summed nor taken at an elimination
//     value, 1 no new table, 83 nothing kept, 84 out_path is the source,
//     400, 90 no table held. After a failure the table stays held.
int getvalue(const char* in_path, const char* out_path, const char* value_set_dir, const char* label_path, int step,
             const value_boxes& boxes, char* status_out, int secrecy, const char* language);

// The aggregation steps over the table getvalue's first step holds (see
// vtops.h for the step table). boxes[0] is list_b, which also shows the
// groups of an aggregation; boxes[1..15] are list2 .. list16.
int srvalues(const char* out_path, int step, const vt_listbox* list_a, const value_boxes& boxes, const char* name,
             int secrecy);

// Adds the codes of variable k's values to box k, for each variable whose
// first value has a code. 0, 400 or the reader's code.
int getcodes(const char* in_path, const value_boxes& boxes);

// Copies the text of the elimination value of the held table's variable
// `variable` into text_out (zoomvar_text_size bytes), or "" when there is
// no such variable, value or table. 0.
int zoomvar(const char* variable, char* text_out);

}  // namespace vt
