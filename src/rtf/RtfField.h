// Field instructions ("\\fldinst") the reader acts on, and the bookmarks beside them.
#pragma once
#include <QByteArray>
#include <QString>

#include <vector>

namespace RtfEngine {

// The URL of a HYPERLINK field instruction ("#name" for a "\\l" bookmark switch),
// empty for other fields.
QString HyperlinkTarget(const QString& instruction);

struct BookmarkAnchor {
    QByteArray name;
    bool start = false;
};

// Which of the anchors, in document order, make bookmarks: a name's first start and the
// first end after it. Any other anchor of the name (a pasted copy, or one whose partner
// was deleted) is dropped, by the reader and by the writer alike.
std::vector<bool> BookmarkAnchorsKept(const std::vector<BookmarkAnchor>& anchors);

} // namespace RtfEngine
