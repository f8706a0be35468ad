// The selection dialogue and its aggregation steps as a host drives them
// with list boxes, and the queries getcodes and zoomvar.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "dialogs/selection.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "platform/message.h"
#include "../platform/temp_dir.h"

namespace {

// region (codes as texts, domain "reg", ELIMINATION YES) and area (domain
// "reg", no elimination) in the stub, sex (eliminated at "total") in the
// heading. Cell (r, a): men 10r+a, women 100r+10a, total their sum.
const char* const coded_table =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"region\",\"area\";\nHEADING=\"sex\";\n"
    "VALUES(\"region\")=\"01\",\"02\",\"03\";\nVALUES(\"area\")=\"01\",\"02\";\n"
    "VALUES(\"sex\")=\"men\",\"women\",\"total\";\nDOMAIN(\"region\")=\"reg\";\nDOMAIN(\"area\")=\"REG\";\n"
    "ELIMINATION(\"region\")=YES;\nELIMINATION(\"sex\")=\"total\";\n"
    "DATA=\n11 110 121 \n12 120 132 \n21 210 231 \n22 220 242 \n31 310 341 \n32 320 352;\n";

const char* const value_set =
    "[Descr]\nName=regions\nType=V\n[Domain]\n1=reg\n[Aggreg]\n1=areas.agg\n2=none.agg\n";
// A = {01, 02}, B = {02, 03}: 02 belongs to both.
const char* const areas_agg =
    "[Aggreg]\nValueset=regions\nName=Areas\n1=A\n2=B\n[Aggtext]\n1=Group A\n2=Group B\n"
    "[A]\n1=01\n2=02\n[B]\n1=02\n2=03\n";
const char* const none_agg = "[Aggreg]\nValueset=regions\nName=Nowhere\n1=X\n[Aggtext]\n1=X\n[X]\n1=98\n2=99\n";

struct boxes {
    vt::plat::memory_listbox a;
    std::array<vt::plat::memory_listbox, vt::max_selected_vars> lists;
    vt::value_boxes views() const {
        vt::value_boxes v{};
        for (std::size_t k = 0; k < v.size(); ++k) v[k] = lists[k].view();
        return v;
    }
    // Selects the items with these texts (the last one becomes current).
    static void pick(vt::plat::memory_listbox& b, const std::vector<std::string>& texts) {
        for (const std::string& t : texts)
            for (int i = 0; i < b.count(); ++i)
                if (b.items()[static_cast<std::size_t>(i)] == t) {
                    b.select(i);
                    b.set_current(i);
                }
    }
    static std::string joined(const vt::plat::memory_listbox& b) {
        std::string out;
        for (const std::string& t : b.items()) out += (out.empty() ? "" : "|") + t;
        return out;
    }
};

struct fixture {
    vt::test::temp_dir dir;
    boxes b;
    std::string in, label;
    fixture() {
        in = dir.write("in.vt", coded_table);
        dir.write("reg.vs", value_set);
        dir.write("areas.agg", areas_agg);
        dir.write("none.agg", none_agg);
        label = dir.write("labels.lab", "[Global]\nand=and\nby=by\ndistr=distr\n");
    }
    ~fixture() { vt::dialogs::release(); }
    int start(char* status = nullptr) {
        return vt::getvalue(in.c_str(), "", dir.path().string().c_str(), label.c_str(), 0, b.views(), status, 0, "");
    }
    int sr(int step, const char* out = "", const char* name = "") {
        return vt::srvalues(out, step, b.a.view(), b.views(), name, 0);
    }
    // Steps 1 (or 10 for a further level), 2, 3 and 4: the aggregation
    // `agg` in place of `var`; the result of step 4.
    int aggregate(int list_step, const std::string& var, const std::string& agg) {
        if (sr(list_step) != 0) return -1;
        boxes::pick(b.a, {var});
        if (sr(2) != 0 || sr(3) != 0) return -1;
        boxes::pick(b.a, {agg});
        return sr(4);
    }
    int write(const std::string& out) {
        return vt::getvalue(nullptr, dir.file(out).c_str(), nullptr, nullptr, 1, b.views(), nullptr, 0, nullptr);
    }
    std::vector<double> cells(const std::string& name) const {
        vt::in_file f;
        vt::table t = vt::table_new();
        EXPECT_EQ(vt::read_table_file(dir.file(name), f, t), 0);
        EXPECT_EQ(vt::read_data(t, f), 0);
        const std::size_t n = static_cast<std::size_t>(vt::count_cells(t.vars));
        return std::vector<double>(t.data(), t.data() + n);
    }
};

std::vector<std::string> messages;
int remember_message(const char* text, const char* caption, int) {
    messages.push_back(std::string(caption) + ": " + text);
    return 1;
}

}  // namespace

