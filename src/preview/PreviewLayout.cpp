#include "preview/PreviewLayout.h"

#include <cmath>

namespace Print {

int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

namespace {

constexpr int FrameHeight = 27;
constexpr int FrameWidth = 8;
constexpr double WidthPerImage = 1.0204;

// Steps 2 to 5: height from the screen, width from the paper, both shrunk when
// the page would not fit across the screen.
TPreviewLayout SizeWindow(int sw, int sh, double pageAspect)
{
    TPreviewLayout l;
    l.FormHeight = RoundEven(sh * 0.95);
    l.ClientHeight = l.FormHeight - FrameHeight;
    const double imageHeight = l.ClientHeight * 0.98 - PanelHeight;
    l.ImageWidth = pageAspect == 0 ? RoundEven(imageHeight * 0.707) : RoundEven(imageHeight / pageAspect);
    if (RoundEven(l.ImageWidth * WidthPerImage) > sw) {
        l.FormHeight = RoundEven(l.FormHeight * (sw / WidthPerImage) / l.ImageWidth);
        l.ImageWidth = RoundEven(sw * 0.98);
    }
    l.WindowHeight = l.FormHeight;
    l.ClientHeight = l.WindowHeight - FrameHeight;
    l.WindowWidth = RoundEven(l.ImageWidth * WidthPerImage);
    l.ClientWidth = l.WindowWidth - FrameWidth;
    return l;
}

bool PanelNarrowerThan(const TPreviewLayout& l, int needed)
{
    return l.ClientWidth < RoundEven(l.ClientWidth * 0.02) + needed;
}

void WidenFor(TPreviewLayout& l, int needed)
{
    l.WindowWidth = RoundEven((l.ClientWidth * 0.02 + needed) * WidthPerImage);
    l.ClientWidth = l.WindowWidth - FrameWidth;
}

// Step 7: the page image over the panel.
void PlaceParts(TPreviewLayout& l)
{
    const int top = RoundEven(l.ClientHeight * 0.01);
    const int left = RoundEven(l.ClientWidth * 0.01);
    l.Image = QRect(left, top, RoundEven(l.ClientWidth * 0.98), RoundEven(l.ClientHeight * 0.98) - PanelHeight);
    l.Panel = QRect(left, l.Image.top() + l.Image.height(), l.Image.width(), PanelHeight);
    l.Edit1 = QPoint(l.Panel.left() + 79, l.Panel.top() + 4);
}

} // namespace

TPreviewLayout MainPreviewLayout(int sw, int sh, double pageAspect)
{
    TPreviewLayout l = SizeWindow(sw, sh, pageAspect);
    l.ZoomControls = !PanelNarrowerThan(l, PanelFullWidth);
    if (!l.ZoomControls && PanelNarrowerThan(l, PanelNarrowWidth)) WidenFor(l, PanelNarrowWidth);
    PlaceParts(l);
    return l;
}

TPreviewLayout SecondPreviewLayout(int sw, int sh, double pageAspect)
{
    TPreviewLayout l = SizeWindow(sw, sh, pageAspect);
    l.ZoomControls = false;
    if (PanelNarrowerThan(l, PanelFullWidth)) WidenFor(l, PanelFullWidth);
    PlaceParts(l);
    return l;
}

} // namespace Print
