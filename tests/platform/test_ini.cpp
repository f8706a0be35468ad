// Profile (INI) files: lookups, whole numbers, key lists and writing.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sys/stat.h>

#include "platform/ini.h"
#include "temp_dir.h"

using namespace vt::plat;
namespace fs = std::filesystem;

namespace {

const char* const k_sample =
    "top=before any section\r\n"
    "; comment=not a key\r\n"
    "[Query]\r\n"
    "  Name  =  population by age \t\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Mismatched=\"x'\r\n"
    "just a line without equals sign\r\n"
    "   ; Hidden=1\r\n"
    "Empty=\r\n"
    "name=second occurrence\r\n"
    "Bytes=K\xF6ln \x80\x9F\xFF\r\n"
    "\xC4rger=upper\r\n"
    "[query]\r\n"
    "Late=never seen\r\n"
    "[Numbers]\n"  // LF-only lines mixed in
    "dec=42\n"
    "neg=-17\n"
    "plus=+5\n"
    "hex=0x1A\n"
    "hexneg=-0X1a\n"
    "lead=12abc\n"
    "word=abc\n"
    "sign=-\n"
    "zerox=0x\n"
    "big=99999999999\n"
    "small=-99999999999\n"
    "quoted=\"7\"\n"
    "[Open\n"
    "inside=1\n";

class IniTest : public ::testing::Test {
protected:
    vt::test::temp_dir dir;
    std::string path = dir.write("sample.ini", k_sample);
};

}  // namespace

TEST_F(IniTest, LookupSemantics) {
    auto get = [&](const char* sec, const char* key) { return ini_get_string(path, sec, key, "<none>", 256); };
    EXPECT_EQ(get("query", "NAME"), "population by age");  // names fold, blanks trimmed, first wins
    EXPECT_EQ(get(" Query ", " name "), "population by age");
    EXPECT_EQ(get("Query", "Quoted"), "  padded  ");
    EXPECT_EQ(get("Query", "Single"), "x");
    EXPECT_EQ(get("Query", "Mismatched"), "\"x'");
    EXPECT_EQ(get("Query", "Empty"), "");
    EXPECT_EQ(get("Query", "Hidden"), "<none>");
    EXPECT_EQ(get("Query", "; Hidden"), "<none>");
    EXPECT_EQ(get("Query", "top"), "<none>");
    EXPECT_EQ(get("Query", "Late"), "<none>");  // only the first [Query] counts
    EXPECT_EQ(get("Query", "Bytes"), "K\xF6ln \x80\x9F\xFF");
    EXPECT_EQ(get("Query", "\xC4rger"), "upper");
    EXPECT_EQ(get("Query", "\xE4rger"), "<none>");  // only ASCII letters fold
    EXPECT_EQ(get("Open", "inside"), "1");          // a header without ']' still opens a section
    EXPECT_EQ(get("Nope", "Name"), "<none>");
    EXPECT_EQ(ini_get_string(dir.file("missing.ini"), "Query", "Name", "dflt", 256), "dflt");
}

TEST_F(IniTest, BufferSizeAndWholeNumbers) {
    EXPECT_EQ(ini_get_string(path, "Query", "Name", "", 6), "popul");
    EXPECT_EQ(ini_get_string(path, "Query", "Name", "", 0), "");
    EXPECT_EQ(ini_get_string(path, "Query", "Nope", "default", 4), "def");
    EXPECT_EQ(ini_get_string(path, "Query", "Nope", "default", 0), "");

    const std::pair<const char*, int> numbers[] = {
        {"dec", 42},   {"neg", -17},   {"plus", 5},          {"hex", 26},          {"hexneg", -26},
        {"lead", 12},  {"word", -999}, {"sign", -999},       {"zerox", 0},         {"big", INT_MAX},
        {"quoted", 7}, {"nope", -999}, {"small", INT_MIN}};
    for (const auto& [key, want] : numbers) EXPECT_EQ(ini_get_int(path, "Numbers", key, -999), want) << key;
    EXPECT_EQ(ini_get_int(path, "Query", "Empty", 3), 3);
}

TEST_F(IniTest, SectionKeysInFileOrder) {
    EXPECT_EQ(ini_section_keys(path, "QUERY"),
              (std::vector<std::string>{"Name", "Quoted", "Single", "Mismatched", "Empty", "Bytes", "\xC4rger"}));
    EXPECT_TRUE(ini_section_keys(path, "Nope").empty());
    ini_file f;
    ASSERT_TRUE(f.load(path));
    EXPECT_EQ(f.section_names(), (std::vector<std::string>{"Query", "Numbers", "Open"}));
    EXPECT_FALSE(f.load(dir.file("missing.ini")));
    EXPECT_FALSE(f.has_section("Query"));  // a failed load leaves nothing behind
}

TEST_F(IniTest, WriteCreatesFileAndSectionsWithCrLf) {
    const std::string p = dir.file("new.ini");
    ASSERT_TRUE(ini_write_string(p, "Labels", "Title", "Population"));
    ASSERT_TRUE(ini_write_string(p, "Labels", "Unit", "persons"));
    ASSERT_TRUE(ini_write_string(p, "Other", "x", "1"));
    EXPECT_EQ(dir.read("new.ini"), "[Labels]\r\nTitle=Population\r\nUnit=persons\r\n[Other]\r\nx=1\r\n");
}

