// The presentation of values: what each option digit does to each
// PRESTEXT, the swap of texts and codes with the contents records following,
// texts looked up in value set files (numbered keys and "****" line
// files, several files to choose from), refusals, and the textcode jobs of
// both query forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/codes.h"
#include "tableops/presentation.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

std::vector<std::string> codes_of(const vt::variable& v) {
    std::vector<std::string> out;
    for (const vt::value& val : v.values) out.push_back(val.code.value_or("<none>"));
    return out;
}

// Four coded stub variables showing 0, 1, 2 and 3, a heading variable
// showing texts; a is the contents variable. Cell k holds k.
std::string shown_table() {
    std::string t =
        "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"a\",\"b\",\"c\",\"d\";\nHEADING=\"e\";\n";
    for (const char* v : {"a", "b", "c", "d", "e"}) {
        const std::string n = v;
        t += "VALUES(\"" + n + "\")=\"" + n + "1\",\"" + n + "2\";\nCODES(\"" + n + "\")=\"" + n + "X\",\"" + n +
             "Y\";\n";
    }
    t += "PRESTEXT(\"a\")=0;\nPRESTEXT(\"c\")=2;\nPRESTEXT(\"d\")=3;\nCONTVARIABLE=\"a\";\n"
         "UNITS(\"a1\")=\"first\";\nUNITS(\"a2\")=\"second\";\nDATA=\n";
    for (int k = 0; k < 32; ++k) t += std::to_string(k) + (k % 2 ? " \n" : " ");
    return t + ";\n";
}

// One variable of two values given as codes only, served by county.vs.
const char* const coded_only =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"C\";\nUNITS=\"u\";\nHEADING=\"region\";\nVALUES(\"region\")=\"01\",\"02\";\n"
    "DOMAIN(\"region\")=\"County\";\nDATA=\n5 6;\n";

std::string value_set(const char* domain, const char* texts) {
    return std::string("[Descr]\nName=Counties\nType=V\n[Domain]\n1=other\n2=") + domain +
           "\n[Valuecode]\n1=01\n2=02\n[Valuetext]\n" + texts;
}

}  // namespace

// Each digit against each PRESTEXT, with and without codes, in the batch
// form and the dialogue form.
TEST(Presentation, PlanOfEveryDigit) {
    struct row {
        int prestext;
        bool coded;
        char digit;
        bool dialogue;
        int after;
        bool swap;
    };
    const std::vector<row> rows = {
        {1, true, '1', false, 1, false},  {2, true, '1', false, 1, false}, {0, true, '1', false, 0, true},
        {3, true, '1', false, 3, true},   {1, false, '1', false, 1, false}, {1, false, '1', true, 1, true},
        {2, true, '1', true, 1, false},   {1, true, '2', false, 1, true},  {2, true, '2', false, 2, true},
        {0, true, '2', false, 0, false},  {3, true, '2', false, 0, false}, {1, true, '3', false, 2, false},
        {2, true, '3', false, 2, false},  {0, true, '3', false, 3, false}, {3, true, '3', false, 3, false},
        {1, false, '3', false, 1, false}, {2, true, '0', false, 2, false}, {0, true, 'x', true, 0, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.prestext) + (r.coded ? " coded " : " plain ") + r.digit);
        vt::table t;
        t.vars.resize(2);
        for (vt::variable& v : t.vars) {
            v.prestext = r.prestext;
            v.values.resize(2);
            v.values[0].text = "x";
            v.values[1].text = "y";
            if (r.coded) v.values[0].code = "1";
        }
        // The second variable lies beyond the options and stays.
        const vt::presentation_plan p = vt::plan_presentation(t, std::string(1, r.digit), r.dialogue);
        EXPECT_EQ(p.prestext, (std::vector<int>{r.after, r.prestext}));
        EXPECT_EQ(p.swaps, r.swap ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
    }
}

