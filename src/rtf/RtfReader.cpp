#include "rtf/RtfParser.h"

#include <algorithm>

namespace RtfEngine {

bool LooksLikeRtf(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                                bytes[i] == '\n' || bytes[i] == '\f'))
        ++i;
    if (bytes.substr(i, 5) != "{\\rtf")
        return false;
    // "\rtf" must be the whole control word ("{\rtfx" is some other text).
    const char next = i + 5 < bytes.size() ? bytes[i + 5] : ' ';
    return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'));
}
namespace Reading {

namespace {

// Control words of page setup and section settings: kept as source, not shown.
bool IsFormatWord(std::string_view w)
{
    static const std::string_view kPrefixes[] = {"marg", "pgw", "pgh", "pgn", "pgbrdr", "sect", "sbk", "sftn", "saftn",
                                            "ftn", "aftn", "paper", "view", "hyph", "deflang", "adeflang", "lndscp",
                                            "gutter", "cols", "colno", "colw", "colsr", "linemod", "linex", "linestart",
                                            "linerestart", "lineppage", "linecont"};
    for (std::string_view prefix : kPrefixes)
        if (w.substr(0, prefix.size()) == prefix)
            return true;
    static const std::string_view kWords[] = {"deftab", "landscape", "facingp", "titlepg", "formshade", "headery",
                                         "footery", "endnhere", "aenddoc", "aendnotes", "enddoc", "endnotes",
                                         "linebetcol", "vertalt", "vertalc", "vertalb", "vertalj", "rtlsect",
                                         "ltrsect", "margmirror", "fet", "psz", "horzdoc", "vertdoc", "jexpand",
                                         "nolnhtadjtbl", "dntblnsbdb", "noxlattoyen", "expshrtn", "widowctrl",
                                         "splytwnine", "ftnlytwnine", "htmautsp", "useltbaln", "alntblind",
                                         "lytcalctblwd", "lyttblrtgr", "lnbrkrule", "nobrkwrptbl", "snaptogridincell",
                                         "allowfieldendsel", "wrppunct", "asianbrkrule", "newtblstyruls",
                                         "nogrowautofit", "noqfpromote", "dgmargin", "dghspace", "dgvspace",
                                         "dghorigin", "dgvorigin", "dghshow", "dgvshow", "pgbrdrhead", "pgbrdrfoot"};
    for (std::string_view word : kWords)
        if (w == word)
            return true;
    return false;
}

// Words that describe a border once its edge is named.
bool IsBorderWord(std::string_view w) { return w.substr(0, 4) == "brdr" || w == "brsp"; }

// Words that set how the whole document reads.
bool IsDocumentWord(std::string_view word)
{
    return word == "ansicpg" || word == "deff" || word == "pc" || word == "pca" || word == "mac";
}

} // namespace

QByteArray WordSource(std::string_view w, bool has, int param)
{
    QByteArray out = "\\";
    out.append(w.data(), qsizetype(w.size()));
    if (has)
        out += QByteArray::number(param);
    return out;
}

RtfDocument RtfParser::Run()
{
    for (;;) {
        const RtfToken t = FTokens.Next();
        if (FGroups.empty() && t.kind != RtfToken::GroupOpen) {
            if (t.kind == RtfToken::End)
                break;
            continue; // white space before the document
        }
        if (t.kind != RtfToken::Text && t.kind != RtfToken::HexByte && !CompletesLeadByte(t))
            FlushBytes();
        if (FSkipDepth > 0) {
            if (t.kind == RtfToken::GroupOpen) {
                ++FSkipDepth; // a count only: groups in a skipped destination cost nothing
                continue;
            }
            if (t.kind == RtfToken::GroupClose && --FSkipDepth == 0) {
                const bool keeping = std::exchange(FKeeping, false);
                const std::size_t start = FKeepStart;
                const bool more = CloseGroup();
                if (keeping)
                    OnKept(FKeepKind, QByteArray(FInput.data() + start, qsizetype(FTokens.Position() - start)));
                if (!more)
                    break;
                continue;
            }
            if (t.kind == RtfToken::End)
                break;
            continue;
        }
        switch (t.kind) {
        case RtfToken::End: FinishDocument(); return std::move(FDocument);
        case RtfToken::GroupOpen: OpenGroup(); continue;
        case RtfToken::GroupClose:
            if (!CloseGroup()) {
                FinishDocument();
                return std::move(FDocument);
            }
            continue;
        case RtfToken::Word: OnWord(t); break;
        case RtfToken::Symbol: OnSymbol(t.symbol); break;
        case RtfToken::Text: OnText(t.data); break;
        case RtfToken::HexByte: OnHexByte(t.byte); break;
        case RtfToken::Binary: OnBinary(t.data); break;
        }
    }
    FinishDocument();
    return std::move(FDocument);
}

// An escaped backslash or brace right after the first byte of a two-byte character is
// its second byte: the pair is decoded together.
bool RtfParser::CompletesLeadByte(const RtfToken& t)
{
    return t.kind == RtfToken::Symbol && (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}') &&
           EndsInLeadByte(FPendingBytes, CodePage());
}

void RtfParser::OpenGroup()
{
    if (FGroups.size() >= std::size_t(MaxGroupDepth()))
        throw ERtfError("RTF groups are nested too deeply");
    FUnicodeSkipLeft = 0;
    const std::size_t start = FTokens.Position() - 1;
    if (FGroups.empty()) {
        FGroups.emplace_back();
        FGroups.back().start = start;
        return;
    }
    Group inner = Top();
    inner.starred = false;
    inner.start = start;
    FGroups.push_back(std::move(inner));
}

bool RtfParser::CloseGroup()
{
    FUnicodeSkipLeft = 0;
    if (FGroups.size() <= 1)
        return false; // the document's own group stays for the last paragraph's properties
    const Group closed = std::move(FGroups.back());
    FGroups.pop_back();
    const Dest parent = Top().dest;
    const auto source = [&] {
        return QByteArray(FInput.data() + closed.start, qsizetype(FTokens.Position() - closed.start));
    };
    if (closed.dest == Dest::FontTable)
        FinishFontEntry();
    if (parent == Dest::Body && !FTruncated && !FTableHoldsTable) {
        if (closed.dest == Dest::FontTable) KeepFontTable(source());
        else if (closed.dest == Dest::ColorTable) KeepColourTable(source());
        else if (closed.dest == Dest::ListTable || closed.dest == Dest::ListOverrideTable) {
            (closed.dest == Dest::ListTable ? FDocument.kept.listTable : FDocument.kept.listOverrides) += source();
            CommitListTable();
        }
    }
    if (closed.dest == Dest::Pict && parent != Dest::Pict)
        FinishPicture();
    if (closed.dest == Dest::PnDef && parent != Dest::PnDef)
        Top().para.pn = FPnScratch;
    if (!FFields.empty() && FFields.back().depth > FGroups.size()) {
        const Field field = std::move(FFields.back());
        FFields.pop_back();
        if (field.inBody && field.start == closed.start && parent == Dest::Body && !FTruncated &&
            FContent == field.contentAtStart) {
            GiveBackKeptWords(field);
            AppendKeptObject(CurrentCharFormat(), source(), {}); // it showed nothing: kept whole
        }
    }
    return true;
}

void RtfParser::OnWord(const RtfToken& t)
{
    const std::string_view word = t.word;
    Group& g = Top();
    if (word == "u" && t.hasParam) {
        if (g.dest != Dest::Skip)
            OnUnicode(t.param);
        return;
    }
    if (FUnicodeSkipLeft > 0) {
        --FUnicodeSkipLeft;
        return;
    }
    if (word == "uc") {
        g.unicodeSkip = std::clamp(t.hasParam ? t.param : 1, 0, 64);
        return;
    }
    const bool starred = g.starred;
    g.starred = false;
    if (OnDestinationWord(word))
        return;
    if (starred) {
        // A word this reader knows is read as itself ("{\\*\\cs7 text}"); only an optional
        // destination it does not know is skipped.
        if (g.dest != Dest::Body || !OnBodyWord(t))
            BeginSkip();
        return;
    }
    switch (g.dest) {
    case Dest::FontTable: OnFontTableWord(word, t.param); return;
    case Dest::ColorTable:
        if (word == "red") FRed = std::clamp(t.param, 0, 255);
        else if (word == "green") FGreen = std::clamp(t.param, 0, 255);
        else if (word == "blue") FBlue = std::clamp(t.param, 0, 255);
        return;
    case Dest::ListTable: case Dest::List: case Dest::ListLevel:
    case Dest::ListOverrideTable: case Dest::ListOverride:
        OnListWord(word, t.param);
        return;
    case Dest::PnDef: OnPnWord(word, t.hasParam, t.param); return;
    case Dest::Pict: OnPictWord(word, t.hasParam, t.param); return;
    case Dest::ShapeInst:
        // The shape's box: the size its picture is shown at.
        if (word == "shpleft") FShapeBox[0] = t.param;
        else if (word == "shptop") FShapeBox[1] = t.param;
        else if (word == "shpright") FShapeBox[2] = t.param;
        else if (word == "shpbottom") FShapeBox[3] = t.param;
        return;
    case Dest::Body: OnBodyWord(t); return;
    default:
        if (CollectTarget())
            OnSpecialCharWord(word);
        return;
    }
}

// A word of the body; false when this reader does not know it.
bool RtfParser::OnBodyWord(const RtfToken& t)
{
    const std::string_view word = t.word;
    if (!FFields.empty() && IsDocumentWord(word)) {
        // Inside a field it stays in the field's source, which would set it again where
        // the field is written back.
    } else if (word == "ansicpg") {
        if (t.param > 0) FAnsiCodePage = t.param;
    } else if (word == "deff") {
        FDefaultFont = t.param;
    } else if (word == "pc") {
        FAnsiCodePage = 437;
    } else if (word == "pca") {
        FAnsiCodePage = 850;
    } else if (word == "mac") {
        FAnsiCodePage = 10000;
    } else if (word == "chftn") {
        FPendingFootnoteNumber = true;
    } else if (word == "sect") {
        Section();
    } else if (!OnSpecialCharWord(word) && !OnCharWord(word, t.hasParam, t.param) &&
               !OnParaWord(word, t.hasParam, t.param) && !OnTableWord(word, t.hasParam, t.param)) {
        // Rarer words last: the common ones above are found without these lists.
        if (IsBorderWord(word))
            OnBorderWord(word, t.hasParam, t.param);
        else if (IsFormatWord(word))
            FormatTarget() += WordSource(word, t.hasParam, t.param);
        else
            return false;
    }
    return true;
}

void RtfParser::PageBreak()
{
    if (FParagraphHasContent)
        FinishParagraph(true);
    FPendingPageBreak = true;
}

// "\sect": the next paragraph starts a section; its settings and headers follow.
void RtfParser::Section()
{
    if (FParagraphHasContent)
        FinishParagraph(true);
    FSectionPending = true;
    FSectionSource.clear();
}

void RtfParser::FinishParagraph(bool ended)
{
    const ParaState& p = Top().para;
    RtfParagraph paragraph = std::move(FParagraph);
    FParagraph = {};
    FParagraphHasContent = false;
    FPendingFootnoteNumber = false;
    ++FContent;
    paragraph.ended = ended;
    paragraph.format = MadeBlockFormat(p);
    if (p.pageBreakBefore || FPendingPageBreak)
        paragraph.format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    FPendingPageBreak = false;
    if (FSectionPending && p.itap == 0) {
        paragraph.format.setProperty(kSectionProperty, FSectionSource);
        FSectionPending = false;
        FSectionSource.clear();
    }
    // An older numbering group gives the number unless the list table (read at the end,
    // NumberFromListTables) names the paragraph's list.
    paragraph.list = PnListOf(p);
    if (p.listOverride >= 0) {
        paragraph.format.setProperty(kListOverrideProperty, p.listOverride);
        paragraph.format.setProperty(kListLevelProperty, p.listLevel);
    }
    FPreviousHadPn = p.pn.active;
    FPreviousPn = p.pn;
    const std::size_t depth = std::size_t(std::clamp(p.itap, 0, kMaxTableDepth));
    EnsureDepth(depth);
    if (depth == 0)
        AddItem(std::move(paragraph));
    else
        FLevels[depth - 1].cell.items.push_back({std::move(paragraph), nullptr});
}

void RtfParser::HandOverItems(const std::function<void(RtfItem&&)>& take)
{
    FTake = &take;
    const std::size_t listTable = FInput.rfind("\\listtable");
    const std::size_t overrides = FInput.rfind("\\listoverridetable");
    FTakeFrom = std::max(listTable == std::string_view::npos ? 0 : listTable,
                         overrides == std::string_view::npos ? 0 : overrides);
}

void RtfParser::AddItem(RtfItem&& item)
{
    FDocument.items.emplace_back(std::move(item));
    if (!FTake || FTokens.Position() <= FTakeFrom)
        return;
    for (RtfItem& ready : FDocument.items) {
        NumberFromListTables(ready);
        (*FTake)(std::move(ready));
    }
    FDocument.items.clear();
}

void RtfParser::FinishDocument()
{
    if (FGroups.empty())
        FGroups.emplace_back(); // nothing was opened; keep Top() valid
    while (FGroups.size() > 1 && FGroups.back().dest != Dest::Body) {
        // Truncated input: close the open destinations so their content is taken in.
        FSkipDepth = 0;
        FKeeping = false;
        FTruncated = true; // what is cut off is not kept: its source would be unbalanced
        CloseGroup();
    }
    FlushBytes();
    if (Top().dest == Dest::Body && FParagraphHasContent) {
        if (Top().para.itap > 0)
            FinishRow(std::clamp(Top().para.itap, 1, kMaxTableDepth));
        else
            FinishParagraph(false);
    }
    CloseTable();
    NumberFromListTables(FDocument.items);
    RtfKeptParts& kept = FDocument.kept;
    kept.defaultFont = FDefaultFont;
    kept.present = !kept.fontTable.isEmpty() || !kept.stylesheet.isEmpty() || !kept.format.isEmpty() ||
                   !kept.listTable.isEmpty() || !kept.listOverrides.isEmpty() || !kept.info.isEmpty();
}

} // namespace Reading

int MaxGroupDepth()
{
    constexpr std::size_t kGroupMemory = std::size_t(64) << 20;
    return int(kGroupMemory / sizeof(Reading::Group));
}

RtfDocument ParseRtf(std::string_view bytes)
{
    return ParseRtf(bytes, nullptr);
}

RtfDocument ParseRtf(std::string_view bytes, const std::function<void(RtfItem&&)>& take)
{
    if (!LooksLikeRtf(bytes))
        throw ENotRtf();
    Reading::RtfParser parser(bytes);
    if (take)
        parser.HandOverItems(take);
    return parser.Run();
}

} // namespace RtfEngine
