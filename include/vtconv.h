/* The table conversion library (libvtconv). */
#ifndef VTCONV_H
#define VTCONV_H

#include "vtexport.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library for use; returns 1. */
VT_EXPORT int VelInit(void);

/* Releases what the library holds for the host; returns 1. */
VT_EXPORT int VelGFree(void);

/* Bytes of the file system holding the current directory: its total size
   when kind is 1, otherwise its free space; modulo 2^32. */
VT_EXPORT unsigned int SpaceSpec(int kind);

/* Prints the table file infile as a paginated text report into outfile.
   rowlength characters per line (margin included), pagelength lines per
   page, marglength blanks of margin; oem 1 writes code page 850 text;
   decimalpoint "," prints a decimal comma; symbols: the texts of the data
   symbols ".;..;...;....;.....;......;.......;-" the table does not name;
   doublecolumn 1 or 2 shows codes beside texts; completeinfo 0-3 the
   amount of notes; labelfile the captions of the notes part; rounding the
   tie rule (0 to even); noteplace 1 puts note markers before the value;
   thousand 0-3 the thousands separator. 0 written, 2 a file cannot be
   opened or written, 7 the page is too short, a reader code, 200/201 no
   memory. */
VT_EXPORT int TextConv(const char *infile, const char *outfile, int rowlength, int pagelength,
                       int marglength, int oem, const char *decimalpoint, const char *symbols,
                       int doublecolumn, int completeinfo, const char *labelfile, int rounding,
                       int noteplace, int thousand);

/* Writes the table file path as an HTML 4.01 page into path2: the title
   as caption, a header row per heading variable, all stub values in one
   column with a row per stub level, the notes in a last row. text: the
   symbol texts ".;..;...;....;.....;......;.......;-" the table does not
   name; a: the tie rule when the table has none (0 to even); b: 1 puts
   data-note markers before the value, else after it. 0 written, 400 a
   file cannot be opened or written, a reader code, 200/201 no memory. */
VT_EXPORT int htmkonv(const char *path, const char *path2, const char *text, int a, int b);

/* As htmkonv, in a bordered table with a column per stub variable whose
   outer values span the rows of their inner values. */
VT_EXPORT int htmkonv2(const char *path, const char *path2, const char *text, int a, int b);

/* Writes the table file infile as a version-2 (BIFF2) worksheet into
   outfile. table must be null (only files are converted); symbols: the
   texts of the data symbols the table does not name; doublecolumn 1 or 2
   gives stub codes a column of their own; completeinfo 0-3 the amount of
   notes and table information; labelfile the captions; datanote 1 adds a
   marker column after every data column; rounding the tie rule (0 to
   even); rawvalues non-zero stores the numbers unrounded. 0 written, 400 a
   file cannot be opened or written, a reader code, 200/201 no memory. */
VT_EXPORT int ExcelConv2005(const char *infile, const char *outfile, const void *table, const char *symbols,
                            int doublecolumn, int completeinfo, const char *labelfile, int datanote,
                            int rounding, int rawvalues);

/* Writes the table file path as an HTML table fragment for an ASP page
   into path2. stubtype 1 puts all stub variables into one column, else
   one column each; text: the symbol texts ".;..;...;....;.....;......;
   .......;-" the table does not name; decimalpoint "," prints a decimal
   comma; thousand 0-3 the thousands separator; doublecolumn is not used;
   completeinfo 0 no notes, 1-8 a footnote row (1 mandatory notes, 2 all
   notes, 3 and more also the contents information), 9 a block of classed
   spans after the table; nozero 1 or 2 leaves out rows without a non-zero
   value, 3 rows without any number; vtlang the language read; guilang the
   page's language index; uppercase "1" upper-cases value texts; rounding
   the tie rule (0 to even); datanoteoptplace 1 puts note markers before
   the value. 0 written, 400 a file cannot be opened or written, a reader
   code, 200/201 no memory. */
VT_EXPORT int AspConv(const char *path, const char *path2, int stubtype, const char *text,
                      const char *decimalpoint, int thousand, int doublecolumn, int completeinfo,
                      int nozero, const char *vtlang, const char *guilang, const char *uppercase,
                      int rounding, int datanoteoptplace);

