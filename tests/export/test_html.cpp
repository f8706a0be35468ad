// Tests of the HTML pages: whole pages of small tables compared byte for
// byte in both stub layouts, cells, data-note markers, the notes row, the
// failure codes, the library export and the batch function.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/html.h"
#include "platform/datablock.h"

namespace {

namespace fs = std::filesystem;

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

// The parts of a page that do not depend on the table's layout: everything
// before the caption row and everything after the notes row.
std::string page_start(const std::string& title, const std::string& table_tag) {
    return "<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'><HTML>\r\n"
           "<HEAD>\r\n"
           "<TITLE>" +
           title +
           "</TITLE>\r\n"
           "</HEAD>\r\n"
           "<BODY>\r\n" +
           table_tag + "\r\n";
}
const std::string page_end = "</TABLE>\r\n</BODY>\r\n</HTML>";
const std::string empty_notes_row = "<TR ALIGN=LEFT>\r\n\r\n</TR>\r\n";

std::string caption(int columns, const std::string& title) {
    return "<TR ALIGN=LEFT>\r\n<TH COLSPAN=" + std::to_string(columns) + ">" + title + "</TH>\r\n</TR>\r\n";
}

const std::string default_symbols = ".;..;...;....;.....;......;.......;-";

class HtmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        vt::reader_state().selected_language = "";
        vt::reader_state().oem_input = true;
    }
    void TearDown() override { vt::plat::refuse_data_blocks(false); }

    std::string in_path() const { return dir_.file("tab.vt"); }
    std::string out_path() const { return dir_.file("tab.htm"); }

    // Writes the table, converts it with htmkonv (layout 1) or htmkonv2
    // (layout 2) and returns the page (empty on failure, the code in rc_).
    std::string run(int layout, const std::string& table, int a = 0, int b = 0,
                    const std::string& symbols = default_symbols) {
        dir_.write("tab.vt", table);
        fs::remove(out_path());
        rc_ = layout == 1 ? vt::htmkonv(in_path(), out_path(), symbols, a, b)
                          : vt::htmkonv2(in_path(), out_path(), symbols, a, b);
        return rc_ == 0 ? dir_.read("tab.htm") : std::string();
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

// ---------------------------------------------------------------------------
// Whole pages.

TEST_F(HtmlTest, OneStubOneHeadingWholePage) {
    const std::string html1 =
        "<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'><HTML>\r\n"
        "<HEAD>\r\n"
        "<TITLE>Population</TITLE>\r\n"
        "</HEAD>\r\n"
        "<BODY>\r\n"
        "<TABLE>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "<TH COLSPAN=3>Population</TH>\r\n"
        "</TR>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "<TH> </TH>\r\n"
        "<TH VALIGN=TOP COLSPAN=1>2020</TH>\r\n"
        "<TH VALIGN=TOP COLSPAN=1>2021</TH>\r\n"
        "</TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT VALIGN=TOP>north</TH>\r\n"
        "<td nowrap>1</td><td nowrap>22</td></TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT VALIGN=TOP>south</TH>\r\n"
        "<td nowrap>333</td><td nowrap>4444</td></TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT VALIGN=TOP>east</TH>\r\n"
        "<td nowrap>5</td><td nowrap>66</td></TR>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "\r\n"
        "</TR>\r\n"
        "</TABLE>\r\n"
        "</BODY>\r\n"
        "</HTML>";
    EXPECT_EQ(run(1, population()), html1);
    EXPECT_EQ(rc_, 0);

    // The second layout: a bordered table, its own corner cell and plain
    // header cells for the only stub variable; the caption spans as many
    // columns.
    const std::string html2 =
        "<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'><HTML>\r\n"
        "<HEAD>\r\n"
        "<TITLE>Population</TITLE>\r\n"
        "</HEAD>\r\n"
        "<BODY>\r\n"
        "<TABLE BORDER>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "<TH COLSPAN=3>Population</TH>\r\n"
        "</TR>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "<TH COLSPAN=1> </TH>\r\n"
        "<TH VALIGN=TOP COLSPAN=1>2020</TH>\r\n"
        "<TH VALIGN=TOP COLSPAN=1>2021</TH>\r\n"
        "</TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT>north</TH>\r\n"
        "<td nowrap>1</td><td nowrap>22</td></TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT>south</TH>\r\n"
        "<td nowrap>333</td><td nowrap>4444</td></TR>\r\n"
        "<TR ALIGN=RIGHT>\r\n"
        "<TH ALIGN=LEFT>east</TH>\r\n"
        "<td nowrap>5</td><td nowrap>66</td></TR>\r\n"
        "<TR ALIGN=LEFT>\r\n"
        "\r\n"
        "</TR>\r\n"
        "</TABLE>\r\n"
        "</BODY>\r\n"
        "</HTML>";
    EXPECT_EQ(run(2, population()), html2);
    EXPECT_EQ(rc_, 0);
}

std::string two_stub_table() {
    return head() +
           "STUB=\"sex\",\"region\";\nHEADING=\"h\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
           "VALUES(\"region\")=\"a\",\"b\",\"c\";\nVALUES(\"h\")=\"x\";\nDATA=1 2 3 4 5 6;\n";
}

TEST_F(HtmlTest, TwoStubVariablesInOneColumnAndInColumnsOfTheirOwn) {
    // One column: each outer value has a row holding only its header.
    const std::string html1 = page_start("T", "<TABLE>") + caption(2, "T") +
                              "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n</TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>men</TH>\r\n</TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>a</TH>\r\n<td nowrap>1</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>b</TH>\r\n<td nowrap>2</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>c</TH>\r\n<td nowrap>3</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>women</TH>\r\n</TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>a</TH>\r\n<td nowrap>4</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>b</TH>\r\n<td nowrap>5</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>c</TH>\r\n<td nowrap>6</td></TR>\r\n" +
                              empty_notes_row + page_end;
    EXPECT_EQ(run(1, two_stub_table()), html1);

    // A column each: six rows, the first and the fourth opened by the outer
    // header spanning its three rows.
    const std::string html2 = page_start("T", "<TABLE BORDER>") + caption(3, "T") +
                              "<TR ALIGN=LEFT>\r\n<TH COLSPAN=2> </TH>\r\n<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n</TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=3>men</TH>\r\n"
                              "<TH ALIGN=LEFT>a</TH>\r\n<td nowrap>1</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT>b</TH>\r\n<td nowrap>2</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT>c</TH>\r\n<td nowrap>3</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=3>women</TH>\r\n"
                              "<TH ALIGN=LEFT>a</TH>\r\n<td nowrap>4</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT>b</TH>\r\n<td nowrap>5</td></TR>\r\n"
                              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT>c</TH>\r\n<td nowrap>6</td></TR>\r\n" +
                              empty_notes_row + page_end;
    EXPECT_EQ(run(2, two_stub_table()), html2);
}

TEST_F(HtmlTest, ThreeStubLevelsOpenARowOnlyWhereAValueIsNotTheFirstOfItsVariable) {
    // Without a heading variable there is one data column and no heading row.
    const std::string table = head() +
                              "STUB=\"a\",\"b\",\"c\";\nVALUES(\"a\")=\"A1\",\"A2\";\n"
                              "VALUES(\"b\")=\"B1\",\"B2\";\nVALUES(\"c\")=\"C1\",\"C2\";\nDATA=1 2 3 4 5 6 7 8;\n";
    const std::string outer = "<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=4>";
    const std::string middle = "<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=2>";
    const std::string row = "<TR ALIGN=RIGHT>\r\n";
    auto inner = [](const std::string& v, int n) {
        return "<TH ALIGN=LEFT>" + v + "</TH>\r\n<td nowrap>" + std::to_string(n) + "</td></TR>\r\n";
    };
    const std::string html2 = page_start("T", "<TABLE BORDER>") + caption(4, "T") +         //
                              row + outer + "A1</TH>\r\n" + middle + "B1</TH>\r\n" + inner("C1", 1) +  //
                              row + inner("C2", 2) +                                             //
                              row + middle + "B2</TH>\r\n" + inner("C1", 3) +                    //
                              row + inner("C2", 4) +                                             //
                              row + outer + "A2</TH>\r\n" + middle + "B1</TH>\r\n" + inner("C1", 5) +  //
                              row + inner("C2", 6) +                                             //
                              row + middle + "B2</TH>\r\n" + inner("C1", 7) +                    //
                              row + inner("C2", 8) + empty_notes_row + page_end;
    EXPECT_EQ(run(2, table), html2);
}

TEST_F(HtmlTest, TableWithoutStubHasNoCornerAndOneBodyRow) {
    const std::string table = head() + "HEADING=\"h\";\nVALUES(\"h\")=\"x\",\"y\";\nDATA=1 2;\n";
    const std::string body = caption(2, "T") +
                             "<TR ALIGN=LEFT>\r\n"
                             "<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n"
                             "<TH VALIGN=TOP COLSPAN=1>y</TH>\r\n"
                             "</TR>\r\n"
                             "<TR ALIGN=RIGHT>\r\n"
                             "<td nowrap>1</td><td nowrap>2</td></TR>\r\n" +
                             empty_notes_row + page_end;
    EXPECT_EQ(run(1, table), page_start("T", "<TABLE>") + body);
    EXPECT_EQ(run(2, table), page_start("T", "<TABLE BORDER>") + body);
}

TEST_F(HtmlTest, TwoHeadingVariablesRepeatTheInnerValuesUnderEachOuterOne) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"g\",\"k\";\nVALUES(\"r\")=\"a\";\n"
                              "VALUES(\"g\")=\"p\",\"q\";\nVALUES(\"k\")=\"1\",\"2\",\"3\";\nDATA=1 2 3 4 5 6;\n";
    std::string inner_row = "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n";
    for (int i = 0; i < 2; ++i)
        for (const char* v : {"1", "2", "3"}) inner_row += std::string("<TH VALIGN=TOP COLSPAN=1>") + v + "</TH>\r\n";
    inner_row += "</TR>\r\n";
    const std::string expected =
        page_start("T", "<TABLE>") + caption(7, "T") +
        "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n<TH VALIGN=TOP COLSPAN=3>p</TH>\r\n<TH VALIGN=TOP COLSPAN=3>q</TH>\r\n"
        "</TR>\r\n" +
        inner_row +
        "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>a</TH>\r\n"
        "<td nowrap>1</td><td nowrap>2</td><td nowrap>3</td><td nowrap>4</td><td nowrap>5</td><td nowrap>6</td>"
        "</TR>\r\n" +
        empty_notes_row + page_end;
    EXPECT_EQ(run(1, table), expected);
}

