// The program's own pictures: window icon, toolbar button pictures, tip picture.
#pragma once
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace Dialogs {

// The program icon in every size it is drawn in.
QIcon ProgramIcon();
// The program icon at `size` logical pixels for a screen of the given pixel ratio.
QPixmap ProgramIconPixmap(int size, qreal devicePixelRatio = 1.0);
// A toolbar picture: "open", "save", "print", "pagedialog", "preview", "undo", "cut",
// "copy", "paste"; 25 x 25, with a double-size version for high-DPI screens.
QIcon ToolbarIcon(const QString& name);
// The tip window's picture "TIPBMP": opaque, its transparent colour is the colour of
// its bottom-left pixel.
QImage TipBitmap();

} // namespace Dialogs
