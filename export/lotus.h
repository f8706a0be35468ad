// The Lotus export: a table written as a WK1 or WKS worksheet with its
// title, heading labels, stub labels and cells, and all its notes below.
#pragma once

#include <cstddef>
#include <string>

#include "core/table.h"

namespace vt {

// Writes the table file `path` as a worksheet into `path2` (replaced): a
// WK1 file when the name's extension is "wk1" in any case, else a WKS
// file. The name is used exactly as given.
//
// `symbols` holds the caller's symbol texts ("." .. "......." and "-",
// ";"-separated). When the table names any symbol text of its own,
// `symbols` is replaced by the table's list: its own texts, the plain
// symbols for those it lacks, each followed by ";"; those texts are then
// the ones written.
//
// The whole table is read before the output is created, so a worksheet
// that replaces its own table file still gets every cell. Returns 0; 400
// when the input or the output cannot be opened or the output cannot be
// written completely; the reader's code; the data reader's code; 200 when
// memory runs out; 999 for an unexpected failure. Never throws.
// The size of the symbol buffer hosts pass to the library export: eight
// texts of up to 20 characters, each with its ";", and the closing NUL.
inline constexpr std::size_t lotus_symbol_buffer = 8 * 21 + 1;

int lotkonv(const std::string& path, const std::string& path2, std::string& symbols) noexcept;

// The symbol list of a table with its own symbol texts, as lotkonv passes
// it back; "" for a table without any.
std::string table_symbol_list(const table& t);

}  // namespace vt
