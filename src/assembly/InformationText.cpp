#include "assembly/InformationText.h"

#include "platform/Cp1252.h"
#include "text/TextFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The longest text the editor gives back for one line.
constexpr size_t kMaxLineLength = 4096;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

bool InformationLooksLikeRtf(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n' ||
                                bytes[i] == '\f'))
        ++i;
    if (bytes.substr(i, 5) != "{\\rtf") return false;
    return i + 5 >= bytes.size() || !IsLetter(bytes[i + 5]);
}

std::string InformationLine(std::string_view text) {
    std::string line;
    line.reserve(std::min(text.size(), kMaxLineLength));
    for (const char c : text) {
        if (c == '\0') continue;
        if (line.size() == kMaxLineLength) break;
        line += c;
    }
    if (!line.empty() && line.back() == '\v') line.pop_back();
    return line;
}

std::optional<std::vector<std::string>> InformationLinesFromText(std::string_view bytes) {
    // UTF-8 files may hold names beyond the code page: the editor gives their RTF forms.
    if (InformationLooksLikeRtf(bytes) || Platform::IsUtf8Text(bytes)) return std::nullopt;
    std::string text;
    if (bytes.find('\0') != std::string_view::npos) { // the editor drops them before it splits the lines
        text.reserve(bytes.size());
        for (const char c : bytes)
            if (c != '\0') text += c;
        bytes = text;
    }
    std::vector<std::string> lines;
    ForEachLine(bytes, [&](std::string_view line) { lines.push_back(InformationLine(line)); });
    return lines;
}

std::optional<std::vector<std::string>> InformationLinesFromFile(const std::string& fileName) {
    // A folder opens but reads as nothing: the editor's error is the one to give.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return std::nullopt;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return in.bad() ? std::nullopt : InformationLinesFromText(bytes);
}
