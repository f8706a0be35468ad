// What the XML exports (cube, SDMX, statinfo) share: the input opened the
// same safe way, the data copied as a CDATA block token by token, and the
// small text rules every one of them applies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/infile.h"
#include "core/outfile.h"
#include "core/table.h"

namespace vt {

// The input of an XML export: the table's keywords, and either the input
// standing at its data section or the cells already in memory.
struct xml_source {
    table t = table_new();
    in_file in;
    // True when the cells were read before the output was made: the section
    // is keyed (its rows carry keys that a token copy would take for cells).
    bool in_memory = false;
    // Each variable's KEYS mode as the file gave it; reading the cells
    // clears the variables' own.
    std::vector<int> keys_modes;
};

// Opens `infile`, reads its keywords into s.t and, when the export writes
// cells (`with_cells`) and the section is keyed, its cells, then creates
// `outfile`. A non-empty `language` is the reader's language for this read.
// 0; 400 when either file cannot be opened or the output would replace the
// input (the table is never lost to its own export); the reader's code
// (nothing written); 201 or 121 when keyed cells could not be read.
int open_xml_source(const std::string& infile, const std::string& outfile, xml_source& s, out_file& out,
                    bool with_cells, std::string_view language = {});

// Reads the cells into the data matrix unless they are there already.
// 0, 201, 121.
int load_cells(xml_source& s);

// The data as a CDATA block: "<![CDATA[", the cells one token each followed
// by its terminator ("," and ";" written as a blank; a token starting with
// two double quotes loses its first and last character and is followed by a
// blank instead), CR LF after every row of cells and whenever the line has
// grown beyond 32730 characters, then "]]>". Tokens are copied from the
// input; cells in memory are written as the data section writes them.
// Copying stops after the table's cell count or at the end of the input.
void cdata_block(xml_source& s, out_file& out);

// The code of a value, or its text when it has none.
inline const std::string& code_or_text(const value& v) noexcept { return v.code ? *v.code : v.text; }

// A variable's name, or "$$SORT" for the unnamed sort variable.
inline std::string_view name_or_sort(const variable& v) noexcept {
    return v.name ? std::string_view(*v.name) : std::string_view("$$SORT");
}

// Which value of `v` note i of a note list names (`refs`: the variable's
// list of that kind): its position, or any_value for "*" and for a list
// shorter than the notes.
inline cell_ref note_ref(const variable& v, cell_ref_list variable::*refs, std::size_t i) noexcept {
    const cell_ref_list& list = v.*refs;
    return i < list.size() ? list[i] : any_value;
}

// The strings of `list` joined by `separator`, each escaped (or raw).
void write_joined(out_file& out, const text_list& list, bool escaped, std::string_view separator = {});

}  // namespace vt

namespace vt {

// The form of a default-value cell list: one line per cell whose value is
// not exactly 0, `open`, then for every variable the piece of the cell's
// value of that variable (pieces[k][i] for value i of variable k), `close`,
// the value and "</cell>" CR LF. Values are written as in a data section,
// the data symbols quoted or (quoted_symbols false) bare.
struct cell_list_form {
    std::string open;
    std::vector<std::vector<std::string>> pieces;
    std::string close;
    bool quoted_symbols = true;
};

// Writes the cell list of the cells in memory (walked in data order).
void write_cell_list(const table& t, const cell_list_form& form, out_file& out);

}  // namespace vt
