// Tests of the text report: whole reports of small tables compared byte for
// byte, column blocks and pages, notes, the OEM path and the failure codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../platform/temp_dir.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/text.h"
#include "platform/datablock.h"

namespace {

namespace fs = std::filesystem;

std::string sp(std::size_t n) { return std::string(n, ' '); }

// The keyword part every test table starts with; texts are ANSI.
std::string head(const std::string& title = "T", const std::string& decimals = "DECIMALS=0;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"" + title +
           "\";\nCONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// One stub variable with three values and one heading variable with two.
std::string population(const std::string& extra = "") {
    return head("Population") +
           "STUB=\"region\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=\"north\",\"south\",\"east\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\n" +
           extra + "DATA=\n1 22 \n333 4444 \n5 66;\n";
}

struct text_args {
    int rowlength = 60;
    int pagelength = 60;
    int margin = 2;
    int oem = 0;
    std::string decimalpoint = ".";
    std::string symbols = ".;..;...;....;.....;......;.......;-";
    int doublecolumn = 0;
    int completeinfo = 0;
    std::string labelfile;
    int rounding = 0;
    int noteplace = 0;
    int thousand = 0;
};

class TextConvTest : public ::testing::Test {
protected:
    void SetUp() override {
        vt::reader_state().selected_language = "";
        vt::reader_state().oem_input = true;
    }
    void TearDown() override {
        vt::plat::refuse_data_blocks(false);
    }

    std::string in_path() const { return (dir_ / "table.vt").string(); }
    std::string out_path() const { return (dir_ / "report.txt").string(); }

    void write_file(const std::string& path, const std::string& bytes) {
        std::ofstream f(path, std::ios::binary);
        f << bytes;
    }

    int convert(const text_args& a, const std::string& in, const std::string& out) {
        return vt::TextConv(in, out, a.rowlength, a.pagelength, a.margin, a.oem, a.decimalpoint, a.symbols,
                            a.doublecolumn, a.completeinfo, a.labelfile, a.rounding, a.noteplace, a.thousand);
    }

    // Writes the table, converts it and returns the report (empty on failure,
    // with the code in rc_).
    std::string run(const std::string& table, const text_args& a = {}) {
        write_file(in_path(), table);
        rc_ = convert(a, in_path(), out_path());
        return rc_ == 0 ? vt::test::read_file(out_path()) : std::string();
    }

    vt::test::temp_dir tmp_;
    const fs::path dir_ = tmp_.path();
    int rc_ = -1;
};

// ---------------------------------------------------------------------------
// Whole reports.

TEST_F(TextConvTest, OneStubOneHeadingWholeReport) {
    // Stub column 6 ("north" + 1); numbers 4 digits + 1 = 5, so every data
    // column is 6 wide, headings left-aligned after a blank, cells right-aligned.
    const std::string expected = "\r\n" + sp(2) + sp(44) + "1.1\r\n\r\n" +
                                 "  Population\r\n"
                                 "\r\n"
                                 "         2020  2021 \r\n"
                                 "  "
                                 "\r\n  North      1    22"
                                 "\r\n  South    333  4444"
                                 "\r\n  East       5    66"
                                 "\f";
    EXPECT_EQ(run(population()), expected);
    EXPECT_EQ(rc_, 0);
}

TEST_F(TextConvTest, SinglePageWhenLineLengthEqualsMargin) {
    text_args a;
    a.rowlength = 0;
    a.margin = 0;
    const std::string expected =
        "Population\r\n"
        "\t\r\n"
        "       2020  2021 \r\n"
        "\r\nNorth      1    22"
        "\r\nSouth    333  4444"
        "\r\nEast       5    66"
        "\r\n";
    EXPECT_EQ(run(population(), a), expected);
}

TEST_F(TextConvTest, SymbolsStandLeftOfTheDecimals) {
    // Shown decimals 1: numbers are 2 + 1 digits wide plus ".5", symbols are
    // followed by two blanks so they end where the integer digits end.
    const std::string table = head("T", "DECIMALS=1;\nSHOWDECIMALS=1;") +
                              "STUB=\"r\";\nHEADING=\"year\";\nVALUES(\"r\")=\"a\",\"b\";\n"
                              "VALUES(\"year\")=\"2020\",\"2021\";\nDATA=1.5 \"..\" \"-\" 12.3;\n";
    text_args a;
    a.rowlength = 40;
    a.margin = 0;
    const std::string expected = "\r\n" + sp(26) + "1.1\r\n\r\n" +
                                 "T\r\n"
                                 "\r\n"
                                 "   2020  2021 \r\n"
                                 "\r\nA    1.5  ..  "
                                 "\r\nB    -    12.3"
                                 "\f";
    EXPECT_EQ(run(table, a), expected);
}

TEST_F(TextConvTest, TableSymbolTextsWinAndLongOnesWidenTheColumn) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\";\n"
                              "DATASYMBOL2=\"not available\";\nDATA=7 \"..\";\n";
    text_args a;
    a.rowlength = 40;
    a.margin = 0;
    // The symbol text is 13 characters: the columns become 14 wide.
    const std::string expected = "\r\n" + sp(26) + "1.1\r\n\r\n" + "T\r\n\r\n" + "   X" + sp(12) + " Y" +
                                 sp(12) + "\r\n" + "\r\nA " + sp(13) + "7" + " not available" + "\f";
    EXPECT_EQ(run(table, a), expected);
}

TEST_F(TextConvTest, TableWithoutStubOrWithoutHeading) {
    const std::string vars_h = "HEADING=\"h\";\nVALUES(\"h\")=\"x\",\"y\";\nDATA=1 2;\n";
    text_args a;
    a.rowlength = 30;
    a.margin = 0;
    // Without stub variables the stub column is one blank wide.
    EXPECT_EQ(run(head() + vars_h, a), "\r\n" + sp(16) + "1.1\r\n\r\n" + "T\r\n\r\n" + "  X  Y \r\n" +
                                           "\r\n   1  2" + "\f");
    const std::string vars_s = "STUB=\"s\";\nVALUES(\"s\")=\"x\",\"y\";\nDATA=1 2;\n";
    EXPECT_EQ(run(head() + vars_s, a), "\r\n" + sp(16) + "1.1\r\n\r\n" + "T\r\n\r\n" + "\r\nX   1" +
                                           "\r\nY   2" + "\f");
}

// ---------------------------------------------------------------------------
// Numbers.

std::string ties_table(const std::string& extra = "") {
    return head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") + extra +
           "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\",\"b\";\nVALUES(\"h\")=\"x\",\"y\";\n"
           "DATA=2.25 0.15 -2.25 2.35;\n";
}

TEST_F(TextConvTest, TiesRoundByTheStoredDecimals) {
    text_args a;
    a.rowlength = 40;
    a.margin = 0;
    // 0.15 is stored a hair below 0.15; it is still a tie at two decimals
    // and goes to 0.2, not to the 0.1 a plain one-decimal print gives.
    const std::string expected = "\r\n" + sp(26) + "1.1\r\n\r\n" + "T\r\n\r\n" + "   X    Y   \r\n" +
                                 "\r\nA   2.2  0.2"
                                 "\r\nB  -2.2  2.4"
                                 "\f";
    EXPECT_EQ(run(ties_table(), a), expected);

    a.rounding = 1;
    const std::string away = run(ties_table(), a);
    EXPECT_NE(away.find("\r\nA   2.3  0.2\r\nB  -2.3  2.4\f"), std::string::npos) << away;

    // The table's own ROUNDING wins over the argument.
    a.rounding = 1;
    const std::string table_even = run(ties_table("ROUNDING=0;\n"), a);
    EXPECT_NE(table_even.find("\r\nA   2.2  0.2\r\nB  -2.2  2.4\f"), std::string::npos) << table_even;
}

std::string thousands_table() {
    return head() +
           "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\",\"z\";\n"
           "DATA=1234567 999 -1500;\n";
}

TEST_F(TextConvTest, ThousandsGroupingWidensColumnsByTwo) {
    text_args a;
    a.rowlength = 60;
    a.margin = 0;
    a.thousand = 1;
    const std::string expected = "\r\n" + sp(46) + "1.1\r\n\r\n" + "T\r\n\r\n" + "   X" + sp(9) + " Y" + sp(9) +
                                 " Z" + sp(9) + "\r\n" + "\r\nA   1 234 567        999     -1 500" + "\f";
    EXPECT_EQ(run(thousands_table(), a), expected);

    a.thousand = 0;
    const std::string plain = run(thousands_table(), a);
    EXPECT_NE(plain.find("\r\nA   1234567      999    -1500\f"), std::string::npos) << plain;
}

TEST_F(TextConvTest, DecimalCommaWithGroups) {
    const std::string table = head("T", "DECIMALS=1;\nSHOWDECIMALS=1;") +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\";\n"
                              "DATA=1234567.5 12.5;\n";
    text_args a;
    a.margin = 0;
    a.decimalpoint = ",";
    a.thousand = 1;
    // 7 digits + 1, + 2 for the groups, + 2 for ",5": fields of 13.
    const std::string out = run(table, a);
    EXPECT_NE(out.find("\r\nA   1 234 567,5         12,5\f"), std::string::npos) << out;
}

TEST_F(TextConvTest, HugeAndInfiniteNumbersKeepTheirColumns) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\";\n"
                              "DATA=1e999 100000000000000000000;\n";
    text_args a;
    a.margin = 0;
    const std::string out = run(table, a);
    ASSERT_EQ(rc_, 0);
    // 21 digits: fields of 23 (digits + 1 for a sign + 1 blank).
    EXPECT_NE(out.find("\r\n   X" + sp(21) + " Y" + sp(21)), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nA " + sp(20) + "inf" + "  100000000000000000000\f"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------
// Labels.

TEST_F(TextConvTest, LabelsAreSizedWiderThanTheyArePrinted) {
    // A stub label of 39 characters without blanks is one line when sized
    // (limit 40) and two when printed (limit 38); a heading label is cut at
    // its last blank within 30 characters and only its first line starts
    // with a capital.
    const std::string table = head() +
                              "STUB=\"s\";\nHEADING=\"h\";\n"
                              "VALUES(\"s\")=\"abcdefghijklmnopqrstuvwxyzabcdefghijklm\";\n"
                              "VALUES(\"h\")=\"number of inhabitants at the end of year\";\nDATA=5;\n";
    text_args a;
    a.rowlength = 100;
    a.margin = 0;
    const std::string expected = "\r\n" + sp(86) + "1.1\r\n\r\n" + "T\r\n\r\n" + sp(40) +
                                 " Number of inhabitants at the\r\n" + sp(40) + " end of year" + sp(17) + "\r\n" +
                                 "\r\nAbcdefghijklmnopqrstuvwxyzabcdefghijkl" + "\r\nm" + sp(39) + sp(28) + "5" +
                                 "\f";
    EXPECT_EQ(run(table, a), expected);
}

TEST_F(TextConvTest, DoubleColumnShowsCodesOfStubValues) {
    const std::string codes = "CODES(\"region\")=\"01\",\"02\",\"03\";\n";
    text_args a;
    a.margin = 0;
    a.doublecolumn = 1;
    const std::string all = run(population(codes), a);
    EXPECT_NE(all.find("\r\n01   north      1    22"), std::string::npos) << all;
    EXPECT_EQ(all.find("2020   2020"), std::string::npos);  // heading values stay as they are

    a.doublecolumn = 2;  // only for variables marked DOUBLECOLUMN=YES
    const std::string unmarked = run(population(codes), a);
    EXPECT_NE(unmarked.find("\r\nNorth      1    22"), std::string::npos) << unmarked;
    const std::string marked = run(population(codes + "DOUBLECOLUMN(\"region\")=YES;\n"), a);
    EXPECT_NE(marked.find("\r\n01   north      1    22"), std::string::npos) << marked;
}

TEST_F(TextConvTest, PartitionedHeadingShowsPartsAndLeavesOutRepeats) {
    const std::string table = head() +
                              "STUB=\"s\";\nHEADING=\"reg\";\nVALUES(\"s\")=\"a\";\n"
                              "VALUES(\"reg\")=\"01 North\",\"01 South\",\"02 East\";\n"
                              "PARTITIONED(\"reg\")=\"Code\",1,2;\nPARTITIONED(\"reg\")=\"Name\",4;\nDATA=1 2 3;\n";
    text_args a;
    a.margin = 0;
    // Widest part: "Name" + blank + the longest text from position 4 = 10.
    const std::string expected = "\r\n" + sp(46) + "1.1\r\n\r\n" + "T\r\n\r\n" + "   Code 01   " + sp(11) +
                                 " Code 02   \r\n" + "   Name North Name South Name East \r\n" + "\r\nA " +
                                 sp(10) + "1" + sp(10) + "2" + sp(10) + "3" + "\f";
    EXPECT_EQ(run(table, a), expected);
}

TEST_F(TextConvTest, OemOutputUpperCasesCodePage850Letters) {
    const std::string table = head("\xC5re") +
                              "STUB=\"frukt\";\nHEADING=\"\xE5r\";\n"
                              "VALUES(\"frukt\")=\"\xE4pple\",\"\xF8len\";\nVALUES(\"\xE5r\")=\"\xE9x\";\n"
                              "DATA=1 2;\n";
    text_args a;
    a.rowlength = 30;
    a.margin = 0;
    a.oem = 1;
    const std::string oem = "\r\n" + sp(16) + "1.1\r\n\r\n" + "\x8Fre\r\n\r\n" + sp(6) + " \x90x\r\n" +
                            "\r\n\x8Epple   1" + "\r\n\x9Dlen    2" + "\f";
    EXPECT_EQ(run(table, a), oem);

    a.oem = 0;
    const std::string ansi = "\r\n" + sp(16) + "1.1\r\n\r\n" + "\xC5re\r\n\r\n" + sp(6) + " \xC9x\r\n" +
                             "\r\n\xC4pple   1" + "\r\n\xD8len    2" + "\f";
    EXPECT_EQ(run(table, a), ansi);
}

// ---------------------------------------------------------------------------
// Column blocks and pages.

TEST_F(TextConvTest, ColumnBlocksRelabelASpanCutByTheBlockBoundary) {
    // 8 columns of width 3 after a stub column of 2: 5 fit below 20.
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\",\"k\";\nVALUES(\"r\")=\"a\",\"b\";\n"
                              "VALUES(\"h\")=\"p\",\"q\";\nVALUES(\"k\")=\"1\",\"2\",\"3\",\"4\";\n"
                              "DATA=1 2 3 4 5 6 7 8 \n9 0 1 2 3 4 5 6;\n";
    text_args a;
    a.rowlength = 20;
    a.margin = 0;
    a.pagelength = 30;
    const std::string page_head = "\r\n" + sp(6);
    const std::string expected = page_head + "1.1\r\n\r\n" + "T\r\n\r\n" +
                                 "   P           Q \r\n"
                                 "   1  2  3  4  1 \r\n"
                                 "\r\nA   1  2  3  4  5"
                                 "\r\nB   9  0  1  2  3"
                                 "\f" +
                                 page_head + "1.2\r\n\r\n" + "T\r\n\r\n" +
                                 "   Q       \r\n"
                                 "   2  3  4 \r\n"
                                 "\r\nA   6  7  8"
                                 "\r\nB   4  5  6"
                                 "\f";
    EXPECT_EQ(run(table, a), expected);
}

std::string two_level_stub() {
    return head() +
           "STUB=\"g\",\"r\";\nHEADING=\"h\";\nVALUES(\"g\")=\"m\",\"w\";\nVALUES(\"r\")=\"a\",\"b\",\"c\";\n"
           "VALUES(\"h\")=\"x\";\nDATA=1 2 3 4 5 6;\n";
}

TEST_F(TextConvTest, EveryPageRepeatsHeaderAndOuterStubLabels) {
    // Header: 3 page-number lines, 1 title, 1 empty, 1 heading, 1 margin
    // line = 7; pages of 10 lines leave 3 for rows. An outer label takes a
    // line of its own.
    text_args a;
    a.rowlength = 30;
    a.margin = 1;
    a.pagelength = 10;
    auto page = [](int n, const std::string& rows) {
        return "\r\n " + sp(15) + std::to_string(n) + ".1\r\n\r\n" + " T\r\n\r\n" + " " + sp(4) + " X \r\n" + " " +
               rows + "\f";
    };
    const std::string expected = page(1, "\r\n M\r\n   A   1\r\n   B   2") + page(2, "\r\n M\r\n   C   3") +
                                 page(3, "\r\n W\r\n   A   4\r\n   B   5") + page(4, "\r\n W\r\n   C   6");
    EXPECT_EQ(run(two_level_stub(), a), expected);
}

TEST_F(TextConvTest, PagesOfRowsArePrintedOncePerBlock) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\",\"b\",\"c\";\n"
                              "VALUES(\"h\")=\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\";\n"
                              "DATA=1 2 3 4 5 6 7 1 2 3 4 5 6 7 1 2 3 4 5 6 7;\n";
    text_args a;
    a.rowlength = 16;  // 4 columns of 3 after the stub column
    a.margin = 0;
    a.pagelength = 9;  // header 7: two rows per page
    const std::string out = run(table, a);
    std::string numbers;
    for (std::size_t p = out.find("\r\n\r\n"); p != std::string::npos;) {
        std::size_t line = out.rfind("\r\n", p - 1);
        numbers += out.substr(line + 2 + 2, p - line - 4) + ";";
        p = out.find('\f', p);
        if (p != std::string::npos) p = out.find("\r\n\r\n", p);
    }
    EXPECT_EQ(numbers, "1.1;1.2;2.1;2.2;");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\f'), 4);
    EXPECT_NE(out.find("\r\nC   5  6  7\f"), std::string::npos) << out;
}

TEST_F(TextConvTest, PageTooShortForItsHeader) {
    text_args a;
    a.rowlength = 30;
    a.margin = 1;
    a.pagelength = 7;  // exactly the header: no room for a row
    run(two_level_stub(), a);
    EXPECT_EQ(rc_, 7);
    EXPECT_FALSE(fs::exists(out_path()));  // nothing is put in place

    // One more line: every page holds one row even when the row needs two.
    a.pagelength = 8;
    const std::string out = run(two_level_stub(), a);
    EXPECT_EQ(rc_, 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\f'), 6);
    EXPECT_NE(out.find("\r\n M\r\n   B   2\f"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------
// Notes.

std::string noted_population() {
    return population(
        "NOTEX=\"Mandatory note.\";\nNOTE=\"Optional note.\";\n"
        "NOTEX(\"region\")=\"Var mandatory.\";\nNOTE(\"region\")=\"Var optional.\";\n"
        "VALUENOTEX(\"region\",\"north\")=\"Value mandatory.\";\n"
        "VALUENOTE(\"region\",\"south\")=\"Value optional.\";\n"
        "CELLNOTEX(\"north\",\"2020\")=\"Cell mandatory.\";\n"
        "CELLNOTE(\"south\",\"2021\")=\"Cell optional.\";\n"
        "SOURCE=\"Office\";\n");
}

TEST_F(TextConvTest, NotesLevels) {
    text_args a;
    const std::string none = run(noted_population(), a);
    ASSERT_EQ(rc_, 0);
    EXPECT_EQ(none.back(), '\f');
    EXPECT_EQ(none.find("note"), std::string::npos);

    a.completeinfo = 1;
    const std::string one = run(noted_population(), a);
    const std::string tail = none +
                             "\r\n"
                             "  Mandatory note.\r\n"
                             "  \r\n"
                             "  region:\r\n"
                             "  Var mandatory.\r\n"
                             "  north:\r\n"
                             "  Value mandatory.\r\n"
                             "\r\n";
    ASSERT_EQ(one.substr(0, tail.size()), tail);
    EXPECT_NE(one.find("Cell mandatory."), std::string::npos);
    for (const char* absent : {"optional", "Optional", "Office", "Refkod"})
        EXPECT_EQ(one.find(absent), std::string::npos) << absent;

    a.completeinfo = 2;
    const std::string two = run(noted_population(), a);
    const std::string tail2 = none +
                              "\r\n"
                              "  Mandatory note.\r\n"
                              "  \r\n"
                              "  Optional note.\r\n"
                              "  region:\r\n"
                              "  Var mandatory.\r\n"
                              "  Var optional.\r\n"
                              "  north:\r\n"
                              "  Value mandatory.\r\n"
                              "  south:\r\n"
                              "  Value optional.\r\n"
                              "\r\n";
    ASSERT_EQ(two.substr(0, tail2.size()), tail2);
    EXPECT_NE(two.find("Cell mandatory."), std::string::npos);
    EXPECT_NE(two.find("Cell optional."), std::string::npos);
    EXPECT_EQ(two.find("Office"), std::string::npos);

    a.completeinfo = 3;
    const std::string three = run(noted_population(), a);
    EXPECT_EQ(three.substr(0, tail2.size()), tail2);
    EXPECT_NE(three.find("Office"), std::string::npos);
    EXPECT_NE(three.find("  Refkod\tM\r\n"), std::string::npos) << three;
}

TEST_F(TextConvTest, NotesBreakAtHashMarksAndFillPages) {
    const std::string table =
        population("NOTEX=\"one#two#three#four#five#six#seven#eight#nine#ten#eleven#twelve\";\n");
    text_args a;
    a.pagelength = 12;
    a.completeinfo = 1;
    const std::string out = run(table, a);
    const std::string notes =
        "\f\r\n  one\r\n  two\r\n  three\r\n  four\r\n  five\r\n  six\r\n  seven\r\n  eight\r\n  nine\r\n  ten\r\n"
        "  eleven\r\n\f  twelve\r\n  \r\n\r\n";
    ASSERT_GE(out.size(), notes.size());
    EXPECT_EQ(out.substr(out.size() - notes.size()), notes);
}

TEST_F(TextConvTest, OemAppliesToTheNotesToo) {
    text_args a;
    a.oem = 1;
    a.completeinfo = 2;
    const std::string out = run(population("NOTEX=\"S\xE5 s\xE4ger vi.\";\nCELLNOTE(\"north\",\"2020\")=\"\xF6\";\n"), a);
    EXPECT_NE(out.find("  S\x86 s\x84ger vi.\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\x94"), std::string::npos);
    EXPECT_EQ(out.find("\xF6"), std::string::npos);
}

TEST_F(TextConvTest, DataNoteMarkersAfterOrBeforeTheValue) {
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    text_args a;
    // Number width 5 + 4 for markers: fields of 10, one place kept for the
    // marker after every value.
    const std::string after = run(table, a);
    EXPECT_NE(after.find("\r\n  North         1        22*"), std::string::npos) << after;
    EXPECT_NE(after.find("\r\n  South       333      4444 "), std::string::npos) << after;
    EXPECT_TRUE(fs::exists(dir_ / "reportnotes.txt"));

    a.noteplace = 1;
    const std::string before = run(table, a);
    EXPECT_NE(before.find("\r\n  North          1       *22"), std::string::npos) << before;
    EXPECT_NE(before.find("\r\n  South        333      4444"), std::string::npos) << before;
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(TextConvTest, UnopenableFilesGiveTwo) {
    text_args a;
    EXPECT_EQ(convert(a, (dir_ / "missing.vt").string(), out_path()), 2);
    write_file(in_path(), population());
    EXPECT_EQ(convert(a, in_path(), (dir_ / "no" / "such" / "dir.txt").string()), 2);
}

TEST_F(TextConvTest, ReaderProblemsReturnTheReaderCode) {
    // No CONTENTS: the reader's code for a missing CONTENTS keyword, 136.
    const std::string bad = "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
                            "TITLE=\"T\";\nUNITS=\"u\";\nDECIMALS=0;\nSTUB=\"r\";\nVALUES(\"r\")=\"a\";\nDATA=1;\n";
    run(bad);
    EXPECT_EQ(rc_, 136);
}

TEST_F(TextConvTest, OutputThatCannotBeWrittenIsNoSuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    write_file(in_path(), population());
    text_args a;
    EXPECT_EQ(convert(a, in_path(), "/dev/full"), 2);
}

TEST_F(TextConvTest, RefusedDataBlockGives201) {
    vt::plat::refuse_data_blocks(true);
    run(population());
    EXPECT_EQ(rc_, 201);
}

TEST_F(TextConvTest, OutputReplacingItsInputIsStillWhole) {
    write_file(in_path(), population());
    text_args a;
    const std::string expected = run(population(), a);
    ASSERT_EQ(rc_, 0);
    write_file(in_path(), population());
    EXPECT_EQ(convert(a, in_path(), in_path()), 0);
    EXPECT_EQ(vt::test::read_file(in_path()), expected);
}

}  // namespace
