// The delete-a-variable and decimals dialogues step by step: what each step
// shows, steps out of order, refusals that keep or end the dialogue, and
// nothing held after a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "dialogs/chgdec.h"
#include "dialogs/state.h"
#include "dialogs/vardelete.h"
#include "platform/datablock.h"
#include "platform/listbox.h"
#include "../platform/temp_dir.h"
#include "../tableops/table_files.h"

namespace {

using vt::dialogs::dialogue;
using vt::test::cells;
using vt::test::read_back;

const char* const table_text =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"old\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"$$SORT\",\"sex\";\nHEADING=\"year\";\n"
    "VALUES(\"$$SORT\")=\"North\",\"South\",\"East\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nPRECISION(\"$$SORT\",\"East\")=2;\n"
    "DATA=\n1 2 \n3 4 \n10 20 \n30 \"..\" \n100 200 \n\"-\" 400;\n";

const vt::title_words words{"and", "by", "distr"};

struct fixture {
    vt::test::temp_dir dir;
    std::string in = dir.write("in.vt", table_text);
    std::string out = dir.file("out.vt");
    vt::plat::memory_listbox box, precisions;
    char buffer[16] = "...............";

    int del(int step, const char* variable = "", int remove = 0, const char* out_path = "") {
        return vt::vardelete(step == 1 ? in.c_str() : nullptr, out_path, box.view(), variable, step, "unit", words,
                             remove);
    }
    int dec(int step, const char* variable = "", const char* out_path = "") {
        return vt::chgdec(step == 1 ? in.c_str() : nullptr, out_path, buffer, box.view(), precisions.view(), variable,
                          step, "unit");
    }
    void select(std::initializer_list<int> items) {
        for (int i : items) box.select(i);
    }
};

}  // namespace

