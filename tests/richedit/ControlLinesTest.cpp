// The control's line model, 8-bit text and selection positions.
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class ControlLines : public ::testing::Test {
protected:
    void SetUp() override {
        edit.SetWordWrap(false);
        edit.resize(400, 300);
    }
    std::vector<std::string> Lines() const { return edit.Lines().ToVector(); }
    TRichEdit98 edit;
};

TEST_F(ControlLines, CountFollowsTheEngineLinesLessAFinalEmptyOne) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\n", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\r\n\r\n", {"one", ""}},
        {"a\nb\rc\r\n", {"a", "b", "c"}},
        {"\r\n", {""}},
    };
    for (const Case& c : cases) {
        edit.Lines().SetText(c.text);
        EXPECT_EQ(Lines(), c.lines) << "text: " << testing::PrintToString(std::string(c.text));
        EXPECT_EQ(edit.Lines().Count(), int(c.lines.size()));
    }
}

TEST_F(ControlLines, GetOutsideTheDocumentIsEmpty) {
    edit.Lines().SetText("first\r\nsecond\r\n");
    for (int index : {-1, 2, 3, 1000}) EXPECT_EQ(edit.Lines().Get(index), "") << index;
    EXPECT_EQ(edit.Lines().Get(1), "second");
}

TEST_F(ControlLines, GetCutsALongLineTo4096Characters) {
    const std::string longLine(5000, 'x');
    edit.Lines().SetText(longLine + "\r\nshort");
    EXPECT_EQ(edit.Lines().Get(0), std::string(4096, 'x'));
    EXPECT_EQ(edit.Lines().Get(1), "short");
}

TEST_F(ControlLines, PutInsertDeleteAndAdd) {
    struct Case {
        const char* name;
        const char* before;
        std::function<void(TRichEditStrings98&)> change;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"put", "a\r\nb\r\n", [](auto& l) { l.Put(1, "B"); }, {"a", "B"}},
        {"put past the end", "a\r\nb\r\n", [](auto& l) { l.Put(5, "B"); }, {"a", "b"}},
        {"put below 0", "a\r\nb\r\n", [](auto& l) { l.Put(-1, "B"); }, {"a", "b"}},
        {"insert at 0", "a\r\nb\r\n", [](auto& l) { l.Insert(0, "z"); }, {"z", "a", "b"}},
        {"insert between", "a\r\nb\r\n", [](auto& l) { l.Insert(1, "z"); }, {"a", "z", "b"}},
        {"insert at Count+1 after a final break", "a\r\nb\r\n", [](auto& l) { l.Insert(3, "z"); }, {"a", "b"}},
        {"insert below 0", "a\r\nb\r\n", [](auto& l) { l.Insert(-1, "z"); }, {"a", "b"}},
        {"add after a final break", "a\r\nb\r\n", [](auto& l) { l.Add("z"); }, {"a", "b", "z"}},
        {"add without a final break", "a\r\nb", [](auto& l) { l.Add("z"); }, {"a", "b", "z"}},
        {"add to an empty document", "", [](auto& l) { l.Add("z"); }, {"z"}},
        {"delete first", "a\r\nb\r\nc", [](auto& l) { l.Delete(0); }, {"b", "c"}},
        {"delete middle", "a\r\nb\r\nc", [](auto& l) { l.Delete(1); }, {"a", "c"}},
        {"delete past the end", "a\r\nb", [](auto& l) { l.Delete(7); }, {"a", "b"}},
        {"delete below 0", "a\r\nb", [](auto& l) { l.Delete(-1); }, {"a", "b"}},
        {"add strings", "a\r\n", [](auto& l) { l.AddStrings({"b", "", "c"}); }, {"a", "b", "", "c"}},
    };
    for (const Case& c : cases) {
        edit.Lines().SetText(c.before);
        c.change(edit.Lines());
        EXPECT_EQ(Lines(), c.after) << c.name;
    }
}

TEST_F(ControlLines, InsertPastTheEndLeavesTheTextOperationsWorking) {
    edit.Lines().SetText("a\r\nb\r\n");
    edit.Lines().Insert(edit.Lines().Count() + 1, "z");
    edit.SetSelectionStart(0);
    edit.SetSelectionLength(1);
    edit.SetSelectedText("A");
    EXPECT_EQ(edit.Text(), "A\r\nb\r\n");
}

