// Pivot and variable order: which variables form the stub and which the
// heading, and in which order. The cells move with their variables, so
// every cell keeps its combination of values; the result is a new table
// file.
//
// pivot rotates the table by one variable in a fixed pattern and
// variableorder takes the new order as variable numbers; the host dialogue
// varorder (dialogs/varorder.h) takes it from two list boxes. All of
// them end in the same reordering step: a request (bearb, op_reorder) that
// berakna turns into the new table through reorder_variables.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/infile.h"
#include "core/table.h"
#include "tableops/compute.h"
#include "tableops/title.h"

namespace vt {

// Results (core/codes.h): 0 or the data writer's result, cannot_open, the
// reader's code, op_same_file, op_bad_pivot_alt, op_bad_order, no_memory
// when the new table's cells cannot be had, and the data reader's code when
// the source's cells cannot be read into memory (no_data_block, or 121 for
// a bad key of keyed data).

// The new order as positions in the source chain: the stub first, then the
// heading.
struct variable_order {
    std::vector<std::size_t> stub;
    std::vector<std::size_t> heading;
};

// pivot's rotation of a table with `stub` stub and `heading` heading
// variables. alt 1: the stub loses its first variable to the front of the
// heading and takes the last heading variable at its end; alt 2: the stub
// takes the first heading variable at its front and gives its last
// variable to the end of the heading. False for any other alt.
bool pivot_order(std::size_t stub, std::size_t heading, int alt, variable_order& out);

// The order variableorder asks for: 1-based variable numbers separated by
// ",". An empty item counts as 0 and, like 0, means the first variable; a
// list that is empty or blank as a whole names no variable. False when an
// item is not a number or names no variable of a table of `count`.
bool parse_variable_numbers(const std::string& list, std::size_t count, std::vector<std::size_t>& out);

// True when the order names each of the `count` variables exactly once.
bool order_complete(const variable_order& order, std::size_t count);

// Operation op_reorder of berakna: `out` gets the variables of `source` in
// the order of the request's entries (matched by name, each source
// variable once; an absent name is the variable without a name), the
// head, the cells moved bit for bit to their place in the new order, the
// cell notes and data notes, and the contents information rebuilt. The
// data are read from source_file when source holds none. The heading
// marker of `out` is left as copy_head picks it: the caller sets it.
// Returns codes::ok, codes::op_failed (the entries do not name every
// variable exactly once), codes::no_memory, or the data reader's code.
int reorder_variables(table& source, const bearb& req, in_file* source_file, table& out);

// Reorders the table read from in_path and writes it to out_path with its
// title rebuilt from `words` (title_width characters per line). unit_var is the
// text standing for the variable without a name (only the list boxes of
// the host form need it; the batch forms name variables by number).
// Result: the data writer's result, 400 when in_path or out_path cannot be
// opened, the reader's code, 84, 88 (pivot), 89, 200 (no memory for the new
// cells), 201 (no memory for the source's cells) or 121.
int pivot(const char* in_path, const char* out_path, int alt, const char* unit_var, const title_words& words);
int variableorder(const char* in_path, const char* out_path, const char* stub_order, const char* head_order,
                  const char* unit_var, const title_words& words);

// The common reordering step on a table read up to its data section (f
// stands there, or is null when t holds its cells): the request, berakna
// when the sequence changes, the heading marker, the title rebuilt from
// `words`, and the new file at out_path. Results as above.
int reorder_and_write(table& t, in_file* f, const variable_order& order, const char* out_path,
                      const title_words& words);

}  // namespace vt
