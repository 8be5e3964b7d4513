#include "richedit/RichEditStrings98.h"

#include "platform/AnsiText.h"
#include "platform/Errors.h"
#include "platform/SafeWrite.h"
#include "richedit/RichEdit98.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <limits>

namespace RichEditText {

namespace {

struct TLanguageCodePage {
    int primaryLanguage;
    int codePage;
};
constexpr TLanguageCodePage kCodePages[] = {
    {0x01, 1256}, {0x02, 1251}, {0x05, 1250}, {0x08, 1253}, {0x0D, 1255}, {0x0E, 1250}, {0x11, 932},
    {0x12, 949},  {0x15, 1250}, {0x18, 1250}, {0x19, 1251}, {0x1A, 1250}, {0x1B, 1250}, {0x1C, 1250},
    {0x1E, 874},  {0x1F, 1254}, {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257}, {0x26, 1257},
    {0x27, 1257}, {0x2A, 1258}, {0x2F, 1251}, {0x3F, 1251}, {0x44, 1251},
};

struct TLanguageId {
    QLocale::Language language;
    int primaryLanguage;
};
constexpr TLanguageId kLanguageIds[] = {
    {QLocale::Arabic, 0x01},  {QLocale::Bulgarian, 0x02}, {QLocale::Chinese, 0x04},   {QLocale::Czech, 0x05},
    {QLocale::Danish, 0x06},  {QLocale::German, 0x07},    {QLocale::Greek, 0x08},     {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A}, {QLocale::Finnish, 0x0B},   {QLocale::French, 0x0C},    {QLocale::Hebrew, 0x0D},
    {QLocale::Hungarian, 0x0E}, {QLocale::Italian, 0x10}, {QLocale::Japanese, 0x11},  {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},   {QLocale::NorwegianBokmal, 0x14}, {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16}, {QLocale::Romanian, 0x18}, {QLocale::Russian, 0x19}, {QLocale::Croatian, 0x1A},
    {QLocale::Slovak, 0x1B},  {QLocale::Swedish, 0x1D},   {QLocale::Thai, 0x1E},      {QLocale::Turkish, 0x1F},
    {QLocale::Ukrainian, 0x22}, {QLocale::Slovenian, 0x24}, {QLocale::Estonian, 0x25}, {QLocale::Latvian, 0x26},
    {QLocale::Lithuanian, 0x27}, {QLocale::Vietnamese, 0x2A},
};

QByteArray ConverterName(int codePage) { return "windows-" + QByteArray::number(codePage); }

} // namespace

int CodePageOfLanguage(int languageId) {
    const int primary = languageId & 0x3FF;
    if (primary == 0x04) return (languageId >> 10) == 2 || (languageId >> 10) == 4 ? 936 : 950;
    for (const TLanguageCodePage& entry : kCodePages)
        if (entry.primaryLanguage == primary) return entry.codePage;
    return 1252;
}

int SystemDefaultLanguage() {
    const QLocale::Language language = QLocale::system().language();
    for (const TLanguageId& entry : kLanguageIds)
        if (entry.language == language) return (1 << 10) | entry.primaryLanguage;
    return 1033;
}

QString AnsiToUnicode(std::string_view bytes, int codePage) {
    if (codePage != 1252) {
        QStringDecoder decoder(ConverterName(codePage).constData());
        if (decoder.isValid()) return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    }
    return Platform::AnsiToQString(bytes);
}

std::string UnicodeToAnsi(const QString& text, int codePage) {
    if (codePage != 1252) {
        QStringEncoder encoder(ConverterName(codePage).constData());
        if (encoder.isValid()) {
            const QByteArray bytes = encoder.encode(text);
            return std::string(bytes.constData(), size_t(bytes.size()));
        }
    }
    return Platform::QStringToAnsi(text);
}

QString PlainTextToUnicode(std::string_view bytes, int codePage) {
    if (!Platform::IsUtf8Text(bytes)) return AnsiToUnicode(bytes, codePage);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString ToEngineText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            out += QLatin1Char('\n');
        } else if (c == QLatin1Char('\v')) {
            out += QChar::LineSeparator;
        } else if (c != QChar::Null) {
            out += c;
        }
    }
    return out;
}

