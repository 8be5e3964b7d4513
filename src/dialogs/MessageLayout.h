// Sizes and places of the message box's parts, measured in the dialog's font.
#pragma once
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace Dialogs {

struct TMessageLayoutInput {
    QFont Font;
    QString Caption;
    QString Message;          // prepared: lines separated by ";"
    QStringList Buttons;      // captions, "&" marks included
    int IconWidth = 0;        // 32 for kinds with an icon
    QRect WorkArea;           // size limits and centring
    int FrameWidth = 3;       // the window frame on each side
    int CaptionHeight = 0;    // the title bar, 0 without a caption
};

struct TMessageLayout {
    int TextWidth = 0;        // W
    int TextHeight = 0;       // T
    int ButtonWidth = 0;      // B
    int ButtonHeight = 0;     // H
    int ButtonRowWidth = 0;   // R
    QSize ClientSize;
    QRect FormRect;           // outer bounds on the screen
    QRect MessageRect;        // the label, in client coordinates
    QPoint IconPos;
    std::vector<QRect> ButtonRects;
};

TMessageLayout LayoutMessageDialog(const TMessageLayoutInput& in);

} // namespace Dialogs
