// ReplaceAll over a 1 MB text and Evaluate on typical information values.
#include "text/Evaluator.h"
#include "text/StringManager.h"

#include <benchmark/benchmark.h>

namespace {

// About 1 MB of RTF-like text with a marker every `gap` bytes.
std::string MarkedText(size_t gap) {
    std::string text;
    const std::string filler = "The quick brown fox \\b jumps\\b0  over the lazy dog.\\par\r\n";
    while (text.size() < (1u << 20)) {
        while (text.size() % gap + filler.size() < gap) text += filler;
        text += " @7 ";
    }
    return text;
}

void BM_ReplaceAll(benchmark::State& state, const char* replacement) {
    const std::string original = MarkedText(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text = original;
        benchmark::DoNotOptimize(StringManager.ReplaceAll("@7", replacement, text, false, true, false));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(original.size()));
}
BENCHMARK_CAPTURE(BM_ReplaceAll, shorter, "")->Arg(64)->Arg(4096);
BENCHMARK_CAPTURE(BM_ReplaceAll, longer, "Mrs Eleanor Whitfield")->Arg(64)->Arg(4096);

void BM_ReplaceAllIgnoreCase(benchmark::State& state) {
    const std::string original = MarkedText(4096);
    for (auto _ : state) {
        std::string text = original;
        benchmark::DoNotOptimize(StringManager.ReplaceAll("fox", "cat", text, true, true, true));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(original.size()));
}
BENCHMARK(BM_ReplaceAllIgnoreCase);

void BM_Evaluate(benchmark::State& state, const char* expression) {
    for (auto _ : state) benchmark::DoNotOptimize(Evaluate(expression));
}
BENCHMARK_CAPTURE(BM_Evaluate, product, "240*12");
BENCHMARK_CAPTURE(BM_Evaluate, date, "12/05/2001");
BENCHMARK_CAPTURE(BM_Evaluate, grouped, "2+3*(4-1)-5");
BENCHMARK_CAPTURE(BM_Evaluate, function, "sqrt(16)+sqrt(9)");
BENCHMARK_CAPTURE(BM_Evaluate, failing, "Smith-Jones");

} // namespace

BENCHMARK_MAIN();
