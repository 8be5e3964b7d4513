#include "richedit/LongDocumentLayout.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QtMath>
#include <algorithm>
#include <climits>

namespace {

// An edit of at most this many blocks is laid out at once, so that the document's
// height is exact right away; a longer change (a load, a new page width) gets
// estimates that the blocks correct when they are first shown.
constexpr int kBlocksLaidOutAtOnce = 64;

// The resolution that lengths in formats are given for (Qt's default on this platform).
constexpr qreal kFormatDpi = 96;

const QRectF kEverything(0, 0, qreal(INT_MAX), qreal(INT_MAX));

struct TLineHeights {
    qreal advance = 0;    // from this line's top to the next line's
    qreal bottom = 0;     // from this line's top to its bottom
    qreal adjustment = 0; // how far the line is drawn above its place
};

// The line spacing a paragraph format asks for, as Qt's own layout computes it.
TLineHeights LineHeightsOf(const QTextBlockFormat& format, const QTextLine& line, qreal scaling) {
    TLineHeights heights;
    const qreal height = line.height();
    const qreal rawHeight = qCeil(line.ascent() + line.descent() + line.leading());
    heights.advance = format.lineHeight(rawHeight, scaling);
    heights.bottom = format.lineHeight(height, scaling);
    const int type = format.lineHeightType();
    if (type == QTextBlockFormat::FixedHeight)
        heights.adjustment = line.ascent() + qMax(line.leading(), qreal(0)) - heights.advance * 4 / 5;
    else if (type == QTextBlockFormat::MinimumHeight)
        heights.adjustment = height - heights.advance;
    return heights;
}

void StoreHeight(QTextBlock block, int height) {
    if (block.lineCount() != height) block.setLineCount(height);
}

// Visits the blocks from the one holding `from` to the one holding `to` (to the end
// when past it) while `visit` answers true.
template <typename Visit>
void ForEachBlock(const QTextDocument& document, int from, int to, Visit visit) {
    const QTextBlock last = document.findBlock(to);
    for (QTextBlock block = document.findBlock(from); block.isValid(); block = block.next())
        if (!visit(block) || block == last) break;
}

// Per format index: whether text in that format is more than a plain paragraph's (a
// list item's paragraph format, an embedded object's or picture's character format).
// Table cells' formats are left to the frames check: they outlive a deleted table.
std::vector<bool> FormatsNotDrawnAsText(const QTextDocument& document) {
    const QList<QTextFormat> formats = document.allFormats();
    std::vector<bool> notText(size_t(formats.size()));
    for (qsizetype i = 0; i < formats.size(); ++i) {
        const QTextFormat& format = formats[i];
        const int object = format.isCharFormat() ? format.toCharFormat().objectType() : QTextFormat::NoObject;
        notText[size_t(i)] = (format.isBlockFormat() && format.objectIndex() != -1) ||
                             (object != QTextFormat::NoObject && object != QTextFormat::TableCellObject);
    }
    return notText;
}

// Whether some paragraph format or the default option asks for anything but the left
// edge (centred, right, justified, right to left).
bool FormatsAlignText(const QTextDocument& document) {
    if (!(document.defaultTextOption().alignment() & Qt::AlignLeft)) return true;
    const QList<QTextFormat> formats = document.allFormats();
    return std::any_of(formats.begin(), formats.end(), [](const QTextFormat& format) {
        return format.isBlockFormat() && ((format.hasProperty(QTextFormat::BlockAlignment) &&
                                           !(format.toBlockFormat().alignment() & Qt::AlignLeft)) ||
                                          format.layoutDirection() == Qt::RightToLeft);
    });
}

bool AnyOf(const std::vector<bool>& flags) { return std::find(flags.begin(), flags.end(), true) != flags.end(); }

} // namespace

TLongDocumentLayout::TLongDocumentLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {
    // Read by QTextEdit and its text control through property(), as of Qt's own layout.
    setProperty("cursorWidth", 1);
    setProperty("contentHasAlignment", false);
}

// QTextEdit without wrapping gives the text the viewport's width only when told that
// some text is aligned (else width 0); Qt's layout learns it as it lays blocks out.
void TLongDocumentLayout::NoteAlignment(bool aligned) const {
    if (aligned == FHasAlignment) return;
    FHasAlignment = aligned;
    const_cast<TLongDocumentLayout*>(this)->setProperty("contentHasAlignment", aligned);
}

