#include "assembly/InformationText.h"

#include "platform/Cp1252.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// The longest text the editor gives back for one line (characters of the code page,
// or UTF-16 units of a UTF-8 file).
constexpr size_t kMaxLineLength = 4096;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// What decides how the editor reads a file: its first bytes after blanks (RTF or not)
// and whether all of it is UTF-8. Fed block by block.
class TFileKind {
public:
    void Feed(std::string_view bytes) {
        FUtf8.Feed(bytes);
        for (const char c : bytes) {
            if (FStart.size() == 6) break;
            if (FStart.empty() && IsBlank(c)) continue;
            FStart += c;
        }
    }
    bool IsRtf() const { return InformationLooksLikeRtf(FStart); }
    bool IsUtf8() const { return FUtf8.IsUtf8(); }
    bool StartsWithByteOrderMark() const { return FUtf8.StartsWithByteOrderMark(); }
    // The byte-order mark promises UTF-8 the rest breaks: the editor's decoder decides.
    bool NeedsTheEditor() const { return IsRtf() || (FUtf8.StartsWithByteOrderMark() && !FUtf8.IsValidUtf8()); }

private:
    Platform::TUtf8Detector FUtf8;
    std::string FStart;
};

// Splits bytes fed block by block into the editor's lines, keeping of each line only
// what the editor gives back.
class TLineSplitter {
public:
    explicit TLineSplitter(const TFileKind& kind)
        : FUtf8(kind.IsUtf8()), FSkipByteOrderMark(kind.StartsWithByteOrderMark()) {}

    void Feed(std::string_view bytes) {
        if (FSkipByteOrderMark) bytes = SkipByteOrderMark(bytes);
        for (const char c : bytes) {
            if (FAfterCr && c == '\n') {
                FAfterCr = false;
                continue;
            }
            FAfterCr = false;
            if (c == '\0') continue; // the editor drops them before it splits the lines
            if (c == '\r' || c == '\n') {
                FAfterCr = c == '\r';
                EndLine();
            } else if (FUtf8) {
                AddUtf8Byte(c);
            } else {
                FHasText = true;
                if (FBytes.size() < kMaxLineLength) FBytes += c;
            }
        }
    }

    TInformationLines Finish() {
        if (FHasText) EndLine();
        return std::move(FResult);
    }

private:
    std::string_view SkipByteOrderMark(std::string_view bytes) {
        while (FSkipByteOrderMark && !bytes.empty()) {
            if (++FByteOrderMarkSeen == 3) FSkipByteOrderMark = false;
            bytes.remove_prefix(1);
        }
        return bytes;
    }

    // Bytes of a valid UTF-8 file: a sequence is decoded when it is whole.
    void AddUtf8Byte(char c) {
        FHasText = true;
        if (FSequence.empty() && static_cast<unsigned char>(c) < 0x80) {
            if (FUnits.size() < kMaxLineLength) FUnits += c == '\v' ? kLineSeparator : char16_t(c);
            return;
        }
        FSequence += c;
        const auto lead = static_cast<unsigned char>(FSequence.front());
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (FSequence.size() < length) return;
        const std::u16string units = Platform::Utf8ToUtf16(FSequence);
        FSequence.clear();
        if (units.size() == 1 && units[0] == kParagraphSeparator) {
            EndLine(); // a paragraph of the editor's own
            return;
        }
        for (const char16_t unit : units)
            if (FUnits.size() < kMaxLineLength) FUnits += unit == u'\v' ? kLineSeparator : unit;
    }

    void EndLine() {
        if (FUtf8) EndUtf8Line();
        else FResult.lines.push_back(InformationLine(FBytes));
        FBytes.clear();
        FHasText = false;
    }

    void EndUtf8Line() {
        if (!FUnits.empty() && FUnits.back() == kLineSeparator) FUnits.pop_back();
        std::u16string line;
        line.reserve(FUnits.size());
        for (const char16_t unit : FUnits) {
            if (unit == 0xFDD0 || unit == 0xFDD1) continue; // the editor's own marks, never text
            line += unit == kLineSeparator ? u'\v' : unit;
        }
        FResult.lines.push_back(Platform::Utf16ToCp1252(line));
        FResult.rtfLines.push_back(Platform::Utf16ToRtfAnsi(line));
        FUnits.clear();
    }

    const bool FUtf8;
    bool FSkipByteOrderMark;
    int FByteOrderMarkSeen = 0;
    bool FAfterCr = false;
    bool FHasText = false;   // the line holds a byte other than 0
    std::string FBytes;      // the kept part of a code-page line
    std::string FSequence;   // a UTF-8 sequence not yet whole
    std::u16string FUnits;   // the kept part of a UTF-8 line
    TInformationLines FResult;
};

// Feeds the file's blocks to `consume`; whether it was read to its end.
template <typename Consume>
bool ReadBlocks(std::FILE* file, Consume consume) {
    std::rewind(file);
    std::unique_ptr<char[]> block(new char[1 << 16]);
    for (;;) {
        const size_t got = std::fread(block.get(), 1, 1 << 16, file);
        if (got > 0) consume(std::string_view(block.get(), got));
        if (got < (1 << 16)) return !std::ferror(file);
    }
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool InformationLooksLikeRtf(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && IsBlank(bytes[i])) ++i;
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

std::optional<TInformationLines> InformationLinesFromText(std::string_view bytes) {
    TFileKind kind;
    kind.Feed(bytes);
    if (kind.NeedsTheEditor()) return std::nullopt;
    TLineSplitter splitter(kind);
    splitter.Feed(bytes);
    return splitter.Finish();
}

std::optional<TInformationLines> InformationLinesFromFile(const std::string& fileName) {
    // A folder opens but reads as nothing: the editor's error is the one to give.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return std::nullopt;
    const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return std::nullopt;
    // Two passes, so that nothing but the kept lines is held: what kind of file, then its lines.
    TFileKind kind;
    if (!ReadBlocks(file.get(), [&](std::string_view block) { kind.Feed(block); }) || kind.NeedsTheEditor())
        return std::nullopt;
    TLineSplitter splitter(kind);
    if (!ReadBlocks(file.get(), [&](std::string_view block) { splitter.Feed(block); })) return std::nullopt;
    return splitter.Finish();
}
