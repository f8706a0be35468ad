// The merge of two tables: the relation codes of the definition's
// examples, stacking, joining and realigning cells, the overlay's new
// variable in its three UNITS cases, elimination values, notes from the
// right table, the trace line, and berakna's dispatch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codes.h"
#include "core/datasec.h"
#include "core/reader.h"
#include "platform/message.h"
#include "tableops/merge.h"
#include "../platform/temp_dir.h"
#include "table_files.h"

namespace {

// Data lines end in a blank: a line break alone does not end a token.
std::string rows(std::string data) {
    for (std::size_t at = data.find('\n'); at != std::string::npos; at = data.find('\n', at + 2)) data.insert(at, " ");
    return data;
}

// A table of region (stub) by year (heading) with the given values and
// cells; `extra` adds keywords before DATA=.
std::string region_years(const std::string& regions, const std::string& years, const std::string& data,
                         const std::string& extra = "", const std::string& units = "persons") {
    return "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
           "CONTENTS=\"Pop\";\nUNITS=\"" + units + "\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
           "VALUES(\"region\")=" + regions + ";\nVALUES(\"year\")=" + years + ";\n" + extra + "DATA=\n" + rows(data) + ";\n";
}

vt::table load(const std::string& text) {
    vt::test::temp_dir dir;
    return vt::test::read_back(dir.write("t.vt", text));
}

using vt::test::cells;
using vt::test::texts;

const std::string ab = "\"A\",\"B\"";
// The first table of every merge: A and B by 2001 and 2002.
const vt::table& first() {
    static const vt::table t = load(region_years(ab, "\"2001\",\"2002\"", "1 2\n3 4",
                                                 "ELIMINATION(\"region\")=\"A\";\nCELLNOTE(\"A\",\"2001\")=\"first\";\n"));
    return t;
}

int merge(const vt::table& b, int op, vt::table& out, const std::vector<std::string>& overlay = {}) {
    vt::bearb req;
    req.op = op;
    if (!overlay.empty()) req.entries.push_back({overlay[0], std::nullopt, {overlay[1], overlay[2]}});
    int relation = -1;
    const int rc = vt::sammans(first(), b, req, out, relation);
    return rc == 0 ? relation : -100 - rc;
}

std::string lines;
void keep_trace(const char* routine, const char* what) { lines += std::string(routine) + what + "|"; }

}  // namespace

