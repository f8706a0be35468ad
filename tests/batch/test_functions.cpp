// The table of batch functions as a whole: the README lists exactly its
// rows, and every row runs through the vtbatch program from each query form
// it has: an available function ends OK on a sample table, one that is not
// available yet runs nothing, as an unknown name does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

#include "../platform/temp_dir.h"
#include "batch/driver.h"
#include "batch/functions.h"
#include "platform/datablock.h"

namespace {

using vt::batch::function_row;

// The blank-separated words of a list.
std::vector<std::string> words(const char* list) {
    std::istringstream in(list ? list : "");
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// The cells of a Markdown table line, trimmed.
std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 1;
    for (std::size_t bar; (bar = line.find('|', at)) != std::string::npos; at = bar + 1) {
        std::string c = line.substr(at, bar - at);
        c.erase(0, c.find_first_not_of(' '));
        c.erase(c.find_last_not_of(' ') + 1);
        out.push_back(c);
    }
    return out;
}

// What a function needs beyond the common settings to run on the sample
// table (region, sex; heading year): extra INI sections and XML elements.
// The aggregation groups the regions by their codes (file areas.agg).
struct function_setup {
    std::string ini;
    std::string xml;
    std::string output_has;  // a line the output must hold
};

// The map functions need one further variable of several values at most
// and a coordinates file named after the first variable's MAP.
const char* const map_table =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"K\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"Map\";\n"
    "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"North\",\"South\";\n"
    "VALUES(\"year\")=\"2001\",\"2002\";\nCODES(\"region\")=\"N\",\"S\";\nMAP(\"region\")=\"reg\";\nDATA=\n1 2 \n3 4;\n";
const char* const coordinates_file = "[Style1]\nid=s1\n[N]\nLon1=10\nLat1=60\nlat1=60\nlon1=10\n";

const char* const aggregation_file =
    "[Aggreg]\nValueset=regions\nName=Areas\n1=A\n2=B\n[Aggtext]\n1=Group A\n2=Group B\n[A]\n1=01\n2=02\n[B]\n1=03\n";

std::string block(int k, const std::string& name, const std::string& inner) {
    return "<variable order=\"" + std::to_string(k) + "\" name=\"" + name + "\">\n" + inner + "</variable>\n";
}

// The elements of a split step; the INI form has defaults for them.
std::string split_elements(const std::string& variable, int periods, int per_year) {
    const std::string period = per_year == 4 ? "quarter" : "month";
    std::string out = "<variablename>" + variable + "</variablename>\n<noofperiods>" + std::to_string(periods) +
                      "</noofperiods>\n<firstyear>2004</firstyear>\n<yeartext>Year</yeartext>\n<" + period +
                      "text>" + (per_year == 4 ? "Quarter" : "Month") + "</" + period + "text>\n";
    for (int i = 1; i <= per_year; ++i)
        out += "<" + period + std::to_string(i) + ">" + std::to_string(i) + "</" + period + std::to_string(i) + ">\n";
    return out;
}

// Twelve months in the heading, for splitmonths (the quarters split the
// quarterly sample).
const char* const monthly_table =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"Sales\";\n"
    "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"shop\";\nHEADING=\"month\";\nVALUES(\"shop\")=\"A\";\n"
    "VALUES(\"month\")=\"2004M01\",\"2004M02\",\"2004M03\",\"2004M04\",\"2004M05\",\"2004M06\",\"2004M07\","
    "\"2004M08\",\"2004M09\",\"2004M10\",\"2004M11\",\"2004M12\";\nDATA=\n1 2 3 4 5 6 7 8 9 10 11 12;\n";

const std::map<std::string, function_setup>& setups() {
    static const std::map<std::string, function_setup> m = {
        {"pivotauto", {"[Query]\nPivotAlt=1\n", "<pivotoption>1</pivotoption>\n", "STUB=\"sex\",\"year\";"}},
        {"pivotmanual",
         {"[Query]\nStubOrder=2,1\nHeadOrder=3\n", "<stuborder>2,1</stuborder>\n<headorder>3</headorder>\n",
          "STUB=\"sex\",\"region\";"}},
        {"selvalues",
         {"[Data]\nNoOfVar=2\n[Var1]\nValue1=1\nValue2=3\n[Var2]\nValue1=2\n",
          "<noofvar>2</noofvar>\n" + block(1, "region", "<value order=\"1\">North</value>\n<value order=\"2\">East</value>\n") +
              block(2, "sex", "<value order=\"1\">women</value>\n"),
          "VALUES(\"region\")=\"North\",\"East\";"}},
        {"aggvalues",
         {"[Query]\nClasscat=.\n[Data]\nNoOfVar=1\n[Var1]\nValue1=A;areas.agg;1\nValue2=2\n",
          "<classcat>.</classcat>\n<noofvar>1</noofvar>\n" +
              block(1, "region", "<aggreg>areas.agg</aggreg>\n<value order=\"1\">1</value>\n<value order=\"2\">2</value>\n"),
          "VALUES(\"Areas\")=\"Group A\",\"Group B\";"}},
        {"valueorder",
         {"[Query]\nVariableValues=sex\n[ValueList]\nValue1=3\nValue2=1\nValue3=2\n",
          "<variable name=\"sex\">\n<value order=\"1\" code=\"3\">total</value>\n"
          "<value order=\"2\" code=\"1\">men</value>\n<value order=\"3\" code=\"2\">women</value>\n</variable>\n",
          "VALUES(\"sex\")=\"total\",\"men\",\"women\";"}},
        {"calcvalues",
         {"[Query]\nOperation=11\nInclExcl=u\nNewvalue=both\nOrder=1\n[Data]\nNoOfVar=2\n[Var1]\nValue1=1\nValue2=2\n"
          "[Var2]\nValue1=1\nValue2=2\n",
          "<operation>add</operation>\n<includeexclude>exclude</includeexclude>\n<newvalue>both</newvalue>\n"
          "<order>1</order>\n<variable name=\"region\">\n<value order=\"1\">North</value>\n"
          "<value order=\"2\">South</value>\n</variable>\n<variable name=\"sex\">\n<value order=\"1\">men</value>\n"
          "<value order=\"2\">women</value>\n</variable>\n",
          "VALUES(\"region\")=\"both\",\"East\";"}},
        {"chgtexts",
         {"[Query]\ncontentstext=People\nunittext=persons\n[Data]\nNoOfVar=3\n[Variables]\nVar1=area\nVar2=gender\n"
          "Var3=year\n",
          "<contentstext>People</contentstext>\n<unittext>persons</unittext>\n<noofvar>3</noofvar>\n"
          "<variable order=\"1\">area</variable>\n<variable order=\"2\">gender</variable>\n"
          "<variable order=\"3\">year</variable>\n",
          "STUB=\"area\",\"gender\";"}},
        {"chgtextcontents", {"[Query]\ncontentstext=People\n", "", "CONTENTS=\"People\";"}},
        {"textcode",
         {"[Query]\ntextcodeoptions=2\n", "<textcodeoptions>C</textcodeoptions>\n",
          "VALUES(\"region\")=\"01\",\"02\",\"03\";"}},
        {"vardelete",
         {"[Query]\nVariable=sex\n[Remove]\nValue1=1\nValue2=2\n", "<variable>sex</variable>\n<remove>1,2</remove>\n",
          "STUB=\"region\";"}},
        {"decimals", {"[Data]\ndecimals=2\n", "<decimals>2</decimals>\n", "DECIMALS=2;"}},
        {"filecalc",
         {"[Query]\nOption=41\nMatchfile=in.vt\nInclExcl=m\nNewvar=calc\nNewvalue1=a\nNewvalue2=b\nNewvalue3=sum\n",
          "<operation>add</operation>\n<matchfile>in.vt</matchfile>\n<includeexclude>include</includeexclude>\n"
          "<newvar>calc</newvar>\n<newvalue1>a</newvalue1>\n<newvalue2>b</newvalue2>\n<newvalue3>sum</newvalue3>\n",
          "VALUES(\"calc\")=\"a\",\"b\",\"sum\";"}},
        {"gesmes",
         {"[Gesmes]\nSender=s\nReceiver=r\nInterchangeMsg=i\nMessageRef=m\nDSN=d\nDatastruct=ds\nConf=c\nObsStatus=o\n"
          "CodeListOrg=org\n",
          "", "UNT+25+m'"}},
        {"splitquarters",
         {"[Query]\nVariableName=quarter\nNoOfPeriods=8\nFirstyear=2004\n", split_elements("quarter", 8, 4),
          "VALUES(\"Year\")=\"2004\",\"2005\";"}},
        {"splitmonths",
         {"[Query]\nVariableName=month\nNoOfPeriods=12\nFirstyear=2004\n[Text]\nMonth1=1\nMonth2=2\nMonth3=3\n", split_elements("month", 12, 12),
          "VALUES(\"Month\")=\"1\",\"2\",\"3\","}},
        {"kml", {"[Data]\ncoordinates=.\n", "", "<styleUrl>#s1</styleUrl>"}},
        {"kml2", {"[Data]\ncoordinates=.\n", "", "<coordinates>10,60</coordinates>"}},
        {"kml3", {"[Data]\ncoordinates=.\n", "", "map.addOverlay(createMarker(point,1));"}},
    };
    return m;
}

// graph and matrix tell their forms apart by the output's ending.
std::string output_name(const std::string& function) {
    return function == "graph" ? "out.gra" : function == "matrix" ? "out.mtx" : "out.txt";
}

// A repeated section is never read, so Function goes into the [Query]
// section of the setup when it has one.
std::string ini_query(const function_row& f, const function_setup& s) {
    std::string text = "[Files]\nInfile=in.vt\nOutfile=" + output_name(f.name) +
                       "\nErrorfile=err.txt\n[Texts]\nText1=and\nText2=by\nText3=dist\nText4=unit\n" + s.ini;
    const std::string function = "Function=" + std::string(f.name) + "\n";
    const std::size_t at = text.find("[Query]\n");
    return at == std::string::npos ? text + "[Query]\n" + function : text.insert(at + 8, function);
}

std::string xml_query(const function_row& f, const std::string& step_name, const function_setup& s) {
    return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vtqueries>\n<text id=\"and\">and</text>\n"
           "<text id=\"by\">by</text>\n<text id=\"dist\">dist</text>\n<text id=\"unit\">unit</text>\n"
           "<vtquery step=\"1\">\n<function>" + step_name + "</function>\n<infile>in.vt</infile>\n<outfile>" +
           output_name(f.name) + "</outfile>\n<errorfile>err.txt</errorfile>\n" + s.xml + "</vtquery>\n</vtqueries>\n";
}

// Writes the files a job of `f` reads beside its query (the map exports
// take a table of regions with positions); returns the input table.
std::string write_inputs(const vt::test::temp_dir& dir, const function_row& f, const std::string& sample) {
    const std::string name = f.name;
    const std::string input = name.rfind("kml", 0) == 0   ? map_table
                              : name == "splitmonths"     ? monthly_table
                              : name == "splitquarters"   ? vt::test::read_file(std::string(VT_TEST_DATA) + "/quarterly.vt")
                                                          : sample;
    dir.write("in.vt", input);
    dir.write("areas.agg", aggregation_file);
    dir.write("reg.txt", coordinates_file);
    return input;
}

}  // namespace

