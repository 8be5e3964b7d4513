#include "preview/RichPreview2.h"

#include "preview/RichPreview.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace Print {

TPreview2::TPreview2(TRichPreviewForm* mainWindow, double pageAspect)
    : QWidget(mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), FMain(mainWindow)
{
    setObjectName("Preview2");
    setWindowTitle("next page");
    setFont(mainWindow->font());
    setAttribute(Qt::WA_ShowWithoutActivating);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setWidgetResizable(false);
    Image1 = new TPageImage;
    Image1->setObjectName("Image1");
    ScrollBox1->setWidget(Image1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Label4 = new QLabel("Page number:", Panel1);
    Label4->setObjectName("Label4");
    Label4->move(4, 8);
    Label5 = new QLabel(Panel1);
    Label5->setObjectName("Label5");
    Label5->setToolTip("Actual page number (second window)");
    Label5->setAutoFillBackground(true);
    QPalette teal = Label5->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    teal.setColor(QPalette::WindowText, Qt::white);
    Label5->setPalette(teal);
    QFont bold = Label5->font();
    bold.setBold(true);
    Label5->setFont(bold);
    Label5->setGeometry(79, 6, 40, 17);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    FormCreate(pageAspect);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TPreview2::FormCreate(double pageAspect)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const TPreviewLayout l = SecondPreviewLayout(screen.width(), screen.height(), pageAspect);
    setFixedSize(l.ClientWidth, l.ClientHeight);
    ScrollBox1->setGeometry(l.Image);
    Image1->resize(l.Image.size());
    Panel1->setGeometry(l.Panel);
}

void TPreview2::FormActivate()
{
    setFixedSize(FMain->size());
    ScrollBox1->setGeometry(FMain->ScrollBox1->geometry());
    Image1->resize(FMain->Image1->size());
    Panel1->setGeometry(FMain->Panel1->x(), FMain->Panel1->y(), FMain->Panel1->width(), Panel1->height());
    const QRect mainFrame = FMain->frameGeometry();
    move(mainFrame.x() + mainFrame.width(), mainFrame.y());
}

bool TPreview2::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TPreview2::FormKeyDown()
{
    FMain->activateWindow();
    FMain->setFocus();
}

bool TPreview2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        FormKeyDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TPreview2::keyPressEvent(QKeyEvent*) { FormKeyDown(); }

} // namespace Print
