// Character and paragraph formatting: tags, sizes, entities, control words, indents.
#include "ConverterTestSupport.h"

#include "rtf2html/Formatting.h"
#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

namespace rtf2html::test {
namespace {


TEST(Formatting, CharacterAttributes) {
    ExpectBodies({
        {"bold word, second space is text", "\\b Hello\\b0  world", "<B>Hello</B> world"},
        {"open and close order", "{\\colortbl;\\red255\\green0\\blue0;}{\\fonttbl{\\f1 Arial;}}\\b\\i\\fs20\\cf1\\f1 x",
         "<B><I><FONT COLOR=\"#FF0000\"><FONT FACE=\"Arial\"><FONT SIZE=-1>x</FONT></FONT></FONT></I></B>"},
        {"underline kinds", "\\uldb a\\ulnone b\\ulwave c\\ul0 d", "<U>a</U>b<U>c</U>d"},
        {"sub before sup", "\\super\\sub x\\nosupersub y", "<SUB><SUP>x</SUP></SUB>y"},
        {"up and dn words", "\\up6 a\\nosupersub\\dn4 b", "<SUP>a</SUP><SUB>b</SUB>"},
        {"strike", "\\strike a\\strike0 b\\strikedl c\\strikedl0 d", "<S>a</S>b<S>c</S>d"},
        {"an unchanged flag reopens nothing", "\\b a\\b b", "<B>ab</B>"},
        {"plain closes and resets", "\\b\\i a\\plain b", "<B><I>a</I></B>b"},
        {"caps", "\\caps ab\\caps0 cd", "ABcd"},
        {"entities", "a<b>&c", "a&lt;b&gt;&amp;c"},
        {"unknown words are ignored", "\\foo\\bar12 x\\zz-3 y", "xy"},
    });
}

TEST(Formatting, FontSizeSteps) {
    const std::pair<int, const char*> cases[] = {{24, "+0"}, {16, "-2"}, {17, "-2"}, {18, "-1"}, {22, "-1"},
                                                 {26, "+1"}, {30, "+1"}, {32, "+2"}, {40, "+2"}, {42, "+3"},
                                                 {56, "+3"}, {58, "+4"}, {0, "-2"}};
    for (const auto& [halfPoints, step] : cases)
        EXPECT_EQ(BodyOf("\\fs" + std::to_string(halfPoints) + " x"),
                  std::string("<FONT SIZE=") + step + ">x</FONT>")
            << halfPoints;
    EXPECT_EQ(FontSizeTag(12), "<FONT SIZE=+0>");
    EXPECT_EQ(FontSizeTag(13), "<FONT SIZE=+1>");
}

TEST(Formatting, HexPairs) {
    ExpectBodies({
        {"umlauts", "\\'e4\\'f6\\'fc\\'c4\\'d6\\'dc\\'df\\'b7", "&auml;&ouml;&uuml;&Auml;&Ouml;&Uuml;&szlig;&middot;"},
        {"caps umlauts", "\\caps\\'e4\\'f6\\'fc", "&Auml;&Ouml;&Uuml;"},
        {"upper-case pair is the raw byte", "\\'E4\\'41", "\xE4" "A"},
        {"other pairs are raw bytes", "\\'e9\\'20x", "\xE9 x"},
    });
    EXPECT_EQ(HexValue("ff"), 255);
    EXPECT_EQ(HexValue("0A"), 10);
    EXPECT_EQ(HexValue("9b"), 155);
}

TEST(Formatting, UnicodeEscapesBecomeCharacterReferences) {
    ExpectBodies({
        {"name beyond the code page", "\\u321?ukasz W\\'f3jcik", "&#321;ukasz W\xF3jcik"},
        {"negative unit", "\\u-1279?x", "&#64257;x"},
        {"surrogate pair", "a\\u-10179?\\u-8704?b", "a&#128512;b"},
        {"hex fallback", "\\u8364\\'80 x", "&#8364; x"},
        {"no fallback before a group", "\\u321{\\b x}", "&#321;<B>x</B>"},
        {"hidden", "\\v\\u321?\\v0 x", "x"},
        {"other u words", "\\ul x\\ulnone", "<U>x</U>"},
        {"latin-1 keeps its fallback", "K\\u252\\'fcndigung", "K&uuml;ndigung"},
        // Writers that go through an older format put "?" where the character was.
        {"latin-1 with a question mark for fallback", "Gr\\u246\\'3f\\u223\\'3fe \\u233?", "Gr&ouml;&szlig;e \xE9"},
        {"the fallback count holds for its group", "{\\uc0\\u8226 }\\u322?ukasz{\\uc2\\u321 ab}x", "&#8226;&#322;ukasz&#321;x"},
        {"latin-1 without fallback", "\\uc0\\u246\\u65  x", "&ouml;A x"},
    });
}

TEST(Formatting, BadHexDigitEndsTheConversionWithItsMessage) {
    for (const char* rtf : {"\\'zz", "\\'4g", "\\' 1"}) {
        try {
            Convert(rtf);
            FAIL() << rtf;
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos);
        }
    }
    EXPECT_THROW(HexValue("x1"), EConvertError);
}

TEST(Formatting, HiddenText) {
    ExpectBodies({
        {"hidden tab writes nothing", "a\\v\\tab\\v0 b", "ab"},
        {"hidden character still reopens tags", "\\b a\\b0\\v b\\v0 c", "<B>a</B>c"},
        {"hidden escapes and typographic marks", "\\v\\'e4\\~\\emdash\\lquote\\ldblquote\\v0 x", "x"},
        {"typographic marks", "\\tab|\\emdash|\\endash|\\emspace|\\enspace|\\lquote\\rquote|\\ldblquote\\rdblquote",
         "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;|--|-|&nbsp;&nbsp;|&nbsp;|''|\"\""},
        {"line and page", "a\\line b\\page c", "a<BR>b<BR><HR><BR>c"},
    });
}

TEST(Formatting, ParagraphsAndAlignment) {
    ExpectBodies({
        {"centre and right close in order", "{\\qr\\qc x\\par}", "<CENTER>x</DIV></CENTER><BR>"},
        {"right", "{\\qr x\\par y\\par}", "<DIV ALIGN=right>x</DIV><BR><DIV ALIGN=right>y</DIV><BR>"},
        {"alignment waits for the paragraph start", "{a\\qc b\\par c\\par}", "ab</CENTER><BR><CENTER>c</CENTER><BR>"},
        {"tags close at the paragraph end", "{\\b a\\par b}", "<B>a</B><BR><B>b</B>"},
        {"pard resets alignment", "{\\qc a\\par\\pard b\\par}", "<CENTER>a</CENTER><BR>b<BR>"},
    });
}

TEST(Formatting, ListsFromIndents) {
    ExpectBodies({
        {"first-line indent before left indent counts", "{\\fi-360\\li720 a\\par}", "<UL><UL>a<BR></UL></UL>"},
        {"first-line indent after left indent does not", "{\\li720\\fi-360 a\\par}", "<UL><UL><UL>a<BR></UL></UL></UL>"},
        {"exactly one step", "{\\li285 a}", "<UL>a</UL>"},
        {"just above one step", "{\\li286 a}", "<UL><UL>a</UL></UL>"},
        {"negative left indent is ignored", "{\\li-360\\li300 a}", "<UL><UL>a</UL></UL>"},
        {"levels survive paragraph ends", "{\\li300 a\\par b\\par\\pard c}", "<UL><UL>a<BR>b<BR></UL></UL>c"},
        {"only the first left indent counts", "{\\li300\\li5000 a}", "<UL><UL>a</UL></UL>"},
    });
    // At most 21 levels.
    std::string deep = "{\\li100000 a}";
    std::string expected = std::string() + "a";
    for (int i = 0; i < 21; ++i) expected = "<UL>" + expected + "</UL>";
    EXPECT_EQ(BodyOf(deep), expected);
}

TEST(Formatting, Colours) {
    const std::string table = "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}";
    ExpectBodies({
        {"a number beyond the table uses the last entry", table + "\\cf7 x", "<FONT COLOR=\"#000080\">x</FONT>"},
        {"entry 0 is the automatic colour", table + "\\cf0 x", "<FONT COLOR=\"#000000\">x</FONT>"},
        {"without a table colour words change nothing", "\\cf2 x\\cf0 y", "xy"},
        {"a negative number changes nothing", table + "\\cf1 a\\cf-1 b", "<FONT COLOR=\"#FF0000\">ab</FONT>"},
        {"an unreadable number counts as 0", table + "\\cfx a", "<FONT COLOR=\"#000000\">a</FONT>"},
    });
}

TEST(Formatting, FontFaces) {
    const std::string table = "{\\fonttbl{\\f3 Arial;}{\\f7 Georgia;}}";
    ExpectBodies({
        {"face by number", table + "\\f7 x\\f3 y", "<FONT FACE=\"Georgia\">x</FONT><FONT FACE=\"Arial\">y</FONT>"},
        {"unknown number: the last slot's empty name", table + "\\f9 x", "<FONT FACE=\"\">x</FONT>"},
    });
}

TEST(Formatting, ControlWordActionDirectly) {
    TWriterRun w;
    format fmt;
    EXPECT_EQ(ControlWordAction(w.Run, "li600", fmt), "<UL><UL><UL>");
    EXPECT_EQ(w.Run.IndentTotal, 600);
    EXPECT_EQ(ControlWordAction(w.Run, "pard", fmt), "</UL></UL></UL>");
    EXPECT_EQ(w.Run.ListDepth, 0);
    fmt.TableState = FirstCellOpen;
    EXPECT_EQ(ControlWordAction(w.Run, "li600", fmt), ""); // no lists inside tables
    EXPECT_EQ(ControlWordAction(w.Run, "fs25", fmt), "");
    EXPECT_EQ(fmt.FontSize, 12);
    EXPECT_EQ(ControlWordAction(w.Run, "fs-7", fmt), "");
    EXPECT_EQ(fmt.FontSize, -3);
}

TEST(Formatting, FormatRecordOperations) {
    format a;
    a.Bold = true;
    a.Color = "#FF0000";
    a.AlignCenter = true;
    a.TableState = RowClosed;
    format b;
    CopyFormat(b, a);
    EXPECT_EQ(b.TableState, OutsideTable);
    EXPECT_FALSE(FormatsDiffer(a, b));
    b.TableState = CellPending;
    EXPECT_FALSE(FormatsDiffer(a, b));
    b.Color = "#FF0001";
    EXPECT_TRUE(FormatsDiffer(a, b));
    ResetFormat(a, TResetScope::Text);
    EXPECT_FALSE(a.Bold);
    EXPECT_EQ(a.Color, "none");
    EXPECT_TRUE(a.AlignCenter);
    ResetFormat(a, TResetScope::Par);
    EXPECT_FALSE(a.AlignCenter);
    EXPECT_EQ(a.TableState, RowClosed);
    ResetFormat(a, TResetScope::All);
    EXPECT_EQ(a.TableState, OutsideTable);
}

} // namespace
} // namespace rtf2html::test
