// The calculation dialogue: list boxes filled with each variable's values,
// the selections read back as operands, the refused new value that keeps
// the request until a good one comes, and steps out of order.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "source_folder.h"
#include "../tableops/table_files.h"
#include "core/codes.h"
#include "dialogs/bvalue.h"
#include "dialogs/state.h"
#include "platform/listbox.h"

namespace {

namespace codes = vt::codes;

// kind a, b, c by year 2001, 2002.
const char* const table_text =
    "MATRIX=\"B\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nDECIMALS=0;\nCONTENTS=\"Pop\";\n"
    "UNITS=\"persons\";\nSTUB=\"kind\";\nHEADING=\"year\";\nVALUES(\"kind\")=\"a\",\"b\",\"c\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nDATA=\n10 7 \n4 0 \n50 5;\n";

struct fixture : vt::test::source_folder {
    std::array<std::unique_ptr<vt::plat::memory_listbox>, vt::max_selected_vars> boxes;
    std::array<const vt_listbox*, vt::max_selected_vars> views{};
    int op = 12, order = 0;
    const char* incl = "m";
    fixture() : source_folder(table_text) {
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            boxes[k] = std::make_unique<vt::plat::memory_listbox>();
            views[k] = boxes[k]->view();
        }
    }

    int step(int n, const char* new_value = "d", const char* out_path = nullptr, const char* constant = "") {
        return vt::bvalue(in.c_str(), out_path ? out_path : out.c_str(), vt::title_words{}, n, op, incl, views, order,
                          new_value, "", constant);
    }
    // Starts the dialogue and chooses the kinds listed and every year.
    void choose(std::initializer_list<int> kinds) {
        ASSERT_EQ(step(1), 0);
        for (int k : kinds) boxes[0]->select(k);
        boxes[1]->select(0);
        boxes[1]->select(1);
    }
};

TEST(BvalueDialogue, TheSelectionsAreTheOperands) {
    struct row {
        const char* what;
        int op, order;
        const char* incl;
        std::initializer_list<int> kinds;
        const char* constant;
        std::vector<std::string> values;
        std::vector<double> cells;
    };
    for (const row& r : {
             // Without order the first chosen value is the second operand.
             row{"b-a", 12, 0, "m", {0, 1}, "", {"a", "d", "b", "c"}, {10, 7, -6, -7, 4, 0, 50, 5}},
             row{"a-b", 12, 1, "m", {0, 1}, "", {"a", "b", "d", "c"}, {10, 7, 4, 0, 6, 7, 50, 5}},
             row{"a*2", 13, 0, "u", {0}, "2", {"d", "b", "c"}, {20, 14, 4, 0, 50, 5}},
             row{"sum", 18, 0, "u", {0, 1, 2}, "", {"d"}, {64, 12}},
             row{"remove", 33, 0, "u", {1}, "", {"a", "c"}, {10, 7, 50, 5}},
         }) {
        SCOPED_TRACE(r.what);
        fixture f;
        f.op = r.op;
        f.order = r.order;
        f.incl = r.incl;
        f.choose(r.kinds);
        EXPECT_EQ(f.boxes[0]->items(), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(f.boxes[1]->items(), (std::vector<std::string>{"2001", "2002"}));
        EXPECT_TRUE(f.boxes[2]->items().empty());
        ASSERT_EQ(f.step(2, "d", nullptr, r.constant), 0);
        const vt::table t = vt::test::read_back(f.out);
        EXPECT_EQ(vt::test::texts(t.vars[0]), r.values);
        EXPECT_EQ(vt::test::cells(t), r.cells);
        EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::bvalue));
    }
}

// A refused new value keeps the request: the host asks again and calls
// step 4 until a text passes; a bad output name keeps it too.
TEST(BvalueDialogue, ARefusedNewValueKeepsTheRequest) {
    fixture f;
    f.choose({0, 1});
    EXPECT_EQ(f.step(2, ""), codes::op_blank_text);
    struct row {
        const char* new_value;
        const char* out_path;
        int code;
    };
    const std::string source = f.in;
    for (const row& r : {row{"  ", nullptr, codes::op_blank_text}, row{"x\"y", nullptr, codes::op_quote_in_text},
                         row{"b", nullptr, codes::op_text_used}, row{"a#z", nullptr, codes::op_text_used},
                         row{"d#a", nullptr, codes::op_text_used}, row{"d", source.c_str(), codes::op_same_file}}) {
        SCOPED_TRACE(r.new_value);
        // The host's choice changes meanwhile; the held request does not.
        f.boxes[0]->select(2);
        EXPECT_EQ(f.step(4, r.new_value, r.out_path), r.code);
        EXPECT_TRUE(vt::dialogs::holds(vt::dialogs::dialogue::bvalue));
        EXPECT_FALSE(std::filesystem::exists(f.out));
    }
    ASSERT_EQ(f.step(4, "diff#D"), 0);
    const vt::table t = vt::test::read_back(f.out);
    EXPECT_EQ(vt::test::texts(t.vars[0]), (std::vector<std::string>{"a", "diff", "b", "c"}));
    EXPECT_EQ(vt::test::cells(t), (std::vector<double>{10, 7, -6, -7, 4, 0, 50, 5}));
    EXPECT_NE(f.dir.read("out.vt").find("CODES(\"kind\")=\"a\",\"D\",\"b\",\"c\";"), std::string::npos);
    EXPECT_EQ(f.step(4, "again"), codes::op_no_dialogue_table);
    EXPECT_EQ(f.dir.read("in.vt"), table_text);
}

// Steps out of order get 90 and change nothing; a failure of the operation
// ends the dialogue, so no later step finds a stale table.
TEST(BvalueDialogue, StepsOutOfOrderAndFailures) {
    {
        fixture f;
        EXPECT_EQ(f.step(2), codes::op_no_dialogue_table);
        EXPECT_EQ(f.step(4), codes::op_no_dialogue_table);
        f.choose({0, 1});
        EXPECT_EQ(f.step(4), codes::op_no_dialogue_table);  // no request yet
        EXPECT_TRUE(vt::dialogs::holds(vt::dialogs::dialogue::bvalue));
        EXPECT_EQ(f.step(2), 0);
    }
    struct row {
        const char* what;
        const char* incl;
        std::initializer_list<int> kinds;
        bool years;
        const char* constant;
        int code;
    };
    for (const row& r : {
             row{"a letter that forms nothing", "x", {0, 1}, true, "", codes::op_calc_failed},
             row{"nothing chosen", "m", {}, false, "", codes::op_nothing_kept},
             row{"a constant that is no number", "m", {0}, true, "two", codes::op_bad_constant},
         }) {
        SCOPED_TRACE(r.what);
        fixture f;
        f.incl = r.incl;
        ASSERT_EQ(f.step(1), 0);
        for (int k : r.kinds) f.boxes[0]->select(k);
        if (r.years) f.boxes[1]->select(0);
        EXPECT_EQ(f.step(2, "d", nullptr, r.constant), r.code);
        EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::bvalue));
        EXPECT_EQ(f.step(4), codes::op_no_dialogue_table);
        EXPECT_FALSE(std::filesystem::exists(f.out));
    }
    fixture f;
    f.in = f.dir.file("missing.vt");
    EXPECT_EQ(f.step(1), codes::cannot_open);
    EXPECT_TRUE(f.boxes[0]->items().empty());
    EXPECT_EQ(f.step(2), codes::op_no_dialogue_table);
}

}  // namespace
