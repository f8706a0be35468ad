// Tests of the tab-separated exports: whole relational, graph and matrix
// files of small tables compared byte for byte, the symbols, the tie rule
// and markers, the result codes, and the same exports through the libraries
// and a vtbatch job.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/reader.h"
#include "export/delimited.h"
#include "platform/datablock.h"

namespace {

namespace fs = std::filesystem;

const std::string all_symbols = ".;..;...;....;.....;......;.......;-";

std::string head(const std::string& extra = "") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
           "CONTENTS=\"Population\";\nUNITS=\"u\";\nDECIMALS=0;\n" +
           extra;
}

// Stub region (2) and sex (2), heading year (2).
// `extra` follows the values, so it may refer to them.
std::string two_stubs(const std::string& extra = "") {
    return head() +
           "STUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=\"north\",\"south\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
           "VALUES(\"year\")=\"2001\",\"2002\";\n" +
           extra + "DATA=\n1 2 3 4 \n5 6 7 8;\n";
}

// Stub region (2), heading year (2) and sex (2).
std::string two_headings(const std::string& extra = "") {
    return head(extra) +
           "STUB=\"region\";\nHEADING=\"year\",\"sex\";\n"
           "VALUES(\"region\")=\"north\",\"south\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
           "VALUES(\"sex\")=\"men\",\"women\";\nDATA=\n1 2 3 4 \n5 6 7 8;\n";
}

class Delimited : public ::testing::Test {
protected:
    void SetUp() override { vt::reader_state().selected_language = ""; }
    void TearDown() override { vt::plat::refuse_data_blocks(false); }

    std::string in() const { return dir.file("t.vt"); }

    // Writes the table and runs RelTable (or utgraph when out_name ends in
    // gra, txt or mtx, or `graph` is set); the output, "" when rc_ != 0.
    std::string rel(const std::string& table, const std::string& symbols = all_symbols, int rounding = 0,
                    int note_place = 0, const std::string& decimal_point = ".") {
        dir.write("t.vt", table);
        rc_ = vt::RelTable(in(), dir.file("out.txt"), decimal_point, "", 0, symbols, rounding, note_place);
        return rc_ == 0 ? dir.read("out.txt") : std::string();
    }
    std::string graph(const std::string& table, const std::string& out_name, int iteration = 1,
                      const std::string& delimiter = "'") {
        dir.write("t.vt", table);
        rc_ = vt::utgraph(in(), dir.file(out_name), ".", delimiter, iteration, all_symbols, 0, 0);
        return rc_ == 0 ? dir.read(out_name) : std::string();
    }

    vt::test::temp_dir dir;
    int rc_ = -1;
};

using RelTable = Delimited;
using Graph = Delimited;

// ---------------------------------------------------------------------------
// Relational table.

TEST_F(RelTable, OneStubOneHeading) {
    const std::string table = head() +
                              "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\",\"east\";\n"
                              "VALUES(\"year\")=\"2020\",\"2021\";\nDATA=1 22 333 4444 5 66;\n";
    EXPECT_EQ(rel(table),
              "region\t2020\t2021\t\r\n"
              "north\t1\t22\r\n"
              "south\t333\t4444\r\n"
              "east\t5\t66\r\n");
    EXPECT_EQ(rc_, 0);
}

TEST_F(RelTable, TwoStubVariablesAndCodeColumns) {
    EXPECT_EQ(rel(two_stubs()),
              "region\tsex\t2001\t2002\t\r\n"
              "north\tmen\t1\t2\r\n"
              "north\twomen\t3\t4\r\n"
              "south\tmen\t5\t6\r\n"
              "south\twomen\t7\t8\r\n");

    // A DOUBLECOLUMN variable gets a code column, code first as its values
    // are presented by text.
    const std::string coded = two_stubs("CODES(\"region\")=\"01\",\"02\";\nDOUBLECOLUMN(\"region\")=YES;\n");
    EXPECT_EQ(rel(coded),
              "Code region\tregion\tsex\t2001\t2002\t\r\n"
              "01\tnorth\tmen\t1\t2\r\n"
              "01\tnorth\twomen\t3\t4\r\n"
              "02\tsouth\tmen\t5\t6\r\n"
              "02\tsouth\twomen\t7\t8\r\n");
    // Presented by code (PRESTEXT 0), the text field comes first.
    const std::string swapped = two_stubs("CODES(\"region\")=\"01\",\"02\";\nDOUBLECOLUMN(\"region\")=YES;\n"
                                          "PRESTEXT(\"region\")=0;\n");
    EXPECT_NE(rel(swapped).find("\r\nnorth\t01\tmen\t1\t2\r\n"), std::string::npos);
}

