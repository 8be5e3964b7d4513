#include "rtf/RtfCodePage.h"

#include "platform/Cp1252.h"

#include <QStringDecoder>

namespace RtfEngine {

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 0: case 1: return 1252; // ANSI, default
    case 77: return 10000;        // Mac Roman
    case 128: return 932;         // Shift JIS
    case 129: return 949;         // Hangul
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
    default: return 0;            // symbol and OEM sets: shown through the font
    }
}

QString DecodeCp1252(const char* bytes, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(Platform::ByteToUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

RtfTextDecoder::RtfTextDecoder() = default;
RtfTextDecoder::~RtfTextDecoder() = default;

static QByteArray ConverterName(int codePage)
{
    switch (codePage) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 874: return "windows-874";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

QStringDecoder* RtfTextDecoder::DecoderFor(int codePage)
{
    auto found = FDecoders.find(codePage);
    if (found == FDecoders.end()) {
        auto decoder = std::make_unique<QStringDecoder>(ConverterName(codePage).constData(),
                                                        QStringConverter::Flag::Stateless);
        if (!decoder->isValid())
            decoder.reset();
        found = FDecoders.emplace(codePage, std::move(decoder)).first;
    }
    return found->second.get();
}

QString RtfTextDecoder::Decode(const QByteArray& bytes, int codePage)
{
    if (codePage == 1252 || codePage <= 0)
        return DecodeCp1252(bytes.constData(), bytes.size());
    if (QStringDecoder* decoder = DecoderFor(codePage))
        return decoder->decode(bytes);
    return DecodeCp1252(bytes.constData(), bytes.size());
}

} // namespace RtfEngine
