// The data section of a table file: reading the cells into the data matrix
// (full and keyed form) and writing them back, from memory or by copying
// the tokens of the input file.
//
// The section is a sequence of tokens, one per cell in data-matrix order
// (last variable fastest). A token runs up to the next ",", ";", blank or
// tab; a line break inside a token is dropped and does not end it (files
// written here put a blank or ";" before every line break, and long tokens
// may be split across lines). Quoted tokens are the data symbols (see
// core/cells.h); any other quoted token is 0. An unquoted token is the
// number strtod reads from it in the "C" locale, which is 0 when it does
// not start with a number and the number of its longest numeric prefix
// otherwise ("12abc" is 12, "1e999" is inf).
#pragma once

#include <cstdint>
#include <string>

#include "core/infile.h"
#include "core/outfile.h"
#include "core/table.h"

namespace vt {

// The result codes of this file are named in core/codes.h.

// What dsave tells the trace hook besides "start" and "slut": which way the
// cells go. Texts are bytes in the ANSI code page, as everywhere.
inline constexpr const char* dsave_trace_from_file = "dsave fr\xE5n fil";
inline constexpr const char* dsave_trace_from_memory = "dsave fr\xE5n minnet";

// The code of the last failed keyed read (121 or 801) in this process; 0
// until one fails. Kept for callers that report it after the fact; a
// successful read leaves it as it was.
int data_last_error() noexcept;
void clear_data_last_error() noexcept;

// Reads the data section that f stands at (right after "DATA=") into a new
// data block of t: computes the strides, allocates one zero cell per
// combination (201 when the memory cannot be had; the table then has no
// block), then reads the keyed form when the first variable has a
// keys_mode and the table has stub variables, the full form otherwise.
// Cells the section does not give stay 0; the closing ";" is optional.
// Returns 0, 201, or the keyed reader's 121.
int read_data(table& t, in_file& f);

// How the full-form readers (read_data, stream_cells) share the work among
// threads: the buffered window is cut into chunks just after a byte that
// surely ends a token (a blank, tab, "," or ";"), and the chunks are read
// at once into buffers of their own, then copied in file order. The cells,
// and where the file is left, are those of one thread. The defaults suit
// the real readers; the tests cut small sections into tiny chunks.
struct chunking {
    unsigned threads = 0;                       // 0: plat::thread_count(); 1 reads as before
    std::size_t chunk_bytes = 128 * 1024;       // the share of one thread at a time
    std::size_t min_span = 256 * 1024;          // shorter stretches are read by the calling thread
    std::int64_t lead_cells = 256;              // read first, alone, to learn how long a cell is
};
int read_data(table& t, in_file& f, const chunking& how);

// Reads a keyed data section into t's block (allocated here when t has
// none, 801 when it cannot be; a block of the wrong size is replaced).
// Each row is one quoted key per stub variable, each followed by "," or a
// line break, then one cell per heading combination. Keys are value texts
// (keys_mode 1) or codes (keys_mode 2; a value without code is keyed by its
// text). A ";" or the end of the file where a row's first key belongs ends
// the data; a key that names no value, or anything else there, gives 121.
// Rows not given stay 0. Every variable's keys_mode is 0 afterwards,
// whatever the result.
int read_keyed_data(table& t, in_file& f);

// Writes the data section of t after msave: "DATA=" (when write_data is
// 1), then the cells, in keyed form when the first variable has a
// keys_mode (which msave set from the requested keys mode) and the table
// has stub variables, in full form otherwise.
//
//   in            the input table file standing at its data section, or
//                 nullptr to write the cells held in memory.
//   cell_count    in: the number of cells to write in full form; out: the
//                 number that could not be written (0 on success).
//   decimals      0..15 decimals per number; any other value writes 6.
//   row_length    full form: a line feed after every row_length cells
//                 (<= 0: only to keep lines below 32730 characters).
//   recode        with 0 decimals the value 1 is written "0" and 2 "3".
//   omission_mode keyed form: 1 leaves out rows of only 0, 2 rows of only
//                 0 and "-", 3 rows of only dot symbols, 4 rows of only 0,
//                 "-" and dot symbols; any other value leaves out nothing.
//
// Full form from memory: each cell's token followed by a blank, the last
// by ";". Full form from the input: the input's tokens copied one by one
// ("," written as a blank, a token starting with two double quotes loses
// the first and gains a blank), a line feed after ";" and after every
// row_length tokens, every line below 32730 characters, the last token
// closed by ";". Keyed form: the rows " \n" "key","key",cells... then ";";
// a keyed input is copied unchanged when writer_state().copy_keyed_verbatim
// is on, otherwise the cells come from memory or, when no data is loaded,
// from the input (read here into a block of t).
//
// Should the input's data section be keyed while the output is full form,
// or full form while keyed output would copy it unchanged, the input is
// read into memory and rewritten rather than copied as it stands.
//
// Returns 0; 100 when the input (or the cells in memory) ended before the
// cells were all written; 201 when the input had to be read and no memory
// was available; 121 for a bad key in a keyed input being read.
int dsave(in_file* in, out_file& out, table& t, std::int64_t& cell_count, int write_data, int decimals,
          int row_length, int recode, int omission_mode);

// The row_length dsave takes for `t`: the cells of one stub combination
// (the heading variables' value counts multiplied), passed as at most 2^30
// so that it fits the int.
int dsave_row_length(const table& t) noexcept;

// The next token of the data section that `f` stands in, for exports that
// stream the cells instead of loading them: the separators before it are
// skipped, a line break inside it is dropped, quotes are kept. False at the
// end of the file (tok then unchanged).
bool next_data_token(in_file& f, std::string& tok);

// Streams the cells of a full-form data section for exports that do not
// load them: reads up to n cells from where f stands into `cells`, as
// read_data reads them, except that every separator (also "," and ";") is
// skipped before each token and any quoted token, a data symbol or not, is
// `quoted_value`. Consecutive calls go on where the last one ended.
// Returns the number of cells stored: fewer than n only at the end of the
// input. `scratch` is working space kept between calls.
std::int64_t stream_cells(in_file& f, double* cells, std::int64_t n, double quoted_value, std::string& scratch);
std::int64_t stream_cells(in_file& f, double* cells, std::int64_t n, double quoted_value, std::string& scratch,
                          const chunking& how);

// Converts one unquoted cell token (line breaks already removed) as the
// readers do: bit for bit what strtod gives in the "C" locale.
double parse_cell_number(const char* begin, const char* end) noexcept;

}  // namespace vt
