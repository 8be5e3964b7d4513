#include "dialogs/BalloonImage.h"

#include "dialogs/FloodFill.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace Dialogs {

namespace {

constexpr int kTailWidth = 15;
constexpr QRgb kTailTransparent = qRgb(255, 255, 0);

struct TextMeasure {
    int Width = 0;  // widest line
    int Height = 0; // sum of the line heights
};

TextMeasure MeasureLines(const QFont& font, const QStringList& lines)
{
    const QFontMetrics metrics(font);
    TextMeasure m;
    for (const QString& line : lines) {
        m.Width = std::max(m.Width, metrics.horizontalAdvance(line));
        m.Height += metrics.height();
    }
    return m;
}

// Horizontal positions of the parts; the left-pointing balloon mirrors the other.
struct AlignLayout {
    int BodyLeft, BodyRight, TextMargin, TailX, SeedX;
    int TouchX[3];
    const char* TailResource;
};

AlignLayout LayoutFor(TBaloonAlign align, int textWidth, int imageWidth)
{
    if (align == alLeft)
        return {2, textWidth + 13, 8, imageWidth - kTailWidth, imageWidth - 12,
                {imageWidth - 4, imageWidth - 4, imageWidth - 3}, ":/TAILLEFT"};
    return {10, textWidth + 21, 15, 0, 12, {3, 3, 4}, ":/TAIL"};
}

// The tail picture with its yellow pixels made transparent.
QImage LoadTail(const char* resource)
{
    QImage tail = QImage(QString::fromLatin1(resource)).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < tail.height(); ++y)
        for (int x = 0; x < tail.width(); ++x)
            if ((tail.pixel(x, y) | 0xFF000000u) == kTailTransparent)
                tail.setPixel(x, y, qRgba(0, 0, 0, 0));
    return tail;
}

// Whether the pixel centre lies in the shape spanning [left, right] x [top, bottom],
// whose corners are quarter ellipses of the given semi-axes.
bool InShape(int x, int y, const QRect& box, double rx, double ry)
{
    const double cx = x + 0.5, cy = y + 0.5;
    const double left = box.left(), top = box.top(), right = box.left() + box.width(), bottom = box.top() + box.height();
    if (cx < left || cx > right || cy < top || cy > bottom)
        return false;
    const double dx = cx < left + rx ? left + rx - cx : cx > right - rx ? cx - (right - rx) : 0;
    const double dy = cy < top + ry ? top + ry - cy : cy > bottom - ry ? cy - (bottom - ry) : 0;
    if (dx == 0 || dy == 0)
        return true;
    return (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) <= 1.0;
}

// A shape from (left, top) to (right, bottom), right and bottom edges excluded, filled
// with `brush` inside a one-pixel black outline. Drawn pixel by pixel so that the
// mirrored balloon is the exact mirror image.
void DrawBodyShape(QImage& image, TPShape shape, int left, int top, int right, int bottom, QColor brush)
{
    const QRect box(left, top, right - left, bottom - top);
    const double r = shape == sRoundRect ? 7.5 : 0.0;
    const double rx = std::min(r, box.width() / 2.0), ry = std::min(r, box.height() / 2.0);
    auto inside = [&](int x, int y) { return rx > 0 && ry > 0 ? InShape(x, y, box, rx, ry) : box.contains(x, y); };
    const QRgb fill = brush.rgba(), outline = qRgb(0, 0, 0);
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
        for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x) {
            if (!inside(x, y))
                continue;
            const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            image.setPixel(x, y, edge ? outline : fill);
        }
}

int LineX(TTextAlign align, int margin, int textWidth, int lineWidth)
{
    switch (align) {
    case taLeft: return margin;
    case taRight: return margin + textWidth - lineWidth;
    case taCenter: break;
    }
    return margin + textWidth / 2 - lineWidth / 2;
}

void DrawLines(QPainter& painter, const TBalloonStyle& style, const QStringList& lines, int margin, int textWidth)
{
    const QFontMetrics metrics(style.Font);
    painter.setFont(style.Font);
    painter.setPen(style.FontColor);
    int y = 1;
    for (const QString& line : lines) {
        const int width = metrics.horizontalAdvance(line);
        const QRect box(LineX(style.TextAlign, margin, textWidth, width), y, width, metrics.height());
        painter.fillRect(box, style.Color);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

} // namespace

QStringList SplitBalloonText(const QString& text, QChar divisionChar)
{
    return text.split(divisionChar, Qt::KeepEmptyParts);
}

QSize BalloonImageSize(const QFont& font, const QStringList& lines)
{
    const TextMeasure m = MeasureLines(font, lines);
    return {m.Width + 23, m.Height + 20};
}

QRect BalloonScreenRect(TBaloonAlign align, QSize imageSize, QPoint pointer)
{
    const int textHeight = imageSize.height() - 20;
    const int tip = pointer.y() - 15;
    const int left = align == alLeft ? pointer.x() - imageSize.width() : pointer.x();
    const int top = tip - textHeight - 2;
    return QRect(QPoint(left, top), QPoint(left + imageSize.width() - 1, tip + 18 - 1));
}

QImage BuildBalloonImage(const TBalloonStyle& style, const QStringList& lines, const QImage& background)
{
    const TextMeasure m = MeasureLines(style.Font, lines);
    const int H = m.Height;
    const QSize size(m.Width + 23, H + 20);
    const AlignLayout layout = LayoutFor(style.Align, m.Width, size.width());

    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        if (!background.isNull())
            painter.drawImage(0, 0, background);
    }
    DrawBodyShape(image, style.Shape, layout.BodyLeft + 2, 2, layout.BodyRight + 2, H + 5, Qt::black); // shadow
    DrawBodyShape(image, style.Shape, layout.BodyLeft, 0, layout.BodyRight, H + 3, style.Color);
    {
        QPainter painter(&image);
        painter.drawImage(layout.TailX, H - 2, LoadTail(layout.TailResource));
    }
    // The tail's inside joins the body: one fill gives both the balloon colour.
    FloodFillToBorder(image, QPoint(layout.SeedX, H - 3), Qt::black, style.Color);
    for (int row = 0; row < 3; ++row)
        image.setPixel(layout.TouchX[row], H + 13 + row, style.Color.rgb());

    QPainter painter(&image);
    DrawLines(painter, style, lines, layout.TextMargin, m.Width);
    return image;
}

} // namespace Dialogs