TEST_F(RelTable, NamesOnlyTheFirstHeadingVariable) {
    EXPECT_EQ(rel(two_headings()),
              "region\t2001\t2002\t\r\n"
              "north\t1\t2\t3\t4\r\n"
              "south\t5\t6\t7\t8\r\n");
}

TEST_F(RelTable, WithoutStubOrHeading) {
    const std::string no_stub = head() + "HEADING=\"year\";\nVALUES(\"year\")=\"2001\",\"2002\";\nDATA=1 2;\n";
    EXPECT_EQ(rel(no_stub), "2001\t2002\t\r\nPopulation\t1\t2\r\n");
    const std::string no_heading = head() + "STUB=\"region\";\nVALUES(\"region\")=\"north\",\"south\";\nDATA=1 2;\n";
    EXPECT_EQ(rel(no_heading), "region\tPopulation\t\r\nnorth\t1\r\nsouth\t2\r\n");
}

std::string symbol_table(const std::string& extra = "") {
    return head(extra) +
           "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\n"
           "VALUES(\"h\")=\"1\",\"2\",\"3\",\"4\",\"5\";\nDATA=\".\" \"..\" \".......\" \"-\" 0;\n";
}

TEST_F(RelTable, SymbolTexts) {
    EXPECT_EQ(rel(symbol_table()), "r\t1\t2\t3\t4\t5\t\r\na\t.\t..\t.......\t-\t0\r\n");
    // The table's own text wins; the caller's list fills the rest, "0"
    // where it has no field.
    EXPECT_EQ(rel(symbol_table("DATASYMBOL2=\"n.a.\";\n"), "x;y;z"),
              "r\t1\t2\t3\t4\t5\t\r\na\tx\tn.a.\t0\t0\t0\r\n");
}

TEST_F(RelTable, TiesDecimalCommaAndTableRounding) {
    const std::string ties = head("SHOWDECIMALS=1;\n") +
                             "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\",\"z\";\n"
                             "DATA=2.25 -2.25 2.35;\n";
    const std::string stored2 = ties.substr(0, ties.find("DECIMALS=0")) + "DECIMALS=2;" +
                                ties.substr(ties.find("DECIMALS=0") + 10);
    EXPECT_EQ(rel(stored2), "r\tx\ty\tz\t\r\na\t2.2\t-2.2\t2.4\r\n");
    EXPECT_EQ(rel(stored2, all_symbols, 1), "r\tx\ty\tz\t\r\na\t2.3\t-2.3\t2.4\r\n");
    EXPECT_EQ(rel(stored2, all_symbols, 1, 0, ","), "r\tx\ty\tz\t\r\na\t2,3\t-2,3\t2,4\r\n");
    const std::string table_even = stored2.substr(0, stored2.find("STUB")) + "ROUNDING=0;\n" +
                                   stored2.substr(stored2.find("STUB"));
    EXPECT_EQ(rel(table_even, all_symbols, 1), "r\tx\ty\tz\t\r\na\t2.2\t-2.2\t2.4\r\n");
}

