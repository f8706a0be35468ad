// The in-memory table: defaults, release, strides and cell counts, and the
// copies that operations make of variables and of the table head.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "reader_fixture.h"

using namespace vt_test;
using vt::text_list;

namespace {

using Table = ReaderTest;

std::vector<vt::variable> chain(std::initializer_list<int> counts) {
    std::vector<vt::variable> vars;
    for (int c : counts) {
        vt::variable v;
        v.value_count = c;
        vars.push_back(std::move(v));
    }
    return vars;
}

// A table that uses nearly every keyword. Variable b has hierarchy items but
// no HIERARCHIES statement.
const char* const rich_file =
    "MATRIX=\"M\";SUBJECT-AREA=\"S\";SUBJECT-CODE=\"C\";TITLE=\"T1\",\"T2\";DESCRIPTION=\"D\";\n"
    "CONTENTS=\"C\";UNITS=\"U\";DECIMALS=2;SHOWDECIMALS=1;COPYRIGHT=YES;AGGREGALLOWED=NO;AUTOPEN=YES;\n"
    "DESCRIPTIONDEFAULT=YES;DEFAULT-GRAPH=3;ROUNDING=1;VELT-VERSION=\"v\";LANGUAGE=\"en\";\n"
    "CREATION-DATE=\"cd\";CONFIDENTIAL=\"conf\";CODEPAGE=\"cp\";DATASYMBOL1=\"s1\";DATASYMBOL6=\"s6\";\n"
    "DATANOTESUM=\"dns\";TABLEID=\"tid\";NEXT-UPDATE=\"nu\";VT-SERVER=\"srv\";DIRECTORY-PATH=\"dp\";\n"
    "UPDATE-FREQUENCY=\"uf\";LINK=\"l\";SURVEY=\"sv\";SYNONYMS=\"syn\";NOTE=\"n\";NOTEX=\"nx\";\n"
    "SOURCE=\"src\";DATABASE=\"db\";INFOFILE=\"if\";INFO=\"inf\";LAST-UPDATED=\"lu\";CONTACT=\"ct\";\n"
    "STUB=\"a\",\"b\";HEADING=\"year\";\n"
    "VALUES(\"a\")=\"x\",\"y\";VALUES(\"b\")=\"p\",\"q\",\"r\";VALUES(\"year\")=\"2001\",\"2002\",\"2003\";\n"
    "CODES(\"a\")=\"1\",\"2\";PRECISION(\"a\",\"y\")=2;VALUENOTE(\"a\",\"x\")=\"vn\";VALUENOTEX(\"a\",\"y\")=\"vnx\";\n"
    "DOMAIN(\"a\")=\"dom\";MAP(\"a\")=\"map\";VARIABLE-TYPE(\"a\")=\"vt\";PRESTEXT(\"a\")=2;\n"
    "DOUBLECOLUMN(\"a\")=YES;PARTITIONED(\"a\")=\"part\",1,2;ELIMINATION(\"a\")=YES;\n"
    "ELIMINATION(\"b\")=\"q\";NOTE(\"a\")=\"van\";NOTEX(\"b\")=\"vbx\";KEYS(\"a\")=CODES;KEYS(\"b\")=VALUES;\n"
    "HIERARCHIES(\"a\")=\"x\",\"x\":\"y\";HIERARCHYNAMES(\"a\")=\"L1\";HIERARCHYLEVELS(\"a\")=2;\n"
    "HIERARCHYLEVELSOPEN(\"a\")=1;HIERARCHYNAMES(\"b\")=\"LB\";HIERARCHYLEVELS(\"b\")=4;\n"
    "TIMEVAL(\"year\")=TLIST(A1),\"2001\",\"2002\",\"2003\";\n"
    "CELLNOTE(\"x\",\"*\",\"2001\")=\"cn\";CELLNOTEX(\"x\",\"*\",\"2001\")=\"cnx\";\n"
    "DATANOTECELL(\"1\",\"p\",\"2001\")=\"d\";\n"
    "DATA=\n";

// The TIMEVAL list of `to` is either absent or agrees with the values of
// its time variable "year" (A1 codes equal the value texts).
void expect_timeval_fits(const vt::table& to) {
    if (to.timeval.empty()) return;
    const int y = var_index(to, "year");
    ASSERT_GE(y, 0) << "a TIMEVAL list without its time variable";
    const auto& v = to.vars[static_cast<std::size_t>(y)];
    ASSERT_EQ(to.timeval.size(), v.values.size());
    for (std::size_t i = 0; i < v.values.size(); ++i) EXPECT_EQ(to.timeval[i].code, v.values[i].text) << i;
}

}  // namespace