bool TLongDocumentLayout::SurelyOnlyParagraphs(const QTextDocument& document) {
    return document.rootFrame()->childFrames().isEmpty() && !AnyOf(FormatsNotDrawnAsText(document));
}

bool TLongDocumentLayout::HoldsOnlyParagraphs(const QTextDocument& document, int from, int to) {
    if (!document.rootFrame()->childFrames().isEmpty()) return false;
    const std::vector<bool> notText = FormatsNotDrawnAsText(document);
    if (!AnyOf(notText)) return true; // the common case: no block needs a look
    const auto isNotText = [&notText](int index) { return index >= 0 && size_t(index) < notText.size() && notText[size_t(index)]; };
    bool plain = true;
    ForEachBlock(document, from, to, [&](const QTextBlock& block) {
        plain = !isNotText(block.blockFormatIndex());
        for (auto it = block.begin(); plain && !it.atEnd(); ++it) plain = !isNotText(it.fragment().charFormatIndex());
        return plain;
    });
    return plain;
}

bool TLongDocumentLayout::Suits(const QTextDocument& document) {
    return document.blockCount() >= kMinimumBlocks && HoldsOnlyParagraphs(document);
}

bool TLongDocumentLayout::CanLayOut() const {
    return document()->isLayoutEnabled() && !document()->pageSize().isNull();
}

void TLongDocumentLayout::UpdateMetrics() {
    const QTextDocument& doc = *document();
    const QPaintDevice* device = paintDevice();
    FMetrics.dpiScale = device ? device->logicalDpiY() / kFormatDpi : 1;
    const auto scaled = [this](qreal length) { return qreal(qRound(length * FMetrics.dpiScale)); };
    const QTextFrameFormat frame = doc.rootFrame()->frameFormat();
    const qreal edge = scaled(frame.border()) + scaled(frame.padding());
    FMetrics.left = scaled(frame.leftMargin()) + edge;
    FMetrics.top = scaled(frame.topMargin()) + edge;
    FMetrics.bottom = scaled(frame.bottomMargin()) + edge;
    FMetrics.frameWidth = FMetrics.left + scaled(frame.rightMargin()) + edge;
    FMetrics.columnWidth = doc.pageSize().width() - FMetrics.frameWidth;
    const QTextOption::WrapMode wrap = doc.defaultTextOption().wrapMode();
    FMetrics.wraps = FMetrics.columnWidth > 0 && wrap != QTextOption::NoWrap && wrap != QTextOption::ManualWrap;
    const QFontMetricsF font = device ? QFontMetricsF(doc.defaultFont(), device) : QFontMetricsF(doc.defaultFont());
    FEstimate = {std::max(1, qCeil(font.lineSpacing())), std::max(qreal(1), font.averageCharWidth())};
}

// The paragraphs that follow are taken to look like the last one laid out (long
// documents are mostly alike lines): its line height, its characters' average advance.
void TLongDocumentLayout::LearnFrom(const QTextLayout& layout) const {
    const QTextLine line = layout.lineAt(0);
    FEstimate.lineHeight = std::max(1, qCeil(line.height()));
    if (line.textLength() >= 8) FEstimate.charWidth = std::max(qreal(1), line.naturalTextWidth() / line.textLength());
}

// As many lines as the block's characters would fill at the estimated advance.
int TLongDocumentLayout::EstimatedHeight(const QTextBlock& block) const {
    int lines = 1;
    if (FMetrics.wraps) lines += int((block.length() - 1) * FEstimate.charWidth / FMetrics.columnWidth);
    return lines * FEstimate.lineHeight;
}

// Lays out the blocks filling a tall screen above `block`, so that a view scrolled to
// show it does not move it as the blocks above come into sight with their real heights.
void TLongDocumentLayout::SettleAbove(const QTextBlock& block) const {
    constexpr int kTallestScreen = 3000;
    int covered = 0;
    for (QTextBlock above = block.previous(); above.isValid() && covered < kTallestScreen; above = above.previous())
        covered += LayOut(above);
}

// As Qt's layout: the larger of this paragraph's space before and the previous one's
// space after, none above the first paragraph.
qreal TLongDocumentLayout::GapAbove(const QTextBlock& block, const QTextBlockFormat& format) const {
    const QTextBlock previous = block.previous();
    if (!previous.isValid()) return 0;
    const qreal margin = qMax(format.topMargin(), previous.blockFormat().bottomMargin());
    return margin > 0 ? margin * FMetrics.dpiScale : 0;
}

