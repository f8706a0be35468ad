// Selection jobs: values kept, variables eliminated (summed or taken at
// their elimination value), cells summed with data symbols, notes carried,
// refused selections, and the batch runs through INI and XML queries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "core/cells.h"
#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "platform/datablock.h"
#include "tableops/compute.h"
#include "tableops/selection.h"
#include "../platform/temp_dir.h"

namespace {

using sel_array = std::array<const char*, vt::max_selected_vars>;

// Regions in the stub, sex in the heading; sex can be summed and its
// "women" cells carry two decimals.
const char* const region_sex =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"sex\";\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\nVALUES(\"sex\")=\"men\",\"women\";\n"
    "ELIMINATION(\"sex\")=YES;\nPRECISION(\"sex\",\"women\")=2;\n"
    "CELLNOTE(\"North\",\"*\")=\"north note\";\nCELLNOTE(\"South\",\"men\")=\"south men\";\n"
    "DATANOTECELL(\"East\",\"women\")=\"E\";\n"
    "DATA=\n1 2 \n3 4 \n5 6.25;\n";

vt::table read_back(const std::string& path) {
    vt::in_file f;
    vt::table t = vt::table_new();
    EXPECT_EQ(vt::read_table_file(path, f, t), 0) << path;
    EXPECT_EQ(vt::read_data(t, f), 0);
    return t;
}

std::vector<double> cells(const vt::table& t) {
    const std::size_t n = static_cast<std::size_t>(vt::count_cells(t.vars));
    return t.data() ? std::vector<double>(t.data(), t.data() + n) : std::vector<double>{};
}

std::vector<std::string> texts(const vt::variable& v) {
    std::vector<std::string> out;
    for (const vt::value& val : v.values) out.push_back(val.text);
    return out;
}

int select(const vt::test::temp_dir& dir, const std::string& in, const std::string& out, sel_array sel,
           int keep_description = 1) {
    return vt::selvalues_list(dir.file(in).c_str(), dir.file(out).c_str(), "and;by;distr", sel, 0, "",
                              keep_description);
}

}  // namespace

// Listing every value keeps the variable as it was: values, ELIMINATION
// YES, cells and notes; the title names both variables.
TEST(SelectionJob, KeepAllCopiesTheTable) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    ASSERT_EQ(select(dir, "in.vt", "out.vt", {"1,2,3", "1,2"}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 2u);
    EXPECT_EQ(t.heading, 1u);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"North", "South", "East"}));
    EXPECT_EQ(t.vars[1].elimination, 1);
    EXPECT_EQ(t.vars[1].values[1].precision, 2);
    EXPECT_EQ(cells(t), (std::vector<double>{1, 2, 3, 4, 5, 6.25}));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"north note", "south men"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{0, 1}));
    EXPECT_EQ(t.vars[1].cellnote_refs, (vt::cell_ref_list{vt::any_value, 0}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"E"}));
    EXPECT_EQ(t.title, (vt::text_list{"Pop by region and sex"}));
}

// A variable without a list and with ELIMINATION YES is summed away; the
// decimals rise to the largest PRECISION among its values; a note that
// names one of its values is dropped, one with "*" stays.
TEST(SelectionJob, EliminationSumRaisesDecimals) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    ASSERT_EQ(select(dir, "in.vt", "out.vt", {"1,3", ""}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 1u);
    EXPECT_FALSE(t.has_heading());
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"North", "East"}));
    EXPECT_EQ(t.decimals, 2);
    EXPECT_EQ(cells(t), (std::vector<double>{3, 11.25}));
    EXPECT_EQ(t.cellnote_texts, (vt::text_list{"north note"}));
    EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{0}));
    EXPECT_TRUE(t.datanotecell_texts.empty());
    // The written cells keep the raised decimals.
    EXPECT_NE(dir.read("out.vt").find("DATA=\n3.00 \n11.25;"), std::string::npos) << dir.read("out.vt");
    // A subset of a summable variable is no longer summable to its total.
    ASSERT_EQ(select(dir, "in.vt", "out2.vt", {"", "2"}), 0);
    vt::table u = read_back(dir.file("out2.vt"));
    ASSERT_EQ(u.vars.size(), 1u);
    EXPECT_EQ(u.vars[0].elimination, 0);
    EXPECT_EQ(cells(u), (std::vector<double>{12.25}));
    EXPECT_EQ(u.decimals, 0);  // region has no PRECISION
}

