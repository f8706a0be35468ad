// The print exports: delimited text for printing or for other programs.
// asmkonv writes the print matrix (one line per stub row with all its
// labels), astkonv the print table (title, heading lines, indented stub
// labels, notes), cellkonv the cells alone. The cells are read from the
// table file a batch at a time as they are written; the data matrix is not
// loaded.
#pragma once

#include <string>

namespace vt {

// Common to the three:
//
//   path, path2   the input table file and the output (replaced; lines end
//                 in CR LF)
//   delimiter     written between fields
//   rounding      tie rule when the table gives none (0 to even)
//
// A cell is the next token of the data section: a quoted data symbol prints
// as its symbol text, any other quoted token as "0", a number with the
// decimals shown for its row and column and a decimal point. When the data
// section ends before the cells do, the line being written ends there and
// the later lines keep their labels and line ends without cells; that is
// not an error (the cells the file leaves out are simply not there).
//
// Keyed data sections, and an output that is the input file itself, are
// read into memory first and printed from there, so the layout is the same.
//
// Returns 0; 400 when the input or the output cannot be opened or the
// output cannot be written completely; the reader's code when the keyword
// part is bad (nothing written); 201 or 121 when data that had to be read
// into memory could not be; 200 when memory runs out. Never throws.

// The print matrix: per stub row (first stub variable slowest) the labels
// of all stub levels, each between double quotes and joined by the
// delimiter, then the delimiter and a cell per data column. Without stub
// variables one line of the cells joined by the delimiter.
//
//   oem         1 converts the stub labels to code page 850
//   symbols     the caller's symbol texts (";"-separated); when the table
//               names any of its symbols, the table's texts are used
//               instead, with "." .. "......." and "-" for those it lacks
//   note_place  1 writes a data-note marker before the number, else after
//               (the markers come from the notes file beside the output,
//               never written when it or its symbol file is the input)
int asmkonv(const std::string& path, const std::string& path2, const std::string& delimiter, int oem,
            const std::string& symbols, int rounding, int note_place) noexcept;

// The print table:
//
//   title      per title line (the description when DESCRIPTIONDEFAULT is
//              YES) "text" CR LF, a trailing "#" printed as a blank; then
//              an empty line
//   heading    one line per heading variable: an empty cell " " and the
//              delimiter per stub variable, then the value labels "text",
//              once per combination of the earlier heading variables, each
//              followed by (columns it spans - 1) times the delimiter and
//              an empty cell; labels separated by the delimiter
//   stub       a value of stub variable k (from 1) after k - 1 empty cells
//              and delimiters; the innermost level's line carries the cells,
//              each after the delimiter; outer levels have lines of their own
//   notes      an empty line, then every note line as "text", an empty line
//              after each note: the table's, each variable's and each
//              value's mandatory and optional notes, then the cell notes
//
// Note texts are cut at 70 characters with their markup converted.
// `oem` 1 converts labels, titles and notes to code page 850; other
// arguments as asmkonv.
int astkonv(const std::string& path, const std::string& path2, const std::string& delimiter, int oem,
            const std::string& symbols, int rounding, int note_place) noexcept;

// The cells only: per stub row one line of the cells joined by the
// delimiter. The symbol texts come from `symbols` alone; no markers.
int cellkonv(const std::string& path, const std::string& path2, const std::string& delimiter,
             const std::string& symbols, int rounding) noexcept;

}  // namespace vt
