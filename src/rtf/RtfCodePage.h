// Byte-to-Unicode decoding of RTF text by Windows code page, through the platform's
// one conversion boundary.
#pragma once
#include "platform/CodePages.h"

#include <QByteArray>
#include <QString>

namespace RtfEngine {

using Platform::CodePageOfCharset;

// Decodes byte runs in a given code page; a page that cannot be converted reads as 1252.
class RtfTextDecoder {
public:
    QString Decode(const QByteArray& bytes, int codePage);
};

QString DecodeCp1252(const char* bytes, qsizetype length);

} // namespace RtfEngine
