// The published properties: defaults, the two main-window configurations, and the
// setters that act on the control.
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <ostream>

namespace {

struct Settings {
    TInputFormat inputFormat;
    TOutputFormat outputFormat;
    bool selectedInOut, plainRtf;
    int undoLimit;
    bool includeOle, allowInPlace, autoVerbMenu;
    TAutoURLDetect autoUrlDetect;
    TLangOptions langOptions;
    bool showSelectionBar, wordFormatting, wordWrap, wantReturns, hideScrollBars;
    TScrollStyle scrollBars;
    bool hideSelection, readOnly;
    int maxLength;
    auto Tie() const {
        return std::tie(inputFormat, outputFormat, selectedInOut, plainRtf, undoLimit, includeOle, allowInPlace,
                        autoVerbMenu, autoUrlDetect, langOptions, showSelectionBar, wordFormatting, wordWrap,
                        wantReturns, hideScrollBars, scrollBars, hideSelection, readOnly, maxLength);
    }
    bool operator==(const Settings& other) const { return Tie() == other.Tie(); }
};

std::ostream& operator<<(std::ostream& out, const Settings& s) {
    return out << "in " << s.inputFormat << " out " << s.outputFormat << " selInOut " << s.selectedInOut << " plain "
               << s.plainRtf << " undo " << s.undoLimit << " ole " << s.includeOle << " inPlace " << s.allowInPlace
               << " verbs " << s.autoVerbMenu << " url " << s.autoUrlDetect << " lang " << s.langOptions << " bar "
               << s.showSelectionBar << " wordFmt " << s.wordFormatting << " wrap " << s.wordWrap << " returns "
               << s.wantReturns << " hideBars " << s.hideScrollBars << " bars " << s.scrollBars << " hideSel "
               << s.hideSelection << " ro " << s.readOnly << " max " << s.maxLength;
}

Settings Snapshot(const TRichEdit98& e) {
    return {e.InputFormat(),    e.OutputFormat(),   e.SelectedInOut(),  e.PlainRTF(),       e.UndoLimit(),
            e.IncludeOLE(),     e.AllowInPlace(),   e.AutoVerbMenu(),   e.AutoURLDetect(),  e.LangOptions(),
            e.ShowSelectionBar(), e.WordFormatting(), e.WordWrap(),     e.WantReturns(),    e.HideScrollBars(),
            e.ScrollBars(),     e.HideSelection(),  e.ReadOnly(),       e.MaxLength()};
}

// Columns of the property table: default, RichEditEx1, RichEditEx2.
const Settings kDefaults = {ifRTF, ofRTF, false, false, 0, false, false, true, adNone, loAutoFont,
                            false, true,  true,  true,  true, ssNone, true, false, 0};
const Settings kTemplateEditor = {ifRTF, ofRTF, false, false, 0, true, false, true, adNone, loAutoFont,
                                  false, true,  true,  true,  false, ssVertical, true, false, 0};
const Settings kInformationEditor = {ifRTF, ofRTF, false, true, 0, false, false, true, adNone, loAutoFont,
                                     false, true,  false, false, true, ssNone, true, false, 0};

TEST(ControlProperties, DefaultsAndTheTwoMainWindowConfigurations) {
    TRichEdit98 plain, templateEditor, informationEditor;
    TRichEdit98::ConfigureAsTemplateEditor(templateEditor);
    TRichEdit98::ConfigureAsInformationEditor(informationEditor);
    EXPECT_EQ(Snapshot(plain), kDefaults);
    EXPECT_EQ(Snapshot(templateEditor), kTemplateEditor);
    EXPECT_EQ(Snapshot(informationEditor), kInformationEditor);
    for (const TRichEdit98* e : {&templateEditor, &informationEditor}) {
        EXPECT_EQ(e->Language(), 1033);
        EXPECT_EQ(e->CodePage(), 1252);
        EXPECT_EQ(e->URLColor(), clBlue);
        EXPECT_EQ(e->URLCursor(), crHandPoint);
        ASSERT_EQ(e->CustomURLs().Count(), 12);
        EXPECT_EQ(e->CustomURLs().Item(0).Name, "e-mail");
        EXPECT_EQ(e->CustomURLs().Item(11).Name, "wais");
    }
}

TEST(ControlProperties, SettersActOnTheWidget) {
    TRichEdit98 e;
    TRichEdit98::ConfigureAsTemplateEditor(e);
    EXPECT_EQ(e.lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(e.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(e.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    TRichEdit98::ConfigureAsInformationEditor(e);
    EXPECT_EQ(e.lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(e.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    e.SetScrollBars(ssBoth);
    EXPECT_EQ(e.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(e.horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    e.SetReadOnly(true);
    EXPECT_TRUE(e.isReadOnly());
    EXPECT_EQ(e.TextLimit(), 2147483647);
    e.SetMaxLength(10);
    EXPECT_EQ(e.TextLimit(), 10);
}

TEST(ControlProperties, WantReturnsDecidesWhetherEnterGoesIntoTheText) {
    for (const bool want : {true, false}) {
        TRichEdit98 e;
        e.SetWantReturns(want);
        e.show();
        QTest::keyClicks(&e, "ab");
        QTest::keyClick(&e, Qt::Key_Return);
        QTest::keyClicks(&e, "c");
        EXPECT_EQ(e.Text(), want ? "ab\r\nc" : "abc") << want;
        if (!want) {
            QTest::keyClick(&e, Qt::Key_Return, Qt::ControlModifier);
            EXPECT_EQ(e.Text(), "abc\r\n") << "Ctrl+Enter still breaks the line";
        }
    }
}

TEST(ControlProperties, TypingStopsAtTheTextLimit) {
    TRichEdit98 e;
    e.SetMaxLength(3);
    e.show();
    QTest::keyClicks(&e, "abcdef");
    EXPECT_EQ(e.Text(), "abc");
    e.SetSelectedText("xyz");
    EXPECT_EQ(e.Text(), "abc");
    e.SetMaxLength(0);
    e.SetSelectedText(std::string(70000, 'w'));
    EXPECT_EQ(e.GetTextLen(), 70003);
}

TEST(ControlProperties, HiddenSelectionShowsOnlyWithFocus) {
    TRichEdit98 e;
    const QColor highlight = e.palette().color(QPalette::Highlight);
    EXPECT_EQ(highlight, e.palette().color(QPalette::Base)) << "unfocused: hidden";
    e.SetHideSelection(false);
    EXPECT_NE(e.palette().color(QPalette::Highlight), e.palette().color(QPalette::Base));
}

TEST(ControlProperties, OnChangeAndOnSelectionChangeCarryTheSender) {
    TRichEdit98 e;
    std::vector<std::string> events;
    e.OnChange = [&](TCustomRichEdit98* sender) { events.push_back(sender == &e ? "change" : "wrong sender"); };
    e.OnSelectionChange = [&](TCustomRichEdit98* sender) {
        events.push_back(sender == &e ? "selection" : "wrong sender");
    };
    e.SetSelectedText("abc");
    e.SetSelectionStart(1);
    e.SetSelectionStart(1);
    e.SetSelectionLength(1);
    std::sort(events.begin(), events.end()); // the toolkit reports the caret before the text
    EXPECT_EQ(events, (std::vector<std::string>{"change", "selection", "selection", "selection"}));
}

TEST(ControlProperties, ModifiedFollowsEditsAndCanBeCleared) {
    TRichEdit98 e;
    EXPECT_FALSE(e.Modified());
    e.SetSelectedText("x");
    EXPECT_TRUE(e.Modified());
    e.SetModified(false);
    EXPECT_FALSE(e.Modified());
    e.SetShowSelectionBar(true);
    EXPECT_EQ(e.Text(), "x");
    EXPECT_FALSE(e.Modified());
}

TEST(ControlProperties, UndoWorksWithUndoLimitZero) {
    TRichEdit98 e;
    e.SetUndoLimit(0);
    e.show();
    QTest::keyClicks(&e, "abc");
    e.undo();
    EXPECT_EQ(e.Text(), "");
    e.redo();
    EXPECT_EQ(e.Text(), "abc");
}

} // namespace

namespace {

TEST(ControlProperties, TheFormattingRectStaysPutWhenAppliedAgain) {
    for (const bool bar : {false, true}) {
        TRichEdit98 e;
        e.resize(300, 200);
        e.SetShowSelectionBar(bar);
        e.show();
        QApplication::processEvents();
        const QSize client = e.contentsRect().size();
        const int viewportWidth = e.viewport()->width();
        for (int i = 0; i < 3; ++i) {
            e.SetFormattingRect(QRect(QPoint(6, 0), QPoint(client.width() - 6, client.height())));
            QApplication::processEvents();
        }
        EXPECT_EQ(e.viewport()->width(), viewportWidth - 12) << bar;
        EXPECT_EQ(e.viewport()->x(), e.contentsRect().x() + 6 + (bar ? 8 : 0)) << bar;
    }
}

} // namespace

namespace {

TEST(ControlProperties, APressInTheSelectionBarSelectsTheLine) {
    TRichEdit98 e;
    e.resize(300, 200);
    e.SetWordWrap(false);
    e.Lines().SetText("first line\r\nsecond line\r\nthird");
    e.SetShowSelectionBar(true);
    e.show();
    QApplication::processEvents();
    QTextCursor second(e.document());
    second.setPosition(e.LineIndex(1));
    const int y = e.viewport()->y() + e.cursorRect(second).center().y();
    QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(e.viewport()->x() - 3, y));
    EXPECT_EQ(e.SelectedText(), "second line\r\n");
    e.SetShowSelectionBar(false);
    e.SetSelectionStart(0);
    QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(1, y));
    EXPECT_EQ(e.SelectedText(), "");
}

} // namespace
