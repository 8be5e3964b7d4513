// Write -> read keeps what the editor shows; a second write gives the same bytes.
#include "RtfTestSupport.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

struct CharCase {
    const char* what;
    std::function<void(QTextCharFormat&)> set;
    std::function<bool(const QTextCharFormat&)> check;
};

} // namespace

TEST(RtfRoundTrip, CharacterFormatting)
{
    const CharCase cases[] = {
        {"bold", [](auto& f) { f.setFontWeight(QFont::Bold); }, [](auto& f) { return f.fontWeight() == QFont::Bold; }},
        {"italic", [](auto& f) { f.setFontItalic(true); }, [](auto& f) { return f.fontItalic(); }},
        {"underline", [](auto& f) { f.setFontUnderline(true); }, [](auto& f) { return f.fontUnderline(); }},
        {"strike", [](auto& f) { f.setFontStrikeOut(true); }, [](auto& f) { return f.fontStrikeOut(); }},
        {"size", [](auto& f) { f.setFontPointSize(17.5); }, [](auto& f) { return f.fontPointSize() == 17.5; }},
        {"family", [](auto& f) { f.setFontFamilies({"Courier New"}); },
         [](auto& f) { return f.fontFamilies().toStringList() == QStringList{"Courier New"}; }},
        {"colour", [](auto& f) { f.setForeground(QColor(10, 120, 230)); },
         [](auto& f) { return f.foreground().color() == QColor(10, 120, 230); }},
        {"highlight", [](auto& f) { f.setBackground(QColor(255, 255, 0)); },
         [](auto& f) { return f.background().color() == QColor(255, 255, 0); }},
        {"superscript", [](auto& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); },
         [](auto& f) { return f.verticalAlignment() == QTextCharFormat::AlignSuperScript; }},
        {"subscript", [](auto& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); },
         [](auto& f) { return f.verticalAlignment() == QTextCharFormat::AlignSubScript; }},
        {"hidden", [](auto& f) { f.setProperty(RtfEngine::kHiddenTextProperty, true); },
         [](auto& f) { return f.boolProperty(RtfEngine::kHiddenTextProperty); }},
        {"small caps", [](auto& f) { f.setFontCapitalization(QFont::SmallCaps); },
         [](auto& f) { return f.fontCapitalization() == QFont::SmallCaps; }},
        {"link", [](auto& f) { f.setAnchor(true); f.setAnchorHref("https://example.org/x?a=1"); },
         [](auto& f) { return f.isAnchor() && f.anchorHref() == "https://example.org/x?a=1"; }},
        {"link with a quote", [](auto& f) { f.setAnchor(true); f.setAnchorHref("http://x.org/\"q\""); },
         [](auto& f) { return f.isAnchor() && f.anchorHref() == "http://x.org/%22q%22"; }},
    };
    for (const CharCase& c : cases) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        cursor.insertText("before ");
        QTextCharFormat f;
        c.set(f);
        cursor.insertText("MARK", f);
        cursor.insertText(" after", QTextCharFormat());
        auto read = RoundTrip(doc);
        EXPECT_EQ(TextOf(*read), "before MARK after") << c.what;
        EXPECT_TRUE(c.check(FormatOf(*read, "MARK"))) << c.what << "\n" << RtfEngine::WriteRtf(doc).constData();
        EXPECT_FALSE(c.check(FormatOf(*read, "after"))) << c.what;
        EXPECT_FALSE(c.check(FormatOf(*read, "before"))) << c.what;
    }
}

