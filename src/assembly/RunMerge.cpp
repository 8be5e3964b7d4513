#include "assembly/RunMerge.h"

#include "assembly/MergeScan.h"
#include "assembly/ZipPackage.h"
#include "platform/Cp1252.h"
#include "text/StringManager.h"

#include <unordered_map>

char32_t NextUtf8(std::string_view s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len <= 1 || i + len > s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (t & 0x3F);
    }
    i += len;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void TRunText::AddBreak() {
    for (const char c : kRunBreak) {
        text += c;
        slot.push_back(-1);
        offset.push_back(0);
    }
}

void TRunText::AddSlot(std::string utf8, char (*byteOf)(char32_t)) {
    const auto id = int32_t(slots.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t at = i;
        text += byteOf(NextUtf8(utf8, i));
        slot.push_back(id);
        offset.push_back(uint32_t(at));
    }
    slots.push_back(std::move(utf8));
}

uint32_t TRunText::EndOf(size_t byte) const {
    if (byte + 1 < slot.size() && slot[byte + 1] == slot[byte]) return offset[byte + 1];
    return uint32_t(slots[size_t(slot[byte])].size());
}

std::string ValueUtf8(const TMergeLines& lines, int64_t index, const std::string& merged) {
    const std::string plain = lines.Get(index);
    if (merged != plain) return Platform::Cp1252ToUtf8(merged); // an evaluated number
    const std::string rtf = lines.GetRtf(index);
    if (rtf == plain) return Platform::Cp1252ToUtf8(plain);
    // Walk both forms: where the RTF form has an escape the plain one has "?".
    std::u16string units;
    size_t p = 0;
    for (size_t r = 0; r < rtf.size();) {
        const bool escape = rtf[r] == '\\' && (p >= plain.size() || plain[p] != '\\') && r + 1 < rtf.size() &&
                            rtf[r + 1] == 'u';
        if (!escape) {
            units += Platform::ByteToUnicode(static_cast<unsigned char>(rtf[r++]));
            ++p;
            continue;
        }
        size_t e = r + 2;
        if (e < rtf.size() && rtf[e] == '-') ++e;
        while (e < rtf.size() && MergeScan::IsDigitByte(rtf[e])) ++e;
        units += char16_t(std::stol("0" + rtf.substr(r + 2, e - r - 2)));
        r = e < rtf.size() && rtf[e] == '?' ? e + 1 : e;
        if (p < plain.size() && plain[p] == '?') ++p;
    }
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}

std::string DisplayText(const TRunText& runs) {
    std::string out = runs.text;
    for (size_t i = 0; i < out.size(); ++i) {
        if (runs.slot[i] < 0) {
            if (out[i] == '\x01') out[i] = '\xB6';
            continue;
        }
        size_t at = runs.offset[i];
        const char32_t c = NextUtf8(runs.slots[size_t(runs.slot[i])], at);
        if (c >= 0x80) out[i] = char(Platform::UnicodeToByte(c));
    }
    return out;
}

std::vector<size_t> SplitMarkers(const TRunText& runs) {
    std::vector<size_t> split;
    const std::string_view text = runs.text;
    for (size_t q = text.find('@'); q != std::string_view::npos; q = text.find('@', q + 1)) {
        const size_t len = ExtractMarker(text.substr(q)).size();
        for (size_t i = q + 1; i < q + len; ++i)
            if (runs.slot[i] != runs.slot[q]) {
                split.push_back(q);
                break;
            }
    }
    return split;
}

