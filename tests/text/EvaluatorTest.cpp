#include "platform/Numbers.h"
#include "text/Evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

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

std::string SumOfOnes(int terms) {
    std::string sum = "1";
    for (int i = 1; i < terms; ++i) sum += "+1";
    return sum;
}

// Threads evaluating at once each get their own answer: one thread's depth, error or
// floating-point state never shows in another's. Values go close to the depth bound.
TEST(EvaluateExpression, ThreadsEvaluatingAtOnceSeeOnlyTheirOwnState) {
    const std::string nested = std::string(900, '(') + "2*3" + std::string(900, ')');
    struct Case { std::string text; long double value; std::string error; };
    const std::vector<Case> cases = {
        {"150*2", 300, ""},
        {SumOfOnes(1200), 1200, ""},
        {SumOfOnes(1999), 1999, ""},
        {SumOfOnes(2001), 0, "expression too complex"},
        {nested, 6, ""},
        {"sqrt(" + SumOfOnes(1000) + ")", sqrtl(1000), ""},
        {"1/0", 0, "Floating point division by zero"},
        {"exp(100000)", 0, "Floating point overflow"},
        {"(1/1e4000)/1e4000", 0, ""},
        {"foo(3)", 0, "unknown function foo(3)"},
    };
    for (const Case& c : cases) { // each case alone first: the table itself holds
        const TEvaluationResult r = EvaluateExpression(c.text);
        ASSERT_EQ(r.error, c.error) << c.text.substr(0, 40);
        ASSERT_EQ(r.value, c.value) << c.text.substr(0, 40);
    }
    constexpr int kThreads = 4, kRounds = 150;
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                // Threads walk the table from different places, so unlike cases overlap.
                const Case& c = cases[size_t(t * 3 + round) % cases.size()];
                const TEvaluationResult r = EvaluateExpression(c.text);
                const long double plain = Evaluate(c.text);
                if (r.value != c.value || r.error != c.error || plain != c.value || LastErrorText() != c.error)
                    ++wrong[size_t(t)];
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

TEST(Evaluate, FollowsTheDecimalSeparator) {
    Platform::SetDecimalSeparator(',');
    EXPECT_EQ(Evaluate("1,5*2"), 3.0L);
    EXPECT_FALSE((Evaluate("1.5*2"), LastErrorText().empty()));
    Platform::SetDecimalSeparator('.');
}

} // namespace
