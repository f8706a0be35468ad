// The XML query reader: the jobs it builds from each step, the scanning
// rules, the value lookups of the selection steps and the run of a chain.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "../platform/temp_dir.h"
#include "batch/driver.h"
#include "batch/functions.h"
#include "batch/xml_query.h"
#include "core/reader.h"

namespace {

using vt::batch::job;
using vt::batch::xml_step;

const std::string population = std::string(VT_TEST_DATA) + "/population.vt";

// One step of a query.
std::string step(int n, const std::string& fn, const std::string& body, const std::string& in = "in.vt",
                 const std::string& out = "out.txt", const std::string& err = "err.txt") {
    return "<vtquery step=\"" + std::to_string(n) + "\">\n<function>" + fn + "</function>\n<infile>" + in +
           "</infile>\n<outfile>" + out + "</outfile>\n<errorfile>" + err + "</errorfile>\n" + body +
           "</vtquery>\n";
}

std::string query(const std::string& header, const std::string& steps) {
    return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n" + header + steps + "</vtqueries>\n";
}

std::vector<xml_step> parse(const vt::test::temp_dir& dir, const std::string& text) {
    std::vector<xml_step> steps;
    EXPECT_EQ(vt::batch::read_xml_query(dir.write("q.xml", text), steps), 0);
    return steps;
}

// A selection-type step over the sample table (region, sex, year; year is
// the time variable with three values).
std::string selection_step(const std::string& fn, const std::string& body) {
    return step(1, fn, body, population, "out.vt");
}

std::string block(int k, const std::string& name, const std::string& inner) {
    return "<variable order=\"" + std::to_string(k) + "\" name=\"" + name + "\">\n" + inner + "</variable>\n";
}

std::string values(std::initializer_list<const char*> vs) {
    std::string out;
    int i = 0;
    for (const char* v : vs) out += "<value order=\"" + std::to_string(++i) + "\">" + v + "</value>\n";
    return out;
}

}  // namespace