TEST_F(IniTest, WriteChangesOnlyWhatItMust) {
    const std::string p = dir.write("lf.ini",
                                    "; header comment\n"
                                    "[A]\n"
                                    "  Key = old ; kept\n"
                                    "other=1\n"
                                    "\n"
                                    "[B]\n"
                                    "b=2");  // no line end at the very end
    ASSERT_TRUE(ini_write_string(p, "a", "KEY", "new"));
    ASSERT_TRUE(ini_write_string(p, "A", "added", "3"));
    ASSERT_TRUE(ini_write_string(p, "B", "c", "4"));
    ASSERT_TRUE(ini_write_string(p, "C", "d", "5"));
    EXPECT_EQ(dir.read("lf.ini"),
              "; header comment\n"
              "[A]\n"
              "Key=new\n"
              "other=1\n"
              "added=3\n"
              "\n"
              "[B]\n"
              "b=2\n"
              "c=4\n"
              "[C]\n"
              "d=5\n");
}

TEST_F(IniTest, WrittenValuesReadBackUnchanged) {
    const std::string p = dir.file("rt.ini");
    for (const std::string v : {"  lead and trail  ", "\"quoted\"", "'single'", "", "K\xF6ln\x80", "a=b;c"}) {
        ASSERT_TRUE(ini_write_string(p, "S", "k", v));
        EXPECT_EQ(ini_get_string(p, "S", "k", "?", 1000), v);
    }
    EXPECT_EQ(ini_section_keys(p, "S").size(), 1u);
}

TEST_F(IniTest, WriteRefusesWhatCannotBeReadBack) {
    const std::string before = dir.read("sample.ini");
    EXPECT_FALSE(ini_write_string(path, "Query", "a=b", "1"));
    EXPECT_FALSE(ini_write_string(path, "Query", "", "1"));
    EXPECT_FALSE(ini_write_string(path, "Query", ";k", "1"));
    EXPECT_FALSE(ini_write_string(path, "Qu]ery", "k", "1"));
    EXPECT_FALSE(ini_write_string(path, "Query", "k", "line\r\n[Injected]"));
    EXPECT_EQ(dir.read("sample.ini"), before);
    EXPECT_FALSE(ini_write_string(dir.file("no/such/dir.ini"), "S", "k", "v"));
    fs::create_directory(dir.path() / "adir");
    EXPECT_FALSE(ini_write_string(dir.file("adir"), "S", "k", "v"));
}

TEST_F(IniTest, WriteKeepsLinksAndPermissions) {
    const std::string target = dir.write("target.ini", "[S]\nk=1\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    fs::create_symlink(target, dir.path() / "link.ini");
    ASSERT_TRUE(ini_write_string(dir.file("link.ini"), "S", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
    EXPECT_EQ(dir.read("target.ini"), "[S]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);  // no stray temp file
}

TEST_F(IniTest, DeleteKey) {
    ASSERT_TRUE(ini_delete_key(path, "query", "NAME"));
    // The repeated key further down now answers.
    EXPECT_EQ(ini_get_string(path, "Query", "Name", "", 100), "second occurrence");
    EXPECT_TRUE(ini_delete_key(path, "Query", "absent"));
    EXPECT_TRUE(ini_delete_key(dir.file("missing.ini"), "S", "k"));
    EXPECT_FALSE(fs::exists(dir.file("missing.ini")));
}

TEST_F(IniTest, OddInputNeitherCrashesNorHangs) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
    junk += std::string("\n[\n]\n=\n[]\n=x\n\r\r\n[S]\nk=\0v\n", 25);
    const std::string p = dir.write("junk.ini", junk);
    EXPECT_EQ(ini_get_string(p, "", "", "d", 10), "d");
    EXPECT_EQ(ini_get_string(p, "S", "k", "d", 10), std::string("\0v", 2));

    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ini_get_string(fifo, "S", "k", "d", 10), "d");
    EXPECT_FALSE(ini_write_string(fifo, "S", "k", "v"));
}

TEST(IniFile, ParsedOnceManyLookups) {
    std::string text = "[Big]\n";
    for (int i = 0; i < 2000; ++i) text += "key" + std::to_string(i) + "=" + std::to_string(i * 3) + "\n";
    ini_file f;
    f.parse(text);
    EXPECT_EQ(f.section_keys("big").size(), 2000u);
    EXPECT_EQ(f.get_int("Big", "KEY1999", -1), 5997);
    ASSERT_TRUE(f.remove("Big", "key6"));
    ASSERT_TRUE(f.set("Big", "key5", "x"));
    EXPECT_EQ(f.get_string("Big", "key5", "", 10), "x");
    EXPECT_EQ(f.get_int("Big", "key7", -1), 21);  // the index follows the changes
    EXPECT_EQ(f.find("Big", "key6"), nullptr);
}
