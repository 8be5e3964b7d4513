// The information editor's lines as the merge engine reads them.
#pragma once
#include "assembly/MergeEngine.h"
#include "richedit/RichEditStrings98.h"

class TEditorLines : public TMergeLines {
public:
    explicit TEditorLines(const TRichEditStrings98& lines) : FLines(lines) {}
    int64_t Count() const override { return FLines.Count(); }
    std::string Get(int64_t index) const override {
        return index >= 0 && index < Count() ? FLines.Get(static_cast<int>(index)) : std::string();
    }
    std::string GetRtf(int64_t index) const override {
        return index >= 0 && index < Count() ? FLines.GetRtf(static_cast<int>(index)) : std::string();
    }

private:
    const TRichEditStrings98& FLines;
};
