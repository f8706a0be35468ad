// Pivot and variable order: every cell keeps its combination of values
// after the variables move, notes and contents information follow them,
// the title is rebuilt, bad orders are refused; the library exports and a
// batch job.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "dialogs/varorder.h"
#include "platform/datablock.h"
#include "platform/listbox.h"
#include "tableops/pivot.h"
#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

// region (3) and sex (2) in the stub, year (2) in the heading. The cell of
// region r, sex s, year y (1-based) holds 100r + 10s + y; North/women/2002
// holds the symbol "..".
const char* const three_vars =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"old\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\n"
    "VALUENOTE(\"sex\",\"women\")=\"incl. girls\";\n"
    "CELLNOTE(\"South\",\"*\",\"2002\")=\"south 2002\";\n"
    "DATANOTECELL(\"East\",\"men\",\"2001\")=\"E\";\n"
    "DATA=\n111 112 121 \"..\" 211 212 221 222 311 312 321 322;\n";

// The value of a cell of three_vars from its value texts.
double expected_cell(const std::map<std::string, std::string>& at) {
    if (at.at("region") == "North" && at.at("sex") == "women" && at.at("year") == "2002") return -1e20;
    const std::map<std::string, int> pos = {{"North", 1}, {"South", 2}, {"East", 3}, {"men", 1},
                                            {"women", 2}, {"2001", 1},  {"2002", 2}};
    return 100 * pos.at(at.at("region")) + 10 * pos.at(at.at("sex")) + pos.at(at.at("year"));
}

vt::table read_back(const std::string& path) {
    vt::in_file f;
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::read_table_file(path, f, t), 0) << path;
    EXPECT_EQ(vt::read_data(t, f), 0);
    return t;
}

std::vector<std::string> names(const vt::table& t) {
    std::vector<std::string> out;
    for (const vt::variable& v : t.vars) out.push_back(v.name ? *v.name : "<none>");
    return out;
}

std::vector<double> cells(const vt::table& t) {
    const std::size_t n = static_cast<std::size_t>(vt::count_cells(t.vars));
    return t.data() ? std::vector<double>(t.data(), t.data() + n) : std::vector<double>{};
}

// Walks every cell of a table made from three_vars and checks it against
// the value its combination held in the source.
void expect_every_cell(const vt::table& t) {
    ASSERT_EQ(t.vars.size(), 3u);
    ASSERT_NE(t.data(), nullptr);
    const std::size_t n = static_cast<std::size_t>(vt::count_cells(t.vars));
    ASSERT_EQ(n, 12u);
    std::vector<std::size_t> digit(3, 0);
    for (std::size_t c = 0; c < n; ++c) {
        std::map<std::string, std::string> at;
        for (std::size_t j = 0; j < 3; ++j) at[*t.vars[j].name] = t.vars[j].values[digit[j]].text;
        EXPECT_EQ(t.data()[c], expected_cell(at)) << "cell " << c;
        for (std::size_t j = 3; j-- > 0;) {
            if (++digit[j] < t.vars[j].values.size()) break;
            digit[j] = 0;
        }
    }
}

const vt::title_words words{"and", "by", "distr"};

int run_pivot(const vt::test::temp_dir& dir, int alt, const std::string& in = "in.vt") {
    return vt::pivot(dir.file(in).c_str(), dir.file("out.vt").c_str(), alt, "unit", words);
}

int run_order(const vt::test::temp_dir& dir, const char* stub, const char* head, const std::string& in = "in.vt") {
    return vt::variableorder(dir.file(in).c_str(), dir.file("out.vt").c_str(), stub, head, "unit", words);
}

}  // namespace