/* Writes the table file path as tab-separated lines into path2: a header
   of the stub variable names (a "Code" column before a DOUBLECOLUMN
   variable) and the first heading variable's values, then one line per
   stub row with its labels and cells. decimal_point "," prints a decimal
   comma; text_delimiter and iteration are not used; text: the symbol
   texts the table does not name; rounding the tie rule (0 to even);
   note_place 1 puts data-note markers before the value. A path starting
   with "*" writes nothing. 0 written, 400 a file cannot be opened or
   written, a reader code, 201 no memory for the data, 200 no memory. */
VT_EXPORT int RelTable(const char *path, const char *path2, const char *decimal_point,
                       const char *text_delimiter, int iteration, const char *text, int rounding,
                       int note_place);

/* As RelTable, writing a graph data file when path2 ends in "gra" (symbols
   as 0, stub labels joined by "#") or a matrix file when it ends in "txt"
   or "mtx" (heading labels between text_delimiter and marked by the byte
   0xA0); iteration 1 repeats all stub labels on every row. 400 for any
   other ending. */
VT_EXPORT int utgraph(const char *path, const char *path2, const char *decimal_point,
                      const char *text_delimiter, int iteration, const char *text, int rounding,
                      int note_place);

/* Writes the table file path as a print matrix into path2: per stub row
   the quoted stub labels and the cells, joined by delimiter. oem 1 writes
   the labels in code page 850; table is not used (pass NULL); symbols:
   the symbol texts, replaced by the table's own when it names any (the
   buffer is not written); rounding the tie rule; note_place 1 puts
   data-note markers before the value. The cells are read as they are
   written; data that ends early ends the line. 0 written, 400 a file
   cannot be opened or written, a reader code, 200 no memory. */
VT_EXPORT int asmkonv(const char *path, const char *path2, const char *delimiter, int oem,
                      const void *table, const char *symbols, int rounding, int note_place);

/* As asmkonv, writing a print table: title lines, heading lines, stub
   labels indented by empty cells with the cells on the innermost lines,
   then the notes; oem 1 also converts titles and notes. */
VT_EXPORT int astkonv(const char *path, const char *path2, const char *delimiter, int oem,
                      const void *table, const char *symbols, int rounding, int note_place);

/* Writes only the cells of the table file path, one line per stub row
   joined by delimiter; symbol texts from text alone; table is not used. */
VT_EXPORT int cellkonv(const char *path, const char *path2, const char *delimiter,
                       const void *table, const char *text, int rounding);

/* Writes the table file path again as path2: keywords read and written
   anew, data copied. ansi: 1 cell notes in the ANSI code page, 0 in code
   page 850. 0 written, 1 a file cannot be opened, a reader code, 5 no
   memory, 7 the data ended early, 6 another data problem. */
VT_EXPORT int VtReSave(const char *path, const char *path2, int ansi);

/* As VtReSave, with a new description (longer than 2 characters; the old
   one is dropped in any case), a new subject area (when set_subject is 1),
   the keys mode of the data section (0 full form, 1 keyed by value texts,
   2 by codes; keep_keys 1 keeps a table keyed by texts so). 0 written, 1 a
   file cannot be opened, a reader code, 121 a bad key, 200 no memory. */
VT_EXPORT int savevt(const char *path, const char *path2, int ignored, const char *ignored_name,
                     const char *description, const char *subject, int set_subject, int ansi,
                     int keys_mode, int keep_keys);

/* Writes the table file path as a dBase III table into path2 with one
   record per data cell: a text field per variable (named after it, or
   unit_name when it has none) and the number field TABCELL. Data symbols
   are stored as 0. table is not used (pass NULL). 0 written, 400 a file
   cannot be opened or written (or path2 is the input), a reader code,
   200 no memory. */
VT_EXPORT int dbakonv(const char *path, const char *path2, const char *unit_name, int ignored,
                      const void *table);

/* As dbakonv, storing data symbols as the double whose low and high
   32-bit halves are symbol_low and symbol_high. */
VT_EXPORT int dbakonv2005(const char *path, const char *path2, const char *unit_name, int ignored,
                          const void *table, unsigned int symbol_low, unsigned int symbol_high);

/* Writes the table file path as a dBase III table into path2 with one
   record per stub row: text fields C1.. for the stub values, then a number
   field per data column. Results as dbakonv. */
VT_EXPORT int dbakonv2(const char *path, const char *path2, int ignored, const void *table);

/* As dbakonv2, with a field for the value code before the text field of
   the last stub variable that has a map. */
VT_EXPORT int dbakonv3(const char *path, const char *path2, int ignored, const void *table);

