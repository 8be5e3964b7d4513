// Whole `kelvora` processes measured beside their anchors, each at 1x, 10x and 100x a
// realistic size: a merge of the sample letter against `kelvora --version` (the
// program's floor), and `kelvora html` against unrtf (when it is on the PATH).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kScratch = "command_bench_" + std::to_string(::getpid());

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Runs a program with its output thrown away; its exit status.
int Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

bool OnPath(const std::string& program) { return Run({"sh", "-c", "command -v " + program}) == 0; }

void RunEach(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state)
        if (Run(args) != 0) state.SkipWithError("the command failed");
}

void Version(benchmark::State& state) { RunEach(state, {KELVORA_EXE, "--version"}); }

// The sample letter with its body `times` times over; the information file is the
// sample's, as plain text or saved as RTF by the information editor.
void MergeSample(benchmark::State& state, bool rtfInformation) {
    const std::string dir = KELVORA_SOURCE_DIR "/samples/";
    std::string templateText = ReadFile(dir + "engagement-letter.tem");
    const size_t body = templateText.find("\\pard");
    const size_t end = templateText.rfind('}');
    const std::string repeated = templateText.substr(body, end - body);
    for (int64_t i = 1; i < state.range(0); ++i) templateText.insert(end, repeated);
    const std::string templ = kScratch + ".tem", info = kScratch + ".inf";
    WriteFile(templ, templateText);
    std::string lines = ReadFile(dir + "engagement-letter.inf");
    if (rtfInformation) {
        std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
        for (const char c : lines) {
            if (c == '\r') continue;
            if (c == '\n') rtf += "\\par\r\n";
            else if (static_cast<unsigned char>(c) > 127) rtf += "\\'" + std::string(1, "0123456789abcdef"[(c >> 4) & 15]) + "0123456789abcdef"[c & 15];
            else rtf += c;
        }
        lines = rtf + "}";
    }
    WriteFile(info, lines);
    RunEach(state, {KELVORA_EXE, "merge", templ, info});
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(templateText.size()));
    std::remove(templ.c_str());
    std::remove(info.c_str());
}

// A formatting-dense document: styles, fonts, colours, groups, bookmarks, a picture
// and a table in every chunk, 512 KB at 1x.
std::string DenseDocument(size_t bytes) {
    std::string doc = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}\r\n"
                      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                      "{\\stylesheet{\\s0\\fs24 Normal;}{\\s1\\sbasedon0\\b\\fs32 heading 1;}}\r\n";
    const std::string chunk =
        "\\pard\\s1 Heading text\\par\r\n"
        "\\pard\\li720 Plain text with {\\b bold}, {\\i italic} and {\\cf1 red} words, "
        "{\\*\\bkmkstart b1}{\\*\\bkmkend b1}an escape \\'e4 and http://example.com/a link.\\par\r\n"
        "{\\pict\\pngblip 89504e470d0a1a0a0000000d49484452}\r\n"
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\r\n"
        "\\pard\\pard After the table\\par\r\n";
    while (doc.size() < bytes) doc += chunk;
    return doc + "}";
}

void Convert(benchmark::State& state, bool withUnrtf) {
    if (withUnrtf && !OnPath("unrtf")) {
        state.SkipWithError("unrtf is not installed");
        return;
    }
    const size_t bytes = size_t(state.range(0)) << 19;
    const std::string source = kScratch + ".rtf", page = kScratch + ".html";
    WriteFile(source, DenseDocument(bytes));
    if (withUnrtf) RunEach(state, {"sh", "-c", "unrtf --html " + source + " >" + page});
    else RunEach(state, {KELVORA_EXE, "html", source, page});
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    std::remove(source.c_str());
    std::remove(page.c_str());
}

void KelvoraHtml(benchmark::State& state) { Convert(state, false); }
void Unrtf(benchmark::State& state) { Convert(state, true); }

// `merge --pdf` of the sample letter for 10, 100 and 1,000 spreadsheet rows (a printing
// process on every core), beside LibreOffice converting the same merged letters to PDF
// (when soffice is on the PATH: a judge on a developer's machine only).
std::string MakeRows(int rows) {
    std::string csv = "Client name,Client address,Date of letter,Matter,Hourly rate (GBP),Estimated hours,"
                      "Estimated fee,Payment on account,Partner\r\n";
    for (int i = 1; i <= rows; ++i)
        csv += "Client " + std::to_string(i) + ",\"" + std::to_string(i) + " Orchard Lane\nTopsham\",10 December 2026,"
               "the purchase of a cottage," + std::to_string(200 + i % 50) + ",3,600,300,Thomas Harrow\r\n";
    return csv;
}

void MergeToPdf(benchmark::State& state, bool withLibreOffice) {
    if (withLibreOffice && !OnPath("soffice")) {
        state.SkipWithError("soffice is not installed");
        return;
    }
    const int rows = int(state.range(0));
    const std::string csv = kScratch + ".csv", out = kScratch + "_out", rtf = kScratch + "_rtf";
    const std::string letter = std::string(KELVORA_SOURCE_DIR) + "/samples/engagement-letter.tem";
    WriteFile(csv, MakeRows(rows));
    // LibreOffice converts the letters Kelvora merges as RTF.
    if (withLibreOffice && Run({KELVORA_EXE, "merge", letter, "--data", csv, "-d", rtf}) != 0)
        state.SkipWithError("the merge to RTF failed");
    for (auto _ : state) {
        Run({"rm", "-rf", out});
        const int status = withLibreOffice
                               ? Run({"sh", "-c", "soffice --headless --convert-to pdf --outdir " + out + " " + rtf + "/*.rtf"})
                               : Run({KELVORA_EXE, "merge", letter, "--data", csv, "-d", out, "--pdf"});
        if (status != 0) state.SkipWithError("the command failed");
    }
    state.counters["documents"] = benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
    Run({"rm", "-rf", out, rtf, csv});
}

} // namespace

BENCHMARK(Version)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MergeSample, plain_information, false)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MergeSample, rtf_information, true)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
// Arguments: half-megabytes, so 1x is 512 KB and 100x 50 MB; each beside its anchor.
BENCHMARK(KelvoraHtml)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(Unrtf)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MergeToPdf, kelvora, false)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(MergeToPdf, libreoffice, true)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
