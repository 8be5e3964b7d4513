// Edit menu commands and the marker lookup on a real window.
#include "ModalAnswer.h"

#include "window/MainForm.h"
#include "dialogs/FindReplaceDialog.h"
#include "dialogs/XBaloon.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class EditCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        form = std::make_unique<TMainForm>();
        form->show();
        editor = form->RichEditEx1;
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(previous);
    }
    void Trigger(const char* name) { form->findChild<QAction*>(name)->trigger(); }
    void Select(int start, int length) {
        editor->SetSelectionStart(start);
        editor->SetSelectionLength(length);
    }
    // Types into a find or replace dialog and presses one of its buttons.
    void Press(Dialogs::TFindDialog* dialog, const char* button, const QString& find, const QString& replace = {}) {
        dialog->findChild<QLineEdit*>("FindEdit")->setText(find);
        if (auto* r = dialog->findChild<QLineEdit*>("ReplaceEdit")) r->setText(replace);
        dialog->findChild<QPushButton*>(button)->click();
    }

    QTemporaryDir dir;
    QString previous;
    std::unique_ptr<TMainForm> form;
    TRichEdit98* editor = nullptr;
};

TEST_F(EditCommandsTest, FindStartsAfterTheSelectionOrAtTheStart) {
    editor->SetText("one two one two one");
    editor->SetSelectionStart(12); // a caret, nothing selected: the search starts at 0
    Trigger("F1");
    Press(form->FindDialog1, "FindNextButton", "one");
    EXPECT_EQ(editor->SelectionStart(), 0);
    EXPECT_EQ(editor->SelectionLength(), 3);
    Press(form->FindDialog1, "FindNextButton", "one");
    EXPECT_EQ(editor->SelectionStart(), 8);
    Press(form->FindDialog1, "FindNextButton", "one");
    EXPECT_EQ(editor->SelectionStart(), 16);
    Press(form->FindDialog1, "FindNextButton", "one"); // past the last match: nothing more
    EXPECT_EQ(editor->SelectionStart(), 16);
    EXPECT_EQ(editor->SelectionLength(), 3);
    Press(form->FindDialog1, "FindNextButton", "absent");
    EXPECT_EQ(editor->SelectionStart(), 16);
}

// The pixels of the editor painted in the selection colour.
int SelectionPixels(TRichEdit98& editor) {
    const QImage shown = editor.viewport()->grab().toImage();
    const QRgb selected = QApplication::palette(&editor).color(QPalette::Active, QPalette::Highlight).rgb();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) count += shown.pixel(x, y) == selected;
    return count;
}

