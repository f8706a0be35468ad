// Tests of the worksheet export: whole worksheets of small tables compared
// byte for byte with records built here, the notes levels, the failure
// codes, the library export and the batch function.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/outfile.h"
#include "export/biff.h"
#include "export/excel.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The records, spelled out byte by byte.

std::string u16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

std::string bof() { return u16(0x09) + u16(4) + u16(2) + u16(0x10); }
std::string eof() { return u16(0x0A) + u16(0); }
std::string colw(unsigned col, unsigned width) {
    return u16(0x24) + u16(4) + static_cast<char>(col) + static_cast<char>(col) + u16(width);
}
std::string lab(unsigned row, unsigned col, const std::string& text, char align = 0x01) {
    return u16(0x04) + u16(8 + static_cast<unsigned>(text.size())) + u16(row) + u16(col) + '\0' + '\x40' + align +
           static_cast<char>(text.size()) + text;
}
std::string sym(unsigned row, unsigned col, const std::string& text) { return lab(row, col, text, 0x03); }
std::string num(unsigned row, unsigned col, double v) {
    std::string s = u16(0x03) + u16(15) + u16(row) + u16(col) + '\0' + '\0' + '\x03';
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) s += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return s;
}

// ---------------------------------------------------------------------------
// Tables.

std::string head(const std::string& decimals = "DECIMALS=0;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"T\";\n"
           "CONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// Stub "region" (north, south), heading "year" (2020, 2021).
std::string two_by_two(const std::string& extra = "", const std::string& data = "1 2 \n3 4;",
                       const std::string& decimals = "DECIMALS=0;") {
    return head(decimals) +
           "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\n" + extra + "DATA=\n" + data + "\n";
}

const std::string symbols = ".;..;...;....;.....;......;.......;-";

class ExcelTest : public ::testing::Test {
protected:
    std::string in_path() const { return dir_.file("tab.vt"); }
    std::string out_path() const { return dir_.file("tab.xls"); }

    // The worksheet of `table`, or "" with the code in rc_.
    std::string run(const std::string& table, int doublecolumn = 0, int completeinfo = 0, int datanote = 0,
                    int rounding = 0, int rawvalues = 0, const std::string& list = symbols,
                    const std::string& labels = "*") {
        dir_.write("tab.vt", table);
        fs::remove(out_path());
        rc_ = vt::ExcelConv2005(in_path(), out_path(), list, doublecolumn, completeinfo, labels, datanote, rounding,
                                rawvalues);
        return rc_ == 0 ? dir_.read("tab.xls") : std::string();
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

// The title row, two empty rows, the heading row at 3, body rows from 4.
const std::string top = bof() + lab(0, 0, "T");

// ---------------------------------------------------------------------------
// Layout.

TEST_F(ExcelTest, OneStubOneHeadingWholeSheet) {
    EXPECT_EQ(run(two_by_two()), top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) +
                                     lab(4, 0, "north") + num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south") +
                                     num(5, 1, 3) + num(5, 2, 4) + eof());
    EXPECT_EQ(rc_, 0);
}

TEST_F(ExcelTest, NestedStubAndHeadingVariablesFormTrees) {
    const std::string table = head() +
                              "STUB=\"a\",\"b\";\nHEADING=\"x\",\"y\";\nVALUES(\"a\")=\"A1\",\"A2\";\n"
                              "VALUES(\"b\")=\"\";\nVALUES(\"x\")=\"X1\",\"X2\";\nVALUES(\"y\")=\"y1\",\"y2\";\n"
                              "DATA=\n1 2 3 4 \n5 6 7 8;\n";
    // Heading: x over the first column of its block, y one row lower; the
    // body starts right below the deepest heading row. An empty value text
    // gives the narrow default width; the outer label stands once per block.
    std::string expected = top + lab(3, 2, "X1") + lab(4, 2, "y1") + lab(4, 3, "y2") + lab(3, 4, "X2") +
                           lab(4, 4, "y1") + lab(4, 5, "y2");
    expected += colw(0, 4 * 256) + lab(5, 0, "A1") + colw(1, 1536) + lab(5, 1, "") + num(5, 2, 1) + num(5, 3, 2) +
                num(5, 4, 3) + num(5, 5, 4);
    expected += lab(6, 0, "A2") + colw(1, 1536) + lab(6, 1, "") + num(6, 2, 5) + num(6, 3, 6) + num(6, 4, 7) +
                num(6, 5, 8) + eof();
    EXPECT_EQ(run(table), expected);
}

TEST_F(ExcelTest, WithoutStubTheRowFollowsTheHeading) {
    const std::string table = head() + "HEADING=\"year\";\nVALUES(\"year\")=\"2020\",\"2021\";\nDATA=\n7 8;\n";
    EXPECT_EQ(run(table), top + lab(3, 0, "2020") + lab(3, 1, "2021") + num(4, 0, 7) + num(4, 1, 8) + eof());
}

TEST_F(ExcelTest, DescriptionTitleAndLineBreakMarks) {
    const std::string table =
        two_by_two("DESCRIPTION=\"first#\",\"second\";\nDESCRIPTIONDEFAULT=YES;\n", "1 2 3 4;");
    const std::string sheet = run(table);
    EXPECT_EQ(sheet.substr(0, bof().size() + lab(0, 0, "first ").size() + lab(1, 0, "second").size()),
              bof() + lab(0, 0, "first ") + lab(1, 0, "second"));
    EXPECT_NE(sheet.find(lab(4, 1, "2020")), std::string::npos);  // two lines of title, two empty rows
}

TEST_F(ExcelTest, PrestextAndCodeColumns) {
    const std::string codes =
        "CODES(\"region\")=\"N\",\"S\";\nCODES(\"year\")=\"y0\",\"y1\";\nPRESTEXT(\"year\")=2;\n";
    // Codes inside the labels: heading by PRESTEXT 2, stub as text only.
    EXPECT_EQ(run(two_by_two(codes + "PRESTEXT(\"region\")=3;\n")),
              top + lab(3, 1, "y0 2020") + lab(3, 2, "y1 2021") + colw(0, 7 * 256) + lab(4, 0, "north N") +
                  num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south S") + num(5, 1, 3) + num(5, 2, 4) + eof());
    // doublecolumn 1: the stub codes get a column of their own.
    const std::string with_column = top + lab(3, 2, "y0 2020") + lab(3, 3, "y1 2021") + colw(0, 2560) +
                                    lab(4, 0, "N") + colw(1, 7 * 256) + lab(4, 1, "north") + num(4, 2, 1) +
                                    num(4, 3, 2) + lab(5, 0, "S") + colw(1, 7 * 256) + lab(5, 1, "south") +
                                    num(5, 2, 3) + num(5, 3, 4) + eof();
    EXPECT_EQ(run(two_by_two(codes), 1), with_column);
    // doublecolumn 2 asks the variable: DOUBLECOLUMN=YES and a PRESTEXT.
    EXPECT_EQ(run(two_by_two(codes), 2), run(two_by_two(codes), 0));
    EXPECT_EQ(run(two_by_two(codes + "PRESTEXT(\"region\")=1;\nDOUBLECOLUMN(\"region\")=YES;\n"), 2), with_column);
}

// ---------------------------------------------------------------------------
// Cells.

TEST_F(ExcelTest, SymbolsAreRightAlignedLabels) {
    const std::string sheet = run(two_by_two("", "\"..\" \"-\" \n\"x\" 4;"));
    EXPECT_EQ(sheet, top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") +
                         sym(4, 1, "..") + sym(4, 2, "-") + lab(5, 0, "south") + num(5, 1, 0) + num(5, 2, 4) +
                         eof());
    // The caller's texts, and the table's own text before them.
    const std::string mine = run(two_by_two("DATASYMBOLNIL=\"nil\";\n", "\"..\" \"-\" \n\"x\" 4;"), 0, 0, 0, 0, 0,
                                 ".;n.a.;...;....;.....;......;.......;-");
    EXPECT_NE(mine.find(sym(4, 1, "n.a.")), std::string::npos);
    EXPECT_NE(mine.find(sym(4, 2, "nil")), std::string::npos);
}

TEST_F(ExcelTest, NumbersCarryTheShownRounding) {
    const std::string table = two_by_two("", "2.25 -1.35 \n0.05 10;", "DECIMALS=2;\nSHOWDECIMALS=1;");
    auto cells = [](double a, double b, double c, double d) {
        return num(4, 1, a) + num(4, 2, b) + lab(5, 0, "south") + num(5, 1, c) + num(5, 2, d);
    };
    // Ties to even, away from zero on request or by the table's ROUNDING.
    EXPECT_NE(run(table).find(cells(2.2, -1.4, 0.0, 10)), std::string::npos);
    EXPECT_NE(run(table, 0, 0, 0, 1).find(cells(2.3, -1.4, 0.1, 10)), std::string::npos);
    const std::string rounded =
        two_by_two("ROUNDING=1;\n", "2.25 -1.35 \n0.05 10;", "DECIMALS=2;\nSHOWDECIMALS=1;");
    EXPECT_NE(run(rounded).find(cells(2.3, -1.4, 0.1, 10)), std::string::npos);
    // Raw values keep every stored digit.
    EXPECT_NE(run(table, 0, 0, 0, 0, 1).find(cells(2.25, -1.35, 0.05, 10)), std::string::npos);
}

TEST_F(ExcelTest, DataNoteMarkersFollowEveryCell) {
    const std::string table = two_by_two("DATANOTECELL(\"south\",\"2020\")=\"*\";\n");
    EXPECT_EQ(run(table, 0, 0, 1),
              top + lab(3, 1, "2020") + lab(3, 2, "*") + lab(3, 3, "2021") + lab(3, 4, "*") + colw(0, 7 * 256) +
                  lab(4, 0, "north") + num(4, 1, 1) + lab(4, 2, "") + num(4, 3, 2) + lab(4, 4, "") +
                  lab(5, 0, "south") + num(5, 1, 3) + lab(5, 2, "*") + num(5, 3, 4) + lab(5, 4, "") + eof());
    EXPECT_TRUE(fs::exists(dir_.file("tabnotes.txt")));
    // Without the option, or without data notes, no marker column.
    EXPECT_EQ(run(table, 0, 0, 0), run(two_by_two()));
    EXPECT_EQ(run(two_by_two(), 0, 0, 1), run(two_by_two()));
}

TEST_F(ExcelTest, EarlyEndOfDataGivesZeroCells) {
    EXPECT_EQ(run(two_by_two("", "1 2 3;")),
              top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") + num(4, 1, 1) +
                  num(4, 2, 2) + lab(5, 0, "south") + num(5, 1, 3) + num(5, 2, 0) + eof());
}

TEST_F(ExcelTest, KeyedDataIsReadByItsKeys) {
    const std::string table = two_by_two("KEYS(\"region\")=VALUES;\n", "\"south\",3,4 \n\"north\",1,2;");
    EXPECT_EQ(run(table), run(two_by_two()));
}

TEST_F(ExcelTest, OverlongLabelsAreCutAndWidthsStayInRange) {
    const std::string long_text(300, 'w');
    std::string s;
    vt::out_file f;
    f.open_memory(s);
    vt::biff::write_label(f, 1, 2, long_text);
    f.close();
    EXPECT_EQ(s, lab(1, 2, std::string(255, 'w')));

    const std::string table = head() + "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"" + std::string(255, 'v') +
                              "\";\nVALUES(\"h\")=\"x\";\nDATA=\n1;\n";
    EXPECT_NE(run(table).find(colw(0, 0xFFFF)), std::string::npos);
}

// ---------------------------------------------------------------------------
// Notes and table information.

TEST_F(ExcelTest, NotesByLevel) {
    const std::string notes =
        "NOTEX=\"Mandatory.\";\nNOTE=\"Optional.\";\nNOTEX(\"region\")=\"Var note.\";\n"
        "VALUENOTEX(\"region\",\"south\")=\"South note.\";\n"
        "CELLNOTEX(\"north\",\"2021\")=\"Cell note.\";\n";
    const std::string table = two_by_two(notes);
    const std::string body = top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") +
                             num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south") + num(5, 1, 3) + num(5, 2, 4);
    EXPECT_EQ(run(table, 0, 0), body + eof());
    // One empty row, then each group followed by an empty row; the table's
    // own notes of both kinds come first.
    const std::string level2 = lab(7, 0, "Mandatory.") + lab(9, 0, "Optional.") + lab(11, 0, "region:") +
                               lab(12, 0, "Var note.") + lab(14, 0, "region:") + lab(15, 0, "south:") +
                               lab(16, 0, "South note.") + lab(18, 0, "region:") + lab(19, 0, "north:") +
                               lab(20, 0, "year:") + lab(21, 0, "2021:") + lab(22, 0, "Cell note.");
    EXPECT_EQ(run(table, 0, 1), body + level2 + eof());
    EXPECT_EQ(run(table, 0, 2), body + level2 + eof());
}

TEST_F(ExcelTest, LevelTwoAddsVariableValueAndCellNotesOfTheOptionalKind) {
    const std::string notes =
        "NOTEX=\"Mandatory.\";\nNOTE=\"Optional.\";\nNOTEX(\"region\")=\"Var x.\";\nNOTE(\"region\")=\"Var n.\";\n"
        "VALUENOTEX(\"region\",\"south\")=\"South x.\";\nVALUENOTE(\"region\",\"north\")=\"North n.\";\n"
        "VALUENOTE(\"year\",\"2021\")=\"Year n.\";\nCELLNOTEX(\"north\",\"2021\")=\"Cell x.\";\n"
        "CELLNOTE(\"south\",\"*\")=\"Cell n.\";\n";
    const std::string body = top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") +
                             num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south") + num(5, 1, 3) + num(5, 2, 4);
    // Level 1: the mandatory kinds only (and the table's own notes).
    EXPECT_EQ(run(two_by_two(notes), 0, 1),
              body + lab(7, 0, "Mandatory.") + lab(9, 0, "Optional.") + lab(11, 0, "region:") + lab(12, 0, "Var x.") +
                  lab(14, 0, "region:") + lab(15, 0, "south:") + lab(16, 0, "South x.") + lab(18, 0, "region:") +
                  lab(19, 0, "north:") + lab(20, 0, "year:") + lab(21, 0, "2021:") + lab(22, 0, "Cell x.") + eof());
    // Level 2: each variable's NOTE after its NOTEX, VALUENOTE under the
    // value's caption (the variable named once), CELLNOTE after CELLNOTEX;
    // a "*" in a cell note names no value.
    EXPECT_EQ(run(two_by_two(notes), 0, 2),
              body + lab(7, 0, "Mandatory.") + lab(9, 0, "Optional.") + lab(11, 0, "region:") + lab(12, 0, "Var x.") +
                  lab(14, 0, "region:") + lab(15, 0, "Var n.") + lab(17, 0, "region:") + lab(18, 0, "north:") +
                  lab(19, 0, "North n.") + lab(21, 0, "south:") + lab(22, 0, "South x.") + lab(24, 0, "year:") +
                  lab(25, 0, "2021:") + lab(26, 0, "Year n.") + lab(28, 0, "region:") + lab(29, 0, "north:") +
                  lab(30, 0, "year:") + lab(31, 0, "2021:") + lab(32, 0, "Cell x.") + lab(34, 0, "region:") +
                  lab(35, 0, "south:") + lab(36, 0, "Cell n.") + eof());
}

TEST_F(ExcelTest, NotesAreCutAtSeventyAndCellNotesAtSixty) {
    const std::string word(9, 'w');
    std::string text;
    for (int i = 0; i < 8; ++i) text += word + " ";
    auto joined = [&](int n) {
        std::string s = word;
        for (int i = 1; i < n; ++i) s += " " + word;
        return s + " ";
    };
    const std::string body = top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") +
                             num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south") + num(5, 1, 3) + num(5, 2, 4);
    EXPECT_EQ(run(two_by_two("NOTEX=\"" + text + "\";\nCELLNOTEX(\"south\",\"*\")=\"" + text + "\";\n"), 0, 1),
              body + lab(7, 0, joined(7)) + lab(8, 0, joined(1)) + lab(10, 0, "region:") + lab(11, 0, "south:") +
                  lab(12, 0, joined(6)) + lab(13, 0, joined(2)) + eof());
}

TEST_F(ExcelTest, InformationPerContentsValueWithCaptionsFromTheLabelFile) {
    const std::string table =
        head() +
        "STUB=\"region\";\nHEADING=\"contents\";\nCONTVARIABLE=\"contents\";\nVALUES(\"region\")=\"north\";\n"
        "VALUES(\"contents\")=\"Imports\",\"Exports\";\nLAST-UPDATED(\"Exports\")=\"20240102 10:30\";\n"
        "UNITS(\"Imports\")=\"SEK thousands\";\nUNITS(\"Exports\")=\"SEK\";\nCONTACT(\"Imports\")=\"Anna\";\n"
        "STOCKFA(\"Imports\")=\"F\";\nREFPERIOD(\"Exports\")=\"31 December\";\nBASEPERIOD(\"Imports\")=\"2000\";\n"
        "CFPRICES(\"Exports\")=\"C\";\nDAYADJ(\"Imports\")=YES;\nSEASADJ(\"Exports\")=YES;\n"
        "SOURCE=\"Customs office of the realm, which keeps the records of all trade\";\nCOPYRIGHT=YES;\n"
        "DATABASE=\"Db\";\nDATA=\n1 2;\n";
    dir_.write("labels.ini", "[Notes]\nLastupdated=Updated\nContact=Ask:\nStockF=Flows\n[Labels]\nUnit=Measure:\n");
    // Each item per contents value under the value's caption, the values
    // in the order the file first names them (Exports, by LAST-UPDATED); a
    // text of more than one line (SOURCE is cut at 60) stands below its
    // caption.
    const std::string expected =
        top + lab(3, 1, "Imports") + lab(3, 2, "Exports") + colw(0, 7 * 256) + lab(4, 0, "north") + num(4, 1, 1) +
        num(4, 2, 2) + lab(6, 0, "Exports:") + lab(7, 0, "Updated") + lab(7, 1, "2024-01-02  10:30") +
        lab(9, 0, "SOURCE:") + lab(10, 0, "Customs office of the realm, which keeps the records of all ") +
        lab(11, 0, "trade") + lab(13, 0, "Imports:") + lab(14, 0, "Ask:") + lab(14, 1, "Anna") +
        lab(16, 0, "COPYRIGHT") + lab(18, 0, "Exports:") + lab(19, 0, "Measure:") + lab(19, 1, "SEK") +
        lab(21, 0, "Imports:") + lab(22, 0, "Measure:") + lab(22, 1, "SEK thousands") + lab(24, 0, "Imports:") +
        lab(25, 0, "STOCKFA:") + lab(25, 1, "Flows") + lab(27, 0, "Exports:") + lab(28, 0, "REFPERIOD:") +
        lab(28, 1, "31 December") + lab(30, 0, "Imports:") + lab(31, 0, "BASEPERIOD:") + lab(31, 1, "2000") +
        lab(33, 0, "Exports:") + lab(34, 0, "Cprices") + lab(36, 0, "Imports:") + lab(37, 0, "Dayadj") +
        lab(39, 0, "Exports:") + lab(40, 0, "Seasadj") + lab(42, 0, "Database:") + lab(42, 1, "Db") +
        lab(44, 0, "MATRIX:") + lab(44, 1, "M1") + eof();
    EXPECT_EQ(run(table, 0, 3, 0, 0, 0, symbols, dir_.file("labels.ini")), expected);
}

TEST_F(ExcelTest, TableInformationWithCaptionsFromTheLabelFile) {
    const std::string info =
        "LAST-UPDATED=\"20240131 09:00\";\nSOURCE=\"Office\";\nCOPYRIGHT=YES;\nSTOCKFA=\"S\";\n"
        "CFPRICES=\"C\";\nDATABASE=\"Db\";\n";
    dir_.write("labels.ini", "[Notes]\nSource=Made by:\nStockS=Level\n");
    const std::string body = top + lab(3, 1, "2020") + lab(3, 2, "2021") + colw(0, 7 * 256) + lab(4, 0, "north") +
                             num(4, 1, 1) + num(4, 2, 2) + lab(5, 0, "south") + num(5, 1, 3) + num(5, 2, 4);
    const std::string expected = body + lab(7, 0, "LAST-UPDATED") + lab(7, 1, "2024-01-31  09:00") +
                                 lab(9, 0, "Made by:") + lab(9, 1, "Office") + lab(11, 0, "COPYRIGHT") +
                                 lab(13, 0, "UNIT:") + lab(13, 1, "u") + lab(15, 0, "STOCKFA:") +
                                 lab(15, 1, "Level") + lab(17, 0, "Cprices") + lab(19, 0, "Database:") +
                                 lab(19, 1, "Db") + lab(21, 0, "MATRIX:") + lab(21, 1, "M1") + eof();
    EXPECT_EQ(run(two_by_two(info), 0, 3, 0, 0, 0, symbols, dir_.file("labels.ini")), expected);
}

// ---------------------------------------------------------------------------
// Failures, the library export and the batch function.

TEST_F(ExcelTest, FailureCodes) {
    EXPECT_EQ(vt::ExcelConv2005(dir_.file("none.vt"), out_path(), symbols, 0, 0, "*", 0, 0, 0), 400);
    dir_.write("tab.vt", two_by_two());
    EXPECT_EQ(vt::ExcelConv2005(in_path(), dir_.file("no/such/dir.xls"), symbols, 0, 0, "*", 0, 0, 0), 400);
    EXPECT_EQ(vt::ExcelConv2005(in_path(), "", symbols, 0, 0, "*", 0, 0, 0), 400);
    run(head() + "STUB=\"r\";\nDATA=\n1;\n");  // a variable without values
    EXPECT_EQ(rc_, 141);
    EXPECT_FALSE(fs::exists(out_path()));
    // A sheet replacing its own table file still gets every cell.
    dir_.write("tab.vt", two_by_two());
    const std::string expected = run(two_by_two());
    EXPECT_EQ(vt::ExcelConv2005(in_path(), in_path(), symbols, 0, 0, "*", 0, 0, 0), 0);
    EXPECT_EQ(dir_.read("tab.vt"), expected);
}

TEST_F(ExcelTest, LibraryExportWritesTheSameSheet) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using fn = int (*)(const char*, const char*, const void*, const char*, int, int, const char*, int, int, int);
    const auto excel = reinterpret_cast<fn>(dlsym(lib, "ExcelConv2005"));
    ASSERT_NE(excel, nullptr);
    const std::string table = two_by_two("NOTEX=\"n\";\n", "1.5 \"..\" \n3 4;");
    const std::string expected = run(table, 0, 3, 0, 1, 0);
    fs::remove(out_path());
    EXPECT_EQ(excel(in_path().c_str(), out_path().c_str(), nullptr, symbols.c_str(), 0, 3, "*", 0, 1, 0), 0);
    EXPECT_EQ(dir_.read("tab.xls"), expected);
    EXPECT_EQ(excel(nullptr, out_path().c_str(), nullptr, nullptr, 0, 0, nullptr, 0, 0, 0), 400);
    int host_table = 0;
    EXPECT_EQ(excel(nullptr, out_path().c_str(), &host_table, nullptr, 0, 0, nullptr, 0, 0, 0), 400);
    EXPECT_EQ(excel(in_path().c_str(), nullptr, nullptr, nullptr, 0, 0, nullptr, 0, 0, 0), 400);
    dlclose(lib);
}

TEST_F(ExcelTest, BatchFunctionPassesItsOptions) {
    dir_.write("tab.vt", two_by_two("NOTEX=\"n\";\nDATANOTECELL(\"north\",\"2020\")=\"*\";\n", "2.25 \"..\" \n3 4;",
                                    "DECIMALS=2;\nSHOWDECIMALS=1;"));
    dir_.write("lab.ini", "[Labels]\nUnit=Measure:\n");
    dir_.write("q.ini",
               "[Files]\nInfile=tab.vt\nOutfile=out.xls\nErrorfile=err.txt\ntextfile=lab.ini\n[Query]\n"
               "Function=Excel\n[Data]\nrounding=1\ncompleteinfo=3\ndatanote=1\nSymbol2=n.a.\n");
    const std::string cmd = "cd '" + dir_.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir_.read("err.txt"), "Excel ended OK ");
    const std::string expected = vt::ExcelConv2005(in_path(), out_path(), ".;n.a.;...;....;.....;......;.......;-",
                                                   0, 3, dir_.file("lab.ini"), 1, 1, 0) == 0
                                     ? dir_.read("tab.xls")
                                     : std::string("failed");
    const std::string sheet = dir_.read("out.xls");
    EXPECT_EQ(sheet, expected);
    EXPECT_NE(sheet.find(num(4, 1, 2.3) + lab(4, 2, "*") + sym(4, 3, "n.a.")), std::string::npos);
    EXPECT_NE(sheet.find("Measure:"), std::string::npos);
}

}  // namespace