/* As dbakonv2, with a code field before the text field of each stub
   variable whose first value has a code: code_mode 1 for all such
   variables, 2 for those asking for double columns. The texts and the
   integer between them are not used. */
VT_EXPORT int dbaseConv(const char *path, const char *path2, int ignored, const void *table,
                        const char *ignored_symbols, int code_mode, int ignored_info,
                        const char *ignored_labels);

/* Writes the table file infile as an XML cube document into outfile:
   the metadata, then the cells, copied as a CDATA block or, with datamode
   1, listed as the cells that are not 0 with the codes of their values.
   0 written, 400 a file cannot be opened or the output would replace the
   input, a reader code, 201/121 a keyed data section that cannot be read. */
VT_EXPORT int xmlsave(const char *infile, const char *outfile, int datamode);

/* Writes an SDMX-ML 2.0 message for the table file infile into outfile:
   type 0 a structure message (code lists, concepts, key family), 1-3 the
   header of a GenericData, CompactData or CrossSectionalData message, lang
   the xml:lang of the header names and the variables' code lists. Table
   texts are escaped. 0 written, 400 a file cannot be opened, a reader code. */
VT_EXPORT int sdmxsave(const char *infile, const char *outfile, int type, const char *lang);

/* Writes the table file infile as a statinfo document into outfile: type
   1 statinfo_keys, 2 statinfo_xdf, 3 statinfo_cals with a CALS table (any
   other value: a statinfo_cals root around the XDF array); lang and
   rounding give way to the table's LANGUAGE and ROUNDING; doctype 1 writes
   the DOCTYPE line. Codes as xmlsave. */
VT_EXPORT int xdfsave(const char *infile, const char *outfile, int type, const char *lang, int rounding,
                      int doctype);
/* Writes the table file infile as a KML document into outfile: one
   extruded box per region (value of the first variable) and value of the
   one further variable with several values, its height the cell scaled to
   the largest cell. dir is the directory of the coordinates file named
   after the first variable's MAP (MAP + ".txt"). Texts are written as
   UTF-8. 0 written, 400 a file cannot be opened or written (or outfile is
   the input), a reader code, 602 no first variable, 702 two further
   variables with several values, 701 no MAP, 700 no coordinates file. */
VT_EXPORT int kmlsave(const char *infile, const char *outfile, const char *dir);

/* As kmlsave, one point per region whose balloon shows all its cells as a
   table; symbols: the texts of the data symbols ".;..;...;....;.....;
   ......;.......;-". 0, 400, a reader code, 701, 700. */
VT_EXPORT int kmlsave2(const char *infile, const char *outfile, const char *dir, const char *symbols);

/* As kmlsave2, writing an HTML map page with a marker per region that has
   a position (bytes kept as stored). */
VT_EXPORT int kmlsave3(const char *infile, const char *outfile, const char *dir, const char *symbols);

/* Writes the time-series table infile as a GESMES/TS (EDIFACT) message
   into outfile. unitvar is not used; the texts are the header elements;
   Include "M" (BGM 73), "A" (attribute section), "T" (UNZ count 2), else
   data only; Test 1 marks a test interchange; CodeFile (or NULL) maps
   value codes per variable; ARRvar the components of listA; listB the key
   part before the periods. 0 written, 400 a file cannot be opened, a
   reader code, 605 no TIMEVAL, 607 no heading variable, 606 more than one,
   608 it is not the time variable. */
VT_EXPORT int gesmes2003(const char *infile, const char *outfile, const char *unitvar, const char *Sender,
                         const char *Receiver, const char *InterchangeMsg, const char *MessageRef,
                         const char *DSN, const char *Datastruct, const char *Conf, const char *ObsStatus,
                         const char *Include, const char *CodeListOrg, int Test, const char *CodeFile,
                         int ARRvar, const char *listA, const char *listB, const char *ContactName,
                         const char *ContactEmail);

/* Writes the table file path (time variable the only heading variable) as
   TSD series into path2. oem 1 writes texts in code page 850; series_file
   (longer than one character) names the series-name file in the directory
   of path; keep_unnamed non-zero writes series the file does not name
   under generated names. 0 written, 400 a file cannot be opened (or path2
   is the input), a reader code, 600 no TIMEVAL, 601 more than one heading
   variable, 602 no heading variable or not the time variable, 603 a bad
   quarter code or no period, 604 more than two time scales. */
