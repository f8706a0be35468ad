// The titles operations give their tables.
#include <gtest/gtest.h>

#include "tableops/title.h"
#include "../platform/temp_dir.h"

namespace {

vt::variable var(const char* name, std::initializer_list<const char*> values) {
    vt::variable v;
    if (name) v.name = name;
    for (const char* s : values) {
        vt::value val;
        val.text = s;
        v.values.push_back(val);
    }
    v.value_count = static_cast<int>(v.values.size());
    return v;
}

const vt::title_words english = vt::title_words_from_list("and;by;distributed;unit");

}  // namespace

TEST(TitleRebuild, ContentsByVariables) {
    vt::table t = vt::table_new();
    t.contents = "Population";
    t.vars = {var("region", {"a"})};
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title, (vt::text_list{"Population by region"}));

    t.vars = {var("region", {"a"}), var("sex", {"m"}), var("year", {"2001"})};
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title, (vt::text_list{"Population by region, sex and year"}));

    // Without contents the units stand first, unless they are unknown.
    t.contents.reset();
    t.units = "persons";
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title.front(), "persons by region, sex and year");
    t.units = "?";
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title.front(), " by region, sex and year");
}

TEST(TitleRebuild, SortVariableGetsASecondSentence) {
    vt::table t = vt::table_new();
    t.contents = "Trade";
    t.vars = {var("flow", {"in"}), var(nullptr, {"North", "South", "West"})};
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title, (vt::text_list{"Trade by flow.", "distributed by North, South and West."}));
}

TEST(TitleRebuild, DescriptionAsDefaultTitleAndLongTitles) {
    vt::table t = vt::table_new();
    t.contents = "C";
    t.description = {"First part", "second part"};
    t.descriptiondefault = 1;
    vt::title_rebuild(t, 72, english);
    EXPECT_EQ(t.title, (vt::text_list{"First part second part"}));

    t.descriptiondefault = 0;
    t.contents = std::string(60, 'x');
    t.vars = {var("region of residence", {"a"}), var("sex", {"m"})};
    vt::title_rebuild(t, 72, english);
    ASSERT_EQ(t.title.size(), 2u);
    EXPECT_EQ(t.title[0], std::string(60, 'x') + " by region ");
    EXPECT_EQ(t.title[1], "of residence and sex");

    // A word longer than the line is cut; the lines give the text back.
    vt::text_list lines = vt::split_title(std::string(150, 'y') + " z", 72);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 72u);
    EXPECT_EQ(lines[0] + lines[1] + lines[2], std::string(150, 'y') + " z");
}

TEST(TitleWords, FromListAndLabelFile) {
    vt::title_words w = vt::title_words_from_list("och;efter");
    EXPECT_EQ(w.and_word, "och");
    EXPECT_EQ(w.by_word, "efter");
    EXPECT_EQ(w.distr_word, "");
    const vt::test::temp_dir dir;
    w = vt::title_words_from_label_file(dir.file("no_such_labels.ini"));
    EXPECT_EQ(w.by_word, "");
}
