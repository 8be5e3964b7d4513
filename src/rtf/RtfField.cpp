#include "rtf/RtfField.h"

#include <map>

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

std::vector<bool> BookmarkAnchorsKept(const std::vector<BookmarkAnchor>& anchors)
{
    std::vector<bool> kept(anchors.size(), false);
    constexpr std::size_t kDone = std::size_t(-1);
    std::map<QByteArray, std::size_t> openAt; // name -> its kept start, or kDone
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        const auto found = openAt.find(anchors[i].name);
        if (anchors[i].start) {
            if (found == openAt.end()) {
                openAt.emplace(anchors[i].name, i);
                kept[i] = true;
            }
        } else if (found != openAt.end() && found->second != kDone) {
            kept[i] = true;
            found->second = kDone;
        }
    }
    for (const auto& [name, at] : openAt)
        if (at != kDone)
            kept[at] = false; // no end follows its start
    return kept;
}

} // namespace RtfEngine
