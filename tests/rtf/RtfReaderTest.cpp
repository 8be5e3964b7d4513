// Reading RTF into a document: text, character and paragraph formatting, structure.
#include "RtfTestSupport.h"

#include "rtf/RtfReader.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTextBlock>
#include <QUrl>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace RtfTest;

TEST(RtfReader, ParagraphsAndBreaks)
{
    struct Case { const char* body; const char* text; };
    const Case cases[] = {
        {"one\\par two\\par ", "one\ntwo"},
        {"one\\par two", "one\ntwo"},
        {"one\\par\\par ", "one\n"},
        {"a\\line b\\par ", "a\u2028b"},
        {"a\\tab b\\par ", "a\tb"},
        {"x\\\r\ny", "x\ny"},
        {"\\{brace\\} \\\\\\par ", "{brace} \\"},
        {"caf\\'e9\\par ", "caf\u00e9"},
        {"\\u8364?uro\\par ", "\u20acuro"},
        {"{\\uc2\\u8364 ab}c\\par ", "\u20acc"},
        {"\\u-3913?\\par ", "\uf0b7"},
        {"{\\*\\unknown hidden}shown\\par ", "shown"},
        {"{\\header head}{\\footer foot}body\\par ", "body"},
        {"\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\par ",
         "\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(TextOf(*doc), QString::fromUtf8(c.text)) << c.body;
    }
}

TEST(RtfReader, CharacterFormatting)
{
    using Check = bool (*)(const QTextCharFormat&);
    struct Case { const char* body; Check check; const char* what; };
    const Case cases[] = {
        {"{\\b X}", [](const QTextCharFormat& f) { return f.fontWeight() == QFont::Bold; }, "bold"},
        {"{\\b\\b0 X}", [](const QTextCharFormat& f) { return f.fontWeight() == QFont::Normal; }, "bold off"},
        {"{\\i X}", [](const QTextCharFormat& f) { return f.fontItalic(); }, "italic"},
        {"{\\ul X}", [](const QTextCharFormat& f) { return f.fontUnderline(); }, "underline"},
        {"{\\uldb X}", [](const QTextCharFormat& f) { return f.fontUnderline(); }, "double underline"},
        {"{\\ul\\ulnone X}", [](const QTextCharFormat& f) { return !f.fontUnderline(); }, "underline off"},
        {"{\\strike X}", [](const QTextCharFormat& f) { return f.fontStrikeOut(); }, "strike"},
        {"{\\fs40 X}", [](const QTextCharFormat& f) { return f.fontPointSize() == 20; }, "size"},
        {"X", [](const QTextCharFormat& f) { return f.fontPointSize() == 12; }, "default size"},
        {"{\\f1 X}", [](const QTextCharFormat& f) { return f.fontFamilies().toStringList() == QStringList{"Courier New"}; }, "font"},
        {"X", [](const QTextCharFormat& f) { return f.fontFamilies().toStringList() == QStringList{"Arial"}; }, "default font"},
        {"{\\f2 X}", [](const QTextCharFormat& f) { return f.fontFamilies().toStringList() == QStringList{"Odd Name"}; }, "font name cleaned"},
        {"{\\cf1 X}", [](const QTextCharFormat& f) { return f.foreground().color() == QColor(255, 0, 0); }, "colour"},
        {"{\\cf0 X}", [](const QTextCharFormat& f) { return f.foreground().style() == Qt::NoBrush; }, "auto colour"},
        {"{\\highlight2 X}", [](const QTextCharFormat& f) { return f.background().color() == QColor(0, 0, 255); }, "highlight"},
        {"{\\chcbpat1 X}", [](const QTextCharFormat& f) { return f.background().color() == QColor(255, 0, 0); }, "shading"},
        {"{\\super X}", [](const QTextCharFormat& f) { return f.verticalAlignment() == QTextCharFormat::AlignSuperScript; }, "super"},
        {"{\\sub X}", [](const QTextCharFormat& f) { return f.verticalAlignment() == QTextCharFormat::AlignSubScript; }, "sub"},
        {"{\\super\\nosupersub X}", [](const QTextCharFormat& f) { return f.verticalAlignment() == QTextCharFormat::AlignNormal; }, "nosupersub"},
        {"{\\v X}", [](const QTextCharFormat& f) { return f.boolProperty(RtfEngine::kHiddenTextProperty); }, "hidden"},
        {"{\\scaps X}", [](const QTextCharFormat& f) { return f.fontCapitalization() == QFont::SmallCaps; }, "small caps"},
        {"{\\b\\i\\fs30\\plain X}", [](const QTextCharFormat& f) { return !f.fontItalic() && f.fontWeight() == QFont::Normal && f.fontPointSize() == 12; }, "plain"},
        {"{\\b{\\i Y}X}", [](const QTextCharFormat& f) { return f.fontWeight() == QFont::Bold && !f.fontItalic(); }, "group restores"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(QByteArray("{\\fonttbl{\\f2\\fnil  Odd Name \\'00;}}a") + c.body + "b\\par "));
        EXPECT_TRUE(c.check(FormatOf(*doc, "X"))) << c.what;
        EXPECT_FALSE(FormatOf(*doc, "a").fontItalic()) << c.what;
    }
}

TEST(RtfReader, ParagraphFormatting)
{
    using Check = bool (*)(const QTextBlockFormat&);
    struct Case { const char* props; Check check; const char* what; };
    const Case cases[] = {
        {"\\qc", [](const QTextBlockFormat& f) { return f.alignment() == Qt::AlignHCenter; }, "centre"},
        {"\\qr", [](const QTextBlockFormat& f) { return f.alignment() == Qt::AlignRight; }, "right"},
        {"\\qj", [](const QTextBlockFormat& f) { return f.alignment() == Qt::AlignJustify; }, "justify"},
        {"\\li720", [](const QTextBlockFormat& f) { return f.leftMargin() == 48; }, "left indent"},
        {"\\ri300", [](const QTextBlockFormat& f) { return f.rightMargin() == 20; }, "right indent"},
        {"\\fi-360\\li720", [](const QTextBlockFormat& f) { return f.textIndent() == -24 && f.leftMargin() == 48; }, "hanging"},
        {"\\sb240\\sa120", [](const QTextBlockFormat& f) { return f.topMargin() == 16 && f.bottomMargin() == 8; }, "spacing"},
        {"\\sl480\\slmult1", [](const QTextBlockFormat& f) { return f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() == 200; }, "double spacing"},
        {"\\tx1440\\tqr\\tx2880", [](const QTextBlockFormat& f) {
             const auto tabs = f.tabPositions();
             return tabs.size() == 2 && tabs[0].position == 96 && tabs[0].type == QTextOption::LeftTab &&
                    tabs[1].position == 192 && tabs[1].type == QTextOption::RightTab; }, "tabs"},
        {"\\qc\\pard", [](const QTextBlockFormat& f) { return f.alignment() == Qt::AlignLeft; }, "pard resets"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(QByteArray("before\\par ") + c.props + " X\\par\\pard after\\par "));
        EXPECT_TRUE(c.check(BlockOf(*doc, "X").blockFormat())) << c.what;
        EXPECT_EQ(BlockOf(*doc, "after").blockFormat().leftMargin(), 0) << c.what;
        EXPECT_EQ(BlockOf(*doc, "before").blockFormat().alignment(), Qt::AlignLeft) << c.what;
    }
}

TEST(RtfReader, PageBreaks)
{
    for (const char* body : {"one\\par \\page two\\par ", "one\\page two\\par ", "one\\par \f two\\par ",
                             "one\\par\\pagebb two\\par "}) {
        auto doc = Read(Rtf(body));
        ASSERT_EQ(doc->blockCount(), 2) << body;
        EXPECT_EQ(doc->begin().next().text().trimmed(), "two") << body;
        EXPECT_TRUE(doc->begin().next().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) << body;
        EXPECT_FALSE(doc->begin().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) << body;
    }
}

TEST(RtfReader, HyperlinkFieldShowsResultWithTarget)
{
    auto doc = Read(Rtf("see {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a\"}}{\\fldrslt{\\ul\\cf2 the site}}} now\\par "
                        "{\\field{\\*\\fldinst HYPERLINK \\\\l \"top\"}{\\fldrslt jump}}\\par "
                        "{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par "));
    EXPECT_EQ(TextOf(*doc), "see the site now\njump\n7");
    const QTextCharFormat link = FormatOf(*doc, "the site");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), "http://example.com/a");
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_FALSE(FormatOf(*doc, "now").isAnchor());
    EXPECT_EQ(FormatOf(*doc, "jump").anchorHref(), "#top");
    EXPECT_FALSE(FormatOf(*doc, "7").isAnchor());
}

