#include "assembly/CheckTemplate.h"

#include "assembly/MergeMessages.h"
#include "platform/Cp1252.h"
#include "text/Evaluator.h"
#include "text/StringManager.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

namespace {

constexpr char kPilcrow = '\xB6';
constexpr std::string_view kOperatorChars = "*+-/^";
// A formatting run between "@" and its digits is short; looking further than
// this would make a template full of "@" quadratic.
constexpr size_t kFormattingLookAhead = 4096;
// How much of the text after an inserted value the check of the markers inside
// it reads: ExtractMarker's look-ahead, and the characters overwrite mode covers.
constexpr size_t kFollowing = 4096;
// The part of the working text a marker's reading can depend on.
constexpr size_t kWindow = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool LooksLikeRtf(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
    return s.substr(i, 5) == "{\\rtf";
}

struct ControlWord {
    std::string_view word;
    bool hasParam = false;
    long param = 0;
    size_t end = 0; // one past the word, its parameter and its delimiting space
};

// The control word whose backslash is at i (a letter follows it).
ControlWord ReadControlWord(std::string_view s, size_t i) {
    ControlWord w;
    size_t j = i + 1;
    while (j < s.size() && IsLetter(s[j])) ++j;
    w.word = s.substr(i + 1, j - i - 1);
    const size_t signAt = j;
    if (j < s.size() && s[j] == '-') ++j;
    const size_t digitsAt = j;
    while (j < s.size() && IsDigit(s[j]) && j - digitsAt < 10) w.param = w.param * 10 + (s[j++] - '0');
    if (j > digitsAt) {
        w.hasParam = true;
        if (signAt != digitsAt) w.param = -w.param;
    } else {
        j = signAt;
    }
    if (j < s.size() && s[j] == ' ') ++j;
    w.end = j;
    return w;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of «\'hh» at i, or -1 when the escape is malformed.
int EscapedByte(std::string_view s, size_t i) {
    if (i + 3 >= s.size()) return -1;
    const int hi = HexValue(s[i + 2]), lo = HexValue(s[i + 3]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// Control words that put something on the page; every other word only formats.
bool IsVisibleWord(std::string_view w) {
    static constexpr std::array<std::string_view, 22> kWords = {
        "par",     "line",      "tab",    "cell",    "row",     "page",    "sect",    "column",
        "lquote",  "rquote",    "ldblquote", "rdblquote", "bullet", "emdash", "endash", "emspace",
        "enspace", "qmspace",   "chpgn",  "chdate",  "nestcell", "u"};
    return std::find(kWords.begin(), kWords.end(), w) != kWords.end();
}

// Groups whose text a reader never sees in the flow (tables, bookmarks, pictures …).
bool IsSkippedDestination(std::string_view s, size_t i) {
    while (i < s.size() && (s[i] == '\r' || s[i] == '\n')) ++i;
    if (s.substr(i, 2) == "\\*") return true;
    if (i + 1 >= s.size() || s[i] != '\\' || !IsLetter(s[i + 1])) return false;
    static constexpr std::array<std::string_view, 18> kDestinations = {
        "fonttbl",   "colortbl",   "stylesheet", "info",      "pict",     "fldinst",
        "bkmkstart", "bkmkend",    "listtable",  "listoverridetable", "rsidtbl", "generator",
        "xmlnstbl",  "themedata",  "datastore",  "latentstyles", "objdata", "nonshppict"};
    const std::string_view word = ReadControlWord(s, i).word;
    return std::find(kDestinations.begin(), kDestinations.end(), word) != kDestinations.end();
}

// One past the "}" that closes the group opened at i, or `limit`.
size_t EndOfGroup(std::string_view s, size_t i, size_t limit) {
    int depth = 0;
    for (; i < limit; ++i) {
        if (s[i] == '\\') ++i;
        else if (s[i] == '{') ++depth;
        else if (s[i] == '}' && --depth == 0) return i + 1;
    }
    return limit;
}

} // namespace

// --- the visible text -------------------------------------------------------------------

TVisibleText VisibleTemplateText(std::string_view s) {
    TVisibleText v;
    v.text.reserve(s.size() / 2);
    v.sourcePos.reserve(s.size() / 2);
    if (!LooksLikeRtf(s)) {
        for (size_t i = 0; i < s.size(); ++i) {
            char c = s[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
                c = kPilcrow;
            }
            v.text += c;
            v.sourcePos.push_back(i);
        }
        return v;
    }
    struct Group {
        bool skip;
        long uc;
    };
    std::vector<Group> stack;
    bool skip = false;
    long uc = 1, fallback = 0;
    auto emit = [&](char c, size_t at) {
        if (fallback > 0) {
            --fallback;
            return;
        }
        v.text += c;
        v.sourcePos.push_back(at);
    };
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '{') {
            stack.push_back({skip, uc});
            ++i;
            if (!skip && IsSkippedDestination(s, i)) skip = true;
        } else if (c == '}') {
            if (!stack.empty()) {
                skip = stack.back().skip;
                uc = stack.back().uc;
                stack.pop_back();
            }
            fallback = 0;
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            if (!skip) emit(c, i);
            ++i;
        } else if (i + 1 >= s.size()) {
            break;
        } else if (IsLetter(s[i + 1])) {
            const ControlWord w = ReadControlWord(s, i);
            if (w.word == "bin" && w.hasParam && w.param > 0) {
                i = std::min(s.size(), w.end + size_t(w.param));
                continue;
            }
            if (w.word == "uc" && w.hasParam) uc = std::max(0L, w.param);
            if (!skip) {
                const std::string_view x = w.word;
                if (x == "par" || x == "sect" || x == "page" || x == "row") emit(kPilcrow, i);
                else if (x == "line" || x == "tab" || x == "cell" || x.ends_with("space")) emit(' ', i);
                else if (x == "lquote") emit('\x91', i);
                else if (x == "rquote") emit('\x92', i);
                else if (x == "ldblquote") emit('\x93', i);
                else if (x == "rdblquote") emit('\x94', i);
                else if (x == "bullet") emit('\x95', i);
                else if (x == "endash") emit('\x96', i);
                else if (x == "emdash") emit('\x97', i);
                else if (x == "u" && w.hasParam) {
                    fallback = 0;
                    emit(char(Platform::UnicodeToByte(char32_t(w.param < 0 ? w.param + 65536 : w.param))), i);
                    fallback = uc;
                }
            }
            i = w.end;
        } else {
            const char d = s[i + 1];
            if (d == '\'') {
                const int b = EscapedByte(s, i);
                if (!skip && b >= 0) emit(char(b), i);
                i += b >= 0 ? 4 : 2;
                continue;
            }
            if (!skip) {
                if (d == '\r' || d == '\n') emit(kPilcrow, i);
                else if (d == '~') emit(' ', i);
                else if (d == '_') emit('-', i);
                else if (d == '\\' || d == '{' || d == '}') emit(d, i);
            }
            i += 2;
        }
    }
    return v;
}

std::string DigitsAcrossFormatting(std::string_view s, size_t from) {
    const size_t limit = std::min(s.size(), from + kFormattingLookAhead);
    bool skipped = false;
    std::string digits;
    auto digit = [&](char c) {
        if (!skipped && digits.empty()) return false; // digits right after: no formatting between
        digits += c;
        return true;
    };
    size_t i = from;
    while (i < limit) {
        const char c = s[i];
        if (c == '{') {
            skipped = true;
            i = IsSkippedDestination(s, i + 1) ? EndOfGroup(s, i, limit) : i + 1;
        } else if (c == '}' || c == '\r' || c == '\n') {
            skipped = true;
            ++i;
        } else if (IsDigit(c)) {
            if (!digit(c)) return {};
            ++i;
        } else if (c != '\\' || i + 1 >= s.size()) {
            break;
        } else if (IsLetter(s[i + 1])) {
            const ControlWord w = ReadControlWord(s, i);
            if (w.word == "u" && w.hasParam && w.param >= '0' && w.param <= '9') {
                if (!digit(char(w.param))) return {};
                i = w.end < limit && s[w.end] != '\\' && s[w.end] != '{' ? w.end + 1 : w.end; // its fallback
                continue;
            }
            if (IsVisibleWord(w.word)) break;
            skipped = true;
            i = w.end;
        } else if (s[i + 1] == '\'') {
            const int b = EscapedByte(s, i);
            if (b < '0' || b > '9' || !digit(char(b))) break;
            i += 4;
        } else if (s[i + 1] == '*' || s[i + 1] == '-' || s[i + 1] == ':' || s[i + 1] == '|') {
            skipped = true;
            i += 2;
        } else {
            break; // an escaped brace or backslash, a hard space or hyphen, a paragraph: all visible
        }
    }
    return skipped ? digits : std::string();
}

// --- the check ------------------------------------------------------------------------

bool TCheckReport::MergeWouldSucceed() const { return FirstStop() == nullptr; }

const TCheckFinding* TCheckReport::FirstStop() const {
    for (const TCheckFinding& f : findings)
        if (f.stopsMerge) return &f;
    return nullptr;
}

size_t TCheckReport::Count(TFindingKind kind) const {
    return size_t(std::count_if(findings.begin(), findings.end(), [&](const TCheckFinding& f) { return f.kind == kind; }));
}

bool TCheckReport::Clean() const {
    return std::all_of(findings.begin(), findings.end(), [](const TCheckFinding& f) {
        return f.kind == TFindingKind::Replaced || f.kind == TFindingKind::NotEvaluated;
    });
}

namespace {

std::string StopReason(TMergeOutcome outcome, const std::string& marker, const std::string& value = {}) {
    TMergeResult r;
    r.outcome = outcome;
    r.marker = marker;
    r.value = value;
    return MergeOutcomeMessage(r).text;
}

class CheckRun {
public:
    CheckRun(std::string_view text, const TMergeLines& lines, TMergeMode mode)
        : FText(text), FLines(lines), FMode(mode), FCount(lines.Count()), FVisible(VisibleTemplateText(text)),
          FRtf(LooksLikeRtf(text)), FUsed(size_t(std::max<int64_t>(FCount / 2, 0)) + 1, false),
          FState(size_t(std::max<int64_t>(FCount, 0)), 0) {}

