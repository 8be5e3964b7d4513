// The information lines computed from a file's bytes (used where merges run away
// from the GUI thread) are the lines the information editor holds for that file.
#include "cli/InformationFile.h"
#include "assembly/InformationText.h"
#include "assembly/MergeEngine.h"
#include "platform/Cp1252.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

std::vector<std::string> LinesOf(const TMergeLines& lines) {
    std::vector<std::string> out;
    for (int64_t i = 0; i < lines.Count(); ++i) out.push_back(lines.Get(i));
    return out;
}

std::vector<std::string> RtfLinesOf(const TMergeLines& lines) {
    std::vector<std::string> out;
    for (int64_t i = 0; i < lines.Count(); ++i) out.push_back(lines.GetRtf(i));
    return out;
}

std::string Repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(InformationLines, FromTheBytesAsTheInformationEditorHoldsThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("info.inf").toStdString();
    std::string high; // every byte above 127, the five unassigned ones included
    for (int b = 128; b < 256; ++b) high += char(b);
    const std::string cases[] = {
        "Client\r\nMr J. Brown\r\nFee\r\n150*2\r\n",
        "Client\nMr J. Brown\rFee\n\r150*2",           // LF, CR, and LF CR as two breaks
        "",
        "\r\n",
        "a\r\n\r\n",
        "caf\xE9 \x80 \xB6\r\n" + high + "\r\n",
        std::string("a\0b\r\n\0\r\nc\0", 11),          // byte 0 is dropped before the lines are split
        std::string("a\r\n\0", 4),
        "ends in a vertical tab\v\r\n\v\r\nmid\vline\r\n\t tab and \f form feed \r\n",
        std::string(5000, 'x') + "\r\nshort\r\n",     // a long line is cut
        std::string(4095, 'y') + "\v" + "z\r\n",      // cut just after a vertical tab
        "  {\\rtfx not rtf\r\n",
        // UTF-8: names beyond the code page, a character beyond the BMP, the editor's
        // own line and paragraph separators, its marks, a byte-order mark.
        "Client\r\n\xC5\x81ukasz caf\xC3\xA9 \xE2\x82\xAC \xC2\xB6\r\nFee\r\n150*2\r\n",
        "\xEF\xBB\xBFName\r\n\xF0\x9F\x98\x80 smile\r\n",
        "\xEF\xBB\xBF",
        "a\xE2\x80\xA8b\xE2\x80\xA8\r\nc\xE2\x80\xA9d\xE2\x80\xA9\r\n\xEF\xB7\x90e\v\r\n",
        std::string("\xC5\x81\0ukasz\r\n\0", 10),
        "\xC5\x81" + std::string(5000, 'x') + "\r\nshort\r\n",
        Repeated("\xE2\x82\xAC", 5000) + "\r\n" + Repeated("\xF0\x9F\x98\x80", 3000) + "\r\n", // cut between two units
        "x" + Repeated("\xF0\x9F\x98\x80", 2048) + "\r\n",                                        // a pair cut in two
        "\xEF\xBB\xBFnot \xFF valid\r\n", // the mark, but not UTF-8: the editor decodes it
    };
    for (const std::string& bytes : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        const TVectorLines editor = LoadInformationLines(path);
        for (const auto& fromBytes : {InformationLinesFromText(bytes), InformationLinesFromFile(path)}) {
            if (bytes.starts_with("\xEF\xBB\xBFnot")) {
                EXPECT_FALSE(fromBytes.has_value());
                continue;
            }
            ASSERT_TRUE(fromBytes.has_value()) << bytes.substr(0, 60);
            EXPECT_EQ(fromBytes->lines, LinesOf(editor)) << bytes.substr(0, 60);
            if (!fromBytes->rtfLines.empty()) EXPECT_EQ(fromBytes->rtfLines, RtfLinesOf(editor)) << bytes.substr(0, 60);
            // RTF forms for every line of a UTF-8 file, none for one in the code page.
            EXPECT_EQ(fromBytes->rtfLines.size(), Platform::IsUtf8Text(bytes) ? fromBytes->lines.size() : 0)
                << bytes.substr(0, 60);
        }
    }
    EXPECT_FALSE(InformationLinesFromText("\r\n {\\rtf1 Client\\par Smith\\par}").has_value()); // the editor's own
}

// `kelvora merge` reads plain text from the bytes and brings up the editor (and the
// GUI library) only for RTF; a merge gives the same bytes either way.
TEST(InformationLines, TheCommandLineReadsAsTheEditorAndNeedsItOnlyForRtf) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("info.inf").toStdString();
    std::string high;
    for (int b = 128; b < 256; ++b) high += char(b);
    const std::string templates[] = {
        "{\\rtf1\\ansi Dear @1,\\par fee @2\\par @3 @4\\par}",
        "Dear @1,\r\nfee @2\r\n@3 @4\r\n",
    };
    const std::string nul("Client\0\r\nBrown\0\r\nFee\n1/2\nx\ry\v\r\nlast\r\nz\r\n", 40);
    const struct {
        std::string bytes;
        bool needsEditor;
    } cases[] = {
        {"Client\r\nMr J. Brown\r\nFee\r\n150*2\r\nName\r\ncaf\xE9 \x80 \xB6 \xABLukasz\xBB\r\nAll\r\n" + high + "\r\n",
         false},
        {nul, false},
        {"{\\rtf1\\ansi Client\\par Mr {\\b J.} Brown\\par Fee\\par 150*2\\par Name\\par caf\\'e9 \\'80\\par All\\par "
         "\\u321?ukasz\\par}",
         true},
        {"Client\r\nMr J. Brown\r\nFee\r\n150*2\r\nName\r\ncaf\xC3\xA9 \xE2\x82\xAC\r\nAll\r\n\xC5\x81ukasz\r\n", false},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        int needed = 0;
        const TVectorLines read = ReadInformationLines(path, [&] { ++needed; });
        const TVectorLines editor = LoadInformationLines(path);
        EXPECT_EQ(needed, c.needsEditor ? 1 : 0) << c.bytes.substr(0, 40);
        EXPECT_EQ(LinesOf(read), LinesOf(editor));
        EXPECT_EQ(RtfLinesOf(read), RtfLinesOf(editor));
        for (const std::string& templ : templates) {
            const TMergeResult viaRead = MergeTemplate(templ, read, TMergeMode::Insert);
            const TMergeResult viaEditor = MergeTemplate(templ, editor, TMergeMode::Insert);
            EXPECT_EQ(viaRead.outcome, TMergeOutcome::Done);
            EXPECT_EQ(viaRead.text, viaEditor.text) << templ;
        }
    }
    int needed = 0; // a missing file: the editor's own error
    EXPECT_ANY_THROW(ReadInformationLines(dir.filePath("none.inf").toStdString(), [&] { ++needed; }));
    EXPECT_EQ(needed, 1);
    try { // a folder opens, but is no information: the editor says what it makes of it
        ReadInformationLines(dir.path().toStdString(), [&] { ++needed; });
    } catch (const std::exception&) {
    }
    EXPECT_EQ(needed, 2);
}

} // namespace
