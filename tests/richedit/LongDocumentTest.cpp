// Long documents in the shown template editor: laid out only where they are looked at,
// edited without moving every following block, drawn and hit as Qt's own layout does.
#include "richedit/LongDocumentLayout.h"
#include "richedit/RichEdit98.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

constexpr int kLong = TLongDocumentLayout::kMinimumBlocks;

QByteArray PlainLines(int count) {
    QByteArray text;
    for (int i = 1; i <= count; ++i) text += "Line " + QByteArray::number(i) + " of the document\r\n";
    return text;
}

const char* const kRtfHead = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\r\n";

// Paragraphs that Qt's layout places in different ways: wrapped, indented, spaced,
// aligned, with another line spacing, shaded, right to left.
QByteArray FormattedParagraphs() {
    const QByteArray words = "words that go on and on until the line has to wrap more than once at this width ";
    return QByteArray("\\pard Plain with {\\b bold}, {\\i italic} and {\\cf1 red}.\\par\r\n") +
           "\\pard " + words + words + words + "\\par\r\n"
           "\\pard\\li720\\ri360 Indented both sides, " + words + "\\par\r\n"
           "\\pard\\fi-360\\li720 Hanging first line, " + words + "\\par\r\n"
           "\\pard\\sb240\\sa120 Space before and after.\\par\r\n"
           "\\pard\\sb60 Less space before than the last one had after.\\par\r\n"
           "\\pard\\qc Centred\\par\r\n"
           "\\pard\\qr Right aligned\\par\r\n"
           "\\pard\\sl480\\slmult1 Double spaced " + words + "\\par\r\n"
           "\\pard\\sl-300 Exactly fifteen points " + words + "\\par\r\n"
           "\\pard{\\fs48 Large} and {\\fs12 small}\\par\r\n"
           "\\pard\\par\r\n"
           "\\pard\\rtlpar Right to left \\u1513?\\u1500?\\u1493?\\u1501?\\par\r\n"
           "\\pard " + QByteArray(300, 'x') + "\\par\r\n"
           "\\pard\\tx2000 Tab\\tab stop\\par\r\n";
}

QByteArray LongRtf(const QByteArray& head, const QByteArray& tail = QByteArray()) {
    QByteArray rtf = kRtfHead + head;
    for (int i = 1; i <= kLong; ++i) rtf += "\\pard Paragraph " + QByteArray::number(i) + "\\par\r\n";
    return rtf + tail + "}";
}

bool UsesLongLayout(const TRichEdit98& edit) {
    return qobject_cast<TLongDocumentLayout*>(edit.document()->documentLayout()) != nullptr;
}

class LongDocument : public ::testing::Test {
protected:
    void Show(TRichEdit98& editor, const QByteArray& data, bool rtf,
              void (*configure)(TRichEdit98&) = TRichEdit98::ConfigureAsTemplateEditor) {
        configure(editor);
        editor.SetHideSelection(false);
        editor.resize(480, 320);
        ASSERT_TRUE(editor.StreamIn(data, rtf ? ifRTF : ifText, false, false));
        editor.show();
        QCoreApplication::processEvents();
    }
    void MoveCaret(int position) {
        QTextCursor caret(edit.document());
        caret.setPosition(position);
        edit.setTextCursor(caret);
        edit.ensureCursorVisible();
        QCoreApplication::processEvents();
    }
    int LaidOutBlocks() const {
        int count = 0;
        for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next())
            count += block.layout()->lineCount() > 0 ? 1 : 0;
        return count;
    }
    // Where the caret's rectangle is in the document, whatever the scroll position.
    QRect CaretInDocument(int position) {
        MoveCaret(position);
        return edit.cursorRect().translated(edit.horizontalScrollBar()->value(), edit.verticalScrollBar()->value());
    }
    TRichEdit98 edit;
};

