// The level's text form: what parses, what is refused and on which line,
// and that formatting gives back text that parses to the same triangles.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/levels/level_text.h"

namespace {

std::string parse(const std::string& text, LevelText& out) {
    std::istringstream in(text);
    return parseLevelText(in, "c.txt", out);
}

}  // namespace

TEST(LevelText, CommentsBlankLinesAndSpacingAreSkipped) {
    LevelText level;
    const std::string text =
        "# a course\n"
        "\n"
        "  1 2\t3 4   5 6   # first\r\n"
        "   \t\n"
        "-7 +8 -2147483648 2147483647 0 -0\n";
    ASSERT_EQ(parse(text, level), "");
    ASSERT_EQ(level.triangles.size(), 2u);
    EXPECT_EQ(level.lines, (std::vector<int>{3, 5}));
    EXPECT_EQ(level.triangles[0].c[5], 6);
    EXPECT_EQ(level.triangles[1].c[0], -7);
    EXPECT_EQ(level.triangles[1].c[1], 8);
    EXPECT_EQ(level.triangles[1].c[2], INT32_MIN);
    EXPECT_EQ(level.triangles[1].c[3], INT32_MAX);
}

TEST(LevelText, FaultsNameTheLine) {
    const struct {
        std::string text;
        std::string fault;
    } cases[] = {
        {"1 2 3 4 5\n", "c.txt:1: 5 numbers, a triangle is 6 (x0 y0 x1 y1 x2 y2)"},
        {"\n1 2 3 4 5 6 7\n", "c.txt:2: 7 numbers, a triangle is 6 (x0 y0 x1 y1 x2 y2)"},
        {"1 2 3 4 5 6\n\n# x\n1 2 3 4 five 6\n", "c.txt:4: \"five\" is not an integer"},
        {"1 2 3 4 5 6.5\n", "c.txt:1: \"6.5\" is not an integer"},
        {"1 2 3 4 5 2147483648\n", "c.txt:1: 2147483648 is outside the 32-bit integer range"},
        {"99999999999999999999999 2 3 4 5 6\n",
         "c.txt:1: 99999999999999999999999 is outside the 32-bit integer range"},
    };
    for (const auto& c : cases) {
        LevelText level;
        EXPECT_EQ(parse(c.text, level), c.fault) << c.text;
    }
}

TEST(LevelText, MoreThanTheLimitIsRefusedAtTheLineThatPassesIt) {
    std::string text;
    for (int i = 0; i <= kMaxTriangles; ++i) text += "0 0 10 0 0 10\n";
    LevelText level;
    EXPECT_EQ(parse(text, level), "c.txt:5001: more than 5000 triangles");
    text.resize(text.size() - 14);  // exactly 5000
    EXPECT_EQ(parse(text, level), "");
    EXPECT_EQ(level.triangles.size(), size_t(kMaxTriangles));
}

TEST(LevelText, FormattedTextParsesToTheSameTriangles) {
    const std::vector<FileTriangle> triangles = {
        FileTriangle{{INT32_MIN, INT32_MAX, 0, -1, 300, 144}},
        FileTriangle{{1, 2, 3, 4, 5, 6}},
    };
    std::ostringstream text;
    formatLevelText(triangles, text);
    LevelText level;
    ASSERT_EQ(parse(text.str(), level), "");
    ASSERT_EQ(level.triangles.size(), 2u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(level.triangles[0].c[k], triangles[0].c[k]);
        EXPECT_EQ(level.triangles[1].c[k], triangles[1].c[k]);
    }
}
