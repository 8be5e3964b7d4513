// The RTF engine of the rich edit control: a reader from RTF into a QTextDocument
// and a writer back. QTextDocument is the one document model between them.
#pragma once
#include <QByteArray>
#include <stdexcept>
#include <string>

class QTextCursor;
class QTextDocument;

namespace RtfEngine {

// The input does not start like an RTF document; the control then retries as plain text.
class ENotRtf : public std::runtime_error {
public:
    ENotRtf() : std::runtime_error("not an RTF document") {}
};

// RTF that cannot be read (for example nesting beyond the reader's limit).
class ERtfError : public std::runtime_error { using std::runtime_error::runtime_error; };

// The plain subset (PlainRTF): text, tabs, line breaks ("\line") and paragraph breaks
// only. Reading it inserts the text in the document's default character and paragraph
// format; fonts, sizes, bold/italic/underline, colours, indents, lists, page breaks and
// pictures are dropped, table cells become tab-separated text with one paragraph per row,
// and links keep only their shown text. Writing it emits one font (the document's
// default) at the default size, no colour or list table, no "\pard" properties.
//
// Units: block margins, indents, tab positions and image sizes are document units of
// 1/96 inch (1 unit = 15 twips = 0.75 point); font sizes are points. Hidden text ("\v")
// carries the character property kHiddenTextProperty (the toolkit has no such attribute).
// A page break is the block format's PageBreak_AlwaysBefore; a line break is U+2028.
constexpr int kHiddenTextProperty = 0x100000 /* QTextFormat::UserProperty */ + 0x52;
constexpr double kTwipsPerUnit = 15.0;

// What the editor cannot show is kept as RTF source and written back in place.
// Document-wide parts sit in the root frame's format (QByteArray unless noted):
constexpr int kDocFontTableProperty = 0x100000 + 0x60;
constexpr int kDocFontNamesProperty = 0x100000 + 0x61;   // QStringList "index;name"
constexpr int kDocDefaultFontProperty = 0x100000 + 0x62; // int
constexpr int kDocColourTableProperty = 0x100000 + 0x63;
constexpr int kDocColoursProperty = 0x100000 + 0x64;     // QStringList "#rrggbb" or ""
constexpr int kDocStylesheetProperty = 0x100000 + 0x65;
constexpr int kDocListTablesProperty = 0x100000 + 0x66;
constexpr int kDocInfoProperty = 0x100000 + 0x67;
constexpr int kDocFormatProperty = 0x100000 + 0x68;      // page setup, headers, footers
constexpr int kDocListOverridesProperty = 0x100000 + 0x69;
// Paragraphs (block format):
constexpr int kStyleProperty = 0x100000 + 0x70;          // int: stylesheet entry ("\s")
constexpr int kParaKeptProperty = 0x100000 + 0x71;       // borders, shading, keep … as read
constexpr int kSectionProperty = 0x100000 + 0x72;        // the section this paragraph starts
constexpr int kListOverrideProperty = 0x100000 + 0x73;   // int "\ls" of the kept list table
constexpr int kListLevelProperty = 0x100000 + 0x74;      // int "\ilvl"
constexpr int kListShownProperty = 0x100000 + 0x75;      // bool: the level shows a number
constexpr int kTabLeadersProperty = 0x100000 + 0x76;     // QVariantList: twips, leader word …
// Lists (list format) that start at another number than 1, see ListNumbers.h:
constexpr int kListStartProperty = 0x100000 + 0x77;      // int: the first number
constexpr int kListNumberStyleProperty = 0x100000 + 0x78; // int: the QTextListFormat::Style
// Characters:
constexpr int kLangProperty = 0x100000 + 0x80;           // int "\lang"
constexpr int kUnderlineWordProperty = 0x100000 + 0x81;  // QByteArray: "uldb", "ulw" …
// An inline object that stands for kept source (a footnote, a field without a result, a
// bookmark's start or end): U+FFFC with this object type, its source, the text shown for
// it and whether "\chftn" numbers it.
constexpr int kKeptObjectType = 0x1000 /* QTextFormat::UserObject */ + 0x52;
constexpr int kKeptSourceProperty = 0x100000 + 0x90;
constexpr int kKeptTextProperty = 0x100000 + 0x91;
constexpr int kKeptAutoNumberProperty = 0x100000 + 0x92;
constexpr int kBookmarkStartProperty = 0x100000 + 0x93;  // QByteArray: the name it starts
constexpr int kBookmarkEndProperty = 0x100000 + 0x94;    // QByteArray: the name it ends
// A field's result is text the user edits; its characters carry the fields they stand in,
// outermost first, each as its source up to its result ("{\field…{\*\fldinst …}").
// Hyperlinks stay anchors (AnchorHref) and are written innermost; a link read from a field
// keeps that field's source with the target it gave, written again while the target holds.
constexpr int kFieldsProperty = 0x100000 + 0x95;         // QVariantList of QByteArray
constexpr int kLinkSourceProperty = 0x100000 + 0x96;     // QVariantList: QString target, QByteArray source
// Tables: each row's definition in the table format, each cell's in its cell format.
constexpr int kTableRowsProperty = 0x100000 + 0xA0;      // QVariantList of QByteArray
constexpr int kCellKeptProperty = 0x100000 + 0xA1;
constexpr int kCellAbsentProperty = 0x100000 + 0xA2;     // bool: a row ends before this cell
constexpr int kTableLeftProperty = 0x100000 + 0xA3;      // int: twips left of the first cell

struct ReadOptions {
    bool plain = false; // keep only the plain subset (the control's PlainRTF)
};

struct WriteOptions {
    bool plain = false;          // write only the plain subset (PlainRTF)
    bool includeObjects = true;  // false for the "no objects" output format
};

// Inserts the document held in `rtf` at the cursor, replacing its selection, as one
// undoable edit. Throws ENotRtf or ERtfError; on either the document is unchanged.
// Every "\par" is a paragraph break, except that the document's last one adds no empty
// paragraph when nothing follows the cursor, so a saved document loads back unchanged.
// A paragraph without its mark that lands in a line of text keeps that line's format.
void ReadRtf(const QByteArray& rtf, QTextCursor& cursor, const ReadOptions& options = {});

// The RTF of the characters [start, end) of the document (end < 0: to the end, the last
// paragraph's mark included): "{\rtf1\ansi\ansicpg1252…" with font and colour tables.
// Each paragraph mark in the range is "\par" + CR LF. Runs of identical formatting are
// written as one and text lines are never broken, so a typed marker such as «@12» stays
// contiguous; no other control word starting with "par" is written except "\pard",
// which comes only where a paragraph's properties change.
QByteArray WriteRtf(const QTextDocument& document, int start = 0, int end = -1,
                    const WriteOptions& options = {});

} // namespace RtfEngine
