// Clipboard data with formatting: RTF first, then HTML, then plain text.
#pragma once

class QMimeData;
class QTextCursor;
class QTextDocument;

namespace RtfEngine {

// The characters [start, end) as "text/rtf" (also "application/rtf"), "text/html"
// and plain text. The caller owns the result.
QMimeData* MakeClipboardData(const QTextDocument& document, int start, int end);

// Inserts clipboard data at the cursor, replacing its selection: RTF when present and
// readable, else HTML, else an image, else plain text. False when nothing usable was there.
bool InsertClipboardData(const QMimeData* data, QTextCursor& cursor);

} // namespace RtfEngine