TEST(SelectionDialogue, FirstStepFillsBoxesAndStatusWords) {
    fixture fx;
    fx.dir.write("tree.vt",
                 "DECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nCONTENTS=\"c\";\n"
                 "UNITS=\"u\";\nSTUB=\"r\";\nHEADING=\"y\";\nVALUES(\"r\")=\"all\",\"n\";\nVALUES(\"y\")=\"1\";\n"
                 "HIERARCHIES(\"r\")=\"all\",\"all\":\"n\";\nHIERARCHYLEVELSOPEN(\"r\")=2;\nDATA=\n1 2;\n");
    fx.dir.write("bad.vt", "STUB=\"a\";\nDATA=\n1;\n");
    struct {
        std::string table, dir;
        int result;
        std::string status, first_box;
    } cases[] = {
        {"in.vt", fx.dir.path().string(), 0, "2 3 1 ", "01|02|03"},
        {"in.vt", "", vt::codes::getvalue_no_aggregation, "2 3 1 ", "01|02|03"},
        {"tree.vt", fx.dir.path().string(), vt::codes::getvalue_no_aggregation, "3 3 ;r;2", "all|n"},
        {"missing.vt", "", vt::codes::cannot_open, "", ""},
    };
    for (const auto& c : cases) {
        char status[vt::status_out_size] = "";
        vt::plat::memory_listbox first;
        vt::value_boxes views{};
        views[0] = first.view();
        const std::string path = fx.dir.file(c.table);
        EXPECT_EQ(vt::getvalue(path.c_str(), "", c.dir.c_str(), "", 0, views, status, 0, ""), c.result) << c.table;
        EXPECT_EQ(status, c.status) << c.table;
        EXPECT_EQ(boxes::joined(first), c.first_box) << c.table;
    }
    // A table the reader refuses holds nothing: the reader's code.
    const std::string bad = fx.dir.file("bad.vt");
    EXPECT_NE(vt::getvalue(bad.c_str(), "", "", "", -1, fx.b.views(), nullptr, 0, ""), 0);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::selection));

    // The status text never runs past its buffer.
    std::string many = "DECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
                       "CONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=";
    for (int i = 0; i < 520; ++i) many += (i ? ",\"v" : "\"v") + std::to_string(i) + "\"";
    many += ";\n";
    for (int i = 0; i < 520; ++i) many += "VALUES(\"v" + std::to_string(i) + "\")=\"x\";\n";
    many += "DATA=\n1;\n";
    const std::string wide = fx.dir.write("wide.vt", many);
    std::array<char, vt::status_out_size + 8> guarded;
    guarded.fill('#');
    EXPECT_EQ(vt::getvalue(wide.c_str(), "", "", "", 0, fx.b.views(), guarded.data(), 0, ""),
              vt::codes::getvalue_no_aggregation);
    EXPECT_EQ(std::string(guarded.data()).size(), vt::status_out_size - 1);
    EXPECT_EQ(guarded[vt::status_out_size], '#');
}

