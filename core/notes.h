// Note texts of a table for the exports: cutting texts into lines, the
// simple markup of note texts, the data-note index files beside an export's
// output, and the contents-information and cell-note blocks of text outputs
// with their captions taken from a label file.
//
// The label file is an INI file the host passes to an export. Every caption
// has a default, so a missing file or key is never an error; a caption read
// from the file keeps at most 59 characters (the data symbols at most 19,
// the name of the unnamed variable at most 255).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/outfile.h"
#include "core/table.h"

namespace vt {

// Joins the strings of `list` without a separator and cuts the result into
// pieces of at most `width` characters, taken from the front:
// - a "#" among the next `width` characters ends the piece just after the
//   first "#" (it marks a line break for the exports and stays in the piece);
// - otherwise the piece ends just after the last blank among them;
// - otherwise, when the last of them is "," or "." or the character after
//   them is ",", "." or a blank, the piece is those characters and one
//   following blank is dropped;
// - otherwise the piece is `width` - 1 characters and "-", and the next
//   piece starts with the character the hyphen stands in for.
// A rest of at most `width` characters is the last piece unless it holds a
// "#", where it is cut after the first "#" as well. A width below 2 counts
// as 2, the least width at which every piece makes progress. An empty input
// (or one of empty strings) gives an empty list.
text_list wrap_text(text_list list, int width);

// Joins the strings of `list`, converts the simple markup of note texts and
// cuts the result with wrap_text at `width`. Tags are converted from the
// front, one after the other:
//   <P>            "##" (a paragraph: one line break and an empty line)
//   </...>         removed
//   <B> <I>        removed
//   <A attr='v'>   "(v) " (the link target before the link text)
//   <BR> (<B?>)    "#" (a line break)
// Letters of the tag names may be of either case. The first "<" that starts
// none of these is kept as text and ends the conversion, so a text that
// merely uses "<" as a character is left as written from there on.
text_list strip_markup(text_list list, int width);

// Re-cuts every note text of the table for an export whose lines hold
// `width` characters (through strip_markup when `markup` is set, else
// wrap_text): the table's NOTEX and NOTE, each variable's NOTEX and NOTE,
// each value's VALUENOTEX and VALUENOTE, CONTACT and REFPERIOD at `width`,
// and BASEPERIOD, SOURCE and DATABASE at `width` - 10. The contents items
// are re-cut in every contents record when the table has a contents
// variable, else in the first record only.
void wrap_notes(table& t, int width, bool markup);

// The notes file of an export writing to `output_path`: the path without
// the extension of its file name, followed by "notes.txt" ("out/tab.txt"
// gives "out/tabnotes.txt"). Only a "." in the last path component starts
// an extension; a name without one keeps its whole name.
std::string notes_file_name(const std::string& output_path);

// The symbol file that goes with a notes file: its name followed by
// "text.txt".
std::string symbol_file_name(const std::string& notes_file);

// The distinct DATANOTECELL symbols of the table last indexed by
// write_datanote_index, in order of first appearance. Position n (counting
// from 1) holds the text of note value n in the notes file, so an export
// prints its legend from here. The one process-wide list of this module;
// write_datanote_index replaces its contents.
text_list& datanote_symbols();

// Makes datanote_symbols() the table's distinct DATANOTECELL symbols, in
// order of first appearance, without writing anything: for an output that
// reads the notes file another export wrote beside it for this table.
void list_datanote_symbols(const table& t);

// Numbers the cells covered by the table's DATANOTECELL entries into the
// notes file `notes_path` (N) and lists the distinct symbols in the symbol
// file symbol_file_name(N) (T). Both files are deleted first, then written:
//   T: section "text", one key per distinct symbol, value "1";
//   N: for every covered cell a section "cell" + its zero-based number in
//      data-matrix order, key "note", value the one-based position of the
//      covering entry's symbol in the list of distinct symbols.
// A cell is covered by an entry when, for every variable, the entry marks
// the cell's value of that variable; when several entries cover a cell the
// last one wins. An entry with an empty symbol names no note and is passed
// over. Also fills datanote_symbols(). Returns the number of entries with a
// symbol; failure to write the files is not reported (the exports then
// show cells without markers).
int write_datanote_index(const table& t, const std::string& notes_path);

// Writes the contents-information block of a text output: last updated,
// source, contact, copyright, units, stock/flow/average, reference and base
// period, current or fixed prices, day and seasonal adjustment, database
// and the table name, each item only when the table has it, with captions
// from `label_file`. Lines end in CR LF and start with `indent` blanks
// (0 to 30). The texts are expected to be cut to `width` by wrap_notes
// already; the block does not cut them again.
void write_contents_info(out_file& f, const table& t, int width, int indent, const std::string& label_file);

// Which cell notes write_cell_notes prints.
enum cell_note_list : int {
    cellnotex_list = 0,  // CELLNOTEX entries, shown always
    cellnote_list = 1,   // CELLNOTE entries, shown on request
};

// Writes the cell notes of one list (a cell_note_list; other values write
// nothing) as a text block: per entry, each variable whose reference names
// a value as its name and the value's text, then the note text converted
// and cut by strip_markup at `width`, and an empty line. The unnamed
// variable is named by key "$$SORT" of section "Global" of `label_file`
// (default "$$SORT"). Lines end in CR LF, `indent` blanks (0 to 30).
void write_cell_notes(const table& t, out_file& f, int width, int indent, const std::string& label_file,
                      int list);

// The legend of the eight data symbols, each text followed by ";": symbols
// 1 to 6, the sum symbol and the nil symbol. Each text is the table's own
// (DATASYMBOL1..6, DATASYMBOLSUM, DATASYMBOLNIL) when given, else the label
// file's Datasymbol1..Datasymbol6, Datasymbolsum, Datasymbolnil in section
// "Global", else ".", "..", ... "......", "......." and "-".
std::string symbol_legend(const table& t, const std::string& label_file);

// The same eight texts one by one, symbol 1 first. `sum_default` stands for
// the sum symbol when neither the table nor the label file names it (the
// screen grid shows six dots there, the text outputs seven).
std::array<std::string, 8> symbol_texts(const table& t, const std::string& label_file,
                                        std::string_view sum_default = ".......");

}  // namespace vt
