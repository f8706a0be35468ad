// Runs the vtdump program on table files and checks what it prints and its exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "../platform/temp_dir.h"

namespace {

struct dump_result {
    int exit_code = -1;
    std::string out;
};

dump_result run_vtdump(const std::string& args) {
    std::string cmd = std::string("'") + VT_VTDUMP + "' " + args + " 2>/dev/null";
    dump_result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = pclose(p);
    if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
    return r;
}

std::string sample(const char* name) { return std::string("'") + VT_TEST_DATA + "/" + name + "'"; }

// Writes a table file into the test's own folder; returns its quoted path.
std::string write_table(const vt::test::temp_dir& dir, const char* name, const std::string& bytes) {
    return "'" + dir.write(name, bytes) + "'";
}

// The mandatory keywords of a one-variable table, ahead of whatever a test adds.
const std::string head =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T1\";\nSUBJECT-AREA=\"A\";\nSUBJECT-CODE=\"A\";\n"
    "TITLE=\"t\";\nCONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=\"v\";\nVALUES(\"v\")=\"x\",\"y\";\n";

bool has_line(const std::string& out, const std::string& line) {
    return out.find("\n" + line + "\n") != std::string::npos || out.rfind(line + "\n", 0) == 0;
}

TEST(Vtdump, PrintsSampleTable) {
    dump_result r = run_vtdump(sample("population.vt"));
    ASSERT_EQ(r.exit_code, 0) << r.out;
    EXPECT_EQ(r.out.rfind("code: 0\n", 0), 0u) << "the code comes first";
    EXPECT_TRUE(has_line(r.out, "matrix: \"BE0101A1\"")) << r.out;
    EXPECT_TRUE(has_line(r.out, "title:\n  \"Population by region, sex \"\n  \"and year\"")) << r.out;
    EXPECT_TRUE(has_line(r.out, "variable 1: \"region\" (stub)")) << r.out;
    EXPECT_TRUE(has_line(r.out, "    value 1: \"North\" code=\"01\" precision=1")) << r.out;
    EXPECT_TRUE(has_line(r.out, "    value 3: \"East\" code=\"03\" has_datanote=1\n"
                                "      valuenote:\n        \"East includes the islands.\""))
        << r.out;
    EXPECT_TRUE(has_line(r.out, "variable 3: \"year\" (heading)")) << r.out;
    EXPECT_TRUE(has_line(r.out, "cellnote 1: \"North\", *, \"2005\" = \"Revised figure.\"")) << r.out;
    // DATANOTECELL names values by code where they have one; the dump shows their texts.
    EXPECT_TRUE(has_line(r.out, "datanotecell 1: \"East\", \"men\", \"2005\" = \"*\"")) << r.out;
    EXPECT_TRUE(has_line(r.out, "timeval 3: \"A1\" \"2005\"")) << r.out;
    EXPECT_TRUE(has_line(r.out, "strides: 9 3 1\ncells: 27")) << r.out;
}

TEST(Vtdump, ExitCodes) {
    EXPECT_EQ(run_vtdump("").exit_code, 2);
    EXPECT_EQ(run_vtdump("-l eng " + sample("population.vt")).exit_code, 2);
    EXPECT_EQ(run_vtdump("-x " + sample("population.vt")).exit_code, 2);

    dump_result missing = run_vtdump(sample("no-such-table.vt"));
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_EQ(missing.out, "");

    // A reader problem still prints the table as far as it was read.
    vt::test::temp_dir dir;
    dump_result no_data = run_vtdump(write_table(dir, "nodata.vt", head));
    EXPECT_EQ(no_data.exit_code, 1);
    EXPECT_EQ(no_data.out.rfind("code: 180\n", 0), 0u) << no_data.out;
    EXPECT_TRUE(has_line(no_data.out, "matrix: \"T1\"")) << no_data.out;
}

TEST(Vtdump, OutputIsAsciiWhateverTheBytes) {
    std::string file = head + "DESCRIPTION=\"caf\xE9 \\ \x01\";\nDATA=\n1 2\n";
    vt::test::temp_dir dir;
    dump_result r = run_vtdump(write_table(dir, "bytes.vt", file));
    ASSERT_EQ(r.exit_code, 0) << r.out;
    EXPECT_TRUE(has_line(r.out, "description:\n  \"caf\\xE9 \\\\ \\x01\"")) << r.out;
    for (unsigned char c : r.out) ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
}

TEST(Vtdump, LanguageOption) {
    std::string file =
        "CHARSET=\"ANSI\";\nLANGUAGE=\"en\";\nDECIMALS=0;\nMATRIX=\"T1\";\nSUBJECT-CODE=\"A\";\n"
        "SUBJECT-AREA=\"Area\";\nSUBJECT-AREA[sv]=\"Omr\xE5" "de\";\n"
        "TITLE=\"Title\";\nTITLE[sv]=\"Titel\";\nCONTENTS=\"c\";\nCONTENTS[sv]=\"k\";\n"
        "UNITS=\"u\";\nUNITS[sv]=\"e\";\nSTUB=\"v\";\nSTUB[sv]=\"w\";\n"
        "VALUES(\"v\")=\"x\";\nVALUES[sv](\"w\")=\"z\";\nDATA=\n1\n";
    vt::test::temp_dir dir;
    std::string path = write_table(dir, "lang.vt", file);

    dump_result plain = run_vtdump(path);
    EXPECT_EQ(plain.exit_code, 0) << plain.out;
    EXPECT_TRUE(has_line(plain.out, "title:\n  \"Title\"")) << plain.out;
    EXPECT_TRUE(has_line(plain.out, "variable 1: \"v\" (stub)")) << plain.out;

    dump_result sv = run_vtdump("-l sv " + path);
    EXPECT_EQ(sv.exit_code, 0) << sv.out;
    EXPECT_TRUE(has_line(sv.out, "subject_area: \"Omr\\xE5de\"")) << sv.out;
    EXPECT_TRUE(has_line(sv.out, "title:\n  \"Titel\"")) << sv.out;
    EXPECT_TRUE(has_line(sv.out, "variable 1: \"w\" (stub)")) << sv.out;
    EXPECT_TRUE(has_line(sv.out, "language: \"sv\"")) << sv.out;
}

}  // namespace