QString FromEngineText(const QString& engineText) {
    QString out;
    out.reserve(engineText.size() + engineText.size() / 16);
    for (const QChar c : engineText) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator: out += QLatin1String("\r\n"); break;
        case QChar::LineSeparator: out += QLatin1Char('\v'); break;
        case 0xFDD0: // table frame boundaries: positions without text
        case 0xFDD1: break;
        default: out += c;
        }
    }
    return out;
}

} // namespace RichEditText

// --- Unicode lines ----------------------------------------------------------------------

namespace {

// The text of an engine line (lines never cross a paragraph).
QString EngineLineText(const QTextDocument& document, int start, int length) {
    const QTextBlock block = document.findBlock(start);
    return block.text().mid(start - block.position(), length);
}

} // namespace

int TWideRichEditStrings98::Count() const {
    const int lines = FOwner.LineCount();
    if (lines > 0 && FOwner.LineLength(lines - 1) == 0) return lines - 1;
    return lines;
}

QString TWideRichEditStrings98::Get(int index) const { return LineText(index, MaxLineLength); }

QString TWideRichEditStrings98::WholeLine(int index) const { return LineText(index, std::numeric_limits<int>::max()); }

QString TWideRichEditStrings98::LineText(int index, int limit) const {
    const int start = FOwner.LineIndex(index);
    if (index < 0 || start < 0) return QString();
    QString line = EngineLineText(*FOwner.document(), start, std::min(FOwner.LineLength(index), limit));
    if (line.endsWith(QChar::LineSeparator)) line.chop(1);
    return line;
}

void TWideRichEditStrings98::Put(int index, const QString& text) {
    const int start = FOwner.LineIndex(index);
    if (index < 0 || start < 0) return;
    FOwner.ReplaceRange(start, start + FOwner.LineLength(index), RichEditText::ToEngineText(text));
}

void TWideRichEditStrings98::Insert(int index, const QString& text) {
    if (index < 0) return;
    const QString line = RichEditText::ToEngineText(text);
    int at = FOwner.LineIndex(index);
    QString inserted;
    if (at >= 0) {
        inserted = line + QLatin1Char('\n');
    } else {
        const int previous = index > 0 ? FOwner.LineIndex(index - 1) : -1;
        if (previous < 0) return;
        const int length = FOwner.LineLength(index - 1);
        if (length == 0) return;
        at = previous + length;
        inserted = QLatin1Char('\n') + line;
    }
    if (FOwner.ReplaceRange(at, at, inserted) != at + inserted.size())
        throw EOutOfResources("RichEdit line insertion error");
}

void TWideRichEditStrings98::Delete(int index) {
    const int start = FOwner.LineIndex(index);
    if (index < 0 || start < 0) return;
    const int next = FOwner.LineIndex(index + 1);
    FOwner.ReplaceRange(start, next >= 0 ? next : start + FOwner.LineLength(index), QString());
}

void TWideRichEditStrings98::Clear() { FOwner.Clear(); }

void TWideRichEditStrings98::SetText(const QString& text) {
    FOwner.HoldChangeNotifications(true);
    try {
        FOwner.Clear();
        FOwner.ReplaceRange(0, 0, RichEditText::ToEngineText(text));
    } catch (...) {
        FOwner.HoldChangeNotifications(false);
        throw;
    }
    FOwner.HoldChangeNotifications(false);
    if (FOwner.OnChange) FOwner.OnChange(&FOwner);
}

void TWideRichEditStrings98::AddStrings(const QStringList& lines) {
    // Selection changes of the appending are nobody's business.
    TNotifyEvent detached = std::move(FOwner.OnSelectionChange);
    FOwner.OnSelectionChange = nullptr;
    try {
        for (const QString& line : lines) Add(line);
    } catch (...) {
        FOwner.OnSelectionChange = std::move(detached);
        throw;
    }
    FOwner.OnSelectionChange = std::move(detached);
}

QString TWideRichEditStrings98::Text() const {
    QString text;
    const int count = Count();
    for (int i = 0; i < count; ++i) text += Get(i) + QLatin1String("\r\n");
    return text;
}

