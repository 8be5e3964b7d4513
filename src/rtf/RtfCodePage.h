// Byte-to-Unicode decoding of RTF text by Windows code page.
#pragma once
#include <QByteArray>
#include <QString>
#include <map>
#include <memory>

class QStringDecoder;

namespace RtfEngine {

// The code page a font character set (\fcharset) stands for; 0 when it names none.
int CodePageOfCharset(int charset);

// Decodes byte runs in a given code page. 1252 uses the platform's own table; other
// code pages go through the toolkit's converters and fall back to 1252 when it has none.
class RtfTextDecoder {
public:
    RtfTextDecoder();
    ~RtfTextDecoder();
    QString Decode(const QByteArray& bytes, int codePage);

private:
    QStringDecoder* DecoderFor(int codePage);
    std::map<int, std::unique_ptr<QStringDecoder>> FDecoders;
};

QString DecodeCp1252(const char* bytes, qsizetype length);

} // namespace RtfEngine
