#include "ConverterTestSupport.h"

#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace rtf2html::test {

TScratch::TScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rtf2html-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    FDir = pattern;
}

TScratch::~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(FDir, ignored);
}

std::string TScratch::Write(const std::string& name, const std::string& content) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TPage ReadPage(const std::string& path) {
    TPage page;
    page.Raw = ReadFile(path);
    size_t from = 0;
    while (from < page.Raw.size()) {
        const size_t end = page.Raw.find("\r\n", from);
        if (end == std::string::npos) throw std::runtime_error("a page line without CR LF");
        page.Lines.push_back(page.Raw.substr(from, end - from));
        from = end + 2;
    }
    return page;
}

std::vector<std::string> TPage::BodyLines() const {
    // Five head lines, then the body, then "</BODY>" and "</HTML>".
    if (Lines.size() < 7) return {};
    return {Lines.begin() + 5, Lines.end() - 2};
}

std::string TPage::Body() const {
    std::string body;
    for (const std::string& line : BodyLines()) body += line;
    return body;
}

TPage Convert(const std::string& rtf, const std::vector<std::string>& options, const TCodePages* codePages) {
    TScratch scratch;
    const std::string source = scratch.Write("in.rtf", rtf);
    RtfToHtmlFile(source, scratch.Path("out.html"), options, codePages);
    return ReadPage(scratch.Path("out.html"));
}

std::string BodyOf(const std::string& rtf, const std::vector<std::string>& options) {
    return Convert(rtf, options).Body();
}

void ExpectBodies(const std::vector<TBodyCase>& cases, const std::vector<std::string>& options) {
    for (const TBodyCase& c : cases) EXPECT_EQ(BodyOf(c.rtf, options), c.body) << c.name << ": " << c.rtf;
}

} // namespace rtf2html::test
