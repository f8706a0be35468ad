// The change texts and the texts and codes dialogues step by step: the
// boxes and buffers each step fills, steps out of order, refusals that keep
// the dialogue, release at any time, nothing stale after a failure, the
// host's choice among several value sets, and buffers never overrun.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "dialogs/chgtxt.h"
#include "dialogs/ctvalues.h"
#include "dialogs/state.h"
#include "platform/listbox.h"
#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "../tableops/table_files.h"

namespace {

using vt::test::read_back;
using vt::test::texts;
using vt::test::trade;

// Two variables given by codes only, both of the domain two files serve.
const char* const two_coded =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"from\";\nHEADING=\"to\";\nVALUES(\"from\")=\"01\",\"02\";\n"
    "VALUES(\"to\")=\"01\",\"02\";\nDOMAIN(\"from\")=\"county\";\nDOMAIN(\"to\")=\"county\";\nDATA=\n1 2 \n3 4;\n";

std::string value_set(const char* t1, const char* t2) {
    return std::string("[Descr]\nName=C\n[Domain]\n1=county\n[Valuecode]\n1=01\n2=02\n[Valuetext]\n1=") + t1 +
           "\n2=" + t2 + "\n";
}

const vt::title_words words{"and", "by", "distr"};

struct chgtxt_host {
    vt::test::temp_dir dir;
    vt::plat::memory_listbox list;
    char contents[vt::dialog_buffer_size] = "";
    char units[vt::dialog_buffer_size] = "";
    std::string in = dir.write("in.vt", trade), out = dir.file("out.vt");

    int step(int n, const char* variable = "") {
        return vt::chgtxt(in.c_str(), out.c_str(), contents, units, list.view(), variable, n, "unit", words);
    }
    void put(const std::vector<std::string>& items) {
        list.reset();
        for (const std::string& s : items) list.add(s);
    }
};

}  // namespace

// A whole dialogue: names and texts listed, value texts changed (the
// contents record follows), names and CONTENTS changed, written, ended.
TEST(ChangeTextsDialogue, StepsOfAWholeDialogue) {
    chgtxt_host h;
    ASSERT_EQ(h.step(1), 0);
    EXPECT_EQ(h.list.items(), (std::vector<std::string>{"unit", "flow", "year"}));
    EXPECT_STREQ(h.contents, "Trade");
    EXPECT_STREQ(h.units, "");  // $$SORT: no UNITS
    ASSERT_EQ(h.step(2, "flow"), 0);
    EXPECT_EQ(h.list.items(), (std::vector<std::string>{"Exports", "Imports"}));
    ASSERT_EQ(h.step(2, "UNIT"), 0);  // the variable without a name, any case
    EXPECT_EQ(h.list.items(), (std::vector<std::string>{"total", "part"}));
    h.put({"Out", "In"});
    ASSERT_EQ(h.step(3, "flow"), 0);
    h.put({"unit", "kind", "year"});
    std::snprintf(h.contents, sizeof h.contents, "Goods");
    std::snprintf(h.units, sizeof h.units, "kr");
    ASSERT_EQ(h.step(5), 0);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::chgtxt));
    const vt::table t = read_back(h.out);
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"Out", "In"}));
    EXPECT_EQ(t.vars[1].name, "kind");
    EXPECT_EQ(t.contvariable, "kind");
    EXPECT_EQ(t.continfos[1].content, "In");
    EXPECT_EQ(t.continfos[1].units, "SEK thousands");
    EXPECT_EQ(t.contents, "Goods");
    EXPECT_FALSE(t.units);  // and it gets none
    EXPECT_EQ(t.title, (vt::text_list{"Goods by kind and year.", "distr by total and part."}));
    EXPECT_EQ(h.dir.read("in.vt"), trade);
}

