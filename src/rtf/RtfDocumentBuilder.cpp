#include "rtf/RtfDocumentBuilder.h"

#include "rtf/RtfEngine.h"
#include "rtf/RtfKeptObject.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfTokenizer.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <optional>

#include <algorithm>
#include <map>
#include <string_view>

namespace RtfEngine {
namespace {

// Cell padding in twips (left, top, right, bottom; -1 unset) as a row's or a cell's
// definition gives it. A value counts only with its unit word saying twips (3). A cell's
// left and top words are swapped, as the word processors that write them swap them.
struct CellPadding {
    int edge[4] = {-1, -1, -1, -1};
};

void ReadPadding(const QByteArray& words, bool cell, CellPadding& padding)
{
    static constexpr std::string_view kRowWords[4] = {"trpaddl", "trpaddt", "trpaddr", "trpaddb"};
    static constexpr std::string_view kRowUnits[4] = {"trpaddfl", "trpaddft", "trpaddfr", "trpaddfb"};
    static constexpr std::string_view kCellWords[4] = {"clpadt", "clpadl", "clpadr", "clpadb"};
    static constexpr std::string_view kCellUnits[4] = {"clpadft", "clpadfl", "clpadfr", "clpadfb"};
    const auto& names = cell ? kCellWords : kRowWords;
    const auto& units = cell ? kCellUnits : kRowUnits;
    int value[4] = {-1, -1, -1, -1};
    bool twips[4] = {false, false, false, false};
    RtfTokenizer tokens(std::string_view(words.constData(), std::size_t(words.size())));
    for (RtfToken token = tokens.Next(); token.kind != RtfToken::End; token = tokens.Next()) {
        if (token.kind != RtfToken::Word || !token.hasParam)
            continue;
        for (int i = 0; i < 4; ++i) {
            if (token.word == names[i]) value[i] = std::clamp(token.param, 0, 31680);
            else if (token.word == units[i]) twips[i] = token.param == 3;
        }
    }
    for (int i = 0; i < 4; ++i)
        if (value[i] >= 0 && twips[i])
            padding.edge[i] = value[i];
}

// No picture is laid out larger than the largest paper (22 inches a side): a declared
// size beyond it shrinks, keeping its shape, so absurd sizes cannot swamp the layout.
QTextImageFormat BoundedPicture(QTextImageFormat image)
{
    constexpr qreal kLargest = 22 * 1440 / kTwipsPerUnit;
    const qreal w = image.width(), h = image.height();
    const qreal scale = std::min({1.0, w > 0 ? kLargest / w : 1.0, h > 0 ? kLargest / h : 1.0});
    if (scale < 1.0) {
        image.setWidth(w * scale);
        image.setHeight(h * scale);
    }
    return image;
}

class Builder {
public:
    Builder(QTextCursor& cursor, bool plain) : FCursor(cursor), FPlain(plain) {}

    // Before the first item: what the insertion point holds.
    void Begin()
    {
        FTargetFormat = FCursor.blockFormat();
        FTextBefore = !FCursor.atBlockStart();
        FTextAfter = !FCursor.atBlockEnd();
        FTailFollows = !FCursor.atEnd();
    }

    void Add(const RtfItem& item)
    {
        if (const auto* paragraph = std::get_if<RtfParagraph>(&item)) {
            InsertParagraph(*paragraph);
            FLastEndsParagraph = paragraph->ended;
        } else {
            InsertTable(std::get<RtfTable>(item));
            FLastEndsParagraph = false;
        }
    }

    void End()
    {
        // The final paragraph mark splits the paragraph it was inserted into; at the end
        // of the document it is the document's own end.
        if (FLastEndsParagraph && FTailFollows)
            FCursor.insertBlock(FTargetFormat, FCursor.charFormat());
    }

private:
    void InsertParagraph(const RtfParagraph& paragraph)
    {
        // Without its paragraph mark, a paragraph that joins text already in the block
        // (a word pasted into a line) keeps that block's format.
        const bool joinsText = !paragraph.ended && (FNeedBreak ? FTextAfter : FTextBefore || FTextAfter);
        const QTextBlockFormat format = FPlain ? QTextBlockFormat() : joinsText ? FTargetFormat : paragraph.format;
        if (FNeedBreak)
            FCursor.insertBlock(format, FPlain ? QTextCharFormat() : FirstCharFormat(paragraph));
        else if (!FPlain && !joinsText)
            FCursor.setBlockFormat(format);
        FNeedBreak = paragraph.ended;
        InsertRuns(paragraph.runs);
        if (!FPlain && !joinsText && paragraph.list)
            JoinList(*paragraph.list);
    }

