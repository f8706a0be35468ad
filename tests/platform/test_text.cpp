// Name comparisons: the ASCII-only rule of names, keywords and endings, and
// the Windows-1252 letter rule of names a user types.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/text.h"

namespace {

struct compare_case {
    std::string_view a, b;
    bool ascii;    // equal_nocase
    bool letters;  // equal_nocase_1252
};

// \xC5 and \xE5 are capital and small A with ring; \xD7 (multiplication
// sign) and \xF7 (division sign) are no pair; \xDF and \xFF neither.
constexpr compare_case compare_cases[] = {
    {"Region", "rEGION", true, true},
    {"", "", true, true},
    {"abc", "abcd", false, false},
    {"a[", "A{", false, false},  // '[' and '{' are 0x20 apart but no letters
    {"\xC5LDER", "\xE5lder", false, true},
    {"\xE5lder", "\xE5LDER", true, true},
    {"\xD7", "\xF7", false, false},
    {"\xDF", "\xFF", false, false},
    {"\xDE", "\xFE", false, true},
};

TEST(Text, NameComparisons) {
    for (const compare_case& c : compare_cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
        EXPECT_EQ(vt::plat::equal_nocase(c.a, c.b), c.ascii);
        EXPECT_EQ(vt::plat::equal_nocase(c.b, c.a), c.ascii);
        EXPECT_EQ(vt::plat::equal_nocase_1252(c.a, c.b), c.letters);
        EXPECT_EQ(vt::plat::equal_nocase_1252(c.b, c.a), c.letters);
    }
    EXPECT_EQ(vt::plat::lower_ascii(std::string("\xC5X-y")), "\xC5x-y");
    EXPECT_TRUE(vt::plat::ends_with_nocase("table.VT", ".vt"));
    EXPECT_FALSE(vt::plat::ends_with_nocase("vt", ".vt"));
}

}  // namespace