// ---------------------------------------------------------------------------
// Cells.

// The body of a table with one stub value "a" and the given cells.
std::string one_row_body(const std::string& cells) {
    return "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>a</TH>\r\n" + cells + "</TR>\r\n";
}

TEST_F(HtmlTest, SymbolCellsTakeTheTableTextElseTheCallersList) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\n"
                              "VALUES(\"h\")=\"1\",\"2\",\"3\",\"4\",\"5\",\"6\";\n"
                              "DATASYMBOL2=\"n/a\";\nDATA=\".\" \"..\" \"-\" 0 \".......\" \"......\";\n";
    auto page = [](const std::string& cells) {
        std::string heading = "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n";
        for (const char* v : {"1", "2", "3", "4", "5", "6"})
            heading += std::string("<TH VALIGN=TOP COLSPAN=1>") + v + "</TH>\r\n";
        return page_start("T", "<TABLE>") + caption(7, "T") + heading + "</TR>\r\n" + one_row_body(cells) +
               empty_notes_row + page_end;
    };
    // A zero is a number, not the nil symbol.
    EXPECT_EQ(run(1, table, 0, 0, "s1;s2;s3;s4;s5;s6;s7;nil"),
              page("<td nowrap>s1</td><td nowrap>n/a</td><td nowrap>nil</td><td nowrap>0</td>"
                   "<td nowrap>s7</td><td nowrap>s6</td>"));
    // A list without the fields leaves "0" for every text the table lacks.
    EXPECT_EQ(run(1, table, 0, 0, ""),
              page("<td nowrap>0</td><td nowrap>n/a</td><td nowrap>0</td><td nowrap>0</td>"
                   "<td nowrap>0</td><td nowrap>0</td>"));
}

