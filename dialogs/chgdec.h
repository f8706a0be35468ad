// The decimals dialogue: the host shows how many decimals the table shows
// and, for a variable the user picks, the PRECISION of each value; the
// user changes them and the table is written with the new decimals.
#pragma once

#include <cstddef>

#include "vtlistbox.h"

namespace vt {

// The host's buffer for the shown decimals holds at least this many bytes;
// the library writes at most 3 into it (up to two digits and a NUL).
inline constexpr std::size_t chgdec_buffer_size = 16;

// The steps (one dialogue at a time per process):
//   step 2: empties both list boxes and fills value_list_box with the value
//           texts of `variable` (equal to unit_var: the variable without a
//           name) and precision_list_box with their PRECISION, one digit
//           per value ("0": none). 0; 85 when the table has no such
//           variable (the table stays held); 90 when none is held.
//   step 3: takes the precisions of `variable` back from
//           precision_list_box, one item per value in order, each a digit
//           0..9; 0. A failure ends the dialogue, nothing written: 79 when
//           the box does not hold one digit per value, 85 when the table
//           has no such variable. 90 when no table is held.
//   step 5: SHOWDECIMALS becomes the number in decimals_io (read as the
//           batch reads numbers: 0 for no digits) and DECIMALS rises to it
//           when smaller; the table is written to out_path and the
//           dialogue ends. Result: the data writer's result, 400, 84
//           (out_path is the source; the dialogue stays), 79 (below 0,
//           above 15, or above 6 under a larger DECIMALS: no table file
//           can state it; the dialogue ends), 90 when no table is held.
//   step 4: releases the table; 0.
//   other:  reads in_path (releasing any dialogue still held), empties
//           value_list_box and fills it with the variable names (the
//           variable without a name as unit_var), writes SHOWDECIMALS into
//           decimals_io (when not null: at most 3 bytes, see
//           chgdec_buffer_size) and keeps the table with its cells; 0, 400,
//           the reader's code, or 201/121 when its cells cannot be read.
int chgdec(const char* in_path, const char* out_path, char* decimals_io, const vt_listbox* value_list_box,
           const vt_listbox* precision_list_box, const char* variable, int step, const char* unit_var);

}  // namespace vt
