// Many documents at once: 10,000 spreadsheet rows merged into the sample letter
// (RTF, or saved by a word processor as .docx or .odt with its markers split across
// runs) and written safely, one file each, on every core. Reports documents per
// second and how much the peak memory grew (it must not grow with the row count).
#include "ClientsSpreadsheet.h"
#include "assembly/BatchMerge.h"
#include "assembly/CheckTemplate.h"
#include "assembly/CsvRows.h"
#include "assembly/PackageTemplate.h"
#include "platform/SafeWrite.h"
#include "text/TextFiles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/resource.h>

namespace {

std::string Sample(const char* name) { return std::string(KELVORA_SOURCE_DIR) + "/samples/" + name; }

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_BatchMerge(benchmark::State& state, bool write, const char* templateName) {
    const int64_t rows = state.range(0);
    const auto dir = std::filesystem::temp_directory_path() / ("kelvora-batch-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "out");
    // A .docx or .odt letter is read once and merged per row; an RTF one is merged as text.
    std::unique_ptr<TPackageTemplate> package;
    if (IsPackageTemplate(Sample(templateName))) package = std::make_unique<TPackageTemplate>(Sample(templateName));
    const std::string letter = package ? std::string() : LoadTextFile(Sample(templateName));
    const std::string extension = package ? package->Extension() : ".rtf";
    const std::string csv = MakeClientsSpreadsheet(dir, rows, package ? "\n" : ", ");
    TBatchOptions options;
    options.outDir = (dir / "out").string();
    options.namesUnique = true;
    options.write = write ? TBatchWriter([](const std::string& name, const std::string& merged) {
        Platform::SaveFileSafely(name, merged);
    })
                          : TBatchWriter([](const std::string&, const std::string& merged) {
                                benchmark::DoNotOptimize(merged.data());
                            });
    if (package) options.merge = [&package](const TMergeLines& lines) { return package->Merge(lines); };
    const long peakBefore = PeakKb();
    int64_t documents = 0;
    for (auto _ : state) {
        const TCsvFormat format = ScanCsvFile(csv);
        TCsvReader reader(csv, format);
        std::vector<std::string> headings, cells;
        reader.Next(headings);
        TBatchSource source = [&](TBatchItem& item) {
            if (!reader.Next(cells)) return false;
            item.label = "row " + std::to_string(reader.Row());
            item.outputName = std::to_string(reader.Row()) + extension;
            item.lines = CsvRowLines(headings, cells, package ? "\r\n" : "\\line ");
            return true;
        };
        std::ostringstream report;
        const TBatchSummary summary = RunBatchMerge(letter, source, options, report);
        if (summary.failed != 0) state.SkipWithError(report.str().c_str());
        documents += summary.merged;
    }
    state.counters["documents_per_s"] = benchmark::Counter(double(documents), benchmark::Counter::kIsRate);
    state.counters["peak_growth_kb"] = double(PeakKb() - peakBefore);
    std::filesystem::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_BatchMerge, merge_and_write, true, "engagement-letter.tem")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, merge_only, false, "engagement-letter.tem")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, docx_merge_and_write, true, "engagement-letter.docx")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, docx_merge_only, false, "engagement-letter.docx")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, odt_merge_and_write, true, "engagement-letter.odt")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The marker check before such a batch: one pass over the template, so twice the
// template (and twice the markers) costs twice the time.
void BM_CheckTemplate(benchmark::State& state) {
    const int64_t markers = state.range(0);
    std::string text = "{\\rtf1\\ansi ";
    std::vector<std::string> lines;
    for (int64_t n = 1; n <= markers; ++n) {
        text += "Lorem {\\b ipsum} dolor sit amet, @" + std::to_string(n) + " consectetur\\par\r\n";
        if (n % 50 == 0) text += "@{\\b " + std::to_string(n) + "} split\\par\r\n";
        lines.push_back("Heading " + std::to_string(n));
        lines.push_back(n % 10 == 0 ? std::to_string(n) + "*2" : "Value " + std::to_string(n));
    }
    const TVectorLines info(lines);
    for (auto _ : state) benchmark::DoNotOptimize(CheckTemplate(text, info, TMergeMode::Insert).findings.size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_CheckTemplate)->Arg(10000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
