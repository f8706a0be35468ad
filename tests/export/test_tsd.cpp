// Tests of the TSD series export: whole files of small tables (generated
// names, names from a series-name file, quarterly and yearly scales), the
// refusals, and the library export.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "export/tsd.h"

namespace {

namespace fs = std::filesystem;

// One stub variable (sex) and five years.
std::string population(const std::string& sexes = "\"men\",\"women\"", const std::string& codes = "",
                       const std::string& data = "1 2 3 4 5 \n-6 7 8 9 10;") {
    return "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"POP\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
           "TITLE=\"Population\";\nCONTENTS=\"Population\";\nUNITS=\"persons\";\n"
           "SOURCE=\"Census office of the realm\";\nSTUB=\"sex\";\nHEADING=\"year\";\nVALUES(\"sex\")=" + sexes +
           ";\n" + codes + "VALUES(\"year\")=\"2000\",\"2001\",\"2002\",\"2003\",\"2004\";\n"
           "TIMEVAL(\"year\")=TLIST(A1),\"2000\",\"2001\",\"2002\",\"2003\",\"2004\";\nDATA=\n" + data + "\n";
}

const std::string second_line = std::string(16, ' ') + "Census office of" + std::string(12, ' ') + "200001  200401  A0\r\n";

}  // namespace

TEST(Tsd, GeneratedNamesOneSeriesPerStubValue) {
    vt::test::temp_dir dir;
    ASSERT_EQ(vt::arekonv(dir.write("in.vt", population()), dir.file("out.tsd"), 0, "", 0), 0);
    EXPECT_EQ(dir.read("out.tsd"),
              "POP1            Population sex=men \r\n" + second_line +
                  "   1.000000e+00   2.000000e+00   3.000000e+00   4.000000e+00   5.000000e+00\r\n"
                  "POP2            Population sex=women \r\n" + second_line +
                  "  -6.000000e+00   7.000000e+00   8.000000e+00   9.000000e+00   1.000000e+01\r\n");
}

// Eight quarters without stub variables: five values on the first line,
// three on the second, each after three blanks.
TEST(Tsd, QuarterlyTableWithoutStub) {
    vt::test::temp_dir dir;
    const std::string in = dir.write("q.vt", vt::test::read_file(std::string(VT_TEST_DATA) + "/quarterly.vt"));
    ASSERT_EQ(vt::arekonv(in, dir.file("out.tsd"), 0, "x", 0), 0);
    EXPECT_EQ(dir.read("out.tsd"),
              "NR01031         GDP\r\n" + std::string(44, ' ') + "200401  200504  Q0\r\n"
              "   1.000000e+02   1.010000e+02   1.020000e+02   1.030000e+02   1.040000e+02\r\n"
              "   1.050000e+02   1.060000e+02   1.070000e+02\r\n");
}

// The series-name file beside the input names the first and the third of
// three series. Without keep_unnamed the second is left out, its cells
// still consumed, so the third keeps its own values; with it the second
// gets the generated name of its place.
TEST(Tsd, SeriesNamesFromTheFileBesideTheInput) {
    const std::string table = population("\"men\",\"women\",\"total\"", "CODES(\"sex\")=\"M\",\"W\",\"T\";\n",
                                         "1 2 3 4 5 \n6 7 8 9 10 \n11 12 13 14 15;");
    const std::string names =
        "[series1]\nvtfile=IN.VT\nTSDSelection=SEX=M,\nSeriesName=MEN\n"
        "[series2]\nvtfile=other.vt\nTSDSelection=sex=W,\nSeriesName=WRONG\n"
        "[series3]\nvtfile=in.vt\nTSDSelection=sex=T,\nSeriesName=TOTAL\n";
    const std::string men = "MEN             Population sex=men \r\n" + second_line +
                            "   1.000000e+00   2.000000e+00   3.000000e+00   4.000000e+00   5.000000e+00\r\n";
    const std::string total = "TOTAL           Population sex=total \r\n" + second_line +
                              "   1.100000e+01   1.200000e+01   1.300000e+01   1.400000e+01   1.500000e+01\r\n";
    const std::string women = "POP2            Population sex=women \r\n" + second_line +
                              "   6.000000e+00   7.000000e+00   8.000000e+00   9.000000e+00   1.000000e+01\r\n";
    for (int keep : {0, 1}) {
        vt::test::temp_dir dir;
        dir.write("names.ini", names);
        ASSERT_EQ(vt::arekonv(dir.write("in.vt", table), dir.file("out.tsd"), 0, "names.ini", keep), 0);
        EXPECT_EQ(dir.read("out.tsd"), keep ? men + women + total : men + total);
    }
}

