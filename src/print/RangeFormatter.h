// The rich edit engine's range formatting for printing (EM_FORMATRANGE): the document
// is laid out once into the width of the render rectangle, at the target device's
// resolution, and cut into pages; each call draws the page that starts at a position
// and returns the position after its last character. Lines are never cut at a page's
// foot; a table row goes whole to the next page when it does not fit (a row taller
// than a page is cut between lines); a page break in the document starts a page;
// a picture larger than the render rectangle is scaled down to fit.
#pragma once
#include <QRect>
#include <QSizeF>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QTextDocument;

class TRangeFormatter {
public:
    // One page: the band [Top, Bottom) of the laid-out document (device pixels) and
    // the positions [Start, End) it shows.
    struct TPage {
        qreal Top = 0;
        qreal Bottom = 0;
        int Start = 0;
        int End = 0;
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

private:
    struct TCache;
    std::unique_ptr<TCache> FCache;
};
