#include "dialogs/BalloonImage.h"
#include "dialogs/DialogResources.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

const QRgb kGround = qRgb(0, 160, 0); // stands for the screen under the balloon
const QRgb kBlack = qRgb(0, 0, 0);

QFont BalloonFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

QImage Draw(TBaloonAlign align, TPShape shape, TTextAlign textAlign, const QStringList& lines)
{
    InitDialogResources();
    TBalloonStyle style;
    style.Font = BalloonFont();
    style.Color = QColor(255, 255, 0);
    style.Align = align;
    style.Shape = shape;
    style.TextAlign = textAlign;
    QImage ground(BalloonImageSize(style.Font, lines), QImage::Format_ARGB32);
    ground.fill(kGround);
    return BuildBalloonImage(style, lines, ground);
}

struct Extent {
    int TextWidth, TextHeight, LineHeight;
};

Extent Measure(const QStringList& lines)
{
    const QFontMetrics fm(BalloonFont());
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    return {width, fm.height() * static_cast<int>(lines.size()), fm.height()};
}

// x in the right-pointing picture, placed where the mirrored picture has it.
int Mirror(TBaloonAlign align, int x, int width) { return align == alLeft ? width - 1 - x : x; }

} // namespace

TEST(SplitBalloonText, LinesAtEverySeparator)
{
    struct Case {
        const char* text;
        QChar separator;
        QStringList lines;
    };
    const Case cases[] = {
        {"Time", '@', {"Time"}},
        {"a@@b", '@', {"a", "", "b"}},
        {"Name@", '@', {"Name", ""}},
        {"x@y|z", '|', {"x@y", "z"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitBalloonText(c.text, c.separator), c.lines) << c.text;
}

TEST(BalloonImage, SizeFollowsTheLines)
{
    for (const QStringList& lines : {QStringList{"Time"}, QStringList{"a", "", "b"}, QStringList{"Name", ""}}) {
        const Extent e = Measure(lines);
        EXPECT_EQ(BalloonImageSize(BalloonFont(), lines), QSize(e.TextWidth + 23, e.TextHeight + 20))
            << lines.join('@').toStdString();
    }
    // An empty last line still takes a line's height.
    EXPECT_EQ(BalloonImageSize(BalloonFont(), {"Name", ""}).height() - BalloonImageSize(BalloonFont(), {"Name"}).height(),
              QFontMetrics(BalloonFont()).height());
}

TEST(BalloonImage, TailBodyAndShadowForBothSidesAndShapes)
{
    struct Case {
        TBaloonAlign align;
        TPShape shape;
    };
    const Case cases[] = {{alRight, sRoundRect}, {alRight, sRectangle}, {alLeft, sRoundRect}, {alLeft, sRectangle}};
    const QStringList lines{"Time"};
    const Extent e = Measure(lines);
    const int H = e.TextHeight;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.align << " shape " << c.shape);
        const QImage image = Draw(c.align, c.shape, taCenter, lines);
        const int W = image.width();
        const int bodyLeft = c.align == alLeft ? 2 : 10;
        const int bodyRight = c.align == alLeft ? e.TextWidth + 13 : e.TextWidth + 21;
        const QRgb fill = qRgb(255, 255, 0);

        // The tail ends in a black point at the bottom corner; its inside has the body's colour.
        EXPECT_EQ(image.pixel(Mirror(c.align, 0, W), H + 18), kBlack);
        EXPECT_EQ(image.pixel(Mirror(c.align, 7, W), H + 8), fill);
        EXPECT_EQ(image.pixel(Mirror(c.align, 3, W), H + 15), fill);
        EXPECT_EQ(image.pixel(Mirror(c.align, 2, W), H + 17), fill);
        // The screen shows beside the tail and above it.
        EXPECT_EQ(image.pixel(Mirror(c.align, 14, W), H + 18), kGround);
        EXPECT_EQ(image.pixel(Mirror(c.align, 0, W), 0), kGround);
        // Body: outline, then its colour; the shadow two pixels right and down.
        const int middle = (bodyLeft + bodyRight) / 2;
        EXPECT_EQ(image.pixel(middle, 0), kBlack);
        EXPECT_EQ(image.pixel(middle, H + 1), fill);
        EXPECT_EQ(image.pixel(middle, H + 2), kBlack);
        EXPECT_EQ(image.pixel(middle, H + 4), kBlack);
        EXPECT_EQ(image.pixel(middle, H + 5), kGround);
        const int side = (2 + H + 4) / 2; // clear of the rounded corners
        EXPECT_EQ(image.pixel(bodyRight - 1, side), kBlack);
        EXPECT_EQ(image.pixel(bodyRight + 1, side), kBlack);
        if (bodyRight + 2 < W)
            EXPECT_EQ(image.pixel(bodyRight + 2, side), kGround);
        // Square corners for the rectangle, rounded ones otherwise: the body's top left and,
        // away from the tail, the shadow's bottom right.
        const QRgb corner = c.shape == sRectangle ? kBlack : kGround;
        EXPECT_EQ(image.pixel(bodyLeft, 0), corner);
        if (c.align == alRight)
            EXPECT_EQ(image.pixel(bodyRight + 1, H + 4), corner);
    }
}

TEST(BalloonImage, LinesAlignedWithinTheWidestLine)
{
    const QStringList lines{"i", "WWWWWW", "ll"};
    const Extent e = Measure(lines);
    const QFontMetrics fm(BalloonFont());
    for (TBaloonAlign align : {alRight, alLeft}) {
        const int margin = align == alLeft ? 8 : 15;
        for (TTextAlign textAlign : {taLeft, taRight, taCenter}) {
            SCOPED_TRACE(testing::Message() << "align " << align << " text " << textAlign);
            const QImage image = Draw(align, sRectangle, textAlign, lines);
            for (int n = 0; n < lines.size(); ++n) {
                // Ink of line n: pixels in its band that are neither the fill nor the ground.
                int first = image.width(), last = -1;
                for (int y = 1 + n * e.LineHeight; y < 1 + (n + 1) * e.LineHeight; ++y)
                    for (int x = margin - 3; x < margin + e.TextWidth + 3; ++x)
                        if (image.pixel(x, y) != qRgb(255, 255, 0)) {
                            first = std::min(first, x);
                            last = std::max(last, x);
                        }
                ASSERT_GE(last, first) << "line " << n;
                const int width = fm.horizontalAdvance(lines[n]);
                const int start = textAlign == taLeft    ? margin
                                  : textAlign == taRight ? margin + e.TextWidth - width
                                                         : margin + e.TextWidth / 2 - width / 2;
                // Glyphs sit inside their advance, up to a side bearing or two.
                EXPECT_GE(first, start - 1) << "line " << n;
                EXPECT_LE(first, start + 3) << "line " << n;
                EXPECT_LE(last, start + width) << "line " << n;
                EXPECT_GE(last, start + width - 4) << "line " << n;
            }
        }
    }
}
