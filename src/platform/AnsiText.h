// The one place where the core's 8-bit text (code page 1252) and Qt's Unicode text
// meet: dialogs, messages, balloons, find and replace, hints and the editors' lines
// all convert through these. File names are not text of this kind; they keep the
// locale's encoding.
#pragma once
#include "platform/Cp1252.h"

#include <QString>
#include <string>
#include <string_view>

namespace Platform {

// 8-bit text as Unicode, one character per byte.
inline QString AnsiToQString(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (unsigned char c : bytes) *out++ = QChar(ByteToUnicode(c));
    return text;
}

// Unicode text as 8-bit text, one byte per character; a character the code page
// lacks (a surrogate pair counts as one) becomes `fallback`.
inline std::string QStringToAnsi(const QString& text, char fallback = '?') {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())),
                         fallback);
}

// Unicode text as RTF source: characters the code page lacks as "\uN?" escapes.
inline std::string QStringToRtfAnsi(const QString& text) {
    return Utf16ToRtfAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

// 8-bit text that may carry those escapes (a merged value, a message naming it).
inline QString RtfAnsiToQString(std::string_view bytes) {
    const std::u16string units = RtfAnsiToUtf16(bytes);
    return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
}

} // namespace Platform
