// The table file writer: writes the keyword part of a table so that the
// reader reads it back to an equal table. The caller then writes "DATA="
// and the cells with dsave (core/datasec.h).
#pragma once

#include <string_view>

#include "core/outfile.h"
#include "core/table.h"

namespace vt {

// Settings shared by every save in the process (one save at a time).
struct writer_settings {
    // Strings are written as stored (ANSI) behind CHARSET="ANSI";.
    bool ansi_output = true;
    // While false the cell-note references and texts are converted to OEM
    // (code page 850) before they are written: a re-save asked for DOS text.
    bool cellnote_ansi = true;
    // Keys mode a re-save asks for (0 none, 1 VALUES, 2 CODES).
    int requested_keys_mode = 0;
    // Keyed data of the input is copied as it stands instead of rewritten.
    bool copy_keyed_verbatim = false;
};
writer_settings& writer_state() noexcept;

// Writes the keyword part of t. Changes only the variables' keys_mode (the
// KEYS statements follow requested_keys_mode).
void msave(table& t, out_file& f);

// Writes a text that stands between double quotes in a table file. The
// format cannot carry a '"' inside a string (it would end the string and
// the rest would read as keywords of its own), so it is written as "'".
void write_quoted_text(out_file& f, std::string_view s);

}  // namespace vt
