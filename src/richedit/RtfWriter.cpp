#include "richedit/RtfEngine.h"

#include "platform/Cp1252.h"
#include "richedit/RtfDocumentModel.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cmath>
#include <map>
#include <vector>

namespace RtfEngine {
namespace {

// The character properties the writer expresses; two fragments with equal specs are
// written as one run.
struct CharSpec {
    int font = 0;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    bool hidden = false, smallCaps = false, allCaps = false;
    int foreground = 0, background = 0;
    int verticalAlign = 0;
    bool operator==(const CharSpec&) const = default;
};

struct TabSpec {
    int position = 0;
    int type = 0;
    bool operator==(const TabSpec&) const = default;
};

struct ParaSpec {
    int align = 0;
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    std::vector<TabSpec> tabs;
    bool inTable = false;
    int list = 0, level = 0;
    bool operator==(const ParaSpec&) const = default;
};

int Twips(qreal units) { return int(std::lround(units * kTwipsPerUnit)); }

QByteArray Number(int value) { return QByteArray::number(value); }

class Writer {
public:
    Writer(const QTextDocument& document, int start, int end, const WriteOptions& options)
        : FDoc(document), FStart(start), FEnd(end), FOptions(options)
    {
        FDefaultFamily = document.defaultFont().family();
        const qreal size = document.defaultFont().pointSizeF();
        FDefaultPoints = size > 0 ? size : 12.0;
        FFonts.append(FDefaultFamily);
        FFontIndex.emplace(FDefaultFamily, 0);
    }

    QByteArray Write()
    {
        CollectTables();
        WriteHeader();
        WriteBody();
        FOut += "}";
        return FOut;
    }

private:
    // --- tables of fonts, colours and lists ---------------------------------------

    QTextBlock FirstBlock() const { return FDoc.findBlock(FStart); }
    bool BlockInRange(const QTextBlock& block) const
    {
        return block.isValid() && block.position() < FEnd &&
               (block.position() + block.length() > FStart);
    }

    void CollectTables()
    {
        for (QTextBlock block = FirstBlock(); BlockInRange(block); block = block.next()) {
            if (!FOptions.plain) {
                if (QTextList* list = block.textList(); list && !FListIds.count(list)) {
                    FListIds[list] = int(FListOrder.size()) + 1;
                    FListOrder.push_back(list);
                }
            }
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.isImageFormat())
                    continue; // pictures are written without character properties
                FontIndex(f);
                if (!FOptions.plain) {
                    ColourIndex(f.foreground());
                    ColourIndex(f.background());
                }
            }
        }
    }

    int FontIndex(const QTextCharFormat& f)
    {
        QString family;
        const QVariant families = f.property(QTextFormat::FontFamilies);
        if (families.isValid() && !families.toStringList().isEmpty())
            family = families.toStringList().front();
        if (family.isEmpty())
            family = f.property(QTextFormat::FontFamily).toString();
        if (family.isEmpty() || FOptions.plain)
            return 0;
        auto found = FFontIndex.find(family);
        if (found == FFontIndex.end()) {
            found = FFontIndex.emplace(family, int(FFonts.size())).first;
            FFonts.append(family);
        }
        return found->second;
    }

    int ColourIndex(const QBrush& brush)
    {
        if (brush.style() == Qt::NoBrush || FOptions.plain)
            return 0;
        const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
        auto found = FColourIndex.find(rgb);
        if (found == FColourIndex.end()) {
            FColours.push_back(rgb);
            found = FColourIndex.emplace(rgb, int(FColours.size())).first;
        }
        return found->second;
    }

    void WriteHeader()
    {
        FOut += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
        for (qsizetype i = 0; i < FFonts.size(); ++i) {
            FOut += "{\\f" + Number(int(i)) + "\\fnil\\fcharset0 ";
            AppendText(FFonts[i].trimmed()); // the reader trims the name too
            FOut += ";}";
        }
        FOut += "}\r\n";
        if (!FColours.empty()) {
            FOut += "{\\colortbl;";
            for (QRgb rgb : FColours)
                FOut += "\\red" + Number(qRed(rgb)) + "\\green" + Number(qGreen(rgb)) + "\\blue" +
                        Number(qBlue(rgb)) + ";";
            FOut += "}\r\n";
        }
        if (!FListOrder.empty())
            WriteListTables();
    }

