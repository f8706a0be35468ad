/* The table operations library (libvtops). */
#ifndef VTOPS_H
#define VTOPS_H

#include "vtexport.h"
#include "vtlistbox.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library for use; returns 1. */
VT_EXPORT int VelInit(void);

/* Releases what the library holds for the host; returns 1. */
VT_EXPORT int VelGFree(void);

/* Writes the table file path as a graph data file (path2 ending in "gra")
   or a matrix file (ending in "txt" or "mtx"), tab-separated, one line per
   stub row; see utgraph in vtconv.h. 0 written, 400 a file cannot be
   opened or written or another ending, a reader code, 201 no memory for
   the data, 200 no memory. */
VT_EXPORT int utgraph(const char *path, const char *path2, const char *decimal_point,
                      const char *text_delimiter, int iteration, const char *text, int rounding,
                      int note_place);

/* Writes the table file in_path to out_path rotated by one variable: alt 1
   moves the first stub variable to the front of the heading and the last
   heading variable to the end of the stub; alt 2 moves the first heading
   variable to the front of the stub and the last stub variable to the end
   of the heading. The cells move with their variables. texts is a label
   file whose section Global holds the title words (keys and, by, distr).
   0 (or the data writer's code), 400 a file cannot be opened, a reader
   code, 84 out_path is in_path, 88 alt is neither 1 nor 2. */
VT_EXPORT int pivot(const char *in_path, const char *out_path, int alt, const char *unit_var,
                    const char *texts);

/* As pivot, with the new stub and heading given as 1-based variable
   numbers separated by "," (stub variables first in the numbering); texts
   holds the title words "and;by;distr". 89 when the two lists do not name
   every variable exactly once. */
VT_EXPORT int variableorder(const char *in_path, const char *out_path, const char *stub_order,
                            const char *head_order, const char *unit_var, const char *texts);

/* The same in steps for a host dialogue. Any step but 2 and 3 reads
   in_path and fills stub_list and head_list with the variable names (the
   variable without a name as unit_var): 0, 400 or a reader code. Step 2
   writes the table held to out_path in the order the two boxes now show:
   as pivot, 89 for names that are not every variable exactly once, 90 when
   no table is held. Step 3 releases the table: 0. texts as in pivot. */
VT_EXPORT int varorder(const char *in_path, const char *out_path, const vt_listbox *stub_list,
                       const vt_listbox *head_list, int step, const char *unit_var, const char *texts);

/* Writes the table file in_path to out_path with the values of one
   variable in a new order: value_list holds 1-based value numbers
   separated by "," (an empty item is the first value), naming every value
   exactly once. variable names the variable; when it equals unit_var the
   variable without a name is meant. Every cell moves with its value; the
   variable loses its hierarchy. texts holds the title words
   "and;by;distr". 0 (or the data writer's code), 400 a file cannot be
   opened, a reader code, 84 out_path is in_path, 85 no such variable, 80
   the list does not name every value exactly once. */
VT_EXPORT int valueorder(const char *in_path, const char *out_path, const char *value_list,
                         const char *variable, const char *unit_var, const char *texts);

/* Writes the table file in_path to out_path with a new value of one
   variable. sel1 .. sel16 choose values of the first 16 variables as for a
   selection (1-based numbers separated by ","; null or "" eliminates the
   variable); the first variable given values is the calculation variable,
   its chosen values the operands. operation: 11 add, 12 subtract, 13
   multiply, 14 divide (two values, or one value and constant), 18 sum, 21
   percentages, 23 per mille (of the base value beta_value, or of the sum
   of all values when it is ""), 33 remove the chosen values. inclusion[0]
   'm' keeps the operands beside the new value, 'u' puts it in their place.
   order 1 takes the operands of 11..14 in the order listed; otherwise the
   first value is the second operand. new_value is "text" or "text#code".
   texts holds the title words "and;by;distr". 0 (or the data writer's
   code), 400, a reader code, 81 a bad list, 83 no value chosen, 84 out_path
   is in_path, 85 no such base value, 93 new text or code blank, 94 it holds
   a double quote, 95 the variable (for shares: the UNITS) already has it,
   97 the constant is not a number, 200 no new table (a letter other than
   'm' or 'u', operands that do not fit the operation) or no memory. */
