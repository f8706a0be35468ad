// Tests of note texts: line cutting, markup, the data-note index files and
// the contents-information and cell-note blocks.
#include <gtest/gtest.h>

#include <string>

#include "core/notes.h"

namespace {

using vt::text_list;

TEST(WrapText, LongWordIsHyphenatedIntoThreePieces) {
    const std::string text = std::string(59, 'a') + std::string(59, 'b') + std::string(12, 'c');
    const text_list out = vt::wrap_text({text.substr(0, 50), text.substr(50)}, 60);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], std::string(59, 'a') + "-");
    EXPECT_EQ(out[1], std::string(59, 'b') + "-");
    EXPECT_EQ(out[2], std::string(12, 'c'));
}

TEST(WrapText, CutsAfterLastBlankOrFirstHash) {
    EXPECT_EQ(vt::wrap_text({"one two three"}, 9), (text_list{"one two ", "three"}));
    EXPECT_EQ(vt::wrap_text({"ab#cd ef gh"}, 9), (text_list{"ab#", "cd ef gh"}));
    // A "#" in the last piece still ends a line.
    EXPECT_EQ(vt::wrap_text({"ab#cd"}, 60), (text_list{"ab#", "cd"}));
    EXPECT_EQ(vt::wrap_text({"ab#"}, 60), (text_list{"ab#"}));
}

TEST(WrapText, FullStopOrCommaAtTheEdgeNeedsNoHyphen) {
    EXPECT_EQ(vt::wrap_text({"abcd.efgh"}, 5), (text_list{"abcd.", "efgh"}));
    EXPECT_EQ(vt::wrap_text({"abcde,fgh"}, 5), (text_list{"abcde", ",fgh"}));
    EXPECT_EQ(vt::wrap_text({"abcde  fg"}, 5), (text_list{"abcde", " fg"}));
}

TEST(WrapText, EmptyInputAndNonsenseWidths) {
    EXPECT_TRUE(vt::wrap_text({}, 60).empty());
    EXPECT_TRUE(vt::wrap_text({"", ""}, 60).empty());
    for (int w : {-5, 0, 1}) {
        const text_list out = vt::wrap_text({"abcd"}, w);
        EXPECT_EQ(out, (text_list{"a-", "b-", "cd"})) << w;
    }
}

}  // namespace
