// The HTML side of saving: the converter run on an RTF file.
#pragma once
#include <string>

// Converts the RTF file `source` into the page `destination` with no option; the
// page's title is `source`. Raises the converter's errors.
void ConvertToHtml(const std::string& source, const std::string& destination);