// Find Next leaves the modeless dialog active; its match must still show as selected.
TEST_F(EditCommandsTest, MatchFoundFromAModelessDialogShowsAsSelected) {
    editor->SetText("alpha beta gamma");
    for (const char* command : {"F1", "R1"}) {
        SCOPED_TRACE(command);
        Select(0, 0);
        Trigger(command);
        Dialogs::TFindDialog* dialog = command == std::string("F1") ? form->FindDialog1 : form->ReplaceDialog1;
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        Press(dialog, "FindNextButton", "beta");
        EXPECT_EQ(editor->SelectionStart(), 6);
        EXPECT_FALSE(form->isActiveWindow());
        EXPECT_GT(SelectionPixels(*editor), 20);
        dialog->hide();
        form->activateWindow(); // back to the main window, as a click there does
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
}

TEST_F(EditCommandsTest, FindHonoursWholeWordAndMatchCase) {
    editor->SetText("Cat concat cat");
    form->FindDialog1->findChild<QCheckBox*>("WholeWordBox")->setChecked(true);
    form->FindDialog1->findChild<QCheckBox*>("MatchCaseBox")->setChecked(true);
    Press(form->FindDialog1, "FindNextButton", "cat");
    EXPECT_EQ(editor->SelectionStart(), 11);
}

TEST_F(EditCommandsTest, ReplaceAllIsUndoableStepByStep) {
    editor->SetText("ab ab ab");
    Trigger("R1");
    Press(form->ReplaceDialog1, "ReplaceAllButton", "ab", "x");
    EXPECT_EQ(editor->Text(), "x x x");
    Trigger("EditUndoItem");
    EXPECT_EQ(editor->Text(), "x x ab");
    Trigger("Redo1");
    EXPECT_EQ(editor->Text(), "x x x");
}

// Each kind of character through the find and replace dialogs: found and selected
// whole, replaced one by one and all at once, and Replace All undone step by step.
TEST_F(EditCommandsTest, FindAndReplaceTakeEveryCharacter) {
    const char* words[] = {"caf\xC3\xA9", "M\xC3\xBCller", "Stra\xC3\x9F" "e", "\xC2\xA3" "5", "\xE2\x82\xAC" "5",
                           "\xC2\xB6", "\xC2\xAB\xC5\x81ukasz\xC2\xBB", "\xF0\x9F\x98\x80"};
    for (const char* utf8 : words) {
        const QString word = QString::fromUtf8(utf8);
        SCOPED_TRACE(utf8);
        editor->setPlainText("a " + word + " b " + word);
        Select(0, 0);
        Press(form->FindDialog1, "FindNextButton", word);
        EXPECT_EQ(editor->SelectionStart(), 2);
        EXPECT_EQ(editor->textCursor().selectedText(), word);
        form->FindDialog1->hide();

        Select(0, 0);
        Press(form->ReplaceDialog1, "ReplaceButton", word, "<" + word + ">");
        EXPECT_EQ(editor->toPlainText(), "a <" + word + "> b " + word);
        Press(form->ReplaceDialog1, "ReplaceAllButton", word, "[" + word + "]");
        EXPECT_EQ(editor->toPlainText(), "a <[" + word + "]> b [" + word + "]");
        Trigger("EditUndoItem");
        EXPECT_EQ(editor->toPlainText(), "a <[" + word + "]> b " + word);
        Trigger("EditUndoItem");
        EXPECT_EQ(editor->toPlainText(), "a <" + word + "> b " + word);
        form->ReplaceDialog1->hide();
    }
}

TEST_F(EditCommandsTest, ReplacementContainingTheSearchTextEnds) {
    editor->SetText("a a");
    Press(form->ReplaceDialog1, "ReplaceAllButton", "a", "aa");
    EXPECT_EQ(editor->Text(), "aa aa");
    Press(form->ReplaceDialog1, "ReplaceAllButton", "zz", "y"); // not there: nothing changes
    EXPECT_EQ(editor->Text(), "aa aa");
}

TEST_F(EditCommandsTest, ReplaceOnceFromTheSelection) {
    editor->SetText("ab ab ab");
    Select(1, 0);
    Press(form->ReplaceDialog1, "ReplaceButton", "ab", "x");
    EXPECT_EQ(editor->Text(), "ab x ab");
    Press(form->ReplaceDialog1, "ReplaceButton", "ab", "x");
    EXPECT_EQ(editor->Text(), "ab x x");
}

TEST_F(EditCommandsTest, MathCalculateReplacesTheSelection) {
    struct Case { const char* text; const char* result; };
    const Case cases[] = {{"2*3", "        6.00"}, {"1+2", "        3.00"}, {"abc", "abc"}, {"1/0", "1/0"}};
    for (const Case& c : cases) {
        editor->SetText(std::string("x ") + c.text + " y");
        Select(2, static_cast<int>(std::strlen(c.text)));
        Trigger("Mathcalculate1");
        EXPECT_EQ(editor->Text(), std::string("x ") + c.result + " y") << c.text;
    }
    editor->SetText("2*3");
    Select(1, 0); // nothing selected: nothing happens
    Trigger("Mathcalculate1");
    EXPECT_EQ(editor->Text(), "2*3");
}

TEST_F(EditCommandsTest, BlankLinesReplaceTheSelection) {
    editor->SetText("before SELECTED after");
    Select(7, 8);
    Trigger("Insertpagebreak1");
    EXPECT_EQ(editor->Lines().Get(0), "before ");
    for (int i = 1; i < 10; ++i) EXPECT_EQ(editor->Lines().Get(i), "") << i;
    EXPECT_EQ(editor->Lines().Get(10), " after");
    EXPECT_FALSE(QFile::exists("$$$"));
}

TEST_F(EditCommandsTest, PageBreakGoesInAtTheCaret) {
    editor->SetText("page one page two");
    Select(9, 0);
    Trigger("Insertnonvisiblepagebreak1");
    const std::string text = editor->Text();
    EXPECT_EQ(text.find("page one"), 0u);
    EXPECT_NE(text.find("page two"), std::string::npos);
    EXPECT_NE(editor->Text(), "page one page two");
    EXPECT_FALSE(QFile::exists("$$$"));
}

TEST_F(EditCommandsTest, PilcrowButtonShowsAndHidesParagraphMarks) {
    editor->SetText("first\r\nsecond");
    auto* button = form->findChild<QToolButton*>("CRLFButton");
    button->click();
    EXPECT_EQ(button->text(), "Hide \u00B6");
    EXPECT_EQ(editor->Lines().Get(0), "first\xB6");
    const std::string source = LoadTextFile("debug2.rtf");
    EXPECT_NE(source.find("first\xB6\\par"), std::string::npos);
    EXPECT_TRUE(QFile::exists("$$##"));
    EXPECT_TRUE(form->msgpanel1->text().endsWith("  replacements  "));
    button->click();
    EXPECT_EQ(button->text(), "Show \u00B6");
    EXPECT_EQ(editor->Lines().Get(0), "first");
    EXPECT_EQ(editor->Lines().Get(1), "second");
    EXPECT_EQ(LoadTextFile("debug2.rtf").find("\\'b6"), std::string::npos);
}

TEST_F(EditCommandsTest, CutWorksOnTheShownEditorOnly) {
    editor->SetText("template text");
    form->RichEditEx2->SetText("information");
    Select(0, 8);
    Trigger("EditCutItem");
    EXPECT_EQ(editor->Text(), " text");
    EXPECT_EQ(form->RichEditEx2->Text(), "information");
}

// The marker lookup with the caret where the press put it.
class MarkerLookupTest : public EditCommandsTest {
protected:
    void PressAt(int position, Qt::MouseButton button = Qt::LeftButton) {
        editor->SetSelectionStart(position);
        form->RichEditEx1MouseDown(button);
    }
    // The press leaves the caret where it was and nothing selected.
    void ExpectCaretAlone(int position) const {
        EXPECT_EQ(editor->SelectionStart(), position);
        EXPECT_EQ(editor->SelectionLength(), 0);
    }
    // A real click just right of the caret place `position`.
    void ClickAt(int position) {
        QTextCursor at(editor->document());
        at.setPosition(position);
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, editor->cursorRect(at).center() + QPoint(1, 0));
    }
    bool BalloonShown() const {
        Dialogs::TBaloonWindow* w = form->XBaloon1->CurrentBalloon();
        return w && w->Shown();
    }
};

