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