// The swaps change PRESTEXT 0 to 1, 1 to 0, 2 to 0 and 3 to 1; "3" combines
// without a swap; the contents records follow the swapped texts; the cells
// stay.
TEST(Presentation, SwapsAndTheirPrestext) {
    vt::test::temp_dir dir;
    const std::string input = shown_table();
    dir.write("in.vt", input);
    std::string used = "stale";
    ASSERT_EQ(vt::ctvaluesweb(dir.file("in.vt").c_str(), "", dir.file("out.vt").c_str(), "12213", used), 0);
    EXPECT_EQ(used, "");
    const vt::table t = read_back(dir.file("out.vt"));
    struct expect {
        int prestext;
        std::vector<std::string> texts, codes;
    };
    const std::vector<expect> want = {
        {1, {"aX", "aY"}, {"a1", "a2"}}, {0, {"bX", "bY"}, {"b1", "b2"}}, {0, {"cX", "cY"}, {"c1", "c2"}},
        {1, {"dX", "dY"}, {"d1", "d2"}}, {2, {"e1", "e2"}, {"eX", "eY"}},
    };
    ASSERT_EQ(t.vars.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(t.vars[k].prestext, want[k].prestext);
        EXPECT_EQ(texts(t.vars[k]), want[k].texts);
        EXPECT_EQ(codes_of(t.vars[k]), want[k].codes);
    }
    ASSERT_EQ(t.continfos.size(), 2u);
    EXPECT_EQ(t.continfos[0].content, "aX");
    EXPECT_EQ(t.continfos[0].units, "first");
    EXPECT_EQ(t.continfos[1].content, "aY");
    std::vector<double> expected(32);
    for (int k = 0; k < 32; ++k) expected[static_cast<std::size_t>(k)] = k;
    EXPECT_EQ(cells(t), expected);
    EXPECT_EQ(dir.read("in.vt"), input);
}

// Codes without texts: the texts come from the value set file serving the
// DOMAIN (in any letter case), from numbered keys or from "****" line files;
// a code the file lacks leaves the variable alone.
TEST(Presentation, TextsFromValueSets) {
    struct row {
        std::string name, file, lines_c, lines_n;
        std::vector<std::string> texts, codes;
        int prestext;
    };
    const std::vector<row> rows = {
        {"county.vs", value_set("COUNTY", "1=North\n2=South\n"), "", "", {"North", "South"}, {"01", "02"}, 1},
        {"lines.vs", "[Descr]\nName=L\n[Domain]\n1=county\n[Valuecode]\n1000=****\n", "02\r\n01\r\n",
         "Two\r\nOne\r\n", {"One", "Two"}, {"01", "02"}, 1},
        {"short.vs", "[Descr]\nName=S\n[Domain]\n1=county\n[Valuecode]\n1=01\n[Valuetext]\n1=North\n", "", "",
         {"01", "02"}, {"<none>", "<none>"}, 1},
        {"other.vs", value_set("elsewhere", "1=North\n2=South\n"), "", "", {"01", "02"}, {"<none>", "<none>"}, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        vt::test::temp_dir dir;
        dir.write("in.vt", coded_only);
        std::filesystem::create_directory(dir.file("sets"));
        dir.write("sets/" + r.name, r.file);
        if (!r.lines_c.empty()) {
            dir.write("sets/" + r.name + "c", r.lines_c);
            dir.write("sets/" + r.name + "n", r.lines_n);
        }
        std::string used;
        ASSERT_EQ(vt::ctvaluesweb(dir.file("in.vt").c_str(), dir.file("sets").c_str(), dir.file("out.vt").c_str(),
                                  "2", used),
                  0);
        const vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(texts(t.vars[0]), r.texts);
        EXPECT_EQ(codes_of(t.vars[0]), r.codes);
        EXPECT_EQ(t.vars[0].prestext, r.prestext);
        EXPECT_EQ(used.empty(), r.codes[0] == "<none>") << used;
        EXPECT_EQ(cells(t), (std::vector<double>{5, 6}));
    }
}

// Several files serve one domain: the batch form takes the first, the
// dialogue's planning reports the domain until a file is chosen, and the
// chosen one is used.
TEST(Presentation, SeveralValueSetsFit) {
    vt::test::temp_dir dir;
    dir.write("in.vt", coded_only);
    std::filesystem::create_directory(dir.file("sets"));
    dir.write("sets/a.vs", value_set("county", "1=Norra\n2=Sodra\n"));
    dir.write("sets/b.vs", value_set("county", "1=North\n2=South\n"));
    vt::table t = read_back(dir.file("in.vt"));
    const vt::presentation_plan plan = vt::plan_presentation(t, "1", true);
    vt::value_set_choice chosen;
    std::string domain;
    EXPECT_EQ(vt::next_value_set_choice(t, plan, dir.file("sets"), chosen, domain), 0);
    EXPECT_EQ(domain, "County");
    chosen[0] = dir.file("sets") + "/b.vs";
    EXPECT_EQ(vt::next_value_set_choice(t, plan, dir.file("sets"), chosen, domain), -1);
    vt::table out;
    std::string used;
    ASSERT_EQ(vt::present(t, plan, dir.file("sets"), chosen, out, used), 0);
    EXPECT_EQ(texts(out.vars[0]), (std::vector<std::string>{"North", "South"}));
    EXPECT_EQ(used, chosen[0]);
    // A value set of one domain only asks nothing.
    std::filesystem::remove(dir.file("sets/a.vs"));
    EXPECT_EQ(vt::next_value_set_choice(t, plan, dir.file("sets"), {}, domain), -1);
}

// Refusals write nothing: two values sharing a code would share a text
// after the swap; sources that cannot be read; the source as output.
TEST(Presentation, RefusalsWriteNothing) {
    vt::test::temp_dir dir;
    std::string twin = shown_table();
    twin.replace(twin.find("\"bX\",\"bY\""), 9, "\"bX\",\"bX\"");
    dir.write("twin.vt", twin);
    dir.write("in.vt", shown_table());
    dir.write("bad.vt", "CHARSET=\"ANSI\";\nDATA=\n");
    std::filesystem::create_symlink(dir.file("in.vt"), dir.file("link.vt"));
    struct row {
        std::string in, out, options;
        int rc;
    };
    const std::vector<row> rows = {
        {dir.file("twin.vt"), dir.file("out.vt"), "02", 99},
        {dir.file("twin.vt"), dir.file("out.vt"), "10", 0},  // b not swapped: fine
        {dir.file("none.vt"), dir.file("out2.vt"), "1", 400},
        {dir.file("bad.vt"), dir.file("out2.vt"), "1", 131},
        {dir.file("in.vt"), dir.file("link.vt"), "1", 84},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.in + " " + r.options);
        std::filesystem::remove(dir.file("out.vt"));
        std::string used;
        EXPECT_EQ(vt::ctvaluesweb(r.in.c_str(), "", r.out.c_str(), r.options.c_str(), used), r.rc);
        EXPECT_EQ(std::filesystem::exists(dir.file("out.vt")), r.rc == 0);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out2.vt")));
    }
    EXPECT_EQ(dir.read("in.vt"), shown_table());
}