TEST_F(Table, NewTableDefaults) {
    vt::table t = vt::table_new();
    ASSERT_EQ(t.continfos.size(), 1u);
    const auto& c = t.continfos[0];
    EXPECT_FALSE(c.content);
    EXPECT_EQ(c.cfprices, ' ');
    EXPECT_EQ(c.stockfa, ' ');
    EXPECT_EQ(c.seasadj, -1);
    EXPECT_EQ(c.dayadj, -1);
    EXPECT_TRUE(t.vars.empty());
    EXPECT_FALSE(t.has_heading());
    EXPECT_EQ(t.data(), nullptr);
}

TEST_F(Table, FreeReleasesEverything) {
    auto r = read_text(rich_file);
    ASSERT_EQ(r.rc, 0);
    ASSERT_TRUE(r.t.data_handle.allocate(18));
    EXPECT_EQ(vt::table_free(r.t), 0);
    EXPECT_TRUE(r.t.vars.empty());
    EXPECT_FALSE(r.t.matrix);
    EXPECT_TRUE(r.t.title.empty());
    EXPECT_TRUE(r.t.timeval.empty());
    EXPECT_TRUE(r.t.cellnote_texts.empty());
    EXPECT_TRUE(r.t.datanotecells.empty());
    EXPECT_EQ(r.t.data(), nullptr);
    ASSERT_EQ(r.t.continfos.size(), 1u);
    EXPECT_FALSE(r.t.continfos[0].last_updated);
    EXPECT_TRUE(r.t.continfos[0].contact.empty());
    EXPECT_EQ(vt::table_free(r.t), 0);  // freeing an empty table is harmless
}

TEST_F(Table, StridesAndCellCounts) {
    auto vars = chain({2, 3, 4});
    for (auto& v : vars) v.stride = 99;
    EXPECT_EQ(vt::count_cells(vars), 24);
    EXPECT_EQ(vars[0].stride, 99);  // counting leaves the strides alone
    EXPECT_EQ(vt::compute_strides(vars), 24);
    EXPECT_EQ(vars[0].stride, 12);
    EXPECT_EQ(vars[1].stride, 4);
    EXPECT_EQ(vars[2].stride, 1);

    auto one = chain({5});
    EXPECT_EQ(vt::compute_strides(one), 5);
    EXPECT_EQ(one[0].stride, 1);
    EXPECT_EQ(vt::count_cells({}), 1);

    // A product beyond 64 bits saturates instead of wrapping.
    auto huge = chain({1 << 20, 1 << 20, 1 << 20, 1 << 20});
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(vt::count_cells(huge), max);
    EXPECT_EQ(vt::compute_strides(huge), max);
    EXPECT_EQ(huge[3].stride, 1);
    EXPECT_EQ(huge[2].stride, 1 << 20);
}