// --check: each data section against the whole report it gives.
TEST(Vtdump, CheckReportsWhatTheReadersTolerate) {
    const std::string two_stub = "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T1\";\nSUBJECT-AREA=\"A\";\nSUBJECT-CODE=\"A\";\n"
                                 "TITLE=\"t\";\nCONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=\"v\";\nHEADING=\"h\";\n"
                                 "VALUES(\"v\")=\"x\",\"y\";\nVALUES(\"h\")=\"1\",\"2\";\n";
    struct row {
        std::string table, expected;
        int exit_code;
    };
    const row rows[] = {
        {head + "DATA=\n1 \"..\";\n", "", 0},
        {head + "DATA=\n1 2 3;\n", "data: 3 cells where the table has 2 (the surplus cells are dropped)\n", 1},
        {head + "DATA=\n1\n", "data: 1 cells where the table has 2 (the missing cells read as 0)\n", 1},
        {head + "DATA=\nabc 1.2.3;\n",
         "cell 1: \"abc\" is no number and no data symbol\ncell 2: \"1.2.3\" is no number and no data symbol\n", 1},
        {head + "DATA=\n0x1F \"x\";\n",
         "cell 1: \"0x1F\" is no number and no data symbol\ncell 2: \"\\\"x\\\"\" is no number and no data symbol\n", 1},
        {head + "DATA=\nnan 1e400;\n", "cell 1: \"nan\" is not a finite number\ncell 2: \"1e400\" is not a finite number\n", 1},
        {two_stub + "KEYS(\"v\")=VALUES;\nDATA=\n\"x\",1 2 \n\"z\",3 4 \n\"y\",5;\n",
         "row 2: key \"\\\"z\\\"\" names no value of \"v\"\nrow 3: 1 cells where the table has 2\n", 1},
        {head + "DATA=\n" + std::string(25, 'a') + " b c d e f g h i j k l m n o p q r s t u v w;\n", "", 1},
    };
    vt::test::temp_dir dir;
    for (const row& r : rows) {
        SCOPED_TRACE(r.table);
        const dump_result d = run_vtdump("--check " + write_table(dir, "t.vt", r.table));
        EXPECT_EQ(d.exit_code, r.exit_code);
        if (!r.expected.empty()) {
            EXPECT_EQ(d.out, r.expected);
        }
    }
    // Past 20 problems only their count follows.
    const dump_result many = run_vtdump("--check " + write_table(dir, "t.vt", rows[7].table));
    EXPECT_EQ(std::count(many.out.begin(), many.out.end(), '\n'), 21);
    EXPECT_NE(many.out.find("24 problems in all\n"), std::string::npos) << many.out;
    EXPECT_EQ(run_vtdump("--check " + sample("population.vt")).out, "");
}