    static int NfcOf(QTextListFormat::Style style)
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

    static char16_t BulletOf(QTextListFormat::Style style)
    {
        switch (style) {
        case QTextListFormat::ListCircle: return 0x25E6;
        case QTextListFormat::ListSquare: return 0x25AA;
        default: return 0x2022;
        }
    }

    // Unset, the toolkit shows "1." and its reader of the list table needs it spelt out.
    static QString NumberSuffixOf(const QTextListFormat& f)
    {
        return f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QString(".");
    }

    // The older paragraph-numbering group as well, for readers that know only that.
    void WriteNumberingGroup(int list)
    {
        const QTextListFormat f = FListOrder[std::size_t(list - 1)]->format();
        const int nfc = NfcOf(f.style());
        if (nfc == 23) {
            FOut += "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb";
            AppendText(QString(QChar(BulletOf(f.style()))));
            FOut += "}}";
            return;
        }
        static const char* const kKinds[] = {"\\pndec", "\\pnucrm", "\\pnlcrm", "\\pnucltr", "\\pnlcltr"};
        FOut += "{\\*\\pn\\pnlvlbody\\pnindent0";
        FOut += kKinds[nfc];
        FOut += "\\pnstart1";
        if (!f.numberPrefix().isEmpty()) {
            FOut += "{\\pntxtb ";
            AppendText(f.numberPrefix());
            FOut += "}";
        }
        FOut += "{\\pntxta ";
        AppendText(NumberSuffixOf(f));
        FOut += "}}";
    }

    void WriteListTables()
    {
        FOut += "{\\*\\listtable";
        for (std::size_t i = 0; i < FListOrder.size(); ++i) {
            const QTextListFormat f = FListOrder[i]->format();
            const int nfc = NfcOf(f.style());
            FOut += "{\\list\\listtemplateid" + Number(int(i) + 1) + "\\listsimple{\\listlevel\\levelnfc" +
                    Number(nfc) + "\\levelnfcn" + Number(nfc) + "\\leveljc0\\levelfollow0\\levelstartat" +
                    Number(1) + "{\\leveltext";
            if (nfc == 23) {
                FOut += "\\'01";
                AppendText(QString(QChar(BulletOf(f.style()))));
                FOut += ";}{\\levelnumbers;}";
            } else {
                const QString prefix = f.numberPrefix(), suffix = NumberSuffixOf(f);
                FOut += "\\'" + QByteArray::number(int(prefix.size() + suffix.size() + 1), 16).rightJustified(2, '0');
                AppendText(prefix);
                FOut += "\\'00";
                AppendText(suffix);
                FOut += ";}{\\levelnumbers\\'" + QByteArray::number(int(prefix.size() + 1), 16).rightJustified(2, '0') + ";}";
            }
            FOut += "}\\listid" + Number(int(i) + 1) + "}";
        }
        FOut += "}\r\n{\\*\\listoverridetable";
        for (std::size_t i = 0; i < FListOrder.size(); ++i)
            FOut += "{\\listoverride\\listid" + Number(int(i) + 1) + "\\listoverridecount0\\ls" + Number(int(i) + 1) + "}";
        FOut += "}\r\n";
    }

    // --- body ------------------------------------------------------------------------

    void WriteBody()
    {
        for (QTextBlock block = FirstBlock(); BlockInRange(block);) {
            QTextTable* table = QTextCursor(block).currentTable();
            while (table && table->parentFrame() && qobject_cast<QTextTable*>(table->parentFrame()))
                table = qobject_cast<QTextTable*>(table->parentFrame()); // outermost table
            if (table && !FOptions.plain && table->firstPosition() >= FStart && table->lastPosition() < FEnd) {
                WriteTable(*table);
                block = FDoc.findBlock(table->lastPosition() + 1);
                if (block.isValid() && block.position() <= table->lastPosition())
                    block = block.next();
                continue;
            }
            WriteParagraph(block, false);
            if (table && FOptions.plain && IsLastBlockOfCell(*table, block) && !IsLastBlockOfTable(*table, block))
                FOut += IsLastCellOfRow(*table, block) ? "\\par\r\n" : "\\tab ";
            else
                WriteParagraphEnd(block);
            block = block.next();
        }
    }

