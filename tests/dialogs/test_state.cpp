// The one dialogue state: starting, holding, loading cells and releasing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/codes.h"
#include "dialogs/state.h"
#include "../platform/temp_dir.h"

namespace {

using vt::dialogs::dialogue;

const char* const small_table =
    "MATRIX=\"T1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nDECIMALS=0;\n"
    "CONTENTS=\"Population\";\nUNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"North\",\"South\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
    "DATA=\n1 2 3 4;\n";

TEST(DialogueState, OneDialogueAtATimeAndNothingStaleAfterAFailure) {
    vt::test::temp_dir dir;
    const std::string in = dir.file("in.vt");
    std::ofstream(in, std::ios::binary) << small_table;

    // Keywords only: the cells wait in the open file until a step needs them.
    ASSERT_EQ(vt::dialogs::begin(dialogue::vardelete, in.c_str(), false), 0);
    EXPECT_TRUE(vt::dialogs::holds(dialogue::vardelete));
    EXPECT_FALSE(vt::dialogs::holds(dialogue::chgtxt));
    EXPECT_EQ(vt::dialogs::current().t.vars.size(), 2u);
    EXPECT_FALSE(vt::dialogs::current().cells_read);
    ASSERT_EQ(vt::dialogs::load_cells(), 0);
    EXPECT_TRUE(vt::dialogs::current().cells_read);
    EXPECT_EQ(vt::dialogs::current().t.data()[3], 4.0);

    // A second dialogue replaces the first, family state included.
    struct counter : vt::dialogs::family_state {
        int n = 0;
    };
    vt::dialogs::family<counter>().n = 7;
    ASSERT_EQ(vt::dialogs::begin(dialogue::chgtxt, in.c_str(), true), 0);
    EXPECT_FALSE(vt::dialogs::holds(dialogue::vardelete));
    EXPECT_EQ(vt::dialogs::family<counter>().n, 0);

    // A start that fails holds nothing, whatever was held before.
    for (const char* bad : {static_cast<const char*>(nullptr), "", "/no/such/table.vt"}) {
        ASSERT_EQ(vt::dialogs::begin(dialogue::chgtxt, in.c_str(), true), 0);
        EXPECT_EQ(vt::dialogs::begin(dialogue::chgtxt, bad, true), vt::codes::cannot_open);
        EXPECT_FALSE(vt::dialogs::holds(dialogue::chgtxt));
        EXPECT_TRUE(vt::dialogs::current().t.vars.empty());
    }
    std::ofstream(dir.file("bad.vt"), std::ios::binary) << "STUB=\"a\";\nDATA=\n1;\n";
    EXPECT_NE(vt::dialogs::begin(dialogue::chgtxt, dir.file("bad.vt").c_str(), true), 0);
    EXPECT_FALSE(vt::dialogs::holds(dialogue::chgtxt));
    EXPECT_FALSE(vt::dialogs::holds(dialogue::none));
    EXPECT_EQ(vt::dialogs::load_cells(), vt::codes::op_no_dialogue_table);
    vt::dialogs::release();
}

TEST(DialogueState, TheMessageFileStandsBesideTheLabelFile) {
    EXPECT_EQ(vt::dialogs::message_file("/x/labels.lbl"), "/x/labels.MSG");
    EXPECT_EQ(vt::dialogs::message_file("ab"), "MSG");
    vt::test::temp_dir dir;
    std::ofstream(dir.file("words.MSG"), std::ios::binary) << "[general]\nlessreg=members without a value\n";
    EXPECT_EQ(vt::dialogs::message_text(dir.file("words.lbl"), "GENERAL", "LessReg", "lessreg"),
              "members without a value");
    EXPECT_EQ(vt::dialogs::message_text(dir.file("none.lbl"), "general", "lessreg", "lessreg"), "lessreg");
}

}  // namespace
