// Tests of the HTML pages: whole pages of small tables in both stub
// layouts, cells, data-note markers, the notes row, the failure codes, the
// library exports and the batch function.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "../platform/temp_dir.h"
#include "core/infile.h"
#include "core/reader.h"
#include "core/table.h"
#include "export/html.h"
#include "platform/datablock.h"

namespace {

namespace fs = std::filesystem;

std::string head(const std::string& title = "T", const std::string& decimals = "DECIMALS=0;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"" + title +
           "\";\nCONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// One stub variable with three values and one heading variable with two.
std::string population(const std::string& extra = "", const std::string& data = "1 22 \n333 4444 \n5 66;") {
    return head("Population") +
           "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"south\",\"east\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\n" + extra + "DATA=\n" + data + "\n";
}

// Pieces of expected pages: everything up to the heading rows, a heading
// row, a body row, and the empty notes row with the closing tags.
std::string start(const std::string& tag, int columns, const std::string& title = "T") {
    return "<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'><HTML>\r\n<HEAD>\r\n<TITLE>" + title +
           "</TITLE>\r\n</HEAD>\r\n<BODY>\r\n" + tag + "\r\n<TR ALIGN=LEFT>\r\n<TH COLSPAN=" +
           std::to_string(columns) + ">" + title + "</TH>\r\n</TR>\r\n";
}
std::string heading(const std::string& corner, std::initializer_list<const char*> values, int span = 1) {
    std::string s = "<TR ALIGN=LEFT>\r\n" + corner;
    for (const char* v : values) s += "<TH VALIGN=TOP COLSPAN=" + std::to_string(span) + ">" + v + "</TH>\r\n";
    return s + "</TR>\r\n";
}
std::string row(const std::string& headers, std::initializer_list<const char*> cells) {
    std::string s = "<TR ALIGN=RIGHT>\r\n" + headers;
    for (const char* c : cells) s += std::string("<td nowrap>") + c + "</td>";
    return s + "</TR>\r\n";
}
std::string th1(const std::string& v) { return "<TH ALIGN=LEFT VALIGN=TOP>" + v + "</TH>\r\n"; }
std::string th2(const std::string& v) { return "<TH ALIGN=LEFT>" + v + "</TH>\r\n"; }
std::string span(int rows, const std::string& v) {
    return "<TH ALIGN=LEFT VALIGN=TOP ROWSPAN=" + std::to_string(rows) + ">" + v + "</TH>\r\n";
}
const std::string corner1 = "<TH> </TH>\r\n";
const std::string end_of_page = "<TR ALIGN=LEFT>\r\n\r\n</TR>\r\n</TABLE>\r\n</BODY>\r\n</HTML>";
const std::string symbols = ".;..;...;....;.....;......;.......;-";

class HtmlTest : public ::testing::Test {
protected:
    void TearDown() override { vt::plat::refuse_data_blocks(false); }

    std::string in_path() const { return dir_.file("tab.vt"); }
    std::string out_path() const { return dir_.file("tab.htm"); }

    // Converts `table` with htmkonv (layout 1) or htmkonv2 (layout 2); the
    // page, or "" with the code in rc_.
    std::string run(int layout, const std::string& table, int a = 0, int b = 0, const std::string& list = symbols) {
        dir_.write("tab.vt", table);
        fs::remove(out_path());
        rc_ = (layout == 1 ? vt::htmkonv : vt::htmkonv2)(in_path(), out_path(), list, a, b);
        return rc_ == 0 ? dir_.read("tab.htm") : std::string();
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

// ---------------------------------------------------------------------------
// Whole pages.

TEST_F(HtmlTest, OneStubOneHeadingWholePage) {
    EXPECT_EQ(run(1, population()),
              "<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 4.01 Transitional//EN'><HTML>\r\n"
              "<HEAD>\r\n<TITLE>Population</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<TABLE>\r\n"
              "<TR ALIGN=LEFT>\r\n<TH COLSPAN=3>Population</TH>\r\n</TR>\r\n"
              "<TR ALIGN=LEFT>\r\n<TH> </TH>\r\n"
              "<TH VALIGN=TOP COLSPAN=1>2020</TH>\r\n<TH VALIGN=TOP COLSPAN=1>2021</TH>\r\n</TR>\r\n"
              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>north</TH>\r\n"
              "<td nowrap>1</td><td nowrap>22</td></TR>\r\n"
              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>south</TH>\r\n"
              "<td nowrap>333</td><td nowrap>4444</td></TR>\r\n"
              "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>east</TH>\r\n"
              "<td nowrap>5</td><td nowrap>66</td></TR>\r\n"
              "<TR ALIGN=LEFT>\r\n\r\n</TR>\r\n</TABLE>\r\n</BODY>\r\n</HTML>");
    EXPECT_EQ(rc_, 0);
    // A bordered table with its own corner cell; the caption spans as many columns.
    EXPECT_EQ(run(2, population()), start("<TABLE BORDER>", 3, "Population") +
                                        heading("<TH COLSPAN=1> </TH>\r\n", {"2020", "2021"}) +
                                        row(th2("north"), {"1", "22"}) + row(th2("south"), {"333", "4444"}) +
                                        row(th2("east"), {"5", "66"}) + end_of_page);
}

TEST_F(HtmlTest, TwoStubVariablesInOneColumnAndInColumnsOfTheirOwn) {
    const std::string table = head() +
                              "STUB=\"sex\",\"region\";\nHEADING=\"h\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
                              "VALUES(\"region\")=\"a\",\"b\",\"c\";\nVALUES(\"h\")=\"x\";\nDATA=1 2 3 4 5 6;\n";
    // One column: each outer value has a row holding only its header.
    const std::string outer_row = "<TR ALIGN=RIGHT>\r\n<TH ALIGN=LEFT VALIGN=TOP>";
    EXPECT_EQ(run(1, table), start("<TABLE>", 2) + heading(corner1, {"x"}) + outer_row + "men</TH>\r\n</TR>\r\n" +
                                 row(th1("a"), {"1"}) + row(th1("b"), {"2"}) + row(th1("c"), {"3"}) + outer_row +
                                 "women</TH>\r\n</TR>\r\n" + row(th1("a"), {"4"}) + row(th1("b"), {"5"}) +
                                 row(th1("c"), {"6"}) + end_of_page);
    // A column each: six rows, the first of each outer value opened by its
    // header spanning three rows.
    EXPECT_EQ(run(2, table), start("<TABLE BORDER>", 3) + heading("<TH COLSPAN=2> </TH>\r\n", {"x"}) +
                                 row(span(3, "men") + th2("a"), {"1"}) + row(th2("b"), {"2"}) +
                                 row(th2("c"), {"3"}) + row(span(3, "women") + th2("a"), {"4"}) +
                                 row(th2("b"), {"5"}) + row(th2("c"), {"6"}) + end_of_page);
}

TEST_F(HtmlTest, ThreeStubLevelsShareRowsWithTheirFirstInnerValue) {
    // Without a heading variable: one data column and no heading row.
    const std::string table = head() +
                              "STUB=\"a\",\"b\",\"c\";\nVALUES(\"a\")=\"A1\",\"A2\";\n"
                              "VALUES(\"b\")=\"B1\",\"B2\";\nVALUES(\"c\")=\"C1\",\"C2\";\nDATA=1 2 3 4 5 6 7 8;\n";
    EXPECT_EQ(run(2, table),
              start("<TABLE BORDER>", 4) + row(span(4, "A1") + span(2, "B1") + th2("C1"), {"1"}) +
                  row(th2("C2"), {"2"}) + row(span(2, "B2") + th2("C1"), {"3"}) + row(th2("C2"), {"4"}) +
                  row(span(4, "A2") + span(2, "B1") + th2("C1"), {"5"}) + row(th2("C2"), {"6"}) +
                  row(span(2, "B2") + th2("C1"), {"7"}) + row(th2("C2"), {"8"}) + end_of_page);
}

TEST_F(HtmlTest, HeadingRowsWithoutStubAndWithTwoHeadingVariables) {
    // No stub: no corner cells, the caption spans the data columns, one body row.
    const std::string flat = head() + "HEADING=\"h\";\nVALUES(\"h\")=\"x\",\"y\";\nDATA=1 2;\n";
    const std::string rest = heading("", {"x", "y"}) + row("", {"1", "2"}) + end_of_page;
    EXPECT_EQ(run(1, flat), start("<TABLE>", 2) + rest);
    EXPECT_EQ(run(2, flat), start("<TABLE BORDER>", 2) + rest);

    // The inner heading values repeat under each outer value.
    const std::string two = head() +
                            "STUB=\"r\";\nHEADING=\"g\",\"k\";\nVALUES(\"r\")=\"a\";\nVALUES(\"g\")=\"p\",\"q\";\n"
                            "VALUES(\"k\")=\"1\",\"2\",\"3\";\nDATA=1 2 3 4 5 6;\n";
    EXPECT_EQ(run(1, two), start("<TABLE>", 7) + heading(corner1, {"p", "q"}, 3) +
                               heading(corner1, {"1", "2", "3", "1", "2", "3"}) +
                               row(th1("a"), {"1", "2", "3", "4", "5", "6"}) + end_of_page);
}

// ---------------------------------------------------------------------------
// Cells.

TEST_F(HtmlTest, SymbolCellsTakeTheTableTextElseTheCallersList) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"1\",\"2\",\"3\","
                              "\"4\",\"5\",\"6\";\nDATASYMBOL2=\"n/a\";\n"
                              "DATA=\".\" \"..\" \"-\" 0 \".......\" \"......\";\n";
    const std::string top = start("<TABLE>", 7) + heading(corner1, {"1", "2", "3", "4", "5", "6"});
    // A zero is a number, not the nil symbol.
    EXPECT_EQ(run(1, table, 0, 0, "s1;s2;s3;s4;s5;s6;s7;nil"),
              top + row(th1("a"), {"s1", "n/a", "nil", "0", "s7", "s6"}) + end_of_page);
    // A list without the fields leaves "0" for every text the table lacks.
    EXPECT_EQ(run(1, table, 0, 0, ""), top + row(th1("a"), {"0", "n/a", "0", "0", "0", "0"}) + end_of_page);
}

TEST_F(HtmlTest, CellsShowTheirOwnDecimalsAndRoundTiesByTheRule) {
    // Column y shows the two decimals of its PRECISION, the others one.
    // Ties at one decimal go to the even digit, or away from zero by the
    // argument or the table's ROUNDING; no decimal comma, no thousands groups.
    auto table = [](const std::string& extra) {
        return head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") + extra +
               "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\",\"z\",\"w\";\n"
               "PRECISION(\"h\",\"y\")=2;\nDATA=2.25 2.25 -2.25 1234567.35;\n";
    };
    const std::string top = start("<TABLE>", 5) + heading(corner1, {"x", "y", "z", "w"});
    const std::string even = top + row(th1("a"), {"2.2", "2.25", "-2.2", "1234567.4"}) + end_of_page;
    const std::string away = top + row(th1("a"), {"2.3", "2.25", "-2.3", "1234567.4"}) + end_of_page;
    EXPECT_EQ(run(1, table(""), 0), even);
    EXPECT_EQ(run(1, table(""), 1), away);
    EXPECT_EQ(run(1, table("ROUNDING=1;\n"), 0), away);
    EXPECT_EQ(run(1, table("ROUNDING=0;\n"), 1), even);
}

TEST_F(HtmlTest, DataNoteMarkersStandAfterOrBeforeTheValue) {
    // "*" notes north 2021, "b" every year of east, whose 2021 is a symbol:
    // that cell keeps its marker too.
    const std::string table = population(
        "DATANOTECELL(\"north\",\"2021\")=\"*\";\nDATANOTECELL(\"east\",\"*\")=\"b\";\n", "1 22 333 4444 5 \"..\";");
    auto page = [](int layout, const char* n, const char* e1, const char* e2) {
        const auto th = layout == 1 ? th1 : th2;
        return start(layout == 1 ? "<TABLE>" : "<TABLE BORDER>", 3, "Population") +
               heading(layout == 1 ? corner1 : "<TH COLSPAN=1> </TH>\r\n", {"2020", "2021"}) +
               row(th("north"), {"1", n}) + row(th("south"), {"333", "4444"}) + row(th("east"), {e1, e2}) +
               end_of_page;
    };
    EXPECT_EQ(run(1, table, 0, 0), page(1, "22*", "5b", "..b"));
    EXPECT_EQ(dir_.read("tabnotes.txt").find("[cell1]"), 0u);  // numbered beside the output
    EXPECT_EQ(run(2, table, 0, 1), page(2, "*22", "b5", "b.."));
    EXPECT_EQ(run(1, table, 0, 7), page(1, "22*", "5b", "..b"));  // any other placement: after
}

// ---------------------------------------------------------------------------
// Notes and titles.

TEST_F(HtmlTest, NotesRowListsEveryNoteInTableVariableValueAndCellOrder) {
    const std::string table = population(
        "NOTEX=\"Mandatory.#Second line.\";\nNOTE=\"Optional.\";\nNOTEX(\"year\")=\"Years.\";\n"
        "NOTEX(\"region\")=\"Regions.\";\nNOTE(\"region\")=\"Regions, optional.\";\n"
        "VALUENOTE(\"region\",\"south\")=\"South optional.\";\nVALUENOTEX(\"region\",\"south\")=\"South.\";\n"
        "VALUENOTEX(\"region\",\"north\")=\"North.\";\nCELLNOTE(\"south\",\"2021\")=\"Cell optional.\";\n"
        "CELLNOTEX(\"north\",\"2020\")=\"Cell.#Two lines.\";\n");
    const std::string page = run(1, table);
    const std::string plain = run(1, population());
    const std::size_t at = plain.size() - end_of_page.size();
    ASSERT_EQ(page.substr(0, at), plain.substr(0, at));
    EXPECT_EQ(page.substr(at),
              "<TR ALIGN=LEFT>\r\n<TD COLSPAN=3>Mandatory. <BR>\r\nSecond line.<BR>\r\nOptional.<BR>\r\n"
              "Regions.<BR>\r\nRegions, optional.<BR>\r\nNorth.<BR>\r\nSouth.<BR>\r\nSouth optional.<BR>\r\n"
              "Years.<BR>\r\nCell. <BR>\r\nTwo lines.<BR>\r\nCell optional.\r\n</TD>\r\n</TR>\r\n"
              "</TABLE>\r\n</BODY>\r\n</HTML>");
}

TEST_F(HtmlTest, DescriptionServesAsTitleWhenItIsTheDefault) {
    const std::string table = head("Title one") +
                              "DESCRIPTION=\"first#\",\"second\";\nDESCRIPTIONDEFAULT=YES;\n"
                              "HEADING=\"h\";\nVALUES(\"h\")=\"x\";\nDATA=1;\n";
    EXPECT_EQ(run(1, table),
              start("<TABLE>", 1, "first <BR>\r\nsecond") + heading("", {"x"}) + row("", {"1"}) + end_of_page);
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(HtmlTest, FailuresGiveTheirCodesAndNoPage) {
    EXPECT_EQ(vt::htmkonv(dir_.file("missing.vt"), out_path(), symbols, 0, 0), 400);
    EXPECT_FALSE(fs::exists(out_path()));
    dir_.write("tab.vt", population());
    EXPECT_EQ(vt::htmkonv2(in_path(), dir_.file("no/such/dir.htm"), symbols, 0, 0), 400);
    EXPECT_EQ(vt::htmkonv("", out_path(), symbols, 0, 0), 400);

    // A reader problem (no CONTENTS) is returned as the reader says it.
    const std::string bad = "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\n"
                            "TITLE=\"T\";\nUNITS=\"u\";\nDECIMALS=0;\nSTUB=\"r\";\nVALUES(\"r\")=\"a\";\nDATA=1;\n";
    dir_.write("bad.vt", bad);
    vt::in_file f;
    vt::table t = vt::table_new();
    const int reader_rc = vt::read_table_file(dir_.file("bad.vt"), f, t);
    ASSERT_GT(reader_rc, 0);
    run(1, bad);
    EXPECT_EQ(rc_, reader_rc);
    EXPECT_FALSE(fs::exists(out_path()));

    vt::plat::refuse_data_blocks(true);
    run(2, population());
    EXPECT_EQ(rc_, 201);
    EXPECT_FALSE(fs::exists(out_path()));
}

TEST_F(HtmlTest, NeitherThePageNorTheNotesFileSpoilsTheInput) {
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    const std::string expected = run(1, table);
    ASSERT_EQ(rc_, 0);
    EXPECT_EQ(vt::htmkonv(in_path(), in_path(), symbols, 0, 0), 0);
    EXPECT_EQ(dir_.read("tab.vt"), expected);
    // Output "tab.htm" numbers its notes into "tabnotes.txt": here that is
    // the table being read.
    const std::string input = dir_.write("tabnotes.txt", table);
    EXPECT_EQ(vt::htmkonv(input, out_path(), symbols, 0, 0), 0);
    EXPECT_EQ(dir_.read("tabnotes.txt"), table);
    EXPECT_NE(dir_.read("tab.htm").find("<td nowrap>22</td>"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The library exports and the batch function.

TEST_F(HtmlTest, LibraryExportsWriteTheSamePages) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using fn = int (*)(const char*, const char*, const char*, int, int);
    const fn exports[2] = {reinterpret_cast<fn>(dlsym(lib, "htmkonv")), reinterpret_cast<fn>(dlsym(lib, "htmkonv2"))};
    ASSERT_NE(exports[0], nullptr);
    ASSERT_NE(exports[1], nullptr);
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    for (int layout : {1, 2}) {
        const std::string expected = run(layout, table, 0, 1);
        fs::remove(out_path());
        EXPECT_EQ(exports[layout - 1](in_path().c_str(), out_path().c_str(), symbols.c_str(), 0, 1), 0);
        EXPECT_EQ(dir_.read("tab.htm"), expected) << layout;
    }
    EXPECT_EQ(exports[0](in_path().c_str(), out_path().c_str(), nullptr, 0, 0), 0);  // no list: an empty one
    EXPECT_EQ(exports[0](nullptr, out_path().c_str(), nullptr, 0, 0), 400);
    EXPECT_EQ(exports[1](in_path().c_str(), nullptr, nullptr, 0, 0), 400);
    dlclose(lib);
}

TEST_F(HtmlTest, BatchFunctionHtml1PassesSymbolsRoundingAndPlacement) {
    dir_.write("tab.vt", head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") +
                             "STUB=\"r\";\nHEADING=\"h\";\nVALUES(\"r\")=\"a\";\nVALUES(\"h\")=\"x\",\"y\";\n"
                             "DATANOTECELL(\"a\",\"x\")=\"*\";\nDATA=2.25 \"..\";\n");
    dir_.write("q.ini",
               "[Files]\nInfile=tab.vt\nOutfile=out.htm\nErrorfile=err.txt\n[Query]\nFunction=HTML1\n"
               "[Data]\nrounding=1\ndatanoteoptplace=1\nSymbol2=n.a.\n");
    const std::string cmd = "cd '" + dir_.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir_.read("err.txt"), "HTML1 ended OK ");
    EXPECT_EQ(dir_.read("out.htm"),
              start("<TABLE>", 3) + heading(corner1, {"x", "y"}) + row(th1("a"), {"*2.3", "n.a."}) + end_of_page);
}

}  // namespace
