// vtdump: prints the keyword part of a table file as stable, readable text.
//
//   vtdump [-l xx] [-n] file.vt
//   vtdump --check file.vt
//
// -l xx reads the texts of language xx (KEYWORD[xx]=), -n reads CELLNOTEX
// entries like CELLNOTE entries (the conversion library's way). The output
// is plain ASCII whatever the file holds: strings are printed in double
// quotes with a backslash written as \\ and every byte outside 0x20..0x7E
// as \xHH, so the same table always prints the same bytes and a dump can be
// compared with a stored one. Fields at their "not given" value are left
// out. Exit code: 0 for a clean read, 1 when the reader reported a problem
// (the table is still printed as far as it was read), 2 for a usage error
// or a file that cannot be opened.
//
// --check reads the whole file and prints, instead of the keyword part,
// what the readers tolerate but a publisher wants to know: a reader
// problem, cells that are no numbers or data symbols or not finite, keys
// that name no value, fewer or more cells than the table declares. One
// line per problem, the first 20, then their count. Exit code 0 when the
// file is clean, 1 when it is not, 2 as above.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/codes.h"
#include "core/datacheck.h"
#include "core/describe.h"
#include "core/reader.h"

namespace {

int usage(const char* msg) {
    if (msg) std::fprintf(stderr, "vtdump: %s\n", msg);
    std::fprintf(stderr, "usage: vtdump [-l xx] [-n] file.vt\n       vtdump --check file.vt\n");
    return 2;
}

constexpr std::int64_t shown_problems = 20;

int check(vt::in_file& f, const vt::table& t, int code) {
    std::int64_t problems = 0;
    auto report = [&](const std::string& line) {
        if (++problems <= shown_problems) std::printf("%s\n", line.c_str());
    };
    if (code != 0) report("keywords: the reader stopped with code " + std::to_string(code));
    if (code == 0) vt::check_data_section(t, f, report);
    if (problems > shown_problems) std::printf("%lld problems in all\n", static_cast<long long>(problems));
    return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    std::string language;
    bool batch_rules = true;
    bool check_only = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "-l") == 0) {
            if (i + 1 >= argc) return usage("-l needs a language code");
            language = argv[++i];
            // The reader compares exactly two characters after the "[".
            if (language.size() != 2) return usage("a language code has two characters");
        } else if (std::strcmp(a, "--check") == 0) {
            check_only = true;
        } else if (std::strcmp(a, "-n") == 0) {
            batch_rules = false;
        } else if (a[0] == '-' && a[1] != '\0') {
            return usage((std::string("unknown option ") + a).c_str());
        } else if (!path.empty()) {
            return usage("only one file can be dumped");
        } else {
            path = a;
        }
    }
    if (path.empty()) return usage(nullptr);

    vt::reader_state().selected_language = language;
    vt::reader_state().cellnotex_batch_rules = batch_rules;

    vt::in_file f;
    vt::table t = vt::table_new();
    int code = vt::read_table_file(path, f, t);
    if (code == vt::codes::cannot_open) {
        std::fprintf(stderr, "vtdump: cannot open %s\n", path.c_str());
        return 2;
    }
    if (check_only) {
        const int rc = check(f, t, code);
        std::fflush(stdout);
        return std::ferror(stdout) ? 2 : rc;
    }
    std::printf("code: %d\n", code);
    vt::describe_table(stdout, t);
    std::fflush(stdout);
    if (std::ferror(stdout)) {
        std::fprintf(stderr, "vtdump: write error\n");
        return 2;
    }
    return code == 0 ? 0 : 1;
}
