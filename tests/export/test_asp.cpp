// Tests of the ASP table fragment: whole fragments of small tables compared
// byte for byte, stub types, heading spans, cells, data-note markers, notes
// levels, row filtering, and the ways into it (library, vtbatch).
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
#include "export/asp.h"

namespace {

namespace fs = std::filesystem;

std::string head(const std::string& title = "Population", const std::string& decimals = "DECIMALS=0;") {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"" + title +
           "\";\nCONTENTS=\"C\";\nUNITS=\"u\";\n" + decimals + "\n";
}

// One stub variable with three values and one heading variable with two.
std::string population(const std::string& extra = "") {
    return head() +
           "STUB=\"region\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=\"north\",\"south\",\"east\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\n" +
           extra + "DATA=\n1 22 \n333 4444 \n5 66;\n";
}

// Two stub variables (2 x 2 rows), one heading value.
std::string two_stub() {
    return head() +
           "STUB=\"area\",\"sex\";\nHEADING=\"year\";\n"
           "VALUES(\"area\")=\"x\",\"y\";\nVALUES(\"sex\")=\"m\",\"f\";\nVALUES(\"year\")=\"2020\";\n"
           "DATA=\n1 2 3 4;\n";
}

// Rows for the filter: zeros, dot and dash symbols, numbers.
std::string filter_table(const std::string& extra = "") {
    return head() +
           "STUB=\"area\",\"sex\";\nHEADING=\"year\";\n"
           "VALUES(\"area\")=\"x\",\"y\",\"z\";\nVALUES(\"sex\")=\"m\",\"f\";\n"
           "VALUES(\"year\")=\"2020\",\"2021\";\n" +
           extra +
           "DATA=\n"
           "0 0 \n"
           "\".\" \"-\" \n"
           "\"-\" \"-\" \n"
           "0 5 \n"
           "\"-\" \"-\" \n"
           "0 0;\n";
}

const std::string top =
    "<table class=\"vttable\">\r\n"
    "<tr>\r\n";

struct asp_args {
    int stubtype = 1;
    std::string symbols = ".;..;...;....;.....;......;.......;-";
    std::string decimalpoint = ".";
    int thousand = 0;
    int doublecolumn = 0;
    int completeinfo = 0;
    int nozero = 0;
    std::string vtlang;
    std::string guilang = "0";
    std::string uppercase = "0";
    int rounding = 0;
    int noteplace = 0;
};

class AspConvTest : public ::testing::Test {
protected:
    void SetUp() override {
        vt::reader_state().selected_language = "";
        vt::reader_state().oem_input = true;
    }

    std::string in_path() const { return dir_.file("table.vt"); }
    std::string out_path() const { return dir_.file("out.asp"); }

    int convert(const asp_args& a, const std::string& in, const std::string& out) {
        return vt::AspConv(in, out, a.stubtype, a.symbols, a.decimalpoint, a.thousand, a.doublecolumn,
                           a.completeinfo, a.nozero, a.vtlang, a.guilang, a.uppercase, a.rounding, a.noteplace);
    }