    static bool IsLastBlockOfCell(QTextTable& table, const QTextBlock& block)
    {
        const QTextTableCell cell = table.cellAt(block.position());
        return cell.isValid() && block.position() + block.length() - 1 >= cell.lastPosition();
    }
    static bool IsLastCellOfRow(QTextTable& table, const QTextBlock& block)
    {
        const QTextTableCell cell = table.cellAt(block.position());
        return cell.column() + cell.columnSpan() >= table.columns();
    }
    static bool IsLastBlockOfTable(QTextTable& table, const QTextBlock& block)
    {
        return block.position() + block.length() - 1 >= table.lastPosition();
    }

    void WriteParagraphEnd(const QTextBlock& block)
    {
        if (block.position() + block.length() - 1 < FEnd) {
            FOut += "\\par\r\n";
            if (!FOptions.plain && (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) &&
                block.next().isValid())
                FOut += "\\page ";
        }
    }

    void WriteTable(QTextTable& table)
    {
        const QList<int> rights = CellRights(table);
        for (int r = 0; r < table.rows(); ++r) {
            FOut += "\\trowd\\trgaph108";
            if (int left = Twips(table.format().leftMargin()); left > 0)
                FOut += "\\trleft" + Number(left);
            for (int right : rights)
                FOut += "\\cellx" + Number(right);
            FOut += "\r\n";
            for (int c = 0; c < table.columns(); ++c) {
                const QTextTableCell cell = table.cellAt(r, c);
                if (cell.row() == r && cell.column() == c)
                    WriteCell(cell);
                FOut += "\\cell ";
            }
            FOut += "\\row\r\n";
        }
    }

    void WriteCell(const QTextTableCell& cell)
    {
        bool first = true;
        for (QTextBlock block = FDoc.findBlock(cell.firstPosition());
             block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
            if (!first)
                FOut += "\\par\r\n";
            first = false;
            WriteParagraph(block, true);
        }
    }

    QList<int> CellRights(QTextTable& table) const
    {
        const QList<QTextLength> widths = table.format().columnWidthConstraints();
        const int total = 9360; // 6.5 inches of text width
        QList<int> rights;
        int right = Twips(table.format().leftMargin());
        for (int c = 0; c < table.columns(); ++c) {
            int width = total / std::max(1, table.columns());
            if (c < widths.size()) {
                const QTextLength& w = widths[c];
                if (w.type() == QTextLength::FixedLength)
                    width = Twips(w.rawValue());
                else if (w.type() == QTextLength::PercentageLength)
                    width = int(total * w.rawValue() / 100.0);
            }
            right += std::max(width, 1);
            rights.append(right);
        }
        return rights;
    }

    ParaSpec ParaSpecOf(const QTextBlock& block, bool inTable) const
    {
        ParaSpec s;
        if (FOptions.plain)
            return s;
        const QTextBlockFormat f = block.blockFormat();
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        s.align = (a & Qt::AlignJustify) ? 3 : (a & Qt::AlignHCenter) ? 2
                : (a & (Qt::AlignRight | Qt::AlignTrailing)) && !(a & Qt::AlignLeft) ? 1 : 0;
        const QTextList* list = block.textList();
        s.left = Twips(f.leftMargin() + (list ? 0 : f.indent() * FDoc.indentWidth()));
        s.right = Twips(f.rightMargin());
        s.first = Twips(f.textIndent());
        s.before = Twips(f.topMargin());
        s.after = Twips(f.bottomMargin());
        switch (f.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            s.lineSpacing = int(std::lround(f.lineHeight() * 240.0 / 100.0));
            s.lineMultiple = true;
            break;
        case QTextBlockFormat::MinimumHeight: s.lineSpacing = Twips(f.lineHeight()); break;
        case QTextBlockFormat::FixedHeight: s.lineSpacing = -Twips(f.lineHeight()); break;
        default: break;
        }
        for (const QTextOption::Tab& tab : f.tabPositions())
            s.tabs.push_back({Twips(tab.position), int(tab.type)});
        s.inTable = inTable;
        if (list) {
            auto found = FListIds.find(list);
            if (found != FListIds.end()) {
                s.list = found->second;
                s.level = std::clamp(list->format().indent() - 1, 0, 8);
            }
        }
        return s;
    }