// --- 8-bit lines --------------------------------------------------------------------------

QString TRichEditStrings98::ToUnicode(const std::string& text) const {
    return RichEditText::AnsiToUnicode(text, FOwner.CodePage());
}

std::string TRichEditStrings98::Get(int index) const {
    return RichEditText::UnicodeToAnsi(RichEditText::FromEngineText(FWide.Get(index)), FOwner.CodePage());
}

std::string TRichEditStrings98::GetRtf(int index) const {
    if (FOwner.CodePage() != 1252) return Get(index);
    return Platform::QStringToRtfAnsi(RichEditText::FromEngineText(FWide.Get(index)));
}

void TRichEditStrings98::Put(int index, const std::string& text) { FWide.Put(index, ToUnicode(text)); }
void TRichEditStrings98::Insert(int index, const std::string& text) { FWide.Insert(index, ToUnicode(text)); }
void TRichEditStrings98::SetText(const std::string& text) { FWide.SetText(ToUnicode(text)); }

void TRichEditStrings98::AddStrings(const std::vector<std::string>& lines) {
    QStringList wide;
    wide.reserve(qsizetype(lines.size()));
    for (const std::string& line : lines) wide.append(ToUnicode(line));
    FWide.AddStrings(wide);
}

std::string TRichEditStrings98::Text() const {
    std::string text;
    for (const std::string& line : ToVector()) text += line + "\r\n";
    return text;
}

std::vector<std::string> TRichEditStrings98::ToVector() const {
    std::vector<std::string> lines;
    const int count = Count();
    lines.reserve(size_t(count));
    for (int i = 0; i < count; ++i) lines.push_back(Get(i));
    return lines;
}

void TRichEditStrings98::LoadFromFile(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) throw Platform::EFOpenError(fileName);
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) throw Platform::EFOpenError(fileName);
    file.close();
    LoadFromStream(content);
}

void TRichEditStrings98::LoadFromStream(const QByteArray& stream) {
    const bool selection = FOwner.SelectedInOut() || FOwner.InsertingAtSelection();
    bool loaded = FOwner.StreamIn(stream, FOwner.InputFormat(), selection, FOwner.PlainRTF());
    // Only what is no RTF at all is read as text; RTF the reader refuses (nested too
    // deeply) is reported, not shown as its source.
    if (!loaded && FOwner.InputFormat() == ifRTF && FOwner.RtfRefusal().empty())
        loaded = FOwner.StreamIn(stream, ifText, selection, FOwner.PlainRTF());
    if (FOwner.AutoURLDetect() == adExtended) {
        FOwner.DetectLinks(0, 0);
        if (!selection) { // link marks are part of the loaded document, not an edit
            FOwner.document()->clearUndoRedoStacks();
            FOwner.document()->setModified(false);
        }
    }
    if (!loaded && !FOwner.RtfRefusal().empty()) throw EOutOfResources("Failed to Load Stream: " + FOwner.RtfRefusal());
    if (!loaded) throw EOutOfResources("Failed to Load Stream");
}

void TRichEditStrings98::SaveToStream(QByteArray& stream) const {
    const QByteArray content = FOwner.StreamOut(FOwner.OutputFormat(), FOwner.SelectedInOut(), FOwner.PlainRTF());
    // Handed over in blocks, each followed by a progress report, as a stream transfer goes.
    constexpr qsizetype kBlock = 64 * 1024;
    try {
        for (qsizetype done = 0; done < content.size();) {
            const qsizetype length = std::min(kBlock, content.size() - done);
            stream.append(content.constData() + done, length);
            done += length;
            if (FOwner.OnSaveProgress) FOwner.OnSaveProgress(&FOwner, stream.size(), stream.size());
        }
    } catch (...) {
        throw EOutOfResources("Failed to Save Stream");
    }
}

void TRichEditStrings98::SaveToFile(const std::string& fileName) const {
    QByteArray content;
    SaveToStream(content);
    Platform::SaveFileSafely(fileName, std::string_view(content.constData(), size_t(content.size())));
}
