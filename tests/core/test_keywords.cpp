// The keyword families of the table file: what each statement stores and
// which code a wrong statement gives, and whether reading goes on after it.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "reader_fixture.h"

using namespace vt_test;
using vt::text_list;

namespace {

using Keywords = ReaderTest;

// How a case ends: without a problem, with a noted problem (reading goes
// on), fatally at the statement (reading stops), fatally in the end checks
// (reading went on to DATA=), or fatally at either place.
enum outcome { ok, noted, fatal, fatal_end, fatal_any };

// A statement placed after each case: it is in the table only when the
// reader went on after the case.
struct sentinel {
    std::string stmt;
    std::function<bool(const vt::table&)> seen;
};
const sentinel after_note{"\nNOTE=\"after\";", [](const vt::table& t) { return t.note == text_list{"after"}; }};
const sentinel after_link{"\nLINK=\"after\";", [](const vt::table& t) { return t.link == "after"; }};

struct fcase {
    std::string extra;
    int rc;
    outcome how;
    std::function<void(const vt::table&)> check = nullptr;
    std::vector<std::string> drop = {};
};

void run(const std::vector<fcase>& cases, const sentinel& s = after_note) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extra);
        auto r = read_text(vt_file(c.extra + s.stmt, c.drop));
        EXPECT_EQ(r.rc, c.rc);
        if (c.how != fatal_any) {
            EXPECT_EQ(s.seen(r.t), c.how != fatal) << "reading should " << (c.how == fatal ? "stop" : "go on");
        }
        if (c.check) c.check(r.t);
    }
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// A table with two stub variables (a: x y with codes X1 Y1; b: p q) and a
// heading variable h (2001 2002), for the cell-note statements.
const std::string three_vars =
    "STUB=\"a\",\"b\";HEADING=\"h\";VALUES(\"a\")=\"x\",\"y\";VALUES(\"b\")=\"p\",\"q\";"
    "VALUES(\"h\")=\"2001\",\"2002\";CODES(\"a\")=\"X1\",\"Y1\";\n";
const std::vector<std::string> own_vars = {"STUB=", "VALUES("};

}  // namespace

// Single-string keywords: the longest accepted string, one character more,
// a missing string, and a wrong terminator.
TEST_F(Keywords, SingleStrings) {
    // term: how a string followed by ",", a line break or ")" is treated.
    enum term { own_code, result_fatal, result_noted, units_term };
    struct skw {
        std::string stmt;
        std::size_t max;
        int code;
        bool is_fatal;
        term t;
        std::function<vt::opt_string(const vt::table&)> get;
        std::vector<std::string> drop = {};
    };
    using T = const vt::table&;
    std::vector<skw> kws = {
        {"MATRIX=", 20, 101, true, result_fatal, [](T t) { return t.matrix; }, {"MATRIX="}},
        {"SUBJECT-AREA=", 256, 102, true, result_fatal, [](T t) { return t.subject_area; }, {"SUBJECT-AREA="}},
        {"SUBJECT-CODE=", 20, 125, true, result_fatal, [](T t) { return t.subject_code; }, {"SUBJECT-CODE="}},
        {"CONTENTS=", 256, 120, true, result_fatal, [](T t) { return t.contents; }, {"CONTENTS="}},
        {"UNITS=", 256, 103, true, units_term, [](T t) { return t.units; }, {"UNITS="}},
        {"MAP(\"a\")=", 256, 164, true, result_fatal, [](T t) { return t.vars[0].map; }},
        {"VARIABLE-TYPE(\"a\")=", 80, 186, false, result_fatal, [](T t) { return t.vars[0].variable_type; }},
        {"VELT-VERSION=", 256, 148, false, result_noted, [](T t) { return t.velt_version; }},
        {"DOMAIN(\"a\")=", 256, 124, false, own_code, [](T t) { return t.vars[0].domain; }},
        {"LAST-UPDATED=", 256, 149, false, own_code, [](T t) { return t.continfos[0].last_updated; }},
        {"CREATION-DATE=", 256, 150, false, own_code, [](T t) { return t.creation_date; }},
        {"CONFIDENTIAL=", 20, 170, false, own_code, [](T t) { return t.confidential; }},
        {"CODEPAGE=", 20, 171, false, own_code, [](T t) { return t.codepage; }},
        {"LANGUAGE=", 2, 165, false, own_code, [](T t) { return t.language; }},
        {"DATASYMBOLSUM=", 20, 174, false, own_code, [](T t) { return t.datasymbolsum; }},
        {"DATASYMBOLNIL=", 20, 175, false, own_code, [](T t) { return t.datasymbolnil; }},
        {"DATANOTESUM=", 20, 177, false, own_code, [](T t) { return t.datanotesum; }},
        {"NEXT-UPDATE=", 256, 178, false, own_code, [](T t) { return t.next_update; }},
        {"VT-SERVER=", 256, 179, false, own_code, [](T t) { return t.vt_server; }},
        {"DIRECTORY-PATH=", 256, 181, false, own_code, [](T t) { return t.directory_path; }},
        {"UPDATE-FREQUENCY=", 256, 182, false, own_code, [](T t) { return t.update_frequency; }},
        {"LINK=", 256, 184, false, own_code, [](T t) { return t.link; }},
        {"SURVEY=", 256, 185, false, own_code, [](T t) { return t.survey; }},
        {"TABLEID=", 256, 188, false, own_code, [](T t) { return t.tableid; }},
        {"SYNONYMS=", 256, 205, false, own_code, [](T t) { return t.synonyms; }},
    };
    for (int i = 0; i < 6; ++i) {
        kws.push_back({"DATASYMBOL" + std::to_string(i + 1) + "=", 20, 173, false, own_code,
                       [i](T t) { return t.datasymbol[i]; }});
    }
    for (const auto& k : kws) {
        SCOPED_TRACE(k.stmt);
        const outcome bad = k.is_fatal ? fatal : noted;
        const std::string longest = rep('v', k.max);
        std::vector<fcase> cases = {
            {k.stmt + quoted(longest) + ";", 0, ok, [&](T t) { EXPECT_EQ(k.get(t), longest); }, k.drop},
            {k.stmt + quoted(longest + "v") + ";", k.code, bad, nullptr, k.drop},
            {k.stmt + ";", k.code, bad, nullptr, k.drop},
            {k.stmt + "v;", k.code, bad, nullptr, k.drop},
        };
        const char* terms[] = {",", "\n", ")"};
        for (int r = 1; r <= 3; ++r) {
            const std::string stmt = k.stmt + "\"v\"" + terms[r - 1];
            switch (k.t) {
                case result_fatal: cases.push_back({stmt, r, fatal, nullptr, k.drop}); break;
                case result_noted: cases.push_back({stmt, r, noted, nullptr, k.drop}); break;
                case units_term:
                    if (r == 3) cases.push_back({stmt, 3, fatal, nullptr, k.drop});
                    break;
                case own_code:
                    cases.push_back({stmt, k.code, noted,
                                     r < 3 ? std::function<void(T)>([&](T t) { EXPECT_EQ(k.get(t), "v"); })
                                           : nullptr,
                                     k.drop});
                    break;
            }
        }
        run(cases);
    }
}

