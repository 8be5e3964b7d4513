// The marker check: every problem a merge of these information lines into this
// template would meet, found in one pass over the template's source instead of
// one merge run per problem.
//
// It reads the source as the merge does (ExtractMarker, LineIndexOfMarker,
// MergeValue, the whole-word rule of the replacement) and, beyond the merge, the
// rendered text around each "@", so that a marker a word processor split with
// formatting («@{\b 1}») is recognised as the marker the user meant.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembly/MergeEngine.h"

enum class TFindingKind {
    Replaced,     // the merge replaces this marker
    MissingValue, // no value line, or no marker number: the merge stops here
    SplitMarker,  // "@" and its digits separated by RTF formatting
    Refused,      // the merge stops here for another reason (see outcome)
    NotEvaluated, // an arithmetic-looking value that does not evaluate: inserted as written
    Unused,       // an information pair no marker uses
};

struct TCheckFinding {
    TFindingKind kind = TFindingKind::Replaced;
    size_t position = std::string::npos; // 0-based offset of the "@" in the template source; npos for Unused
    std::string marker;                  // the marker text as the merge reads it
    int64_t line = -1;                   // 1-based line number of the heading, -1 when there is none
    std::string heading;
    std::string value;                   // as the merge would insert it
    std::string meant;                   // SplitMarker: the marker the user wrote, e.g. "@12"
    std::string via;                     // a marker met inside another marker's value: that marker
    TMergeOutcome outcome = TMergeOutcome::Done; // MissingValue/Refused/SplitMarker: how the merge ends there
    bool stopsMerge = false;             // the merge run ends at this marker
    std::string reason;                  // the merge's own message (";" separates lines), or a short note
    std::string before, after;           // the visible text before the "@" and from it on
    size_t visibleIndex = std::string::npos; // index of the "@" in the visible text
};

struct TCheckReport {
    std::vector<TCheckFinding> findings; // in source order; unused pairs last, in line order

    // Whether the merge would run to its end.
    bool MergeWouldSucceed() const;
    // Whether nothing but replacements and notes was found: exit status 0 of `kelvora check`.
    bool Clean() const;
    // The first finding where the merge stops, or nullptr.
    const TCheckFinding* FirstStop() const;
    size_t Count(TFindingKind kind) const;
};

// How many visible characters of context each finding carries on either side.
constexpr size_t kCheckContext = 30;

// `maxLength`: the merge's growth limit (MergeTemplate's), past which it stops.
TCheckReport CheckTemplate(std::string_view templateText, const TMergeLines& lines, TMergeMode mode,
                           size_t maxLength = kMaxMergedLength);

// The template's text as a reader sees it (RTF rendered to plain characters, a
// paragraph as "¶"), with the source offset of each character; plain text when the
// template is not RTF.
struct TVisibleText {
    std::string text;
    std::vector<size_t> sourcePos; // one per character of text
};
TVisibleText VisibleTemplateText(std::string_view templateText);

// The digits the reader sees after `from` across formatting only (control words,
// group braces, skipped destinations, source line breaks): "12" for «{\b 1}2»
// from the brace. Empty when a visible non-digit comes first or nothing was
// skipped before the first digit.
std::string DigitsAcrossFormatting(std::string_view source, size_t from);

// The findings as text for a person, and as JSON for scripts (UTF-8).
std::string CheckReportText(const TCheckReport& report, TMergeMode mode);
std::string CheckReportJson(const TCheckReport& report, TMergeMode mode);

// Short names of the kinds, as the JSON gives them.
const char* FindingKindName(TFindingKind kind);
