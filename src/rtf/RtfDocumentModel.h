// What the reader makes of an RTF document before it goes into a QTextDocument:
// paragraphs of formatted runs, tables of such paragraphs, the pictures they show, and
// the parts the editor cannot show, kept as RTF source to be written back in place.
#pragma once
#include "rtf/RtfEngine.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>
#include <deque>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace RtfEngine {

struct RtfRun {
    QString text;           // empty for a picture; U+FFFC for a kept object
    QTextCharFormat format; // a QTextImageFormat for a picture
    QImage image;           // the picture, when this run is one
};

struct RtfListRef {
    QString key;            // paragraphs with the same key belong to one list
    QTextListFormat format;
};

struct RtfParagraph {
    QTextBlockFormat format;
    std::optional<RtfListRef> list;
    std::vector<RtfRun> runs;
    bool ended = false;     // closed by a paragraph mark (not the open tail of the document)
};

struct RtfTable;

// One edge of a cell as the document draws it.
struct RtfBorder {
    int widthTwips = 0;     // 0: no border
    QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_Solid;
    QColor colour;
};

struct RtfCellItem {
    RtfParagraph paragraph;
    std::shared_ptr<RtfTable> table; // set: this item is a nested table
};

struct RtfTableCell {
    std::vector<RtfCellItem> items;
    int rightTwips = 0;
    int horizontalMerge = 0; // 1 first of merged cells, 2 merged into the one before
    int verticalMerge = 0;   // 1 first of merged cells, 2 merged into the one above
    int verticalAlign = 0;   // 0 top, 1 centre, 2 bottom
    QColor shading;
    RtfBorder borders[4];    // top, left, bottom, right
    QByteArray words;        // the cell's definition as read, less its boundary and merge marks
};

struct RtfTableRow {
    std::vector<RtfTableCell> cells;
    int leftTwips = 0;
    int gapTwips = -1;       // half the space between cells (\trgaph), -1 unset
    int align = 0;           // 0 left, 1 right, 2 centre
    QByteArray words;        // the row's definition as read (\trowd excluded)
};

struct RtfTable {
    std::vector<RtfTableRow> rows;
};

// Document-wide parts, kept as source so a document that is opened and saved comes back
// to another word processor as it was.
struct RtfKeptParts {
    bool present = false;
    QByteArray fontTable;    // "{\fonttbl ...}"
    QStringList fontNames;   // "index;name" for each entry of the table
    int defaultFont = 0;
    QByteArray colourTable;  // "{\colortbl ...}"
    QStringList colours;     // each entry's "#rrggbb", or "" for the automatic colour
    QByteArray stylesheet;   // "{\stylesheet ...}"
    QByteArray listTable;    // "{\*\listtable ...}", every one in the document
    QByteArray listOverrides; // "{\*\listoverridetable ...}", likewise
    QByteArray info;         // "{\info ...}"
    QByteArray format;       // page setup, the first section's settings, headers and footers
};

// A paragraph or a table of the document's body.
using RtfItem = std::variant<RtfParagraph, RtfTable>;

struct RtfDocument {
    // A deque: its items never move, and a paragraph (its formats have no move) would be
    // copied whole each time a vector grew.
    std::deque<RtfItem> items;
    RtfKeptParts kept;
    bool bookmarks = false; // bookmark anchors were read
};

} // namespace RtfEngine
