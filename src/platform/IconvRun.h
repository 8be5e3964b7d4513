// One pass of bytes through an open iconv converter: the loop the code-page
// conversions and the locale's console text share.
#pragma once
#include <cstddef>
#include <functional>
#include <iconv.h>
#include <string>
#include <string_view>

namespace Platform {

// Called where a sequence does not convert, with the unread input; it may append a
// replacement to `out` and step the input past the sequence, or return false to give up.
using TIconvInvalid = std::function<bool(std::string& out, char*& in, size_t& left)>;

// Converts `input` with `cd` (reset first) and appends the result to `out`, flushing a
// stateful converter's pending output at the end. False when `onInvalid` gave up.
bool RunIconv(iconv_t cd, std::string_view input, std::string& out, const TIconvInvalid& onInvalid);

} // namespace Platform
