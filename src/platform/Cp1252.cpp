#include "platform/Cp1252.h"
#include "platform/IconvRun.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>
#include <strings.h>

namespace Platform {
namespace {

// Code points of bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    std::array<bool, 256> isUpper{};
};

// Letter pairs (upper, lower) beyond ASCII and the Latin-1 block.
constexpr std::array<std::array<unsigned char, 2>, 4> kExtraPairs = {{
    {0x8A, 0x9A}, // S caron
    {0x8C, 0x9C}, // OE ligature
    {0x8E, 0x9E}, // Z caron
    {0x9F, 0xFF}, // Y diaeresis
}};

CaseTables BuildCaseTables() {
    CaseTables t;
    for (int i = 0; i < 256; ++i) {
        t.upper[i] = static_cast<unsigned char>(i);
        t.lower[i] = static_cast<unsigned char>(i);
    }
    auto pair = [&t](int up, int low) {
        t.upper[low] = static_cast<unsigned char>(up);
        t.lower[up] = static_cast<unsigned char>(low);
        t.isUpper[up] = true;
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    // Latin-1 letters: 0xC0..0xDE pair with 0xE0..0xFE, except the multiplication
    // and division signs (0xD7, 0xF7); sharp s (0xDF) has no upper case here.
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) pair(c, c + 32);
    for (const auto& p : kExtraPairs) pair(p[0], p[1]);
    return t;
}

const CaseTables& Tables() {
    static const CaseTables tables = BuildCaseTables();
    return tables;
}

} // namespace

unsigned char UpperByte(unsigned char c) { return Tables().upper[c]; }
unsigned char LowerByte(unsigned char c) { return Tables().lower[c]; }
bool IsUpperLetter(unsigned char c) { return Tables().isUpper[c]; }

char16_t ByteToUnicode(unsigned char c) {
    return (c >= 0x80 && c <= 0x9F) ? kHighControls[c - 0x80] : char16_t(c);
}

unsigned char UnicodeToByte(char32_t u, unsigned char fallback) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == u) return static_cast<unsigned char>(0x80 + i);
    return fallback;
}

namespace {
void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; a malformed byte is taken as one unknown character.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra > s.size()) return 0xFFFD;
    char32_t u = b0 & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0xFFFD;
        u = (u << 6) | (b & 0x3F);
        ++i;
    }
    return u;
}
} // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char c : bytes) AppendUtf8(out, ByteToUnicode(c));
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8, unsigned char fallback) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) out += static_cast<char>(UnicodeToByte(DecodeUtf8(utf8, i), fallback));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t u = DecodeUtf8(utf8, i);
        if (u >= 0x10000 && u <= 0x10FFFF) {
            out += char16_t(0xD800 + ((u - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((u - 0x10000) & 0x3FF));
        } else {
            out += char16_t(u > 0xFFFF ? 0xFFFD : u);
        }
    }
    return out;
}

namespace {

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

std::string Utf16ToCp1252(std::u16string_view text, char fallback) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
        const bool surrogate = IsHigh(u) || IsLow(u);
        bytes.push_back(surrogate ? fallback : char(UnicodeToByte(u, static_cast<unsigned char>(fallback))));
    }
    return bytes;
}

namespace {

void AppendEscape(std::string& out, char16_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<int16_t>(unit));
    out += '?';
}

// Reads "\uN?" at `i` (N a signed 16-bit number) and moves past it; nothing when
// the bytes there are no such escape.
bool ReadEscape(std::string_view s, size_t& i, char16_t& unit) {
    if (s.compare(i, 2, "\\u") != 0) return false;
    size_t k = i + 2;
    const bool negative = k < s.size() && s[k] == '-';
    if (negative) ++k;
    const size_t digits = k;
    long n = 0;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9' && k - digits < 6) n = n * 10 + (s[k++] - '0');
    if (k == digits || k >= s.size() || s[k] != '?') return false;
    if (negative) n = -n;
    if (n < -32768 || n > 65535) return false;
    unit = static_cast<char16_t>(n < 0 ? n + 65536 : n);
    i = k + 1;
    return true;
}

} // namespace

