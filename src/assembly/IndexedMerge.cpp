#include "assembly/IndexedMerge.h"

#include "assembly/MergeScan.h"
#include "text/StringManager.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace {

using MergeScan::IsDigitByte;

constexpr int32_t kNone = -1;

// A stretch of the working text. A piece that starts with "@" is a cell: with
// the pieces after it, up to the next cell, it is one marker's place. Other
// pieces hold no "@". Pieces point into the template or a kept value and are
// never empty.
struct Piece {
    const char* data = nullptr;
    size_t size = 0;
    int32_t prev = kNone, next = kNone;         // pieces in text order
    int32_t prevCell = kNone, nextCell = kNone; // cells in text order
    int32_t anchors = kNone;                    // the first expansion end held here
    uint64_t label = 0;                         // cells: increases in text order
    size_t keyHash = 0;                         // cells: the hash of the key they are indexed under
    bool cell = false;
    bool keyToEnd = false; // cells: the key runs to the cell's end, so text joining the cell may lengthen it
};

// The end of an open expansion: `offset` bytes into a piece (1..size, so it
// stays with the byte before it), or, once that text is final, an absolute position.
struct Anchor {
    int64_t lineIndex;
    int32_t piece;
    size_t offset;
    int32_t next = kNone; // the next anchor held by the same piece
};

// What a piece costs: the piece and its index entries.
constexpr size_t kPieceCost = sizeof(Piece) + 2 * sizeof(int32_t);

size_t KeyHash(std::string_view key) { return std::hash<std::string_view>{}(key); }

// Reads the working text byte by byte from the start of a piece on, across the
// following cells or (withinCell) only to the end of the cell.
class TextReader {
public:
    TextReader(const std::vector<Piece>& pieces, int32_t piece, bool withinCell)
        : FPieces(pieces), FPiece(piece), FWithinCell(withinCell) {}

    int Next() {
        while (FPiece != kNone && FPos == FPieces[FPiece].size) {
            FPiece = FPieces[FPiece].next;
            FPos = 0;
            if (FWithinCell && FPiece != kNone && FPieces[FPiece].cell) FPiece = kNone;
        }
        if (FPiece == kNone) return -1;
        return static_cast<unsigned char>(FPieces[FPiece].data[FPos++]);
    }

private:
    const std::vector<Piece>& FPieces;
    int32_t FPiece;
    size_t FPos = 0;
    const bool FWithinCell;
};

// The same with random access to the bytes read so far.
class BufferedReader {
public:
    BufferedReader(const std::vector<Piece>& pieces, int32_t piece) : FReader(pieces, piece, false) {}
    int At(size_t i) {
        while (FBytes.size() <= i) {
            const int b = FReader.Next();
            if (b < 0) return -1;
            FBytes += static_cast<char>(b);
        }
        return static_cast<unsigned char>(FBytes[i]);
    }

private:
    TextReader FReader;
    std::string FBytes;
};

class IndexedRun {
public:
    IndexedRun(std::string text, const TMergeLines& lines, const TMergeProgress& progress, size_t maxLength,
               TIndexedMergeStats& stats)
        : FLines(lines), FProgress(progress), FMaxLength(maxLength),
          FBudget(std::min(maxLength / 2, size_t(1) << 30)), FStats(stats), FTemplate(std::move(text)) {}

    TMergeResult Run() {
        if (!LoadTemplate()) {
            FStats.scanned = true;
            return MergeScan::ContinueByScan({std::move(FTemplate), 0, {}}, FLines, TMergeMode::Insert, FProgress,
                                             FMaxLength);
        }
        for (;;) {
            FlushFinishedText();
            if (FHead == kNone) break;
            switch (Iterate()) {
            case Next::Continue: break;
            case Next::Stop: FResult.text = Text(); return std::move(FResult);
            case Next::HandOver: return HandOver();
            }
        }
        FResult.outcome = TMergeOutcome::Done;
        FResult.text = std::move(FPrefix);
        return std::move(FResult);
    }

