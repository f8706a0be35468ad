// The batch driver run through the vtbatch program: exit status, the error
// file's one line, and the protection of the input table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include "../platform/temp_dir.h"
#include "batch/driver.h"
#include "core/infile.h"
#include "core/reader.h"

namespace fs = std::filesystem;

namespace {

// The status a shell sees for a result code.
int status_of(int code) { return code & 0xFF; }

std::string ini(const std::string& infile, const std::string& outfile, const std::string& function,
                const std::string& extra = "") {
    std::string t = "[Files]\nInfile=" + infile + "\nOutfile=" + outfile + "\nErrorfile=err.txt\n";
    t += "[Query]\nFunction=" + function + "\n";
    return t + extra;
}

bool exists(const vt::test::temp_dir& dir, const std::string& name) { return fs::exists(dir.file(name)); }

// A small table with a time variable.
const char* const time_table =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"c\";\nUNITS=\"u\";\nHEADING=\"year\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
    "TIMEVAL(\"year\")=TLIST(A1),\"2001\",\"2002\";\nDATA=\n1 2;\n";

std::string population() {
    std::ifstream in(std::string(VT_TEST_DATA) + "/population.vt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(Driver, MissingFilesLeaveNoLine) {
    vt::test::temp_dir dir;
    dir.write("q.ini", "[Files]\nErrorfile=err.txt\nOutfile=o\n[Query]\nFunction=text\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(702));
    EXPECT_FALSE(exists(dir, "err.txt"));
    dir.write("q.ini", "[Files]\nInfile=i\nErrorfile=err.txt\n[Query]\nFunction=text\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(703));
    EXPECT_FALSE(exists(dir, "err.txt"));
    // A query file that is not there reads as empty.
    EXPECT_EQ(vt::test::run_vtbatch(dir, "missing.ini"), status_of(702));
}

// The driver's own codes from 704 on end as the "check" line, holding the
// whole code even where the exit status keeps only its low 8 bits.
TEST(Driver, CheckCodesAreLogged) {
    struct check_case {
        std::string query;
        int code;
    };
    const check_case cases[] = {
        {"[Files]\nInfile=i.vt\nOutfile=o\nErrorfile=err.txt\n", 704},
        {ini("i.vt", "i.VT", "text"), 713},
        {ini("i.vt", "o", "selvalues"), 705},
        {ini("i.vt", "o", "aggvalues", "[Data]\nNoOfVar=0\n"), 705},
        {ini("i.vt", "o", "calcvalues", "Operation=\n"), 706},
        {ini("i.vt", "o", "calcvalues", "Operation=11\n"), 707},
        {ini("i.vt", "o", "calcvalues", "Operation=11\nInclExcl=m\n"), 708},
        {ini("i.vt", "o", "calcvalues", "Operation=12\nInclExcl=u\n"), 711},
        {ini("i.vt", "o", "calcvalues", "Operation=14\nInclExcl=M\nNewvalue=n\nOrder=0\n"), 711},
    };
    for (const check_case& c : cases) {
        SCOPED_TRACE(c.code);
        vt::test::temp_dir dir;
        dir.write("q.ini", c.query);
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(c.code));
        EXPECT_EQ(dir.read("err.txt"), "Error from check: " + std::to_string(c.code));
        EXPECT_FALSE(exists(dir, "o"));
    }
}

TEST(Driver, SuccessLineAndReplacedErrorFile) {
    vt::test::temp_dir dir;
    dir.write("in.vt", population());
    dir.write("err.txt", "old line 1\r\nold line 2\r\n");
    dir.write("q.ini", ini("in.vt", "out.txt", "Text"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "Text ended OK ");  // the name as written, no line end
    EXPECT_FALSE(dir.read("out.txt").empty());

    // A function's own failure is logged under its name.
    dir.write("q.ini", ini("nothere.vt", "out2.txt", "TEXT"));
    const int status = vt::test::run_vtbatch(dir, "q.ini");
    EXPECT_GT(status, 0);
    EXPECT_EQ(dir.read("err.txt"), "Error from TEXT: " + std::to_string(status));

    // The table file re-save is wired too.
    dir.write("q.ini", ini("in.vt", "copy.vt", "vtfile", "[Texts]\nText1=and\n"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "vtfile ended OK ");
    vt::in_file f;
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::read_table_file(dir.file("copy.vt"), f, t), 0);
}

TEST(Driver, WithoutErrorFileNothingIsWritten) {
    vt::test::temp_dir dir;
    dir.write("in.vt", population());
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=out.txt\n[Query]\nFunction=text\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=out.txt\n[Query]\nFunction=selvalues\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(705));
    // Only the input, the query and the report with its side files.
    for (const auto& e : fs::directory_iterator(dir.path())) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "in.vt" || name == "q.ini" || name.starts_with("out")) << name;
    }

    // An error file that cannot be written does not change the result.
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=out.txt\nErrorfile=no/such/dir/e.txt\n[Query]\nFunction=text\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
}

// Unknown names and functions that have no routine yet run nothing.
TEST(Driver, FunctionsThatRunNothing) {
    std::vector<std::string> names = {"nosuch"};
    // One function of the INI form still waiting for its routine, while
    // there is one.
    for (const vt::batch::function_row& e : vt::batch::functions()) {
        const std::string_view name = e.name;
        // The selection functions have checks of their own before they run.
        if (e.run == nullptr && name != "selvalues" && name != "aggvalues" && name != "calcvalues") {
            names.push_back(e.name);
            break;
        }
    }
    for (const std::string& function : names) {
        SCOPED_TRACE(function);
        vt::test::temp_dir dir;
        dir.write("in.vt", population());
        dir.write("q.ini", ini("in.vt", "out.txt", function));
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
        EXPECT_FALSE(exists(dir, "err.txt"));
        EXPECT_FALSE(exists(dir, "out.txt"));
    }
}

TEST(Driver, TimeOptionReadsTheInput) {
    vt::test::temp_dir dir;
    const std::string sel = "[Data]\nNoOfVar=1\n[Var1]\nValue1=1\n";
    // The input cannot be opened: 400 and no line, also for an unknown function.
    for (const char* function : {"selvalues", "unknown"}) {
        dir.write("q.ini", ini("none.vt", "o.vt", function, "TimeOpt=2\n" + sel));
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(400));
        EXPECT_FALSE(exists(dir, "err.txt"));
    }
    // A table the reader rejects: its code, logged under "metain".
    const std::string bad = dir.write("bad.vt", "MATRIX=\"x\";\nDATA=\n1;\n");
    vt::in_file f;
    vt::table t = vt::table_new();
    const int code = vt::read_table_file(bad, f, t);
    ASSERT_NE(code, 0);
    dir.write("q.ini", ini("bad.vt", "o.vt", "selvalues", "TimeOpt=1\n" + sel));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(code));
    EXPECT_EQ(dir.read("err.txt"), "Error from metain: " + std::to_string(code));
    // A good table: the time option picks the last period for the selection.
    dir.write("good.vt", time_table);
    std::filesystem::remove(dir.file("err.txt"));
    dir.write("q.ini", ini("good.vt", "o.vt", "selvalues", "TimeOpt=1\n" + sel));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "selvalues ended OK ");
    const std::string written = dir.read("o.vt");
    EXPECT_NE(written.find("VALUES(\"year\")=\"2002\";"), std::string::npos) << written;
    EXPECT_NE(written.find("DATA=\n2;"), std::string::npos) << written;
}

