// Deleting a variable and changing decimals: sums over the values with
// their data symbols, the one value kept after a removal, refused marks,
// notes and contents following, DECIMALS raised for the summed figures; the
// decimals checks that keep a file readable; vtbatch jobs of both query
// forms and the library exports.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "platform/datablock.h"
#include "platform/listbox.h"
#include "tableops/decimals.h"
#include "tableops/vardelete.h"
#include "vtlistbox.h"
#include "../platform/library.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

using vt::test::cells;
using vt::test::read_back;
using vt::test::texts;

constexpr double nil = vt::nil_value;

// region (3; East with PRECISION 2) and sex (2) in the stub, year (2) in the
// heading. Rows North/men, North/women, South/men, ... East/women.
const char* const table_text =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"old\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\",\"sex\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nPRECISION(\"region\",\"East\")=2;\n"
    "CELLNOTE(\"North\",\"*\",\"2002\")=\"north 2002\";\nCELLNOTE(\"*\",\"women\",\"*\")=\"all women\";\n"
    "DATA=\n1 2 \n3 4 \n10 20 \n30 \"..\" \n100 200 \n\"-\" 400;\n";

const vt::title_words words{"and", "by", "distr"};

int del(const vt::test::temp_dir& dir, const char* list, const char* variable, int remove, const char* add = "",
        const char* in = "in.vt") {
    return vt::vardeleteweb(dir.file(in).c_str(), dir.file("out.vt").c_str(), list, variable, "unit", words, remove,
                            add);
}

std::vector<std::string> names(const vt::table& t) {
    std::vector<std::string> out;
    for (const vt::variable& v : t.vars) out.push_back(v.name.value_or("<none>"));
    return out;
}

}  // namespace

// The deletions a table allows: what stays, the cells, the stored decimals
// and the title.
TEST(VarDelete, SumsOrKeepsOneValue) {
    const struct {
        const char* list;
        const char* variable;
        int remove;
        std::vector<std::string> names;
        std::vector<double> cells;
        int decimals;
        vt::text_list title;
    } cases[] = {
        // Every value summed: "-" adds as a number, ".." absorbs them;
        // East's two decimals stay stored.
        {"1,2,3", "region", 0, {"sex", "year"}, {111, 222, 33, -1e20}, 2, {"Pop by sex and year"}},
        // All removed but South: its cells, stored as the table stored them.
        {"1,3", "region", 1, {"sex", "year"}, {10, 20, 30, -1e20}, 0, {"Pop by sex and year"}},
        {"2", "sex", 1, {"region", "year"}, {1, 2, 10, 20, 100, 200}, 0, {"Pop by region and year"}},
        {"1", "sex", 1, {"region", "year"}, {3, 4, 30, -1e20, nil, 400}, 0, {"Pop by region and year"}},
        // The heading's only variable: a table of stub variables alone.
        {"1,2", "year", 0, {"region", "sex"}, {3, 7, 30, -1e20, 300, 400}, 0, {"Pop by region and sex"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " " + c.list);
        vt::test::temp_dir dir;
        dir.write("in.vt", table_text);
        ASSERT_EQ(del(dir, c.list, c.variable, c.remove), 0);
        vt::table t = read_back(dir.file("out.vt"));
        EXPECT_EQ(names(t), c.names);
        EXPECT_EQ(cells(t), c.cells);
        EXPECT_EQ(t.decimals, c.decimals);
        EXPECT_EQ(t.title, c.title);
        EXPECT_EQ(dir.read("in.vt"), table_text);
    }
}

// The whole file of a sum over a stub variable: the note on one of its
// values goes, the note on any of them stays, with its other references.
TEST(VarDelete, WholeOutputOfASum) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    ASSERT_EQ(del(dir, "1,2,3", "region", 0, "all regions"), 0);
    EXPECT_EQ(dir.read("out.vt"),
              "CHARSET=\"ANSI\";\nVELT-VERSION=\"2006\";\n"
              "DECIMALS=2;\nSHOWDECIMALS=0;\nMATRIX=\"P\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"Pop, all regions  by sex and year\";\nCONTENTS=\"Pop, all regions \";\n"
              "UNITS=\"persons\";\nSTUB=\"sex\";\nHEADING=\"year\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
              "VALUES(\"year\")=\"2001\",\"2002\";\nCELLNOTE(\"women\", \"*\")=\"all women\";\n"
              "DATA=\n111.00 222.00 \n33.00 \"..\";\n");
}