    // The whole working text.
    std::string Text() const {
        std::string text = FPrefix;
        text.reserve(FLength);
        for (int32_t p = FHead; p != kNone; p = FPieces[p].next) text.append(FPieces[p].data, FPieces[p].size);
        return text;
    }

private:
    enum class Next { Continue, Stop, HandOver };

    class ProgressText : public TMergeText {
    public:
        explicit ProgressText(const IndexedRun& run) : FRun(run) {}
        std::string Str() const override { return FRun.Text(); }

    private:
        const IndexedRun& FRun;
    };

    // Cuts the template into its final prefix and its cells; false when it holds
    // more markers than the budget allows.
    bool LoadTemplate() {
        const size_t first = FTemplate.find('@');
        const size_t cells = first == std::string::npos ? 0 : size_t(std::count(FTemplate.begin() + first, FTemplate.end(), '@'));
        if (cells > FBudget / kPieceCost) return false;
        FLength = FTemplate.size();
        FPrefix = FTemplate.substr(0, first);
        if (cells == 0) return true;
        FPieces.reserve(cells);
        for (size_t at = first; at != std::string::npos;) {
            const size_t end = FTemplate.find('@', at + 1);
            const size_t size = (end == std::string::npos ? FTemplate.size() : end) - at;
            const int32_t piece = NewPiece(FTemplate.data() + at, size);
            LinkAfter(FTail, piece);
            FPieces[piece].cell = true;
            FPieces[piece].prevCell = piece - 1;
            FPieces[piece].nextCell = end == std::string::npos ? kNone : piece + 1;
            at = end;
        }
        FFirstCell = 0;
        FCellCount = FPieces.size();
        Relabel();
        for (int32_t c = FFirstCell; c != kNone; c = FPieces[c].nextCell) Index(c, true);
        return true;
    }

    // One marker: the one at the first cell.
    Next Iterate() {
        const int32_t first = FHead;
        BufferedReader bytes(FPieces, first);
        const std::string marker = MergeScan::ReadMarker([&](size_t i) { return bytes.At(i); });
        bool toEnd = false;
        // A marker glued to the character after it is never replaced, and ends the run.
        if (marker != CellKey(first, toEnd)) return Next::HandOver;
        const int64_t index = LineIndexOfMarker(marker);
        CloseFinishedExpansions();
        if (index >= FLines.Count()) return Stop(TMergeOutcome::MissingValue, marker);
        if (FOpenLines.count(index) != 0) return Stop(TMergeOutcome::ValueRepeats, marker);
        std::string value = InsertedValue(FLines, index);
        const size_t hash = KeyHash(marker);
        std::vector<int32_t> candidates = Candidates(hash);
        if (!Affordable(marker.size(), value, candidates.size())) return Next::HandOver;
        const std::string& kept = Keep(index, std::move(value));
        int replaced = 0;
        int32_t firstEnd = kNone;
        bool replacedFirst = false;
        for (const int32_t c : candidates) {
            if (!FPieces[c].cell || !Matches(c, marker)) continue;
            const int32_t end = Replace(c, marker.size(), kept);
            ++replaced;
            if (c == first) {
                replacedFirst = true;
                firstEnd = end;
            }
        }
        DropStaleEntries(hash);
        ++FStats.indexedMarkers;
        FResult.count += replaced;
        if (replacedFirst && !kept.empty()) OpenExpansion(index, firstEnd);
        FlushFinishedText();
        if (FProgress) FProgress(FResult.count, ProgressText(*this));
        if (!replacedFirst) return Stop(TMergeOutcome::MarkerJoined, marker);
        return Next::Continue;
    }

    Next Stop(TMergeOutcome outcome, const std::string& marker) {
        FResult.outcome = outcome;
        FResult.marker = marker;
        return Next::Stop;
    }

    // The cells indexed under the hash, in text order, each once.
    std::vector<int32_t> Candidates(size_t hash) const {
        std::vector<int32_t> cells;
        const auto it = FBuckets.find(hash);
        if (it == FBuckets.end()) return cells;
        for (const int32_t c : it->second)
            if (FPieces[c].cell && FPieces[c].keyHash == hash) cells.push_back(c);
        std::sort(cells.begin(), cells.end(),
                  [&](int32_t a, int32_t b) { return FPieces[a].label < FPieces[b].label; });
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        return cells;
    }

