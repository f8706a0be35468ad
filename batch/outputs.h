// The files a query would write, found without running it: a runner that
// starts many jobs at once keeps two jobs that write the same file apart.
#pragma once

#include <string>
#include <vector>

namespace vt::batch {

// A file a job writes: its output ("out") or its error file ("error").
struct query_output {
    const char* kind;
    std::string name;
};

// The output and error files the query `query_path` names, as written (a
// relative name is relative to where the job runs), each once, in the
// order met: for an INI query its Outfile and Errorfile, for an XML query
// those of every step (the last error file gets the job's last line). A
// query that cannot be read names what was read before the problem. Never
// throws (out of memory gives what was found).
std::vector<query_output> query_outputs(const std::string& query_path) noexcept;

}  // namespace vt::batch
