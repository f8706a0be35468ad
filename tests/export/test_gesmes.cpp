// Tests of the GESMES/TS export: whole messages of small tables (data
// only and with the attribute section), the switches of the settings, the
// refusals, and an independent EDIFACT reader reading the texts back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "export/clock.h"
#include "export/gesmes.h"

namespace {

namespace fs = std::filesystem;

vt::clock_reading pinned() { return {2026, 3, 7, 8, 5}; }

// Pins the clock for one test.
struct pinned_clock {
    vt::clock_source old = vt::set_export_clock(pinned);
    ~pinned_clock() { vt::set_export_clock(old); }
};

vt::gesmes_settings settings(const std::string& include = "D") {
    vt::gesmes_settings s;
    s.sender = "S1";
    s.receiver = "R1";
    s.interchange_msg = "IC1";
    s.message_ref = "M1";
    s.dsn = "DS";
    s.datastruct = "ECB_X";
    s.conf = "F";
    s.obs_status = "A";
    s.include = include;
    s.code_list_org = "4F0";
    s.arr_var = 2;
    s.list_a = "Q:X";
    s.list_b = "Z:";
    s.contact_name = "Ann";
    s.contact_email = "ann@example.org";
    return s;
}

const std::string yearly =
    "CHARSET=\"ANSI\";\nDECIMALS=1;\nSHOWDECIMALS=1;\nMATRIX=\"Y01\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
    "TITLE=\"Yearly\";\nCONTENTS=\"Value\";\nUNITS=\"u\";\nHEADING=\"year\";\n"
    "VALUES(\"year\")=\"2000\",\"2001\",\"2002\";\nTIMEVAL(\"year\")=TLIST(A1),\"2000\",\"2001\",\"2002\";\n"
    "DATA=\n1.5 \".\" \"..\" ;\n";

// Every release character in the title, the reference period and the notes.
const std::string released =
    "CHARSET=\"ANSI\";\nCREATION-DATE=\"20061201 09:30\";\nDECIMALS=1;\nSHOWDECIMALS=1;\nMATRIX=\"R01\";\n"
    "SUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"Prices: 'A+B' or A?B\";\nCONTENTS=\"Prices\";\n"
    "UNITS=\"index\";\nSTUB=\"area\";\nHEADING=\"month\";\nVALUES(\"area\")=\"North\",\"South\";\n"
    "VALUES(\"month\")=\"2006M01\",\"2006M02\";\nTIMEVAL(\"month\")=TLIST(M1),\"200601\",\"200602\";\n"
    "CODES(\"area\")=\"N\",\"S\";\nREFPERIOD=\"2000=100: base+1\";\nNOTEX=\"Mandatory: a+b\";\n"
    "NOTE=\"Optional 'quoted' ?\";\nVALUENOTE(\"area\",\"South\")=\"South: isles\";\n"
    "CELLNOTE(\"North\",\"2006M02\")=\"Revised + checked\";\nDATA=\n1.5 \"-\" \n-2 3.5 \n;\n";

// The segments up to the series: the time the message was prepared and
// the periods with their format code differ between the tables.
std::string head(const std::string& prepared, const std::string& periods) {
    return "UNA:+.? '\r\nUNB+UNOC:3+S1+R1+260307:0805+IC1++GESMES/TS'\r\nUNH+M1+GESMES:2:1:E6'\r\nBGM+74'\r\n"
           "NAD+Z02+4F0'\r\nNAD+MR+R1'\r\nNAD+MS+S1'\r\nIDE+10+DS'\r\nCTA+CC+:Ann'\r\n"
           "COM+ann@example.org:EM'\r\nDSI+DS'\r\nSTS+3+7'\r\nDTM+242:" + prepared + ":203'\r\nDTM+Z02:" + periods +
           "'\r\nIDE+5+ECB_X'\r\nGIS+AR3'\r\nGIS+1:::-'\r\n";
}

struct run_result {
    int rc;
    std::string text;
};

run_result run(const std::string& table, const vt::gesmes_settings& s) {
    vt::test::temp_dir dir;
    const int rc = vt::gesmes2003(dir.write("in.vt", table), dir.file("out.ges"), s);
    return {rc, dir.read("out.ges")};
}

}  // namespace