// Steps out of order and refusals: a code, never a crash; a refusal keeps
// the table as it was and the dialogue goes on; release always works.
TEST(ChangeTextsDialogue, OutOfOrderAndRefusals) {
    chgtxt_host h;
    vt::dialogs::release();
    for (int s : {2, 3, 5}) EXPECT_EQ(h.step(s, "flow"), 90) << s;
    EXPECT_EQ(h.step(4), 0);
    ASSERT_EQ(h.step(1), 0);
    struct row {
        int step;
        const char* variable;
        std::vector<std::string> items;
        int rc;
    };
    const std::vector<row> rows = {
        {2, "nosuch", {}, 85},
        {3, "flow", {"Out"}, 81},
        {3, "flow", {"Out", "Out"}, 95},
        {3, "flow", {"Out", " "}, 93},
        {3, "flow", {"O\"ut", "In"}, 94},
        {5, "", {"unit", "year", "year"}, 96},
        {5, "", {"unit", "flow"}, 93},
        {5, "", {"unit", "fl\"ow", "year"}, 94},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.step);
        h.put(r.items);
        EXPECT_EQ(h.step(r.step, r.variable), r.rc);
        EXPECT_TRUE(vt::dialogs::holds(vt::dialogs::dialogue::chgtxt));
        EXPECT_EQ(texts(vt::dialogs::current().t.vars[1]), (std::vector<std::string>{"Exports", "Imports"}));
        EXPECT_EQ(vt::dialogs::current().t.vars[1].name, "flow");
    }
    // Bad output names keep the dialogue too; the source is never the output.
    h.put({"unit", "flow", "year"});
    std::snprintf(h.contents, sizeof h.contents, "Trade");
    EXPECT_EQ(vt::chgtxt(nullptr, h.in.c_str(), h.contents, h.units, h.list.view(), "", 5, "unit", words), 84);
    EXPECT_EQ(vt::chgtxt(nullptr, nullptr, h.contents, h.units, h.list.view(), "", 5, "unit", words), 400);
    EXPECT_TRUE(vt::dialogs::holds(vt::dialogs::dialogue::chgtxt));
    EXPECT_EQ(h.dir.read("in.vt"), trade);
    EXPECT_EQ(h.step(4), 0);
    EXPECT_EQ(h.step(5), 90);
    EXPECT_EQ(h.step(4), 0);
    // A source that cannot be read gives its code and holds nothing.
    EXPECT_EQ(vt::chgtxt("/no/such.vt", "", h.contents, h.units, h.list.view(), "", 1, "unit", words), 400);
    EXPECT_EQ(h.step(2, "flow"), 90);
    h.dir.write("broken.vt", "CHARSET=\"ANSI\";\nDATA=\n");
    EXPECT_EQ(vt::chgtxt(h.dir.file("broken.vt").c_str(), "", h.contents, h.units, h.list.view(), "", 1, "unit",
                         words),
              131);
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::chgtxt));
    EXPECT_FALSE(std::filesystem::exists(h.out));
}

// A long CONTENTS fills the host's buffer, never more of it.
TEST(ChangeTextsDialogue, BuffersAreNeverOverrun) {
    chgtxt_host h;
    const std::string long_text(256, 'c');
    std::string text = trade;
    text.replace(text.find("CONTENTS=\"Trade\""), 16, "CONTENTS=\"" + long_text + "\"");
    h.dir.write("in.vt", text);
    std::vector<char> host(vt::dialog_buffer_size + 8, '#');
    ASSERT_EQ(vt::chgtxt(h.in.c_str(), "", host.data(), h.units, h.list.view(), "", 1, "unit", words), 0);
    EXPECT_EQ(std::string(host.data()), long_text);
    EXPECT_EQ(host[vt::dialog_buffer_size], '#');
    const std::string cut = std::string(2000, 'x');
    vt::copy_to_host(host.data(), cut);
    EXPECT_EQ(std::string(host.data()), cut.substr(0, vt::dialog_buffer_size - 1));
    EXPECT_EQ(host[vt::dialog_buffer_size], '#');
    EXPECT_EQ(h.step(4), 0);
}

TEST(ChangeTextsDialogue, ContentsAddition) {
    vt::test::temp_dir dir;
    dir.write("in.vt", trade);
    struct row {
        const char* addition;
        int rc;
        const char* contents;
    };
    for (const row& r : std::vector<row>{{"fixed prices", 0, "Trade, fixed prices,"}, {"", 0, "Trade, ,"},
                                         {"a\"b", 94, ""}}) {
        SCOPED_TRACE(r.addition);
        std::filesystem::remove(dir.file("out.vt"));
        EXPECT_EQ(vt::chgtxtcontents(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), r.addition, words),
                  r.rc);
        EXPECT_EQ(std::filesystem::exists(dir.file("out.vt")), r.rc == 0);
        if (r.rc == 0) {
            EXPECT_EQ(read_back(dir.file("out.vt")).contents, r.contents);
        }
    }
    EXPECT_EQ(vt::chgtxtcontents(dir.file("in.vt").c_str(), dir.file("in.vt").c_str(), "x", words), 84);
    EXPECT_EQ(vt::chgtxtcontents(dir.file("none.vt").c_str(), dir.file("out.vt").c_str(), "x", words), 400);
    EXPECT_EQ(dir.read("in.vt"), trade);
}

