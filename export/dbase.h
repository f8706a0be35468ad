// The dBase exports: a table file written as a dBase III table (see
// export/dbf.h), either one record per data cell or one record per stub row.
//
// Common to all of them:
// - The cells are taken a batch at a time from the input file in data
//   order, without loading the data matrix (a keyed data section, whose rows are
//   not in data order, is loaded first and taken from memory).
// - Texts put into the file (value texts, field names made from variable
//   names, the codes of dbaseConv) are converted to the OEM code page.
// - Numbers are stored with the decimals the cells are stored with
//   (DECIMALS raised by the largest PRECISION), in fields 10 wide.
// - A quoted data symbol is stored as 0 (dbakonv2005: as the caller's
//   value). Cells missing at the end of the data section are stored as 0.
//
// Results: 0 written; 400 when the input cannot be opened, or the output
// cannot be created or written completely, would replace the input, or
// the table is too wide for a record; the table reader's code when the
// keyword part is bad (no output is created then); 201 / 121 when a keyed
// data section cannot be loaded; 200 when memory runs out; 999 for an
// unexpected internal failure. Never throw.
#pragma once

#include <string>

namespace vt {

// One record per data cell: a text field per variable in chain order
// (stub, then heading) holding the value text, as wide as the variable's
// longest value text (6 when that is 0) and named after the variable (cut
// to that width; `unit_name` for a variable without a name), then the
// number field "TABCELL".
int dbakonv(const std::string& path, const std::string& path2, const std::string& unit_name) noexcept;

// As dbakonv; a cell written as a quoted data symbol is stored as
// `symbol_value` instead of 0.
int dbakonv2005(const std::string& path, const std::string& path2, const std::string& unit_name,
                double symbol_value) noexcept;

// One record per stub row: text fields "C1".."C<nstub>" with the stub value
// texts, all as wide as the longest stub value text but at least 15, then
// one number field per data column, "N<nstub+1>" onwards. A table without
// stub variables gives one record of number fields.
int dbakonv2(const std::string& path, const std::string& path2) noexcept;

// As dbakonv2, with one more text field holding the value code (as
// written, not converted) directly before the text field of the last stub
// variable that has a MAP. Without such a variable it is dbakonv2.
int dbakonv3(const std::string& path, const std::string& path2) noexcept;

// As dbakonv2, with a code field directly before the text field of each
// stub variable whose first value has a code, when `code_mode` is 1, or
// when `code_mode` is 2 and the variable asks for DOUBLECOLUMN.
int dbaseConv(const std::string& path, const std::string& path2, int code_mode) noexcept;

}  // namespace vt