// A variable whose ELIMINATION names a value is taken at that value.
TEST(SelectionJob, EliminationValueIsTaken) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
              "VALUES(\"region\")=\"A\",\"Total\",\"B\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
              "ELIMINATION(\"region\")=\"Total\";\nPRECISION(\"region\",\"B\")=3;\n"
              "DATA=\n1 2 \n10 20 \n4 5;\n");
    ASSERT_EQ(select(dir, "in.vt", "out.vt", {nullptr, "2"}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 1u);
    EXPECT_EQ(*t.vars[0].name, "year");
    EXPECT_EQ(cells(t), (std::vector<double>{20}));
    EXPECT_EQ(t.decimals, 0);  // only the elimination value's PRECISION counts
}

// Cells holding symbols add by the symbol rules, in the streamed path and
// in memory alike.
TEST(SelectionJob, SymbolSums) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"row\";\nHEADING=\"part\";\n"
              "VALUES(\"row\")=\"r1\",\"r2\",\"r3\",\"r4\";\nVALUES(\"part\")=\"p1\",\"p2\";\n"
              "DATA=\n\".\" 4 \n\".\" \"..\" \n\"-\" 5 \n\"-\" \"-\";\n");
    ASSERT_EQ(select(dir, "in.vt", "out.vt", {"1,2,3,4", ""}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    const std::vector<double> c = cells(t);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0], -1e19);
    EXPECT_EQ(c[1], -1e25);
    EXPECT_DOUBLE_EQ(c[2], 5);
    EXPECT_TRUE(c[3] > 0 && c[3] < 1e-24);  // two nils are still a nil
    EXPECT_NE(dir.read("out.vt").find("DATA=\n\".\" \n\".......\" \n5 \n\"-\";"), std::string::npos) << dir.read("out.vt");
}

TEST(Compute, SymbolSumRules) {
    EXPECT_EQ(vt::symbol_sum(0, 2.5), 2.5);
    EXPECT_EQ(vt::symbol_sum(-1e19, 7), -1e19);
    EXPECT_EQ(vt::symbol_sum(7, -1e21), -1e21);
    EXPECT_EQ(vt::symbol_sum(-1e20, -1e20), -1e20);
    EXPECT_EQ(vt::symbol_sum(-1e20, -1e19), -1e25);
    EXPECT_EQ(vt::symbol_sum(5, vt::nil_value), 5 + vt::nil_value);
    EXPECT_EQ(vt::symbol_sum(-1.05e19, 3), -1e19);  // drifted sentinels still count
    const std::string dots = ".......", other = "x";
    EXPECT_EQ(vt::quoted_token_value(dots.data(), dots.data() + 3), -1e21);
    EXPECT_EQ(vt::quoted_token_value(dots.data(), dots.data() + 7), -1e25);
    EXPECT_EQ(vt::quoted_token_value(other.data(), other.data() + 1), 0);
}