TEST_F(ControlLines, AnInsertionCutByTheTextLimitIsAnError) {
    edit.Lines().SetText("abc");
    edit.SetMaxLength(6);
    try {
        edit.Lines().Add("defghij");
        FAIL() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "RichEdit line insertion error");
    }
    edit.SetMaxLength(0);
    const std::string big(200000, 'q');
    edit.Lines().Add(big);
    EXPECT_EQ(edit.Lines().Get(2), std::string(4096, 'q'));
    EXPECT_GT(edit.GetTextLen(), 200000);
}

TEST_F(ControlLines, SetTextRaisesOnChangeOnceAndAddStringsKeepsSelectionEventsQuiet) {
    int changes = 0, selections = 0;
    edit.OnChange = [&](TCustomRichEdit98*) { ++changes; };
    edit.OnSelectionChange = [&](TCustomRichEdit98*) { ++selections; };
    edit.Lines().SetText("1\r\n2\r\n3\r\n4\r\n");
    EXPECT_EQ(changes, 1);
    selections = 0;
    edit.Lines().AddStrings({"5", "6"});
    EXPECT_EQ(selections, 0);
    ASSERT_TRUE(edit.OnSelectionChange);
    edit.SetSelectionStart(0);
    EXPECT_EQ(selections, 1);
}

TEST_F(ControlLines, WrappedLinesFollowTheLayout) {
    const std::string paragraph =
        "This paragraph is long enough to need several lines in a narrow window, so the line list has more "
        "than one line for it.";
    edit.SetWordWrap(true);
    edit.resize(160, 300);
    edit.show();
    QApplication::processEvents();
    edit.Lines().SetText(paragraph + "\r\nnext");
    const int wrapped = edit.Lines().Count();
    ASSERT_GT(wrapped, 3);
    std::string joined;
    for (int i = 0; i + 1 < wrapped; ++i) {
        const std::string line = edit.Lines().Get(i);
        EXPECT_FALSE(line.empty()) << i;
        EXPECT_EQ(edit.LineIndex(i), int(joined.size())) << i;
        joined += line;
    }
    EXPECT_EQ(joined, paragraph);
    EXPECT_EQ(edit.Lines().Get(wrapped - 1), "next");

    edit.SetWordWrap(false);
    EXPECT_EQ(Lines(), (std::vector<std::string>{paragraph, "next"}));
}

TEST_F(ControlLines, EightBitTextGoesThroughCodePage1252) {
    struct Case {
        unsigned char byte;
        char16_t unicode;
    };
    const Case cases[] = {{0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F},
                          {0x90, 0x0090}, {0x91, 0x2018}, {0x96, 0x2013}, {0x9C, 0x0153}, {0x9D, 0x009D},
                          {0x9F, 0x0178}, {0xB6, 0x00B6}, {0xE9, 0x00E9}};
    edit.SetLanguage(1033);
    for (const Case& c : cases) {
        edit.Clear();
        edit.SetSelectedText(std::string(1, char(c.byte)));
        ASSERT_EQ(edit.document()->toPlainText().size(), 1) << int(c.byte);
        EXPECT_EQ(edit.document()->toPlainText()[0].unicode(), c.unicode) << std::hex << int(c.byte);
        EXPECT_EQ(edit.Text(), std::string(1, char(c.byte)));
        EXPECT_EQ(edit.Lines().Get(0), std::string(1, char(c.byte)));
    }
    std::string all;
    for (int b = 0x80; b <= 0x9F; ++b) all += char(b);
    edit.Lines().SetText(all);
    EXPECT_EQ(edit.Lines().Get(0), all);
}

// A cleared editor starts again from the default format, wherever the caret stood:
// nothing of the old text's character or paragraph format carries over to typing.
TEST_F(ControlLines, ClearedEditorTypesInTheDefaultFormat) {
    for (const QTextCursor::MoveOperation caret : {QTextCursor::Start, QTextCursor::End}) {
        ASSERT_TRUE(edit.StreamIn("{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}"
                                  "\\pard\\qc\\li720{\\b\\i\\ul\\cf1\\fs40 Bold}}",
                                  ifRTF, false, false));
        edit.moveCursor(caret);
        edit.Clear();
        QTest::keyClicks(&edit, "x");
        ASSERT_EQ(edit.document()->toPlainText(), "x");
        QTextCursor typed(edit.document());
        typed.setPosition(1);
        const QTextCharFormat format = typed.charFormat();
        EXPECT_FALSE(format.font().bold()) << caret;
        EXPECT_FALSE(format.fontItalic()) << caret;
        EXPECT_FALSE(format.fontUnderline()) << caret;
        EXPECT_FALSE(format.hasProperty(QTextFormat::ForegroundBrush)) << caret;
        EXPECT_FALSE(format.hasProperty(QTextFormat::FontPointSize)) << caret;
        EXPECT_EQ(typed.blockFormat().alignment(), QTextBlockFormat().alignment()) << caret;
        EXPECT_EQ(typed.blockFormat().leftMargin(), 0) << caret;
    }
}

