#include "cli/HtmlCommand.h"

#include "window/HtmlExport.h"
#include "platform/Cp1252.h"
#include "rtf2html/RtfToHtml.h"

#include <exception>
#include <iostream>

namespace {

const char* const kUsage = "usage: kelvora html IN.rtf OUT.html [--option noFonts|optimize|onlyDefiniteOpt]...";

bool IsConverterOption(const std::string& name) {
    return name == "noFonts" || name == "optimize" || name == "onlyDefiniteOpt";
}

int UsageError() {
    std::cerr << kUsage << '\n';
    return 1;
}

} // namespace

int RunHtmlCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::string> options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--option") {
            if (i + 1 >= args.size() || !IsConverterOption(args[i + 1])) return UsageError();
            options.push_back(args[++i]);
        } else if (args[i].size() > 1 && args[i].compare(0, 2, "--") == 0) {
            return UsageError();
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) return UsageError();
    try {
        WriteHtmlPage(files[1], [&](const std::string& temp) { RtfToHtmlFile(files[0], temp, options, &PlatformCodePages()); });
    } catch (const std::exception& e) {
        std::cerr << Platform::ToTerminal(e.what()) << '\n';
        return 1;
    }
    return 0;
}
