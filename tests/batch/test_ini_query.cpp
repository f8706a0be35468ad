// Reading INI query files into job descriptions: the keys of every
// function, defaults, value limits, number conversion and the assembled
// lists.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "../platform/temp_dir.h"
#include "batch/driver.h"
#include "batch/ini_query.h"
#include "batch/functions.h"

using vt::batch::job;
using vt::batch::read_ini_job;

namespace {

// A query with the mandatory keys for `function` plus `extra` sections. A
// repeated section is never read, so Function goes into the [Query] section
// of `extra` when it has one.
std::string query_text(const std::string& function, const std::string& extra = "") {
    std::string text = "[Files]\nInfile=in.vt\nOutfile=out.txt\nErrorfile=err.txt\n" + extra;
    const std::size_t at = text.find("[Query]\n");
    if (at == std::string::npos) return text + "[Query]\nFunction=" + function + "\n";
    return text.insert(at + 8, "Function=" + function + "\n");
}

// Parses `text` as a query file; the read's result in rc.
job parse(const std::string& text, int& rc) {
    vt::test::temp_dir dir;
    const std::string path = dir.write("q.ini", text);
    job j;
    rc = read_ini_job(path, j);
    return j;
}

job parse_ok(const std::string& text) {
    int rc = -1;
    job j = parse(text, rc);
    EXPECT_EQ(rc, 0);
    return j;
}

// A table whose stub is "region" (3 values) and whose heading is the time
// variable "year" with `years` values.
std::string time_table(int years) {
    std::string values;
    for (int y = 0; y < years; ++y) {
        values += (y ? ",\"" : "\"") + std::to_string(2001 + y) + "\"";
    }
    return "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T1\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
           "TITLE=\"t\";\nCONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=\"a\",\"b\",\"c\";\nVALUES(\"year\")=" +
           values + ";\nTIMEVAL(\"year\")=TLIST(A1)," + values + ";\nDATA=\n";
}

struct function_case {
    const char* function;  // as written in the query
    std::string extra;     // further sections
    std::function<void(const job&)> check;
};

}  // namespace

