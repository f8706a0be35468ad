// The dialogue of a second table: the host shows the tables of a folder
// that fit the current table, the user picks one, and the two are joined
// (link, overlay) or combined cell by cell (add, subtract, multiply,
// divide) into a new table file.
#pragma once

#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process), told by `type`:
//   1 (and any type but 2 and 3): reads in_path (releasing any dialogue
//           still held) with its cells, lists the table files of table_dir
//           and fills `list` with the titles of those that fit the table for
//           `option` (41..44 and 71: the same variables with the same value
//           sets; 61: the same variables, at most one with other values).
//           Result 0 (also when none fits: the list stays empty), 400 (no
//           source, or no table file in table_dir), the reader's code, 163,
//           91 when the table has no UNITS (a second table needs them).
//   2:      takes the table chosen in `list` (lb_current); with none chosen
//           an arithmetic option works with `constant` instead. Combines as
//           a file calculation with newvar `name`, new values text1..text3
//           ("text" or "text#code") and inclusion[0], writes out_path and
//           releases. Result: the data writer's result, 90 (no table held,
//           or a join without a chosen table), 84 (out_path is the source or
//           the chosen table), 400 (out_path null or not writable), 91 (the
//           chosen table cannot be read or does not fit), 93, 94, 95, 96, 97,
//           200. After 84, 90 with a table held, and 93 to 97 the dialogue
//           stays: the host may ask for another name or choice and call 2
//           again.
//   3:      releases; 0.
int tabsel(const char* table_dir, const char* in_path, const char* out_path, int type, const vt_listbox* list,
           int option, const char* label_path, const char* name, const char* text1, const char* text2,
           const char* text3, const char* constant, const char* inclusion);

}  // namespace vt
