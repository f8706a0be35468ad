// Every result code the project returns, by name, with what it means. A
// routine returns 0 for success (a few return a negative value for success
// too) and one of these for a failure; hosts, query files and error files
// see the numbers, so they never change.
//
// The README's code tables list the same numbers; a test reads them back
// against this header.
#pragma once

namespace vt::codes {

// ---- Shared by every layer.
inline constexpr int ok = 0;
inline constexpr int no_memory = 200;      // memory ran out
inline constexpr int no_data_block = 201;  // the data matrix cannot be had (no memory for the cells, or not all there)
inline constexpr int cannot_open = 400;    // a file cannot be opened, read or written in full
inline constexpr int internal_fault = 999; // an unexpected failure (an exception reached a boundary)

// ---- Table file reader and data section. The reader's problem codes of the
// single keywords (101 - 206) are named in the keyword table of the reader.
inline constexpr int reader_string_comma = 1;         // a one-string keyword's string followed by ","
inline constexpr int reader_string_line_end = 2;      // ... by a line break
inline constexpr int reader_string_paren = 3;         // ... by ")"
inline constexpr int reader_malformed = 100;          // a malformed statement; also dsave: the input ended early
inline constexpr int reader_bad_keys = 121;           // keyed data declared wrongly, or a key naming no value
inline constexpr int reader_no_values = 141;          // a variable without values
inline constexpr int reader_no_data_keyword = 180;    // the file ends without DATA=
inline constexpr int data_input_ended = 100;          // dsave: the input ended before the cells did
inline constexpr int data_bad_key = 121;              // keyed data: a key that names no value, or no key
inline constexpr int data_no_block_keyed = 801;       // read_keyed_data: no memory for the data matrix

// ---- Table operations.
inline constexpr int op_failed = 1;              // no new table could be formed (selvalues; berakna)
inline constexpr int op_bad_list = 81;           // a selection list not strictly ascending, out of range or not numbers
inline constexpr int op_bad_aggregated = 82;     // an aggregated list without ";" after its file name, or no file name
inline constexpr int op_nothing_kept = 83;       // no variable keeps any value
inline constexpr int op_same_file = 84;          // the output would replace the input table
inline constexpr int op_name_clash = 86;         // an aggregation named like another variable
inline constexpr int op_not_supported = 87;      // berakna: an operation code not served yet
inline constexpr int op_bad_pivot_alt = 88;      // pivot: alt is neither 1 nor 2
inline constexpr int op_bad_order = 89;          // the orders do not name every variable exactly once
inline constexpr int op_no_dialogue_table = 90;  // a dialogue step without the table of an earlier step
inline constexpr int op_agg_failed = 92;         // aggvalues: no new table was formed

// ---- Conversions.
inline constexpr int text_cannot_open = 2;       // text report: the input or the output cannot be opened
inline constexpr int text_page_too_short = 7;    // text report: a page cannot hold its header lines plus one row
inline constexpr int resave_failed = 1;          // re-save: the input cannot be read or the output not written
inline constexpr int resave_no_memory = 5;       // VtReSave: memory ran out (also for the data block)
inline constexpr int resave_data_fault = 6;      // VtReSave: the data section could not be copied for another reason
inline constexpr int resave_input_ended = 7;     // VtReSave: the input ended before the cells did, or the disk is full

// ---- Batch driver (vtbatch).
inline constexpr int batch_usage = 701;          // no query file named
inline constexpr int batch_no_infile = 702;      // [Files] Infile not given
inline constexpr int batch_no_outfile = 703;     // [Files] Outfile not given
inline constexpr int batch_no_function = 704;    // [Query] Function not given
inline constexpr int batch_no_variables = 705;   // selvalues/aggvalues with NoOfVar not given or 0
inline constexpr int batch_no_operation = 706;   // calcvalues without Operation
inline constexpr int batch_no_inclexcl = 707;    // calcvalues without InclExcl
inline constexpr int batch_no_newvalue = 708;    // calcvalues including ("m") without Newvalue
inline constexpr int batch_no_order = 711;       // calcvalues with Operation 12 or 14 and Order 0
inline constexpr int batch_same_file = 713;      // the output (or error file) would replace the input or the query
inline constexpr int batch_no_variable = 714;    // XML: a variable name the table does not have
inline constexpr int batch_no_value = 715;       // XML: a value code or text the variable does not have
inline constexpr int batch_bad_variable = 716;   // XML: a variable element out of sequence or of the wrong form

}  // namespace vt::codes