TEST_F(ControlLines, LanguageChoosesTheCodePage) {
    struct Case {
        int language;
        int codePage;
    };
    for (const Case& c : {Case{1033, 1252}, Case{1031, 1252}, Case{1049, 1251}, Case{1029, 1250}, Case{1032, 1253},
                          Case{1055, 1254}, Case{1041, 932}, Case{2052, 936}, Case{1028, 950}}) {
        edit.SetLanguage(c.language);
        EXPECT_EQ(edit.CodePage(), c.codePage) << c.language;
    }
    edit.SetLanguage(1049);
    edit.SetSelectedText("\xC0\xFF");
    EXPECT_EQ(edit.document()->toPlainText(), QString::fromUtf8("\xD0\x90\xD1\x8F")); // А я
    EXPECT_EQ(edit.Text(), "\xC0\xFF");
}

TEST_F(ControlLines, PositionsCountAParagraphBreakAsOne) {
    edit.Lines().SetText("ab\r\ncd\r\nef");
    EXPECT_EQ(edit.GetTextLen(), 8);
    edit.SetSelectionStart(3);
    edit.SetSelectionLength(4);
    EXPECT_EQ(edit.SelectedText(), "cd\r\ne");
    EXPECT_EQ(edit.LineIndex(2), 6);
    edit.SetSelectedText("X\r\nY");
    EXPECT_EQ(edit.Text(), "ab\r\nX\r\nYf");
    EXPECT_EQ(edit.SelectionStart(), 6);
    EXPECT_EQ(edit.SelectionLength(), 0);
    edit.SetSelectionLength(0);
    EXPECT_EQ(edit.SelectedText(), "");
}

TEST_F(ControlLines, SelectedTextIsOneUndoableStep) {
    edit.Lines().SetText("hello world");
    edit.SetSelectionStart(0);
    edit.SetSelectionLength(5);
    edit.SetSelectedText("goodbye");
    EXPECT_EQ(edit.Text(), "goodbye world");
    edit.undo();
    EXPECT_EQ(edit.Text(), "hello world");
}

TEST_F(ControlLines, PaintingLockKeepsSelectionAndScrollPosition) {
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i) many.push_back("line " + std::to_string(i));
    edit.SetScrollBars(ssVertical);
    edit.show();
    edit.SetLines(many);
    QApplication::processEvents();
    edit.SetSelectionStart(edit.LineIndex(100));
    edit.SetSelectionLength(4);
    const int scroll = edit.verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);

    edit.BeginUpdate();
    edit.BeginUpdate();
    EXPECT_FALSE(edit.viewport()->updatesEnabled());
    edit.SetSelectionStart(0);
    edit.verticalScrollBar()->setValue(0);
    edit.EndUpdate();
    EXPECT_FALSE(edit.viewport()->updatesEnabled());
    edit.EndUpdate();
    EXPECT_TRUE(edit.viewport()->updatesEnabled());
    EXPECT_EQ(edit.SelectionStart(), edit.LineIndex(100));
    EXPECT_EQ(edit.SelectionLength(), 4);
    EXPECT_EQ(edit.verticalScrollBar()->value(), scroll);
    edit.EndUpdate(); // one too many: stays unlocked
    EXPECT_EQ(edit.UpdateCount(), 0);
}

TEST_F(ControlLines, EndUpdateStopsWhenTheSavedLineIsGone) {
    std::vector<std::string> many(300, "text");
    edit.SetScrollBars(ssVertical);
    edit.show();
    edit.SetLines(many);
    QApplication::processEvents();
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    edit.BeginUpdate();
    edit.Lines().SetText("short");
    edit.EndUpdate();
    EXPECT_EQ(edit.verticalScrollBar()->value(), edit.verticalScrollBar()->maximum());
    EXPECT_EQ(edit.Lines().Get(0), "short");
}

} // namespace