std::string decimals_table(const std::string& extra = "") {
    return head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") + extra +
           "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\",\"z\",\"w\";\n"
           "PRECISION(\"h\",\"y\")=2;\nDATA=2.25 2.25 -2.25 1234567.35;\n";
}

std::string decimals_page(const std::string& cells) {
    return page_start("T", "<TABLE>") + caption(5, "T") +
           "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n<TH VALIGN=TOP COLSPAN=1>y</TH>\r\n"
           "<TH VALIGN=TOP COLSPAN=1>z</TH>\r\n<TH VALIGN=TOP COLSPAN=1>w</TH>\r\n</TR>\r\n" +
           one_row_body(cells) + empty_notes_row + page_end;
}

TEST_F(HtmlTest, CellsShowTheirOwnDecimalsAndRoundTiesByTheRule) {
    // Column y shows the two decimals of its PRECISION, the others one:
    // stored ties at one decimal go to the even digit, or away from zero
    // with the rounding flag. Big numbers keep a plain decimal point and no
    // thousands groups.
    EXPECT_EQ(run(1, decimals_table(), 0),
              decimals_page("<td nowrap>2.2</td><td nowrap>2.25</td><td nowrap>-2.2</td>"
                            "<td nowrap>1234567.4</td>"));
    EXPECT_EQ(run(1, decimals_table(), 1),
              decimals_page("<td nowrap>2.3</td><td nowrap>2.25</td><td nowrap>-2.3</td>"
                            "<td nowrap>1234567.4</td>"));
    // The table's own ROUNDING wins over the argument.
    EXPECT_EQ(run(1, decimals_table("ROUNDING=1;\n"), 0),
              decimals_page("<td nowrap>2.3</td><td nowrap>2.25</td><td nowrap>-2.3</td>"
                            "<td nowrap>1234567.4</td>"));
}

