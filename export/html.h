// The HTML pages: a table written as one HTML 4.01 page holding a single
// HTML table, with the title as caption, one header row per heading
// variable, the stub values as row headers and all notes in a last row.
#pragma once

#include <string>

namespace vt {

// Writes the table file `path` as an HTML page into `path2` (replaced).
// All stub values share one header column and every stub level has rows of
// its own; only the rows of the innermost level carry cells.
//
//   text   the caller's symbol texts ("." .. "......." and "-",
//          ";"-separated) for the symbols the table does not name
//   a      tie rounding when the table gives none (0 to even, else away
//          from zero)
//   b      1 writes a cell's data-note marker before the value, any other
//          value after it
//
// Cells are printed with the decimals shown for their row and column,
// always with a decimal point and never with thousands groups. Texts are
// written as stored, without escaping. When the table has DATANOTECELL
// entries the cells are numbered into the notes file beside the output
// (the output's name without extension + "notes.txt") and each noted cell
// carries the symbol of its note. Neither that file nor its symbol file is
// ever written over the input: then the cells go without markers.
//
// The whole table is read before the output is created, so an output that
// replaces the input still gets every cell. Returns 0; 400 when the input
// or the output cannot be opened, or the output cannot be written
// completely; the reader's code when the keyword part is bad (no output
// is created then); the data reader's code; 200 when memory runs out; 999
// for an unexpected internal failure. Never throws.
int htmkonv(const std::string& path, const std::string& path2, const std::string& text, int a,
            int b) noexcept;

// As htmkonv, with a bordered table in which every stub variable has a
// column of its own: the header cell of an outer stub value spans the rows
// of all its inner values, so the first row of each outer value also holds
// the headers of the values it contains.
int htmkonv2(const std::string& path, const std::string& path2, const std::string& text, int a,
             int b) noexcept;

}  // namespace vt
