// Inside the merge engine: the insert-mode merge with an index of its markers.
#pragma once
#include "assembly/MergeEngine.h"

// Insert-mode MergeTemplate. The working text is a chain of pieces that each
// start at an "@" or hold none, and the markers are indexed by their text, so a
// marker costs the places it is replaced at, not a scan of the text after it.
// Where that bookkeeping would not pay (near the size limit, past a memory
// budget, a marker glued to the character after it) the run carries on by scan.
// What a run did, for tests: markers replaced through the index, and whether it
// carried on by scan.
struct TIndexedMergeStats {
    int indexedMarkers = 0;
    bool scanned = false;
};

TMergeResult MergeByMarkerIndex(std::string templateText, const TMergeLines& lines, const TMergeProgress& progress,
                                size_t maxLength, TIndexedMergeStats* stats = nullptr);
