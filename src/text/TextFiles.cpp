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

void SaveTextFile(const std::string& fileName, std::string_view text) {
    File f(std::fopen(fileName.c_str(), "wb"));
    if (!f) throw Platform::EFCreateError(fileName);
    if (std::fwrite(text.data(), 1, text.size(), f.get()) != text.size()) throw Platform::EWriteError();
    if (std::fclose(f.release()) != 0) throw Platform::EWriteError();
}

void WriteFileSafely(const std::string& fileName, const std::function<void(const std::string&)>& write) {
    const std::string aside = fileName + ".kelvora-new";
    try {
        write(aside);
    } catch (const Platform::EFCreateError&) {
        std::remove(aside.c_str());
        throw Platform::EFCreateError(fileName);
    } catch (...) {
        std::remove(aside.c_str());
        throw;
    }
    if (std::rename(aside.c_str(), fileName.c_str()) != 0) {
        std::remove(aside.c_str());
        throw Platform::EFCreateError(fileName);
    }
}

void SaveTextFileSafely(const std::string& fileName, std::string_view text) {
    WriteFileSafely(fileName, [text](const std::string& aside) { SaveTextFile(aside, text); });
}

bool RunProgram(const std::string& commandLine, bool hidden, bool wait) {
    return Platform::StartProcess(commandLine, hidden, wait);
}