// alt 1: the first stub variable leads the heading, the last heading
// variable ends the stub. Every cell, symbol included, keeps its meaning;
// the notes follow their values and the title names the new order.
TEST(Pivot, Alt1MovesFirstStubToHeadingAndLastHeadingToStub) {
    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    ASSERT_EQ(run_pivot(dir, 1), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"sex", "year", "region"}));
    EXPECT_EQ(t.heading, 2u);
    expect_every_cell(t);
    EXPECT_EQ(cells(t)[0], 111);  // men 2001 North
    EXPECT_EQ(cells(t)[1], 211);  // men 2001 South
    EXPECT_EQ(t.title, (vt::text_list{"Pop by sex, year and region"}));
    EXPECT_EQ(t.vars[0].values[1].valuenote, (vt::text_list{"incl. girls"}));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"south 2002"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{vt::any_value}));
    EXPECT_EQ(t.vars[1].cellnote_refs, (vt::cell_ref_list{1}));
    EXPECT_EQ(t.vars[2].cellnote_refs, (vt::cell_ref_list{1}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"E"}));
    EXPECT_EQ(t.vars[0].datanotecell_refs, (vt::cell_ref_list{0}));
    EXPECT_EQ(t.vars[1].datanotecell_refs, (vt::cell_ref_list{0}));
    EXPECT_EQ(t.vars[2].datanotecell_refs, (vt::cell_ref_list{2}));
}

// alt 2: the first heading variable leads the stub, the last stub variable
// ends the heading.
TEST(Pivot, Alt2MovesFirstHeadingToStubAndLastStubToHeading) {
    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    ASSERT_EQ(run_pivot(dir, 2), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"year", "region", "sex"}));
    EXPECT_EQ(t.heading, 2u);
    expect_every_cell(t);
    EXPECT_EQ(t.title, (vt::text_list{"Pop by year, region and sex"}));
}

// One stub and one heading variable: both alternatives transpose.
TEST(Pivot, OneByOneIsTransposedByBothAlternatives) {
    const char* two =
        "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"r\";\nHEADING=\"c\";\nVALUES(\"r\")=\"a\",\"b\",\"c\";\n"
        "VALUES(\"c\")=\"x\",\"y\";\nDATA=\n1 2 \n3 4.5 \n\"-\" 6;\n";
    for (int alt : {1, 2}) {
        vt::test::temp_dir dir;
        dir.write("in.vt", two);
        ASSERT_EQ(run_pivot(dir, alt), 0) << alt;
        vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(names(t), (std::vector<std::string>{"c", "r"})) << alt;
        EXPECT_EQ(t.heading, 1u);
        const std::vector<double> c = cells(t);
        ASSERT_EQ(c.size(), 6u);
        EXPECT_EQ(c[0], 1);
        EXPECT_EQ(c[1], 3);
        EXPECT_GT(c[2], 0);  // the nil symbol, kept as its sentinel
        EXPECT_LT(c[2], 1e-10);
        EXPECT_EQ(c[3], 2);
        EXPECT_EQ(c[4], 4.5);
        EXPECT_EQ(c[5], 6);
    }
}

// Without heading variables alt 1 makes the first stub variable the
// heading (the cells move); alt 2 moves the last stub variable to the
// heading, which moves no cell.
TEST(Pivot, TableWithoutHeading) {
    const char* stub_only =
        "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"a\",\"b\";\nVALUES(\"a\")=\"a1\",\"a2\";\n"
        "VALUES(\"b\")=\"b1\",\"b2\",\"b3\";\nDATA=\n11 12 13 21 22 23;\n";
    vt::test::temp_dir dir;
    dir.write("in.vt", stub_only);
    ASSERT_EQ(run_pivot(dir, 1), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(cells(t), (std::vector<double>{11, 21, 12, 22, 13, 23}));

    ASSERT_EQ(run_pivot(dir, 2), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(cells(t), (std::vector<double>{11, 12, 13, 21, 22, 23}));
}

// The variable without a name moves like any other and keeps the second
// sentence of the title; the contents information follows the contents
// variable.
TEST(Pivot, UnnamedVariableAndContentsInformation) {
    const char* sorted = vt::test::trade;
    vt::test::temp_dir dir;
    dir.write("in.vt", sorted);
    ASSERT_EQ(run_pivot(dir, 1), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"flow", "year", "<none>"}));
    EXPECT_EQ(t.heading, 2u);
    // flow, year, unnamed: the cell of (sort k, flow f, year y) was 4k + 2f + y + 1.
    EXPECT_EQ(cells(t), (std::vector<double>{1, 5, 2, 6, 3, 7, 4, 8}));
    ASSERT_TRUE(t.contvariable);
    EXPECT_EQ(*t.contvariable, "flow");
    ASSERT_EQ(t.continfos.size(), 2u);
    EXPECT_EQ(t.continfos[1].units, "SEK thousands");
    ASSERT_FALSE(t.title.empty());
    EXPECT_EQ(t.title[0].rfind("Trade by flow and year.", 0), 0u) << t.title[0];
}

