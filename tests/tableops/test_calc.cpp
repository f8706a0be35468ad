// Calculation: the cell arithmetic of every operation with its data
// symbols, the new value's place, precision and code, the notes after each
// operation, the refusals, and the runs through vtbatch (INI and XML) and
// the library export.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "tableops/calc.h"
#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

using sel_array = std::array<const char*, vt::max_selected_vars>;

constexpr double dot = -1e19;      // "."
constexpr double two_dots = -1e20; // ".."
const double nil = vt::nil_value;  // "-"

// kind (a, b, c) in the stub, region (r1..r3) in the heading. b holds a 0
// and a "..", c a nil.
const char* const kinds =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"kind\";\nHEADING=\"region\";\n"
    "VALUES(\"kind\")=\"a\",\"b\",\"c\";\nVALUES(\"region\")=\"r1\",\"r2\",\"r3\";\n"
    "ELIMINATION(\"kind\")=YES;\nPRECISION(\"kind\",\"a\")=1;\nPRECISION(\"kind\",\"b\")=2;\n"
    "VALUENOTE(\"kind\",\"c\")=\"about c\";\n"
    "CELLNOTE(\"b\",\"r1\")=\"b r1\";\nCELLNOTE(\"c\",\"*\")=\"all c\";\n"
    "DATANOTECELL(\"a\",\"r2\")=\"D\";\n"
    "DATA=\n10 7 3 \n4 0 \"..\" \n50 5 \"-\";\n";

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

struct calc_case {
    const char* what;
    int op;
    const char* incl;
    const char* kind_list;
    int order;
    const char* new_value;
    const char* beta;
    const char* constant;
    std::vector<std::string> values;  // of kind afterwards
    std::vector<double> cells;        // kind x region afterwards
};

int run_calc(const vt::test::temp_dir& dir, const calc_case& c, const char* region_list = "1,2,3") {
    const sel_array sel = {c.kind_list, region_list};
    return vt::calcvalues_list(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), "and;by;distr", c.op, c.incl,
                               sel, c.order, c.new_value, c.beta, c.constant);
}

}  // namespace

