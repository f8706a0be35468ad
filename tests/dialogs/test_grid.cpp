// The screen grid: whole grid and footnote files of small tables, the
// suppression modes, the limits, the summary and its memory of the last
// grid, the note marks, the side files and every refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "core/codes.h"
#include "dialogs/grid.h"
#include "export/delimited.h"
#include "../platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string head =
    "CHARSET=\"ANSI\";\nMATRIX=\"G1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"Population\";\nUNITS=\"persons\";\n";

// Two stub levels, one heading variable, numbers, symbols and notes.
const std::string regions = head +
                            "DECIMALS=1;\nSHOWDECIMALS=1;\nSTUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
                            "VALUES(\"region\")=\"North\",\"South\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
                            "VALUES(\"year\")=\"2001\",\"2002\";\nTIMEVAL(\"year\")=TLIST(A1),\"2001\",\"2002\";\n"
                            "NOTEX=\"Provisional.\";\nNOTE=\"Rounded.\";\nNOTE(\"region\")=\"As of 2001.\";\n"
                            "VALUENOTE(\"sex\",\"women\")=\"Incl. girls.\";\n"
                            "DATA=\n1.5 2 \n0 0 \n\".\" \"..\" \n\"-\" 12.3;\n";

const std::string labels = "[Global]\nand=and\nby=by\ndistr=distributed\n[Notes]\nFootnoteX=Must read\n";

struct grid_run {
    vt::test::temp_dir dir;
    vt::grid_request r;
    vt::grid_answer answer;
    int rc = -1;

    explicit grid_run(const std::string& table) {
        r.in_path = dir.write("t.vt", table);
        r.grid_path = dir.file("grid.txt");
        r.footnote_path = dir.file("foot.txt");
        r.label_path = dir.write("labels.ini", labels);
        r.decimal_point = ".";
    }
    int run() { return rc = vt::grid_output(r, answer); }
    std::string grid() const { return dir.read("grid.txt"); }
    std::string foot() const { return dir.read("foot.txt"); }
};

// The summary from field `from` on (0-based).
std::string fields_from(const std::string& summary, int from) {
    std::size_t at = 0;
    for (int i = 0; i < from; ++i) {
        const std::size_t tab = summary.find('\t', at);
        if (tab == std::string::npos) return {};
        at = tab + 1;
    }
    return summary.substr(at);
}

int field(const std::string& summary, int i) { return std::stoi(fields_from(summary, i)); }

// The first field of every row line: the lines after the title and
// heading lines the summary counts.
std::vector<std::string> row_labels(const grid_run& g) {
    const std::string grid = g.grid();
    const std::size_t skip =
        static_cast<std::size_t>(field(g.answer.summary, 3) + field(g.answer.summary, 4));
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t line = 0; at <= grid.size(); ++line) {
        std::size_t end = grid.find("\r\n", at);
        if (end == std::string::npos) end = grid.size();
        if (line >= skip) out.push_back(grid.substr(at, std::min(end, grid.find('\t', at)) - at));
        at = end + 2;
    }
    return out;
}

TEST(Grid, WholeGridFootnotesAndSummaryOfASmallTable) {
    grid_run g(regions);
    ASSERT_EQ(g.run(), 0);
    // Columns 5 wide (12.3: two digits, one more, a decimal and its point),
    // stub 7 ("  women"): the title is cut at 17.
    EXPECT_EQ(g.grid(),
              "Population by \r\nregion, sex and \r\nyear\r\n"
              "\t2001\t2002"
              "\r\nNorth\t\t"
              "\r\n  men\t1.5\t2.0"
              "\r\n  women\t0.0\t0.0"
              "\r\nSouth\t\t"
              "\r\n  men\t.\t.."
              "\r\n  women\t-\t12.3");
    EXPECT_EQ(g.foot(),
              "\r\nMust read\r\nProvisional.\r\nFootnote\r\nRounded.\r\n"
              "region:\r\nAs of 2001.\r\nsex:\r\nwomen:\r\nIncl. girls.\r\n");
    // Previous grid unknown here (other tests ran before): fields 3 on.
    EXPECT_EQ(fields_from(g.answer.summary, 2), "2\t3\t1\t1\t6\t2\t3");
    EXPECT_EQ(g.answer.info, "*");
}

