// The dialogue of a second table: which tables of a folder are offered for
// each option, the writing step with a chosen table or a constant, the
// refusals that keep the dialogue and those that end it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "dialogs/state.h"
#include "dialogs/tabsel.h"
#include "platform/listbox.h"
#include "../platform/temp_dir.h"
#include "../tableops/table_files.h"

namespace {

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

std::string table(const std::string& title, const std::string& regions, const std::string& years,
                  const std::string& data, const std::string& units = "UNITS=\"persons\";\n") {
    return "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"" +
           title + "\";\nCONTENTS=\"Pop\";\n" + units +
           "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=" + regions + ";\nVALUES(\"year\")=" + years +
           ";\nDATA=\n" + data + " ;\n";
}

const std::string ab = "\"A\",\"B\"", years = "\"2001\",\"2002\"";

// The current table, and a folder of candidates (listed in name order).
struct folder {
    vt::test::temp_dir dir;
    std::string in, tables, out;
    folder() {
        in = dir.write("in.vt", table("Current", ab, years, "1 2 \n3 4"));
        std::filesystem::create_directory(dir.file("t"));
        tables = dir.file("t");
        dir.write("t/cut.vt",
                  "TITLE=\"Regions only\";\nUNITS=\"persons\";\nSTUB=\"region\";\nVALUES(\"region\")=\"A\";\n"
                  "DATA=\n1;\n");
        dir.write("t/more.vt", table("More years", ab, "\"2001\",\"2002\",\"2003\"", "5 6 7 \n8 9 10"));
        dir.write("t/other.vt", table("Other regions", "\"A\",\"C\"", years, "1 2 \n3 4"));
        dir.write("t/same.vt", table("Same regions", "\"B\",\"A\"", years, "30 40 \n10 20"));
        out = dir.file("out.vt");
    }
};

int step(const folder& f, int type, const vt::plat::memory_listbox& box, int option, const char* out,
         const char* name = "", const std::vector<const char*>& t = {"", "", ""}, const char* constant = "",
         const char* inclusion = "m") {
    return vt::tabsel(f.tables.c_str(), f.in.c_str(), out, type, box.view(), option, "", name, t[0], t[1], t[2],
                      constant, inclusion);
}

}  // namespace

// The tables offered fit the current table for the option.
TEST(TabselDialogue, OffersTheTablesThatFit) {
    const struct {
        int option;
        std::vector<std::string> titles;
    } cases[] = {
        {41, {"Same regions"}},
        {71, {"Same regions"}},
        {61, {"More years", "Other regions", "Same regions"}},
    };
    folder f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        vt::plat::memory_listbox box;
        box.add("stale");
        EXPECT_EQ(step(f, 1, box, c.option, nullptr), 0);
        EXPECT_EQ(box.items(), c.titles);
        EXPECT_TRUE(vt::dialogs::holds(vt::dialogs::dialogue::tabsel));
    }
    EXPECT_EQ(step(f, 3, vt::plat::memory_listbox{}, 0, nullptr), 0);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::tabsel));
}

// A host's whole run: refusals it can mend keep the table; the writing
// step ends the dialogue.
TEST(TabselDialogue, WritingStep) {
    folder f;
    vt::plat::memory_listbox box;
    ASSERT_EQ(step(f, 1, box, 41, nullptr), 0);
    box.set_current(0);
    const std::vector<const char*> t3 = {"in", "match", "sum"};
    EXPECT_EQ(step(f, 2, box, 41, f.in.c_str(), "calc", t3), vt::codes::op_same_file);
    EXPECT_EQ(step(f, 2, box, 41, f.out.c_str(), " ", t3), vt::codes::op_blank_text);
    EXPECT_EQ(step(f, 2, box, 41, f.out.c_str(), "region", t3), vt::codes::op_variable_exists);
    EXPECT_FALSE(std::filesystem::exists(f.out));
    ASSERT_EQ(step(f, 2, box, 41, f.out.c_str(), "calc", t3), 0);
    vt::table t = read_back(f.out);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"in", "match", "sum"}));
    EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 10, 20, 30, 40, 11, 22, 33, 44}));
    EXPECT_EQ(step(f, 2, box, 41, f.out.c_str(), "calc", t3), vt::codes::op_no_dialogue_table);

    // Nothing chosen: an arithmetic option works with the constant.
    vt::plat::memory_listbox none;
    ASSERT_EQ(step(f, 1, none, 43, nullptr), 0);
    EXPECT_EQ(step(f, 2, none, 43, f.out.c_str(), "", {"", "", ""}, "x", "u"), vt::codes::op_bad_constant);
    ASSERT_EQ(step(f, 2, none, 43, f.out.c_str(), "", {"", "", ""}, "2", "u"), 0);
    EXPECT_EQ(cells(read_back(f.out)), (std::vector<double>{2, 4, 6, 8}));

    // A join needs its table; it stacks the years of the one chosen.
    vt::plat::memory_listbox joins;
    ASSERT_EQ(step(f, 1, joins, 61, nullptr), 0);
    EXPECT_EQ(step(f, 2, joins, 61, f.out.c_str()), vt::codes::op_no_dialogue_table);
    joins.set_current(0);
    ASSERT_EQ(step(f, 2, joins, 61, f.out.c_str()), 0);
    t = read_back(f.out);
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"2001", "2002", "2003"}));
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::tabsel));
}

// Sources and folders that give nothing to work with end the dialogue.
TEST(TabselDialogue, RefusalsThatEndIt) {
    folder f;
    vt::plat::memory_listbox box;
    const std::string empty = f.dir.file("in.vt") + ".d";
    std::filesystem::create_directory(empty);
    EXPECT_EQ(vt::tabsel(empty.c_str(), f.in.c_str(), nullptr, 1, box.view(), 41, "", "", "", "", "", "", "m"),
              vt::codes::cannot_open);
    EXPECT_EQ(vt::tabsel(f.tables.c_str(), f.dir.file("none.vt").c_str(), nullptr, 1, box.view(), 41, "", "", "",
                         "", "", "", "m"),
              vt::codes::cannot_open);
    const std::string bare = f.dir.write("bare.vt", table("Bare", ab, years, "1 2 \n3 4", ""));
    EXPECT_EQ(vt::tabsel(f.tables.c_str(), bare.c_str(), nullptr, 1, box.view(), 71, "", "", "", "", "", "", "m"),
              vt::codes::reader_no_units);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::tabsel));
    // The chosen table vanished between the steps.
    ASSERT_EQ(step(f, 1, box, 41, nullptr), 0);
    box.set_current(0);
    std::filesystem::remove(f.dir.file("t/same.vt"));
    EXPECT_EQ(step(f, 2, box, 41, f.out.c_str(), "v", {"a", "b", "c"}), vt::codes::op_match_unfit);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::tabsel));
    EXPECT_FALSE(std::filesystem::exists(f.out));
}
