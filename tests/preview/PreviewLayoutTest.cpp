// The preview windows' layout from the screen size: the page's shape decides the
// width, a page too wide for the screen shrinks the window, and a panel too
// narrow for the zoom controls hides them (and below the minimum widens).
#include "preview/PreviewLayout.h"

#include <gtest/gtest.h>

using namespace Print;

namespace {
constexpr double A4 = 297.0 / 210.0;
}

TEST(PreviewLayoutTest, MainWindowFromScreenSize)
{
    struct Case {
        const char* name;
        int sw, sh;
        double aspect;
        int formHeight, imageWidth, windowWidth, clientWidth, clientHeight;
        bool zoom;
        QRect image;
        QRect panel;
    };
    const Case cases[] = {
        {"wide screen", 1920, 1080, A4, 1026, 642, 655, 647, 999, true, {6, 10, 634, 908}, {6, 918, 634, 71}},
        // 6.5 and 318.5 round to even here.
        {"small screen hides zoom", 800, 600, A4, 570, 326, 333, 325, 543, false, {3, 5, 318, 461}, {3, 466, 318, 71}},
        {"page wider than the screen", 400, 1080, A4, 626, 392, 400, 392, 599, false, {4, 6, 384, 516}, {4, 522, 384, 71}},
        {"too narrow even without zoom: widened", 250, 1080, A4, 392, 245, 299, 291, 365, false, {3, 4, 285, 287},
         {3, 291, 285, 71}},
        {"unknown paper shape", 1024, 768, 0.0, 730, 437, 446, 438, 703, true, {4, 7, 429, 618}, {4, 625, 429, 71}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TPreviewLayout l = MainPreviewLayout(c.sw, c.sh, c.aspect);
        EXPECT_EQ(l.FormHeight, c.formHeight);
        EXPECT_EQ(l.ImageWidth, c.imageWidth);
        EXPECT_EQ(l.WindowWidth, c.windowWidth);
        EXPECT_EQ(l.ClientWidth, c.clientWidth);
        EXPECT_EQ(l.ClientHeight, c.clientHeight);
        EXPECT_EQ(l.ZoomControls, c.zoom);
        EXPECT_EQ(l.Image, c.image);
        EXPECT_EQ(l.Panel, c.panel);
        EXPECT_EQ(l.Edit1, c.panel.topLeft() + QPoint(79, 4));
        EXPECT_LE(l.Panel.bottom(), l.ClientHeight);
    }
}

TEST(PreviewLayoutTest, SecondWindowIsWidenedToTheFullPanel)
{
    const TPreviewLayout main = MainPreviewLayout(800, 600, A4);
    const TPreviewLayout second = SecondPreviewLayout(800, 600, A4);
    EXPECT_EQ(second.ClientHeight, main.ClientHeight);
    EXPECT_EQ(second.WindowWidth, 410); // round((325 × 0.02 + 395) × 1.0204)
    EXPECT_EQ(second.Image, QRect(4, 5, 394, 461));
    EXPECT_FALSE(second.ZoomControls);

    const TPreviewLayout wide = SecondPreviewLayout(1920, 1080, A4);
    EXPECT_EQ(wide.WindowWidth, MainPreviewLayout(1920, 1080, A4).WindowWidth);
}
