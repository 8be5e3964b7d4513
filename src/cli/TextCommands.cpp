#include "cli/TextCommands.h"

#include "platform/Cp1252.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"
#include "richedit/RichEditStrings98.h"

#include <algorithm>
#include <exception>
#include <iostream>

namespace {

// The template editor's settings, without wrapping: a command line has no window
// width, so its lines are the document's paragraphs.
void ConfigureForCommandLine(TRichEdit98& edit, bool plain) {
    TRichEdit98::ConfigureAsTemplateEditor(edit);
    edit.SetWordWrap(false);
    edit.SetPlainRTF(plain);
}

// A line break inside a paragraph (the editor's vertical tab) ends a printed line;
// NUL and other control bytes (tabs excepted) would end up in whatever reads the text.
std::string PrintableLine(std::string line) {
    std::replace(line.begin(), line.end(), '\v', '\n');
    std::erase_if(line, [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == '\x7f';
    });
    return line;
}

int Fail(const std::string& message) {
    std::cerr << Platform::ToTerminal(message) << '\n';
    return 1;
}

} // namespace

int RunTextCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return Fail("usage: kelvora text FILE");
    try {
        TRichEdit98 edit;
        ConfigureForCommandLine(edit, false);
        edit.Lines().LoadFromFile(args[0]);
        // Every character as the editor holds it, in the terminal's encoding; a long paragraph
        // whole, not cut where the line list stops.
        const int count = edit.WideLines().Count();
        for (int i = 0; i < count; ++i)
            std::cout << Platform::Utf8ToLocale(PrintableLine(RichEditText::FromEngineText(edit.WideLines().WholeLine(i)).toStdString())) << '\n';
        std::cout.flush();
        return std::cout ? 0 : Fail("Stream write error");
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

int RunConvertCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool plain = false;
    for (const std::string& arg : args) {
        if (arg == "--plain") plain = true;
        else files.push_back(arg);
    }
    if (files.size() != 2) return Fail("usage: kelvora convert IN OUT [--plain]");
    try {
        TRichEdit98 edit;
        ConfigureForCommandLine(edit, plain);
        edit.Lines().LoadFromFile(files[0]);
        edit.Lines().SaveToFile(files[1]);
        return 0;
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

int RunPrintCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
        else files.push_back(args[i]);
    }
    if (files.size() != 1 || output.empty()) return Fail("usage: kelvora print IN -o OUT.pdf");
    try {
        PrintFileToPdf(QString::fromStdString(files[0]), QString::fromStdString(output));
        return 0;
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
