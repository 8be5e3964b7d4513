// TArrowButton: the triangle it draws for each direction, its edges when pressed
// and released, and that only a press inside the triangle makes a click.
#include "preview/ArrowBtn.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace Print;

namespace {

QImage Shot(TArrowButton& button)
{
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(QColor(200, 200, 200));
    button.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

QPoint Centre(const QPolygon& p) { return (p[0] + p[1] + p[2]) / 3; }

// A point on the edge from a to b, a third of the way along.
QPoint OnEdge(QPoint a, QPoint b) { return a + (b - a) / 3; }

} // namespace

TEST(ArrowButtonTest, DrawsItsTriangleForEveryDirection)
{
    struct Case {
        TButtonDirection direction;
        QPoint tip; // the corner the arrow points with, in a 33 x 33 button
    };
    for (const Case c : {Case{arwUP, {16, 3}}, Case{arwDOWN, {16, 30}}, Case{arwLEFT, {3, 16}},
                         Case{arwRIGHT, {30, 16}}}) {
        SCOPED_TRACE(c.direction);
        TArrowButton button;
        button.SetDirection(c.direction);
        ASSERT_EQ(button.size(), QSize(33, 33));
        const QPolygon outer = button.Triangle();
        EXPECT_TRUE(outer.contains(c.tip)) << "points the right way";
        EXPECT_TRUE(button.Region().contains(Centre(outer)));
        EXPECT_FALSE(button.Region().contains(QPoint(1, 1)));

        const QImage image = Shot(button);
        EXPECT_EQ(image.pixelColor(Centre(button.InnerTriangle())), QColor(0, 128, 128)) << "filled in ButtonColor";
        EXPECT_EQ(image.pixelColor(1, 1), QColor(200, 200, 200)) << "outside the triangle nothing is drawn";
        // The black frame runs along the outer triangle's edge, inside it.
        const QPointF edge = OnEdge(outer[1], outer[2]);
        const QPointF inward = QPointF(Centre(outer)) - edge;
        const QPoint frame = (edge + inward / std::hypot(inward.x(), inward.y()) * 1.2).toPoint();
        EXPECT_EQ(image.pixelColor(frame), QColor(Qt::black));
    }
}

TEST(ArrowButtonTest, EdgesShowPressedAndReleased)
{
    TArrowButton button;
    const QColor red(200, 0, 0);
    button.SetButtonColor(red);
    button.show();
    const QPolygon inner = button.InnerTriangle();
    const QImage released = Shot(button);
    QTest::mousePress(&button, Qt::LeftButton, {}, Centre(inner));
    ASSERT_TRUE(button.Pressed());
    const QImage pressed = Shot(button);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Centre(inner));
    EXPECT_FALSE(button.Pressed());
    EXPECT_EQ(Shot(button), released);

    // Pressing swaps the edges' light: the white edge (p1-p3) turns black, the two
    // black ones turn the button's colour, and nothing else changes.
    int whiteToBlack = 0, blackToColour = 0, other = 0;
    for (int y = 0; y < released.height(); ++y)
        for (int x = 0; x < released.width(); ++x) {
            const QColor before = released.pixelColor(x, y), after = pressed.pixelColor(x, y);
            if (before == after) continue;
            if (before == Qt::white && after == Qt::black) ++whiteToBlack;
            else if (before == Qt::black && after == red) ++blackToColour;
            else ++other;
        }
    const auto length = [](QPoint a, QPoint b) { return int(std::hypot(b.x() - a.x(), b.y() - a.y())); };
    EXPECT_GE(whiteToBlack, length(inner[0], inner[2]) * 3 / 4);
    EXPECT_GE(blackToColour, (length(inner[0], inner[1]) + length(inner[1], inner[2])) * 3 / 4);
    EXPECT_EQ(other, 0);
}

TEST(ArrowButtonTest, ClicksOnlyFromInsideTheTriangle)
{
    TArrowButton button;
    button.show();
    QSignalSpy clicks(&button, &TArrowButton::OnClick);
    const QPoint inside = Centre(button.Triangle());

    QTest::mouseClick(&button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(2, 2)); // the button's corner, off the triangle
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button.Pressed());

    QTest::mouseClick(&button, Qt::RightButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);

    // Pressed inside, let go away from the button: no click.
    QTest::mousePress(&button, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button.Pressed());

    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);
}
