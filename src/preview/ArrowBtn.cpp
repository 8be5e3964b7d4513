#include "preview/ArrowBtn.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace Print {

TArrowButton::TArrowButton(QWidget* parent) : QWidget(parent)
{
    resize(33, 33);
    BuildRegion();
}

void TArrowButton::SetButtonColor(const QColor& color)
{
    FButtonColor = color;
    update();
}

void TArrowButton::SetDirection(TButtonDirection direction)
{
    FDirection = direction;
    BuildRegion();
    update();
}

QPolygon TArrowButton::Triangle() const
{
    const int w = width(), h = height();
    switch (FDirection) {
    case arwUP: return QPolygon({QPoint(w / 2, 3), QPoint(w - 3, h - 3), QPoint(3, h - 3)});
    case arwRIGHT: return QPolygon({QPoint(3, 3), QPoint(w - 3, h / 2), QPoint(3, h - 3)});
    case arwDOWN: return QPolygon({QPoint(w - 3, 3), QPoint(w / 2, h - 3), QPoint(3, 3)});
    case arwLEFT: return QPolygon({QPoint(w - 3, 3), QPoint(w - 3, h - 3), QPoint(3, h / 2)});
    }
    return {};
}

QPolygon TArrowButton::InnerTriangle() const
{
    QPolygon p = Triangle();
    auto move = [&p](int i, int dx, int dy) { p[i] += QPoint(dx, dy); };
    switch (FDirection) {
    case arwUP: move(0, 0, 3); move(1, -4, -2); move(2, 3, -2); break;
    case arwRIGHT: move(0, 2, 3); move(1, -3, 0); move(2, 2, -3); break;
    case arwDOWN: move(0, -3, 2); move(1, 0, -3); move(2, 2, 2); break;
    case arwLEFT: move(0, -2, 3); move(1, -2, -2); move(2, 3, 0); break;
    }
    return p;
}

void TArrowButton::BuildRegion()
{
    FRegion = QRegion(Triangle(), Qt::OddEvenFill);
    FPoints = InnerTriangle();
}

void TArrowButton::resizeEvent(QResizeEvent*) { BuildRegion(); }

void TArrowButton::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    Paint(canvas);
}

void TArrowButton::Paint(QPainter& canvas)
{
    BuildRegion();
    // A 2-pixel black frame inside the triangle's outline: the part of the region
    // that is not 2 pixels away from its outside in every direction.
    QRegion core = FRegion;
    for (const QPoint d : {QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
        core &= FRegion.translated(d);
    canvas.setClipRegion(FRegion - core);
    canvas.fillRect(rect(), Qt::black);
    canvas.setClipping(false);

    // A disabled button shows its triangle grey, as the labels beside it do.
    const QColor fill = isEnabled() ? FButtonColor : palette().color(QPalette::Disabled, QPalette::Button);
    canvas.setPen(Qt::black);
    canvas.setBrush(fill);
    canvas.drawPolygon(FPoints);
    DrawEdges(canvas);
}

void TArrowButton::DrawEdges(QPainter& canvas)
{
    const QColor colour = isEnabled() ? FButtonColor : palette().color(QPalette::Disabled, QPalette::Button);
    const QColor lit = FPressed ? QColor(Qt::black) : QColor(Qt::white);
    const QColor shaded = FPressed ? colour : QColor(Qt::black);
    canvas.setPen(shaded);
    canvas.drawLine(FPoints[0], FPoints[1]);
    canvas.drawLine(FPoints[1], FPoints[2]);
    canvas.setPen(lit);
    canvas.drawLine(FPoints[0], FPoints[2]);
}

void TArrowButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FRegion.contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    FPressed = true;
    repaint();
}

void TArrowButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FPressed) {
        event->ignore();
        return;
    }
    FPressed = false;
    repaint();
    if (rect().contains(event->position().toPoint())) emit OnClick();
}

void TArrowButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        FPressed = false;
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace Print
