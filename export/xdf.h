// The statinfo export: a table's metadata in the statinfo layout with its
// data as a keyed array, an XDF array or a CALS table.
#pragma once

#include <string>

namespace vt {

// Writes the table file `infile` as a statinfo document into `outfile`
// (replaced; CR LF line ends, encoding the table's CODEPAGE or ISO-8859-1).
//
//   type      1 statinfo_keys (cells listed with their value identifiers),
//             2 statinfo_xdf (the cells copied into a CDATA block),
//             3 statinfo_cals (the table laid out as a CALS table); any
//             other value a statinfo_cals root around the XDF array
//   lang      the xml:lang of every text; the table's LANGUAGE wins
//   rounding  tie rule of the CALS cells (0 to even); the table's ROUNDING
//             wins
//   doctype   1 writes the DOCTYPE line of the document type
//
// Returns 0; 400 when the input or the output cannot be opened, or the
// output would replace the input; the reader's code (nothing written); 201
// or 121 when a keyed data section could not be read. Data that end early
// still give a complete document. Never throws.
int xdfsave(const std::string& infile, const std::string& outfile, int type, const std::string& lang, int rounding,
            int doctype) noexcept;

}  // namespace vt
