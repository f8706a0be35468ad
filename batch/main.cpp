// vtbatch: runs the job a query file describes; the result is the exit
// status (a process passes on only the low 8 bits; the error file keeps the
// whole code).
#include <cstdio>
#include <string>

#include "batch/driver.h"
#include "core/codes.h"

namespace {

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: vtbatch queryfile\n", stderr);
        return vt::codes::batch_usage;
    }
    // Further arguments are ignored.
    return vt::batch::run_query(argv[1]);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (...) {
        std::fputs("vtbatch: internal error\n", stderr);
        return vt::codes::internal_fault;
    }
}
