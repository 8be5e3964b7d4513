#include "rtf2html/ForeignText.h"

#include "rtf2html/Formatting.h"
#include "rtf2html/RtfToHtml.h"

namespace rtf2html {
namespace {

void NoteForeignPage(TRun& run, int page) {
    if (run.CodePages && page > 0 && page != 1252) run.WritesReferences = true;
}

int PageOfText(const TRun& run, const format& fmt) {
    const auto found = run.FontCodePages.find(fmt.FontNumber);
    return found != run.FontCodePages.end() && found->second > 0 ? found->second : run.DocumentCodePage;
}

void AppendReferences(std::string& out, std::u16string_view units) {
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            u = 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (u < 0x20 && u != '\t') continue; // control bytes mean nothing in a page
        out += "&#" + std::to_string(uint32_t(u)) + ";";
    }
}

} // namespace

void SetDocumentCodePage(TRun& run, int page) {
    if (page <= 0) return;
    run.DocumentCodePage = page;
    NoteForeignPage(run, page);
}

void SetFontCharset(TRun& run, int32_t font, int charset) {
    if (!run.CodePages) return;
    const int page = run.CodePages->PageOfCharset(charset);
    run.FontCodePages[font] = page;
    NoteForeignPage(run, page);
}

bool AppendForeignText(TRun& run, std::string& out, std::string_view text, const format& fmt) {
    if (!run.WritesReferences) return false;
    if (text.size() != 1 && text.size() != 2) {
        run.LeadByte.clear(); // a token between the halves: the half is lost
        return false;
    }
    const auto byte = static_cast<unsigned char>(text.size() == 1 ? text[0] : HexValue(text));
    if (run.LeadByte.empty() && byte < 0x80) return false;
    const int page = PageOfText(run, fmt);
    if (run.LeadByte.empty() && run.CodePages->IsLeadByte(page, byte)) {
        run.LeadByte = char(byte);
        return true;
    }
    const std::string bytes = run.LeadByte + char(byte);
    run.LeadByte.clear();
    AppendReferences(out, run.CodePages->Decode(bytes, page));
    return true;
}

} // namespace rtf2html
