// The formatting toolbar and the ruler, driven as a person drives them: clicks,
// typing, marker drags and answered dialogs, on a real template editor.
#include "window/Formatting.h"
#include "window/RulerMarkers.h"
#include "platform/Errors.h"
#include "richedit/RichEdit98.h"

#include "ModalAnswer.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A window laid out like the main window's top: speed bar (a file button, then the
// stretch), ruler, template editor; the editor's change event refreshes the toolbar.
class FormattingTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* column = new QVBoxLayout(&window);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        speedBar = new QWidget(&window);
        speedBar->setFixedHeight(32);
        auto* bar = new QHBoxLayout(speedBar);
        fileButton = new QToolButton(speedBar);
        bar->addWidget(fileButton);
        bar->addStretch(1);
        column->addWidget(speedBar);
        ruler = new QWidget(&window);
        ruler->setFixedHeight(26);
        column->addWidget(ruler);
        editor = new TRichEdit98(&window);
        TRichEdit98::ConfigureAsTemplateEditor(*editor);
        column->addWidget(editor);

        f = new TFormatting(speedBar, ruler, editor, &window);
        window.resize(800, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        f->FillFontList();
        f->BuildRulerTabs();
        f->SelectionChange();
        editor->OnChange = [this](TCustomRichEdit98*) { f->SelectionChange(); };
    }

    // Loads RTF without the change event, as if loaded before the window refreshed.
    void Load(const char* rtf) {
        const auto change = std::exchange(editor->OnChange, nullptr);
        ASSERT_TRUE(editor->StreamIn(QByteArray(rtf), ifRTF, false, false));
        editor->OnChange = change;
    }

    void PlaceCaret(int position, int length = 0) {
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    }

    // Writes the size box without its change event.
    void ShowSize(const QString& text) {
        const QSignalBlocker quiet(f->FontSize);
        f->FontSize->setText(text);
    }

    static void Mouse(QWidget* target, QEvent::Type type, int x, Qt::MouseButtons buttons) {
        const QPointF at(x, 4);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QToolButton* PressedAlignment() const {
        for (QToolButton* b : {f->LeftAlign, f->CenterAlign, f->RightAlign})
            if (b->isChecked()) return b;
        return nullptr;
    }

    QWidget window;
    QWidget* speedBar = nullptr;
    QToolButton* fileButton = nullptr;
    QWidget* ruler = nullptr;
    TRichEdit98* editor = nullptr;
    TFormatting* f = nullptr;
};

// Two paragraphs that differ in every attribute the toolbar and the ruler show.
constexpr const char* kTwoParagraphs =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}{\\f1 DejaVu Serif;}}"
    "\\pard\\f0\\fs24\\b First\\par"
    "\\pard\\qc\\fi720\\li0\\f1\\fs36\\b0\\i Second\\par}";

TEST_F(FormattingTest, ControlsSitOnTheSpeedBarBeforeItsStretch) {
    auto* bar = static_cast<QHBoxLayout*>(speedBar->layout());
    const char* order[] = {"FontName", "FontSize", "UpDown1", "BoldButton", "ItalicButton", "UnderlineButton",
                           "colorbutton", "Edit1", "LeftAlign", "CenterAlign", "RightAlign", "BulletsButton"};
    ASSERT_EQ(bar->itemAt(0)->widget(), fileButton);
    for (int i = 0; i < int(std::size(order)); ++i) {
        QWidget* w = bar->itemAt(i + 1)->widget();
        ASSERT_NE(w, nullptr) << order[i];
        EXPECT_EQ(w->objectName(), order[i]);
    }
    EXPECT_NE(bar->itemAt(bar->count() - 1)->spacerItem(), nullptr);
    EXPECT_EQ(f->LeftAlign->property("Tag").toInt(), 0);
    EXPECT_EQ(f->CenterAlign->property("Tag").toInt(), 2);
    EXPECT_EQ(f->RightAlign->property("Tag").toInt(), 1);
}

