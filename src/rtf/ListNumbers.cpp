#include "rtf/ListNumbers.h"

#include "rtf/RtfEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <utility>

namespace RtfEngine {
namespace {

bool IsNumbered(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        return true;
    default:
        return false;
    }
}

bool HasOwnNumbers(const QTextListFormat& format) { return format.hasProperty(kListNumberStyleProperty); }

QString Letters(qint64 value)
{
    QString letters;
    for (qint64 v = value; v > 0; v = (v - 1) / 26)
        letters.prepend(QChar(char16_t(u'a' + (v - 1) % 26)));
    return letters;
}

QString Roman(qint64 value)
{
    static const std::pair<int, const char*> kRoman[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                         {1, "i"}};
    QString roman;
    for (qint64 v = value; v > 0;)
        for (const auto& [n, r] : kRoman)
            if (v >= n) {
                roman += QLatin1String(r);
                v -= n;
                break;
            }
    return roman;
}

// The outermost table around the block, if any.
QTextTable* OutermostTableOf(const QTextBlock& block)
{
    QTextTable* outer = nullptr;
    for (QTextFrame* frame = QTextCursor(block).currentFrame(); frame; frame = frame->parentFrame())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            outer = table;
    return outer;
}

// The first block of the row around `block` of its outermost table (every cell of a row
// starts at the row's top); the block itself outside tables.
QTextBlock RowStartOf(const QTextDocument& document, const QTextBlock& block)
{
    QTextTable* table = OutermostTableOf(block);
    if (!table)
        return block;
    const int row = table->cellAt(block.position()).row();
    int first = block.position();
    for (int column = 0; column < table->columns(); ++column)
        first = std::min(first, table->cellAt(row, column).firstPosition());
    return document.findBlock(first);
}

// Below the clip and starting the document's flow or a row of an outermost table: every
// block after it lies lower still.
bool EndsTheClip(const QTextBlock& block, const QRectF& rect, const QRectF& clip)
{
    if (rect.top() <= clip.bottom())
        return false;
    QTextTable* table = OutermostTableOf(block);
    if (!table)
        return true;
    const QTextTableCell cell = table->cellAt(block.position());
    return cell.column() == 0 && cell.firstPosition() == block.position();
}

// Drawn where and as the toolkit draws its own numbers: in the paragraph's font, a space
// before the first line's text, in whole pixels.
void DrawNumber(QPainter& painter, const QTextDocument& document, const QTextBlock& block, const QBrush& text)
{
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return;
    const QString marker = ListMarkerOf(block);
    QAbstractTextDocumentLayout* documentLayout = document.documentLayout();
    QFont font = block.charFormat().font();
    if (QPaintDevice* device = documentLayout->paintDevice())
        font = QFont(font, device);
    const QFontMetrics metrics(font);
    const QRectF line = layout->lineAt(0).naturalTextRect();
    QPointF origin = documentLayout->blockBoundingRect(block).topLeft().toPoint() + line.topLeft().toPoint();
    const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
    const int space = metrics.horizontalAdvance(QLatin1Char(' '));
    const qreal x = rightToLeft ? origin.x() + line.width() + space
                                : origin.x() - space - metrics.horizontalAdvance(marker);
    QTextLayout number(marker, font, documentLayout->paintDevice());
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(block.textDirection());
    number.setTextOption(option);
    number.beginLayout();
    QTextLine numberLine = number.createLine();
    if (numberLine.isValid())
        numberLine.setLeadingIncluded(true);
    number.endLayout();
    const QBrush colour = block.charFormat().foreground();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.style() == Qt::NoBrush ? text : colour, 0));
    number.draw(&painter, QPointF(x, origin.y()));
    painter.restore();
}

} // namespace

QTextListFormat ListFormatStartingAt(QTextListFormat format, int start)
{
    const QTextListFormat::Style style = NumberStyleOf(format);
    format.clearProperty(kListStartProperty);
    format.clearProperty(kListNumberStyleProperty);
    format.setStyle(style);
    if (start != 1 && IsNumbered(style)) {
        format.setProperty(kListStartProperty, start);
        format.setProperty(kListNumberStyleProperty, int(style));
        format.setStyle(QTextListFormat::ListStyleUndefined); // the toolkit would count from 1
    }
    return format;
}

QTextListFormat ListFormatInStyle(QTextListFormat format, QTextListFormat::Style style)
{
    const int start = ListStartOf(format);
    format.clearProperty(kListNumberStyleProperty);
    format.setStyle(style);
    return ListFormatStartingAt(format, start);
}

