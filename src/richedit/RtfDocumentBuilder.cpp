#include "richedit/RtfDocumentBuilder.h"

#include "richedit/RtfEngine.h"
#include "richedit/RtfReader.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <map>

namespace RtfEngine {
namespace {

class Builder {
public:
    Builder(QTextCursor& cursor, bool plain) : FCursor(cursor), FPlain(plain) {}

    void Insert(const RtfDocument& document)
    {
        FTargetFormat = FCursor.blockFormat();
        FTextBefore = !FCursor.atBlockStart();
        FTextAfter = !FCursor.atBlockEnd();
        const bool tailFollows = !FCursor.atEnd();
        const RtfParagraph* last = nullptr;
        for (const auto& item : document.items) {
            if (const auto* paragraph = std::get_if<RtfParagraph>(&item)) {
                InsertParagraph(*paragraph);
                last = paragraph;
            } else {
                InsertTable(std::get<RtfTable>(item));
                last = nullptr;
            }
        }
        // The final paragraph mark splits the paragraph it was inserted into; at the end
        // of the document it is the document's own end.
        if (last && last->ended && tailFollows)
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
            if (run.image.isNull()) {
                FCursor.insertText(run.text, FPlain ? QTextCharFormat() : run.format);
            } else if (!FPlain) {
                QTextImageFormat image = run.format.toImageFormat();
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

    void InsertTable(const RtfTable& table)
    {
        if (FPlain) {
            InsertTableAsText(table);
            return;
        }
        std::size_t columns = 0;
        for (const RtfTableRow& row : table.rows)
            columns = std::max(columns, row.cells.size());
        if (columns == 0)
            return;
        QTextTableFormat format;
        format.setCellPadding(2);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setColumnWidthConstraints(ColumnWidths(table.rows.front(), columns));
        if (table.rows.front().leftTwips > 0)
            format.setLeftMargin(table.rows.front().leftTwips / kTwipsPerUnit);
        QTextTable* qtable = FCursor.insertTable(int(table.rows.size()), int(columns), format);
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RtfTableRow& row = table.rows[r];
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                FCursor = qtable->cellAt(int(r), int(c)).firstCursorPosition();
                FNeedBreak = false;
                for (const RtfParagraph& paragraph : row.cells[c].paragraphs) {
                    RtfParagraph inCell = paragraph;
                    inCell.ended = true;
                    InsertParagraph(inCell);
                }
            }
        }
        FCursor = qtable->lastCursorPosition();
        FCursor.movePosition(QTextCursor::NextCharacter);
        FNeedBreak = false;
    }

    static QList<QTextLength> ColumnWidths(const RtfTableRow& row, std::size_t columns)
    {
        QList<QTextLength> widths;
        int left = row.leftTwips;
        for (std::size_t c = 0; c < columns; ++c) {
            if (c < row.cellRightTwips.size() && row.cellRightTwips[c] > left) {
                widths.append(QTextLength(QTextLength::FixedLength, (row.cellRightTwips[c] - left) / kTwipsPerUnit));
                left = row.cellRightTwips[c];
            } else {
                widths.append(QTextLength(QTextLength::VariableLength, 0));
            }
        }
        return widths;
    }

    void InsertTableAsText(const RtfTable& table)
    {
        for (const RtfTableRow& row : table.rows) {
            if (FNeedBreak)
                FCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                if (c > 0)
                    FCursor.insertText("\t", QTextCharFormat());
                bool first = true;
                for (const RtfParagraph& paragraph : row.cells[c].paragraphs) {
                    if (!first)
                        FCursor.insertText(" ", QTextCharFormat());
                    first = false;
                    InsertRuns(paragraph.runs);
                }
            }
            FNeedBreak = true;
        }
    }

    QTextCursor& FCursor;
    bool FPlain;
    bool FNeedBreak = false;
    QTextBlockFormat FTargetFormat; // the block the insertion started in, as it was
    bool FTextBefore = false, FTextAfter = false;
    std::map<QString, QTextList*> FLists;
};

} // namespace

void InsertRtfDocument(const RtfDocument& document, QTextCursor& cursor, bool plain)
{
    Builder(cursor, plain).Insert(document);
}

void ReadRtf(const QByteArray& rtf, QTextCursor& cursor, const ReadOptions& options)
{
    // Parse first: a failure leaves the document untouched.
    const RtfDocument document = ParseRtf(std::string_view(rtf.constData(), std::size_t(rtf.size())));
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    InsertRtfDocument(document, cursor, options.plain);
    cursor.endEditBlock();
}

} // namespace RtfEngine
