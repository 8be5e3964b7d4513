#include "text/TextFiles.h"

#include "platform/Errors.h"
#include "platform/Process.h"

#include <cstdio>
#include <cstring>
#include <memory>

std::string TrimLeftChar(std::string_view s, char c) {
    const size_t i = s.find_first_not_of(c);
    return i == std::string_view::npos ? std::string() : std::string(s.substr(i));
}

std::string TrimRightChar(std::string_view s, char c) {
    const size_t i = s.find_last_not_of(c);
    return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

std::string TrimBlanks(std::string_view s) { return TrimRightChar(TrimLeftChar(s, ' '), ' '); }

std::string RightChars(std::string_view s, long count) {
    if (count >= static_cast<long>(s.size())) return std::string(s);
    if (count <= 0) return {};
    return std::string(s.substr(s.size() - count));
}

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadAll(const std::string& fileName) {
    File f(std::fopen(fileName.c_str(), "rb"));
    if (!f) throw Platform::EFOpenError(fileName);
    std::string bytes;
    char buf[1 << 16];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0) bytes.append(buf, got);
    if (std::ferror(f.get())) throw Platform::EFOpenError(fileName); // e.g. a directory
    return bytes;
}

} // namespace

std::string LoadTextFile(const std::string& fileName) {
    std::string bytes = ReadAll(fileName);
    const size_t nul = bytes.find('\0');
    const std::string_view text(bytes.data(), nul == std::string::npos ? bytes.size() : nul);
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    ForEachLine(text, [&out](std::string_view line) {
        out.append(line);
        out += "\r\n";
    });
    return out;
}

void SaveTextFile(const std::string& fileName, std::string_view text) { Platform::SaveFileSafely(fileName, text); }

bool RunProgram(const std::string& commandLine, bool hidden, bool wait) {
    return Platform::StartProcess(commandLine, hidden, wait);
}
