// Document and message text crosses between 8-bit and Unicode only through the
// code-page helpers; the locale and Latin-1 conversions are kept for file names
// and ASCII constants, each use listed here by file and expression.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>

namespace {

// (file under src/, the call's argument text) of every allowed use.
const std::set<std::pair<std::string, std::string>> kAllowed = {
    {"dialogs/OpenPreview.cpp", "QString::fromLatin1(format)"},            // image format names (ASCII)
    {"dialogs/MessageDlg.cpp", "QString::fromLatin1(info.Caption)"},      // ASCII caption table
    {"dialogs/MessageDlg.cpp", "QString::fromLatin1(b.Caption)"},         // ASCII button table
    {"dialogs/MessageDlg.cpp", "QString::fromLatin1(b.Name)"},
    {"dialogs/BalloonImage.cpp", "QString::fromLatin1(resource)"},        // resource path
    {"richedit/ClipboardMime.cpp", "QString::fromLatin1(QCryptographicHash"}, // hex digest
    {"rtf/RtfReadPictures.cpp", "QString::fromLatin1(digest)"},      // hex digest
};

TEST(CodePageBoundary, NoLocaleOrLatin1ConversionOutsideTheAllowList) {
    const std::filesystem::path src = std::filesystem::path(KELVORA_SOURCE_DIR) / "src";
    const std::regex call(R"((QString::)?\w*(toLocal8Bit|fromLocal8Bit|fromLatin1)\s*\([^)]*\)?)");
    int checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        ++checked;
        const std::string file = std::filesystem::relative(entry.path(), src).generic_string();
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            for (std::sregex_iterator m(line.begin(), line.end(), call), end; m != end; ++m) {
                const std::string use = m->str();
                const bool allowed = std::any_of(kAllowed.begin(), kAllowed.end(), [&](const auto& a) {
                    return a.first == file && use.rfind(a.second, 0) == 0;
                });
                EXPECT_TRUE(allowed) << file << ":" << number << ": " << use
                                     << "\n  document and message text goes through platform/AnsiText.h; a file name"
                                        " or ASCII constant belongs in this test's allow-list";
            }
        }
    }
    EXPECT_GT(checked, 50); // the sources were found
}

} // namespace
