// The RTF-to-HTML converter: one call turns an RTF file into an HTML page file.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
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

// How text in code pages other than 1252 is read; the caller's conversion helper
// supplies it. Without one every byte reads as 1252, as it always did.
struct TCodePages {
    int (*PageOfCharset)(int charset);             // 0: the set names no page
    bool (*IsLeadByte)(int page, unsigned char byte); // starts a two-byte character
    std::u16string (*Decode)(std::string_view bytes, int page);
};

} // namespace rtf2html

// Converts the RTF file `source` into the HTML page `destination` (created or
// overwritten). `source`, exactly as passed, becomes the page title. Options:
// "noFonts", "optimize", "onlyDefiniteOpt"; any other element is ignored.
// A failure during the body still leaves a closed page behind, then raises.
// With `codePages`, a document in another code page (or with fonts of another
// character set) has its characters outside ASCII written as character references.
void RtfToHtmlFile(const std::string& source, const std::string& destination,
                   const std::vector<std::string>& options, const rtf2html::TCodePages* codePages = nullptr);

// The same conversion of RTF text already in memory; `title` stands where the
// source path would.
void RtfToHtmlText(std::string rtf, const std::string& title, const std::string& destination,
                   const std::vector<std::string>& options, const rtf2html::TCodePages* codePages = nullptr);