// Delete: names, then values, then the selection written; the unnamed
// variable shows as the unit text.
TEST(VarDeleteDialogue, StepsShowAndWrite) {
    fixture f;
    ASSERT_EQ(f.del(1), 0);
    EXPECT_EQ(f.box.items(), (std::vector<std::string>{"unit", "sex", "year"}));
    ASSERT_EQ(f.del(2, "unit"), 0);
    EXPECT_EQ(f.box.items(), (std::vector<std::string>{"North", "South", "East"}));
    // Another variable replaces the values shown; a name the table lacks
    // keeps the dialogue.
    EXPECT_EQ(f.del(2, "nation"), vt::codes::op_no_such_name);
    ASSERT_EQ(f.del(2, "sex"), 0);
    EXPECT_EQ(f.box.items(), (std::vector<std::string>{"men", "women"}));
    f.select({0, 1});
    // Never over the source; the table stays for another name.
    EXPECT_EQ(f.del(4, "sex", 0, f.in.c_str()), vt::codes::op_same_file);
    EXPECT_EQ(f.del(4, "sex", 0, nullptr), vt::codes::cannot_open);
    ASSERT_EQ(f.del(4, "sex", 0, f.out.c_str()), 0);
    vt::table t = read_back(f.out);
    EXPECT_EQ(t.vars.size(), 2u);
    EXPECT_EQ(cells(t), (std::vector<double>{4, 6, 40, -1e20, 100, 600}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop by year.", "distr by North, South and East."}));
    // The dialogue has ended.
    EXPECT_FALSE(vt::dialogs::holds(dialogue::vardelete));
    EXPECT_EQ(f.del(4, "sex", 0, f.out.c_str()), vt::codes::op_no_dialogue_table);
    EXPECT_EQ(f.del(2, "sex"), vt::codes::op_no_dialogue_table);
}

// The fourth step's refusals end the dialogue and write nothing; removing
// all values but one keeps that one's cells.
TEST(VarDeleteDialogue, SelectionsAndTheirResults) {
    const struct {
        const char* variable;
        std::vector<int> selected;
        int remove;
        int extra_items;  // items added behind the values
        int code;
        std::vector<double> cells;
    } cases[] = {
        {"unit", {0, 2}, 1, 0, 0, {10, 20, 30, -1e20}},
        {"unit", {0, 1, 2}, 0, 0, 0, {111, 222, 33, -1e20}},
        {"year", {}, 0, 0, vt::codes::op_partial_delete, {}},
        {"unit", {1}, 0, 0, vt::codes::op_partial_delete, {}},
        {"unit", {1}, 1, 0, vt::codes::op_partial_delete, {}},
        {"sex", {0, 1}, 1, 0, vt::codes::op_delete_failed, {}},
        {"sex", {0, 1}, 0, 1, vt::codes::op_bad_list, {}},
        {"nation", {0}, 1, 0, vt::codes::op_no_such_name, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " " + std::to_string(c.selected.size()));
        fixture f;
        ASSERT_EQ(f.del(1), 0);
        if (std::string(c.variable) != "nation") {
            ASSERT_EQ(f.del(2, c.variable), 0);
        }
        for (int i : c.selected) f.box.select(i);
        for (int i = 0; i < c.extra_items; ++i) f.box.add("more");
        EXPECT_EQ(f.del(4, c.variable, c.remove, f.out.c_str()), c.code);
        EXPECT_FALSE(vt::dialogs::holds(dialogue::vardelete));
        EXPECT_EQ(std::filesystem::exists(f.out), c.code == 0);
        if (c.code == 0) {
            EXPECT_EQ(cells(read_back(f.out)), c.cells);
        }
        EXPECT_EQ(f.dir.read("in.vt"), table_text);
    }
}

// The second step tells the host whether a new contents text would show
// in the title.
TEST(VarDeleteDialogue, TitleFromDescription) {
    fixture f;
    std::string text = table_text;
    f.dir.write("in.vt", text.insert(text.find('\n') + 1, "DESCRIPTION=\"Described\";\nDESCRIPTIONDEFAULT=YES;\n"));
    ASSERT_EQ(f.del(1), 0);
    EXPECT_EQ(f.del(2, "sex"), 1);
    f.select({1});
    ASSERT_EQ(f.del(4, "sex", 1, f.out.c_str()), 0);
    EXPECT_EQ(read_back(f.out).title, (vt::text_list{"Described"}));
}

// Decimals: names and the shown decimals, then values and precisions, the
// precisions taken back, then the decimals written.
TEST(ChgdecDialogue, StepsShowTakeAndWrite) {
    fixture f;
    ASSERT_EQ(f.dec(1), 0);
    EXPECT_EQ(f.box.items(), (std::vector<std::string>{"unit", "sex", "year"}));
    EXPECT_STREQ(f.buffer, "0");
    EXPECT_EQ(f.buffer[2], '.');  // nothing past the number and its NUL
    ASSERT_EQ(f.dec(2, "unit"), 0);
    EXPECT_EQ(f.box.items(), (std::vector<std::string>{"North", "South", "East"}));
    EXPECT_EQ(f.precisions.items(), (std::vector<std::string>{"0", "0", "2"}));
    EXPECT_EQ(f.dec(2, "nation"), vt::codes::op_no_such_name);
    EXPECT_TRUE(vt::dialogs::holds(dialogue::chgdec));
    f.precisions.reset();
    for (const char* p : {"3", " 0", "1 "}) f.precisions.add(p);
    ASSERT_EQ(f.dec(3, "unit"), 0);
    std::snprintf(f.buffer, sizeof f.buffer, "2");
    EXPECT_EQ(f.dec(5, "", f.in.c_str()), vt::codes::op_same_file);
    ASSERT_EQ(f.dec(5, "", f.out.c_str()), 0);
    const std::string text = f.dir.read("out.vt");
    EXPECT_NE(text.find("DECIMALS=2;\nSHOWDECIMALS=2;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("PRECISION(\"$$SORT\",\"North\")=3;\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"East\")="), std::string::npos) << text;  // 1 is below what the table shows
    vt::table t = read_back(f.out);
    EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 10, 20, 30, -1e20, 100, 200, vt::nil_value, 400}));
    EXPECT_EQ(f.dec(5, "", f.out.c_str()), vt::codes::op_no_dialogue_table);
}

