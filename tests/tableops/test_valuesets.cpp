// Value set files, aggregation files and aggregation jobs: groups summed
// from their members' cells, names made unique, unmatched members, prefix
// matching, texts looked up by code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "tableops/compute.h"
#include "tableops/selection.h"
#include "tableops/valuesets.h"
#include "../platform/temp_dir.h"

namespace {

using sel_array = std::array<const char*, vt::max_selected_vars>;

// Regions with codes in the stub (the values show texts), sex in the heading.
std::string region_table(const std::string& south_men) {
    return "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
           "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"sex\";\n"
           "VALUES(\"region\")=\"North\",\"South\",\"East\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
           "CODES(\"region\")=\"01\",\"02\",\"03\";\nDOMAIN(\"region\")=\"reg\";\nMAP(\"region\")=\"oldmap\";\n"
           "CELLNOTE(\"*\",\"women\")=\"women note\";\nCELLNOTE(\"North\",\"*\")=\"north note\";\n"
           "DATA=\n1 2 \n" + south_men + " 4 \n5 6;\n";
}

// Groups A = {01, 02} and B = {02, 03}: South belongs to both.
const char* const areas_agg =
    "[Aggreg]\nValueset=regions\nName=Areas\nMap=areamap\n1=A\n2=B\n[Aggtext]\n1=Group A\n2=Group B\n"
    "[A]\n1=01\n2=02\n[B]\n1=02\n2=03\n";

vt::table read_back(const std::string& path) {
    vt::in_file f;
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::read_table_file(path, f, t), 0) << path;
    EXPECT_EQ(vt::read_data(t, f), 0);
    return t;
}

std::vector<double> cells(const vt::table& t) {
    const std::size_t n = static_cast<std::size_t>(vt::count_cells(t.vars));
    return t.data() ? std::vector<double>(t.data(), t.data() + n) : std::vector<double>{};
}

int aggregate(const vt::test::temp_dir& dir, const std::string& out, sel_array sel) {
    return vt::aggvalues_list(dir.file("in.vt").c_str(), dir.file(out).c_str(), "and;by;distr",
                              dir.path().string().c_str(), sel, 0, "", 1);
}

}  // namespace

TEST(ValueSet, AggregationFileRead) {
    vt::test::temp_dir dir;
    vt::aggregation a;
    ASSERT_EQ(vt::sumreg_struct(dir.write("a.agg", areas_agg), a), 0);
    EXPECT_EQ(a.value_set, "regions");
    EXPECT_EQ(a.name, "Areas");
    EXPECT_EQ(a.map, std::optional<std::string>("areamap"));
    ASSERT_EQ(a.groups.size(), 2u);
    EXPECT_EQ(a.groups[1].code, "B");
    EXPECT_EQ(a.groups[1].text, "Group B");
    EXPECT_EQ(a.groups[1].members, (std::vector<std::string>{"02", "03"}));
    EXPECT_EQ(vt::sumreg_struct(dir.file("missing.agg"), a), 400);
}

// Each group sums its members' cells (a value in two groups counts in
// both); the new variable carries the group texts and codes, the
// aggregation's map, and notes naming a region value are dropped.
TEST(ValueSet, AggregationSumsGroups) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_table("3"));
    dir.write("areas.agg", areas_agg);
    ASSERT_EQ(aggregate(dir, "out.vt", {"A;areas.agg;1,2", "1,2"}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 2u);
    const vt::variable& v = t.vars[0];
    EXPECT_EQ(v.name, std::optional<std::string>("Areas"));
    ASSERT_EQ(v.values.size(), 2u);
    EXPECT_EQ(v.values[0].text, "Group A");
    EXPECT_EQ(v.values[0].code, std::optional<std::string>("A"));
    EXPECT_EQ(v.map, std::optional<std::string>("areamap"));
    EXPECT_FALSE(v.domain.has_value());
    EXPECT_EQ(cells(t), (std::vector<double>{4, 6, 8, 10}));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"women note"}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop by Areas and sex"}));
    // Only the second group, sex eliminated.
    ASSERT_EQ(aggregate(dir, "one.vt", {"A;areas.agg;2", ""}), 0);
    EXPECT_EQ(cells(read_back(dir.file("one.vt"))), (std::vector<double>{18}));
}

// A symbol among a group's members absorbs the group's sum.
TEST(ValueSet, SymbolMemberAbsorbsTheGroup) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_table("\".\""));
    dir.write("areas.agg", areas_agg);
    ASSERT_EQ(aggregate(dir, "out.vt", {"A;areas.agg;1,2", "1,2"}), 0);
    EXPECT_EQ(cells(read_back(dir.file("out.vt"))), (std::vector<double>{-1e19, 6, -1e19, 10}));
}

// Two aggregations of one name: the second variable becomes "Areas_1".
TEST(ValueSet, SecondAggregationOfANameIsNumbered) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_table("3"));
    dir.write("areas.agg", areas_agg);
    dir.write("sexes.agg", "[Aggreg]\nName=Areas\n1=all\n[Aggtext]\n1=Both\n[all]\n1=men\n2=women\n");
    ASSERT_EQ(aggregate(dir, "out.vt", {"A;areas.agg;1", "A;sexes.agg;1"}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 2u);
    EXPECT_EQ(t.vars[0].name, std::optional<std::string>("Areas"));
    EXPECT_EQ(t.vars[1].name, std::optional<std::string>("Areas_1"));
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(cells(t), (std::vector<double>{10}));
}

