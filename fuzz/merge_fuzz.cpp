// MergeTemplate must end for any template and information lines, and its indexed
// insert mode must give what the plain scanning merge gives, step for step.
// Input: information lines, a NUL byte, then the template text.
#include "assembly/MergeEngine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Recorded {
    TMergeResult result;
    std::vector<std::pair<int, size_t>> steps; // count and text length after each marker
};

template <typename Merge>
Recorded Record(Merge merge) {
    Recorded r;
    r.result = merge([&](int count, const TMergeText& text) { r.steps.emplace_back(count, text.Str().size()); });
    return r;
}

bool Same(const Recorded& a, const Recorded& b) {
    return a.result.outcome == b.result.outcome && a.result.text == b.result.text && a.result.count == b.result.count &&
           a.result.marker == b.result.marker && a.result.value == b.result.value && a.steps == b.steps;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string_view info = split == std::string_view::npos ? std::string_view() : input.substr(0, split);
    const std::string_view text = split == std::string_view::npos ? input : input.substr(split + 1);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= info.size(); ++i)
        if (i == info.size() || info[i] == '\n') {
            lines.emplace_back(info.substr(start, i - start));
            start = i + 1;
        }
    const TVectorLines infoLines(lines);
    const size_t limit = size_t(4) << 20;
    for (TMergeMode mode : {TMergeMode::Insert, TMergeMode::Overwrite}) {
        const TMergeResult r = MergeTemplate(std::string(text), infoLines, mode, {}, limit);
        if (r.outcome == TMergeOutcome::Done && r.text.find('@') != std::string::npos) __builtin_trap();
    }
    // Small limits too, where the indexed run hands over to the scan on the way.
    for (size_t cap : {limit, size_t(64) << 10, size_t(2) << 10}) {
        const Recorded indexed = Record([&](const TMergeProgress& p) {
            return MergeTemplate(std::string(text), infoLines, TMergeMode::Insert, p, cap);
        });
        const Recorded scanned = Record([&](const TMergeProgress& p) {
            return MergeTemplateByScan(std::string(text), infoLines, TMergeMode::Insert, p, cap);
        });
        if (!Same(indexed, scanned)) __builtin_trap();
    }
    return 0;
}
