// Changing texts: the checks of new names and value texts (all or
// nothing), CONTVARIABLE and the contents records following their names
// and texts, CONTENTS or DESCRIPTION of one line, and the jobs of both
// query forms: inputs kept, refused edits and unreadable sources write
// nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/reader.h"
#include "tableops/texts.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

using vt::test::trade;

const char* const plain =
    "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"old\";\n"
    "DESCRIPTION=\"first\",\"second\";\nCONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\",\"sex\";\n"
    "HEADING=\"year\";\nVALUES(\"region\")=\"North\",\"South\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "VALUES(\"year\")=\"2001\";\nDATA=\n1.5 2.5 3.5 \".\";\n";

const vt::title_words words{"and", "by", "distr"};

vt::table read_text(const std::string& text) {
    vt::test::temp_dir dir;
    dir.write("t.vt", text);
    return read_back(dir.file("t.vt"));
}

std::vector<std::string> names(const vt::table& t) {
    std::vector<std::string> out;
    for (const vt::variable& v : t.vars) out.push_back(v.name.value_or("<none>"));
    return out;
}

std::vector<std::string> contents_keys(const vt::table& t) {
    std::vector<std::string> out;
    for (const vt::continfo& c : t.continfos) out.push_back(c.content.value_or("<none>") + "=" + c.units.value_or(""));
    return out;
}

}  // namespace

// The names of the named variables, in order: every refusal leaves the
// table as it was; names may change places.
TEST(ChangeTexts, NamesAreCheckedAsAWhole) {
    struct row {
        std::vector<std::string> names;
        std::string contents, units;
        int rc;
        std::vector<std::string> after;
        std::string contvariable;
    };
    const std::vector<row> rows = {
        {{"kind", "period"}, "C", "u", 0, {"<none>", "kind", "period"}, "kind"},
        {{"flow", "year"}, "C", "u", 0, {"<none>", "flow", "year"}, "flow"},
        {{"year", "flow"}, "C", "u", 0, {"<none>", "year", "flow"}, "year"},  // a swap
        {{"kind"}, "C", "u", 93, {}, ""},                                       // a name missing
        {{"kind", "  "}, "C", "u", 93, {}, ""},
        {{"ki\"nd", "year"}, "C", "u", 94, {}, ""},
        {{"kind", "kind"}, "C", "u", 96, {}, ""},
        {{"year", "year"}, "C", "u", 96, {}, ""},
        {{"flow", "year"}, "", "u", 93, {}, ""},
        {{"flow", "year"}, "C", "u\"", 94, {}, ""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.names.size() > 1 ? r.names[0] + "," + r.names[1] : "short");
        vt::table t = read_text(trade);
        EXPECT_EQ(vt::change_names(t, r.contents, r.units, r.names, true), r.rc);
        if (r.rc != 0) {
            EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "flow", "year"}));
            EXPECT_EQ(t.contents, "Trade");
            EXPECT_EQ(t.contvariable, "flow");
            continue;
        }
        EXPECT_EQ(names(t), r.after);
        EXPECT_EQ(t.contvariable, r.contvariable);
        EXPECT_EQ(t.contents, r.contents);
        EXPECT_FALSE(t.units);  // a table without UNITS (it has $$SORT) gets none
    }
    vt::table p = read_text(plain);
    EXPECT_EQ(vt::change_names(p, "C", "persons", {"area", "sex", "year"}, true), 0);
    EXPECT_EQ(p.units, "persons");
    EXPECT_EQ(vt::change_names(p, "C", "kr", {"area", "sex", "year"}, true), 0);
    EXPECT_EQ(p.units, "kr");
    // The dialogue's form: entry k for variable k, the unit word passed over.
    vt::table t = read_text(trade);
    EXPECT_EQ(vt::change_names(t, "C", "u", {"unit", "kind", "year"}, false), 0);
    EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "kind", "year"}));
}