// Every function name of the XML query becomes the job of its routine.
TEST(XmlQueryParse, EveryFunctionMapsToItsJob) {
    struct row {
        const char* name;
        const char* routine;
        std::string body;
        std::function<void(const job&)> check;
    };
    const std::vector<row> rows = {
        {"pivotmanual", "pivotmanual", "<stuborder>2,1</stuborder>\n<headorder>3</headorder>\n",
         [](const job& j) { EXPECT_EQ(j.edit.stub_order, "2,1"); EXPECT_EQ(j.edit.head_order, "3"); }},
        {"pivotauto", "pivotauto", "<pivotoption>2</pivotoption>\n",
         [](const job& j) { EXPECT_EQ(j.edit.pivot_alt, 2); }},
        {"valueorder", "valueorder",
         "<variable name=\"sex\">\n<value order=\"1\" from=\"3\">total</value>\n"
         "<value order=\"2\" from=\"1\">men</value>\n<value order=\"10\" from=\"12\">x</value>\n</variable>\n",
         [](const job& j) { EXPECT_EQ(j.edit.variable, "sex"); EXPECT_EQ(j.edit.value_list, "3,1,12"); }},
        {"decimals", "decimals", "<decimals>2</decimals>\n", [](const job& j) { EXPECT_EQ(j.decimals, "2"); }},
        {"chgtexts", "chgtexts",
         "<contentstext>People</contentstext>\n<unittext>heads</unittext>\n<variables>\n<noofvar>2</noofvar>\n"
         "<variable order=\"1\">Area</variable>\n<variable order=\"2\">Gender</variable>\n</variables>\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.contentstext, "People");
             EXPECT_EQ(j.edit.unittext, "heads");
             EXPECT_EQ(j.edit.no_of_var, 2);
             EXPECT_EQ(j.edit.variable_texts, "Area;Gender;");
         }},
        {"excel", "excel",
         "<completeinfo>2</completeinfo>\n<doublecolumn>1</doublecolumn>\n<datanote>1</datanote>\n"
         "<decimals>3</decimals>\n",
         [](const job& j) {
             EXPECT_EQ(j.completeinfo, 2);
             EXPECT_EQ(j.doublecolumn, 1);
             EXPECT_EQ(j.excel.datanote, 1);
             EXPECT_EQ(j.excel.decimals, 3);
             EXPECT_EQ(j.textfile, "*");
         }},
        {"asp", "asp",
         "<uppercase>1</uppercase>\n<decimalpoint>,</decimalpoint>\n<stubtype>2</stubtype>\n<nozero>3</nozero>\n"
         "<thousand>1</thousand>\n<guilanguage>sv</guilanguage>\n<completeinfo>9</completeinfo>\n"
         "<doublecolumn>1</doublecolumn>\n<datanoteoption>1</datanoteoption>\n",
         [](const job& j) {
             EXPECT_EQ(j.asp.uppercase, "1");
             EXPECT_EQ(j.decimalpoint, ",");
             EXPECT_EQ(j.stubtype, 2);
             EXPECT_EQ(j.nozero, 3);
             EXPECT_EQ(j.thousand, 1);
             EXPECT_EQ(j.asp.guilang, "sv");
             EXPECT_EQ(j.asp.vtlang, "en");
             EXPECT_EQ(j.completeinfo, 9);
             EXPECT_EQ(j.datanote_place, 1);
         }},
        {"XMLC1", "XMLC", "<incDtd>1</incDtd>\n",
         [](const job& j) { EXPECT_EQ(j.xml.xml_type, 1); EXPECT_EQ(j.xml.inc_dtd, 1); EXPECT_EQ(j.xml.language, "en"); }},
        {"XMLC2", "XMLC", "", [](const job& j) { EXPECT_EQ(j.xml.xml_type, 2); }},
        {"XMLC3", "XMLC", "", [](const job& j) { EXPECT_EQ(j.xml.xml_type, 3); }},
        {"SDMX", "SDMX", "", [](const job& j) { EXPECT_EQ(j.xml.xml_type, 0); EXPECT_EQ(j.xml.language, "en"); }},
        {"text", "text",
         "<rowlength>80</rowlength>\n<pagelength>60</pagelength>\n<marglength>4</marglength>\n"
         "<decimalpoint>,</decimalpoint>\n<doublecolumn>1</doublecolumn>\n<completeinfo>1</completeinfo>\n"
         "<thousand>1</thousand>\n",
         [](const job& j) {
             EXPECT_EQ(j.rowlength, 80);
             EXPECT_EQ(j.pagelength, 60);
             EXPECT_EQ(j.marglength, 4);
             EXPECT_EQ(j.decimalpoint, ",");
             EXPECT_EQ(j.thousand, 1);
             EXPECT_EQ(j.datanote_place, 0);
             EXPECT_EQ(j.textfile, "*");
         }},
        {"dbase1", "dbase1", "", [](const job& j) { EXPECT_EQ(j.unit_var, "unit"); }},
        {"dbase2", "dbase2", "", [](const job&) {}},
        {"dbase3", "dbase3", "", [](const job&) {}},
        {"dbase4", "dbase4", "<doublecolumn>1</doublecolumn>\n<completeinfo>1</completeinfo>\n",
         [](const job& j) { EXPECT_EQ(j.doublecolumn, 1); EXPECT_EQ(j.completeinfo, 1); }},
        {"graph", "graph", "<decimalpoint>,</decimalpoint>\n<delimiter>;</delimiter>\n<iteration>2</iteration>\n",
         [](const job& j) {
             EXPECT_EQ(j.decimalpoint, ",");
             EXPECT_EQ(j.delimited.textdelim, ";");
             EXPECT_EQ(j.delimited.iteration, 2);
         }},
        {"matrix", "matrix", "<delimiter>|</delimiter>\n", [](const job& j) { EXPECT_EQ(j.delimited.textdelim, "|"); }},
        {"lotus", "lotus", "", [](const job&) {}},
        {"html1", "html1", "", [](const job& j) { EXPECT_EQ(j.datanote_place, 0); }},
        {"html2", "html2", "", [](const job&) {}},
        {"prnmatrix", "prnmatrix", "<delimiter>tab</delimiter>\n", [](const job& j) { EXPECT_EQ(j.delim, "\t"); }},
        {"prntable", "prntable", "<delimiter>TAB</delimiter>\n", [](const job& j) { EXPECT_EQ(j.delim, "TAB"); }},
        {"reltable", "reltable", "<delimiter>;</delimiter>\n<decimalpoint>,</decimalpoint>\n<iteration>1</iteration>\n",
         [](const job& j) { EXPECT_EQ(j.delimited.textdelim, ";"); EXPECT_EQ(j.delimited.iteration, 1); }},
        {"vtfile", "vtfile",
         "<keys>1</keys>\n<descript>D</descript>\n<subject>S</subject>\n<contents>C</contents>\n",
         [](const job& j) {
             EXPECT_EQ(j.vtfile.keys, "1");
             EXPECT_EQ(j.vtfile.descript, "D");
             EXPECT_EQ(j.vtfile.subject, "S");
             EXPECT_EQ(j.vtfile.contents, "C");
             EXPECT_EQ(j.vtfile.descdefault, "0");
         }},
        {"vardelete", "vardelete", "<variable>sex</variable>\n<titleadd>, all</titleadd>\n<sum>1,2</sum>\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.variable, "sex");
             EXPECT_EQ(j.edit.titleadd, ", all");
             EXPECT_EQ(j.edit.value_list, "1,2");
             EXPECT_EQ(j.edit.remove, 0);
         }},
        {"vardelete", "vardelete", "<remove>3</remove>\n",
         [](const job& j) { EXPECT_EQ(j.edit.value_list, "3"); EXPECT_EQ(j.edit.remove, 1); }},
        {"textcode", "textcode", "<textcodeoptions>TCBX</textcodeoptions>\n",
         [](const job& j) { EXPECT_EQ(j.edit.textcode_options, "1230000000000000"); }},
        {"filecalculation", "filecalc",
         "<matchfile>m.vt</matchfile>\n<newvalue1>A</newvalue1>\n<newcode1>a</newcode1>\n<newvalue2>B</newvalue2>\n"
         "<newvar>Kind</newvar>\n<operation>overlaytab</operation>\n<includeexclude>include</includeexclude>\n",
         [](const job& j) {
             EXPECT_EQ(j.filecalc.constant_flag, 0);
             EXPECT_EQ(j.filecalc.matchfile, "m.vt");
             EXPECT_EQ(j.filecalc.newvalues[0], "A#a");
             EXPECT_EQ(j.filecalc.newvalues[1], "B#");
             EXPECT_EQ(j.filecalc.newvar, "Kind");
             EXPECT_EQ(j.filecalc.option, 71);
             EXPECT_EQ(j.filecalc.incl_excl, "m");
         }},
        {"filecalculation", "filecalc", "<operation>divide</operation>\n<includeexclude>x</includeexclude>\n",
         [](const job& j) {
             EXPECT_EQ(j.filecalc.constant_flag, 1);
             EXPECT_EQ(j.filecalc.constant, "1");
             EXPECT_EQ(j.filecalc.option, 44);
             EXPECT_EQ(j.filecalc.incl_excl, "u");
         }},
    };
    const std::string header =
        "<vtlangsuffix>en</vtlangsuffix>\n<text id=\"and\">and</text>\n<text id=\"by\">by</text>\n"
        "<text id=\"dist\">dist</text>\n<text id=\"unit\">unit</text>\n";
    vt::test::temp_dir dir;
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + ": " + r.body);
        const auto steps = parse(dir, query(header, step(1, r.name, r.body, "a.vt", "b.out", "e.txt")));
        ASSERT_EQ(steps.size(), 1u);
        const xml_step& st = steps[0];
        EXPECT_EQ(st.stop, 0);
        EXPECT_TRUE(st.runs);
        EXPECT_EQ(st.name, r.name);
        EXPECT_EQ(st.j.function, r.routine);
        EXPECT_TRUE(vt::batch::known_function(st.j.function));
        EXPECT_EQ(st.j.infile, "a.vt");
        EXPECT_EQ(st.j.outfile, "b.out");
        EXPECT_EQ(st.j.errorfile, "e.txt");
        EXPECT_EQ(st.j.text_words, "and;by;dist;unit");
        r.check(st.j);
    }
}

