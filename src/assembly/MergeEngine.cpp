#include "assembly/MergeEngine.h"

#include "assembly/IndexedMerge.h"
#include "assembly/MergeScan.h"

#include "platform/Numbers.h"
#include "text/Evaluator.h"
#include "text/StringManager.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

std::string TVectorLines::Get(int64_t index) const {
    return index >= 0 && index < Count() ? FLines[static_cast<size_t>(index)] : std::string();
}

std::string TVectorLines::GetRtf(int64_t index) const {
    if (FRtfLines.empty()) return Get(index);
    return index >= 0 && index < static_cast<int64_t>(FRtfLines.size()) ? FRtfLines[static_cast<size_t>(index)]
                                                                         : std::string();
}

namespace {

// Returned for a marker without a number: never below any line count.
constexpr int64_t kNoMarkerNumber = std::numeric_limits<int64_t>::max();

constexpr std::string_view kOperatorChars = "*+-/^";

} // namespace

std::string ExtractMarker(std::string_view text) {
    const size_t p = text.find('@');
    if (p == std::string_view::npos) return {};
    return MergeScan::ReadMarker([&](size_t i) {
        return p + i < text.size() ? int(static_cast<unsigned char>(text[p + i])) : -1;
    });
}

int64_t LineIndexOfMarker(std::string_view marker) {
    const auto n = Platform::StrToInt32(marker.substr(1));
    return n ? 2 * int64_t(*n) - 1 : kNoMarkerNumber;
}

int64_t MarkerLineIndex(std::string_view text) {
    if (text.find('@') == std::string_view::npos) return -1;
    return LineIndexOfMarker(ExtractMarker(text));
}

bool OverwriteMarker(std::string& text, std::string_view marker, std::string_view value, size_t columns,
                     size_t from) {
    const size_t m = marker.size(), v = std::min(columns, value.size()), w = std::max(m, v);
    const size_t q = text.find(marker, from);
    if (q == std::string::npos) return false;
    const std::string_view covered = std::string_view(text).substr(q + m, w);
    if (covered.find('@') != std::string_view::npos) return false;
    std::string placed(value);
    if (v < m) placed.append(m - v, ' ');
    text.replace(q, std::min(w, text.size() - q), placed);
    return true;
}

std::string MergeValue(const std::string& value) {
    if (value.find_first_of(kOperatorChars) == std::string::npos) return value;
    const TEvaluationResult r = EvaluateExpression(value);
    return r.Ok() ? Platform::FormatValue12(r.value) : value;
}

std::string InsertedValue(const TMergeLines& lines, int64_t index, size_t* columns) {
    const std::string line = lines.Get(index);
    std::string value = MergeValue(line);
    // Its width in characters: the 8-bit line has one byte for each.
    if (columns) *columns = value.size();
    // A name beyond the code page goes in as RTF escapes; arithmetic results and
    // values that fit go in byte for byte.
    if (value == line) value = lines.GetRtf(index);
    return value;
}

namespace MergeScan {

namespace {

// The working text of a scanning run, as a progress notification sees it.
class PlainText : public TMergeText {
public:
    explicit PlainText(const std::string& text) : FText(text) {}
    std::string Str() const override { return FText; }

private:
    const std::string& FText;
};

class MergeRun {
public:
    MergeRun(RunState state, const TMergeLines& lines, TMergeMode mode, const TMergeProgress& progress,
             size_t maxLength)
        : FLines(lines), FMode(mode), FProgress(progress), FMaxLength(maxLength), FOpen(std::move(state.open)) {
        FResult.text = std::move(state.text);
        FResult.count = state.count;
    }

