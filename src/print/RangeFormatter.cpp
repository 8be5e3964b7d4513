#include "print/RangeFormatter.h"

#include "print/DocumentPage.h"
#include "print/PaperLengths.h"
#include "richedit/KeptDecorations.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfEngine.h"
#include "rtf/RtfKeptObject.h"
#include "rtf/RtfTokenizer.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QTextTableFormat>
#include <algorithm>
#include <cmath>

namespace {

// The resolution every length of the document is written in (1 unit = 1/96 inch). A copy
// for paper is laid out at the finer resolution of layout units (twips), where fonts keep
// their designed heights and widths, and drawn scaled to the device: indents, tabs,
// columns, padding and pictures keep their size on any printer. The toolkit's layout
// scales a table's lengths, space above and below, tab stops and pictures to it by itself.
constexpr int kDocumentDpi = 96;

// The toolkit keeps layout positions in 26.6 fixed point: in twips a document reaches its
// end after some 23,000 inches (a few thousand pages) and its layout runs away. A copy that
// might be that long is laid out in the document's own units instead, as before twips.
constexpr const char* kLayoutDpiProperty = "kelvoraLayoutDpi";
constexpr qreal kLongestTwipsLayoutInches = 20000;

int LayoutDpiOf(const QTextDocument& copy) {
    const QVariant dpi = copy.property(kLayoutDpiProperty);
    return dpi.isValid() ? dpi.toInt() : TRangeFormatter::kLayoutDpi;
}
qreal LayoutScaleOf(const QTextDocument& copy) { return qreal(LayoutDpiOf(copy)) / kDocumentDpi; }

// An upper bound of the laid-out height: every paragraph a line or more, a line every 16
// characters at most (narrow cells), none taller than 0.4 inch.
int LayoutDpiFor(const QTextDocument& document) {
    const qreal lines = qreal(document.blockCount()) + qreal(document.characterCount()) / 16;
    return lines * 0.4 < kLongestTwipsLayoutInches ? TRangeFormatter::kLayoutDpi : kDocumentDpi;
}

QSizeF InLayoutUnits(const QSizeF& size, const QPaintDevice& device, int dpi) {
    return QSizeF(size.width() * dpi / device.logicalDpiX(), size.height() * dpi / device.logicalDpiY());
}

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
    qreal spaceBefore = 0; // kept above an item that starts a page by a break
    bool keepWithNext = false; // goes to the next page with the item after it
    // A table row's header rows (the band [headerTop, headerBottom)), repeated at the top
    // of a page that this row begins; empty for anything else.
    qreal headerTop = 0, headerBottom = 0;
};

// The rows at a table's start marked as its header (\trhdr).
int HeaderRowsOf(const QTextTableFormat& format) {
    const QVariantList rows = format.property(RtfEngine::kTableRowsProperty).toList();
    int count = 0;
    while (count < rows.size() && rows[count].toByteArray().contains("\\trhdr")) ++count;
    return count;
}

// What a paragraph asks of the page: kept whole (\keep), kept with the next one
// (\keepn), no single first or last line alone on a page (\widctlpar).
struct TParaKeeping {
    bool whole = false, withNext = false, widowControl = false;
};

TParaKeeping KeepingOf(const QTextBlockFormat& format) {
    TParaKeeping keeping;
    const QByteArray kept = format.property(RtfEngine::kParaKeptProperty).toByteArray();
    if (kept.isEmpty()) return keeping;
    RtfEngine::RtfTokenizer tokens(std::string_view(kept.constData(), std::size_t(kept.size())));
    for (RtfEngine::RtfToken token = tokens.Next(); token.kind != RtfEngine::RtfToken::End; token = tokens.Next()) {
        if (token.kind != RtfEngine::RtfToken::Word) continue;
        const bool on = !token.hasParam || token.param != 0;
        if (token.word == "keep") keeping.whole = on;
        else if (token.word == "keepn") keeping.withNext = on;
        else if (token.word == "widctlpar") keeping.widowControl = true;
        else if (token.word == "nowidctlpar") keeping.widowControl = false;
    }
    return keeping;
}

// A paragraph that starts a section starts a page, unless its break is continuous.
bool SectionBreaksPage(const QTextBlockFormat& format) {
    if (!format.hasProperty(RtfEngine::kSectionProperty)) return false;
    return !format.property(RtfEngine::kSectionProperty).toByteArray().contains("\\sbknone");
}