// A keyed source is read in memory and written in full form; the time
// variable keeps its TIMEVAL list wherever it goes. Without memory for the
// source's cells the data reader's 201 ends the job, without memory for the
// new table's cells 200; either way nothing is written.
TEST(Pivot, KeyedSourceTimeListAndNoMemory) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
              "VALUES(\"region\")=\"A\",\"B\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
              "TIMEVAL(\"year\")=TLIST(A1),\"2001\",\"2002\";\n"
              "KEYS(\"region\")=VALUES;\nDATA=\n\"B\",7 8\n;\n");
    ASSERT_EQ(run_pivot(dir, 1), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"year", "region"}));
    EXPECT_EQ(cells(t), (std::vector<double>{0, 7, 0, 8}));
    EXPECT_EQ(dir.read("out.vt").find("KEYS"), std::string::npos);
    EXPECT_EQ(t.vars[0].is_time, 1);
    EXPECT_EQ(t.timeval.size(), 2u);

    std::filesystem::remove(dir.file("out.vt"));
    auto refused = [](auto job) {
        vt::plat::refuse_data_blocks(true);
        const int rc = job();
        vt::plat::refuse_data_blocks(false);
        return rc;
    };
    // A new order, and the same order with the boundary moved (no new cells).
    for (auto [stub, head] : {std::pair{"2", "1"}, std::pair{"1", "2"}}) {
        EXPECT_EQ(refused([&] { return run_order(dir, stub, head); }), 201) << stub;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    }
    // varorder holds the source's cells from its first step on, so its
    // second step only needs the new table's.
    vt::plat::memory_listbox stub, head;
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt");
    EXPECT_EQ(refused([&] { return vt::varorder(in.c_str(), "", stub.view(), head.view(), 1, "unit", words); }), 201);
    EXPECT_TRUE(stub.items().empty());
    ASSERT_EQ(vt::varorder(in.c_str(), "", stub.view(), head.view(), 1, "unit", words), 0);
    stub.reset();
    head.reset();
    stub.add("year");
    head.add("region");
    EXPECT_EQ(refused([&] { return vt::varorder(nullptr, out.c_str(), stub.view(), head.view(), 2, "unit", words); }),
              200);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
}

// Variable numbers give any order; the same sequence with another split
// only moves the boundary.
TEST(VariableOrder, NumbersGiveTheNewOrder) {
    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    ASSERT_EQ(run_order(dir, "3", "2,1"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"year", "sex", "region"}));
    EXPECT_EQ(t.heading, 1u);
    expect_every_cell(t);
    EXPECT_EQ(t.title, (vt::text_list{"Pop by year, sex and region"}));

    ASSERT_EQ(run_order(dir, "1", " 2 , 3 "), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"region", "sex", "year"}));
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(cells(t), (std::vector<double>{111, 112, 121, -1e20, 211, 212, 221, 222, 311, 312, 321, 322}));

    // Everything in the stub; an empty item stands for the first variable.
    ASSERT_EQ(run_order(dir, "3,,2", ""), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"year", "region", "sex"}));
    EXPECT_FALSE(t.has_heading());
    expect_every_cell(t);
}