TEST(SelectionDialogue, WritesTheChosenValuesAndChecksEliminations) {
    fixture fx;
    ASSERT_EQ(fx.start(), 0);
    boxes::pick(fx.b.lists[0], {"01", "03"});
    // area has no value chosen and can be neither summed nor eliminated.
    EXPECT_EQ(fx.write("out.vt"), 2);
    EXPECT_EQ(vt::getvalue(nullptr, fx.in.c_str(), nullptr, nullptr, 1, fx.b.views(), nullptr, 0, nullptr),
              vt::codes::op_same_file);
    EXPECT_EQ(vt::getvalue(nullptr, "", nullptr, nullptr, 1, fx.b.views(), nullptr, 0, nullptr), vt::codes::cannot_open);
    boxes::pick(fx.b.lists[1], {"01", "02"});
    // sex keeps nothing: taken at "total".
    ASSERT_EQ(fx.write("out.vt"), 0);
    EXPECT_EQ(fx.cells("out.vt"), (std::vector<double>{121, 132, 341, 352}));
    EXPECT_NE(fx.dir.read("out.vt").find("TITLE=\"Pop by region and area\";"), std::string::npos);
    // The dialogue has ended.
    EXPECT_EQ(fx.write("again.vt"), vt::codes::op_no_dialogue_table);
}

TEST(SelectionDialogue, StepsOutOfOrderGetACodeAndNothingStale) {
    fixture fx;
    for (int step : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13})
        EXPECT_EQ(fx.sr(step), vt::codes::op_no_dialogue_table) << step;
    EXPECT_EQ(fx.sr(8), 0);
    EXPECT_EQ(fx.write("x.vt"), vt::codes::op_no_dialogue_table);
    ASSERT_EQ(fx.start(), 0);
    struct {
        int step, result;
    } early[] = {{3, vt::codes::op_bad_step},  {11, vt::codes::op_bad_step}, {4, vt::codes::op_bad_step},
                 {5, vt::codes::op_bad_step},  {6, vt::codes::op_bad_step},  {13, vt::codes::op_bad_step},
                 {0, vt::codes::op_bad_step},  {2, vt::codes::op_no_such_name}, {12, 0}, {9, 0}};
    for (const auto& c : early) EXPECT_EQ(fx.sr(c.step), c.result) << c.step;
    // Sixteen levels at most.
    for (int i = 0; i < 15; ++i) EXPECT_EQ(fx.sr(10), 0) << i;
    EXPECT_EQ(fx.sr(10), vt::codes::op_bad_step);
    EXPECT_EQ(fx.sr(1), 0);
    // Release ends it; the table is gone for every later step.
    EXPECT_EQ(vt::getvalue(nullptr, nullptr, nullptr, nullptr, 3, fx.b.views(), nullptr, 0, nullptr), 0);
    EXPECT_EQ(fx.sr(1), vt::codes::op_no_dialogue_table);
    char text[vt::zoomvar_text_size] = "stale";
    EXPECT_EQ(vt::zoomvar("sex", text), 0);
    EXPECT_STREQ(text, "");
}

TEST(SelectionDialogue, AggregatesTheChosenGroups) {
    fixture fx;
    ASSERT_EQ(fx.start(), 0);
    ASSERT_EQ(fx.sr(1), 0);
    EXPECT_EQ(boxes::joined(fx.b.a), "region|area");
    boxes::pick(fx.b.a, {"region"});
    ASSERT_EQ(fx.sr(2), 0);
    ASSERT_EQ(fx.sr(3), 0);
    EXPECT_EQ(boxes::joined(fx.b.a), "Areas|Nowhere");
    boxes::pick(fx.b.a, {"Areas"});
    ASSERT_EQ(fx.sr(4), 0);
    EXPECT_EQ(boxes::joined(fx.b.lists[0]), "Group A|Group B");
    boxes::pick(fx.b.lists[0], {"Group A", "Group B"});
    boxes::pick(fx.b.lists[1], {"01", "02"});
    boxes::pick(fx.b.lists[2], {"men", "women"});
    ASSERT_EQ(fx.sr(7, fx.dir.file("agg.vt").c_str()), 0);
    EXPECT_EQ(fx.cells("agg.vt"), (std::vector<double>{32, 320, 34, 340, 52, 520, 54, 540}));
    const std::string text = fx.dir.read("agg.vt");
    EXPECT_NE(text.find("STUB=\"Areas\",\"area\";"), std::string::npos);
    EXPECT_NE(text.find("VALUES(\"Areas\")=\"Group A\",\"Group B\";"), std::string::npos);
    // The new table is the one held now: zoomvar sees it, a further
    // selection works on it.
    char elim[vt::zoomvar_text_size] = "";
    EXPECT_EQ(vt::zoomvar("sex", elim), 0);
    EXPECT_STREQ(elim, "");  // sex lost "total" with the selection
    EXPECT_EQ(fx.sr(1), 0);
    EXPECT_EQ(boxes::joined(fx.b.a), "area");
    EXPECT_EQ(fx.sr(8), 0);
}

