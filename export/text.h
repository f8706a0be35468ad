// The text report: a table printed as paginated plain text, split into
// column blocks when it is wider than a line, with the notes and the table
// information at the end on request.
#pragma once

#include <string>

namespace vt {

// Prints the table file `infile` as a text report into `outfile` (replaced;
// every line ends in CR LF, every page in a form feed).
//
//   rowlength     characters per line, margin included
//   pagelength    lines per page
//   marglength    blanks of the left margin (0..30; more counts as 30)
//   oem           1 writes the texts in the OEM code page (850)
//   decimalpoint  a text beginning with "," prints a decimal comma
//   symbols       the caller's symbol texts ("." .. "......." and "-",
//                 ";"-separated) for the symbols the table does not name
//   doublecolumn  1 shows every stub value with a code as code + "   " +
//                 text, 2 only for stub variables marked DOUBLECOLUMN=YES
//   completeinfo  0 no notes; 1 mandatory table, variable and value notes
//                 and the CELLNOTEX notes; 2 also the optional notes and
//                 CELLNOTE notes; 3 also the contents information
//   labelfile     label file of the captions of the notes part
//   rounding      tie rounding when the table gives none (0 to even,
//                 else away from zero)
//   noteplace     0 writes a cell's note marker after the value, 1 before
//   thousand      thousands separator: 0 none, 1 blank, 2 ".", 3 ","
//
// Data-note markers come from the notes file beside the output (the
// output's name without extension + "notes.txt"), written when the table has
// DATANOTECELL entries and neither that file nor its symbol file is the
// input. When rowlength equals marglength the report is one unpaginated
// page.
// Returns 0; 2 when the input or the output cannot be opened or the output
// cannot be written completely; 7 when pagelength cannot hold a page's
// header (the output keeps what was written); the reader's code when the
// keyword part is bad; the data reader's code (201 no memory for the
// data block, 121 a bad key in keyed data); 200 when memory runs out;
// 999 for an unexpected internal failure. Never throws.
int TextConv(const std::string& infile, const std::string& outfile, int rowlength, int pagelength,
             int marglength, int oem, const std::string& decimalpoint, const std::string& symbols,
             int doublecolumn, int completeinfo, const std::string& labelfile, int rounding,
             int noteplace, int thousand) noexcept;

}  // namespace vt
