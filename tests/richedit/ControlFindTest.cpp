// FindText: ranges, direction, whole words and case.
#include "platform/AnsiText.h"
#include "richedit/RichEdit98.h"

#include <gtest/gtest.h>

namespace {

TEST(ControlFind, FindTextTable) {
    TRichEdit98 e;
    // Words start at 0, 4, 8, 15, 20; after the break (23) at 24, 29, 33.
    e.Lines().SetText("abc ABC abcdef xabc abc\r\nnext abc line");
    struct Case {
        const char* what;
        int start, length;
        TFindOptions98 options;
        int found;
    };
    const Case cases[] = {
        {"abc", 0, 0, 0, 0},
        {"abc", 1, 0, 0, 4},                          // case ignored: "ABC"
        {"abc", 1, 0, foMatchCase, 8},
        {"ABC", 0, 0, foMatchCase, 4},
        {"ABC", 5, 0, foMatchCase, -1},
        {"abc", 5, 0, foWholeWord, 20},               // not inside "abcdef" or "xabc"
        {"abc", 21, 0, foWholeWord, 29},              // across the paragraph break
        {"abc", 9, 6, 0, -1},                         // range ends before "xabc" is complete
        {"abc", 9, 10, 0, 16},
        {"abc", 23, 0, foBackward, 20},               // nearest before the start
        {"abc", 22, 0, foBackward, 16},               // a match must end before the start
        {"abc", 19, 3, foBackward, 16},
        {"abc", 19, 2, foBackward, -1},
        {"abc", 22, 5, foBackward, -1},               // "xabc" starts before the range
        {"abc", 19, 0, foBackward | foWholeWord, 4},
        {"abc", 30, 0, foBackward | foWholeWord | foMatchCase, 20},
        {"zzz", 0, 0, 0, -1},
        {"", 0, 0, 0, -1},
        {"line", 0, 0, 0, 33},
        {"abc", 100, 0, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(e.FindText(c.what, c.start, c.length, c.options), c.found)
            << c.what << " start " << c.start << " length " << c.length << " options " << c.options;
}

TEST(ControlFind, EightBitSearchTextAndNoSelectionChange) {
    TRichEdit98 e;
    e.Lines().SetText("price \x80 12, caf\xE9 CAF\xC9");
    e.SetSelectionStart(2);
    EXPECT_EQ(e.FindText("\x80", 0, 0, 0), 6);
    EXPECT_EQ(e.FindText("caf\xC9", 0, 0, foMatchCase), -1);
    EXPECT_EQ(e.FindText("CAF\xC9", 0, 0, foMatchCase), 17);
    EXPECT_EQ(e.FindText("CAF\xE9", 0, 0, 0), 12);
    EXPECT_EQ(e.SelectionStart(), 2);
    EXPECT_EQ(e.SelectionLength(), 0);
}

} // namespace

namespace {

// The 8-bit and the Unicode search find the same characters of the code page;
// only the Unicode one can find what the code page lacks.
TEST(ControlFind, AccentedAndNonLatinText) {
    TRichEdit98 e;
    e.WideLines().SetText(QString::fromUtf8("caf\xC3\xA9 au lait \xC2\xA3 5 \xE2\x82\xAC 6 \xC2\xB6 "
                                            "\xC5\x81ukasz \xF0\x9F\x98\x80 Stra\xC3\x9F" "e M\xC3\xBCller"));
    struct Case { const char* utf8; int found; };
    const Case cases[] = {{"\xC3\xA9", 3}, {"\xC2\xA3", 13}, {"\xE2\x82\xAC", 17}, {"\xC2\xB6", 21},
                          {"\xC5\x81ukasz", 23}, {"\xF0\x9F\x98\x80", 30}, {"\xC3\x9F", 37}, {"m\xC3\x9Cller", 40}};
    for (const Case& c : cases) {
        const QString needle = QString::fromUtf8(c.utf8);
        EXPECT_EQ(e.FindTextW(needle, 0, e.GetTextLen(), 0), c.found) << c.utf8;
        const std::string bytes = Platform::QStringToAnsi(needle);
        if (bytes.find('?') == std::string::npos) EXPECT_EQ(e.FindText(bytes, 0, e.GetTextLen(), 0), c.found) << c.utf8;
    }
    e.SetSelectionStart(23);
    e.SetSelectionLength(1);
    e.SetSelectedTextW(QString::fromUtf8("\xC5\x81"));
    EXPECT_EQ(e.WideLines().Get(0).mid(23, 6), QString::fromUtf8("\xC5\x81ukasz"));
}

// The helpers of the code-page boundary: byte for character both ways.
TEST(CodePageBoundary, AnsiAndUnicodeMeetByteForCharacter) {
    struct Case { std::string bytes; const char* utf8; };
    const Case cases[] = {{"caf\xE9", "caf\xC3\xA9"}, {"\x80\xB6\xA3\xDF\xFC", "\xE2\x82\xAC\xC2\xB6\xC2\xA3\xC3\x9F\xC3\xBC"},
                          {"\x81\x8D", "\xC2\x81\xC2\x8D"}, {"", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(Platform::AnsiToQString(c.bytes), QString::fromUtf8(c.utf8)) << c.utf8;
        EXPECT_EQ(Platform::QStringToAnsi(QString::fromUtf8(c.utf8)), c.bytes) << c.utf8;
    }
    const QString polish = QString::fromUtf8("\xC5\x81ukasz \xF0\x9F\x98\x80");
    EXPECT_EQ(Platform::QStringToAnsi(polish), "?ukasz ?"); // a surrogate pair is one character
    EXPECT_EQ(Platform::QStringToAnsi(polish, '_'), "_ukasz _");
    EXPECT_EQ(Platform::RtfAnsiToQString(Platform::QStringToRtfAnsi(polish)), polish);
}

} // namespace