// A paragraph that a page or section break puts at the top of a page.
bool StartsPage(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    return (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) || SectionBreaksPage(format) ||
           (block.previous().isValid() &&
            (block.previous().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter));
}

// The lines [first, last) of a paragraph as one item.
TItem ItemOfLines(const std::vector<TLine>& lines, std::size_t first, std::size_t last) {
    TItem item{lines[first].top, lines[last - 1].bottom, lines[first].pos, false, {}};
    if (last - first > 1) item.lines.assign(lines.begin() + std::ptrdiff_t(first), lines.begin() + std::ptrdiff_t(last));
    return item;
}

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
void FitPictures(QTextDocument& doc, const QSizeF& size) {
    const qreal scale = LayoutScaleOf(doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const qreal w = image.width() * scale;
            const qreal h = image.height() * scale;
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

// The largest top and bottom padding of the cells of rows [first, last]: a row on paper
// reaches from its cells' top padding to their bottom padding.
std::pair<qreal, qreal> RowPadding(QTextTable* table, int first, int last) {
    qreal top = 0, bottom = 0;
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCellFormat format = table->cellAt(r, c).format().toTableCellFormat();
            top = std::max(top, format.topPadding());
            bottom = std::max(bottom, format.bottomPadding());
        }
    const qreal scale = LayoutScaleOf(*table->document());
    return {top * scale, bottom * scale};
}

class TCollector {
public:
    explicit TCollector(QAbstractTextDocumentLayout* layout)
        : FLayout(layout), FScale(LayoutScaleOf(*layout->document())) {}

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

    // A paragraph's lines as items: each line alone, the whole paragraph when it is kept
    // together, its first two and last two lines together under widow control.
    void Block(const QTextBlock& block) {
        std::vector<TLine> lines;
        LinesOf(block, lines);
        const QTextBlockFormat format = block.blockFormat();
        const auto policy = format.pageBreakPolicy();
        const bool breakBefore =
            FBreakAfterPrevious || (policy & QTextFormat::PageBreak_AlwaysBefore) || SectionBreaksPage(format);
        FBreakAfterPrevious = policy & QTextFormat::PageBreak_AlwaysAfter;
        if (lines.empty()) return;
        const TParaKeeping keeping = KeepingOf(format);
        const std::size_t n = lines.size();
        const std::size_t firstItem = Items.size();
        if (keeping.whole || (keeping.widowControl && n <= 3)) {
            Items.push_back(ItemOfLines(lines, 0, n));
        } else if (keeping.widowControl) {
            Items.push_back(ItemOfLines(lines, 0, 2));
            for (std::size_t i = 2; i + 2 < n; ++i) Items.push_back(ItemOfLines(lines, i, i + 1));
            Items.push_back(ItemOfLines(lines, n - 2, n));
        } else {
            for (std::size_t i = 0; i < n; ++i) Items.push_back(ItemOfLines(lines, i, i + 1));
        }
        Items[firstItem].breakBefore = breakBefore;
        if (breakBefore) Items[firstItem].spaceBefore = format.topMargin() * FScale;
        Items.back().keepWithNext = keeping.withNext;
    }

    // Rows joined by a cell spanning them form one item.
    void Table(QTextTable* table) {
        const QTextTableFormat format = table->format();
        const qreal frame = (format.border() + format.cellSpacing() + format.cellPadding()) * FScale;
        const QRectF bounds = FLayout->frameBoundingRect(table);
        const int rows = table->rows();
        const int headerRows = HeaderRowsOf(format);
        qreal headerBottom = bounds.top(); // bottom of the header rows laid out so far
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
            const auto [padTop, padBottom] = RowPadding(table, row, last);
            item.top = row == 0 ? bounds.top() : item.top - frame - padTop;
            item.bottom = last == rows - 1 ? bounds.bottom() : item.bottom + frame + padBottom;
            if (!Items.empty() && !Items.back().lines.empty() && item.top < Items.back().bottom)
                item.top = Items.back().bottom;
            if (last < headerRows) headerBottom = item.bottom;
            else if (headerRows > 0 && headerRows < rows && headerBottom > bounds.top()) {
                item.headerTop = bounds.top();
                item.headerBottom = headerBottom;
            }
            Items.push_back(std::move(item));
            row = last + 1;
        }
        FBreakAfterPrevious = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter;
    }

    QAbstractTextDocumentLayout* FLayout;
    const qreal FScale; // layout units in a document unit
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

// The first item of the run of items kept with `index` that ends just before it, no
// earlier than `pageFirst`.
std::size_t KeptRunStart(const std::vector<TItem>& items, std::size_t index, std::size_t pageFirst) {
    std::size_t first = index;
    while (first > pageFirst && items[first - 1].keepWithNext) --first;
    return first;
}

std::vector<TRangeFormatter::TPage> CutIntoPages(const std::vector<TItem>& items, qreal height, int length) {
    std::vector<TRangeFormatter::TPage> pages;
    if (items.empty()) {
        pages.push_back({0, height, 0, length});
        return pages;
    }
    TRangeFormatter::TPage page{std::min<qreal>(0, items.front().top), 0, 0, 0}; // space above the first line kept
    qreal room = height;       // for the page's own items, under a repeated header
    std::size_t pageFirst = 0; // the first item on the page
    auto close = [&](qreal bottom, int end) {
        end = std::max(end, page.Start + 1); // every page moves the position on
        page.Bottom = bottom;
        page.End = end;
        pages.push_back(page);
        page = {bottom, 0, end, 0};
        room = height;
    };
    // A page that a table row begins repeats the table's header rows, if they leave room.
    auto repeatHeader = [&](const TItem& item) {
        const qreal band = item.headerBottom - item.headerTop;
        if (band <= 0 || band > height / 2) return;
        page.HeaderTop = item.headerTop;
        page.HeaderBottom = item.headerBottom;
        room = height - band;
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TItem* item = &items[i];
        if (i > pageFirst && (item->breakBefore || item->bottom - page.Top > room)) {
            // Items kept with this one go along, unless they began the page.
            if (!item->breakBefore) {
                const std::size_t run = KeptRunStart(items, i, pageFirst);
                if (run > pageFirst) {
                    i = run;
                    item = &items[i];
                }
            }
            close(item->top - (item->breakBefore ? item->spaceBefore : 0), item->pos);
            pageFirst = i;
            repeatHeader(*item);
        }
        while (item->bottom - page.Top > room) {
            const qreal cut = CutInside(*item, page.Top, page.Top + room);
            close(cut, PositionAfterCut(*item, cut, item->pos));
            pageFirst = i;
            repeatHeader(*item);
        }
    }
    page.Bottom = page.Top + room;
    page.End = length;
    pages.push_back(page);
    if (pages.back().Start >= length && pages.size() > 1) {
        // Positions ran out before the pages did (only in odd row cuts): the last
        // pages share the final position.
        for (auto& p : pages) p.End = std::min(p.End, length);
    }
    return pages;
}

QImage DeviceOfDpi(int dpi) {
    QImage image(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QPaintDevice& LayoutUnitsDevice(int dpi) {
    static QImage twips = DeviceOfDpi(TRangeFormatter::kLayoutDpi);
    static QImage documentUnits = DeviceOfDpi(kDocumentDpi);
    return dpi == kDocumentDpi ? documentUnits : twips;
}

} // namespace

struct TRangeFormatter::TCache {
    const QTextDocument* source = nullptr;
    int revision = -1;
    int characters = -1;
    QSizeF size;
    std::unique_ptr<QTextDocument> copy;
    std::vector<TPage> pages;
};

TRangeFormatter::TRangeFormatter() = default;
TRangeFormatter::~TRangeFormatter() = default;

void TRangeFormatter::Release() { FCache.reset(); }

QSizeF TRangeFormatter::ToLayoutUnits(const QSizeF& size, const QPaintDevice& device) {
    return InLayoutUnits(size, device, kLayoutDpi);
}

void TRangeFormatter::ScaleToDevice(QPainter& painter, const QPaintDevice& device, int layoutDpi) {
    painter.scale(qreal(device.logicalDpiX()) / layoutDpi, qreal(device.logicalDpiY()) / layoutDpi);
}

namespace {

// A row's height as its definition gives it (\trrh, twips; negative: exactly), 0 when free.
int RowHeightTwips(const QVariantList& rows, int row) {
    if (row >= rows.size()) return 0;
    const QByteArray words = rows[row].toByteArray();
    RtfEngine::RtfTokenizer tokens(std::string_view(words.constData(), std::size_t(words.size())));
    int height = 0;
    for (RtfEngine::RtfToken token = tokens.Next(); token.kind != RtfEngine::RtfToken::End; token = tokens.Next())
        if (token.kind == RtfEngine::RtfToken::Word && token.word == "trrh" && token.hasParam)
            height = std::clamp(token.param, -31680, 31680);
    return height;
}

// The laid-out bottom of a cell's content with its bottom padding, and the top of its
// first line less its top padding.
std::pair<qreal, qreal> CellExtent(const QTextTableCell& cell, QAbstractTextDocumentLayout* layout, qreal scale) {
    const QTextDocument* document = cell.firstCursorPosition().document();
    const QTextTableCellFormat format = cell.format().toTableCellFormat();
    const QTextBlock first = document->findBlock(cell.firstPosition());
    const QTextBlock last = document->findBlock(cell.lastPosition());
    return {layout->blockBoundingRect(first).top() - format.topPadding() * scale,
            layout->blockBoundingRect(last).bottom() + format.bottomPadding() * scale};
}

// Rows lower than their definition asks grow to it: their cells get the missing height as
// bottom padding. True when a row grew (the copy must then be laid out again).
bool GrowRows(QTextFrame* frame, QAbstractTextDocumentLayout* layout) {
    bool grown = false;
    for (QTextFrame* child : frame->childFrames()) {
        grown = GrowRows(child, layout) || grown;
        auto* table = qobject_cast<QTextTable*>(child);
        if (!table) continue;
        const QVariantList rows = table->format().property(RtfEngine::kTableRowsProperty).toList();
        if (rows.isEmpty()) continue;
        const qreal scale = LayoutScaleOf(*table->document());
        for (int r = 0; r < table->rows(); ++r) {
            const int twips = RowHeightTwips(rows, r);
            if (twips == 0) continue;
            const qreal wanted = std::abs(twips) * scale * kDocumentDpi / 1440.0;
            qreal top = 0, bottom = 0;
            bool first = true;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c || cell.rowSpan() > 1) continue;
                const auto [cellTop, cellBottom] = CellExtent(cell, layout, scale);
                top = first ? cellTop : std::min(top, cellTop);
                bottom = first ? cellBottom : std::max(bottom, cellBottom);
                first = false;
            }
            const qreal missing = wanted - (bottom - top);
            if (first || missing <= 0.5) continue;
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c || cell.rowSpan() > 1) continue;
                QTextTableCellFormat format = cell.format().toTableCellFormat();
                format.setBottomPadding(format.bottomPadding() + missing / scale);
                cell.setFormat(format);
            }
            grown = true;
        }
    }
    return grown;
}

} // namespace