VT_EXPORT int calcvalues(const char *in_path, const char *out_path, const char *texts, int operation,
                         const char *inclusion, const char *sel1, const char *sel2, const char *sel3,
                         const char *sel4, const char *sel5, const char *sel6, const char *sel7,
                         const char *sel8, const char *sel9, const char *sel10, const char *sel11,
                         const char *sel12, const char *sel13, const char *sel14, const char *sel15,
                         const char *sel16, int order, const char *new_value, const char *beta_value,
                         const char *constant);

/* The screen grid: writes the table file in_path as a grid file for the
   host's grid control and reports its size.

   Files: grid_path, the grid (title, heading lines, one or more lines per
   row with the stub texts and the cells, tab-separated, CR LF; the note
   marks of the cells come from "notes.txt" in the grid's folder);
   footnote_path, the table's, variables' and values' notes ("" or NULL:
   none); label_path, the label file (section Global: Datasymbol1 ..
   Datasymbol6, Datasymbolsum, Datasymbolnil, and, by, distr; section
   Notes: FootnoteX, Footnote and the contents captions); notes_out_path
   (utbild only), every note of the table with the contents information
   ("" or NULL: none).

   Buffers of the host: summary_out, at least 128 bytes, receives nine
   numbers separated by TAB: columns and row lines of the previous grid,
   stub width in variables, title lines, heading lines, heading variables,
   row lines, columns, position of the time variable (0: none). info_out
   (utbild only), at least 16 bytes, receives DEFAULT-GRAPH or "*". Both
   are written only when the grid is; nothing longer is ever written.

   Cells: decimal_point (a text beginning with "," gives decimal commas),
   precision (the decimals the cells are stored with for the tie rule; -1
   the table's own), rounding (ties away from zero when not 0; the table's
   ROUNDING wins), note_place (1 marks before the cell, else after).

   Rows and columns: suppress 0 writes every row, 1 leaves out rows whose
   cells are all 0, 2 all 0 or "-", 3 all "." .. ".......", 4 all 0, "-" or
   symbols; max_columns and max_lines (row lines) cut the grid (0: no
   limit); double_column 1 counts DOUBLECOLUMN stub variables twice in the
   summary and writes graph_path2.

   Graph and matrix files written after the grid from the same table, as
   utgraph writes them: graph_path (its data-note marks after the values)
   and, when double_column is 1, graph_path2 (marks placed by note_place);
   the name's end chooses the layout ("gra", "txt", "mtx"); a name that is
   empty or holds "*" writes nothing. text_delimiter and label_repeat as
   utgraph's text_delimiter and iteration.

   0; 8 columns cut; 9 row lines cut; 2 an output cannot be written or
   would replace the table or another output; 400 the table cannot be
   opened, or a graph or matrix file cannot be written (bad name: before
   anything is written); 900 more than 100000000 rows, 901 more than
   100000000 columns (before anything is written); a reader code; 201 or
   121 the cells cannot be read; 310 no memory. */
VT_EXPORT int utbild(const char *in_path, const char *grid_path, const char *footnote_path, char *summary_out,
                     const char *label_path, const char *notes_out_path, const char *decimal_point,
                     char *info_out, const char *graph_path, const char *text_delimiter, int label_repeat,
                     int suppress, int max_columns, int max_lines, int double_column, const char *graph_path2,
                     int precision, int rounding, int note_place);

/* utbild without the notes file and the info buffer. A NULL in_path reads
   and writes nothing and returns 0. */
VT_EXPORT int utbild2(const char *in_path, const char *grid_path, const char *footnote_path, char *summary_out,
                      const char *label_path, const char *decimal_point, const char *graph_path,
                      const char *text_delimiter, int label_repeat, int suppress, int max_columns, int max_lines,
                      int double_column, const char *graph_path2, int precision, int rounding, int note_place);

#ifdef __cplusplus
}
#endif

#endif /* VTOPS_H */
