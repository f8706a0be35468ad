// File calculation: arithmetic with a match table (realigned to the
// input's order) or a constant, beside the operands or in their place, the
// joins, the codes of the new values, every refusal (which writes
// nothing), and the runs through vtbatch from both query forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "tableops/filecalc.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

constexpr double dot = -1e19;  // "."

// region (stub) by year (heading); `extra` adds keywords before DATA=.
std::string region_years(const std::string& regions, const std::string& years, const std::string& data,
                         int decimals = 1, const std::string& extra = "UNITS=\"persons\";\n") {
    return "CHARSET=\"ANSI\";\nDECIMALS=" + std::to_string(decimals) +
           ";\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nCONTENTS=\"Pop\";\n" + extra +
           "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=" + regions + ";\nVALUES(\"year\")=" + years +
           ";\nCELLNOTE(\"A\",\"2001\")=\"first\";\nDATA=\n" + data + " ;\n";
}

const std::string ab = "\"A\",\"B\"", years = "\"2001\",\"2002\"";
const std::string input = region_years(ab, years, "1 2 \n3 4");
// The match table in another region and year order: A 2001 is 10, A 2002
// 20, B 2001 30, B 2002 0.
const std::string reordered = region_years("\"B\",\"A\"", "\"2002\",\"2001\"", "0 30 \n20 10", 0);
const std::string other_region = region_years("\"A\",\"C\"", years, "1 2 \n3 4");
const std::string one_more_year = region_years(ab, "\"2001\",\"2002\",\"2003\"", "5 6 7 \n8 9 10");

// One call and its result code.
struct fc_call {
    const char* what;
    int option;
    int constant_flag;
    std::string match;  // the match table's text ("" for none written)
    const char* newvar;
    std::vector<const char*> newvalues;
    const char* constant;
    const char* incl;
    int rc;
};

// A call and the table it writes.
struct fc_case {
    fc_call call;
    std::string first_var;               // name of the first variable afterwards
    std::vector<std::string> first_texts;  // its value texts
    std::vector<double> cells;
};

int run(const vt::test::temp_dir& dir, const fc_call& c, const std::string& out = "out.vt") {
    dir.write("in.vt", input);
    if (!c.match.empty()) dir.write("m.vt", c.match);
    const std::vector<const char*>& v = c.newvalues;
    auto nv = [&](std::size_t k) { return k < v.size() ? v[k] : ""; };
    return vt::tabselweb(dir.file("in.vt").c_str(), dir.file(out).c_str(), c.constant_flag, dir.file("m.vt").c_str(),
                         c.option, "and;by;dist", c.newvar, nv(0), nv(1), nv(2), c.constant, c.incl);
}

}  // namespace

// Every kind of calculation and join on a small table: the new first
// variable (or the input's) and the cells.
TEST(FileCalc, CalculationsAndJoins) {
    const fc_case cases[] = {
        {{"constant beside the input", 41, 1, "", "calc", {"in", "plus"}, "1.25", "m", 0}, "calc", {"in", "plus"},
         {1, 2, 3, 4, 2.25, 3.25, 4.25, 5.25}},
        {{"match table realigned, beside", 41, 0, reordered, "calc", {"in", "match", "sum"}, "", "m", 0}, "calc",
         {"in", "match", "sum"}, {1, 2, 3, 4, 10, 20, 30, 0, 11, 22, 33, 4}},
        {{"match table in place", 42, 0, reordered, "difference", {}, "", "u", 0}, "region", {"A", "B"},
         {-9, -18, -27, 4}},
        {{"division by a 0 cell", 44, 0, reordered, "quotient", {}, "", "u", 0}, "region", {"A", "B"},
         {0.1, 0.1, 0.1, dot}},
        {{"constant scaled before multiplying", 43, 1, "", "", {}, "0.1", "u", 0}, "region", {"A", "B"},
         {0.1, 0.2, 0.3, 0.4}},
        {{"division by a constant 0", 44, 1, "", "", {}, "0", "x", 0}, "region", {"A", "B"}, {dot, dot, dot, dot}},
        {{"link: one more year", 61, 0, one_more_year, "", {}, "", "", 0}, "region", {"A", "B"},
         {5, 6, 7, 8, 9, 10}},
        {{"overlay", 71, 0, reordered, "source", {"first", "second"}, "", "", 0}, "source", {"first", "second"},
         {1, 2, 3, 4, 10, 20, 30, 0}},
    };
    for (const fc_case& c : cases) {
        SCOPED_TRACE(c.call.what);
        vt::test::temp_dir dir;
        ASSERT_EQ(run(dir, c.call), c.call.rc);
        const vt::table t = read_back(dir.file("out.vt"));
        ASSERT_FALSE(t.vars.empty());
        EXPECT_EQ(t.vars[0].name.value_or("(none)"), c.first_var);
        EXPECT_EQ(texts(t.vars[0]), c.first_texts);
        const std::vector<double> got = cells(t);
        ASSERT_EQ(got.size(), c.cells.size());
        for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], c.cells[k], 1e-9) << k;
    }
}

