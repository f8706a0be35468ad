// The change texts dialogue: the host shows CONTENTS, UNITS and the
// variable names, and the value texts of one variable at a time, in edit
// fields and a list box; the user edits them and the table is written
// with the new texts.
#pragma once

#include <string>

#include "tableops/title.h"
#include "vtlistbox.h"

namespace vt {

// The size of every text buffer a host hands to a dialogue to be written
// into (contents_io, units_io, set_io, domain_out), the final NUL included.
// A longer text is cut to fit.
inline constexpr std::size_t dialog_buffer_size = 1000;

// Copies text into a host's buffer of dialog_buffer_size bytes (nothing
// for a null buffer).
void copy_to_host(char* buffer, const std::string& text) noexcept;

// The steps (one dialogue at a time per process):
//   step 2: list in `list` the value texts of `variable` (the variable
//           without a name as unit_var); 0, 85 no such variable.
//   step 3: the items of `list` (one per value, in order) become the value
//           texts of `variable`; 0, 85, 81 not one item per value, 93/94/95
//           a text refused (nothing changes, the dialogue goes on).
//   step 5: CONTENTS and UNITS from contents_io and units_io, the variable
//           names from `list` (one per variable; the item of the variable
//           without a name is passed over); title rebuilt, written to
//           out_path, released. 93/94/96 for a refused text and 400/84 for a
//           bad output name keep the dialogue as it was.
//   step 4: release; 0.
//   other:  read in_path with its cells (releasing any earlier dialogue),
//           list the variable names, copy CONTENTS and UNITS into the two
//           buffers; 0, 400 or the reader's code.
// Steps 2, 3 and 5 without a table read by this dialogue give 90.
int chgtxt(const char* in_path, const char* out_path, char* contents_io, char* units_io, const vt_listbox* list,
           const char* variable, int step, const char* unit_var, const title_words& words);

// CONTENTS := CONTENTS + ", " + addition + ","; title rebuilt; written.
// 0, 400, 84, the reader's code, 94 for a double quote in the addition.
int chgtxtcontents(const char* in_path, const char* out_path, const char* addition, const title_words& words);

}  // namespace vt