TEST_F(LongDocument, TheLayoutFollowsLengthAndContent) {
    struct Case {
        const char* name;
        QByteArray data;
        bool rtf;
        bool longLayout;
    };
    const Case cases[] = {
        {"short text", PlainLines(200), false, false},
        {"text just too short", PlainLines(kLong - 2), false, false},
        {"long text", PlainLines(kLong), false, true},
        {"long paragraphs with character and paragraph formats", LongRtf(FormattedParagraphs()), true, true},
        {"long with a table", LongRtf("", "\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row\\pard End\\par"), true,
         false},
        {"long with a list item", LongRtf("{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1}\\fi-360\\li720 Item\\par"),
         true, false},
        {"long with a footnote mark", LongRtf("", "\\pard Fees{\\chftn{\\footnote\\pard\\plain{\\chftn} Note.}} due\\par"), true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRichEdit98 editor;
        Show(editor, c.data, c.rtf);
        EXPECT_EQ(UsesLongLayout(editor), c.longLayout);
    }
}

TEST_F(LongDocument, EditsChangeTheLayoutWhenTheDocumentStopsOrStartsSuitingIt) {
    struct Case {
        const char* name;
        int lines;
        std::function<void(QTextCursor&)> edit;
        bool longLayout;
    };
    const Case cases[] = {
        {"typing", kLong, [](QTextCursor& c) { c.insertText("typed"); }, true},
        {"a new paragraph", kLong, [](QTextCursor& c) { c.insertBlock(); }, true},
        {"a table", kLong, [](QTextCursor& c) { c.insertTable(2, 2); }, false},
        {"a table taken back",
         kLong,
         [](QTextCursor& c) {
             c.insertTable(2, 2);
             c.document()->undo();
         },
         true},
        {"a list", kLong, [](QTextCursor& c) { c.createList(QTextListFormat::ListDisc); }, false},
        {"a picture", kLong, [](QTextCursor& c) { c.insertImage(QImage(8, 8, QImage::Format_RGB32)); }, false},
        {"nearly everything deleted",
         kLong,
         [](QTextCursor& c) {
             c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
             c.removeSelectedText();
         },
         false},
        {"many lines pasted into a short document", 10, [](QTextCursor& c) { c.insertText(QString(kLong, '\n')); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRichEdit98 editor;
        Show(editor, PlainLines(c.lines), false);
        QTextCursor cursor(editor.document());
        cursor.setPosition(editor.document()->findBlockByNumber(5).position());
        c.edit(cursor);
        QCoreApplication::processEvents();
        EXPECT_EQ(UsesLongLayout(editor), c.longLayout);
        editor.viewport()->grab(); // paints with whichever layout it has
    }
}

TEST_F(LongDocument, MovingThroughAndTypingLaysOutOnlyWhatIsShown) {
    Show(edit, PlainLines(3 * kLong), false);
    ASSERT_TRUE(UsesLongLayout(edit));
    const int length = edit.document()->characterCount() - 1;
    for (const int position : {length, length / 2, 0}) {
        MoveCaret(position);
        QTest::keyClick(&edit, Qt::Key_X);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Three screens and a tall screen's worth above each: a small part of the whole.
    EXPECT_LT(LaidOutBlocks(), 1500);
    EXPECT_TRUE(edit.document()->findBlockByNumber(1).text().startsWith("Line 1 of"));
}

TEST_F(LongDocument, AnEditMovesWhatFollowsByTheHeightItAddsAndUndoTakesItBack) {
    Show(edit, PlainLines(kLong), false);
    ASSERT_TRUE(UsesLongLayout(edit));
    QTextDocument& doc = *edit.document();
    const int end = doc.characterCount() - 1;
    const QRect before = CaretInDocument(end);
    const qreal height = doc.documentLayout()->documentSize().height();
    const int lineHeight = CaretInDocument(0).height();

    struct Step {
        const char* name;
        std::function<void()> act;
        int linesMore;
    };
    const Step steps[] = {
        {"a new paragraph at the start", [this] { QTest::keyClick(&edit, Qt::Key_Return); }, 1},
        {"two more in the middle",
         [&] {
             MoveCaret(end / 2);
             QTest::keyClick(&edit, Qt::Key_Return);
             QTest::keyClick(&edit, Qt::Key_Return);
         },
         3},
        {"a word that fits", [this] { QTest::keyClicks(&edit, "word"); }, 3},
        {"undone all", [this] { edit.document()->undo(); edit.document()->undo(); edit.document()->undo(); edit.document()->undo(); }, 0},
    };
    MoveCaret(0);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        QCoreApplication::processEvents();
        const int newEnd = doc.characterCount() - 1;
        EXPECT_EQ(CaretInDocument(newEnd).top(), before.top() + step.linesMore * lineHeight);
        EXPECT_EQ(doc.documentLayout()->documentSize().height(), height + step.linesMore * lineHeight);
    }
    EXPECT_EQ(doc.toPlainText(), QString::fromLatin1(PlainLines(kLong)).replace("\r\n", "\n"));
}

// The same paragraphs laid out by Qt's layout (in a copy of the document) and by the
// long document's: every line at the same place, holding the same characters.
TEST_F(LongDocument, LinesSitWhereQtsLayoutPutsThem) {
    Show(edit, LongRtf(FormattedParagraphs()), true);
    ASSERT_TRUE(UsesLongLayout(edit));
    const QTextDocument& doc = *edit.document();
    std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->documentLayout()->setPaintDevice(edit.viewport());
    copy->setPageSize(doc.pageSize());
    const QAbstractTextDocumentLayout* ours = doc.documentLayout();
    const QAbstractTextDocumentLayout* qts = copy->documentLayout();
    for (int number = 0; number < 40; ++number) {
        const QTextBlock block = doc.findBlockByNumber(number), theirs = copy->findBlockByNumber(number);
        SCOPED_TRACE(block.text().toStdString());
        const QPointF origin = ours->blockBoundingRect(block).topLeft(), theirOrigin = qts->blockBoundingRect(theirs).topLeft();
        const QTextLayout* layout = block.layout();
        const QTextLayout* theirLayout = theirs.layout();
        ASSERT_EQ(layout->lineCount(), theirLayout->lineCount());
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i), theirLine = theirLayout->lineAt(i);
            EXPECT_EQ(line.textStart(), theirLine.textStart()) << "line " << i;
            EXPECT_EQ(line.textLength(), theirLine.textLength()) << "line " << i;
            EXPECT_NEAR(origin.x() + line.x(), theirOrigin.x() + theirLine.x(), 0.5) << "line " << i;
            EXPECT_NEAR(origin.y() + line.y(), theirOrigin.y() + theirLine.y(), 1.0) << "line " << i;
        }
    }
    EXPECT_NEAR(ours->documentSize().width(), qts->documentSize().width(), 0.5);
}

// The top of a long document and the same paragraphs alone (Qt's layout) look alike,
// selection included, in the wrapping template editor and the information editor.
TEST_F(LongDocument, PaintsAsQtsLayout) {
    const QByteArray head = FormattedParagraphs();
    for (const auto configure : {TRichEdit98::ConfigureAsTemplateEditor, TRichEdit98::ConfigureAsInformationEditor}) {
        SCOPED_TRACE(configure == TRichEdit98::ConfigureAsTemplateEditor ? "template editor" : "information editor");
        TRichEdit98 longOne, shortOne;
        Show(longOne, LongRtf(head), true, configure);
        Show(shortOne, kRtfHead + head + "}", true, configure);
        ASSERT_TRUE(UsesLongLayout(longOne));
        ASSERT_FALSE(UsesLongLayout(shortOne));
        for (TRichEdit98* editor : {&longOne, &shortOne}) {
            QTextCursor selection(editor->document());
            selection.setPosition(30);
            selection.setPosition(200, QTextCursor::KeepAnchor);
            editor->setTextCursor(selection);
            editor->verticalScrollBar()->setValue(0);
            editor->horizontalScrollBar()->setValue(0);
        }
        QCoreApplication::processEvents();
        const QImage ours = longOne.viewport()->grab().toImage(), qts = shortOne.viewport()->grab().toImage();
        ASSERT_EQ(ours.size(), qts.size());
        EXPECT_TRUE(ours == qts);
    }
}

// Paragraphs in runs of small, very large and middling type: the heights estimated for
// blocks not yet shown are far off wherever the view jumps.
QByteArray MixedSizes() {
    QByteArray rtf = kRtfHead;
    const char* const sizes[] = {"\\fs16", "\\fs72", "\\fs24"};
    for (int i = 0; i < kLong; ++i)
        rtf += QByteArray("\\pard") + sizes[(i / 700) % 3] + " Paragraph " + QByteArray::number(i) + "\\par\r\n";
    return rtf + "}";
}

TEST_F(LongDocument, TheCaretIsShownAndHitWhereverItIs) {
    for (const QByteArray& rtf : {LongRtf(FormattedParagraphs()), MixedSizes()}) {
        TRichEdit98 editor;
        Show(editor, rtf, true);
        ASSERT_TRUE(UsesLongLayout(editor));
        const QTextDocument& doc = *editor.document();
        const int length = doc.characterCount() - 1;
        const int wrapped = doc.findBlockByNumber(1).position() + 150; // a wrapped paragraph's second line, if any
        for (const int position : {0, 7, wrapped, length / 3, length / 2, length - 5, length, length / 4}) {
            SCOPED_TRACE(position);
            QTextCursor caret(editor.document());
            caret.setPosition(position);
            editor.setTextCursor(caret);
            editor.ensureCursorVisible();
            QCoreApplication::processEvents();
            const QRect shown = editor.cursorRect();
            EXPECT_TRUE(editor.viewport()->rect().contains(shown.center()));
            EXPECT_EQ(editor.cursorForPosition(shown.center()).position(), position);
        }
        // Below the last line and above the first, a hit finds the nearest line.
        editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        EXPECT_EQ(editor.cursorForPosition(QPoint(5, editor.viewport()->height() - 1)).position(), doc.lastBlock().position());
        EXPECT_EQ(doc.documentLayout()->hitTest(QPointF(5, -50), Qt::FuzzyHit), 0);
    }
}

TEST_F(LongDocument, FindShowsAMatchFarDown) {
    Show(edit, PlainLines(2 * kLong), false);
    ASSERT_TRUE(UsesLongLayout(edit));
    const QString target = "Line 17654 of";
    const int at = edit.FindTextW(target, 0, -1, foMatchCase);
    ASSERT_GT(at, 0);
    edit.SetSelectionStart(at);
    edit.SetSelectionLength(int(target.size()));
    edit.ensureCursorVisible();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.textCursor().selectedText(), target);
    EXPECT_TRUE(edit.viewport()->rect().contains(edit.cursorRect()));
    EXPECT_EQ(edit.cursorForPosition(edit.cursorRect().center()).block().text(), "Line 17654 of the document");
}

