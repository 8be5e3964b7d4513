#include "app/HtmlExport.h"

#include "rtf2html/RtfToHtml.h"

void ConvertToHtml(const std::string& source, const std::string& destination) {
    RtfToHtmlFile(source, destination, {""}); // one empty option: none
}
