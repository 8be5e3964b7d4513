#include "rtf/RtfWriting.h"

namespace RtfEngine {

namespace Writing {

Writer::Writer(const QTextDocument& document, int start, int end, const WriteOptions& options)
    : FDoc(document), FStart(start), FEnd(end), FOptions(options)
{
    FDefaultFamily = document.defaultFont().family();
    const qreal size = document.defaultFont().pointSizeF();
    FDefaultPoints = size > 0 ? size : 12.0;
    const QTextFrameFormat root = document.rootFrame()->frameFormat();
    if (!options.plain)
        FKeptFonts = root.property(kDocFontTableProperty).toByteArray();
    if (!FKeptFonts.isEmpty()) {
        FForeignFonts = ForeignFontCodePages(FKeptFonts);
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

QByteArray Writer::Write()
{
    CollectTables();
    if (FHasAnchors)
        FindDroppedAnchors();
    WriteHeader();
    WriteBody();
    FOut += "}";
    return FOut;
}

bool Writer::BlockInRange(const QTextBlock& block) const
{
    return block.isValid() && block.position() < FEnd &&
           (block.position() + block.length() > FStart);
}

void Writer::CollectTables()
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

const Writer::FormatInfo& Writer::InfoOf(const QTextFragment& fragment)
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

void Writer::FindDroppedAnchors()
{
    std::vector<int> positions;
    const std::vector<bool> kept = BookmarkAnchorsKept(BookmarkAnchorsIn(FDoc, FStart, FEnd, positions));
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (!kept[i])
            FDroppedAnchors.insert(positions[i]);
}

int Writer::FontIndex(const QTextCharFormat& f)
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
QString Writer::FontNameAsRead(QString name)
{
    if (const qsizetype semicolon = name.indexOf(';'); semicolon >= 0)
        name.truncate(semicolon);
    name.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return name.trimmed();
}

int Writer::ColourIndex(const QBrush& brush)
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

void Writer::WriteHeader()
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

} // namespace Writing

QByteArray WriteRtf(const QTextDocument& document, int start, int end, const WriteOptions& options)
{
    const int length = document.characterCount();
    if (end < 0 || end > length)
        end = length;
    start = std::clamp(start, 0, end);
    return Writing::Writer(document, start, end, options).Write();
}

} // namespace RtfEngine