// Every function of the INI form, each with its own keys set to values
// that differ from the defaults: the job carries them into the fields its
// routine reads.
TEST(IniQuery, ReadsTheKeysOfEveryFunction) {
    const std::string texts = "[Texts]\nText1=and\nText2=by\nText3=dist\nText4=unit\n";
    const function_case cases[] = {
        {"splitquarters", "", [](const job& j) { EXPECT_NE(j.query_path.find("q.ini"), std::string::npos); }},
        {"SplitMonths", "", [](const job& j) { EXPECT_EQ(j.function, "SplitMonths"); }},
        {"decimals", "[Data]\ndecimals=2\n", [](const job& j) { EXPECT_EQ(j.decimals, "2"); }},
        {"EXCEL", "[Data]\ndatanote=1\ndecimals=3\n",
         [](const job& j) {
             EXPECT_EQ(j.excel.datanote, 1);
             EXPECT_EQ(j.excel.decimals, 3);
         }},
        {"VTML", "[Query]\nVTMLtype=2\n", [](const job& j) { EXPECT_EQ(j.xml.vtml_type, 2); }},
        {"xmlc", "[Query]\nXMLtype=3\nIncDtd=1\nLanguage=sv\n",
         [](const job& j) {
             EXPECT_EQ(j.xml.xml_type, 3);
             EXPECT_EQ(j.xml.inc_dtd, 1);
             EXPECT_EQ(j.xml.language, "sv");
         }},
        {"SDMX", "[Query]\nXMLtype=2\nLanguage=en\n",
         [](const job& j) {
             EXPECT_EQ(j.xml.xml_type, 2);
             EXPECT_EQ(j.xml.language, "en");
         }},
        {"asp", "[Query]\nvtlang=fi\nguilang=sv\nUppercase=1\n[Data]\ndatanoteoptplace=1\nstubtype=2\nnozero=3\n",
         [](const job& j) {
             EXPECT_EQ(j.asp.vtlang, "fi");
             EXPECT_EQ(j.asp.guilang, "sv");
             EXPECT_EQ(j.asp.uppercase, "1");
             EXPECT_EQ(j.datanote_place, 1);
             EXPECT_EQ(j.stubtype, 2);
             EXPECT_EQ(j.nozero, 3);
         }},
        {"kml", "[Data]\ncoordinates=c.txt\n", [](const job& j) { EXPECT_EQ(j.coordinates, "c.txt"); }},
        {"kml2", "[Data]\ncoordinates=d.txt\n", [](const job& j) { EXPECT_EQ(j.coordinates, "d.txt"); }},
        {"kml3", "[Data]\ncoordinates=e.txt\n", [](const job& j) { EXPECT_EQ(j.coordinates, "e.txt"); }},
        {"text", "[Data]\ndatanoteoptplace=1\nrowlength=80\npagelength=60\nmarglength=4\nthousand=1\n",
         [](const job& j) {
             EXPECT_EQ(j.datanote_place, 1);
             EXPECT_EQ(j.rowlength, 80);
             EXPECT_EQ(j.pagelength, 60);
             EXPECT_EQ(j.marglength, 4);
             EXPECT_EQ(j.thousand, 1);
         }},
        {"dbase1", "[Query]\nUnitVar=region\n", [](const job& j) { EXPECT_EQ(j.unit_var, "region"); }},
        {"dbase2", "", [](const job& j) { EXPECT_TRUE(j.complete); }},
        {"dbase3", "", [](const job& j) { EXPECT_TRUE(j.complete); }},
        {"dbase4", "[Data]\ncompleteinfo=2\ndoublecolumn=1\n",
         [](const job& j) {
             EXPECT_EQ(j.completeinfo, 2);
             EXPECT_EQ(j.doublecolumn, 1);
         }},
        {"graph", "[Query]\niteration=2\ntextdelim=\"\n",
         [](const job& j) {
             EXPECT_EQ(j.delimited.iteration, 2);
             EXPECT_EQ(j.delimited.textdelim, "\"");
         }},
        {"matrix", "[Query]\niteration=1\n", [](const job& j) { EXPECT_EQ(j.delimited.iteration, 1); }},
        {"lotus", "", [](const job& j) { EXPECT_TRUE(j.complete); }},
        {"html1", "[Data]\nrounding=1\n", [](const job& j) { EXPECT_EQ(j.rounding, 1); }},
        {"html2", "[Data]\ndatanoteoptplace=1\n", [](const job& j) { EXPECT_EQ(j.datanote_place, 1); }},
        {"prnmatrix", "[Data]\ndelim=;\n", [](const job& j) { EXPECT_EQ(j.delim, ";"); }},
        {"prntable", "[Data]\ndelim=tab\n", [](const job& j) { EXPECT_EQ(j.delim, "\t"); }},
        {"reltable", "[Query]\ntextdelim='\n", [](const job& j) { EXPECT_EQ(j.delimited.textdelim, "'"); }},
        {"gesmes",
         "[Query]\nUnitVar=u\n[Gesmes]\nSender=s\nReceiver=r\nInterchangeMsg=i\nMessageRef=m\nDSN=d\n"
         "Datastruct=ds\nConf=c\nObsStatus=o\nCodeListOrg=org\nTest=1\nARRvar=2\nARR1=a\nARR2=b\nARR3=c\n"
         "ContactName=N\n",
         [](const job& j) {
             const auto& g = j.gesmes;
             EXPECT_TRUE(j.complete);
             EXPECT_EQ(j.unit_var, "u");
             EXPECT_EQ(g.sender + g.receiver + g.interchange_msg + g.message_ref, "srim");
             EXPECT_EQ(g.dsn + g.datastruct + g.conf + g.obs_status, "ddsco");
             EXPECT_EQ(g.include, "D");
             EXPECT_EQ(g.code_list_org, "org");
             EXPECT_EQ(g.test, 1);
             EXPECT_EQ(g.arr_var, 2);
             EXPECT_EQ(g.list_a, "a:b");
             EXPECT_EQ(g.list_b, "c:");
             EXPECT_EQ(g.contact_name, "N");
             EXPECT_EQ(g.contact_email, "missing");
         }},
        {"vtfile", texts + "[Data]\nkeys=1\n[Query]\ndescript=New\nsubject=Subj\ncontents=yes\ndescdefault=1\n",
         [](const job& j) {
             EXPECT_EQ(j.text_words, "and;by;dist;unit");
             EXPECT_EQ(j.vtfile.keys, "1");
             EXPECT_EQ(j.vtfile.descript, "New");
             EXPECT_EQ(j.vtfile.subject, "Subj");
             EXPECT_EQ(j.vtfile.contents, "yes");
             EXPECT_EQ(j.vtfile.descdefault, "1");
         }},
        {"pivotauto", texts + "[Query]\nPivotAlt=2\nUnitVar=sex\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.pivot_alt, 2);
             EXPECT_EQ(j.unit_var, "sex");
             EXPECT_EQ(j.text_words, "and;by;dist;unit");
         }},
        {"pivotmanual", "[Query]\nStubOrder=2,1\nHeadOrder=3\nUnitVar=x\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.stub_order, "2,1");
             EXPECT_EQ(j.edit.head_order, "3");
             EXPECT_EQ(j.unit_var, "x");
         }},
        {"valueorder", "[Query]\nVariableValues=year\n[ValueList]\nValue1=3\nValue2=1\nValue3=2\nValue5=9\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.variable, "year");
             EXPECT_EQ(j.edit.value_list, "3,1,2");  // stops at the first missing key
         }},
        {"vardelete", "[Query]\nVariable=sex\nTitleadd=men\n[Remove]\nValue1=1\nValue2=2\n[Use]\nValue1=3\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.variable, "sex");
             EXPECT_EQ(j.edit.titleadd, "men");
             EXPECT_EQ(j.edit.remove, 1);
             EXPECT_EQ(j.edit.value_list, "1,2");
         }},
        {"VarDelete", "[Query]\nVariable=sex\n[Use]\nValue1=3\nValue2=4\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.remove, 0);
             EXPECT_EQ(j.edit.value_list, "3,4");
         }},
        {"textcode", "[Query]\ntextcodeoptions=1203\n", [](const job& j) { EXPECT_EQ(j.edit.textcode_options, "1203"); }},
        {"chgtextcontents", "[Query]\ncontentstext=Persons\n",
         [](const job& j) { EXPECT_EQ(j.edit.contentstext, "Persons"); }},
        {"chgtexts", "[Query]\ncontentstext=C\nunittext=U\n[Data]\nNoOfVar=3\n[Variables]\nVar1=area\nVar3=time\n",
         [](const job& j) {
             EXPECT_EQ(j.edit.contentstext, "C");
             EXPECT_EQ(j.edit.unittext, "U");
             EXPECT_EQ(j.edit.no_of_var, 3);
             EXPECT_EQ(j.edit.variable_texts, "area;;time");  // positions kept
         }},
        {"filecalc",
         "[Query]\nMatchfile=m.vt\nNewvalue1=v1\nNewvalue2=v2\nNewvalue3=v3\nNewvar=nv\nOption=41\nInclExcl=m\n",
         [](const job& j) {
             const auto& c = j.filecalc;
             EXPECT_EQ(c.constant_flag, 0);
             EXPECT_EQ(c.matchfile, "m.vt");
             EXPECT_EQ(c.newvalues[0] + c.newvalues[1] + c.newvalues[2], "v1v2v3");
             EXPECT_EQ(c.newvar, "nv");
             EXPECT_EQ(c.option, 41);
             EXPECT_EQ(c.incl_excl, "m");
         }},
        {"selvalues", "[Data]\nNoOfVar=2\nSecrecy=1\n[Query]\nDescr=1\nvtlang=sv\n[Var1]\nValue1=1\nValue2=3\n",
         [](const job& j) {
             const auto& s = j.selection;
             EXPECT_EQ(s.no_of_var, 2);
             EXPECT_EQ(s.secrecy, 1);
             EXPECT_EQ(s.descr, 1);
             EXPECT_EQ(s.vtlang, "sv");
             EXPECT_EQ(s.lists[0], "1,3");
             EXPECT_EQ(s.lists[1], "");  // a variable without values is eliminated
             EXPECT_FALSE(s.lists[2].has_value());
         }},
        {"aggvalues", "[Data]\nNoOfVar=1\n[Query]\nClasscat=agg.txt\n[Var1]\nValue1=A;g;x\n",
         [](const job& j) {
             EXPECT_EQ(j.selection.classcat, "agg.txt");
             EXPECT_EQ(j.selection.lists[0], "A;g;x");
         }},
        {"calcvalues",
         "[Data]\nNoOfVar=1\n[Query]\nOperation=14\nInclExcl=M\nConstant=2\nNewvalue=n\nBetavalue=b\nOrder=1\n"
         "[Var1]\nValue1=1\n",
         [](const job& j) {
             const auto& s = j.selection;
             EXPECT_EQ(s.operation, 14);
             EXPECT_EQ(s.incl_excl, "m");
             EXPECT_EQ(s.constant, "2");
             EXPECT_EQ(s.newvalue, "n");
             EXPECT_EQ(s.betavalue, "b");
             EXPECT_EQ(s.order, 1);
             EXPECT_EQ(s.lists[0], "1");
         }},
    };
    for (const function_case& c : cases) {
        SCOPED_TRACE(c.function);
        const job j = parse_ok(query_text(c.function, c.extra));
        EXPECT_EQ(j.function, c.function);
        EXPECT_TRUE(j.complete);
        EXPECT_TRUE(vt::batch::known_function(j.function));
        c.check(j);
    }
}

