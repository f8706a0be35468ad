// The SDMX export: a structure message (code lists, concepts and one key
// family) for a table, or the header of a data message.
#pragma once

#include <string>

namespace vt {

// Writes an SDMX-ML 2.0 message for the table file `infile` into `outfile`
// (replaced; CR LF line ends). `type` 0 writes a structure message: a fixed
// header, the fixed code lists and one per variable, the concepts and the
// key family. 1, 2 and 3 write the header of a GenericData, CompactData or
// CrossSectionalData message, closed with its root; any other type the
// header alone. `lang` goes into the xml:lang attributes of the header names
// and of the variables' code lists. Every text of the table is escaped, so
// the message is well-formed XML whatever the texts hold.
//
// Returns 0; 400 when the input or the output cannot be opened; the
// reader's code (nothing written). Never throws.
int sdmxsave(const std::string& infile, const std::string& outfile, int type, const std::string& lang) noexcept;

}  // namespace vt
