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

/* The selection dialogue. Boxes list1 .. list16 show the values of
   variables 1 .. 16; the user selects values in them.
     step below 1: reads in_path (the texts of language when it is not
       empty) and keeps it, remembers value_set_dir (the folder of the *.vs
       value set files) and label_path (a label file: title words, section
       Global keys and, by, distr; the messages come from the same path
       with its last three characters replaced by "MSG"), fills box k with
       the value texts of variable k and writes the status words into
       status_out, a buffer of 1000 bytes (longer text is cut): per
       variable "1 " when it has an elimination value, "2 " for ELIMINATION
       YES, else "3 ", then ";name;n" for each variable with a hierarchy,
       n its HIERARCHYLEVELSOPEN. 0, or 1000 when no variable offers an
       aggregation; 400 or a reader code when the table cannot be read.
     step 3: ends the dialogue; 0.
     other steps: the values selected in each box are kept (variables
       aggregated through srvalues keep their groups), the new table is
       written to out_path and the dialogue ends. 0 (or the data writer's
       code); 1 .. 16 the number of a variable without a chosen value that
       can be neither summed nor taken at an elimination value; 1 no new
       table; 83 no variable keeps a value; 84 out_path is the source; 400;
       90 no dialogue held. After a failure the table stays held. */
VT_EXPORT int getvalue(const char *in_path, const char *out_path, const char *value_set_dir,
                       const char *label_path, int step, const vt_listbox *list1,
                       const vt_listbox *list2, const vt_listbox *list3, const vt_listbox *list4,
                       const vt_listbox *list5, const vt_listbox *list6, const vt_listbox *list7,
                       const vt_listbox *list8, const vt_listbox *list9, const vt_listbox *list10,
                       const vt_listbox *list11, const vt_listbox *list12, const vt_listbox *list13,
                       const vt_listbox *list14, const vt_listbox *list15, const vt_listbox *list16,
                       char *status_out, int secrecy, const char *language);

/* The aggregation steps over the table getvalue's first step holds. list_a
   shows variables or aggregations; list_b shows the values of variable 1,
   or the groups of the aggregation (or the values) of the variable being
   aggregated; list2 .. list16 the values of variables 2 .. 16.
     1   list_a: the variables that may be aggregated (more than one value,
         a DOMAIN served by a value set with aggregations); level 0.    0
     10  the same, one aggregation level higher (at most 16).       0, 99
     2   the variable chosen in list_a (the current item, else the first
         selected) is the one of the current level.      90 when its values
         carry codes (step 5 shows them), 85 none chosen, else 0
     3, 11  list_a: the aggregations offered for its domain.          0
     4   the aggregation chosen in list_a is read and put in place of the
         variable; list_b shows its groups.  91 when another aggregation or
         variable has its name (give another with step 6), 85, 400, else 0
     5   the level's variable shows its codes as texts; list_b its values. 0
     6   the level's aggregation is named `name` and put in place.  93 name
         blank, 94 it holds a double quote, 96 the name is taken, else 0
     7   the selections of all boxes are kept; the new table is written to
         out_path and becomes the table held.  1 .. 16 as in getvalue, 92 no
         new table (no member code matched), 83, 84, 400, else the data
         writer's code
     8   ends the dialogue.                                             0
     9   takes the level's aggregation out again.                       0
     12  one aggregation level lower (not below 0).                     0
   Members of an aggregation that match no value are reported through the
   message hook (caption "VELTRA": the count, the text of key lessreg of
   section general of the message file, the variable's name). Any step
   without a dialogue held: 90; an unknown step, or one before the step
   that prepares it: 99. */
VT_EXPORT int srvalues(const char *out_path, int step, const vt_listbox *list_a,
                       const vt_listbox *list_b, const vt_listbox *list2, const vt_listbox *list3,
                       const vt_listbox *list4, const vt_listbox *list5, const vt_listbox *list6,
                       const vt_listbox *list7, const vt_listbox *list8, const vt_listbox *list9,
                       const vt_listbox *list10, const vt_listbox *list11, const vt_listbox *list12,
                       const vt_listbox *list13, const vt_listbox *list14, const vt_listbox *list15,
                       const vt_listbox *list16, const char *name, int secrecy);

/* Adds the codes of the values of variable k to box list<k>, for each of
   the first 16 variables whose first value has a code. 0, 400 or a reader
   code. */
VT_EXPORT int getcodes(const char *in_path, const vt_listbox *list1, const vt_listbox *list2,
                       const vt_listbox *list3, const vt_listbox *list4, const vt_listbox *list5,
                       const vt_listbox *list6, const vt_listbox *list7, const vt_listbox *list8,
                       const vt_listbox *list9, const vt_listbox *list10, const vt_listbox *list11,
                       const vt_listbox *list12, const vt_listbox *list13, const vt_listbox *list14,
                       const vt_listbox *list15, const vt_listbox *list16);

/* Copies the text of the elimination value of the variable `variable` of
   the table a dialogue holds into text_out, a buffer of 256 bytes (longer
   text is cut); "" when there is no such table, variable or value. 0. */
