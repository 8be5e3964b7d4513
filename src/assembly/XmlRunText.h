// The text a reader sees in a word-processor XML part (WordprocessingML of .docx,
// the text of .odt), read into a TRunText, and the part put together again
// around each merge's slots.
#pragma once
#include "assembly/RunMerge.h"

#include <string>
#include <vector>

enum class TPackageFormat { Docx, Odt };

// A part cut at its text nodes: chunks[0], slot firstSlot, chunks[1], … The XML
// between slots is serialized once per template, not once per document.
struct TSlottedPart {
    std::vector<std::string> chunks;
    size_t firstSlot = 0, slotCount = 0;
    std::string prefix; // of the elements a value may need: "w:" or "text:"
};

// Parses the part and adds its text to `runs` (a run break first). The text nodes
// of markers get xml:space="preserve" (.docx), since their values may start or end
// with spaces. Raises EPackageError when the part is not well-formed XML or holds a
// document type declaration (where entity expansion would hide).
TSlottedPart ReadPartRuns(const std::string& xml, TPackageFormat format, const std::string& partName, TRunText& runs);

// The part's XML with the merged slots.
std::string AssemblePart(const TSlottedPart& part, TPackageFormat format, const TRunText& runs,
                         const TRunMergeResult& merged);

// Appends text as XML character data.
void AppendEscaped(std::string& out, std::string_view text);
