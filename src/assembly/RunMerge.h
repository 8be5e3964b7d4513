// The merge on a document's text as the reader sees it, each character tied to
// the XML text node ("slot") it came from. A marker that the word processor cut
// into several runs is one marker here; its value goes into the slot that holds
// the "@", and the marker's other pieces leave their slots.
#pragma once
#include "assembly/MergeEngine.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Stands between pieces of text that can never join into one marker: paragraph
// ends, tabs, breaks, pictures, fields. Two characters, both word delimiters and
// neither a digit nor a line break, so a marker's look-ahead never reaches the
// text after it.
constexpr std::string_view kRunBreak = " \x01";

struct TRunText {
    std::string text;              // ASCII (other characters as "?"), kRunBreak between runs that cannot join
    std::vector<int32_t> slot;     // per byte: its slot, or -1 for a run break
    std::vector<uint32_t> offset;  // per byte: where its character starts in the slot's UTF-8 text
    std::vector<std::string> slots; // each slot's UTF-8 text

    void AddBreak();
    // Appends a slot's text; characters map to bytes through `byteOf`.
    void AddSlot(std::string utf8, char (*byteOf)(char32_t));
    // The slot's bytes end where the next of its characters starts.
    uint32_t EndOf(size_t byte) const;
};

// One piece of a changed slot: a range of its old text, or a value (UTF-8).
struct TSlotPiece {
    uint32_t begin = 0, end = 0;
    std::string value;
    bool isValue = false;
};

struct TRunMergeResult {
    TMergeResult merge;                       // outcome, counter and marker exactly as the RTF merge gives them
    std::vector<bool> changed;                // per slot
    std::vector<std::vector<TSlotPiece>> pieces; // per slot, when changed
};

// The merge of `lines` into the text. The outcome, messages and counter are those
// of MergeTemplate on runs.text; raises EPackageMergeError when a template's
// values meet its markers in a way that cannot be placed into slots.
TRunMergeResult MergeRuns(const TRunText& runs, const TMergeLines& lines);

// A value line as UTF-8: its characters beyond the code page come back from its RTF form.
std::string ValueUtf8(const TMergeLines& lines, int64_t index, const std::string& merged);

// The text for people: characters in code page 1252, run breaks as " ¶"; byte for byte
// with runs.text.
std::string DisplayText(const TRunText& runs);

// The markers of the text that span several slots: the position of each "@".
std::vector<size_t> SplitMarkers(const TRunText& runs);

// Decodes one UTF-8 character at `i` (advancing it); an invalid byte reads as itself.
char32_t NextUtf8(std::string_view text, size_t& i);
void AppendUtf8(std::string& out, char32_t c);