TEST(Grid, SummaryReportsThePreviousGrid) {
    grid_run a(regions);
    ASSERT_EQ(a.run(), 0);
    grid_run b(head + "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\";\nVALUES(\"x\")=\"a\";\n"
                      "VALUES(\"y\")=\"1\",\"2\",\"3\";\nDEFAULT-GRAPH=3;\nDATA=\n1 2 3;\n");
    ASSERT_EQ(b.run(), 0);
    EXPECT_EQ(b.answer.summary, "2\t6\t1\t3\t1\t1\t1\t3\t0");
    EXPECT_EQ(b.answer.info, "3");
    // A refused grid writes nothing and leaves the memory as it was.
    grid_run c("not a table");
    EXPECT_NE(c.run(), 0);
    EXPECT_TRUE(c.answer.summary.empty());
    ASSERT_EQ(a.run(), 0);
    EXPECT_EQ(a.answer.summary.substr(0, 4), "3\t1\t");
}

TEST(Grid, WithoutHeadingVariablesOneTabLineAndOneColumn) {
    grid_run g(head + "DECIMALS=0;\nSTUB=\"x\";\nVALUES(\"x\")=\"a\",\"b\";\nDATA=\n7 \n8;\n");
    ASSERT_EQ(g.run(), 0);
    // A grid 3 characters wide gets its title in lines as narrow.
    EXPECT_EQ(g.grid(), "Pop\r\nula\r\ntio\r\nn \r\nby \r\nx\r\n\t\r\na\t7\r\nb\t8");
    EXPECT_EQ(fields_from(g.answer.summary, 2), "1\t6\t1\t0\t2\t1\t0");
    EXPECT_EQ(g.foot(), "\r\n");
}

TEST(Grid, LineLimitCutsRowsAndSummaryKeepsTheFullCount) {
    const struct {
        int max_lines;
        int rc;
        std::vector<std::string> rows;
    } cases[] = {
        {0, 0, {"North", "  men", "  women", "South", "  men", "  women"}},
        {6, 0, {"North", "  men", "  women", "South", "  men", "  women"}},
        {3, vt::codes::grid_lines_cut, {"North", "  men", "  women"}},
        // A row whose stub lines do not all fit is left out whole.
        {4, vt::codes::grid_lines_cut, {"North", "  men", "  women"}},
        {1, vt::codes::grid_lines_cut, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.max_lines);
        grid_run g(regions);
        g.r.max_lines = c.max_lines;
        EXPECT_EQ(g.run(), c.rc);
        EXPECT_EQ(row_labels(g), c.rows);
        EXPECT_EQ(fields_from(g.answer.summary, 6), "6\t2\t3");
    }
}

TEST(Grid, ColumnLimitCutsEveryLineAndGives8) {
    grid_run g(regions);
    g.r.max_columns = 1;
    EXPECT_EQ(g.run(), vt::codes::grid_columns_cut);
    EXPECT_EQ(g.grid(),
              "Population \r\nby region, \r\nsex and year\r\n"
              "\t2001"
              "\r\nNorth\t\r\n  men\t1.5\r\n  women\t0.0\r\nSouth\t\r\n  men\t.\r\n  women\t-");
    EXPECT_EQ(fields_from(g.answer.summary, 6), "6\t2\t3");
    // Both limits: the lines decide.
    g.r.max_lines = 2;
    EXPECT_EQ(g.run(), vt::codes::grid_lines_cut);
    g.r.max_columns = 2;
    g.r.max_lines = 0;
    EXPECT_EQ(g.run(), 0);
}