TEST_F(FormattingTest, ToolbarFollowsTextChangesButNotCaretMoves) {
    Load(kTwoParagraphs);
    PlaceCaret(2);
    f->SelectionChange();
    ASSERT_TRUE(f->BoldButton->isChecked());
    ASSERT_EQ(f->FontSize->text(), "12");
    ASSERT_EQ(f->FontName->currentText(), "DejaVu Sans");
    ASSERT_EQ(PressedAlignment(), f->LeftAlign);
    ASSERT_EQ(f->FirstInd->x(), 2);

    // Arrow keys and a mouse click into the second paragraph leave everything as it was.
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_End);
    ASSERT_GT(editor->SelectionStart(), 6);
    const QRect second = editor->cursorRect();
    PlaceCaret(0);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_GT(editor->SelectionStart(), 6);
    EXPECT_TRUE(f->BoldButton->isChecked());
    EXPECT_FALSE(f->ItalicButton->isChecked());
    EXPECT_EQ(f->FontSize->text(), "12");
    EXPECT_EQ(f->FontName->currentText(), "DejaVu Sans");
    EXPECT_EQ(PressedAlignment(), f->LeftAlign);
    EXPECT_EQ(f->FirstInd->x(), 2);

    // Typing is a text change: now the second paragraph shows.
    QTest::keyClick(editor, Qt::Key_X);
    EXPECT_FALSE(f->BoldButton->isChecked());
    EXPECT_TRUE(f->ItalicButton->isChecked());
    EXPECT_EQ(f->FontSize->text(), "18");
    EXPECT_EQ(f->FontName->currentText(), "DejaVu Serif");
    EXPECT_EQ(PressedAlignment(), f->CenterAlign);
    EXPECT_EQ(f->FirstInd->x(), 50); // 36 points
    EXPECT_FALSE(f->UpdatingToolbar);
}

TEST_F(FormattingTest, ShowingTheToolbarWritesNothingBack) {
    // The size and name boxes change while the toolbar is shown; with the caret bare
    // their handlers would write into the default format if they were not held off.
    Load(kTwoParagraphs);
    const int defaultSize = editor->DefaultAttributes().Size();
    const std::string defaultName = editor->DefaultAttributes().Name();
    PlaceCaret(9);
    f->SelectionChange();
    ASSERT_EQ(f->FontSize->text(), "18");
    EXPECT_EQ(editor->DefaultAttributes().Size(), defaultSize);
    EXPECT_EQ(editor->DefaultAttributes().Name(), defaultName);
}

TEST_F(FormattingTest, AlignmentButtonsShowTheParagraph) {
    struct Case {
        int before, alignment;
        const char* pressed;
    } cases[] = {
        {1, 0, "LeftAlign"},
        {0, 1, "RightAlign"},
        {0, 2, "CenterAlign"},
        {1, 3, "RightAlign"},  // justified: the buttons stay as they were
        {2, 3, "CenterAlign"},
    };
    editor->SetText("one");
    for (const Case& c : cases) {
        editor->ParagraphAttributes().SetAlignment(c.before);
        f->SelectionChange();
        editor->ParagraphAttributes().SetAlignment(c.alignment);
        f->SelectionChange();
        ASSERT_NE(PressedAlignment(), nullptr);
        EXPECT_EQ(PressedAlignment()->objectName(), c.pressed) << c.before << " then " << c.alignment;
    }
}