namespace {

// The lines as the engine reads them here: the value text itself, never its RTF form.
class PlainLines : public TMergeLines {
public:
    explicit PlainLines(const TMergeLines& lines) : FLines(lines) {}
    int64_t Count() const override { return FLines.Count(); }
    std::string Get(int64_t index) const override { return FLines.Get(index); }

private:
    const TMergeLines& FLines;
};

// A value being read again because it holds "@": its bytes, their UTF-8 forms, the
// slot it is written into and the line it came from.
struct ValueSegment {
    std::string bytes;
    std::vector<std::string> utf8;
    int32_t slot;
    int64_t line;
    size_t pos = 0;
};

struct Processed {
    int order;
    int64_t line;
};

// The markers replaced so far, as a trie: the ones that are prefixes of the text
// ahead are found in one walk along it, however long its digits run.
class MarkerTrie {
public:
    void Add(const std::string& marker, Processed p) {
        uint32_t node = 0;
        for (const char c : marker) {
            const auto [it, added] = FChildren.emplace(Key(node, c), uint32_t(FNodes.size()));
            if (added) FNodes.push_back({-1, -1});
            node = it->second;
        }
        FNodes[node] = p;
        ++FCount;
    }
    // Calls onMarker(length, processed) for each replaced marker the text starts with.
    template <typename At, typename OnMarker>
    void Prefixes(At at, size_t maxLength, OnMarker onMarker) const {
        uint32_t node = 0;
        for (size_t i = 0; i < maxLength; ++i) {
            const auto it = FChildren.find(Key(node, char(at(i))));
            if (it == FChildren.end()) return;
            node = it->second;
            if (FNodes[node].order >= 0) onMarker(i + 1, FNodes[node]);
        }
    }
    int Count() const { return FCount; }

private:
    static uint64_t Key(uint32_t node, char c) { return (uint64_t(node) << 8) | static_cast<unsigned char>(c); }
    std::vector<Processed> FNodes{{-1, -1}};
    std::unordered_map<uint64_t, uint32_t> FChildren;
    int FCount = 0;
};

class RunMerger {
public:
    RunMerger(const TRunText& runs, const TMergeLines& lines) : FRuns(runs), FLines(lines) {
        FResult.changed.assign(runs.slots.size(), false);
        FResult.pieces.resize(runs.slots.size());
    }

    TRunMergeResult Run() {
        TMergeResult& m = FResult.merge;
        while (Remaining()) {
            if (Peek(0) != '@') {
                EmitOne();
                continue;
            }
            if (!Marker()) return std::move(FResult);
            if (m.text.size() > kMaxMergedLength) {
                Halt(TMergeOutcome::TooLarge, FLastMarker);
                return std::move(FResult);
            }
        }
        m.outcome = TMergeOutcome::Done;
        return std::move(FResult);
    }

private:
    bool Remaining() {
        while (!FValues.empty() && FValues.back().pos == FValues.back().bytes.size()) FValues.pop_back();
        return !FValues.empty() || FPos < FRuns.text.size();
    }

    // The byte k places ahead, -1 past the end.
    int Peek(size_t k) const {
        for (auto v = FValues.rbegin(); v != FValues.rend(); ++v) {
            const size_t left = v->bytes.size() - v->pos;
            if (k < left) return static_cast<unsigned char>(v->bytes[v->pos + k]);
            k -= left;
        }
        return FPos + k < FRuns.text.size() ? static_cast<unsigned char>(FRuns.text[FPos + k]) : -1;
    }

    int32_t SlotHere() const { return FValues.empty() ? FRuns.slot[FPos] : FValues.back().slot; }

    void EmitOne() {
        if (!FValues.empty()) {
            ValueSegment& v = FValues.back();
            AddValue(v.slot, v.utf8[v.pos]);
            Track(v.bytes[v.pos++]);
            return;
        }
        // Text of the template up to the next "@" goes out as ranges of its slots.
        const std::string& text = FRuns.text;
        size_t end = text.find('@', FPos);
        if (end == std::string::npos) end = text.size();
        FResult.merge.text.append(text, FPos, end - FPos);
        FLast = static_cast<unsigned char>(text[end - 1]);
        for (size_t i = FPos; i < end; ++i)
            if (FRuns.slot[i] >= 0) AddRange(size_t(FRuns.slot[i]), FRuns.offset[i], FRuns.EndOf(i));
        FPos = end;
    }

    void Track(char c) {
        FResult.merge.text += c;
        FLast = static_cast<unsigned char>(c);
    }

    void AddRange(size_t slot, uint32_t begin, uint32_t end) {
        auto& pieces = FResult.pieces[slot];
        if (!pieces.empty() && !pieces.back().isValue && pieces.back().end == begin) pieces.back().end = end;
        else pieces.push_back({begin, end, {}, false});
    }

    void AddValue(int32_t slot, const std::string& utf8) {
        if (slot < 0 || utf8.empty()) return;
        FResult.changed[size_t(slot)] = true;
        auto& pieces = FResult.pieces[size_t(slot)];
        if (!pieces.empty() && pieces.back().isValue) pieces.back().value += utf8;
        else pieces.push_back({0, 0, utf8, true});
    }

    // Drops n bytes: the marker's pieces leave their slots.
    void Skip(size_t n) {
        while (n > 0) {
            Remaining();
            if (!FValues.empty()) {
                ++FValues.back().pos;
            } else {
                if (FRuns.slot[FPos] >= 0) FResult.changed[size_t(FRuns.slot[FPos])] = true;
                ++FPos;
            }
            --n;
        }
    }

