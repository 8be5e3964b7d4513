// RTF bytes -> RtfDocument. Throws ENotRtf when the input does not start like RTF and
// ERtfError for RTF it cannot read (groups nested beyond kMaxGroupDepth).
#pragma once
#include "rtf/RtfDocumentModel.h"

#include <string_view>

namespace RtfEngine {

constexpr int kMaxGroupDepth = 1000;

// Whether the bytes start, after optional white space, with "{\rtf".
bool LooksLikeRtf(std::string_view bytes);

RtfDocument ParseRtf(std::string_view bytes);

} // namespace RtfEngine