void TRangeFormatter::PrepareForPaper(QTextDocument& copy, const QSizeF& size) {
    copy.setUndoRedoEnabled(false);
    SplitAtFormFeeds(copy);
    copy.setDocumentMargin(0);
    Print::HangListTexts(copy);
    Print::ScaleLengths(copy, LayoutScaleOf(copy));
    Print::DropListIndents(copy);
    Print::MakeRoomForBorders(copy);
    Print::KeepSpaceAroundTables(copy);
    Print::AddSpaceBetweenParagraphs(copy, StartsPage);
    FitPictures(copy, size);
    copy.setUseDesignMetrics(true); // widths as the font designs them, not as the screen rounds them
    QTextOption option = copy.defaultTextOption();
    option.setTabStopDistance(Print::DocumentPageOf(copy).DefaultTabTwips / RtfEngine::kTwipsPerUnit);
    copy.setDefaultTextOption(option);
    copy.documentLayout()->setPaintDevice(&LayoutUnitsDevice(LayoutDpiOf(copy)));
    RtfEngine::RegisterKeptObjects(&copy); // a clone's layout knows no footnote marks of its own
    copy.setTextWidth(size.width());
    copy.documentLayout()->documentSize(); // lays the whole document out once
    if (GrowRows(copy.rootFrame(), copy.documentLayout())) copy.documentLayout()->documentSize();
}