// The two split functions read their settings from the step.
TEST(XmlQueryParse, SplitStepsCarryTheirElements) {
    vt::test::temp_dir dir;
    const std::string body =
        "<variablename>Time</variablename>\n<noofperiods>8</noofperiods>\n<firstyear>2001</firstyear>\n"
        "<yeartext>Year</yeartext>\n<quartertext>Quarter</quartertext>\n<quarter1>Q1</quarter1>\n"
        "<quarter4>Q4</quarter4>\n<monthtext>Month</monthtext>\n<month12>Dec</month12>\n";
    const auto steps = parse(dir, query("", step(1, "SplitQuarters", body) + step(2, "splitmonths", "")));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].j.function, "splitquarters");
    EXPECT_EQ(steps[0].name, "SplitQuarters");
    const auto& a = steps[1].j.split;  // carried over into the next step
    EXPECT_EQ(steps[1].j.function, "splitmonths");
    EXPECT_EQ(a.variablename, "Time");
    EXPECT_EQ(a.noofperiods, "8");
    EXPECT_EQ(a.firstyear, "2001");
    EXPECT_EQ(a.quarters[0], "Q1");
    EXPECT_EQ(a.quarters[3], "Q4");
    EXPECT_EQ(a.months[11], "Dec");
}

TEST(XmlQueryParse, SettingsPersistAcrossSteps) {
    vt::test::temp_dir dir;
    const std::string header =
        "<rounding>10</rounding>\n<secrecy>1</secrecy>\n<symbol1>a</symbol1>\n<symbol2>b</symbol2>\n"
        "<symbol3>c</symbol3>\n<symbol4>d</symbol4>\n<symbol5>e</symbol5>\n<symbol6>f</symbol6>\n"
        "<symbol7>g</symbol7>\n<symbolnil>0</symbolnil>\n";
    const auto steps = parse(dir, query(header, step(1, "text", "<decimalpoint>,</decimalpoint>\n") +
                                                    step(2, "text", "<rowlength>70</rowlength>\n") +
                                                    step(3, "XMLC2", "") + step(4, "SDMX", "")));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[1].j.decimalpoint, ",");
    EXPECT_EQ(steps[1].j.rowlength, 70);
    EXPECT_EQ(steps[0].j.rowlength, 100);  // the default until a step gives one
    EXPECT_EQ(steps[1].j.rounding, 1);
    EXPECT_EQ(steps[1].j.symbol_list, "a;b;c;d;e;f;g;0;");
    EXPECT_EQ(steps[3].j.xml.xml_type, 2);  // SDMX takes the type of the XMLC step before it

    // Without symbol elements the usual texts stand; an element read only
    // by another function is not taken up by this one.
    const auto plain = parse(dir, query("<rounding>01</rounding>\n", step(1, "text", "<delimiter>;</delimiter>\n") +
                                                                         step(2, "prnmatrix", "")));
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].j.rounding, 0);
    EXPECT_EQ(plain[0].j.symbol_list, ".;..;...;....;.....;......;.......;-;");
    EXPECT_EQ(plain[1].j.delim, " ");
}

