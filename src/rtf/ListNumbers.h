// Lists that start at another number than 1 ("\levelstartat5", "\pnstart5"). The toolkit
// (Qt 6.4) counts every list from 1, so such a list takes no style of the toolkit's,
// which then draws nothing before its items, and keeps the style it numbers in and its
// first number in properties of its own. The editor and the printout draw its numbers
// with DrawListNumbers; the RTF writer writes it back as a list with that start.
#pragma once
#include <QString>
#include <QTextListFormat>

#include <functional>

class QBrush;
class QPainter;
class QRectF;
class QTextBlock;
class QTextDocument;

namespace RtfEngine {

// `format` numbering from `start` (1: the toolkit's own numbering).
QTextListFormat ListFormatStartingAt(QTextListFormat format, int start);
// `format` numbering in `style`, from the number it started at.
QTextListFormat ListFormatInStyle(QTextListFormat format, QTextListFormat::Style style);
QTextListFormat::Style NumberStyleOf(const QTextListFormat& format);
int ListStartOf(const QTextListFormat& format);

// `value` as a list of that style writes it: 5, e, E, v, V. Letters and roman numbers
// need a positive value (roman below 4000); other values are written in digits.
QString NumberInStyle(qint64 value, QTextListFormat::Style style);

// What the block's list shows before it: "5.", "e)", "(iv)"; empty for a bullet and
// outside lists.
QString ListMarkerOf(const QTextBlock& block);

// Draws the numbers of the lists that start elsewhere than 1 whose first lines lie in
// `clip` (document coordinates), where the toolkit draws its own; `text` colours a
// number whose paragraph sets no colour. Only the blocks in the clip are looked at.
void DrawListNumbers(QPainter& painter, const QTextDocument& document, const QRectF& clip,
                     const QBrush& text);

// The first block that can show in `clip` (document coordinates): the last one whose row of
// an outermost table (or whose own top, out of tables) begins above the clip's top.
QTextBlock FirstBlockIn(const QTextDocument& document, const QRectF& clip);

// Calls `visit` with each block that lies in `clip` (document coordinates) and its box, in
// order; only the blocks around the clip are looked at.
void ForEachBlockIn(const QTextDocument& document, const QRectF& clip,
                    const std::function<void(const QTextBlock&, const QRectF&)>& visit);

} // namespace RtfEngine