// Refusals: no member matches (92), no ";" after the file name (82), a
// group number out of range (81), an unreadable aggregation file (400).
TEST(ValueSet, AggregationRefusals) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_table("3"));
    dir.write("none.agg", "[Aggreg]\nName=None\n1=X\n[Aggtext]\n1=x\n[X]\n1=77\n2=88\n");
    dir.write("areas.agg", areas_agg);
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;none.agg;1", "1"}), vt::codes::op_agg_failed);
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;areas.agg", "1"}), vt::codes::op_bad_aggregated);
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;;1", "1"}), vt::codes::op_bad_aggregated);
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;areas.agg;3", "1"}), vt::codes::op_bad_list);
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;missing.agg;1", "1"}), 400);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    // An aggregation named like another variable of the table.
    dir.write("sexname.agg", "[Aggreg]\nName=sex\n1=A\n[Aggtext]\n1=a\n[A]\n1=01\n");
    EXPECT_EQ(aggregate(dir, "out.vt", {"A;sexname.agg;1", "1"}), vt::codes::op_name_clash);
}

// With kind letter "N" a member code without a value of its own takes the
// values of the shortest longer length that begin with it.
TEST(ValueSet, PrefixMatching) {
    const std::string text =
        "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"c\";\nUNITS=\"u\";\nHEADING=\"k\";\nVALUES(\"k\")=\"011\",\"012\",\"0111\",\"02\";\n"
        "DATA=\n1 2 4 8;\n";
    for (char kind : {'N', 'V'}) {
        vt::in_file f;
        f.open_memory(text);
        vt::table s = vt::table_new();
        ASSERT_EQ(vt::metain(f, s), 0);
        vt::aggregation agg;
        agg.name = agg.unique_name = "g";
        agg.kind = kind;
        agg.groups = {{"first", "F", {"01"}}, {"second", "S", {"02"}}};
        vt::request_entry e;
        e.name = "k";
        e.agg = agg;
        vt::bearb req;
        vt::bearb_append(req, e);
        vt::table out;
        ASSERT_EQ(vt::berakna(s, req, &f, out), 0);
        // "01" matches the length-3 codes only; without prefix matching nothing.
        EXPECT_EQ(cells(out), kind == 'N' ? (std::vector<double>{3, 8}) : (std::vector<double>{0, 8}));
    }
}

// Value set files: the list of value sets, the match with a table's
// domains, and the texts of coded values from the line files.
TEST(ValueSet, ValueSetsAndTextLookup) {
    vt::test::temp_dir dir;
    dir.write("areas.agg", areas_agg);
    dir.write("noname.agg", "[Aggreg]\n1=A\n");
    dir.write("r.vs",
              "[Descr]\nName=Regions\nType=N\n[Domain]\n1=REG\n2=r\xC4gion\n[Aggreg]\n1=areas.agg\n2=noname.agg\n"
              "[Valuecode]\n1000=****\n");
    dir.write("r.vsc", "01\r\n02\r\n03\r\n");
    dir.write("r.vsn", "North\r\nSouth\r\nEast\r\n");
    const std::vector<vt::value_set> sets = vt::varreg_struct(dir.path().string());
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].name, "Regions");
    EXPECT_EQ(sets[0].kind, 'N');
    EXPECT_EQ(sets[1].domain, "r\xC4gion");
    ASSERT_EQ(sets[0].aggregations.size(), 1u);
    EXPECT_EQ(sets[0].aggregations[0].name, "Areas");

    vt::table t = vt::table_new();
    vt::variable v;
    v.name = "region";
    v.domain = "r\xE4GION";
    for (const char* code : {"03", "01"}) v.values.push_back(vt::value{code, std::nullopt, 0, 0, 0, {}, {}});
    t.vars.push_back(v);
    EXPECT_EQ(vt::var_regmatch(t, sets), 1);
    t.vars[0].domain = "other";
    EXPECT_EQ(vt::var_regmatch(t, sets), 0);

    // Codes without texts: the swap fetches the texts, then shows them.
    ASSERT_EQ(vt::swap_texts_codes(v, dir.path().string()), 1);
    EXPECT_EQ(v.values[0].text, "East");
    EXPECT_EQ(v.values[0].code, std::optional<std::string>("03"));
    EXPECT_EQ(v.values[1].text, "North");
    // A code the value set lacks leaves the variable alone.
    vt::variable w = t.vars[0];
    w.domain = "reg";
    w.values[0].text = "99";
    EXPECT_EQ(vt::swap_texts_codes(w, dir.path().string()), 0);
    EXPECT_EQ(w.values[0].text, "99");
    EXPECT_FALSE(w.values[0].code.has_value());

    // A value set file without a name ends the scan empty.
    dir.write("bad.vs", "[Domain]\n1=x\n");
    EXPECT_TRUE(vt::varreg_struct(dir.path().string()).empty());
}

// An aggvalues job from an INI query: Classcat is the directory of the
// aggregation files, Value1.. are joined into the "A" list.
TEST(ValueSet, VtbatchAggvaluesJob) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_table("3"));
    dir.write("areas.agg", areas_agg);
    dir.write("q.ini",
              "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=aggvalues\nClasscat=" +
                  dir.path().string() + "\n[Data]\nNoOfVar=2\n[Var1]\nValue1=A;areas.agg;1\nValue2=2\n");
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + VT_VTBATCH + "' q.ini >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.read("err.txt"), "aggvalues ended OK ");
    EXPECT_EQ(cells(read_back(dir.file("out.vt"))), (std::vector<double>{10, 18}));
}
