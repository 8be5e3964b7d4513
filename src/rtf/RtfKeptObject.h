// Shows the inline objects that stand for kept source (a footnote's mark), and finds the
// bookmark anchors among them.
#pragma once
#include "rtf/RtfField.h"

#include <vector>

class QTextCursor;
class QTextDocument;

namespace RtfEngine {

// Lets the document's layout size and draw kept objects as their text; once per document.
void RegisterKeptObjects(QTextDocument* document);

// The bookmark anchors among the characters [from, to), in order, and their positions.
std::vector<BookmarkAnchor> BookmarkAnchorsIn(const QTextDocument& document, int from, int to,
                                              std::vector<int>& positions);

// Removes the anchors of [from, to) that make no bookmark there (see BookmarkAnchorsKept).
void DropUnpairedBookmarkAnchors(QTextCursor& cursor, int from, int to);

} // namespace RtfEngine
