// Shows the inline objects that stand for kept source (a footnote's mark).
#pragma once

class QTextDocument;

namespace RtfEngine {

// Lets the document's layout size and draw kept objects as their text; once per document.
void RegisterKeptObjects(QTextDocument* document);

} // namespace RtfEngine
