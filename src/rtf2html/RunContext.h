// The state of one conversion run. Every unit of the converter works on one
// TRun, which RtfToHtmlFile sets to its start values at every call.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf2html {

struct TCodePages;

// Character and paragraph attributes of the text being read.
struct format {
    bool Hidden = false;
    bool Caps = false;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Superscript = false;
    bool Subscript = false;
    bool Strike = false;
    int32_t FontNumber = -1;
    std::string Color = "none";
    int32_t FontSize = -1;
    bool AlignRight = false;
    bool AlignCenter = false;
    int32_t TableState = 0;
    int32_t UnicodeFallbacks = 1; // characters after "\\uN" that stand in for it ("\\ucN"); no attribute
};

// Cell states of the table reader, kept in format::TableState.
enum TTableState : int32_t { OutsideTable = 0, FirstCellOpen = 1, CellPending = 2, RowClosed = 3 };

// One open HTML tag: what opened it and what closes it.
struct stackelem {
    std::string Open;
    std::string Close;
};

struct font {
    std::string Name;
    int32_t Number = 0;
};

// A paragraph style: its name and its control words.
struct ss {
    std::string Name;
    std::string Codes;
};

// Receives the finished output lines (without line ends).
class TLineSink {
public:
    virtual ~TLineSink() = default;
    virtual void WriteLine(std::string_view line) = 0;
};

constexpr int kFontSlots = 201;
constexpr int kStyleEntries = 301;
constexpr int kIndentLevels = 21;
constexpr int kOutlineLevels = 9;

struct TRun {
    explicit TRun(TLineSink& output) : Output(output) {
        for (int i = 0; i < kIndentLevels; ++i) IndentThresholds[size_t(i)] = i * 285;
        TocStyles.fill(-1);
        HeadingStyles.fill(-1);
    }

    TLineSink& Output;

    // Options.
    bool noFonts = false;
    bool optimize = false;
    bool onlyDefiniteOpt = false;

    // HTML writer. PendingClean: PendingOutput is known to hold no clean-up
    // pattern, no "<P>" and no "<BR>", so only its tail needs looking at.
    std::string PendingOutput;
    bool PendingClean = true;
    // While PendingOutput is kept as it came: its cleaned form, when known.
    std::string PendingCleaned;
    bool PendingCleanedKnown = false;
    std::vector<std::string> OptimizePatterns; // oldest first; the head is back()
    std::unordered_map<std::string_view, size_t> PatternRank; // pattern -> head-first rank
    std::vector<size_t> PatternLengths;
    bool PatternIndexStale = true;

    // Group scanner.
    bool EndOfInput = false;
    bool BookmarkBreakDone = false;
    size_t SplicedBytes = 0; // style codes put into the text so far
    char32_t HighSurrogate = 0; // first half of a pair of "\\u" escapes

    // Formatting layer.
    std::vector<stackelem> TagStack;
    bool ReopenTags = false;
    bool ParagraphStart = true;
    int32_t ListDepth = 0;
    int32_t IndentTotal = 0;
    bool FirstIndentPending = true;
    std::array<int32_t, kIndentLevels> IndentThresholds{};
    bool InBulletList = false;
    bool PendingListItem = false;
    bool NumberedBody = false;
    bool NumberTypeSeen = false;
    int32_t ParagraphNumber = -1;
    std::string NextNumberText;
    std::string NumberTextBefore;
    std::string NumberTextAfter;
    bool TocParagraph = false;
    bool TocLinkPending = false;
    bool TocLinkOpen = false;
    bool HeadingAnchorPending = false;
    int32_t TocLevel = 0;
    int32_t HeadingLevel = 0;
    std::array<int32_t, kOutlineLevels + 1> TocStyles;     // index 1 to 9
    std::array<int32_t, kOutlineLevels + 1> HeadingStyles; // index 1 to 9
    std::array<int32_t, kOutlineLevels + 1> TocCounts{};
    std::array<int32_t, kOutlineLevels + 1> HeadingCounts{};

    // Document tables.
    std::vector<ss> StyleTable = std::vector<ss>(kStyleEntries);
    std::vector<font> FontTable = std::vector<font>(kFontSlots);
    std::vector<std::string> ColorTable;

    // Code pages: with a reader of them, a document in a page other than 1252 (or with
    // a font of another character set) writes its characters beyond ASCII as references.
    const TCodePages* CodePages = nullptr;
    int DocumentCodePage = 1252;
    std::unordered_map<int32_t, int> FontCodePages; // font number -> page
    bool WritesReferences = false;
    std::string LeadByte; // the first byte of a two-byte character, until its second
};

} // namespace rtf2html
