// MergeTemplate on templates of 100 KB (a long letter), 1 MB and 10 MB holding
// 1,000 to 100,000 distinct markers; the scanning merge beside it for comparison.
#include "assembly/InformationText.h"
#include "assembly/MergeEngine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

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

using TMerge = TMergeResult (*)(std::string, const TMergeLines&, TMergeMode, const TMergeProgress&, size_t);

// Arguments: distinct markers, template size in KB.
void BM_Merge(benchmark::State& state, TMerge merge, TMergeMode mode) {
    const Fixture f = MakeFixture(static_cast<int>(state.range(0)), size_t(state.range(1)) << 10);
    const TVectorLines lines(f.lines);
    for (auto _ : state) {
        const TMergeResult r = merge(f.templateText, lines, mode, {}, kMaxMergedLength);
        if (r.outcome != TMergeOutcome::Done) state.SkipWithError("merge did not finish");
        benchmark::DoNotOptimize(r.count);
    }
    state.counters["markers"] = static_cast<double>(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.templateText.size()));
}

void Sizes(benchmark::internal::Benchmark* b, int64_t bytesPerMarker) {
    for (int64_t kb : {100, 1024, 10240})
        for (int64_t markers : {1000, 10000, 100000})
            if (markers * bytesPerMarker <= kb * 1024) b->Args({markers, kb});
}
void InsertSizes(benchmark::internal::Benchmark* b) { Sizes(b, 10); }
// Overwrite refuses a value that would cover the next marker: markers stand further apart.
void OverwriteSizes(benchmark::internal::Benchmark* b) { Sizes(b, 100); }

BENCHMARK_CAPTURE(BM_Merge, insert, &MergeTemplate, TMergeMode::Insert)->Apply(InsertSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Merge, overwrite, &MergeTemplate, TMergeMode::Overwrite)
    ->Apply(OverwriteSizes)
    ->Unit(benchmark::kMillisecond);
// The scan rebuilds the text after each marker: one run each, and only where it ends in minutes.
BENCHMARK_CAPTURE(BM_Merge, insert_by_scan, &MergeTemplateByScan, TMergeMode::Insert)
    ->Args({1000, 100})
    ->Args({1000, 1024})
    ->Args({10000, 1024})
    ->Args({100000, 1024})
    ->Args({1000, 10240})
    ->Args({10000, 10240})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// An information file whose two values are each half of its size (in MB); the second
// argument 1 makes it UTF-8. Lines are cut as they are read: the time is linear and the
// memory that of the kept lines (peak memory: /usr/bin/time on `kelvora merge`).
void BM_ReadInformation(benchmark::State& state) {
    const size_t half = size_t(state.range(0)) << 19;
    const bool utf8 = state.range(1) != 0;
    const std::string path = "merge_bench_information.inf";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string value(half, 'x');
        out << "Name\r\n" << (utf8 ? "\xC5\x81ukasz " : "") << value << "\r\nNote\r\n" << value << "\r\n";
    }
    for (auto _ : state) {
        const auto read = InformationLinesFromFile(path);
        if (!read || read->lines.size() != 4) state.SkipWithError("the file did not read as four lines");
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * half));
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadInformation)->ArgsProduct({{1, 10, 100}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