TEST(XmlQueryScan, ElementsAreReadOnePerLine) {
    vt::test::temp_dir dir;
    // Indented elements, content kept as written (blanks, entities), an
    // element split over two lines, a mis-cased element name, a comment.
    const std::string body =
        "    <contentstext> A &amp; B </contentstext>\n"
        "\t<unittext>persons in\nthousands</unittext>\n"
        "<!-- <unittext>ignored</unittext> -->\n"
        "<ContentsText>ignored</ContentsText>\n";
    const auto steps = parse(dir, query("", step(1, "chgtexts", body)));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].j.edit.contentstext, " A &amp; B ");
    EXPECT_EQ(steps[0].j.edit.unittext, "persons in");

    // CR LF line ends read the same; elements written together on a line
    // are all found.
    const auto crlf = parse(dir, "<vtquery step=\"1\"><function>decimals</function><infile>a</infile>\r\n"
                                 "<outfile>b</outfile><errorfile>e</errorfile>\r\n<decimals>4</decimals>\r\n");
    ASSERT_EQ(crlf.size(), 1u);
    EXPECT_EQ(crlf[0].j.decimals, "4");
    EXPECT_EQ(crlf[0].j.outfile, "b");
}

TEST(XmlQueryScan, StepsAndFunctionNames) {
    vt::test::temp_dir dir;
    // A step without errorfile takes in the next step's header; the header
    // only ends at step 1.
    auto steps = parse(dir, query("<vtquery step=\"2\">\n",
                                  "<vtquery step=\"1\">\n<function>lotus</function>\n<infile>x</infile>\n"
                                  "<outfile>y</outfile>\n<rounding>1</rounding>\n</vtquery>\n" +
                                      step(2, "html1", "")));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].name, "html1");
    EXPECT_EQ(steps[0].j.infile, "in.vt");
    EXPECT_EQ(steps[0].j.rounding, 0);

    // Names compare in any case, except that the selection functions must
    // be lower case to run; an unknown name reads nothing and runs nothing.
    steps = parse(dir, query("", step(1, "HTML2", "") + step(2, "kml", "<delimiter>;</delimiter>\n") +
                                     selection_step("Selection", "<noofvar>0</noofvar>\n")));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_TRUE(steps[0].runs);
    EXPECT_EQ(steps[0].name, "HTML2");
    EXPECT_FALSE(steps[1].runs);
    EXPECT_FALSE(steps[2].runs);
    EXPECT_EQ(steps[2].stop, 0);
    EXPECT_EQ(steps[2].j.function, "selvalues");

    // A file that ends inside a step header gives no step; an empty file none.
    EXPECT_TRUE(parse(dir, query("", "<vtquery step=\"1\">\n<function>text</function>\n")).empty());
    EXPECT_TRUE(parse(dir, "").empty());
    std::vector<xml_step> none;
    EXPECT_EQ(vt::batch::read_xml_query(dir.file("missing.xml"), none), 400);
}

