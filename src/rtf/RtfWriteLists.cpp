// The list table and its overrides, kept or made, and the older "\\pn" numbering groups.
#include "rtf/RtfWriting.h"

namespace RtfEngine::Writing {

int Writer::NfcOf(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal: return 0;
    case QTextListFormat::ListUpperRoman: return 1;
    case QTextListFormat::ListLowerRoman: return 2;
    case QTextListFormat::ListUpperAlpha: return 3;
    case QTextListFormat::ListLowerAlpha: return 4;
    default: return 23;
    }
}

char16_t Writer::BulletOf(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle: return 0x25E6;
    case QTextListFormat::ListSquare: return 0x25AA;
    default: return 0x2022;
    }
}

// Unset, the toolkit shows "1." and its reader of the list table needs it spelt out.
QString Writer::NumberSuffixOf(const QTextListFormat& f)
{
    return f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QString(".");
}

// The older paragraph-numbering group as well, for readers that know only that.
void Writer::WriteNumberingGroup(const QTextListFormat& f)
{
    const int nfc = NfcOf(NumberStyleOf(f));
    if (nfc == 23) {
        FOut += "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb";
        AppendText(QString(QChar(BulletOf(f.style()))));
        FOut += "}}";
        return;
    }
    static const char* const kKinds[] = {"\\pndec", "\\pnucrm", "\\pnlcrm", "\\pnucltr", "\\pnlcltr"};
    FOut += "{\\*\\pn\\pnlvlbody\\pnindent0";
    FOut += kKinds[nfc];
    FOut += "\\pnstart" + Number(ListStartOf(f));
    if (!f.numberPrefix().isEmpty()) {
        FOut += "{\\pntxtb ";
        AppendText(f.numberPrefix());
        FOut += "}";
    }
    FOut += "{\\pntxta ";
    AppendText(NumberSuffixOf(f));
    FOut += "}}";
}

// One level of a list the editor made: its own format at its own level.
void Writer::WriteListLevel(const QTextListFormat& f, int level, bool own)
{
    const int nfc = own ? NfcOf(NumberStyleOf(f)) : 0;
    FOut += "{\\listlevel\\levelnfc" + Number(nfc) + "\\levelnfcn" + Number(nfc) +
            "\\leveljc0\\levelfollow0\\levelstartat" + Number(own ? ListStartOf(f) : 1) + "{\\leveltext";
    if (nfc == 23) {
        FOut += "\\'01";
        AppendText(QString(QChar(BulletOf(f.style()))));
        FOut += ";}{\\levelnumbers;}";
    } else {
        const QString prefix = WrittenAsText(own ? f.numberPrefix() : QString());
        const QString suffix = WrittenAsText(own ? NumberSuffixOf(f) : QString("."));
        FOut += "\\'" + QByteArray::number(int(prefix.size() + suffix.size() + 1), 16).rightJustified(2, '0');
        AppendText(prefix);
        FOut += "\\'" + QByteArray::number(level, 16).rightJustified(2, '0');
        AppendText(suffix);
        FOut += ";}{\\levelnumbers\\'" + QByteArray::number(int(prefix.size() + 1), 16).rightJustified(2, '0') + ";}";
    }
    const int indent = 360 * (level + 1);
    FOut += "\\fi-360\\li" + Number(indent) + "}";
}

// The characters AppendText writes as text: the level text counts exactly those.
QString Writer::WrittenAsText(QString text)
{
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != '\t') || u == 0x2028 || u == 0x2029 || u == 0xFFFC;
    });
    return text;
}

int Writer::LargestNumberAfter(const QByteArray& source, const QByteArray& word, std::set<int>* all)
{
    int largest = 0;
    for (qsizetype at = source.indexOf(word); at >= 0; at = source.indexOf(word, at + 1)) {
        qsizetype i = at + word.size();
        int value = 0;
        while (i < source.size() && source[i] >= '0' && source[i] <= '9' && value < 100000000)
            value = value * 10 + (source[i++] - '0');
        largest = std::max(largest, value);
        if (all && i > at + word.size())
            all->insert(value);
    }
    return largest;
}

// Where the control word stands as a whole word, or -1: "\\listoverridetablex" is
// another word, and after an escaped backslash ("\\\\listoverridetable") it is text.
qsizetype Writer::IndexOfWord(const QByteArray& source, const QByteArray& word)
{
    for (qsizetype at = source.indexOf(word); at >= 0; at = source.indexOf(word, at + 1)) {
        const qsizetype next = at + word.size();
        qsizetype backslashes = 0;
        while (at - backslashes > 0 && source[at - backslashes - 1] == '\\')
            ++backslashes;
        if (backslashes % 2 == 0 &&
            (next >= source.size() || !std::isalpha(static_cast<unsigned char>(source[next]))))
            return at;
    }
    return -1;
}

// The document's own list tables, with the lists the editor made put first in them:
// whatever the kept source holds, it cannot change how those read back.
void Writer::WriteListTables()
{
    WriteTableWith(FKeptLists, "\\listtable", [this] {
        for (std::size_t i = 0; i < FListOrder.size(); ++i) {
            const QTextListFormat f = FListOrder[i]->format();
            const int own = std::clamp(f.indent() - 1, 0, 8);
            FOut += "{\\list\\listtemplateid" + Number(FListIdBase + int(i)) + "\\listhybrid";
            for (int level = 0; level < 9; ++level)
                WriteListLevel(f, level, level == own);
            FOut += "\\listid" + Number(FListIdBase + int(i)) + "}";
        }
    });
    WriteTableWith(FKeptListOverrides, "\\listoverridetable", [this] {
        for (std::size_t i = 0; i < FListOrder.size(); ++i)
            FOut += "{\\listoverride\\listid" + Number(FListIdBase + int(i)) + "\\listoverridecount0\\ls" +
                    Number(FLsBase + int(i) + 1) + "}";
    });
}

// Where the control word at `at` ends, with its number and the space after it.
qsizetype Writer::EndOfWord(const QByteArray& source, qsizetype at)
{
    qsizetype i = at + 1;
    while (i < source.size() && std::isalpha(static_cast<unsigned char>(source[i])))
        ++i;
    if (i + 1 < source.size() && source[i] == '-' && std::isdigit(static_cast<unsigned char>(source[i + 1])))
        ++i;
    while (i < source.size() && std::isdigit(static_cast<unsigned char>(source[i])))
        ++i;
    if (i < source.size() && source[i] == ' ')
        ++i;
    return i;
}

} // namespace RtfEngine::Writing
