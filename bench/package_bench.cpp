// One .docx letter (the sample saved by a word processor, its markers split across
// runs): the cost of reading the template once and of each merged document. The
// batch of 10,000 letters is in batch_bench.
#include "assembly/PackageTemplate.h"

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

std::string Sample(const char* name) { return std::string(KELVORA_SOURCE_DIR) + "/samples/" + name; }

// One letter, template read once: the cost of a document on one core.
void BM_PackageMergeOne(benchmark::State& state) {
    const TPackageTemplate letter(Sample("engagement-letter.docx"));
    std::vector<std::string> lines;
    std::ifstream in(Sample("engagement-letter.inf"));
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    const TVectorLines info(lines);
    for (auto _ : state) benchmark::DoNotOptimize(letter.Merge(info).text.size());
}
BENCHMARK(BM_PackageMergeOne)->Unit(benchmark::kMicrosecond);

// Reading the template: unzip, parse and cut its parts.
void BM_PackageRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TPackageTemplate(Sample("engagement-letter.docx")).Runs().text.size());
}
BENCHMARK(BM_PackageRead)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