    TCheckReport Run() {
        for (size_t p = FText.find('@'); p != std::string_view::npos; p = FText.find('@', p + 1)) SourceMarker(p);
        for (int64_t n = 1; 2 * n <= FCount; ++n) {
            if (FUsed[size_t(n)]) continue;
            TCheckFinding f;
            f.kind = TFindingKind::Unused;
            f.line = 2 * n - 1;
            f.marker = "@" + std::to_string(n);
            f.heading = FLines.GetRtf(2 * n - 2);
            f.value = FLines.GetRtf(2 * n - 1);
            f.reason = "no marker uses this information";
            FReport.findings.push_back(std::move(f));
        }
        return std::move(FReport);
    }

private:
    TCheckFinding At(TFindingKind kind, size_t p, const std::string& marker) {
        TCheckFinding f;
        f.kind = kind;
        f.position = p;
        f.marker = marker;
        // Findings come in source order, so the visible index only moves forward.
        while (FVisiblePtr < FVisible.sourcePos.size() && FVisible.sourcePos[FVisiblePtr] < p) ++FVisiblePtr;
        const size_t i = FVisiblePtr;
        const size_t from = i > kCheckContext ? i - kCheckContext : 0;
        f.before = FVisible.text.substr(from, i - from);
        f.after = FVisible.text.substr(std::min(i, FVisible.text.size()), kCheckContext);
        f.visibleIndex = i;
        return f;
    }