TEST_F(FormattingTest, AlignmentAndBulletButtonsWriteTheParagraph) {
    editor->SetText("one\r\ntwo");
    PlaceCaret(5);
    struct Case {
        QToolButton* button;
        int alignment;
    } cases[] = {{f->CenterAlign, 2}, {f->RightAlign, 1}, {f->LeftAlign, 0}};
    for (const Case& c : cases) {
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(editor->ParagraphAttributes().Alignment(), c.alignment);
        EXPECT_EQ(PressedAlignment(), c.button);
    }
    PlaceCaret(0);
    EXPECT_EQ(editor->ParagraphAttributes().Alignment(), 0);

    PlaceCaret(5);
    QTest::mouseClick(f->BulletsButton, Qt::LeftButton);
    EXPECT_EQ(editor->ParagraphAttributes().Numbering(), 1);
    EXPECT_TRUE(f->BulletsButton->isChecked());
    PlaceCaret(0);
    EXPECT_EQ(editor->ParagraphAttributes().Numbering(), 0);
    PlaceCaret(5);
    QTest::mouseClick(f->BulletsButton, Qt::LeftButton);
    EXPECT_EQ(editor->ParagraphAttributes().Numbering(), 0);
    EXPECT_FALSE(f->BulletsButton->isChecked());
}

TEST_F(FormattingTest, StyleButtonsWriteTheSelectionOrTheDefaultFormat) {
    struct Case {
        const char* button;
        unsigned bit;
        bool selection;
    } cases[] = {
        {"BoldButton", fsBold, false},      {"BoldButton", fsBold, true},
        {"ItalicButton", fsItalic, false},  {"ItalicButton", fsItalic, true},
        {"UnderlineButton", fsUnderline, false}, {"UnderlineButton", fsUnderline, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.selection ? " on a selection" : " at a bare caret"));
        editor->SetText("alpha beta");
        editor->DefaultAttributes().SetStyle(0);
        PlaceCaret(6, c.selection ? 4 : 0);
        auto* button = speedBar->findChild<QToolButton*>(c.button);
        button->setChecked(false);
        QTest::mouseClick(button, Qt::LeftButton);
        if (c.selection) {
            EXPECT_TRUE(editor->SelectionAttributes().Style() & c.bit);
            EXPECT_FALSE(editor->DefaultAttributes().Style() & c.bit);
            PlaceCaret(0, 5);
            EXPECT_FALSE(editor->SelectionAttributes().Style() & c.bit) << "outside the selection";
            PlaceCaret(6, 4);
        } else {
            EXPECT_TRUE(editor->DefaultAttributes().Style() & c.bit);
        }
        // The button back up clears the bit again, and only that bit.
        TTextAttributes98& target = c.selection ? editor->SelectionAttributes() : editor->DefaultAttributes();
        target.SetStyle(target.Style() | fsStrikeOut);
        button->setChecked(true);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(target.Style() & c.bit);
        EXPECT_TRUE(target.Style() & fsStrikeOut);
    }
}

TEST_F(FormattingTest, SizeBoxConvertsEveryChange) {
    struct Case {
        const char* text;
        int size; // 0: not a whole number
    } cases[] = {{"12", 12}, {" 7", 7}, {"", 0}, {"12.5", 0}, {"abc", 0}, {"1 2", 0}, {"99999999999", 0}};
    editor->SetText("alpha beta");
    for (const Case& c : cases) {
        PlaceCaret(0, 5);
        editor->SelectionAttributes().SetSize(30);
        ShowSize(c.text);
        if (c.size) {
            f->FontSizeChange();
            EXPECT_EQ(editor->SelectionAttributes().Size(), c.size) << c.text;
            continue;
        }
        try {
            f->FontSizeChange();
            ADD_FAILURE() << "no error for «" << c.text << "»";
        } catch (const Platform::EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(c.text) + "' is not a valid integer value");
        }
        EXPECT_EQ(editor->SelectionAttributes().Size(), 30) << c.text;
    }
}

TEST_F(FormattingTest, ClearedSizeBoxShowsTheErrorBox) {
    editor->SetText("alpha beta");
    PlaceCaret(0, 5);
    editor->SelectionAttributes().SetSize(12);
    f->FontSize->setFocus();
    f->FontSize->selectAll();
    QString message;
    AnswerNextModal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) message = box->text();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    });
    QTest::keyClick(f->FontSize, Qt::Key_Delete);
    QTest::keyClick(f->FontSize, Qt::Key_Return);
    EXPECT_EQ(message, "'' is not a valid integer value");
    EXPECT_EQ(editor->SelectionAttributes().Size(), 12);

    // A number typed and entered sets it on the selection.
    QTest::keyClicks(f->FontSize, "20");
    QTest::keyClick(f->FontSize, Qt::Key_Return);
    EXPECT_EQ(editor->SelectionAttributes().Size(), 20);
}

