// The merge of two tables (sammans): how a second table relates to the
// first, and the new table made of both. Link (op 61) appends the second
// table along the one variable whose values differ, or takes the second
// table in the first one's order; overlay (op 71) puts both tables under a
// new first variable with one value per table.
//
// The second table's cells are realigned to the first table's variable
// and value order wherever they differ, so cells always meet their own
// combination of values.
#pragma once

#include <string>

#include "core/table.h"
#include "tableops/compute.h"

namespace vt {

// How the second table relates to the first. Variables are matched by name
// (the one without a name matching the one without a name); a variable
// differs in its values when the second table lacks one of the first's
// value texts or the counts differ.
enum table_relation : int {
    rel_same = 0,                // no variable differs; same variable and value orders
    rel_variable_order = 1,      // ... another variable order
    rel_value_order = 2,         // ... another value order in some variable
    rel_both_orders = 3,         // ... both
    rel_disjoint = 10,           // link: one variable differs and shares no value; 10..13 tell the orders as 0..3
    rel_same_values = 21,        // link: no variable differs
    rel_overlap = 31,            // link: one variable differs, its values overlap in part
    rel_extends = 32,            // link: one variable differs, the second holds all the first's values and more
    rel_variable_count = 90,     // different numbers of variables
    rel_variable_missing = 91,   // a variable of the first is missing in the second
    rel_several_differ = 93,     // more than one variable differs in its values
    rel_no_merge = 99,           // any other case (overlay with a differing variable)
};

// The relation of b to a for op (op_link or op_overlay; any other op gives
// rel_no_merge). With one differing variable, *differing (when given) is
// its position in a.
int relate_tables(const table& a, const table& b, int op, std::size_t* differing = nullptr);

// The checks of an overlay's new names before the merge: `name` the new
// variable, text1 and text2 its value texts ("text" or "text#code").
// codes::op_quote_in_text when one holds a double quote,
// codes::op_variable_exists when a variable of a is named `name`,
// codes::op_text_used when the two texts are equal; else 0.
int check_overlay_texts(const table& a, const std::string& name, const std::string& text1,
                        const std::string& text2);

// The cells of a (and of b, realigned to a's variable and value order)
// under a new first variable nv: a's cells under its first value, b's
// under its second. nv must hold one value per table. out gets a's other
// variables and head; notes are carried by carry_stacked_notes, once the
// caller has settled the contents information. codes::ok or no_memory.
int stack_tables(const table& a, const table* b, variable nv, table& out);

// The cell notes of a stacked table: a's entries name the new first
// variable's first value, b's (when given) its second value; value notes
// that a lacks come from b.
void carry_stacked_notes(const table& a, const table* b, table& out);

// Merges b into a new table out, both a and b holding their cells, as
// req.op asks (op_link or op_overlay); `relation` receives the relation
// (traced after " rkod="). For op_overlay the first entry of req names the
// new variable and lists its two value texts ("text" or "text#code").
// Returns codes::ok; codes::op_failed when the relation allows no merge for
// the operation (or a table lacks its cells, or overlay tables where only
// one has a variable without a name); codes::op_overlay_unnamed when an
// overlay needs a name and texts the request lacks; codes::no_memory.
int sammans(const table& a, const table& b, const bearb& req, table& out, int& relation);

}  // namespace vt