// Text lists, table-level and per variable or value.
TEST_F(Keywords, TextLists) {
    using T = const vt::table&;
    struct lkw {
        std::string stmt;
        int code;
        bool is_fatal;
        bool drops;  // a failing statement leaves nothing behind
        std::function<text_list(T)> get;
        std::vector<std::string> drop = {};
    };
    const std::vector<lkw> kws = {
        {"TITLE=", 104, true, false, [](T t) { return t.title; }, {"TITLE="}},
        {"DESCRIPTION=", 105, false, true, [](T t) { return t.description; }},
        {"NOTE=", 110, false, false, [](T t) { return t.note; }},
        {"NOTEX=", 110, false, false, [](T t) { return t.notex; }},
        {"SOURCE=", 145, false, true, [](T t) { return t.source; }},
        {"CONTACT=", 146, false, false, [](T t) { return t.continfos[0].contact; }},
        {"REFPERIOD=", 147, false, false, [](T t) { return t.continfos[0].refperiod; }},
        {"BASEPERIOD=", 154, false, false, [](T t) { return t.continfos[0].baseperiod; }},
        {"DATABASE=", 155, false, true, [](T t) { return t.database; }},
        {"INFOFILE=", 156, false, false, [](T t) { return t.infofile; }},
        {"INFO=", 183, false, false, [](T t) { return t.info; }},
        {"NOTE(\"a\")=", 111, false, true, [](T t) { return t.vars[0].note; }},
        {"NOTEX(\"a\")=", 111, false, false, [](T t) { return t.vars[0].notex; }},
        {"VALUENOTE(\"a\",\"y\")=", 112, false, false, [](T t) { return t.vars[0].values[1].valuenote; }},
        {"VALUENOTEX(\"a\",\"y\")=", 112, false, false, [](T t) { return t.vars[0].values[1].valuenotex; }},
        {"VALUENOTE(\"a\",2)=", 112, false, false, [](T t) { return t.vars[0].values[1].valuenote; }},
        {"HIERARCHYNAMES(\"a\")=", 202, false, false, [](T t) { return t.vars[0].hierarchynames; }},
    };
    for (const auto& k : kws) {
        SCOPED_TRACE(k.stmt);
        const outcome bad = k.is_fatal ? fatal : noted;
        const std::string longest = rep('v', 256);
        run({{k.stmt + "\"p\",\"q\"\n\"" + longest + "\";", 0, ok,
              [&](T t) { EXPECT_EQ(k.get(t), (text_list{"p", "q", longest})); }, k.drop},
             {k.stmt + "\"p\",\"" + longest + "v\";", k.code, bad,
              [&](T t) {
                  if (k.drops) {
                      EXPECT_TRUE(k.get(t).empty());
                  }
              },
              k.drop},
             {k.stmt + ";", k.code, bad, nullptr, k.drop},
             {k.stmt + "\"p\"\n,\"q\";", k.code, bad, nullptr, k.drop}},
            after_link);
    }
    // Value references that name no value.
    run({{"VALUENOTE(\"a\",3)=\"n\";", 112, noted},
         {"VALUENOTE(\"a\",0)=\"n\";", 112, noted},
         {"VALUENOTEX(\"a\",\"zz\")=\"n\";", 112, noted},
         // A statement for an unknown variable is dropped without a code.
         {"NOTE(\"zz\")=\"n\";VALUENOTE(\"zz\",\"x\")=\"n\";", 0, ok},
         // NOTE( inside VALUENOTE( is not a variable note.
         {"VALUENOTE(\"a\",\"x\")=\"n\";", 0, ok, [](T t) { EXPECT_TRUE(t.vars[0].note.empty()); }}},
        after_link);
}