TEST_F(Table, CopyVariables) {
    auto r = read_text(rich_file);
    ASSERT_EQ(r.rc, 0);
    r.t.vars[1].grouping = "grp";
    const vt::table c = vt::copy_variables(r.t);

    ASSERT_EQ(c.vars.size(), 3u);
    EXPECT_FALSE(c.matrix);  // only the variables are copied
    EXPECT_TRUE(c.title.empty());
    ASSERT_EQ(c.continfos.size(), 1u);
    EXPECT_FALSE(c.continfos[0].last_updated);

    const auto& a = c.vars[0];
    const auto& b = c.vars[1];
    EXPECT_EQ(a.name, "a");
    EXPECT_EQ(b.grouping, "grp");
    EXPECT_EQ(b.value_count, 3);
    EXPECT_EQ(a.stride, 9);
    EXPECT_EQ(c.vars[2].max_text_len, 4);
    EXPECT_EQ(a.prestext, 2);
    EXPECT_EQ(a.doublecolumn, 1);
    EXPECT_EQ(a.domain, "dom");
    EXPECT_EQ(a.map, "map");
    EXPECT_EQ(a.variable_type, "vt");
    ASSERT_EQ(a.partitions.size(), 1u);
    EXPECT_EQ(a.partitions[0].text, "part");
    EXPECT_EQ(a.partitions[0].length, 2);
    EXPECT_EQ(value_texts(b), (std::vector<std::string>{"p", "q", "r"}));
    EXPECT_EQ(a.values[1].code, "2");
    EXPECT_EQ(a.values[1].precision, 2);
    EXPECT_EQ(a.values[0].valuenote, (text_list{"vn"}));
    EXPECT_EQ(a.values[1].valuenotex, (text_list{"vnx"}));
    EXPECT_EQ(a.elimination, 1);
    EXPECT_EQ(b.elimination_value, 1);
    EXPECT_EQ(a.note, (text_list{"van"}));
    EXPECT_EQ(b.notex, (text_list{"vbx"}));
    EXPECT_EQ(a.keys_mode, 2);
    EXPECT_EQ(b.keys_mode, 1);
    EXPECT_EQ(a.has_hierarchy, 1);
    EXPECT_EQ(a.hierarchylevels, 2);
    EXPECT_EQ(a.hierarchylevelsopen, 1);
    EXPECT_EQ(a.hierarchynames, (text_list{"L1"}));
    ASSERT_EQ(a.hierarchies.size(), 2u);
    EXPECT_EQ(a.hierarchies[1].child, "y");
    // Hierarchy items travel only with a HIERARCHIES statement.
    EXPECT_EQ(b.has_hierarchy, 0);
    EXPECT_EQ(b.hierarchylevels, 0);
    EXPECT_TRUE(b.hierarchynames.empty());
    // Cell notes belong to the old table's entries, which are not copied.
    for (const auto& v : c.vars) {
        EXPECT_TRUE(v.cellnote_refs.empty());
        EXPECT_TRUE(v.cellnotex_refs.empty());
        EXPECT_TRUE(v.datanotecell_refs.empty());
    }
    EXPECT_EQ(a.values[0].has_datanote, 0);
}

TEST_F(Table, CopyHead) {
    auto r = read_text(rich_file);
    ASSERT_EQ(r.rc, 0);
    const vt::table& from = r.t;
    ASSERT_TRUE(r.t.data_handle.allocate(18));
    vt::table to = vt::copy_variables(from);
    vt::copy_head(from, to);

    EXPECT_EQ(to.subject_area, "S");
    EXPECT_EQ(to.subject_code, "C");
    EXPECT_EQ(to.matrix, "M");
    EXPECT_EQ(to.contents, "C");
    EXPECT_EQ(to.units, "U");
    EXPECT_EQ(to.velt_version, "v");
    EXPECT_EQ(to.language, "en");
    EXPECT_EQ(to.creation_date, "cd");
    EXPECT_EQ(to.confidential, "conf");
    EXPECT_EQ(to.codepage, "cp");
    EXPECT_EQ(to.datasymbol[0], "s1");
    EXPECT_EQ(to.datasymbol[5], "s6");
    EXPECT_EQ(to.datanotesum, "dns");
    EXPECT_EQ(to.tableid, "tid");
    EXPECT_EQ(to.next_update, "nu");
    EXPECT_EQ(to.vt_server, "srv");
    EXPECT_EQ(to.directory_path, "dp");
    EXPECT_EQ(to.update_frequency, "uf");
    EXPECT_EQ(to.link, "l");
    EXPECT_EQ(to.survey, "sv");
    EXPECT_EQ(to.synonyms, "syn");
    EXPECT_EQ(to.decimals, 2);
    EXPECT_EQ(to.showdecimals, 1);
    EXPECT_EQ(to.copyright, 1);
    EXPECT_EQ(to.aggregallowed, 0);
    EXPECT_EQ(to.autopen, 1);
    EXPECT_EQ(to.descriptiondefault, 1);
    EXPECT_EQ(to.default_graph, 3);
    EXPECT_EQ(to.rounding, 1);
    EXPECT_EQ(to.title, (text_list{"T1", "T2"}));
    EXPECT_EQ(to.description, (text_list{"D"}));
    EXPECT_EQ(to.note, (text_list{"n"}));
    EXPECT_EQ(to.notex, (text_list{"nx"}));
    EXPECT_EQ(to.source, (text_list{"src"}));
    EXPECT_EQ(to.database, (text_list{"db"}));
    EXPECT_EQ(to.infofile, (text_list{"if"}));
    EXPECT_EQ(to.info, (text_list{"inf"}));
    ASSERT_EQ(to.continfos.size(), 1u);
    EXPECT_EQ(to.continfos[0].last_updated, "lu");
    EXPECT_EQ(to.continfos[0].contact, (text_list{"ct"}));
    EXPECT_FALSE(to.contvariable);
    EXPECT_EQ(to.heading, 2u);
    // Cell notes and data stay behind.
    EXPECT_TRUE(to.cellnote_texts.empty());
    EXPECT_TRUE(to.cellnotex_texts.empty());
    EXPECT_TRUE(to.datanotecell_texts.empty());
    EXPECT_TRUE(to.datanotecells.empty());
    EXPECT_EQ(to.data(), nullptr);
    // The time variable is unchanged, so its list comes along.
    ASSERT_EQ(to.timeval.size(), 3u);
    EXPECT_EQ(to.timeval[1].code, "2002");
    EXPECT_EQ(to.timeval[1].scale, "A1");
}

