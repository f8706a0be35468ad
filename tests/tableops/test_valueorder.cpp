// Value order: the cells move with their values, bit for bit, along a
// stub or a heading variable; notes, codes, precisions, the elimination
// value and the contents information follow; the hierarchy goes; bad
// orders and unknown variables are refused; vtbatch (INI and XML) and the
// library export.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "tableops/valueorder.h"
#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

// region (3, coded, with a hierarchy) and sex (2) in the stub, year (2) in
// the heading; cell (r, s, y) holds 100r + 10s + y, South/women/2002 "..".
const char* const table_text =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"old\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"all\",\"North\",\"South\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nCODES(\"region\")=\"0\",\"1\",\"2\";\n"
    "ELIMINATION(\"region\")=\"all\";\nPRECISION(\"region\",\"South\")=1;\n"
    "HIERARCHIES(\"region\")=\"all\",\"all\":\"North\",\"all\":\"South\";\n"
    "VALUENOTE(\"region\",\"North\")=\"north only\";\n"
    "CELLNOTE(\"South\",\"*\",\"2002\")=\"south 2002\";\nDATANOTECELL(\"1\",\"men\",\"2001\")=\"N\";\n"
    "DATA=\n111 112 121 122 \n211 212 221 222 \n311 312 321 \"..\";\n";

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

const vt::title_words words{"and", "by", "distr"};

int order(const vt::test::temp_dir& dir, const char* list, const char* variable, const char* unit = "unit") {
    return vt::valueorder(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), list, variable, unit, words);
}

}  // namespace

// A stub variable: rows move, everything about a value moves with it.
TEST(ValueOrder, StubVariableCarriesEverything) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    ASSERT_EQ(order(dir, "3,1,2", "region"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    const vt::variable& r = t.vars[0];
    EXPECT_EQ(texts(r), (std::vector<std::string>{"South", "all", "North"}));
    EXPECT_EQ(r.values[0].code, "2");
    EXPECT_EQ(r.values[0].precision, 1);
    EXPECT_EQ(r.values[2].valuenote, (vt::text_list{"north only"}));
    EXPECT_EQ(r.elimination_value, 1);
    EXPECT_EQ(r.has_hierarchy, 0);
    EXPECT_EQ(dir.read("out.vt").find("HIERARCHIES"), std::string::npos);
    EXPECT_EQ(cells(t), (std::vector<double>{311, 312, 321, -1e20, 111, 112, 121, 122, 211, 212, 221, 222}));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"south 2002"}));
    EXPECT_EQ(r.cellnote_refs, (vt::cell_ref_list{0}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"N"}));
    EXPECT_EQ(r.datanotecell_refs, (vt::cell_ref_list{2}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop by region, sex and year"}));
    // The other variables keep their order and their values' places.
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"men", "women"}));
    EXPECT_EQ(t.vars[2].datanotecell_refs, (vt::cell_ref_list{0}));
}

// A heading variable: columns move; an empty item is the first value; a
// list already in order leaves the table as it was.
TEST(ValueOrder, HeadingVariableAndPlainOrders) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    ASSERT_EQ(order(dir, "2,", "year"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(texts(t.vars[2]), (std::vector<std::string>{"2002", "2001"}));
    EXPECT_EQ(cells(t), (std::vector<double>{112, 111, 122, 121, 212, 211, 222, 221, 312, 311, -1e20, 321}));
    EXPECT_EQ(t.vars[2].cellnote_refs, (vt::cell_ref_list{0}));
    EXPECT_EQ(t.heading, 2u);

    ASSERT_EQ(order(dir, " 1 , 2 ", "sex"), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(cells(t), (std::vector<double>{111, 112, 121, 122, 211, 212, 221, 222, 311, 312, 321, -1e20}));
}

// Cells the caller holds are copied, not taken: the source keeps them. A
// request that does not name every value once forms no table.
TEST(ValueOrder, CallerCellsStay) {
    vt::test::temp_dir dir;
    vt::table t = read_back(dir.write("in.vt", table_text));
    vt::bearb req;
    req.op = vt::op_value_order;
    req.entries.push_back({"year", std::nullopt, {"2002", "2001"}});
    vt::table out;
    ASSERT_EQ(vt::berakna(t, req, nullptr, out), 0);
    EXPECT_EQ(cells(t)[0], 111);
    EXPECT_EQ(cells(out), (std::vector<double>{112, 111, 122, 121, 212, 211, 222, 221, 312, 311, -1e20, 321}));
    req.entries[0].values = {"2002", "2002"};
    EXPECT_EQ(vt::berakna(t, req, nullptr, out), vt::codes::op_failed);
}

// The variable without a name is the one named like UnitVar, exactly; its
// reorder changes the title's second sentence.
TEST(ValueOrder, UnnamedVariable) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"$$SORT\";\nHEADING=\"k\";\n"
              "VALUES(\"$$SORT\")=\"p\",\"q\";\nVALUES(\"k\")=\"x\",\"y\";\nDATA=\n1 2 \n3 4;\n");
    EXPECT_EQ(order(dir, "2,1", "Unit", "unit"), vt::codes::op_no_such_name);
    ASSERT_EQ(order(dir, "2,1", "unit", "unit"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"q", "p"}));
    EXPECT_EQ(cells(t), (std::vector<double>{3, 4, 1, 2}));
    EXPECT_EQ(t.title, (vt::text_list{"C by k.", "distr by q and p."}));
}

