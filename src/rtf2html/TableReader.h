// The table reader: RTF rows ("\trowd" ... "\cell" ... "\row") become an HTML
// table. After a row it looks ahead to learn whether the next paragraph opens
// another row or ordinary text follows; that text is handed back to the scanner.
#pragma once
#include "rtf2html/LineBuffer.h"
#include "rtf2html/RunContext.h"

namespace rtf2html {

// Called with the buffer holding the text after "\trowd". Returns with the buffer
// at the text that follows the table, which the scanner reads next.
void ParseTable(TRun& run, TLineBuffer& buffer);

// Groups opened inside a table whose formats are saved; deeper ones keep the current format.
constexpr size_t kTableGroupDepth = 19;

} // namespace rtf2html
