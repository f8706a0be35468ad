// The dialogue a host application runs through libvtops, step by step.
//
// A host drives a dialogue by calling one export again and again with a
// step number: the first step reads a table and fills the host's list
// boxes, later steps read the user's choices back, and a writing step or a
// release step ends it. Between the calls the library keeps the table (and
// whatever the dialogue family needs beside it) here, in the one dialogue
// state of the process: one dialogue at a time, as the host's windows are
// modal. Starting a dialogue releases whatever an earlier one left behind,
// and a step of a dialogue that holds nothing gets a code, never a stale
// table.
#pragma once

#include <memory>
#include <utility>
#include <string>

#include "core/codes.h"
#include "core/guard.h"
#include "core/infile.h"
#include "core/table.h"

namespace vt::dialogs {

// The dialogue families, one per export that keeps state.
enum class dialogue {
    none,
    varorder,    // variable order
    selection,   // getvalue and the aggregation steps of srvalues
    valorder,    // value order
    bvalue,      // calculation
    tabsel,      // calculation with a second table
    vardelete,   // delete a variable
    chgtxt,      // change texts
    chgdec,      // change decimals
    ctvalues,    // texts and codes
};

// What a family keeps beside the table (selection vectors, value sets, an
// aggregation stack ...): each family derives its own and finds it again
// with family<T>().
struct family_state {
    virtual ~family_state() = default;
};

struct held_state {
    dialogue owner = dialogue::none;
    std::string source_path;  // the table file the dialogue started from
    table t;                  // the current table
    in_file file;             // its file, open and at the data section until the cells are read
    bool cells_read = false;  // t holds its cells (file may be closed)
    std::string label_path;   // the label file: title words and the "MSG" message file beside it
    std::unique_ptr<family_state> extra;
};

// The one dialogue state of the process.
held_state& current() noexcept;

// Ends whatever dialogue is held: closes the file, frees the table and the
// family's state. Safe to call at any time.
void release() noexcept;

// Starts dialogue d on in_path: releases any earlier dialogue, opens the
// file and reads the table (its cells too when with_cells). On success d
// holds the table; on failure nothing is held. Returns 0, codes::cannot_open
// (no path, or the file cannot be opened), or the reader's code.
int begin(dialogue d, const char* in_path, bool with_cells);

// True when dialogue d holds a table, so that its later steps may run.
bool holds(dialogue d) noexcept;

// Reads the held table's cells from its open file when it has not got them
// yet (and closes the file). 0 or the data reader's code.
int load_cells();

// The output name of a writing step: codes::cannot_open when there is
// none, codes::op_same_file when it would overwrite the held table's file
// under any name, else 0. A step refused here keeps its dialogue, so the
// host may ask the user for another name.
int check_output(const char* out_path);

// Runs one step of a dialogue inside guard(): a step that runs out of
// memory or fails unexpectedly ends the dialogue, so no later step finds a
// half-changed table.
template <class F>
int run_step(F&& step) {
    const int rc = guard(std::forward<F>(step));
    if (rc == codes::no_memory || rc == codes::internal_fault) release();
    return rc;
}

// The family state of type T of the held dialogue, made on first use.
template <class T>
T& family() {
    held_state& s = current();
    if (T* p = dynamic_cast<T*>(s.extra.get())) return *p;
    auto made = std::make_unique<T>();
    T& ref = *made;
    s.extra = std::move(made);
    return ref;
}

// The message file of a dialogue: the label file's path with its last
// three characters replaced by "MSG" (a path of fewer than three
// characters gives "MSG").
std::string message_file(const std::string& label_path);

// A message text of the message file: key `key` of section `section`, or
// `fallback` when the file or the key is missing.
std::string message_text(const std::string& label_path, const char* section, const char* key,
                         const char* fallback);

}  // namespace vt::dialogs
