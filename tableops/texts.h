// Changing the texts of a table: CONTENTS, UNITS, the variable names and
// the value texts, and the one-line CONTENTS or DESCRIPTION of a table.
//
// The edits work on a table in memory, so the batch jobs (which read a
// file, edit it and write it) and the host dialogue (which keeps the table
// between its steps) share them. Every edit checks all its new texts before
// it changes anything: a refused text leaves the table as it was.
#pragma once

#include <string>
#include <vector>

#include "core/table.h"
#include "tableops/title.h"

namespace vt {

// The checks of a new variable name or value text beside check_new_text
// (tableops/calc.h, 93 and 94): a new name equal to another variable's
// name gives codes::op_variable_exists (96), a new value text equal to
// another value text of the same variable codes::op_text_used (95). Each
// list holds the texts as they will be after the edit, so two names may
// change places; entry `self` is the one checked. Absent names (the
// variable without a name) never clash.
int check_unique_name(const std::vector<opt_string>& names, std::size_t self);
int check_unique_text(const std::vector<std::string>& texts, std::size_t self);

// New CONTENTS, UNITS and variable names. names holds one entry per
// variable to rename, in table order: with named_only the variables without
// a name are passed over (the batch form), otherwise entry k is variable k
// and the entry of the variable without a name is ignored (the dialogue
// shows the unit word there). Missing entries are empty and refused. A
// table without UNITS gets none. CONTVARIABLE follows a renamed variable.
// Returns 0, 93 or 94 (a name, or the contents, empty or holding a double
// quote; a double quote in the units), or 96.
int change_names(table& t, const std::string& contents, const std::string& units,
                 const std::vector<std::string>& names, bool named_only);

// New value texts of variable `var` (one per value, in order; a count
// that does not match gives codes::op_bad_list). A changed text is checked
// (93, 94, 95); when the variable is the contents variable, the contents
// records of the old texts take the new ones. Returns 0 or the code.
int change_value_texts(table& t, std::size_t var, const std::vector<std::string>& texts);

// ";"-separated names (an empty item is an empty name; a trailing ";" ends
// the list without adding one).
std::vector<std::string> split_names(const std::string& names);

// What chgtxtcontdescr sets: 0 CONTENTS, 1 DESCRIPTION, 2 DESCRIPTION and
// DESCRIPTIONDEFAULT YES. 93 for an empty text, 94 for a double quote,
// codes::op_bad_list for another mode.
int set_contents_or_description(table& t, const std::string& text, int mode);

// Batch forms: read in_path with its cells, edit, rebuild the title with
// `words`, write out_path. Returns 0 (or the data writer's result), 400,
// 84 (out_path is in_path under any name), the reader's code, 201/121 for
// cells that cannot be read, or the edit's code (nothing is written then).
int chgtxtweb(const char* in_path, const char* out_path, const char* names, const char* contents,
              const char* units, const title_words& words);
int chgtxtcontdescr(const char* in_path, const char* out_path, const char* text, const title_words& words,
                    int mode);

// The dialogue's appending form: CONTENTS := CONTENTS + ", " + addition + ",".
int chgtxtcontents_core(const char* in_path, const char* out_path, const char* addition,
                        const title_words& words);

// Reads in_path with its cells into t for an edit that writes out_path
// (0, 400, 84, the reader's or the data reader's code).
int read_for_edit(const char* in_path, const char* out_path, table& t);

}  // namespace vt