// Marks that would leave part of a variable, lists that are not lists,
// names the table lacks, the input as output: refused, nothing written.
TEST(VarDelete, RefusedRequests) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    dir.write("one.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"O\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"k\";\nVALUES(\"k\")=\"a\",\"b\";\nDATA=\n1 2;\n");
    const struct {
        const char* list;
        const char* variable;
        int remove;
        const char* in;
        int code;
    } cases[] = {
        {"1,2", "region", 0, "in.vt", vt::codes::op_partial_delete},  // some of three summed
        {"", "region", 0, "in.vt", vt::codes::op_partial_delete},     // none
        {"2", "region", 1, "in.vt", vt::codes::op_partial_delete},    // two would stay
        {"", "sex", 1, "in.vt", vt::codes::op_partial_delete},        // nothing removed, two stay
        {"1,2,3", "region", 1, "in.vt", vt::codes::op_delete_failed},  // nothing would stay
        {"2,1", "sex", 0, "in.vt", vt::codes::op_bad_list},
        {"1,4", "region", 0, "in.vt", vt::codes::op_bad_list},
        {"1,x", "sex", 0, "in.vt", vt::codes::op_bad_list},
        {"1,2", "nation", 0, "in.vt", vt::codes::op_no_such_name},
        {"1,2", "", 0, "in.vt", vt::codes::op_no_such_name},
        {"1,2", "k", 0, "one.vt", vt::codes::op_nothing_kept},  // the only variable
        {"1", "sex", 1, "missing.vt", vt::codes::cannot_open},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " " + c.list);
        EXPECT_EQ(del(dir, c.list, c.variable, c.remove, "", c.in), c.code);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    }
    EXPECT_EQ(vt::vardeleteweb(dir.file("in.vt").c_str(), dir.file("./in.vt").c_str(), "1", "sex", "", words, 1, ""),
              vt::codes::op_same_file);
    EXPECT_EQ(dir.read("in.vt"), table_text);
    // The reader's own code reaches the caller (132: no SUBJECT-AREA=).
    dir.write("bad.vt", "CHARSET=\"ANSI\";\nMATRIX=\"T\";\n");
    EXPECT_EQ(del(dir, "1", "sex", 1, "", "bad.vt"), 132);
    // No memory for the cells: refused, no output.
    vt::plat::refuse_data_blocks(true);
    const int rc = del(dir, "1", "sex", 1);
    vt::plat::refuse_data_blocks(false);
    EXPECT_TRUE(rc == 200 || rc == 201) << rc;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
}

// The variable without a name (named like UnitVar) and a variable of one
// value go whatever is marked; a deleted contents variable takes the
// per-content records with it; a title that is the description stays it.
TEST(VarDelete, UnnamedSingleValuedAndContents) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "DESCRIPTION=\"Kept as it is\";\nDESCRIPTIONDEFAULT=YES;\nTITLE=\"t\";\nCONTENTS=\"C\";\nUNITS=\"u\";\n"
              "STUB=\"$$SORT\",\"one\";\nHEADING=\"k\";\nVALUES(\"$$SORT\")=\"p\",\"q\";\nVALUES(\"one\")=\"only\";\n"
              "VALUES(\"k\")=\"x\",\"y\";\nCONTVARIABLE=\"k\";\nLAST-UPDATED(\"x\")=\"20010101 10:00\";\n"
              "DATA=\n1.5 2 \n3 4;\n");
    ASSERT_EQ(del(dir, "", "one", 0), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "k"}));
    EXPECT_EQ(cells(t), (std::vector<double>{1.5, 2, 3, 4}));
    EXPECT_EQ(t.contvariable, "k");

    ASSERT_EQ(del(dir, "1,2", "k", 0), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"<none>", "one"}));
    EXPECT_EQ(cells(t), (std::vector<double>{3.5, 7}));
    EXPECT_FALSE(t.contvariable);
    EXPECT_EQ(dir.read("out.vt").find("LAST-UPDATED(\"x\")"), std::string::npos);
    EXPECT_EQ(t.title, (vt::text_list{"Kept as it is"}));
    ASSERT_EQ(del(dir, "2", "unit", 1, "more"), 0);
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(names(t), (std::vector<std::string>{"one", "k"}));
    EXPECT_EQ(cells(t), (std::vector<double>{1.5, 2}));
    EXPECT_EQ(t.contents, "C, more ");
}

