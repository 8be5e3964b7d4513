#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

using namespace Platform;

TEST(Cp1252, CaseMapsPairLettersBothWays) {
    struct Pair { unsigned char upper, lower; };
    const Pair pairs[] = {{'A', 'a'}, {'Z', 'z'}, {0xC0, 0xE0}, {0xDE, 0xFE}, {0x8A, 0x9A},
                          {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& p : pairs) {
        EXPECT_EQ(UpperByte(p.lower), p.upper) << int(p.lower);
        EXPECT_EQ(LowerByte(p.upper), p.lower) << int(p.upper);
        EXPECT_TRUE(IsUpperLetter(p.upper)) << int(p.upper);
        EXPECT_FALSE(IsUpperLetter(p.lower)) << int(p.lower);
    }
}

TEST(Cp1252, NonLettersKeepTheirCase) {
    // multiplication/division signs, sharp s, micro sign, digits, punctuation
    for (int c : {0xD7, 0xF7, 0xDF, 0xB5, int('0'), int('9'), int('@'), int('`'), int('['), 0x00, 0x7F}) {
        EXPECT_EQ(UpperByte(c), c) << int(c);
        EXPECT_EQ(LowerByte(c), c) << int(c);
        EXPECT_FALSE(IsUpperLetter(c)) << int(c);
    }
}

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToByte(ByteToUnicode(static_cast<unsigned char>(b))), b) << b;
    EXPECT_EQ(ByteToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(ByteToUnicode(0x93), u'\u201C');
    EXPECT_EQ(ByteToUnicode(0xE9), u'\u00E9');
    EXPECT_EQ(UnicodeToByte(U'\u4E2D'), '?');
    EXPECT_EQ(UnicodeToByte(U'\u4E2D', '_'), '_');
}

TEST(Cp1252, Utf8Conversions) {
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?"); // truncated sequence
}

// The test strings of the code-page boundary, as UTF-16, with their RTF source form.
struct Sample {
    const char* name;
    std::u16string text;
    std::string rtf;
};
const Sample kSamples[] = {
    {"accents", u"caf\u00E9 M\u00FCller Stra\u00DFe", "caf\xE9 M\xFCller Stra\xDF" "e"},
    {"pound euro pilcrow", u"\u00A3 5 \u20AC 6 \u00B6", "\xA3 5 \x80 6 \xB6"},
    {"polish L", u"\u0141ukasz W\u00F3jcik", "\\u321?ukasz W\xF3jcik"},
    {"beyond 0x7FFF", u"\uFB01 \u4E2D", "\\u-1279? \\u20013?"},
    {"emoji", u"a\U0001F600b", "a\\u-10179?\\u-8704?b"},
    {"empty", u"", ""},
};

TEST(Cp1252, RtfEscapesCarryWhatTheCodePageLacks) {
    for (const Sample& s : kSamples) {
        EXPECT_EQ(Utf16ToRtfAnsi(s.text), s.rtf) << s.name;
        EXPECT_EQ(RtfAnsiToUtf16(s.rtf), s.text) << s.name;
    }
    EXPECT_EQ(RtfAnsiToUtf8("\\u321?ukasz \\u-10179?\\u-8704? \xE9"), "\xC5\x81ukasz \xF0\x9F\x98\x80 \xC3\xA9");
    // Backslashes that are no such escape stay as they are.
    for (const char* plain : {"\\u", "\\u?", "\\uX?", "\\u12", "C:\\users", "\\u99999?", "\\par"})
        EXPECT_EQ(RtfAnsiToUtf16(plain), std::u16string(plain, plain + std::char_traits<char>::length(plain))) << plain;
    // A lone surrogate does not break the UTF-8 output.
    EXPECT_EQ(RtfAnsiToUtf8("\\u-10179?x"), "\xEF\xBF\xBDx");
}

TEST(Cp1252, Utf8TextIsRecognised) {
    struct Case { const char* name; std::string bytes; bool utf8; };
    const Case cases[] = {
        {"byte-order mark", "\xEF\xBB\xBFplain", true},
        {"umlauts", "M\xC3\xBCller G\xC3\xB6rg", true},
        {"polish and emoji", "\xC5\x81ukasz \xF0\x9F\x98\x80", true},
        {"ascii only", "Smith\r\nJones", false},
        {"1252 umlauts", "M\xFCller G\xF6rg", false},
        {"1252 that starts like UTF-8", "\xC3\x20", false},
        {"truncated at the end", "abc\xC3", false},
        {"overlong slash", "\xC0\xAF", false},
        {"encoded surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUtf8Text(c.bytes), c.utf8) << c.name;
        // Fed a byte at a time (a file read in blocks cuts sequences anywhere): the same answer.
        TUtf8Detector detector;
        for (const char b : c.bytes) detector.Feed(std::string_view(&b, 1));
        EXPECT_EQ(detector.IsUtf8(), c.utf8) << c.name;
    }
    EXPECT_EQ(AnyTextToUtf8("Cannot open file M\xC3\xBCller.tem"), "Cannot open file M\xC3\xBCller.tem");
    EXPECT_EQ(AnyTextToUtf8("bad value M\xFCller"), "bad value M\xC3\xBCller");
}
