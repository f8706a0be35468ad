// Deleting a variable: the table loses one variable, its cells either
// summed over the variable's values or taken at the one value a user keeps.
// The result is a new table file.
//
// delete_variable works on a table in memory (the batch job and the host
// dialogue share it); vardeleteweb is the batch job around it.
#pragma once

#include <vector>

#include "core/infile.h"
#include "core/table.h"
#include "tableops/title.h"

namespace vt {

// Deletes the variable at chain position `var` of `source`.
//   marked       one flag per value of the variable (1 marked)
//   remove       false: the marked values are summed, and they must be all
//                of them; true: the marked values are removed first, and
//                exactly one value must stay, whose cells the table keeps
//   source_file  the source file at its data section, or nullptr when
//                source holds its cells already
// A variable of one value goes whatever is marked: its cells are the
// table's. Sums add as data symbols add (a "." among the values gives ".";
// two different symbols "......."). Cell and data notes that name a value
// of the variable are dropped, those for any of its values ("*") stay; the
// contents information follows (a deleted contents variable clears
// CONTVARIABLE); DECIMALS rises to the precision of the summed values so no
// figure loses decimals. The title is not rebuilt here.
// Returns codes::ok with `out` the new table, or codes::op_partial_delete
// (the marks would leave the variable with some of its values),
// codes::op_delete_failed (every value removed), codes::op_nothing_kept
// (the table has no other variable), codes::no_memory, or the data
// reader's code (121, 201, 801).
int delete_variable(table& source, in_file* source_file, std::size_t var, const std::vector<char>& marked,
                    bool remove, table& out);

// CONTENTS becomes CONTENTS + ", " + addition + " " when addition is not
// empty (a table without CONTENTS starts from "").
void add_to_contents(table& t, const char* addition);

// The batch job: reads in_path, marks the values value_list names
// (1-based numbers, strictly ascending, "," between them) of `variable`
// (equal to unit_var: the variable without a name), adds title_add to
// CONTENTS, deletes the variable as delete_variable does, rebuilds the
// title from `words` and writes the table to out_path.
// Returns 0 (or the data writer's result), 400, the reader's code, 81 (a
// bad list), 84 (out_path is in_path), 85 (no such variable), 78, 83, 200,
// 121, 201 or 801.
int vardeleteweb(const char* in_path, const char* out_path, const char* value_list, const char* variable,
                 const char* unit_var, const title_words& words, int remove, const char* title_add);

}  // namespace vt
