// Puts an RtfDocument into a QTextDocument at a cursor.
#pragma once
#include "rtf/RtfDocumentModel.h"

class QTextCursor;

namespace RtfEngine {

// Inserts at the cursor (its selection must be removed already). With `plain`, only text,
// tabs, line and paragraph breaks go in, in the cursor's document default format; table
// cells become tab-separated paragraphs.
void InsertRtfDocument(const RtfDocument& document, QTextCursor& cursor, bool plain);

} // namespace RtfEngine
