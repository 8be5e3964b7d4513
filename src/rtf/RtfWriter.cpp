#include "rtf/RtfEngine.h"

#include "platform/Cp1252.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfDocumentModel.h"
#include "rtf/RtfKeptObject.h"

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

#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace RtfEngine {
namespace {

// The character properties the writer expresses; two fragments with equal properties are
// written as one run.
struct CharProps {
    int font = 0;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    bool hidden = false, smallCaps = false, allCaps = false;
    int foreground = 0, background = 0;
    int verticalAlign = 0;
    QByteArray underlineWord; // "uldb" …; empty for a plain underline
    int lang = 0;
    bool operator==(const CharProps&) const = default;
};

struct TabProps {
    int position = 0;
    int type = 0;
    bool operator==(const TabProps&) const = default;
};

struct ParaProps {
    int align = 0;
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    std::vector<TabProps> tabs;
    QVariantList leaders;
    int depth = 0; // table nesting level
    int list = 0, level = 0;
    int keptList = 0; // "\\ls" of the kept list table
    int style = -1;
    QByteArray kept;
    bool operator==(const ParaProps&) const = default;
};

// Font numbers the writer counts on from; a table's larger ones are left alone.
constexpr int kMaxFontNumber = 1 << 24;

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
        const QTextFrameFormat root = document.rootFrame()->frameFormat();
        if (!options.plain)
            FKeptFonts = root.property(kDocFontTableProperty).toByteArray();
        if (!FKeptFonts.isEmpty()) {
            // The document's own table, with its numbers: kept source refers to them.
            for (const QString& entry : root.property(kDocFontNamesProperty).toStringList()) {
                const qsizetype semicolon = entry.indexOf(';');
                const int index = entry.left(semicolon).toInt();
                if (index < 0 || index >= kMaxFontNumber)
                    continue; // text in such a font gets a number of its own after the others
                FNextFont = std::max(FNextFont, index + 1);
                FFontIndex.emplace(entry.mid(semicolon + 1), index);
            }
            FDefaultFont = root.intProperty(kDocDefaultFontProperty);
            if (auto found = std::find_if(FFontIndex.begin(), FFontIndex.end(),
                                          [this](const auto& e) { return e.second == FDefaultFont; });
                found != FFontIndex.end())
                FDefaultFamily = found->first;
            else
                FFontIndex.emplace(FDefaultFamily, FDefaultFont);
            FState.font = FDefaultFont;
        } else {
            FFonts.append(FDefaultFamily);
            FFontIndex.emplace(FDefaultFamily, 0);
            FNextFont = 1;
        }
        if (!options.plain) {
            FKeptColours = root.property(kDocColourTableProperty).toByteArray();
            if (!FKeptColours.isEmpty()) {
                const QStringList colours = root.property(kDocColoursProperty).toStringList();
                FKeptColourCount = int(colours.size());
                for (qsizetype i = 0; i < colours.size(); ++i)
                    if (!colours[i].isEmpty())
                        FColourIndex.emplace(QColor(colours[i]).rgb() & 0xFFFFFF, int(i));
            }
            FStylesheet = root.property(kDocStylesheetProperty).toByteArray();
            FKeptLists = root.property(kDocListTablesProperty).toByteArray();
            FKeptListOverrides = root.property(kDocListOverridesProperty).toByteArray();
            const QByteArray both = FKeptLists + FKeptListOverrides;
            FLsBase = LargestNumberAfter(both, "\\ls", &FKeptOverrides);
            FListIdBase = std::max(1, LargestNumberAfter(both, "\\listid") + 1);
            if (start == 0 && end >= document.characterCount()) {
                FInfo = root.property(kDocInfoProperty).toByteArray();
                FFormat = root.property(kDocFormatProperty).toByteArray();
            }
        }
    }

    QByteArray Write()
    {
        CollectTables();
        if (FHasAnchors)
            FindDroppedAnchors();
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
            if (!FOptions.plain && !KeptListOf(block)) {
                if (QTextList* list = block.textList(); list && !FListIds.count(list)) {
                    FListIds[list] = int(FListOrder.size()) + 1;
                    FListOrder.push_back(list);
                }
            }
            for (auto it = block.begin(); !it.atEnd(); ++it)
                FHasAnchors = InfoOf(it.fragment()).anchor || FHasAnchors; // its fonts and colours get numbers
        }
    }

    // What the writer needs of a character format, worked out once for each format.
    struct FormatInfo {
        CharProps props;     // none for a picture: it is written without character properties
        QVariantList fields;
        QString href;
        QByteArray linkSource; // the link's field as read, while it still gives `href`
        bool kept = false, image = false, anchor = false;
    };

    const FormatInfo& InfoOf(const QTextFragment& fragment)
    {
        const std::size_t index = std::size_t(std::max(0, fragment.charFormatIndex()));
        if (index < FInfoAt.size() && FInfoAt[index] >= 0)
            return FInfos[std::size_t(FInfoAt[index])];
        const QTextCharFormat f = fragment.charFormat();
        FormatInfo info;
        info.image = f.isImageFormat();
        info.kept = f.objectType() == kKeptObjectType;
        info.anchor = f.hasProperty(kBookmarkStartProperty) || f.hasProperty(kBookmarkEndProperty);
        if (!info.image)
            info.props = CharPropsOf(f);
        if (!FOptions.plain) {
            info.fields = f.property(kFieldsProperty).toList();
            info.href = f.isAnchor() ? f.anchorHref() : QString();
            const QVariantList link = f.property(kLinkSourceProperty).toList();
            if (link.size() == 2 && !info.href.isEmpty() && link[0].toString() == info.href)
                info.linkSource = link[1].toByteArray();
        }
        if (index >= FInfoAt.size())
            FInfoAt.resize(index + 1, -1);
        FInfoAt[index] = int(FInfos.size());
        FInfos.push_back(std::move(info));
        return FInfos.back();
    }

    void FindDroppedAnchors()
    {
        std::vector<int> positions;
        const std::vector<bool> kept = BookmarkAnchorsKept(BookmarkAnchorsIn(FDoc, FStart, FEnd, positions));
        for (std::size_t i = 0; i < kept.size(); ++i)
            if (!kept[i])
                FDroppedAnchors.insert(positions[i]);
    }

    int FontIndex(const QTextCharFormat& f)
    {
        QString family;
        const QVariant families = f.property(QTextFormat::FontFamilies);
        if (families.isValid() && !families.toStringList().isEmpty())
            family = families.toStringList().front();
        if (family.isEmpty())
            family = f.property(QTextFormat::FontFamily).toString();
        family = FontNameAsRead(family);
        if (family.isEmpty() || FOptions.plain)
            return FDefaultFont;
        auto found = FFontIndex.find(family);
        if (found == FFontIndex.end()) {
            found = FFontIndex.emplace(family, FNextFont++).first;
            FFonts.append(family);
        }
        return found->second;
    }

    // The name as the font table reads it back: up to a ";", without control characters,
    // trimmed. Two families that read back alike get one number.
    static QString FontNameAsRead(QString name)
    {
        if (const qsizetype semicolon = name.indexOf(';'); semicolon >= 0)
            name.truncate(semicolon);
        name.removeIf([](QChar c) { return c.unicode() < 0x20; });
        return name.trimmed();
    }

    int ColourIndex(const QBrush& brush)
    {
        if (brush.style() == Qt::NoBrush || FOptions.plain)
            return 0;
        const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
        auto found = FColourIndex.find(rgb);
        if (found == FColourIndex.end()) {
            FColours.push_back(rgb);
            const int index = FKeptColours.isEmpty() ? int(FColours.size()) : FKeptColourCount + int(FColours.size()) - 1;
            found = FColourIndex.emplace(rgb, index).first;
        }
        return found->second;
    }

    void WriteHeader()
    {
        FOut += "{\\rtf1\\ansi\\ansicpg1252\\deff" + Number(FDefaultFont) + "\\uc1";
        FOut += FKeptFonts.isEmpty() ? QByteArray("{\\fonttbl") : FKeptFonts.chopped(1);
        const int firstNew = FNextFont - int(FFonts.size());
        for (qsizetype i = 0; i < FFonts.size(); ++i) {
            FOut += "{\\f" + Number(firstNew + int(i)) + "\\fnil\\fcharset0 ";
            AppendText(FFonts[i].trimmed()); // the reader trims the name too
            FOut += ";}";
        }
        FOut += "}\r\n";
        if (!FKeptColours.isEmpty() || !FColours.empty()) {
            FOut += FKeptColours.isEmpty() ? QByteArray("{\\colortbl;") : FKeptColours.chopped(1);
            for (QRgb rgb : FColours)
                FOut += "\\red" + Number(qRed(rgb)) + "\\green" + Number(qGreen(rgb)) + "\\blue" +
                        Number(qBlue(rgb)) + ";";
            FOut += "}\r\n";
        }
        if (!FStylesheet.isEmpty())
            FOut += FStylesheet + "\r\n";
        WriteListTables();
        if (!FInfo.isEmpty())
            FOut += FInfo + "\r\n";
        if (!FFormat.isEmpty())
            FOut += FFormat + "\r\n";
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
    void WriteNumberingGroup(const QTextListFormat& f)
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
    void WriteListLevel(const QTextListFormat& f, int level, bool own)
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
    static QString WrittenAsText(QString text)
    {
        text.removeIf([](QChar c) {
            const char16_t u = c.unicode();
            return (u < 0x20 && u != '\t') || u == 0x2028 || u == 0x2029 || u == 0xFFFC;
        });
        return text;
    }

    static int LargestNumberAfter(const QByteArray& source, const QByteArray& word, std::set<int>* all = nullptr)
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
    static qsizetype IndexOfWord(const QByteArray& source, const QByteArray& word)
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
    void WriteListTables()
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

    // A kept table, or a new one, with the lists the editor made right after the word
    // that opens it.
    template <typename WriteMade>
    void WriteTableWith(const QByteArray& kept, const QByteArray& word, WriteMade writeMade)
    {
        if (kept.isEmpty() && FListOrder.empty())
            return;
        const qsizetype at = kept.isEmpty() ? 0 : EndOfWord(kept, IndexOfWord(kept, word));
        FOut += kept.isEmpty() ? "{\\*" + word : kept.left(at);
        writeMade();
        FOut += kept.isEmpty() ? QByteArray("}") : kept.mid(at);
        FOut += "\r\n";
    }

    // Where the control word at `at` ends, with its number and the space after it.
    static qsizetype EndOfWord(const QByteArray& source, qsizetype at)
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

    // --- body ------------------------------------------------------------------------

    // The list the block belongs to in the document's own list table, 0 for none.
    int KeptListOf(const QTextBlock& block) const
    {
        const QTextBlockFormat f = block.blockFormat();
        if (FOptions.plain || !f.hasProperty(kListOverrideProperty) ||
            !FKeptOverrides.count(f.intProperty(kListOverrideProperty)))
            return 0; // text from another document: its list is not in this one's table
        // A numbered paragraph the user took out of its list is no longer in it.
        if (!block.textList() && f.boolProperty(kListShownProperty))
            return 0;
        return f.intProperty(kListOverrideProperty);
    }

    static QTextTable* TableOf(const QTextBlock& block, const QTextTable* parent)
    {
        // The table directly inside `parent` (or outermost when `parent` is null) that holds the block.
        QTextTable* table = QTextCursor(block).currentTable();
        while (table) {
            QTextTable* up = nullptr;
            for (QTextFrame* frame = table->parentFrame(); frame; frame = frame->parentFrame())
                if ((up = qobject_cast<QTextTable*>(frame)))
                    break;
            if (up == parent)
                return table;
            table = up;
        }
        return nullptr;
    }

    void WriteBody()
    {
        bool first = true;
        for (QTextBlock block = FirstBlock(); BlockInRange(block);) {
            QTextTable* table = TableOf(block, nullptr);
            if (table && !FOptions.plain && table->firstPosition() >= FStart && table->lastPosition() < FEnd) {
                WriteTable(*table, 1);
                block = FDoc.findBlock(table->lastPosition() + 1);
                if (block.isValid() && block.position() <= table->lastPosition())
                    block = block.next();
                first = false;
                continue;
            }
            if (!table && !first && !FOptions.plain && block.blockFormat().hasProperty(kSectionProperty)) {
                FOut += "\\sect" + block.blockFormat().property(kSectionProperty).toByteArray() + "\r\n";
                FPara = ParaProps{};
                FPara.style = -2; // the next paragraph writes its properties again
            }
            first = false;
            WriteParagraph(block, 0);
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

    // The row's definition: kept words as read, else what the table's formats say.
    QByteArray RowDefinition(QTextTable& table, int row, const QList<int>& rights) const
    {
        const QTextTableFormat tf = table.format();
        const QVariantList kept = tf.property(kTableRowsProperty).toList();
        QByteArray out = "\\trowd";
        if (row < kept.size() && !kept[row].toByteArray().isEmpty()) {
            out += kept[row].toByteArray();
        } else {
            out += "\\trgaph108";
            if (int left = LeftOf(table); left != 0)
                out += "\\trleft" + Number(left);
            const Qt::Alignment a = tf.alignment() & Qt::AlignHorizontal_Mask;
            if (a & Qt::AlignHCenter) out += "\\trqc";
            else if (a & Qt::AlignRight) out += "\\trqr";
        }
        for (int c = 0; c < table.columns();) {
            const QTextTableCell cell = table.cellAt(row, c);
            const QTextTableCellFormat cf = cell.format().toTableCellFormat();
            const int span = std::max(1, cell.columnSpan());
            if (cf.boolProperty(kCellAbsentProperty)) {
                c += span;
                continue;
            }
            if (cf.hasProperty(kCellKeptProperty)) out += cf.property(kCellKeptProperty).toByteArray();
            else out += CellBorders(tf, cf);
            if (cell.rowSpan() > 1) out += cell.row() == row ? "\\clvmgf" : "\\clvmrg";
            c += span;
            out += "\\cellx" + Number(rights[std::min<qsizetype>(c, rights.size()) - 1]);
        }
        return out;
    }

    static QByteArray CellBorders(const QTextTableFormat& table, const QTextTableCellFormat& cell)
    {
        QByteArray out;
        static const char* const kEdges[] = {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"};
        const qreal widths[] = {cell.topBorder(), cell.leftBorder(), cell.bottomBorder(), cell.rightBorder()};
        const bool cellBorders = cell.hasProperty(QTextFormat::TableCellTopBorder);
        for (int e = 0; e < 4; ++e) {
            const qreal width = cellBorders ? widths[e] : table.border();
            if (width > 0)
                out += QByteArray(kEdges[e]) + "\\brdrs\\brdrw" + Number(std::max(1, Twips(width)));
        }
        if (cell.verticalAlignment() == QTextCharFormat::AlignMiddle) out += "\\clvertalc";
        else if (cell.verticalAlignment() == QTextCharFormat::AlignBottom) out += "\\clvertalb";
        return out;
    }

    static int LeftOf(QTextTable& table)
    {
        const QTextTableFormat f = table.format();
        return f.hasProperty(kTableLeftProperty) ? f.intProperty(kTableLeftProperty) : Twips(f.leftMargin());
    }

    void WriteTable(QTextTable& table, int depth)
    {
        const QList<int> rights = CellRights(table);
        for (int r = 0; r < table.rows(); ++r) {
            const QByteArray definition = RowDefinition(table, r, rights);
            if (depth == 1)
                FOut += definition + "\r\n";
            for (int c = 0; c < table.columns();) {
                const QTextTableCell cell = table.cellAt(r, c);
                c += std::max(1, cell.columnSpan());
                if (cell.format().boolProperty(kCellAbsentProperty))
                    continue;
                if (cell.row() == r)
                    WriteCell(table, cell, depth);
                else
                    WriteParaProps(CellParaProps(depth));
                FOut += depth == 1 ? "\\cell " : "\\nestcell ";
            }
            if (depth == 1)
                FOut += "\\row\r\n";
            else
                FOut += "{\\*\\nesttableprops" + definition + "\\nestrow}{\\nonesttables\\par}\r\n";
            // Each row's paragraphs say their properties again: readers end them with the row.
            FPara = ParaProps{};
            FPara.style = -2;
        }
    }

    ParaProps CellParaProps(int depth) const
    {
        ParaProps s;
        s.depth = depth;
        return s;
    }

    void WriteCell(QTextTable& table, const QTextTableCell& cell, int depth)
    {
        bool pendingMark = false;
        for (QTextBlock block = FDoc.findBlock(cell.firstPosition());
             block.isValid() && block.position() <= cell.lastPosition();) {
            if (QTextTable* inner = TableOf(block, &table)) {
                if (pendingMark)
                    FOut += "\\par\r\n";
                pendingMark = false;
                WriteTable(*inner, depth + 1);
                block = FDoc.findBlock(inner->lastPosition() + 1);
                if (block.isValid() && block.position() <= inner->lastPosition())
                    block = block.next();
                continue;
            }
            if (pendingMark)
                FOut += "\\par\r\n";
            WriteParagraph(block, depth);
            pendingMark = true;
            block = block.next();
        }
        if (!pendingMark)
            WriteParaProps(CellParaProps(depth));
    }

    QList<int> CellRights(QTextTable& table) const
    {
        const QList<QTextLength> widths = table.format().columnWidthConstraints();
        const int total = 9360; // 6.5 inches of text width
        QList<int> rights;
        int right = LeftOf(table);
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

    ParaProps ParaPropsOf(const QTextBlock& block, int depth) const
    {
        ParaProps s;
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
        s.leaders = f.property(kTabLeadersProperty).toList();
        s.depth = depth;
        s.style = f.hasProperty(kStyleProperty) ? f.intProperty(kStyleProperty) : -1;
        s.kept = f.property(kParaKeptProperty).toByteArray();
        if (int kept = KeptListOf(block)) {
            s.keptList = kept;
            s.level = std::clamp(f.intProperty(kListLevelProperty), 0, 8);
        } else if (list) {
            auto found = FListIds.find(list);
            if (found != FListIds.end()) {
                s.list = found->second;
                s.level = std::clamp(list->format().indent() - 1, 0, 8);
            }
        }
        return s;
    }

    void WriteParaProps(const ParaProps& s, const QTextList* list = nullptr)
    {
        if (s == FPara)
            return;
        FPara = s;
        FOut += "\\pard";
        if (s.style >= 0) FOut += "\\s" + Number(s.style);
        if (s.depth > 0) FOut += "\\intbl";
        if (s.depth > 1) FOut += "\\itap" + Number(s.depth);
        static const char* const kAlign[] = {"", "\\qr", "\\qc", "\\qj"};
        FOut += s.style >= 0 && s.align == 0 ? "\\ql" : kAlign[s.align];
        if (s.left) FOut += "\\li" + Number(s.left);
        if (s.right) FOut += "\\ri" + Number(s.right);
        if (s.first) FOut += "\\fi" + Number(s.first);
        if (s.before || s.style >= 0) FOut += "\\sb" + Number(s.before);
        if (s.after || s.style >= 0) FOut += "\\sa" + Number(s.after);
        if (s.lineSpacing) FOut += "\\sl" + Number(s.lineSpacing) + "\\slmult" + Number(s.lineMultiple ? 1 : 0);
        for (const TabProps& tab : s.tabs) {
            switch (tab.type) {
            case QTextOption::RightTab: FOut += "\\tqr"; break;
            case QTextOption::CenterTab: FOut += "\\tqc"; break;
            case QTextOption::DelimiterTab: FOut += "\\tqdec"; break;
            default: break;
            }
            for (qsizetype i = 0; i + 1 < s.leaders.size(); i += 2)
                if (s.leaders[i].toInt() == tab.position)
                    FOut += "\\" + s.leaders[i + 1].toByteArray();
            FOut += "\\tx" + Number(tab.position);
        }
        FOut += s.kept;
        // The older group first: after the list reference it would replace the list.
        if (s.keptList) {
            if (list)
                WriteNumberingGroup(list->format());
            FOut += "\\ls" + Number(s.keptList) + "\\ilvl" + Number(s.level);
        } else if (s.list) {
            WriteNumberingGroup(FListOrder[std::size_t(s.list - 1)]->format());
            FOut += "\\ls" + Number(FLsBase + s.list) + "\\ilvl" + Number(s.level);
        }
        if (!FOut.endsWith('}'))
            FOut += ' '; // a space after a group would be text
    }

    void WriteParagraph(const QTextBlock& block, int depth)
    {
        if (!FOptions.plain && (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            FOut += "\\page ";
        FParagraphProps = ParaPropsOf(block, depth);
        FParagraphList = block.textList();
        WriteParaProps(FParagraphProps, FParagraphList);
        const int blockStart = block.position();
        const QString text = block.text();
        int position = blockStart;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = position;
            position += fragment.length();
            const int from = std::max(start, FStart);
            const int to = std::min(position, FEnd);
            if (from >= to)
                continue;
            const FormatInfo& info = InfoOf(fragment);
            if (!FOptions.plain)
                SwitchGroups(info.fields, info.href, info.linkSource);
            if (info.kept) {
                if (FOptions.plain)
                    continue;
                WriteCharProps(info.props);
                const QTextCharFormat f = fragment.charFormat();
                for (int i = from; i < to; ++i) {
                    if (FDroppedAnchors.count(i))
                        continue;
                    if (f.boolProperty(kKeptAutoNumberProperty))
                        FOut += "\\chftn";
                    FOut += f.property(kKeptSourceProperty).toByteArray();
                }
                continue;
            }
            if (info.image) {
                if (FOptions.includeObjects && !FOptions.plain)
                    for (int i = from; i < to; ++i)
                        WritePicture(fragment.charFormat().toImageFormat());
                continue;
            }
            WriteCharProps(info.props);
            AppendText(QStringView(text).mid(from - blockStart, to - from));
        }
        CloseLink();
        CloseFieldsTo(CommonLength(FOpenFields, depth == 0 ? FieldsGoingOn(block) : QVariantList()));
    }

    // --- fields and links around the text ----------------------------------------------

    // The groups a fragment stands in: its fields, outermost first, then its link.
    void SwitchGroups(const QVariantList& fields, const QString& href, const QByteArray& linkSource)
    {
        if (fields == FOpenFields && href == FLink && linkSource == FLinkSource)
            return;
        CloseLink(); // the link is innermost: any change around it closes it
        const qsizetype common = CommonLength(FOpenFields, fields);
        CloseFieldsTo(common);
        for (qsizetype i = common; i < fields.size(); ++i)
            OpenField(fields[i].toByteArray());
        OpenLink(href, linkSource);
    }

    static qsizetype CommonLength(const QVariantList& a, const QVariantList& b)
    {
        qsizetype n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n])
            ++n;
        return n;
    }

    // The fields the next paragraph's text starts in, when it follows in the same flow: a
    // field whose result goes on there (a table of contents) stays open over the mark.
    QVariantList FieldsGoingOn(const QTextBlock& block) const
    {
        if (FOpenFields.isEmpty())
            return {};
        QTextBlock next = block.next();
        for (int empty = 0; empty < 64 && BlockInRange(next); ++empty, next = next.next()) {
            if (TableOf(next, nullptr) || next.blockFormat().hasProperty(kSectionProperty))
                return {};
            if (next.length() > 1)
                return next.begin().fragment().charFormat().property(kFieldsProperty).toList();
        }
        return {};
    }

    void OpenField(const QByteArray& source)
    {
        FFieldSaves.push_back({FState, FPara});
        FOpenFields.append(source);
        FOut += source + "{\\fldrslt ";
    }

    // Closing a group gives the reader back the properties from before it; the
    // paragraph's own are said again when they differ, as its mark is still to come.
    void CloseFieldsTo(qsizetype count)
    {
        if (FOpenFields.size() <= count)
            return;
        while (FOpenFields.size() > count) {
            FOut += "}}";
            FState = FFieldSaves.back().state;
            FPara = FFieldSaves.back().para;
            FFieldSaves.pop_back();
            FOpenFields.removeLast();
        }
        WriteParaProps(FParagraphProps, FParagraphList);
    }

    void CloseLink()
    {
        if (FLink.isEmpty())
            return;
        FOut += "}}}";
        FState = FStateBeforeLink;
        FLink.clear();
        FLinkSource.clear();
    }

    void OpenLink(const QString& href, const QByteArray& source)
    {
        FLink = href;
        FLinkSource = source;
        if (href.isEmpty())
            return;
        FStateBeforeLink = FState;
        if (!source.isEmpty()) {
            FOut += source + "{\\fldrslt{";
            return;
        }
        FOut += "{\\field{\\*\\fldinst{HYPERLINK \"";
        AppendText(QString(href).replace('"', "%22")); // a quote would end the field's argument
        FOut += "\"}}{\\fldrslt{";
    }

    CharProps CharPropsOf(const QTextCharFormat& f)
    {
        CharProps s;
        s.font = FontIndex(f);
        const qreal points = !FOptions.plain && f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                                          : FDefaultPoints;
        s.halfPoints = std::max(1, int(std::lround(points * 2)));
        if (FOptions.plain)
            return s;
        s.bold = f.fontWeight() >= QFont::DemiBold;
        s.italic = f.fontItalic();
        s.underline = f.fontUnderline() || (f.underlineStyle() != QTextCharFormat::NoUnderline &&
                                            f.underlineStyle() != QTextCharFormat::SpellCheckUnderline);
        if (s.underline)
            s.underlineWord = f.property(kUnderlineWordProperty).toByteArray();
        s.lang = f.intProperty(kLangProperty);
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

    void WriteCharProps(const CharProps& s)
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
        if (s.underline != FState.underline || s.underlineWord != FState.underlineWord)
            w += !s.underline ? QByteArray("\\ulnone") : "\\" + (s.underlineWord.isEmpty() ? QByteArray("ul") : s.underlineWord);
        if (s.lang != FState.lang)
            w += "\\lang" + Number(s.lang); // 0: none, as the reader takes it
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
        if (!w.isEmpty())
            FOut += w + ' '; // alone, the delimiter would be text
        FState = s;
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
                if (c == '@')
                    KeepEscapeApartFromMarker();
                FOut += char(c);
            } else {
                const unsigned char b = Platform::UnicodeToByte(c, 0);
                if (b >= 0x80 && Platform::ByteToUnicode(b) == c) {
                    static const char kHex[] = "0123456789abcdef";
                    FOut += "\\'";
                    FOut += kHex[b >> 4];
                    FOut += kHex[b & 15];
                    if ((b & 15) < 10)
                        FEscapeWithDigitEnd = FOut.size();
                } else {
                    FOut += "\\u" + Number(c > 32767 ? int(c) - 65536 : int(c)) + "?";
                }
            }
        }
    }
    void AppendText(const QString& text) { AppendText(QStringView(text)); }

    // «\'a3@5» would glue the marker to the escape's last digit, so the merge could not
    // replace it; a group keeps it a whole word. Decided on the output, as the escape
    // and the marker may come from two runs with the same written format.
    void KeepEscapeApartFromMarker()
    {
        if (FOut.size() != FEscapeWithDigitEnd)
            return;
        FOut.insert(FEscapeWithDigitEnd - 4, '{');
        FOut += '}';
    }

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
    int FDefaultFont = 0, FNextFont = 0;
    QByteArray FKeptFonts, FKeptColours, FStylesheet, FKeptLists, FKeptListOverrides, FInfo, FFormat;
    int FKeptColourCount = 0;
    int FLsBase = 0, FListIdBase = 1;
    std::set<int> FKeptOverrides; // the "\\ls" numbers of the document's own list table
    std::vector<QTextList*> FListOrder;
    CharProps FState;
    CharProps FStateBeforeLink;
    QString FLink;
    QByteArray FLinkSource;
    ParaProps FPara;
    ParaProps FParagraphProps;            // the paragraph being written
    const QTextList* FParagraphList = nullptr;
    struct Saved { CharProps state; ParaProps para; };
    QVariantList FOpenFields;           // the fields whose result is being written
    std::vector<Saved> FFieldSaves;     // the properties from before each of them
    bool FHasAnchors = false;
    std::vector<FormatInfo> FInfos;
    std::vector<int> FInfoAt;           // format index -> its entry in FInfos, or -1
    std::set<int> FDroppedAnchors;      // anchors that make no bookmark in the range
    qsizetype FEscapeWithDigitEnd = -1; // where the last "\\'hd" with a digit d ended
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
