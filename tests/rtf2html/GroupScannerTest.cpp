// The group scanner: groups, symbols, skipped destinations, numbering, styles,
// table-of-contents links, line boundaries and hostile input.
#include "ConverterTestSupport.h"

#include "rtf2html/GroupScanner.h"
#include "rtf2html/LineBuffer.h"
#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rtf2html::test {
namespace {


TEST(GroupScanner, GroupsKeepTheirFormat) {
    ExpectBodies({
        {"bold group", "{\\b bold} plain", "<B>bold</B> plain"},
        {"nested groups", "{\\b a{\\i b}c}d", "<B>a</B><B><I>b</I></B><B>c</B>d"},
        {"a group that changes nothing closes nothing", "{\\b a{x}b}", "<B>axb</B>"},
        {"a stray closing brace ends the conversion", "a}b", "a"},
    });
}

TEST(GroupScanner, SymbolsAndEscapes) {
    ExpectBodies({
        {"escapes", "\\'e4\\~\\-x\\_y", "&auml;&nbsp;x-y"},
        {"escaped braces and backslash", "\\\\\\{\\}", "\\{}"},
        {"unknown symbols are consumed", "a\\|b\\:c", "abc"},
        {"a backslash ending a line is a symbol without action", "a\\\nb", "ab"},
    });
}

TEST(GroupScanner, SkippedDestinations) {
    ExpectBodies({
        {"starred destination", "a{\\*\\generator Some writer;}b", "ab"},
        {"starred character style is text", "a{\\*\\cs7\\b Every} {\\*\\cs8 styled}{\\*\\ls2\\ilvl0 x}b",
         "a<B>Every</B> styledxb"},
        {"starred known words act", "{\\*\\b x}{\\*\\fs48 y}", "<B>x</B><FONT SIZE=+3>y</FONT>"},
        {"the Unicode twin is read, not its ANSI twin", "a{\\upr{\\fs20 Lukasz}{\\*\\ud{\\fs20 \\u321 Lukasz}}}b",
         "a<FONT SIZE=-1>&#321;ukasz</FONT>b"},
        {"starred unknown words with known letters are skipped", "a{\\*\\csx y}{\\*\\cs7x z}b", "ab"},
        {"starred destinations of the skip list stay skipped", "a{\\*\\pict x}{\\*\\listtable y}b", "ab"},
        {"header", "a{\\header \\pard\\plain Page header\\par}b", "ab"},
        {"all skipped words", "{\\footnote x}{\\info{\\title t}}{\\listtable{\\list y}}{\\sp z}{\\template q}.", "."},
        {"picture leaves a marker", "a{\\pict\\pngblip 0123{}}b", "a<P>[*** picture ***]<P>b"},
        {"picture bytes may hold braces", "a{\\pict\\bin3 }}}b}c", "a<P>[*** picture ***]<P>c"},
        {"escaped braces do not end a skipped group", "a{\\*\\x \\} \\{ }b", "ab"},
        {"unlisted destinations are text", "{\\fldinst HYPERLINK}", "HYPERLINK"},
        {"a skipped group across lines", "a{\\*\\x one\ntwo\nthree}b", "ab"},
    });
}

TEST(GroupScanner, BookmarksBreakAParagraphOnce) {
    ExpectBodies({
        {"twice in a paragraph", "a{\\*\\bkmkstart x}b{\\*\\bkmkstart y}c", "a<P>bc"},
        {"again after a paragraph end", "a{\\*\\bkmkstart x}b\\par c{\\*\\bkmkend x}d", "a<P>b<BR>c<P>d"},
        {"unstarred bookmark words are skipped silently", "a{\\bkmkstart x}b", "ab"},
    });
}

TEST(GroupScanner, Styles) {
    const std::string sheet = "{\\stylesheet{\\s0\\fs20 Normal;}{\\s2\\b Strong;}{\\s3\\i\\fs28 Big;}}";
    ExpectBodies({
        {"codes and following words", sheet + "\\s2\\ul text", "<B><U>text</U></B>"},
        {"style word followed by text stays apart", sheet + "\\s2 text", "<B>text</B>"},
        {"style word then text beginning with a space", sheet + "\\s2  text", "<B> text</B>"},
        {"style word ending a line", sheet + "\\s3\ntext", "<I><FONT SIZE=+1>text</FONT></I>"},
        {"undefined style adds nothing", sheet + "\\s44 x", "x"},
        {"style number beyond the table adds nothing", sheet + "\\s4000 x", "x"},
    });
}

TEST(GroupScanner, StylesNamingThemselvesDoNotLoop) {
    // A style whose codes hold style words would splice without end.
    EXPECT_EQ(BodyOf("{\\stylesheet{\\s1\\s2\\b a;}{\\s2\\s1\\i b;}}\\s1 x\\s2 y"), "<B>x</B><B><I>y</I></B>");
}

TEST(GroupScanner, StyleCodesAreLimitedByTheInputSize) {
    // Each style word of a few bytes would put two thousand bytes of codes into
    // the text; past the allowance the styles add no codes, but the text stays.
    std::string codes;
    while (codes.size() < 2000) codes += "\\b\\i";
    std::string rtf = "{\\stylesheet{\\s1" + codes + " X;}}";
    const size_t words = 3 * kSpliceAllowance / 2000;
    for (size_t i = 0; i < words; ++i) rtf += "\\s1 a";
    const std::string body = BodyOf(rtf);
    EXPECT_EQ(body.substr(0, 7), "<B><I>a");
    EXPECT_EQ(size_t(std::count(body.begin(), body.end(), 'a')), words);
    EXPECT_EQ(body.substr(body.size() - 9), "a</I></B>");
}

TEST(GroupScanner, TableOfContentsLinksAndHeadingAnchors) {
    const std::string sheet =
        "{\\stylesheet{\\s1\\b heading 1;}{\\s2 heading 2;}{\\s10 toc 1;}{\\s11 toc 2;}}";
    ExpectBodies({
        {"toc entry links up to the tab",
         sheet + "\\pard\\s10 Intro\\tab 3\\par\\pard\\s10 More\\tab 4\\par",
         "<A HREF=\"#1-1\">Intro</A>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;3<BR>"
         "<A HREF=\"#1-2\">More</A>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;4<BR>"},
        {"heading anchor wraps the first character", sheet + "\\pard\\s1 Intro\\par",
         "<B><A NAME=\"1-1\">I</A>ntro</B><BR>"},
        {"anchors count per level", sheet + "\\s2 A\\par\\s1 B\\par\\plain\\s2 C\\par",
         "<A NAME=\"2-1\">A</A><BR><B><A NAME=\"1-1\">B</A></B><BR><A NAME=\"2-2\">C</A><BR>"},
    });
    // A link opened by a control word's output is closed right after it.
    EXPECT_EQ(BodyOf(sheet + "\\pard\\s10\\tab Intro\\par"),
              "<A HREF=\"#1-1\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</A>Intro<BR>");
    // A toc level without a heading style of that level gets no link.
    EXPECT_EQ(BodyOf("{\\stylesheet{\\s10 toc 3;}}\\s10 Intro\\par"), "Intro<BR>");
}

TEST(GroupScanner, ParagraphNumbering) {
    ExpectBodies({
        {"number before the text", "{\\*\\pn \\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}First", "1.First"},
        {"start before the type is ignored", "{\\*\\pn \\pnlvlbody\\pnstart1\\pndec{\\pntxta .}}First", ".First"},
        {"later paragraphs count on",
         "\\pard{\\*\\pn \\pnlvlbody\\pndec\\pnstart3{\\pntxtb (}{\\pntxta )}}A\\par B\\par C",
         "(3)A<BR>(4)B<BR>(5)C"},
        {"pard ends the numbering", "{\\*\\pn \\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}A\\par\\pard B", "1.A<BR>B"},
        {"bullets", "\\pard{\\*\\pn \\pnlvlblt{\\pntxtb x}}A\\par B\\par\\pard C\\line",
         "<UL><LI type=disc>A</LI><LI type=disc>B</LI></UL>C<BR>"},
        {"bullet items in separate paragraphs join",
         "\\pard{\\*\\pn \\pnlvlblt}A\\par\\pard{\\*\\pn \\pnlvlblt}B\\par\\pard C\\line",
         "<UL><LI type=disc>A</LI><LI type=disc>B</LI></UL>C<BR>"},
        {"pntext groups are skipped", "{\\pntext 1.\\tab}A", "A"},
        {"a numbering group across lines", "{\\*\\pn \\pnlvlbody\\pndec\n\\pnstart7{\\pntxta .}\n}A", "7.A"},
        {"an unreadable start is written and counts as 1", "{\\*\\pn \\pnlvlbody\\pndec\\pnstartx}A\\par B",
         "xA<BR>2B"},
    });
}

TEST(GroupScanner, LineBoundaries) {
    ExpectBodies({
        {"a word split by a line break is shorter, the rest text", "\\b\nold x", "<B>old x</B>"},
        {"split word", "\\pa\nr", "r"},
        {"lines are joined without separators", "ab\ncd\r\nef", "abcdef"},
        {"a word ending the last line acts and ends the scan", "x\\par", "x<BR>"},
        {"a word ending the last line inside a group", "{x\\b", "x"},
    });
}

TEST(GroupScanner, GroupsOpenAtTheEndDoNotRepeatText) {
    ExpectBodies({
        {"one open group", "{\\rtf1 abc", "abc"},
        {"several open groups", "{a{b{c", "abc"},
        {"open groups over lines", "{\\rtf1\n{\\b bold\nmore", "<B>boldmore</B>"},
    });
}

TEST(GroupScanner, HostileInputEndsCleanly) {
    TScratch scratch;
    struct TCase {
        const char* name;
        std::string rtf;
        bool fails;
    };
    std::string binaryGarbage;
    for (int i = 0; i < 200000; ++i) binaryGarbage += char((i * 7919 + i / 3) & 0xFF);
    const TCase cases[] = {
        {"nested beyond the memory bound", std::string(kMaxGroupDepth + 1, '{') + "x", true},
        {"100000 nested groups", std::string(100000, '{') + "x" + std::string(100000, '}'), false},
        {"huge bin count", "{\\rtf1{\\pict\\bin2147483647 abc}} tail", false},
        {"bin count too large to read", "{\\rtf1{\\pict\\bin99999999999 abc}}tail", false},
        {"truncated escape", "abc\\'4", false},
        {"truncated word", "abc\\", false},
        {"truncated table", "\\trowd\\cellx1\\pard\\intbl A\\cell B", false},
        {"binary garbage", binaryGarbage, false},
        {"NUL bytes", std::string("a\0b\0{\\b\0}", 10), false},
    };
    for (const TCase& c : cases) {
        const std::string source = scratch.Write("in.rtf", c.rtf);
        bool failed = false;
        try {
            RtfToHtmlFile(source, scratch.Path("out.html"), {});
        } catch (const Error& e) {
            failed = true;
            if (c.fails) EXPECT_NE(std::string(e.what()).find("nested"), std::string::npos) << e.what();
        }
        EXPECT_EQ(failed, c.fails) << c.name;
        const TPage page = ReadPage(scratch.Path("out.html"));
        ASSERT_GE(page.Lines.size(), 8u) << c.name;
        EXPECT_EQ(page.Lines[page.Lines.size() - 2], "</BODY>") << c.name;
        EXPECT_EQ(page.Lines.back(), "</HTML>") << c.name;
    }
    EXPECT_EQ(BodyOf(std::string(5000, '{') + "x" + std::string(5000, '}')), "x");
}

TEST(GroupScanner, DeepNestingKeepsTheTextOfEveryLevel) {
    // An e-mail program nests thousands of groups, each with its own format and text.
    for (const size_t depth : {size_t(2714), size_t(10000), size_t(100000)}) {
        std::string rtf = "{\\rtf1\\ansi ";
        for (size_t i = 0; i < depth; ++i) rtf += i % 2 ? "{\\b0 w" : "{\\b w";
        rtf += std::string(depth, '}') + " end}";
        const std::string body = BodyOf(rtf);
        EXPECT_EQ(size_t(std::count(body.begin(), body.end(), 'w')), depth) << depth;
        EXPECT_NE(body.find(" end"), std::string::npos) << depth;
    }
}

TEST(SkipGroup, FindsTheClosingBraceAcrossLines) {
    TLineInput input = TLineInput::FromText("a{b}\\}c\nd{e\n}f}tail\n");
    TLineBuffer buffer(input);
    buffer.ReplaceWithNextLine();
    const size_t close = SkipGroup(buffer, 0, true);
    EXPECT_EQ(buffer.View(close), "}tail");

    TLineInput again = TLineInput::FromText("a{b}c\nd}tail");
    TLineBuffer replaced(again);
    replaced.ReplaceWithNextLine();
    EXPECT_EQ(replaced.View(SkipGroup(replaced, 0, false)), "}tail");
}

TEST(LineInput, SplitsLinesLikeATextFile) {
    TLineInput input = TLineInput::FromText("a\r\nb\n\nc\rd\n");
    std::vector<std::string> lines;
    for (std::string line; input.AppendLine(line); line.clear()) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c\rd"}));
    EXPECT_TRUE(input.AtEnd());
}

} // namespace
} // namespace rtf2html::test
