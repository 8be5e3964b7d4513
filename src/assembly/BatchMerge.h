// Many merges of one template at once: one document per information file or per
// spreadsheet row, merged on every core and written safely, each exactly what a
// single merge of that information gives.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "assembly/MergeEngine.h"

struct TBatchItem {
    std::string label;      // how failures name it: "row 7", or the information file's name
    std::string outputName; // the document's file name in the output folder
    std::vector<std::string> lines;
    std::vector<std::string> rtfLines; // the lines' RTF forms, or empty when they fit the code page
    std::string error;      // the lines could not be read: the item fails with this message
};

// Hands out the next item; false when there is none. Called on the calling thread only.
using TBatchSource = std::function<bool(TBatchItem&)>;

// Writes one merged document.
using TBatchWriter = std::function<void(const std::string& fileName, const std::string& merged)>;

// One document's merge when the template is not RTF source (a .docx or .odt package).
using TBatchMerge = std::function<TMergeResult(const TMergeLines& lines)>;

struct TBatchOptions {
    TMergeMode mode = TMergeMode::Insert;
    TBatchMerge merge;     // instead of MergeTemplate on the template text
    std::string outDir;
    unsigned threads = 0;  // 0: one per core
    int64_t total = 0;     // items expected, for the progress line; 0 when unknown
    bool progress = false; // a progress line on standard error
    TBatchWriter write;    // called on the merging threads
    bool writeOnCaller = false; // call `write` on the calling thread instead (a writer that needs it)
    bool namesUnique = false;   // the source never repeats a name: no need to remember them
};

struct TBatchSummary {
    int64_t merged = 0, failed = 0;
};

// Runs the batch; each failure is reported on `report` as "LABEL: reason".
TBatchSummary RunBatchMerge(const std::string& templateText, const TBatchSource& source, const TBatchOptions& options,
                            std::ostream& report);

// «298 merged, 2 failed»
std::string BatchSummaryLine(const TBatchSummary& summary);
