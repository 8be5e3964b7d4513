#include "platform/Cp1252.h"

#include <gtest/gtest.h>

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