// The README's function table names every row once, in order, with its
// query forms and whether it is available.
TEST(BatchFunctions, ReadmeTableMatchesTheRows) {
    std::istringstream readme(vt::test::read_file(std::string(VT_TEST_DATA) + "/../../README.md"));
    std::string line;
    while (std::getline(readme, line) && line != "| INI | XML | status |") {
    }
    ASSERT_EQ(line, "| INI | XML | status |") << "no function table in the README";
    std::getline(readme, line);  // the |---| line
    std::vector<std::vector<std::string>> listed;
    while (std::getline(readme, line) && line.starts_with("|")) listed.push_back(cells(line));

    const auto rows = vt::batch::functions();
    ASSERT_EQ(listed.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const function_row& f = rows[i];
        SCOPED_TRACE(f.name);
        std::string xml;
        for (const std::string& n : words(f.xml_names)) xml += (xml.empty() ? "`" : ", `") + n + "`";
        const std::vector<std::string> expected = {
            f.ini == vt::batch::ini_stage::none ? "-" : "`" + std::string(f.name) + "`",
            f.xml == vt::batch::xml_kind::none ? "-" : xml, f.run ? "available" : "n/a"};
        EXPECT_EQ(listed[i], expected);
    }
}

// Every row through the program, from every query form and XML name it has.
TEST(BatchFunctions, EveryRowRunsThroughVtbatch) {
    const std::string sample = vt::test::read_file(std::string(VT_TEST_DATA) + "/population.vt");
    ASSERT_FALSE(sample.empty());
    for (const function_row& f : vt::batch::functions()) {
        const auto found = setups().find(f.name);
        const function_setup setup = found == setups().end() ? function_setup{} : found->second;
        struct query {
            std::string file, name, text;  // the name as the query writes it
        };
        std::vector<query> queries;
        if (f.ini != vt::batch::ini_stage::none) queries.push_back({"q.ini", f.name, ini_query(f, setup)});
        for (const std::string& n : words(f.xml_names)) queries.push_back({"q.xml", n, xml_query(f, n, setup)});
        EXPECT_FALSE(queries.empty()) << f.name;
        for (const auto& [file, name, text] : queries) {
            SCOPED_TRACE(text);
            vt::test::temp_dir dir;
            const std::string input = write_inputs(dir, f, sample);
            dir.write(file, text);
            EXPECT_EQ(vt::test::run_vtbatch(dir, file), 0);
            const bool wrote = std::filesystem::exists(dir.file(output_name(f.name)));
            if (f.run) {
                EXPECT_EQ(dir.read("err.txt"), name + " ended OK ");
                EXPECT_TRUE(wrote);
                EXPECT_NE(dir.read(output_name(f.name)).find(setup.output_has), std::string::npos);
            } else {
                EXPECT_FALSE(std::filesystem::exists(dir.file("err.txt")));
                EXPECT_FALSE(wrote);
            }
            EXPECT_EQ(dir.read("in.vt"), input);
        }
    }
    // No other test runs these through the program.
    for (const char* name : {"html2", "graph", "matrix", "prntable", "dbase3", "aggvalues"})
        EXPECT_NE(vt::batch::find_routine(name), nullptr) << name;
}