    void Describe(TCheckFinding& f, int64_t index) {
        if (index < 1 || index >= FCount) return;
        f.line = index;
        f.heading = FLines.GetRtf(index - 1);
        // As the merge inserts it: a name beyond the code page as RTF escapes, which
        // the report turns back into its characters.
        f.value = InsertedValue(FLines, index);
    }

    void MarkUsed(int64_t index) {
        if (index >= 1 && index < FCount) FUsed[size_t((index + 1) / 2)] = true;
    }

    void Push(TCheckFinding f) { FReport.findings.push_back(std::move(f)); }

    // The character before position p in the working text when the merge gets there.
    int CharBefore(size_t p) const {
        return p == FLastEnd ? FLastChar : (p > 0 ? (unsigned char)FText[p - 1] : -1);
    }

    static bool Delimits(int c) { return c < 0 || TStringManager::IsWordDelimiter((unsigned char)c); }

    // Insert mode: an earlier marker's replacement of all its whole-word
    // occurrences already took the text at p, whatever ExtractMarker reads there.
    struct Replaced {
        int64_t index;
        std::string value;
    };
    using ReplacedEntry = std::pair<const std::string, Replaced>;

    const ReplacedEntry* ReplacedEarlier(size_t p) const { return ReplacedEarlierAt(p, CharBefore(p)); }