QTextListFormat::Style NumberStyleOf(const QTextListFormat& format)
{
    return HasOwnNumbers(format) ? QTextListFormat::Style(format.intProperty(kListNumberStyleProperty))
                                 : format.style();
}

int ListStartOf(const QTextListFormat& format)
{
    return HasOwnNumbers(format) ? format.intProperty(kListStartProperty) : 1;
}

QString NumberInStyle(qint64 value, QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListLowerAlpha: return value > 0 ? Letters(value) : QString::number(value);
    case QTextListFormat::ListUpperAlpha: return value > 0 ? Letters(value).toUpper() : QString::number(value);
    case QTextListFormat::ListLowerRoman:
        return value > 0 && value < 4000 ? Roman(value) : QString::number(value);
    case QTextListFormat::ListUpperRoman:
        return value > 0 && value < 4000 ? Roman(value).toUpper() : QString::number(value);
    default: return QString::number(value);
    }
}

QString ListMarkerOf(const QTextBlock& block)
{
    const QTextList* list = block.textList();
    if (!list)
        return {};
    const QTextListFormat format = list->format();
    const QTextListFormat::Style style = NumberStyleOf(format);
    if (!IsNumbered(style))
        return {};
    if (!HasOwnNumbers(format))
        return list->itemText(block);
    const qint64 number = qint64(ListStartOf(format)) + list->itemNumber(block);
    // Unset, the suffix is the toolkit's "."; a paragraph written right to left reads
    // its number the other way round, as the toolkit's own do.
    const QString prefix = format.numberPrefix();
    const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QString(".");
    const QString text = NumberInStyle(number, style);
    return block.blockFormat().layoutDirection() == Qt::RightToLeft ? suffix + text + prefix : prefix + text + suffix;
}

void DrawListNumbers(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QBrush& text)
{
    const QList<QTextFormat> formats = document.allFormats();
    if (std::none_of(formats.begin(), formats.end(), [](const QTextFormat& format) {
            return format.isListFormat() && HasOwnNumbers(format.toListFormat());
        }))
        return; // no list of the document has numbers of its own to draw
    ForEachBlockIn(document, clip, [&](const QTextBlock& block, const QRectF&) {
        const QTextList* list = block.textList();
        if (list && HasOwnNumbers(list->format()))
            DrawNumber(painter, document, block, text);
    });
}

// Row tops grow with the block number, so a search from the block the layout finds at the
// clip's top, widening its steps, ends in a few looks at any depth; the toolkit's hit finds
// nothing inside a table when the point lies left of it (a page's clip takes in the margin).
QTextBlock FirstBlockIn(const QTextDocument& document, const QRectF& clip)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const int count = document.blockCount();
    auto startsAbove = [&](int number) {
        return layout->blockBoundingRect(RowStartOf(document, document.findBlockByNumber(number))).top() < clip.top();
    };
    // Invariant: block `low` starts above (or is the first), block `high` does not (or is past the end).
    int low = document.findBlock(std::max(layout->hitTest(clip.topLeft(), Qt::FuzzyHit), 0)).blockNumber();
    int high = low;
    if (startsAbove(low)) {
        for (int step = 1; (high = std::min(low + step, count)) < count && startsAbove(high); step *= 2)
            low = high;
    } else {
        for (int step = 1; (low = std::max(high - step, 0)) > 0 && !startsAbove(low); step *= 2)
            high = low;
    }
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        (startsAbove(middle) ? low : high) = middle;
    }
    // Rows above may still reach into the clip (a taller cell than the row's last one):
    // step back a whole row while any of its blocks does.
    QTextBlock block = RowStartOf(document, document.findBlockByNumber(low));
    for (QTextBlock previous = block.previous(); previous.isValid(); previous = block.previous()) {
        const QTextBlock rowStart = RowStartOf(document, previous);
        bool reaches = false;
        for (QTextBlock b = rowStart; b.isValid() && b != block && !reaches; b = b.next())
            reaches = layout->blockBoundingRect(b).bottom() >= clip.top();
        if (!reaches)
            break;
        block = rowStart;
    }
    return block;
}

void ForEachBlockIn(const QTextDocument& document, const QRectF& clip,
                    const std::function<void(const QTextBlock&, const QRectF&)>& visit)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = FirstBlockIn(document, clip); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (EndsTheClip(block, rect, clip))
            break;
        if (rect.bottom() >= clip.top())
            visit(block, rect);
    }
}

} // namespace RtfEngine