VT_EXPORT int zoomvar(const char *variable, char *text_out);
/* The size in bytes, final NUL included, that the dialogues below assume
   for every buffer they write into (contents_io, units_io, set_io,
   domain_out). A longer text is cut to fit; nothing is written past it. */
#define VT_DIALOG_BUFFER 1000

/* Changes CONTENTS, UNITS, the variable names and value texts in steps for
   a host dialogue (one dialogue at a time; texts is the label file whose
   section Global holds the title words and, by, distr):
     any step but 2 to 5: reads in_path, fills list with the variable names
       (the variable without a name as unit_var), copies CONTENTS and UNITS
       into contents_io and units_io. 0, 400 or a reader code.
     2: fills list with the value texts of variable. 0, 85 no such variable.
     3: the items of list (one per value, in order) become the value texts
       of variable; the contents records of a changed text follow it. 0, 85,
       81 not one item per value, 93 a text empty or blank, 94 a text holding
       a double quote, 95 two values with one text (nothing changes then).
     5: CONTENTS from contents_io, UNITS from units_io (a table without UNITS
       gets none), the variable names from list (one per variable, the
       unit_var item passed over; CONTVARIABLE follows a rename); the title
       is rebuilt and the table written to out_path, ending the dialogue.
       0 (or the data writer's code), 93, 94, 96 a name another variable has,
       400 or 84 (out_path is in_path): these keep the dialogue.
     4: ends the dialogue. 0.
   Steps 2, 3 and 5 give 90 when this dialogue holds no table. */
VT_EXPORT int chgtxt(const char *in_path, const char *out_path, char *contents_io, char *units_io,
                     const vt_listbox *list, const char *variable, int step, const char *unit_var,
                     const char *texts);

/* Writes in_path to out_path with CONTENTS followed by ", ", addition and
   ","; the title is rebuilt with the words of the label file texts.
   0 (or the data writer's code), 400, 84, a reader code, 94 a double quote
   in addition. */
VT_EXPORT int chgtxtcontents(const char *in_path, const char *out_path, const char *addition,
                             const char *texts);

/* Shows the values as texts, codes or both in steps for a host dialogue.
   options holds one digit per variable in table order: 1 texts, 2 codes,
   3 both, another digit leaves the variable alone. Values that have codes
   only get their texts from the value set files (*.vs) of value_set_dir
   that serve the variable's DOMAIN.
     any step but 5 and 6: reads in_path and presents it. When several
       value set files fit one variable: 1, its domain in domain_out, the
       table held. Otherwise the table is written to out_path, set_io gets
       the value set file used ("" when none) and the dialogue ends.
     5: set_io names the file the user chose for the domain reported; goes
       on as above (1 again for a further domain). 90 when the dialogue
       waits for no choice.
     6: ends the dialogue. 0.
   Results: 0 (or the data writer's code), 1, 400, 84, a reader code, 99
   the presentation change formed no table (or two values would share a
   text). */
VT_EXPORT int ctvalues2003(const char *in_path, const char *value_set_dir, const char *out_path, int step,
                           char *set_io, const char *options, char *domain_out);
/* Deletes a variable in steps for a host dialogue; list is one box that
   shows the variable names, then the values of the variable picked.
     any step but 2, 3, 4: reads in_path, empties list and fills it with the
         variable names (the variable without a name as unit_var) and holds
         the table: 0, 400 or a reader code.
     2: empties list and fills it with the value texts of variable (equal to
         unit_var: the variable without a name): 1 when the table's title is
         its DESCRIPTION, else 0; 85 no such variable (the table stays held).
     4: the values selected in list (one item per value) are summed away or,
         with remove 1, removed, the one value left keeping its cells; the
         variable goes, the title is rebuilt and the table is written to
         out_path; the dialogue ends. The data writer's result, 400, 84
         out_path is in_path (the table stays held), 85, 81 the list does not
         show one item per value, 78 some but not all of several values
         selected (with remove 1: not all but one), 83 no other variable
         would be left, 200 every value removed or no memory.
     3: releases the table: 0.
   Steps 2 and 4 give 90 when no table is held. texts is a label file whose
   section Global holds the title words (keys and, by, distr). */
VT_EXPORT int vardelete(const char *in_path, const char *out_path, const vt_listbox *list, const char *variable,
                        int step, const char *unit_var, const char *texts, int remove);

/* Changes the decimals of a table in steps for a host dialogue.
   decimals_io is the host's buffer of at least 16 bytes; the library
   writes at most 3 bytes into it (two digits and a NUL).
     any step but 2 to 5: reads in_path, empties value_list_box and fills it
         with the variable names (the variable without a name as unit_var),
         writes SHOWDECIMALS into decimals_io and holds the table: 0, 400 or
         a reader code.
     2: empties both boxes and fills value_list_box with the value texts of
         variable (equal to unit_var: the variable without a name) and
         precision_list_box with their PRECISION, one digit each ("0":
         none): 0; 85 no such variable (the table stays held).
     3: takes the precisions of variable back from precision_list_box, one
         digit 0..9 per value in order: 0; 79 (or 85) ends the dialogue.
     5: SHOWDECIMALS becomes the number in decimals_io and DECIMALS rises to
         it when smaller; the table is written to out_path and the dialogue
         ends. The data writer's result, 400, 84 out_path is in_path (the
         table stays held), 79 below 0, above 15, or above 6 under a larger
         DECIMALS (no table file can state it).
     4: releases the table: 0.
   Steps 2, 3 and 5 give 90 when no table is held. */
