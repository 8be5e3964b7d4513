#include "dialogs/FloodFill.h"

#include <vector>

namespace Dialogs {

void FloodFillToBorder(QImage& image, QPoint seed, QColor border, QColor fill)
{
    if (!image.rect().contains(seed))
        return;
    const QRgb borderRgb = border.rgba();
    const QRgb fillRgb = fill.rgba();
    const int width = image.width();
    // Exact match: a transparent pixel is not the opaque border colour.
    auto isBorder = [&](int x, int y) { return image.pixel(x, y) == borderRgb; };
    if (isBorder(seed.x(), seed.y()))
        return;

    // A separate visited map: the fill colour may equal colours already present.
    std::vector<bool> visited(static_cast<size_t>(width) * image.height(), false);
    std::vector<QPoint> pending{seed};
    visited[static_cast<size_t>(seed.y()) * width + seed.x()] = true;
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        image.setPixel(p, fillRgb);
        const QPoint neighbours[] = {{p.x() + 1, p.y()}, {p.x() - 1, p.y()}, {p.x(), p.y() + 1}, {p.x(), p.y() - 1}};
        for (const QPoint& n : neighbours) {
            if (!image.rect().contains(n))
                continue;
            const size_t index = static_cast<size_t>(n.y()) * width + n.x();
            if (visited[index] || isBorder(n.x(), n.y()))
                continue;
            visited[index] = true;
            pending.push_back(n);
        }
    }
}

} // namespace Dialogs
