// What a control word does, found with one table lookup: the words the converter
// acts on by name, and the families it knows by their first letters.
#pragma once
#include <cstdint>
#include <string_view>

namespace rtf2html {

enum class TWord : uint8_t {
    Other, // no action
    // Read by the group scanner.
    FontTable, ColorTable, StyleSheet, Style, TableRow, Unicode, UnicodeSkip, SkippedDestination,
    // Acted on by ControlWordAction.
    Plain, ParagraphDefaults, Hidden, HiddenOff, Caps, CapsOff, Tab, Center, Right, ParagraphEnd, Line, Page,
    Dash, Space, Quote, DoubleQuote, Bold, BoldOff, Italic, ItalicOff, Underline, UnderlineOff, Superscript,
    Subscript, NoSuperSub, Strike, StrikeOff, LeftIndent, FirstIndent, Font, FontSize, Color, DocumentCodePage,
    AnsiTwin, // "\upr": its first group is the ANSI twin of the "\ud" group that follows
};

// `word` without its backslash, its parameter attached.
TWord ClassifyWord(std::string_view word);

// Whether a word written after "\\*" is one the converter knows as a word of
// the text (an inline character style "{\\*\\cs7 text}"), read as itself; any
// other starred destination is passed over.
bool KnownWhenStarred(std::string_view word);

} // namespace rtf2html