const std::vector<TRangeFormatter::TPage>& TRangeFormatter::Paginate(const QTextDocument& document,
                                                                      const QSizeF& size, QPaintDevice* device) {
    const int dpi = LayoutDpiFor(document);
    const QSizeF units = InLayoutUnits(size, *device, dpi);
    if (FCache && FCache->source == &document && FCache->revision == document.revision() &&
        FCache->characters == document.characterCount() && FCache->size == units)
        return FCache->pages;

    auto cache = std::make_unique<TCache>();
    cache->source = &document;
    cache->revision = document.revision();
    cache->characters = document.characterCount();
    cache->size = units;
    cache->copy.reset(document.clone());
    cache->copy->setProperty(kLayoutDpiProperty, dpi);
    PrepareForPaper(*cache->copy, units);

    TCollector collector(cache->copy->documentLayout());
    collector.Frame(cache->copy->rootFrame());
    cache->pages = CutIntoPages(collector.Items, units.height(), document.characterCount() - 1);
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

    const int layoutDpi = LayoutDpiOf(*FCache->copy);
    const qreal left = render.left() * layoutDpi / dpiX;
    const qreal band = page->HeaderBottom - page->HeaderTop;
    // The band [top, bottom) of the laid-out copy drawn `down` units below the render top.
    auto drawBand = [&](qreal top, qreal bottom, qreal down, int first) {
        painter.save();
        painter.translate(render.left(), render.top());
        ScaleToDevice(painter, *device, layoutDpi);
        painter.translate(0, down - top);
        const QRectF clip(-left, top, FCache->size.width() + 2 * left, bottom - top);
        painter.setClipRect(clip, Qt::IntersectClip);
        DrawLaidOut(*FCache->copy, painter, clip, first);
        painter.restore();
    };
    if (band > 0) drawBand(page->HeaderTop, page->HeaderBottom, 0, -1);
    drawBand(page->Top, page->Bottom, std::max<qreal>(band, 0), page->Start);
    return page->End;
}

