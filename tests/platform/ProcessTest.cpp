#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace Platform;

TEST(SplitCommandLine, QuotesGroupBlanks) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("update.exe"), V{"update.exe"});
    EXPECT_EQ(SplitCommandLine("  a  b\tc "), (V{"a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine("sh -c \"echo a b\""), (V{"sh", "-c", "echo a b"}));
    EXPECT_EQ(SplitCommandLine("x \"\""), (V{"x", ""}));
    EXPECT_EQ(SplitCommandLine("say \\\"hi\\\""), (V{"say", "\"hi\""}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(StartProcess, WaitsForTheProgramToEnd) {
    const std::string file = "process-test-marker.txt";
    std::remove(file.c_str());
    ASSERT_TRUE(StartProcess("sh -c \"sleep 0.2; echo done > " + file + "\"", true, true));
    std::ifstream in(file);
    std::string word;
    in >> word;
    EXPECT_EQ(word, "done"); // written before StartProcess returned
    std::remove(file.c_str());
}

TEST(StartProcess, MissingProgramIsNotStarted) {
    EXPECT_FALSE(StartProcess("kelvora-no-such-program-xyz", true, true));
    EXPECT_FALSE(StartProcess("kelvora-no-such-program-xyz", false, false));
    EXPECT_FALSE(StartProcess("", false, false));
}