// Lists that do not name every value exactly once, an unknown variable, the
// input as output: refused, nothing written, the input untouched.
TEST(ValueOrder, RefusedOrders) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    const struct {
        const char* list;
        const char* variable;
        int code;
    } cases[] = {{"1,2", "region", vt::codes::op_bad_value_order},   {"1,2,2", "region", vt::codes::op_bad_value_order},
                 {"1,2,4", "region", vt::codes::op_bad_value_order}, {"1,2,3,1", "region", vt::codes::op_bad_value_order},
                 {"3,x,1", "region", vt::codes::op_bad_value_order}, {"", "region", vt::codes::op_bad_value_order},
                 {",", "sex", vt::codes::op_bad_value_order},        {"1,2", "nation", vt::codes::op_no_such_name},
                 {"1,2", "", vt::codes::op_no_such_name}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " " + c.variable);
        EXPECT_EQ(order(dir, c.list, c.variable), c.code);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    }
    EXPECT_EQ(vt::valueorder(dir.file("in.vt").c_str(), dir.file("./in.vt").c_str(), "2,1", "sex", "", words),
              vt::codes::op_same_file);
    EXPECT_EQ(dir.read("in.vt"), table_text);
    EXPECT_EQ(vt::valueorder(dir.file("no.vt").c_str(), dir.file("out.vt").c_str(), "2,1", "sex", "", words),
              vt::codes::cannot_open);
}

// vtbatch: the INI form ([ValueList]) and the XML form (order attributes).
TEST(ValueOrder, VtbatchJobs) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    dir.write("q.ini",
              "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Texts]\nText1=and\nText2=by\n"
              "[Query]\nFunction=valueorder\nVariableValues=region\nUnitVar=unit\n"
              "[ValueList]\nValue1=2\nValue2=3\nValue3=1\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "valueorder ended OK ");
    EXPECT_EQ(texts(read_back(dir.file("out.vt")).vars[0]), (std::vector<std::string>{"North", "South", "all"}));

    dir.write("q.xml",
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n"
              "<vtquery step=\"1\">\n<function>valueorder</function>\n<infile>in.vt</infile>\n"
              "<outfile>out2.vt</outfile>\n<errorfile>err.txt</errorfile>\n<variable name=\"sex\">\n"
              "<value order=\"1\" code=\"2\">women</value>\n<value order=\"2\" code=\"1\">men</value>\n"
              "</variable>\n</vtquery>\n</vtqueries>\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 0);
    EXPECT_EQ(dir.read("err.txt"), "valueorder ended OK ");
    vt::table t = read_back(dir.file("out2.vt"));
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"women", "men"}));
    EXPECT_EQ(cells(t)[0], 121);

    dir.write("q2.ini",
              "[Files]\nInfile=in.vt\nOutfile=out3.vt\nErrorfile=err.txt\n[Query]\nFunction=valueorder\n"
              "VariableValues=region\n[ValueList]\nValue1=2\nValue2=3\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q2.ini"), vt::codes::op_bad_value_order);
    EXPECT_EQ(dir.read("err.txt"), "Error from valueorder: 80");
}

TEST(ValueOrder, LibraryExport) {
    vt::test::library lib(VT_LIBVTOPS);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using s = const char*;
    const auto fn = reinterpret_cast<int (*)(s, s, s, s, s, s)>(dlsym(lib.handle, "valueorder"));
    ASSERT_NE(fn, nullptr);
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt");
    ASSERT_EQ(fn(in.c_str(), out.c_str(), "2,1", "year", "unit", "und;nach;v"), 0);
    vt::table t = read_back(out);
    EXPECT_EQ(texts(t.vars[2]), (std::vector<std::string>{"2002", "2001"}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop nach region, sex und year"}));
    EXPECT_EQ(fn(in.c_str(), out.c_str(), nullptr, "year", nullptr, nullptr), vt::codes::op_bad_value_order);
    EXPECT_EQ(fn(nullptr, out.c_str(), "1,2", "year", nullptr, nullptr), vt::codes::cannot_open);
}