// Rows a..f hold: 0 0 | 0 - | . ... | - . | 1 0 | - -
TEST(Grid, SuppressionModesLeaveOutTheirRows) {
    const std::string table = head +
                              "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\";\n"
                              "VALUES(\"x\")=\"a\",\"b\",\"c\",\"d\",\"e\",\"f\";\nVALUES(\"y\")=\"1\",\"2\";\n"
                              "DATA=\n0 0 \n0 \"-\" \n\".\" \"...\" \n\"-\" \".\" \n1 0 \n\"-\" \"-\";\n";
    const struct {
        int mode;
        std::vector<std::string> rows;
    } cases[] = {
        {0, {"a", "b", "c", "d", "e", "f"}}, {1, {"b", "c", "d", "e", "f"}}, {2, {"c", "d", "e"}},
        {3, {"a", "b", "d", "e", "f"}},      {4, {"e"}},                     {5, {"a", "b", "c", "d", "e", "f"}},
        {-1, {"a", "b", "c", "d", "e", "f"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        grid_run g(table);
        g.r.suppress = c.mode;
        ASSERT_EQ(g.run(), 0);
        EXPECT_EQ(row_labels(g), c.rows);
        EXPECT_EQ(fields_from(g.answer.summary, 6), std::to_string(c.rows.size()) + "\t2\t0");
    }
}

TEST(Grid, AStubValueWhoseRowsAreAllLeftOutGoesToo) {
    grid_run g(head + "DECIMALS=0;\nSTUB=\"r\",\"s\";\nHEADING=\"y\";\nVALUES(\"r\")=\"N\",\"S\",\"E\";\n"
                      "VALUES(\"s\")=\"m\",\"w\";\nVALUES(\"y\")=\"1\";\nDATA=\n0 \n4 \n0 \n0 \n5 \n0;\n");
    g.r.suppress = 1;
    ASSERT_EQ(g.run(), 0);
    EXPECT_EQ(g.grid().substr(g.grid().find("\t1")), "\t1\r\nN\t\r\n  w\t4\r\nE\t\r\n  m\t5");
}

TEST(Grid, SymbolTextsFromTableLabelFileOrDefaults) {
    const struct {
        const char* table_keys;
        const char* label_keys;
        const char* row;
    } cases[] = {
        // The sum symbol shows six dots unless told otherwise.
        {"", "", "a\t.\t..\t......\t......\t-"},
        {"", "Datasymbolsum=S\nDatasymbol1=one\n", "a\tone\t..\t......\tS\t-"},
        {"DATASYMBOLSUM=\"T\";\nDATASYMBOL2=\"two\";\nDATASYMBOLNIL=\"nil\";\n", "Datasymbolsum=S\n",
         "a\t.\ttwo\t......\tT\tnil"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        grid_run g(head + c.table_keys +
                   "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\";\nVALUES(\"x\")=\"a\";\n"
                   "VALUES(\"y\")=\"1\",\"2\",\"3\",\"4\",\"5\";\nDATA=\n\".\" \"..\" \"......\" \".......\" \"-\";\n");
        g.r.label_path = g.dir.write("symbols.ini", std::string("[Global]\n") + c.label_keys);
        ASSERT_EQ(g.run(), 0);
        EXPECT_EQ(g.grid().substr(g.grid().rfind("\r\n") + 2), c.row);
    }
}

TEST(Grid, NoteMarksFromTheNotesFileBesideTheGrid) {
    const std::string table = head +
                              "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\";\nVALUES(\"x\")=\"a\";\n"
                              "VALUES(\"y\")=\"1\",\"2\",\"3\";\nDATANOTECELL(\"a\",\"2\")=\"*\";\n"
                              "DATANOTECELL(\"a\",\"3\")=\"#\";\nDATA=\n4 5 \".\";\n";
    const struct {
        int note_place;
        const char* notes;
        const char* row;
        bool backslash;  // the grid named with "\" before its file name
    } cases[] = {
        {0, "[cell1]\nnote=1\n[cell2]\nnote=2\n", "a\t4\t5*\t.#", false},
        {1, "[cell1]\nnote=1\n[cell2]\nnote=2\n", "a\t4\t*5\t#.", false},
        {1, "[cell1]\nnote=1\n[cell2]\nnote=2\n", "a\t4\t*5\t#.", true},
        // Note numbers the table has no symbol for mark nothing.
        {0, "[cell0]\nnote=3\n[cell1]\nnote=0\n", "a\t4\t5\t.", false},
        {0, "", "a\t4\t5\t.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        grid_run g(table);
        if (*c.notes) g.dir.write("notes.txt", c.notes);
        if (c.backslash) g.r.grid_path = g.dir.path().string() + "\\grid.txt";
        g.r.note_place = c.note_place;
        ASSERT_EQ(g.run(), 0);
        EXPECT_EQ(g.grid().substr(g.grid().rfind("\r\n") + 2), c.row);
    }
}

TEST(Grid, HeadingAndStubTextsWrapAndHeadingsBeginWithACapital) {
    grid_run g(head + "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\",\"z\";\n"
                      "VALUES(\"x\")=\"a stub text that is far longer than forty characters\";\n"
                      "VALUES(\"y\")=\"total population\";\nVALUES(\"z\")=\"\xe5r one\",\"b\";\n"
                      "DATA=\n1 2;\n");
    ASSERT_EQ(g.run(), 0);
    const std::string grid = g.grid();
    // Columns 10 wide ("population"); the stub is cut at 40.
    EXPECT_EQ(grid.substr(grid.find("\r\n\t") + 2),
              "\tTotal\t\r\n\tpopulation\t\r\n\t\xc5r one\tB"
              "\r\na stub text that is far longer than\t\t\r\nforty characters\t1\t2");
    EXPECT_EQ(fields_from(g.answer.summary, 2), "1\t1\t3\t2\t2\t2\t0");
}

TEST(Grid, DecimalCommaPrecisionAndRounding) {
    const std::string table = head + "DECIMALS=2;\nSHOWDECIMALS=1;\nSTUB=\"x\";\nHEADING=\"y\";\n"
                                     "VALUES(\"x\")=\"a\";\nVALUES(\"y\")=\"1\",\"2\";\nDATA=\n2.25 -2.25;\n";
    const struct {
        const char* point;
        int precision;
        int rounding;
        const char* extra;
        const char* row;
    } cases[] = {
        {".", -1, 0, "", "a\t2.2\t-2.2"},
        {",", -1, 1, "", "a\t2,3\t-2,3"},
        {".", -1, 0, "ROUNDING=1;\n", "a\t2.3\t-2.3"},
        {".", 2, 1, "", "a\t2.3\t-2.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        grid_run g(c.extra + table);
        g.r.decimal_point = c.point;
        g.r.precision = c.precision;
        g.r.rounding = c.rounding;
        ASSERT_EQ(g.run(), 0);
        EXPECT_EQ(g.grid().substr(g.grid().rfind("\r\n") + 2), c.row);
    }
}

// Large value counts without their cells: the keywords alone decide.
std::string huge_table(const char* stub, const char* heading) {
    std::string values;
    for (int i = 0; i < 500; ++i) values += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    std::string t = head + "DECIMALS=0;\nSTUB=" + stub + ";\nHEADING=" + heading + ";\n";
    for (const char* v : {"a", "b", "c", "d", "e", "f"}) t += "VALUES(\"" + std::string(v) + "\")=" + values + ";\n";
    return t + "DATA=\n1 2 3;\n";
}

TEST(Grid, HugeDimensionsAreRefusedBeforeAnythingIsWritten) {
    const struct {
        const char* stub;
        const char* heading;
        int rc;
    } cases[] = {
        {"\"a\",\"b\",\"c\"", "\"d\"", vt::codes::grid_too_many_rows},
        {"\"a\"", "\"b\",\"c\",\"d\"", vt::codes::grid_too_many_columns},
        {"\"a\",\"b\",\"c\"", "\"d\",\"e\",\"f\"", vt::codes::grid_too_many_rows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rc);
        grid_run g(huge_table(c.stub, c.heading));
        g.dir.write("grid.txt", "old grid");
        g.r.notes_out_path = g.dir.file("notes.out");
        g.r.graph_path = g.dir.file("g.gra");
        EXPECT_EQ(g.run(), c.rc);
        EXPECT_EQ(g.grid(), "old grid");
        EXPECT_FALSE(fs::exists(g.dir.file("foot.txt")));
        EXPECT_FALSE(fs::exists(g.dir.file("notes.out")));
        EXPECT_FALSE(fs::exists(g.dir.file("g.gra")));
        EXPECT_TRUE(g.answer.summary.empty());
    }
}

TEST(Grid, RefusalsKeepOldFilesAndTheInput) {
    const struct {
        const char* what;
        int rc;
        void (*setup)(grid_run&);
    } cases[] = {
        {"no table", vt::codes::cannot_open, [](grid_run& g) { g.r.in_path = g.dir.file("none.vt"); }},
        {"empty name", vt::codes::cannot_open, [](grid_run& g) { g.r.in_path.clear(); }},
        {"reader", vt::codes::reader_no_data_keyword,
         [](grid_run& g) { g.r.in_path = g.dir.write("cut.vt", regions.substr(0, regions.find("DATA="))); }},
        {"grid is the table", vt::codes::grid_cannot_open, [](grid_run& g) { g.r.grid_path = g.r.in_path; }},
        {"footnotes are the table", vt::codes::grid_cannot_open,
         [](grid_run& g) { g.r.footnote_path = g.dir.file("T.VT"); }},
        {"notes are the grid", vt::codes::grid_cannot_open,
         [](grid_run& g) { g.r.notes_out_path = g.r.grid_path; }},
        {"no grid name", vt::codes::grid_cannot_open, [](grid_run& g) { g.r.grid_path.clear(); }},
        {"no such folder", vt::codes::grid_cannot_open,
         [](grid_run& g) { g.r.footnote_path = g.dir.file("none/foot.txt"); }},
        {"graph csv", vt::codes::cannot_open, [](grid_run& g) { g.r.graph_path = g.dir.file("g.csv"); }},
        {"graph is the grid", vt::codes::cannot_open, [](grid_run& g) { g.r.graph_path = g.r.grid_path; }},
        {"second graph is the table", vt::codes::cannot_open,
         [](grid_run& g) {
             g.r.double_column = 1;
             g.r.graph_path2 = g.dir.write("t.txt", "old");
             g.r.in_path = g.dir.write("t.txt", regions);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        grid_run g(regions);
        g.dir.write("grid.txt", "old grid");
        c.setup(g);
        const std::string input = vt::test::read_file(g.r.in_path);
        EXPECT_EQ(g.run(), c.rc);
        if (!g.r.grid_path.empty() && g.r.grid_path != g.r.in_path) {
            EXPECT_EQ(g.grid(), "old grid");
        }
        EXPECT_EQ(vt::test::read_file(g.r.in_path), input);
        EXPECT_FALSE(fs::exists(g.dir.file("foot.txt")));
    }
}

TEST(Grid, NotesFileHoldsEveryNote) {
    grid_run g(head + "DECIMALS=0;\nSTUB=\"x\";\nHEADING=\"y\";\nVALUES(\"x\")=\"a\",\"b\";\n"
                      "VALUES(\"y\")=\"1\";\nNOTEX=\"Must.\";\nNOTEX(\"x\")=\"About x.\";\n"
                      "VALUENOTEX(\"x\",\"b\")=\"About b.\";\nCELLNOTEX(\"a\",\"1\")=\"Cell a.\";\n"
                      "SOURCE=\"Office\";\nDATA=\n1 \n2;\n");
    g.r.notes_out_path = g.dir.file("all.txt");
    ASSERT_EQ(g.run(), 0);
    EXPECT_EQ(g.dir.read("all.txt"),
              "Must.\r\n\r\nx:\r\nAbout x.\r\nx, b:\r\nAbout b.\r\n"
              "\r\nx: \t\r\na: \t\r\ny: \t\r\n1: \tCell a.\r\n\t\r\n\r\n"
              "Source\tOffice\r\n\t\r\nUnit\tpersons\r\n\r\n\r\nRefkod\tG1\r\n");
}

TEST(Grid, GraphAndMatrixFilesAreThoseOfTheGraphWriter) {
    const struct {
        const char* name;
        int double_column;
        int note_place;
        const char* utgraph_name;
        int utgraph_note_place;
    } cases[] = {
        {"m.txt", 0, 1, "u.txt", 0},  // the first file: marks after the values
        {"g.gra", 0, 0, "u.gra", 0},
    };
    const std::string table = regions.substr(0, regions.find("DATA=")) +
                              "DATANOTECELL(\"North\",\"men\",\"2002\")=\"*\";\n" +
                              regions.substr(regions.find("DATA="));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        grid_run g(table);
        g.r.graph_path = g.dir.file(c.name);
        g.r.text_delimiter = "'";
        g.r.note_place = c.note_place;
        ASSERT_EQ(g.run(), 0);
        ASSERT_EQ(vt::utgraph(g.r.in_path, g.dir.file(c.utgraph_name), ".", "'", 1, ".;..;...;....;.....;......;......;-",
                              0, c.utgraph_note_place),
                  0);
        EXPECT_EQ(g.dir.read(c.name), g.dir.read(c.utgraph_name));
        EXPECT_FALSE(g.dir.read(c.name).empty());
    }
    // The second file only with double_column 1, its marks placed as asked.
    grid_run g(table);
    g.r.graph_path2 = g.dir.file("second.mtx");
    ASSERT_EQ(g.run(), 0);
    EXPECT_FALSE(fs::exists(g.dir.file("second.mtx")));
    g.r.double_column = 1;
    g.r.note_place = 1;
    g.r.graph_path = "*";
    ASSERT_EQ(g.run(), 0);
    EXPECT_NE(g.dir.read("second.mtx").find("North\tmen\t1.5\t*2.0"), std::string::npos)
        << g.dir.read("second.mtx");
}

TEST(Grid, HostBuffersAreNeverOverrun) {
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    vt::copy_to_host("1234567890", buffer, 5);
    EXPECT_STREQ(buffer, "1234");
    EXPECT_EQ(buffer[5], 'x');
    vt::copy_to_host("12", buffer, 5);
    EXPECT_STREQ(buffer, "12");
    vt::copy_to_host("12", nullptr, 5);
    vt::copy_to_host("12", buffer, 0);
    EXPECT_STREQ(buffer, "12");
}

}  // namespace
