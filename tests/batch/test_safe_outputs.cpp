// Jobs that fail keep the old output, and query files or inputs that cannot
// be used give a code instead of a silent success or a hang.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/reader.h"
#include "core/table.h"

namespace {

namespace fs = std::filesystem;

std::string sample() { return vt::test::read_file(std::string(VT_TEST_DATA) + "/population.vt"); }

std::string ini(const std::string& function, const std::string& infile, const std::string& outfile,
                const std::string& errorfile = "err.txt", const std::string& extra = "") {
    return "[Files]\nInfile=" + infile + "\nOutfile=" + outfile + "\nErrorfile=" + errorfile +
           "\n[Query]\nFunction=" + function + "\n" + extra;
}

// The sample in keyed form whose first key names no region.
std::string keyed_with_bad_key() {
    std::string t = sample();
    const std::size_t data = t.find("DATA=");
    t.insert(data, "KEYS(\"region\")=VALUES;\nKEYS(\"sex\")=VALUES;\n");
    return t.substr(0, t.find("DATA=")) + "DATA=\n\"Nowhere\",\"men\",1 2 3\n\"North\",\"women\",4 5 6;\n";
}

}  // namespace

// A job that stops halfway leaves the old output as it was.
TEST(SafeOutputs, FailedJobsKeepTheOldOutput) {
    struct row {
        const char* function;
        std::string table, extra;
        int exit_status;
    };
    const row rows[] = {
        {"text", sample(), "[Data]\npagelength=0\n", 7},
        {"vtfile", keyed_with_bad_key(), "", 121},
        {"html1", keyed_with_bad_key(), "", 121},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.function);
        vt::test::temp_dir dir;
        dir.write("in.vt", r.table);
        dir.write("out.txt", "old output\n");
        dir.write("q.ini", ini(r.function, "in.vt", "out.txt", "err.txt", r.extra));
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), r.exit_status);
        EXPECT_EQ(dir.read("out.txt"), "old output\n");
        EXPECT_EQ(dir.read("in.vt"), r.table);
    }
}

// Outputs that are no regular file: a folder is refused and stays, a full
// device reports its write error and stays a device.
TEST(SafeOutputs, OutputsThatAreNoRegularFile) {
    for (const char* function : {"dbase1", "dbase4", "html1", "vtfile", "text", "excel"}) {
        SCOPED_TRACE(function);
        vt::test::temp_dir dir;
        dir.write("in.vt", sample());
        fs::create_directory(dir.file("out.txt"));
        dir.write("q.ini", ini(function, "in.vt", "out.txt"));
        EXPECT_NE(vt::test::run_vtbatch(dir, "q.ini"), 0);
        EXPECT_TRUE(fs::is_directory(dir.file("out.txt")));
        if (fs::is_character_file("/dev/full")) {
            dir.write("q.ini", ini(function, "in.vt", "/dev/full"));
            EXPECT_NE(vt::test::run_vtbatch(dir, "q.ini"), 0);
            EXPECT_TRUE(fs::is_character_file("/dev/full"));
            EXPECT_NE(dir.read("err.txt").find("Error from"), std::string::npos);
        }
    }
}

// A cell written as an empty quoted text is copied whole.
TEST(SafeOutputs, CopyKeepsAnEmptyQuotedCell) {
    vt::test::temp_dir dir;
    std::string t = sample();
    t.replace(t.find("830 \"..\" 845"), 12, "830 \"\" 845");
    dir.write("in.vt", t);
    dir.write("q.ini", ini("vtfile", "in.vt", "out.vt"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_NE(dir.read("out.vt").find("830 \"\" 845"), std::string::npos) << dir.read("out.vt");
}

// The error line must not take the place of the output, in either query form.
TEST(SafeOutputs, ErrorFileEqualToTheOutputIsRefused) {
    vt::test::temp_dir dir;
    dir.write("in.vt", sample());
    dir.write("q.ini", ini("html1", "in.vt", "out.htm", "OUT.htm"));
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 713 % 256);
    dir.write("q.xml",
              "<vtqueries>\n<vtquery step=\"1\">\n<function>html1</function>\n<infile>in.vt</infile>\n"
              "<outfile>out.htm</outfile>\n<errorfile>./out.htm</errorfile>\n</vtquery>\n</vtqueries>\n");
    dir.write("out.htm", "old");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 713 % 256);
}

// XML query files from which no step can be read end with 717.
TEST(SafeOutputs, UnreadableXmlQueries) {
    const std::string good =
        "<vtqueries>\n<vtquery step=\"1\">\n<function>html1</function>\n<infile>in.vt</infile>\n"
        "<outfile>out.htm</outfile>\n<errorfile>err.txt</errorfile>\n</vtquery>\n</vtqueries>\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : good) utf16 += std::string{c, '\0'};
    const std::string cases[] = {
        "", "not xml at all\n", good.substr(0, 30), utf16,
        std::string(good).replace(good.find("uery step"), 1, std::string("\0", 1)),
        "<vtqueries>\n<vtquery step=\"x\">\n<function>html1</function>\n</vtquery>\n</vtqueries>\n",
    };
    for (const std::string& q : cases) {
        SCOPED_TRACE(q);
        vt::test::temp_dir dir;
        dir.write("in.vt", sample());
        dir.write("q.xml", q);
        EXPECT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 717 % 256);
        EXPECT_FALSE(fs::exists(dir.file("out.htm")));
    }
}

// A device or a FIFO named as the input is refused at once, never read
// forever or waited on.
TEST(SafeOutputs, InputsThatAreNoRegularFileAreRefused) {
    vt::test::temp_dir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo.vt").c_str(), 0600), 0);
    struct row {
        const char* function;
        int code;  // the re-save names every input problem 1
    };
    for (const std::string& input : {std::string("/dev/zero"), std::string("fifo.vt")}) {
        for (const row r : {row{"html1", 400}, row{"vtfile", 1}, row{"dbase1", 400}, row{"selvalues", 400}}) {
            SCOPED_TRACE(input + " " + r.function);
            dir.write("q.ini", ini(r.function, input, "out.txt", "err.txt", "[Data]\nNoOfVar=1\n[Var1]\nValue1=1\n"));
            EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), r.code % 256);
        }
    }
}

// Texts cannot smuggle keywords into a table, nor server code into a page.
TEST(SafeOutputs, TextsStayTexts) {
    vt::test::temp_dir dir;
    std::string t = sample();
    t.replace(t.find("TITLE="), std::string("TITLE=").size(), "TITLE=\"<% Response.Write(1) %> \",");
    dir.write("in.vt", t);
    dir.write("q.ini", ini("vtfile", "in.vt", "out.vt", "err.txt", "descript=x\";COPYRIGHT=YES;NOTE=\"y\n"));
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    vt::in_file f;
    vt::table back = vt::table_new();
    ASSERT_EQ(vt::read_table_file(dir.file("out.vt"), f, back), 0);
    EXPECT_EQ(back.description, vt::text_list{"x';COPYRIGHT=YES;NOTE='y"});
    EXPECT_NE(back.copyright, 1);
    EXPECT_TRUE(back.note.empty());

    dir.write("q.ini", ini("asp", "in.vt", "out.asp", "err.txt", "guilang=1\n[Data]\ncompleteinfo=9\n"));
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    const std::string page = dir.read("out.asp");
    EXPECT_NE(page.find("&lt;% Response.Write(1) %&gt;"), std::string::npos) << page;
    EXPECT_EQ(page.find("<% Response"), std::string::npos);
    EXPECT_NE(page.find("<%langIndex = 1%>"), std::string::npos);  // the page's own code stays
}
