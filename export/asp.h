// The ASP page fragment: a table as an HTML table element styled by CSS
// classes, meant to be included in a page of a web application, with the
// notes either as a footnote row of the table or as a block of classed
// spans whose captions are server-side expressions resolved in the reader's
// language.
#pragma once

#include <string>

namespace vt {

// Writes the table file `path` as an ASP table fragment into `path2`
// (replaced; lines end in CR LF).
//
//   stubtype      1 puts every stub variable into one column, each value on
//                 a row of its own; any other value gives every stub
//                 variable its own column, outer values spanning their rows
//   symbols       the caller's symbol texts ("." .. "......." and "-",
//                 ";"-separated) for the symbols the table does not name
//   decimalpoint  a text beginning with "," prints a decimal comma
//   thousand      thousands separator: 0 none, 1 blank, 2 ".", 3 ","
//   doublecolumn  accepted for the callers' sake; the fragment has no code column
//   completeinfo  0 no notes; 1 the NOTEX kinds; 2 also the NOTE kinds;
//                 3..8 also the contents information and the matrix name,
//                 all in a footnote row; 9 everything as the span block
//                 after the table
//   nozero        0 every row; 1 or 2 leave out rows without a non-zero
//                 number or a dot symbol; 3 rows without any number
//   vtlang        when not empty, the language whose texts are read
//   guilang       the page's language index (a decimal number) in the span block
//   uppercase     "1" prints value texts in upper case
//   rounding      tie rounding when the table gives none (0 to even)
//   noteplace     0 writes a cell's data-note marker after the value, 1 before
//
// A notes file (the output name without extension + "notes.txt") and its
// symbol file number the data-note cells beside the output when the table
// has DATANOTECELL entries, unless either would be the input itself: then
// the cells go without markers.
//
// Returns 0; 400 when the input or the output cannot be opened or the
// output cannot be written completely; the reader's code when the keyword
// part is bad; the data reader's code (201 no memory for the data block,
// 121 a bad key in keyed data); 200 when memory runs out; 999 for an
// unexpected internal failure. Never throws.
int AspConv(const std::string& path, const std::string& path2, int stubtype, const std::string& symbols,
            const std::string& decimalpoint, int thousand, int doublecolumn, int completeinfo, int nozero,
            const std::string& vtlang, const std::string& guilang, const std::string& uppercase, int rounding,
            int noteplace) noexcept;

}  // namespace vt