// New value texts: checked first, the contents records of the contents
// variable follow their values.
TEST(ChangeTexts, ValueTextsAndContentsRecords) {
    struct row {
        std::size_t var;
        std::vector<std::string> texts;
        int rc;
    };
    const std::vector<row> rows = {
        {1, {"Out", "In"}, 0}, {1, {"Imports", "Exports"}, 0}, {1, {"Exports", "Exports"}, 95},
        {1, {"Out", ""}, 93},  {1, {"Out", "I\"n"}, 94},       {1, {"Out"}, 81},
        {2, {"2001", "2003"}, 0}, {7, {"a"}, 85},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.texts.front());
        vt::table t = read_text(trade);
        EXPECT_EQ(vt::change_value_texts(t, r.var, r.texts), r.rc);
        if (r.rc != 0) {
            EXPECT_EQ(texts(t.vars[1]), (std::vector<std::string>{"Exports", "Imports"}));
            continue;
        }
        EXPECT_EQ(texts(t.vars[r.var]), r.texts);
        if (r.var == 1) {
            EXPECT_EQ(contents_keys(t), (std::vector<std::string>{r.texts[0] + "=SEK", r.texts[1] + "=SEK thousands"}));
        }
    }
}

TEST(ChangeTexts, SplitNames) {
    using v = std::vector<std::string>;
    EXPECT_EQ(vt::split_names(""), v{});
    EXPECT_EQ(vt::split_names("a;b"), (v{"a", "b"}));
    EXPECT_EQ(vt::split_names("a;b;"), (v{"a", "b"}));  // the XML form ends every name with ";"
    EXPECT_EQ(vt::split_names(";b"), (v{"", "b"}));
}

// The batch form end to end: names, CONTVARIABLE, records and cells in the
// written file; the title rebuilt from the new names.
TEST(ChangeTexts, BatchFormWritesTheRenamedTable) {
    vt::test::temp_dir dir;
    dir.write("in.vt", trade);
    ASSERT_EQ(vt::chgtxtweb(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), "kind;period", "Goods",
                            "kronor", words),
              0);
    const vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "kind", "period"}));
    EXPECT_EQ(t.contvariable, "kind");
    EXPECT_EQ(contents_keys(t), (std::vector<std::string>{"Exports=SEK", "Imports=SEK thousands"}));
    EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(t.contents, "Goods");
    EXPECT_EQ(t.title, (vt::text_list{"Goods by kind and period.",
                                      "distr by total and part."}));
}

// CONTENTS or DESCRIPTION as one line, by mode.
TEST(ChangeTexts, ContentsOrDescription) {
    struct row {
        int mode;
        const char* text;
        int rc;
        const char* contents;
        vt::text_list description;
        int descdefault;
        vt::text_list title;
    };
    const std::vector<row> rows = {
        {0, "People", 0, "People", {"first", "second"}, 0, {"People by region, sex and year"}},
        {1, "One line", 0, "Pop", {"One line"}, 0, {"Pop by region, sex and year"}},
        {2, "One line", 0, "Pop", {"One line"}, 1, {"One line"}},
        {0, "", 93, "", {}, 0, {}},
        {1, " ", 93, "", {}, 0, {}},
        {0, "a\"b", 94, "", {}, 0, {}},
        {3, "x", 81, "", {}, 0, {}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.mode) + r.text);
        vt::test::temp_dir dir;
        dir.write("in.vt", plain);
        EXPECT_EQ(vt::chgtxtcontdescr(dir.file("in.vt").c_str(), dir.file("out.vt").c_str(), r.text, words, r.mode),
                  r.rc);
        EXPECT_EQ(std::filesystem::exists(dir.file("out.vt")), r.rc == 0);
        if (r.rc != 0) continue;
        const vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(t.contents, r.contents);
        EXPECT_EQ(t.description, r.description);
        EXPECT_EQ(t.descriptiondefault, r.descdefault);
        EXPECT_EQ(t.title, r.title);
        EXPECT_EQ(cells(t).size(), 4u);
    }
}

