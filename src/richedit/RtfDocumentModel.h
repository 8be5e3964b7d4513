// What the reader makes of an RTF document before it goes into a QTextDocument:
// paragraphs of formatted runs, tables of such paragraphs and the pictures they show.
#pragma once
#include "richedit/RtfEngine.h"

#include <QImage>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>
#include <optional>
#include <variant>
#include <vector>

namespace RtfEngine {

struct RtfRun {
    QString text;           // empty for a picture
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

struct RtfTableCell {
    std::vector<RtfParagraph> paragraphs;
};

struct RtfTableRow {
    std::vector<RtfTableCell> cells;
    std::vector<int> cellRightTwips; // right boundary of each cell
    int leftTwips = 0;
};

struct RtfTable {
    std::vector<RtfTableRow> rows;
};

struct RtfDocument {
    std::vector<std::variant<RtfParagraph, RtfTable>> items;
};

} // namespace RtfEngine