    const ReplacedEntry* ReplacedEarlierAt(size_t p, int before) const {
        for (const size_t length : FReplacedLengths) {
            const auto it = FReplacedAll.find(std::string(FText.substr(p, length)));
            if (it == FReplacedAll.end()) continue;
            const size_t end = p + length;
            if (Delimits(before) && Delimits(end < FText.size() ? (unsigned char)FText[end] : -1)) return &*it;
        }
        return nullptr;
    }

    // The working text from p on as the merge will see it there: occurrences of
    // markers already replaced everywhere (insert mode) hold their values. Only
    // the first few characters matter to ExtractMarker.
    std::string WorkingTextAt(size_t p) const { return std::string(FText.substr(p, 1)) + WorkingTextFrom(p + 1); }

    std::string WorkingTextFrom(size_t j) const {
        std::string w;
        while (j < FText.size() && w.size() < kWindow) {
            const auto* earlier =
                FText[j] == '@' ? ReplacedEarlierAt(j, j > 0 ? (unsigned char)FText[j - 1] : -1) : nullptr;
            if (earlier) {
                w += earlier->second.value;
                j += earlier->first.size();
            } else {
                w += FText[j++];
            }
        }
        return w + std::string(FText.substr(j, FMode == TMergeMode::Insert ? kWindow : kFollowing));
    }

    void SourceMarker(size_t p) {
        const auto* earlier = FMode == TMergeMode::Insert ? ReplacedEarlier(p) : nullptr;
        const bool nearOther = !earlier && FMode == TMergeMode::Insert && !FReplacedAll.empty() &&
                               FText.substr(p + 1, kWindow).find('@') != std::string_view::npos;
        const std::string window = nearOther ? WorkingTextAt(p) : std::string();
        const std::string marker = earlier ? earlier->first : ExtractMarker(nearOther ? window : FText.substr(p));
        const int64_t index = earlier ? earlier->second.index : LineIndexOfMarker(marker);
        const bool hasNumber = index != LineIndexOfMarker("@");
        if (!hasNumber) {
            const std::string digits = FRtf ? DigitsAcrossFormatting(FText, p + 1) : std::string();
            TCheckFinding f = At(digits.empty() ? TFindingKind::MissingValue : TFindingKind::SplitMarker, p, marker);
            f.outcome = TMergeOutcome::MissingValue;
            f.stopsMerge = true;
            f.reason = StopReason(TMergeOutcome::MissingValue, marker);
            if (!digits.empty()) {
                f.meant = "@" + digits;
                const int64_t meantIndex = LineIndexOfMarker(f.meant);
                Describe(f, meantIndex);
                MarkUsed(meantIndex);
            }
            return Push(std::move(f));
        }
        if (index >= FCount) {
            TCheckFinding f = At(TFindingKind::MissingValue, p, marker);
            f.line = index;
            f.outcome = TMergeOutcome::MissingValue;
            f.stopsMerge = true;
            f.reason = StopReason(TMergeOutcome::MissingValue, marker);
            return Push(std::move(f));
        }
        const std::string value = index >= 0 ? MergeValue(FLines.Get(index)) : std::string();
        const size_t end = p + marker.size();
        if (FMode == TMergeMode::Insert) {
            const int before = CharBefore(p);
            const int after = nearOther ? (window.size() > marker.size() ? (unsigned char)window[marker.size()] : -1)
                                        : (end < FText.size() ? (unsigned char)FText[end] : -1);
            if (!Delimits(before) || !Delimits(after)) {
                TCheckFinding f = At(TFindingKind::Refused, p, marker);
                Describe(f, index);
                f.outcome = TMergeOutcome::MarkerJoined;
                f.stopsMerge = true;
                f.reason = StopReason(TMergeOutcome::MarkerJoined, marker);
                MarkUsed(index);
                return Push(std::move(f));
            }
            FLastEnd = end;
            FLastChar = value.empty() ? before : (unsigned char)value.back();
            if (FReplacedAll.emplace(marker, Replaced{index, value}).second &&
                std::find(FReplacedLengths.begin(), FReplacedLengths.end(), marker.size()) == FReplacedLengths.end())
                FReplacedLengths.push_back(marker.size());
        } else {
            const size_t w = std::max(marker.size(), value.size());
            if (FText.substr(end, w).find('@') != std::string_view::npos) {
                TCheckFinding f = At(TFindingKind::Refused, p, marker);
                Describe(f, index);
                f.outcome = TMergeOutcome::OverwriteRefused;
                f.stopsMerge = true;
                f.reason = StopReason(TMergeOutcome::OverwriteRefused, marker, InsertedValue(FLines, index));
                MarkUsed(index);
                return Push(std::move(f));
            }
        }
        TCheckFinding replaced = At(TFindingKind::Replaced, p, marker);
        Describe(replaced, index);
        MarkUsed(index);
        Push(replaced);
        if (FRtf) {
            const std::string more = DigitsAcrossFormatting(FText, end);
            if (!more.empty()) {
                TCheckFinding f = replaced;
                f.kind = TFindingKind::SplitMarker;
                f.meant = marker + more;
                f.reason = "the merge replaces " + marker + " and leaves the " + more +
                           " after the formatting as text";
                const int64_t meantIndex = LineIndexOfMarker(f.meant);
                f.line = -1;
                f.heading.clear();
                f.value.clear();
                Describe(f, meantIndex);
                MarkUsed(meantIndex);
                Push(std::move(f));
            }
        }
        // Only a value that brings markers along needs what follows it.
        const std::string following = value.find('@') == std::string::npos ? std::string()
                                      : nearOther ? After(window, marker.size(), value.size())
                                      : FMode == TMergeMode::Insert ? WorkingTextFrom(end)
                                                                    : Following(end, value.size(), marker.size());
        if (index >= 1) ValueOf(index, replaced, 0, following, CharBefore(p));
    }