VT_EXPORT int arekonv(const char *path, const char *path2, int oem, const char *series_file, int keep_unnamed);

/* Writes the table file infile (one stub variable of numbers) as the NSD
   data file outfile with its ".VAR" and ".DOK" files beside it;
   defaultname names an unnamed stub variable; table must be null (only
   files are converted). 0 written, 400 a file cannot be opened (or an
   output is the input), a reader code, 192 not exactly one stub variable,
   194 a stub value that is not a number, 300 too little free space. */
VT_EXPORT int nsdkonv(const char *infile, const char *outfile, const char *defaultname, const void *table);
/* ---- Reading a table for a host.
   A table file read once, keywords and every cell, then asked for its
   parts: the variables (stub variables first, then the heading variables,
   as in the file), their values, a few texts of the head and the cells.
   Strings are Windows-1252 bytes owned by the table; they stay valid until
   vt_table_close. Positions count from 0. */
typedef struct vt_table vt_table;

/* Reads the table file path; language: the two-letter language whose
   texts are read (NULL or "" the default texts). *out receives the table,
   or NULL on failure. 0, 400 the file cannot be opened (or out is NULL),
   a reader code, 121 a bad key in keyed data, 201 no memory for the cells
   or not all cells there, 200 no memory. */
VT_EXPORT int vt_table_open(const char *path, const char *language, vt_table **out);

/* Releases the table and everything it holds (NULL is allowed). */
VT_EXPORT void vt_table_close(vt_table *table);

/* The number of variables, and of stub variables among them (the first
   ones); 0 for a NULL table. */
VT_EXPORT int vt_table_variables(const vt_table *table);
VT_EXPORT int vt_table_stub_variables(const vt_table *table);

/* The number of values of variable var; 0 when there is no such variable. */
VT_EXPORT int vt_table_values(const vt_table *table, int var);

/* The name of variable var; NULL for a variable without a name or no such
   variable. */
VT_EXPORT const char *vt_table_variable_name(const vt_table *table, int var);

/* The text and the code of value val of variable var; NULL when there is
   no such value (or, for the code, when the value has none). */
VT_EXPORT const char *vt_table_value_text(const vt_table *table, int var, int val);
VT_EXPORT const char *vt_table_value_code(const vt_table *table, int var, int val);

/* A text of the table head by its keyword: "MATRIX", "TITLE",
   "DESCRIPTION", "CONTENTS", "UNITS", "SUBJECT-AREA", "SUBJECT-CODE",
   "SOURCE", "NOTE", "NOTEX", "LANGUAGE", "CONTVARIABLE" (any case; texts
   of several strings joined without a separator). NULL when the table
   does not give it or the keyword is not one of these. */
VT_EXPORT const char *vt_table_text(const vt_table *table, const char *keyword);

/* DECIMALS (shown 0) or SHOWDECIMALS (shown 1); -1 for a NULL table. */
VT_EXPORT int vt_table_decimals(const vt_table *table, int shown);

/* The number of cells: the product of all value counts. */
VT_EXPORT long long vt_table_cell_count(const vt_table *table);

/* Copies cells first .. first+count-1 (data-matrix order: the last
   variable varies fastest, so each stub combination's heading cells are
   consecutive) into values and symbols, either of which may be NULL.
   values receives the numbers, NaN for a data symbol; symbols 0 for a
   number, 1 .. 7 for the symbols "." .. "......." and 8 for "-". Returns
   the number of cells copied (fewer at the end of the table), -1 for a
   NULL table or a negative first or count. */
VT_EXPORT long long vt_table_cells(const vt_table *table, long long first, long long count, double *values,
                                   signed char *symbols);
/* Writes the table file path as a Lotus worksheet into path2: a WK1 file
   when the name's extension is "wk1" in any case, else a WKS file; the
   name is used as given. table must be null (only files are converted).
   symbols: the texts of the data symbols ".;..;...;....;.....;......;
   .......;-"; when the table names symbol texts of its own, the buffer
   receives the table's list (its texts, the plain symbols for the others,
   each followed by ";") provided it has room: hosts pass a buffer of at
   least 169 bytes. 0 written, 400 a file cannot be opened or written, a
   reader code, 200/201 no memory. */
VT_EXPORT int lotkonv(const char *path, const char *path2, const void *table, char *symbols);

#ifdef __cplusplus
}
#endif

#endif /* VTCONV_H */