// Sources that cannot be read give a code (never success without an
// output), the source is never the output under any name, and a refused
// edit leaves an old output whole.
TEST(ChangeTexts, BadSourcesAndOutputs) {
    vt::test::temp_dir dir;
    dir.write("in.vt", plain);
    dir.write("broken.vt", "CHARSET=\"ANSI\";\nMATRIX=\"P\";\nDATA=\n1;\n");
    std::filesystem::create_symlink(dir.file("in.vt"), dir.file("link.vt"));
    dir.write("old.vt", "old output\n");
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt");
    struct row {
        std::string in, out;
        const char* names;
        int rc;
    };
    const std::vector<row> rows = {
        {dir.file("none.vt"), out, "a;b;c", 400},
        {dir.path().string(), out, "a;b;c", 400},
        {dir.file("broken.vt"), out, "a;b;c", 132},
        {in, dir.file("link.vt"), "a;b;c", 84},
        {in, dir.file("old.vt"), "a;;c", 93},
        {in, dir.file("no/such/dir.vt"), "a;b;c", 400},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.in + " -> " + r.out);
        EXPECT_EQ(vt::chgtxtweb(r.in.c_str(), r.out.c_str(), r.names, "C", "u", words), r.rc);
        EXPECT_EQ(vt::chgtxtcontdescr(r.in.c_str(), r.out.c_str(), r.rc == 93 ? "" : "C", words, 0), r.rc);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(dir.read("old.vt"), "old output\n");
        EXPECT_EQ(dir.read("in.vt"), plain);
    }
    EXPECT_EQ(vt::chgtxtweb(nullptr, out.c_str(), "", "C", "u", words), 400);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(e.path().filename().string().starts_with(".vt-")) << e.path();
}

// Both query forms through vtbatch: INI names from [Variables], XML names
// from the variable elements (each ending with ";").
TEST(ChangeTexts, VtbatchJobsOfBothForms) {
    const std::string texts_ini = "[Texts]\nText1=and\nText2=by\nText3=distr\nText4=unit\n";
    struct job {
        const char* file;
        std::string query;
        int rc;
        const char* err;
    };
    const std::string files = "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n";
    const std::string xml_head =
        "<?xml version=\"1.0\"?>\n<vtqueries>\n<text id=\"and\">and</text>\n<text id=\"by\">by</text>\n"
        "<vtquery step=\"1\">\n<function>chgtexts</function>\n<infile>in.vt</infile>\n<outfile>out.vt</outfile>\n"
        "<errorfile>err.txt</errorfile>\n";
    const std::vector<job> jobs = {
        {"q.ini",
         files + texts_ini + "[Query]\nFunction=chgtexts\ncontentstext=Goods\nunittext=kr\n[Data]\nNoOfVar=2\n"
                             "[Variables]\nVar1=kind\nVar2=period\n",
         0, "chgtexts ended OK "},
        {"q.ini",
         files + texts_ini + "[Query]\nFunction=chgtexts\ncontentstext=Goods\n[Data]\nNoOfVar=1\n[Variables]\nVar1=kind\n",
         93, "Error from chgtexts: 93"},
        {"q.xml",
         xml_head + "<contentstext>Goods</contentstext>\n<unittext>kr</unittext>\n<noofvar>2</noofvar>\n"
                    "<variable order=\"1\">kind</variable>\n<variable order=\"2\">period</variable>\n"
                    "</vtquery>\n</vtqueries>\n",
         0, "chgtexts ended OK "},
        {"q.ini", files + texts_ini + "[Query]\nFunction=chgtextcontents\ncontentstext=Goods\n", 0,
         "chgtextcontents ended OK "},
        {"q.ini", files + texts_ini + "[Query]\nFunction=chgtextcontents\n", 93, "Error from chgtextcontents: 93"},
    };
    for (const job& j : jobs) {
        SCOPED_TRACE(j.query);
        vt::test::temp_dir dir;
        dir.write("in.vt", trade);
        dir.write(j.file, j.query);
        EXPECT_EQ(vt::test::run_vtbatch(dir, j.file), j.rc);
        EXPECT_EQ(dir.read("err.txt"), j.err);
        EXPECT_EQ(dir.read("in.vt"), trade);
        EXPECT_EQ(std::filesystem::exists(dir.file("out.vt")), j.rc == 0);
        if (j.rc != 0) continue;
        const vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(t.contents, "Goods");
        EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
        if (std::string(j.err).starts_with("chgtexts")) {
            EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "kind", "period"}));
            EXPECT_EQ(t.contvariable, "kind");
            EXPECT_FALSE(t.units);
        } else {
            EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "flow", "year"}));
            EXPECT_EQ(t.title[0], "Goods by flow and year.");
        }
    }
}