// A typed size counts once, on Enter or when the box is left: one Undo takes it back.
TEST_F(FormattingTest, TypedSizeIsOneChangeOnEnterOrLeavingTheBox) {
    Load("{\\rtf1\\ansi\\fs48 Heading\\par}");
    struct Case {
        const char* typed;
        Qt::Key key;    // Qt::Key_unknown: the focus goes back to the editor
        int size;       // after the key
    } cases[] = {{"14", Qt::Key_Return, 14}, {"9", Qt::Key_unknown, 9}, {"x", Qt::Key_unknown, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        PlaceCaret(0, 7);
        f->SelectionChange();
        ASSERT_EQ(editor->SelectionAttributes().Size(), 24);
        const int steps = editor->document()->availableUndoSteps();
        f->FontSize->setFocus();
        f->FontSize->selectAll();
        QTest::keyClicks(f->FontSize, c.typed);
        EXPECT_EQ(editor->SelectionAttributes().Size(), 24) << "nothing yet while typing";
        if (c.key == Qt::Key_unknown) editor->setFocus(Qt::MouseFocusReason);
        else QTest::keyClick(f->FontSize, c.key);
        EXPECT_EQ(editor->SelectionAttributes().Size(), c.size);
        if (c.size == 24) {
            EXPECT_EQ(f->FontSize->text(), "24") << "a size that does not read goes back";
            EXPECT_EQ(editor->document()->availableUndoSteps(), steps);
            continue;
        }
        EXPECT_EQ(editor->document()->availableUndoSteps(), steps + 1);
        editor->undo();
        PlaceCaret(0, 7);
        EXPECT_EQ(editor->SelectionAttributes().Size(), 24);
    }
}

TEST_F(FormattingTest, UpDownStepsTheBoxWithinItsRange) {
    struct Case {
        const char* shown;
        int step;
        const char* after;
    } cases[] = {{"12", 1, "13"}, {"12", -1, "11"}, {"100", 1, "100"}, {"0", -1, "0"}, {"250", -1, "99"}};
    editor->SetText("alpha beta");
    for (const Case& c : cases) {
        PlaceCaret(0, 5);
        ShowSize(c.shown);
        auto* button = f->UpDown1->findChild<QToolButton*>(c.step > 0 ? "Up" : "Down");
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(f->FontSize->text(), c.after) << c.shown << " " << c.step;
        if (std::string(c.after) != c.shown) EXPECT_EQ(QString::number(editor->SelectionAttributes().Size()), c.after);
    }
}

TEST_F(FormattingTest, FontNameTakesOnlyAnEntryOfTheList) {
    ASSERT_GT(f->FontName->count(), 1);
    for (int i = 1; i < f->FontName->count(); ++i)
        EXPECT_LE(f->FontName->itemText(i - 1).compare(f->FontName->itemText(i), Qt::CaseInsensitive), 0);
    ASSERT_GE(f->FontName->findText("DejaVu Serif"), 0);

    editor->SetText("alpha beta");
    PlaceCaret(0, 5);
    editor->SelectionAttributes().SetName("DejaVu Sans");
    f->FontName->lineEdit()->clear();
    QTest::keyClicks(f->FontName->lineEdit(), "DejaVu Ser");
    EXPECT_EQ(editor->SelectionAttributes().Name(), "DejaVu Sans") << "typing alone changes nothing";

    f->FontName->lineEdit()->setText("DejaVu Serif");
    QTest::keyClick(f->FontName->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(editor->SelectionAttributes().Name(), "DejaVu Serif");
    PlaceCaret(6, 4);
    EXPECT_NE(editor->SelectionAttributes().Name(), "DejaVu Serif");
}

TEST_F(FormattingTest, ColourDialogColoursCaptionSwatchAndText) {
    struct Case {
        bool selection;
        bool accept;
    } cases[] = {{true, false}, {true, true}, {false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "selection " << c.selection << " accept " << c.accept);
        editor->SetText("alpha beta");
        editor->DefaultAttributes().SetColor(clWindowText);
        PlaceCaret(6, c.selection ? 4 : 0);
        const QColor before = f->Edit1->palette().color(QPalette::Base);
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            if (!dialog) return;
            EXPECT_EQ(dialog->objectName(), "CD");
            dialog->setCurrentColor(Qt::red);
            if (c.accept) dialog->accept();
            else dialog->reject();
        });
        QTest::mouseClick(f->colorbutton, Qt::LeftButton);
        if (!c.accept) {
            EXPECT_EQ(f->Edit1->palette().color(QPalette::Base), before);
            EXPECT_EQ(editor->SelectionAttributes().Color(), clWindowText);
            continue;
        }
        EXPECT_EQ(f->colorbutton->palette().color(QPalette::ButtonText), QColor(Qt::red));
        EXPECT_EQ(f->Edit1->palette().color(QPalette::Base), QColor(Qt::red));
        if (c.selection) {
            EXPECT_EQ(editor->SelectionAttributes().Color(), QColor(Qt::red));
            EXPECT_EQ(editor->DefaultAttributes().Color(), clWindowText);
        } else {
            EXPECT_EQ(editor->DefaultAttributes().Color(), QColor(Qt::red));
        }
    }
}