TEST(RtfRoundTrip, ParagraphFormatting)
{
    struct Case {
        const char* what;
        std::function<void(QTextBlockFormat&)> set;
        std::function<bool(const QTextBlockFormat&)> check;
    };
    const Case cases[] = {
        {"centre", [](auto& f) { f.setAlignment(Qt::AlignHCenter); }, [](auto& f) { return f.alignment() == Qt::AlignHCenter; }},
        {"right", [](auto& f) { f.setAlignment(Qt::AlignRight); }, [](auto& f) { return f.alignment() == Qt::AlignRight; }},
        {"justify", [](auto& f) { f.setAlignment(Qt::AlignJustify); }, [](auto& f) { return f.alignment() == Qt::AlignJustify; }},
        {"indents", [](auto& f) { f.setLeftMargin(48); f.setRightMargin(12); f.setTextIndent(-24); },
         [](auto& f) { return f.leftMargin() == 48 && f.rightMargin() == 12 && f.textIndent() == -24; }},
        {"spacing", [](auto& f) { f.setTopMargin(10); f.setBottomMargin(6); },
         [](auto& f) { return f.topMargin() == 10 && f.bottomMargin() == 6; }},
        {"tabs", [](auto& f) { f.setTabPositions({QTextOption::Tab(96, QTextOption::LeftTab), QTextOption::Tab(200, QTextOption::RightTab)}); },
         [](auto& f) { auto t = f.tabPositions(); return t.size() == 2 && t[0].position == 96 && t[1].position == 200 && t[1].type == QTextOption::RightTab; }},
        {"page break", [](auto& f) { f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore); },
         [](auto& f) { return bool(f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore); }},
        {"line height", [](auto& f) { f.setLineHeight(150, QTextBlockFormat::ProportionalHeight); },
         [](auto& f) { return f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() == 150; }},
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        cursor.insertText("first");
        QTextBlockFormat f;
        c.set(f);
        cursor.insertBlock(f);
        cursor.insertText("MARK");
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText("last");
        auto read = RoundTrip(doc);
        EXPECT_EQ(TextOf(*read), "first\nMARK\nlast") << c.what;
        EXPECT_TRUE(c.check(BlockOf(*read, "MARK").blockFormat())) << c.what << "\n" << RtfEngine::WriteRtf(doc).constData();
        EXPECT_FALSE(c.check(BlockOf(*read, "last").blockFormat())) << c.what;
        EXPECT_FALSE(c.check(BlockOf(*read, "first").blockFormat())) << c.what;
    }
}

TEST(RtfRoundTrip, ListsKeepStyleLevelAndIdentity)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("intro");
    cursor.insertBlock();
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    QTextList* first = cursor.createList(bullets);
    cursor.insertText("b1");
    cursor.insertBlock();
    cursor.insertText("b2");
    cursor.insertBlock();
    QTextListFormat letters;
    letters.setStyle(QTextListFormat::ListLowerAlpha);
    letters.setIndent(2);
    letters.setNumberSuffix(")");
    cursor.createList(letters);
    cursor.insertText("l1");
    cursor.insertBlock();
    first->add(cursor.block());
    cursor.insertText("b3");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("outro");

    const QByteArray rtf = RtfEngine::WriteRtf(doc);
    // The older numbering groups too, for the HTML converter.
    EXPECT_TRUE(rtf.contains("{\\*\\pn\\pnlvlblt")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\pnlcltr")) << rtf.constData();
    auto read = Read(rtf);
    EXPECT_EQ(TextOf(*read), "intro\nb1\nb2\nl1\nb3\noutro");
    QTextList* b = BlockOf(*read, "b1").textList();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(BlockOf(*read, "b3").textList(), b);
    EXPECT_EQ(b->count(), 3);
    QTextList* l = BlockOf(*read, "l1").textList();
    ASSERT_TRUE(l);
    EXPECT_NE(l, b);
    EXPECT_EQ(l->format().style(), QTextListFormat::ListLowerAlpha);
    EXPECT_EQ(l->format().indent(), 2);
    EXPECT_EQ(l->format().numberSuffix(), ")");
    EXPECT_EQ(l->itemText(BlockOf(*read, "l1")), "a)");
    EXPECT_FALSE(BlockOf(*read, "intro").textList());
    EXPECT_FALSE(BlockOf(*read, "outro").textList());
}

TEST(RtfRoundTrip, Table)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("above");
    QTextTableFormat format;
    format.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 100), QTextLength(QTextLength::FixedLength, 50)});
    QTextTable* table = cursor.insertTable(2, 2, format);
    const char* texts[2][2] = {{"r0c0", "r0c1"}, {"r1c0", "r1c1"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            QTextCursor in = table->cellAt(r, c).firstCursorPosition();
            in.insertText(texts[r][c], r == 1 && c == 0 ? [] { QTextCharFormat f; f.setFontItalic(true); return f; }() : QTextCharFormat());
        }
    QTextCursor second = table->cellAt(0, 1).lastCursorPosition();
    second.insertBlock();
    second.insertText("more");
    QTextCursor after = table->lastCursorPosition();
    after.movePosition(QTextCursor::NextCharacter);
    after.insertText("below");

    auto read = RoundTrip(doc);
    QTextTable* t = read->find("r0c0").currentTable();
    ASSERT_TRUE(t) << RtfEngine::WriteRtf(doc).constData();
    EXPECT_EQ(t->rows(), 2);
    EXPECT_EQ(t->columns(), 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(t->cellAt(read->find(texts[r][c])).row(), r) << texts[r][c];
    EXPECT_EQ(t->cellAt(read->find("more")).column(), 1);
    EXPECT_TRUE(FormatOf(*read, "r1c0").fontItalic());
    const auto widths = t->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[0].rawValue(), 100);
    EXPECT_EQ(widths[1].rawValue(), 50);
    EXPECT_FALSE(read->find("above").currentTable());
    EXPECT_FALSE(read->find("below").currentTable());
}

