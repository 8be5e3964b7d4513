// Numbering as the document's list table says: full multi-level numbers, levels with no
// number, continuing and restarting lists; written back with the same list table.
#include "RtfTestSupport.h"
#include "rtf/ListNumbers.h"

#include <QTextBlock>
#include <QTextList>
#include <gtest/gtest.h>
#include <vector>

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

TEST(RtfLists, ListTablesNumberTheWholeDocumentWhereverTheyStand)
{
    // The writer puts the list table before the text, so a table further down must number
    // the paragraphs above it too, or the saved document would show other numbers.
    const QByteArray items[] = {Item(1, 0, "Alpha"), Item(1, 1, "Beta"), Item(1, 0, "Gamma")};
    struct Case { const char* text; const char* number; };
    const Case cases[] = {{"Alpha", "1."}, {"Beta", "1.1."}, {"Gamma", "2."}};
    for (int at = 0; at <= 3; ++at) {
        QByteArray body;
        for (int i = 0; i < 3; ++i)
            body += (i == at ? kLists : QByteArray()) + items[i];
        if (at == 3)
            body += kLists;
        auto doc = Read(Rtf(body));
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        auto again = Read(saved);
        for (const Case& c : cases) {
            EXPECT_EQ(NumberOf(*doc, c.text), c.number) << c.text << ", table before item " << at;
            EXPECT_EQ(NumberOf(*again, c.text), c.number) << c.text << ", table before item " << at;
        }
        EXPECT_EQ(RtfEngine::WriteRtf(*again), saved) << "table before item " << at;
    }
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

namespace {

// A list table with one list of one level: its number format, first number and text.
QByteArray OneLevelList(int nfc, int start, const QByteArray& levelText)
{
    return "{\\*\\listtable{\\list{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelstartat" +
           QByteArray::number(start) + "{\\leveltext " + levelText + ";}}\\listid3}}"
           "{\\*\\listoverridetable{\\listoverride\\listid3\\ls1}}" + Item(1, 0, "First") + Item(1, 0, "Second");
}

QByteArray PnItems(const QByteArray& pn)
{
    return "\\pard{\\pn\\pnlvlbody" + pn + "} First\\par\\pard{\\pn\\pnlvlbody" + pn + "} Second\\par";
}

QString MarkerOf(const QTextDocument& doc, const QString& text)
{
    return RtfEngine::ListMarkerOf(BlockOf(doc, text));
}

} // namespace

TEST(RtfLists, ListsStartingElsewhereShowAndKeepTheirNumbers)
{
    struct Case {
        const char* what;
        QByteArray body;
        const char* first;
        const char* second;
        std::vector<const char*> written; // in the saved RTF
    };
    const Case cases[] = {
        {"digits from 5", OneLevelList(0, 5, "\\'02\\'00."), "5.", "6.", {"\\levelstartat5", "\\pnstart5"}},
        {"letters from 5", OneLevelList(4, 5, "\\'02\\'00)"), "e)", "f)", {"\\pnlcltr\\pnstart5"}},
        {"letters past z", OneLevelList(4, 26, "\\'02\\'00)"), "z)", "aa)", {"\\pnlcltr\\pnstart26"}},
        {"capitals past AZ", OneLevelList(3, 52, "\\'02\\'00."), "AZ.", "BA.", {"\\pnucltr\\pnstart52"}},
        {"roman from 4", OneLevelList(1, 4, "\\'03(\\'00)"), "(IV)", "(V)", {"\\pnucrm\\pnstart4"}},
        {"digits from 0", OneLevelList(0, 0, "\\'02\\'00."), "0.", "1.", {"\\levelstartat0"}},
        {"digits from 1", OneLevelList(0, 1, "\\'02\\'00."), "1.", "2.", {"\\pnstart1"}},
        {"older numbering from 3", PnItems("\\pndec\\pnstart3{\\pntxta .}"), "3.", "4.",
         {"\\levelstartat3", "\\pnstart3"}},
        {"older letters from 2", PnItems("\\pnlcltr\\pnstart2{\\pntxta )}"), "b)", "c)", {"\\pnstart2"}},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(MarkerOf(*doc, "First"), c.first) << c.what;
        EXPECT_EQ(MarkerOf(*doc, "Second"), c.second) << c.what;
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        for (const char* part : c.written)
            EXPECT_TRUE(saved.contains(part)) << c.what << ": " << part << "\n" << saved.constData();
        auto again = Read(saved);
        EXPECT_EQ(MarkerOf(*again, "First"), c.first) << c.what << " after saving";
        EXPECT_EQ(MarkerOf(*again, "Second"), c.second) << c.what << " after saving";
        EXPECT_EQ(RtfEngine::WriteRtf(*again), saved) << c.what;
    }
}

TEST(RtfLists, AListStartingElsewhereKeepsItsStartThroughAStyleChange)
{
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDecimal);
    format = RtfEngine::ListFormatStartingAt(format, 5);
    format = RtfEngine::ListFormatInStyle(format, QTextListFormat::ListLowerRoman);
    EXPECT_EQ(RtfEngine::NumberStyleOf(format), QTextListFormat::ListLowerRoman);
    EXPECT_EQ(RtfEngine::ListStartOf(format), 5);
    // A bullet has no number to start: the toolkit draws it again.
    format = RtfEngine::ListFormatInStyle(format, QTextListFormat::ListDisc);
    EXPECT_EQ(format.style(), QTextListFormat::ListDisc);
    EXPECT_EQ(RtfEngine::ListStartOf(format), 1);
}