    // The few characters that follow an inserted value in the working text: a
    // marker at the value's end reads them, as the merge's look-ahead does.
    std::string Following(size_t end, size_t valueSize, size_t markerSize) const {
        return After(FText.substr(end - markerSize, markerSize + std::max(valueSize, markerSize) + kFollowing),
                     markerSize, valueSize);
    }

    // The text after a value that replaced the marker at the start of `rest`.
    std::string After(std::string_view rest, size_t markerSize, size_t valueSize) const {
        if (FMode == TMergeMode::Overwrite && valueSize > markerSize)
            return std::string(rest.substr(std::min(rest.size(), valueSize), kFollowing));
        const size_t pad = FMode == TMergeMode::Overwrite ? markerSize - valueSize : 0;
        return std::string(pad, ' ') + std::string(rest.substr(std::min(rest.size(), markerSize), kFollowing));
    }

    // What the merge meets in the value of line `index`: an arithmetic value that
    // does not evaluate, and markers the value brings along. Each line once.
    void ValueOf(int64_t index, const TCheckFinding& where, int depth, const std::string& following, int before) {
        uint8_t& state = FState[size_t(index)];
        if (state != 0) return;
        state = 1; // open: meeting this line again inside it would never end
        const std::string raw = FLines.Get(index);
        if (raw.find_first_of(kOperatorChars) != std::string::npos) {
            const TEvaluationResult evaluated = EvaluateExpression(raw);
            if (!evaluated.Ok()) {
                TCheckFinding f = where;
                f.kind = TFindingKind::NotEvaluated;
                f.meant.clear();
                f.line = -1;
                Describe(f, index);
                f.marker = "@" + std::to_string((index + 1) / 2);
                f.reason = "does not evaluate (" + evaluated.error + "); inserted as written";
                Push(std::move(f));
            }
        }
        const std::string value = MergeValue(raw);
        const std::string via = "@" + std::to_string((index + 1) / 2);
        for (size_t i = value.find('@'); i != std::string::npos && depth < 1000; i = value.find('@', i + 1)) {
            const std::string rest = value.substr(i) + following;
            const std::string marker = ExtractMarker(rest);
            const int64_t inner = LineIndexOfMarker(marker);
            const int innerBefore = i > 0 ? (unsigned char)value[i - 1] : before;
            const bool glued = FMode == TMergeMode::Insert &&
                               (!Delimits(innerBefore) ||
                                !Delimits(rest.size() > marker.size() ? (unsigned char)rest[marker.size()] : -1));
            const bool repeats = inner >= 0 && inner < FCount && FState[size_t(inner)] == 1;
            const std::string innerValue = inner < FCount && inner >= 0 ? MergeValue(FLines.Get(inner)) : std::string();
            const bool covers = FMode == TMergeMode::Overwrite && inner < FCount && !repeats &&
                                std::string_view(rest)
                                        .substr(std::min(rest.size(), marker.size()),
                                                std::max(marker.size(), innerValue.size()))
                                        .find('@') != std::string_view::npos;
            if (inner >= FCount || repeats || glued || covers) {
                TCheckFinding f = where;
                f.kind = inner >= FCount ? TFindingKind::MissingValue : TFindingKind::Refused;
                f.outcome = inner >= FCount ? TMergeOutcome::MissingValue
                            : repeats       ? TMergeOutcome::ValueRepeats
                            : covers        ? TMergeOutcome::OverwriteRefused
                                            : TMergeOutcome::MarkerJoined;
                f.marker = marker;
                f.via = via;
                f.meant.clear();
                f.line = inner < FCount ? inner : -1;
                f.heading.clear();
                f.value.clear();
                f.stopsMerge = true;
                f.reason = StopReason(f.outcome, marker, covers ? innerValue : std::string());
                Push(std::move(f));
                continue;
            }
            MarkUsed(inner);
            if (inner >= 1)
                ValueOf(inner, where, depth + 1, After(rest, marker.size(), innerValue.size()), innerBefore);
        }
        state = 2;
    }

