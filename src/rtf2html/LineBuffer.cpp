#include "rtf2html/LineBuffer.h"

#include "rtf2html/RtfToHtml.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rtf2html {

namespace {
constexpr size_t kReadChunk = 1 << 16;

std::string SystemError() { return std::strerror(errno); }
} // namespace

TLineInput TLineInput::FromFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EInOutError("Cannot open file " + path + ": " + SystemError());
    return TLineInput(fd, path, {});
}

TLineInput TLineInput::FromText(std::string text) { return TLineInput(-1, {}, std::move(text)); }

TLineInput::TLineInput(int fd, std::string path, std::string text)
    : FDescriptor(fd), FPath(std::move(path)), FData(std::move(text)), FEof(fd < 0) {}

TLineInput::TLineInput(TLineInput&& other) noexcept
    : FDescriptor(other.FDescriptor), FPath(std::move(other.FPath)), FData(std::move(other.FData)),
      FPos(other.FPos), FBytesRead(other.FBytesRead), FEof(other.FEof) {
    other.FDescriptor = -1;
}

TLineInput::~TLineInput() {
    if (FDescriptor >= 0) ::close(FDescriptor);
}

bool TLineInput::IsSameFile(const std::string& path) const {
    struct stat input, other;
    return FDescriptor >= 0 && ::fstat(FDescriptor, &input) == 0 && ::stat(path.c_str(), &other) == 0 &&
           input.st_dev == other.st_dev && input.st_ino == other.st_ino;
}

// Reads one more chunk; false at the end of the file.
bool TLineInput::Refill() {
    if (FEof) return false;
    if (FPos > 0) {
        FData.erase(0, FPos);
        FPos = 0;
    }
    const size_t old = FData.size();
    FData.resize(old + kReadChunk);
    ssize_t got;
    do got = ::read(FDescriptor, FData.data() + old, kReadChunk);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        FData.resize(old);
        throw EInOutError("Cannot read file " + FPath + ": " + SystemError());
    }
    FData.resize(old + size_t(got));
    if (got == 0) FEof = true;
    return got > 0;
}

bool TLineInput::AtEnd() {
    while (FPos >= FData.size())
        if (!Refill()) return true;
    return false;
}

bool TLineInput::AppendLine(std::string& dest) {
    if (AtEnd()) return false;
    for (;;) {
        const size_t nl = FData.find('\n', FPos);
        if (nl != std::string::npos) {
            size_t end = nl;
            if (end > FPos && FData[end - 1] == '\r') --end;
            dest.append(FData, FPos, end - FPos);
            FBytesRead += nl + 1 - FPos;
            FPos = nl + 1;
            return true;
        }
        // A long line: hand over what we have so far and read on.
        size_t end = FData.size();
        const bool heldCr = end > FPos && FData[end - 1] == '\r';
        if (heldCr) --end;
        dest.append(FData, FPos, end - FPos);
        FBytesRead += end - FPos;
        FPos = end;
        if (!Refill()) {
            FPos = FData.size(); // a CR that ends the file ends its last line
            return true;
        }
    }
}

void TLineBuffer::ReplaceWithNextLine() {
    FData.clear();
    FStart = 0;
    FInput.AppendLine(FData);
}

bool TLineBuffer::AppendNextLine() {
    // Drop the consumed front now and then so memory follows the unread text.
    if (FStart > 4096 && FStart > FData.size() / 2) {
        FData.erase(0, FStart);
        FStart = 0;
    }
    return FInput.AppendLine(FData);
}

bool TLineBuffer::Reach(size_t i) {
    while (i >= size())
        if (!AppendNextLine()) return false;
    return true;
}

void TLineBuffer::CutAt(size_t i) {
    if (Reach(i)) {
        FStart += i;
    } else {
        FData.clear();
        FStart = 0;
    }
}

void TLineBuffer::Prepend(std::string_view text) {
    if (text.size() <= FStart) {
        FStart -= text.size();
        FData.replace(FStart, text.size(), text);
        return;
    }
    // Leave room in front so that repeated prepends stay cheap.
    std::string rebuilt;
    const size_t room = text.size() + 256;
    rebuilt.reserve(room + size());
    rebuilt.append(room - text.size(), ' ');
    rebuilt.append(text);
    rebuilt.append(View());
    FData = std::move(rebuilt);
    FStart = room - text.size();
}

size_t TLineBuffer::FindFirstOf(std::string_view chars, size_t from) {
    for (;;) {
        if (from < size()) {
            const size_t hit = View(from).find_first_of(chars);
            if (hit != std::string_view::npos) return from + hit;
            from = size();
        }
        if (!AppendNextLine()) return size();
    }
}

} // namespace rtf2html
