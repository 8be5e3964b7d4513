// The RTF reader's parser: its state while reading and the class that reads. Private to
// the reader's files (RtfRead*.cpp); the rest of the program uses RtfReader.h.
#pragma once
#include "rtf/RtfCodePage.h"
#include "rtf/RtfDocumentModel.h"
#include "rtf/RtfEngine.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfTokenizer.h"

#include <QColor>
#include <QTextOption>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace RtfEngine::Reading {

enum class Dest {
    Body, Skip, FontTable, ColorTable, FieldInst, Pict, ListTable, List, ListLevel,
    LevelText, ListOverrideTable, ListOverride, PnDef, PnTextBefore, PnTextAfter,
    ShapeInst, ShapeProp, ShapePropName, Object
};

// Where a kept group's source goes.
enum class Keep { Format, Stylesheet, Info, Footnote, BookmarkStart, BookmarkEnd };

// Nested tables deeper than this are read as tables of that depth.
constexpr int kMaxTableDepth = 32;

// The word with its number as it stands in the source ("\\li720").
QByteArray WordSource(std::string_view w, bool has, int param);

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
    int listOverride = -1, listLevel = 0; // "\\ls": -1 none (0 is a list like any other)
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
    int bitsPerPixel = 1, widthBytes = 0; // a device-dependent bitmap's ("\\wbitmap")
    QByteArray words; // the words that describe the data, written back with it
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
class RtfParser {
public:
    explicit RtfParser(std::string_view input) : FInput(input), FTokens(input) {}
    // Items are handed to `take` once the reader is past the last list table (which
    // numbers paragraphs read before it).
    void HandOverItems(const std::function<void(RtfItem&&)>& take);
    RtfDocument Run();

private:
    Group& Top() { return FGroups.back(); }
    void OpenGroup();
    bool CloseGroup(); // false when the outermost group closed
    void OnWord(const RtfToken& t);
    bool OnBodyWord(const RtfToken& t);
    bool CompletesLeadByte(const RtfToken& t);
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
    void AddItem(RtfItem&& item);
    QTextCharFormat CurrentCharFormat();
    QTextBlockFormat BlockFormatOf(const ParaState& para) const;
    QTextBlockFormat MadeBlockFormat(const ParaState& para);
    std::optional<RtfListRef> PnListOf(const ParaState& para);
    std::optional<RtfListRef> TableListOf(int listOverride, int listLevel);
    void CommitListTable();
    void NumberFromListTables(std::deque<RtfItem>& items);
    void NumberFromListTables(RtfItem& item);
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
    std::int64_t FSkipDepth = 0;
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
    const std::function<void(RtfItem&&)>* FTake = nullptr;
    std::size_t FTakeFrom = 0; // input offset past which items may be handed over

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

} // namespace RtfEngine::Reading