TEST(RtfReader, CodePages)
{
    struct Case { QByteArray rtf; const char* text; };
    const Case cases[] = {
        {"{\\rtf1\\ansi\\ansicpg1252 \\'80\\'e9\\par}", "\u20ac\u00e9"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1\\par}", "\u0410\u0431"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 A;}{\\f1\\fcharset161 G;}}\\'e1{\\f1 \\'e1}\\par}", "\u00e1\u03b1"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 J;}}\\'82\\'a0\\par}", "\u3042"},
        {"{\\rtf1\\ansi caf\xe9\\par}", "caf\u00e9"},
    };
    for (const Case& c : cases) {
        auto doc = Read(c.rtf);
        EXPECT_EQ(TextOf(*doc), QString::fromUtf8(c.text)) << c.rtf.constData();
    }
}

TEST(RtfReader, PilcrowsBeforeParagraphMarksShowAsText)
{
    // The pilcrow command puts byte 182 before every "\par" of the source, "\pard" included.
    auto doc = Read(Rtf("\xb6\\pard one\xb6\\par two\xb6\\par "));
    EXPECT_EQ(TextOf(*doc), "\u00b6one\u00b6\ntwo\u00b6");
}

TEST(RtfReader, Lists)
{
    auto doc = Read(Rtf(
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}"
        "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01);}}\\listid7}"
        "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid8}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid8\\listoverridecount0\\ls2}}"
        "\\pard\\ls1 dot one\\par dot two\\par\\ilvl1 letter\\par\\pard plain\\par"
        "\\ls2{\\listtext 1.\\tab}num one\\par num two\\par\\pard "
        "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}old bullet\\par "
        "{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxta .}}roman\\par\\pard end\\par "));
    EXPECT_EQ(TextOf(*doc), "dot one\ndot two\nletter\nplain\nnum one\nnum two\nold bullet\nroman\nend");
    const QTextList* dots = BlockOf(*doc, "dot one").textList();
    ASSERT_TRUE(dots);
    EXPECT_EQ(dots->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(BlockOf(*doc, "dot two").textList(), dots);
    const QTextList* letters = BlockOf(*doc, "letter").textList();
    ASSERT_TRUE(letters);
    EXPECT_EQ(letters->format().style(), QTextListFormat::ListLowerAlpha);
    EXPECT_EQ(letters->format().indent(), 2);
    EXPECT_EQ(letters->format().numberSuffix(), ")");
    EXPECT_FALSE(BlockOf(*doc, "plain").textList());
    const QTextList* numbers = BlockOf(*doc, "num one").textList();
    ASSERT_TRUE(numbers);
    EXPECT_EQ(numbers->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(numbers->count(), 2);
    ASSERT_TRUE(BlockOf(*doc, "old bullet").textList());
    EXPECT_EQ(BlockOf(*doc, "old bullet").textList()->format().style(), QTextListFormat::ListDisc);
    ASSERT_TRUE(BlockOf(*doc, "roman").textList());
    EXPECT_EQ(BlockOf(*doc, "roman").textList()->format().style(), QTextListFormat::ListUpperRoman);
    EXPECT_FALSE(BlockOf(*doc, "end").textList());
}

TEST(RtfReader, Tables)
{
    auto doc = Read(Rtf("before\\par\\trowd\\trgaph108\\cellx1440\\cellx4320 "
                        "\\pard\\intbl a1\\cell a2\\par second\\cell\\row"
                        "\\trowd\\cellx1440\\cellx4320\\pard\\intbl {\\b b1}\\cell b2\\cell\\row"
                        "\\pard after\\par "));
    QTextCursor cursor = doc->find("a1");
    QTextTable* table = cursor.currentTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    auto cellText = [&](int r, int c) {
        QTextCursor in = table->cellAt(r, c).firstCursorPosition();
        in.setPosition(table->cellAt(r, c).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return in.selectedText();
    };
    EXPECT_EQ(cellText(0, 0), "a1");
    EXPECT_EQ(cellText(0, 1), QString("a2") + QChar::ParagraphSeparator + "second");
    EXPECT_EQ(cellText(1, 0), "b1");
    EXPECT_EQ(cellText(1, 1), "b2");
    EXPECT_EQ(FormatOf(*doc, "b1").fontWeight(), QFont::Bold);
    const auto widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[0].rawValue(), 96);
    EXPECT_EQ(widths[1].rawValue(), 192);
    EXPECT_FALSE(doc->find("before").currentTable());
    EXPECT_FALSE(doc->find("after").currentTable());
}

namespace {

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage TestImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 40));
    image.setPixelColor(0, 0, QColor(0, 0, 255));
    return image;
}

