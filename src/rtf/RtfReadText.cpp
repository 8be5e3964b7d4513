// Text: bytes in the code page of their font, hex bytes, Unicode characters, symbols
// and the words that stand for characters.
#include "rtf/RtfParser.h"

#include <algorithm>

namespace RtfEngine::Reading {

namespace {

int HexNibble(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters the document cannot hold as text: control characters other than the tab,
// a paragraph separator, and an object stand-in without its object. The writer writes
// none of them, so keeping them would change the text between a save and a reload.
bool IsNotText(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != '\t') || u == 0x2029 || u == QChar::ObjectReplacementCharacter;
}

} // namespace

int RtfParser::CodePage()
{
    const Group& g = Top();
    const int font = g.dest == Dest::FontTable ? FCurrentFont : (g.chr.font < 0 ? FDefaultFont : g.chr.font);
    auto found = FFonts.find(font);
    if (found != FFonts.end() && found->second.codePage > 0)
        return found->second.codePage;
    return FAnsiCodePage;
}

QString* RtfParser::CollectTarget()
{
    switch (Top().dest) {
    case Dest::FontTable:
        return FCurrentFont >= 0 ? &FFonts[FCurrentFont].name : nullptr;
    case Dest::FieldInst: return FFields.empty() ? nullptr : &FFields.back().instruction;
    case Dest::LevelText:
        return FListTableRead.lists.empty() || FListTableRead.lists.back().levels.empty()
                   ? nullptr
                   : &FListTableRead.lists.back().levels.back().text;
    case Dest::PnTextBefore: return &FPnScratch.before;
    case Dest::PnTextAfter: return &FPnScratch.after;
    case Dest::ShapePropName: return &FShapePropName;
    default: return nullptr;
    }
}

void RtfParser::FlushBytes()
{
    if (FPendingBytes.isEmpty())
        return;
    const QString text = FDecoder.Decode(FPendingBytes, CodePage());
    FPendingBytes.clear();
    AppendText(text);
}

void RtfParser::AppendText(const QString& input)
{
    if (Top().dest == Dest::Body) {
        QString text = input;
        if (std::any_of(text.cbegin(), text.cend(), IsNotText))
            text.removeIf(IsNotText);
        if (text.isEmpty())
            return;
        const QTextCharFormat format = CurrentCharFormat();
        auto& runs = FParagraph.runs;
        if (!runs.empty() && runs.back().image.isNull() && runs.back().format == format)
            runs.back().text += text;
        else
            runs.push_back({text, format, {}});
        FParagraphHasContent = true;
        FPendingFootnoteNumber = false;
        ++FContent;
    } else if (QString* target = CollectTarget()) {
        *target += input;
    }
}

void RtfParser::OnText(std::string_view bytes)
{
    if (FUnicodeSkipLeft > 0) {
        const std::size_t skipped = std::min<std::size_t>(FUnicodeSkipLeft, bytes.size());
        FUnicodeSkipLeft -= int(skipped);
        bytes.remove_prefix(skipped);
    }
    if (bytes.empty())
        return;
    switch (Top().dest) {
    case Dest::ColorTable:
        for (char c : bytes) {
            if (c != ';')
                continue;
            FColours.push_back(FRed < 0 && FGreen < 0 && FBlue < 0
                                   ? QColor()
                                   : QColor(std::max(FRed, 0), std::max(FGreen, 0), std::max(FBlue, 0)));
            FRed = FGreen = FBlue = -1;
            FMadeFormats.clear(); // formats made so far may lack this colour
            FMadeBlock.reset();
        }
        return;
    case Dest::Pict:
        for (char c : bytes) {
            const int nibble = HexNibble(c);
            if (nibble < 0)
                continue;
            if (FPicture.pendingNibble < 0) {
                FPicture.pendingNibble = nibble;
            } else {
                FPicture.data.append(char(FPicture.pendingNibble * 16 + nibble));
                FPicture.pendingNibble = -1;
            }
        }
        return;
    case Dest::Body:
        AppendTextBytes(bytes, true);
        return;
    default:
        if (CollectTarget())
            AppendTextBytes(bytes, false);
        return;
    }
}

// Control characters other than the tab are not text; in the body a form feed is a
// page break.
void RtfParser::AppendTextBytes(std::string_view bytes, bool body)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 || c == '\t')
            continue;
        FPendingBytes.append(bytes.data() + start, qsizetype(i - start));
        start = i + 1;
        if (c == '\f' && body) {
            FlushBytes();
            PageBreak();
        }
    }
    FPendingBytes.append(bytes.data() + start, qsizetype(bytes.size() - start));
}

void RtfParser::OnHexByte(unsigned char byte)
{
    if (FUnicodeSkipLeft > 0) {
        --FUnicodeSkipLeft;
        return;
    }
    const Dest dest = Top().dest;
    if (dest == Dest::Body || CollectTarget())
        FPendingBytes.append(char(byte));
}

void RtfParser::OnBinary(std::string_view data)
{
    if (Top().dest == Dest::Pict)
        FPicture.data.append(data.data(), qsizetype(data.size()));
}

void RtfParser::OnUnicode(int value)
{
    if (value < 0)
        value += 65536;
    AppendText(QString(QChar(char16_t(value & 0xFFFF))));
    FUnicodeSkipLeft = Top().unicodeSkip;
}

void RtfParser::OnSymbol(char symbol)
{
    Group& g = Top();
    if (symbol == '*') {
        g.starred = true;
        return;
    }
    if (FUnicodeSkipLeft > 0) {
        --FUnicodeSkipLeft;
        return;
    }
    switch (symbol) {
    case '\\': case '{': case '}':
        if (g.dest == Dest::Body || CollectTarget())
            FPendingBytes.append(symbol), FlushBytes();
        return;
    case '~': AppendText(QString(QChar(0x00A0))); return;
    case '-': AppendText(QString(QChar(0x00AD))); return;
    case '_': AppendText(QString(QChar(0x2011))); return;
    case '\n':
        if (g.dest == Dest::Body)
            FinishParagraph(true);
        return;
    case '\t': AppendText("\t"); return;
    default: return;
    }
}

bool RtfParser::OnSpecialCharWord(std::string_view w)
{
    struct Special { std::string_view word; char16_t ch; };
    static const Special kSpecials[] = {
        {"tab", u'\t'}, {"line", 0x2028}, {"emdash", 0x2014}, {"endash", 0x2013},
        {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C},
        {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},
        {"zwj", 0x200D}, {"zwnj", 0x200C}, {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
        {"zwbo", 0x200B}};
    for (const Special& s : kSpecials) {
        if (w == s.word) {
            AppendText(QString(QChar(s.ch)));
            return true;
        }
    }
    return false;
}

} // namespace RtfEngine::Reading
