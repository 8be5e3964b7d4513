#include "cli/Commands.h"

#include "assembly/CheckTemplate.h"
#include "assembly/PackageTemplate.h"
#include "platform/Cp1252.h"
#include "text/TextFiles.h"

#include <iostream>

// kelvora check TEMPLATE INFO [--overwrite] [--json]
int RunCheckCommand(const TArgs& args, const TInformationReader& readInformation) {
    std::vector<std::string> files;
    bool overwrite = false, json = false;
    for (const std::string& a : args) {
        if (a == "--overwrite") overwrite = true;
        else if (a == "--json") json = true;
        else if (!a.empty() && a[0] == '-') files.clear(), files.resize(3); // unknown option: usage
        else files.push_back(a);
    }
    if (files.size() != 2) {
        std::cerr << "usage: kelvora check TEMPLATE INFO [--overwrite] [--json]\n";
        return 1;
    }
    const TMergeMode mode = overwrite ? TMergeMode::Overwrite : TMergeMode::Insert;
    const bool package = IsPackageTemplate(files[0]);
    if (package && overwrite) {
        std::cerr << Platform::ToTerminal(PackageOverwriteMessage()) << '\n';
        return 1;
    }
    TCheckReport report;
    std::vector<TSplitMarker> split;
    try {
        const TVectorLines lines(readInformation(files[1]));
        if (package) {
            const TPackageTemplate tpl(files[0]);
            report = CheckPackageTemplate(tpl, lines);
            split = tpl.SplitMarkers();
        } else {
            report = CheckTemplate(LoadTextFile(files[0]), lines, mode);
        }
    } catch (const std::exception& e) {
        std::cerr << Platform::ToTerminal(e.what()) << '\n';
        return 1;
    }
    // JSON is UTF-8 by definition; the report for people is in the terminal's encoding.
    const std::string out =
        json ? WithSplitMarkersJson(CheckReportJson(report, mode), split)
             : Platform::Utf8ToLocale(CheckReportText(report, mode) + Platform::Cp1252ToUtf8(SplitMarkersText(split)));
    std::cout.write(out.data(), std::streamsize(out.size())).flush();
    if (!std::cout) {
        std::cerr << "Cannot write the report\n";
        return 1;
    }
    return report.Clean() ? 0 : 4;
}
