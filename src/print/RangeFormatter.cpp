#include "print/RangeFormatter.h"

#include "richedit/KeptDecorations.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfKeptObject.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>

namespace {

struct TLine {
    qreal top, bottom;
    int pos;
};

// A piece that stays on one page when it can: a line of the text flow, or a table row
// (with its cells' lines, for cutting a row taller than a page).
struct TItem {
    qreal top, bottom;
    int pos;
    bool breakBefore = false;
    std::vector<TLine> lines;
};

constexpr QChar kFormFeed(0x0c);

// A form feed in the text (plain text keeps it) becomes a paragraph that starts a new
// page; a paragraph break takes exactly the form feed's one position.
void SplitAtFormFeeds(QTextDocument& doc) {
    QTextCursor found = doc.find(QString(kFormFeed));
    while (!found.isNull()) {
        QTextBlockFormat format = found.blockFormat();
        found.removeSelectedText();
        format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
        found.insertBlock(format);
        found = doc.find(QString(kFormFeed), found);
    }
}

// Pictures larger than the render rectangle shrink to fit, keeping their shape.
void FitPictures(QTextDocument& doc, const QSizeF& size, qreal deviceScale) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const qreal w = image.width() * deviceScale;
            const qreal h = image.height() * deviceScale;
            if (w <= 0 || h <= 0) continue;
            const qreal scale = std::min({1.0, size.width() / w, size.height() * 0.98 / h});
            if (scale >= 1.0) continue;
            image.setWidth(image.width() * scale);
            image.setHeight(image.height() * scale);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

class TCollector {
public:
    explicit TCollector(QAbstractTextDocumentLayout* layout) : FLayout(layout) {}

    std::vector<TItem> Items;

    void Frame(QTextFrame* frame) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child)) Table(table);
                else Frame(child);
            } else if (it.currentBlock().isValid()) {
                Block(it.currentBlock());
            }
        }
    }

private:
    void LinesOf(const QTextBlock& block, std::vector<TLine>& out) const {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0) return;
        const qreal origin = FLayout->blockBoundingRect(block).top() - layout->boundingRect().top();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            out.push_back({origin + line.y(), origin + line.y() + line.height(), block.position() + line.textStart()});
        }
    }

    void Block(const QTextBlock& block) {
        std::vector<TLine> lines;
        LinesOf(block, lines);
        const auto policy = block.blockFormat().pageBreakPolicy();
        bool breakBefore = FBreakAfterPrevious || (policy & QTextFormat::PageBreak_AlwaysBefore);
        for (const TLine& line : lines) {
            Items.push_back({line.top, line.bottom, line.pos, breakBefore, {}});
            breakBefore = false;
        }
        FBreakAfterPrevious = policy & QTextFormat::PageBreak_AlwaysAfter;
    }

    // Rows joined by a cell spanning them form one item.
    void Table(QTextTable* table) {
        const QTextTableFormat format = table->format();
        const qreal frame = format.border() + format.cellSpacing() + format.cellPadding();
        const QRectF bounds = FLayout->frameBoundingRect(table);
        const int rows = table->rows();
        bool breakBefore = FBreakAfterPrevious || (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
        FBreakAfterPrevious = false;
        int row = 0;
        while (row < rows) {
            int last = row;
            TItem item{0, 0, -1, breakBefore, {}};
            breakBefore = false;
            for (int r = row; r <= last; ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                    last = std::max(last, r + cell.rowSpan() - 1);
                    const int first = cell.firstPosition();
                    const int end = cell.lastPosition();
                    if (item.pos < 0) item.pos = first;
                    for (QTextBlock b = table->document()->findBlock(first); b.isValid() && b.position() <= end;
                         b = b.next())
                        LinesOf(b, item.lines);
                }
            }
            last = std::min(last, rows - 1);
            if (item.lines.empty()) {
                row = last + 1;
                continue;
            }
            item.top = item.lines.front().top;
            item.bottom = item.lines.front().bottom;
            for (const TLine& line : item.lines) {
                item.top = std::min(item.top, line.top);
                item.bottom = std::max(item.bottom, line.bottom);
            }
            item.top = row == 0 ? bounds.top() : item.top - frame;
            item.bottom = last == rows - 1 ? bounds.bottom() : item.bottom + frame;
            if (!Items.empty() && !Items.back().lines.empty() && item.top < Items.back().bottom)
                item.top = Items.back().bottom;
            Items.push_back(std::move(item));
            row = last + 1;
        }
        FBreakAfterPrevious = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter;
    }

    QAbstractTextDocumentLayout* FLayout;
    bool FBreakAfterPrevious = false;
};

// Where to cut a row taller than the room left: the highest line top such that no
// line of the row crosses the cut; the plain limit when no line boundary will do.
qreal CutInside(const TItem& item, qreal pageTop, qreal limit) {
    qreal cut = limit;
    for (bool moved = true; moved;) {
        moved = false;
        for (const TLine& line : item.lines) {
            if (line.top < cut && line.bottom > cut && line.top > pageTop) {
                cut = line.top;
                moved = true;
            }
        }
    }
    for (const TLine& line : item.lines)
        if (line.top < cut && line.bottom > cut) return limit; // a line taller than a page
    return cut > pageTop ? cut : limit;
}

