// RTF tables: rows and cells, the look-ahead at the table's end, odd endings.
#include "ConverterTestSupport.h"

#include "rtf2html/RtfToHtml.h"

#include <gtest/gtest.h>

namespace rtf2html::test {
namespace {

const std::string kTwoRows =
    "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row"
    "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell D\\cell\\row";

TEST(TableReader, TheTwoRowExampleByteForByte) {
    const TPage page = Convert(kTwoRows + "\\pard\\pard After\\par");
    EXPECT_EQ(page.BodyLines(),
              (std::vector<std::string>{
                  "<BR>", "<TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR><TR><TD>C</TD><TD>D</TD></TR></TABLE><BR>",
                  "After<BR>", ""}));
}

TEST(TableReader, TableEndsOnlyAtTheSecondParagraphStart) {
    struct TCase {
        const char* name;
        std::string rtf;
        std::string body;
    };
    const std::string row = "\\trowd\\pard\\intbl A\\cell B\\cell\\row";
    const TCase cases[] = {
        {"pard intbl continues", row + "\\pard\\intbl C\\cell\\row\\pard\\pard x",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR><TR><TD>C</TD></TR></TABLE><BR>x"},
        {"text after the table", row + "\\pard After\\par\\pard More\\par",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR>After<BR>More<BR>"},
        {"formatted text after the table", row + "\\pard\\b After\\par\\pard\\b0 More\\par",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR><B>After</B><BR>More<BR>"},
        {"widctlpar before intbl is no paragraph start",
         row + "\\pard\\widctlpar\\intbl C\\cell\\row\\widctlpar x\\pard y",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR><TR><TD>C</TD></TR></TABLE><BR>xy"},
        {"bookmark in the look-ahead disappears", row + "\\pard{\\*\\bkmkstart x}\\pard After",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR>After"},
        {"skipped groups leave the retained text between its parts",
         row + "\\pard X{\\*\\bkmkstart x}Y{\\b Z{\\*\\bkmkend x}}\nW\\pard V",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR>XY<B>Z</B>WV"},
        {"a cell without trowd still makes a row", row + "E\\cell\\row\\pard\\pard z",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR><TR><TD>E</TD></TR></TABLE><BR>z"},
        {"only a closed row can end the table", row + "E\\cell\\pard\\pard z",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR><TR><TD>E</TD><TD>z</TD></TR></TABLE><BR>"},
    };
    for (const TCase& c : cases) EXPECT_EQ(BodyOf(c.rtf), c.body) << c.name;
}

TEST(TableReader, CellContents) {
    struct TCase {
        const char* name;
        std::string rtf;
        std::string body;
    };
    const TCase cases[] = {
        {"paragraph mark inside a cell", "\\trowd\\pard\\intbl A\\par B\\cell C\\par D\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD>A<BR>B</TD><TD>C<BR>D</TD></TR></TABLE><BR>"},
        {"formatting inside cells", "\\trowd\\pard\\intbl{\\b A}x\\cell\\i B\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD><B>A</B>x</TD><TD><I>B</I></TD></TR></TABLE><BR>"},
        {"escapes and symbols", "\\trowd\\pard\\intbl \\'e4\\~\\{\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD>&auml;&nbsp;{</TD></TR></TABLE><BR>"},
        {"pictures and skipped groups", "\\trowd\\pard\\intbl{\\pict 00}{\\*\\x y}z\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD><P>[*** picture ***]<P>z</TD></TR></TABLE><BR>"},
        {"Unicode escapes, their fallbacks and starred character styles",
         "\\trowd\\pard\\intbl Gr\\u246\\'3f\\u223\\'3fe \\u321?ukasz\\cell{\\*\\cs7\\b x}\\uc0\\u8364\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD>Gr&ouml;&szlig;e &#321;ukasz</TD><TD><B>x</B>&#8364;</TD></TR></TABLE><BR>"},
        {"cells of a nested table stand apart",
         "\\trowd\\pard\\intbl A\\par\\pard\\intbl\\itap2 x\\nestcell y\\nestcell{\\*\\nesttableprops\\trowd\\nestrow}"
         "{\\nonesttables\\par}\\pard\\intbl\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD>A<BR>x&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;y&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<BR>"
         "</TD></TR></TABLE><BR>"},
        {"indents open no lists in tables", "\\trowd\\pard\\intbl\\li720 A\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>"},
        {"formatting left open at a cell ends with it",
         "\\trowd\\pard\\intbl\\b bold one\\cell plain \\i two\\cell\\row\\pard\\pard",
         "<BR><TABLE BORDER=2><TR><TD><B>bold one</B></TD><TD>plain <I>two</I></TD></TR></TABLE><BR>"},
    };
    for (const TCase& c : cases) EXPECT_EQ(BodyOf(c.rtf), c.body) << c.name;
}

TEST(TableReader, FirstCellGoesOutAtOnceLaterCellsWait) {
    // A conversion error shows what was written before it.
    EXPECT_THROW(Convert("\\trowd\\pard\\intbl First\\'zz"), EConvertError);
    TScratch scratch;
    auto bodyAfterError = [&](const std::string& rtf) {
        const std::string source = scratch.Write("t.rtf", rtf);
        EXPECT_THROW(RtfToHtmlFile(source, scratch.Path("t.html"), {}), EConvertError);
        return ReadPage(scratch.Path("t.html")).Body();
    };
    EXPECT_EQ(bodyAfterError("\\trowd\\pard\\intbl First\\'zz"), "<BR><TABLE BORDER=2><TR><TD>First");
    EXPECT_EQ(bodyAfterError("\\trowd\\pard\\intbl A\\cell Second\\'zz"), "<BR><TABLE BORDER=2><TR><TD>A</TD>");
}

TEST(TableReader, DocumentsEndingInsideATableCloseThePage) {
    struct TCase {
        const char* name;
        std::string rtf;
        std::string body;
    };
    const TCase cases[] = {
        {"inside the first cell", "{\\rtf1\\trowd\\pard\\intbl A", "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>"},
        {"inside a later cell", "\\trowd\\pard\\intbl A\\cell B",
         "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR>"},
        {"after a cell", "\\trowd\\pard\\intbl A\\cell", "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>"},
        {"after the last row", "{\\rtf1\\trowd\\pard\\intbl A\\cell\\row}",
         "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>"},
        {"the last paragraph follows the table", "{\\rtf1\\trowd\\pard\\intbl A\\cell\\row\\pard Last\\par}",
         "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>Last<BR>"},
        {"a word ends the last line inside the table", "\\trowd\\pard\\intbl A\\cell\\row\\pard",
         "<BR><TABLE BORDER=2><TR><TD>A</TD></TR></TABLE><BR>"},
    };
    for (const TCase& c : cases) EXPECT_EQ(BodyOf(c.rtf), c.body) << c.name;
}

TEST(TableReader, GroupStructureOddities) {
    // A "}" of a group opened before the table, and more groups than the
    // reader saves, keep the current format.
    EXPECT_EQ(BodyOf("{\\trowd\\pard\\intbl\\b A}B\\cell\\row\\pard\\pard"),
              "<BR><TABLE BORDER=2><TR><TD><B>AB</B></TD></TR></TABLE><BR>");
    const std::string deep = "\\trowd\\pard\\intbl" + std::string(30, '{') + "\\b A" + std::string(30, '}') +
                             "B\\cell\\row\\pard\\pard";
    const std::string body = BodyOf(deep);
    EXPECT_EQ(body.find("<TD><B>A"), std::string("<BR><TABLE BORDER=2><TR>").size()) << body;
    EXPECT_NE(body.find("</TABLE><BR>"), std::string::npos);
}

TEST(TableReader, TablesOverManyLines) {
    const std::string rtf = "{\\rtf1\n\\trowd\\cellx1000\n\\pard\\intbl A\\cell\nB\\cell\\row\n\\pard\n\\pard After\\par\n}";
    EXPECT_EQ(BodyOf(rtf), "<BR><TABLE BORDER=2><TR><TD>A</TD><TD>B</TD></TR></TABLE><BR>After<BR>");
}

} // namespace
} // namespace rtf2html::test