TEST(XmlQuerySelection, ValuesAreLookedUpByTextOrCode) {
    vt::test::temp_dir dir;
    const std::string body = "<keepdescription>1</keepdescription>\n<noofvar>3</noofvar>\n" +
                             block(1, "region", "<valuespecification>code</valuespecification>\n" +
                                                    values({"03", "01"})) +
                             block(2, "sex", values({"women", "elimination", "total"})) +
                             block(3, "year", values({"*"}));
    const auto steps = parse(dir, query("<secrecy>1</secrecy>\n<vtlangsuffix>  </vtlangsuffix>\n",
                                        selection_step("selection", body)));
    ASSERT_EQ(steps.size(), 1u);
    const auto& a = steps[0].j.selection;
    EXPECT_EQ(steps[0].stop, 0);
    EXPECT_EQ(a.lists[0], "3,1");
    EXPECT_EQ(a.lists[1], "3");
    EXPECT_EQ(a.lists[2], "1,2,3");
    EXPECT_FALSE(a.lists[3].has_value());
    EXPECT_EQ(a.no_of_var, 3);
    EXPECT_EQ(a.descr, 1);
    EXPECT_EQ(a.secrecy, 1);
    EXPECT_EQ(a.vtlang, "");

    // An aggregation names its groups instead of looking values up.
    const std::string agg = "<noofvar>1</noofvar>\n" +
                            block(1, "region", "<aggreg>parts</aggreg>\n" + values({"North", "Other"}));
    const auto asteps = parse(dir, query("", selection_step("aggregation", "<classcat>c.agg</classcat>\n" + agg)));
    ASSERT_EQ(asteps.size(), 1u);
    EXPECT_EQ(asteps[0].j.function, "aggvalues");
    EXPECT_EQ(asteps[0].j.selection.lists[0], "A;parts;North,Other");
    EXPECT_EQ(asteps[0].j.selection.classcat, "c.agg");
}