// The conversions do not read [Texts]; the operations do.
TEST(IniQuery, TextWordsOnlyForTheOperations) {
    const std::string texts = "[Texts]\nText1=and\nText3=dist\n";
    EXPECT_EQ(parse_ok(query_text("text", texts)).text_words, ";;;");
    EXPECT_EQ(parse_ok(query_text("vtfile", texts)).text_words, "and;;dist;");
    EXPECT_EQ(parse_ok(query_text("calcvalues", texts + "[Query]\nOperation=11\nInclExcl=u\n")).text_words,
              "and;;dist;");
}

TEST(IniQuery, CommonDefaults) {
    const job j = parse_ok(query_text("html1"));
    EXPECT_EQ(j.infile, "in.vt");
    EXPECT_EQ(j.outfile, "out.txt");
    EXPECT_EQ(j.errorfile, "err.txt");
    EXPECT_EQ(j.textfile, "*");
    EXPECT_EQ(j.rounding, 0);
    EXPECT_EQ(j.decimalpoint, ".");
    EXPECT_EQ(j.stubtype, 1);
    EXPECT_EQ(j.nozero, 0);
    EXPECT_EQ(j.thousand, 0);
    EXPECT_EQ(j.doublecolumn, 0);
    EXPECT_EQ(j.completeinfo, 0);
    EXPECT_EQ(j.rowlength, 100);
    EXPECT_EQ(j.pagelength, 100);
    EXPECT_EQ(j.marglength, 0);
    EXPECT_EQ(j.delim, " ");
    EXPECT_EQ(j.datanote_place, 0);
    EXPECT_EQ(j.symbol_list, ".;..;...;....;.....;......;.......;-");

    const job v = parse_ok(query_text("vtfile"));
    EXPECT_EQ(v.vtfile.keys, "0");
    EXPECT_EQ(v.vtfile.descdefault, "0");
    EXPECT_EQ(v.text_words, ";;;");
}

