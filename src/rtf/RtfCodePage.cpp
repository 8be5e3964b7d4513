#include "rtf/RtfCodePage.h"

#include "platform/Cp1252.h"

#include <QList>
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

namespace {

// The number after `word` at `at` in the entry, or -1 when the word is not there.
int NumberAfter(const QByteArray& entry, const char* word)
{
    const qsizetype at = entry.indexOf(word);
    if (at < 0)
        return -1;
    qsizetype i = at + qsizetype(qstrlen(word));
    int value = 0;
    bool digits = false;
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9' && value < 100000; ++i, digits = true)
        value = value * 10 + (entry[i] - '0');
    return digits ? value : -1;
}

// The number of the first "\fN" in a font table's entry; -1 when there is none
// ("\fonttbl", "\fcharset" are other words).
int FontNumberOf(const QByteArray& entry)
{
    for (qsizetype at = entry.indexOf("\\f"); at >= 0; at = entry.indexOf("\\f", at + 2))
        if (at + 2 < entry.size() && entry[at + 2] >= '0' && entry[at + 2] <= '9')
            return NumberAfter(entry.mid(at), "\\f");
    return -1;
}

} // namespace

bool EndsInLeadByte(const QByteArray& bytes, int codePage)
{
    bool waiting = false;
    for (const char c : bytes)
        waiting = !waiting && Platform::IsLeadByte(codePage, static_cast<unsigned char>(c));
    return waiting;
}

std::map<int, int> ForeignFontCodePages(const QByteArray& fontTable)
{
    std::map<int, int> pages;
    // Each entry ends at its ";", in a group of its own ("{\f0 Arial;}") or not, as a Mac
    // editor writes them ("{\fonttbl\f0 Helvetica;\f1 Courier;}").
    for (const QByteArray& entry : fontTable.split(';')) {
        const int number = FontNumberOf(entry);
        int page = NumberAfter(entry, "\\cpg");
        if (page <= 0) {
            const int charset = NumberAfter(entry, "\\fcharset");
            page = charset >= 0 ? CodePageOfCharset(charset) : 0;
        }
        if (number >= 0 && page > 0 && page != 1252)
            pages[number] = page;
    }
    return pages;
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