    static QTextCharFormat FirstCharFormat(const RtfParagraph& paragraph)
    {
        for (const RtfRun& run : paragraph.runs)
            if (run.image.isNull())
                return run.format;
        return {};
    }

    void InsertRuns(const std::vector<RtfRun>& runs)
    {
        for (const RtfRun& run : runs) {
            if (run.format.objectType() == kKeptObjectType) {
                if (FPlain)
                    continue;
                if (!FKeptRegistered)
                    RegisterKeptObjects(FCursor.document());
                FKeptRegistered = true;
                FCursor.insertText(run.text, run.format);
            } else if (run.image.isNull()) {
                FCursor.insertText(run.text, FPlain ? QTextCharFormat() : run.format);
            } else if (!FPlain) {
                QTextImageFormat image = BoundedPicture(run.format.toImageFormat());
                FCursor.document()->addResource(QTextDocument::ImageResource, QUrl(image.name()), run.image);
                FCursor.insertImage(image);
            }
        }
    }

    void JoinList(const RtfListRef& ref)
    {
        auto found = FLists.find(ref.key);
        if (found != FLists.end() && found->second) {
            found->second->add(FCursor.block());
        } else {
            FLists[ref.key] = FCursor.createList(ref.format);
        }
    }

    // A cell of the table grid: the grid columns [from, to) of a row.
    struct Span {
        int from = 0, to = 0;
        const RtfTableCell* cell = nullptr;
        int rowSpan = 1;
        Span* owner = nullptr; // merged into the cell above
    };

    void InsertTable(const RtfTable& table)
    {
        if (FPlain) {
            InsertTableAsText(table);
            return;
        }
        // The grid's columns lie between every cell boundary of every row, so rows with
        // unequal cells keep their cells where the document puts them.
        std::vector<int> bounds;
        for (const RtfTableRow& row : table.rows) {
            bounds.push_back(row.leftTwips);
            for (const RtfTableCell& cell : row.cells)
                bounds.push_back(cell.rightTwips);
        }
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
        const int columns = int(bounds.size()) - 1;
        if (columns <= 0 || table.rows.empty())
            return;
        const auto column = [&bounds](int x) {
            return int(std::lower_bound(bounds.begin(), bounds.end(), x) - bounds.begin());
        };
        std::vector<std::vector<Span>> rows(table.rows.size());
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            int left = table.rows[r].leftTwips;
            for (const RtfTableCell& cell : table.rows[r].cells) {
                if (cell.horizontalMerge == 2 && !rows[r].empty())
                    rows[r].back().to = column(cell.rightTwips);
                else if (column(cell.rightTwips) > column(left))
                    rows[r].push_back({column(left), column(cell.rightTwips), &cell});
                left = std::max(left, cell.rightTwips);
            }
            if (r == 0)
                continue;
            for (Span& span : rows[r]) {
                if (span.cell->verticalMerge != 2)
                    continue;
                for (Span& above : rows[r - 1]) {
                    if (above.from != span.from)
                        continue;
                    Span* owner = above.owner ? above.owner : &above;
                    ++owner->rowSpan;
                    span.owner = owner;
                    span.from = owner->from;
                    span.to = owner->to;
                    break;
                }
            }
        }

        const RtfTableRow& first = table.rows.front();
        QTextTableFormat format;
        format.setBorder(0);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(0);
        QList<QTextLength> widths;
        for (int c = 0; c < columns; ++c)
            widths.append(QTextLength(QTextLength::FixedLength, (bounds[std::size_t(c) + 1] - bounds[std::size_t(c)]) / kTwipsPerUnit));
        format.setColumnWidthConstraints(widths);
        if (first.align == 2) format.setAlignment(Qt::AlignHCenter);
        else if (first.align == 1) format.setAlignment(Qt::AlignRight);
        else if (bounds.front() > 0) format.setLeftMargin(bounds.front() / kTwipsPerUnit);
        format.setProperty(kTableLeftProperty, bounds.front());
        QVariantList rowWords;
        for (const RtfTableRow& row : table.rows)
            rowWords.append(row.words);
        format.setProperty(kTableRowsProperty, rowWords);
        QTextTable* qtable = FCursor.insertTable(int(table.rows.size()), columns, format);

