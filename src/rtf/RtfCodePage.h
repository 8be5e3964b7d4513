// Byte-to-Unicode decoding of RTF text by Windows code page, through the platform's
// one conversion boundary.
#pragma once
#include "platform/CodePages.h"

#include <QByteArray>
#include <QString>
#include <map>

namespace RtfEngine {

using Platform::CodePageOfCharset;

// Decodes byte runs in a given code page; a page that cannot be converted reads as 1252.
class RtfTextDecoder {
public:
    QString Decode(const QByteArray& bytes, int codePage);
};

QString DecodeCp1252(const char* bytes, qsizetype length);

// Whether the bytes end with the first byte of a two-byte character still waiting for
// its second (which may come as an escaped backslash or brace in the source).
bool EndsInLeadByte(const QByteArray& bytes, int codePage);

// The fonts of a font table ("{\fonttbl{\f0\fcharset128 …;}…}") whose character set
// (or "\cpgN") names a code page other than 1252: font number -> code page. A byte
// escape in such a font reads in its page, so text written there as 1252 bytes would
// not read back the same.
std::map<int, int> ForeignFontCodePages(const QByteArray& fontTable);

} // namespace RtfEngine
