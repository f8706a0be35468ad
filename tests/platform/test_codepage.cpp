// ANSI (Windows-1252) <-> OEM (code page 850) conversion and ANSI upper case.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage.h"

using namespace vt::plat;

TEST(Codepage, SharedCharactersRoundTrip) {
    // OEM bytes whose character Windows-1252 lacks, and the reverse.
    const std::set<int> oem_only = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB9, 0xBA, 0xBB, 0xBC, 0xBF, 0xC0,
                                    0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD,
                                    0xCE, 0xD5, 0xD9, 0xDA, 0xDB, 0xDC, 0xDF, 0xF2, 0xFE};
    auto ansi_only = [](int b) { return b >= 0x80 && b <= 0x9F && b != 0x83; };
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        if (!ansi_only(b)) {
            EXPECT_EQ(oem_to_ansi(ansi_to_oem(c)), c) << "ANSI " << b;
        }
        if (!oem_only.count(b)) {
            EXPECT_EQ(ansi_to_oem(oem_to_ansi(c)), c) << "OEM " << b;
        }
        if (b < 0x80) {
            EXPECT_EQ(ansi_to_oem(c), c);
        }
        // A fallback is never a control byte.
        if (b >= 0x80) {
            EXPECT_GE(ansi_to_oem(c), 0x20) << b;
            EXPECT_GE(oem_to_ansi(c), 0x20) << b;
        }
    }
}

TEST(Codepage, KnownPairsAndBestFit) {
    const int pairs[][2] = {{0xE4, 0x84}, {0xE9, 0x82}, {0xC7, 0x80}, {0xFC, 0x81}, {0xA3, 0x9C},
                            {0x83, 0x9F}, {0xA0, 0xFF}, {0xDF, 0xE1}, {0xD6, 0x99}, {0xB5, 0xE6}};
    for (const auto& p : pairs) {
        EXPECT_EQ(ansi_to_oem(static_cast<unsigned char>(p[0])), p[1]) << p[0];
        EXPECT_EQ(oem_to_ansi(static_cast<unsigned char>(p[1])), p[0]) << p[1];
    }
    const std::string oem_frame = "\xC9\xCD\xBB\xBA\xC3\xC4\xB4\xB3\xC0\xC5\xD9\xB0\xDB\xD5\xF2";
    std::string s = oem_frame;
    oem_to_ansi(s);
    EXPECT_EQ(s, "+-+|+-+|+++##i_");
    s = "\x80\x93q\x94\x91\x96\x97\x8A\x9F\x81\x8D\x8F\x90\x9D";
    ansi_to_oem(s);
    EXPECT_EQ(s, "E\"q\"'--SY?????");
}

TEST(Codepage, AnsiUpper) {
    std::string s("az AZ 19 \xE0\xFE\xF7\xDF\xB5\xFF\x9A\x9C\x9E\0q", 20);
    ansi_upper(s);
    EXPECT_EQ(s, std::string("AZ AZ 19 \xC0\xDE\xF7\xDF\xB5\x9F\x8A\x8C\x8E\0Q", 20));
    for (int b = 0; b < 256; ++b) {
        const unsigned char u = ansi_upper(static_cast<unsigned char>(b));
        EXPECT_EQ(ansi_upper(u), u) << b;  // upper case of upper case is itself
    }
    ansi_upper(nullptr, 5);  // tolerated
}

// Windows-1252 to UTF-8: ASCII as it is, Latin-1 in two bytes, the
// 0x80-0x9F characters at their own code points (three bytes for most),
// the five unassigned bytes as the controls of the same number.
TEST(Codepage, AnsiToUtf8) {
    const struct {
        std::string ansi, utf8;
    } cases[] = {
        {"plain <ASCII> \t1", "plain <ASCII> \t1"},
        {"Malm\xF6 \xE5\xC4\xFF\xA0", "Malm\xC3\xB6 \xC3\xA5\xC3\x84\xC3\xBF\xC2\xA0"},
        {"\x80\x93q\x94\x85\x99", "\xE2\x82\xAC\xE2\x80\x9Cq\xE2\x80\x9D\xE2\x80\xA6\xE2\x84\xA2"},
        {"\x8A\x9F\x83\x88", "\xC5\xA0\xC5\xB8\xC6\x92\xCB\x86"},
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(vt::plat::ansi_to_utf8(c.ansi), c.utf8) << c.ansi;
}