        std::vector<std::vector<bool>> used(table.rows.size(), std::vector<bool>(std::size_t(columns), false));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (const Span& span : rows[r]) {
                for (int c = span.from; c < span.to; ++c)
                    used[r][std::size_t(c)] = true;
                if (span.owner)
                    continue;
                if (span.rowSpan > 1 || span.to - span.from > 1)
                    qtable->mergeCells(int(r), span.from, span.rowSpan, span.to - span.from);
            }
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < columns; ++c) {
                if (used[r][std::size_t(c)])
                    continue;
                QTextTableCell cell = qtable->cellAt(int(r), c);
                if (cell.row() != int(r) || cell.column() != c)
                    continue;
                QTextTableCellFormat absent = cell.format().toTableCellFormat();
                absent.setProperty(kCellAbsentProperty, true);
                cell.setFormat(absent);
            }
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const int gap = table.rows[r].gapTwips >= 0 ? table.rows[r].gapTwips : 108;
            for (const Span& span : rows[r]) {
                if (span.owner)
                    continue;
                QTextTableCell qcell = qtable->cellAt(int(r), span.from);
                CellPadding padding;
                ReadPadding(table.rows[r].words, false, padding);
                ReadPadding(span.cell->words, true, padding);
                qcell.setFormat(CellFormat(qcell.format().toTableCellFormat(), *span.cell, gap, padding));
                FCursor = qcell.firstCursorPosition();
                FNeedBreak = false;
                for (const RtfCellItem& item : span.cell->items) {
                    if (item.table) {
                        InsertTable(*item.table);
                    } else {
                        RtfParagraph inCell = item.paragraph;
                        inCell.ended = true;
                        InsertParagraph(inCell);
                    }
                }
            }
        }
        FCursor = qtable->lastCursorPosition();
        FCursor.movePosition(QTextCursor::NextCharacter);
        FNeedBreak = false;
    }

    static QTextTableCellFormat CellFormat(QTextTableCellFormat f, const RtfTableCell& cell, int gapTwips,
                                           const CellPadding& padding)
    {
        const RtfBorder& top = cell.borders[0];
        const RtfBorder& left = cell.borders[1];
        const RtfBorder& bottom = cell.borders[2];
        const RtfBorder& right = cell.borders[3];
        const auto brush = [](const RtfBorder& b) { return QBrush(b.colour.isValid() ? b.colour : QColor(Qt::black)); };
        f.setTopBorder(top.widthTwips / kTwipsPerUnit);
        f.setTopBorderStyle(top.widthTwips ? top.style : QTextFrameFormat::BorderStyle_None);
        f.setTopBorderBrush(brush(top));
        f.setLeftBorder(left.widthTwips / kTwipsPerUnit);
        f.setLeftBorderStyle(left.widthTwips ? left.style : QTextFrameFormat::BorderStyle_None);
        f.setLeftBorderBrush(brush(left));
        f.setBottomBorder(bottom.widthTwips / kTwipsPerUnit);
        f.setBottomBorderStyle(bottom.widthTwips ? bottom.style : QTextFrameFormat::BorderStyle_None);
        f.setBottomBorderBrush(brush(bottom));
        f.setRightBorder(right.widthTwips / kTwipsPerUnit);
        f.setRightBorderStyle(right.widthTwips ? right.style : QTextFrameFormat::BorderStyle_None);
        f.setRightBorderBrush(brush(right));
        if (cell.shading.isValid())
            f.setBackground(cell.shading);
        if (cell.verticalAlign == 1) f.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        else if (cell.verticalAlign == 2) f.setVerticalAlignment(QTextCharFormat::AlignBottom);
        // The space between cells (half of it each side) unless the row or cell says otherwise.
        const auto pad = [&padding](int edge, int fallback) {
            return (padding.edge[edge] >= 0 ? padding.edge[edge] : fallback) / kTwipsPerUnit;
        };
        f.setLeftPadding(pad(0, gapTwips));
        f.setTopPadding(pad(1, 0));
        f.setRightPadding(pad(2, gapTwips));
        f.setBottomPadding(pad(3, 0));
        if (!cell.words.isEmpty())
            f.setProperty(kCellKeptProperty, cell.words);
        return f;
    }

    void InsertTableAsText(const RtfTable& table)
    {
        for (const RtfTableRow& row : table.rows) {
            if (FNeedBreak)
                FCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                if (c > 0)
                    FCursor.insertText("\t", QTextCharFormat());
                InsertCellAsText(row.cells[c]);
            }
            FNeedBreak = true;
        }
    }

    void InsertCellAsText(const RtfTableCell& cell)
    {
        bool first = true;
        for (const RtfCellItem& item : cell.items) {
            if (!first)
                FCursor.insertText(" ", QTextCharFormat());
            first = false;
            if (!item.table) {
                InsertRuns(item.paragraph.runs);
                continue;
            }
            for (const RtfTableRow& row : item.table->rows)
                for (const RtfTableCell& inner : row.cells)
                    InsertCellAsText(inner);
        }
    }

    QTextCursor& FCursor;
    bool FPlain;
    bool FNeedBreak = false;
    QTextBlockFormat FTargetFormat; // the block the insertion started in, as it was
    bool FTextBefore = false, FTextAfter = false;
    bool FTailFollows = false;
    bool FLastEndsParagraph = false;
    std::map<QString, QTextList*> FLists;
    bool FKeptRegistered = false;
};

} // namespace