    // Writes the table, converts it and returns the fragment (empty on
    // failure, with the code in rc_).
    std::string run(const std::string& table, const asp_args& a = {}) {
        dir_.write("table.vt", table);
        rc_ = convert(a, in_path(), out_path());
        return rc_ == 0 ? dir_.read("out.asp") : std::string();
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

// ---------------------------------------------------------------------------
// Whole fragments.

TEST_F(AspConvTest, OneStubOneHeadingInBothStubTypes) {
    const std::string heading =
        "<th class=\"title\" colspan=\"3\">Population </th>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<th class=\"headfirst\" colspan=\"1\" rowspan=\"1\">&nbsp;</th>\r\n"
        "<th class=\"headfirst\" colspan=\"1\">2020</th>\r\n"
        "<th class=\"headfirst\" colspan=\"1\">2021</th>\r\n"
        "</tr>\r\n";
    EXPECT_EQ(run(population()),
              top + heading +
                  "<tr><td class=\"stub1\" rowspan=\"1\" >north</td><td nowrap>1</td><td nowrap>22</td></tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >south</td><td nowrap>333</td><td nowrap>4444</td></tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >east</td><td nowrap>5</td><td nowrap>66</td></tr>\r\n"
                  "</table>\r\n");
    EXPECT_EQ(rc_, 0);

    asp_args a;
    a.stubtype = 2;
    EXPECT_EQ(run(population(), a),
              top + heading +
                  "<tr><td class=\"stub1\">north</td><td nowrap>1</td><td nowrap>22</td></tr>\r\n"
                  "<tr><td class=\"stub1\">south</td><td nowrap>333</td><td nowrap>4444</td></tr>\r\n"
                  "<tr><td class=\"stub1\">east</td><td nowrap>5</td><td nowrap>66</td></tr>\r\n"
                  "</table>\r\n");
}

TEST_F(AspConvTest, TwoStubVariablesOwnRowsOrSpans) {
    // Stub type 1: one shared stub column, the outer value on a row of its
    // own padded with one empty cell per data column.
    EXPECT_EQ(run(two_stub()),
              top +
                  "<th class=\"title\" colspan=\"2\">Population </th>\r\n"
                  "</tr>\r\n"
                  "<tr>\r\n"
                  "<th class=\"headfirst\" colspan=\"1\" rowspan=\"1\">&nbsp;</th>\r\n"
                  "<th class=\"headfirst\" colspan=\"1\">2020</th>\r\n"
                  "</tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >x</td><td>&nbsp;</td></tr>\r\n"
                  "<tr><td class=\"stub2\" rowspan=\"1\" >m</td><td nowrap>1</td></tr>\r\n"
                  "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>2</td></tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >y</td><td>&nbsp;</td></tr>\r\n"
                  "<tr><td class=\"stub2\" rowspan=\"1\" >m</td><td nowrap>3</td></tr>\r\n"
                  "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>4</td></tr>\r\n"
                  "</table>\r\n");

    // Other stub types: a column per stub variable, the outer value sharing
    // the row of its first inner value and spanning its rows.
    asp_args a;
    a.stubtype = 0;
    EXPECT_EQ(run(two_stub(), a),
              top +
                  "<th class=\"title\" colspan=\"3\">Population </th>\r\n"
                  "</tr>\r\n"
                  "<tr>\r\n"
                  "<th class=\"headfirst\" colspan=\"2\" rowspan=\"1\">&nbsp;</th>\r\n"
                  "<th class=\"headfirst\" colspan=\"1\">2020</th>\r\n"
                  "</tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"2\">x</td><td class=\"stub2\">m</td><td nowrap>1</td></tr>\r\n"
                  "<tr><td class=\"stub2\">f</td><td nowrap>2</td></tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"2\">y</td><td class=\"stub2\">m</td><td nowrap>3</td></tr>\r\n"
                  "<tr><td class=\"stub2\">f</td><td nowrap>4</td></tr>\r\n"
                  "</table>\r\n");
}

TEST_F(AspConvTest, NoStubVariables) {
    const std::string table = head() + "HEADING=\"year\";\nVALUES(\"year\")=\"2020\",\"2021\";\nDATA=\n1 2;\n";
    const std::string expected = top +
                                 "<th class=\"title\" colspan=\"3\">Population </th>\r\n"
                                 "</tr>\r\n"
                                 "<tr>\r\n"
                                 "<th class=\"headfirst\" colspan=\"1\" rowspan=\"1\">&nbsp;</th>\r\n"
                                 "<th class=\"headfirst\" colspan=\"1\">2020</th>\r\n"
                                 "<th class=\"headfirst\" colspan=\"1\">2021</th>\r\n"
                                 "</tr>\r\n"
                                 "<tr><td></td><td nowrap>1</td><td nowrap>2</td></tr>\r\n"
                                 "</table>\r\n";
    EXPECT_EQ(run(table), expected);
    // The empty stub cell is one column whatever the stub type, and there is
    // nothing to filter.
    asp_args a;
    a.stubtype = 2;
    a.nozero = 1;
    EXPECT_EQ(run(table, a), expected);
}

TEST_F(AspConvTest, HeadingVariablesSpanAndRepeat) {
    const std::string table = head() +
                              "STUB=\"r\";\nHEADING=\"sex\",\"year\";\n"
                              "VALUES(\"r\")=\"a\";\nVALUES(\"sex\")=\"m\",\"f\";\n"
                              "VALUES(\"year\")=\"2020\",\"2021\";\nDATA=\n1 2 3 4;\n";
    EXPECT_EQ(run(table),
              top +
                  "<th class=\"title\" colspan=\"5\">Population </th>\r\n"
                  "</tr>\r\n"
                  "<tr>\r\n"
                  "<th class=\"headfirst\" colspan=\"1\" rowspan=\"2\">&nbsp;</th>\r\n"
                  "<th class=\"headfirst\" colspan=\"2\">m</th>\r\n"
                  "<th class=\"headfirst\" colspan=\"2\">f</th>\r\n"
                  "</tr>\r\n"
                  "<tr><th class=\"headlast\" colspan=\"1\">2020</th>\r\n"
                  "<th class=\"headlast\" colspan=\"1\">2021</th>\r\n"
                  "<th class=\"headlast\" colspan=\"1\">2020</th>\r\n"
                  "<th class=\"headlast\" colspan=\"1\">2021</th>\r\n"
                  "</tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >a</td><td nowrap>1</td><td nowrap>2</td>"
                  "<td nowrap>3</td><td nowrap>4</td></tr>\r\n"
                  "</table>\r\n");

    // A middle heading variable; a table without heading variables has
    // no heading rows and one data column.
    const std::string three = head() +
                              "STUB=\"r\";\nHEADING=\"a\",\"b\",\"c\";\nVALUES(\"r\")=\"x\";\n"
                              "VALUES(\"a\")=\"a1\";\nVALUES(\"b\")=\"b1\",\"b2\";\nVALUES(\"c\")=\"c1\",\"c2\";\n"
                              "DATA=\n1 2 3 4;\n";
    const std::string out = run(three);
    EXPECT_NE(out.find("rowspan=\"3\">&nbsp;</th>\r\n<th class=\"headfirst\" colspan=\"4\">a1</th>\r\n</tr>\r\n"
                       "<tr><th class=\"headmid\" colspan=\"2\">b1</th>\r\n"),
              std::string::npos)
        << out;
    // The description replaces the title when the table says so.
    const std::string described = head() + "DESCRIPTION=\"Described\",\" here\";\nDESCRIPTIONDEFAULT=YES;\n" +
                                  "STUB=\"r\";\nVALUES(\"r\")=\"x\";\nDATA=\n7;\n";
    EXPECT_NE(run(described).find("<th class=\"title\" colspan=\"2\">Described  here </th>"), std::string::npos);
    const std::string stub_only = head() + "STUB=\"r\";\nVALUES(\"r\")=\"x\",\"y\";\nDATA=\n7 8;\n";
    EXPECT_EQ(run(stub_only),
              top +
                  "<th class=\"title\" colspan=\"2\">Population </th>\r\n"
                  "</tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >x</td><td nowrap>7</td></tr>\r\n"
                  "<tr><td class=\"stub1\" rowspan=\"1\" >y</td><td nowrap>8</td></tr>\r\n"
                  "</table>\r\n");
}

// ---------------------------------------------------------------------------
// Cells and labels.

TEST_F(AspConvTest, SymbolsTiesDecimalCommaAndThousands) {
    const std::string table = head("T", "DECIMALS=2;\nSHOWDECIMALS=1;") +
                              "STUB=\"r\";\nHEADING=\"c\";\nVALUES(\"r\")=\"a\",\"b\";\n"
                              "VALUES(\"c\")=\"1\",\"2\",\"3\";\nDATASYMBOLNIL=\"nil\";\n"
                              "DATA=\n2.25 -2.25 1234567.5 \n\"..\" \"-\" 0;\n";
    asp_args a;
    a.symbols = "x1;x2;x3;x4;x5;x6;x7;x8";
    a.decimalpoint = ",";
    a.thousand = 1;
    std::string out = run(table, a);
    EXPECT_NE(out.find(">a</td><td nowrap>2,2</td><td nowrap>-2,2</td><td nowrap>1 234 567,5</td></tr>\r\n"),
              std::string::npos)
        << out;
    // The table's own text for the dash, the caller's for "..".
    EXPECT_NE(out.find(">b</td><td nowrap>x2</td><td nowrap>nil</td><td nowrap>0,0</td></tr>\r\n"),
              std::string::npos)
        << out;

    a.rounding = 1;
    a.thousand = 3;
    a.decimalpoint = ".";
    out = run(table, a);
    EXPECT_NE(out.find("<td nowrap>2.3</td><td nowrap>-2.3</td><td nowrap>1,234,567.5</td>"), std::string::npos)
        << out;
    // The table's ROUNDING wins over the argument.
    out = run(table.substr(0, table.find("DATA=")) + "ROUNDING=0;\n" + table.substr(table.find("DATA=")), a);
    EXPECT_NE(out.find("<td nowrap>2.2</td><td nowrap>-2.2</td>"), std::string::npos) << out;
}

TEST_F(AspConvTest, PresentationUppercaseAndHierarchyClasses) {
    const std::string table = head() +
                              "STUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
                              "VALUES(\"region\")=\"All\",\"North\",\"n1\",\"South\";\n"
                              "VALUES(\"sex\")=\"m\";\nVALUES(\"year\")=\"y\";\n"
                              "CODES(\"region\")=\"0\",\"1\",\"11\",\"2\";\nPRESTEXT(\"region\")=2;\n"
                              "HIERARCHIES(\"region\")=\"All\",\"All\":\"North\",\"North\":\"n1\",\"All\":\"South\";\n"
                              "DATA=\n1 2 3 4;\n";
    asp_args a;
    a.uppercase = "1";
    std::string out = run(table, a);
    // Levels 1, 2, 3, 2; the inner variable repeats the outer value's level.
    EXPECT_NE(out.find("<tr><td class=\"stub1h1\" rowspan=\"1\" >0 ALL</td><td>&nbsp;</td></tr>\r\n"
                       "<tr><td class=\"stub2h1\" rowspan=\"1\" >M</td><td nowrap>1</td></tr>\r\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("<td class=\"stub1h3\" rowspan=\"1\" >11 N1</td>"), std::string::npos) << out;
    EXPECT_NE(out.find("<tr><td class=\"stub1h2\" rowspan=\"1\" >2 SOUTH</td><td>&nbsp;</td></tr>\r\n"
                       "<tr><td class=\"stub2h2\" rowspan=\"1\" >M</td><td nowrap>4</td></tr>\r\n"),
              std::string::npos)
        << out;

    a.stubtype = 2;
    a.uppercase = "0";
    out = run(table, a);
    EXPECT_NE(out.find("<tr><td class=\"stub1h2\" rowspan=\"1\">1 North</td><td class=\"stub2\">m</td>"),
              std::string::npos)
        << out;
}

TEST_F(AspConvTest, DataNoteMarkersAfterOrBeforeTheValue) {
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    std::string out = run(table);
    EXPECT_NE(out.find(">north</td><td nowrap>1</td><td nowrap>22*</td></tr>"), std::string::npos) << out;
    EXPECT_NE(out.find(">south</td><td nowrap>333</td><td nowrap>4444</td></tr>"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir_.file("outnotes.txt")));
    asp_args a;
    a.noteplace = 1;
    out = run(table, a);
    EXPECT_NE(out.find("<td nowrap>*22</td>"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------
// Notes.

const std::string noted = population(
    "NOTEX=\"Always#shown\";\nNOTE=\"Optional\";\nNOTEX(\"region\")=\"Var note\";\n"
    "VALUENOTE(\"region\",\"south\")=\"Value note\";\nCELLNOTEX(\"south\",\"*\")=\"Cell note\";\n"
    "SOURCE=\"Src\";\nCOPYRIGHT=YES;\nSTOCKFA=\"S\";\nLAST-UPDATED=\"20200101 09:00\";\n");

const std::string noted_body =
    "<tr><td class=\"stub1\" rowspan=\"1\" >east</td><td nowrap>5</td><td nowrap>66</td></tr>\r\n";

TEST_F(AspConvTest, FootnoteRowByLevel) {
    asp_args a;
    std::string out = run(noted, a);
    EXPECT_EQ(out.substr(out.find(noted_body) + noted_body.size()), "</table>\r\n");

    a.completeinfo = 1;
    out = run(noted, a);
    EXPECT_EQ(out.substr(out.find(noted_body) + noted_body.size()),
              "<tr>\r\n"
              "<td class=\"footnote\" colspan=\"3\">Footnotetext"
              "<BR>\r\nAlways<BR><BR>\r\nshown<br>"
              "<BR>\r\nVar note<br>"
              "<BR>\r\nCell note<br>"
              "\r\n</td>\r\n</tr>\r\n</table>\r\n");

    a.completeinfo = 2;
    out = run(noted, a);
    EXPECT_EQ(out.substr(out.find(noted_body) + noted_body.size()),
              "<tr>\r\n"
              "<td class=\"footnote\" colspan=\"3\">Footnotetext"
              "<BR>\r\nAlways<BR><BR>\r\nshown<br>"
              "<BR>\r\nOptional<br>"
              "<BR>\r\nVar note<br>"
              "<BR>\r\nValue note<br>"
              "<BR>\r\nCell note<br>"
              "\r\n</td>\r\n</tr>\r\n</table>\r\n");

    a.completeinfo = 3;
    out = run(noted, a);
    EXPECT_EQ(out.substr(out.find(noted_body) + noted_body.size()),
              "<tr>\r\n"
              "<td class=\"footnote\" colspan=\"3\">Footnotetext"
              "<BR>\r\nAlways<BR><BR>\r\nshown<br>"
              "<BR>\r\nOptional<br>"
              "<BR>\r\nVar note<br>"
              "<BR>\r\nValue note<br>"
              "<BR>\r\nCell note<br>"
              "<br>LAST-UPDATED<br>20200101 09:00"
              "<br>SOURCE:<br>Src"
              "<br>COPYRIGHT<br>"
              "<br>UNIT:<br>u"
              "<br>STOCKFA:<br>Stock"
              "<br>MATRIX:<br>M"
              "\r\n</td>\r\n</tr>\r\n</table>\r\n");

    // A table without notes: levels 1 and 2 leave the row out; level 3
    // always has the matrix name.
    a.completeinfo = 2;
    out = run(population(), a);
    EXPECT_EQ(out.substr(out.size() - 10), "</table>\r\n");
    EXPECT_EQ(out.find("footnote"), std::string::npos);
    a.completeinfo = 3;
    out = run(population(), a);
    EXPECT_NE(out.find("Footnotetext<br>UNIT:<br>u<br>MATRIX:<br>M\r\n</td>"), std::string::npos) << out;
}

TEST_F(AspConvTest, SpanBlockAfterTheTable) {
    asp_args a;
    a.completeinfo = 9;
    a.guilang = "2";
    std::string out = run(noted, a);
    EXPECT_EQ(out.substr(out.find(noted_body) + noted_body.size()),
              "</table>\r\n"
              "<!-- #include file=\"../dialog/includes/Global1.asp\" -->\r\n"
              "<%langIndex = 2%>\r\n"
              "<span class=\"notex_value\">Always<BR>shown</span>\r\n"
              "<span class=\"note_value\">Optional</span>\r\n"
              "<span class=\"notevx_key\">region</span>\r\n"
              "<span class=\"notevx_value\">Var note</span>\r\n"
              "<span class=\"valuenote_key\">region</span>\r\n"
              "<span class=\"valuenote_key\">south</span>\r\n"
              "<span class=\"valuenote_value\">Value note</span>\r\n"
              "<span class=\"cellnotex_key\">south</span>\r\n"
              "<span class=\"cellnotex_key\">*</span>\r\n"
              "<span class=\"cellnotex_value\">Cell note</span>\r\n"
              "<span class=\"lastupdated_key\"><%=strLastUpdate(langIndex)%></span>\r\n"
              "<span class=\"lastupdated_value\">20200101 09:00</span>\r\n"
              "<span class=\"source_key\"><%=strSource(langIndex)%></span>\r\n"
              "<span class=\"source_value\">Src</span>\r\n"
              "<span class=\"copyright_key\"><%=strCopyright(langIndex)%></span>\r\n"
              "<span class=\"copyright_value\"><%=strYes(LangIndex)%></span>\r\n"
              "<span class=\"unit_key\"><%=strUnit(langIndex)%></span>\r\n"
              "<span class=\"unit_value\">u</span>\r\n"
              "<span class=\"stockfa_key\"><%=strDatatype(langIndex)%></span>\r\n"
              "<span class=\"stockfa_value\"><%=strStock(langIndex)%></span>\r\n"
              "<span class=\"matrix_key\"><%=strMatrixlbl(langIndex)%></span>\r\n"
              "<span class=\"matrix_value\">M</span>\r\n");

    // Only a number reaches the script.
    a.guilang = "1%><% evil";
    out = run(population(), a);
    EXPECT_NE(out.find("<%langIndex = 1%>\r\n<span class=\"unit_key\">"), std::string::npos) << out;
    a.guilang = "";
    out = run(population(), a);
    EXPECT_NE(out.find("<%langIndex = 0%>\r\n"), std::string::npos) << out;
}

TEST_F(AspConvTest, ContentsGivenPerContentsValue) {
    const std::string table = head() +
                              "STUB=\"contents\";\nHEADING=\"year\";\nCONTVARIABLE=\"contents\";\n"
                              "VALUES(\"contents\")=\"Imports\",\"Exports\";\nVALUES(\"year\")=\"2020\";\n"
                              "CFPRICES(\"Exports\")=\"C\";\nDAYADJ(\"Imports\")=YES;\n"
                              "UNITS(\"Imports\")=\"tons\";\nUNITS(\"Exports\")=\"SEK\";\nDATA=\n1 2;\n";
    asp_args a;
    a.completeinfo = 9;
    std::string out = run(table, a);
    // The records come in the order the file names their contents values.
    EXPECT_NE(out.find("<span class=\"variable_value\">Exports</span>\r\n"
                       "<span class=\"unit_key\"><%=strUnit(langIndex)%></span>\r\n"
                       "<span class=\"unit_value\">SEK</span>\r\n"
                       "<span class=\"variable_value\">Imports</span>\r\n"
                       "<span class=\"unit_key\"><%=strUnit(langIndex)%></span>\r\n"
                       "<span class=\"unit_value\">tons</span>\r\n"
                       "<span class=\"variable_value\">Exports</span>\r\n"
                       "<span class=\"cfprices_key\"><%=strPricetype(LangIndex)%></span>\r\n"
                       "<span class=\"cfprices_value\"><%=strCurPrice(langIndex)%></span>\r\n"
                       "<span class=\"variable_value\">Imports</span>\r\n"
                       "<span class=\"dayadj_key\"><%=strDayadj(LangIndex)%></span>\r\n"
                       "<span class=\"dayadj_value\"><%=strYes(langIndex)%></span>\r\n"
                       "<span class=\"matrix_key\">"),
              std::string::npos)
        << out;
    a.completeinfo = 3;
    out = run(table, a);
    EXPECT_NE(out.find("Footnotetext<br>UNIT:<br>Exports: SEK<br>UNIT:<br>Imports: tons<br>Cprices<br>Exports"
                       "<br>Dayadj<br>Imports<br>MATRIX:<br>M\r\n"),
              std::string::npos)
        << out;
}

// ---------------------------------------------------------------------------
// Row filter.

TEST_F(AspConvTest, NozeroDropsRowsAndHoldsBackTheirOuterValues) {
    asp_args a;
    a.nozero = 1;
    const std::string body_start = "</tr>\r\n<tr><td";
    // Zeros and dashes do not keep a row, a dot symbol does; the outer value
    // z has no kept row and is left out with its rows.
    std::string out = run(filter_table(), a);
    EXPECT_EQ(out.substr(out.find(body_start) + 7),
              "<tr><td class=\"stub1\" rowspan=\"1\" >x</td><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n"
              "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>.</td><td nowrap>-</td></tr>\r\n"
              "<tr><td class=\"stub1\" rowspan=\"1\" >y</td><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n"
              "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>0</td><td nowrap>5</td></tr>\r\n"
              "</table>\r\n");
    a.nozero = 2;
    EXPECT_EQ(run(filter_table(), a), out);

    // nozero 3: any number keeps a row, zero included; symbols do not.
    a.nozero = 3;
    out = run(filter_table(), a);
    EXPECT_EQ(out.substr(out.find(body_start) + 7),
              "<tr><td class=\"stub1\" rowspan=\"1\" >x</td><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n"
              "<tr><td class=\"stub2\" rowspan=\"1\" >m</td><td nowrap>0</td><td nowrap>0</td></tr>\r\n"
              "<tr><td class=\"stub1\" rowspan=\"1\" >y</td><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n"
              "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>0</td><td nowrap>5</td></tr>\r\n"
              "<tr><td class=\"stub1\" rowspan=\"1\" >z</td><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n"
              "<tr><td class=\"stub2\" rowspan=\"1\" >f</td><td nowrap>0</td><td nowrap>0</td></tr>\r\n"
              "</table>\r\n");

    // In own columns an outer value spans only its kept rows.
    a.stubtype = 2;
    a.nozero = 0;
    out = run(filter_table(), a);
    EXPECT_NE(out.find("<tr><td class=\"stub1\" rowspan=\"2\">x</td><td class=\"stub2\">m</td>"), std::string::npos);
    a.nozero = 1;
    out = run(filter_table(), a);
    EXPECT_EQ(out.substr(out.find(body_start) + 7),
              "<tr><td class=\"stub1\" rowspan=\"1\">x</td><td class=\"stub2\">f</td>"
              "<td nowrap>.</td><td nowrap>-</td></tr>\r\n"
              "<tr><td class=\"stub1\" rowspan=\"1\">y</td><td class=\"stub2\">f</td>"
              "<td nowrap>0</td><td nowrap>5</td></tr>\r\n"
              "</table>\r\n");
}

TEST_F(AspConvTest, FilteredRowsKeepTheirCellNumbers) {
    // The marker of the cell (y, f, 2021) is found by its place in the
    // table, not by how many cells were written before it.
    asp_args a;
    a.nozero = 1;
    const std::string out = run(filter_table("DATANOTECELL(\"y\",\"f\",\"2021\")=\"#1\";\n"), a);
    EXPECT_NE(out.find("<td nowrap>0</td><td nowrap>5#1</td></tr>"), std::string::npos) << out;
    EXPECT_EQ(out.find("-#1"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------
// Language, failures and the ways in.

TEST_F(AspConvTest, ReadsTheRequestedLanguage) {
    const std::string table = head() +
                              "LANGUAGE=\"sv\";\nLANGUAGES=\"sv\",\"en\";\nTITLE[en]=\"English\";\n"
                              "SUBJECT-AREA[en]=\"S\";\nCONTENTS[en]=\"C\";\nUNITS[en]=\"u\";\n"
                              "STUB=\"r\";\nSTUB[en]=\"r\";\nVALUES(\"r\")=\"ett\";\nVALUES[en](\"r\")=\"one\";\n"
                              "DATA=\n1;\n";
    asp_args a;
    a.vtlang = "en";
    std::string out = run(table, a);
    EXPECT_NE(out.find(">English </th>"), std::string::npos) << out;
    EXPECT_NE(out.find(" >one</td>"), std::string::npos) << out;
    EXPECT_EQ(vt::reader_state().selected_language, "");
    out = run(table);
    EXPECT_NE(out.find(">Population </th>"), std::string::npos) << out;

    // A read that does not take the language leaves no setting behind.
    vt::reader_state().selected_language = "";
    EXPECT_EQ(convert(a, dir_.file("missing.vt"), out_path()), 400);
    EXPECT_EQ(vt::reader_state().selected_language, "");
}

TEST_F(AspConvTest, FailureCodes) {
    asp_args a;
    EXPECT_EQ(convert(a, dir_.file("missing.vt"), out_path()), 400);
    EXPECT_FALSE(fs::exists(out_path()));
    dir_.write("table.vt", population());
    EXPECT_EQ(convert(a, in_path(), dir_.file("no/such/dir/out.asp")), 400);

    // The reader's code comes back unchanged and no output is made.
    const std::string bad = population().replace(population().find("MATRIX=\"M\";\n"), 12, "");
    dir_.write("bad.vt", bad);
    vt::in_file f;
    vt::table t = vt::table_new();
    const int reader_code = vt::read_table_file(dir_.file("bad.vt"), f, t);
    ASSERT_GT(reader_code, 0);
    EXPECT_EQ(convert(a, dir_.file("bad.vt"), out_path()), reader_code);
    EXPECT_FALSE(fs::exists(out_path()));

    // The output may replace its input: the table is read first.
    const std::string expected = run(population());
    ASSERT_EQ(rc_, 0);
    EXPECT_EQ(convert(a, in_path(), in_path()), 0);
    EXPECT_EQ(dir_.read("table.vt"), expected);
}

TEST_F(AspConvTest, NotesFileNeverReplacesTheInput) {
    // An output "x.asp" numbers its data notes into "xnotes.txt"; when that
    // is the input, the input stays and the cells go without markers.
    const std::string table = population("DATANOTECELL(\"north\",\"2021\")=\"*\";\n");
    dir_.write("xnotes.txt", table);
    asp_args a;
    EXPECT_EQ(convert(a, dir_.file("xnotes.txt"), dir_.file("x.asp")), 0);
    EXPECT_EQ(dir_.read("xnotes.txt"), table);
    EXPECT_NE(dir_.read("x.asp").find("<td nowrap>22</td>"), std::string::npos);
}

TEST_F(AspConvTest, ThroughTheLibrary) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using asp_fn = int (*)(const char*, const char*, int, const char*, const char*, int, int, int, int,
                           const char*, const char*, const char*, int, int);
    auto asp = reinterpret_cast<asp_fn>(dlsym(lib, "AspConv"));
    ASSERT_NE(asp, nullptr);
    asp_args a;
    a.stubtype = 2;
    a.completeinfo = 9;
    a.guilang = "4";
    const std::string expected = run(noted, a);
    ASSERT_EQ(rc_, 0);
    const std::string out = dir_.file("lib.asp");
    EXPECT_EQ(asp(in_path().c_str(), out.c_str(), 2, a.symbols.c_str(), ".", 0, 0, 9, 0, "", "4", "0", 0, 0), 0);
    EXPECT_EQ(dir_.read("lib.asp"), expected);
    // Null texts read as empty ones.
    EXPECT_EQ(asp(in_path().c_str(), out.c_str(), 1, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(asp(dir_.file("missing.vt").c_str(), out.c_str(), 1, "", ".", 0, 0, 0, 0, "", "", "", 0, 0), 400);
    dlclose(lib);
}

TEST_F(AspConvTest, BatchJob) {
    dir_.write("table.vt", filter_table());
    dir_.write("q.ini",
               "[Files]\nInfile=table.vt\nOutfile=job.asp\nErrorfile=err.txt\n"
               "[Query]\nFunction=asp\nguilang=3\nUppercase=1\n"
               "[Data]\nstubtype=2\nnozero=1\ncompleteinfo=9\ndecimalpoint=,\n");
    const std::string cmd = "cd '" + dir_.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir_.read("err.txt"), "asp ended OK ");

    asp_args a;
    a.stubtype = 2;
    a.nozero = 1;
    a.completeinfo = 9;
    a.decimalpoint = ",";
    a.guilang = "3";
    a.uppercase = "1";
    rc_ = convert(a, in_path(), dir_.file("direct.asp"));
    ASSERT_EQ(rc_, 0);
    EXPECT_EQ(dir_.read("job.asp"), dir_.read("direct.asp"));
    EXPECT_NE(dir_.read("job.asp").find("<%langIndex = 3%>"), std::string::npos);

    dir_.write("q.ini", "[Files]\nInfile=none.vt\nOutfile=job.asp\nErrorfile=err.txt\n[Query]\nFunction=asp\n");
    std::system(cmd.c_str());
    EXPECT_EQ(dir_.read("err.txt"), "Error from asp: 400");
}

}  // namespace
