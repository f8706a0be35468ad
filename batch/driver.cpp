// The batch driver: runs one query file and reports the outcome in the
// error file and the result.
#include "batch/driver.h"

#include <cstdio>

#include "batch/ini_query.h"
#include "batch/xml_query.h"
#include "core/codes.h"
#include "platform/fsinfo.h"
#include "platform/staged.h"
#include "platform/text.h"

namespace vt::batch {

namespace {

// The name under which a table reader failure of the time option is logged.
constexpr const char* reader_log_name = "metain";
// The name under which the driver's own codes are logged.
constexpr const char* check_log_name = "check";

void write_line(const std::string& errorfile, const std::string& line) {
    if (errorfile.empty()) return;
    plat::replace_file(errorfile, line);
}

// The driver's own codes begin with the usage code; a result from there
// up, a function's own included, is reported as the driver's.
bool is_check_code(int result) { return result >= codes::batch_usage; }

bool ends_with_xml(const std::string& path) {
    return plat::ends_with_nocase(path, ".xml");
}

// The job's outcome once it is read and (perhaps) run.
int finish(const job& j, int result) {
    log_check(j.errorfile, result);
    return result;
}

}  // namespace

void log_error(const std::string& errorfile, const std::string& name, int code) {
    write_line(errorfile, "Error from " + name + ": " + std::to_string(code));
}

void log_ok(const std::string& errorfile, const std::string& name) { write_line(errorfile, name + " ended OK "); }

void log_check(const std::string& errorfile, int result) {
    if (is_check_code(result)) log_error(errorfile, check_log_name, result);
}

int run_routine(const job& j, routine r, const std::string& name) {
    if (!r) return 0;
    const int result = r(j);
    if (result <= 0)
        log_ok(j.errorfile, name);
    else
        log_error(j.errorfile, name, result);
    return result;
}

int run_job(const job& j, const std::string& name) { return run_routine(j, find_routine(j.function), name); }

int run_job(const job& j) { return run_job(j, j.function); }

int run_ini_query(const std::string& path) noexcept {
    job j;
    try {
        const int rc = read_ini_job(path, j);
        if (rc == codes::cannot_open) return rc;  // the input table cannot be opened: no line
        if (is_check_code(rc)) return finish(j, rc);
        if (rc != 0) {
            log_error(j.errorfile, reader_log_name, rc);
            return rc;
        }
        if (!j.complete) return 0;
        return finish(j, run_job(j));
    } catch (...) {
        // Nothing reaches the caller; the error file still tells the story.
        try {
            log_error(j.errorfile, check_log_name, codes::internal_fault);
        } catch (...) {
        }
        return codes::internal_fault;
    }
}

int run_query(const std::string& query_path) noexcept {
    if (ends_with_xml(query_path)) {
        try {
            return run_xml_query(query_path);
        } catch (...) {
            return codes::internal_fault;
        }
    }
    return run_ini_query(query_path);
}

}  // namespace vt::batch
