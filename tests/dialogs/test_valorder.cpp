// The value order dialogue: the variables, then one variable's values and
// codes in the host's boxes; the order the two boxes show written; steps
// out of order, bad names and failures leave nothing stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "source_folder.h"
#include "../tableops/table_files.h"
#include "core/codes.h"
#include "dialogs/state.h"
#include "dialogs/valorder.h"
#include "platform/listbox.h"

namespace {

namespace codes = vt::codes;
using box = vt::plat::memory_listbox;

// region a, b, c (codes for a and c only) by year; cell (r, y) = 10r + y.
const char* const table_text =
    "MATRIX=\"V\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nDECIMALS=0;\nCONTENTS=\"Pop\";\n"
    "UNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"a\",\"b\",\"c\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nCODES(\"region\")=\"A\",,\"C\";\nDATA=\n11 12 \n21 22 \n31 32;\n";

struct fixture : vt::test::source_folder {
    box a, b, codes_box;
    fixture() : source_folder(table_text) {}

    int step(int n, const char* variable = "region", const char* out_path = nullptr) {
        return vt::valorder(in.c_str(), out_path ? out_path : out.c_str(), a.view(), b.view(), variable, n, "unit",
                            vt::title_words{}, codes_box.view());
    }
    // The host moves the texts into list_b and leaves the rest in list_a.
    void arrange(const std::vector<std::string>& left, const std::vector<std::string>& right) {
        a.reset();
        b.reset();
        for (const auto& t : left) a.add(t);
        for (const auto& t : right) b.add(t);
    }
};

TEST(ValorderDialogue, ListBThenListAIsTheNewOrder) {
    fixture f;
    ASSERT_EQ(f.step(1), 0);
    EXPECT_EQ(f.a.items(), (std::vector<std::string>{"region", "year"}));
    f.a.reset();
    ASSERT_EQ(f.step(2), 0);
    EXPECT_EQ(f.a.items(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(f.codes_box.items(), (std::vector<std::string>{"A", "C"}));

    f.arrange({"a", "b"}, {"c"});
    ASSERT_EQ(f.step(4), 0);
    const vt::table t = vt::test::read_back(f.out);
    EXPECT_EQ(vt::test::texts(t.vars[0]), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(vt::test::cells(t), (std::vector<double>{31, 32, 11, 12, 21, 22}));
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::valorder));
    EXPECT_EQ(f.step(4), codes::op_no_dialogue_table);

    // A heading variable; texts beyond the value count are not read.
    ASSERT_EQ(f.step(1), 0);
    f.arrange({"2001", "extra"}, {"2002"});
    ASSERT_EQ(f.step(4, "year"), 0);
    EXPECT_EQ(vt::test::cells(vt::test::read_back(f.out)), (std::vector<double>{12, 11, 22, 21, 32, 31}));
}

// Each case starts a dialogue, runs one step and says whether the dialogue
// still holds its table afterwards; nothing is written by any of them.
TEST(ValorderDialogue, StepsThatFailAndWhatTheyLeave) {
    struct row {
        const char* what;
        int step;
        const char* variable;
        std::vector<std::string> left, right;
        bool same_output;  // out_path names the source
        int code;
        bool holds_after;
    };
    for (const row& r : {
             row{"unknown variable in step 2", 2, "nope", {}, {}, false, codes::op_no_such_name, true},
             row{"unknown variable in step 4", 4, "nope", {"a", "b"}, {"c"}, false, codes::op_no_such_name, true},
             row{"output over the source", 4, "region", {"a", "b"}, {"c"}, true, codes::op_same_file, true},
             row{"a value twice", 4, "region", {"a", "a"}, {"c"}, false, codes::op_bad_value_order, false},
             row{"a text no value has", 4, "region", {"a", "x"}, {"c"}, false, codes::op_bad_value_order, false},
             row{"too few texts", 4, "region", {"a"}, {"c"}, false, codes::op_bad_value_order, false},
             row{"release", 3, "region", {}, {}, false, 0, false},
         }) {
        SCOPED_TRACE(r.what);
        fixture f;
        ASSERT_EQ(f.step(1), 0);
        f.arrange(r.left, r.right);
        EXPECT_EQ(f.step(r.step, r.variable, r.same_output ? f.in.c_str() : nullptr), r.code);
        EXPECT_EQ(vt::dialogs::holds(vt::dialogs::dialogue::valorder), r.holds_after);
        EXPECT_FALSE(std::filesystem::exists(f.out));
        EXPECT_EQ(f.dir.read("in.vt"), table_text);
        // A dialogue that stays can still finish.
        if (r.holds_after) {
            f.arrange({"a", "b"}, {"c"});
            EXPECT_EQ(f.step(4), 0);
        }
    }
}

TEST(ValorderDialogue, NoTableNoStep) {
    fixture f;
    for (int step : {2, 4}) EXPECT_EQ(f.step(step), codes::op_no_dialogue_table);
    f.in = f.dir.file("missing.vt");
    EXPECT_EQ(f.step(1), codes::cannot_open);
    EXPECT_EQ(f.step(2), codes::op_no_dialogue_table);
    f.in = f.dir.write("bad.vt", "STUB=\"a\";\nDATA=\n1;\n");
    EXPECT_NE(f.step(1), 0);
    EXPECT_EQ(f.step(4), codes::op_no_dialogue_table);
    // Another family's table is not this dialogue's.
    f.in = f.dir.write("in.vt", table_text);
    ASSERT_EQ(vt::dialogs::begin(vt::dialogs::dialogue::varorder, f.in.c_str(), true), 0);
    EXPECT_EQ(f.step(2), codes::op_no_dialogue_table);
    EXPECT_TRUE(f.a.items().empty());
}

}  // namespace