namespace {

// The paragraph of the flow holding position `first` when the clip's top cuts it between
// two of its lines.
QTextBlock ParagraphCutAtTop(const QTextDocument& copy, const QRectF& clip, int first) {
    const QTextBlock block = copy.findBlock(first);
    if (first < 0 || !block.isValid() || !block.layout() || QTextCursor(block).currentTable()) return QTextBlock();
    const QTextLayout* lines = block.layout();
    if (lines->lineCount() < 2) return QTextBlock();
    const qreal origin = lines->position().y();
    const QTextLine top = lines->lineAt(0), last = lines->lineAt(lines->lineCount() - 1);
    const bool cut = origin + top.y() + top.height() <= clip.top() && origin + last.y() + last.height() > clip.top();
    return cut ? block : QTextBlock();
}

// Draws the lines of `block` that reach into the clip; returns the bottom of the last.
qreal DrawLinesInClip(const QTextBlock& block, QPainter& painter, const QRectF& clip) {
    const QTextLayout* layout = block.layout();
    const QPointF origin = layout->position();
    qreal bottom = clip.top();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const qreal top = origin.y() + line.y();
        if (top + line.height() <= clip.top() || top >= clip.bottom()) continue;
        line.draw(&painter, origin);
        bottom = top + line.height();
    }
    return bottom;
}

} // namespace

void TRangeFormatter::DrawLaidOut(const QTextDocument& copy, QPainter& painter, const QRectF& clip, int first) {
    // Text is drawn line by line within the context's clip: a hundredth of an inch inside
    // the band keeps the lines of neighbouring pages out of this page, even from a PDF's text.
    QAbstractTextDocumentLayout::PaintContext context;
    const qreal inset = LayoutDpiOf(copy) / 100.0;
    context.clip = clip.adjusted(0, inset, 0, -inset);
    context.palette.setColor(QPalette::Text, Qt::black);
    // The toolkit draws a paragraph's last line above the clip as well: a paragraph that
    // the band's top cuts has its lines in the band drawn one by one, the flow below it.
    QAbstractTextDocumentLayout::PaintContext below = context;
    if (const QTextBlock cut = ParagraphCutAtTop(copy, context.clip, first); cut.isValid()) {
        painter.save();
        painter.setPen(Qt::black);
        const qreal bottom = DrawLinesInClip(cut, painter, context.clip);
        painter.restore();
        below.clip.setTop(std::max(bottom, copy.documentLayout()->blockBoundingRect(cut).bottom()) + inset);
    }
    if (below.clip.height() > 0) copy.documentLayout()->draw(&painter, below);
    RtfEngine::DrawListNumbers(painter, copy, context.clip, context.palette.text());
    RtfEngine::DrawKeptDecorations(painter, copy, context.clip, context.palette.text());
}

std::size_t TRangeFormatter::PageCount() const { return FCache ? FCache->pages.size() : 0; }

const std::vector<TRangeFormatter::TPage>& TRangeFormatter::Pages() const {
    static const std::vector<TPage> none;
    return FCache ? FCache->pages : none;
}

int TRangeFormatter::PageIndexOf(int start) const {
    if (!FCache) return 0;
    const auto& pages = FCache->pages;
    auto page = std::upper_bound(pages.begin(), pages.end(), start,
                                 [](int pos, const TPage& p) { return pos < p.Start; });
    return page == pages.begin() ? 0 : int(page - pages.begin()) - 1;
}
