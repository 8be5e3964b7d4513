#include "dialogs/XBaloon.h"

#include "dialogs/DialogResources.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>

namespace Dialogs {

namespace {

// What the screen shows under `area` now; transparent where the area leaves the
// screen or the platform cannot say. Only the on-screen part is asked for: some
// platforms fail on a grab that reaches past the screen's edge.
QImage ScreenPixelsUnder(const QRect& area)
{
    QImage pixels(area.size(), QImage::Format_ARGB32);
    pixels.fill(Qt::transparent);
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect visible = screen ? area.intersected(screen->geometry()) : QRect();
    if (visible.isEmpty())
        return pixels;
    const QRect local = visible.translated(-screen->geometry().topLeft());
    const QImage grabbed = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
    if (grabbed.size() == visible.size()) {
        QPainter painter(&pixels);
        painter.drawImage(visible.topLeft() - area.topLeft(), grabbed);
    }
    return pixels;
}

} // namespace

TBaloonWindow::TBaloonWindow(bool hideIfMouseMove, bool hideIfMouseClick)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::X11BypassWindowManagerHint)
    , FHideIfMouseMove(hideIfMouseMove)
    , FHideIfMouseClick(hideIfMouseClick)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void TBaloonWindow::ActivateBalloon(QPoint pointer, const QString& text, TPShape shape, TTextAlign textAlign,
                                    QChar divisionChar)
{
    if (FShown)
        hide();
    FStyle.Shape = shape;
    FStyle.TextAlign = textAlign;
    FLines = SplitBalloonText(text, divisionChar);
    const QRect bounds = BalloonScreenRect(FStyle.Align, BalloonImageSize(FStyle.Font, FLines), pointer);
    FImage = BuildBalloonImage(FStyle, FLines, ScreenPixelsUnder(bounds));
    setGeometry(bounds);
    show();
    raise();
    FShown = true;
}

void TBaloonWindow::HideBalloonWindow()
{
    FShown = false;
    close(); // the window is released once it is off the screen
}

void TBaloonWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, FImage);
}

void TBaloonWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (FHideIfMouseMove)
        HideBalloonWindow();
    else
        QWidget::mouseMoveEvent(event);
}

void TBaloonWindow::mousePressEvent(QMouseEvent* event)
{
    if (FHideIfMouseClick && event->button() == Qt::LeftButton)
        HideBalloonWindow();
    else
        QWidget::mousePressEvent(event);
}

TXBaloon::TXBaloon(QObject* owner)
    : QObject(owner)
    , Color(QPalette().color(QPalette::Base))
    , Font(QStringLiteral("MS Sans Serif"), 8)
{
    InitDialogResources();
}

TXBaloon::~TXBaloon()
{
    HideBalloon();
    delete FWindow.data();
}

void TXBaloon::ShowBalloon(const QString& text)
{
    if (text.isEmpty())
        return;
    HideBalloon();
    FWindow = new TBaloonWindow(HideIfMouseMove, HideIfMouseClick);
    FWindow->SetStyle({Font, FontColor, Color, Align, Shape, TextAlign});
    FPointer = QCursor::pos();
    FWindow->ActivateBalloon(FPointer, text, Shape, TextAlign, DivisionChar);
}

void TXBaloon::HideBalloon()
{
    if (FWindow && FWindow->Shown())
        FWindow->HideBalloonWindow();
}

TBaloonWindow* TXBaloon::CurrentBalloon() const
{
    return FWindow && FWindow->Shown() ? FWindow.data() : nullptr;
}

} // namespace Dialogs
