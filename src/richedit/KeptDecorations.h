// What the toolkit (Qt 6.4) keeps but does not draw: the second line of a double
// underline ("\uldb"), tab leaders ("\tldot" …) and paragraph borders ("\brdrb", "\box"
// …). The editor and the printout draw them over the text from the kept properties.
#pragma once

class QBrush;
class QPainter;
class QRectF;
class QTextDocument;

namespace RtfEngine {

// Draws the decorations of the blocks in `clip` (document coordinates); `text` colours a
// line whose text sets no colour.
void DrawKeptDecorations(QPainter& painter, const QTextDocument& document, const QRectF& clip,
                         const QBrush& text);

} // namespace RtfEngine
