// A copy of a document laid out for paper works in units finer than the screen's pixel:
// fonts measured at 96 dpi round their ascent, descent and advances to whole pixels, and
// over a page those roundings move lines by many points. The toolkit's layout scales most
// lengths of a document to its device's resolution (space above and below, tab stops,
// line heights, tables, pictures), but not all; ScaleLengths scales the rest.
#pragma once
#include <QtGlobal>
#include <functional>

class QTextBlock;
class QTextDocument;

namespace Print {

// Multiplies by `factor` the lengths of `document` that its layout takes as device
// pixels: paragraph side indents and first-line indent, word spacing and pixel-sized fonts.
void ScaleLengths(QTextDocument& document, qreal factor);

// The layout drops the space after a paragraph that a table follows and the space before
// one that follows a table; word processors keep both. They move to the table's margins.
void KeepSpaceAroundTables(QTextDocument& document);

// A list's paragraphs stand at their own indents, as in the editor and in word processors;
// the layout would indent them further by the list's level.
void DropListIndents(QTextDocument& document);

// A list paragraph with a hanging first line has its number at the first line's indent
// and a tab after it to the paragraph's indent, where the text begins when the number
// fits before it. The layout draws the number just before the text: the first line's
// text moves to the paragraph's indent.
void HangListTexts(QTextDocument& document);

// A paragraph's borders take room above and below its text, as in word processors; a
// run of paragraphs with the same borders shares one box.
void MakeRoomForBorders(QTextDocument& document);

// Word processors put a paragraph's space after and the next one's space before both
// between them, and space before above a document's first paragraph; the layout takes
// the larger of the two and none above the first. A paragraph's space before moves into
// the space after of the one above it, the first one's into the document's top margin;
// a paragraph that `startsPage` keeps its own, for the top of its page.
void AddSpaceBetweenParagraphs(QTextDocument& document, const std::function<bool(const QTextBlock&)>& startsPage);

} // namespace Print