TEST(IniQuery, SymbolListAndNamesAnyCase) {
    const job j = parse_ok(
        "[FILES]\nINFILE=a.vt\noutfile=b.txt\n[query]\nfunction=lotus\n"
        "[data]\nsymbol3=x\nSYMBOLNIL=nil\nSymbol7=\n");
    // A key set empty gives an empty text (the default is for a missing key).
    EXPECT_EQ(j.symbol_list, ".;..;x;....;.....;......;;nil");
    EXPECT_EQ(j.errorfile, "");
}

// Values are cut to their buffer size minus one byte.
TEST(IniQuery, ValuesCutAtTheirLimits) {
    const std::string path998(998, 'p');
    const job j = parse_ok("[Files]\nInfile=" + path998 + "xyz\nOutfile=o\n[Query]\nFunction=kml\n"
                           "[Data]\ndecimalpoint=abcd\nSymbol1=123456789abc\ncoordinates=" +
                           std::string(600, 'c') + "\n[Texts]\nText1=" + std::string(120, 't') + "\n");
    EXPECT_EQ(j.infile, path998);
    EXPECT_EQ(j.decimalpoint, "ab");
    EXPECT_EQ(j.symbol_list.substr(0, 9), "12345678;");
    EXPECT_EQ(j.coordinates, std::string(498, 'c'));

    const job w = parse_ok(query_text("chgtexts", "[Texts]\nText1=" + std::string(120, 't') +
                                                      "\n[Query]\ncontentstext=" + std::string(300, 'k') + "\n"));
    EXPECT_EQ(w.text_words, std::string(98, 't') + ";;;");
    EXPECT_EQ(w.edit.contentstext, std::string(254, 'k'));

    // A function name beyond 98 bytes is cut and then matches nothing.
    const job f = parse_ok(query_text("text" + std::string(100, ' ') + "x"));
    EXPECT_FALSE(f.complete);

    // A selection value keeps 998 bytes.
    const job s = parse_ok(query_text("selvalues", "[Data]\nNoOfVar=1\n[Var1]\nValue1=" + std::string(1200, 'v') + "\n"));
    EXPECT_EQ(s.selection.lists[0], std::string(998, 'v'));
}