TEST(Gesmes, DataOnlyMessageOfAYearlyTable) {
    pinned_clock clock;
    const run_result r = run(yearly, settings());
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.text,
              head("202603070805", "20002002:702") +
              "ARR++Q:X:Z:20002002:702:1.5:A:F+-:M:F+-:L:F'\r\n"
              "UNT+17+M1'\r\n"
              "UNZ+1+IC1'\r\n");
}

// The attribute section: title, reference period, the table's footnote,
// the value note and the cell note, every text with its release
// characters; the code file maps the code "S" of area; the nil cell is a
// number.
TEST(Gesmes, AttributeSectionWithReleasedTexts) {
    pinned_clock clock;
    vt::test::temp_dir dir;
    vt::gesmes_settings s = settings("A");
    s.code_file = dir.write("codes.ini", "[area]\nS=SOUTH\n");
    const int rc = vt::gesmes2003(dir.write("in.vt", released), dir.file("out.ges"), s);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(dir.read("out.ges"),
              head("200612010930", "200601200602:710") +
              "ARR++Q:X:N:Z:200601200602:710:1.5:A:F+0.0:A:F'\r\n"
              "ARR++Q:X:SOUTH:Z:200601200602:710:-2.0:A:F+3.5:A:F'\r\n"
              "FNS+Attributes:10'\r\n"
              "REL+Z01+1'\r\n"
              "ARR+0'\r\n"
              "IDE+Z11+TITLE'\r\n"
              "FTX+ACM+++Prices?: ?'A?+B?' or A??B'\r\n"
              "REL+Z01+1'\r\n"
              "ARR+0'\r\n"
              "IDE+Z11+REF_PERIOD'\r\n"
              "FTX+ACM+++2000=100?: base?+1'\r\n"
              "REL+Z01+1'\r\n"
              "ARR+0'\r\n"
              "IDE+Z11+FOOTNOTE'\r\n"
              "FTX+ACM+++Mandatory?: a?+b: Optional ?'quoted?' ?\?'\r\n"
              "REL+Z01+4'\r\n"
              "ARR+2+:::SOUTH'\r\n"
              "IDE+Z11+FOOTNOTE'\r\n"
              "FTX+ACM+++: South?: isles'\r\n"
              "REL+Z01+4'\r\n"
              "ARR+4+Q:X:N:2006M02'\r\n"
              "IDE+Z11+FOOTNOTE'\r\n"
              "FTX+ACM+++Revised ?+ checked'\r\n"
              "UNT+39+M1'\r\n"
              "UNZ+1+IC1'\r\n");
}

// The settings that change single segments.
TEST(Gesmes, SwitchesOfTheSettings) {
    pinned_clock clock;
    struct {
        const char* include;
        int test;
        const char* has;
        const char* lacks;
    } cases[] = {
        {"M", 0, "BGM+73'", "FNS+"},
        {"T", 0, "UNZ+2+IC1'", "BGM+73'"},
        {"D", 1, "+IC1++GESMES/TS++++1'", "FNS+"},
        {"D", 0, "UNZ+1+IC1'", "++++1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.include);
        vt::gesmes_settings s = settings(c.include);
        s.test = c.test;
        const run_result r = run(yearly, s);
        ASSERT_EQ(r.rc, 0);
        EXPECT_NE(r.text.find(c.has), std::string::npos);
        EXPECT_EQ(r.text.find(c.lacks), std::string::npos);
    }
}

// A long note is cut into components of at most 70 characters and
// segments of at most 350; a "#" ends a component.
TEST(Gesmes, LongFootnotesSplitIntoComponentsAndSegments) {
    std::string note;
    for (int i = 0; i < 40; ++i) note += std::string(i ? "," : "") + "\"word" + std::to_string(i % 10) + " and more \"";
    std::string table = yearly;
    table.insert(table.find("DATA="), "NOTE=" + note + ";\nNOTEX=\"First line#Second\";\n");
    const run_result r = run(table, settings("A"));
    ASSERT_EQ(r.rc, 0);
    std::istringstream lines(r.text);
    int ftx = 0;
    std::string all;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("FTX+ACM+++", 0) != 0) continue;
        ++ftx;
        const std::string text = line.substr(10, line.size() - 12);  // without "'" CR
        EXPECT_LE(text.size(), 350u + 69u) << text;
        std::size_t at = 0;
        for (std::size_t colon; (colon = text.find(':', at)) != std::string::npos; at = colon + 1)
            EXPECT_LE(colon - at, 70u) << text;
        all += text;
    }
    EXPECT_GE(ftx, 3);  // the title and the footnote in at least two segments
    EXPECT_NE(all.find("First line:Second: "), std::string::npos);
}

