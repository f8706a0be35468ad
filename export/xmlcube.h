// The XML cube export: a table's metadata (head keywords, every variable
// with its values, notes and cell notes) and its data as one XML document.
#pragma once

#include <string>

namespace vt {

// Writes the table file `infile` as an XML cube document into `outfile`
// (replaced; CR LF line ends, encoding ISO-8859-1, the bytes of the texts
// as they are). `datamode` 1 writes the cells as a list of the cells that
// are not 0, each with the codes of its values; any other value copies the
// data section token by token into a CDATA block.
//
// Returns 0; 400 when the input or the output cannot be opened, or the
// output would replace the input; the reader's code (nothing written); 201
// or 121 when a keyed data section, read before the output is made, could
// not be read. Data that end early, or no memory for
// the cell list, still give a complete document and 0. Never throws.
int xmlsave(const std::string& infile, const std::string& outfile, int datamode) noexcept;

}  // namespace vt