// The streamed path (no data in memory) and the in-memory path give the
// same cells for a three-variable selection with eliminations.
TEST(Compute, StreamedAndInMemoryAgree) {
    std::string text =
        "CHARSET=\"ANSI\";\nDECIMALS=1;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=\"a\",\"b\";\nHEADING=\"c\";\n"
        "VALUES(\"a\")=\"a1\",\"a2\",\"a3\";\nVALUES(\"b\")=\"b1\",\"b2\",\"b3\",\"b4\";\n"
        "VALUES(\"c\")=\"c1\",\"c2\",\"c3\",\"c4\",\"c5\";\nELIMINATION(\"b\")=YES;\nDATA=\n";
    for (int i = 0; i < 60; ++i) text += (i % 17 == 5 ? std::string("\".\"") : std::to_string(i * 1.5)) + " ";
    // A token split by a line break is still one token.
    text.replace(text.find(" 9.000000 "), 10, " 9\n.000 ");
    text += ";";
    vt::bearb req;
    vt::request_entry a;
    a.name = "a";
    a.values = {"a1", "a3"};
    vt::request_entry c;
    c.name = "c";
    c.values = {"c2", "c4", "c5"};
    req.entries = {a, c};

    vt::in_file f1;
    f1.open_memory(text);
    vt::table s1 = vt::table_new();
    ASSERT_EQ(vt::metain(f1, s1), 0);
    vt::table streamed;
    ASSERT_EQ(vt::berakna(s1, req, &f1, streamed), 0);
    EXPECT_EQ(s1.data(), nullptr);  // the source was never loaded

    vt::in_file f2;
    f2.open_memory(text);
    vt::table s2 = vt::table_new();
    ASSERT_EQ(vt::metain(f2, s2), 0);
    ASSERT_EQ(vt::read_data(s2, f2), 0);
    vt::table loaded;
    ASSERT_EQ(vt::berakna(s2, req, nullptr, loaded), 0);
    EXPECT_EQ(cells(streamed), cells(loaded));
    // Source cell a*20 + b*5 + c holds 1.5 times its index, or "." for the
    // indexes 5, 22, 39 and 56; b is summed.
    ASSERT_EQ(cells(loaded).size(), 6u);
    EXPECT_DOUBLE_EQ(cells(loaded)[0], (1 + 6 + 11 + 16) * 1.5);  // a1, c2
    EXPECT_DOUBLE_EQ(cells(loaded)[1], (3 + 8 + 13 + 18) * 1.5);  // a1, c4
    EXPECT_EQ(cells(loaded)[3], -1e19);                            // a3, c2 holds cell 56
    EXPECT_EQ(loaded.heading, 1u);
}

// Lists the table cannot serve are refused with their own codes and
// nothing is written.
TEST(SelectionJob, RefusedSelections) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    for (const char* bad : {"2,1", "1,1", "0", "4", "x", "1;2"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(select(dir, "in.vt", "out.vt", {bad, "1"}), vt::codes::op_bad_list);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    }
    // Empty items are skipped.
    EXPECT_EQ(select(dir, "in.vt", "out.vt", {",1,,3,", "1"}), 0);
    std::filesystem::remove(dir.file("out.vt"));
    // A list for a variable the table does not have.
    EXPECT_EQ(select(dir, "in.vt", "out.vt", {"1", "1", "1"}), vt::codes::op_bad_list);
    // Nothing kept at all.
    EXPECT_EQ(select(dir, "in.vt", "out.vt", {"", nullptr}), vt::codes::op_nothing_kept);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
    // The input cannot be opened; the reader's own code reaches the caller
    // (132: SUBJECT-AREA= is missing).
    EXPECT_EQ(select(dir, "none.vt", "out.vt", {"1"}), 400);
    dir.write("bad.vt", "MATRIX=\"x\";\nDATA=\n1;\n");
    EXPECT_EQ(select(dir, "bad.vt", "out.vt", {"1"}), 132);
    // No output file can be made.
    EXPECT_EQ(select(dir, "in.vt", "no/such/dir/out.vt", {"1"}), 400);
}

// The output never replaces the input, whatever name it goes by.
TEST(SelectionJob, OutputNeverOverwritesInput) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    std::filesystem::create_hard_link(dir.file("in.vt"), dir.file("hard.vt"));
    std::filesystem::create_symlink(dir.file("in.vt"), dir.file("link.vt"));
    for (const char* out : {"in.vt", "hard.vt", "link.vt"}) {
        EXPECT_EQ(select(dir, "in.vt", out, {"1"}), vt::codes::op_same_file);
        EXPECT_EQ(dir.read("in.vt"), region_sex);
    }
}