TEST_F(Table, CopyHeadContentsInformation) {
    // With a contents variable the whole chain is copied.
    vt::in_file f;
    vt::table from = vt::table_new();
    ASSERT_EQ(vt::read_table_file(std::string(VT_TEST_DATA) + "/trade.vt", f, from), 0);
    vt::table to = vt::copy_variables(from);
    vt::copy_head(from, to);
    EXPECT_EQ(to.contvariable, "flow");
    ASSERT_EQ(to.continfos.size(), 2u);
    EXPECT_EQ(to.continfos[0].content, "Imports");
    EXPECT_EQ(to.continfos[1].content, "Exports");
    EXPECT_EQ(to.continfos[1].last_updated, "20060416 10:00");

    // Without one only the first record's items are.
    from.contvariable.reset();
    vt::table to2 = vt::copy_variables(from);
    vt::copy_head(from, to2);
    ASSERT_EQ(to2.continfos.size(), 1u);
    EXPECT_EQ(to2.continfos[0].last_updated, "20060415 10:00");
    EXPECT_EQ(to2.continfos[0].stockfa, 'F');
}

TEST_F(Table, CopyHeadPicksHeading) {
    using edit = std::function<void(std::vector<vt::variable>&)>;
    auto heading_after = [](const std::string& file, const edit& change) {
        auto r = read_text(file);
        EXPECT_EQ(r.rc, 0);
        vt::table to = vt::copy_variables(r.t);
        change(to.vars);
        vt::copy_head(r.t, to);
        return std::make_pair(to.heading, to.vars.size());
    };
    auto order = [](std::vector<std::string> names) {
        return [names](std::vector<vt::variable>& vars) {
            std::vector<vt::variable> out;
            for (const auto& n : names) {
                auto it = std::find_if(vars.begin(), vars.end(), [&](const vt::variable& v) {
                    return n == "-" ? !v.name : v.name == n;
                });
                if (it != vars.end()) {
                    out.push_back(*it);
                } else {  // a variable the operation made up
                    vt::variable v;
                    v.name = n;
                    v.value_count = 1;
                    out.push_back(v);
                }
            }
            vars = std::move(out);
        };
    };
    const std::string two = vt_file(
        "STUB=\"a\",\"b\";HEADING=\"h1\",\"h2\";VALUES(\"a\")=\"1\";VALUES(\"b\")=\"1\";"
        "VALUES(\"h1\")=\"1\";VALUES(\"h2\")=\"1\";",
        {"STUB=", "VALUES("});
    const std::string one = vt_file(
        "STUB=\"a\",\"b\";HEADING=\"h\";VALUES(\"a\")=\"1\";VALUES(\"b\")=\"1\";VALUES(\"h\")=\"1\";",
        {"STUB=", "VALUES("});
    const std::string unnamed = vt_file(
        "STUB=\"a\";HEADING=\"$$SORT\",\"h\";VALUES(\"a\")=\"1\";VALUES(\"$$SORT\")=\"1\";VALUES(\"h\")=\"1\";",
        {"STUB=", "VALUES("});
    const struct {
        const std::string* file;
        std::vector<std::string> order;
        std::size_t heading;  // equal to the number of variables: none
    } cases[] = {
        {&two, {"a", "b", "h1", "h2"}, 2},
        {&two, {"h1", "a", "b", "h2"}, 0},
        {&two, {"h2", "a", "b", "h1"}, 3},  // the first heading variable wins
        {&two, {"a", "b", "h2"}, 2},        // else the first later one still there
        {&two, {"h2", "a", "b"}, 0},
        {&two, {"a", "b", "z"}, 3},         // none left
        {&one, {"a", "z", "b"}, 2},         // a lone heading variable: same position
        {&one, {"a"}, 1},                   // ... when there is one
        {&unnamed, {"a", "h", "-"}, 2},     // an unnamed one matches an unnamed one
    };
    for (const auto& c : cases) {
        const auto [heading, size] = heading_after(*c.file, order(c.order));
        EXPECT_EQ(heading, c.heading) << ::testing::PrintToString(c.order);
        EXPECT_LE(heading, size);
    }
}