// With three stub variables names and texts are cut to 10 characters and
// the contents to 11, and the line to 64; the decimals are the largest
// precision met so far; oem 1 converts the texts to code page 850.
TEST(Tsd, ThreeStubVariablesCutTheirTextsAndOemConverts) {
    const std::string table =
        "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"T3\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
        "CONTENTS=\"Consumption of goods\";\nUNITS=\"u\";\nSTUB=\"regionname\",\"sex\",\"\xC5lder\";\n"
        "HEADING=\"year\";\nVALUES(\"regionname\")=\"Northernmost\";\nVALUES(\"sex\")=\"men\";\n"
        "VALUES(\"\xC5lder\")=\"young\",\"old\";\nVALUES(\"year\")=\"2000\";\nTIMEVAL(\"year\")=TLIST(A1),\"2000\";\n"
        "PRECISION(\"\xC5lder\",\"old\")=3;\nDATA=\n1 \n2;\n";
    vt::test::temp_dir dir;
    ASSERT_EQ(vt::arekonv(dir.write("in.vt", table), dir.file("out.tsd"), 1, "", 0), 0);
    const std::string first = "Consumption regionname=Northernmo sex=men \x8Flder=\r\n";
    const std::string second = std::string(44, ' ') + "200001  200001  A";
    EXPECT_EQ(dir.read("out.tsd"), "T31             " + first + second + "1\r\n   1.000000e+00\r\n" +
                                       "T32             " + first + second + "3\r\n   2.000000e+00\r\n");
}

TEST(Tsd, RefusalsWriteNothing) {
    std::string no_time = population();
    no_time.erase(no_time.find("TIMEVAL"), no_time.find("DATA=") - no_time.find("TIMEVAL"));
    std::string two_headings = population();
    two_headings.replace(two_headings.find("HEADING=\"year\""), 14, "HEADING=\"kind\",\"year\"");
    two_headings.insert(two_headings.find("DATA="), "VALUES(\"kind\")=\"a\";\n");
    std::string stub_only = population();
    stub_only.replace(stub_only.find("STUB=\"sex\";\nHEADING="), 20, "STUB=\"sex\",");
    std::string not_time = population();
    not_time.replace(not_time.find("STUB=\"sex\";\nHEADING=\"year\""), 26, "STUB=\"year\";\nHEADING=\"sex\"");
    const struct {
        std::string table;
        int code;
    } cases[] = {{no_time, 600}, {two_headings, 601}, {stub_only, 602}, {not_time, 602}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        vt::test::temp_dir dir;
        EXPECT_EQ(vt::arekonv(dir.write("in.vt", c.table), dir.file("out.tsd"), 0, "", 0), c.code);
        EXPECT_FALSE(fs::exists(dir.file("out.tsd")));
    }
    vt::test::temp_dir dir;
    EXPECT_EQ(vt::arekonv(dir.file("none.vt"), dir.file("out.tsd"), 0, "", 0), 400);
    // The cells are read while the series are written: the input itself
    // as output is refused and stays as it was.
    const std::string in = dir.write("in.vt", population());
    EXPECT_EQ(vt::arekonv(in, in, 0, "", 0), 400);
    EXPECT_EQ(dir.read("in.vt"), population());
}
