// The listing of the table files of a folder with their titles.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/listing.h"
#include "core/reader.h"
#include "../platform/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        vt::free_table_list();
        vt::reader_state() = vt::reader_settings{};
    }
    void TearDown() override { vt::free_table_list(); }
    void write(const std::string& name, const std::string& text) { tmp_.write(name, text); }
    std::string dir() const { return tmp_.path().string(); }

private:
    vt::test::temp_dir tmp_;
};

using entries = std::vector<std::pair<std::string, std::string>>;

entries listed() {
    entries out;
    for (const auto& e : vt::table_list()) out.emplace_back(e.file_name, e.title);
    return out;
}

}  // namespace

TEST_F(Listing, TitlesOfTheTableFiles) {
    write("b.vt", "MATRIX=\"B\";\nTITLE=\"Second \",\n\"table\";\nDATA=1;");
    write("a.VT", "MATRIX=\"A\";\nDESCRIPTION=\"Described\";\nTITLE=\"Titled\";\nDATA=1;");
    write("c.vt", "MATRIX=\"C\";\nDATA=\nTITLE=\"after the data\";");
    write("notes.txt", "TITLE=\"not a table\";");
    ASSERT_EQ(vt::list_tables(dir()), 1);
    // The description that stands first is the title; a file without a
    // title before its data is not listed; names keep their spelling.
    EXPECT_EQ(listed(), (entries{{"a.VT", "Described"}, {"b.vt", "Second table"}}));

    // A second listing appends; freeing empties.
    ASSERT_EQ(vt::list_tables(dir() + "/"), 1);
    EXPECT_EQ(vt::table_list().size(), 4u);
    vt::free_table_list();
    EXPECT_TRUE(vt::table_list().empty());
}

TEST_F(Listing, FolderWithoutTables) {
    write("x.txt", "TITLE=\"x\";");
    vt::table_list().push_back({"kept", "old.vt"});
    EXPECT_EQ(vt::list_tables(dir()), 400);
    EXPECT_EQ(vt::list_tables(dir() + "/no_such_folder"), 400);
    EXPECT_EQ(listed(), (entries{{"old.vt", "kept"}}));
}

TEST_F(Listing, CharacterSets) {
    // 0x84 is a-umlaut in code page 850, which files are in unless they say
    // otherwise; 0xE4 is the same letter in ANSI.
    write("1.vt", "TITLE=\"\x84\";DATA=");
    write("2.vt", "CHARSET=\"ANSI\";TITLE=\"\x84\";DATA=");
    write("3.vt", "CHARSET=\"oem\";TITLE=\"\x84\";DATA=");
    ASSERT_EQ(vt::list_tables(dir()), 1);
    EXPECT_EQ(listed(), (entries{{"1.vt", "\xE4"}, {"2.vt", "\x84"}, {"3.vt", "\xE4"}}));

    // An unknown character set ends the listing; what came before stays.
    write("4.vt", "CHARSET=\"UTF-8\";TITLE=\"x\";DATA=");
    write("5.vt", "TITLE=\"never read\";DATA=");
    vt::free_table_list();
    EXPECT_EQ(vt::list_tables(dir()), 163);
    EXPECT_EQ(vt::table_list().size(), 3u);

    // A malformed CHARSET= string gives the reader's code for it.
    fs::remove(fs::path(dir()) / "4.vt");
    write("4.vt", "CHARSET=\"ANSI\",TITLE=\"x\";DATA=");
    vt::free_table_list();
    EXPECT_EQ(vt::list_tables(dir()), vt::q_comma);
}
