#include "rtf/RtfReader.h"

#include "rtf/ListNumbers.h"
#include "rtf/RtfCodePage.h"
#include "rtf/RtfEngine.h"
#include "rtf/RtfField.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfTokenizer.h"

#include <QColor>
#include <QCryptographicHash>
#include <QTextOption>

#include <algorithm>
#include <climits>
#include <map>
#include <utility>

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

namespace {

enum class Dest {
    Body, Skip, FontTable, ColorTable, FieldInst, Pict, ListTable, List, ListLevel,
    LevelText, ListOverrideTable, ListOverride, PnDef, PnTextBefore, PnTextAfter,
    ShapeInst, ShapeProp, ShapePropName, Object
};

// Where a kept group's source goes.
enum class Keep { Format, Stylesheet, Info, Footnote, BookmarkStart, BookmarkEnd };

// Nested tables deeper than this are read as tables of that depth.
constexpr int kMaxTableDepth = 32;

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

// Paragraph words the editor keeps without showing them.
bool IsKeptParaWord(std::string_view w)
{
    static const std::string_view kWords[] = {"keep", "keepn", "outlinelevel", "widctlpar", "nowidctlpar", "hyphpar",
                                         "noline", "contextualspace", "shading", "cbpat", "cfpat", "box",
                                         "brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "nosnaplinegrid",
                                         "faauto", "aspalpha", "aspnum", "adjustright", "sbauto", "saauto"};
    for (std::string_view word : kWords)
        if (w == word)
            return true;
    return w.substr(0, 2) == "bg"; // shading patterns
}

// Words that describe a border once its edge is named.
bool IsBorderWord(std::string_view w) { return w.substr(0, 4) == "brdr" || w == "brsp"; }

// The name a bookmark's group gives: its text without its control words, read by the
// same tokenizer as the document.
QByteArray BookmarkNameOf(const QByteArray& source)
{
    RtfTokenizer tokens(std::string_view(source.constData(), std::size_t(source.size())));
    QByteArray name;
    for (RtfToken token = tokens.Next(); token.kind != RtfToken::End; token = tokens.Next()) {
        if (token.kind == RtfToken::Text)
            name.append(token.data.data(), qsizetype(token.data.size()));
        else if (token.kind == RtfToken::HexByte)
            name += char(token.byte);
        else if (token.kind == RtfToken::Symbol && token.symbol != '*' && token.symbol != '\n')
            name += token.symbol;
    }
    return name.trimmed();
}

QByteArray WordSource(std::string_view w, bool has, int param)
{
    QByteArray out = "\\";
    out.append(w.data(), qsizetype(w.size()));
    if (has)
        out += QByteArray::number(param);
    return out;
}

struct CharState {
    int font = -1; // -1: the default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    bool hidden = false, smallCaps = false, allCaps = false;
    int foreground = 0, background = 0; // colour table indexes, 0 = automatic
    int verticalAlign = 0;              // 1 superscript, 2 subscript
    int underlineKind = 0;              // index in kUnderlineWords, 0 plain "\ul"
    int lang = 0;
    bool operator==(const CharState&) const = default;
};

// Underline kinds; the toolkit draws some of them, all are written back.
const std::string_view kUnderlineWords[] = {"ul", "uldb", "ulth", "uld", "uldash", "uldashd", "uldashdd", "ulwave",
                                       "ulw", "ulhwave", "ululdbwave", "ulthd", "ulthdash", "ulthdashd",
                                       "ulthdashdd", "ulldash", "ulthldash"};

struct PnState {
    bool active = false;
    bool bullet = false;
    int level = 0;
    QTextListFormat::Style style = QTextListFormat::ListDecimal;
    int start = 1;
    QString before, after;
    bool operator==(const PnState&) const = default;
};

struct ParaState {
    int align = 0; // 0 left, 1 right, 2 centre, 3 justified
    int left = 0, right = 0, first = 0, before = 0, after = 0; // twips
    int lineSpacing = 0;
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs; // positions in twips until resolved
    QTextOption::TabType pendingTabType = QTextOption::LeftTab;
    int itap = 0; // table nesting level, 0 outside tables
    bool pageBreakBefore = false;
    int listOverride = 0, listLevel = 0;
    int style = -1;
    QByteArray kept; // words kept as source: borders, shading, keep with next …
    int shading = 0; // colour table index of the paragraph's background
    QVariantList leaders;
    QByteArray pendingLeader;
    PnState pn;
    bool operator==(const ParaState&) const = default;
};

// The definition of the row being read (\trowd … \cellx).
struct RowDef {
    std::vector<RtfTableCell> cells;
    RtfTableCell pending;
    int left = 0, gap = -1, align = 0;
    QByteArray words;
};

// A table being read at one nesting level.
struct TableLevel {
    RtfTable table;
    RtfTableRow row;
    RtfTableCell cell;
};

struct Group {
    Dest dest = Dest::Body;
    CharState chr;
    ParaState para;
    int unicodeSkip = 1;
    QString href;
    QVariantList linkSource; // the link's field as read, with its target (kLinkSourceProperty)
    QVariantList fields; // the fields whose result this group is in, outermost first
    bool starred = false; // "\*" seen: the next word names an optional destination
    bool nestProps = false; // inside "\nesttableprops": row words define the nested row
    std::size_t start = 0; // offset of the group's brace in the input
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

struct ListLevelDef {
    int nfc = 0;
    int start = 1;
    QString text;
};

struct ListDef {
    std::optional<int> id;
    std::vector<ListLevelDef> levels;
};

// A list table's lists and references as they are read. They count once the table's
// source is kept: a table that is not written back must not number the paragraphs.
struct ListTableRead {
    std::vector<ListDef> lists;
    std::vector<std::pair<int, int>> overrides; // "\ls" number, list id, in the order read
};

struct Picture {
    RtfPictureKind kind = RtfPictureKind::None;
    int width = 0, height = 0, goalWidth = 0, goalHeight = 0;
    int scaleX = 100, scaleY = 100;
    QByteArray data;
    int pendingNibble = -1;
};

struct Field {
    std::size_t depth = 0;
    QString instruction;
    std::size_t start = 0;   // offset of the field's group
    bool inBody = false;     // a group of its own in the body: kept as a field
    bool resultRead = false; // its first result is the one kept as the field's
    std::uint64_t contentAtStart = 0;
    // What the document had kept before it: a field kept whole gives back what was kept
    // from inside it, as its source carries that.
    qsizetype formatAtStart = 0, sectionAtStart = 0;
    RowDef rowDefAtStart, nestRowDefAtStart;
};

int HexNibble(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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

class RtfParser {
public:
    explicit RtfParser(std::string_view input) : FInput(input), FTokens(input) {}
    RtfDocument Run();

private:
    Group& Top() { return FGroups.back(); }
    void OpenGroup();
    bool CloseGroup(); // false when the outermost group closed
    void OnWord(const RtfToken& t);
    void OnSymbol(char symbol);
    void OnText(std::string_view bytes);
    void OnHexByte(unsigned char byte);
    void AppendTextBytes(std::string_view bytes, bool body);
    void OnBinary(std::string_view data);
    void OnUnicode(int value);
    void FlushBytes();
    void AppendText(const QString& text);
    QString* CollectTarget();
    int CodePage();
    void BeginSkip() { Top().dest = Dest::Skip; FSkipDepth = 1; }
    void BeginKeep(Keep kind);
    void GiveBackKeptWords(const Field& field);
    void OnKept(Keep kind, QByteArray source);
    void AppendKeptObject(QTextCharFormat format, const QByteArray& source, const QString& text);
    void OnFieldResult(Group& g, std::string_view word);
    QByteArray& FormatTarget() { return FSectionPending ? FSectionSource : FDocument.kept.format; }
    bool OnRowWord(std::string_view word, bool has, int param);
    void OnBorderWord(std::string_view word, bool has, int param);
    QByteArray& BorderTarget();
    void EnsureDepth(std::size_t depth);
    void CloseLevel();
    void Section();

    bool OnDestinationWord(std::string_view word);
    bool OpensItsGroup(std::string_view word) const;
    bool OnCharWord(std::string_view word, bool has, int param);
    bool OnParaWord(std::string_view word, bool has, int param);
    bool OnTableWord(std::string_view word, bool has, int param);
    bool OnSpecialCharWord(std::string_view word);
    void OnFontTableWord(std::string_view word, int param);
    void OnListWord(std::string_view word, int param);
    void OnPnWord(std::string_view word, bool has, int param);
    void OnPictWord(std::string_view word, bool has, int param);

    void FinishFontEntry();
    void KeepFontTable(QByteArray source);
    void KeepColourTable(QByteArray source);
    void FinishPicture();
    void PageBreak();
    void FinishParagraph(bool ended);
    void FinishCell(int level);
    void FinishRow(int level);
    void CloseTable();
    void FinishDocument();
    QTextCharFormat CurrentCharFormat();
    QTextBlockFormat BlockFormatOf(const ParaState& para) const;
    QTextBlockFormat MadeBlockFormat(const ParaState& para);
    std::optional<RtfListRef> PnListOf(const ParaState& para);
    std::optional<RtfListRef> TableListOf(int listOverride, int listLevel);
    void CommitListTable();
    void NumberFromListTables(std::deque<std::variant<RtfParagraph, RtfTable>>& items);
    void NumberFromListTables(RtfTable& table);
    void NumberFromListTables(RtfParagraph& paragraph);
    QColor ColourAt(int index) const;

    std::string_view FInput;
    RtfTokenizer FTokens;
    bool FKeeping = false;
    bool FTruncated = false;
    Keep FKeepKind = Keep::Format;
    std::size_t FKeepStart = 0;
    bool FPendingFootnoteNumber = false;
    int FFootnotes = 0, FEndnotes = 0;
    bool FSectionPending = false;
    QByteArray FSectionSource;
    RowDef FRowDef, FNestRowDef;
    enum class BorderEdge { None, Para, Row, Cell } FBorderEdge = BorderEdge::None;
    int FCellEdge = 0;
    std::vector<Group> FGroups;
    int FSkipDepth = 0;
    int FUnicodeSkipLeft = 0;
    int FAnsiCodePage = 1252;
    int FDefaultFont = 0;

    QByteArray FPendingBytes;
    RtfTextDecoder FDecoder;

    std::map<int, FontEntry> FFonts;
    int FCurrentFont = -1;
    std::vector<int> FTableFonts; // the fonts the table being read defines
    bool FTableHoldsTable = false; // the table being read holds another one
    std::vector<QColor> FColours;
    int FRed = -1, FGreen = -1, FBlue = -1;

    ListTableRead FListTableRead; // the list table being read
    std::vector<ListDef> FLists;
    std::map<int, std::size_t> FListById; // \listid -> index in FLists
    std::map<int, int> FListOverrides; // \ls number -> list id
    struct ListCounters {
        int value[9] = {};
        bool started[9] = {};
    };
    std::map<int, ListCounters> FCounters; // \ls number -> the numbers so far
    int FOverrideListId = 0;
    PnState FPnScratch;
    int FPnSequence = 0;
    bool FPreviousHadPn = false;
    PnState FPreviousPn;

    Picture FPicture;
    std::vector<Field> FFields;
    std::uint64_t FContent = 0; // body characters, pictures, objects and paragraphs read so far
    QString FShapePropName;
    int FShapeBox[4] = {}; // left, top, right, bottom in twips

    bool FPendingPageBreak = false;
    RtfParagraph FParagraph;
    bool FParagraphHasContent = false;
    std::vector<TableLevel> FLevels; // open tables, outermost first
    RtfDocument FDocument;

    // The formats made lately: text switches among a few ("{\\b bold} and {\\i italic}"),
    // and the same format object lets the document find its index by the hash it keeps.
    struct MadeFormat {
        int font;
        CharState chr;
        QString href;
        QVariantList linkSource;
        QVariantList fields;
        QTextCharFormat format;
    };
    static constexpr std::size_t kMadeFormats = 16;
    std::vector<MadeFormat> FMadeFormats;
    std::size_t FNextMadeFormat = 0;
    std::optional<std::pair<ParaState, QTextBlockFormat>> FMadeBlock; // paragraphs often repeat
};

RtfDocument RtfParser::Run()
{
    for (;;) {
        const RtfToken t = FTokens.Next();
        if (FGroups.empty() && t.kind != RtfToken::GroupOpen) {
            if (t.kind == RtfToken::End)
                break;
            continue; // white space before the document
        }
        if (t.kind != RtfToken::Text && t.kind != RtfToken::HexByte)
            FlushBytes();
        if (FSkipDepth > 0) {
            if (t.kind == RtfToken::GroupOpen) {
                if (int(FGroups.size()) + FSkipDepth >= kMaxGroupDepth)
                    throw ERtfError("RTF groups are nested too deeply");
                ++FSkipDepth;
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

void RtfParser::OpenGroup()
{
    if (int(FGroups.size()) >= kMaxGroupDepth)
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

// Page setup and row words read in the part of a field that is kept as source stay there.
void RtfParser::GiveBackKeptWords(const Field& field)
{
    if (FDocument.kept.format.size() > field.formatAtStart)
        FDocument.kept.format.truncate(field.formatAtStart);
    if (FSectionSource.size() > field.sectionAtStart)
        FSectionSource.truncate(field.sectionAtStart);
    FRowDef = field.rowDefAtStart;
    FNestRowDef = field.nestRowDefAtStart;
}

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

// Characters the document cannot hold as text: control characters other than the tab,
// a paragraph separator, and an object stand-in without its object. The writer writes
// none of them, so keeping them would change the text between a save and a reload.
bool IsNotText(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != '\t') || u == 0x2029 || u == QChar::ObjectReplacementCharacter;
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

// Cell boundaries beyond any page, so that an inch can be added to them.
constexpr int kMaxTwips = 1 << 24;

// Words that set how the whole document reads.
bool IsDocumentWord(std::string_view word)
{
    return word == "ansicpg" || word == "deff" || word == "pc" || word == "pca" || word == "mac";
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
        BeginSkip(); // an optional destination this reader does not know
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
    case Dest::Body: break;
    default:
        if (CollectTarget())
            OnSpecialCharWord(word);
        return;
    }
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
    }
}

// Whether the word is the first of its group ("{\\word" or "{\\*\\word"): only then is the
// group's source the destination alone.
bool RtfParser::OpensItsGroup(std::string_view word) const
{
    const std::size_t at = std::size_t(word.data() - FInput.data()) - 1; // its backslash
    const std::size_t start = FGroups.back().start;
    std::string_view before = FInput.substr(start + 1, at - start - 1);
    const auto trim = [&before] {
        while (!before.empty() && (before.front() == '\r' || before.front() == '\n'))
            before.remove_prefix(1);
    };
    trim();
    if (before.substr(0, 2) == "\\*") {
        before.remove_prefix(2);
        trim();
    }
    return before.empty();
}

bool RtfParser::OnDestinationWord(std::string_view w)
{
    Group& g = Top();
    if (g.dest == Dest::Skip)
        return true;
    struct KeptDestination { std::string_view word; Keep kind; };
    static const KeptDestination kKept[] = {
        {"stylesheet", Keep::Stylesheet}, {"info", Keep::Info}, {"footnote", Keep::Footnote},
        {"header", Keep::Format}, {"headerl", Keep::Format}, {"headerr", Keep::Format},
        {"headerf", Keep::Format}, {"footer", Keep::Format}, {"footerl", Keep::Format},
        {"footerr", Keep::Format}, {"footerf", Keep::Format}, {"pgdsctbl", Keep::Format},
        {"ftnsep", Keep::Format}, {"ftnsepc", Keep::Format}, {"aftnsep", Keep::Format},
        {"aftnsepc", Keep::Format}, {"ftncn", Keep::Format}, {"aftncn", Keep::Format},
        {"pnseclvl", Keep::Format}, {"bkmkstart", Keep::BookmarkStart}, {"bkmkend", Keep::BookmarkEnd}};
    for (const KeptDestination& kept : kKept) {
        if (w == kept.word) {
            // A document part inside a field goes with the field's source, which may be
            // kept whole; notes and bookmarks stand in the text, so the field is not.
            const bool part = kept.kind == Keep::Format || kept.kind == Keep::Stylesheet || kept.kind == Keep::Info;
            if (g.dest == Dest::Body && FGroups.size() > 1 && OpensItsGroup(w) && !(part && !FFields.empty()))
                BeginKeep(kept.kind);
            else
                BeginSkip();
            return true;
        }
    }
    if (w == "nesttableprops") { g.nestProps = true; return true; }
    static const std::string_view kSkipped[] = {
        "nonesttables", "annotation", "pntext", "listtext", "xe", "tc", "txe",
        "rxe", "nonshppict", "shprslt", "levelnumbers", "listname", "objdata", "objclass",
        "objname", "private", "filetbl", "revtbl", "rsidtbl", "generator", "template",
        "comment", "author", "title", "subject", "keywords", "doccomm", "operator", "buptim",
        "creatim", "revtim", "printim", "fldtype", "datafield",
        "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
        "mmathPr", "userprops", "picprop", "blipuid", "do", "atnid", "atnauthor", "atrfstart", "atrfend",
        "passwordhash", "protusertbl", "wgrffmtfilter", "fchars", "lchars"};
    for (std::string_view name : kSkipped) {
        if (w == name) {
            BeginSkip();
            return true;
        }
    }
    static const std::string_view kTables[] = {"fonttbl", "colortbl", "listtable", "listoverridetable"};
    if (std::find(std::begin(kTables), std::end(kTables), w) != std::end(kTables)) {
        if (g.dest != Dest::Body || !OpensItsGroup(w) || !FFields.empty()) {
            // Its source is kept whole: it must be a group of its own in the body, and the
            // table around it is not kept either, as the writer could not tell them apart.
            // Inside a field it goes with the field's source, which may be kept whole.
            FTableHoldsTable = g.dest != Dest::Body;
            BeginSkip();
            return true;
        }
        FTableHoldsTable = false;
    }
    if (w == "fonttbl") {
        g.dest = Dest::FontTable;
        FCurrentFont = -1;
        FTableFonts.clear();
        return true;
    }
    if (w == "colortbl") {
        g.dest = Dest::ColorTable;
        FRed = FGreen = FBlue = -1;
        FColours.clear(); // a table replaces the one before
        FMadeFormats.clear();
        FMadeBlock.reset();
        return true;
    }
    if (w == "field") {
        const bool inBody = g.dest == Dest::Body && FGroups.size() > 1 && OpensItsGroup(w);
        FFields.push_back({FGroups.size(), {}, g.start, inBody, false, FContent, FDocument.kept.format.size(),
                           FSectionSource.size(), FRowDef, FNestRowDef});
        return true;
    }
    if (w == "fldinst") {
        if (FFields.empty()) FFields.push_back({FGroups.size(), {}});
        g.dest = Dest::FieldInst;
        return true;
    }
    if (w == "fldrslt") {
        OnFieldResult(g, w);
        return true; // the result is read where the field stands: in the body, or not at all
    }
    if (w == "pict") {
        if (g.dest == Dest::Body || g.dest == Dest::ShapeInst) {
            g.dest = Dest::Pict;
            FPicture = {};
        } else {
            BeginSkip();
        }
        return true;
    }
    if (w == "shppict") return true; // the picture inside is read; its twin \nonshppict is skipped
    if (w == "shpinst") {
        g.dest = Dest::ShapeInst;
        std::fill(std::begin(FShapeBox), std::end(FShapeBox), 0);
        return true;
    }
    if (g.dest == Dest::ShapeInst || g.dest == Dest::ShapeProp) {
        if (w == "sp") { g.dest = Dest::ShapeProp; FShapePropName.clear(); return true; }
        if (w == "sn") { g.dest = Dest::ShapePropName; FShapePropName.clear(); return true; }
        if (w == "sv") {
            if (FShapePropName.trimmed() == "pib") g.dest = Dest::ShapeInst;
            else BeginSkip();
            return true;
        }
    }
    if (w == "object") {
        if (g.dest == Dest::Body) g.dest = Dest::Object;
        else BeginSkip();
        return true;
    }
    if (w == "result") { if (g.dest == Dest::Object) g.dest = Dest::Body; return true; }
    if (w == "listtable" || w == "listoverridetable") {
        g.dest = w == "listtable" ? Dest::ListTable : Dest::ListOverrideTable;
        FListTableRead = {};
        return true;
    }
    if (g.dest == Dest::ListTable && w == "list") {
        g.dest = Dest::List;
        FListTableRead.lists.emplace_back();
        return true;
    }
    if (g.dest == Dest::List && w == "listlevel") {
        g.dest = Dest::ListLevel;
        if (!FListTableRead.lists.empty()) FListTableRead.lists.back().levels.emplace_back();
        return true;
    }
    if (g.dest == Dest::ListLevel && w == "leveltext") { g.dest = Dest::LevelText; return true; }
    if (g.dest == Dest::ListOverrideTable && w == "listoverride") {
        g.dest = Dest::ListOverride;
        FOverrideListId = 0;
        return true;
    }
    if (w == "pn" && g.dest == Dest::Body) {
        g.dest = Dest::PnDef;
        FPnScratch = {};
        FPnScratch.active = true;
        return true;
    }
    if (g.dest == Dest::PnDef && (w == "pntxtb" || w == "pntxta")) {
        g.dest = w == "pntxtb" ? Dest::PnTextBefore : Dest::PnTextAfter;
        return true;
    }
    return false;
}

void RtfParser::OnFontTableWord(std::string_view w, int param)
{
    if (w == "f") {
        FinishFontEntry();
        FCurrentFont = param;
        FFonts[param] = {};
        FTableFonts.push_back(param);
        FMadeFormats.clear(); // formats made so far may name the font this number had
    } else if (FCurrentFont >= 0 && w == "fcharset") {
        FontEntry& font = FFonts[FCurrentFont];
        if (font.codePage == 0) font.codePage = CodePageOfCharset(param);
    } else if (FCurrentFont >= 0 && w == "cpg") {
        FFonts[FCurrentFont].codePage = param;
    } else {
        OnSpecialCharWord(w);
    }
}

// The table's source with the names it gives its numbers, as they are now: a later
// table may give a number another name, but this source is what is written back.
void RtfParser::KeepFontTable(QByteArray source)
{
    RtfKeptParts& kept = FDocument.kept;
    kept.fontTable = std::move(source);
    kept.fontNames.clear();
    for (int index : FTableFonts)
        kept.fontNames.append(QString::number(index) + ';' + FFonts[index].name);
}

void RtfParser::KeepColourTable(QByteArray source)
{
    RtfKeptParts& kept = FDocument.kept;
    kept.colourTable = std::move(source);
    kept.colours.clear();
    for (const QColor& colour : FColours)
        kept.colours.append(colour.isValid() ? colour.name() : QString());
}

void RtfParser::FinishFontEntry()
{
    if (FCurrentFont < 0)
        return;
    QString& name = FFonts[FCurrentFont].name;
    const qsizetype semicolon = name.indexOf(';');
    if (semicolon >= 0)
        name.truncate(semicolon);
    name.removeIf([](QChar c) { return c.unicode() < 0x20; });
    name = name.trimmed();
}

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

void RtfParser::OnPictWord(std::string_view w, bool has, int param)
{
    Picture& p = FPicture;
    if (w == "pngblip") p.kind = RtfPictureKind::Png;
    else if (w == "jpegblip") p.kind = RtfPictureKind::Jpeg;
    else if (w == "dibitmap") p.kind = RtfPictureKind::Dib;
    else if (w == "wmetafile" || w == "emfblip" || w == "macpict" || w == "pmmetafile" || w == "wbitmap")
        p.kind = RtfPictureKind::Other;
    else if (w == "picw") p.width = param;
    else if (w == "pich") p.height = param;
    else if (w == "picwgoal") p.goalWidth = param;
    else if (w == "pichgoal") p.goalHeight = param;
    else if (w == "picscalex" && has) p.scaleX = param;
    else if (w == "picscaley" && has) p.scaleY = param;
}

void RtfParser::FinishPicture()
{
    Picture p = std::move(FPicture);
    FPicture = {};
    const QImage image = DecodeRtfPicture(p.kind, p.data);
    if (image.isNull())
        return;
    const double scaleX = std::clamp(p.scaleX, 1, 10000) / 100.0;
    const double scaleY = std::clamp(p.scaleY, 1, 10000) / 100.0;
    int goalWidth = p.goalWidth, goalHeight = p.goalHeight;
    if (Top().dest == Dest::ShapeInst && FShapeBox[2] > FShapeBox[0] && FShapeBox[3] > FShapeBox[1]) {
        goalWidth = FShapeBox[2] - FShapeBox[0]; // a shape's picture fills the shape
        goalHeight = FShapeBox[3] - FShapeBox[1];
    }
    const double width = (goalWidth > 0 ? goalWidth / kTwipsPerUnit : image.width()) * scaleX;
    const double height = (goalHeight > 0 ? goalHeight / kTwipsPerUnit : image.height()) * scaleY;

    QTextImageFormat format;
    format.merge(CurrentCharFormat());
    const QByteArray digest = QCryptographicHash::hash(p.data, QCryptographicHash::Sha1).toHex();
    format.setName("rtfimage:" + QString::fromLatin1(digest));
    format.setWidth(width);
    format.setHeight(height);
    FParagraph.runs.push_back({{}, format, image});
    FParagraphHasContent = true;
    ++FContent;
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

bool RtfParser::OnCharWord(std::string_view w, bool has, int param)
{
    CharState& c = Top().chr;
    const bool on = !has || param != 0;
    if (w == "plain") c = {};
    else if (w == "b") c.bold = on;
    else if (w == "i") c.italic = on;
    else if (w == "ulnone") c.underline = false;
    else if (w.substr(0, 2) == "ul" && w != "ulc") {
        c.underline = on;
        c.underlineKind = 0;
        for (std::size_t i = 0; i < std::size(kUnderlineWords); ++i)
            if (w == kUnderlineWords[i]) c.underlineKind = int(i);
    }
    else if (w == "lang") c.lang = std::max(0, param);
    else if (w == "strike" || w == "striked") c.strike = on;
    else if (w == "v") c.hidden = on;
    else if (w == "scaps") c.smallCaps = on;
    else if (w == "caps") c.allCaps = on;
    else if (w == "f") c.font = param;
    else if (w == "fs") c.halfPoints = has && param > 0 ? std::min(param, 3276) : 24;
    else if (w == "cf") c.foreground = param;
    else if (w == "cb" || w == "highlight" || w == "chcbpat") c.background = param;
    else if (w == "super") c.verticalAlign = on ? 1 : 0;
    else if (w == "sub") c.verticalAlign = on ? 2 : 0;
    else if (w == "nosupersub") c.verticalAlign = 0;
    else if (w == "up") c.verticalAlign = (!has || param > 0) ? 1 : 0;
    else if (w == "dn") c.verticalAlign = (!has || param > 0) ? 2 : 0;
    else return false;
    return true;
}

bool RtfParser::OnParaWord(std::string_view w, bool has, int param)
{
    ParaState& p = Top().para;
    if (w == "pard") p = {};
    else if (w == "par") FinishParagraph(true);
    else if (w == "page") PageBreak();
    else if (w == "column") FinishParagraph(true);
    else if (w == "ql") p.align = 0;
    else if (w == "qr") p.align = 1;
    else if (w == "qc") p.align = 2;
    else if (w == "qj" || w == "qd") p.align = 3;
    else if (w == "li" || w == "lin") p.left = param;
    else if (w == "ri" || w == "rin") p.right = param;
    else if (w == "fi") p.first = param;
    else if (w == "sb") p.before = param;
    else if (w == "sa") p.after = param;
    else if (w == "sl") p.lineSpacing = param;
    else if (w == "slmult") p.lineMultiple = param != 0;
    else if (w == "tqr") p.pendingTabType = QTextOption::RightTab;
    else if (w == "tqc") p.pendingTabType = QTextOption::CenterTab;
    else if (w == "tqdec") p.pendingTabType = QTextOption::DelimiterTab;
    else if (w == "tldot" || w == "tlhyph" || w == "tlul" || w == "tlth" || w == "tleq" || w == "tlmdot")
        p.pendingLeader = QByteArray(w.data(), qsizetype(w.size()));
    else if (w == "tx" || w == "tb") {
        QTextOption::Tab tab(param, w == "tb" ? QTextOption::LeftTab : p.pendingTabType,
                             p.pendingTabType == QTextOption::DelimiterTab ? QChar('.') : QChar());
        p.tabs.append(tab);
        p.pendingTabType = QTextOption::LeftTab;
        if (!p.pendingLeader.isEmpty())
            p.leaders << param << p.pendingLeader;
        p.pendingLeader.clear();
    }
    else if (w == "intbl") p.itap = std::max(p.itap, 1);
    else if (w == "itap") p.itap = has ? std::clamp(param, 0, kMaxTableDepth) : 1;
    else if (w == "s") p.style = param;
    else if (IsKeptParaWord(w)) {
        p.kept += WordSource(w, has, param);
        if (w == "cbpat") p.shading = param;
        if (w.substr(0, 4) == "brdr" || w == "box") FBorderEdge = BorderEdge::Para;
    }
    else if (w == "pagebb") p.pageBreakBefore = !has || param != 0;
    else if (w == "ls") p.listOverride = param;
    else if (w == "ilvl") p.listLevel = std::clamp(param, 0, 8);
    else return false;
    return true;
}


QColor RtfParser::ColourAt(int index) const
{
    if (index <= 0 || index >= int(FColours.size()))
        return {};
    return FColours[std::size_t(index)];
}

QTextCharFormat RtfParser::CurrentCharFormat()
{
    const Group& g = Top();
    const int font = g.chr.font < 0 ? FDefaultFont : g.chr.font;
    for (const MadeFormat& made : FMadeFormats)
        if (made.font == font && made.chr == g.chr && made.href == g.href && made.fields == g.fields &&
            made.linkSource == g.linkSource)
            return made.format;
    QTextCharFormat f;
    auto found = FFonts.find(font);
    if (found == FFonts.end())
        found = FFonts.find(FDefaultFont);
    if (found != FFonts.end() && !found->second.name.isEmpty()) {
        f.setFontFamilies(QStringList{found->second.name});
    }
    f.setFontPointSize(g.chr.halfPoints / 2.0);
    f.setFontWeight(g.chr.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(g.chr.italic);
    f.setFontUnderline(g.chr.underline);
    if (g.chr.underline && g.chr.underlineKind > 0) {
        const std::string_view w = kUnderlineWords[g.chr.underlineKind];
        f.setProperty(kUnderlineWordProperty, QByteArray(w.data(), qsizetype(w.size())));
        if (w == "uld" || w == "ulthd") f.setUnderlineStyle(QTextCharFormat::DotLine);
        else if (w == "uldash" || w == "ulthdash" || w == "ulldash" || w == "ulthldash") f.setUnderlineStyle(QTextCharFormat::DashUnderline);
        else if (w == "uldashd" || w == "ulthdashd") f.setUnderlineStyle(QTextCharFormat::DashDotLine);
        else if (w == "uldashdd" || w == "ulthdashdd") f.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
        else if (w == "ulwave" || w == "ulhwave" || w == "ululdbwave") f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    }
    if (g.chr.lang > 0) f.setProperty(kLangProperty, g.chr.lang);
    f.setFontStrikeOut(g.chr.strike);
    if (g.chr.smallCaps) f.setFontCapitalization(QFont::SmallCaps);
    else if (g.chr.allCaps) f.setFontCapitalization(QFont::AllUppercase);
    if (QColor fg = ColourAt(g.chr.foreground); fg.isValid()) f.setForeground(fg);
    if (QColor bg = ColourAt(g.chr.background); bg.isValid()) f.setBackground(bg);
    if (g.chr.verticalAlign == 1) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (g.chr.verticalAlign == 2) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (g.chr.hidden) f.setProperty(kHiddenTextProperty, true);
    if (!g.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(g.href);
        if (!g.linkSource.isEmpty())
            f.setProperty(kLinkSourceProperty, g.linkSource);
    }
    if (!g.fields.isEmpty())
        f.setProperty(kFieldsProperty, g.fields);
    MadeFormat made{font, g.chr, g.href, g.linkSource, g.fields, f};
    if (FMadeFormats.size() < kMadeFormats)
        FMadeFormats.push_back(std::move(made));
    else
        FMadeFormats[FNextMadeFormat++ % kMadeFormats] = std::move(made);
    return f;
}

QTextBlockFormat RtfParser::MadeBlockFormat(const ParaState& p)
{
    if (!FMadeBlock || !(FMadeBlock->first == p))
        FMadeBlock.emplace(p, BlockFormatOf(p));
    return FMadeBlock->second;
}

QTextBlockFormat RtfParser::BlockFormatOf(const ParaState& p) const
{
    QTextBlockFormat f;
    static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    f.setAlignment(kAlign[p.align]);
    f.setLeftMargin(p.left / kTwipsPerUnit);
    f.setRightMargin(p.right / kTwipsPerUnit);
    f.setTextIndent(p.first / kTwipsPerUnit);
    f.setTopMargin(p.before / kTwipsPerUnit);
    f.setBottomMargin(p.after / kTwipsPerUnit);
    if (!p.tabs.isEmpty()) {
        QList<QTextOption::Tab> tabs = p.tabs;
        for (QTextOption::Tab& tab : tabs)
            tab.position /= kTwipsPerUnit;
        f.setTabPositions(tabs);
    }
    if (p.style >= 0) f.setProperty(kStyleProperty, p.style);
    if (!p.kept.isEmpty()) f.setProperty(kParaKeptProperty, p.kept);
    if (!p.leaders.isEmpty()) f.setProperty(kTabLeadersProperty, p.leaders);
    if (QColor shade = ColourAt(p.shading); shade.isValid()) f.setBackground(shade);
    if (p.lineSpacing > 0 && p.lineMultiple) {
        if (p.lineSpacing != 240)
            f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    } else if (p.lineSpacing > 0) {
        f.setLineHeight(p.lineSpacing / kTwipsPerUnit, QTextBlockFormat::MinimumHeight);
    } else if (p.lineSpacing < 0) {
        f.setLineHeight(-p.lineSpacing / kTwipsPerUnit, QTextBlockFormat::FixedHeight);
    }
    return f;
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
void RtfParser::NumberFromListTables(std::deque<std::variant<RtfParagraph, RtfTable>>& items)
{
    for (auto& item : items) {
        if (auto* paragraph = std::get_if<RtfParagraph>(&item))
            NumberFromListTables(*paragraph);
        else
            NumberFromListTables(std::get<RtfTable>(item));
    }
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
    paragraph.list = TableListOf(listOverride, f.intProperty(kListLevelProperty));
    if (FListOverrides.count(listOverride)) {
        f.setProperty(kListShownProperty, paragraph.list.has_value());
    } else {
        f.clearProperty(kListOverrideProperty); // not in this document's table
        f.clearProperty(kListLevelProperty);
    }
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

void RtfParser::BeginKeep(Keep kind)
{
    BeginSkip();
    FKeeping = true;
    FKeepKind = kind;
    FKeepStart = Top().start;
}

void RtfParser::OnKept(Keep kind, QByteArray source)
{
    switch (kind) {
    case Keep::Format: FormatTarget() += source; return;
    case Keep::Stylesheet: FDocument.kept.stylesheet = std::move(source); return;
    case Keep::Info: FDocument.kept.info = std::move(source); return;
    case Keep::Footnote: case Keep::BookmarkStart: case Keep::BookmarkEnd: break;
    }
    QTextCharFormat f = CurrentCharFormat();
    if (kind != Keep::Footnote) {
        FDocument.bookmarks = true;
        f.setProperty(kind == Keep::BookmarkStart ? kBookmarkStartProperty : kBookmarkEndProperty,
                      BookmarkNameOf(source));
        AppendKeptObject(f, source, {});
        return;
    }
    const bool endnote = source.contains("\\ftnalt");
    QString text;
    if (std::exchange(FPendingFootnoteNumber, false)) {
        if (endnote) {
            static const char* const kRoman[] = {"i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix", "x"};
            ++FEndnotes;
            text = FEndnotes <= 10 ? QString(kRoman[FEndnotes - 1]) : QString::number(FEndnotes);
        } else {
            text = QString::number(++FFootnotes);
        }
        f.setProperty(kKeptAutoNumberProperty, true);
    }
    AppendKeptObject(f, source, text);
}

void RtfParser::AppendKeptObject(QTextCharFormat format, const QByteArray& source, const QString& text)
{
    format.setObjectType(kKeptObjectType);
    format.setProperty(kKeptSourceProperty, source);
    format.setProperty(kKeptTextProperty, text);
    FParagraph.runs.push_back({QString(QChar::ObjectReplacementCharacter), format, {}});
    FParagraphHasContent = true;
    ++FContent;
}

// A hyperlink's result is a link; another body field's first result carries the field,
// when it is a group of the field's own (only then is the source before it balanced)
// and nothing of the field was shown before it.
void RtfParser::OnFieldResult(Group& g, std::string_view word)
{
    if (FFields.empty())
        return;
    Field& field = FFields.back();
    const QString href = HyperlinkTarget(field.instruction);
    // Text shown before the result would be written twice: as text and in the source.
    const bool keeps = field.inBody && !field.resultRead && g.dest == Dest::Body &&
                       field.depth + 1 == FGroups.size() && FContent == field.contentAtStart && OpensItsGroup(word);
    const QByteArray source = keeps ? QByteArray(FInput.data() + field.start, qsizetype(g.start - field.start))
                                    : QByteArray();
    if (keeps)
        GiveBackKeptWords(field); // what was read so far goes back with that source
    if (!href.isEmpty()) {
        g.href = href;
        g.linkSource = keeps ? QVariantList{href, source} : QVariantList();
        return;
    }
    if (!keeps)
        return;
    field.resultRead = true;
    g.fields.append(source);
}


QByteArray& RtfParser::BorderTarget()
{
    RowDef& def = Top().nestProps ? FNestRowDef : FRowDef;
    switch (FBorderEdge) {
    case BorderEdge::Row: return def.words;
    case BorderEdge::Cell: return def.pending.words;
    default: return Top().para.kept;
    }
}

void RtfParser::OnBorderWord(std::string_view w, bool has, int param)
{
    BorderTarget() += WordSource(w, has, param);
    if (FBorderEdge != BorderEdge::Cell)
        return;
    RtfBorder& b = (Top().nestProps ? FNestRowDef : FRowDef).pending.borders[FCellEdge];
    struct Style { std::string_view word; QTextFrameFormat::BorderStyle style; };
    static const Style kStyles[] = {
        {"brdrs", QTextFrameFormat::BorderStyle_Solid}, {"brdrth", QTextFrameFormat::BorderStyle_Solid},
        {"brdrsh", QTextFrameFormat::BorderStyle_Solid}, {"brdrhair", QTextFrameFormat::BorderStyle_Solid},
        {"brdrdb", QTextFrameFormat::BorderStyle_Double}, {"brdrdot", QTextFrameFormat::BorderStyle_Dotted},
        {"brdrdash", QTextFrameFormat::BorderStyle_Dashed}, {"brdrdashsm", QTextFrameFormat::BorderStyle_Dashed},
        {"brdrdashd", QTextFrameFormat::BorderStyle_DotDash}, {"brdrdashdd", QTextFrameFormat::BorderStyle_DotDotDash},
        {"brdrinset", QTextFrameFormat::BorderStyle_Inset}, {"brdroutset", QTextFrameFormat::BorderStyle_Outset},
        {"brdrengrave", QTextFrameFormat::BorderStyle_Groove}, {"brdremboss", QTextFrameFormat::BorderStyle_Ridge}};
    if (w == "brdrw") {
        b.widthTwips = std::clamp(param, 0, 1000);
    } else if (w == "brdrcf") {
        b.colour = ColourAt(param);
    } else if (w == "brdrnone" || w == "brdrnil" || w == "brdrtbl") {
        b.widthTwips = 0;
    } else {
        for (const Style& s : kStyles)
            if (w == s.word) b.style = s.style;
    }
}

bool RtfParser::OnRowWord(std::string_view w, bool has, int param)
{
    RowDef& def = Top().nestProps ? FNestRowDef : FRowDef;
    RtfTableCell& cell = def.pending;
    if (w == "trowd") {
        def = {};
        FBorderEdge = BorderEdge::None;
    } else if (w == "cellx") {
        cell.rightTwips = std::clamp(param, -kMaxTwips, kMaxTwips);
        def.cells.push_back(std::move(cell));
        cell = {};
        FBorderEdge = BorderEdge::None;
    } else if (w == "clmgf") {
        cell.horizontalMerge = 1;
    } else if (w == "clmrg") {
        cell.horizontalMerge = 2;
    } else if (w == "clvmgf") {
        cell.verticalMerge = 1;
    } else if (w == "clvmrg") {
        cell.verticalMerge = 2;
    } else if (w.substr(0, 2) == "cl") {
        cell.words += WordSource(w, has, param);
        static const std::string_view kEdges[] = {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"};
        for (int e = 0; e < 4; ++e) {
            if (w == kEdges[e]) {
                FBorderEdge = BorderEdge::Cell;
                FCellEdge = e;
                cell.borders[e] = {15, QTextFrameFormat::BorderStyle_Solid, {}};
            }
        }
        if (w == "clvertalt") cell.verticalAlign = 0;
        else if (w == "clvertalc") cell.verticalAlign = 1;
        else if (w == "clvertalb") cell.verticalAlign = 2;
        else if (w == "clcbpat") cell.shading = ColourAt(param);
    } else if (w.substr(0, 2) == "tr" || w.substr(0, 3) == "tbl" || w == "ltrrow" || w == "rtlrow" ||
               w == "lastrow" || w == "taprtl") {
        def.words += WordSource(w, has, param);
        if (w == "trleft") def.left = std::clamp(param, -kMaxTwips, kMaxTwips);
        else if (w == "trgaph") def.gap = param;
        else if (w == "trql") def.align = 0;
        else if (w == "trqr") def.align = 1;
        else if (w == "trqc") def.align = 2;
        else if (w.substr(0, 6) == "trbrdr") FBorderEdge = BorderEdge::Row;
    } else {
        return false;
    }
    return true;
}

bool RtfParser::OnTableWord(std::string_view w, bool has, int param)
{
    const int depth = Top().para.itap;
    if (w == "cell") FinishCell(1);
    else if (w == "nestcell") FinishCell(std::clamp(depth, 2, kMaxTableDepth));
    else if (w == "row") FinishRow(1);
    else if (w == "nestrow") FinishRow(std::clamp(depth, 2, kMaxTableDepth));
    else return OnRowWord(w, has, param);
    return true;
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
    if (p.listOverride > 0) {
        // Numbered at the end (NumberFromListTables); the list and level wait here.
        paragraph.format.setProperty(kListOverrideProperty, p.listOverride);
        paragraph.format.setProperty(kListLevelProperty, p.listLevel);
    } else {
        paragraph.list = PnListOf(p);
    }
    FPreviousHadPn = p.pn.active && p.listOverride <= 0;
    FPreviousPn = p.pn;
    const std::size_t depth = std::size_t(std::clamp(p.itap, 0, kMaxTableDepth));
    EnsureDepth(depth);
    if (depth == 0)
        FDocument.items.emplace_back(std::move(paragraph));
    else
        FLevels[depth - 1].cell.items.push_back({std::move(paragraph), nullptr});
}

// Opens or closes tables until `depth` are open.
void RtfParser::EnsureDepth(std::size_t depth)
{
    while (FLevels.size() > depth)
        CloseLevel();
    while (FLevels.size() < depth)
        FLevels.emplace_back();
}

void RtfParser::FinishCell(int level)
{
    ParaState& p = Top().para;
    p.itap = level;
    FinishParagraph(true);
    TableLevel& t = FLevels[std::size_t(level - 1)];
    t.row.cells.push_back(std::move(t.cell));
    t.cell = {};
}

void RtfParser::FinishRow(int level)
{
    if (FParagraphHasContent)
        FinishCell(level);
    EnsureDepth(std::size_t(level));
    TableLevel& t = FLevels[std::size_t(level - 1)];
    if (!t.cell.items.empty()) {
        t.row.cells.push_back(std::move(t.cell));
        t.cell = {};
    }
    if (t.row.cells.empty())
        return;
    const RowDef& def = level > 1 ? FNestRowDef : FRowDef;
    RtfTableRow& row = t.row;
    int right = def.left;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        RtfTableCell& cell = row.cells[i];
        if (i < def.cells.size()) {
            std::vector<RtfCellItem> items = std::move(cell.items);
            cell = def.cells[i];
            cell.items = std::move(items);
        }
        if (cell.rightTwips <= right) // no usable boundary: an inch
            cell.rightTwips = int(std::min<qint64>(qint64(right) + 1440, INT_MAX));
        right = cell.rightTwips;
    }
    row.leftTwips = def.left;
    row.gapTwips = def.gap;
    row.align = def.align;
    row.words = def.words;
    t.table.rows.push_back(std::move(row));
    row = {};
}

// Ends the innermost open table; it goes into the cell around it or into the document.
void RtfParser::CloseLevel()
{
    TableLevel& t = FLevels.back();
    if (!t.cell.items.empty()) {
        t.row.cells.push_back(std::move(t.cell));
        t.cell = {};
    }
    if (!t.row.cells.empty()) {
        const int level = int(FLevels.size());
        FinishRow(level);
    }
    RtfTable table = std::move(FLevels.back().table);
    FLevels.pop_back();
    if (table.rows.empty())
        return;
    if (FLevels.empty())
        FDocument.items.emplace_back(std::move(table));
    else
        FLevels.back().cell.items.push_back({{}, std::make_shared<RtfTable>(std::move(table))});
}

void RtfParser::CloseTable()
{
    EnsureDepth(0);
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

} // namespace

RtfDocument ParseRtf(std::string_view bytes)
{
    if (!LooksLikeRtf(bytes))
        throw ENotRtf();
    RtfParser parser(bytes);
    return parser.Run();
}

} // namespace RtfEngine
