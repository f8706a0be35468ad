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

#ifdef __cplusplus
}
#endif

#endif /* VTOPS_H */