// The picture of the first image character of the document.
QImage FirstPicture(const QTextDocument& doc, QTextImageFormat* format = nullptr)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat f = it.fragment().charFormat().toImageFormat();
                if (format) *format = f;
                return doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
            }
    return {};
}

} // namespace

TEST(RtfReader, Pictures)
{
    const QImage image = TestImage();
    const QByteArray dib = Encoded(image, "BMP").mid(14); // without the file header
    struct Case { QByteArray pict; const char* what; };
    const Case cases[] = {
        {"{\\pict\\pngblip\\picw4\\pich3\\picwgoal900\\pichgoal450\r\n" + Encoded(image, "PNG").toHex() + "}", "png hex"},
        {"{\\pict\\pngblip\\picwgoal900\\pichgoal450\\bin" + QByteArray::number(Encoded(image, "PNG").size()) + " " +
             Encoded(image, "PNG") + "}", "png binary"},
        {"{\\pict\\dibitmap0\\picwgoal900\\pichgoal450 " + dib.toHex() + "}", "dib"},
        {"{\\*\\shppict{\\pict\\pngblip\\picwgoal900\\pichgoal450 " + Encoded(image, "PNG").toHex() + "}}"
         "{\\nonshppict{\\pict\\wmetafile8 0100}}", "shppict"},
        {"{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picwgoal900\\pichgoal450 " +
             Encoded(image, "PNG").toHex() + "}}}}{\\shprslt{\\pict\\wmetafile8 0100}}}", "shape picture"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf("a" + c.pict + "b\\par "));
        QTextImageFormat format;
        const QImage read = FirstPicture(*doc, &format);
        ASSERT_FALSE(read.isNull()) << c.what;
        EXPECT_EQ(read.size(), image.size()) << c.what;
        EXPECT_EQ(read.pixelColor(0, 0), QColor(0, 0, 255)) << c.what;
        EXPECT_EQ(read.pixelColor(3, 2), QColor(200, 30, 40)) << c.what;
        EXPECT_EQ(format.width(), 60) << c.what;
        EXPECT_EQ(format.height(), 30) << c.what;
        EXPECT_EQ(TextOf(*doc), QString("a") + QChar::ObjectReplacementCharacter + "b") << c.what;
    }
    auto jpeg = Read(Rtf("{\\pict\\jpegblip " + Encoded(image, "JPEG").toHex() + "}\\par "));
    EXPECT_EQ(FirstPicture(*jpeg).size(), image.size());
    // A metafile nothing can draw shows as a frame.
    auto metafile = Read(Rtf("x{\\pict\\wmetafile8 0100090000}y\\par "));
    EXPECT_EQ(TextOf(*metafile), QString("x") + QChar::ObjectReplacementCharacter + "y");
}

