// Where the preview windows put their parts, from the screen size and the
// paper's shape. All sizes in screen pixels; "window" sizes include the frame
// the layout allows for (27 pixels of height, 8 of width).
#pragma once
#include <QPoint>
#include <QRect>

namespace Print {

struct TPreviewLayout {
    int FormHeight = 0; // FFormHeight
    int ImageWidth = 0; // FImageWidth
    int WindowWidth = 0;
    int WindowHeight = 0;
    int ClientWidth = 0;
    int ClientHeight = 0;
    bool ZoomControls = true; // room for the zoom factor and zoom step
    QRect Image;              // Image1 and ScrollBox1
    QRect Panel;              // Panel1
    QPoint Edit1;             // top-left of the page number edit
};

// Nearest integer, halves to even.
int RoundEven(double value);

// The main preview window. `pageAspect` is the paper's height ÷ width (0 when
// unknown).
TPreviewLayout MainPreviewLayout(int screenWidth, int screenHeight, double pageAspect);
// The second window: the same steps without the zoom controls; widened when its
// panel would be narrower than the main window's full panel.
TPreviewLayout SecondPreviewLayout(int screenWidth, int screenHeight, double pageAspect);

// Width the panel needs with the zoom controls, and without them.
constexpr int PanelFullWidth = 395;
constexpr int PanelNarrowWidth = 288;
// Height of the panel's contents.
constexpr int PanelHeight = 71;

} // namespace Print
