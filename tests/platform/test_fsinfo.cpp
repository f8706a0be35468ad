// File system facts: directories, disk figures, paths, file identity and
// wildcard listings.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/fsinfo.h"
#include "temp_dir.h"

using namespace vt::plat;
namespace fs = std::filesystem;

TEST(Fsinfo, CurrentDirectoryRoundTrip) {
    vt::test::temp_dir dir;
    const std::string before = current_directory();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(change_directory(dir.path().string()));
    EXPECT_EQ(current_directory(), fs::canonical(dir.path()).string());
    EXPECT_FALSE(change_directory(dir.file("missing")));
    EXPECT_FALSE(change_directory(""));
    EXPECT_EQ(current_directory(), fs::canonical(dir.path()).string());
    ASSERT_TRUE(change_directory(before));
}

TEST(Fsinfo, DiskFiguresAndPaths) {
    EXPECT_GT(disk_total_bytes(), 0u);
    EXPECT_LE(disk_free_bytes(), disk_total_bytes());
    EXPECT_EQ(disk_total_bytes("/no/such/place"), 0u);
    EXPECT_EQ(disk_free_bytes("/no/such/place"), 0u);
    EXPECT_EQ(native_path("data\\tables/pop.vt"), "data/tables/pop.vt");
}

TEST(Fsinfo, SameFile) {
    vt::test::temp_dir dir;
    const std::string a = dir.write("a.vt", "x");
    const std::string b = dir.write("b.vt", "x");
    fs::create_hard_link(a, dir.path() / "hard.vt");
    fs::create_symlink(a, dir.path() / "soft.vt");
    EXPECT_TRUE(same_file(a, (dir.path() / "." / "a.vt").string()));
    EXPECT_TRUE(same_file(a, dir.file("hard.vt")));
    EXPECT_TRUE(same_file(dir.file("soft.vt"), a));
    EXPECT_FALSE(same_file(a, b));
    EXPECT_FALSE(same_file(a, dir.file("missing.vt")));
    EXPECT_FALSE(same_file(dir.file("missing.vt"), dir.file("missing.vt")));
}

TEST(Fsinfo, WildcardMatch) {
    EXPECT_TRUE(wildcard_match("*.vt", "pop.vt"));
    EXPECT_TRUE(wildcard_match("*.vt", "POP.VT"));
    EXPECT_FALSE(wildcard_match("*.vt", "pop.vtx"));
    EXPECT_FALSE(wildcard_match("*.vt", "pop.v"));
    EXPECT_TRUE(wildcard_match("p?p.*", "pop.vt"));
    EXPECT_FALSE(wildcard_match("p?p.*", "pp.vt"));
    EXPECT_FALSE(wildcard_match("?", ""));
    EXPECT_TRUE(wildcard_match("a*b*c", "axxbyyc"));
    EXPECT_FALSE(wildcard_match("a*b*c", "axxbyy"));
    EXPECT_TRUE(wildcard_match("\xC4*", "\xC4rger"));
    EXPECT_FALSE(wildcard_match("\xE4*", "\xC4rger"));  // only ASCII letters fold

    // Many stars against a long near-miss must not take exponential time.
    const std::string name(5000, 'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(wildcard_match("*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Fsinfo, ListFiles) {
    vt::test::temp_dir dir;
    for (const char* n : {"b.vt", "A.VT", "c.vs", "d.vtx", "noext"}) dir.write(n, "");
    fs::create_directory(dir.path() / "sub.vt");  // directories are not listed
    fs::create_symlink(dir.path() / "b.vt", dir.path() / "link.vt");
    const std::string d = dir.path().string();
    EXPECT_EQ(list_files(d, "*.vt"), (std::vector<std::string>{"A.VT", "b.vt", "link.vt"}));
    EXPECT_EQ(list_files(d, "*.VS"), (std::vector<std::string>{"c.vs"}));
    EXPECT_EQ(list_files(d, "*.*").size(), 6u);
    EXPECT_EQ(list_files(d, "?.vt*"), (std::vector<std::string>{"A.VT", "b.vt", "d.vtx"}));
    EXPECT_TRUE(list_files(dir.file("missing"), "*").empty());
}