// The wrapped-line model counts the lines of blocks nobody has shown yet.
TEST_F(LongDocument, WrappedLinesCountBlocksNotShown) {
    const QByteArray longParagraph = "\\pard " + QByteArray(60, ' ').replace(' ', "many words ") + "\\par\r\n";
    Show(edit, LongRtf("", longParagraph + "\\pard Last\\par"), true);
    ASSERT_TRUE(UsesLongLayout(edit));
    QTextBlock wrapping = edit.document()->lastBlock(); // found without a cursor, which would lay it out
    while (!wrapping.text().startsWith("many words")) wrapping = wrapping.previous();
    ASSERT_EQ(wrapping.layout()->lineCount(), 0); // not shown
    const int lines = edit.Lines().Count();

    std::unique_ptr<QTextDocument> copy(edit.document()->clone());
    copy->documentLayout()->setPaintDevice(edit.viewport());
    copy->setPageSize(edit.document()->pageSize());
    copy->documentLayout()->documentSize();
    const int wrappedLines = copy->findBlockByNumber(wrapping.blockNumber()).layout()->lineCount();
    ASSERT_GT(wrappedLines, 2);
    const int finalEmptyLine = edit.document()->lastBlock().length() == 1 ? 1 : 0;
    EXPECT_EQ(lines, edit.document()->blockCount() - finalEmptyLine + wrappedLines - 1);
}

} // namespace
