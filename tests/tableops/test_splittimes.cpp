// Split times: the year list, whole outputs of small tables (stub and
// heading time variable, CR LF and LF files, cell notes and precisions left
// out, a ";" inside a quoted text), the refusals that write nothing, a
// rejected output that stays, and both query forms through vtbatch.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "core/codes.h"
#include "tableops/splittimes.h"
#include "table_files.h"

namespace {

using vt::split_settings;
namespace codes = vt::codes;

std::string quoted_years(int from, int count) {
    std::vector<std::string> y;
    for (int i = 0; i < count; ++i) y.push_back(std::to_string(from + i));
    return vt::quoted_list(y);
}

TEST(SplitTimes, YearList) {
    struct row {
        int first, periods;
        bool quarters;
        int years;
    };
    for (const row r : {row{2000, 20, true, 5}, {2000, 4, true, 1}, {2000, 5, true, 2}, {2000, 1, true, 1},
                        {2000, 40, true, 10}, {2000, 41, true, 11}, {2000, 44, true, 11}, {2000, 45, true, 11},
                        {2000, 400, true, 11}, {1999, 12, false, 1}, {1999, 13, false, 2}, {1999, 132, false, 11},
                        {1999, 133, false, 11}, {2000, 24, false, 2}}) {
        SCOPED_TRACE(std::to_string(r.periods) + (r.quarters ? " quarters" : " months"));
        EXPECT_EQ(vt::split_year_list(r.first, r.periods, r.quarters), quoted_years(r.first, r.years));
    }
    EXPECT_EQ(vt::split_year_list(2000, 20, true), R"("2000","2001","2002","2003","2004")");
}

// Eight quarters in the stub, CR LF line ends; a note and a cell note hold
// a ";" inside their quotes, and a name starting like the time variable
// must not be taken for it.
const char* const stub_table =
    "CHARSET=\"ANSI\";\r\nDECIMALS=0;\r\nMATRIX=\"Q\";\r\nSUBJECT-AREA=\"S\";\r\nSUBJECT-CODE=\"S\";\r\n"
    "TITLE=\"GDP; by quarter\";\r\nCONTENTS=\"GDP\";\r\nUNITS=\"EUR\";\r\nSTUB=\"region\",\"Time\";\r\n"
    "HEADING=\"Timezone\";\r\nVALUES(\"region\")=\"North\";\r\n"
    "VALUES(\"Time\")=\"2004Q1\",\"2004Q2\",\"2004Q3\",\"2004Q4\",\r\n\"2005Q1\",\"2005Q2\",\"2005Q3\",\"2005Q4\";\r\n"
    "VALUES(\"Timezone\")=\"CET\";\r\nCODES(\"Time\")=\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\";\r\n"
    "PRECISION(\"Time\",\"2004Q2\")=1;\r\nPRECISION(\"region\",\"North\")=1;\r\n"
    "CELLNOTE(\"North\",\"2004Q1\",\"*\")=\"first; revised\";\r\nNOTEX=\"a; b\";\r\n"
    "DATA=\r\n1 2 3 4 5 6 7 8;\r\n";

const char* const stub_expected =
    "CHARSET=\"ANSI\";\r\nDECIMALS=0;\r\nMATRIX=\"Q\";\r\nSUBJECT-AREA=\"S\";\r\nSUBJECT-CODE=\"S\";\r\n"
    "TITLE=\"GDP; by quarter\";\r\nCONTENTS=\"GDP\";\r\nUNITS=\"EUR\";\r\nSTUB=\"region\",\"Year\",\"Quarter\";\r\n"
    "HEADING=\"Timezone\";\r\nVALUES(\"region\")=\"North\";\r\n"
    "VALUES(\"Year\")=\"2004\",\"2005\";\r\n"
    "VALUES(\"Quarter\")=\"Quarter 1\",\"Quarter 2\",\"Quarter 3\",\"Quarter 4\";\r\n"
    "VALUES(\"Timezone\")=\"CET\";\r\nCODES(\"Time\")=\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\";\r\n"
    "PRECISION(\"region\",\"North\")=1;\r\nNOTEX=\"a; b\";\r\n"
    "DATA=\r\n1 2 3 4 5 6 7 8;\r\n";

// The INI form with every setting at its default but the three that name
// the table's time variable; CODES( stays as it is.
TEST(SplitTimes, StubVariableThroughTheQueryFileWithItsDefaults) {
    vt::test::temp_dir dir;
    dir.write("in.vt", stub_table);
    dir.write("q.ini", "[Files]\nInfile=" + dir.file("in.vt") + "\nOutfile=" + dir.file("out.vt") +
                           "\n[Query]\nFunction=SPLITQUARTERS\nVariableName=Time\nNoOfPeriods=8\nFirstyear=2004\n");
    EXPECT_EQ(vt::splittimes(dir.file("q.ini").c_str()), 0);
    EXPECT_EQ(dir.read("out.vt"), stub_expected);
    EXPECT_EQ(dir.read("in.vt"), stub_table);
    const vt::table t = vt::test::read_back(dir.file("out.vt"));
    ASSERT_EQ(t.vars.size(), 4u);
    EXPECT_EQ(vt::test::cells(t), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
}

// Twelve months in the heading (lower-case keywords, LF line ends) with
// the codes replaced as an XML step does: the stub statement stays.
TEST(SplitTimes, HeadingVariableWithCodesReplaced) {
    std::string months, codes_list, cells_text, month_values;
    std::vector<std::string> texts;
    for (int y = 0; y < 2; ++y)
        for (int m = 1; m <= 12; ++m) {
            const std::string v = std::to_string(2010 + y) + "M" + (m < 10 ? "0" : "") + std::to_string(m);
            months += (months.empty() ? "\"" : ",\"") + v + "\"";
            cells_text += std::to_string(y * 12 + m) + " ";
        }
    for (int m = 1; m <= 12; ++m) texts.push_back("m" + std::to_string(m));
    const std::string head = "charset=\"ANSI\";\ndecimals=0;\nmatrix=\"M\";\nsubject-area=\"S\";\nsubject-code=\"S\";\n"
                             "title=\"Sales\";\ncontents=\"Sales\";\nunits=\"u\";\nstub=\"shop\";\n";
    const std::string input = head + "heading=\"month\";\nvalues(\"shop\")=\"A\",\"B\";\nvalues(\"month\")=" + months +
                              ";\ncodes(\"month\")=" + months + ";\ncellnote(\"A\",\"*\")=\"x\";\ndata=\n" +
                              cells_text + "\n" + cells_text + ";\n";
    const std::string expected = head + "heading=\"year\",\"month\";\nvalues(\"shop\")=\"A\",\"B\";\n" +
                                 "VALUES(\"year\")=\"2010\",\"2011\";\nVALUES(\"month\")=" + vt::quoted_list(texts) +
                                 ";\nCODES(\"year\")=\"2010\",\"2011\";\nCODES(\"month\")=" +
                                 vt::quoted_list(texts) + ";\ndata=\n" + cells_text + "\n" + cells_text + ";\n";
    vt::test::temp_dir dir;
    dir.write("in.vt", input);
    split_settings s{false, "month", "24", "2010", "year", "month", texts, true};
    EXPECT_EQ(vt::split_times(dir.file("in.vt"), dir.file("out.vt"), s), 0);
    EXPECT_EQ(dir.read("out.vt"), expected);
}

// Settings that cannot give a sound table are refused before anything is
// written: an old output stays as it was and nothing is left beside it.
TEST(SplitTimes, RefusalsWriteNothing) {
    struct row {
        const char* what;
        const char* variable;
        const char* periods;
        const char* first_year;
        bool quarters;
        const char* out;  // "" is the input itself
        int code;
    };
    for (const row r : {
             row{"periods no whole years", "Time", "6", "2004", true, "out.vt", codes::op_bad_period_count},
             {"months of quarters", "Time", "8", "2004", false, "out.vt", codes::op_bad_period_count},
             {"more periods than values", "Time", "12", "2004", true, "out.vt", codes::op_bad_period_count},
             {"no periods", "Time", "0", "2004", true, "out.vt", codes::op_bad_period_count},
             {"periods no number", "Time", "8x", "2004", true, "out.vt", codes::op_bad_period_count},
             {"year no number", "Time", "8", "", true, "out.vt", codes::op_bad_period_count},
             {"twelve years", "Time", "48", "2004", true, "out.vt", codes::op_bad_period_count},
             {"no such variable", "Tim", "8", "2004", true, "out.vt", codes::op_no_such_name},
             {"output is the input", "Time", "8", "2004", true, "", codes::op_same_file},
             {"output is the input in capitals", "Time", "8", "2004", true, "IN.VT", codes::op_same_file},
             {"output folder missing", "Time", "8", "2004", true, "no/out.vt", codes::cannot_open},
         }) {
        SCOPED_TRACE(r.what);
        vt::test::temp_dir dir;
        dir.write("in.vt", stub_table);
        const std::string out = *r.out ? dir.file(r.out) : dir.file("in.vt");
        const bool had_old = std::string(r.out) == "out.vt";
        if (had_old) dir.write(r.out, "old output\n");
        const std::vector<std::string> q = {"Q1", "Q2", "Q3", "Q4"};
        const std::vector<std::string> m(12, "M");
        split_settings s{r.quarters, r.variable, r.periods, r.first_year, "Year", "Period", r.quarters ? q : m, false};
        EXPECT_EQ(vt::split_times(dir.file("in.vt"), out, s), r.code);
        EXPECT_EQ(dir.read("in.vt"), stub_table);
        std::size_t files = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file() ? 1 : 0;
        EXPECT_EQ(files, had_old ? 2u : 1u);
        if (had_old) {
            EXPECT_EQ(dir.read(r.out), "old output\n");
        }
    }
}

// Inputs and queries that cannot be had, and a written file the reader
// rejects: that one is complete and stays, its code tells the caller.
TEST(SplitTimes, UnreadableInputsAndARejectedOutput) {
    vt::test::temp_dir dir;
    const split_settings good{true, "Time", "8", "2004", "Year", "Quarter", {"Q1", "Q2", "Q3", "Q4"}, false};
    EXPECT_EQ(vt::split_times(dir.file("missing.vt"), dir.file("out.vt"), good), codes::cannot_open);
    EXPECT_EQ(vt::splittimes(dir.file("missing.ini").c_str()), codes::cannot_open);
    EXPECT_EQ(vt::splittimes(nullptr), codes::cannot_open);
    dir.write("bad.vt", "MATRIX=\"Q\";\nDATA=\n1;\n");
    EXPECT_EQ(vt::split_times(dir.file("bad.vt"), dir.file("out.vt"), good), codes::reader_no_subject_area);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.vt")));

    dir.write("in.vt", stub_table);
    split_settings quote = good;
    quote.period_values[1] = "Q\"2";
    EXPECT_NE(vt::split_times(dir.file("in.vt"), dir.file("out.vt"), quote), 0);
    EXPECT_NE(dir.read("out.vt").find("\"Q1\",\"Q\"2\""), std::string::npos);
    // The query file itself is no output either.
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=" + dir.file("q.ini") + "\n[Query]\nVariableName=Time\n");
    EXPECT_EQ(vt::splittimes(dir.file("q.ini").c_str()), codes::op_same_file);
}

// Both query forms through the program: eight quarters split by the INI
// query, then twelve months of an XML step whose codes are replaced too.
TEST(SplitTimes, BothQueryFormsThroughVtbatch) {
    vt::test::temp_dir dir;
    dir.write("in.vt", stub_table);
    dir.write("q.ini", "[Files]\nInfile=in.vt\nOutfile=out.vt\nErrorfile=err.txt\n[Query]\nFunction=splitquarters\n"
                       "VariableName=Time\nNoOfPeriods=8\nFirstyear=2004\n[Text]\nYeartext=Y\nQuartertext=Q\n"
                       "Quarter1=a\nQuarter2=b\nQuarter3=c\nQuarter4=d\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.ini"), 0);
    EXPECT_EQ(dir.read("err.txt"), "splitquarters ended OK ");
    const std::string out = dir.read("out.vt");
    EXPECT_NE(out.find("STUB=\"region\",\"Y\",\"Q\";\r\n"), std::string::npos);
    EXPECT_NE(out.find("VALUES(\"Y\")=\"2004\",\"2005\";\r\nVALUES(\"Q\")=\"a\",\"b\",\"c\",\"d\";\r\n"), std::string::npos);
    EXPECT_NE(out.find("CODES(\"Time\")"), std::string::npos);

    std::string elements = "<variablename>Time</variablename>\n<noofperiods>12</noofperiods>\n<firstyear>1999</firstyear>\n"
                           "<yeartext>Y</yeartext>\n<monthtext>M</monthtext>\n";
    for (int m = 1; m <= 12; ++m)
        elements += "<month" + std::to_string(m) + ">" + std::to_string(m) + "</month" + std::to_string(m) + ">\n";
    dir.write("months.vt", "MATRIX=\"M\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\nCONTENTS=\"c\";\n"
                           "UNITS=\"u\";\nDECIMALS=0;\nHEADING=\"Time\";\nVALUES(\"Time\")=\"1\",\"2\",\"3\",\"4\",\"5\","
                           "\"6\",\"7\",\"8\",\"9\",\"10\",\"11\",\"12\";\nCODES(\"Time\")=\"a\",\"b\",\"c\",\"d\",\"e\","
                           "\"f\",\"g\",\"h\",\"i\",\"j\",\"k\",\"l\";\nDATA=\n1 2 3 4 5 6 7 8 9 10 11 12;\n");
    // Two steps: the months, then a quarters step whose ten periods are no
    // whole years; a refused step writes its code and its result is the run's.
    auto step = [&elements](int n, const char* function, const char* out, const char* err, const char* more) {
        return "<vtquery step=\"" + std::to_string(n) + "\">\n<function>" + function +
               "</function>\n<infile>months.vt</infile>\n<outfile>" + out + "</outfile>\n<errorfile>" + err +
               "</errorfile>\n" + elements + more + "</vtquery>\n";
    };
    dir.write("q.xml", "<vtqueries>\n" + step(1, "SplitMonths", "m.vt", "e.txt", "") +
                           step(2, "splitquarters", "m2.vt", "e2.txt", "<noofperiods>10</noofperiods>\n") +
                           "</vtqueries>\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir, "q.xml"), codes::op_bad_period_count);
    EXPECT_EQ(dir.read("e.txt"), "SplitMonths ended OK ");
    const std::string m = dir.read("m.vt");
    EXPECT_NE(m.find("HEADING=\"Y\",\"M\";\nVALUES(\"Y\")=\"1999\";\nVALUES(\"M\")=\"1\",\"2\","), std::string::npos);
    EXPECT_NE(m.find("CODES(\"Y\")=\"1999\";\nCODES(\"M\")=\"1\",\"2\","), std::string::npos);
    EXPECT_EQ(m.find("CODES(\"Time\")"), std::string::npos);
    EXPECT_EQ(dir.read("e2.txt"), "Error from splitquarters: 79");
    EXPECT_FALSE(std::filesystem::exists(dir.file("m2.vt")));
}

}  // namespace