TEST(IniQuery, NumbersAndFlags) {
    EXPECT_EQ(vt::batch::decimal_to_int("12abc"), 12);
    EXPECT_EQ(vt::batch::decimal_to_int("x"), 0);
    EXPECT_EQ(vt::batch::decimal_to_int(""), 0);
    EXPECT_EQ(vt::batch::decimal_to_int("-7"), -7);
    EXPECT_EQ(vt::batch::decimal_to_int("0x1A"), 0);  // no hex in query values
    EXPECT_EQ(vt::batch::decimal_to_int("99999999999999"), INT_MAX);
    EXPECT_EQ(vt::batch::decimal_to_int("-99999999999999"), INT_MIN);

    const job j = parse_ok(query_text("text", "[Data]\nrowlength=12abc\npagelength=x\nmarglength=1234567890\n"
                                              "rounding=10\ndelim=TAB\n"));
    EXPECT_EQ(j.rowlength, 12);
    EXPECT_EQ(j.pagelength, 0);
    EXPECT_EQ(j.marglength, 12345678);  // cut to 8 digits first
    EXPECT_EQ(j.rounding, 1);
    EXPECT_EQ(j.delim, "TAB");  // only the exact "tab" is a TAB

    const job k = parse_ok(query_text("html2", "[Data]\nrounding=01\n"));
    EXPECT_EQ(k.rounding, 0);
    const job t = parse_ok("[Files]\nInfile=a\nOutfile=b\ntextfile=labels.ini\n[Query]\nFunction=excel\n");
    EXPECT_EQ(t.textfile, "labels.i");
}

