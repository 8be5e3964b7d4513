// Writing documents as RTF: the header, escapes, and the byte layout the merge relies on.
#include "RtfTestSupport.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

QTextCharFormat Bold()
{
    QTextCharFormat f;
    f.setFontWeight(QFont::Bold);
    return f;
}

QTextCharFormat Italic()
{
    QTextCharFormat f;
    f.setFontItalic(true);
    return f;
}

} // namespace

TEST(RtfWriter, HeaderAndParagraphMarks)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("one");
    cursor.insertBlock();
    cursor.insertText("two");
    const QByteArray rtf = RtfEngine::WriteRtf(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0"));
    EXPECT_TRUE(rtf.endsWith("}"));
    EXPECT_TRUE(rtf.contains("one\\par\r\n"));
    EXPECT_TRUE(rtf.contains("two\\par\r\n"));
    EXPECT_EQ(rtf.count("\\par"), 2); // one per paragraph and no other word starting so
}

TEST(RtfWriter, EscapesText)
{
    struct Case { const char* text; const char* bytes; };
    const Case cases[] = {
        {"a\\b{c}", "a\\\\b\\{c\\}"},
        {"caf\u00e9", "caf\\'e9"},
        {"\u20ac", "\\'80"},
        {"\u0410", "\\u1040?"},
        {"\uf0b7", "\\u-3913?"},
        {"a\tb", "a\\tab b"},
        {"a\u2028b", "a\\line b"},
        {"\u00b6", "\\'b6"},
        {"\U0001F600", "\\u-10179?\\u-8704?"},
        {"a\fb", "a\\page b"},
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        QTextCursor(&doc).insertText(QString::fromUtf8(c.text));
        EXPECT_TRUE(RtfEngine::WriteRtf(doc).contains(c.bytes)) << c.bytes << "\n" << RtfEngine::WriteRtf(doc).constData();
    }
}

TEST(RtfWriter, MarkersStayContiguous)
{
    // A marker typed between differently formatted text, and text typed in several
    // pieces with the same format, come out as the bytes the merge looks for.
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("Dear ", Bold());
    cursor.insertText("@12", QTextCharFormat());
    cursor.insertText(" sir", Italic());
    cursor.insertBlock();
    cursor.insertText("@", Bold());
    cursor.insertText("3", Bold());
    cursor.insertText("4 and ", Bold());
    QTextCharFormat sameAsBold = Bold();
    sameAsBold.setToolTip("a property the writer does not express");
    cursor.insertText("@56", sameAsBold);
    cursor.insertText(QString(5000, 'w') + " @789 " + QString(5000, 'v'), Bold());
    const QByteArray rtf = RtfEngine::WriteRtf(doc);
    for (const char* marker : {"@12", "@34 and @56", "@789"})
        EXPECT_TRUE(rtf.contains(marker)) << marker;
    // One switch per change of format, none inside a run.
    EXPECT_EQ(QString::fromLatin1(rtf).count(QRegularExpression("\\\\b(?![a-z0-9])")), 2);
    EXPECT_EQ(rtf.count("\\b0"), 1);
    EXPECT_TRUE(rtf.contains(QByteArray(5000, 'w') + " @789 " + QByteArray(5000, 'v')));
}

TEST(RtfWriter, MarkerAfterAnEscapeStaysAWholeWord)
{
    // An escape ending in a digit would be glued to a marker after it («\'a3@5»).
    // `split`: where a second run starts whose format differs only in what RTF does not
    // say, so both are written as one.
    struct Case { const char* text; const char* bytes; int split; };
    const Case cases[] = {
        {"\u00a3@5 fee", "{\\'a3}@5 fee", -1},
        {"\u00a3@5 fee", "{\\'a3}@5 fee", 1}, // the marker starts the next run
        {"\u00ea@1", "\\'ea@1", -1},         // ends in a letter, a word delimiter already
        {"\u00a3 @5", "\\'a3 @5", -1},       // a space in between: nothing to do
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        const QString text = QString::fromUtf8(c.text);
        QTextCharFormat unsaid;
        unsaid.setToolTip("not written");
        QTextCursor(&doc).insertText(text.left(c.split < 0 ? text.size() : c.split));
        if (c.split >= 0) {
            QTextCursor end(&doc);
            end.movePosition(QTextCursor::End);
            end.insertText(text.mid(c.split), unsaid);
        }
        const QByteArray rtf = RtfEngine::WriteRtf(doc);
        EXPECT_TRUE(rtf.contains(c.bytes)) << c.bytes << "\n" << rtf.constData();
        QTextDocument back;
        QTextCursor cursor(&back);
        RtfEngine::ReadRtf(rtf, cursor);
        EXPECT_EQ(back.toPlainText(), text);
    }
}

TEST(RtfWriter, RangeWritesOnlyItsCharacters)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("alpha");
    cursor.insertBlock();
    cursor.insertText("beta gamma");
    const QByteArray part = RtfEngine::WriteRtf(doc, 2, 10);
    auto read = Read(part);
    EXPECT_EQ(TextOf(*read), "pha\nbeta");
    const QByteArray noBreak = RtfEngine::WriteRtf(doc, 6, 10);
    EXPECT_FALSE(noBreak.contains("\\par"));
}

TEST(RtfWriter, PlainSubset)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat fancy = Bold();
    fancy.setForeground(QColor(255, 0, 0));
    fancy.setFontPointSize(30);
    fancy.setFontFamilies({"Courier New"});
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setLeftMargin(40);
    cursor.setBlockFormat(centred);
    cursor.insertText("line one\tx", fancy);
    cursor.insertBlock();
    cursor.insertText("line two");
    RtfEngine::WriteOptions plain;
    plain.plain = true;
    const QByteArray rtf = RtfEngine::WriteRtf(doc, 0, -1, plain);
    for (const char* absent : {"\\b", "\\cf", "\\colortbl", "\\qc", "\\li", "\\pard", "Courier", "\\fs60"})
        EXPECT_FALSE(rtf.contains(absent)) << absent;
    auto read = Read(rtf);
    EXPECT_EQ(TextOf(*read), "line one\tx\nline two");

    QTextDocument withTable;
    QTextCursor at(&withTable);
    at.insertText("above");
    QTextTable* table = at.insertTable(2, 2);
    const char* cells[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i)
        table->cellAt(i / 2, i % 2).firstCursorPosition().insertText(cells[i]);
    const QByteArray flat = RtfEngine::WriteRtf(withTable, 0, -1, plain);
    EXPECT_FALSE(flat.contains("\\cell"));
    EXPECT_EQ(TextOf(*Read(flat)), "above\na\tb\nc\td\n");
}

TEST(RtfWriter, FontNamesAreNumberedAsTheyReadBack)
{
    // The font table reads a name up to ";", without control characters, trimmed: a family
    // that reads back as one the document already has takes that font's number.
    const QString families[] = {"Arial;", "Arial;Bold", " Arial\x01"};
    for (const QString& family : families) {
        auto doc = Read(Rtf("\\f0 kept\\par"));
        QTextCursor end(doc.get());
        end.movePosition(QTextCursor::End);
        QTextCharFormat f;
        f.setFontFamilies({family});
        end.insertText("added", f);
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        EXPECT_FALSE(saved.contains("{\\f2")) << "no font of its own\n" << saved.constData();
        EXPECT_EQ(RtfEngine::WriteRtf(*Read(saved)), saved) << family.toStdString();
    }
}