TEST(SelectionDialogue, ClashingAggregationIsRenamedAndUnmatchedMembersReported) {
    fixture fx;
    fx.dir.write("labels.MSG", "[general]\nlessreg=codes not found in\n");
    messages.clear();
    vt::plat::set_message_hook(remember_message);
    ASSERT_EQ(fx.start(), 0);
    ASSERT_EQ(fx.aggregate(1, "region", "Areas"), 0);
    boxes::pick(fx.b.lists[0], {"Group A"});
    // A second level aggregates area with the same aggregation.
    ASSERT_EQ(fx.sr(10), 0);
    EXPECT_EQ(boxes::joined(fx.b.a), "area");  // region is aggregated already
    ASSERT_EQ(fx.sr(12), 0);
    EXPECT_EQ(fx.aggregate(10, "area", "Areas"), vt::codes::op_aggregation_name_used);
    struct {
        const char* name;
        int result;
    } names[] = {{"", vt::codes::op_blank_text},       {"   ", vt::codes::op_blank_text},
                 {"a\"b", vt::codes::op_quote_in_text}, {"Areas", vt::codes::op_variable_exists},
                 {"sex", vt::codes::op_variable_exists}, {"region", vt::codes::op_variable_exists},
                 {"Areas2", 0}};
    for (const auto& c : names) EXPECT_EQ(fx.sr(6, "", c.name), c.result) << c.name;
    EXPECT_EQ(boxes::joined(fx.b.lists[0]), "Group A|Group B");
    boxes::pick(fx.b.lists[0], {"Group A", "Group B"});
    boxes::pick(fx.b.lists[2], {"men"});
    ASSERT_EQ(fx.sr(7, fx.dir.file("two.vt").c_str()), 0);
    vt::plat::set_message_hook(nullptr);
    // Region group A (regions 1, 2) by area groups A (areas 1, 2) and B (2).
    EXPECT_EQ(fx.cells("two.vt"), (std::vector<double>{66, 34}));
    const std::string text = fx.dir.read("two.vt");
    EXPECT_NE(text.find("STUB=\"Areas\",\"Areas2\";"), std::string::npos);
    EXPECT_NE(text.find("TITLE=\"Pop by Areas, Areas2 and sex\";"), std::string::npos) << text;
    // Member 03 of group B matches no area.
    EXPECT_EQ(messages, (std::vector<std::string>{"VELTRA: 1 codes not found in area"}));
}

