// Border flood fill on an image, as a painter's FloodFill up to a border colour.
#pragma once
#include <QColor>
#include <QImage>
#include <QPoint>

namespace Dialogs {

// Paints every pixel 4-connected to `seed` whose colour is not `border` with `fill`.
// Runs in time linear in the image size; a seed outside the image or on the border
// colour paints nothing.
void FloodFillToBorder(QImage& image, QPoint seed, QColor border, QColor fill);

} // namespace Dialogs
