#include "platform/CodePages.h"

#include "platform/Cp1252.h"
#include "platform/IconvRun.h"

#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <string>

namespace Platform {
namespace {

// The converter name iconv knows a code page by; null when it has none. The Mac
// East Asian pages are read as the Windows pages they extend.
const char* IconvName(int codePage) {
    switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 874: return "CP874";
    case 932: case 10001: return "CP932";
    case 936: case 10008: return "CP936";
    case 949: case 10003: return "CP949";
    case 950: case 10002: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 10017: return "MACUKRAINIAN";
    case 10029: return "MAC-CENTRALEUROPE";
    case 10079: return "MAC-IS";
    default: return nullptr;
    }
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

// One converter per code page and direction, opened on first use, per thread
// (an iconv descriptor carries state).
iconv_t ConverterFor(int codePage, bool toUnicode) {
    thread_local std::map<std::pair<int, bool>, Converter> open;
    const auto key = std::make_pair(codePage, toUnicode);
    auto found = open.find(key);
    if (found == open.end()) {
        const char* name = IconvName(codePage);
        iconv_t cd = name ? (toUnicode ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE"))
                          : reinterpret_cast<iconv_t>(-1);
        found = open.emplace(key, Converter(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd)).first;
    }
    return found->second ? static_cast<iconv_t>(found->second.get()) : reinterpret_cast<iconv_t>(-1);
}

bool IsOpen(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

void AppendUtf16Le(std::u16string& out, const char* bytes, size_t count) {
    for (size_t i = 0; i + 1 < count; i += 2)
        out += char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
}

std::u16string Cp1252ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out += ByteToUnicode(c);
    return out;
}

} // namespace

int CodePageOfCharset(int charset) {
    switch (charset) {
    case 0: case 1: return 1252; // ANSI, default
    case 77: return 10000;        // Mac Roman
    case 78: return 10001;        // Mac Shift JIS
    case 79: return 10003;        // Mac Hangul
    case 80: return 10008;        // Mac GB2312
    case 81: return 10002;        // Mac Big5
    case 128: return 932;         // Shift JIS
    case 129: return 949;         // Hangul
    case 130: return 1361;        // Johab
    case 134: return 936;         // GB2312
    case 136: return 950;         // Big5
    case 161: return 1253;        // Greek
    case 162: return 1254;        // Turkish
    case 163: return 1258;        // Vietnamese
    case 177: return 1255;        // Hebrew
    case 178: return 1256;        // Arabic
    case 186: return 1257;        // Baltic
    case 204: return 1251;        // Cyrillic
    case 222: return 874;         // Thai
    case 238: return 1250;        // Eastern European
    case 254: return 437;         // PC 437
    case 255: return 850;         // OEM
    default: return 0;            // the symbol set and the like: shown through the font
    }
}

bool IsKnownCodePage(int codePage) { return codePage == 1252 || IsOpen(ConverterFor(codePage, true)); }

bool IsLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
    case 932: case 10001: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936: case 949: case 950: case 1361:
    case 10002: case 10003: case 10008: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
    }
}

std::u16string CodePageToUtf16(std::string_view bytes, int codePage) {
    iconv_t cd = codePage == 1252 ? reinterpret_cast<iconv_t>(-1) : ConverterFor(codePage, true);
    if (!IsOpen(cd)) return Cp1252ToUtf16(bytes);
    std::string utf16le;
    utf16le.reserve(bytes.size() * 2);
    RunIconv(cd, bytes, utf16le, [](std::string& out, char*& in, size_t& left) {
        // An undefined byte, or a lead byte cut off at the end: one replacement each.
        out += "\xFD\xFF";
        ++in;
        --left;
        return true;
    });
    std::u16string out;
    AppendUtf16Le(out, utf16le.data(), utf16le.size());
    return out;
}

bool Utf16ToCodePage(std::u16string_view text, int codePage, std::string& bytes) {
    bytes.clear();
    if (codePage == 1252) {
        for (char16_t u : text) {
            const unsigned char b = UnicodeToByte(u, 0);
            if (b == 0 && u != 0) return false;
            bytes += char(b);
        }
        return true;
    }
    iconv_t cd = ConverterFor(codePage, false);
    if (!IsOpen(cd)) return false;
    std::string in;
    in.reserve(text.size() * 2);
    for (char16_t u : text) {
        in += char(u & 0xFF);
        in += char(u >> 8);
    }
    return RunIconv(cd, in, bytes, [](std::string&, char*&, size_t&) { return false; });
}

} // namespace Platform
