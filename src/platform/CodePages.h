// Text in the code pages other programs write (Windows ANSI and OEM pages, the Mac
// pages, the double-byte East Asian pages), converted through the C library's iconv.
// Code page 1252 keeps the platform's own table (Cp1252.h), so both roads agree on it.
#pragma once
#include <string>
#include <string_view>

namespace Platform {

// The code page a font character set (RTF "\fcharset", the LOGFONT character set)
// stands for; 0 for the symbol set and sets that name none.
int CodePageOfCharset(int charset);

// Whether text in the code page can be converted here (1252 always can).
bool IsKnownCodePage(int codePage);

// Whether the byte starts a two-byte character in the code page; false in every
// single-byte page.
bool IsLeadByte(int codePage, unsigned char byte);

// Bytes in the code page as UTF-16. A byte sequence the page does not define becomes
// U+FFFD; a code page that cannot be converted is read as 1252.
std::u16string CodePageToUtf16(std::string_view bytes, int codePage);

// UTF-16 text as bytes of the code page; nothing when the page lacks one of its
// characters (or cannot be converted), so the caller picks another way to write it.
bool Utf16ToCodePage(std::u16string_view text, int codePage, std::string& bytes);

} // namespace Platform
