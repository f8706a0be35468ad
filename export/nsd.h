// The NSD export: a table with one stub variable of numbers (years) as a
// data file, a variable file (".VAR") and a documentation file (".DOK").
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// Writes the table file `infile` as the data file `outfile` and, beside it,
// its name up to the last "." followed by ".VAR" and ".DOK". The free space
// of the output's file system (its real 64-bit figure) is checked before
// and while writing: less than 4000 bytes at the start, or the estimate
// falling below 200 while the data file is written, gives 300 and removes
// the files begun; the variable file's series blocks and the documentation
// file are written only while their share of space remains. Data symbols
// are written as the missing-value code 999999999, the nil "-" as 0.
// `defaultname` names a stub variable without a name.
//
// 0; 400 the input or an output cannot be opened or written, or an output
// would replace the input; the reader's code; 192 the table has not
// exactly one stub variable; 194 a stub value text holds a character other
// than "0"-"9"; 300 too little space; 201 the cells are not all there; 200
// no memory. Never throws.
int nsdkonv(const std::string& infile, const std::string& outfile, const std::string& defaultname) noexcept;

// Where nsdkonv learns the free bytes of the directory it writes to: the
// file system unless a test installs another source. nullptr restores the
// file system; the source replaced is returned.
using free_space_source = std::uint64_t (*)(const std::string& dir);
free_space_source set_nsd_free_space(free_space_source source) noexcept;

}  // namespace vt
