// Text in code pages other than 1252: the document's page, the fonts' character
// sets, and their bytes written as character references.
#pragma once
#include "rtf2html/RunContext.h"

#include <string>
#include <string_view>

namespace rtf2html {

// "\ansicpgN", "\mac", "\pc", "\pca".
void SetDocumentCodePage(TRun& run, int page);
// A font table entry's "\fcharsetN".
void SetFontCharset(TRun& run, int32_t font, int charset);

// When the run writes references: a character of the text (`text` one byte or the
// hexadecimal pair of an "\'" escape) appended to `out` as a reference, or held
// back as the first half of a two-byte character. False: the text is the usual
// formatting's (ASCII, or a run in 1252).
bool AppendForeignText(TRun& run, std::string& out, std::string_view text, const format& fmt);

} // namespace rtf2html
