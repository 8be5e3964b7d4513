// The group scanner: follows the nesting of RTF groups, recognises control
// symbols and words, drops destinations that have no place in a page, reads
// paragraph numbering groups, applies styles and hands tables to their readers.
#pragma once
#include "rtf2html/LineBuffer.h"
#include "rtf2html/RunContext.h"

#include <string>
#include <string_view>

namespace rtf2html {

// Each open group keeps a copy of the format taken at its "{", so the depth is bounded
// by the memory those copies may take (about a million levels); deeper nesting is
// refused with EStructureError.
constexpr size_t kGroupMemory = size_t(64) << 20;
constexpr size_t kMaxGroupDepth = kGroupMemory / sizeof(format);

// Style codes put into the text are limited to this many bytes plus a multiple
// of the input read, so that a small file cannot apply huge styles without end;
// beyond it styles add no codes.
constexpr size_t kSpliceAllowance = size_t(4) << 20;
constexpr size_t kSplicePerInputByte = 32;

// Scans until the input ends or a "}" closes no group.
void ParseGroup(TRun& run, TLineBuffer& buffer, format& fmt);

// Index of the "}" that closes the group the buffer is in, scanning from `from`;
// size() when the input ends first. With `retain` lines are appended, otherwise
// each new line replaces the buffer (the index is then one into the last line).
size_t SkipGroup(TLineBuffer& buffer, size_t from, bool retain);

struct TControlWord {
    std::string Word;
    size_t Next; // where scanning goes on (a delimiting space is consumed)
};

// Reads the control word whose first letter is at `at`. A word that reaches the
// end of the buffer ends there: the next line then replaces the buffer (or, with
// `append`, is appended) and scanning goes on with it.
TControlWord ReadControlWord(TLineBuffer& buffer, size_t at, bool append);

bool IsWordLetter(char c);

// Whether the "\*" at `star` is followed by a word read as itself (KnownWhenStarred),
// whole in the buffer.
bool StarsAKnownWord(const TLineBuffer& buffer, size_t star);

// "\uN" (N the signed UTF-16 unit): the text it writes (for FormatText; empty for
// none) and where scanning goes on, past the fallback characters that stand in for it.
struct TUnicodeRead {
    std::string Text;
    size_t Next;
};
TUnicodeRead ReadUnicode(TRun& run, TLineBuffer& buffer, std::string_view word, size_t next, const format& fmt);
// "\upr {ANSI text}{\*\ud {Unicode text}}": where scanning goes on, past the ANSI twin.
size_t PassOverAnsiTwin(TLineBuffer& buffer, size_t next);
// "\ucN": how many fallback characters follow each "\uN" in the group.
void SetUnicodeFallbacks(format& fmt, std::string_view word);

// The text the control symbol "\" + c writes ("\\", "\{", "\}", "\~", "\_"),
// empty for the others.
std::string_view SymbolText(char c);

} // namespace rtf2html
