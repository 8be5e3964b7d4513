// Lists: the list table and its overrides, the older "\\pn" numbering, and the numbers
// paragraphs get from them.
#include "rtf/RtfParser.h"

#include "rtf/ListNumbers.h"

#include <algorithm>

namespace RtfEngine::Reading {

namespace {

QTextListFormat::Style StyleOfNfc(int nfc)
{
    switch (nfc) {
    case 1: return QTextListFormat::ListUpperRoman;
    case 2: return QTextListFormat::ListLowerRoman;
    case 3: return QTextListFormat::ListUpperAlpha;
    case 4: return QTextListFormat::ListLowerAlpha;
    case 23: case 255: return QTextListFormat::ListDisc;
    default: return QTextListFormat::ListDecimal;
    }
}

QTextListFormat::Style BulletStyleOf(const QString& bulletText)
{
    const QString t = bulletText.trimmed();
    if (t == "o" || t == QString(QChar(0x25E6)) || t == QString(QChar(0x25CB)))
        return QTextListFormat::ListCircle;
    if (t == QString(QChar(0x25AA)) || t == QString(QChar(0x25A0)) || t == QString(QChar(0xF0A7)) ||
        t == QString(QChar(0xA7)))
        return QTextListFormat::ListSquare;
    return QTextListFormat::ListDisc;
}

} // namespace

void RtfParser::OnListWord(std::string_view w, int param)
{
    const Dest dest = Top().dest;
    std::vector<ListDef>& lists = FListTableRead.lists;
    if (dest == Dest::List && w == "listid" && !lists.empty()) {
        lists.back().id = param;
    } else if (dest == Dest::ListLevel && !lists.empty() && !lists.back().levels.empty()) {
        ListLevelDef& level = lists.back().levels.back();
        if (w == "levelnfc" || w == "levelnfcn") level.nfc = param;
        else if (w == "levelstartat") level.start = param;
    } else if (dest == Dest::ListOverride) {
        if (w == "listid") FOverrideListId = param;
        else if (w == "ls") FListTableRead.overrides.emplace_back(param, FOverrideListId);
    }
}

// The list table just read is kept: its lists and references now number paragraphs.
void RtfParser::CommitListTable()
{
    for (ListDef& list : FListTableRead.lists) {
        if (list.id) FListById[*list.id] = FLists.size();
        FLists.push_back(std::move(list));
    }
    for (const auto& [ls, id] : FListTableRead.overrides)
        FListOverrides[ls] = id;
    FListTableRead = {};
}

void RtfParser::OnPnWord(std::string_view w, bool has, int param)
{
    PnState& pn = FPnScratch;
    if (w == "pnlvlblt") { pn.bullet = true; pn.level = 0; }
    else if (w == "pnlvlbody") { pn.bullet = false; pn.level = 0; }
    else if (w == "pnlvlcont") { pn.active = false; }
    else if (w == "pnlvl" && has) pn.level = std::clamp(param - 1, 0, 8);
    else if (w == "pndec") pn.style = QTextListFormat::ListDecimal;
    else if (w == "pnucltr") pn.style = QTextListFormat::ListUpperAlpha;
    else if (w == "pnlcltr") pn.style = QTextListFormat::ListLowerAlpha;
    else if (w == "pnucrm") pn.style = QTextListFormat::ListUpperRoman;
    else if (w == "pnlcrm") pn.style = QTextListFormat::ListLowerRoman;
    else if (w == "pnstart") pn.start = param;
}

// The number of a paragraph in a list of the list table ("\\ls", "\\ilvl").
std::optional<RtfListRef> RtfParser::TableListOf(int listOverride, int listLevel)
{
    auto over = FListOverrides.find(listOverride);
    const int id = over != FListOverrides.end() ? over->second : listOverride;
    auto byId = FListById.find(id);
    const ListDef* def = byId != FListById.end() ? &FLists[byId->second] : nullptr;
    ListLevelDef level;
    if (def && !def->levels.empty())
        level = def->levels[std::min<std::size_t>(std::size_t(listLevel), def->levels.size() - 1)];
    // The level's counter: the next number, and the levels below it start again.
    const int at = std::clamp(listLevel, 0, 8);
    ListCounters& counters = FCounters[listOverride];
    for (int k = 0; k < at; ++k) {
        if (!counters.started[k] && def && std::size_t(k) < def->levels.size())
            counters.value[k] = def->levels[std::size_t(k)].start;
    }
    counters.value[at] = counters.started[at] ? counters.value[at] + 1 : level.start;
    counters.started[at] = true;
    for (int k = at + 1; k < 9; ++k)
        counters.started[k] = false;
    if (level.nfc == 255)
        return std::nullopt; // a level that shows no number
    QTextListFormat format;
    format.setStyle(level.nfc == 23 ? BulletStyleOf(level.text.mid(1, 1)) : StyleOfNfc(level.nfc));
    QString key = QString("ls%1:%2").arg(listOverride).arg(listLevel);
    if (level.nfc != 23) {
        // "\\'05\\'00.\\'01." : a length, then text in which the bytes 0..8 stand for the
        // numbers of those levels; the higher levels' numbers go into the prefix.
        const QString text = level.text.mid(1, level.text.isEmpty() ? 0 : level.text[0].unicode());
        QString prefix, suffix;
        bool own = false;
        for (QChar c : text) {
            QString& target = own ? suffix : prefix;
            const int k = c.unicode();
            if (k >= 9) {
                target += c;
            } else if (k == at && !own) {
                own = true;
            } else if (k < 9) {
                const int nfc = def && std::size_t(k) < def->levels.size() ? def->levels[std::size_t(k)].nfc : 0;
                target += NumberInStyle(counters.value[k], StyleOfNfc(nfc));
            }
        }
        if (!own) {
            suffix = prefix; // no number of its own: the text alone
            prefix.clear();
        }
        format.setNumberPrefix(prefix);
        format.setNumberSuffix(suffix);
        // Under another number of a higher level the count starts again: another list.
        for (int k = 0; k < at; ++k)
            key += QString(":%1").arg(counters.value[k]);
        format = ListFormatStartingAt(format, level.start);
    }
    format.setIndent(listLevel + 1);
    return RtfListRef{key, format};
}

// The number of a paragraph with the older numbering group ("\\pn").
std::optional<RtfListRef> RtfParser::PnListOf(const ParaState& p)
{
    if (!p.pn.active)
        return std::nullopt;
    const PnState& pn = p.pn;
    const bool sameList = FPreviousHadPn && FPreviousPn.bullet == pn.bullet &&
                          FPreviousPn.style == pn.style;
    if (!sameList)
        ++FPnSequence;
    QTextListFormat format;
    format.setStyle(pn.bullet ? BulletStyleOf(pn.before) : pn.style);
    if (!pn.bullet) {
        format.setNumberPrefix(pn.before);
        format.setNumberSuffix(pn.after);
        format = ListFormatStartingAt(format, pn.start);
    }
    format.setIndent(pn.level + 1);
    return RtfListRef{QString("pn%1:%2").arg(FPnSequence).arg(pn.level), format};
}

// Paragraphs in lists of the list table are numbered once the whole document is read,
// with every table it holds: the writer puts the tables before the text, so the
// document loads back numbered the same.
void RtfParser::NumberFromListTables(std::deque<RtfItem>& items)
{
    for (RtfItem& item : items)
        NumberFromListTables(item);
}

void RtfParser::NumberFromListTables(RtfItem& item)
{
    if (auto* paragraph = std::get_if<RtfParagraph>(&item))
        NumberFromListTables(*paragraph);
    else
        NumberFromListTables(std::get<RtfTable>(item));
}

void RtfParser::NumberFromListTables(RtfTable& table)
{
    for (RtfTableRow& row : table.rows)
        for (RtfTableCell& cell : row.cells)
            for (RtfCellItem& item : cell.items) {
                if (item.table) NumberFromListTables(*item.table);
                else NumberFromListTables(item.paragraph);
            }
}

void RtfParser::NumberFromListTables(RtfParagraph& paragraph)
{
    QTextBlockFormat& f = paragraph.format;
    if (!f.hasProperty(kListOverrideProperty))
        return;
    const int listOverride = f.intProperty(kListOverrideProperty);
    if (FListOverrides.count(listOverride)) {
        paragraph.list = TableListOf(listOverride, f.intProperty(kListLevelProperty));
        f.setProperty(kListShownProperty, paragraph.list.has_value());
        return;
    }
    // Not in this document's table: an older numbering group numbers it, or else any
    // list but 0 counts as a plain numbered one.
    if (!paragraph.list && listOverride != 0)
        paragraph.list = TableListOf(listOverride, f.intProperty(kListLevelProperty));
    f.clearProperty(kListOverrideProperty);
    f.clearProperty(kListLevelProperty);
}

} // namespace RtfEngine::Reading