    void WriteParaSpec(const ParaSpec& s)
    {
        if (s == FPara)
            return;
        FPara = s;
        FOut += "\\pard";
        if (s.inTable) FOut += "\\intbl";
        static const char* const kAlign[] = {"", "\\qr", "\\qc", "\\qj"};
        FOut += kAlign[s.align];
        if (s.left) FOut += "\\li" + Number(s.left);
        if (s.right) FOut += "\\ri" + Number(s.right);
        if (s.first) FOut += "\\fi" + Number(s.first);
        if (s.before) FOut += "\\sb" + Number(s.before);
        if (s.after) FOut += "\\sa" + Number(s.after);
        if (s.lineSpacing) FOut += "\\sl" + Number(s.lineSpacing) + "\\slmult" + Number(s.lineMultiple ? 1 : 0);
        for (const TabSpec& tab : s.tabs) {
            switch (tab.type) {
            case QTextOption::RightTab: FOut += "\\tqr"; break;
            case QTextOption::CenterTab: FOut += "\\tqc"; break;
            case QTextOption::DelimiterTab: FOut += "\\tqdec"; break;
            default: break;
            }
            FOut += "\\tx" + Number(tab.position);
        }
        if (s.list) {
            FOut += "\\ls" + Number(s.list) + "\\ilvl" + Number(s.level);
            WriteNumberingGroup(s.list);
        }
        if (!FOut.endsWith('}'))
            FOut += ' '; // a space after a group would be text
    }

    void WriteParagraph(const QTextBlock& block, bool inTable)
    {
        if (!FOptions.plain && (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            FOut += "\\page ";
        WriteParaSpec(ParaSpecOf(block, inTable));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(fragment.position(), FStart);
            const int to = std::min(fragment.position() + fragment.length(), FEnd);
            if (from >= to)
                continue;
            const QTextCharFormat f = fragment.charFormat();
            SwitchLink(f.isAnchor() && !FOptions.plain ? f.anchorHref() : QString());
            if (f.isImageFormat()) {
                if (FOptions.includeObjects && !FOptions.plain)
                    for (int i = from; i < to; ++i)
                        WritePicture(f.toImageFormat());
                continue;
            }
            WriteCharSpec(CharSpecOf(f));
            const QString text = fragment.text();
            AppendText(QStringView(text).mid(from - fragment.position(), to - from));
        }
        SwitchLink({});
    }

    CharSpec CharSpecOf(const QTextCharFormat& f)
    {
        CharSpec s;
        s.font = FontIndex(f);
        const qreal points = !FOptions.plain && f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                                          : FDefaultPoints;
        s.halfPoints = std::max(1, int(std::lround(points * 2)));
        if (FOptions.plain)
            return s;
        s.bold = f.fontWeight() >= QFont::DemiBold;
        s.italic = f.fontItalic();
        s.underline = f.fontUnderline();
        s.strike = f.fontStrikeOut();
        s.hidden = f.boolProperty(kHiddenTextProperty);
        s.smallCaps = f.fontCapitalization() == QFont::SmallCaps;
        s.allCaps = f.fontCapitalization() == QFont::AllUppercase;
        s.foreground = ColourIndex(f.foreground());
        s.background = ColourIndex(f.background());
        s.verticalAlign = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1
                        : f.verticalAlignment() == QTextCharFormat::AlignSubScript  ? 2 : 0;
        return s;
    }

    void WriteCharSpec(const CharSpec& s)
    {
        if (s == FState)
            return;
        QByteArray w;
        auto flag = [&w](bool now, bool was, const char* on, const char* off) {
            if (now != was) w += now ? on : off;
        };
        if (s.font != FState.font) w += "\\f" + Number(s.font);
        if (s.halfPoints != FState.halfPoints) w += "\\fs" + Number(s.halfPoints);
        flag(s.bold, FState.bold, "\\b", "\\b0");
        flag(s.italic, FState.italic, "\\i", "\\i0");
        flag(s.underline, FState.underline, "\\ul", "\\ulnone");
        flag(s.strike, FState.strike, "\\strike", "\\strike0");
        flag(s.hidden, FState.hidden, "\\v", "\\v0");
        flag(s.smallCaps, FState.smallCaps, "\\scaps", "\\scaps0");
        flag(s.allCaps, FState.allCaps, "\\caps", "\\caps0");
        if (s.foreground != FState.foreground) w += "\\cf" + Number(s.foreground);
        if (s.background != FState.background) w += "\\highlight" + Number(s.background);
        if (s.verticalAlign != FState.verticalAlign) {
            static const char* const kVertical[] = {"\\nosupersub", "\\super", "\\sub"};
            w += kVertical[s.verticalAlign];
        }
        FOut += w + ' ';
        FState = s;
    }

    void SwitchLink(const QString& href)
    {
        if (href == FLink)
            return;
        if (!FLink.isEmpty()) {
            FOut += "}}}";
            FState = FStateBeforeLink;
        }
        FLink = href;
        if (!href.isEmpty()) {
            FStateBeforeLink = FState;
            FOut += "{\\field{\\*\\fldinst{HYPERLINK \"";
            AppendText(QString(href).replace('"', "%22")); // a quote would end the field's argument
            FOut += "\"}}{\\fldrslt{";
        }
    }

    static QImage ImageOf(const QVariant& resource)
    {
        if (resource.canConvert<QImage>() && resource.typeId() == QMetaType::QImage)
            return resource.value<QImage>();
        if (resource.typeId() == QMetaType::QPixmap)
            return resource.value<QPixmap>().toImage();
        if (resource.typeId() == QMetaType::QByteArray)
            return QImage::fromData(resource.toByteArray());
        return {};
    }

    void WritePicture(const QTextImageFormat& f)
    {
        QImage image = ImageOf(FDoc.resource(QTextDocument::ImageResource, QUrl(f.name())));
        if (image.isNull())
            image = QImage(f.name());
        if (image.isNull())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const qreal width = f.width() > 0 ? f.width() : image.width();
        const qreal height = f.height() > 0 ? f.height() : image.height();
        FOut += "{\\pict\\pngblip\\picw" + Number(image.width()) + "\\pich" + Number(image.height()) +
                "\\picwgoal" + Number(Twips(width)) + "\\pichgoal" + Number(Twips(height)) + "\r\n";
        const QByteArray hex = png.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128) {
            FOut += hex.mid(i, 128);
            FOut += "\r\n";
        }
        FOut += "}";
    }

