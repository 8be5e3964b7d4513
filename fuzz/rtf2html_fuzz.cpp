// RtfToHtmlFile must end for any input, raising only its own errors, and leave a
// closed page behind. The first byte picks the options; the rest is the RTF.
#include "rtf2html/RtfToHtml.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

namespace {

std::string ScratchName(const char* suffix) {
    return "/tmp/rtf2html_fuzz_" + std::to_string(::getpid()) + suffix;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const std::string source = ScratchName(".rtf");
    static const std::string destination = ScratchName(".html");
    std::vector<std::string> options;
    if (data[0] & 1) options.push_back("noFonts");
    if (data[0] & 2) options.push_back("optimize");
    if (data[0] & 4) options.push_back("onlyDefiniteOpt");
    {
        std::ofstream file(source, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
    }
    try {
        RtfToHtmlFile(source, destination, options);
    } catch (const rtf2html::Error&) {
    }
    std::ifstream page(destination, std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    const std::string_view end = "</BODY>\r\n</HTML>\r\n";
    if (html.size() < end.size() || std::string_view(html).substr(html.size() - end.size()) != end) __builtin_trap();
    return 0;
}