void InsertRtfDocument(const RtfDocument& document, QTextCursor& cursor, bool plain)
{
    Builder builder(cursor, plain);
    builder.Begin();
    for (const RtfItem& item : document.items)
        builder.Add(item);
    builder.End();
}

// The document-wide parts go with the document when it is read whole; text pasted into a
// document keeps that document's own.
static void KeepDocumentParts(const RtfKeptParts& kept, QTextDocument& document, bool whole)
{
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    if (!whole && (!kept.present || root.hasProperty(kDocFontTableProperty)))
        return;
    const auto set = [&root](int property, const auto& value) {
        if (value.isEmpty()) root.clearProperty(property);
        else root.setProperty(property, value);
    };
    set(kDocFontTableProperty, kept.fontTable);
    set(kDocFontNamesProperty, kept.fontTable.isEmpty() ? QStringList() : kept.fontNames);
    if (kept.fontTable.isEmpty()) root.clearProperty(kDocDefaultFontProperty);
    else root.setProperty(kDocDefaultFontProperty, kept.defaultFont);
    set(kDocColourTableProperty, kept.colourTable);
    set(kDocColoursProperty, kept.colourTable.isEmpty() ? QStringList() : kept.colours);
    set(kDocStylesheetProperty, kept.stylesheet);
    set(kDocListTablesProperty, kept.listTable);
    set(kDocListOverridesProperty, kept.listOverrides);
    set(kDocInfoProperty, kept.info);
    set(kDocFormatProperty, kept.format);
    document.rootFrame()->setFrameFormat(root);
}

// A whole document (into an empty one) goes in as it is read, so a long one is never
// held twice; text pasted into a document is read first (ReadRtf), so a failure leaves it
// as it was. Here a failure empties the document again.
static RtfDocument InsertAsRead(std::string_view rtf, QTextCursor& cursor, bool plain)
{
    const QTextBlockFormat emptyBlock = cursor.blockFormat();
    const QTextCharFormat emptyChars = cursor.blockCharFormat();
    Builder builder(cursor, plain);
    builder.Begin();
    try {
        RtfDocument rest = ParseRtf(rtf, [&builder](RtfItem&& item) { builder.Add(item); });
        for (const RtfItem& item : rest.items)
            builder.Add(item);
        builder.End();
        return rest;
    } catch (...) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        cursor.setBlockFormat(emptyBlock);
        cursor.setBlockCharFormat(emptyChars);
        cursor.endEditBlock();
        throw;
    }
}

void ReadRtf(const QByteArray& rtf, QTextCursor& cursor, const ReadOptions& options)
{
    const std::string_view bytes(rtf.constData(), std::size_t(rtf.size()));
    std::optional<RtfDocument> readFirst;
    if (cursor.document()->characterCount() > 1 || cursor.hasSelection())
        readFirst.emplace(ParseRtf(bytes)); // a failure leaves the document untouched
    else if (!LooksLikeRtf(bytes))
        throw ENotRtf();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const bool whole = cursor.document()->characterCount() <= 1;
    const int from = cursor.position();
    if (readFirst)
        InsertRtfDocument(*readFirst, cursor, options.plain);
    const RtfDocument read = readFirst ? std::move(*readFirst) : InsertAsRead(bytes, cursor, options.plain);
    if (!options.plain)
        KeepDocumentParts(read.kept, *cursor.document(), whole);
    if (read.bookmarks && !options.plain)
        DropUnpairedBookmarkAnchors(cursor, from, cursor.position());
    cursor.endEditBlock();
}

} // namespace RtfEngine
