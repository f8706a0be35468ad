// Tests of the NSD export: the three files of a small table, the stub
// checks, and the free-space thresholds with the free space pinned.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "export/nsd.h"

namespace {

namespace fs = std::filesystem;

std::uint64_t g_space = 0;
std::uint64_t pinned_space(const std::string&) { return g_space; }

struct pinned_free_space {
    explicit pinned_free_space(std::uint64_t bytes) { g_space = bytes; }
    vt::free_space_source old = vt::set_nsd_free_space(pinned_space);
    ~pinned_free_space() { vt::set_nsd_free_space(old); }
};

std::string harvest(const std::string& years = "\"1999\",\"2000\"", const std::string& data = "1.5 -2.5 \n\".\" 10;") {
    return "CHARSET=\"ANSI\";\nDECIMALS=1;\nSHOWDECIMALS=1;\nMATRIX=\"N01\";\nSUBJECT-AREA=\"S\";\n"
           "SUBJECT-CODE=\"C\";\nTITLE=\"Harvest by year\";\nCONTENTS=\"Harvest\";\nUNITS=\"tonnes\";\n"
           "STUB=\"year\";\nHEADING=\"crop\",\"area\";\nVALUES(\"year\")=" + years + ";\n"
           "VALUES(\"crop\")=\"wheat\",\"rye\";\nVALUES(\"area\")=\"north\";\nCODES(\"crop\")=\"W\",\"R\";\n"
           "NOTEX=\"Estimates#from farms\";\nNOTE(\"crop\")=\"Crops as sown\";\n"
           "VALUENOTE(\"crop\",\"rye\")=\"Incl. mixed\";\nDATA=\n" + data + "\n";
}

}  // namespace

TEST(Nsd, DataVariableAndDocumentationFiles) {
    pinned_free_space space(1u << 20);
    vt::test::temp_dir dir;
    ASSERT_EQ(vt::nsdkonv(dir.write("in.vt", harvest()), dir.file("out.dat"), "unnamed"), 0);
    EXPECT_EQ(dir.read("out.dat"), "1999 1.5 -2.5\r\n2000 999999999 10.0\r\n");
    EXPECT_EQ(dir.read("out.VAR"),
              "+\r\nDyear: year\r\n1999 1999\r\n2000 2000\r\n9999 #\r\n"
              "+\r\nW north:wheat north\r\n-3\r\n11\r\n1\r\n999999999 #\r\n"
              "+\r\nR north:rye north\r\n-3\r\n11\r\n1\r\n999999999 #\r\n");
    const std::string per_series =
        "Harvest by year\r\nEstimates \r\nfrom farms\r\ncrop: Crops as sown\r\ncrop=rye: Incl. mixed\r\ntonnes\r\n";
    EXPECT_EQ(dir.read("out.DOK"), "+\r\nyear: year\r\n+\r\nwheat north\r\n" + per_series + "+\r\nrye north\r\n" +
                                       per_series);
}

TEST(Nsd, StubChecksAndSameFile) {
    pinned_free_space space(1u << 20);
    std::string two_stubs = harvest();
    two_stubs.replace(two_stubs.find("HEADING=\"crop\","), 15, "HEADING=");
    two_stubs.replace(two_stubs.find("STUB=\"year\""), 11, "STUB=\"year\",\"crop\"");
    const struct {
        std::string table;
        int code;
    } cases[] = {{two_stubs, 192}, {harvest("\"1999\",\"2000a\""), 194}};
    for (const auto& c : cases) {
        vt::test::temp_dir dir;
        EXPECT_EQ(vt::nsdkonv(dir.write("in.vt", c.table), dir.file("out.dat"), "x"), c.code);
        EXPECT_FALSE(fs::exists(dir.file("out.dat")));
    }
    vt::test::temp_dir dir;
    const std::string in = dir.write("in.vt", harvest());
    EXPECT_EQ(vt::nsdkonv(in, dir.file("in.dat"), "x"), 0);
    EXPECT_EQ(vt::nsdkonv(in, dir.file("IN.VT"), "x"), 400);  // its data file would be the input
    EXPECT_EQ(vt::nsdkonv(in, dir.file("in.x"), "x"), 0);       // in.VAR and in.DOK are other files
    EXPECT_EQ(dir.read("in.vt"), harvest());
    EXPECT_EQ(vt::nsdkonv(dir.file("none.vt"), dir.file("out.dat"), "x"), 400);
}

// Less than 4000 free bytes at the start, or a data file that would leave
// less than 200: 300 and no files; a little more space writes the data
// and the variables but leaves out the series blocks and documentation.
TEST(Nsd, FreeSpaceThresholds) {
    std::string years, data;
    for (int y = 1800; y < 2000; ++y) {
        years += (y > 1800 ? "," : "") + ("\"" + std::to_string(y) + "\"");
        data += "1234.5 2345.6 \n";
    }
    const struct {
        std::uint64_t space;
        std::string table;
        int code;
        bool files;
    } cases[] = {
        {3999, harvest(), 300, false},
        {4000, harvest(years, data), 300, false},
        {4000, harvest(), 0, true},
    };
    for (const auto& c : cases) {
        pinned_free_space space(c.space);
        vt::test::temp_dir dir;
        EXPECT_EQ(vt::nsdkonv(dir.write("in.vt", c.table), dir.file("out.dat"), "x"), c.code);
        EXPECT_EQ(fs::exists(dir.file("out.dat")), c.files);
        EXPECT_EQ(fs::exists(dir.file("out.VAR")), c.files);
        EXPECT_FALSE(fs::exists(dir.file("out.DOK")) && !c.files);
    }
    // Space for the data and the variable lines only: no series blocks,
    // no documentation file.
    pinned_free_space space(4100);
    vt::test::temp_dir dir;
    std::string many, rows;
    for (int y = 1800; y < 1950; ++y) {
        many += (y > 1800 ? "," : "") + ("\"" + std::to_string(y) + "\"");
        rows += "1 2 \n";
    }
    ASSERT_EQ(vt::nsdkonv(dir.write("in.vt", harvest(many, rows)), dir.file("out.dat"), "x"), 0);
    const std::string var = dir.read("out.VAR");
    EXPECT_EQ(var.substr(var.size() - 19), "1949 1949\r\n9999 #\r\n");
    EXPECT_FALSE(fs::exists(dir.file("out.DOK")));
}
