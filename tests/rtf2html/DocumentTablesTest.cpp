// Font, colour and style tables: what the readers record and where they leave the buffer.
#include "ConverterTestSupport.h"

#include "rtf2html/DocumentTables.h"
#include "rtf2html/LineBuffer.h"

#include <gtest/gtest.h>

namespace rtf2html::test {
namespace {

// Runs a reader on `rtf`, starting right after `word`; the buffer where it stops.
template <typename Reader>
std::string ReadTable(TRun& run, const std::string& rtf, const std::string& word, Reader reader) {
    TLineInput input = TLineInput::FromText(rtf);
    TLineBuffer buffer(input);
    buffer.ReplaceWithNextLine();
    const size_t at = rtf.find(word);
    reader(run, buffer, at == std::string::npos ? 0 : at + word.size());
    std::string rest(buffer.View());
    for (std::string line; input.AppendLine(line); line.clear()) rest += "|" + line;
    return rest;
}

std::vector<std::pair<std::string, int>> Fonts(const TRun& run) {
    std::vector<std::pair<std::string, int>> fonts;
    for (const font& f : run.FontTable)
        if (!f.Name.empty()) fonts.emplace_back(f.Name, f.Number);
    return fonts;
}

using TFonts = std::vector<std::pair<std::string, int>>;

TEST(FontTable, RecordsNamesAndNumbers) {
    struct TCase {
        std::string rtf;
        TFonts fonts;
        std::string rest;
    };
    const TCase cases[] = {
        {"{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman Times New Roman;}}x",
         {{"Arial", 0}, {"Times New Roman", 1}}, "}x"},
        {"{\\fonttbl{\\f2\\fswiss Arial{\\*\\falt Helvetica};}}", {{"Helvetica", 2}}, "}"},
        {"{\\fonttbl{\\f9\\fswiss Liberation Sans{\\*\\falt Arial};}}{\\colortbl;}", {{"Arial", 9}}, "}{\\colortbl;}"},
        {"{\\fonttbl{\\f3\\froman{\\*\\panose 02020603050405020304}Georgia;}}", {{"Georgia", 3}}, "}"},
        {"{\\fonttbl\n{\\f0 Arial;}\n{\\f1 Symbol;}\n}\nrest", {{"Arial", 0}, {"Symbol", 1}}, "}|rest"},
        {"{\\fonttbl{\\f0 Arial;}{\\x1 Odd;}}", {{"Arial", 0}}, "{\\x1 Odd;}}"},
        {"{\\fonttbl}", {}, "}"},
        {"{\\fonttbl{\\f0\\fnil Arial}{\\f1 Courier;}}", {{"Arial", 0}, {"Courier", 1}}, "}"},
        // A Mac editor's entries have no group of their own.
        {"{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fnil Courier;}\\pard x{y}", {{"Helvetica", 0}, {"Courier", 1}},
         "}\\pard x{y}"},
    };
    for (const TCase& c : cases) {
        TWriterRun w;
        EXPECT_EQ(ReadTable(w.Run, c.rtf, "\\fonttbl", ParseFontTable), c.rest) << c.rtf;
        EXPECT_EQ(Fonts(w.Run), c.fonts) << c.rtf;
    }
}

TEST(FontTable, AFirstEntryThatIsNoFontLeavesTheGroupToTheScanner) {
    EXPECT_EQ(BodyOf("{\\fonttbl{\\x Foo;}}after"), "Foo;after");
}

TEST(FontTable, EntriesWithoutGroupsLeaveTheTextAfterTheTable) {
    EXPECT_EQ(BodyOf("{\\fonttbl\\f0\\fswiss Helvetica;}\n\\pard\\f0 First\\par\n{\\b Second}"),
              "<FONT FACE=\"Helvetica\">First</FONT><BR><B><FONT FACE=\"Helvetica\">Second</FONT></B>");
}

TEST(FontTable, OptionsDecideWhatIsRecorded) {
    const std::string rtf = "{\\fonttbl{\\f0 A;}{\\f1 B;}{\\f2 C;}{\\f3 D;}{\\f4 E;}}";
    TWriterRun plain;
    plain.Run.noFonts = true;
    ReadTable(plain.Run, rtf, "\\fonttbl", ParseFontTable);
    EXPECT_TRUE(Fonts(plain.Run).empty());

    TWriterRun optimized;
    optimized.Run.optimize = true;
    ReadTable(optimized.Run, rtf, "\\fonttbl", ParseFontTable);
    EXPECT_EQ(optimized.Run.OptimizePatterns,
              (std::vector<std::string>{"<FONT FACE=\"A\"></FONT>", "</FONT><FONT FACE=\"A\">",
                                        "<FONT FACE=\"B\"></FONT>", "</FONT><FONT FACE=\"B\">",
                                        "<FONT FACE=\"C\"></FONT>", "</FONT><FONT FACE=\"C\">"}));

    TWriterRun definite;
    definite.Run.optimize = definite.Run.onlyDefiniteOpt = true;
    ReadTable(definite.Run, rtf, "\\fonttbl", ParseFontTable);
    EXPECT_EQ(definite.Run.OptimizePatterns,
              (std::vector<std::string>{"<FONT FACE=\"A\"></FONT>", "<FONT FACE=\"B\"></FONT>",
                                        "<FONT FACE=\"C\"></FONT>"}));
}

TEST(FontTable, MoreFontsThanSlotsAreReadButNotRecorded) {
    std::string rtf = "{\\fonttbl";
    for (int i = 0; i < 250; ++i) rtf += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
    rtf += "}x";
    TWriterRun w;
    EXPECT_EQ(ReadTable(w.Run, rtf, "\\fonttbl", ParseFontTable), "}x");
    EXPECT_EQ(w.Run.FontTable.back().Name, "F200");
    EXPECT_EQ(BodyOf(rtf), "x");
}

TEST(ColorTable, RecordsEntries) {
    struct TCase {
        std::string rtf;
        std::vector<std::string> colors;
        std::string rest;
    };
    const TCase cases[] = {
        {"{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}x", {"#000000", "#FF0000", "#000080"}, "}x"},
        {"{\\colortbl\\red1\\green2\\blue3;}", {"#010203"}, "}"},
        {"{\\colortbl ;\\red16\\green32\\blue48;}", {"#000000", "#102030"}, "}"},
        {"{\\colortbl;\n\\red255\\green255\\blue255;\n}", {"#000000", "#FFFFFF"}, "}"},
        {"{\\colortbl;}", {"#000000"}, "}"},
        {"{\\colortbl;\\red9}", {"#000000"}, "}"},
    };
    for (const TCase& c : cases) {
        TWriterRun w;
        EXPECT_EQ(ReadTable(w.Run, c.rtf, "\\colortbl", ParseColorTable), c.rest) << c.rtf;
        EXPECT_EQ(w.Run.ColorTable, c.colors) << c.rtf;
    }
    TWriterRun optimized;
    optimized.Run.optimize = true;
    ReadTable(optimized.Run, cases[0].rtf, "\\colortbl", ParseColorTable);
    EXPECT_EQ(optimized.Run.OptimizePatterns,
              (std::vector<std::string>{"<FONT COLOR=\"#000000\"></FONT>", "<FONT COLOR=\"#FF0000\"></FONT>",
                                        "<FONT COLOR=\"#000080\"></FONT>"}));
}

TEST(ColorTable, EntryValues) {
    const std::pair<std::string, std::string> cases[] = {
        {"\\red255\\green0\\blue0", "#FF0000"}, {"\\blue171\\red1\\green18", "#0112AB"},
        {"\\red\\green\\blue", "#000000"},      {"\\green300", "#00FF00"},
        {"\\red12x4\\blue5", "#0C0005"},
    };
    for (const auto& [entry, color] : cases) EXPECT_EQ(ColorFromEntry(entry), color) << entry;
    EXPECT_EQ(HexByte(0), "00");
    EXPECT_EQ(HexByte(171), "AB");
}

TEST(StyleSheet, CodesBaseStylesAndOutlineLevels) {
    const std::string rtf =
        "{\\stylesheet{\\fs20 Normal;}\n"
        "{\\s1\\sb240\\keepn \\b\\f1\\fs28 \\sbasedon0 \\snext0 heading 1;}\n"
        "{\\*\\cs10 \\additive Default Paragraph Font;}\n"
        "{\\s2\\li720\\sbasedon3 Quote;}{\\s3\\fi-360\\li360\\i Indented;}{\\s4\\li720\\sbasedon3\\qc Late;}\n"
        "{\\s5\\sbasedon3 toc 2;}{\\s6 heading 2;}{\\s7\\lang1031\\langfe2052\\sl276\\slmult1\\tx720\\cf1 Clean;}}rest";
    TWriterRun w;
    EXPECT_EQ(ReadTable(w.Run, rtf, "\\stylesheet", ParseStyleSheet), "}rest");
    const auto& styles = w.Run.StyleTable;
    EXPECT_EQ(styles[0].Codes, "\\fs20");
    EXPECT_EQ(styles[0].Name, "Normal");
    EXPECT_EQ(styles[1].Codes, "\\fs20\\b\\f1\\fs28");
    EXPECT_EQ(styles[1].Name, "heading 1");
    EXPECT_EQ(styles[10].Codes, ""); // character styles are skipped
    EXPECT_EQ(styles[2].Codes, "\\li720");          // a later base is not used after a space
    EXPECT_EQ(styles[3].Codes, "\\fi-360\\li360\\i");
    EXPECT_EQ(styles[4].Codes, "\\i\\li720\\qc");   // directly followed by a word: used; own indents win
    EXPECT_EQ(styles[5].Codes, "\\fi-360\\li360\\i");
    EXPECT_EQ(styles[7].Codes, "\\cf1");
    EXPECT_EQ(w.Run.HeadingStyles[1], 1);
    EXPECT_EQ(w.Run.HeadingStyles[2], 6);
    EXPECT_EQ(w.Run.TocStyles[2], 5);
    EXPECT_EQ(w.Run.TocStyles[1], -1);
}

TEST(StyleSheet, NamesWithEscapesAndUnusualNumbers) {
    TWriterRun w;
    ReadTable(w.Run, "{\\stylesheet{\\s12\\b \\'dcberschrift;}{\\s999\\i Big;}}", "\\stylesheet", ParseStyleSheet);
    EXPECT_EQ(w.Run.StyleTable[12].Name, "\xDC" "berschrift");
    EXPECT_EQ(w.Run.StyleTable[12].Codes, "\\b");
    EXPECT_EQ(w.Run.StyleTable[300].Codes, "\\i");
}

TEST(StyleSheet, MergeStyleCodes) {
    struct TCase {
        std::string base, own, merged;
    };
    const TCase cases[] = {
        {"\\fs20", "\\sb240\\keepn\\b\\f1\\fs28\\sbasedon0\\snext0", "\\fs20\\b\\f1\\fs28"},
        {"\\fi-360\\li720\\b", "\\li100", "\\b\\li100"},
        {"\\li720", "\\i", "\\li720\\i"},
        {"\\b", "\\b\\i", "\\b\\i"},
        {"", "\\widctlpar\\adjustright\\nowidctlpar\\cgrid\\widctl\\expndtw-2\\expnd4\\kerning1\\outlinelevel0\\u", "\\u"},
    };
    for (const TCase& c : cases) EXPECT_EQ(MergeStyleCodes(c.base, c.own), c.merged) << c.own;
    EXPECT_EQ(RemoveParamWord("\\sa", "\\sa120\\b\\sa120 \\sa6"), "\\b ");
    EXPECT_EQ(RemoveParamWord("\\tx", "\\tx100\\tx200\\i"), "\\i");
}

TEST(StyleSheet, OverlongCodesAreDropped) {
    TWriterRun w;
    ReadTable(w.Run, "{\\stylesheet{\\s1" + std::string(3000, 'b') + " X;}}", "\\stylesheet", ParseStyleSheet);
    EXPECT_EQ(w.Run.StyleTable[1].Codes, "");
    EXPECT_EQ(w.Run.StyleTable[1].Name, "X");
}

} // namespace
} // namespace rtf2html::test