// Link: the relation of the definition's examples and the tables they give.
TEST(Merge, LinkAlongYears) {
    const struct {
        const char* what;
        std::string second;
        int relation;
        std::vector<std::string> years;
        std::vector<double> cells;
    } cases[] = {
        {"disjoint", region_years(ab, "\"2003\",\"2004\"", "5 6\n7 8"), 10,
         {"2001", "2002", "2003", "2004"}, {1, 2, 5, 6, 3, 4, 7, 8}},
        // The second table in another region order is realigned first.
        {"disjoint, other order", region_years("\"B\",\"A\"", "\"2003\"", "7\n5"), 12,
         {"2001", "2002", "2003"}, {1, 2, 5, 3, 4, 7}},
        // Overlap in part: the second table's cells win where both have a year.
        {"overlap", region_years(ab, "\"2002\",\"2003\"", "20 30\n40 50"), 31,
         {"2001", "2002", "2003"}, {1, 20, 30, 3, 40, 50}},
        // The second table holds every year of the first and more: all its cells.
        {"extends", region_years(ab, "\"2003\",\"2001\",\"2002\"", "30 10 20\n60 40 50"), 32,
         {"2001", "2002", "2003"}, {10, 20, 30, 40, 50, 60}},
        // The same values in another order: the second table in the first's order.
        {"same sets", region_years("\"B\",\"A\"", "\"2002\",\"2001\"", "40 30\n20 10"), 21,
         {"2001", "2002"}, {10, 20, 30, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vt::table out;
        ASSERT_EQ(merge(load(c.second), vt::op_link, out), c.relation);
        EXPECT_EQ(texts(out.vars[0]), (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(texts(out.vars[1]), c.years);
        EXPECT_EQ(cells(out), c.cells);
        EXPECT_EQ(out.heading, 1u);
    }
}

// Relations that allow no merge, for link and overlay alike.
TEST(Merge, RelationsWithoutMerge) {
    const std::string sex = "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\n"
                            "TITLE=\"t\";\nCONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"sex\";\nHEADING=\"year\";\n"
                            "VALUES(\"sex\")=\"m\",\"f\";\nVALUES(\"year\")=\"2001\",\"2002\";\nDATA=\n1 2 3 4;\n";
    const struct {
        std::string second;
        int op;
        int relation;
    } cases[] = {
        {region_years(ab, "\"2001\"", "1\n2"), vt::op_overlay, vt::rel_no_merge},
        {region_years("\"A\",\"C\"", "\"2003\"", "1\n2"), vt::op_link, vt::rel_several_differ},
        {sex, vt::op_link, vt::rel_variable_missing},
        {"CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
         "CONTENTS=\"C\";\nUNITS=\"u\";\nSTUB=\"region\";\nVALUES(\"region\")=\"A\",\"B\";\nDATA=\n1 2;\n",
         vt::op_overlay, vt::rel_variable_count},
        {region_years(ab, "\"2001\",\"2002\"", "1 2\n3 4"), 5, vt::rel_no_merge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        vt::table out;
        EXPECT_EQ(vt::relate_tables(first(), load(c.second), c.op), c.relation);
        EXPECT_EQ(merge(load(c.second), c.op, out), -100 - vt::codes::op_failed);
    }
    // Same sets in another order: 21 for link, 2 for overlay (3 with
    // another variable order too).
    const vt::table swapped = load(region_years(ab, "\"2002\",\"2001\"", "2 1\n4 3"));
    EXPECT_EQ(vt::relate_tables(first(), swapped, vt::op_link), vt::rel_same_values);
    EXPECT_EQ(vt::relate_tables(first(), swapped, vt::op_overlay), vt::rel_value_order);
    const vt::table turned = load(
        "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"year\";\nHEADING=\"region\";\n"
        "VALUES(\"year\")=\"2002\",\"2001\";\nVALUES(\"region\")=\"A\",\"B\";\nDATA=\n2 4 \n1 3;\n");
    EXPECT_EQ(vt::relate_tables(first(), turned, vt::op_overlay), vt::rel_both_orders);
    EXPECT_EQ(vt::relate_tables(first(), turned, vt::op_link), vt::rel_same_values);
    vt::table out;
    ASSERT_EQ(merge(turned, vt::op_link, out), vt::rel_same_values);
    EXPECT_EQ(cells(out), (std::vector<double>{1, 2, 3, 4}));
}

// Overlay: equal UNITS give the request's variable (codes after "#"),
// different UNITS a variable without a name holding them; the second table
// is realigned; each value's PRECISION is its table's DECIMALS; both
// tables' cell notes come along.
TEST(Merge, OverlayUnitsCases) {
    vt::table out;
    const std::string second = region_years("\"B\",\"A\"", "\"2002\",\"2001\"", "40 30\n20 10",
                                            "CELLNOTE(\"B\",\"*\")=\"second\";\n");
    ASSERT_EQ(merge(load(second), vt::op_overlay, out, {"source", "old#O", "new#N"}), vt::rel_value_order);
    ASSERT_EQ(out.vars.size(), 3u);
    EXPECT_EQ(out.vars[0].name, "source");
    EXPECT_EQ(texts(out.vars[0]), (std::vector<std::string>{"old", "new"}));
    EXPECT_EQ(out.vars[0].values[1].code, "N");
    EXPECT_EQ(out.heading, 2u);
    EXPECT_EQ(cells(out), (std::vector<double>{1, 2, 3, 4, 10, 20, 30, 40}));
    EXPECT_EQ(out.units, "persons");
    EXPECT_EQ(out.cellnote_texts, (vt::text_list{"first", "second"}));
    EXPECT_EQ(out.vars[0].cellnote_refs, (vt::cell_ref_list{0, 1}));
    EXPECT_EQ(out.vars[1].cellnote_refs, (vt::cell_ref_list{0, 1}));
    EXPECT_EQ(out.vars[2].cellnote_refs, (vt::cell_ref_list{0, vt::any_value}));
    // Without a name the request is refused, unless the UNITS differ.
    EXPECT_EQ(merge(load(second), vt::op_overlay, out), -100 - vt::codes::op_overlay_unnamed);
    std::string dollars = region_years(ab, "\"2001\",\"2002\"", "5 6\n7 8", "", "dollars");
    dollars.replace(dollars.find("DECIMALS=0"), 10, "DECIMALS=2");
    ASSERT_EQ(merge(load(dollars), vt::op_overlay, out), vt::rel_same);
    EXPECT_FALSE(out.vars[0].name);
    EXPECT_EQ(texts(out.vars[0]), (std::vector<std::string>{"persons", "dollars"}));
    EXPECT_EQ(out.vars[0].values[0].precision, 0);
    EXPECT_EQ(out.vars[0].values[1].precision, 2);
    EXPECT_FALSE(out.units);
    EXPECT_EQ(cells(out), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    // Only one of the two tables with a variable without a name: no table.
    const vt::table sorted = load(
        "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"t\";\n"
        "CONTENTS=\"Pop\";\nUNITS=\"x\";\nSTUB=\"region\";\nHEADING=\"$$SORT\";\n"
        "VALUES(\"region\")=\"A\",\"B\";\nVALUES(\"$$SORT\")=\"p\",\"q\";\nDATA=\n1 2 \n3 4;\n");
    vt::bearb req;
    req.op = vt::op_overlay;
    req.entries.push_back({"n", std::nullopt, {"x", "y"}});
    int relation = 0;
    EXPECT_EQ(vt::sammans(sorted, first(), req, out, relation), vt::codes::op_failed);
    EXPECT_EQ(relation, vt::rel_variable_missing);
    // Both with one: the request's variable, the contents information
    // following the two tables.
    ASSERT_EQ(vt::sammans(sorted, sorted, req, out, relation), 0);
    EXPECT_EQ(out.vars[0].name, "n");
    EXPECT_EQ(out.contvariable, "n");
    ASSERT_EQ(out.continfos.size(), 2u);
    EXPECT_EQ(out.continfos[1].content, "y");
}

// Elimination values survive a join only where both tables agree; a stack
// keeps the first table's; notes of 32 come from the second table.
TEST(Merge, EliminationAndNotes) {
    vt::table out;
    const std::string agree = "ELIMINATION(\"region\")=\"A\";\nCELLNOTE(\"B\",\"2003\")=\"second\";\n";
    ASSERT_EQ(merge(load(region_years(ab, "\"2001\",\"2002\",\"2003\"", "1 2 3\n4 5 6", agree)), vt::op_link, out),
              vt::rel_extends);
    EXPECT_EQ(out.vars[0].elimination_value, 0);
    EXPECT_EQ(out.cellnote_texts, (vt::text_list{"second"}));
    EXPECT_EQ(out.vars[1].cellnote_refs, (vt::cell_ref_list{2}));
    ASSERT_EQ(merge(load(region_years(ab, "\"2002\",\"2003\"", "1 2\n3 4", "ELIMINATION(\"region\")=\"B\";\n")),
                    vt::op_link, out),
              vt::rel_overlap);
    EXPECT_EQ(out.vars[0].elimination_value, -1);
    EXPECT_EQ(out.cellnote_texts, (vt::text_list{"first"}));
    ASSERT_EQ(merge(load(region_years(ab, "\"2003\"", "1\n2")), vt::op_link, out), vt::rel_disjoint);
    EXPECT_EQ(out.vars[0].elimination_value, 0);
    EXPECT_EQ(out.cellnote_texts, (vt::text_list{"first"}));
}

// The relation goes to the trace after " rkod="; berakna hands ops 61 and
// 71 to sammans with the request's second table.
TEST(Merge, TraceAndDispatch) {
    vt::table source = load(region_years(ab, "\"2001\",\"2002\"", "1 2\n3 4"));
    const vt::table second = load(region_years(ab, "\"2003\"", "5\n6"));
    vt::plat::set_trace_hook(keep_trace);
    lines.clear();
    vt::bearb req;
    req.op = vt::op_link;
    req.second = &second;
    vt::table out;
    ASSERT_EQ(vt::berakna(source, req, nullptr, out), 0);
    vt::plat::set_trace_hook(nullptr);
    EXPECT_EQ(lines, "sammansstart|sammans rkod=10|sammansslut|");
    EXPECT_EQ(cells(out), (std::vector<double>{1, 2, 5, 3, 4, 6}));
    req.second = nullptr;
    EXPECT_EQ(vt::berakna(source, req, nullptr, out), vt::codes::op_failed);
}

TEST(Merge, OverlayTextChecks) {
    EXPECT_EQ(vt::check_overlay_texts(first(), "new", "a#1", "b#2"), 0);
    EXPECT_EQ(vt::check_overlay_texts(first(), "ne\"w", "a", "b"), vt::codes::op_quote_in_text);
    EXPECT_EQ(vt::check_overlay_texts(first(), "new", "a#\"", "b"), vt::codes::op_quote_in_text);
    EXPECT_EQ(vt::check_overlay_texts(first(), "region", "a", "b"), vt::codes::op_variable_exists);
    EXPECT_EQ(vt::check_overlay_texts(first(), "new", "a#1", "a#2"), vt::codes::op_text_used);
}
