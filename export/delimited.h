// The tab-separated exports: the relational table (RelTable) and the graph
// data and matrix files (utgraph), one line per stub row.
#pragma once

#include <string>

#include "core/table.h"

namespace vt {

// Writes the table file `path` as a relational table into `path2`
// (replaced; lines end in CR LF, fields are separated by TAB):
//
//   header  per stub variable "Code <name>" TAB when it has DOUBLECOLUMN=YES,
//           then <name> TAB; then the first heading variable's value texts,
//           each followed by TAB (the contents and TAB without heading
//           variables)
//   rows    per stub row its labels separated by TAB (code and text of a
//           DOUBLECOLUMN variable as two fields), then TAB and a cell per
//           data column; a table without stub variables gives one line
//           starting with its contents
//
//   decimal_point   a text beginning with "," prints a decimal comma
//   text_delimiter, iteration   accepted for the callers' sake, not used
//   symbols         the caller's symbol texts for the symbols the table
//                   does not name (";"-separated, "." .. "......." and "-")
//   rounding        tie rule when the table gives none (0 to even)
//   note_place      1 writes a data-note marker before the value, else after
//
// The markers come from the notes file beside the output (see
// core/notes.h), written here when the table has data-note cells and
// neither that file nor its symbol file is the input.
// A `path` starting with "*" names no input: nothing is written, 0.
// Returns 0; 400 when the input or the output cannot be opened or the
// output cannot be written completely; the reader's code when the keyword
// part is bad (nothing written); 201 when the data matrix cannot be had and
// 121 for a bad key of keyed data (nothing written); 200 when memory runs
// out. Never throws.
int RelTable(const std::string& path, const std::string& path2, const std::string& decimal_point,
             const std::string& text_delimiter, int iteration, const std::string& symbols, int rounding,
             int note_place) noexcept;

// Writes the table file `path` as a graph data file or a matrix file,
// chosen by the last three characters of `path2` (in any case):
//
//   "gra"          graph data: a header line of a TAB and the heading value
//                  combinations (texts joined by ", ", separated by TAB),
//                  then per stub row the stub labels joined by "#", and a
//                  TAB and a cell per data column; symbols print as 0 and
//                  no data-note markers are written
//   "txt", "mtx"   matrix: one header line per heading variable, the stub
//                  variable names on the first; each heading label is
//                  text_delimiter, the byte 0xA0, the value text and
//                  text_delimiter, followed by as many TABs as the columns
//                  it spans less one; the rows as in RelTable, with
//                  data-note markers
//
// `iteration` 1 repeats the labels of all stub levels on every row; with 0
// an outer level's label appears only on the first row of its block and its
// field stays empty on the others. Other arguments as RelTable.
// Returns as RelTable, and 400 for an output name with another ending
// (nothing read, nothing written).
int utgraph(const std::string& path, const std::string& path2, const std::string& decimal_point,
            const std::string& text_delimiter, int iteration, const std::string& symbols, int rounding,
            int note_place) noexcept;

// The graph data or matrix file of a table already read with its cells
// (the screen grid writes its companion files this way, from the table it
// holds). `input` is the table's file, which the notes file beside `path2`
// must not replace. `symbol_texts` are the texts the eight symbols print as
// (a graph file prints them all as 0). `mode` 0 writes a data-note marker
// after its value whatever `note_place` says; 1 places it as `note_place`
// says, as utgraph does. Other arguments and the results as utgraph, the
// input being read already.
int write_graph_file(const table& t, const std::string& input, const std::string& path2,
                     const std::string& decimal_point, const std::string& text_delimiter, int iteration,
                     const std::string (&symbol_texts)[8], int rounding, int note_place, int mode) noexcept;

// True when `path2` ends in a name utgraph writes ("gra", "txt", "mtx").
bool graph_file_name(const std::string& path2) noexcept;

}  // namespace vt
