// The batch driver: runs one query file and reports the outcome in the
// error file and the result.
#pragma once

#include <string>

#include "batch/job.h"
#include "batch/functions.h"

namespace vt::batch {

// Runs the query file `query_path`: an XML query when the name ends in
// ".xml" (any case), else an INI query. Returns the result: the function's
// own, or one of the driver's codes (codes::batch_*), 400 or a table reader
// code. Every write
// of the error file replaces it with one line; a result above 700 ends as
// the line "Error from check: <code>". Never throws.
int run_query(const std::string& query_path) noexcept;

// The INI query alone (what run_query does for a non-XML name).
int run_ini_query(const std::string& path) noexcept;

// Runs the job's routine and writes its outcome under `name` into
// j.errorfile (when one is named): "<name> ended OK " for a result of 0 or
// less, else "Error from <name>: <result>". A function without a routine
// runs nothing, writes nothing and gives 0. Returns the routine's result.
int run_job(const job& j, const std::string& name);
// The same under the function name as written in the query.
int run_job(const job& j);
// The same with a given routine (nullptr runs nothing).
int run_routine(const job& j, routine r, const std::string& name);

// The error file: each call replaces the file with one line without a
// line end. A file that cannot be written is passed over silently, and an
// empty name writes nothing.
void log_error(const std::string& errorfile, const std::string& name, int code);
void log_ok(const std::string& errorfile, const std::string& name);
// For a result the driver reports as its own (701 and above) the line
// "Error from check: <code>", whatever line the function wrote before;
// nothing for other results.
void log_check(const std::string& errorfile, int result);

}  // namespace vt::batch