namespace {

// The names in a folder that an output left behind while it was written.
std::vector<std::string> staging_leftovers(const vt::test::temp_dir& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().starts_with(".vt-")) out.push_back(e.path().filename().string());
    return out;
}

// Runs `check` once per available function with an INI form, in a fresh
// folder holding its inputs and its query "q.ini"; `check` gets the input
// table as written.
template <class Check>
void for_each_ini_job(Check check) {
    const std::string sample = vt::test::read_file(std::string(VT_TEST_DATA) + "/population.vt");
    for (const function_row& f : vt::batch::functions()) {
        if (!f.run || f.ini == vt::batch::ini_stage::none) continue;
        const auto found = setups().find(f.name);
        const function_setup setup = found == setups().end() ? function_setup{} : found->second;
        SCOPED_TRACE(f.name);
        vt::test::temp_dir dir;
        const std::string input = write_inputs(dir, f, sample);
        dir.write("q.ini", ini_query(f, setup));
        check(f, dir, input);
    }
}

}  // namespace

// A disk that takes no byte more: every function reports a failure, the old
// output stays whole and nothing half-written is left beside it.
TEST(BatchFunctions, EveryRowKeepsTheOldOutputOnAFullDisk) {
    for_each_ini_job([](const function_row& f, const vt::test::temp_dir& dir, const std::string& input) {
        dir.write(output_name(f.name), "old output\n");
        // A file size limit of 0 makes every write fail with EFBIG; the
        // signal it would raise is ignored, as on a full disk.
        EXPECT_NE(vt::test::run_vtbatch(dir, "q.ini", "ulimit -f 0 && trap '' XFSZ"), 0);
        EXPECT_EQ(dir.read(output_name(f.name)), "old output\n");
        EXPECT_EQ(dir.read("in.vt"), input);
        EXPECT_EQ(staging_leftovers(dir), std::vector<std::string>{});
    });
}

// No memory for the cells: a function that needs them reports it and
// leaves the old output; one that streams the cells writes what it always
// writes. Run in this process, where the allocation can be refused.
TEST(BatchFunctions, EveryRowReportsRefusedCellMemory) {
    for_each_ini_job([&](const function_row& f, const vt::test::temp_dir& dir, const std::string&) {
        // The job's names are relative to its folder, this process's for now.
        struct in_folder {
            std::filesystem::path home = std::filesystem::current_path();
            explicit in_folder(const std::filesystem::path& p) { std::filesystem::current_path(p); }
            ~in_folder() { std::filesystem::current_path(home); }
        } here(dir.path());
        ASSERT_EQ(vt::batch::run_query("q.ini"), 0);
        const std::string whole = dir.read(output_name(f.name));
        dir.write(output_name(f.name), "old output\n");
        vt::plat::refuse_data_blocks(true);
        const int rc = vt::batch::run_query("q.ini");
        vt::plat::refuse_data_blocks(false);
        if (rc == 0) {
            EXPECT_EQ(dir.read(output_name(f.name)), whole);
        } else {
            EXPECT_TRUE(rc == 200 || rc == 201) << rc;
            EXPECT_EQ(dir.read(output_name(f.name)), "old output\n");
        }
    });
}