// Orders that leave out a variable, name one twice, or name none that
// exists are refused and write nothing; so are a bad alt, the input as
// output, and inputs that cannot be read.
TEST(VariableOrder, BadRequestsAreRefused) {
    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    EXPECT_EQ(run_order(dir, "1,2", ""), vt::codes::op_bad_order);
    EXPECT_EQ(run_order(dir, "1,2", "2,3"), vt::codes::op_bad_order);
    EXPECT_EQ(run_order(dir, "1,2", "4"), vt::codes::op_bad_order);
    EXPECT_EQ(run_order(dir, "1,x", "3"), vt::codes::op_bad_order);
    EXPECT_EQ(run_order(dir, "1,2,3", "1"), vt::codes::op_bad_order);
    EXPECT_EQ(run_pivot(dir, 3), vt::codes::op_bad_pivot_alt);
    EXPECT_EQ(run_pivot(dir, 0), vt::codes::op_bad_pivot_alt);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));

    EXPECT_EQ(vt::pivot(dir.file("in.vt").c_str(), dir.file("in.vt").c_str(), 1, "", words), vt::codes::op_same_file);
    EXPECT_EQ(dir.read("in.vt"), three_vars);
    EXPECT_EQ(run_pivot(dir, 1, "missing.vt"), 400);
    // The reader's own code reaches the caller (132: SUBJECT-AREA= is missing).
    dir.write("bad.vt", "CHARSET=\"ANSI\";\nMATRIX=\"T\";\n");
    EXPECT_EQ(run_order(dir, "1", "", "bad.vt"), 132);
    EXPECT_EQ(vt::pivot(dir.file("in.vt").c_str(), (dir.file("no-dir") + "/out.vt").c_str(), 1, "", words), 400);
}

TEST(VariableOrder, OrderHelpers) {
    vt::variable_order o;
    ASSERT_TRUE(vt::pivot_order(3, 2, 1, o));
    EXPECT_EQ(o.stub, (std::vector<std::size_t>{1, 2, 4}));
    EXPECT_EQ(o.heading, (std::vector<std::size_t>{0, 3}));
    ASSERT_TRUE(vt::pivot_order(3, 2, 2, o));
    EXPECT_EQ(o.stub, (std::vector<std::size_t>{3, 0, 1}));
    EXPECT_EQ(o.heading, (std::vector<std::size_t>{4, 2}));
    ASSERT_TRUE(vt::pivot_order(0, 2, 2, o));
    EXPECT_EQ(o.stub, (std::vector<std::size_t>{0}));
    EXPECT_EQ(o.heading, (std::vector<std::size_t>{1}));
    EXPECT_FALSE(vt::pivot_order(1, 1, 5, o));
}

