#include "dialogs/ProgramPictures.h"

static void InitPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace Dialogs {

QIcon ProgramIcon() {
    InitPictureResources();
    QIcon icon;
    for (int px : {16, 32, 48, 64, 128}) icon.addFile(QString(":/pictures/kelvora-%1.png").arg(px), QSize(px, px));
    return icon;
}

QPixmap ProgramIconPixmap(int size, qreal devicePixelRatio) {
    return ProgramIcon().pixmap(QSize(size, size), devicePixelRatio);
}

QIcon ToolbarIcon(const QString& name) {
    InitPictureResources();
    QIcon icon;
    icon.addFile(":/pictures/toolbar/" + name + ".png", QSize(25, 25));
    icon.addFile(":/pictures/toolbar/" + name + "@2x.png", QSize(50, 50));
    return icon;
}

QImage TipBitmap() {
    InitPictureResources();
    return QImage(":/pictures/tipbmp.png");
}

} // namespace Dialogs