// ---------------------------------------------------------------------------
// Data notes.

TEST_F(HtmlTest, DataNoteMarkersStandAfterOrBeforeTheValue) {
    // Two symbols: "*" for north 2021, "b" for every year of east, where
    // the 2021 cell is a data symbol.
    const std::string table = head("Population") +
                              "STUB=\"region\";\nHEADING=\"year\";\n"
                              "VALUES(\"region\")=\"north\",\"south\",\"east\";\n"
                              "VALUES(\"year\")=\"2020\",\"2021\";\n"
                              "DATANOTECELL(\"north\",\"2021\")=\"*\";\nDATANOTECELL(\"east\",\"*\")=\"b\";\n"
                              "DATA=\n1 22 \n333 4444 \n5 \"..\";\n";
    auto page = [](const std::string& table_tag, const std::string& rows) {
        return page_start("Population", table_tag) + caption(3, "Population") + "<TR ALIGN=LEFT>\r\n" +
               (table_tag == "<TABLE>" ? "<TH> </TH>\r\n" : "<TH COLSPAN=1> </TH>\r\n") +
               "<TH VALIGN=TOP COLSPAN=1>2020</TH>\r\n<TH VALIGN=TOP COLSPAN=1>2021</TH>\r\n</TR>\r\n" + rows +
               empty_notes_row + page_end;
    };
    auto rows = [](const std::string& th, const std::string& n1, const std::string& e1, const std::string& e2) {
        return "<TR ALIGN=RIGHT>\r\n" + th + "north</TH>\r\n<td nowrap>1</td><td nowrap>" + n1 + "</td></TR>\r\n" +
               "<TR ALIGN=RIGHT>\r\n" + th + "south</TH>\r\n<td nowrap>333</td><td nowrap>4444</td></TR>\r\n" +
               "<TR ALIGN=RIGHT>\r\n" + th + "east</TH>\r\n<td nowrap>" + e1 + "</td><td nowrap>" + e2 +
               "</td></TR>\r\n";
    };
    const std::string th1 = "<TH ALIGN=LEFT VALIGN=TOP>";
    EXPECT_EQ(run(1, table, 0, 0), page("<TABLE>", rows(th1, "22*", "5b", "..b")));
    // The cells are numbered into the notes file beside the output.
    EXPECT_EQ(dir_.read("tabnotes.txt").find("[cell1]"), 0u) << dir_.read("tabnotes.txt");
    EXPECT_EQ(run(2, table, 0, 1), page("<TABLE BORDER>", rows("<TH ALIGN=LEFT>", "*22", "b5", "b..")));
    // Any placement other than "before" puts the marker after the value.
    EXPECT_EQ(run(1, table, 0, 7), page("<TABLE>", rows(th1, "22*", "5b", "..b")));
}

