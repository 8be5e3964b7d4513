#include "rtf/RtfTokenizer.h"

#include <algorithm>
#include <cstdint>

namespace RtfEngine {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

RtfToken Token(RtfToken::Kind kind)
{
    RtfToken token;
    token.kind = kind;
    return token;
}

constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxDigits = 10;

} // namespace

RtfToken RtfTokenizer::Next()
{
    while (FPos < FInput.size()) {
        const char c = FInput[FPos];
        switch (c) {
        case '{': ++FPos; return Token(RtfToken::GroupOpen);
        case '}': ++FPos; return Token(RtfToken::GroupClose);
        case '\\': return ReadControl();
        case '\r': case '\n': case '\0': ++FPos; continue; // not part of the text
        default: return ReadText();
        }
    }
    return Token(RtfToken::End);
}

RtfToken RtfTokenizer::ReadText()
{
    const std::size_t start = FPos;
    while (FPos < FInput.size()) {
        const char c = FInput[FPos];
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\0')
            break;
        ++FPos;
    }
    RtfToken token = Token(RtfToken::Text);
    token.data = FInput.substr(start, FPos - start);
    return token;
}

RtfToken RtfTokenizer::ReadControl()
{
    ++FPos; // the backslash
    if (FPos >= FInput.size())
        return Token(RtfToken::End);
    const char c = FInput[FPos];
    if (IsLetter(c))
        return ReadWord();
    if (c == '\'')
        return ReadHex();
    ++FPos;
    RtfToken token = Token(RtfToken::Symbol);
    token.symbol = (c == '\r' || c == '\n') ? '\n' : c;
    return token;
}

RtfToken RtfTokenizer::ReadWord()
{
    const std::size_t start = FPos;
    while (FPos < FInput.size() && IsLetter(FInput[FPos]))
        ++FPos;
    RtfToken token = Token(RtfToken::Word);
    token.word = FInput.substr(start, std::min(FPos - start, kMaxWordLength));

    bool negative = false;
    if (FPos + 1 < FInput.size() && FInput[FPos] == '-' && IsDigit(FInput[FPos + 1])) {
        negative = true;
        ++FPos;
    }
    std::int64_t value = 0;
    int digits = 0;
    while (FPos < FInput.size() && IsDigit(FInput[FPos])) {
        if (digits < kMaxDigits)
            value = value * 10 + (FInput[FPos] - '0');
        ++digits;
        ++FPos;
    }
    if (digits > 0) {
        value = std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX);
        token.hasParam = true;
        token.param = static_cast<int>(value);
    }
    if (FPos < FInput.size() && FInput[FPos] == ' ')
        ++FPos; // the delimiter belongs to the control word

    if (token.word == "bin" && token.hasParam)
        return ReadBinary(token.param);
    return token;
}

RtfToken RtfTokenizer::ReadHex()
{
    ++FPos; // the quote
    const int high = FPos < FInput.size() ? HexValue(FInput[FPos]) : -1;
    const int low = FPos + 1 < FInput.size() ? HexValue(FInput[FPos + 1]) : -1;
    if (high < 0 || low < 0) {
        // A broken escape yields nothing; its digits, if any, stay text.
        RtfToken token = Token(RtfToken::Text);
        return token;
    }
    FPos += 2;
    RtfToken token = Token(RtfToken::HexByte);
    token.byte = static_cast<unsigned char>(high * 16 + low);
    return token;
}

RtfToken RtfTokenizer::ReadBinary(int count)
{
    // A length beyond the input is clamped to what is there.
    const std::size_t available = FInput.size() - FPos;
    const std::size_t length = count > 0 ? std::min<std::size_t>(count, available) : 0;
    RtfToken token = Token(RtfToken::Binary);
    token.data = FInput.substr(FPos, length);
    FPos += length;
    return token;
}

} // namespace RtfEngine
