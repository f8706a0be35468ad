// File calculation: a table combined with a second table (the match table)
// or with a constant, cell by cell, or two tables joined into one. The
// cells are computed by the calculation of tableops/calc.h and the joins
// made by the merge of tableops/merge.h; this file checks the request and
// lays the operands out for them.
#pragma once

#include <array>
#include <string>

#include "core/table.h"

namespace vt {

// The options a file calculation is asked for (query key Option).
enum filecalc_option : int {
    fc_add = 41,        // input + operand
    fc_subtract = 42,   // input - operand
    fc_multiply = 43,   // input * operand
    fc_divide = 44,     // input / operand
    fc_link = 61,       // the match table appended along its one differing variable
    fc_overlay = 71,    // both tables under a new variable, one value each
};

// What the caller asks for. Texts of new values are "text" or
// "text#code".
struct filecalc_request {
    int option = fc_add;
    char inclusion = 'm';          // 'm': operands and result side by side; else the result alone
    bool with_constant = false;    // the operand is `constant`, not a match table
    std::string constant;          // the constant's text ("1.25")
    std::string newvar;            // the new variable ('m'), else the result text
    std::array<std::string, 3> newvalues;  // the new variable's values: input, operand, result
};

// The checks a request passes before anything is computed, with the input
// table a (its variable names): 0, or 93 (a text needed is blank), 94 (a
// text or code holds a double quote), 95 (two new value texts are equal),
// 96 (the new variable is a variable of a), 97 (the constant is not a
// number), 200 (an arithmetic option with a match table and a letter other
// than 'm' or 'u', or an option that is none of the six).
int check_filecalc(const table& a, const filecalc_request& r);

// How the match table b fits the input a for the option: 0 when it does,
// else codes::op_match_unfit (91): the input has no UNITS, or the tables'
// relation is not one the option accepts (arithmetic and overlay: the same
// variables with the same value sets in any order; link: the same
// variables with at most one of other values, in the ways the merge can
// stack them).
int match_fits(const table& a, const table& b, int option);

// Forms the new table `out` from a (with its cells) and, unless the
// request works with a constant, the match table b (with its cells, fitting
// as match_fits says). With 'm' a new first variable `newvar` holds the
// input, the operand (match table only) and the result as its values; else
// the result replaces the cells and its text, when not blank, becomes the
// UNITS. New values keep their codes. check_filecalc must have passed.
// Returns 0, codes::no_memory, codes::op_match_unfit or the merge's code
// (92 for an overlay without a name where it needs one).
int file_calculation(const table& a, const table* b, const filecalc_request& r, table& out);

// The batch entry: reads in_path (and match_path unless constant_flag is
// 1), computes and writes out_path. text_words is not used (the title
// stays). inclexcl is read by its first character. Returns 0 (or the data
// writer's result), 400 (a file cannot be opened; link or overlay with the
// constant flag), the reader's code for the input, 84 (out_path is the
// input or the match table), 91, 92, 93, 94, 95, 96, 97 or 200.
int tabselweb(const char* in_path, const char* out_path, int constant_flag, const char* match_path, int option,
              const char* text_words, const char* newvar, const char* newvalue1, const char* newvalue2,
              const char* newvalue3, const char* constant, const char* inclexcl);

// Reads a table file with its cells: 0, 400 or the reader's code.
int read_whole_table(const std::string& path, table& t);

}  // namespace vt