TEST(RtfReader, InsertsAtCursorReplacingSelectionAsOneUndoStep)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("keep OLD tail");
    cursor.setPosition(5);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    RtfEngine::ReadRtf(Rtf("{\\b new}"), cursor);
    EXPECT_EQ(TextOf(doc), "keep new tail");
    EXPECT_EQ(FormatOf(doc, "new").fontWeight(), QFont::Bold);
    doc.undo();
    EXPECT_EQ(TextOf(doc), "keep OLD tail");

    QTextCursor second(&doc);
    second.setPosition(5);
    RtfEngine::ReadRtf(Rtf("one\\par two\\par "), second);
    EXPECT_EQ(TextOf(doc), "keep one\ntwo\nOLD tail");
}

TEST(RtfReader, PlainSubsetKeepsTextOnly)
{
    RtfEngine::ReadOptions plain;
    plain.plain = true;
    auto doc = Read(Rtf("{\\b\\fs40\\cf1 big}\\tab x\\par\\qc\\li720 centred\\par "
                        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c1\\cell c2\\cell\\row\\pard "
                        "{\\pict\\pngblip " + Encoded(TestImage(), "PNG").toHex() + "}end\\par "), plain);
    EXPECT_EQ(TextOf(*doc), "big\tx\ncentred\nc1\tc2\nend");
    EXPECT_NE(FormatOf(*doc, "big").fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatOf(*doc, "big").hasProperty(QTextFormat::FontPointSize));
    EXPECT_EQ(BlockOf(*doc, "centred").blockFormat().leftMargin(), 0);
    EXPECT_FALSE(doc->find("c1").currentTable());
}

