// The screen grid of libvtops: a table written as a tab-separated grid file
// for the host's grid control, with a footnote file, a notes file and graph
// or matrix files beside it, and a summary of the grid's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vt {

// What a host asks of the grid (the arguments of utbild and utbild2).
struct grid_request {
    std::string in_path;         // the table file
    std::string grid_path;       // the grid file; "notes.txt" in its folder gives the cells' note marks
    std::string footnote_path;   // the footnote file; "" writes none
    std::string label_path;      // symbol texts and title words (Global), footnote headings (Notes)
    std::string notes_out_path;  // the notes file; "" writes none
    std::string decimal_point;   // a text beginning with "," prints decimal commas
    std::string graph_path;      // a graph or matrix file; "" or a name holding "*" writes none
    std::string text_delimiter;  // around the heading labels of a matrix file
    int label_repeat = 1;        // graph and matrix rows carry the labels of every stub level
    int suppress = 0;            // which rows are left out, 0 to 4 (see grid_output)
    int max_columns = 0;         // the most cell columns written; 0 or less: all
    int max_lines = 0;           // the most row lines written; 0 or less: all
    int double_column = 0;       // 1: DOUBLECOLUMN stub variables count twice; graph_path2 is written
    std::string graph_path2;     // the second graph or matrix file
    int precision = -1;          // decimals the cells are stored with (tie rule); below 0: the table's
    int rounding = 0;            // tie rule when the table has no ROUNDING: 0 to even, else away from 0
    int note_place = 0;          // 1 puts a cell's note mark before its text, anything else after it
};

// What the grid tells the host besides its files.
struct grid_answer {
    std::string summary;  // nine counts separated by TAB (see grid_output)
    std::string info;     // the table's DEFAULT-GRAPH, or "*" when it has none
};

// The grid's settings: the size of the last grid written in this process,
// which the next grid reports first so that the host can compare the two.
// The only thing the grid keeps between calls.
struct grid_settings {
    std::int64_t last_columns = 0;
    std::int64_t last_rows = 0;
};
grid_settings& grid_last() noexcept;

// The buffers a host hands over for the summary and the information text:
// at least this many bytes each. Nothing longer is ever written into them.
inline constexpr std::size_t grid_summary_size = 128;
inline constexpr std::size_t grid_info_size = 16;

// Writes the table file r.in_path as a grid.
//
// The grid file, lines ending in CR LF:
//   title    TITLE rebuilt with the label file's words, its lines as wide as
//            the grid (stub and columns W wide: W up to 30, W - 10 up to 80,
//            else 70)
//   heading  per heading variable as many lines as its longest value text
//            needs, wrapped to the column width and begun with a capital;
//            each line a TAB, then the columns separated by TAB, a value's
//            text over the first column of its block; one line of a single
//            TAB without heading variables
//   rows     per row shown the stub texts that change there, two blanks of
//            indent per stub level, wrapped to the stub width; every line
//            but the last padded with a TAB per column; the last one gets a
//            TAB and the cell text per column (numbers by the cell
//            formatting, symbols by their texts: the table's, else the label
//            file's, else "." .. "......", "......" for the sum, "-"), with
//            the note mark of "notes.txt" beside the grid before or after it
// Each row line begins with CR LF, so the file ends without one.
//
// suppress leaves out the rows whose cells are all: 1 zero; 2 zero or "-";
// 3 the symbols "." to "......."; 4 zero, "-" or a symbol (other values
// leave every row in). Stub texts above rows left out are left out too.
//
// Then the footnote file (a CR LF, the table's NOTEX under the label file's
// FootnoteX caption and its NOTE under Footnote, then the variables' and
// values' notes by variable, cut at 69 characters), the notes file (all
// notes, the cell notes and the contents information) and the graph or
// matrix files (graph_path, and graph_path2 when double_column is 1) from
// the same table, symbol texts and formatting.
//
// The summary, fields separated by TAB: the columns and the row lines of
// the previous grid of the process, the stub width in variables (2 for a
// DOUBLECOLUMN variable when double_column is 1), the title lines, the
// heading lines, the heading variables, the row lines of the whole grid and
// its columns (also when cut), and the 1-based position of the time
// variable (0 when none). Written, and kept for the next grid, whenever the
// grid file has been written.
//
// Results: 0; 8 the columns were cut at max_columns; 9 the row lines were
// cut at max_lines (the grid is complete otherwise); 2 an output cannot be
// created or written or would replace the table or one another; 400 the
// table file cannot be opened, or a graph or matrix file name ends neither
// in "gra", "txt" nor "mtx", would replace another file or cannot be
// written (the grid stands written); 900 more than 100000000 rows; 901 more
// than 100000000 columns (900 and 901 before anything is read beyond the
// keywords or written); the reader's code; 201 or 121 when the cells cannot
// be read; 310 out of memory. An output is replaced only by a complete one.
int grid_output(const grid_request& r, grid_answer& answer) noexcept;

// Copies text into a host's buffer of `size` bytes, cut to size - 1 bytes
// and always ended by a NUL. Nothing happens when buffer is null or size 0.
void copy_to_host(const std::string& text, char* buffer, std::size_t size) noexcept;

}  // namespace vt
