// Calculation: new values of one variable computed from chosen values of
// that variable (a sum, a difference, a product or a quotient of two values
// or of a value and a constant, the sum of several values, percentages and
// per mille shares of a base), and the removal of chosen values. The new
// value joins its operands ("m") or takes their place ("u"); the result is
// a new table file.
//
// calcvalues turns its selection lists into a request (bearb, the
// operation's code) and berakna forms the new table through calculate.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/infile.h"
#include "core/table.h"
#include "tableops/compute.h"
#include "tableops/selection.h"
#include "tableops/title.h"

namespace vt {

// Operations 11 to 14, 18, 21, 23 and 33 of berakna (its contract).
//
// The first entry names the calculation variable and lists its operands
// in operand order (none: all values of the variable, for 18, 21 and 23);
// the other entries restrict or keep their variables as in a selection,
// and a variable without an entry is eliminated. With inclusion 'm' the
// variable keeps all its values and the new value (req.new_value) stands
// directly after the last listed operand (at the end when 18 sums every
// value); with 'u' the operands make way for it. 11 to 14 take two listed
// operands, or one and req.constant. 21 and 23 keep the listed values and
// compute their shares of the base (req.base: a value of the calculation
// variable, else of another variable; none: the sum of all values of the
// calculation variable): with 'u' in place of the cells, the table's UNITS
// becoming the new value's text; with 'm' beside them, told apart by an
// added variable without a name (values: the former UNITS and the new
// value's text). 33 removes the listed values.
//
// The new value gets the PRECISION its operation gives, the calculation
// variable loses ELIMINATION YES and its hierarchy; notes follow their
// values. Returns codes::ok, codes::op_failed (a letter other than 'm' or
// 'u', operands that do not fit the operation, every value removed, a
// second variable without a name for 'm' shares), codes::op_no_such_name
// (the base value is not in the table), codes::no_memory, or a data
// reader's code.
int calculate(table& source, const bearb& req, in_file* source_file, table& out);

// The number of characters after the first "." of a constant's text (0
// without one); blanks around the text do not count.
int constant_decimals(std::string_view text);

// The constant's text as a number in single precision. False when the
// text (blanks around it aside) is not a decimal number.
bool parse_constant(std::string_view text, float& out);

// Checks a new text (value text, code or variable name): 0, or
// codes::op_blank_text when it is empty or blanks only, or
// codes::op_quote_in_text when it holds a double quote, which would end
// the string in the table file.
int check_new_text(const std::string& text);

// The steps of a calculation, shared by the batch form and the host
// dialogue: marks, request, new value, new table.

// Marks the values sel[i] lists for variable i+1 (null or empty: none);
// the first variable given values is the calculation variable, whose
// operands of 11 to 14 are marked in operand order (order 1: as listed,
// else the first value last). 0 or codes::op_bad_list.
int mark_calculation(selection_state& s, const std::array<const char*, max_selected_vars>& sel, int operation,
                     int order);

// The request of operation `operation` from the marks of s: inclusion
// letter inclusion[0], base value beta_value ("" none), and, for 11 to 14
// with one listed operand, the constant. 0, codes::op_nothing_kept or
// codes::op_bad_constant.
int build_calc_request(selection_state& s, int operation, const char* inclusion, const char* beta_value,
                       const char* constant, bearb& req);

// The new value, "text" or "text#code" (the code defaults to the text).
struct calc_new_value {
    std::string text;
    std::string code;
    bool code_given = false;
};

// Puts the new value into the request and checks it against t: 0,
// codes::op_blank_text, codes::op_quote_in_text or codes::op_text_used
// (the request then holds the refused text; a later call replaces it).
int set_calc_new_value(const table& t, const char* new_value, bearb& req, calc_new_value& nv);

// Forms the new table (berakna; the cells come from t, else from `in`),
// gives the new value its code, rebuilds the title from `words` and
// writes out_path. 0 (or the data writer's result), codes::op_calc_failed
// when no new table was formed, codes::op_calc_variable_lost, or a data
// reader's or writer's code.
int calculate_and_write(table& t, const bearb& req, const calc_new_value& nv, in_file* in, const char* out_path,
                        const title_words& words);

// The batch calculation: reads in_path, chooses values by the selection
// lists (as selvalues; with order 1 the operands of 11 to 14 are taken in
// the order listed instead of ascending), computes the new value
// `new_value` ("text" or "text#code") by `operation` with the inclusion
// letter inclusion[0], rebuilds the title from texts ("and;by;distr") and
// writes the new table to out_path. beta_value names the base value of
// percentages ("" for none); `constant` is the second operand of 11 to 14
// when the calculation variable lists one value.
// Returns 0 (or the data writer's result), 400, the reader's code, 81, 83,
// 84, 85, 93, 94, 95, 97, 98, 200 (no new table could be formed, or no
// memory), 201, 121 or 801.
int calcvalues_list(const char* in_path, const char* out_path, const char* texts, int operation,
                    const char* inclusion, const std::array<const char*, max_selected_vars>& sel, int order,
                    const char* new_value, const char* beta_value, const char* constant);

// The 25-argument form.
int calcvalues(const char* in_path, const char* out_path, const char* texts, int operation, const char* inclusion,
               const char* sel1, const char* sel2, const char* sel3, const char* sel4, const char* sel5,
               const char* sel6, const char* sel7, const char* sel8, const char* sel9, const char* sel10,
               const char* sel11, const char* sel12, const char* sel13, const char* sel14, const char* sel15,
               const char* sel16, int order, const char* new_value, const char* beta_value, const char* constant);

}  // namespace vt
