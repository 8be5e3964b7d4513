// Speech-balloon hints: a borderless popup with lines of text and a tail pointing at
// the mouse pointer. One balloon is shown at a time.
#pragma once
#include "dialogs/BalloonImage.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace Dialogs {

// The popup of one balloon. It draws its picture once, when shown.
class TBaloonWindow : public QWidget {
    Q_OBJECT
public:
    TBaloonWindow(bool hideIfMouseMove, bool hideIfMouseClick);

    void SetStyle(const TBalloonStyle& style) { FStyle = style; }
    // Shows the text with the tail pointing at `pointer` (screen coordinates).
    void ActivateBalloon(QPoint pointer, const QString& text, TPShape shape, TTextAlign textAlign,
                         QChar divisionChar);
    void HideBalloonWindow();
    bool Shown() const { return FShown; }
    const QImage& Image() const { return FImage; }
    // The lines drawn into the picture, for screen readers and tests.
    const QStringList& Lines() const { return FLines; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TBalloonStyle FStyle;
    bool FHideIfMouseMove;
    bool FHideIfMouseClick;
    QImage FImage;
    QStringList FLines;
    bool FShown = false;
};

// The component the main window keeps: settings for the next balloon, and the one
// balloon on screen.
class TXBaloon : public QObject {
    Q_OBJECT
public:
    explicit TXBaloon(QObject* owner = nullptr);
    ~TXBaloon() override;

    // Shows the text at the mouse pointer; an empty text does nothing.
    void ShowBalloon(const QString& text);
    void HideBalloon();
    // The balloon on screen, if any.
    TBaloonWindow* CurrentBalloon() const;

    TBaloonAlign Align = alRight;
    QColor Color;            // the window colour unless set
    QFont Font;
    QColor FontColor = Qt::black;
    QChar DivisionChar = QChar('@');
    bool HideIfMouseMove = true;
    bool HideIfMouseClick = false;
    TPShape Shape = sRoundRect;
    TTextAlign TextAlign = taCenter;

private:
    QPointer<TBaloonWindow> FWindow;
    QPoint FPointer;
};

} // namespace Dialogs