// Keep_description 0 drops a DESCRIPTION that is not the default title.
TEST(SelectionJob, DescriptionKeptOrDropped) {
    vt::test::temp_dir dir;
    std::string text = region_sex;
    text.insert(text.find("TITLE="), "DESCRIPTION=\"Described\";\n");
    dir.write("in.vt", text);
    ASSERT_EQ(select(dir, "in.vt", "a.vt", {"1"}, 1), 0);
    EXPECT_EQ(read_back(dir.file("a.vt")).description, (vt::text_list{"Described"}));
    ASSERT_EQ(select(dir, "in.vt", "b.vt", {"1"}, 0), 0);
    EXPECT_TRUE(read_back(dir.file("b.vt")).description.empty());
}

// A keyed source is read in memory; the result is written in full form.
TEST(SelectionJob, KeyedSource) {
    vt::test::temp_dir dir;
    dir.write("in.vt",
              "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
              "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
              "VALUES(\"region\")=\"A\",\"B\";\nVALUES(\"year\")=\"2001\",\"2002\";\n"
              "KEYS(\"region\")=VALUES;\nDATA=\n\"B\",7 8\n;\n");
    ASSERT_EQ(select(dir, "in.vt", "out.vt", {"1,2", "2"}), 0);
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(cells(t), (std::vector<double>{0, 8}));
    EXPECT_EQ(dir.read("out.vt").find("KEYS"), std::string::npos);
}

// No memory for the target cells: 200, nothing written.
TEST(SelectionJob, NoMemoryForTheCells) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    vt::plat::refuse_data_blocks(true);
    const int rc = select(dir, "in.vt", "out.vt", {"1"});
    vt::plat::refuse_data_blocks(false);
    EXPECT_EQ(rc, 200);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));
}

TEST(Compute, UnsupportedOperationIsRefused) {
    vt::table s = vt::table_new();
    vt::table out;
    vt::bearb req;
    req.op = 999;
    EXPECT_EQ(vt::berakna(s, req, nullptr, out), vt::codes::op_not_supported);
}

namespace {

}  // namespace

// An INI job: [VarN] lists, ELIM, the title words of [Texts].
TEST(SelectionJob, VtbatchIniJob) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    dir.write("q.ini",
              "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=selvalues\n"
              "[Texts]\nText1=and\nText2=by\n[Data]\nNoOfVar=2\n[Var1]\nValue1=2\nValue2=3\n[Var2]\nValue1=ELIM\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "selvalues ended OK ");
    vt::table t = read_back(dir.file("out.vt"));
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"South", "East"}));
    EXPECT_EQ(cells(t), (std::vector<double>{7, 11.25}));
    // A refused list is logged with its code.
    dir.write("q2.ini",
              "[Files]\nInfile=in.vt\nOutfile=out2.vt\nErrorfile=err.txt\n[Query]\nFunction=selvalues\n"
              "[Data]\nNoOfVar=1\n[Var1]\nValue1=3\nValue2=1\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q2.ini"), vt::codes::op_bad_list);
    EXPECT_EQ(dir.read("err.txt"), "Error from selvalues: 81");
}

// An XML "selection" step looks values up by text and runs the selection.
TEST(SelectionJob, VtbatchXmlStep) {
    vt::test::temp_dir dir;
    dir.write("in.vt", region_sex);
    dir.write("q.xml",
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n"
              "<vtquery step=\"1\">\n<function>selection</function>\n<infile>in.vt</infile>\n"
              "<outfile>out.vt</outfile>\n<errorfile>err.txt</errorfile>\n<noofvar>2</noofvar>\n"
              "<variable order=\"1\" name=\"region\">\n<value order=\"1\">East</value>\n</variable>\n"
              "<variable order=\"2\" name=\"sex\">\n<value order=\"1\">*</value>\n</variable>\n"
              "</vtquery>\n</vtqueries>\n");
    ASSERT_EQ(vt::test::run_vtbatch(dir, "q.xml"), 0);
    vt::table t = read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 2u);
    EXPECT_EQ(texts(t.vars[0]), (std::vector<std::string>{"East"}));
    EXPECT_EQ(cells(t), (std::vector<double>{5, 6.25}));
    EXPECT_EQ(t.datanotecell_texts, (vt::text_list{"E"}));
}
