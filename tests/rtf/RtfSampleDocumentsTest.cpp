// Documents a word processor wrote (samples/*.rtf, made from the .html and .fodt beside
// them): what the editor shows of them, what it keeps, and that a save reads back the same.
#include "RtfTestSupport.h"
#include "rtf/ListNumbers.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

QByteArray Sample(const char* name)
{
    return ReadFile(QString(KELVORA_SOURCE_DIR "/tests/rtf/samples/") + name);
}

std::vector<QTextTable*> Tables(const QTextDocument& doc)
{
    std::vector<QTextTable*> tables;
    std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(child))
                tables.push_back(table);
            walk(child);
        }
    };
    walk(doc.rootFrame());
    return tables;
}

QStringList Numbers(const QTextDocument& doc)
{
    QStringList numbers;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.textList())
            numbers << RtfEngine::ListMarkerOf(b);
    return numbers;
}

QStringList KeptMarks(const QTextDocument& doc)
{
    QStringList marks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().objectType() == RtfEngine::kKeptObjectType)
                marks << it.fragment().charFormat().stringProperty(RtfEngine::kKeptTextProperty);
    return marks;
}

} // namespace

TEST(RtfSampleDocuments, ListsStartingElsewhere)
{
    // Ordered lists from 5, from "c" and from "iv", as LibreOffice writes them.
    const QByteArray rtf = Sample("list-start.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    auto doc = Read(rtf);
    const QStringList numbers = {"5.", "6.", "c.", "d.", "iv.", "v."};
    EXPECT_EQ(Numbers(*doc), numbers);
    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    for (const char* start : {"\\levelstartat5", "\\levelstartat3", "\\levelstartat4"})
        EXPECT_TRUE(saved.contains(start)) << start;
    EXPECT_EQ(Numbers(*Read(saved)), numbers);
}

TEST(RtfSampleDocuments, TheLegalTemplate)
{
    const QByteArray rtf = Sample("legal-template.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    auto doc = Read(rtf);
    const std::vector<QTextTable*> tables = Tables(*doc);
    ASSERT_EQ(tables.size(), 3u) << "the fee table, the layout table and the table nested in it";
    QTextTable* fees = tables[0];
    EXPECT_EQ(fees->rows(), 4);
    EXPECT_EQ(fees->cellAt(0, 0).columnSpan(), 2) << "the heading over two columns";
    EXPECT_EQ(fees->cellAt(0, 2).rowSpan(), 2) << "the notes over two rows";
    EXPECT_EQ(fees->cellAt(3, 0).columnSpan(), 2);
    EXPECT_GT(fees->cellAt(0, 0).format().toTableCellFormat().topBorder(), 1.5);
    EXPECT_TRUE(fees->cellAt(0, 0).format().background().style() != Qt::NoBrush);
    QTextTable* layout = tables[1];
    EXPECT_EQ(layout->format().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(layout->cellAt(0, 0).format().toTableCellFormat().topBorder(), 0) << "borderless";
    EXPECT_EQ(tables[2]->rows(), 2);
    EXPECT_EQ(Numbers(*doc), QStringList({"1.", "1.", "2.", "a.", "b.", "2.", "1.", "3."}));
    EXPECT_EQ(KeptMarks(*doc), QStringList({"1"}));
    int pictures = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                ++pictures;
                EXPECT_EQ(it.fragment().charFormat().toImageFormat().width(), 96);
                EXPECT_EQ(it.fragment().charFormat().toImageFormat().height(), 48);
            }
    EXPECT_EQ(pictures, 1);

    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    EXPECT_TRUE(saved.contains("{\\*\\pgdsctbl"));
    auto again = Read(saved);
    EXPECT_EQ(TextOf(*again), TextOf(*doc));
    EXPECT_EQ(Numbers(*again), Numbers(*doc));
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
}

TEST(RtfSampleDocuments, FormattingExtras)
{
    const QByteArray rtf = Sample("formatting-extras.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    auto doc = Read(rtf);
    EXPECT_EQ(KeptMarks(*doc), QStringList({"1", "i"})) << "a footnote and an endnote";
    EXPECT_EQ(FormatOf(*doc, "Double underline").property(RtfEngine::kUnderlineWordProperty).toByteArray(), "uldb");
    EXPECT_EQ(FormatOf(*doc, "wavy underline").underlineStyle(), QTextCharFormat::WaveUnderline);
    const QTextBlockFormat leader = BlockOf(*doc, "Chapter one").blockFormat();
    EXPECT_TRUE(leader.property(RtfEngine::kTabLeadersProperty).toList().contains(QByteArray("tldot")));
    const QTextBlockFormat bordered = BlockOf(*doc, "red border").blockFormat();
    EXPECT_TRUE(bordered.property(RtfEngine::kParaKeptProperty).toByteArray().contains("\\box\\brdrs\\brdrw30"));
    EXPECT_EQ(bordered.background().color(), QColor(0xdd, 0xee, 0xff));
    EXPECT_EQ(BlockOf(*doc, "Justified").blockFormat().alignment(), Qt::AlignJustify);

    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    for (const char* part : {"\\landscape", "\\paperw15840", "{\\header", "{\\footer", "\\uldb", "\\ulwave",
                             "\\tldot\\tx", "\\box\\brdrs\\brdrw30", "\\ftnalt"})
        EXPECT_TRUE(saved.contains(part)) << part;
    auto again = Read(saved);
    EXPECT_EQ(TextOf(*again), TextOf(*doc));
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
}

// LibreOffice's letter with a date, page numbers, a reference to a bookmark, links, a
// bookmark over two paragraphs and an empty one (fields-bookmarks.fodt).
TEST(RtfSampleDocuments, FieldsAndBookmarks)
{
    const QByteArray rtf = Sample("fields-bookmarks.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    auto doc = Read(rtf);
    const struct {
        const char* before;
        const char* result;
        const char* instruction;
    } fields[] = {
        {"letter of ", "11.12.2026", "DATE \\\\@\"dd\\\\.MM\\\\.yyyy\""},
        {"agreed in clause ", "Clause 4: the fees are due", "REF fees \\\\h"},
        {"Signed by ", "Anna Berg", "USERNAME"},
    };
    for (const auto& f : fields) {
        QTextCursor at = doc->find(QString(f.before) + f.result);
        ASSERT_FALSE(at.isNull()) << f.result;
        at.setPosition(at.selectionStart() + int(qstrlen(f.before)) + 1);
        const QVariantList around = at.charFormat().property(RtfEngine::kFieldsProperty).toList();
        ASSERT_EQ(around.size(), 1) << f.result;
        EXPECT_TRUE(around[0].toByteArray().contains(f.instruction)) << around[0].toByteArray().constData();
    }
    EXPECT_EQ(FormatOf(*doc, "our terms").anchorHref(), "https://example.com/terms");
    EXPECT_EQ(FormatOf(*doc, "the fee clause").anchorHref(), "#fees");
    EXPECT_EQ(KeptMarks(*doc).size(), 6) << "three bookmarks of two anchors each, none shown";

    const QByteArray saved = RtfEngine::WriteRtf(*doc);
    for (const char* word : {"\\field", "\\fldinst", "\\fldrslt", "\\bkmkstart", "\\bkmkend", "HYPERLINK"})
        EXPECT_EQ(saved.count(word), rtf.count(word)) << word << "\n" << saved.constData();
    for (const char* part : {"{\\*\\bkmkstart fees}Clause 4: the fees are due on receipt of the invoice.{\\*\\bkmkend fees}",
                             "{\\*\\bkmkstart sign}{\\*\\bkmkend sign}the date above.",
                             "{\\*\\bkmkstart span}A bookmark", "paragraph.{\\*\\bkmkend span}"})
        EXPECT_TRUE(saved.contains(part)) << part << "\n" << saved.constData();
    auto again = Read(saved);
    EXPECT_EQ(TextOf(*again), TextOf(*doc));
    EXPECT_EQ(RtfEngine::WriteRtf(*again), saved);
}