// With a language suffix the names and texts of that language are looked
// up; the reader's language is left as it was.
TEST(XmlQuerySelection, LookupInTheQueryLanguage) {
    vt::test::temp_dir dir;
    std::string table;
    {
        std::ifstream in(population, std::ios::binary);
        table.assign(std::istreambuf_iterator<char>(in), {});
    }
    table.insert(table.find("DATA="),
                 "LANGUAGES=\"en\",\"sv\";\nSUBJECT-AREA[sv]=\"Befolkning\";\nDESCRIPTION[sv]=\"F\";\n"
                 "TITLE[sv]=\"F\";\nCONTENTS[sv]=\"F\";\nUNITS[sv]=\"personer\";\n"
                 "STUB[sv]=\"region\",\"k\xf6n\";\nHEADING[sv]=\"\xe5r\";\n"
                 "VALUES[sv](\"region\")=\"Norr\",\"S\xf6" "der\",\"\xd6ster\";\n"
                 "VALUES[sv](\"k\xf6n\")=\"m\xe4n\",\"kvinnor\",\"totalt\";\n"
                 "VALUES[sv](\"\xe5r\")=\"2003\",\"2004\",\"2005\";\n");
    const std::string in = dir.write("lang.vt", table);
    const std::string body = "<noofvar>2</noofvar>\n" + block(1, "region", values({"\xd6ster"})) +
                             block(2, "k\xf6n", values({"kvinnor"}));
    const auto steps = parse(dir, query("<vtlangsuffix>sv</vtlangsuffix>\n", step(1, "selection", body, in, "o.vt")));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].stop, 0);
    EXPECT_EQ(steps[0].j.selection.lists[0], "3");
    EXPECT_EQ(steps[0].j.selection.lists[1], "2");
    EXPECT_EQ(steps[0].j.selection.vtlang, "sv");
    EXPECT_EQ(vt::reader_state().selected_language, "");
    // Without the suffix the same names are unknown.
    const auto plain = parse(dir, query("", step(1, "selection", body, in, "o.vt")));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].stop, 715);
}

TEST(XmlQuerySelection, TimeOptionsReplaceTheTimeList) {
    vt::test::temp_dir dir;
    struct row {
        int option;
        std::initializer_list<const char*> vals;
        const char* list;
    };
    const row rows[] = {{1, {"2003"}, "3"}, {2, {"2003", "2004"}, "2,3"}, {3, {"2004", "2003"}, "2,3"},
                        {5, {"2004"}, "2"}, {0, {"2005", "2003"}, "3,1"}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.option);
        const std::string body = "<timeoption>" + std::to_string(r.option) + "</timeoption>\n<noofvar>3</noofvar>\n" +
                                 block(1, "region", values({"North"})) + block(2, "sex", values({"men"})) +
                                 block(3, "year", values(r.vals));
        const auto steps = parse(dir, query("", selection_step("selection", body)));
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(steps[0].j.selection.lists[2], r.list);
        EXPECT_EQ(steps[0].j.selection.lists[0], "1");
        EXPECT_EQ(steps[0].j.selection.time_var, 3);
    }
}

TEST(XmlQuerySelection, BadBlocksEndTheRun) {
    vt::test::temp_dir dir;
    struct row {
        std::string body;
        int code;
        bool log;
    };
    const std::vector<row> rows = {
        {"<noofvar>2</noofvar>\n" + block(2, "sex", values({"men"})) + block(1, "region", values({"North"})), 716,
         false},
        {"<noofvar>1</noofvar>\n<variable order=\"1\" nam=\"sex\">\n", 716, false},
        {"<noofvar>2</noofvar>\n" + block(1, "region", values({"North"})), 716, false},
        {"<noofvar>1</noofvar>\n" + block(1, "Sex", values({"men"})), 714, false},
        {"<noofvar>1</noofvar>\n" + block(1, "sex", values({"men", "Men"})), 715, false},
        {"<noofvar>1</noofvar>\n" + block(1, "region", "<valuespecification>code</valuespecification>\n" +
                                                           values({"North"})),
         715, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.body);
        // The step after the failing one is never read.
        const auto steps = parse(dir, query("", selection_step("selection", r.body) + step(2, "html1", "")));
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(steps[0].stop, r.code);
        EXPECT_EQ(steps[0].log_stop, r.log);
        EXPECT_FALSE(steps[0].runs);
    }
    // The input table is missing (400) or broken (the reader's code, logged
    // under the function's name for a selection, not for a calculation).
    auto steps = parse(dir, query("", step(1, "selection", "", dir.file("none.vt"), "o.vt")));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].stop, 400);
    EXPECT_FALSE(steps[0].log_stop);
    const std::string broken = dir.write("broken.vt", "MATRIX=\"X\";\n");
    steps = parse(dir, query("", step(1, "aggregation", "", broken, "o.vt") + step(2, "html1", "")));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_GT(steps[0].stop, 0);
    EXPECT_NE(steps[0].stop, 400);
    EXPECT_TRUE(steps[0].log_stop);
    steps = parse(dir, query("", step(1, "calculation", "", broken, "o.vt")));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_FALSE(steps[0].log_stop);
}

