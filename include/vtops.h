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

#ifdef __cplusplus
}
#endif

#endif /* VTOPS_H */