TEST_F(RelTable, DataNoteMarkers) {
    const std::string table = two_stubs("DATANOTECELL(\"north\",\"women\",\"2002\")=\"*\";\n");
    const std::string after = rel(table);
    EXPECT_NE(after.find("\r\nnorth\twomen\t3\t4*\r\nsouth"), std::string::npos) << after;
    EXPECT_TRUE(fs::exists(dir.file("outnotes.txt")));
    const std::string before = rel(table, all_symbols, 0, 1);
    EXPECT_NE(before.find("\r\nnorth\twomen\t3\t*4\r\nsouth"), std::string::npos) << before;
    EXPECT_EQ(before.find("*5"), std::string::npos);
}

TEST_F(RelTable, ResultCodes) {
    // A name starting with "*" names no input.
    EXPECT_EQ(vt::RelTable("*", dir.file("out.txt"), ".", "", 0, all_symbols, 0, 0), 0);
    EXPECT_FALSE(fs::exists(dir.file("out.txt")));
    EXPECT_EQ(vt::RelTable(dir.file("missing.vt"), dir.file("out.txt"), ".", "", 0, all_symbols, 0, 0),
              400);

    // No CONTENTS: the reader's code, and nothing written.
    std::string bad = two_stubs();
    bad.erase(bad.find("CONTENTS="), std::string("CONTENTS=\"Population\";\n").size());
    dir.write("t.vt", bad);
    vt::in_file f;
    vt::table t = vt::table_new();
    const int reader_rc = vt::read_table_file(in(), f, t);
    ASSERT_NE(reader_rc, 0);
    rel(bad);
    EXPECT_EQ(rc_, reader_rc);
    EXPECT_FALSE(fs::exists(dir.file("out.txt")));

    // Without memory for the cells nothing is written, and that is no success.
    vt::plat::refuse_data_blocks(true);
    rel(two_stubs());
    EXPECT_EQ(rc_, 201);
    EXPECT_FALSE(fs::exists(dir.file("out.txt")));
    vt::plat::refuse_data_blocks(false);

    dir.write("t.vt", two_stubs());
    EXPECT_EQ(vt::RelTable(in(), dir.file("no/such/dir.txt"), ".", "", 0, all_symbols, 0, 0),
              400);

    // The cells are in memory before the output is created.
    const std::string expected = rel(two_stubs());
    EXPECT_EQ(vt::RelTable(in(), in(), ".", "", 0, all_symbols, 0, 0), 0);
    EXPECT_EQ(dir.read("t.vt"), expected);
}

// ---------------------------------------------------------------------------
// Graph data and matrix files.

TEST_F(Graph, WholeGraphFile) {
    const std::string table = two_stubs("DATANOTECELL(\"north\",\"men\",\"2001\")=\"*\";\n");
    const std::string symbols = table.substr(0, table.find("DATA=")) + "DATA=1 \"..\" \"-\" 4 5 6 7 8;\n";
    EXPECT_EQ(graph(symbols, "out.gra"),
              "\t2001\t2002\r\n"
              "north#men\t1\t0\r\n"
              "north#women\t0\t4\r\n"
              "south#men\t5\t6\r\n"
              "south#women\t7\t8\r\n");
    EXPECT_EQ(graph(two_headings(), "out.GRA"),
              "\t2001, men\t2001, women\t2002, men\t2002, women\r\n"
              "north\t1\t2\t3\t4\r\n"
              "south\t5\t6\t7\t8\r\n");
}

TEST_F(Graph, WithoutRepeatOuterLabelsStayEmpty) {
    EXPECT_EQ(graph(two_stubs(), "out.gra", 0),
              "\t2001\t2002\r\n"
              "north#men\t1\t2\r\n"
              "#women\t3\t4\r\n"
              "south#men\t5\t6\r\n"
              "#women\t7\t8\r\n");
}