// The numbers of decimals a table file can state.
TEST(Decimals, ChecksAndNumbers) {
    const struct {
        int decimals, shown, rc, new_decimals, new_shown;
    } shown[] = {{1, 3, 0, 3, 3},   {4, 2, 0, 4, 2},    {10, 8, 79, 10, 0}, {5, 8, 0, 8, 8}, {0, 16, 79, 0, 0},
                 {0, -1, 79, 0, 0}, {15, 15, 0, 15, 15}, {12, 6, 0, 12, 6}};
    for (const auto& c : shown) {
        vt::table t = vt::table_new();
        t.decimals = c.decimals;
        EXPECT_EQ(vt::set_shown_decimals(t, c.shown), c.rc) << c.decimals << " " << c.shown;
        EXPECT_EQ(t.decimals, c.new_decimals);
        EXPECT_EQ(t.showdecimals, c.new_shown);
    }
    for (int d : {-1, 0, 9, 15, 16}) {
        vt::table t = vt::table_new();
        t.decimals = 3;
        const bool ok = d >= 0 && d <= 15;
        EXPECT_EQ(vt::set_decimals(t, d), ok ? 0 : 79) << d;
        EXPECT_EQ(t.decimals, ok ? d : 3);
        EXPECT_EQ(t.showdecimals, ok ? d : 0);
    }
    const struct {
        const char* text;
        bool ok;
        int value;
    } precisions[] = {{"3", true, 3}, {" 0 ", true, 0}, {"9", true, 9}, {"10", false, 0},
                      {"", false, 0},  {"a", false, 0},  {"-1", false, 0}};
    for (const auto& c : precisions) {
        int v = 0;
        EXPECT_EQ(vt::precision_from_text(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

// chgdecweb: both numbers set, the cells written with them; what no file
// can state is refused and writes nothing.
TEST(Decimals, BatchFormWritesTheTable) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt");
    ASSERT_EQ(vt::chgdecweb(in.c_str(), out.c_str(), "1"), 0);
    const std::string text = dir.read("out.vt");
    EXPECT_NE(text.find("DECIMALS=1;\nSHOWDECIMALS=1;\n"), std::string::npos) << text;
    // East still shows its two decimals, so the cells are stored with them.
    EXPECT_NE(text.find("PRECISION(\"region\",\"East\")=2;"), std::string::npos);
    vt::table t = read_back(out);
    EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 10, 20, 30, -1e20, 100, 200, nil, 400}));

    ASSERT_EQ(vt::chgdecweb(in.c_str(), out.c_str(), "9"), 0);
    t = read_back(out);
    EXPECT_EQ(t.decimals, 9);
    EXPECT_EQ(t.showdecimals, 9);
    ASSERT_EQ(vt::chgdecweb(in.c_str(), out.c_str(), "none"), 0);
    EXPECT_NE(dir.read("out.vt").find("DECIMALS=0;\nSHOWDECIMALS=0;\n"), std::string::npos);

    std::filesystem::remove(out);
    for (const char* bad : {"16", "-1"}) {
        EXPECT_EQ(vt::chgdecweb(in.c_str(), out.c_str(), bad), vt::codes::op_bad_decimals) << bad;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(vt::chgdecweb(in.c_str(), in.c_str(), "2"), vt::codes::op_same_file);
    EXPECT_EQ(vt::chgdecweb(dir.file("no.vt").c_str(), out.c_str(), "2"), vt::codes::cannot_open);
    EXPECT_EQ(dir.read("in.vt"), table_text);
}

// vtbatch: "vardelete" from [Remove] and [Use] and from the XML remove and
// sum elements; "decimals" from both forms.
TEST(VarDelete, VtbatchJobs) {
    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    const std::string ini = "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Texts]\nText1=and\n"
                            "Text2=by\nText3=distr\n[Query]\nFunction=vardelete\nVariable=region\nTitleadd=x\n";
    dir.write("q.ini", ini + "[Remove]\nValue1=1\nValue2=3\n[Use]\nValue1=1\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "vardelete ended OK ");
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(cells(t), (std::vector<double>{10, 20, 30, -1e20}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop, x  by sex and year"}));

    dir.write("q.ini", ini + "[Use]\nValue1=1\nValue2=2\nValue3=3\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(cells(read_back(dir.file("out.vt"))), (std::vector<double>{111, 222, 33, -1e20}));
    dir.write("q.ini", ini + "[Use]\nValue1=1\nValue2=2\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), vt::codes::op_partial_delete);
    EXPECT_EQ(dir.read("err.txt"), "Error from vardelete: 78");

    const std::string head = "<?xml version=\"1.0\"?>\n<vtqueries>\n<text id=\"and\">and</text>\n"
                             "<text id=\"by\">by</text>\n<text id=\"dist\">distr</text>\n<text id=\"unit\">u</text>\n"
                             "<vtquery step=\"1\">\n<function>vardelete</function>\n<infile>in.vt</infile>\n"
                             "<outfile>out.vt</outfile>\n<errorfile>err.txt</errorfile>\n";
    dir.write("q.xml", head + "<variable>sex</variable>\n<remove>1</remove>\n</vtquery>\n</vtqueries>\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 0);
    EXPECT_EQ(cells(read_back(dir.file("out.vt"))), (std::vector<double>{3, 4, 30, -1e20, nil, 400}));
    dir.write("q.xml", head + "<variable>sex</variable>\n<sum>1,2</sum>\n</vtquery>\n</vtqueries>\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 0);
    EXPECT_EQ(cells(read_back(dir.file("out.vt"))), (std::vector<double>{4, 6, 40, -1e20, 100, 600}));

    dir.write("d.ini", "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=Decimals\n"
                       "[Data]\ndecimals=3\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "d.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "Decimals ended OK ");
    t = read_back(dir.file("out.vt"));
    EXPECT_EQ(t.decimals, 3);
    EXPECT_EQ(t.showdecimals, 3);
    dir.write("d.xml", "<?xml version=\"1.0\"?>\n<vtqueries>\n<vtquery step=\"1\">\n<function>decimals</function>\n"
                       "<infile>in.vt</infile>\n<outfile>out.vt</outfile>\n<errorfile>err.txt</errorfile>\n"
                       "<decimals>20</decimals>\n</vtquery>\n</vtqueries>\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "d.xml"), vt::codes::op_bad_decimals);
    EXPECT_EQ(dir.read("err.txt"), "Error from decimals: 79");
    EXPECT_EQ(read_back(dir.file("out.vt")).decimals, 3);  // the old output stays
    EXPECT_EQ(dir.read("in.vt"), table_text);
}

// The two dialogue exports as a host finds them: a variable deleted with
// the label file's title words, decimals changed through the host's buffer.
TEST(VarDelete, LibraryExports) {
    vt::test::library lib(VT_LIBVTOPS);
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    using vardelete_fn = int (*)(const char*, const char*, const vt_listbox*, const char*, int, const char*,
                                 const char*, int);
    using chgdec_fn = int (*)(const char*, const char*, char*, const vt_listbox*, const vt_listbox*, const char*, int,
                              const char*);
    const auto vardelete = reinterpret_cast<vardelete_fn>(dlsym(lib.handle, "vardelete"));
    const auto chgdec = reinterpret_cast<chgdec_fn>(dlsym(lib.handle, "chgdec"));
    ASSERT_NE(vardelete, nullptr);
    ASSERT_NE(chgdec, nullptr);

    vt::test::temp_dir dir;
    dir.write("in.vt", table_text);
    dir.write("labels.ini", "[Global]\nand=och\nby=efter\ndistr=fordelning\n");
    const std::string in = dir.file("in.vt"), out = dir.file("out.vt"), labels = dir.file("labels.ini");
    vt::plat::memory_listbox box, precisions;
    ASSERT_EQ(vardelete(in.c_str(), "", box.view(), "", 1, "unit", labels.c_str(), 0), 0);
    EXPECT_EQ(box.items(), (std::vector<std::string>{"region", "sex", "year"}));
    ASSERT_EQ(vardelete(nullptr, "", box.view(), "year", 2, "unit", labels.c_str(), 0), 0);
    EXPECT_EQ(box.items(), (std::vector<std::string>{"2001", "2002"}));
    box.select(1);
    ASSERT_EQ(vardelete(nullptr, out.c_str(), box.view(), "year", 4, "unit", labels.c_str(), 1), 0);
    vt::table t = read_back(out);
    EXPECT_EQ(t.title, (vt::text_list{"Pop efter region och sex"}));
    EXPECT_EQ(cells(t), (std::vector<double>{1, 3, 10, 30, 100, nil}));

    char buffer[16] = "xxxxxxxxxxxxxxx";
    ASSERT_EQ(chgdec(in.c_str(), "", buffer, box.view(), precisions.view(), "", 1, "unit"), 0);
    EXPECT_STREQ(buffer, "0");
    EXPECT_EQ(buffer[3], 'x');  // nothing written past the number
    ASSERT_EQ(chgdec(nullptr, "", buffer, box.view(), precisions.view(), "region", 2, "unit"), 0);
    EXPECT_EQ(precisions.items(), (std::vector<std::string>{"0", "0", "2"}));
    std::snprintf(buffer, sizeof buffer, "3");
    ASSERT_EQ(chgdec(nullptr, out.c_str(), buffer, box.view(), precisions.view(), "", 5, "unit"), 0);
    t = read_back(out);
    EXPECT_EQ(t.decimals, 3);
    EXPECT_EQ(t.showdecimals, 3);
    EXPECT_EQ(chgdec(nullptr, out.c_str(), buffer, box.view(), precisions.view(), "", 5, "unit"),
              vt::codes::op_no_dialogue_table);
    EXPECT_EQ(vardelete(nullptr, nullptr, nullptr, nullptr, 3, nullptr, nullptr, 0), 0);
    EXPECT_EQ(chgdec(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 4, nullptr), 0);
}
