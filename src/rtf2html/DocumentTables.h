// Readers of the document's font, colour and style tables. Each starts at the
// index just after its control word and leaves the buffer at the table's
// closing brace, which the scanner then reads as the end of the table's group.
#pragma once
#include "rtf2html/LineBuffer.h"
#include "rtf2html/RunContext.h"

#include <string>
#include <string_view>

namespace rtf2html {

void ParseFontTable(TRun& run, TLineBuffer& buffer, size_t from);
void ParseColorTable(TRun& run, TLineBuffer& buffer, size_t from);
void ParseStyleSheet(TRun& run, TLineBuffer& buffer, size_t from);

// "#RRGGBB" from an entry such as "\red255\green0\blue0".
std::string ColorFromEntry(std::string_view entry);
std::string HexByte(int n);

std::string MergeStyleCodes(std::string base, std::string own);
std::string RemoveParamWord(std::string_view prefix, std::string text);

// Codes longer than this belong to no real style and are dropped.
constexpr size_t kMaxStyleCodes = 2048;

} // namespace rtf2html