TEST(RtfRoundTrip, PictureAsPng)
{
    QImage image(5, 4, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(4, 3, QColor(250, 0, 0));
    QTextDocument doc;
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:pic"), image);
    QTextCursor cursor(&doc);
    cursor.insertText("x");
    QTextImageFormat f;
    f.setName("mem:pic");
    f.setWidth(50);
    f.setHeight(40);
    cursor.insertImage(f);
    cursor.insertText("y");
    const QByteArray rtf = RtfEngine::WriteRtf(doc);
    EXPECT_TRUE(rtf.contains("\\pict\\pngblip"));
    auto read = Read(rtf);
    const QTextCharFormat pic = FormatOf(*read, QString(QChar::ObjectReplacementCharacter));
    ASSERT_TRUE(pic.isImageFormat());
    EXPECT_EQ(pic.toImageFormat().width(), 50);
    EXPECT_EQ(pic.toImageFormat().height(), 40);
    const QImage back = read->resource(QTextDocument::ImageResource, QUrl(pic.toImageFormat().name())).value<QImage>();
    EXPECT_EQ(back.size(), image.size());
    EXPECT_EQ(back.pixelColor(4, 3), QColor(250, 0, 0));

    RtfEngine::WriteOptions noObjects;
    noObjects.includeObjects = false;
    EXPECT_FALSE(RtfEngine::WriteRtf(doc, 0, -1, noObjects).contains("\\pict"));
}

TEST(RtfRoundTrip, TextBeyondTheCodePage)
{
    const QString text = QString::fromUtf8("caf\u00e9 \u20ac \u0416\u4e2d \U0001F600 \u00b6 {x}\\");
    QTextDocument doc;
    QTextCursor(&doc).insertText(text);
    const QByteArray rtf = RtfEngine::WriteRtf(doc);
    for (char c : rtf)
        EXPECT_LT(static_cast<unsigned char>(c), 128) << "the RTF itself is 7-bit";
    EXPECT_EQ(TextOf(*Read(rtf)), text);
}

TEST(RtfRoundTrip, SecondWriteIsIdentical)
{
    // Loading the saved source again (as the pilcrow command does) must not drift.
    auto doc = Read(Rtf("{\\b bold} text\\par\\qc centred\\par\\pard\\page {\\i next}\\line page\\par\\par "));
    const QByteArray once = RtfEngine::WriteRtf(*doc);
    auto again = Read(once);
    EXPECT_EQ(RtfEngine::WriteRtf(*again), once);
    EXPECT_EQ(again->blockCount(), doc->blockCount());
    EXPECT_EQ(TextOf(*again), TextOf(*doc));
}

TEST(RtfRoundTrip, PilcrowsShowAndHide)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText("first @1");
    cursor.insertBlock();
    cursor.insertText("second");
    QByteArray source = RtfEngine::WriteRtf(doc);
    source.replace("\\par", "\xb6\\par");
    auto shown = Read(source);
    EXPECT_EQ(TextOf(*shown), "first @1\u00b6\nsecond\u00b6");

    QByteArray saved = RtfEngine::WriteRtf(*shown);
    EXPECT_EQ(saved.count("\\'b6"), 2);
    saved.replace("\\'b6", "");
    auto hidden = Read(saved);
    EXPECT_EQ(TextOf(*hidden), "first @1\nsecond");
}

TEST(RtfRoundTrip, NumberedListShowsTheSameNumbers)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListDecimal);
    QTextList* list = cursor.createList(numbers);
    cursor.insertText("one");
    cursor.insertBlock();
    cursor.insertText("two");
    auto read = RoundTrip(doc);
    QTextList* back = BlockOf(*read, "two").textList();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->itemText(BlockOf(*read, "two")), list->itemText(BlockOf(doc, "two")));
}

TEST(RtfRoundTrip, PilcrowsLandOnlyAtParagraphEndsAndFormatChanges)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.insertText("a");
    cursor.insertBlock();
    cursor.insertText("b");
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText("c");
    QByteArray source = RtfEngine::WriteRtf(doc);
    source.replace("\\par", "\xb6\\par");
    // "\pard" starts the centred paragraph and the left-aligned one after it.
    EXPECT_EQ(TextOf(*Read(source)), "\u00b6a\u00b6\nb\u00b6\n\u00b6c\u00b6");
}

