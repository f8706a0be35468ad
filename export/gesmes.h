// The GESMES/TS export: a time-series table as one UN/EDIFACT message.
#pragma once

#include <string>

namespace vt {

// The caller's settings of a message (the [Gesmes] keys of a batch query).
struct gesmes_settings {
    std::string sender, receiver, interchange_msg, message_ref, dsn, datastruct, conf, obs_status;
    std::string include = "D";  // first character: M (BGM 73), A (attributes), T (UNZ count 2)
    std::string code_list_org;
    int test = 0;               // 1 marks the interchange as a test
    std::string code_file;      // INI file mapping value codes per variable; "" for none
    int arr_var = 0;            // number of components of list_a
    std::string list_a;         // key prefix before the stub keys
    std::string list_b;         // key part before the periods
    std::string contact_name = "missing";
    std::string contact_email = "missing";
};

// Writes the table file `infile` as a GESMES/TS message into `outfile`:
// the service string advice, UNB, the counted message UNH .. UNT with one
// ARR segment per series (per stub combination) holding every observation
// as value:status:confidentiality, the attribute section when Include
// starts with "A", and UNZ. Every free text taken from the table that goes
// into an FTX segment carries release characters before "?", ":", "+" and
// "'", so any EDIFACT reader reads it back unchanged.
//
// 0; 400 the input or the output cannot be opened or written; the reader's
// code; 605 no TIMEVAL; 607 no heading variable; 606 more than one; 608
// the heading variable is not the time variable (nothing written for
// these); 201 the cells are not all there; 200 no memory. Never throws.
int gesmes2003(const std::string& infile, const std::string& outfile, const gesmes_settings& s) noexcept;

// The text with the EDIFACT release character "?" before each of "?", ":",
// "+" and "'".
std::string edifact_release(const std::string& text);

}  // namespace vt
