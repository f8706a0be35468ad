// The XML query reader of vtbatch: a chain of numbered steps, each naming a
// function, an input, an output and an error file, read line by line and
// run one after the other.
//
// The reader does not parse XML. It cuts the file into tokens (from the
// current position up to and including the next ">" or up to a line end)
// and recognises a token by the exact start of the element it begins with;
// everything else (end tags, the declaration, comments) is skipped. An
// element's content is the text after its ">" up to the next "<" or line
// end, taken as written, so every element with content sits on one line.
// Blanks, tabs and line ends before a token are skipped, so the elements
// may be indented.
//
// Settings given once stay in force for every later step until they are
// given again; the lists a step builds (value selections, value orders,
// variable texts) belong to that step alone.
#pragma once

#include <string>
#include <vector>

#include "batch/functions.h"
#include "batch/job.h"
#include "batch/xml_fill.h"

namespace vt::batch {

// One step as read from the query.
struct xml_step {
    // The function name as written in the query: the error file line
    // repeats it.
    std::string name;
    // The function's row; nullptr for a name that matches none.
    const function_row* row = nullptr;
    // The call: j.function is the row's name (the INI name: selvalues for
    // the selection step, filecalc for filecalculation, ...), j.errorfile
    // the step's error file.
    job j;
    // False for a function name that matches none (the step then runs
    // nothing and writes nothing) and for a name that must be written
    // exactly and is not (its elements are read, nothing is called).
    bool runs = false;
    // Non-zero when reading the step ended the run: 713..716, 706..711, 400
    // (the input table cannot be opened) or the table reader's code. The
    // step is then not run and no later step is read.
    int stop = 0;
    // With `stop`: write log_error(name, stop) for the step (the table reader
    // failing in a selection or aggregation step).
    bool log_stop = false;
};

// Reads every step of the XML query `path` without running anything; steps
// that look values up in their input table read it as it is now (in a run
// an earlier step may write it first). Reading ends after a step whose
// `stop` is set. 0, 400 when the query file cannot be opened, 999 when
// memory ran out.
int read_xml_query(const std::string& path, std::vector<xml_step>& steps) noexcept;

// Runs the XML query `path`: each step is read, then its function's routine
// runs, and its result written into the step's error file ("<name> ended
// OK " or "Error from <name>: <code>"). A failed step does not stop the
// chain; codes 400, 706..716 and the table reader's codes met while reading
// a step do. At the end a kept result above 700 is also written as
// "Error from check: <code>" into the last step's error file. Returns the
// result of the last step that ran (0 when none ran), the stopping code,
// 400 when the query file cannot be opened, or 999 for an internal fault.
int run_xml_query(const std::string& path) noexcept;

}  // namespace vt::batch
