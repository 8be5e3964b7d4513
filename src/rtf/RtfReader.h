// RTF bytes -> RtfDocument. Throws ENotRtf when the input does not start like RTF and
// ERtfError for RTF it cannot read (groups nested beyond MaxGroupDepth()).
#pragma once
#include "rtf/RtfDocumentModel.h"

#include <functional>
#include <string_view>

namespace RtfEngine {

// The deepest nesting the reader holds: each open group keeps its own formatting state,
// and together they may take some tens of megabytes. Groups inside a destination that
// is skipped do not count.
int MaxGroupDepth();

// Whether the bytes start, after optional white space, with "{\rtf".
bool LooksLikeRtf(std::string_view bytes);

RtfDocument ParseRtf(std::string_view bytes);

// The same, handing each paragraph or table of the body to `take` as soon as nothing
// read later can change it, so a long document is never held twice; the items left in
// the result follow those handed over. Before it throws ERtfError, some items may have
// been handed over.
RtfDocument ParseRtf(std::string_view bytes, const std::function<void(RtfItem&&)>& take);

} // namespace RtfEngine