TEST_F(FormattingTest, FontDialogStartsFromTheSelectionAndReturnsFocus) {
    struct Case {
        bool accept;
    } cases[] = {{true}, {false}};
    for (const Case& c : cases) {
        editor->SetText("alpha beta");
        PlaceCaret(0, 5);
        editor->SelectionAttributes().SetName("DejaVu Sans");
        editor->SelectionAttributes().SetSize(14);
        editor->SelectionAttributes().SetStyle(0);
        f->FontName->setFocus();
        QString offered;
        int offeredSize = 0;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFontDialog*>(modal);
            if (!dialog) return;
            offered = dialog->currentFont().family();
            offeredSize = dialog->currentFont().pointSize();
            QFont chosen("DejaVu Serif");
            chosen.setPointSize(20);
            chosen.setBold(true);
            dialog->setCurrentFont(chosen);
            if (c.accept) dialog->accept();
            else dialog->reject();
        });
        f->SelectFont();
        EXPECT_EQ(offered, "DejaVu Sans");
        EXPECT_EQ(offeredSize, 14);
        EXPECT_EQ(editor->SelectionAttributes().Name(), c.accept ? "DejaVu Serif" : "DejaVu Sans");
        EXPECT_EQ(editor->SelectionAttributes().Size(), c.accept ? 20 : 14);
        EXPECT_EQ(bool(editor->SelectionAttributes().Style() & fsBold), c.accept);
        EXPECT_EQ(window.focusWidget(), editor);
    }
}

// The font dialog shows the selection's colour in its colour list and sets the one chosen.
TEST_F(FormattingTest, FontDialogShowsAndSetsTheColour) {
    struct Case {
        const char* what;
        QColor before;
        const char* pick; // empty: leave the list as shown
        bool accept;
        const char* shown;
        QColor after;
    } cases[] = {
        {"red shown, blue chosen", Qt::red, "Blue", true, "Red", Qt::blue},
        {"choice cancelled", Qt::red, "Blue", false, "Red", Qt::red},
        {"colour outside the list kept", QColor(0x12, 0x34, 0x56), "", true, "Custom", QColor(0x12, 0x34, 0x56)},
        {"window text colour left alone", QColor(), "", true, "Black", QColor()},
        {"window text colour made teal", QColor(), "Teal", true, "Black", QColor(0x00, 0x80, 0x80)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        editor->SetText("alpha beta");
        PlaceCaret(0, 5);
        editor->SelectionAttributes().SetColor(c.before);
        QString shown;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = static_cast<QDialog*>(modal);
            auto* colours = modal->findChild<QComboBox*>("ColorBox");
            if (!colours) return dialog->reject(); // a font dialog without colours
            shown = colours->currentText();
            if (*c.pick) colours->setCurrentIndex(colours->findText(c.pick));
            if (c.accept) dialog->accept();
            else dialog->reject();
        });
        f->SelectFont();
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(editor->SelectionAttributes().Color(), c.after);
    }
}