// Malformed documents load, save and load back to the same document: the same text,
// and saved again, the same RTF.
TEST(RtfRoundTrip, MalformedDocumentsLoadBackAsFirstRead)
{
    const QByteArray cases[] = {
        QByteArray("{\\rtf1 a\\u1?b\\'01c\\u65532?d\\par}"),            // control characters, a lone object stand-in
        QByteArray("{\\rtf1{e\\fonttbl{\\f0 Arial;}}x\\par}"),          // a table after text in its group
        QByteArray("{\\rtf1{\\colortbl{\\fonttbl{\\f0 Arial;}}}s\\par}"), // a table inside another
        QByteArray("{\\rtf1{\\*\\listtable{\\listoverridetable x}}y\\par}"),
        QByteArray("{\\rtf1{\\fonttbl{\\fldrslt t}}x\\par}"),           // a field result inside the font table
        QByteArray("{\\rtf1{\\fonttbl{\\f0 s;}}lo{\\fonttbl{\\f0 "),      // a font renamed by a table cut off
        QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}"),                     // cut off inside the font table
        QByteArray("{\\rtf1{\\lang1031;}r\\par}"),                        // a language that ends
        QByteArray("{\\rtf1{\\fonttbl{\\f2147483647 A;}}\\f2147483647 x\\par}"),
        QByteArray("{\\rtf1{\\colortbl;\\red255;}{\\cf1 a}{\\colortbl;\\red0\\green0\\blue255;}{\\cf1 b}\\par}"),
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}{\\fldrslt 2}}\\par}"), // two results
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst PAGE}\\fldrslt 3}\\par}"),   // a result without its group
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst PAGE}{\\b{\\fldrslt 3}}}\\par}"), // a result in another group
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst PAGE}{\\fldrslt 3"),                 // cut off in the result
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst PA"),                                  // cut off in the instruction
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst A}{\\fldrslt x\\par}}b\\par}"),     // a result of a paragraph mark
        QByteArray("{\\rtf1 a{\\field{\\*\\fldinst A}{\\fldrslt \\par}}b\\par}"),
        QByteArray("{\\rtf1 {\\field{\\*\\fldinst A}{\\fldrslt \\qc x\\par y}}\\par}"),  // paragraph words in a result
        QByteArray("{\\rtf1 x{\\*\\bkmkstart a}\\trowd\\cellx900\\intbl y{\\*\\bkmkend a}\\cell\\row}"),
        QByteArray("{\\rtf1 {e\\*\\bkmkstart a}x{\\*\\bkmkend a}\\par}"),             // a bookmark after text in its group
        QByteArray("{\\rtf1 a{\\field{\\*b\\fldx REF c}{\\fldrslt d}}\\par}"),           // text shown before the result
        QByteArray("{\\rtf1\\ansi \\'82{\\fonttbl{\\f0 Arial;}}@2\\par}"), // a font named after the text before it
        // Document parts inside a field that shows nothing, which is kept whole.
        QByteArray("{\\rtf1{\\field{\\*\\fldinst A}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}}\\pard\\ls1 a\\par}"),
        QByteArray("{\\rtf1{\\field{\\*\\fldinst A}{\\header h}}x\\par}"),
        QByteArray("{\\rtf{\\field\\hyph}"),        // page setup, a row's word and the default
        QByteArray("{\\rtf1{\\field\\trr}x\\cell"),  // font, inside such a field
        QByteArray("{\\rtf1{\\field\\deff3}"),
        QByteArray("{\\rtf1{\\field\\trrtbl{\\fldrslt 3\\cell"), // before a result, whose field keeps it
        // A control character in a level's text, which the writer does not write.
        QByteArray("{\\rtf{\\listtable{\\list{\\listlevel{\\leveltext\\'02\\'0er}}\\listid1}}d\\ls1"),
        // A list the writer makes (for "\\ls7", which no table defines) beside damaged or
        // unusual list tables: references before the lists, a table word in a skipped
        // group, a table inside another.
        QByteArray("{\\rtf1{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}{\\*\\listtable{\\list{\\listlevel"
                   "\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}\\pard\\ls1 a\\par\\pard\\ls7 b\\par}"),
        QByteArray("{\\rtf1{\\*\\listtable{\\*\\x \\listoverridetable}{\\list{\\listlevel\\levelnfc0{\\leveltext"
                   "\\'02\\'00.;}}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 a\\par"
                   "\\pard\\ls7 b\\par}"),
        QByteArray("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}}\\listid1}"
                   "{\\*\\listoverridetable}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 a\\par}"),
    };
    for (const QByteArray& rtf : cases) {
        auto first = Read(rtf);
        const QByteArray saved = RtfEngine::WriteRtf(*first);
        auto second = Read(saved);
        EXPECT_EQ(TextOf(*second), TextOf(*first)) << rtf.constData() << "\n" << saved.constData();
        EXPECT_EQ(RtfEngine::WriteRtf(*second), saved) << rtf.constData();
    }
    EXPECT_EQ(TextOf(*Read(cases[0])), "abcd") << "control characters are not text";
}