    std::string_view FText;
    const TMergeLines& FLines;
    const TMergeMode FMode;
    const int64_t FCount;
    const TVisibleText FVisible;
    const bool FRtf;
    std::vector<bool> FUsed;     // by marker number
    std::vector<uint8_t> FState; // by line index: 0 not met, 1 open, 2 done
    size_t FVisiblePtr = 0;
    size_t FLastEnd = std::string::npos; // end of the last replaced marker (insert mode)
    int FLastChar = -1;                  // the working text's character there after the replacement
    std::unordered_map<std::string, Replaced> FReplacedAll; // insert mode: markers replaced everywhere
    std::vector<size_t> FReplacedLengths;                  // the lengths among them
    TCheckReport FReport;
};

} // namespace

TCheckReport CheckTemplate(std::string_view templateText, const TMergeLines& lines, TMergeMode mode) {
    return CheckRun(templateText, lines, mode).Run();
}

// --- reports ----------------------------------------------------------------------------

const char* FindingKindName(TFindingKind kind) {
    switch (kind) {
    case TFindingKind::Replaced: return "replaced";
    case TFindingKind::MissingValue: return "missing";
    case TFindingKind::SplitMarker: return "split";
    case TFindingKind::Refused: return "refused";
    case TFindingKind::NotEvaluated: return "not-evaluated";
    case TFindingKind::Unused: return "unused";
    }
    return "";
}

namespace {

const char* OutcomeName(TMergeOutcome outcome) {
    switch (outcome) {
    case TMergeOutcome::Done: return "done";
    case TMergeOutcome::MissingValue: return "missing-value";
    case TMergeOutcome::OverwriteRefused: return "overwrite-refused";
    case TMergeOutcome::MarkerJoined: return "marker-joined";
    case TMergeOutcome::ValueRepeats: return "value-repeats";
    case TMergeOutcome::TooLarge: return "too-large";
    }
    return "";
}

// One line for the terminal: UTF-8 (names beyond the code page from their escapes),
// control characters shown as spaces.
std::string Printable(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if ((unsigned char)c < 32) c = ' ';
    return Platform::RtfAnsiToUtf8(s);
}

std::string OneLine(const std::string& message) {
    std::string out;
    for (char c : message) {
        if (c == ';') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    while (!out.empty() && out.front() == ' ') out.erase(out.begin());
    return out;
}

std::string Quoted(std::string_view s) { return "\"" + Printable(s) + "\""; }

std::string Where(const TCheckFinding& f) {
    return "  " + Printable(f.marker) + "  at " + std::to_string(f.position) +
           (f.via.empty() ? "" : " (in the value of " + f.via + ")");
}

std::string Context(const TCheckFinding& f) {
    return "      \xE2\x80\xA6" + Printable(f.before) + "\xE2\x96\xB8" + Printable(f.after) + "\xE2\x80\xA6\n";
}

std::string Pair(const TCheckFinding& f) {
    if (f.line < 1) return "(no information line)";
    return "line " + std::to_string(f.line) + " " + Quoted(f.heading) + " = " + Quoted(f.value);
}

void JsonString(std::string& out, std::string_view s) {
    out += '"';
    for (const char c : Platform::RtfAnsiToUtf8(s)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if ((unsigned char)c < 32) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", (unsigned char)c);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace

std::string CheckReportText(const TCheckReport& report, TMergeMode mode) {
    std::string out;
    const size_t replaced = report.Count(TFindingKind::Replaced);
    out += "Markers the merge replaces (" + std::string(mode == TMergeMode::Insert ? "insert" : "overwrite") +
           " mode): " + std::to_string(replaced) + "\n";
    for (const TCheckFinding& f : report.findings)
        if (f.kind == TFindingKind::Replaced) out += Where(f) + "  " + Pair(f) + "\n";
    std::string problems, notes, unused;
    for (const TCheckFinding& f : report.findings) {
        switch (f.kind) {
        case TFindingKind::Replaced: break;
        case TFindingKind::MissingValue:
            problems += Where(f) + "  MISSING VALUE: " +
                        (f.line >= 1 ? "the information file has no line " + std::to_string(f.line + 1)
                                     : std::string("not a marker number")) +
                        "\n" + Context(f);
            break;
        case TFindingKind::SplitMarker:
            problems += Where(f) + "  SPLIT MARKER: you wrote " + Printable(f.meant) +
                        ", but formatting separates it, so the merge sees " + Printable(f.marker) +
                        (f.stopsMerge ? " and stops" : "") + "; " + Pair(f) + "\n" + Context(f);
            break;
        case TFindingKind::Refused:
            problems += Where(f) + "  REFUSED (" + OutcomeName(f.outcome) + "): " + Printable(OneLine(f.reason)) +
                        "\n" + Context(f);
            break;
        case TFindingKind::NotEvaluated:
            notes += Where(f) + "  " + Pair(f) + " " + Printable(f.reason) + "\n";
            break;
        case TFindingKind::Unused:
            unused += "  " + Pair(f) + "  (" + Printable(f.marker) + ")\n";
            break;
        }
    }
    if (!problems.empty()) out += "Problems:\n" + problems;
    if (!unused.empty()) out += "Information no marker uses:\n" + unused;
    if (!notes.empty()) out += "Values that do not evaluate:\n" + notes;
    const TCheckFinding* stop = report.FirstStop();
    if (stop) {
        out += "The merge would stop at " + Printable(stop->marker) + " (position " + std::to_string(stop->position) +
               ").\n";
    } else {
        out += "The merge would succeed";
        out += report.Clean() ? ".\n" : ", but see the problems above.\n";
    }
    return out;
}

std::string CheckReportJson(const TCheckReport& report, TMergeMode mode) {
    std::string out = "{\n  \"mode\": ";
    out += mode == TMergeMode::Insert ? "\"insert\"" : "\"overwrite\"";
    out += ",\n  \"mergeWouldSucceed\": ";
    out += report.MergeWouldSucceed() ? "true" : "false";
    out += ",\n  \"clean\": ";
    out += report.Clean() ? "true" : "false";
    out += ",\n  \"findings\": [";
    bool first = true;
    for (const TCheckFinding& f : report.findings) {
        out += first ? "\n    {" : ",\n    {";
        first = false;
        out += "\"kind\": ";
        JsonString(out, FindingKindName(f.kind));
        out += ", \"position\": ";
        out += f.position == std::string::npos ? "null" : std::to_string(f.position);
        out += ", \"marker\": ";
        JsonString(out, f.marker);
        out += ", \"line\": ";
        out += f.line >= 1 ? std::to_string(f.line) : "null";
        out += ", \"heading\": ";
        JsonString(out, f.heading);
        out += ", \"value\": ";
        JsonString(out, f.value);
        if (!f.meant.empty()) {
            out += ", \"meant\": ";
            JsonString(out, f.meant);
        }
        if (!f.via.empty()) {
            out += ", \"via\": ";
            JsonString(out, f.via);
        }
        out += ", \"stopsMerge\": ";
        out += f.stopsMerge ? "true" : "false";
        if (f.kind == TFindingKind::Refused || f.stopsMerge) {
            out += ", \"outcome\": ";
            JsonString(out, OutcomeName(f.outcome));
        }
        out += ", \"reason\": ";
        JsonString(out, f.reason);
        out += ", \"before\": ";
        JsonString(out, f.before);
        out += ", \"after\": ";
        JsonString(out, f.after);
        out += "}";
    }
    out += first ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}
