#include "app/Commands.h"
#include "app/HtmlExport.h"

#include "assembly/MergeMessages.h"
#include "assembly/MergePipeline.h"
#include "platform/Errors.h"
#include "text/TextFiles.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

struct MergeArgs {
    std::string templateFile, infoFile, outFile, htmlFile;
    bool overwrite = false;
};

std::optional<MergeArgs> ParseMergeArgs(const TArgs& args) {
    MergeArgs m;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--overwrite") m.overwrite = true;
        else if ((a == "-o" || a == "--html") && i + 1 < args.size()) (a == "-o" ? m.outFile : m.htmlFile) = args[++i];
        else if (!a.empty() && a[0] == '-') return std::nullopt;
        else files.push_back(a);
    }
    if (files.size() != 2) return std::nullopt;
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
    void operator()(int count, const std::string&) {
        if (!FEnabled) return;
        const auto now = std::chrono::steady_clock::now();
        if (FShown && now - FLast < std::chrono::milliseconds(100)) return;
        FLast = now;
        FShown = true;
        std::cerr << '\r' << ProgressCaption(count) << std::flush;
    }

private:
    bool FEnabled;
    bool FShown = false;
    std::chrono::steady_clock::time_point FLast{};
};

// The message with its ";" line separators as line breaks.
void PrintMessage(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == ';') c = '\n';
    std::cerr << out << '\n';
}

int ExitStatus(TMergeOutcome outcome) {
    switch (outcome) {
    case TMergeOutcome::Done: return 0;
    case TMergeOutcome::MissingValue: return 2;
    case TMergeOutcome::OverwriteRefused: return 3;
    default: return 1;
    }
}

// The page goes through "$$$" as the editor's Save As does, so its title is "$$$".
void WriteHtml(const std::string& htmlFile, const std::string& merged) {
    const std::string scratch = "$$$";
    SaveTextFile(scratch, merged);
    try {
        WriteFileSafely(htmlFile, [&](const std::string& aside) { ConvertToHtml(scratch, aside); });
    } catch (...) {
        std::remove(scratch.c_str());
        throw;
    }
    std::remove(scratch.c_str());
}

void WriteResult(const MergeArgs& m, const std::string& merged) {
    if (!m.htmlFile.empty()) WriteHtml(m.htmlFile, merged);
    if (!m.outFile.empty()) SaveTextFileSafely(m.outFile, merged);
    else if (m.htmlFile.empty()) std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size())).flush();
}

} // namespace

// kelvora merge TEMPLATE INFO [--overwrite] [-o OUT] [--html OUT.html]
int RunMergeCommand(const TArgs& args, const TInformationReader& readInformation) {
    const auto m = ParseMergeArgs(args);
    if (!m) {
        std::cerr << "usage: kelvora merge TEMPLATE INFO [--overwrite] [-o OUT.rtf] [--html OUT.html]\n";
        return 1;
    }
    try {
        const TVectorLines lines(readInformation(m->infoFile));
        TMergeResult result;
        {
            TerminalProgress progress;
            result = MergeTemplateFile(m->templateFile, lines,
                                       m->overwrite ? TMergeMode::Overwrite : TMergeMode::Insert, std::ref(progress));
        }
        const TMergeMessage message = MergeOutcomeMessage(result);
        if (result.outcome != TMergeOutcome::Done) {
            PrintMessage(message.text);
            return ExitStatus(result.outcome);
        }
        WriteResult(*m, result.text);
        std::cerr << message.title << '\n';
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