// Shown decimals a file can or cannot state, and precisions that cannot be
// taken: a refusal ends the dialogue without writing.
TEST(ChgdecDialogue, RefusalsEndTheDialogue) {
    const struct {
        int step;
        std::vector<const char*> precisions;  // step 3
        const char* shown;                    // step 5
        int code;
        int decimals;  // what the file then says
    } cases[] = {
        {5, {}, "7", 0, 7},
        {5, {}, "abc", 0, 0},
        {5, {}, "16", vt::codes::op_bad_decimals, -1},
        {5, {}, "-2", vt::codes::op_bad_decimals, -1},
        {3, {"1", "2"}, "", vt::codes::op_bad_decimals, -1},
        {3, {"1", "2", "10"}, "", vt::codes::op_bad_decimals, -1},
        {3, {"1", "x", "2"}, "", vt::codes::op_bad_decimals, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.step) + " " + c.shown);
        fixture f;
        ASSERT_EQ(f.dec(1), 0);
        for (const char* p : c.precisions) f.precisions.add(p);
        std::snprintf(f.buffer, sizeof f.buffer, "%s", c.shown);
        EXPECT_EQ(f.dec(c.step, "unit", f.out.c_str()), c.code);
        EXPECT_EQ(vt::dialogs::holds(dialogue::chgdec), c.step == 3 && c.code == 0);
        EXPECT_EQ(std::filesystem::exists(f.out), c.decimals >= 0);
        if (c.decimals >= 0) {
            EXPECT_EQ(read_back(f.out).decimals, c.decimals);
        }
    }
}

// Steps out of order get a code, release always works, and a dialogue that
// cannot start holds nothing of one before it.
TEST(EditDialogues, OutOfOrderAndNothingStale) {
    fixture f;
    vt::dialogs::release();
    for (int step : {2, 4}) EXPECT_EQ(f.del(step, "sex", 0, f.out.c_str()), vt::codes::op_no_dialogue_table) << step;
    for (int step : {2, 3, 5}) EXPECT_EQ(f.dec(step, "sex", f.out.c_str()), vt::codes::op_no_dialogue_table) << step;
    // One family's table is not another's.
    ASSERT_EQ(f.del(1), 0);
    EXPECT_EQ(f.dec(2, "sex"), vt::codes::op_no_dialogue_table);
    ASSERT_EQ(f.dec(1), 0);
    EXPECT_EQ(f.del(2, "sex"), vt::codes::op_no_dialogue_table);
    // A start that fails ends what was held.
    EXPECT_EQ(vt::vardelete("/no/such.vt", "", f.box.view(), "", 1, "unit", words, 0), vt::codes::cannot_open);
    EXPECT_EQ(f.dec(2, "sex"), vt::codes::op_no_dialogue_table);
    ASSERT_EQ(f.dec(1), 0);
    vt::plat::refuse_data_blocks(true);
    EXPECT_EQ(f.del(1), vt::codes::no_data_block);
    vt::plat::refuse_data_blocks(false);
    EXPECT_FALSE(vt::dialogs::holds(dialogue::chgdec));
    EXPECT_FALSE(vt::dialogs::holds(dialogue::vardelete));
    // No memory for the new table's cells: the dialogue ends, no output.
    ASSERT_EQ(f.del(1), 0);
    ASSERT_EQ(f.del(2, "sex"), 0);
    f.select({0, 1});
    vt::plat::refuse_data_blocks(true);
    EXPECT_EQ(f.del(4, "sex", 0, f.out.c_str()), vt::codes::no_memory);
    vt::plat::refuse_data_blocks(false);
    EXPECT_FALSE(vt::dialogs::holds(dialogue::vardelete));
    EXPECT_FALSE(std::filesystem::exists(f.out));
    // Release with nothing held, and with null arguments.
    EXPECT_EQ(vt::vardelete(nullptr, nullptr, nullptr, nullptr, 3, nullptr, words, 0), 0);
    EXPECT_EQ(vt::chgdec(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 4, nullptr), 0);
    // A first step without a buffer or boxes still holds the table.
    ASSERT_EQ(vt::chgdec(f.in.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, 1, nullptr), 0);
    EXPECT_TRUE(vt::dialogs::holds(dialogue::chgdec));
    vt::dialogs::release();
}