// Lays the block's lines out (at the block's own origin) unless they are, stores the
// block's height and answers it.
int TLongDocumentLayout::LayOut(const QTextBlock& block) const {
    QTextLayout* layout = block.layout();
    if (layout->lineCount() > 0) return block.lineCount();

    const QTextBlockFormat format = block.blockFormat();
    const Qt::LayoutDirection direction = block.textDirection();
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    const Qt::Alignment alignment = format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment();
    option.setAlignment(QStyle::visualAlignment(direction, alignment));
    if (!(option.alignment() & Qt::AlignLeft)) NoteAlignment(true);
    if (format.nonBreakableLines() || document()->pageSize().width() < 0) option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);
    const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;

    const bool rightToLeft = direction == Qt::RightToLeft;
    const qreal indent = format.indent() * document()->indentWidth() * FMetrics.dpiScale;
    const qreal leftMargin = format.leftMargin() + (rightToLeft ? 0 : indent);
    const qreal rightMargin = format.rightMargin() + (rightToLeft ? indent : 0);
    const qreal scaling = FMetrics.dpiScale;

    qreal y = GapAbove(block, format), bottom = y;
    layout->beginLayout();
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        line.setLeadingIncluded(true);
        const qreal textIndent = first ? format.textIndent() : 0;
        const qreal left = leftMargin + (rightToLeft ? 0 : textIndent);
        const qreal width = FMetrics.columnWidth - leftMargin - rightMargin - textIndent;
        line.setLineWidth(width);
        if (line.naturalTextWidth() > width) {
            // A word longer than the line: broken anywhere, as Qt's layout does.
            if (wordOrAnywhere) {
                option.setWrapMode(QTextOption::WrapAnywhere);
                layout->setTextOption(option);
            }
            line.setLineWidth(qMax(line.naturalTextWidth(), width));
            if (wordOrAnywhere) {
                option.setWrapMode(QTextOption::WordWrap);
                layout->setTextOption(option);
            }
        }
        const TLineHeights heights = LineHeightsOf(format, line, scaling);
        line.setPosition(QPointF(left, y - heights.adjustment));
        bottom = y + heights.bottom;
        y += heights.advance;
        FWidestLine = qMax(FWidestLine, line.x() + line.naturalTextWidth() + rightMargin);
    }
    layout->endLayout();
    LearnFrom(*layout);

    const int height = std::max(1, qCeil(qMax(y, bottom)));
    if (block.lineCount() != height) {
        StoreHeight(block, height);
        ReportChangesLater();
    }
    return height;
}

QTextBlock TLongDocumentLayout::BlockAt(qreal y) const {
    const int total = document()->lineCount();
    const int at = std::clamp(qFloor(y - FMetrics.top), 0, std::max(0, total - 1));
    return document()->findBlockByLineNumber(at);
}

QPointF TLongDocumentLayout::OriginOf(const QTextBlock& block) const {
    return {FMetrics.left, FMetrics.top + block.firstLineNumber()};
}

QSizeF TLongDocumentLayout::documentSize() const {
    return {FMetrics.frameWidth + qMax(FMetrics.columnWidth, FWidestLine),
            FMetrics.top + document()->lineCount() + FMetrics.bottom};
}

QRectF TLongDocumentLayout::frameBoundingRect(QTextFrame* frame) const {
    if (frame != document()->rootFrame()) return QRectF();
    return {QPointF(0, 0), documentSize()};
}

QRectF TLongDocumentLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!CanLayOut() || !block.isValid()) return QRectF();
    if (block.layout()->lineCount() == 0) SettleAbove(block);
    const int height = LayOut(block);
    return {OriginOf(block), QSizeF(qMax(FMetrics.columnWidth, FWidestLine), height)};
}

int TLongDocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    if (!CanLayOut()) return -1;
    const QTextBlock block = BlockAt(point.y());
    if (!block.isValid()) return -1;
    LayOut(block);
    const QPointF local = point - OriginOf(block);
    const QTextLayout* layout = block.layout();
    QTextLine line = layout->lineAt(layout->lineCount() - 1);
    for (int i = 0; i < layout->lineCount(); ++i) {
        if (local.y() < layout->lineAt(i).rect().bottom()) {
            line = layout->lineAt(i);
            break;
        }
    }
    if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(local)) return -1;
    return block.position() + line.xToCursor(local.x());
}