// Two variables of a domain that two value sets serve: step 1 asks for the
// first, step 5 takes the choice and asks for the second, the next step 5
// writes; set_io names the file last used.
TEST(TextsCodesDialogue, ChoicesAmongSeveralValueSets) {
    vt::test::temp_dir dir;
    dir.write("in.vt", two_coded);
    std::filesystem::create_directory(dir.file("sets"));
    const std::string a = dir.write("sets/a.vs", value_set("Norra", "Sodra"));
    const std::string b = dir.write("sets/b.vs", value_set("North", "South"));
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt"), sets = dir.file("sets");
    char set_io[vt::dialog_buffer_size] = "";
    char domain[vt::dialog_buffer_size] = "";
    auto step = [&](int n) { return vt::ctvalues2003(in.c_str(), sets.c_str(), out.c_str(), n, set_io, "11", domain); };

    EXPECT_EQ(step(5), 90);  // no choice asked for
    ASSERT_EQ(step(1), 1);
    EXPECT_STREQ(domain, "county");
    EXPECT_FALSE(std::filesystem::exists(out));
    std::snprintf(set_io, sizeof set_io, "%s", a.c_str());
    ASSERT_EQ(step(5), 1);
    std::snprintf(set_io, sizeof set_io, "%s", b.c_str());
    ASSERT_EQ(step(5), 0);
    EXPECT_STREQ(set_io, b.c_str());
    EXPECT_FALSE(vt::dialogs::holds(vt::dialogs::dialogue::ctvalues));
    const vt::table t = read_back(out);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"Norra", "Sodra"}));
    EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"North", "South"}));
    EXPECT_EQ(t.vars[0].values[1].code, "02");
    EXPECT_EQ(vt::test::cells(t), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(step(5), 90);

    // Released while asking: nothing stale, step 5 has no table.
    ASSERT_EQ(step(1), 1);
    EXPECT_EQ(step(6), 0);
    EXPECT_EQ(step(5), 90);
    // One value set only: written at once; the source is never the output.
    std::filesystem::remove(a);
    std::filesystem::remove(out);
    set_io[0] = '\0';
    ASSERT_EQ(step(1), 0);
    EXPECT_STREQ(set_io, b.c_str());
    EXPECT_EQ(vt::ctvalues2003(in.c_str(), sets.c_str(), in.c_str(), 1, set_io, "11", domain), 84);
    EXPECT_EQ(vt::ctvalues2003("/no/such.vt", sets.c_str(), out.c_str(), 1, set_io, "11", domain), 400);
    EXPECT_EQ(step(6), 0);
    EXPECT_EQ(dir.read("in.vt"), two_coded);
}

// The three exports as a host finds them in the library.
TEST(ChangeTextsDialogue, LibraryExports) {
    vt::test::library lib(VT_LIBVTOPS);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using chgtxt_fn = int (*)(const char*, const char*, char*, char*, const vt_listbox*, const char*, int,
                              const char*, const char*);
    using contents_fn = int (*)(const char*, const char*, const char*, const char*);
    using ctvalues_fn = int (*)(const char*, const char*, const char*, int, char*, const char*, char*);
    const auto chg = reinterpret_cast<chgtxt_fn>(dlsym(lib.handle, "chgtxt"));
    const auto add = reinterpret_cast<contents_fn>(dlsym(lib.handle, "chgtxtcontents"));
    const auto ctv = reinterpret_cast<ctvalues_fn>(dlsym(lib.handle, "ctvalues2003"));
    ASSERT_NE(chg, nullptr);
    ASSERT_NE(add, nullptr);
    ASSERT_NE(ctv, nullptr);
    vt::test::temp_dir dir;
    const std::string in = dir.write("in.vt", trade), out = dir.file("out.vt");
    const std::string labels = dir.write("labels.ini", "[Global]\nand=och\nby=efter\n");
    vt::plat::memory_listbox list;
    char contents[vt::dialog_buffer_size] = "", units[vt::dialog_buffer_size] = "";
    EXPECT_EQ(chg(in.c_str(), "", contents, units, list.view(), "", 1, "unit", labels.c_str()), 0);
    EXPECT_STREQ(contents, "Trade");
    EXPECT_EQ(chg(nullptr, out.c_str(), contents, units, list.view(), "", 5, "unit", labels.c_str()), 0);
    EXPECT_EQ(read_back(out).title[0], "Trade efter flow och year.");
    EXPECT_EQ(add(in.c_str(), out.c_str(), "x", labels.c_str()), 0);
    EXPECT_EQ(read_back(out).contents, "Trade, x,");
    char set_io[vt::dialog_buffer_size] = "", domain[vt::dialog_buffer_size] = "";
    EXPECT_EQ(ctv(in.c_str(), "", out.c_str(), 1, set_io, "03", domain), 0);
    EXPECT_EQ(ctv(nullptr, nullptr, nullptr, 5, nullptr, nullptr, nullptr), 90);
}
