// The table computation every table operation goes through: an operation
// describes the new table it wants in a request (bearb) and berakna builds
// it from the source table. Selection and aggregation (op 5, selbas) and
// the swap of value texts and codes (op 51) live here; the variable order
// (tableops/pivot.h), the value order (tableops/valueorder.h), the
// calculations (tableops/calc.h) and the merge of two tables
// (tableops/merge.h) have files of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/infile.h"
#include "core/table.h"

namespace vt {

// The operation a request asks for (its op). These are operation numbers,
// which hosts and query files pass in, not result codes; the result codes
// are in core/codes.h.
enum operation : int {
    op_selection = 5,          // selection and aggregation (selbas)
    op_add_values = 11,        // a new value from two chosen values (or one and a constant): added,
    op_subtract_values = 12,   // ... subtracted,
    op_multiply_values = 13,   // ... multiplied
    op_divide_values = 14,     // ... or divided
    op_sum_values = 18,        // a new value as the sum of chosen values (of all when none is chosen)
    op_percentages = 21,       // percentages of chosen values
    op_per_mille = 23,         // per mille shares of chosen values
    op_reorder = 31,           // a new variable order (tableops/pivot.h)
    op_value_order = 32,       // a new value order (tableops/valueorder.h)
    op_remove_values = 33,     // removal of chosen values
    op_swap_texts_codes = 51,  // the swap of value texts and codes
    op_link = 61,              // the second table appended along one variable (tableops/merge.h)
    op_overlay = 71,           // the two tables under a new first variable (tableops/merge.h)
};

// One group of an aggregation: becomes one value of the new variable.
struct aggregation_group {
    std::string text;
    std::string code;
    std::vector<std::string> members;  // member codes, matched against value texts
};

// One aggregation file as read by sumreg_struct.
struct aggregation {
    std::string value_set;    // [Aggreg] Valueset
    std::string name;         // [Aggreg] Name
    std::string unique_name;  // name, or name + "_" + n when an earlier one had the name
    opt_string map;           // [Aggreg] Map
    char kind = 'V';          // 'N' and 'H' allow prefix matching of member codes
    std::vector<aggregation_group> groups;
};

// One variable of the new table. An entry without values and without an
// aggregation keeps all values of the variable; a variable without an
// entry is eliminated.
struct request_entry {
    opt_string name;                  // absent for the unnamed (sort) variable
    std::optional<aggregation> agg;   // the groups replace the values
    std::vector<std::string> values;  // texts of the values kept, in value order
};

// The request record: the operation and its entries in table order.
struct bearb {
    int op = op_selection;
    std::vector<request_entry> entries;
    std::string value_set_dir;  // op 51: where texts of coded-only values are looked up
    // op 51: the value set file chosen for entry k (empty or missing: the
    // first file of value_set_dir that serves the variable's DOMAIN).
    std::vector<std::string> value_set_files;

    // Calculations (ops 11 to 33, tableops/calc.h). The first entry names
    // the calculation variable and lists its operands in operand order.
    char inclusion = 'm';      // 'm' keeps the operands beside the new value, 'u' puts it in their place
    float constant = 0;        // the constant operand, in single precision as hosts pass it
    int constant_decimals = 0; // characters after the first "." of the constant's text
    std::vector<request_entry> base;  // percentages: the base value (an entry without a variable name)
    opt_string new_value;      // the new value's text

    // The merges (ops 61 and 71): the second table, with its cells. For
    // op 71 the first entry names the new variable and lists its two value
    // texts, each "text" or "text#code".
    const table* second = nullptr;

    // Selection with aggregations (op 5): told, per aggregated variable, how
    // many member codes matched no value (only when some did not), so that
    // a dialogue can tell its user. The batch leaves it empty.
    std::function<void(const opt_string& variable_name, std::size_t unmatched)> on_unmatched;
};

// The position of the first variable named `name` (absent: the variable
// without a name), or -1.
int variable_position(const table& t, const opt_string& name);

// The position of the first value of v whose text is `text`, or -1.
int value_position(const variable& v, const std::string& text);

// Appends an entry (the first append sets op to selection, as the request
// record is created there).
void bearb_append(bearb& req, request_entry entry);

// Adds x to a target cell the way cells holding data symbols add: numbers
// (the nil sentinel included) add as numbers; a symbol absorbs every number;
// two different symbols give the "......." symbol.
double symbol_sum(double target, double x) noexcept;

// The sentinel of a quoted cell token (without its quotes): "." .. "......."
// and "-"; any other text gives 0.
double quoted_token_value(const char* begin, const char* end) noexcept;

// Builds the new table `out` from `source` as `req` says.
//   source_file  the source table file standing at its data section (right
//                after DATA=), or nullptr when source already holds its data.
// The source keeps its keywords; its data may be read into it. Returns
// codes::ok, codes::op_failed (no new table could be formed; the callers
// turn it into their own "no new table" code), codes::no_memory (the new
// table's cells cannot be had), codes::op_not_supported (an operation not
// served yet), or a data reader code (121, 201, 801). `out` is only
// meaningful on 0.
int berakna(table& source, const bearb& req, in_file* source_file, table& out);

// The target variable of an aggregation: one value per group, named by
// the aggregation's unique name (its plain name when it has none), with
// the aggregation file's Map.
variable aggregated_variable(const aggregation& agg);

// Operation 5: selection and aggregation (the contract of berakna).
int selbas(table& source, const bearb& req, in_file* source_file, table& out);

// The positions in v of the listed texts, in the order listed. Texts are
// matched in order, so values sharing a text are told apart (each value is
// taken once). False when a text names no value not taken yet.
bool listed_positions(const variable& v, const std::vector<std::string>& texts, std::vector<int>& out);

// Swaps text and code of every value of v when its values carry codes (a
// value without one keeps its text in both places).
// When none does and the variable has a DOMAIN, the texts are looked up in
// the value set files of value_set_dir first (fetch_valuetext); without a
// match the variable is left alone. Returns 1 when swapped, else 0.
// A non-empty value_set_file is searched instead of value_set_dir.
int swap_texts_codes(variable& v, const std::string& value_set_dir, const std::string& value_set_file = {});

// Carries the cell notes, the CELLNOTEX entries and the data notes of `from`
// over to `to`, matching variables by name and values by text, and rebuilds
// the contents information (continfo_red). Used after every operation.
void carry_notes(const table& from, table& to);

// The three lists of cell entries that travel by the same rules: each
// variable's references and the table's texts of CELLNOTE, CELLNOTEX and
// DATANOTECELL.
struct cell_entry_list {
    cell_ref_list variable::*refs;
    text_list table::*texts;
};
inline constexpr cell_entry_list cell_entry_lists[] = {
    {&variable::cellnote_refs, &table::cellnote_texts},
    {&variable::cellnotex_refs, &table::cellnotex_texts},
    {&variable::datanotecell_refs, &table::datanotecell_texts},
};

// Flags the values that a DATANOTECELL entry names (and only those), after
// the references have changed.
void mark_datanotes(table& t);

// Rebuilds the contents information of `to` after an operation: clears the
// contents variable when it is gone or keeps one value, and orders the
// records by the contents variable's values.
void continfo_red(table& to);

// Cell notes carried with the value positions unchanged, for operations
// that keep every value where it was (the swap of texts and codes).
void carry_notes_by_position(const table& from, table& to);

}  // namespace vt
