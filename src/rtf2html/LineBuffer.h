// The converter's input: text lines (line ends removed) and the one line buffer
// that every reader cuts, extends and rewrites. The buffer is a window onto a
// string, so cutting its front costs nothing and long lines stay linear.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace rtf2html {

// Lines of a file or of a text in memory; a line ends at LF, a CR before it is dropped.
class TLineInput {
public:
    static TLineInput FromFile(const std::string& path); // raises EInOutError
    static TLineInput FromText(std::string text);
    TLineInput(TLineInput&& other) noexcept;
    TLineInput(const TLineInput&) = delete;
    TLineInput& operator=(const TLineInput&) = delete;
    ~TLineInput();

    // No line is left to read.
    bool AtEnd();
    // Appends the next line to `dest`; false (and nothing appended) at the end.
    bool AppendLine(std::string& dest);
    // Whether `path` names the file being read.
    bool IsSameFile(const std::string& path) const;
    // Bytes handed out in lines so far.
    size_t BytesRead() const { return FBytesRead; }

private:
    TLineInput(int fd, std::string path, std::string text);
    bool Refill();

    int FDescriptor;
    std::string FPath;
    std::string FData;
    size_t FPos = 0;
    size_t FBytesRead = 0;
    bool FEof;
};

class TLineBuffer {
public:
    explicit TLineBuffer(TLineInput& input) : FInput(input) {}

    size_t size() const { return FData.size() - FStart; }
    bool empty() const { return size() == 0; }
    char operator[](size_t i) const { return FData[FStart + i]; }
    std::string_view View(size_t from = 0) const {
        return std::string_view(FData).substr(FStart + from);
    }
    bool StartsWith(size_t at, std::string_view text) const {
        return at <= size() && View(at).substr(0, text.size()) == text;
    }

    bool InputAtEnd() { return FInput.AtEnd(); }
    size_t InputBytesRead() const { return FInput.BytesRead(); }
    // The buffer becomes the next input line (empty when none is left).
    void ReplaceWithNextLine();
    // Appends the next input line without a separator; false when none is left.
    bool AppendNextLine();
    // Appends lines until index `i` exists; whether it does.
    bool Reach(size_t i);
    // The buffer becomes its text from index `i` on, lines appended as needed to
    // reach it; empty when the input ends first.
    void CutAt(size_t i);
    // Puts `text` in front of the buffer.
    void Prepend(std::string_view text);
    // Index of the first of `chars` at or after `from`, lines appended while
    // searching; size() when the input ends first.
    size_t FindFirstOf(std::string_view chars, size_t from);

private:
    TLineInput& FInput;
    std::string FData;
    size_t FStart = 0;
};

} // namespace rtf2html
