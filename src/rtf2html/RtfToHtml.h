// The RTF-to-HTML converter: one call turns an RTF file into an HTML page file.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace rtf2html {

// Root of every error the converter raises.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A file that cannot be opened, created, read or written.
class EInOutError : public Error { using Error::Error; };

// A text that does not read as a number (a bad digit in an "\'" escape).
class EConvertError : public Error { using Error::Error; };

// Input whose structure the converter refuses (groups nested too deeply).
class EStructureError : public Error { using Error::Error; };

} // namespace rtf2html

// Converts the RTF file `source` into the HTML page `destination` (created or
// overwritten). `source`, exactly as passed, becomes the page title. Options:
// "noFonts", "optimize", "onlyDefiniteOpt"; any other element is ignored.
// A failure during the body still leaves a closed page behind, then raises.
void RtfToHtmlFile(const std::string& source, const std::string& destination,
                   const std::vector<std::string>& options);

// The same conversion of RTF text already in memory; `title` stands where the
// source path would.
void RtfToHtmlText(std::string rtf, const std::string& title, const std::string& destination,
                   const std::vector<std::string>& options);
