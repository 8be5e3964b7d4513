#pragma once

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <climits>

class QTextDocument;
class QTextLayout;

// Lays out a long document made of nothing but paragraphs, one block at a time and
// only where someone looks (painting, hit tests, caret placement). Each block's height
// in whole pixels is kept in the document's own block tree (QTextBlock::setLineCount),
// so the top of any block and the block at any height are found in logarithmic time,
// and an edit lays out only the blocks it changed. Qt's own layout moves every block
// after an edit, which costs a long document hundreds of milliseconds per key.
//
// A block not laid out yet has an estimated height, corrected when it is first laid out.
// Lists, tables, frames and embedded objects are not drawn here: documents holding them
// keep Qt's layout (see HoldsOnlyParagraphs).
class TLongDocumentLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT

public:
    // Fewer blocks than this are laid out fast enough by Qt's own layout.
    static constexpr int kMinimumBlocks = 10000;

    explicit TLongDocumentLayout(QTextDocument* document);

    // Whether the blocks touching [from, to] hold anything but plain paragraphs
    // (list items, embedded objects or pictures), or the document holds a table or frame.
    static bool HoldsOnlyParagraphs(const QTextDocument& document, int from, int to);
    static bool HoldsOnlyParagraphs(const QTextDocument& document) { return HoldsOnlyParagraphs(document, 0, INT_MAX); }
    // Whether the document is long enough to want this layout and holds only paragraphs.
    static bool Suits(const QTextDocument& document);
    // Whether the document has no frame and no format of anything but paragraphs, which
    // needs no look at its blocks (a format stays known after its text is gone, though).
    static bool SurelyOnlyParagraphs(const QTextDocument& document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    struct TMetrics {
        qreal left = 0;          // x of the text column
        qreal top = 0;           // y of the first block
        qreal bottom = 0;        // space below the last block
        qreal columnWidth = 0;   // width of the text column (<= 0: no wrapping width)
        qreal frameWidth = 0;    // everything outside the column, left and right
        qreal dpiScale = 1;
        bool wraps = false;      // lines break at the column's width
    };
    // A line's height and a character's advance, as the last block laid out had them.
    struct TEstimate {
        int lineHeight = 1;
        qreal charWidth = 1;
    };

    bool CanLayOut() const;
    void UpdateMetrics();
    int EstimatedHeight(const QTextBlock& block) const;
    void LearnFrom(const QTextLayout& layout) const;
    int LayOut(const QTextBlock& block) const;
    void SettleAbove(const QTextBlock& block) const;
    qreal GapAbove(const QTextBlock& block, const QTextBlockFormat& format) const;
    QTextBlock BlockAt(qreal y) const;
    QPointF OriginOf(const QTextBlock& block) const;
    void DrawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block, const QPointF& origin) const;
    void NoteAlignment(bool aligned) const;
    void ReportChanges();
    void ReportChangesLater() const;

    TMetrics FMetrics;
    mutable TEstimate FEstimate;
    mutable qreal FWidestLine = 0;
    mutable bool FHasAlignment = false;
    mutable bool FChangesPending = false;
    QSizeF FReportedSize;
};