TEST_F(Keywords, YesNoWords) {
    using T = const vt::table&;
    struct ykw {
        std::string stmt, yes, no;
        int code;
        int absent;
        std::function<int(T)> get;
    };
    const std::vector<ykw> kws = {
        {"COPYRIGHT=", "YES", "NO", 142, -1, [](T t) { return t.copyright; }},
        {"DAYADJ=", "YES", "NO", 143, -1, [](T t) { return t.continfos[0].dayadj; }},
        {"SEASADJ=", "YES", "NO", 143, -1, [](T t) { return t.continfos[0].seasadj; }},
        {"AGGREGALLOWED=", "YES", "NO", 166, 1, [](T t) { return t.aggregallowed; }},
        {"AUTOPEN=", "YES", "NO", 167, 0, [](T t) { return t.autopen; }},
        {"DOUBLECOLUMN(\"a\")=", "YES", "NO", 168, 0, [](T t) { return t.vars[0].doublecolumn; }},
        {"DESCRIPTIONDEFAULT=", "YES", "NO", 169, 0, [](T t) { return t.descriptiondefault; }},
        {"ROUNDING=", "1", "0", 206, -1, [](T t) { return t.rounding; }},
    };
    // DOUBLECOLUMN=YES needs codes; DESCRIPTIONDEFAULT=YES needs a description.
    const std::string pre = "DESCRIPTION=\"d\";CODES(\"a\")=\"1\",\"2\";";
    for (const auto& k : kws) {
        SCOPED_TRACE(k.stmt);
        std::string lower = k.yes;
        for (auto& ch : lower) ch = static_cast<char>(std::tolower(ch));
        auto is = [&](int v) { return [&k, v](T t) { EXPECT_EQ(k.get(t), v); }; };
        run({{pre, 0, ok, is(k.absent)},
             {pre + k.stmt + k.yes + ";", 0, ok, is(1)},
             {pre + k.stmt + lower + ";", 0, ok, is(1)},
             {pre + k.stmt + k.no + ";", 0, ok, is(0)},
             {pre + k.stmt + "Q;", k.code, noted}});
    }
    run({// YES is taken only after a DESCRIPTION.
         {"DESCRIPTIONDEFAULT=YES;DESCRIPTION=\"d\";", 0, ok,
          [](T t) { EXPECT_EQ(t.descriptiondefault, 0); }},
         // A double column needs a code on the first value.
         {"DOUBLECOLUMN(\"a\")=YES;", 168, noted},
         {"DOUBLECOLUMN(\"a\")=NO;", 0, ok},
         {"ROUNDING=2;", 206, noted}});
}

TEST_F(Keywords, LettersOfStockAndPrices) {
    using T = const vt::table&;
    auto stock = [](char c) { return [c](T t) { EXPECT_EQ(t.continfos[0].stockfa, c); }; };
    auto prices = [](char c) { return [c](T t) { EXPECT_EQ(t.continfos[0].cfprices, c); }; };
    run({{"", 0, ok, [](T t) {
              EXPECT_EQ(t.continfos[0].stockfa, ' ');
              EXPECT_EQ(t.continfos[0].cfprices, ' ');
          }},
         {"STOCKFA=\"S\";", 0, ok, stock('S')},
         {"STOCKFA=\"f\";", 0, ok, stock('F')},
         {"STOCKFA=A;", 0, ok, stock('A')},
         {"STOCKFA=\"X\";", 151, noted},
         {"CFPRICES=\"C\";", 0, ok, prices('C')},
         {"CFPRICES=f;", 0, ok, prices('F')},
         {"CFPRICES=\"S\";", 152, noted}});
}

