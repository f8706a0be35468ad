// The vtbatch program's argument check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "../platform/temp_dir.h"

namespace {
// Runs vtbatch with the arguments; the exit status and what it wrote to stderr.
int run(const std::string& args, std::string& err, const vt::test::temp_dir& dir) {
    const std::string errfile = dir.file("stderr.txt");
    const std::string cmd = std::string("'") + VT_VTBATCH + "' " + args + " 2>'" + errfile + "' >/dev/null";
    const int status = std::system(cmd.c_str());
    err = dir.read("stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

TEST(Vtbatch, NeedsAQueryFile) {
    vt::test::temp_dir dir;
    std::string err;
    // 701 is the usage code; a process passes on only its low 8 bits.
    EXPECT_EQ(run("", err, dir), 701 & 0xFF);
    EXPECT_EQ(err.rfind("usage: vtbatch QUERYFILE ", 0), 0u) << err;
    // Further arguments are ignored; a query file that is not there has no
    // Infile (702).
    EXPECT_EQ(run("'" + dir.file("a.q") + "' b.q", err, dir), 702 & 0xFF);
    EXPECT_EQ(run("'" + dir.file("query.q") + "'", err, dir), 702 & 0xFF);
    EXPECT_EQ(err, "");
}
