// Windows-1252 (the ANSI code page of locale 1033): case maps, letter flags and
// the byte <-> Unicode mapping. Built once as constant tables.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace Platform {

// Upper-/lower-case image of a byte, as the ANSI case conversion of the locale gives it.
unsigned char UpperByte(unsigned char c);
unsigned char LowerByte(unsigned char c);

// Whether the byte is an upper-case letter of the code page.
bool IsUpperLetter(unsigned char c);

// The Unicode code point of a byte. The five unassigned bytes map to the C1
// control of the same value, as the platform's conversion does.
char16_t ByteToUnicode(unsigned char c);

// The byte of a code point, or `fallback` when the code page has none.
unsigned char UnicodeToByte(char32_t u, unsigned char fallback = '?');

// Whole-string conversions between 8-bit text and UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Utf8ToCp1252(std::string_view utf8, unsigned char fallback = '?');

// UTF-8 as UTF-16 units; a malformed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 text as 8-bit text, one byte per character; a character the code page lacks
// (a surrogate pair counts as one, a lone surrogate too) becomes `fallback`.
std::string Utf16ToCp1252(std::u16string_view text, char fallback = '?');

// UTF-16 text as 8-bit RTF source text: characters the code page holds become their
// bytes; any other becomes "\uN?" with N the signed 16-bit value of its UTF-16 unit,
// two escapes (a surrogate pair) for a character beyond the BMP, as RTF readers expect.
std::string Utf16ToRtfAnsi(std::u16string_view text);

// 8-bit text to UTF-16, byte for character, except that the "\uN?" escapes
// Utf16ToRtfAnsi writes become their characters again.
std::u16string RtfAnsiToUtf16(std::string_view bytes);
std::string RtfAnsiToUtf8(std::string_view bytes);

// Whether plain-text bytes are UTF-8: they start with the UTF-8 byte-order mark, or
// they are valid UTF-8 that holds at least one multi-byte sequence. Anything else
// is read as code page 1252.
bool IsUtf8Text(std::string_view bytes);

// IsUtf8Text for bytes that arrive in pieces of any size (a file read block by block).
class TUtf8Detector {
public:
    void Feed(std::string_view bytes);
    // After the last piece: whether IsUtf8Text would say so of all the bytes together.
    bool IsUtf8() const { return StartsWithByteOrderMark() || IsValidUtf8(); }
    // Valid UTF-8 that holds at least one multi-byte sequence.
    bool IsValidUtf8() const { return !FInvalid && FPending.empty() && FMultiByte; }
    bool StartsWithByteOrderMark() const { return FHead == "\xEF\xBB\xBF"; }

private:
    void Scan(std::string_view bytes);

    std::string FHead;    // the first three bytes
    std::string FPending; // a sequence cut by the end of a piece
    bool FInvalid = false;
    bool FMultiByte = false;
};

// Bytes of unknown origin (a message that may hold a file name or document text)
// as UTF-8: kept when IsUtf8Text or plain ASCII, else read as code page 1252.
std::string AnyTextToUtf8(std::string_view bytes);

// UTF-8 text in the encoding of the user's locale (LC_CTYPE), for the terminal;
// characters that locale lacks are approximated or become "?". UTF-8 when the
// locale is UTF-8, the plain C locale, or unknown.
std::string Utf8ToLocale(std::string_view utf8);

// A message of unknown origin (AnyTextToUtf8) in the terminal's encoding.
inline std::string ToTerminal(std::string_view message) { return Utf8ToLocale(AnyTextToUtf8(message)); }

} // namespace Platform
