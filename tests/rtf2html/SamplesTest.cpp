// Documents written by a real word processor convert into sensible pages.
#include "ConverterTestSupport.h"

#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace rtf2html::test {
namespace {

const std::string kSamples = KELVORA_SOURCE_DIR "/../shared/rtf-samples/";

// Every character, list, link and table tag opened in the page is closed again, in
// order. (Alignment blocks are closed by the paragraph's alignment at its end,
// whether or not its start wrote them, so they are not counted.)
void ExpectBalanced(const std::string& body, const std::string& what) {
    const std::regex tag(R"(<(/?)(B|I|U|S|SUB|SUP|FONT|UL|TABLE|TR|TD|A)[ >])");
    std::vector<std::string> open;
    for (auto it = std::sregex_iterator(body.begin(), body.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[2];
        if ((*it)[1].length() == 0) {
            open.push_back(name);
        } else {
            ASSERT_FALSE(open.empty()) << what << ": stray </" << name << "> at " << it->position();
            ASSERT_EQ(open.back(), name) << what << " at " << it->position();
            open.pop_back();
        }
    }
    EXPECT_TRUE(open.empty()) << what << ": " << open.size() << " tags left open";
}

struct TSample {
    const char* file;
    std::vector<std::string> texts;
};

TEST(Samples, WordProcessorDocumentsConvert) {
    const TSample samples[] = {
        {"lo-formatting-showcase.rtf",
         {"Quartalsbericht Q3", "<B>", "<I>", "<U>", "<S>", "<SUP>", "<FONT COLOR=\"#1F3864\">",
          "<FONT FACE=\"Georgia\">", "<CENTER>", "<DIV ALIGN=right>", "back\\slash, {braces}", "<UL>",
          "This sentence carries a footnote"}},
        {"lo-lists-indents.rtf",
         {"Lists and nested indents", "First bullet", "Grandchild 2", "K&uuml;ndigung des Vertrages", " 5.",
          " 10.", "<UL>"}},
    };
    for (const TSample& sample : samples) {
        const std::string path = kSamples + sample.file;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no sample documents at " << kSamples;
        TScratch scratch;
        ASSERT_NO_THROW(RtfToHtmlFile(path, scratch.Path("out.html"), {}));
        const TPage page = ReadPage(scratch.Path("out.html"));
        EXPECT_EQ(page.Lines.at(2), "<TITLE>" + path + "</TITLE>");
        const std::string body = page.Body();
        for (const std::string& text : sample.texts)
            EXPECT_NE(body.find(text), std::string::npos) << sample.file << " lacks " << text;
        // Nothing of the header, footer, tables or field codes reaches the page.
        for (const char* absent : {"Times New Roman;", "Muster GmbH", "The footnote text", "HYPERLINK", "NUMPAGES",
                                   "\\loch", "\\par"})
            EXPECT_EQ(body.find(absent), std::string::npos) << sample.file << " shows " << absent;
        ExpectBalanced(body, sample.file);
        // All options together still give a page.
        ASSERT_NO_THROW(RtfToHtmlFile(path, scratch.Path("opt.html"), {"optimize", "noFonts"}));
        ExpectBalanced(ReadPage(scratch.Path("opt.html")).Body(), sample.file + std::string(" optimized"));
    }
}

} // namespace
} // namespace rtf2html::test
