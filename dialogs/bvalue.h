// The calculation dialogue: the host shows the values of each variable in
// its own list box, the user chooses operands (and the values of the other
// variables to keep), names the new value, and the table is written with
// the value computed.
#pragma once

#include <array>

#include "tableops/selection.h"
#include "tableops/title.h"
#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process). The dialogue holds the
// table from the first step on, and the request once step 2 has built it:
//   step 2: (table held) reads which items of each list box are selected:
//           box k chooses the values of variable k as the list sel_k of
//           calcvalues would (the first box with a choice is the
//           calculation variable; none chosen in a box eliminates its
//           variable); builds the request of `operation` with the
//           inclusion letter inclusion[0], base value beta_value and the
//           constant, then goes on as step 4.
//   step 4: (request held) checks new_value ("text" or "text#code"): 93,
//           94 or 95 keep the dialogue with its request, so the host can
//           ask for another text and call step 4 again; 84 (out_path is
//           the source) and 400 (no out_path) keep it too. Otherwise the
//           new table is formed and written to out_path and the dialogue
//           ends: 0 (or the data writer's result), 200 when no new table
//           was formed, 98 when it lost the calculation variable, 81, 83,
//           97 as calcvalues gives them.
//   Step 2 without a table, or step 4 without a request, gets 90 and
//   leaves the dialogue as it was.
//   other:  reads in_path (releasing any dialogue still held) and fills
//           list box k with the value texts of variable k; 0, 400, the
//           reader's code, or 201/121 when its cells cannot be read.
int bvalue(const char* in_path, const char* out_path, const title_words& words, int step, int operation,
           const char* inclusion, const std::array<const vt_listbox*, max_selected_vars>& lists, int order,
           const char* new_value, const char* beta_value, const char* constant);

}  // namespace vt
