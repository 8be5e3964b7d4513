#include "platform/Errors.h"
#include "text/TextFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>

namespace {

void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

TEST(TrimBlanks, RemovesOnlySpacesAtBothEnds) {
    EXPECT_EQ(TrimBlanks("  12  "), "12");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\t12 "), "\t12");
    EXPECT_EQ(TrimBlanks(" a b "), "a b");
    EXPECT_EQ(TrimLeftChar("xxaxx", 'x'), "axx");
    EXPECT_EQ(TrimRightChar("xxaxx", 'x'), "xxa");
}

TEST(RightChars, LastCharactersOrAll) {
    EXPECT_EQ(RightChars("abc", 1), "c");
    EXPECT_EQ(RightChars("abc", 3), "abc");
    EXPECT_EQ(RightChars("abc", 5), "abc");
    EXPECT_EQ(RightChars("abc", 0), "");
    EXPECT_EQ(RightChars("abc", -2), "");
    EXPECT_EQ(RightChars("", 1), "");
}

TEST(LoadTextFile, MakesLineBreaksUniform) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\rb\nc", "a\r\nb\r\nc\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {std::string("a\0b", 3), "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"", ""},
        {"\r\n\r\n", "\r\n\r\n"},
        {"x\xFF\x80y", "x\xFF\x80y\r\n"},
    };
    for (const auto& [bytes, expected] : cases) {
        WriteBytes("load-test.txt", bytes);
        EXPECT_EQ(LoadTextFile("load-test.txt"), expected);
    }
    std::remove("load-test.txt");
}

TEST(LoadTextFile, MissingFileRaisesTheOpenError) {
    try {
        LoadTextFile("no-such-file.tem");
        FAIL();
    } catch (const Platform::EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file no-such-file.tem");
    }
    mkdir("a-directory", 0755);
    EXPECT_THROW(LoadTextFile("a-directory"), Platform::EFOpenError);
    rmdir("a-directory");
}

TEST(SaveTextFile, WritesBytesUnchangedAndRoundTrips) {
    const std::string text = "{\\rtf1 \xE9}\r\nline two\r\n";
    SaveTextFile("save-test.txt", text);
    EXPECT_EQ(LoadTextFile("save-test.txt"), text);
    SaveTextFile("save-test.txt", "a\nb"); // no conversion on the way out
    std::ifstream in("save-test.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a\nb");
    std::remove("save-test.txt");
}

TEST(SaveTextFile, UncreatableFileRaisesTheCreateError) {
    try {
        SaveTextFile("no-such-dir/x.rtf", "x");
        FAIL();
    } catch (const Platform::EFCreateError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file no-such-dir/x.rtf: No such file or directory");
    }
}

TEST(RunProgram, ReportsWhetherTheProgramStarted) {
    EXPECT_TRUE(RunProgram("true", true, true));
    EXPECT_FALSE(RunProgram("no-such-update.exe", true, true));
}

} // namespace
