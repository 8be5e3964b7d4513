// A copy of a document laid out for paper works in units finer than the screen's pixel:
// fonts measured at 96 dpi round their ascent, descent and advances to whole pixels, and
// over a page those roundings move lines by many points. The toolkit's layout scales most
// lengths of a document to its device's resolution (space above and below, tab stops,
// line heights, tables, pictures), but not all; ScaleLengths scales the rest.
#pragma once
#include <QtGlobal>

class QTextDocument;

namespace Print {

// Multiplies by `factor` the lengths of `document` that its layout takes as device
// pixels: paragraph side indents and first-line indent, word spacing and pixel-sized fonts.
void ScaleLengths(QTextDocument& document, qreal factor);

} // namespace Print