TEST(XmlQueryCalculation, SettingsAndChecks) {
    vt::test::temp_dir dir;
    const std::string blocks = "<variable name=\"year\">\n" + values({"2005"}) + "</variable>\n" +
                               "<variable name=\"region\">\n" + values({"South", "East"}) + "</variable>\n";
    auto steps = parse(dir, query("", selection_step("calculation",
                                                     "<operation>permille</operation>\n"
                                                     "<includeexclude>include</includeexclude>\n"
                                                     "<newvalue>Share</newvalue>\n<newcode>S</newcode>\n"
                                                     "<betavalue>B</betavalue>\n<constant>2</constant>\n" +
                                                         blocks)));
    ASSERT_EQ(steps.size(), 1u);
    const auto& a = steps[0].j.selection;
    EXPECT_EQ(steps[0].j.function, "calcvalues");
    EXPECT_EQ(a.operation, 23);
    EXPECT_EQ(a.incl_excl, "m");
    EXPECT_EQ(a.newvalue, "Share#S");
    EXPECT_EQ(a.betavalue, "B");
    EXPECT_EQ(a.constant, "2");
    EXPECT_EQ(a.lists[0], "2,3");  // the table's position picks the list
    EXPECT_FALSE(a.lists[1].has_value());
    EXPECT_EQ(a.lists[2], "3");

    struct row {
        std::string body;
        int code;
    };
    const std::vector<row> rows = {
        {"<includeexclude>u</includeexclude>\n", 706},
        {"<operation>17</operation>\n", 707},
        {"<operation>17</operation>\n<includeexclude>i</includeexclude>\n", 708},
        {"<operation>subtract</operation>\n<includeexclude>exclude</includeexclude>\n", 711},
        {"<operation>14</operation>\n<includeexclude>e</includeexclude>\n<order>0</order>\n", 711},
        {"<operation>12</operation>\n<includeexclude>e</includeexclude>\n<order>1</order>\n", 0},
        {"<operation>17</operation>\n<includeexclude>e</includeexclude>\n<variable order=\"1\" name=\"sex\">\n", 716},
        {"<operation>17</operation>\n<includeexclude>e</includeexclude>\n<variable name=\"age\">\n", 714},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.body);
        steps = parse(dir, query("", selection_step("calculation", r.body)));
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(steps[0].stop, r.code);
        if (r.code == 0) {
            EXPECT_EQ(steps[0].j.selection.operation, 12);
        }
    }
}

