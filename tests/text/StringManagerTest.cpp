#include "text/StringManager.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceCase {
    const char* text;
    const char* search;
    const char* replacement;
    bool ignoreCase, wholeWords, preserveCase;
    const char* expected;
    int count;
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, GivesTextAndCount) {
    const ReplaceCase& c = GetParam();
    std::string text = c.text;
    const int n = StringManager.ReplaceAll(c.search, c.replacement, text, c.ignoreCase, c.wholeWords, c.preserveCase);
    EXPECT_EQ(text, c.expected);
    EXPECT_EQ(n, c.count);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAllTest, ::testing::Values(
    // degenerate arguments
    ReplaceCase{"abc", "", "x", false, false, false, "abc", 0},
    ReplaceCase{"", "a", "x", false, false, false, "", 0},
    ReplaceCase{"ab", "abc", "x", false, false, false, "ab", 0},
    // left to right, no overlap, inserted text never searched again
    ReplaceCase{"aaaa", "aa", "b", false, false, false, "bb", 2},
    ReplaceCase{"aaa", "a", "aa", false, false, false, "aaaaaa", 3},
    ReplaceCase{"aaaaa", "aa", "b", false, false, false, "bba", 2},
    ReplaceCase{"xabyabz", "ab", "", false, false, false, "xyz", 2},
    ReplaceCase{"ab", "ab", "ab", false, false, false, "ab", 1},
    // whole words: delimiters before and after, start and end of text
    ReplaceCase{" @1,", "@1", "V", false, true, false, " V,", 1},
    ReplaceCase{"x@1\\", "@1", "V", false, true, false, "xV\\", 1},
    ReplaceCase{"@1", "@1", "V", false, true, false, "V", 1},
    ReplaceCase{"@1 and @1", "@1", "V", false, true, false, "V and V", 2},
    ReplaceCase{"X@1 ", "@1", "V", false, true, false, "X@1 ", 0},
    ReplaceCase{"@12", "@1", "V", false, true, false, "@12", 0},
    ReplaceCase{"@1A", "@1", "V", false, true, false, "@1A", 0},
    ReplaceCase{"`@1 ", "@1", "V", false, true, false, "`@1 ", 0},
    ReplaceCase{"\xE9@1 ", "@1", "V", false, true, false, "\xE9@1 ", 0},
    ReplaceCase{"a@1~", "@1", "V", false, true, false, "aV~", 1},
    // the character before a candidate is the one now there: a replacement's last character
    ReplaceCase{"@1@1", "@1", "x", false, true, false, "xx", 2},
    ReplaceCase{"@1@1", "@1", "X", false, true, false, "X@1", 1},
    ReplaceCase{"@1@1", "@1", "", false, true, false, "", 2},
    ReplaceCase{"9@1@1", "@1", "", false, true, false, "9@1@1", 0},
    // case options
    ReplaceCase{"ABC abc", "abc", "x", false, false, false, "ABC x", 1},
    ReplaceCase{"ABC abc", "abc", "x", true, false, false, "x x", 2},
    ReplaceCase{"\xC9t\xE9", "\xE9T\xC9", "ok", true, false, false, "ok", 1},
    ReplaceCase{"a Word b", "word", "item", true, true, true, "a Item b", 1},
    ReplaceCase{"a WORD b", "word", "item", true, true, true, "a ITEM b", 1},
    ReplaceCase{"WoRd", "word", "itemized", true, false, true, "ItEmized", 1},
    ReplaceCase{"WORD", "word", "\xE9t\xE9", true, false, true, "\xC9T\xC9", 1},
    // the paragraph-mark command's use: not whole words, so \pard changes too
    ReplaceCase{"\\pard x\\par", "\\par", "\xB6\\par", false, false, false, "\xB6\\pard x\xB6\\par", 2}));

TEST(DeleteAll, RemovesEscapedPilcrows) {
    std::string out;
    StringManager.DeleteAll("\\'b6", "x\\'b6\\par y\\'b6\\par", out);
    EXPECT_EQ(out, "x\\par y\\par");
    StringManager.DeleteAll("", "abc", out);
    EXPECT_EQ(out, "abc");
    StringManager.DeleteAll("zz", "abc", out);
    EXPECT_EQ(out, "abc");
}

TEST(Replace, StartPositionAndMatchPositions) {
    std::string text = "@1 x @1 y @1";
    std::vector<size_t> at;
    const int n = TStringManager::Replace("@1", "VALUE", text, {false, true, false}, 3,
                                          [&at](size_t p) { at.push_back(p); });
    EXPECT_EQ(n, 2);
    EXPECT_EQ(text, "@1 x VALUE y VALUE");
    EXPECT_EQ(at, (std::vector<size_t>{5, 10}));
}

TEST(ReplaceAll, LongTextWithManyGrowingMatchesStaysExact) {
    std::string text, expected;
    for (int i = 0; i < 20000; ++i) {
        text += "@1 ";
        expected += "a longer value ";
    }
    EXPECT_EQ(StringManager.ReplaceAll("@1", "a longer value", text, false, true, false), 20000);
    EXPECT_EQ(text, expected);
}

TEST(WordDelimiters, MatchTheDefinedSet) {
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= 1 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 95) ||
                              (c >= 97 && c <= 126);
        EXPECT_EQ(TStringManager::IsWordDelimiter(static_cast<unsigned char>(c)), expected) << c;
    }
}

} // namespace
