#include "richedit/RtfField.h"

namespace RtfEngine {

QString HyperlinkTarget(const QString& instruction)
{
    const QString inst = instruction.trimmed();
    if (!inst.startsWith("HYPERLINK", Qt::CaseInsensitive))
        return {};
    QString url, anchor;
    bool nextIsAnchor = false;
    qsizetype i = 9;
    while (i < inst.size()) {
        while (i < inst.size() && inst[i].isSpace()) ++i;
        if (i >= inst.size()) break;
        QString word;
        if (inst[i] == '"') {
            const qsizetype end = inst.indexOf('"', i + 1);
            word = inst.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? inst.size() : end + 1;
        } else {
            const qsizetype start = i;
            while (i < inst.size() && !inst[i].isSpace()) ++i;
            word = inst.mid(start, i - start);
            if (word.startsWith('\\')) {
                nextIsAnchor = word == "\\l";
                continue;
            }
        }
        if (nextIsAnchor) {
            anchor = word;
            nextIsAnchor = false;
        } else if (url.isEmpty()) {
            url = word;
        }
    }
    if (!anchor.isEmpty())
        url += '#' + anchor;
    return url;
}

} // namespace RtfEngine
