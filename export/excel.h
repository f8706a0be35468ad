// The worksheet export: a table written as a version-2 (BIFF2) worksheet
// with its title, heading labels, stub labels and cells, and below the
// table, on request, its notes and table information.
#pragma once

#include <string>

namespace vt {

// Writes the table file `infile` as a worksheet into `outfile` (replaced).
//
//   symbols       the caller's symbol texts ("." .. "......." and "-",
//                 ";"-separated) for the symbols the table does not name
//   doublecolumn  0 codes only inside labels as PRESTEXT says; 1 a code
//                 column for every stub variable whose first value has a
//                 code; 2 only for those with DOUBLECOLUMN=YES and PRESTEXT
//   completeinfo  0 no notes; 1 table, variable, value and cell notes of
//                 the mandatory kind; 2 also the optional ones; 3 also the
//                 table information
//   labelfile     INI file of the captions; missing keys give defaults
//   datanote      1 puts a marker column after every data column when the
//                 table has data notes
//   rounding      tie rule when the table gives none (0 to even)
//   rawvalues     non-zero stores the numbers as read; 0 stores each
//                 rounded to the decimals shown for its cell
//
// The whole table is read before the output is created, so a worksheet
// that replaces its own table file still gets every cell. Returns 0; 400
// when the input or the output cannot be opened or the output cannot be
// written completely; the reader's code; the data reader's code; 200 when
// memory runs out; 999 for an unexpected failure. Never throws.
int ExcelConv2005(const std::string& infile, const std::string& outfile, const std::string& symbols,
                  int doublecolumn, int completeinfo, const std::string& labelfile, int datanote, int rounding,
                  int rawvalues) noexcept;

}  // namespace vt
