// Field instructions ("\\fldinst") the reader acts on.
#pragma once
#include <QString>

namespace RtfEngine {

// The URL of a HYPERLINK field instruction ("#name" for a "\\l" bookmark switch),
// empty for other fields.
QString HyperlinkTarget(const QString& instruction);

} // namespace RtfEngine
