// Header and footer columns: splitting, column formats, cutting text to a column,
// and the macros.
#include "PrintPdfSupport.h"
#include "print/RichPrint.h"

using Columns = PrinterTest;

TEST_F(Columns, SplitColumnsAlwaysGivesAPiece) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a|b", {"a", "b"}},
        {"a|", {"a", ""}},
        {"|b||", {"", "b", "", ""}},
    };
    for (const auto& [text, pieces] : cases) EXPECT_EQ(TRichPrinter::SplitColumns(text), pieces) << text;
}

TEST_F(Columns, ParseColumnFormatReadsAlignmentAndWidth) {
    TRichPrinter printer;
    printer.SetDefaultColumnWidth(7.5);
    struct Case {
        std::string item;
        TColumnAlignment alignment;
        double width;
    };
    const Case cases[] = {
        {">100", caRight, 100.0}, {"<60", caLeft, 60.0},  {"^50", caCenter, 50.0}, {"12.5", caLeft, 12.5},
        {"", caLeft, 7.5},        {"<", caLeft, 7.5},     {">", caRight, 7.5},     {"^", caCenter, 7.5},
        {"x12", caLeft, 7.5},     {">abc", caRight, 7.5}, {">1,5", caRight, 7.5},
    };
    for (const Case& c : cases) {
        const TColumnFormat format = printer.ParseColumnFormat(c.item);
        EXPECT_EQ(format.Alignment, c.alignment) << c.item;
        EXPECT_DOUBLE_EQ(format.Width, c.width) << c.item;
    }
}

TEST_F(Columns, FitTextKeepsTheLongestPrefixFoundAndAtLeastOneCharacter) {
    const auto tenPerCharacter = [](const std::string& s) { return int(s.size()) * 10; };
    const std::tuple<std::string, int, std::string> cases[] = {
        {"abcdef", 60, "abcdef"}, // fits whole
        {"abcdef", 35, "abc"},
        {"abcdef", 40, "abcd"}, // exactly as wide
        {"abcdef", 59, "abcde"},
        {"abcdef", 0, "a"}, // width-0 column
        {"x", 5, "x"},
        {"", 0, ""},
    };
    for (const auto& [text, width, expected] : cases)
        EXPECT_EQ(TRichPrinter::FitText(text, width, tenPerCharacter), expected) << text << " " << width;
}

TEST_F(Columns, ReplaceMacroLeavesAMacroWhoseValueHoldsIt) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Page {$PAGE} of {$PAGE}", "3", "Page 3 of 3"},
        {"{$page}", "3", "{$page}"},      // case-sensitive
        {"{$PAGE}", "x{$PAGE}", "{$PAGE}"}, // would expand itself
        {"none", "3", "none"},
    };
    for (const auto& [text, value, expected] : cases)
        EXPECT_EQ(TRichPrinter::ReplaceMacro(text, "{$PAGE}", value), expected);
}

TEST_F(Columns, TitleHoldingItsOwnMacroStaysUnexpanded) {
    SelectPdfPrinter();
    TRichPrinter printer;
    printer.SetTitle("Caf\xe9 {$TITLE}");
    EXPECT_EQ(printer.ExpandMacros("[{$TITLE}]"), "[{$TITLE}]");
    printer.SetTitle("Caf\xe9 \x80");
    EXPECT_EQ(printer.ExpandMacros("[{$TITLE}] {$LINE}"), "[Caf\xe9 \x80] 0");
}
