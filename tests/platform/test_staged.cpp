// Outputs that replace an old file only when complete.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/outfile.h"
#include "platform/staged.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// How many names the folder holds: a staged output leaves none behind.
std::size_t entries(const vt::test::temp_dir& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++n;
    return n;
}

bool write_staged(const std::string& path, const std::string& text, bool keep) {
    vt::plat::staged_file f;
    if (!f.open(path)) return false;
    std::fputs(text.c_str(), f.stream());
    if (!keep) {
        f.abandon();
        return true;
    }
    return f.commit();
}

}  // namespace

// Kept, dropped, new or old: the target holds either the old bytes or all
// the new ones, and the folder holds nothing else.
TEST(StagedFile, ReplacesOnlyOnCommit) {
    struct row {
        bool old_exists, keep;
        const char* expected;  // nullptr: no file
    };
    for (const row r : {row{true, true, "new"}, row{true, false, "old"}, row{false, true, "new"},
                        row{false, false, nullptr}}) {
        vt::test::temp_dir dir;
        if (r.old_exists) dir.write("out.txt", "old");
        ASSERT_TRUE(write_staged(dir.file("out.txt"), "new", r.keep));
        if (r.expected)
            EXPECT_EQ(dir.read("out.txt"), r.expected);
        else
            EXPECT_FALSE(fs::exists(dir.file("out.txt")));
        EXPECT_EQ(entries(dir), r.expected ? 1u : 0u);
    }
}

TEST(StagedFile, KeepsModeAndLinksAndRefusesDirectories) {
    vt::test::temp_dir dir;
    dir.write("real.txt", "old");
    ::chmod(dir.file("real.txt").c_str(), 0640);
    fs::create_symlink("real.txt", dir.file("link.txt"));
    ASSERT_TRUE(write_staged(dir.file("link.txt"), "new", true));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(dir.read("real.txt"), "new");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("real.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    fs::create_directory(dir.file("folder"));
    EXPECT_FALSE(write_staged(dir.file("folder"), "new", true));
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_FALSE(write_staged(dir.file("no/such/folder.txt"), "new", true));
    EXPECT_FALSE(write_staged("", "new", true));
    // Backslashes separate folders as slashes do.
    fs::create_directory(dir.file("sub"));
    ASSERT_TRUE(write_staged(dir.path().string() + "\\sub\\x.txt", "new", true));
    EXPECT_EQ(dir.read("sub/x.txt"), "new");
}

// A device is written in place: a full one reports the failure and stays.
TEST(StagedFile, WritesDevicesInPlace) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    vt::out_file out;
    ASSERT_TRUE(out.open("/dev/full"));
    out.write("lost");
    EXPECT_FALSE(out.close());
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    ASSERT_TRUE(write_staged("/dev/null", "gone", true));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// An out_file dropped without close(), as on an export's early return,
// leaves the old file; one closed puts the new one in place.
TEST(StagedFile, OutFileKeepsTheOldFileUnlessClosed) {
    vt::test::temp_dir dir;
    dir.write("out.txt", "old");
    {
        vt::out_file out;
        ASSERT_TRUE(out.open(dir.file("out.txt")));
        out.write("half");
    }
    EXPECT_EQ(dir.read("out.txt"), "old");
    vt::out_file out;
    ASSERT_TRUE(out.open(dir.file("out.txt")));
    out.write("whole");
    EXPECT_TRUE(out.close());
    EXPECT_EQ(dir.read("out.txt"), "whole");
    EXPECT_EQ(entries(dir), 1u);
}
