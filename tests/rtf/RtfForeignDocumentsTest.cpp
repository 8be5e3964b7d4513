// Documents other programs write: starred words this reader knows, deep nesting, text
// in other code pages, lists numbered by "\ls0" or by the older "\pn" groups, and
// pictures of every kind kept through a save.
#include "RtfTestSupport.h"

#include "rtf/ListNumbers.h"
#include "rtf/RtfCodePage.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfReader.h"

#include <QTextBlock>
#include <QTextImageFormat>
#include <QTextList>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

QByteArray Sample(const char* folder, const char* name)
{
    return ReadFile(QString(KELVORA_SOURCE_DIR) + "/" + folder + "/" + name);
}

QString NumberOf(const QTextDocument& doc, const QString& text)
{
    const QTextBlock block = BlockOf(doc, text);
    return block.textList() ? block.textList()->itemText(block) : QString("-");
}

QTextImageFormat FirstImageFormat(const QTextDocument& doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                return it.fragment().charFormat().toImageFormat();
    return {};
}

} // namespace

TEST(RtfForeignDocuments, StarredWordsTheReaderKnowsAreRead)
{
    struct Case { const char* what; QByteArray body; QString text; };
    const Case cases[] = {
        {"a starred character style keeps its text", "{\\*\\cs7 \\b Every} {\\*\\cs7 styled} run\\par ", "Every styled run"},
        {"a starred paragraph word", "\\pard{\\*\\ls0 kept}\\par ", "kept"},
        {"unknown starred destinations are skipped", "a{\\*\\generator Writer 1.0;}{\\*\\unknownthing x{y}}b\\par ", "ab"},
        {"a starred destination the reader skips", "a{\\*\\themedata 0102}b\\par ", "ab"},
        {"the Unicode twin is read, not its ANSI twin", "a{\\upr{Lukasz}{\\*\\ud{\\u321 Lukasz}}}b\\par ",
         QString::fromUtf8("a\u0141ukaszb")},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf(c.body));
        EXPECT_EQ(TextOf(*doc), c.text) << c.what;
    }
    auto doc = Read(Sample("fuzz/corpus/rtf", "starred-char-style.rtf"));
    EXPECT_EQ(TextOf(*doc), "Every styled run is kept.");
    EXPECT_EQ(FormatOf(*doc, "Every").fontWeight(), QFont::Bold);
}

TEST(RtfForeignDocuments, NestingIsBoundedByMemoryNotByAFixedThousand)
{
    auto email = Read(Sample("fuzz/corpus/rtf", "deep-email.rtf"));
    EXPECT_EQ(TextOf(*email), "Forwarded message");
    // Groups inside a skipped destination cost nothing, however deep.
    const int deep = RtfEngine::MaxGroupDepth() + 10;
    auto skipped = Read(Rtf("a{\\*\\unknown " + QByteArray(deep, '{') + QByteArray(deep, '}') + "}b\\par "));
    EXPECT_EQ(TextOf(*skipped), "ab");
    // What truly cannot be held is refused with its message.
    try {
        Read(Rtf(QByteArray(deep, '{') + "x" + QByteArray(deep, '}')));
        ADD_FAILURE() << "read";
    } catch (const RtfEngine::ERtfError& e) {
        EXPECT_STREQ(e.what(), "RTF groups are nested too deeply");
    }
}

TEST(RtfForeignDocuments, OtherCodePagesReadAndSaveBackTheSame)
{
    struct Case { const char* what; QByteArray rtf; QString text; };
    const QByteArray sjis = "{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}{\\f1\\fnil\\fcharset204 Arial;}}";
    const Case cases[] = {
        {"central European page", "{\\rtf1\\ansi\\ansicpg1250 \\'ab\\'a3ukasz\\'bb \\'e9\\'80\\'b6\\par}",
         QString::fromUtf8("«Łukasz» é€¶")},
        {"Shift JIS, a second byte written as a backslash", "{\\rtf1\\ansi" + sjis + "\\f0 \\'8d\\\\\\'91\\'a2 \\'83T\\par}",
         QString::fromUtf8("構造 サ")},
        {"Big5", "{\\rtf1\\ansi\\ansicpg950 \\'a4\\'a4\\'a4\\'e5\\par}", QString::fromUtf8("中文")},
        {"a Cyrillic font holding letters 1252 also has", "{\\rtf1\\ansi" + sjis + "\\f1 \\'cf\\'e8 \\u233?\\par}",
         QString::fromUtf8("Пи é")},
        {"a Mac font table whose entries have no group", "{\\rtf1\\mac{\\fonttbl\\f0\\fswiss\\fcharset77 Helvetica;}\\f0 Caf\\'8e\\par}",
         QString::fromUtf8("Café")},
    };
    for (const Case& c : cases) {
        auto doc = Read(c.rtf);
        EXPECT_EQ(TextOf(*doc), c.text) << c.what;
        EXPECT_EQ(TextOf(*RoundTrip(*doc)), c.text) << c.what << " after saving";
    }
    auto mac = Read(Sample("fuzz/corpus/rtf", "dbcs-mac-japanese.rtf"));
    EXPECT_TRUE(TextOf(*mac).startsWith(QString::fromUtf8("日本語の構造サポート"))) << TextOf(*mac).toStdString();
}

