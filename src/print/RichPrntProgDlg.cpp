#include "print/RichPrntProgDlg.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TRichPrntProgDlg::TRichPrntProgDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName("RichPrntProgDlg");
    setWindowTitle("Print Progress");
    setFixedSize(284, 85);

    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 268, 69);

    auto label = [this](const char* name, const QString& caption, const QRect& geometry) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        l->setGeometry(geometry);
        return l;
    };
    lblStatus = label("lblStatus", QString(), QRect(16, 14, 252, 16));
    lblTitle = label("lblTitle", QString(), QRect(16, 34, 252, 16));
    lblPageNumDesc = label("lblPageNumDesc", "Page Number:", QRect(16, 54, 80, 16));
    lblPageNumber = label("lblPageNumber", QString(), QRect(100, 54, 80, 16));

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}