    void DropStaleEntries(size_t hash) {
        auto& entries = FBuckets[hash];
        std::erase_if(entries, [&](int32_t c) { return !FPieces[c].cell || FPieces[c].keyHash != hash; });
        if (entries.empty()) FBuckets.erase(hash);
    }

    // Whether replacing at every candidate stays below the size limit, where the
    // scan would have to count first, and within the memory budget.
    bool Affordable(size_t markerSize, std::string_view value, size_t candidates) const {
        if (value.size() > markerSize &&
            (FMaxLength < FLength || (FMaxLength - FLength) / (value.size() - markerSize) < candidates))
            return false;
        const size_t perPlace = 1 + size_t(std::count(value.begin(), value.end(), '@'));
        return (FPieces.size() + candidates * perPlace) * kPieceCost <= FBudget;
    }

    const std::string& Keep(int64_t index, std::string value) {
        const std::string*& kept = FKept[index];
        if (!kept || *kept != value) kept = &FValues.emplace_back(std::move(value));
        return *kept;
    }

    // The replacement's whole-word test on the live text: the marker, then a
    // delimiter or the end, and before it a delimiter or the start.
    bool Matches(int32_t c, std::string_view marker) const {
        TextReader bytes(FPieces, c, false);
        for (const char m : marker)
            if (bytes.Next() != static_cast<unsigned char>(m)) return false;
        const int after = bytes.Next();
        if (after >= 0 && !TStringManager::IsWordDelimiter(static_cast<unsigned char>(after))) return false;
        const int32_t prev = FPieces[c].prev;
        if (prev != kNone)
            return TStringManager::IsWordDelimiter(
                static_cast<unsigned char>(FPieces[prev].data[FPieces[prev].size - 1]));
        return FPrefix.empty() || TStringManager::IsWordDelimiter(static_cast<unsigned char>(FPrefix.back()));
    }

    // Replaces the marker at cell c by the value; answers the piece that ends
    // with the value, or kNone for an empty value.
    int32_t Replace(int32_t c, size_t markerSize, const std::string& value) {
        const int32_t before = FPieces[c].prev, prevCell = FPieces[c].prevCell, nextCell = FPieces[c].nextCell;
        UnlinkCell(c);
        DropHead(c, markerSize);
        std::vector<int32_t> cells;
        int32_t last = before;
        for (size_t from = 0; from < value.size();) {
            const size_t at = value.find('@', from + 1);
            const size_t end = at == std::string::npos ? value.size() : at;
            const int32_t piece = NewPiece(value.data() + from, end - from);
            LinkAfter(last, piece);
            last = piece;
            if (value[from] == '@') {
                FPieces[piece].cell = true;
                cells.push_back(piece);
            }
            from = end;
        }
        LinkCellsBetween(prevCell, nextCell, cells);
        // Expansion ends inside the marker or right after it end with the value.
        for (const int32_t a : FMoved) Attach(a, last);
        for (const int32_t cell : cells) Index(cell, true);
        if (prevCell != kNone && FPieces[prevCell].keyToEnd) Index(prevCell, false);
        FLength = FLength - markerSize + value.size();
        return value.empty() ? kNone : last;
    }

    // Removes the marker's bytes from the front of cell c; the expansion ends
    // they held go to FMoved.
    void DropHead(int32_t c, size_t size) {
        FMoved.clear();
        int32_t piece = c;
        while (size > 0) {
            Piece& p = FPieces[piece];
            const size_t cut = std::min(size, p.size);
            TakeAnchors(piece, cut);
            size -= cut;
            const int32_t next = p.next;
            if (cut == p.size) {
                Unlink(piece);
            } else {
                p.data += cut;
                p.size -= cut;
            }
            piece = next;
        }
    }

