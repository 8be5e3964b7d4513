// FindText: ranges, direction, whole words and case.
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
