// Writing the table an operation has made: the last step of every job that
// turns one table file into another.
#pragma once

#include "core/table.h"

namespace vt {

// Writes nt to out_path: the keywords, then the cells from memory in full
// form (keyed input is never copied as it stood), with the data writer's
// recode flag `secrecy`. The writer's settings are as before afterwards.
// Returns the data writer's result (codes::data_input_ended when the file
// cannot be written in full) or codes::cannot_open when out_path is null or
// cannot be opened.
int write_new_table(table& nt, const char* out_path, int secrecy);

}  // namespace vt