TEST_F(FormattingTest, MarkersShowTheIndents) {
    struct Case {
        double first, left, right;
        int firstAt, leftAt, rightFromEdge;
    } cases[] = {
        {36, 0, 0, 50, 50, 14},
        {0, 36, 10, 2, 50, 27},
        {18, 18, 0, 26, 50, 14},
        {36.15, 0, 0, 50, 50, 14}, // 48.2 pixels
        {0.75, 0, 0, 3, 3, 14},
    };
    editor->SetText("text");
    for (const Case& c : cases) {
        TParaAttributes98& p = editor->ParagraphAttributes();
        p.SetFirstIndent(c.first);
        p.SetLeftIndent(c.left);
        p.SetRightIndent(c.right);
        f->SelectionChange();
        EXPECT_EQ(f->FirstInd->x(), c.firstAt) << c.first;
        EXPECT_EQ(f->LeftInd->x(), c.leftAt) << c.first << "+" << c.left;
        EXPECT_EQ(ruler->width() - f->RightInd->x(), c.rightFromEdge) << c.right;
    }
}

TEST_F(FormattingTest, DroppedMarkersWriteTheIndents) {
    struct Case {
        const char* name;
        double first, left, right;
        const char* marker;
        int pressX, moveX; // relative to the marker
        double newFirst, newLeft, newRight;
        int firstAt, leftAt;
    } cases[] = {
        // The left marker dropped at 98 (grip in the middle, 5).
        {"worked example", 36, 0, 0, "LeftInd", 5, 53, 36, 36, 0, 50, 98},
        // Shown and dropped in place: the formulas are not exact inverses.
        {"right in place", 0, 0, 10, "RightInd", 4, 4, 0, 0, 9, 2, 2},
        // The first-line marker moves the first line only; the others stay put.
        {"first line", 0, 36, 0, "FirstInd", 5, 29, 18, 18, 0, 26, 50},
        // A press off the middle jumps the marker to the grip.
        {"grip off centre", 0, 0, 0, "LeftInd", 9, 9, 0, 3, 0, 2, 6},
        // Past the ruler's left edge: truncated towards zero, not down.
        {"past the edge", 0, 0, 0, "FirstInd", 5, -17, -15, 15, 0, -18, 2},
    };
    editor->SetText("text");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TParaAttributes98& p = editor->ParagraphAttributes();
        p.SetFirstIndent(c.first);
        p.SetLeftIndent(c.left);
        p.SetRightIndent(c.right);
        f->SelectionChange();
        auto* marker = ruler->findChild<TRulerMarker*>(c.marker);
        const int start = marker->x();
        Mouse(marker, QEvent::MouseMove, 30, Qt::NoButton);
        ASSERT_EQ(marker->x(), start) << "a move without a press drags nothing";

        Mouse(marker, QEvent::MouseButtonPress, c.pressX, Qt::LeftButton);
        EXPECT_TRUE(f->RulerDragging);
        EXPECT_EQ(f->RulerDragOffset, marker->width() / 2);
        Mouse(marker, QEvent::MouseMove, c.moveX - (marker->x() - start), Qt::LeftButton);
        Mouse(marker, QEvent::MouseButtonRelease, c.pressX, Qt::NoButton);
        EXPECT_FALSE(f->RulerDragging);

        EXPECT_DOUBLE_EQ(p.FirstIndent(), c.newFirst);
        EXPECT_DOUBLE_EQ(p.LeftIndent(), c.newLeft);
        EXPECT_DOUBLE_EQ(p.RightIndent(), c.newRight);
        EXPECT_EQ(f->FirstInd->x(), c.firstAt);
        EXPECT_EQ(f->LeftInd->x(), c.leftAt);
    }
}