// The textcode jobs: INI digits as given, XML letters T, C, B.
TEST(Presentation, VtbatchJobsOfBothForms) {
    const std::string files = "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n";
    const std::string xml_head = "<?xml version=\"1.0\"?>\n<vtqueries>\n<vtquery step=\"1\">\n<function>textcode"
                                 "</function>\n<infile>in.vt</infile>\n<outfile>out.vt</outfile>\n"
                                 "<errorfile>err.txt</errorfile>\n";
    struct job {
        const char* file;
        std::string query;
        std::vector<int> prestext;
    };
    const std::vector<job> jobs = {
        {"q.ini", files + "[Query]\nFunction=textcode\ntextcodeoptions=12213\n", {1, 0, 0, 1, 2}},
        {"q.xml", xml_head + "<textcodeoptions>TCCTB</textcodeoptions>\n</vtquery>\n</vtqueries>\n",
         {1, 0, 0, 1, 2}},
        {"q.xml", xml_head + "<textcodeoptions>BXX</textcodeoptions>\n</vtquery>\n</vtqueries>\n",
         {3, 1, 2, 3, 1}},
    };
    for (const job& j : jobs) {
        SCOPED_TRACE(j.query);
        vt::test::temp_dir dir;
        dir.write("in.vt", shown_table());
        dir.write(j.file, j.query);
        EXPECT_EQ(vt::test::run_vtbatch(dir, j.file), 0);
        EXPECT_EQ(dir.read("err.txt"), "textcode ended OK ");
        const vt::table t = read_back(dir.file("out.vt"));
        std::vector<int> got;
        for (const vt::variable& v : t.vars) got.push_back(v.prestext);
        EXPECT_EQ(got, j.prestext);
        EXPECT_EQ(dir.read("in.vt"), shown_table());
    }
}
