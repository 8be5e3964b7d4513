#include "rtf/RtfCodePage.h"

#include "platform/Cp1252.h"

#include <string_view>

namespace RtfEngine {

QString DecodeCp1252(const char* bytes, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(Platform::ByteToUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

QString RtfTextDecoder::Decode(const QByteArray& bytes, int codePage)
{
    if (codePage == 1252 || codePage <= 0)
        return DecodeCp1252(bytes.constData(), bytes.size());
    const std::u16string units =
        Platform::CodePageToUtf16(std::string_view(bytes.constData(), size_t(bytes.size())), codePage);
    return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
}

} // namespace RtfEngine
