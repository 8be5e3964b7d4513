// MergeTemplate on a 1 MB template holding 100 to 100,000 distinct markers.
#include "assembly/MergeEngine.h"

#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    std::string templateText;
    std::vector<std::string> lines;
};

Fixture MakeFixture(int markers, size_t size) {
    Fixture f;
    const std::string filler = "{\\rtf1 Lorem ipsum dolor sit amet, \\b consectetur\\b0  adipiscing elit.\\par}\r\n";
    const size_t gap = size / markers;
    for (int n = 1; n <= markers; ++n) {
        while (f.templateText.size() < gap * n) f.templateText += filler;
        f.templateText += " @" + std::to_string(n) + " ";
        f.lines.push_back("Heading " + std::to_string(n));
        f.lines.push_back(n % 10 == 0 ? std::to_string(n) + "*2" : "Value number " + std::to_string(n));
    }
    return f;
}

void BM_MergeTemplate(benchmark::State& state, TMergeMode mode) {
    const Fixture f = MakeFixture(static_cast<int>(state.range(0)), 1u << 20);
    const TVectorLines lines(f.lines);
    for (auto _ : state) {
        const TMergeResult r = MergeTemplate(f.templateText, lines, mode);
        if (r.outcome != TMergeOutcome::Done) state.SkipWithError("merge did not finish");
        benchmark::DoNotOptimize(r.count);
    }
    state.counters["markers"] = static_cast<double>(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.templateText.size()));
}
BENCHMARK_CAPTURE(BM_MergeTemplate, insert, TMergeMode::Insert)->Arg(1000)->Arg(100)->Unit(benchmark::kMillisecond);
// 100,000 distinct markers: each marker's replacement scans and rebuilds the rest of the text.
BENCHMARK_CAPTURE(BM_MergeTemplate, insert, TMergeMode::Insert)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeTemplate, overwrite, TMergeMode::Overwrite)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
