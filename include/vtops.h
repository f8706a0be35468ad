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

#ifdef __cplusplus
}
#endif

#endif /* VTOPS_H */