// Every operation on kind, region kept: the new value's place and cells,
// symbols, division by 0 and by nil, the constant in single precision.
TEST(Calculation, OperationsAndTheirCells) {
    const std::vector<double> a = {10, 7, 3}, b = {4, 0, two_dots}, c = {50, 5, nil};
    auto join = [](std::initializer_list<std::vector<double>> rows) {
        std::vector<double> out;
        for (const auto& r : rows) out.insert(out.end(), r.begin(), r.end());
        return out;
    };
    const calc_case cases[] = {
        // No order: the first chosen value is the second operand (b - a), and
        // the new value follows the last listed operand, a.
        {"b-a", 12, "m", "1,2", 0, "d", "", "", {"a", "d", "b", "c"}, join({a, {-6, -7, two_dots}, b, c})},
        {"a-b", 12, "m", "1,2", 1, "d", "", "", {"a", "b", "d", "c"}, join({a, b, {6, 7, two_dots}, c})},
        {"a+c", 11, "m", "1,3", 1, "d", "", "", {"a", "b", "c", "d"}, join({a, b, c, {60, 12, 3 + nil}})},
        {"a*b", 13, "u", "1,2", 1, "d", "", "", {"d", "c"}, join({{40, 0, two_dots}, c})},
        // A divisor of 0 gives ".", a divisor ".." stays "..".
        {"a/b", 14, "u", "1,2", 1, "q", "", "", {"q", "c"}, join({{2.5, dot, two_dots}, c})},
        {"b/a", 14, "u", "1,2", 0, "q", "", "", {"q", "c"}, join({{0.4, 0, two_dots}, c})},
        // A nil divisor is a true zero.
        {"a/c", 14, "m", "1,3", 1, "q", "", "", {"a", "b", "c", "q"}, join({a, b, c, {0.2, 1.4, dot}})},
        // 0.1 is scaled to 1 before it multiplies: 50 * 1 / 10 = 5 exactly.
        {"c*0.1", 13, "m", "3", 0, "c10", "", "0.1", {"a", "b", "c", "c10"}, join({a, b, c, {5, 0.5, nil / 10}})},
        {"c/0.5", 14, "u", "3", 0, "c2", "", "0.5", {"a", "b", "c2"}, join({a, b, {100, 10, nil * 2}})},
        {"c/0", 14, "u", "3", 0, "c0", "", "0", {"a", "b", "c0"}, join({a, b, {dot, dot, dot}})},
        {"a-1.5", 12, "m", "1", 0, "a2", "", " 1.5 ", {"a", "a2", "b", "c"}, join({a, {8.5, 5.5, 1.5}, b, c})},
        // Sums: the listed values, or all of them when every one is chosen.
        {"a+b", 18, "m", "1,2", 0, "ab", "", "", {"a", "b", "ab", "c"}, join({a, b, {14, 7, two_dots}, c})},
        {"total", 18, "u", "1,2,3", 0, "total", "", "", {"total"}, {64, 12, two_dots}},
        {"all", 18, "m", "1,2,3", 0, "all", "", "", {"a", "b", "c", "all"}, join({a, b, c, {64, 12, two_dots}})},
        {"remove", 33, "u", "2", 0, "", "", "", {"a", "c"}, join({a, c})},
        // Shares of a base value: of 0 or nil ".", of a symbol the symbol.
        {"a% of b", 21, "u", "1", 0, "percent", "b", "", {"a"}, {250, dot, two_dots}},
        {"a%o of c", 23, "u", "1", 0, "per mille", "c", "", {"a"}, {200, 1400, dot}},
        {"b% of all", 21, "u", "2", 0, "percent", "", "", {"b"}, {6.25, 0, two_dots}},
    };
    for (const calc_case& c : cases) {
        SCOPED_TRACE(c.what);
        vt::test::temp_dir dir;
        dir.write("in.vt", kinds);
        ASSERT_EQ(run_calc(dir, c), 0);
        vt::table t = read_back(dir.file("out.vt"));
        ASSERT_EQ(t.vars.size(), 2u);
        EXPECT_EQ(texts(t.vars[0]), c.values);
        EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"r1", "r2", "r3"}));
        const std::vector<double> got = cells(t);
        ASSERT_EQ(got.size(), c.cells.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const char* token = vt::data_symbol_token(got[i]);
            if (c.cells[i] > 0 && c.cells[i] < 1e-20) EXPECT_STREQ(token ? token : "", "\"-\"") << i;
            else EXPECT_NEAR(got[i], c.cells[i], 1e-9) << i;
        }
        // The calculation variable's sum is no longer a total.
        EXPECT_EQ(t.vars[0].elimination, 0);
        EXPECT_EQ(dir.read("out.vt").find("ELIMINATION"), std::string::npos);
    }
}

// The constant enters in single precision: 0.1 adds as 0.100000001490116,
// which ten written decimals show.
TEST(Calculation, ConstantInSinglePrecision) {
    float f = 0;
    ASSERT_TRUE(vt::parse_constant("0.1000000000", f));
    EXPECT_EQ(static_cast<double>(f), static_cast<double>(0.1f));
    EXPECT_EQ(vt::constant_decimals(" 0.1000000000 "), 10);
    EXPECT_EQ(vt::constant_decimals("12"), 0);
    EXPECT_EQ(vt::constant_decimals("1.25"), 2);
    for (const char* bad : {"", "abc", "1,5", "0.1x", " "}) EXPECT_FALSE(vt::parse_constant(bad, f)) << bad;
    ASSERT_TRUE(vt::parse_constant("-2.5", f));
    EXPECT_EQ(f, -2.5f);

    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    const calc_case c{"c+0.1", 11, "m", "3", 0, "c1", "", "0.1000000000", {}, {}};
    ASSERT_EQ(run_calc(dir, c), 0);
    const std::string out = dir.read("out.vt");
    EXPECT_NE(out.find("50.1000000015"), std::string::npos) << out;
    EXPECT_NE(out.find("PRECISION(\"kind\",\"c1\")=10;"), std::string::npos) << out;
}