    TMergeResult Run() {
        size_t from = 0; // text before the first "@" is final
        for (;;) {
            const size_t q = FResult.text.find('@', from);
            if (q == std::string::npos) break;
            from = q;
            if (!Iterate(q)) return std::move(FResult);
        }
        FResult.outcome = TMergeOutcome::Done;
        return std::move(FResult);
    }

private:
    // One marker at position q; false when the run ends there.
    bool Iterate(size_t q) {
        std::string& text = FResult.text;
        const std::string marker = ExtractMarker(std::string_view(text).substr(q));
        const int64_t index = LineIndexOfMarker(marker);
        CloseExpansionsBefore(q);
        if (index >= FLines.Count()) return Stop(TMergeOutcome::MissingValue, marker);
        if (InsideOwnExpansion(index)) return Stop(TMergeOutcome::ValueRepeats, marker);
        size_t columns = 0;
        const std::string value = InsertedValue(FLines, index, &columns);
        bool replacedFirst = true;
        if (FMode == TMergeMode::Overwrite) {
            if (text.size() + value.size() > FMaxLength) return Stop(TMergeOutcome::TooLarge, marker);
            const size_t before = text.size();
            // No "@" stands before q, so the first occurrence is found from there.
            if (!OverwriteMarker(text, marker, value, columns, q)) {
                FResult.value = value;
                return Stop(TMergeOutcome::OverwriteRefused, marker);
            }
            const size_t inserted = value.size() + (columns < marker.size() ? marker.size() - columns : 0);
            const size_t removed = inserted + before - text.size();
            ShiftExpansions(q, removed, inserted);
            FResult.count += 1;
        } else {
            TExpansionShift shift(FOpen, marker.size(), value.size());
            size_t first = std::string::npos;
            int n = 0;
            try {
                n = TStringManager::Replace(marker, value, text, {false, true, false, FMaxLength}, q, [&](size_t at) {
                    if (first == std::string::npos) first = at;
                    shift.Match(at);
                });
            } catch (const std::length_error&) {
                return Stop(TMergeOutcome::TooLarge, marker);
            }
            shift.Finish();
            replacedFirst = n > 0 && first == q;
            FResult.count += n;
        }
        if (!value.empty()) FOpen.push_back({q + value.size(), index});
        if (FProgress) FProgress(FResult.count, PlainText(text));
        if (!replacedFirst) return Stop(TMergeOutcome::MarkerJoined, marker);
        return true;
    }

    bool Stop(TMergeOutcome outcome, const std::string& marker) {
        FResult.outcome = outcome;
        FResult.marker = marker;
        return false;
    }

    void CloseExpansionsBefore(size_t q) {
        while (!FOpen.empty() && FOpen.back().end <= q) FOpen.pop_back();
    }

    bool InsideOwnExpansion(int64_t index) const {
        return std::any_of(FOpen.begin(), FOpen.end(), [&](const Expansion& e) { return e.lineIndex == index; });
    }

    // Overwrite: `removed` characters at q became `inserted` ones.
    void ShiftExpansions(size_t q, size_t removed, size_t inserted) {
        for (Expansion& e : FOpen)
            e.end = e.end <= q + removed ? q + inserted : e.end + inserted - removed;
    }

    // Insert: each match (old positions, given in increasing order) of `searchLen`
    // characters became `replLen` ones. Works as the matches stream by, so no list
    // of them is kept however many there are.
    class TExpansionShift {
    public:
        TExpansionShift(std::vector<Expansion>& open, size_t searchLen, size_t replLen)
            : FSearchLen(searchLen), FReplLen(replLen) {
            FByEnd.reserve(open.size());
            for (Expansion& e : open) FByEnd.push_back({e.end, &e});
            std::sort(FByEnd.begin(), FByEnd.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        }
        void Match(size_t at) {
            // Every expansion ending at or before this match has seen all matches before its end.
            while (FNext < FByEnd.size() && FByEnd[FNext].first <= at) Place(FByEnd[FNext++]);
            ++FCount;
            FLast = at;
        }
        void Finish() {
            while (FNext < FByEnd.size()) Place(FByEnd[FNext++]);
        }

    private:
        void Place(const std::pair<size_t, Expansion*>& item) {
            const size_t end = item.first, k = FCount;
            if (k > 0 && FLast + FSearchLen > end) // a match across the end joins the expansion
                item.second->end = FLast + (k - 1) * FReplLen - (k - 1) * FSearchLen + FReplLen;
            else
                item.second->end = end + k * FReplLen - k * FSearchLen;
        }

        const size_t FSearchLen, FReplLen;
        std::vector<std::pair<size_t, Expansion*>> FByEnd;
        size_t FNext = 0, FCount = 0, FLast = 0;
    };

    const TMergeLines& FLines;
    const TMergeMode FMode;
    const TMergeProgress& FProgress;
    const size_t FMaxLength;
    std::vector<Expansion> FOpen;
    TMergeResult FResult;
};

} // namespace

TMergeResult ContinueByScan(RunState state, const TMergeLines& lines, TMergeMode mode,
                            const TMergeProgress& progress, size_t maxLength) {
    return MergeRun(std::move(state), lines, mode, progress, maxLength).Run();
}

} // namespace MergeScan

TMergeResult MergeTemplateByScan(std::string templateText, const TMergeLines& lines, TMergeMode mode,
                                 const TMergeProgress& progress, size_t maxLength) {
    return MergeScan::ContinueByScan({std::move(templateText), 0, {}}, lines, mode, progress, maxLength);
}

TMergeResult MergeTemplate(std::string templateText, const TMergeLines& lines, TMergeMode mode,
                           const TMergeProgress& progress, size_t maxLength) {
    // Overwrite mode changes one place per marker, in place: scanning costs nothing more.
    if (mode == TMergeMode::Overwrite)
        return MergeTemplateByScan(std::move(templateText), lines, mode, progress, maxLength);
    return MergeByMarkerIndex(std::move(templateText), lines, progress, maxLength);
}