TEST_F(Table, CopyHeadTimeValues) {
    auto r = read_text(rich_file);
    ASSERT_EQ(r.rc, 0);
    const struct {
        const char* what;
        std::function<void(vt::table&)> change;
        bool must_carry;
    } cases[] = {
        {"moved to the stub", [](vt::table& t) { std::rotate(t.vars.begin(), t.vars.begin() + 2, t.vars.end()); },
         true},
        {"one value dropped",
         [](vt::table& t) {
             t.vars[2].values.erase(t.vars[2].values.begin() + 1);
             t.vars[2].value_count = 2;
         },
         false},
        {"values reversed", [](vt::table& t) { std::reverse(t.vars[2].values.begin(), t.vars[2].values.end()); },
         false},
        {"values renamed",
         [](vt::table& t) {
             for (auto& v : t.vars[2].values) v.text = "19" + v.text.substr(2);
         },
         false},
        {"time variable removed", [](vt::table& t) { t.vars.pop_back(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vt::table to = vt::copy_variables(r.t);
        c.change(to);
        vt::copy_head(r.t, to);
        if (c.must_carry) {
            EXPECT_EQ(to.timeval.size(), 3u);
        }
        expect_timeval_fits(to);
    }
}

// Value notes: empty lists hold nothing, copies are deep, and an empty list
// assigned or copied leaves the value without notes.
TEST_F(Table, ValueNotesCopiesAndEmptyLists) {
    vt::value a;
    EXPECT_TRUE(a.valuenote.empty());
    EXPECT_EQ(a.valuenote.size(), 0u);
    EXPECT_EQ(a.valuenote.begin(), a.valuenote.end());
    EXPECT_EQ(a.valuenote, text_list{});

    a.valuenote = {"n1", "n2"};
    a.valuenotex = text_list{"x1"};
    vt::value b = a;  // deep copy
    b.valuenote.edit().push_back("n3");
    b.valuenotex = text_list{};
    EXPECT_EQ(a.valuenote, (text_list{"n1", "n2"}));
    EXPECT_EQ(a.valuenotex, (text_list{"x1"}));
    EXPECT_EQ(b.valuenote, (text_list{"n1", "n2", "n3"}));
    EXPECT_TRUE(b.valuenotex.empty());
    EXPECT_EQ(b.valuenote.front(), "n1");
    EXPECT_EQ(b.valuenote.back(), "n3");
    EXPECT_EQ(b.valuenote[1], "n2");

    // An allocated but emptied list counts as empty and compares equal to none.
    b.valuenotex.edit().clear();
    EXPECT_TRUE(b.valuenotex.empty());
    EXPECT_EQ(b.valuenotex, vt::note_list{});
    a = b;
    EXPECT_EQ(a.valuenote, b.valuenote);
    EXPECT_TRUE(a.valuenotex.empty());

    // Moving a list of values keeps the notes with their values.
    std::vector<vt::value> vals(3);
    vals[1].valuenote = {"only"};
    std::vector<vt::value> moved = std::move(vals);
    moved.resize(1000);
    EXPECT_TRUE(moved[0].valuenote.empty());
    EXPECT_EQ(moved[1].valuenote, (text_list{"only"}));
    const text_list& as_list = moved[1].valuenote;  // callers read it as a text list
    EXPECT_EQ(as_list.size(), 1u);
}
