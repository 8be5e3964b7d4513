// Character and paragraph attribute objects: twips rounding, WordFormatting at a bare
// caret, styles, colours, copying to and from fonts, indents, alignment, numbering.
#include "richedit/RichEdit98.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

namespace {

class Attributes : public ::testing::Test {
protected:
    void SetUp() override { edit.Lines().SetText("hello world"); }
    void Select(int start, int length) {
        edit.SetSelectionStart(start);
        edit.SetSelectionLength(length);
    }
    // The format of the character at a position.
    QTextCharFormat CharAt(int position) const {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    }
    TRichEdit98 edit;
};

TEST(AttributesTwips, PointsRoundToWholeTwipsHalvesToEven) {
    struct Case {
        double points;
        int twips;
    };
    for (const Case& c : {Case{11, 220}, Case{0.5, 10}, Case{0.125, 2}, Case{0.375, 8}, Case{0.625, 12},
                          Case{10.95, 219}, Case{-0.125, -2}, Case{36, 720}, Case{0.0249, 0}})
        EXPECT_EQ(Twips::FromPoints(c.points), c.twips) << c.points;
}

TEST_F(Attributes, SizeWritesWholePointsAndReadsTruncated) {
    Select(0, 5);
    edit.SelectionAttributes().SetSize(11);
    EXPECT_DOUBLE_EQ(CharAt(0).fontPointSize(), 11.0);
    EXPECT_EQ(Twips::FromPoints(CharAt(0).fontPointSize()), 220);
    EXPECT_EQ(edit.SelectionAttributes().Size(), 11);

    QTextCharFormat almostEleven;
    almostEleven.setFontPointSize(10.95); // 219 twips
    QTextCursor cursor(edit.document());
    cursor.setPosition(6);
    cursor.setPosition(11, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(almostEleven);
    Select(6, 5);
    EXPECT_EQ(edit.SelectionAttributes().Size(), 10);
}

TEST_F(Attributes, WordFormattingAtABareCaretChangesTheWholeWord) {
    Select(2, 0); // inside "hello"
    edit.SelectionAttributes().SetSize(20);
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(CharAt(i).fontPointSize(), 20.0) << i;
    EXPECT_NE(CharAt(6).fontPointSize(), 20.0);

    edit.SetWordFormatting(false);
    Select(8, 0); // inside "world"
    edit.SelectionAttributes().SetSize(30);
    for (int i = 6; i < 11; ++i) EXPECT_NE(CharAt(i).fontPointSize(), 30.0) << i;
    EXPECT_DOUBLE_EQ(edit.currentCharFormat().fontPointSize(), 30.0) << "the typing format";
    EXPECT_EQ(edit.SelectionAttributes().Size(), 30);
}

TEST_F(Attributes, ACaretBetweenWordsChangesOnlyTheTypingFormat) {
    Select(5, 0); // after "hello", before the space
    edit.SelectionAttributes().SetBold(true);
    for (int i = 0; i < 11; ++i) EXPECT_LT(CharAt(i).fontWeight(), QFont::DemiBold) << i;
    EXPECT_TRUE(edit.SelectionAttributes().Bold());
}

TEST_F(Attributes, StyleBitsAndUnderlineType) {
    Select(0, 5);
    edit.SelectionAttributes().SetStyle(fsUnderline | fsItalic);
    EXPECT_EQ(edit.SelectionAttributes().UnderlineType(), 1);
    EXPECT_EQ(edit.SelectionAttributes().Style(), TFontStyles(fsUnderline | fsItalic));
    edit.SelectionAttributes().SetStyle(fsBold | fsStrikeOut);
    EXPECT_EQ(edit.SelectionAttributes().Style(), TFontStyles(fsBold | fsStrikeOut));
    EXPECT_EQ(edit.SelectionAttributes().UnderlineType(), 0);
    for (int type : {1, 4, 5, 8, 0}) {
        edit.SelectionAttributes().SetUnderlineType(type);
        EXPECT_EQ(edit.SelectionAttributes().UnderlineType(), type);
    }
    Select(6, 5);
    EXPECT_EQ(edit.SelectionAttributes().Style(), TFontStyles(0)) << "outside the selection nothing changed";
}

TEST_F(Attributes, ColourWindowTextIsTheAutomaticColour) {
    Select(0, 5);
    edit.SelectionAttributes().SetColor(QColor(255, 0, 0));
    EXPECT_EQ(edit.SelectionAttributes().Color(), QColor(255, 0, 0));
    edit.SelectionAttributes().SetColor(clWindowText);
    EXPECT_FALSE(CharAt(0).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(edit.SelectionAttributes().Color(), clWindowText);
    EXPECT_EQ(edit.SelectionAttributes().BackColor(), clNone);
    edit.SelectionAttributes().SetBackColor(QColor(255, 255, 0));
    EXPECT_EQ(edit.SelectionAttributes().BackColor(), QColor(255, 255, 0));
}

TEST_F(Attributes, OtherEffectsReadBackWhatWasWritten) {
    Select(0, 5);
    TTextAttributes98& a = edit.SelectionAttributes();
    a.SetScriptPosition(2);
    a.SetOffset(1.5);
    a.SetSpacing(0.375);
    a.SetKerning(12);
    a.SetWeight(600);
    a.SetPitch(fpFixed);
    a.SetSmallCaps(true);
    a.SetHidden(true);
    a.SetEmboss(true);
    a.SetLocaleId(1031);
    a.SetName("Courier New");
    EXPECT_EQ(a.ScriptPosition(), 2);
    EXPECT_DOUBLE_EQ(a.Offset(), 1.5);
    EXPECT_DOUBLE_EQ(a.Spacing(), 0.4) << "8 twips";
    EXPECT_DOUBLE_EQ(a.Kerning(), 12);
    EXPECT_EQ(a.Weight(), 600);
    EXPECT_EQ(a.Pitch(), fpFixed);
    EXPECT_TRUE(a.SmallCaps());
    EXPECT_FALSE(a.AllCaps());
    EXPECT_TRUE(a.Hidden());
    EXPECT_TRUE(a.Emboss());
    EXPECT_FALSE(a.Shadow());
    EXPECT_EQ(a.LocaleId(), 1031);
    EXPECT_EQ(a.Name(), "Courier New");
    a.SetSmallCaps(false);
    EXPECT_FALSE(a.SmallCaps());
}

TEST_F(Attributes, AssignFromAndToFonts) {
    Select(0, 5);
    QFont struck("DejaVu Sans", 14);
    struck.setStrikeOut(true);
    struck.setUnderline(true);
    edit.SelectionAttributes().Assign(struck);
    EXPECT_TRUE(edit.SelectionAttributes().StrikeOut());
    EXPECT_EQ(edit.SelectionAttributes().UnderlineType(), 1);
    EXPECT_EQ(edit.SelectionAttributes().Size(), 14);
    EXPECT_EQ(edit.SelectionAttributes().Name(), "DejaVu Sans");

    QFont out("Serif", 9);
    out.setStrikeOut(true);
    edit.SelectionAttributes().AssignTo(out);
    EXPECT_FALSE(out.strikeOut()) << "the style carries no strikeout";
    EXPECT_TRUE(out.underline());
    EXPECT_EQ(out.pointSize(), 14);
    EXPECT_EQ(out.family(), "DejaVu Sans");
}

TEST_F(Attributes, AssignCopiesBetweenAttributeObjects) {
    Select(0, 5);
    TTextAttributes98& s = edit.SelectionAttributes();
    s.SetBold(true);
    s.SetColor(QColor(0, 128, 0));
    s.SetSize(18);
    s.SetScriptPosition(1);
    edit.DefaultAttributes().Assign(s);
    EXPECT_TRUE(edit.DefaultAttributes().Bold());
    EXPECT_EQ(edit.DefaultAttributes().Color(), QColor(0, 128, 0));
    EXPECT_EQ(edit.DefaultAttributes().Size(), 18);
    EXPECT_EQ(edit.DefaultAttributes().ScriptPosition(), 1);
    EXPECT_EQ(edit.document()->defaultFont().pointSize(), 18);
    EXPECT_TRUE(edit.document()->defaultFont().bold());

    Select(6, 5);
    s.Assign(edit.DefaultAttributes());
    EXPECT_TRUE(s.Bold());
    EXPECT_EQ(s.Color(), QColor(0, 128, 0));
    edit.undo(); // the whole copy is one step
    Select(6, 5);
    EXPECT_FALSE(CharAt(6).hasProperty(QTextFormat::FontWeight));
    EXPECT_EQ(s.Color(), clWindowText);
}

TEST_F(Attributes, TheControlFontBecomesTheDefaultFormat) {
    edit.setFont(QFont("DejaVu Serif", 15));
    EXPECT_EQ(edit.DefaultAttributes().Name(), "DejaVu Serif");
    EXPECT_EQ(edit.DefaultAttributes().Size(), 15);
}

TEST_F(Attributes, IndentsInPointsWithWholeTwips) {
    TParaAttributes98& p = edit.ParagraphAttributes();
    struct Case {
        double written, read;
    };
    for (const Case& c : {Case{0.5, 0.5}, Case{0.125, 0.1}, Case{0.375, 0.4}, Case{36, 36}}) {
        p.SetFirstIndent(c.written);
        EXPECT_DOUBLE_EQ(p.FirstIndent(), c.read) << c.written;
    }
    p.SetFirstIndent(36);
    p.SetLeftIndent(0);
    const QTextBlockFormat flat = edit.document()->firstBlock().blockFormat();
    EXPECT_DOUBLE_EQ(flat.leftMargin() + flat.textIndent(), 48.0) << "36 points are 48 pixels";
    p.SetLeftIndent(18);
    EXPECT_DOUBLE_EQ(p.FirstIndent(), 36);
    EXPECT_DOUBLE_EQ(p.LeftIndent(), 18);
    const QTextBlockFormat hanging = edit.document()->firstBlock().blockFormat();
    EXPECT_DOUBLE_EQ(hanging.leftMargin(), 72.0) << "following lines at 54 points";
    p.SetFirstIndent(10);
    EXPECT_DOUBLE_EQ(p.LeftIndent(), 18) << "the offset stays";
    p.SetRightIndent(10);
    EXPECT_DOUBLE_EQ(p.RightIndent(), 10);
}

TEST_F(Attributes, ParagraphChangesCoverEverySelectedParagraph) {
    edit.Lines().SetText("one\r\ntwo\r\nthree");
    Select(1, 5); // from "one" into "two"
    edit.ParagraphAttributes().SetAlignment(3);
    const QTextDocument& doc = *edit.document();
    EXPECT_TRUE(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignJustify);
    EXPECT_TRUE(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignJustify);
    EXPECT_FALSE(doc.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignJustify);
    EXPECT_EQ(edit.ParagraphAttributes().Alignment(), 3);
    for (int alignment : {1, 2, 0}) {
        edit.ParagraphAttributes().SetAlignment(alignment);
        EXPECT_EQ(edit.ParagraphAttributes().Alignment(), alignment);
    }

    edit.ParagraphAttributes().SetNumbering(1);
    EXPECT_EQ(edit.ParagraphAttributes().Numbering(), 1);
    ASSERT_NE(doc.findBlockByNumber(1).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(0).textList(), doc.findBlockByNumber(1).textList());
    EXPECT_EQ(doc.findBlockByNumber(2).textList(), nullptr);
    edit.ParagraphAttributes().SetNumbering(2);
    EXPECT_EQ(doc.findBlockByNumber(0).textList()->format().style(), QTextListFormat::ListDecimal);
    edit.ParagraphAttributes().SetNumbering(0);
    EXPECT_EQ(edit.ParagraphAttributes().Numbering(), 0);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), nullptr);
}

} // namespace
