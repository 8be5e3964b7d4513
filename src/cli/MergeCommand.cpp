#include "cli/Commands.h"
#include "cli/PdfPrinterPool.h"
#include "assembly/BatchMerge.h"
#include "assembly/BatchOutput.h"
#include "assembly/BatchSources.h"
#include "window/HtmlExport.h"

#include "assembly/CsvRows.h"
#include "assembly/InformationText.h"
#include "assembly/MergeMessages.h"
#include "assembly/MergePipeline.h"
#include "assembly/PackageTemplate.h"
#include "platform/Cp1252.h"
#include "platform/Errors.h"
#include "platform/SafeWrite.h"
#include "rtf2html/RtfToHtml.h"
#include "text/TextFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

struct MergeArgs {
    std::string templateFile, infoFile, outFile, htmlFile;
    bool overwrite = false;
    // Many documents at once: information files, or a spreadsheet, into a folder.
    std::vector<std::string> infoFiles;
    std::string dataFile, outDir;
    int nameColumn = 0; // 1-based; 0: name by row number
    bool replaceExisting = false; // documents already in the folder are kept unless this is given
    bool batch = false;
    // The merged document printed into a PDF: the file of a single merge, or one
    // PDF per document instead of RTF with -d.
    std::string pdfFile;
    bool pdf = false;
};

std::optional<int> ColumnNumber(const std::string& text) {
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || n > 100000) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return text.empty() || n == 0 ? std::nullopt : std::optional<int>(n);
}

std::optional<MergeArgs> ParseMergeArgs(const TArgs& args) {
    MergeArgs m;
    std::vector<std::string> files;
    // With -d, --pdf is a switch; a single merge names its PDF after it.
    const bool toFolder = std::find(args.begin(), args.end(), "-d") != args.end();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--overwrite") m.overwrite = true;
        else if (a == "--replace-existing") m.replaceExisting = true;
        else if (a == "--pdf" && toFolder) m.pdf = true;
        else if (a == "--pdf" && hasValue) {
            m.pdf = true;
            m.pdfFile = args[++i];
        }
        else if ((a == "-o" || a == "--html") && hasValue) (a == "-o" ? m.outFile : m.htmlFile) = args[++i];
        else if (a == "-d" && hasValue) m.outDir = args[++i];
        else if (a == "--data" && hasValue) m.dataFile = args[++i];
        else if (a == "--name-column" && hasValue) {
            const auto n = ColumnNumber(args[++i]);
            if (!n) return std::nullopt;
            m.nameColumn = *n;
        } else if (!a.empty() && a[0] == '-') return std::nullopt;
        else files.push_back(a);
    }
    m.batch = !m.outDir.empty() || !m.dataFile.empty();
    if (m.batch) {
        // One folder of documents: no single output, and either files or a spreadsheet.
        if (m.outDir.empty() || !m.outFile.empty() || !m.htmlFile.empty() || files.empty()) return std::nullopt;
        if (m.dataFile.empty() == (files.size() == 1)) return std::nullopt;
        if (m.nameColumn && m.dataFile.empty()) return std::nullopt;
        m.templateFile = files[0];
        m.infoFiles.assign(files.begin() + 1, files.end());
        return m;
    }
    if (files.size() != 2 || m.nameColumn || m.replaceExisting) return std::nullopt;
    m.templateFile = files[0];
    m.infoFile = files[1];
    return m;
}

// "N  replacements  " on a terminal, a few times a second at most.
class TerminalProgress {
public:
    TerminalProgress() : FEnabled(isatty(STDERR_FILENO)) {}
    ~TerminalProgress() {
        if (FShown) std::cerr << '\n';
    }
    void operator()(int count, const TMergeText&) {
        if (!FEnabled) return;
        const auto now = std::chrono::steady_clock::now();
        if (FShown && now - FLast < std::chrono::milliseconds(100)) return;
        FLast = now;
        FShown = true;
        std::cerr << '\r' << Platform::Utf8ToLocale(Platform::Cp1252ToUtf8(ProgressCaption(count))) << std::flush;
    }

private:
    bool FEnabled;
    bool FShown = false;
    std::chrono::steady_clock::time_point FLast{};
};

