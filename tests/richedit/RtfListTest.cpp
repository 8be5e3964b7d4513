// Numbering as the document's list table says: full multi-level numbers, levels with no
// number, continuing and restarting lists; written back with the same list table.
#include "RtfTestSupport.h"

#include <QTextBlock>
#include <QTextList>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

const QByteArray kLists =
    "{\\*\\listtable"
    "{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext \\'06\\'00.\\'01.\\'02);}{\\levelnumbers;}}"
    "\\listid7}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc255\\levelstartat1{\\leveltext \\'00;}{\\levelnumbers;}}\\listid8}"
    "{\\list\\listtemplateid3{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext \\'03(\\'00);}{\\levelnumbers;}}\\listid9}}"
    "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid8\\listoverridecount0\\ls2}{\\listoverride\\listid7\\listoverridecount0\\ls3}"
    "{\\listoverride\\listid9\\listoverridecount0\\ls4}}\r\n";

QByteArray Item(int ls, int level, const char* text)
{
    return "\\pard\\ls" + QByteArray::number(ls) + "\\ilvl" + QByteArray::number(level) + " " + text + "\\par\r\n";
}

QString NumberOf(const QTextDocument& doc, const QString& text)
{
    const QTextBlock block = BlockOf(doc, text);
    return block.textList() ? block.textList()->itemText(block) : QString("-");
}

} // namespace

TEST(RtfLists, NumbersAsTheListTableWritesThem)
{
    const QByteArray body = kLists + Item(2, 0, "Heading") + Item(1, 0, "Alpha") + Item(1, 1, "Beta") +
                            Item(1, 1, "Gamma") + Item(1, 2, "Delta") + Item(1, 0, "Epsilon") +
                            Item(1, 1, "Zeta") + "\\pard Between\\par\r\n" + Item(1, 0, "Third") +
                            Item(3, 0, "Theta") + Item(4, 0, "Iota") + Item(4, 0, "Kappa");
    struct Case { const char* text; const char* number; };
    const Case cases[] = {
        {"Heading", "-"}, {"Alpha", "1."}, {"Beta", "1.1."}, {"Gamma", "1.2."}, {"Delta", "1.2.a)"},
        {"Epsilon", "2."}, {"Zeta", "2.1."}, {"Between", "-"}, {"Third", "3."}, {"Theta", "1."},
        {"Iota", "(i)"}, {"Kappa", "(ii)"},
    };
    auto doc = Read(Rtf(body));
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    auto again = Read(saved);
    for (const Case& c : cases) {
        EXPECT_EQ(NumberOf(*doc, c.text), c.number) << c.text;
        EXPECT_EQ(NumberOf(*again, c.text), c.number) << c.text << " after saving";
    }
    // The document's own list table goes back, and each paragraph keeps its list and level.
    const qsizetype split = kLists.indexOf("{\\*\\listoverridetable");
    EXPECT_TRUE(saved.contains(kLists.left(split))) << saved.constData();
    EXPECT_TRUE(saved.contains(kLists.mid(split).trimmed()));
    for (const char* part : {"\\ls2\\ilvl0 Heading", "}\\ls1\\ilvl1 Beta", "}\\ls3\\ilvl0 Theta", "}\\ls4\\ilvl0 Iota"})
        EXPECT_TRUE(saved.contains(part)) << part;
    // The older numbering group says numbers where there are numbers, never a bullet.
    EXPECT_FALSE(saved.contains("\\pnlvlblt"));
    EXPECT_TRUE(saved.contains("\\pnlcrm"));
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
}

TEST(RtfLists, ListsTheEditorMadeAreWrittenWithEveryLevel)
{
    // A list made in the editor, at its second level, next to a document's own lists.
    auto doc = Read(Rtf(kLists + Item(1, 0, "Kept")));
    QTextCursor cursor(doc.get());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock(QTextBlockFormat());
    QTextListFormat f;
    f.setStyle(QTextListFormat::ListLowerAlpha);
    f.setIndent(2);
    f.setNumberSuffix(")");
    cursor.createList(f);
    cursor.insertText("Made");
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    auto again = Read(saved);
    EXPECT_EQ(NumberOf(*again, "Kept"), "1.");
    EXPECT_EQ(NumberOf(*again, "Made"), "a)");
    EXPECT_TRUE(saved.contains("\\ls5\\ilvl1")) << "numbered after the document's own lists";
    EXPECT_TRUE(saved.contains("\\pnlcltr"));
}

TEST(RtfLists, ANumberedParagraphFromAnotherDocumentKeepsItsNumber)
{
    // Pasted into a document whose list table lacks its list, the paragraph is written
    // with a list of its own instead of a reference to nothing.
    auto source = Read(Rtf(kLists + Item(4, 0, "Roman")));
    auto target = Read(Rtf("{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext \\'02\\'00.;}}\\listid7}}"
                           "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}" + Item(1, 0, "Own")));
    QTextCursor end(target.get());
    end.movePosition(QTextCursor::End);
    end.insertBlock(QTextBlockFormat());
    RtfEngine::ReadRtf(RtfEngine::WriteRtf(*source), end);
    EXPECT_EQ(NumberOf(*target, "Roman"), "(i)");
    auto saved = Read(RtfEngine::WriteRtf(*target));
    EXPECT_EQ(NumberOf(*saved, "Roman"), "(i)");
    EXPECT_EQ(NumberOf(*saved, "Own"), "1.");
}