    // Anchors within the first `cut` bytes of the piece move to FMoved; the others
    // keep their bytes.
    void TakeAnchors(int32_t piece, size_t cut) {
        int32_t kept = kNone;
        for (int32_t a = FPieces[piece].anchors; a != kNone;) {
            const int32_t next = FAnchors[a].next;
            if (FAnchors[a].offset <= cut) {
                FMoved.push_back(a);
            } else {
                FAnchors[a].offset -= cut;
                FAnchors[a].next = kept;
                kept = a;
            }
            a = next;
        }
        FPieces[piece].anchors = kept;
    }

    // Puts an anchor at the end of the piece; kNone is the end of the final prefix.
    void Attach(int32_t a, int32_t piece) {
        FAnchors[a].piece = piece;
        if (piece == kNone) {
            FAnchors[a].offset = FPrefix.size();
            return;
        }
        FAnchors[a].offset = FPieces[piece].size;
        FAnchors[a].next = FPieces[piece].anchors;
        FPieces[piece].anchors = a;
    }

    void OpenExpansion(int64_t index, int32_t end) {
        FAnchors.push_back({index, kNone, 0});
        Attach(int32_t(FAnchors.size() - 1), end);
        FOpen.push_back(int32_t(FAnchors.size() - 1));
        ++FOpenLines[index];
    }

    // Expansions whose end lies in the final prefix lie before the first "@".
    void CloseFinishedExpansions() {
        while (!FOpen.empty() && FAnchors[FOpen.back()].piece == kNone) {
            const auto it = FOpenLines.find(FAnchors[FOpen.back()].lineIndex);
            if (--it->second == 0) FOpenLines.erase(it);
            FOpen.pop_back();
        }
    }

    // Text before the first cell holds no "@": it is final.
    void FlushFinishedText() {
        while (FHead != kNone && !FPieces[FHead].cell) {
            const int32_t head = FHead;
            for (int32_t a = FPieces[head].anchors; a != kNone; a = FAnchors[a].next) {
                FAnchors[a].piece = kNone;
                FAnchors[a].offset += FPrefix.size();
            }
            FPrefix.append(FPieces[head].data, FPieces[head].size);
            Unlink(head);
        }
    }

    // The key of a cell: "@", the character after it and the digits after that,
    // within the cell. Only a marker equal to its key can be replaced there.
    std::string CellKey(int32_t c, bool& toEnd) const {
        TextReader bytes(FPieces, c, true);
        std::string key(1, static_cast<char>(bytes.Next()));
        int b = bytes.Next();
        if (b >= 0) {
            key += static_cast<char>(b);
            while (IsDigitByte(b = bytes.Next())) key += static_cast<char>(b);
        }
        toEnd = b < 0;
        return key;
    }

    // Files the cell under its key; `fresh` for a new cell, else only when the key changed.
    void Index(int32_t c, bool fresh) {
        bool toEnd = false;
        const std::string key = CellKey(c, toEnd);
        const size_t hash = KeyHash(key);
        FPieces[c].keyToEnd = toEnd;
        if (!fresh && hash == FPieces[c].keyHash) return;
        FPieces[c].keyHash = hash;
        if (key.size() >= 2) FBuckets[hash].push_back(c);
    }

    int32_t NewPiece(const char* data, size_t size) {
        Piece p;
        p.data = data;
        p.size = size;
        FPieces.push_back(p);
        return int32_t(FPieces.size() - 1);
    }

    // Links the piece after `at`; kNone puts it first.
    void LinkAfter(int32_t at, int32_t piece) {
        const int32_t next = at == kNone ? FHead : FPieces[at].next;
        FPieces[piece].prev = at;
        FPieces[piece].next = next;
        (at == kNone ? FHead : FPieces[at].next) = piece;
        (next == kNone ? FTail : FPieces[next].prev) = piece;
    }

    void Unlink(int32_t piece) {
        const int32_t prev = FPieces[piece].prev, next = FPieces[piece].next;
        (prev == kNone ? FHead : FPieces[prev].next) = next;
        (next == kNone ? FTail : FPieces[next].prev) = prev;
    }

    void UnlinkCell(int32_t c) {
        const int32_t prev = FPieces[c].prevCell, next = FPieces[c].nextCell;
        (prev == kNone ? FFirstCell : FPieces[prev].nextCell) = next;
        if (next != kNone) FPieces[next].prevCell = prev;
        FPieces[c].cell = false;
        --FCellCount;
    }

