// What the toolkit (Qt 6.4) keeps but does not draw: the second line of a double
// underline ("\uldb"), tab leaders ("\tldot" …) and paragraph borders ("\brdrb", "\box"
// …). The editor and the printout draw them over the text from the kept properties.
#pragma once
#include <utility>

class QByteArray;
class QBrush;
class QPainter;
class QRectF;
class QTextDocument;

namespace RtfEngine {

// Draws the decorations of the blocks in `clip` (document coordinates); `text` colours a
// line whose text sets no colour.
void DrawKeptDecorations(QPainter& painter, const QTextDocument& document, const QRectF& clip,
                         const QBrush& text);

// The room, in twips, that the borders of a paragraph with these kept words take above
// and below its text: the border's width and its space to the text.
std::pair<int, int> BorderRoomTwips(const QByteArray& keptWords);

} // namespace RtfEngine