// The exports: pivot takes the title words from a label file,
// variableorder from a list, varorder fills and reads list boxes, finding
// the variable without a name by the unit text in any letter case.
TEST(VariableOrder, LibraryExports) {
    vt::test::library lib(VT_LIBVTOPS);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using pivot_fn = int (*)(const char*, const char*, int, const char*, const char*);
    using order_fn = int (*)(const char*, const char*, const char*, const char*, const char*, const char*);
    using varorder_fn = int (*)(const char*, const char*, const vt_listbox*, const vt_listbox*, int, const char*,
                                const char*);
    const auto pivot = reinterpret_cast<pivot_fn>(dlsym(lib.handle, "pivot"));
    const auto order = reinterpret_cast<order_fn>(dlsym(lib.handle, "variableorder"));
    const auto varorder = reinterpret_cast<varorder_fn>(dlsym(lib.handle, "varorder"));
    ASSERT_NE(pivot, nullptr);
    ASSERT_NE(order, nullptr);
    ASSERT_NE(varorder, nullptr);

    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    dir.write("labels.ini", "[Global]\nand=och\nby=efter\ndistr=fordelning\n");
    ASSERT_EQ(pivot(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), 2, "unit", dir.file("labels.ini").c_str()),
              0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.title, (vt::text_list{"Pop efter year, region och sex"}));
    expect_every_cell(t);

    ASSERT_EQ(order(dir.file("in.vt").c_str(), dir.file("out2.vt").c_str(), "2", "3,1", "unit", "und;nach;v"), 0);
    t = read_back(dir.file("out2.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"sex", "year", "region"}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop nach sex, year und region"}));
    expect_every_cell(t);
    EXPECT_EQ(order(dir.file("in.vt").c_str(), dir.file("out3.vt").c_str(), "2", "3", "unit", ""),
              vt::codes::op_bad_order);

    dir.write("sorted.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"$$SORT\";\nHEADING=\"k\";\n"
              "VALUES(\"$$SORT\")=\"p\",\"q\";\nVALUES(\"k\")=\"x\",\"y\",\"z\";\nDATA=\n1 2 3 4 5 6;\n");
    vt::plat::memory_listbox stub, head;
    EXPECT_EQ(varorder(nullptr, dir.file("out4.vt").c_str(), stub.view(), head.view(), 2, "Unit", ""),
              vt::codes::op_no_dialogue_table);
    ASSERT_EQ(varorder(dir.file("sorted.vt").c_str(), "", stub.view(), head.view(), 1, "Unit", ""), 0);
    EXPECT_EQ(stub.items(), (std::vector<std::string>{"Unit"}));
    EXPECT_EQ(head.items(), (std::vector<std::string>{"k"}));
    // The source as output is refused; the table stays for another try.
    EXPECT_EQ(varorder(nullptr, dir.file("sorted.vt").c_str(), stub.view(), head.view(), 2, "unit", ""),
              vt::codes::op_same_file);
    // The host moves the variables across.
    stub.reset();
    head.reset();
    stub.add("k");
    head.add("UNIT");
    ASSERT_EQ(varorder(nullptr, dir.file("out4.vt").c_str(), stub.view(), head.view(), 2, "unit", ""), 0);
    t = read_back(dir.file("out4.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"k", "<none>"}));
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(cells(t), (std::vector<double>{1, 4, 2, 5, 3, 6}));
    // Step 2 released the table; a name the table lacks is refused.
    EXPECT_EQ(varorder(nullptr, dir.file("out5.vt").c_str(), stub.view(), head.view(), 2, "unit", ""),
              vt::codes::op_no_dialogue_table);
    stub.reset();
    head.reset();
    ASSERT_EQ(varorder(dir.file("sorted.vt").c_str(), "", stub.view(), head.view(), 1, "Unit", ""), 0);
    head.reset();
    head.add("nothing");
    EXPECT_EQ(varorder(nullptr, dir.file("out5.vt").c_str(), stub.view(), head.view(), 2, "unit", ""),
              vt::codes::op_bad_order);
    EXPECT_EQ(varorder(nullptr, nullptr, nullptr, nullptr, 3, nullptr, nullptr), 0);
}

// vtbatch runs "pivotauto" and "pivotmanual" jobs from INI query files.
TEST(VariableOrder, BatchJobs) {
    vt::test::temp_dir dir;
    dir.write("in.vt", three_vars);
    auto run = [&](const std::string& query) {
        dir.write("job.ini", query);
        const std::string cmd = "cd '" + dir.path().string() + "' && '" + VT_VTBATCH + "' job.ini >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string files = "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n";
    ASSERT_EQ(run(files + "[Query]\nFunction=pivotauto\nPivotAlt=1\nUnitVar=unit\n"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"sex", "year", "region"}));
    expect_every_cell(t);

    ASSERT_EQ(run(files + "[Query]\nFunction=pivotmanual\nStubOrder=3,1\nHeadOrder=2\n"), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"year", "region", "sex"}));
    EXPECT_EQ(t.heading, 2u);
    expect_every_cell(t);

    EXPECT_EQ(run(files + "[Query]\nFunction=pivotmanual\nStubOrder=3,1\nHeadOrder=3\n"), vt::codes::op_bad_order);
    EXPECT_NE(dir.read("err.txt").find("89"), std::string::npos) << dir.read("err.txt");
}
