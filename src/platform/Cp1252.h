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

} // namespace Platform