namespace {

// Runs a query through run_xml_query; the error files are read back.
struct chain {
    vt::test::temp_dir dir;
    int run(const std::string& text) { return vt::batch::run_xml_query(dir.write("q.xml", text)); }
    std::string err(const std::string& name) const { return dir.read(name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
};

}  // namespace

TEST(XmlQueryRun, OutputNeverReplacesItsInput) {
    chain c;
    const std::string in = c.dir.write("in.vt", "MATRIX=\"X\";\n");
    std::filesystem::create_hard_link(in, c.dir.file("link.vt"));
    std::filesystem::create_symlink(in, c.dir.file("sym.vt"));
    for (const std::string& out : {c.dir.file("IN.vt"), c.dir.file("link.vt"), c.dir.file("sym.vt"),
                                  c.dir.path().string() + "/./in.vt"}) {
        SCOPED_TRACE(out);
        // The broken table would give a reader line if the second step ran.
        const std::string q = query("", step(1, "html1", "", in, out, c.dir.file("e1.txt")) +
                                            step(2, "selection", "", in, "o.vt", c.dir.file("e2.txt")));
        EXPECT_EQ(c.run(q), 713);
        EXPECT_EQ(c.err("e1.txt"), "Error from check: 713");
        EXPECT_FALSE(c.exists("e2.txt"));
        EXPECT_EQ(c.err("in.vt"), "MATRIX=\"X\";\n");
    }
}

TEST(XmlQueryRun, CodesAboveSevenHundredEndWithACheckLine) {
    chain c;
    const std::string e = c.dir.file("e.txt");
    EXPECT_EQ(c.run(query("", step(1, "selection", "<noofvar>1</noofvar>\n" + block(1, "age", ""), population,
                                   "o.vt", e))),
              714);
    EXPECT_EQ(c.err("e.txt"), "Error from check: 714");
    // A reader failure of a selection writes the function's own line.
    const std::string broken = c.dir.write("broken.vt", "MATRIX=\"X\";\n");
    const int rc = c.run(query("", step(1, "Selection", "", broken, "o.vt", e)));
    EXPECT_GT(rc, 0);
    EXPECT_EQ(c.err("e.txt"), "Error from Selection: " + std::to_string(rc));
    // Unknown functions and functions without a routine write nothing.
    std::filesystem::remove(e);
    EXPECT_EQ(c.run(query("", step(1, "kml", "", "a", "b", e) + step(2, "nosuch", "", "a", "b", e))), 0);
    EXPECT_FALSE(c.exists("e.txt"));
    EXPECT_EQ(c.run(""), 717);
    EXPECT_EQ(vt::batch::run_xml_query(c.dir.file("missing.xml")), 400);
}

// A failing step does not stop the chain: the next step runs and the last
// result is the run's result.
TEST(XmlQueryRun, FailedStepDoesNotStopTheChain) {
    ASSERT_NE(vt::batch::find_routine("text"), nullptr);
    chain c;
    const std::string q = query("", step(1, "text", "", c.dir.file("none.vt"), c.dir.file("o1.txt"), c.dir.file("e1.txt")) +
                                        step(2, "text", "", population, c.dir.file("o2.txt"), c.dir.file("e2.txt")));
    EXPECT_EQ(c.run(q), 0);
    EXPECT_EQ(c.err("e1.txt").rfind("Error from text: ", 0), 0u);
    EXPECT_EQ(c.err("e2.txt"), "text ended OK ");
    // Both steps writing to one error file leave the second line only.
    const std::string same = query("", step(1, "text", "", population, c.dir.file("o1.txt"), c.dir.file("e.txt")) +
                                           step(2, "TEXT", "", c.dir.file("none.vt"), c.dir.file("o2.txt"), c.dir.file("e.txt")));
    const int rc = c.run(same);
    EXPECT_GT(rc, 0);
    EXPECT_EQ(c.err("e.txt"), "Error from TEXT: " + std::to_string(rc));
}

TEST(XmlQueryRun, VtbatchHandsXmlQueriesOver) {
    vt::test::temp_dir dir;
    const std::string in = dir.write("in.vt", "MATRIX=\"X\";\n");
    dir.write("job.XML", query("", step(1, "html1", "", in, dir.file("IN.VT"), dir.file("e.txt"))));
    const std::string cmd = std::string("'") + VT_VTBATCH + "' '" + dir.file("job.XML") + "' >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 713 & 0xFF);
    EXPECT_EQ(dir.read("e.txt"), "Error from check: 713");
    EXPECT_EQ(dir.read("in.vt"), "MATRIX=\"X\";\n");

    dir.write("sel.xml", query("", step(1, "selection", "<noofvar>1</noofvar>\n" + block(1, "sex", values({"none"})),
                                        population, dir.file("o.vt"), dir.file("e.txt"))));
    const std::string cmd2 = std::string("'") + VT_VTBATCH + "' '" + dir.file("sel.xml") + "' >/dev/null 2>&1";
    const int status2 = std::system(cmd2.c_str());
    ASSERT_TRUE(WIFEXITED(status2));
    EXPECT_EQ(WEXITSTATUS(status2), 715 & 0xFF);
    EXPECT_EQ(dir.read("e.txt"), "Error from check: 715");

    // A variable the table lacks, and a variable block out of sequence.
    const struct {
        std::string blocks;
        int code;
    } checks[] = {
        {block(1, "colour", values({"red"})), 714},
        {block(2, "sex", values({"men"})) + block(1, "region", values({"North"})), 716},
    };
    for (const auto& c : checks) {
        dir.write("chk.xml", query("", step(1, "selection", "<noofvar>2</noofvar>\n" + c.blocks, population,
                                            dir.file("o.vt"), dir.file("e.txt"))));
        const std::string cmd3 = std::string("'") + VT_VTBATCH + "' '" + dir.file("chk.xml") + "' >/dev/null 2>&1";
        const int status3 = std::system(cmd3.c_str());
        ASSERT_TRUE(WIFEXITED(status3));
        EXPECT_EQ(WEXITSTATUS(status3), c.code & 0xFF) << c.code;
        EXPECT_EQ(dir.read("e.txt"), "Error from check: " + std::to_string(c.code));
    }
}