TEST_F(Keywords, Numbers) {
    using T = const vt::table&;
    const std::vector<std::string> dd = {"DECIMALS="};
    const std::string codes = "CODES(\"a\")=\"1\",\"2\";";
    run({{"DECIMALS=15;", 0, ok, [](T t) { EXPECT_EQ(t.decimals, 15); }, dd},
         {"DECIMALS=16;", 137, fatal, nullptr, dd},
         {"DECIMALS=x;", 137, fatal, nullptr, dd},
         {"DECIMALS=1x;", 137, fatal, nullptr, dd},
         {"DECIMALS=6;SHOWDECIMALS=6;", 0, ok, [](T t) { EXPECT_EQ(t.showdecimals, 6); }, dd},
         {"DECIMALS=15;SHOWDECIMALS=7;", 138, noted, nullptr, dd},
         {"SHOWDECIMALS=x;", 138, noted},
         {"DEFAULT-GRAPH=10;", 0, ok, [](T t) { EXPECT_EQ(t.default_graph, 10); }},
         {"DEFAULT-GRAPH=11;", 187, fatal},
         {"DEFAULT-GRAPH=x;", 187, fatal},
         {codes + "PRESTEXT(\"a\")=3;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].prestext, 3); }},
         // Out of range: stored all the same, and noted.
         {codes + "PRESTEXT(\"a\")=4;", 162, noted, [](T t) { EXPECT_EQ(t.vars[0].prestext, 4); }},
         {codes + "PRESTEXT(\"a\")=x;", 162, noted},
         {codes + "PRESTEXT(q)=1;", 162, noted},
         {"HIERARCHYLEVELSOPEN(\"a\")=2;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].hierarchylevelsopen, 2); }},
         {"HIERARCHYLEVELSOPEN(\"a\")=x;", 189, noted},
         {"HIERARCHYLEVELS(\"a\")=3;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].hierarchylevels, 3); }},
         {"HIERARCHYLEVELS(\"a\")=x;", 201, fatal},
         {"HIERARCHYLEVELS(q)=3;", 201, noted},
         {"PRECISION(\"a\",\"y\")=2;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].values[1].precision, 2); }},
         {"PRECISION(\"a\",1)=3;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].values[0].precision, 3); }},
         {"PRECISION(\"a\",\"x\")=12;", 123, noted},
         {"PRECISION(\"a\",\"x\")=x;", 123, noted},
         {"PRECISION(\"a\",\"zz\")=1;", 123, noted},
         {"PRECISION(\"a\",3)=1;", 123, noted}});
}

TEST_F(Keywords, NamesAndValues) {
    using T = const vt::table&;
    auto texts = [](int var, std::vector<std::string> want) {
        return [var, want](T t) { EXPECT_EQ(value_texts(t.vars[var]), want); };
    };
    run({{"STUB=;", 106, fatal, nullptr, {"STUB="}},
         {"STUB=\"" + rep('n', 257) + "\";", 106, fatal, nullptr, {"STUB="}},
         {"HEADING=,\"h\";", 107, fatal},
         {"STUB=\"" + rep('n', 256) + "\";VALUES(1)=\"x\";", 0, ok,
          [](T t) { EXPECT_EQ(t.vars[0].name->size(), 256u); }, own_vars},
         // Positions count the names of STUB and HEADING together.
         {"STUB=\"a\";HEADING=\"h\";VALUES(2)=\"p\",\"qqq\";VALUES(1)=\"x\";", 0, ok,
          [](T t) {
              EXPECT_EQ(value_texts(t.vars[1]), (std::vector<std::string>{"p", "qqq"}));
              EXPECT_EQ(t.vars[1].value_count, 2);
              EXPECT_EQ(t.vars[1].max_text_len, 3);
              EXPECT_EQ(value_texts(t.vars[0]), (std::vector<std::string>{"x"}));
          },
          own_vars},
         // No such variable: ignored without a code.
         {"VALUES(\"zz\")=\"q\";VALUES(0)=\"q\";VALUES(3)=\"q\";", 0, ok, texts(0, {"x", "y"})},
         {"VALUES(q)=\"z\";", 108, fatal},
         {"VALUES(\"a\")=;", 108, fatal, nullptr, {"VALUES("}},
         {"VALUES(\"a\")=\"" + rep('v', 256) + "\";", 108, fatal, nullptr, {"VALUES("}}});
}

TEST_F(Keywords, Codes) {
    using T = const vt::table&;
    const std::string three = "VALUES(\"a\")=\"x\",\"y\",\"z\";";
    const std::vector<std::string> dv = {"VALUES("};
    auto codes = [](std::vector<vt::opt_string> want) {
        return [want](T t) {
            ASSERT_EQ(t.vars[0].values.size(), want.size());
            for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(t.vars[0].values[i].code, want[i]) << i;
        };
    };
    const auto none = std::nullopt;
    run({{three + "CODES(\"a\")=\"1\",\"2\",\"3\";", 0, ok, codes({"1", "2", "3"}), dv},
         {three + "TEXTS(\"a\")=\"1\",\"2\",\"3\";", 0, ok, codes({"1", "2", "3"}), dv},
         {three + "CODES(\"a\")=\"1\",,\"3\";", 0, ok, codes({"1", none, "3"}), dv},
         {three + "CODES(\"a\")=\"1\";", 0, ok, codes({"1", none, none}), dv},
         {three + "CODES(\"a\")=\"1\",\"2\",\"3\",\"4\";", 109, noted, codes({none, none, none}), dv},
         {three + "CODES(\"a\")=x;", 109, noted, nullptr, dv},
         {three + "CODES(q)=\"1\";", 109, noted, nullptr, dv},
         {three + "CODES(\"zz\")=\"1\";", 0, ok, nullptr, dv},
         // The first code holds 255 characters, the others 256.
         {three + "CODES(\"a\")=\"" + rep('c', 255) + "\",\"" + rep('c', 256) + "\";", 0, ok, nullptr, dv},
         {three + "CODES(\"a\")=\"" + rep('c', 256) + "\";", 109, noted, nullptr, dv}});
}

TEST_F(Keywords, EliminationAndPartitions) {
    using T = const vt::table&;
    run({{"ELIMINATION(\"a\")=YES;", 0, ok,
          [](T t) {
              EXPECT_EQ(t.vars[0].elimination, 1);
              EXPECT_EQ(t.vars[0].elimination_value, -1);
          }},
         {"ELIMINATION(\"a\")=yes;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].elimination, 1); }},
         {"ELIMINATION(\"a\")=\"y\";", 0, ok,
          [](T t) {
              EXPECT_EQ(t.vars[0].elimination_value, 1);
              EXPECT_EQ(t.vars[0].elimination, 0);
          }},
         {"ELIMINATION(\"a\")=\"zz\";", 140, noted},
         {"ELIMINATION(\"a\")=MAYBE;", 115, noted},
         {"ELIMINATION(q)=YES;", 115, noted},
         {"ELIMINATION(\"zz\")=YES;", 0, ok},
         {"PARTITIONED(\"a\")=\"p1\",1,2;PARTITIONED(\"a\")=\"" + rep('p', 69) + "\",3;", 0, ok,
          [](T t) {
              const auto& p = t.vars[0].partitions;
              ASSERT_EQ(p.size(), 2u);
              EXPECT_EQ(p[0].text, "p1");
              EXPECT_EQ(p[0].start, 1);
              EXPECT_EQ(p[0].length, 2);
              EXPECT_EQ(p[1].start, 3);
              EXPECT_EQ(p[1].length, 0);
          }},
         {"PARTITIONED(\"a\")=\"" + rep('p', 70) + "\",3;", 117, noted},
         {"PARTITIONED(\"a\")=\"p\";", 117, noted},
         // After a failure the failing variable loses its partitions and
         // later statements are ignored; other variables keep theirs.
         {"STUB=\"a\",\"b\";VALUES(\"a\")=\"x\";VALUES(\"b\")=\"x\";PARTITIONED(\"b\")=\"b1\",1;"
          "PARTITIONED(\"a\")=\"a1\",1;PARTITIONED(\"a\")=\"bad\";PARTITIONED(\"b\")=\"b2\",2;"
          "PARTITIONED(\"a\")=\"a2\",3;",
          117, noted,
          [](T t) {
              EXPECT_TRUE(t.vars[0].partitions.empty());
              ASSERT_EQ(t.vars[1].partitions.size(), 1u);
              EXPECT_EQ(t.vars[1].partitions[0].text, "b1");
          },
          own_vars}});
}

TEST_F(Keywords, CellNotes) {
    using T = const vt::table&;
    const std::string entries =
        "CELLNOTE(\"x\",\"*\",\"2001\")=\"one\";\n"
        "CELLNOTE(\"x\",\"p\")=\"too few\";\n"
        "CELLNOTE(\"y\",\"q\",\"2002\")=\"two\"\n\"lines\";\n"
        "CELLNOTE(\"y\",\"q\",\"2002\",\"2001\")=\"too many\";\n"
        "CELLNOTE(\"zz\",\"q\",\"2002\")=\"no value\";\n"
        "CELLNOTE(\"X1\",\"q\",\"2002\")=\"a code is no text\";\n"
        "CELLNOTE(\"*\",\"*\",\"*\")=\"three\";\n";
    run({{three_vars + entries, 113, noted,
          [](T t) {
              // Rejected entries leave nothing, so the k-th elements line up.
              EXPECT_EQ(t.cellnote_texts, (text_list{"one", "twolines", "three"}));
              EXPECT_EQ(t.vars[0].cellnote_refs, (vt::cell_ref_list{0, 1, -1}));
              EXPECT_EQ(t.vars[1].cellnote_refs, (vt::cell_ref_list{-1, 1, -1}));
              EXPECT_EQ(t.vars[2].cellnote_refs, (vt::cell_ref_list{0, 1, -1}));
          },
          own_vars}});
}

TEST_F(Keywords, CellNotexRules) {
    using T = const vt::table&;
    const std::string rejected =
        "CELLNOTEX(\"x\",\"p\",\"2001\")=\"one\";CELLNOTEX(\"x\",\"p\")=\"short\";"
        "CELLNOTEX(\"y\",\"q\",\"2002\")=\"two\";";
    const std::string open_refs =
        "CELLNOTEX(\"x\",\"p\",\"2001\")=\"one\";CELLNOTEX(\"x\",\"p\",\"2001\";"
        "CELLNOTEX(\"y\",\"q\",\"2002\")=\"two\";";
    const std::string unreadable = "CELLNOTEX(\"x\",\"p\",\"2001\")=nope;CELLNOTEX(\"y\",\"q\",\"2002\")=\"two\";";
    auto aligned = [](T t) {
        for (const auto& v : t.vars) EXPECT_EQ(v.cellnotex_refs.size(), t.cellnotex_texts.size());
    };
    // Batch and operations rules: a rejected entry discards the entries so
    // far; an unreadable text is kept as "Wrong text!".
    vt::reader_state().cellnotex_batch_rules = true;
    run({{three_vars + rejected, 113, noted,
          [&](T t) {
              EXPECT_EQ(t.cellnotex_texts, (text_list{"two"}));
              EXPECT_EQ(t.vars[0].cellnotex_refs, (vt::cell_ref_list{1}));
              aligned(t);
          },
          own_vars},
         {three_vars + open_refs, 113, noted,
          [&](T t) {
              EXPECT_EQ(t.cellnotex_texts, (text_list{"two"}));
              aligned(t);
          },
          own_vars},
         {three_vars + unreadable, 113, noted,
          [&](T t) {
              EXPECT_EQ(t.cellnotex_texts, (text_list{"Wrong text!", "two"}));
              EXPECT_EQ(t.vars[1].cellnotex_refs, (vt::cell_ref_list{0, 1}));
              aligned(t);
          },
          own_vars}});
    // Conversion rules: exactly like CELLNOTE.
    vt::reader_state().cellnotex_batch_rules = false;
    run({{three_vars + rejected, 113, noted,
          [&](T t) {
              EXPECT_EQ(t.cellnotex_texts, (text_list{"one", "two"}));
              EXPECT_EQ(t.vars[2].cellnotex_refs, (vt::cell_ref_list{0, 1}));
              aligned(t);
          },
          own_vars},
         {three_vars + unreadable, 113, noted,
          [&](T t) {
              ASSERT_FALSE(t.cellnotex_texts.empty());
              EXPECT_EQ(t.cellnotex_texts.back(), "two");
              aligned(t);
          },
          own_vars}});
}

TEST_F(Keywords, DataNoteCells) {
    using T = const vt::table&;
    auto flags = [](const vt::variable& v) {
        std::vector<int> out;
        for (const auto& val : v.values) out.push_back(val.has_datanote);
        return out;
    };
    const std::string entries =
        "DATANOTECELL(\"X1\",\"*\",\"2001\")=\"*\";\n"
        "DATANOTECELL(\"x\",\"p\",\"2001\")=\"text where a code exists\";\n"
        "DATANOTECELL(\"Y1\",\"q\")=\"too few\";\n"
        "DATANOTECELL(\"Y1\",\"q\",\"*\")=\"B\";\n";
    run({{three_vars + entries, 176, noted,
          [&](T t) {
              EXPECT_EQ(t.datanotecell_texts, (text_list{"*", "B"}));
              EXPECT_EQ(t.vars[0].datanotecell_refs, (vt::cell_ref_list{0, 1}));
              EXPECT_EQ(t.vars[1].datanotecell_refs, (vt::cell_ref_list{-1, 1}));
              EXPECT_EQ(t.vars[2].datanotecell_refs, (vt::cell_ref_list{0, -1}));
              ASSERT_EQ(t.datanotecells.size(), 6u);
              const std::vector<std::vector<int>> marks = {{1, 0}, {1, 1}, {1, 0}, {0, 1}, {0, 1}, {1, 1}};
              for (std::size_t i = 0; i < 6; ++i) {
                  EXPECT_EQ(t.datanotecells[i].position, static_cast<int>(i % 3)) << i;
                  EXPECT_EQ(t.datanotecells[i].count, 2) << i;
                  EXPECT_EQ(t.datanotecells[i].marks, marks[i]) << i;
              }
              EXPECT_EQ(t.datanotecells[2].symbol, "*");
              EXPECT_EQ(t.datanotecells[5].symbol, "B");
              // Only values named explicitly carry the flag.
              EXPECT_EQ(flags(t.vars[0]), (std::vector<int>{1, 1}));
              EXPECT_EQ(flags(t.vars[1]), (std::vector<int>{0, 1}));
              EXPECT_EQ(flags(t.vars[2]), (std::vector<int>{1, 0}));
          },
          own_vars}});
}

TEST_F(Keywords, ContentsInformation) {
    using T = const vt::table&;
    const std::string cv = "CONTVARIABLE=\"a\";";
    run({{cv +
              "BASEPERIOD(\"x\")=\"b1\",\"b2\";CFPRICES(\"x\")=\"F\";CONTACT(\"x\")=\"c\";"
              "LAST-UPDATED(\"x\")=\"d\";REFPERIOD(\"x\")=\"r\";SEASADJ(\"x\")=YES;STOCKFA(\"x\")=\"A\";"
              "DAYADJ(\"x\")=NO;UNITS(\"x\")=\"u\";UNITS(\"y\")=\"uy\";LAST-UPDATED(\"y\")=\"dy\";",
          0, ok,
          [](T t) {
              EXPECT_EQ(t.contvariable, "a");
              ASSERT_EQ(t.continfos.size(), 2u);
              const auto& x = t.continfos[0];  // the unclaimed first record is claimed
              EXPECT_EQ(x.content, "x");
              EXPECT_EQ(x.baseperiod, (text_list{"b1", "b2"}));
              EXPECT_EQ(x.cfprices, 'F');
              EXPECT_EQ(x.contact, (text_list{"c"}));
              EXPECT_EQ(x.last_updated, "d");
              EXPECT_EQ(x.refperiod, (text_list{"r"}));
              EXPECT_EQ(x.seasadj, 1);
              EXPECT_EQ(x.stockfa, 'A');
              EXPECT_EQ(x.dayadj, 0);
              EXPECT_EQ(x.units, "u");
              const auto& y = t.continfos[1];
              EXPECT_EQ(y.content, "y");
              EXPECT_EQ(y.units, "uy");
              EXPECT_EQ(y.last_updated, "dy");
              EXPECT_EQ(y.seasadj, -1);
              EXPECT_EQ(y.cfprices, ' ');
          }},
         {"CONTVARIABLE=\"zz\";", 160, noted},
         {"CONTVARIABLE=\"" + rep('a', 81) + "\";", 160, noted},
         {"CONTVARIABLE=;", 160, noted},
         // A contents variable named by an empty string leaves contvariable
         // empty, which the end checks refuse once a per-content item was read.
         {"STUB=\"\";VALUES(\"\")=\"x\";CONTVARIABLE=\"\";LAST-UPDATED(\"x\")=\"d\";", 161, noted, nullptr,
          own_vars}});
    struct pkw {
        const char* kw;
        const char* good;
        const char* bad;
        int code;
    };
    const pkw kws[] = {
        {"BASEPERIOD", "\"b\"", ";", 154},  {"CFPRICES", "\"C\"", "\"Q\"", 152}, {"CONTACT", "\"c\"", ";", 146},
        {"LAST-UPDATED", "\"d\"", ";", 149}, {"REFPERIOD", "\"r\"", ";", 147},   {"SEASADJ", "YES", "Q", 144},
        {"STOCKFA", "\"S\"", "\"Q\"", 151}, {"DAYADJ", "NO", "Q", 143},          {"UNITS", "\"u\"", ";", 103},
    };
    for (const auto& k : kws) {
        SCOPED_TRACE(k.kw);
        const std::string x = std::string(k.kw) + "(\"x\")=";
        run({{cv + x + k.good + ";", 0, ok},
             {x + k.good + ";", 160, noted},  // before CONTVARIABLE=
             {x + k.good + ";" + cv, 160, noted},
             {cv + k.kw + "(\"zz\")=" + k.good + ";", k.code, noted},  // not a value of "a"
             {cv + x + k.bad + ";", k.code, noted}});
    }
}

TEST_F(Keywords, TimeValues) {
    using T = const vt::table&;
    using strings = std::vector<std::string>;
    auto time = [](std::string scale, strings codes, strings texts) {
        return [=](T t) {
            const auto& v = t.vars[1];
            EXPECT_EQ(v.is_time, 1);
            EXPECT_EQ(value_texts(v), texts);
            ASSERT_EQ(t.timeval.size(), codes.size());
            for (std::size_t i = 0; i < codes.size(); ++i) {
                EXPECT_EQ(t.timeval[i].code, codes[i]) << i;
                EXPECT_EQ(t.timeval[i].scale, scale) << i;
            }
        };
    };
    auto dropped = [](strings texts) {
        return [=](T t) {
            EXPECT_EQ(t.vars[1].is_time, 0);
            EXPECT_TRUE(t.timeval.empty());
            EXPECT_EQ(value_texts(t.vars[1]), texts);
        };
    };
    const std::string h = "HEADING=\"t\";";
    run({{h + "VALUES(\"t\")=\"2001\",\"2002\";TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2002\";", 0, ok,
          time("A1", {"2001", "2002"}, {"2001", "2002"})},
         {h + "TIMEVAL(\"t\")=TLIST(A1,\"1998\"-\"2001\");", 0, ok,
          time("A1", {"1998", "1999", "2000", "2001"}, {"1998", "1999", "2000", "2001"})},
         {h + "TIMEVAL(\"t\")=TLIST(Q1,\"20034\"-\"20042\");", 0, ok,
          time("Q1", {"20034", "20041", "20042"}, {"2003Q4", "2004Q1", "2004Q2"})},
         {h + "TIMEVAL(\"t\")=TLIST(H1,\"20052\"-\"20062\");", 0, ok,
          time("H1", {"20052", "20061", "20062"}, {"2005H2", "2006H1", "2006H2"})},
         {h + "TIMEVAL(\"t\")=TLIST(M1,\"200611\"-\"200702\");", 0, ok,
          time("M1", {"200611", "200612", "200701", "200702"}, {"2006M11", "2006M12", "2007M01", "2007M02"})},
         {h + "TIMEVAL(\"t\")=TLIST(W1,\"200651\"-\"200702\");", 0, ok,
          time("W1", {"200651", "200652", "200701", "200702"}, {"2006W51", "2006W52", "2007W01", "2007W02"})},
         {h + "VALUES(\"t\")=\"2004Q4\",\"2005Q1\";TIMEVAL(\"t\")=TLIST(Q1),\"20044\",\"20051\";", 0, ok,
          time("Q1", {"20044", "20051"}, {"2004Q4", "2005Q1"})},
         // Invalid lists are dropped without a code.
         {h + "VALUES(\"t\")=\"2001\",\"2002\";TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2002\",\"2003\";", 0, ok,
          dropped({"2001", "2002"})},
         {h + "VALUES(\"t\")=\"2001\",\"2003\";TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2003\";", 0, ok,
          dropped({"2001", "2003"})},
         {h + "VALUES(\"t\")=\"2001\",\"2002\";TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2003\";", 0, ok,
          dropped({"2001", "2002"})},
         {h + "VALUES(\"t\")=\"2004Q1\",\"2004Q3\";TIMEVAL(\"t\")=TLIST(Q1),\"20041\",\"20043\";", 0, ok,
          dropped({"2004Q1", "2004Q3"})},
         {h + "VALUES(\"t\")=\"2004Q1\";TIMEVAL(\"t\")=TLIST(Q1),\"2004\";", 0, ok, dropped({"2004Q1"})},
         {h + "VALUES(\"t\")=\"2001\";TIMEVAL(\"t\")=TLIST(X1),\"2001\";", 0, ok, dropped({"2001"})},
         // Values made from the codes stay when the list is dropped.
         {h + "TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2003\";", 0, ok, dropped({"2001", "2003"})},
         // After a failure no later TIMEVAL is read.
         {"HEADING=\"t\",\"u\";VALUES(\"t\")=\"2001\",\"2003\";VALUES(\"u\")=\"2001\",\"2002\";"
          "TIMEVAL(\"t\")=TLIST(A1),\"2001\",\"2003\";TIMEVAL(\"u\")=TLIST(A1),\"2001\",\"2002\";",
          0, ok,
          [](T t) {
              EXPECT_EQ(t.vars[2].is_time, 0);
              EXPECT_TRUE(t.timeval.empty());
          }},
         // Ranges that never reach their end must still end the read.
         {h + "VALUES(\"t\")=\"2004Q1\";TIMEVAL(\"t\")=TLIST(Q1,\"20041\"-\"20047\");", 0, ok},
         {h + "VALUES(\"t\")=\"2005\";TIMEVAL(\"t\")=TLIST(A1,\"2005\"-\"2001\");", 0, ok},
         {h + "VALUES(\"t\")=\"2006M01\";TIMEVAL(\"t\")=TLIST(M1,\"200601\"-\"2006XY\");", 0, ok},
         {h + "VALUES(\"t\")=\"2006W01\";TIMEVAL(\"t\")=TLIST(W1,\"200601\"-\"200699\");", 0, ok}});
}

TEST_F(Keywords, Hierarchies) {
    using T = const vt::table&;
    run({{"HIERARCHIES(\"a\")=\"x\",\"x\":\"y\",\"y\":\"z\";HIERARCHYNAMES(\"a\")=\"L1\",\"L2\";", 0, ok,
          [](T t) {
              const auto& v = t.vars[0];
              EXPECT_EQ(v.has_hierarchy, 1);
              ASSERT_EQ(v.hierarchies.size(), 3u);
              EXPECT_EQ(v.hierarchies[0].parent, "START");
              EXPECT_EQ(v.hierarchies[0].child, "x");
              EXPECT_EQ(v.hierarchies[2].parent, "y");
              EXPECT_EQ(v.hierarchies[2].child, "z");
              EXPECT_EQ(v.hierarchynames, (text_list{"L1", "L2"}));
          }},
         {"HIERARCHIES(\"a\")=x;", 203, noted},
         {"HIERARCHIES(\"a\")=;", 203, noted}});
}

TEST_F(Keywords, Keys) {
    using T = const vt::table&;
    const std::string abc =
        "STUB=\"a\",\"b\",\"c\";VALUES(\"a\")=\"x\";VALUES(\"b\")=\"x\";VALUES(\"c\")=\"x\";";
    run({{"KEYS(\"a\")=VALUES;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].keys_mode, 1); }},
         {"KEYS(\"a\")=codes;", 0, ok, [](T t) { EXPECT_EQ(t.vars[0].keys_mode, 2); }},
         {"KEYS=NO;", 0, ok},
         {"KEYS=no;", 0, ok},
         {"KEYS=YES;", 121, fatal},
         {"KEYS(\"a\")=OTHER;", 121, fatal},
         {"KEYS(\"zz\")=VALUES;", 121, fatal},
         {"KEYS=NO;KEYS(\"a\")=VALUES;", 121, fatal_any},
         // Every stub variable needs its KEYS( statement.
         {abc + "KEYS(\"a\")=VALUES;KEYS(\"b\")=CODES;", 121, fatal_end, nullptr, own_vars},
         // and only stub variables may have one.
         {"HEADING=\"h\";VALUES(\"h\")=\"x\";KEYS(\"a\")=VALUES;KEYS(\"h\")=VALUES;", 121, fatal_any}});
}

// A long value list (texts of every length from 0 to 255, far more bytes
// than the reader gathers in one piece) keeps every text in order, and the
// codes of such a list keep "absent" and "empty" apart. Value notes read
// twice keep the second list; a faulty second one keeps the first.
TEST_F(Keywords, LongValueListsAndValueNotes) {
    constexpr int n = 3000;
    std::vector<std::string> texts;
    std::string values = "VALUES(\"a\")=";
    std::string codes = "CODES(\"a\")=";
    for (int i = 0; i < n; ++i) {
        std::string s = std::to_string(i) + ":" + rep(static_cast<char>('a' + i % 26), 255);
        s.resize(static_cast<std::size_t>(i % 256));
        texts.push_back(s);
        values += "\"" + s + "\"" + (i + 1 == n ? ";\n" : i % 7 == 0 ? ",\n" : ",");
        // Every third value has no code, every fifth an empty one.
        codes += i % 3 == 0 ? "" : i % 5 == 0 ? "\"\"" : "\"c" + std::to_string(i) + "\"";
        codes += i + 1 == n ? ";\n" : ",";
    }
    using T = const vt::table&;
    run({{values + codes +
              "VALUENOTE(\"a\",2)=\"first\";VALUENOTE(\"a\",2)=\"second\",\"two\";"
              "VALUENOTEX(\"a\",3)=\"kept\";VALUENOTEX(\"a\",3)=\"" + rep('v', 300) + "\";",
          112, noted,
          [&](T t) {
              const vt::variable& v = t.vars[0];
              ASSERT_EQ(v.value_count, n);
              EXPECT_EQ(v.max_text_len, 255);
              EXPECT_EQ(value_texts(v), texts);
              for (int i = 0; i < n; ++i) {
                  const vt::opt_string want = i % 3 == 0 ? vt::opt_string{}
                                              : i % 5 == 0 ? vt::opt_string{""}
                                                           : vt::opt_string{"c" + std::to_string(i)};
                  ASSERT_EQ(v.values[static_cast<std::size_t>(i)].code, want) << i;
              }
              EXPECT_EQ(v.values[1].valuenote, (text_list{"second", "two"}));
              EXPECT_EQ(v.values[2].valuenotex, (text_list{"kept"}));
              for (int i = 3; i < n; ++i) {
                  const vt::value& x = v.values[static_cast<std::size_t>(i)];
                  ASSERT_TRUE(x.valuenote.empty() && x.valuenotex.empty()) << i;
              }
              EXPECT_TRUE(v.values[0].valuenote.empty() && v.values[1].valuenotex.empty());
          },
          {"VALUES("}}});
}