VT_EXPORT int chgdec(const char *in_path, const char *out_path, char *decimals_io, const vt_listbox *value_list_box,
                     const vt_listbox *precision_list_box, const char *variable, int step, const char *unit_var);
/* A second table, in steps for a host dialogue; type is the step.
   Step 1 (any type but 2 and 3) reads in_path with its cells and fills
   list with the titles of the table files (*.vt) of table_dir that fit it
   for option: 41 add, 42 subtract, 43 multiply, 44 divide and 71 overlay
   need the same variables with the same value sets (in any order); 61 link
   the same variables with at most one of other values. 0 (also when none
   fits), 400 no source or no table file in table_dir, a reader code, 163
   a listed file of another CHARSET, 91 the table has no UNITS for a join.
   Step 2 takes the table chosen in list (its current item); with none an
   arithmetic option works with the number in constant instead. name is
   the new variable (with inclusion[0] 'm') or, otherwise, the result's
   UNITS; text1 .. text3 ("text" or "text#code") are its values: the
   current table, the chosen table (or, with a constant, the result) and
   the result. 71 puts both tables under name with the values text1 and
   text2; 61 appends the chosen table along its one differing variable.
   Writes out_path and releases: the data writer's result; 90 no table
   held, or a join with none chosen; 84 out_path is the current or the
   chosen table; 400 out_path missing or not writable; 91 the chosen table
   cannot be read or does not fit; 92 an overlay needs name; 93 a text
   blank; 94 a double quote in a text; 95 two new value texts equal; 96
   name is a variable already; 97 constant not a number; 200 a letter
   other than 'm' or 'u' with a chosen table, or another option. After 84,
   90 with a table held and 93 to 97 the table stays held, so the host can
   ask again and repeat step 2.
   Step 3 releases the table: 0. label_path is kept as the dialogue's
   label file (its "MSG" file beside it). */
VT_EXPORT int tabsel(const char *table_dir, const char *in_path, const char *out_path, int type,
                     const vt_listbox *list, int option, const char *label_path, const char *name,
                     const char *text1, const char *text2, const char *text3, const char *constant,
                     const char *inclusion);
/* The value order as a host dialogue, one dialogue at a time:
     step 2  fills list_a with the value texts of variable (equal to
             unit_var: the variable without a name) and code_list with the
             codes of the values that have one: 0, 85 no such variable (the
             dialogue stays), 90 no table held.
     step 4  the new order is the texts of list_b first to last, then those
             of list_a, as many as the variable has values; writes the table
             held to out_path and ends the dialogue: 0 (or the data writer's
             code), 80 the texts are not every value exactly once, 85, 90; 84
             out_path is the source and 400 no out_path keep the dialogue.
     step 3  releases the table: 0.
     other   reads in_path and fills list_a with the variable names (the
             variable without a name as unit_var): 0, 400 or a reader code.
   texts is the label file whose section Global holds the title words
   (keys and, by, distr). */
VT_EXPORT int valorder(const char *in_path, const char *out_path, const vt_listbox *list_a,
                       const vt_listbox *list_b, const char *variable, int step, const char *unit_var,
                       const char *texts, const vt_listbox *code_list);

/* The calculation as a host dialogue, one dialogue at a time; operation,
   inclusion, order, new_value, beta_value and constant as in calcvalues,
   list box k standing for sel_k (its selected items are the values
   chosen), texts the label file as in valorder:
     step 2  (table held) builds the request from the selections, then goes
             on as step 4.
     step 4  (request held) checks new_value: 93, 94 or 95 keep the request,
             so the host asks for another text and calls step 4 again (84
             out_path is the source and 400 no out_path keep it too);
             otherwise writes the new table to out_path and ends the
             dialogue: 0 (or the data writer's code), 200 no new table, 98
             the new table lost the calculation variable, 81, 83, 97 as in
             calcvalues.
     step 2 without a table, or step 4 without a request: 90, the dialogue
             stays as it was.
     other   reads in_path and fills list box k with the value texts of
             variable k: 0, 400 or a reader code. */
VT_EXPORT int bvalue(const char *in_path, const char *out_path, const char *texts, int step, int operation,
                     const char *inclusion, const vt_listbox *list1, const vt_listbox *list2,
                     const vt_listbox *list3, const vt_listbox *list4, const vt_listbox *list5,
                     const vt_listbox *list6, const vt_listbox *list7, const vt_listbox *list8,
                     const vt_listbox *list9, const vt_listbox *list10, const vt_listbox *list11,
                     const vt_listbox *list12, const vt_listbox *list13, const vt_listbox *list14,
                     const vt_listbox *list15, const vt_listbox *list16, int order, const char *new_value,
                     const char *beta_value, const char *constant);
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
