// The texts and codes dialogue: the values of the chosen variables are
// shown as texts, codes or both; where texts have to be looked up and
// several value sets fit, the host asks the user which one.
#pragma once

#include "vtlistbox.h"

namespace vt {

// The steps (one dialogue at a time per process); options holds one digit
// per variable (1 texts, 2 codes, 3 both, else unchanged):
//   step 6: release; 0.
//   step 5: set_io names the value set file the user chose for the domain
//           last reported; goes on as the first step does. 90 when the
//           dialogue is not waiting for a choice.
//   other:  read in_path with its cells (releasing any earlier dialogue)
//           and present it as options says. When several value set files
//           of value_set_dir serve a variable to be looked up, the result is
//           1 with its domain in domain_out and the table stays held;
//           otherwise the table is written to out_path, set_io receives the
//           value set file used ("" when none) and the dialogue ends.
//           0 (or the data writer's result), 400, 84, the reader's code,
//           99 the presentation change failed.
// Buffers hold dialog_buffer_size bytes (dialogs/chgtxt.h).
int ctvalues2003(const char* in_path, const char* value_set_dir, const char* out_path, int step, char* set_io,
                 const char* options, char* domain_out);

}  // namespace vt
