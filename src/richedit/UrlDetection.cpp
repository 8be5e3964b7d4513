#include "richedit/UrlDetection.h"

Qt::CursorShape CursorShape(TCursor cursor) {
    switch (cursor) {
    case crArrow: return Qt::ArrowCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::PointingHandCursor;
    }
}

TURLCollection TURLCollection::Defaults() {
    TURLCollection list;
    for (const char* name : {"e-mail", "http", "file", "mailto", "ftp", "https", "gopher", "nntp", "prospero",
                             "telnet", "news", "wais"})
        list.Add(TURLType{name, clWindowText, crDefault, true});
    return list;
}

void TURLCollection::Add(const TURLType& entry) {
    for (TURLType& item : FItems) {
        if (item.Name != entry.Name) continue;
        item.Color = entry.Color;
        item.Cursor = entry.Cursor;
        item.Underline = entry.Underline;
        return;
    }
    FItems.push_back(entry);
}

void TURLCollection::Assign(const TURLCollection& source) {
    if (&source == this) return;
    FItems.clear();
    for (const TURLType& item : source.FItems) Add(item);
}

const TURLType* TURLCollection::Classify(const QString& upperWord) const {
    for (size_t i = 1; i < FItems.size(); ++i) {
        const QString prefix = QString::fromStdString(FItems[i].Name).toUpper() + QLatin1Char(':');
        if (upperWord.size() > prefix.size() && upperWord.startsWith(prefix)) return &FItems[i];
    }
    if (!FItems.empty() && UrlDetection::IsEmailAddress(upperWord)) return &FItems[0];
    return nullptr;
}

const TURLType* TURLCollection::EntryOfLink(const QString& linkText) const {
    const qsizetype colon = linkText.indexOf(QLatin1Char(':'), 1);
    if (colon > 0) {
        const std::string scheme = linkText.left(colon).toLower().toStdString();
        for (size_t i = 1; i < FItems.size(); ++i)
            if (FItems[i].Name == scheme) return &FItems[i];
        return nullptr;
    }
    if (linkText.indexOf(QLatin1Char('@'), 1) > 0 && !FItems.empty()) return &FItems[0];
    return nullptr;
}

namespace UrlDetection {

bool IsLinkChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.' || u == '/' ||
           u == ':' || u == '@' || u == '\\';
}

bool IsEmailAddress(const QString& word) {
    const qsizetype at = word.indexOf(QLatin1Char('@'), 1);
    if (at < 1 || at >= word.size() - 1) return false;
    const QString domain = word.mid(at + 1);
    return domain.indexOf(QLatin1Char('.'), 1) > 0;
}

} // namespace UrlDetection