// ---------------------------------------------------------------------------
// Notes.

TEST_F(HtmlTest, NotesRowListsEveryNoteInTableVariableValueAndCellOrder) {
    const std::string table = population(
        "NOTEX=\"Mandatory.#Second line.\";\nNOTE=\"Optional.\";\n"
        "NOTEX(\"year\")=\"Years.\";\n"
        "NOTEX(\"region\")=\"Regions.\";\nNOTE(\"region\")=\"Regions, optional.\";\n"
        "VALUENOTE(\"region\",\"south\")=\"South optional.\";\n"
        "VALUENOTEX(\"region\",\"south\")=\"South.\";\n"
        "VALUENOTEX(\"region\",\"north\")=\"North.\";\n"
        "CELLNOTE(\"south\",\"2021\")=\"Cell optional.\";\n"
        "CELLNOTEX(\"north\",\"2020\")=\"Cell.#Two lines.\";\n");
    const std::string notes_row =
        "<TR ALIGN=LEFT>\r\n"
        "<TD COLSPAN=3>Mandatory. <BR>\r\n"
        "Second line.<BR>\r\n"
        "Optional.<BR>\r\n"
        "Regions.<BR>\r\n"
        "Regions, optional.<BR>\r\n"
        "North.<BR>\r\n"
        "South.<BR>\r\n"
        "South optional.<BR>\r\n"
        "Years.<BR>\r\n"
        "Cell. <BR>\r\n"
        "Two lines.<BR>\r\n"
        "Cell optional.\r\n"
        "</TD>\r\n"
        "</TR>\r\n";
    const std::string page = run(1, table);
    ASSERT_EQ(rc_, 0);
    const std::size_t at = page.find("<TR ALIGN=LEFT>\r\n<TD");
    ASSERT_NE(at, std::string::npos) << page;
    EXPECT_EQ(page.substr(at), notes_row + page_end);
    // Apart from the notes row, the page is the one of the table without notes.
    EXPECT_EQ(page.substr(0, at), run(1, population()).substr(0, at));
}