TEST(IniQuery, GesmesLists) {
    const std::string base =
        "[Gesmes]\nSender=s\nReceiver=r\nInterchangeMsg=i\nMessageRef=m\nDSN=d\nDatastruct=ds\nConf=c\n"
        "ObsStatus=o\nCodeListOrg=org\n";
    // Empty keys are skipped in both lists; a list A without values stays empty.
    job j = parse_ok(query_text("gesmes", base + "ARRvar=3\nARR1=a\nARR3=c\nARR4=\nARR5=e\nARR16=p\n"));
    EXPECT_EQ(j.gesmes.list_a, "a:c");
    EXPECT_EQ(j.gesmes.list_b, "e:p:");
    j = parse_ok(query_text("gesmes", base + "ARR2=b\n"));
    EXPECT_EQ(j.gesmes.list_a, "");
    EXPECT_EQ(j.gesmes.list_b, "b:");
    j = parse_ok(query_text("gesmes", base + "ARRvar=16\nARR1=a\nARR16=z\n"));
    EXPECT_EQ(j.gesmes.list_a, "a:z");
    EXPECT_EQ(j.gesmes.list_b, "");

    // A code file that cannot be opened is passed as none.
    j = parse_ok(query_text("gesmes", base + "CodeFile=/nonexistent/codes.txt\n"));
    EXPECT_EQ(j.gesmes.code_file, "");
    vt::test::temp_dir dir;
    const std::string codes = dir.write("codes.txt", "x");
    j = parse_ok(query_text("gesmes", base + "CodeFile=" + codes + "\n"));
    EXPECT_EQ(j.gesmes.code_file, codes);

    // Each mandatory key missing: the job runs nothing.
    for (const char* key : {"Sender", "Receiver", "InterchangeMsg", "MessageRef", "DSN", "Datastruct", "Conf",
                            "ObsStatus", "CodeListOrg"}) {
        SCOPED_TRACE(key);
        std::string text = base;
        const std::size_t at = text.find(std::string("\n") + key + "=");
        text.erase(at + 1, text.find('\n', at + 1) - at);
        EXPECT_TRUE(parse_ok(query_text("gesmes", base)).complete);
        EXPECT_FALSE(parse_ok(query_text("gesmes", text)).complete);
    }
}

TEST(IniQuery, FilecalcConstant) {
    job j = parse_ok(query_text("filecalc"));
    EXPECT_EQ(j.filecalc.constant_flag, 1);
    EXPECT_EQ(j.filecalc.constant, "1");
    j = parse_ok(query_text("filecalc", "[Query]\nConstant=2.5\nMatchfile=m.vt\n"));
    EXPECT_EQ(j.filecalc.constant_flag, 1);
    EXPECT_EQ(j.filecalc.constant, "2.5");
}

TEST(IniQuery, SelectionLists) {
    const job j = parse_ok(query_text("selvalues",
                                      "[Data]\nNoOfVar=18\n[Var1]\nValue1=ELIM\n[Var2]\nValue1=1\nValue2=elim\nValue3=3\n"
                                      "[Var3]\nValue1=a\nValue3=c\n[Var16]\nValue1=16\n[Var17]\nValue1=17\n"));
    const auto& l = j.selection.lists;
    EXPECT_EQ(l[0], "");
    EXPECT_EQ(l[1], "1,3");
    EXPECT_EQ(l[2], "a");
    EXPECT_EQ(l[15], "16");
    EXPECT_EQ(l[4], "");
}

TEST(IniQuery, UnknownFunctionRunsNothing) {
    const job j = parse_ok(query_text("nosuchfunction", "[Data]\nNoOfVar=1\n[Var1]\nValue1=1\n"));
    EXPECT_FALSE(j.complete);
    EXPECT_FALSE(vt::batch::known_function("nosuchfunction"));
}

