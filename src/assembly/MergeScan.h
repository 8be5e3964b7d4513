// Inside the merge engine: what its two ways of running share.
#pragma once
#include "assembly/MergeEngine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace MergeScan {

inline bool IsDigitByte(int c) { return c >= '0' && c <= '9'; }

// The marker text starting at the "@" at index 0; `at(i)` answers the byte at i
// as 0..255, or -1 past the end of the text.
template <typename At>
std::string ReadMarker(At at) {
    std::string marker = "@";
    size_t k = 1; // the body's first character, whatever it is
    if (at(k) >= 0) marker += static_cast<char>(at(k));
    while (IsDigitByte(at(k + 1))) marker += static_cast<char>(at(++k));
    // Look-ahead: one character and then a digit (possibly after a line break)
    // glues that character to the marker, which then has no marker number.
    const int c1 = at(k + 1), c2 = at(k + 2);
    const bool breakFollows = c2 == '\r' || c2 == '\n';
    if (IsDigitByte(at(breakFollows ? k + 3 : k + 2))) marker += static_cast<char>(breakFollows ? c2 : c1);
    return marker;
}

// A value inserted by an earlier iteration that may still hold markers: markers
// found inside it belong to its expansion. A marker whose own value line is
// among the enclosing expansions would bring itself back for ever.
struct Expansion {
    size_t end; // one past the inserted value, in current positions
    int64_t lineIndex;
};

// A run part done: the working text, the counter and the open expansions,
// innermost last.
struct RunState {
    std::string text;
    int count = 0;
    std::vector<Expansion> open;
};

// Carries on a run from `state` the straightforward way, each marker scanning
// the text after it.
TMergeResult ContinueByScan(RunState state, const TMergeLines& lines, TMergeMode mode,
                            const TMergeProgress& progress, size_t maxLength);

} // namespace MergeScan
