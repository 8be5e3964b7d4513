// The rich edit engine's range formatting for printing (EM_FORMATRANGE): the document
// is laid out once into the width of the render rectangle, in layout units (twips)
// and drawn scaled to the target device, and cut into pages; each call draws the page that starts at a position
// and returns the position after its last character. Lines are never cut at a page's
// foot; a table row goes whole to the next page when it does not fit (a row taller
// than a page is cut between lines); a page break in the document starts a page;
// a picture larger than the render rectangle is scaled down to fit. Paragraphs kept
// together or with the next, widow control, section breaks and a table's header rows
// (repeated on every page the table crosses) are honoured.
#pragma once
#include <QRect>
#include <QSizeF>
#include <cstddef>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QTextDocument;

class TRangeFormatter {
public:
    // One page: the band [Top, Bottom) of the laid-out document (layout units) and
    // the positions [Start, End) it shows.
    struct TPage {
        qreal Top = 0;
        qreal Bottom = 0;
        int Start = 0;
        int End = 0;
        // A table's header rows repeated above the band: [HeaderTop, HeaderBottom).
        qreal HeaderTop = 0;
        qreal HeaderBottom = 0;
    };

    TRangeFormatter();
    ~TRangeFormatter();

    // The pages of `document` for a render rectangle of `size` device pixels on
    // `device` (whose resolution sizes fonts and pictures). Laid out again only when
    // the document, the size or the resolution changed since the last call.
    const std::vector<TPage>& Paginate(const QTextDocument& document, const QSizeF& size, QPaintDevice* device);

    // Draws onto `painter` the page that begins at `start` into `renderTwips` (twips of
    // `device`'s resolution, relative to the painter's origin); returns the position
    // after the page's last character, or -1 when the rectangle holds nothing.
    int FormatRange(const QTextDocument& document, QPainter& painter, QPaintDevice* device,
                    const QRect& renderTwips, int start);

    // Drops the laid-out copy (EM_FORMATRANGE without a range).
    void Release();

    // The pages of the last pagination (0 before any), and the index of the page that
    // shows position `start`.
    std::size_t PageCount() const;
    const std::vector<TPage>& Pages() const;
    int PageIndexOf(int start) const;

    // Every length of a document is in units of 1/96 inch; a copy for paper is laid out
    // in finer units, layout units (twips), and drawn scaled to the device. These convert
    // a size of device pixels, and scale a painter that draws in device pixels, to layout units.
    static constexpr int kLayoutDpi = 1440;
    static QSizeF ToLayoutUnits(const QSizeF& size, const QPaintDevice& device);
    static void ScaleToDevice(QPainter& painter, const QPaintDevice& device, int layoutDpi = kLayoutDpi);
    // Readies a copy of a document to be laid out for paper `size` (layout units) wide
    // and tall: its lengths in layout units, form feeds made page breaks, pictures fit
    // to the page, tab stops every "\deftab"; lays it out.
    static void PrepareForPaper(QTextDocument& copy, const QSizeF& size);
    // Draws a prepared copy's band `clip` (layout units) with its list numbers and
    // kept decorations; `first`: the position of the band's first line (-1: a table's rows).
    static void DrawLaidOut(const QTextDocument& copy, QPainter& painter, const QRectF& clip, int first = -1);

private:
    struct TCache;
    std::unique_ptr<TCache> FCache;
};
