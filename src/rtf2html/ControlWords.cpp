#include "rtf2html/ControlWords.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace rtf2html {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Destinations that have no place in a page: their groups are passed over.
constexpr std::string_view kSkippedDestinations[] = {
    "bkmkstart", "bkmkend", "filetbl", "footer", "footerf", "footnote", "header",
    "headerf", "info", "levelnumbers", "leveltext", "list", "listlevel", "listname",
    "listoverridetable", "listtable", "pict", "pntext", "revtbl", "sp", "template",
    "mmathPr"}; // the newer format's math settings, often written without "\\*"

const std::unordered_map<std::string_view, TWord>& NamedWords() {
    static const std::unordered_map<std::string_view, TWord> words = [] {
        std::unordered_map<std::string_view, TWord> w = {
            {"fonttbl", TWord::FontTable}, {"colortbl", TWord::ColorTable}, {"stylesheet", TWord::StyleSheet},
            {"trowd", TWord::TableRow},
            {"plain", TWord::Plain}, {"pard", TWord::ParagraphDefaults}, {"sectd", TWord::ParagraphDefaults},
            {"v", TWord::Hidden}, {"v0", TWord::HiddenOff}, {"caps", TWord::Caps}, {"caps0", TWord::CapsOff},
            {"tab", TWord::Tab}, {"nestcell", TWord::Tab}, // a nested table's cells stand apart in their cell
            {"qc", TWord::Center}, {"qr", TWord::Right},
            {"par", TWord::ParagraphEnd}, {"sect", TWord::ParagraphEnd}, {"line", TWord::Line}, {"page", TWord::Page},
            {"emdash", TWord::Dash}, {"endash", TWord::Dash}, {"emspace", TWord::Space}, {"enspace", TWord::Space},
            {"lquote", TWord::Quote}, {"rquote", TWord::Quote},
            {"ldblquote", TWord::DoubleQuote}, {"rdblquote", TWord::DoubleQuote},
            {"b", TWord::Bold}, {"b0", TWord::BoldOff}, {"i", TWord::Italic}, {"i0", TWord::ItalicOff},
            {"ul", TWord::Underline}, {"uld", TWord::Underline}, {"uldash", TWord::Underline},
            {"uldashd", TWord::Underline}, {"uldashdd", TWord::Underline}, {"uldb", TWord::Underline},
            {"ulth", TWord::Underline}, {"ulwave", TWord::Underline},
            {"ulnone", TWord::UnderlineOff}, {"ul0", TWord::UnderlineOff},
            {"super", TWord::Superscript}, {"sub", TWord::Subscript}, {"nosupersub", TWord::NoSuperSub},
            {"strike", TWord::Strike}, {"strikedl", TWord::Strike},
            {"strike0", TWord::StrikeOff}, {"strikedl0", TWord::StrikeOff},
            {"upr", TWord::AnsiTwin},
            {"mac", TWord::DocumentCodePage}, {"pc", TWord::DocumentCodePage}, {"pca", TWord::DocumentCodePage},
        };
        // A skipped destination goes first: the scanner passes over its group.
        for (std::string_view d : kSkippedDestinations) w[d] = TWord::SkippedDestination;
        return w;
    }();
    return words;
}

// The families known by their first letters; their order decides between them.
TWord ClassifyByPrefix(std::string_view w) {
    const char second = w.size() > 1 ? w[1] : '\0';
    switch (w[0]) {
    case 's': return IsDigit(second) ? TWord::Style : TWord::Other;
    case 'u':
        if (IsDigit(second) || (second == '-' && w.size() > 2 && IsDigit(w[2]))) return TWord::Unicode;
        if (second == 'c' && w.size() > 2 && IsDigit(w[2])) return TWord::UnicodeSkip;
        return second == 'p' ? TWord::Superscript : TWord::Other;
    case 'd': return second == 'n' ? TWord::Subscript : TWord::Other;
    case 'l': return second == 'i' && w.size() > 2 && IsDigit(w[2]) ? TWord::LeftIndent : TWord::Other;
    case 'f':
        if (second == 'i' && w.size() > 2 && (w[2] == '-' || IsDigit(w[2]))) return TWord::FirstIndent;
        if (IsDigit(second)) return TWord::Font;
        return second == 's' ? TWord::FontSize : TWord::Other;
    case 'c': return second == 'f' ? TWord::Color : TWord::Other;
    case 'a': return w.substr(0, 7) == "ansicpg" ? TWord::DocumentCodePage : TWord::Other;
    default: return TWord::Other;
    }
}

// The families of words with a number, by their letters; with the named words they
// are the words a writer may star that are still words of the text. "cs", "ls",
// "ilvl" and "ud" (the Unicode twin of "\upr") have no action here, but their
// group's text belongs to the page.
constexpr std::string_view kNumberedFamilies[] = {"s", "cs", "ls", "ilvl", "u", "uc", "li", "fi",
                                                  "f", "fs", "cf", "up", "dn", "ansicpg", "ud"};

bool IsNumber(std::string_view text) {
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

} // namespace

bool KnownWhenStarred(std::string_view word) {
    const auto& named = NamedWords();
    if (const auto hit = named.find(word); hit != named.end())
        return hit->second != TWord::SkippedDestination && hit->second != TWord::FontTable &&
               hit->second != TWord::ColorTable && hit->second != TWord::StyleSheet;
    const size_t letters = std::min(word.find_first_of("-0123456789"), word.size());
    const std::string_view number = word.substr(letters);
    return (number.empty() || IsNumber(number)) &&
           std::find(std::begin(kNumberedFamilies), std::end(kNumberedFamilies), word.substr(0, letters)) !=
               std::end(kNumberedFamilies);
}

TWord ClassifyWord(std::string_view word) {
    if (word.empty()) return TWord::Other;
    const auto& named = NamedWords();
    const auto hit = named.find(word);
    return hit != named.end() ? hit->second : ClassifyByPrefix(word);
}

} // namespace rtf2html
