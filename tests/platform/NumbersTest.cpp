#include "platform/Errors.h"
#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Platform;

TEST(StrToInt32, AcceptsTheMarkerNumberForms) {
    const std::pair<const char*, int32_t> cases[] = {
        {"12", 12},    {"  5", 5},          {"-1", -1},          {"+7", 7},
        {"x10", 16},   {"X1f", 31},         {"$5", 5},           {"-$10", -16},
        {"0", 0},      {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"007", 7},
    };
    for (const auto& [text, value] : cases) {
        const auto got = StrToInt32(text);
        ASSERT_TRUE(got.has_value()) << text;
        EXPECT_EQ(*got, value) << text;
    }
}

TEST(StrToInt32, RejectsEverythingElse) {
    for (const char* text : {"", " ", "-", "$", "x", "1 ", "1x", "1@", "12a", "2147483648", "-2147483649",
                             "x100000000", "1.5", "\t1", "--1", "1\r"})
        EXPECT_FALSE(StrToInt32(text).has_value()) << text;
}

TEST(StrToFloat, ReadsNumbersWithTheDecimalSeparator) {
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
    EXPECT_EQ(StrToFloat("-2"), -2.0L);
    EXPECT_EQ(StrToFloat("1e3"), 1000.0L);
    EXPECT_EQ(StrToFloat(" 7 "), 7.0L);
    EXPECT_EQ(StrToFloat(".5"), 0.5L);
    EXPECT_EQ(StrToFloat("1e-5000"), 0.0L); // underflow is no error
    for (const char* bad : {"", "1,5", "abc", "1e", "1e+", "+", "1.5.2", "inf", "nan", "1e5000", "0x10"})
        EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
    try {
        StrToFloat("smith");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'smith' is not a valid floating point value");
    }
}

TEST(StrToFloat, FollowsTheSettableSeparator) {
    SetDecimalSeparator(',');
    EXPECT_EQ(StrToFloat("1,5"), 1.5L);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    SetDecimalSeparator('.');
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
}

TEST(FormatValue12, FixedTwelveWideTwoDecimals) {
    const std::pair<long double, const char*> cases[] = {
        {300, "      300.00"},   {-679, "     -679.00"}, {2, "        2.00"},
        {4802.4L, "     4802.40"}, {0.125L, "        0.13"}, {-0.125L, "       -0.13"},
        // exact binary ties round away from zero, not to even
        {0.625L, "        0.63"}, {2.5L, "        2.50"},
        {0.001L, "        0.00"}, {-0.001L, "        0.00"}, {99.999L, "      100.00"},
        {1e12L, "1000000000000.00"}, {1.41421356L, "        1.41"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatValue12(value), text) << static_cast<double>(value);
}