TEST_F(HtmlTest, DescriptionServesAsTitleWhenItIsTheDefault) {
    const std::string table = head("Title one") +
                              "DESCRIPTION=\"first#\",\"second\";\nDESCRIPTIONDEFAULT=YES;\n"
                              "HEADING=\"h\";\nVALUES(\"h\")=\"x\";\nDATA=1;\n";
    const std::string title = "first <BR>\r\nsecond";
    const std::string expected = page_start(title, "<TABLE>") + caption(1, title) +
                                 "<TR ALIGN=LEFT>\r\n<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n</TR>\r\n"
                                 "<TR ALIGN=RIGHT>\r\n<td nowrap>1</td></TR>\r\n" +
                                 empty_notes_row + page_end;
    EXPECT_EQ(run(1, table), expected);
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(HtmlTest, FilesThatCannotBeOpenedGive400) {
    EXPECT_EQ(vt::htmkonv(dir_.file("missing.vt"), out_path(), default_symbols, 0, 0), vt::html_cannot_open);
    EXPECT_FALSE(fs::exists(out_path()));
    dir_.write("tab.vt", population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n"));
    EXPECT_EQ(vt::htmkonv2(in_path(), dir_.file("no/such/dir.htm"), default_symbols, 0, 0), vt::html_cannot_open);
    EXPECT_EQ(vt::htmkonv(in_path(), "", default_symbols, 0, 0), vt::html_cannot_open);
    EXPECT_EQ(vt::htmkonv("", out_path(), default_symbols, 0, 0), vt::html_cannot_open);
    EXPECT_FALSE(fs::exists("notes.txt"));
}

TEST_F(HtmlTest, ReaderProblemReturnsItsCodeAndCreatesNoPage) {
    const std::string bad = "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
                            "TITLE=\"T\";\nUNITS=\"u\";\nDECIMALS=0;\nSTUB=\"r\";\nVALUES(\"r\")=\"a\";\nDATA=1;\n";
    dir_.write("tab.vt", bad);
    vt::in_file f;
    vt::table t = vt::table_new();
    const int reader_rc = vt::read_table_file(in_path(), f, t);
    ASSERT_GT(reader_rc, 0);
    run(1, bad);
    EXPECT_EQ(rc_, reader_rc);
    EXPECT_FALSE(fs::exists(out_path()));
}

TEST_F(HtmlTest, OutputThatCannotBeWrittenIsNoSuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    dir_.write("tab.vt", population());
    EXPECT_EQ(vt::htmkonv(in_path(), "/dev/full", default_symbols, 0, 0), vt::html_cannot_open);
}

TEST_F(HtmlTest, RefusedDataBlockGives201) {
    vt::plat::refuse_data_blocks(true);
    run(2, population());
    EXPECT_EQ(rc_, 201);
    EXPECT_FALSE(fs::exists(out_path()));
}

TEST_F(HtmlTest, PageReplacingItsOwnTableIsWhole) {
    const std::string expected = run(1, population());
    ASSERT_EQ(rc_, 0);
    dir_.write("tab.vt", population());
    EXPECT_EQ(vt::htmkonv(in_path(), in_path(), default_symbols, 0, 0), 0);
    EXPECT_EQ(dir_.read("tab.vt"), expected);
}

TEST_F(HtmlTest, NotesFileNeverReplacesTheInputTable) {
    // Output "tab.htm" numbers its notes into "tabnotes.txt": here that is
    // the table being read, which must survive.
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    const std::string input = dir_.write("tabnotes.txt", table);
    EXPECT_EQ(vt::htmkonv(input, out_path(), default_symbols, 0, 0), 0);
    EXPECT_EQ(dir_.read("tabnotes.txt"), table);
    EXPECT_NE(dir_.read("tab.htm").find("<td nowrap>22</td>"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The library export and the batch function.

TEST_F(HtmlTest, LibraryExportsWriteTheSamePages) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using fn = int (*)(const char*, const char*, const char*, int, int);
    const auto html1 = reinterpret_cast<fn>(dlsym(lib, "htmkonv"));
    const auto html2 = reinterpret_cast<fn>(dlsym(lib, "htmkonv2"));
    ASSERT_NE(html1, nullptr);
    ASSERT_NE(html2, nullptr);

    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    for (int layout : {1, 2}) {
        const std::string expected = run(layout, table, 0, 1);
        ASSERT_EQ(rc_, 0);
        fs::remove(out_path());
        const fn f = layout == 1 ? html1 : html2;
        EXPECT_EQ(f(in_path().c_str(), out_path().c_str(), default_symbols.c_str(), 0, 1), 0);
        EXPECT_EQ(dir_.read("tab.htm"), expected) << layout;
    }
    // No symbol list is an empty one; no file name cannot be opened.
    EXPECT_EQ(html1(in_path().c_str(), out_path().c_str(), nullptr, 0, 0), 0);
    EXPECT_EQ(html1(nullptr, out_path().c_str(), nullptr, 0, 0), 400);
    EXPECT_EQ(html2(in_path().c_str(), nullptr, nullptr, 0, 0), 400);
    dlclose(lib);
}

TEST_F(HtmlTest, BatchFunctionHtml1PassesSymbolsRoundingAndPlacement) {
    dir_.write("tab.vt", head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") +
                             "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\";\n"
                             "DATANOTECELL(\"a\",\"x\")=\"*\";\nDATA=2.25 \"..\";\n");
    dir_.write("q.ini",
               "[Files]\nInfile=tab.vt\nOutfile=out.htm\nErrorfile=err.txt\n[Query]\nFunction=HTML1\n"
               "[Data]\nrounding=1\ndatanoteoptplace=1\nSymbol2=n.a.\n");
    const std::string cmd =
        "cd '" + dir_.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir_.read("err.txt"), "HTML1 ended OK ");
    const std::string expected = page_start("T", "<TABLE>") + caption(3, "T") +
                                 "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n<TH VALIGN=TOP COLSPAN=1>x</TH>\r\n"
                                 "<TH VALIGN=TOP COLSPAN=1>y</TH>\r\n</TR>\r\n" +
                                 one_row_body("<td nowrap>*2.3</td><td nowrap>n.a.</td>") + empty_notes_row +
                                 page_end;
    EXPECT_EQ(dir_.read("out.htm"), expected);
    EXPECT_TRUE(fs::exists(dir_.file("outnotes.txt")));
}

}  // namespace
