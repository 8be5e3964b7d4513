// The HTML side of saving: the converter run on an RTF file, the page written safely.
#pragma once
#include <functional>
#include <string>

namespace rtf2html { struct TCodePages; }

// The platform's code pages (platform/CodePages.h) as the converter reads them.
const rtf2html::TCodePages& PlatformCodePages();

// Lets `convert` write a page into a temporary and puts it in place of
// `destination` (platform/SafeWrite.h). Every conversion error (a bad escape,
// nesting too deep, a full disk) leaves the old file as it was and raises; an
// input/output error names `destination`, not the temporary.
void WriteHtmlPage(const std::string& destination, const std::function<void(const std::string& temp)>& convert);

// Converts the RTF file `source` into the page `destination` with no option,
// through WriteHtmlPage; the page's title is `source`. Raises the converter's errors.
void ConvertToHtml(const std::string& source, const std::string& destination);
