// The rich edit control's links: marking the words its schemes take for links, and the
// mouse over the text (the link under it: cursor, hover and click notices).
#include "richedit/RichEdit98.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace {

// The characters of the block around `inBlock` that carry the link effect.
std::pair<int, int> LinkRunAround(const QTextBlock& block, int inBlock) {
    int from = -1, to = -1;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int start = fragment.position() - block.position();
        const int end = start + fragment.length();
        if (!fragment.charFormat().isAnchor()) {
            if (start > inBlock) break;
            from = to = -1;
            continue;
        }
        if (from < 0) from = start;
        to = end;
        if (start <= inBlock && inBlock < end) {
            for (++it; !it.atEnd() && it.fragment().charFormat().isAnchor(); ++it)
                to = it.fragment().position() - block.position() + it.fragment().length();
            return {from, to};
        }
    }
    return {-1, -1};
}

} // namespace

// --- link detection ---------------------------------------------------------------------------------

void TCustomRichEdit98::DetectLinks(int start, int end) {
    static const TURLCollection kEngineSchemes = TURLCollection::Defaults();
    const TURLCollection& schemes = FAutoURLDetect == adExtended ? FCustomURLs : kEngineSchemes;
    const int length = GetTextLen();
    if (FScanningLinks || schemes.Empty() || length <= 2) return;
    if (start >= end) {
        start = 0;
        end = length;
    }
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);

    FScanningLinks = true;
    HoldChangeNotifications(true);
    BeginUpdate();
    QTextDocument& doc = *document();
    for (QTextBlock block = doc.findBlock(start); block.isValid() && block.position() <= end; block = block.next())
        MarkLinksInBlock(block, start - block.position(), end - block.position(), schemes);
    EndUpdate();
    HoldChangeNotifications(false);
    FScanningLinks = false;
}

void TCustomRichEdit98::MarkLinksInBlock(const QTextBlock& block, int start, int end, const TURLCollection& schemes) {
    using TChange = TTextAttributes98::TChange;
    const QString text = block.text();
    const int base = block.position();
    // Widened to whole runs of link characters.
    int from = std::clamp(start, 0, int(text.size()));
    int to = std::clamp(end, 0, int(text.size()));
    while (from > 0 && UrlDetection::IsLinkChar(text[from - 1])) --from;
    while (to < text.size() && UrlDetection::IsLinkChar(text[to])) ++to;
    if (from >= to) return;

    struct TLink {
        int from, to;
        const TURLType* entry;
    };
    std::vector<TLink> links;
    for (int at = from; at < to;) {
        if (!UrlDetection::IsLinkChar(text[at])) {
            ++at;
            continue;
        }
        int wordEnd = at;
        while (wordEnd < to && UrlDetection::IsLinkChar(text[wordEnd])) ++wordEnd;
        if (const TURLType* entry = schemes.Classify(text.mid(at, wordEnd - at).toUpper()))
            links.push_back({at, wordEnd, entry});
        at = wordEnd;
    }
    // Text of the stretch that carries the link effect but is no link any more.
    std::vector<std::pair<int, int>> stale;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.charFormat().isAnchor()) continue;
        int fs = std::max(from, fragment.position() - base);
        const int fe = std::min(to, fragment.position() - base + fragment.length());
        for (const TLink& link : links) {
            if (link.to <= fs || link.from >= fe) continue;
            if (link.from > fs) stale.emplace_back(fs, link.from);
            fs = std::max(fs, link.to);
        }
        if (fs < fe) stale.emplace_back(fs, fe);
    }

    QTextDocument& doc = *document();
    TChange unlink;
    unlink.set.setAnchor(false);
    unlink.set.setUnderlineStyle(QTextCharFormat::NoUnderline);
    unlink.set.setProperty(RichEditFormat::UnderlineTypeProperty, 0);
    unlink.clears = {QTextFormat::AnchorHref, QTextFormat::ForegroundBrush};
    for (const auto& [fs, fe] : stale) TTextAttributes98::ApplyToRange(doc, base + fs, base + fe, unlink, true);
    for (const TLink& link : links) {
        TChange mark;
        mark.set.setAnchor(true);
        mark.set.setAnchorHref(text.mid(link.from, link.to - link.from));
        mark.set.setForeground(link.entry->Color.isValid() ? link.entry->Color : FURLColor);
        mark.set.setUnderlineStyle(link.entry->Underline ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
        mark.set.setProperty(RichEditFormat::UnderlineTypeProperty, link.entry->Underline ? 1 : 0);
        TTextAttributes98::ApplyToRange(doc, base + link.from, base + link.to, mark, true);
    }
}

QString TCustomRichEdit98::LinkTextAt(const QPoint& viewportPos) const {
    const QPointF point(viewportPos.x() + horizontalScrollBar()->value(), viewportPos.y() + verticalScrollBar()->value());
    const QTextBlock block = cursorForPosition(viewportPos).block();
    const QTextLayout* layout = block.layout();
    if (!layout) return QString();
    const QPointF local = point - document()->documentLayout()->blockBoundingRect(block).topLeft();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        if (!line.rect().contains(local) || local.x() > line.naturalTextRect().right()) continue;
        const int inBlock = line.xToCursor(local.x(), QTextLine::CursorOnCharacter);
        const auto [from, to] = LinkRunAround(block, inBlock);
        if (from < 0) return QString();
        return block.text().mid(from, to - from);
    }
    return QString();
}

void TCustomRichEdit98::mousePressEvent(QMouseEvent* event) {
    QTextEdit::mousePressEvent(event);
    if (OnMouseDown) {
        const QPoint at = event->position().toPoint();
        OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
    }
}

void TCustomRichEdit98::mouseMoveEvent(QMouseEvent* event) {
    QTextEdit::mouseMoveEvent(event);
    const QString link = LinkTextAt(event->position().toPoint());
    if (link.isEmpty()) {
        if (!FHoverLink.isEmpty()) viewport()->setCursor(Qt::IBeamCursor);
        FHoverLink.clear();
        return;
    }
    const TURLType* entry = FCustomURLs.EntryOfLink(link);
    const TCursor cursor = entry && entry->Cursor != crDefault ? entry->Cursor
                           : FURLCursor != crDefault           ? FURLCursor
                                                               : crHandPoint;
    viewport()->setCursor(CursorShape(cursor));
    FHoverLink = link;
    if (OnURLMove && link.size() > 1) OnURLMove(this, RichEditText::UnicodeToAnsi(link, FCodePage));
}

void TCustomRichEdit98::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QString link = LinkTextAt(event->position().toPoint());
    if (OnURLClick && link.size() > 1) OnURLClick(this, RichEditText::UnicodeToAnsi(link, FCodePage));
}