TEST(IniQuery, TimeOptions) {
    vt::test::temp_dir dir;
    const std::string table = dir.write("t.vt", time_table(10));
    auto selection = [&](const std::string& opt, const std::string& var2) {
        const std::string text = "[Files]\nInfile=" + table +
                                 "\nOutfile=o.vt\n[Query]\nFunction=selvalues\nTimeOpt=" + opt +
                                 "\n[Data]\nNoOfVar=2\n[Var1]\nValue1=1\n[Var2]\n" + var2;
        return parse_ok(text).selection;
    };
    const std::string three = "Value1=4\nValue2=5\nValue3=6\n";
    auto s = selection("1", three);
    EXPECT_EQ(s.time_var, 2);
    EXPECT_EQ(s.time_values, 10);
    EXPECT_EQ(s.lists[1], "10");
    EXPECT_EQ(s.lists[0], "1");
    EXPECT_EQ(selection("2", three).lists[1], "8,9,10");
    EXPECT_EQ(selection("3", three).lists[1], "4,5,6,7,8,9,10");
    EXPECT_EQ(selection("3", "Value1=7\n").lists[1], "7,8,9,10");
    // Listing more values than the variable has selects all, never below 1.
    std::string twelve;
    for (int i = 1; i <= 12; ++i) twelve += "Value" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    EXPECT_EQ(selection("2", twelve).lists[1], "1,2,3,4,5,6,7,8,9,10");
    // Options outside 1..3 are no time option.
    s = selection("5", three);
    EXPECT_EQ(s.time_option, 0);
    EXPECT_EQ(s.lists[1], "4,5,6");

    // A table without a time variable switches the option off.
    const std::string plain =
        dir.write("p.vt", "DECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
                          "CONTENTS=\"c\";\nUNITS=\"u\";\nSTUB=\"r\";\nVALUES(\"r\")=\"a\",\"b\";\nDATA=\n1 2;\n");
    const job p = parse_ok("[Files]\nInfile=" + plain +
                           "\nOutfile=o.vt\n[Query]\nFunction=selvalues\nTimeOpt=1\n[Data]\nNoOfVar=1\n[Var1]\nValue1=2\n");
    EXPECT_EQ(p.selection.time_option, 0);
    EXPECT_EQ(p.selection.lists[0], "2");
}

TEST(IniQuery, CheckCodes) {
    int rc = 0;
    parse("", rc);
    EXPECT_EQ(rc, 702);
    parse("[Files]\nInfile=a\n", rc);
    EXPECT_EQ(rc, 703);
    job j = parse("[Files]\nInfile=a\nOutfile=b\nErrorfile=e\n", rc);
    EXPECT_EQ(rc, 704);
    EXPECT_EQ(j.errorfile, "e");
    parse("[Files]\nInfile=dir/A.vt\nOutfile=DIR/a.VT\n", rc);  // before the function is looked at
    EXPECT_EQ(rc, 713);
    parse(query_text("selvalues"), rc);
    EXPECT_EQ(rc, 705);
    parse(query_text("AggValues", "[Data]\nNoOfVar=x\n"), rc);
    EXPECT_EQ(rc, 705);
    // calcvalues may run with no variables; its own settings are checked in order.
    parse(query_text("calcvalues"), rc);
    EXPECT_EQ(rc, 706);
    parse(query_text("calcvalues", "[Query]\nOperation=x\n"), rc);
    EXPECT_EQ(rc, 707);
    parse(query_text("calcvalues", "[Query]\nOperation=11\nInclExcl=M\n"), rc);
    EXPECT_EQ(rc, 708);
    parse(query_text("calcvalues", "[Query]\nOperation=11\nInclExcl=mu\n"), rc);
    EXPECT_EQ(rc, 0);
    parse(query_text("calcvalues", "[Query]\nOperation=12\nInclExcl=u\n"), rc);
    EXPECT_EQ(rc, 711);
    parse(query_text("calcvalues", "[Query]\nOperation=14\nInclExcl=u\nOrder=x\n"), rc);
    EXPECT_EQ(rc, 711);
    parse(query_text("calcvalues", "[Query]\nOperation=13\nInclExcl=u\n"), rc);
    EXPECT_EQ(rc, 0);
    // The time option reads the input table: missing gives 400.
    parse(query_text("calcvalues", "[Query]\nTimeOpt=1\n"), rc);
    EXPECT_EQ(rc, 400);
}

// The INI names are checked with their keys above; the XML-only names
// share the registry, and lookups ignore case.
TEST(IniQuery, RegistryNames) {
    for (const char* name : {"selection", "aggregation", "calculation", "filecalculation", "XMLC1", "XMLC2", "XMLC3"})
        EXPECT_TRUE(vt::batch::known_function(name)) << name;
    EXPECT_NE(vt::batch::find_routine("TEXT"), nullptr);
    EXPECT_NE(vt::batch::find_routine("VtFile"), nullptr);
    EXPECT_EQ(vt::batch::find_routine("texts"), nullptr);
}
