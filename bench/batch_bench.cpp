// Many documents at once: 10,000 spreadsheet rows merged into the sample letter
// (RTF, or saved by a word processor as .docx or .odt with its markers split across
// runs) and written safely, one file each, on every core. Reports documents per
// second and how much the peak memory grew (it must not grow with the row count).
// Durability is compared three ways: the batch's own (each file through a
// temporary and a rename, one sync of the disk at the end), a sync per document,
// and the anchor: a plain loop replacing the markers and writing the same files,
// then one sync.
#include "ClientsSpreadsheet.h"
#include "assembly/BatchMerge.h"
#include "assembly/BatchOutput.h"
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
#include <unistd.h>

namespace {

std::string Sample(const char* name) { return std::string(KELVORA_SOURCE_DIR) + "/samples/" + name; }

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

enum class TWriting { None, DurableAtTheEnd, SyncEach };

void BM_BatchMerge(benchmark::State& state, TWriting writing, const char* templateName) {
    const int64_t rows = state.range(0);
    const auto dir = std::filesystem::temp_directory_path() / ("kelvora-batch-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // A .docx or .odt letter is read once and merged per row; an RTF one is merged as text.
    std::unique_ptr<TPackageTemplate> package;
    if (IsPackageTemplate(Sample(templateName))) package = std::make_unique<TPackageTemplate>(Sample(templateName));
    const std::string letter = package ? std::string() : LoadTextFile(Sample(templateName));
    const std::string extension = package ? package->Extension() : ".rtf";
    const std::string csv = MakeClientsSpreadsheet(dir, rows, package ? "\n" : ", ");
    const TBatchOutput output({csv}, false);
    TBatchOptions options;
    options.outDir = (dir / "out").string();
    options.namesUnique = true;
    switch (writing) {
    case TWriting::None:
        options.write = [](const std::string&, const std::string& merged) { benchmark::DoNotOptimize(merged.data()); };
        break;
    case TWriting::DurableAtTheEnd:
        options.write = [&output](const std::string& name, const std::string& merged) { output.Write(name, merged); };
        break;
    case TWriting::SyncEach:
        options.write = [](const std::string& name, const std::string& merged) { Platform::SaveFileSafely(name, merged); };
        break;
    }
    if (package) options.merge = [&package](const TMergeLines& lines) { return package->Merge(lines); };
    const long peakBefore = PeakKb();
    int64_t documents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(options.outDir);
        std::filesystem::create_directory(options.outDir);
        ::sync();
        state.ResumeTiming();
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
        if (writing == TWriting::DurableAtTheEnd) TBatchOutput::Sync(options.outDir);
        if (summary.failed != 0) state.SkipWithError(report.str().c_str());
        documents += summary.merged;
    }
    state.counters["documents_per_s"] = benchmark::Counter(double(documents), benchmark::Counter::kIsRate);
    state.counters["peak_growth_kb"] = double(PeakKb() - peakBefore);
    std::filesystem::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_BatchMerge, durable_at_the_end, TWriting::DurableAtTheEnd, "engagement-letter.tem")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, sync_each_document, TWriting::SyncEach, "engagement-letter.tem")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, merge_only, TWriting::None, "engagement-letter.tem")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, docx_durable_at_the_end, TWriting::DurableAtTheEnd, "engagement-letter.docx")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, docx_merge_only, TWriting::None, "engagement-letter.docx")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_BatchMerge, odt_durable_at_the_end, TWriting::DurableAtTheEnd, "engagement-letter.odt")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The anchor: each row's values put in place of the markers by plain replacement
// (highest number first, so "@1" does not take "@10"), each file written in place
// with no temporary, then one sync.
void BM_PlainLoopThenSync(benchmark::State& state) {
    const int64_t rows = state.range(0);
    const auto dir = std::filesystem::temp_directory_path() / ("kelvora-plain-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string csv = MakeClientsSpreadsheet(dir, rows, ", ");
    const std::string letter = LoadTextFile(Sample("engagement-letter.tem"));
    const std::string outDir = (dir / "out").string();
    int64_t documents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(outDir);
        std::filesystem::create_directory(outDir);
        ::sync();
        state.ResumeTiming();
        const TCsvFormat format = ScanCsvFile(csv);
        TCsvReader reader(csv, format);
        std::vector<std::string> cells;
        reader.Next(cells);
        while (reader.Next(cells)) {
            std::string text = letter;
            for (size_t n = cells.size(); n >= 1; --n) {
                const std::string marker = "@" + std::to_string(n);
                for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + cells[n - 1].size()))
                    text.replace(at, marker.size(), cells[n - 1]);
            }
            std::ofstream(outDir + "/" + std::to_string(reader.Row()) + ".rtf", std::ios::binary) << text;
            ++documents;
        }
        ::sync();
    }
    state.counters["documents_per_s"] = benchmark::Counter(double(documents), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PlainLoopThenSync)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

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