std::string Utf16ToRtfAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text) {
        const unsigned char b = UnicodeToByte(u, 0);
        if (b != 0 || u == 0) out += static_cast<char>(b);
        else AppendEscape(out, u);
    }
    return out;
}

std::u16string RtfAnsiToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char16_t unit = 0;
        if (ReadEscape(bytes, i, unit)) out += unit;
        else out += ByteToUnicode(static_cast<unsigned char>(bytes[i++]));
    }
    return out;
}

std::string RtfAnsiToUtf8(std::string_view bytes) {
    const std::u16string units = RtfAnsiToUtf16(bytes);
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (IsHigh(units[i]) && i + 1 < units.size() && IsLow(units[i + 1])) {
            u = 0x10000 + ((char32_t(units[i] - 0xD800) << 10) | char32_t(units[i + 1] - 0xDC00));
            ++i;
        } else if (IsHigh(units[i]) || IsLow(units[i]))
            u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

namespace {

// The length of the UTF-8 sequence at `i`: 0 when the bytes end inside it, -1 when it
// is malformed (overlong forms, surrogates and values past U+10FFFF are no UTF-8).
int Utf8SequenceLength(std::string_view bytes, size_t i) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) return 1;
    const int extra = b0 >= 0xC2 && b0 <= 0xDF ? 1 : b0 >= 0xE0 && b0 <= 0xEF ? 2 : b0 >= 0xF0 && b0 <= 0xF4 ? 3 : -1;
    if (extra < 0) return -1;
    char32_t u = b0 & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if (i + size_t(k) >= bytes.size()) return 0;
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) return -1;
        u = (u << 6) | (b & 0x3F);
    }
    if ((extra == 2 && u < 0x800) || (extra == 3 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u <= 0xDFFF))
        return -1;
    return extra + 1;
}

} // namespace

void TUtf8Detector::Feed(std::string_view bytes) {
    if (FHead.size() < 3) FHead += bytes.substr(0, 3 - FHead.size());
    if (FInvalid) return;
    // Complete a sequence the last piece cut, a byte at a time (at most three).
    while (!FPending.empty() && !bytes.empty()) {
        FPending += bytes.front();
        bytes.remove_prefix(1);
        const int length = Utf8SequenceLength(FPending, 0);
        if (length < 0) {
            FInvalid = true;
            return;
        }
        if (length > 0) {
            FMultiByte = true;
            FPending.clear();
        }
    }
    Scan(bytes);
}

void TUtf8Detector::Scan(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const int length = Utf8SequenceLength(bytes, i);
        if (length < 0) {
            FInvalid = true;
            return;
        }
        if (length == 0) {
            FPending.assign(bytes.substr(i));
            return;
        }
        FMultiByte = true;
        i += size_t(length);
    }
}

bool IsUtf8Text(std::string_view bytes) {
    TUtf8Detector detector;
    detector.Feed(bytes);
    return detector.IsUtf8();
}

std::string AnyTextToUtf8(std::string_view bytes) {
    if (IsUtf8Text(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes); // ASCII comes out unchanged
}

std::string Utf8ToLocale(std::string_view utf8) {
    const char* current = setlocale(LC_CTYPE, nullptr);
    const bool plainC = !current || strcmp(current, "C") == 0 || strcmp(current, "POSIX") == 0;
    const char* codeset = plainC ? "UTF-8" : nl_langinfo(CODESET);
    if (!codeset || strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0) return std::string(utf8);
    const std::string target = std::string(codeset) + "//TRANSLIT";
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
    std::string out;
    RunIconv(cd, utf8, out, [](std::string& text, char*& in, size_t& left) {
        // A character the locale cannot show at all: one "?" for its whole sequence.
        text += '?';
        do {
            ++in;
            --left;
        } while (left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        return true;
    });
    iconv_close(cd);
    return out;
}

} // namespace Platform
