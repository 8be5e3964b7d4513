// MergeTemplate must end for any template and information lines.
// Input: information lines, a NUL byte, then the template text.
#include "assembly/MergeEngine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
    for (TMergeMode mode : {TMergeMode::Insert, TMergeMode::Overwrite}) {
        const TMergeResult r = MergeTemplate(std::string(text), infoLines, mode, {}, size_t(4) << 20);
        if (r.outcome == TMergeOutcome::Done && r.text.find('@') != std::string::npos) __builtin_trap();
    }
    return 0;
}