// The message with its ";" line separators as line breaks, in the terminal's encoding.
void PrintMessage(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == ';') c = '\n';
    std::cerr << Platform::Utf8ToLocale(Platform::RtfAnsiToUtf8(out)) << '\n';
}

int ExitStatus(TMergeOutcome outcome) {
    switch (outcome) {
    case TMergeOutcome::Done: return 0;
    case TMergeOutcome::MissingValue: return 2;
    case TMergeOutcome::OverwriteRefused: return 3;
    default: return 1;
    }
}

// The page is the one the editor's Save As writes through its scratch file "$$$",
// title included, but converted from memory: no file of the user's is touched.
void WriteHtml(const std::string& htmlFile, const std::string& merged) {
    WriteHtmlPage(htmlFile, [&](const std::string& temp) { RtfToHtmlText(merged, "$$$", temp, {""}, &PlatformCodePages()); });
}

void WriteResult(const MergeArgs& m, const std::string& merged, const TPdfWriter& writePdf) {
    if (!m.htmlFile.empty()) WriteHtml(m.htmlFile, merged);
    if (m.pdf) writePdf(m.pdfFile, merged);
    if (!m.outFile.empty()) {
        SaveTextFileSafely(m.outFile, merged);
    } else if (m.htmlFile.empty() && !m.pdf) {
        std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size())).flush();
        if (!std::cout) throw Platform::EWriteError();
    }
}

bool LooksLikeRtfTemplate(const std::string& text) { return InformationLooksLikeRtf(text); }

// A .docx or .odt template: overwrite mode, HTML and PDF output belong to RTF.
std::optional<std::string> PackageRefusal(const MergeArgs& m) {
    if (m.overwrite) return PackageOverwriteMessage();
    if (m.pdf || !m.htmlFile.empty()) return std::string("--html and --pdf need an RTF template");
    return std::nullopt;
}

int RunBatch(const MergeArgs& m, const TInformationReader& readInformation, const TPdfWriter& writePdf) {
    std::unique_ptr<TPackageTemplate> package;
    if (IsPackageTemplate(m.templateFile)) package = std::make_unique<TPackageTemplate>(m.templateFile);
    const std::string templateText = package ? std::string() : LoadTextFile(m.templateFile);
    std::error_code ec;
    std::filesystem::create_directory(m.outDir, ec);
    if (!std::filesystem::is_directory(m.outDir))
        throw Platform::EFCreateError(m.outDir, std::filesystem::exists(m.outDir) ? "it is not a folder" : ec.message());
    std::vector<std::string> inputs = m.infoFiles;
    inputs.push_back(m.templateFile);
    if (!m.dataFile.empty()) inputs.push_back(m.dataFile);
    const TBatchOutput output(inputs, m.replaceExisting);
    TBatchOptions options;
    options.mode = m.overwrite ? TMergeMode::Overwrite : TMergeMode::Insert;
    options.outDir = m.outDir;
    options.progress = isatty(STDERR_FILENO);
    options.write = [&output](const std::string& fileName, const std::string& merged) { output.Write(fileName, merged); };
    std::optional<TPdfPrinterPool> printers;
    if (m.pdf && TPdfPrinterPool::MayStart()) printers.emplace(TPdfPrinterPool::Cores(), writePdf);
    if (printers && printers->Size() > 0) {
        options.write = [&output, &printers](const std::string& fileName, const std::string& merged) {
            output.CheckTarget(fileName);
            printers->Print(fileName, merged);
        };
        options.threads = unsigned(printers->Size());
    } else if (m.pdf) {
        options.write = [&output, &writePdf](const std::string& fileName, const std::string& merged) {
            output.CheckTarget(fileName);
            writePdf(fileName, merged);
        };
        options.writeOnCaller = true; // the printer lives on this thread
    }
    std::string extension = m.pdf ? ".pdf" : ".rtf";
    if (package) {
        options.merge = [&package](const TMergeLines& lines) { return package->Merge(lines); };
        extension = package->Extension();
    }
    TBatchSummary summary;
    if (m.dataFile.empty()) {
        options.total = int64_t(m.infoFiles.size());
        summary = RunBatchMerge(templateText, InformationFileSource(m.infoFiles, readInformation, extension), options,
                                std::cerr);
    } else {
        const TCsvFormat format = ScanCsvFile(m.dataFile);
        options.total = std::max<int64_t>(format.rows - 1, 0);
        options.namesUnique = m.nameColumn == 0;
        // A line break inside a cell: RTF's own in a rich-text template.
        TSpreadsheetSource rows(m.dataFile, format, m.nameColumn, !package && LooksLikeRtfTemplate(templateText) ? "\\line " : "\r\n",
                                extension);
        summary = RunBatchMerge(templateText, std::ref(rows), options, std::cerr);
    }
    // Success is claimed only for documents that would survive a power cut.
    bool synced = true;
    try {
        if (summary.merged > 0) TBatchOutput::Sync(m.outDir);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        synced = false;
    }
    std::cerr << BatchSummaryLine(summary) << '\n';
    return summary.failed > 0 || !synced ? 1 : 0;
}

} // namespace