TEST(Gesmes, RefusalsWriteNothing) {
    const std::string no_time = yearly.substr(0, yearly.find("TIMEVAL")) + "DATA=\n1 2 3;\n";
    std::string two_headings = yearly;
    two_headings.replace(two_headings.find("HEADING=\"year\";"), 15, "HEADING=\"kind\",\"year\";");
    two_headings.insert(two_headings.find("VALUES"), "VALUES(\"kind\")=\"a\";\n");
    std::string stub_only = yearly;
    stub_only.replace(stub_only.find("HEADING="), 8, "STUB=");
    std::string not_time = yearly;
    not_time.replace(not_time.find("HEADING=\"year\";"), 15, "STUB=\"year\";\nHEADING=\"kind\";");
    not_time.insert(not_time.find("VALUES"), "VALUES(\"kind\")=\"a\";\n");
    const struct {
        std::string table;
        int code;
    } cases[] = {{no_time, 605}, {two_headings, 606}, {stub_only, 607}, {not_time, 608}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        vt::test::temp_dir dir;
        EXPECT_EQ(vt::gesmes2003(dir.write("in.vt", c.table), dir.file("out.ges"), settings()), c.code);
        EXPECT_FALSE(fs::exists(dir.file("out.ges")));
    }
    vt::test::temp_dir dir;
    EXPECT_EQ(vt::gesmes2003(dir.file("none.vt"), dir.file("out.ges"), settings()), 400);
    EXPECT_EQ(vt::gesmes2003(dir.write("in.vt", yearly), dir.file("no/such/dir/out.ges"), settings()), 400);
}

// An EDIFACT parser that knows nothing of this writer reads the message:
// every FTX text comes back as the table holds it, and UNT counts the
// segments it finds.
TEST(Gesmes, IndependentReaderReadsTheTextsBack) {
    const std::string node_dir = std::string(VT_TEST_DATA) + "/../node";
    if (std::system("command -v node >/dev/null 2>&1") != 0) GTEST_SKIP() << "skipped: node is not installed";
    if (!fs::exists(node_dir + "/node_modules/edifact"))
        GTEST_SKIP() << "skipped: the npm package edifact is not installed in tests/node (./dev test installs it)";
    const struct {
        std::string table;
        std::string expected;
    } cases[] = {
        {released,
         "FTX Prices: 'A+B' or A?B\nFTX 2000=100: base+1\nFTX Mandatory: a+b\t Optional 'quoted' ?\n"
         "FTX \t South: isles\nFTX Revised + checked\ncount 39 39\n"},
        {vt::test::read_file(std::string(VT_TEST_DATA) + "/population.vt"),
         "FTX Population by region, sex \nFTX Figures for 2005 are preliminary.\t \nFTX \t Regions as of 2003.\n"
         "FTX \t East includes the islands.\nFTX Revised figure.\ncount 46 46\n"},
        {vt::test::read_file(std::string(VT_TEST_DATA) + "/quarterly.vt"), "FTX GDP by quarter\ncount 22 22\n"},
    };
    for (const auto& c : cases) {
        vt::test::temp_dir dir;
        ASSERT_EQ(vt::gesmes2003(dir.write("in.vt", c.table), dir.file("out.ges"), settings("A")), 0);
        const std::string cmd = "node '" + node_dir + "/read_edifact.js' '" + dir.file("out.ges") + "' >'" +
                                dir.file("read.txt") + "' 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << dir.read("read.txt");
        EXPECT_EQ(dir.read("read.txt"), c.expected);
    }
}

TEST(Gesmes, ReleaseCharacters) {
    EXPECT_EQ(vt::edifact_release("a?b:c+d'e"), "a??b?:c?+d?'e");
    EXPECT_EQ(vt::edifact_release("??"), "????");
    EXPECT_EQ(vt::edifact_release("plain text"), "plain text");
}
