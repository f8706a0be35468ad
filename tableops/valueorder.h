// Value order: the values of one variable put into a new order. Every cell
// moves with its value, bit for bit, so the table says the same thing in
// another order; the result is a new table file.
//
// valueorder takes the new order as value numbers and hands berakna a
// request (bearb, op_value_order) naming the variable and its value texts
// in the new order; reorder_values forms the new table.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/infile.h"
#include "core/table.h"
#include "tableops/compute.h"
#include "tableops/title.h"

namespace vt {

// The position of the variable a job names: `name` equal to unit_var
// (exactly) means the variable without a name, any other the first
// variable of that name. -1 when the table has none.
int find_named_variable(const table& t, const std::string& name, const std::string& unit_var);

// The value positions a value list names: 1-based numbers separated by
// ","; an empty item, like 0, is the first value. True only when the list
// names each of the `count` values exactly once.
bool parse_value_order(const std::string& list, std::size_t count, std::vector<std::size_t>& out);

// Operation op_value_order of berakna: `out` is `source` with the values of
// the variable the first entry names (an absent name: the variable without
// a name) in the order of the entry's texts, each text taking the first
// value of that text not taken yet. Values carry their codes, notes,
// precisions and elimination role along; cell notes and data notes follow
// their values; the contents information is rebuilt; the variable loses its
// hierarchy. Its data are read from source_file when source holds none;
// those cells are then reordered in place and handed to `out`, so only one
// matrix is held.
// Returns codes::ok, codes::op_failed (the texts are not every value of
// the variable exactly once, or no such variable), codes::no_memory, or
// the data reader's code.
int reorder_values(table& source, const bearb& req, in_file* source_file, table& out);

// Puts the values of variable `var` of t in the order of `texts` (value
// texts, each naming the first value of that text not named before), its
// cells from t or else from `in`, rebuilds the title from `words` and
// writes out_path. The data writer's result; 80 when the texts are not
// every value exactly once; 200, 201 or 121 as for the reading of cells.
int reorder_and_write_values(table& t, in_file* in, std::size_t var, const std::vector<std::string>& texts,
                             const char* out_path, const title_words& words);

// Reads in_path, puts the values of `variable` into the order value_list
// gives (as parse_value_order reads it), rebuilds the title from `words`
// and writes the table to out_path. Result: the data writer's result; 400
// when a file cannot be opened; the reader's code; 84 (out_path is
// in_path), 85 (no such variable), 80 (the list is not every value exactly
// once), 200 or 201 (no memory for the cells), 121 (a bad key in keyed
// data).
int valueorder(const char* in_path, const char* out_path, const char* value_list, const char* variable,
               const char* unit_var, const title_words& words);

}  // namespace vt
