// Many .docx letters at once: 10,000 spreadsheet rows merged into the sample
// letter saved by a word processor (markers split across runs) and written
// safely, one file each, on every core. Reports documents per second.
#include "app/BatchMerge.h"
#include "assembly/CsvRows.h"
#include "assembly/PackageTemplate.h"
#include "platform/SafeWrite.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string Sample(const char* name) { return std::string(KELVORA_SOURCE_DIR) + "/samples/" + name; }

std::string MakeSpreadsheet(const std::filesystem::path& dir, int64_t rows) {
    const std::string file = (dir / "clients.csv").string();
    std::ofstream out(file, std::ios::binary);
    out << "Client name,Client address,Date of letter,Matter,Hourly rate (GBP),Estimated hours,"
           "Estimated fee,Payment on account,Partner\r\n";
    for (int64_t i = 1; i <= rows; ++i)
        out << "Client " << i << ",\"" << i << " Orchard Lane\nTopsham\",10 December 2026,the purchase of " << i
            << " Quay Cottages," << 200 + i % 50 << "," << 1 + i % 12 << "," << 200 + i % 50 << "*" << 1 + i % 12
            << "," << 200 + i % 50 << "*" << 1 + i % 12 << "/2,Thomas Harrow & Partners\r\n";
    return file;
}

void BM_PackageBatch(benchmark::State& state, const char* templateName, bool write) {
    const int64_t rows = state.range(0);
    const auto dir = std::filesystem::temp_directory_path() / ("kelvora-package-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "out");
    const std::string csv = MakeSpreadsheet(dir, rows);
    const TPackageTemplate letter(Sample(templateName));
    TBatchOptions options;
    options.outDir = (dir / "out").string();
    options.namesUnique = true;
    options.merge = [&](const TMergeLines& lines) { return letter.Merge(lines); };
    options.write = write ? TBatchWriter(Platform::SaveFileSafely)
                          : TBatchWriter([](const std::string&, const std::string& merged) {
                                benchmark::DoNotOptimize(merged.data());
                            });
    int64_t documents = 0;
    for (auto _ : state) {
        const TCsvFormat format = ScanCsvFile(csv);
        TCsvReader reader(csv, format);
        std::vector<std::string> headings, cells;
        reader.Next(headings);
        TBatchSource source = [&](TBatchItem& item) {
            if (!reader.Next(cells)) return false;
            item.label = "row " + std::to_string(reader.Row());
            item.outputName = std::to_string(reader.Row()) + letter.Extension();
            item.lines = CsvRowLines(headings, cells, "\r\n");
            return true;
        };
        std::ostringstream report;
        const TBatchSummary summary = RunBatchMerge({}, source, options, report);
        if (summary.failed != 0) state.SkipWithError(report.str().c_str());
        documents += summary.merged;
    }
    state.counters["documents_per_s"] = benchmark::Counter(double(documents), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_PackageBatch, docx_merge_and_write, "engagement-letter.docx", true)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_PackageBatch, docx_merge_only, "engagement-letter.docx", false)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_PackageBatch, odt_merge_and_write, "engagement-letter.odt", true)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

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