// The new value's PRECISION per operation, its code, and the codes the
// other values then get.
TEST(Calculation, PrecisionAndCode) {
    const struct {
        int op;
        const char* list;
        const char* constant;
        int precision;
    } cases[] = {{11, "1,2", "", 2}, {12, "1,3", "", 1}, {13, "1,2", "", 3}, {13, "1", "2.25", 3},
                 {14, "1,2", "", 2}, {18, "1,2,3", "", 2}, {18, "1,3", "", 1}, {11, "3", "1.125", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.op) + " " + c.list);
        vt::test::temp_dir dir;
        dir.write("in.vt", kinds);
        const calc_case cc{"", c.op, "m", c.list, 1, "n#N", "", c.constant, {}, {}};
        ASSERT_EQ(run_calc(dir, cc), 0);
        vt::table t = read_back(dir.file("out.vt"));
        const int k = vt::value_position(t.vars[0], "n");
        ASSERT_GE(k, 0);
        EXPECT_EQ(t.vars[0].values[static_cast<std::size_t>(k)].precision, c.precision);
        // A variable without codes gets its texts as codes beside the new one.
        for (const vt::value& v : t.vars[0].values) EXPECT_EQ(v.code.value_or("?"), v.text == "n" ? "N" : v.text);
    }
}

// Notes after each kind of operation: a removed value takes its cell notes
// and data notes along; kept values keep theirs and their value notes.
TEST(Calculation, NotesFollowTheirValues) {
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    // "m": everything stays.
    ASSERT_EQ(run_calc(dir, {"", 11, "m", "1,2", 1, "n", "", "", {}, {}}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"b r1", "all c"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{1, 3}));
    EXPECT_EQ(t.vars[1].cellnote_refs, (vt::cell_ref_list{0, vt::any_value}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"D"}));
    EXPECT_EQ(t.vars[0].values[3].valuenote, (vt::text_list{"about c"}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop by kind and region"}));
    // "u" of a and b: their notes go, c's stay.
    ASSERT_EQ(run_calc(dir, {"", 11, "u", "1,2", 1, "n", "", "", {}, {}}), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"all c"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{1}));
    EXPECT_TRUE(t.datanotecell_texts.empty());
    EXPECT_EQ(t.vars[0].values[1].valuenote, (vt::text_list{"about c"}));
    // Removal of c.
    ASSERT_EQ(run_calc(dir, {"", 33, "u", "3", 0, "", "", "", {}, {}}), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"b r1"}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"D"}));
}

// Shares with "m": the cells and their shares side by side under an added
// variable without a name (the former UNITS and the new text); UNITS goes,
// every note list is carried whole with the UNITS value, or not at all.
TEST(Calculation, SharesBesideTheCells) {
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    ASSERT_EQ(run_calc(dir, {"", 21, "m", "2,3", 0, "percent", "a", "", {}, {}}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 3u);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"b", "c"}));
    EXPECT_FALSE(t.vars[2].name);
    EXPECT_EQ(texts(t.vars[2]), (std::vector<std::string>{"persons", "percent"}));
    EXPECT_EQ(t.vars[2].values[1].precision, 2);
    EXPECT_FALSE(t.units);
    const std::vector<double> got = cells(t);
    const std::vector<double> want = {4, 40, 0, 0, two_dots, two_dots, 50, 500, 5, 71.43};
    ASSERT_EQ(got.size(), 12u);
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << i;
    EXPECT_TRUE(vt::is_nil(got[10]));
    EXPECT_LT(got[11], 1e-24);  // 100 x nil / 3 still reads as nil
    // Both cell notes name values still there: carried, at the UNITS value.
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"b r1", "all c"}));
    EXPECT_EQ(t.vars[2].cellnote_refs, (vt::cell_ref_list{0, 0}));
    // The data note named a, which is gone: its whole list stays behind.
    EXPECT_TRUE(t.datanotecell_texts.empty());
    EXPECT_EQ(t.title, (vt::text_list{"Pop by kind and region.", "distr by persons and percent."}));

    // With "u" the shares replace the cells and name the UNITS.
    ASSERT_EQ(run_calc(dir, {"", 21, "u", "2,3", 0, "percent", "a", "", {}, {}}), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.units, "percent");
    EXPECT_EQ(t.vars[0].values[0].precision, 2);
    EXPECT_EQ(t.vars[0].values[1].precision, 2);
    EXPECT_DOUBLE_EQ(cells(t)[4], 71.43);
}

