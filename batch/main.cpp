// vtbatch: runs the job a query file describes; the result is the exit
// status (a process passes on only the low 8 bits; the error file keeps the
// whole code).
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "batch/driver.h"
#include "batch/functions.h"
#include "batch/outputs.h"
#include "core/codes.h"

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "0"
#endif

namespace {

constexpr const char* usage_line =
    "usage: vtbatch QUERYFILE          run the job of an INI or XML (*.xml) query file\n"
    "       vtbatch --outputs QUERY... list the files each query would write\n"
    "                                  (QUERY<TAB>out|error<TAB>file, nothing is run)\n"
    "       vtbatch --help | --version\n";

void print_help() {
    std::fputs(usage_line, stdout);
    std::fputs("\nThe exit status is the job's result modulo 256: 0 (or a negative code) for success,\n"
               "701 (status 189) without a query file or for an unknown option, 702..716 the\n"
               "driver's checks, 400 a file that cannot be opened, other codes the function's own.\n"
               "Every code is documented in README.md (sections \"Exit codes\" and the code table\n"
               "of each function family); the error file keeps the whole code.\n\n"
               "Functions (INI name, XML step names, state):\n",
               stdout);
    for (const vt::batch::function_row& f : vt::batch::functions()) {
        const std::string xml = f.xml == vt::batch::xml_kind::none ? "-" : f.xml_names;
        std::printf("  %-16s %-22s %s\n", f.name, xml.c_str(), f.run ? "available" : "n/a");
    }
}

int list_outputs(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        for (const vt::batch::query_output& out : vt::batch::query_outputs(argv[i]))
            std::printf("%s\t%s\t%s\n", argv[i], out.kind, out.name.c_str());
    return std::fflush(stdout) == 0 ? 0 : vt::codes::cannot_open;
}

bool names_a_file(const char* path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(usage_line, stderr);
        return vt::codes::batch_usage;
    }
    const std::string_view arg = argv[1];
    // A query file is run as always, whatever its name; only an argument
    // that names no file can be an option.
    if (arg.size() > 1 && arg[0] == '-' && !names_a_file(argv[1])) {
        if (arg == "--help" || arg == "-h") {
            print_help();
            return 0;
        }
        if (arg == "--version") {
            std::puts("vtbatch " VELTRA_VERSION);
            return 0;
        }
        if (arg == "--outputs") return list_outputs(argc, argv);
        std::fprintf(stderr, "vtbatch: unknown option %s\n%s", argv[1], usage_line);
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