TEST(RtfForeignDocuments, ListZeroAndOlderNumberingGroupsAreLists)
{
    const QByteArray table =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}\\listid100}}{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls0}}";
    auto zero = Read(Rtf(table + "\\pard\\ls0 Apples\\par\\pard\\ls0 Pears\\par\\pard Plain\\par "));
    EXPECT_EQ(NumberOf(*zero, "Apples"), "1.");
    EXPECT_EQ(NumberOf(*zero, "Pears"), "2.");
    EXPECT_EQ(NumberOf(*zero, "Plain"), "-");
    EXPECT_EQ(NumberOf(*RoundTrip(*zero), "Pears"), "2.");

    // "\ls5" names no table: the numbering groups decide.
    auto pn = Read(Rtf("\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}\\ls5 Bullet\\par "
                       "\\pard{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart3{\\pntxtb (}{\\pntxta )}}\\ls5 Roman\\par "));
    const QTextBlock bullet = BlockOf(*pn, "Bullet");
    ASSERT_TRUE(bullet.textList());
    EXPECT_EQ(bullet.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(RtfEngine::ListMarkerOf(BlockOf(*pn, "Roman")), "(iii)");
    EXPECT_EQ(RtfEngine::ListMarkerOf(BlockOf(*RoundTrip(*pn), "Roman")), "(iii)");
}

TEST(RtfForeignDocuments, PicturesOfEveryKindSurviveASave)
{
    struct Case { const char* what; QByteArray pict; QByteArray data; };
    const Case cases[] = {
        {"Mac picture nothing draws", "{\\pict\\macpict\\picw20\\pich10\\picwgoal600\\pichgoal300 0011ff}", "0011ff"},
        {"damaged metafile", "{\\pict\\wmetafile8\\picwgoal600\\pichgoal300 0100090000}", "0100090000"},
    };
    for (const Case& c : cases) {
        auto doc = Read(Rtf("x" + c.pict + "y\\par "));
        EXPECT_EQ(TextOf(*doc), QString("x") + QChar::ObjectReplacementCharacter + "y") << c.what;
        const QTextImageFormat format = FirstImageFormat(*doc);
        EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>().isNull()) << c.what;
        EXPECT_DOUBLE_EQ(format.width(), 40) << c.what;
        const QByteArray saved = RtfEngine::WriteRtf(*doc);
        EXPECT_TRUE(saved.contains(c.data)) << c.what;
        auto again = Read(saved);
        EXPECT_EQ(TextOf(*again), TextOf(*doc)) << c.what;
        EXPECT_EQ(FirstImageFormat(*again).width(), format.width()) << c.what;
    }
    // A drawn metafile goes back as the metafile it was, not as a bitmap of it.
    auto wmf = Read(Sample("tests/rtf/samples", "metafile-wmf.rtf"));
    const QByteArray saved = RtfEngine::WriteRtf(*wmf);
    EXPECT_TRUE(saved.contains("\\wmetafile8")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("d7cdc69a00000000000064003200a00500000000e75201000900000328000000"));
    EXPECT_FALSE(saved.contains("\\pngblip"));
}

TEST(RtfForeignDocuments, FontsOfOtherCodePagesAreFoundInTheFontTable)
{
    const QByteArray table = "{\\fonttbl{\\f0\\froman\\fcharset0 Times;}{\\f1\\fnil\\fcharset128{\\*\\panose 00}MS Mincho;}"
                             "{\\f12\\fswiss\\cpg1250\\fcharset0 Arial CE;}{\\f3\\fnil\\fcharset2 Symbol;}"
                             "{\\f4\\fnil\\fcharset204{\\*\\falt Arial Cyr;}Arial;}}";
    const std::map<int, int> expected = {{1, 932}, {12, 1250}, {4, 1251}};
    EXPECT_EQ(RtfEngine::ForeignFontCodePages(table), expected);
    EXPECT_TRUE(RtfEngine::ForeignFontCodePages("{\\fonttbl{\\f0 Arial;}}").empty());
}

TEST(RtfForeignDocuments, ALeadByteWaitsForItsSecondHalf)
{
    EXPECT_TRUE(RtfEngine::EndsInLeadByte("a\x8d", 932));
    EXPECT_FALSE(RtfEngine::EndsInLeadByte("\x8d\x81", 932)); // a pair whose second byte could lead
    EXPECT_TRUE(RtfEngine::EndsInLeadByte("\x8d\x81\x81", 932));
    EXPECT_FALSE(RtfEngine::EndsInLeadByte("a\x8d", 1252));
    EXPECT_FALSE(RtfEngine::EndsInLeadByte("", 936));
}