// Other variables are restricted or eliminated as in a selection before
// the calculation; the first variable given values is the calculation
// variable.
TEST(Calculation, OtherVariablesAsInASelection) {
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    // region eliminated: summed, ".." absorbing.
    ASSERT_EQ(run_calc(dir, {"", 11, "m", "1,3", 1, "ac", "", "", {}, {}}, nullptr), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 1u);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"a", "b", "c", "ac"}));
    EXPECT_EQ(cells(t)[1], two_dots);
    EXPECT_DOUBLE_EQ(cells(t)[3], 75 + nil);
    // region restricted to r1 and r3.
    ASSERT_EQ(run_calc(dir, {"", 12, "u", "1,2", 1, "d", "", "", {}, {}}, "1,3"), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"r1", "r3"}));
    EXPECT_EQ(cells(t), (std::vector<double>{6, two_dots, 50, nil}));
}

// Refusals: the new value's text and code, the inclusion letter, operands
// that do not fit, a bad constant or base, bad lists. Nothing is written.
TEST(Calculation, RefusedRequests) {
    const struct {
        calc_case c;
        const char* region;
        int code;
    } cases[] = {
        {{"taken", 11, "m", "1,2", 1, "b", "", "", {}, {}}, "1,2,3", vt::codes::op_text_used},
        {{"code taken", 11, "m", "1,2", 1, "n#c", "", "", {}, {}}, "1,2,3", vt::codes::op_text_used},
        {{"blank", 11, "m", "1,2", 1, "  ", "", "", {}, {}}, "1,2,3", vt::codes::op_blank_text},
        {{"blank code", 11, "m", "1,2", 1, "n# ", "", "", {}, {}}, "1,2,3", vt::codes::op_blank_text},
        {{"quote", 11, "m", "1,2", 1, "a\"b", "", "", {}, {}}, "1,2,3", vt::codes::op_quote_in_text},
        {{"units", 21, "m", "1", 0, "persons", "b", "", {}, {}}, "1,2,3", vt::codes::op_text_used},
        {{"letter", 11, "x", "1,2", 1, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_calc_failed},
        {{"three", 11, "m", "1,2,3", 0, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_calc_failed},
        {{"operation", 17, "m", "1,2", 0, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_calc_failed},
        {{"remove all", 33, "u", "1,2,3", 0, "", "", "", {}, {}}, "1,2,3", vt::codes::op_calc_failed},
        {{"constant", 11, "m", "1", 0, "n", "", "1,5", {}, {}}, "1,2,3", vt::codes::op_bad_constant},
        {{"no constant", 14, "m", "1", 0, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_bad_constant},
        {{"base", 21, "u", "1", 0, "p", "zzz", "", {}, {}}, "1,2,3", vt::codes::op_no_such_name},
        {{"descending", 18, "m", "3,1", 0, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_bad_list},
        {{"twice", 12, "m", "1,1", 1, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_bad_list},
        {{"range", 11, "m", "1,4", 1, "n", "", "", {}, {}}, "1,2,3", vt::codes::op_bad_list},
        {{"nothing", 11, "m", nullptr, 1, "n", "", "", {}, {}}, nullptr, vt::codes::op_nothing_kept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.c.what);
        vt::test::temp_dir dir;
        dir.write("in.vt", kinds);
        EXPECT_EQ(run_calc(dir, c.c, c.region), c.code);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    }
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    EXPECT_EQ(vt::calcvalues_list(dir.file("in.vt").c_str(), dir.file("in.vt").c_str(), "", 11, "m", {"1,2"}, 1, "n",
                                  "", ""),
              vt::codes::op_same_file);
    EXPECT_EQ(dir.read("in.vt"), kinds);
    EXPECT_EQ(vt::calcvalues_list(dir.file("none.vt").c_str(), dir.file("out.vt").c_str(), "", 11, "m", {"1,2"}, 1,
                                  "n", "", ""),
              vt::codes::cannot_open);
}

// vtbatch runs calcvalues from an INI query (InclExcl in any case) and a
// calculation step from an XML query (values by text, "*" for all).
TEST(Calculation, VtbatchJobs) {
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    dir.write("q.ini",
              "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Texts]\nText1=and\nText2=by\n"
              "[Query]\nFunction=calcvalues\nOperation=12\nInclExcl=M\nNewvalue=d#D\nOrder=1\n"
              "[Data]\nNoOfVar=2\n[Var1]\nValue1=1\nValue2=2\n[Var2]\nValue1=1\nValue2=2\nValue3=3\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "calcvalues ended OK ");
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"a", "b", "d", "c"}));
    EXPECT_EQ(t.vars[0].values[2].code, "D");
    const std::vector<double> got = cells(t);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(std::vector<double>(got.begin() + 6, got.begin() + 9), (std::vector<double>{6, 7, two_dots}));

    dir.write("q.xml",
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n"
              "<vtquery step=\"1\">\n<function>calculation</function>\n<infile>in.vt</infile>\n"
              "<outfile>out2.vt</outfile>\n<errorfile>err.txt</errorfile>\n<operation>percent</operation>\n"
              "<includeexclude>exclude</includeexclude>\n<newvalue>percent</newvalue>\n<betavalue>a</betavalue>\n"
              "<variable name=\"region\">\n<value order=\"1\">*</value>\n</variable>\n"
              "<variable name=\"kind\">\n<value order=\"1\">c</value>\n</variable>\n"
              "</vtquery>\n</vtqueries>\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 0);
    EXPECT_EQ(dir.read("err.txt"), "calculation ended OK ");
    t = read_back(dir.file("out2.vt"));
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"c"}));
    EXPECT_EQ(t.units, "percent");
    EXPECT_DOUBLE_EQ(cells(t)[0], 500);
    EXPECT_DOUBLE_EQ(cells(t)[1], 71.43);

    // A refusal is logged under the function's name.
    dir.write("q2.ini",
              "[Files]\nInfile=in.vt\nOutfile=out3.vt\nErrorfile=err.txt\n[Query]\nFunction=calcvalues\n"
              "Operation=11\nInclExcl=m\nNewvalue=a\nOrder=1\n[Data]\nNoOfVar=1\n[Var1]\nValue1=1\nValue2=2\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q2.ini"), vt::codes::op_text_used);
    EXPECT_EQ(dir.read("err.txt"), "Error from calcvalues: 95");
}

// The libvtops export with its 25 arguments.
TEST(Calculation, LibraryExport) {
    vt::test::library lib(VT_LIBVTOPS);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using s = const char*;
    using calc_fn = int (*)(s, s, s, int, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, int, s, s, s);
    const auto fn = reinterpret_cast<calc_fn>(dlsym(lib.handle, "calcvalues"));
    ASSERT_NE(fn, nullptr);
    vt::test::temp_dir dir;
    dir.write("in.vt", kinds);
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt");
    EXPECT_EQ(fn(in.c_str(), out.c_str(), "und;nach;v", 13, "u", "1,2", "2", nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, "ab", "",
                 ""),
              0);
    vt::table t = read_back(out);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"ab", "c"}));
    EXPECT_EQ(cells(t), (std::vector<double>{0, 5}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop nach kind und region"}));
    EXPECT_EQ(fn(in.c_str(), out.c_str(), "", 13, "u", "1,2", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                 nullptr),
              vt::codes::op_blank_text);
}