    void AppendText(QStringView text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c == '\\' || c == '{' || c == '}') {
                FOut += '\\';
                FOut += char(c);
            } else if (c == '\t') {
                FOut += "\\tab ";
            } else if (c == 0x2028) {
                FOut += "\\line ";
            } else if (c == 0x0C) {
                if (!FOptions.plain) FOut += "\\page ";
            } else if (c < 0x20 || c == 0xFFFC || c == 0x2029) {
                // control characters and object stand-ins carry no text
            } else if (c < 0x80) {
                FOut += char(c);
            } else {
                const unsigned char b = Platform::UnicodeToByte(c, 0);
                if (b >= 0x80 && Platform::ByteToUnicode(b) == c) {
                    static const char kHex[] = "0123456789abcdef";
                    // «\'a3@5» would glue the marker to the escape's last digit, so
                    // the merge could not replace it; a group keeps it a whole word.
                    const bool beforeMarker = i + 1 < text.size() && text[i + 1] == u'@' && (b & 15) < 10;
                    if (beforeMarker) FOut += '{';
                    FOut += "\\'";
                    FOut += kHex[b >> 4];
                    FOut += kHex[b & 15];
                    if (beforeMarker) FOut += '}';
                } else {
                    FOut += "\\u" + Number(c > 32767 ? int(c) - 65536 : int(c)) + "?";
                }
            }
        }
    }
    void AppendText(const QString& text) { AppendText(QStringView(text)); }

    const QTextDocument& FDoc;
    const int FStart, FEnd;
    const WriteOptions FOptions;
    QByteArray FOut;
    QString FDefaultFamily;
    qreal FDefaultPoints = 12;
    QStringList FFonts;
    std::map<QString, int> FFontIndex;
    std::vector<QRgb> FColours;          // colour table entries 1..n
    std::map<QRgb, int> FColourIndex;
    std::map<const QTextList*, int> FListIds;
    std::vector<QTextList*> FListOrder;
    CharSpec FState;
    CharSpec FStateBeforeLink;
    QString FLink;
    ParaSpec FPara;
};

} // namespace

QByteArray WriteRtf(const QTextDocument& document, int start, int end, const WriteOptions& options)
{
    const int length = document.characterCount();
    if (end < 0 || end > length)
        end = length;
    start = std::clamp(start, 0, end);
    return Writer(document, start, end, options).Write();
}

} // namespace RtfEngine
