#include "platform/CodePages.h"

#include <gtest/gtest.h>

#include <string>

using namespace Platform;

namespace {

struct Sample {
    int codePage;
    std::string bytes;
    std::u16string text;
};

// Each page's own bytes for text of its script, as word processors write them.
const Sample kSamples[] = {
    {1252, "\xE9\x80\xB6", u"é€¶"},
    {1250, "\xAB\xA3ukasz\xBB", u"«Łukasz»"},
    {1250, "za\xBF\xF3\xB3\xE6", u"zażółć"},
    {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"},
    {1253, "\xE1\xE2\xE3", u"αβγ"},
    {1254, "\xDE\xFE\xD0\xF0", u"ŞşĞğ"},
    {1255, "\xF9\xEC\xE5\xED", u"שלום"},
    {1256, "\xD3\xE1\xC7\xE3", u"سلام"},
    {1257, "\xC0\xE0", u"Ąą"},
    {874, "\xA1\xD2", u"กา"},
    {932, "\x8D\x5C\x91\xA2", u"構造"},
    {932, "\x93\xFA\x96\x7B\x8C\xEA", u"日本語"},
    {10001, "\x82\xB1\x82\xF1", u"こん"},
    {936, "\xD6\xD0\xCE\xC4", u"中文"},
    {950, "\xA4\xA4\xA4\xE5", u"中文"},
    {949, "\xC7\xD1\xB1\xDB", u"한글"},
    {10000, "\x8E\xA5", u"é•"},
    {437, "\x82\x9C", u"é£"},
    {850, "\x82\xD5", u"éı"},
};

} // namespace

TEST(CodePages, EachPageDecodesAndEncodesItsOwnText) {
    for (const Sample& s : kSamples) {
        EXPECT_TRUE(IsKnownCodePage(s.codePage)) << s.codePage;
        EXPECT_EQ(CodePageToUtf16(s.bytes, s.codePage), s.text) << s.codePage;
        std::string bytes;
        ASSERT_TRUE(Utf16ToCodePage(s.text, s.codePage, bytes)) << s.codePage;
        EXPECT_EQ(bytes, s.bytes) << s.codePage;
    }
}

TEST(CodePages, CharsetsNameTheirPages) {
    const std::pair<int, int> cases[] = {{0, 1252}, {77, 10000}, {78, 10001}, {128, 932}, {129, 949},
                                         {134, 936}, {136, 950}, {161, 1253}, {162, 1254}, {177, 1255},
                                         {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250},
                                         {2, 0}};
    for (const auto& [charset, page] : cases) EXPECT_EQ(CodePageOfCharset(charset), page) << charset;
}

TEST(CodePages, LeadBytesOnlyInDoubleBytePages) {
    EXPECT_TRUE(IsLeadByte(932, 0x8D));
    EXPECT_TRUE(IsLeadByte(932, 0xE0));
    EXPECT_FALSE(IsLeadByte(932, 0xA1)); // a half-width katakana stands alone
    EXPECT_FALSE(IsLeadByte(932, 'A'));
    for (int page : {936, 949, 950}) {
        EXPECT_TRUE(IsLeadByte(page, 0x81)) << page;
        EXPECT_FALSE(IsLeadByte(page, 0x80)) << page;
    }
    for (int page : {1252, 1250, 437, 10000}) EXPECT_FALSE(IsLeadByte(page, 0x81)) << page;
}

TEST(CodePages, BadInputBecomesReplacementNotLoss) {
    // A lead byte cut off at the end, and a byte Shift JIS leaves undefined.
    EXPECT_EQ(CodePageToUtf16("A\x8D", 932), u"A\uFFFD");
    EXPECT_EQ(CodePageToUtf16("\xA0" "B", 932), u"\uFFFDB");
    // A page nobody converts reads as 1252.
    EXPECT_FALSE(IsKnownCodePage(4242));
    EXPECT_EQ(CodePageToUtf16("\x80", 4242), u"€");
}

TEST(CodePages, EncodingRefusesWhatThePageLacks) {
    std::string bytes = "stale";
    EXPECT_FALSE(Utf16ToCodePage(u"€構", 1250, bytes));
    EXPECT_FALSE(Utf16ToCodePage(u"Ł", 1252, bytes));
    EXPECT_FALSE(Utf16ToCodePage(u"é", 4242, bytes));
    ASSERT_TRUE(Utf16ToCodePage(u"a€", 1250, bytes));
    EXPECT_EQ(bytes, "a\x80");
}
