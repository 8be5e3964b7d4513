#include "window/HtmlExport.h"

#include "platform/CodePages.h"
#include "platform/SafeWrite.h"
#include "rtf2html/RtfToHtml.h"

#include <exception>

const rtf2html::TCodePages& PlatformCodePages() {
    static const rtf2html::TCodePages pages{&Platform::CodePageOfCharset, &Platform::IsLeadByte,
                                            &Platform::CodePageToUtf16};
    return pages;
}

void WriteHtmlPage(const std::string& destination, const std::function<void(const std::string& temp)>& convert) {
    Platform::WriteFileSafely(destination, [&](const std::string& temp) {
        try {
            convert(temp);
        } catch (const rtf2html::EInOutError& e) {
            throw rtf2html::EInOutError(Platform::NamingTarget(e.what(), temp, destination));
        }
    });
}

void ConvertToHtml(const std::string& source, const std::string& destination) {
    WriteHtmlPage(destination, [&](const std::string& temp) {
        RtfToHtmlFile(source, temp, {""}, &PlatformCodePages()); // one empty option: none
    });
}
