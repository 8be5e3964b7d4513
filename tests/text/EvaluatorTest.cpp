#include "platform/Numbers.h"
#include "text/Evaluator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Good { const char* text; long double value; };

TEST(Evaluate, GroupingRulesAndFunctions) {
    const Good cases[] = {
        {"150*2", 300},       {"1.5*2", 3},         {"(1+2)*3", 9},        {"((1+2))", 3},
        {"2*(3+4)*5", 70},    {"sqrt(16)*2", 8},    {"2*sqrt(16)", 8},     {"sqrt(16)+sqrt(9)", 7},
        {"10-2-3", 11},       {"8/2/2", 8},         {"2^3^2", 512},        {"2-3+4", 3},
        {"12/4*3", 9},        {"2+3*(4-1)-5", -4},  {"2001-05-12", 2008},  {"-2+3", 1},
        {"2*-3", -6},         {"2--3", 5},          {"1e3", 1000},         {"0-sqrt(4)", -2},
        {"xmas-1", 0},        {"X1+1", 2},          {"1 + 2", 3},          {"SQRT(4)", 2},
        {"5-3", 2},           {"-5", -5},           {"555-1234", -679},    {"ln(exp(2))", 2},
        {"log(1000)", 3},     {"cos(0)", 1},        {"sin(0)", 0},         {"arctan(0)", 0},
        {"exp(0)+1", 2},      {"(1/1e4000)/1e4000", 0}, // underflow is no error
    };
    for (const Good& c : cases) {
        const long double v = Evaluate(c.text);
        EXPECT_EQ(LastErrorText(), "") << c.text;
        EXPECT_NEAR(static_cast<double>(v), static_cast<double>(c.value), 1e-12) << c.text;
    }
    EXPECT_NEAR(static_cast<double>(Evaluate("12/05/2001")), 4802.4, 1e-9);
    EXPECT_NEAR(static_cast<double>(Evaluate("2^0.5")), std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(static_cast<double>(Evaluate("tan(1)")), std::tan(1.0), 1e-12);
}

struct Bad { const char* text; const char* message; };

TEST(Evaluate, FailuresReturnZeroWithTheirMessage) {
    const Bad cases[] = {
        {"(1+2", "missing ')'"},
        {"2^", "syntax error"},
        {"(1+2)3", "syntax error"},
        {"", "syntax error"},
        {"2+", "'2+' is not a valid floating point value"},
        {"-2-3", "'-2-3' is not a valid floating point value"},
        {"1,5*2", "'1,5' is not a valid floating point value"},
        {"1e-3", "'1e' is not a valid floating point value"},
        {"Smith-Jones", "'smith' is not a valid floating point value"},
        {"x+1", "'x' is not a valid floating point value"},
        {"foo(3)", "unknown function foo(3)"},
        {"-sqrt(4)", "unknown function -sqrt(4)"},
        {"foo(1/0)", "Floating point division by zero"},
        {"1/0", "Floating point division by zero"},
        {"0/0", "Invalid floating point operation"},
        {"ln(0)", "Floating point division by zero"},
        {"ln(-1)", "Invalid floating point operation"},
        {"sqrt(-1)", "Invalid floating point operation"},
        {"0^2", "Floating point division by zero"},
        {"(-2)^2", "Invalid floating point operation"},
        {"exp(100000)", "Floating point overflow"},
        {"1e4000*1e4000", "Floating point overflow"},
    };
    for (const Bad& c : cases) {
        EXPECT_EQ(Evaluate(c.text), 0.0L) << c.text;
        EXPECT_EQ(LastErrorText(), c.message) << c.text;
    }
}

TEST(Evaluate, ErrorTextClearsOnSuccess) {
    Evaluate("1/0");
    ASSERT_FALSE(LastErrorText().empty());
    EXPECT_EQ(Evaluate("1+1"), 2.0L);
    EXPECT_EQ(LastErrorText(), "");
}

TEST(Evaluate, DeepNestingFailsCleanly) {
    const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_EQ(Evaluate(deep), 0.0L);
    EXPECT_EQ(LastErrorText(), "expression too complex");
    std::string chain = "1";
    for (int i = 0; i < 50000; ++i) chain += "+1";
    Evaluate(chain);
    EXPECT_EQ(LastErrorText(), "expression too complex");
    EXPECT_EQ(Evaluate("((((2))))*3"), 6.0L); // the depth count starts afresh
}

TEST(Evaluate, FollowsTheDecimalSeparator) {
    Platform::SetDecimalSeparator(',');
    EXPECT_EQ(Evaluate("1,5*2"), 3.0L);
    EXPECT_FALSE((Evaluate("1.5*2"), LastErrorText().empty()));
    Platform::SetDecimalSeparator('.');
}

} // namespace