// The first position, in document order, of a line that begins at or below the cut.
int PositionAfterCut(const TItem& item, qreal cut, int fallback) {
    for (const TLine& line : item.lines)
        if (line.top >= cut) return line.pos;
    return fallback;
}

std::vector<TRangeFormatter::TPage> CutIntoPages(const std::vector<TItem>& items, qreal height, int length) {
    std::vector<TRangeFormatter::TPage> pages;
    if (items.empty()) {
        pages.push_back({0, height, 0, length});
        return pages;
    }
    qreal pageTop = items.front().top;
    int pageStart = 0;
    bool empty = true;
    auto close = [&](qreal bottom, int end) {
        end = std::max(end, pageStart + 1); // every page moves the position on
        pages.push_back({pageTop, bottom, pageStart, end});
        pageStart = end;
        pageTop = bottom;
    };
    for (const TItem& item : items) {
        if (!empty && (item.breakBefore || item.bottom - pageTop > height)) {
            close(item.top, item.pos);
            pageTop = item.top;
            empty = true;
        }
        while (item.bottom - pageTop > height) {
            const qreal limit = pageTop + height;
            const qreal cut = CutInside(item, pageTop, limit);
            close(cut, PositionAfterCut(item, cut, item.pos));
        }
        empty = false;
    }
    pages.push_back({pageTop, pageTop + height, pageStart, length});
    if (pages.back().Start >= length && pages.size() > 1) {
        // Positions ran out before the pages did (only in odd row cuts): the last
        // pages share the final position.
        for (auto& page : pages) page.End = std::min(page.End, length);
    }
    return pages;
}

} // namespace

struct TRangeFormatter::TCache {
    const QTextDocument* source = nullptr;
    int revision = -1;
    int characters = -1;
    QSizeF size;
    int dpiX = 0, dpiY = 0;
    std::unique_ptr<QTextDocument> copy;
    std::vector<TPage> pages;
};

TRangeFormatter::TRangeFormatter() = default;
TRangeFormatter::~TRangeFormatter() = default;

void TRangeFormatter::Release() { FCache.reset(); }

const std::vector<TRangeFormatter::TPage>& TRangeFormatter::Paginate(const QTextDocument& document,
                                                                      const QSizeF& size, QPaintDevice* device) {
    const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
    if (FCache && FCache->source == &document && FCache->revision == document.revision() &&
        FCache->characters == document.characterCount() && FCache->size == size && FCache->dpiX == dpiX &&
        FCache->dpiY == dpiY)
        return FCache->pages;

    auto cache = std::make_unique<TCache>();
    cache->source = &document;
    cache->revision = document.revision();
    cache->characters = document.characterCount();
    cache->size = size;
    cache->dpiX = dpiX;
    cache->dpiY = dpiY;
    cache->copy.reset(document.clone());
    QTextDocument& copy = *cache->copy;
    copy.setUndoRedoEnabled(false);
    SplitAtFormFeeds(copy);
    // Picture sizes are screen pixels; the layout scales them to the device.
    FitPictures(copy, size, dpiY / 96.0);
    copy.setDocumentMargin(0);
    copy.documentLayout()->setPaintDevice(device);
    RtfEngine::RegisterKeptObjects(&copy); // a clone's layout knows no footnote marks of its own
    copy.setTextWidth(size.width());
    copy.documentLayout()->documentSize(); // lays the whole document out once

    TCollector collector(copy.documentLayout());
    collector.Frame(copy.rootFrame());
    cache->pages = CutIntoPages(collector.Items, size.height(), document.characterCount() - 1);
    FCache = std::move(cache);
    return FCache->pages;
}

int TRangeFormatter::FormatRange(const QTextDocument& document, QPainter& painter, QPaintDevice* device,
                                 const QRect& renderTwips, int start) {
    const qreal dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
    const QRectF render(renderTwips.left() * dpiX / 1440.0, renderTwips.top() * dpiY / 1440.0,
                        (renderTwips.right() - renderTwips.left()) * dpiX / 1440.0,
                        (renderTwips.bottom() - renderTwips.top()) * dpiY / 1440.0);
    if (render.width() < 1 || render.height() < 1) return -1;
    const std::vector<TPage>& pages = Paginate(document, render.size(), device);

    // The page whose first position is the last one at or before `start`.
    auto page = std::upper_bound(pages.begin(), pages.end(), start,
                                 [](int pos, const TPage& p) { return pos < p.Start; });
    if (page != pages.begin()) --page;
    if (start >= document.characterCount() - 1 && document.characterCount() > 1) return start;

    painter.save();
    painter.translate(render.left(), render.top() - page->Top);
    const QRectF clip(-render.left(), page->Top, render.width() + 2 * render.left(), page->Bottom - page->Top);
    painter.setClipRect(clip, Qt::IntersectClip);
    // Text is drawn line by line within the context's clip: half a pixel inside the band
    // keeps the lines of neighbouring pages out of this page, even from a PDF's text.
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip.adjusted(0, 0.5, 0, -0.5);
    context.palette.setColor(QPalette::Text, Qt::black);
    FCache->copy->documentLayout()->draw(&painter, context);
    RtfEngine::DrawListNumbers(painter, *FCache->copy, context.clip, context.palette.text());
    RtfEngine::DrawKeptDecorations(painter, *FCache->copy, context.clip, context.palette.text());
    painter.restore();
    return page->End;
}