TEST(RtfReader, ParagraphFormatAppliesWhereItsMarkIs)
{
    struct Case { const char* what; const char* before; int caret; QByteArray rtf; const char* text; Qt::Alignment first, last; };
    const Case cases[] = {
        {"word into a line keeps the line's format", "ab", 1, Rtf("\\qr word"), "aworddb", Qt::AlignHCenter, Qt::AlignHCenter},
        {"whole document into an empty one", "", 0, Rtf("\\qr tail"), "tail", Qt::AlignRight, Qt::AlignRight},
        {"a marked paragraph takes its format", "ab", 1, Rtf("\\qr one\\par\\pard two"), "aone\ntwob", Qt::AlignRight, Qt::AlignHCenter},
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        cursor.setBlockFormat(centred);
        cursor.insertText(c.before);
        cursor.setPosition(c.caret);
        RtfEngine::ReadRtf(c.rtf, cursor);
        EXPECT_EQ(TextOf(doc), QString(c.text).replace("db", "b")) << c.what;
        EXPECT_EQ(doc.firstBlock().blockFormat().alignment(), c.first) << c.what;
        EXPECT_EQ(doc.lastBlock().blockFormat().alignment(), c.last) << c.what;
    }
}

// A whole document is put into an empty one as it is read (never held twice); what it
// gives must be what reading it first and inserting it after gives (a paste over a
// selection takes that road), list tables written after the text included.
TEST(RtfReader, AWholeDocumentReadAsItGoesEqualsOneReadFirst)
{
    QStringList files;
    for (const char* folder : {"/tests/rtf/samples", "/fuzz/corpus/rtf"})
        for (const QFileInfo& file : QDir(QString(KELVORA_SOURCE_DIR) + folder).entryInfoList({"*.rtf"}, QDir::Files))
            files << file.filePath();
    ASSERT_GT(files.size(), 20);
    for (const QString& file : files) {
        const QByteArray rtf = ReadFile(file);
        QTextDocument streamed;
        QTextCursor into(&streamed);
        QTextDocument readFirst;
        QTextCursor over(&readFirst);
        over.insertText("x");
        over.select(QTextCursor::Document);
        try {
            RtfEngine::ReadRtf(rtf, into);
        } catch (const std::exception&) {
            EXPECT_ANY_THROW(RtfEngine::ReadRtf(rtf, over)) << file.toStdString();
            continue;
        }
        RtfEngine::ReadRtf(rtf, over);
        EXPECT_EQ(RtfEngine::WriteRtf(streamed, 0, -1, {}), RtfEngine::WriteRtf(readFirst, 0, -1, {}))
            << file.toStdString();
    }
}

TEST(RtfReader, ItemsGoOutAsTheyAreReadOnceNoListTableFollows)
{
    QByteArray body;
    for (int i = 0; i < 100; ++i) body += "para " + QByteArray::number(i) + "\\par ";
    int taken = 0;
    const auto count = [&taken](RtfEngine::RtfItem&&) { ++taken; };
    const RtfEngine::RtfDocument rest = RtfEngine::ParseRtf(Rtf(body).toStdString(), count);
    EXPECT_EQ(taken + int(rest.items.size()), 100);
    EXPECT_GE(taken, 99);
    // A list table after the text numbers what came before it: nothing goes out early.
    taken = 0;
    const RtfEngine::RtfDocument held =
        RtfEngine::ParseRtf(Rtf(body + "{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc0}}}").toStdString(), count);
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(held.items.size(), 100u);
}

TEST(RtfReader, ARefusedWholeDocumentLeavesTheEmptyDocumentAsItWas)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    const int deep = RtfEngine::MaxGroupDepth() + 10;
    QByteArray body;
    for (int i = 0; i < 50; ++i) body += "read before the refusal\\par ";
    EXPECT_THROW(RtfEngine::ReadRtf(Rtf(body + QByteArray(deep, '{') + "x" + QByteArray(deep, '}')), cursor),
                 RtfEngine::ERtfError);
    EXPECT_EQ(doc.toPlainText(), "");
    EXPECT_EQ(doc.blockCount(), 1);
    EXPECT_EQ(doc.begin().blockFormat().alignment(), Qt::AlignHCenter);
}