TEST_F(FormattingTest, RulerCaptionDrawsOneTickPerTabStop) {
    ASSERT_EQ(f->RulerFace->Caption(), QString("\t|").repeated(100));
    const QImage face = f->RulerFace->grab().toImage();
    const int stop = f->RulerFace->TabStopWidth();
    const auto darkInColumns = [&](int from, int to) {
        for (int x = from; x <= to; ++x)
            for (int y = 3; y < face.height() - 3; ++y)
                if (qGray(face.pixel(x, y)) < 160) return true;
        return false;
    };
    for (int k = 1; (k + 1) * stop + TRulerCaption::kTextLeft < face.width(); ++k) {
        const int at = TRulerCaption::kTextLeft + k * stop;
        EXPECT_TRUE(darkInColumns(at, at + 4)) << "tick " << k;
        EXPECT_FALSE(darkInColumns(at + stop / 3, at + 2 * stop / 3)) << "between ticks " << k;
    }
}

TEST_F(FormattingTest, MarkersKeepTheirSizesAndPointAtTheLine) {
    struct Case {
        const char* name;
        QRect geometry; // left as shown for no indents
        bool pointsDown;
    } cases[] = {
        {"FirstInd", QRect(2, 2, 10, 9), true},
        {"LeftInd", QRect(2, 12, 10, 11), false},
        {"RightInd", QRect(0, 14, 9, 12), false},
    };
    for (const Case& c : cases) {
        auto* marker = ruler->findChild<TRulerMarker*>(c.name);
        ASSERT_NE(marker, nullptr) << c.name;
        EXPECT_EQ(marker->size(), c.geometry.size()) << c.name;
        EXPECT_EQ(marker->y(), c.geometry.y()) << c.name;
        if (marker->ShowsWingdings()) continue; // the font draws the glyph
        // Drawn by hand: the row nearest the ruler line is the narrow tip.
        const QImage image = marker->grab().toImage();
        const auto inkWidth = [&](int y) {
            int ink = 0;
            for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
            return ink;
        };
        int top = 0, bottom = image.height() - 1;
        while (top < bottom && inkWidth(top) == 0) ++top;
        while (bottom > top && inkWidth(bottom) == 0) --bottom;
        ASSERT_LT(top, bottom) << c.name << " draws nothing";
        if (c.pointsDown) EXPECT_GT(inkWidth(top), inkWidth(bottom)) << c.name;
        else EXPECT_LT(inkWidth(top), inkWidth(bottom)) << c.name;
    }
}

TEST_F(FormattingTest, RulerLineAndEditMarginsFollowTheSizes) {
    for (int width : {1000, 873, 1210}) {
        window.resize(width, 400);
        QApplication::processEvents();
        ASSERT_EQ(ruler->width(), width);
        EXPECT_EQ(f->RulerLine->geometry(), QRect(4, 12, width - 8, 2));
        EXPECT_EQ(f->RulerFace->size(), ruler->size());
        EXPECT_EQ(width - f->RightInd->x(), 14) << "right marker keeps its distance from the edge";

        f->ApplyEditMargins();
        const QRect text = editor->viewport()->geometry();
        const QRect inside = editor->contentsRect();
        const int bar = editor->verticalScrollBar()->isVisibleTo(editor) ? editor->verticalScrollBar()->width() : 0;
        EXPECT_EQ(text.left() - inside.left(), 6) << width;
        EXPECT_EQ(inside.right() - bar - text.right(), 6) << width;
    }
}

} // namespace