// What the new values and the table keep: precisions, codes, UNITS and
// DECIMALS in place of the cells, the first table's cell note.
TEST(FileCalc, PrecisionsCodesAndUnits) {
    vt::test::temp_dir dir;
    ASSERT_EQ(run(dir, {"", 41, 1, "", "calc", {"Total#T", "plus"}, "1.25", "m", 0}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars[0].values.size(), 2u);
    // The constant's 2 decimals outweigh the input's 1.
    EXPECT_EQ(t.vars[0].values[1].precision, 2);
    EXPECT_EQ(t.vars[0].values[0].code, "T");
    EXPECT_EQ(t.vars[0].values[1].code, "plus");
    ASSERT_EQ(t.cellnote_texts, (vt::text_list{"first"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{0}));

    // The operands' and results' precisions as formed (the writer leaves
    // out those that SHOWDECIMALS already gives).
    const vt::table a = read_back(dir.write("a.vt", input)), b = read_back(dir.write("b.vt", reordered));
    const struct {
        int option;
        std::vector<int> precisions;
    } precisions[] = {{41, {1, 0, 1}}, {43, {1, 0, 1}}, {44, {1, 0, 2}}};
    for (const auto& p : precisions) {
        vt::filecalc_request r;
        r.option = p.option;
        r.newvar = "calc";
        r.newvalues = {"in", "match", "result"};
        vt::table out;
        ASSERT_EQ(vt::file_calculation(a, &b, r, out), 0);
        std::vector<int> got;
        for (const vt::value& v : out.vars[0].values) got.push_back(v.precision);
        EXPECT_EQ(got, p.precisions) << p.option;
        EXPECT_FALSE(out.vars[0].values[0].code);
    }

    ASSERT_EQ(run(dir, {"", 44, 0, reordered, "ratio", {}, "", "u", 0}), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.units, "ratio");
    EXPECT_EQ(t.decimals, 2);
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"first"}));
    // A blank result text with a constant keeps the UNITS.
    ASSERT_EQ(run(dir, {"", 41, 1, "", " ", {}, "2", "u", 0}), 0);
    EXPECT_EQ(read_back(dir.file("out.vt")).units, "persons");
}

// Every refusal, with its code; none of them touches an output that is
// already there.
TEST(FileCalc, RefusalsWriteNothing) {
    const std::string no_units = region_years(ab, years, "1 2 \n3 4", 0, "");
    const fc_call cases[] = {
        {"values of one variable differ", 43, 0, other_region, "v", {"a", "b", "c"}, "", "m", 91},
        {"no match table", 41, 0, "", "v", {"a", "b", "c"}, "", "m", 91},
        {"overlay with equal texts", 71, 0, reordered, "v", {"same", "same"}, "", "", 95},
        {"overlay naming a variable", 71, 0, reordered, "year", {"a", "b"}, "", "", 96},
        {"overlay with a quote", 71, 0, reordered, "v", {"a\"", "b"}, "", "", 94},
        {"new variable exists", 41, 1, "", "region", {"a", "b"}, "1", "m", 96},
        {"blank new variable", 41, 0, reordered, " ", {"a", "b", "c"}, "", "m", 93},
        {"blank value text", 41, 0, reordered, "v", {"a", "", "c"}, "", "m", 93},
        {"quote in a code", 41, 0, reordered, "v", {"a", "b#\"", "c"}, "", "m", 94},
        {"first text repeated", 41, 1, "", "v", {"a", "a"}, "1", "m", 95},
        {"result text repeats the match table's", 41, 0, reordered, "v", {"a", "b", "b"}, "", "m", 95},
        {"blank result text with a match table", 41, 0, reordered, "", {}, "", "u", 93},
        {"quote in the new UNITS", 41, 1, "", "a\"b", {}, "1", "u", 94},
        {"letter neither m nor u", 41, 0, reordered, "v", {"a", "b", "c"}, "", "x", 200},
        {"constant not a number", 41, 1, "", "v", {"a", "b"}, "1,5", "m", 97},
        {"an option of no kind", 50, 1, "", "v", {"a", "b"}, "1", "m", 200},
        {"a join without a table", 61, 1, "", "", {}, "1", "m", 400},
        // The reader refuses a table without UNITS before anything else.
        {"input without UNITS", 41, 0, no_units, "v", {"a", "b", "c"}, "", "m", vt::codes::reader_no_units},
    };
    for (const fc_call& c : cases) {
        SCOPED_TRACE(c.what);
        vt::test::temp_dir dir;
        dir.write("out.vt", "old");
        if (std::string(c.what) == "input without UNITS") {
            dir.write("m.vt", c.match);
            EXPECT_EQ(vt::tabselweb(dir.file("m.vt").c_str(), dir.file("out.vt").c_str(), 0,
                                    dir.file("m.vt").c_str(), c.option, "", c.newvar, "a", "b", "c", "", "m"),
                      c.rc);
        } else {
            EXPECT_EQ(run(dir, c), c.rc);
        }
        EXPECT_EQ(dir.read("out.vt"), "old");
    }
    // Neither the input nor the match table is overwritten, by any name.
    vt::test::temp_dir dir;
    const fc_call add{"", 41, 0, reordered, "v", {"a", "b", "c"}, "", "m", 0};
    EXPECT_EQ(run(dir, add, "./in.vt"), vt::codes::op_same_file);
    EXPECT_EQ(run(dir, add, "M.VT"), vt::codes::op_same_file);
    EXPECT_EQ(dir.read("m.vt"), reordered);
    EXPECT_EQ(vt::tabselweb(dir.file("none.vt").c_str(), dir.file("out.vt").c_str(), 1, "", 41, "", "", "", "", "",
                            "1", "u"),
              vt::codes::cannot_open);
}

