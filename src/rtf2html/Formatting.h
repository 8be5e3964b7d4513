// The formatting layer: current attributes (format), the stack of open tags,
// document text turned into HTML (FormatText) and control word actions.
#pragma once
#include "rtf2html/RunContext.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rtf2html {

enum class TResetScope { Text, Par, All };

void ResetFormat(format& fmt, TResetScope scope);
void CopyFormat(format& dest, const format& src); // all but TableState
bool FormatsDiffer(const format& a, const format& b);

void PushTag(TRun& run, std::string open, std::string close);
// Pops every open tag; their closing tags, the last opened first.
std::string CloseAllTags(TRun& run);
std::string OpenTags(TRun& run, const format& fmt);

std::string FontSizeTag(int32_t points);
const std::string& FontFaceName(const TRun& run, int32_t number);
// 0 to 255; raises EConvertError for a character that is no digit.
int HexValue(std::string_view pair);

// `text` is one character, a hexadecimal pair of an "\'" escape or a token
// such as "&tab;" or "&&" followed by text written unchanged.
std::string FormatText(TRun& run, std::string_view text, const format& fmt);

// Whether characters of text now go to the pending output as they are: no tag,
// link or anchor to open before them, and the pending output's cleaned form known.
bool TextGoesStraightOut(const TRun& run);
// Appends single characters of text (not escapes or tokens) where TextGoesStraightOut:
// what FormatText and EmitHtml would make of them one by one.
void AppendPlainCharacters(TRun& run, std::string_view chars, const format& fmt);

// `word` is a control word without its backslash, its parameter attached.
std::string ControlWordAction(TRun& run, std::string_view word, format& fmt);

// A whole text read as a signed 32-bit decimal number.
bool ReadNumber(std::string_view text, int32_t& value);
int32_t NumberOr(std::string_view text, int32_t fallback);

} // namespace rtf2html
