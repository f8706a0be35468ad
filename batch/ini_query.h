// Reading an INI query file into a job description.
#pragma once

#include <string>
#include <string_view>

#include "batch/job.h"
#include "core/table.h"
#include "platform/text.h"

namespace vt::batch {

// Reads the INI query file `path` into `out` (which is reset first): the
// [Files] and [Query] keys, the common [Data] keys with the symbol list, the
// extra keys of the named function and, for the functions that take them,
// [Texts] and the selection lists. Keys are read in the order the query
// form defines, because the first missing mandatory key decides the code.
//
// Returns 0 when the job may run, or:
//   702, 703, 704  Infile, Outfile or Function not given
//   713            the output or the error file would overwrite the input
//                  table or the query file itself (same name without regard
//                  to case, or the same file under another name); the error
//                  file is then not named in `out` when it is the one at fault
//   705            selvalues/aggvalues with NoOfVar not given or 0
//   706, 707, 708, 711  calcvalues settings missing or inconsistent
//   400            a time option needs the input table and it cannot be opened
//   other          the table reader's code for the input table (time option);
//                  the caller logs it under the name "metain"
// `out` keeps what was read up to the failure (errorfile in particular, so
// the caller can log codes from 713 on). A function name that matches no
// function, and a gesmes job missing one of its mandatory [Gesmes] keys,
// give 0 with out.complete false: nothing is run.
int read_ini_job(const std::string& path, job& out);

// Whole numbers in query values (platform/text.h).
using plat::decimal_to_int;

// The 1-based chain position of the table's time variable (the first
// variable read with TIMEVAL) and its number of values; position 0 when the
// table has none.
void find_time_variable(const table& t, int& position, int& value_count) noexcept;

}  // namespace vt::batch
