// TArrowButton: a triangular button that pages the preview. Only a press inside
// the triangle counts; the click comes when the button is released over it.
#pragma once
#include <QColor>
#include <QPolygon>
#include <QRegion>
#include <QWidget>

namespace Print {

enum TButtonDirection { arwUP, arwRIGHT, arwLEFT, arwDOWN };

class TArrowButton : public QWidget {
    Q_OBJECT
public:
    explicit TArrowButton(QWidget* parent = nullptr);

    QColor ButtonColor() const { return FButtonColor; }
    void SetButtonColor(const QColor& color);
    TButtonDirection Direction() const { return FDirection; }
    void SetDirection(TButtonDirection direction);
    bool Pressed() const { return FPressed; }

    // The outer triangle for the current size and direction.
    QPolygon Triangle() const;
    // The triangle moved inward, drawn filled in ButtonColor.
    QPolygon InnerTriangle() const;
    // The area that takes presses.
    QRegion Region() const { return FRegion; }

    QSize sizeHint() const override { return {33, 33}; }

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

    virtual void Paint(QPainter& canvas);
    virtual void DrawEdges(QPainter& canvas);

private:
    void BuildRegion();

    QColor FButtonColor{0, 128, 128}; // teal
    TButtonDirection FDirection = arwUP;
    QPolygon FPoints; // the inner triangle, whose edges show the state
    QRegion FRegion;
    bool FPressed = false;
};

} // namespace Print