void TLongDocumentLayout::draw(QPainter* painter, const PaintContext& context) {
    if (!CanLayOut()) return;
    const QRectF clip = context.clip.isValid() ? context.clip : frameBoundingRect(document()->rootFrame());
    const QBrush background = document()->rootFrame()->frameFormat().background();
    if (background.style() != Qt::NoBrush) painter->fillRect(clip, background);
    for (QTextBlock block = BlockAt(clip.top()); block.isValid(); block = block.next()) {
        LayOut(block);
        const QPointF origin = OriginOf(block);
        if (origin.y() > clip.bottom()) break;
        DrawBlock(painter, context, block, origin);
    }
}

// As Qt's layout draws a paragraph: its background, its text with the selections, the caret.
void TLongDocumentLayout::DrawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                                    const QPointF& origin) const {
    const QTextLayout* layout = block.layout();
    const QBrush background = block.blockFormat().background();
    if (background.style() != Qt::NoBrush) {
        QRectF rect = layout->boundingRect().translated(origin);
        if (!FMetrics.wraps) rect.setRight(documentSize().width() - FMetrics.frameWidth + FMetrics.left);
        painter->fillRect(rect, background);
    }

    const int start = block.position(), length = block.length();
    QList<QTextLayout::FormatRange> selections;
    for (const Selection& selection : context.selections) {
        const int from = selection.cursor.selectionStart() - start, to = selection.cursor.selectionEnd() - start;
        if (from < length && to > 0 && to > from) {
            selections.append({from, to - from, selection.format});
        } else if (!selection.cursor.hasSelection() && selection.format.hasProperty(QTextFormat::FullWidthSelection) &&
                   block.contains(selection.cursor.position())) {
            const QTextLine line = layout->lineForTextPosition(selection.cursor.position() - start);
            int lineLength = line.textLength();
            if (line.textStart() + lineLength == length - 1) ++lineLength; // with the paragraph's end
            selections.append({line.textStart(), lineLength, selection.format});
        }
    }

    const QPen pen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    layout->draw(painter, origin, selections, context.clip);
    const int caret = context.cursorPosition;
    if (caret >= start && caret < start + length)
        layout->drawCursor(painter, origin, caret - start, property("cursorWidth").toInt());
    else if (caret < -1 && !layout->preeditAreaText().isEmpty())
        layout->drawCursor(painter, origin, layout->preeditAreaPosition() - (caret + 2), property("cursorWidth").toInt());
    painter->setPen(pen);
}

void TLongDocumentLayout::documentChanged(int from, int /*charsRemoved*/, int charsAdded) {
    const QTextDocument& doc = *document();
    const int to = from + charsAdded;
    if (!CanLayOut()) {
        ForEachBlock(doc, from, to, [](QTextBlock block) {
            block.clearLayout();
            return true;
        });
        return;
    }
    UpdateMetrics();
    if (from == 0 && charsAdded >= doc.characterCount()) {
        FWidestLine = 0;
        NoteAlignment(FormatsAlignText(doc));
    }
    const QTextBlock first = doc.findBlock(from);
    const qreal top = first.isValid() ? OriginOf(first).y() : 0;
    int laidOut = 0;
    QTextBlock lastChanged;
    ForEachBlock(doc, from, to, [&](QTextBlock block) {
        block.clearLayout();
        if (laidOut++ < kBlocksLaidOutAtOnce) LayOut(block);
        else StoreHeight(block, EstimatedHeight(block));
        lastChanged = block;
        return true;
    });
    // The space above the next paragraph depends on the last one changed.
    QTextBlock next = lastChanged.next();
    if (next.isValid() && laidOut <= kBlocksLaidOutAtOnce) {
        next.clearLayout();
        LayOut(next);
    }
    FChangesPending = false;
    ReportChanges();
    emit update(QRectF(0, top, qreal(INT_MAX), qreal(INT_MAX)));
}

void TLongDocumentLayout::ReportChanges() {
    const QSizeF size = documentSize();
    if (size == FReportedSize) return;
    FReportedSize = size;
    emit documentSizeChanged(size);
}

// A block laid out while painting or answering a question changed its height: the size
// and what lies below are reported from the event loop, not from inside the paint.
void TLongDocumentLayout::ReportChangesLater() const {
    if (FChangesPending) return;
    FChangesPending = true;
    auto* self = const_cast<TLongDocumentLayout*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (!self->FChangesPending) return;
            self->FChangesPending = false;
            self->ReportChanges();
            emit self->update(kEverything);
        },
        Qt::QueuedConnection);
}