    // Links new cells, in order, between two neighbouring cells, with labels between theirs.
    void LinkCellsBetween(int32_t prev, int32_t next, const std::vector<int32_t>& cells) {
        if (cells.empty()) return;
        auto lo = [&] { return prev == kNone ? uint64_t(0) : FPieces[prev].label; };
        auto hi = [&] { return next == kNone ? std::numeric_limits<uint64_t>::max() : FPieces[next].label; };
        if ((hi() - lo()) / (cells.size() + 1) == 0) Relabel();
        const uint64_t step = (hi() - lo()) / (cells.size() + 1), base = lo();
        int32_t at = prev;
        for (size_t i = 0; i < cells.size(); ++i) {
            FPieces[cells[i]].label = base + step * (i + 1);
            FPieces[cells[i]].prevCell = at;
            (at == kNone ? FFirstCell : FPieces[at].nextCell) = cells[i];
            at = cells[i];
        }
        FPieces[at].nextCell = next;
        if (next != kNone) FPieces[next].prevCell = at;
        FCellCount += cells.size();
    }

    // Spreads the labels evenly again once nesting has used up the room between two.
    void Relabel() {
        const uint64_t step = std::numeric_limits<uint64_t>::max() / (FCellCount + 2);
        uint64_t label = 0;
        for (int32_t c = FFirstCell; c != kNone; c = FPieces[c].nextCell) FPieces[c].label = label += step;
    }

    // Hands the run, as it stands, to the scanning merge, after freeing the index.
    TMergeResult HandOver() {
        MergeScan::RunState state;
        state.count = FResult.count;
        state.text = FPrefix;
        state.text.reserve(FLength);
        std::unordered_map<int32_t, size_t> ends;
        for (int32_t p = FHead; p != kNone; p = FPieces[p].next) {
            for (int32_t a = FPieces[p].anchors; a != kNone; a = FAnchors[a].next)
                ends[a] = state.text.size() + FAnchors[a].offset;
            state.text.append(FPieces[p].data, FPieces[p].size);
        }
        for (const int32_t a : FOpen)
            state.open.push_back({FAnchors[a].piece == kNone ? FAnchors[a].offset : ends.at(a), FAnchors[a].lineIndex});
        FreeIndex();
        FStats.scanned = true;
        return MergeScan::ContinueByScan(std::move(state), FLines, TMergeMode::Insert, FProgress, FMaxLength);
    }

    void FreeIndex() {
        std::vector<Piece>().swap(FPieces);
        std::unordered_map<size_t, std::vector<int32_t>>().swap(FBuckets);
        std::deque<std::string>().swap(FValues);
        std::string().swap(FTemplate);
        std::string().swap(FPrefix);
    }

    const TMergeLines& FLines;
    const TMergeProgress& FProgress;
    const size_t FMaxLength;
    const size_t FBudget; // bytes the index may take
    TIndexedMergeStats& FStats;
    std::string FTemplate;
    std::deque<std::string> FValues; // the values inserted, which pieces point into
    std::unordered_map<int64_t, const std::string*> FKept;
    std::string FPrefix; // the text before the first cell: final
    size_t FLength = 0;  // the whole working text's
    std::vector<Piece> FPieces;
    int32_t FHead = kNone, FTail = kNone, FFirstCell = kNone;
    size_t FCellCount = 0;
    std::unordered_map<size_t, std::vector<int32_t>> FBuckets; // cells by key hash; may hold stale ones
    std::vector<Anchor> FAnchors;
    std::vector<int32_t> FOpen; // open expansions, innermost last
    std::unordered_map<int64_t, int> FOpenLines;
    std::vector<int32_t> FMoved;
    TMergeResult FResult;
};

} // namespace

TMergeResult MergeByMarkerIndex(std::string templateText, const TMergeLines& lines, const TMergeProgress& progress,
                                size_t maxLength, TIndexedMergeStats* stats) {
    TIndexedMergeStats ignored;
    return IndexedRun(std::move(templateText), lines, progress, maxLength, stats ? *stats : ignored).Run();
}
