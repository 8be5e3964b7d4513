// The merge of an information file's values into a template's RTF source.
//
// Markers "@N" are found in the source text, never in rendered text. Each
// iteration takes the first "@" of the working text, looks up value line 2N-1,
// evaluates values that contain an operator, and replaces the marker: every
// whole-word occurrence at once in insert mode, one occurrence in place in
// overwrite mode.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The information lines as the engine reads them: a count and a line at a
// 0-based index; an index outside the list answers the empty string.
class TMergeLines {
public:
    virtual ~TMergeLines() = default;
    virtual int64_t Count() const = 0;
    virtual std::string Get(int64_t index) const = 0;
    // The line as RTF source: Get's text, except that characters the code page lacks
    // (shown by Get as "?") are "\uN?" escapes. Lines that fit answer Get's text.
    virtual std::string GetRtf(int64_t index) const { return Get(index); }
};

// Information lines held in a vector, with their RTF forms when any differ.
class TVectorLines : public TMergeLines {
public:
    explicit TVectorLines(std::vector<std::string> lines, std::vector<std::string> rtfLines = {})
        : FLines(std::move(lines)), FRtfLines(std::move(rtfLines)) {}
    int64_t Count() const override { return static_cast<int64_t>(FLines.size()); }
    std::string Get(int64_t index) const override;
    std::string GetRtf(int64_t index) const override;

private:
    std::vector<std::string> FLines;
    std::vector<std::string> FRtfLines; // empty, or one per line
};

enum class TMergeMode { Insert, Overwrite };

enum class TMergeOutcome {
    Done,             // text and count hold the merged document
    MissingValue,     // marker has no value line (or no marker number)
    OverwriteRefused, // overwrite mode would reach another marker; value holds the value
    MarkerJoined,     // insert mode: the marker at the first "@" is glued to a letter or
                      // digit around it, so it can never be replaced
    ValueRepeats,     // a value brings back a marker whose expansion it is part of:
                      // the merge would never end
    TooLarge,         // values that multiply markers would grow the text past the limit
};

struct TMergeResult {
    TMergeOutcome outcome = TMergeOutcome::Done;
    std::string text;   // the working text as the run left it
    int count = 0;      // the replacement counter
    std::string marker; // the marker the run stopped at
    std::string value;  // its value (OverwriteRefused)
};

// The working text as a progress notification sees it. Str() builds it: a pass
// over the whole text, which a notification pays only when it asks.
class TMergeText {
public:
    virtual ~TMergeText() = default;
    virtual std::string Str() const = 0;
};

// Called after every marker with the counter and the whole working text.
using TMergeProgress = std::function<void(int count, const TMergeText& workingText)>;

// Values holding several markers can multiply the text at every level of nesting;
// the merged text may not grow beyond this many bytes.
constexpr size_t kMaxMergedLength = size_t(256) << 20;

// Insert mode keeps an index of the markers, so a marker costs the places it is
// replaced at rather than a scan of the text after it.
TMergeResult MergeTemplate(std::string templateText, const TMergeLines& lines, TMergeMode mode,
                           const TMergeProgress& progress = {}, size_t maxLength = kMaxMergedLength);

// The same merge, each marker scanning and rebuilding the text after it: the
// plain reading of the rules, which MergeTemplate must match result for result.
TMergeResult MergeTemplateByScan(std::string templateText, const TMergeLines& lines, TMergeMode mode,
                                 const TMergeProgress& progress = {}, size_t maxLength = kMaxMergedLength);

// The marker at the first "@" of the text; empty only when there is no "@".
std::string ExtractMarker(std::string_view text);

// -1 without "@"; 2N-1 for the marker number N of the marker at the first "@";
// an index beyond every line list for a marker without a number.
int64_t MarkerLineIndex(std::string_view text);

// The line index of a marker text ("@" and its body), as MarkerLineIndex reads it.
int64_t LineIndexOfMarker(std::string_view marker);

// Overwrite-mode replacement of the first occurrence of `marker` (at the first "@")
// at or after `from`.
// The value covers as many source characters as it has columns (its length unless
// given: a "\uN?" escape shows as one character); the marker's own characters are
// covered always. Returns false, leaving the text alone, when the characters it
// would cover hold "@".
bool OverwriteMarker(std::string& text, std::string_view marker, std::string_view value,
                     size_t columns = std::string_view::npos, size_t from = 0);

// The value as the merge inserts it: a value with an operator character that
// evaluates becomes a 12-wide two-decimal number; anything else stays as written.
std::string MergeValue(const std::string& value);

// The value the merge inserts for line `index`: MergeValue of the line, and a name
// beyond the code page as RTF escapes. `columns`, when given, receives its width in
// characters (a "\uN?" escape is one).
std::string InsertedValue(const TMergeLines& lines, int64_t index, size_t* columns = nullptr);