TEST_F(MarkerLookupTest, ShowsTheHeadingOfTheMarkerPressed) {
    form->RichEditEx2->SetText("Client\r\nMr J. Brown\r\nFee\r\n150*2\r\nTime\r\n1/2 day");
    editor->SetText("Time: @3 here");
    PressAt(6);
    ExpectCaretAlone(6);
    EXPECT_TRUE(BalloonShown());
    EXPECT_EQ(form->XBaloon1->Color, QColor(255, 255, 0));
}

TEST_F(MarkerLookupTest, TheBalloonShowsHeadingsWithEveryCharacter) {
    for (const QString heading : {QString("Geb\u00fchr \u20ac \u00b6"), QString("\u00abLukasz\u00bb \u0141ukasz"),
                                  QString("Stra\u00dfe \u00a3 \U0001F600")}) {
        form->RichEditEx2->setPlainText(heading + "\nvalue");
        editor->SetText("Dear @1 x");
        PressAt(5);
        ASSERT_TRUE(BalloonShown()) << heading.toStdString();
        EXPECT_EQ(form->XBaloon1->CurrentBalloon()->Lines(), QStringList{heading});
    }
}

TEST_F(MarkerLookupTest, UnreadableNumbersAndOtherTextShowNothing) {
    form->RichEditEx2->SetText("Client\r\nMr J. Brown");
    editor->SetText("Fee: @3, plain");
    PressAt(5); // reads "@3,": no number
    ExpectCaretAlone(5);
    EXPECT_FALSE(BalloonShown());
    PressAt(10);
    ExpectCaretAlone(10);
    EXPECT_FALSE(BalloonShown());
    editor->SetText("Fee: @9 too far");
    PressAt(5);
    EXPECT_FALSE(BalloonShown()); // no such heading: an empty balloon is not shown
}

TEST_F(MarkerLookupTest, WarnsWithoutAnInformationFile) {
    editor->SetText("Dear @1 x");
    PressAt(5);
    EXPECT_TRUE(BalloonShown());
    EXPECT_EQ(form->XBaloon1->Color, QColor(255, 0, 0));
    EXPECT_EQ(form->XBaloon1->Font.pointSize(), 11);
}

TEST_F(MarkerLookupTest, ARealClickOnTheAtSignLooksUp) {
    form->RichEditEx2->SetText("Client\r\nMr J. Brown");
    editor->SetText("Dear @1 x");
    ClickAt(5);
    ExpectCaretAlone(5);
    EXPECT_TRUE(BalloonShown());
}

// The lookup reads the characters after the caret; typing after a click inserts and
// never replaces one of them.
TEST_F(MarkerLookupTest, AClickThenAKeyInsertsAtTheCaret) {
    form->RichEditEx2->SetText("Client\r\nMr J. Brown");
    struct Case { int position; QString typed; const char* bytes; bool balloon; } cases[] = {
        {3, "X", "X", false},                 // inside «Thank»
        {10, "\u00E9", "\xE9", true},         // on the marker's "@"
        {11, "\u20AC", "\x80", false},        // on its digit
    };
    for (const Case& c : cases) {
        editor->SetText("Thank you @1 now");
        ClickAt(c.position);
        ExpectCaretAlone(c.position);
        EXPECT_EQ(BalloonShown(), c.balloon) << c.position;
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, c.typed, Qt::NoModifier);
        std::string expected = "Thank you @1 now";
        expected.insert(size_t(c.position), c.bytes);
        EXPECT_EQ(editor->Text(), expected) << c.position;
        form->XBaloon1->HideBalloon();
    }
}

TEST_F(MarkerLookupTest, RightButtonChangesNothing) {
    editor->SetText("Dear @1 x");
    editor->SetSelectionStart(5);
    form->RichEditEx1MouseDown(Qt::RightButton);
    EXPECT_EQ(editor->SelectionLength(), 0);
    EXPECT_FALSE(BalloonShown());
}

} // namespace