// vtbatch from both query forms; without Constant and Matchfile the
// constant is 1.
TEST(FileCalc, VtbatchJobs) {
    const struct {
        const char* query;
        std::string text;
        std::vector<std::string> first_texts;
        std::vector<double> cells;
        const char* code;  // of the first new value
    } jobs[] = {
        {"q.ini",
         "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=filecalc\nOption=42\n"
         "Matchfile=m.vt\nInclExcl=m\nNewvar=calc\nNewvalue1=in#I\nNewvalue2=match\nNewvalue3=diff\n",
         {"in", "match", "diff"}, {1, 2, 3, 4, 10, 20, 30, 0, -9, -18, -27, 4}, "I"},
        {"one.ini",
         "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=filecalc\nOption=41\n"
         "InclExcl=m\nNewvar=calc\nNewvalue1=in\nNewvalue2=plus one\n",
         {"in", "plus one"}, {1, 2, 3, 4, 2, 3, 4, 5}, nullptr},
        {"q.xml",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n<vtquery step=\"1\">\n"
         "<function>filecalculation</function>\n<infile>in.vt</infile>\n<outfile>out.vt</outfile>\n"
         "<errorfile>err.txt</errorfile>\n<operation>overlaytab</operation>\n<matchfile>m.vt</matchfile>\n"
         "<newvar>source</newvar>\n<newvalue1>first</newvalue1>\n<newcode1>F</newcode1>\n"
         "<newvalue2>second</newvalue2>\n</vtquery>\n</vtqueries>\n",
         {"first", "second"}, {1, 2, 3, 4, 10, 20, 30, 0}, "F"},
        {"one.xml",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n<vtquery step=\"1\">\n"
         "<function>filecalculation</function>\n<infile>in.vt</infile>\n<outfile>out.vt</outfile>\n"
         "<errorfile>err.txt</errorfile>\n<operation>multiply</operation>\n<includeexclude>include</includeexclude>\n"
         "<newvar>calc</newvar>\n<newvalue1>in</newvalue1>\n<newvalue2>times</newvalue2>\n"
         "<constant>2.5</constant>\n</vtquery>\n</vtqueries>\n",
         {"in", "times"}, {1, 2, 3, 4, 2.5, 5, 7.5, 10}, nullptr},
    };
    for (const auto& j : jobs) {
        SCOPED_TRACE(j.query);
        vt::test::temp_dir dir;
        dir.write("in.vt", input);
        dir.write("m.vt", reordered);
        dir.write(j.query, j.text);
        ASSERT_EQ(vt::test::run_vtbatch(dir, j.query), 0);
        EXPECT_NE(dir.read("err.txt").find("ended OK"), std::string::npos);
        const vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(texts(t.vars[0]), j.first_texts);
        EXPECT_EQ(cells(t), j.cells);
        if (j.code) EXPECT_EQ(t.vars[0].values[0].code, j.code);
        else EXPECT_FALSE(t.vars[0].values[0].code);
        EXPECT_EQ(dir.read("in.vt"), input);
    }
    // A refusal is logged under the function's name and writes nothing.
    vt::test::temp_dir dir;
    dir.write("in.vt", input);
    dir.write("m.vt", other_region);
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=filecalc\n"
                       "Option=43\nMatchfile=m.vt\nInclExcl=u\nNewvar=x\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), vt::codes::op_match_unfit);
    EXPECT_EQ(dir.read("err.txt"), "Error from filecalc: 91");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
}