    bool WholeWord(size_t length) const {
        const int after = Peek(length);
        return (FLast < 0 || TStringManager::IsWordDelimiter(static_cast<unsigned char>(FLast))) &&
               (after < 0 || TStringManager::IsWordDelimiter(static_cast<unsigned char>(after)));
    }

    bool InsideOwnValue(int64_t line) const {
        for (const ValueSegment& v : FValues)
            if (v.line == line) return true;
        return false;
    }

    // The "@" ahead: a marker an earlier iteration replaced everywhere, or a new iteration.
    bool Marker() {
        const std::string marker = MergeScan::ReadMarker([&](size_t i) { return Peek(i); });
        FLastMarker = marker;
        const Processed* earliest = nullptr;
        size_t length = 0;
        FProcessed.Prefixes([&](size_t i) { return static_cast<unsigned char>(marker[i]); }, marker.size(),
                            [&](size_t len, const Processed& p) {
                                if (WholeWord(len) && (!earliest || p.order < earliest->order)) {
                                    earliest = &p;
                                    length = len;
                                }
                            });
        if (earliest) {
            if (InsideOwnValue(earliest->line)) return Halt(TMergeOutcome::ValueRepeats, marker.substr(0, length));
            Replace(length, earliest->line);
            return true;
        }
        const int64_t line = LineIndexOfMarker(marker);
        if (line >= FLines.Count()) return Halt(TMergeOutcome::MissingValue, marker);
        if (InsideOwnValue(line)) return Halt(TMergeOutcome::ValueRepeats, marker);
        if (!WholeWord(marker.size())) return Halt(TMergeOutcome::MarkerJoined, marker);
        FProcessed.Add(marker, Processed{FProcessed.Count(), line});
        Replace(marker.size(), line);
        return true;
    }

    void Replace(size_t length, int64_t line) {
        const int32_t slot = SlotHere();
        Skip(length);
        ++FResult.merge.count;
        const std::string value = MergeValue(FLines.Get(line));
        const std::string utf8 = ValueUtf8(FLines, line, value);
        if (value.find('@') == std::string::npos) {
            AddValue(slot, utf8);
            FResult.merge.text += value;
            if (!value.empty()) FLast = static_cast<unsigned char>(value.back());
            if (slot >= 0) FResult.changed[size_t(slot)] = true;
            return;
        }
        // Read again: its markers are merged too, as in the RTF source.
        ValueSegment v{value, {}, slot, line};
        v.utf8.resize(value.size());
        if (Platform::Utf8ToCp1252(utf8) == value) {
            size_t i = 0;
            for (std::string& u : v.utf8) {
                const size_t at = i;
                NextUtf8(utf8, i);
                u = utf8.substr(at, i - at);
            }
        } else {
            for (size_t i = 0; i < value.size(); ++i) v.utf8[i] = Platform::Cp1252ToUtf8(value.substr(i, 1));
        }
        if (slot >= 0) FResult.changed[size_t(slot)] = true;
        FValues.push_back(std::move(v));
    }

    // Ends the run at this marker; always false.
    bool Halt(TMergeOutcome outcome, const std::string& marker) {
        FResult.merge.outcome = outcome;
        FResult.merge.marker = marker;
        return false;
    }

    const TRunText& FRuns;
    const TMergeLines& FLines;
    size_t FPos = 0;
    int FLast = -1; // the byte now before the read position; -1 at the text's start
    std::vector<ValueSegment> FValues;
    MarkerTrie FProcessed;
    std::string FLastMarker;
    TRunMergeResult FResult;
};

} // namespace

TRunMergeResult MergeRuns(const TRunText& runs, const TMergeLines& lines) {
    TRunMergeResult result;
    // The engine decides the outcome, the counter and the messages; the slots only
    // say where its replacements go.
    result.merge = MergeTemplate(runs.text, PlainLines(lines), TMergeMode::Insert);
    if (result.merge.outcome != TMergeOutcome::Done) return result;
    TRunMergeResult placed = RunMerger(runs, lines).Run();
    if (placed.merge.outcome != TMergeOutcome::Done || placed.merge.text != result.merge.text ||
        placed.merge.count != result.merge.count)
        throw EPackageError("The values of this information file bring markers back in a way that cannot be placed "
                            "into the document's runs; merge the template saved as RTF instead");
    return placed;
}