TEST_F(Graph, MatrixFileHeadingLabels) {
    EXPECT_EQ(graph(two_headings(), "out.mtx"),
              "region\t'\xA0" "2001'\t\t'\xA0" "2002'\t\r\n"
              "\t'\xA0men'\t'\xA0women'\t'\xA0men'\t'\xA0women'\r\n"
              "north\t1\t2\t3\t4\r\n"
              "south\t5\t6\t7\t8\r\n");
    // A code column takes one more TAB in the header; without repeat the
    // outer labels stay on the first row of their block.
    const std::string coded = two_stubs("CODES(\"region\")=\"01\",\"02\";\nDOUBLECOLUMN(\"region\")=YES;\n");
    EXPECT_EQ(graph(coded, "out.txt", 0, ""),
              "region\t\tsex\t\xA0" "2001\t\xA0" "2002\r\n"
              "01\tnorth\tmen\t1\t2\r\n"
              "\twomen\t3\t4\r\n"
              "02\tsouth\tmen\t5\t6\r\n"
              "\twomen\t7\t8\r\n");
}

TEST_F(Graph, RefusesOtherEndings) {
    dir.write("t.vt", two_stubs());
    for (const char* name : {"out.csv", "out.tx", "out.gr"}) {
        EXPECT_EQ(vt::utgraph(in(), dir.file(name), ".", "", 1, all_symbols, 0, 0), 400)
            << name;
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
    }
    EXPECT_EQ(vt::utgraph(in(), dir.file("outgra"), ".", "", 1, all_symbols, 0, 0), 0);
}

// ---------------------------------------------------------------------------
// Through the libraries and vtbatch.

using delimited_fn = int (*)(const char*, const char*, const char*, const char*, int, const char*, int, int);

TEST_F(Graph, ThroughBothLibraries) {
    dir.write("t.vt", two_stubs());
    for (const char* lib_path : {VT_LIBVTCONV, VT_LIBVTOPS}) {
        void* lib = dlopen(lib_path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << dlerror();
        auto ut = reinterpret_cast<delimited_fn>(dlsym(lib, "utgraph"));
        ASSERT_NE(ut, nullptr) << lib_path;
        EXPECT_EQ(ut(in().c_str(), dir.file("g.gra").c_str(), ".", nullptr, 1, nullptr, 0, 0), 0);
        EXPECT_EQ(dir.read("g.gra"), "\t2001\t2002\r\nnorth#men\t1\t2\r\nnorth#women\t3\t4\r\n"
                                     "south#men\t5\t6\r\nsouth#women\t7\t8\r\n");
        EXPECT_EQ(ut(in().c_str(), dir.file("g.csv").c_str(), ".", "", 1, "", 0, 0), 400);
        EXPECT_EQ(ut(nullptr, dir.file("g.gra").c_str(), ".", "", 1, "", 0, 0), 400);
        dlclose(lib);
    }
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto rt = reinterpret_cast<delimited_fn>(dlsym(lib, "RelTable"));
    ASSERT_NE(rt, nullptr);
    EXPECT_EQ(rt(in().c_str(), dir.file("r.txt").c_str(), ",", "", 0, nullptr, 0, 0), 0);
    EXPECT_EQ(dir.read("r.txt").substr(0, 24), "region\tsex\t2001\t2002\t\r\nn");
    EXPECT_EQ(rt(dir.file("missing.vt").c_str(), dir.file("r.txt").c_str(), ".", "", 0, "", 0, 0), 400);
    dlclose(lib);
}

TEST_F(RelTable, BatchJob) {
    dir.write("t.vt", two_stubs("DATANOTECELL(\"south\",\"men\",\"2002\")=\"#\";\n"));
    dir.write("job.ini",
              "[Files]\nInfile=t.vt\nOutfile=rel.txt\nErrorfile=err.txt\n[Query]\nFunction=RelTable\n"
              "[Data]\ndatanoteoptplace=1\n");
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + VT_VTBATCH + "' job.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.read("err.txt"), "RelTable ended OK ");
    EXPECT_EQ(dir.read("rel.txt"),
              "region\tsex\t2001\t2002\t\r\n"
              "north\tmen\t1\t2\r\n"
              "north\twomen\t3\t4\r\n"
              "south\tmen\t5\t#6\r\n"
              "south\twomen\t7\t8\r\n");
}

}  // namespace
