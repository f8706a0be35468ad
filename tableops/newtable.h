// The two ends of every job that turns one table file into another:
// opening its source, and writing the table the operation has made.
#pragma once

#include "core/infile.h"
#include "core/table.h"

namespace vt {

// Opens the source `in_path` of a job writing `out_path`. 0;
// codes::cannot_open for a null name or a source that cannot be opened;
// codes::op_same_file when the output is the source under any name, since
// writing it would destroy the cells still to be read.
int open_source(const char* in_path, const char* out_path, in_file& in);

// Writes nt to out_path: the keywords, then the cells from memory in full
// form (keyed input is never copied as it stood), with the data writer's
// recode flag `secrecy`. The writer's settings are as before afterwards.
// Returns the data writer's result (codes::data_input_ended when the file
// cannot be written in full) or codes::cannot_open when out_path is null or
// cannot be opened.
int write_new_table(table& nt, const char* out_path, int secrecy);

}  // namespace vt
