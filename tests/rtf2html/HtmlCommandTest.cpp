// "kelvora html": arguments, exit status and messages.
#include "ConverterTestSupport.h"

#include "cli/HtmlCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace rtf2html::test {
namespace {

TEST(HtmlCommand, ConvertsWithTheInputAsTitle) {
    TScratch scratch;
    const std::string in = scratch.Write("doc.rtf", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 x\\par}");
    const std::string out = scratch.Path("doc.html");
    EXPECT_EQ(RunHtmlCommand({in, out}), 0);
    TPage page = ReadPage(out);
    EXPECT_EQ(page.Lines.at(2), "<TITLE>" + in + "</TITLE>");
    EXPECT_EQ(page.Body(), "<FONT FACE=\"Arial\">x</FONT><BR>");
    EXPECT_EQ(RunHtmlCommand({in, out, "--option", "noFonts", "--option", "optimize"}), 0);
    EXPECT_EQ(ReadPage(out).Body(), "x<BR>");
}

TEST(HtmlCommand, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"in.rtf"}, {"a", "b", "c"}, {"a", "b", "--option"}, {"a", "b", "--option", "fast"},
        {"a", "b", "--verbose"},
    };
    for (const auto& args : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunHtmlCommand(args), 1);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("usage: kelvora html IN.rtf OUT.html"),
                  std::string::npos);
    }
}

TEST(HtmlCommand, FailuresGiveTheMessageAndStatusOne) {
    TScratch scratch;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunHtmlCommand({scratch.Path("missing.rtf"), scratch.Path("out.html")}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot open file " + scratch.Path("missing.rtf")),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("out.html")));

    const std::string in = scratch.Write("in.rtf", "ok\\par bad \\'q1");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunHtmlCommand({in, scratch.Path("nodir/out.html")}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot create file"), std::string::npos);

    // A conversion that fails part way keeps the old page, as every failed write does.
    const std::string old = scratch.Write("out.html", "previous caf\xE9");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunHtmlCommand({in, old}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'q' is not a valid integer value"), std::string::npos);
    std::ifstream kept(old, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "previous caf\xE9");
}

} // namespace
} // namespace rtf2html::test