// An output that would replace its own input ends with 713 and leaves the
// input as it was, however the two names are spelled.
TEST(Driver, OutputNeverOverwritesItsInput) {
    vt::test::temp_dir dir;
    const std::string table = population();
    dir.write("in.vt", table);
    fs::create_directory(dir.file("sub"));
    fs::create_symlink(dir.file("in.vt"), dir.file("link.vt"));
    fs::create_hard_link(dir.file("in.vt"), dir.file("hard.vt"));
    for (const std::string& out : {std::string("IN.VT"), std::string("./in.vt"), std::string("sub/../in.vt"),
                                   std::string("sub\\..\\in.vt"), dir.file("in.vt"), std::string("link.vt"),
                                   std::string("hard.vt")}) {
        SCOPED_TRACE(out);
        std::filesystem::remove(dir.file("err.txt"));
        dir.write("q.ini", ini("in.vt", out, "text"));
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(713));
        EXPECT_EQ(dir.read("err.txt"), "Error from check: 713");
        EXPECT_EQ(dir.read("in.vt"), table);
    }
    // The input named through the link, the output by its own name.
    dir.write("q.ini", ini("link.vt", "in.vt", "vtfile"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(713));
    EXPECT_EQ(dir.read("in.vt"), table);

    // Even the error line would replace the input: 713 and no line at all.
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=o.txt\nErrorfile=./in.vt\n[Query]\nFunction=text\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(713));
    EXPECT_EQ(dir.read("in.vt"), table);
    EXPECT_FALSE(exists(dir, "o.txt"));

    // The query file is an input of the job as well.
    const std::string query = "[Files]\nInfile=in.vt\nOutfile=./q.ini\nErrorfile=err.txt\n[Query]\nFunction=text\n";
    dir.write("q.ini", query);
    std::filesystem::remove(dir.file("err.txt"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(713));
    EXPECT_EQ(dir.read("q.ini"), query);
    EXPECT_EQ(dir.read("err.txt"), "Error from check: 713");
    const std::string query2 = "[Files]\nInfile=in.vt\nOutfile=o.txt\nErrorfile=Q.INI\n[Query]\nFunction=text\n";
    dir.write("q.ini", query2);
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(713));
    EXPECT_EQ(dir.read("q.ini"), query2);
    EXPECT_FALSE(exists(dir, "o.txt"));
}

// A name ending in ".xml" in any case goes to the XML query reader, whose
// result is the exit status; every other name is an INI query.
TEST(Driver, XmlQueriesByName) {
    vt::test::temp_dir dir;
    const std::string text = "[Files]\nInfile=i\nOutfile=o\nErrorfile=err.txt\n";
    dir.write("q.ini", text);
    dir.write("q", text);
    dir.write("q.XML", text);
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), status_of(704));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q"), status_of(704));
    std::filesystem::remove(dir.file("err.txt"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.XML"), status_of(717));  // no step could be read
    EXPECT_FALSE(exists(dir, "err.txt"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "none.xml"), status_of(400));
}

// The routine's result decides the line: 0 or less is success.
TEST(Driver, RoutineResultDecidesTheLine) {
    vt::test::temp_dir dir;
    vt::batch::job j;
    j.errorfile = dir.file("e.txt");
    j.function = "calc";
    EXPECT_EQ(vt::batch::run_routine(j, [](const vt::batch::job&) { return -3; }, "Calc"), -3);
    EXPECT_EQ(dir.read("e.txt"), "Calc ended OK ");
    EXPECT_EQ(vt::batch::run_routine(j, [](const vt::batch::job&) { return 801; }, "Calc"), 801);
    EXPECT_EQ(dir.read("e.txt"), "Error from Calc: 801");
    EXPECT_EQ(vt::batch::run_routine(j, nullptr, "Calc"), 0);
    EXPECT_EQ(dir.read("e.txt"), "Error from Calc: 801");
}