TEST(SelectionDialogue, NoMatchingMemberWritesNothingAndKeepsTheTable) {
    fixture fx;
    messages.clear();
    vt::plat::set_message_hook(remember_message);
    ASSERT_EQ(fx.start(), 0);
    ASSERT_EQ(fx.aggregate(1, "region", "Nowhere"), 0);
    boxes::pick(fx.b.lists[0], {"X"});
    boxes::pick(fx.b.lists[1], {"02"});
    boxes::pick(fx.b.lists[2], {"women"});
    EXPECT_EQ(fx.sr(7, fx.dir.file("none.vt").c_str()), vt::codes::op_agg_failed);
    vt::plat::set_message_hook(nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{"VELTRA: 2 lessreg region"}));  // no MSG file: the key's name
    EXPECT_FALSE(std::filesystem::exists(fx.dir.file("none.vt")));
    // The aggregation is still in place; taken out, region is summed.
    EXPECT_EQ(fx.sr(7, fx.dir.file("none.vt").c_str()), vt::codes::op_agg_failed);
    ASSERT_EQ(fx.sr(9), 0);
    ASSERT_EQ(fx.sr(7, fx.dir.file("sum.vt").c_str()), 0);
    EXPECT_EQ(fx.cells("sum.vt"), (std::vector<double>{120 + 220 + 320}));
}

TEST(SelectionDialogue, CodedValuesAreSwappedBeforeAggregating) {
    fixture fx;
    std::string named = coded_table;
    const std::string plain = "VALUES(\"region\")=\"01\",\"02\",\"03\";";
    named.replace(named.find(plain), plain.size(),
                  "VALUES(\"region\")=\"North\",\"Mid\",\"South\";\nCODES(\"region\")=\"01\",\"02\",\"03\";");
    fx.in = fx.dir.write("named.vt", named);
    ASSERT_EQ(fx.start(), 0);
    EXPECT_EQ(boxes::joined(fx.b.lists[0]), "North|Mid|South");
    ASSERT_EQ(fx.sr(1), 0);
    boxes::pick(fx.b.a, {"region"});
    EXPECT_EQ(fx.sr(2), vt::codes::op_values_coded);
    ASSERT_EQ(fx.sr(5), 0);
    EXPECT_EQ(boxes::joined(fx.b.lists[0]), "01|02|03");
    ASSERT_EQ(fx.sr(3), 0);
    boxes::pick(fx.b.a, {"Areas"});
    ASSERT_EQ(fx.sr(4), 0);
    EXPECT_EQ(fx.sr(5), vt::codes::op_bad_step);  // the variable is aggregated now
    boxes::pick(fx.b.lists[0], {"Group B"});
    boxes::pick(fx.b.lists[1], {"02"});
    boxes::pick(fx.b.lists[2], {"women"});
    ASSERT_EQ(fx.sr(7, fx.dir.file("b.vt").c_str()), 0);
    EXPECT_EQ(fx.cells("b.vt"), (std::vector<double>{220 + 320}));
}

TEST(SelectionQueries, GetcodesAndZoomvar) {
    fixture fx;
    std::string named = coded_table;
    named.replace(named.find("DOMAIN("), 0, "CODES(\"sex\")=\"1\",\"2\",\"T\";\n");
    const std::string path = fx.dir.write("named.vt", named);
    struct {
        std::string path;
        int result;
        std::vector<std::string> boxes;
    } cases[] = {
        {path, 0, {"", "", "1|2|T"}},
        {fx.dir.file("missing.vt"), vt::codes::cannot_open, {"", "", ""}},
        {"", vt::codes::cannot_open, {"", "", ""}},
    };
    for (const auto& c : cases) {
        boxes b;
        EXPECT_EQ(vt::getcodes(c.path.c_str(), b.views()), c.result) << c.path;
        for (std::size_t k = 0; k < c.boxes.size(); ++k) EXPECT_EQ(boxes::joined(b.lists[k]), c.boxes[k]) << k;
    }
    EXPECT_EQ(vt::getcodes(nullptr, fx.b.views()), vt::codes::cannot_open);

    ASSERT_EQ(fx.start(), 0);
    struct {
        const char* variable;
        const char* text;
    } zoom[] = {{"sex", "total"}, {"region", ""}, {"nosuch", ""}, {nullptr, ""}};
    for (const auto& z : zoom) {
        char text[vt::zoomvar_text_size] = "stale";
        EXPECT_EQ(vt::zoomvar(z.variable, text), 0);
        EXPECT_STREQ(text, z.text);
    }
    EXPECT_EQ(vt::zoomvar("sex", nullptr), 0);
}