// kelvora merge TEMPLATE INFO [--overwrite] [-o OUT] [--html OUT.html]
// kelvora merge TEMPLATE INFO1 INFO2 ... -d OUTDIR | --data ROWS.csv -d OUTDIR [--name-column N] [--pdf]
int RunMergeCommand(const TArgs& args, const TInformationReader& readInformation, const TPdfWriter& writePdf) {
    auto m = ParseMergeArgs(args);
    if (m && m->pdf && !writePdf) m.reset();
    if (!m) {
        std::cerr << "usage: kelvora merge TEMPLATE INFO [--overwrite] [-o OUT.rtf] [--html OUT.html] [--pdf OUT.pdf]\n"
                     "       kelvora merge TEMPLATE.docx|TEMPLATE.odt INFO -o OUT.docx|OUT.odt\n"
                     "       kelvora merge TEMPLATE INFO... -d OUTDIR [--overwrite] [--replace-existing] [--pdf]\n"
                     "       kelvora merge TEMPLATE --data ROWS.csv -d OUTDIR [--name-column N] [--overwrite] [--replace-existing] [--pdf]\n";
        return 1;
    }
    if (IsPackageTemplate(m->templateFile)) {
        if (const auto refusal = PackageRefusal(*m)) {
            PrintMessage(*refusal);
            return 1;
        }
    }
    if (m->batch) {
        try {
            return RunBatch(*m, readInformation, writePdf);
        } catch (const std::exception& e) {
            std::cerr << e.what() << '\n';
            return 1;
        }
    }
    try {
        const TVectorLines lines = readInformation(m->infoFile);
        TMergeResult result;
        if (IsPackageTemplate(m->templateFile)) {
            result = TPackageTemplate(m->templateFile).Merge(lines);
        } else {
            TerminalProgress progress;
            result = MergeTemplateFile(m->templateFile, lines,
                                       m->overwrite ? TMergeMode::Overwrite : TMergeMode::Insert, std::ref(progress));
        }
        const TMergeMessage message = MergeOutcomeMessage(result);
        if (result.outcome != TMergeOutcome::Done) {
            PrintMessage(message.text);
            return ExitStatus(result.outcome);
        }
        WriteResult(*m, result.text, writePdf);
        PrintMessage(message.title);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << Platform::Utf8ToLocale(Platform::AnyTextToUtf8(e.what())) << '\n';
        return 1;
    }
}
