// The picture of a speech balloon: body, shadow, tail and lines of text, drawn once
// over the screen pixels it will cover.
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStringList>

namespace Dialogs {

enum TBaloonAlign { alRight, alLeft };
enum TPShape { sRoundRect, sRectangle };
enum TTextAlign { taCenter, taLeft, taRight };

struct TBalloonStyle {
    QFont Font;
    QColor FontColor = Qt::black;
    QColor Color;
    TBaloonAlign Align = alRight;
    TPShape Shape = sRoundRect;
    TTextAlign TextAlign = taCenter;
};

// Cuts the text at every separator; the text after the last separator is always a line.
QStringList SplitBalloonText(const QString& text, QChar divisionChar);

// Width and height the balloon image needs for these lines in this font.
QSize BalloonImageSize(const QFont& font, const QStringList& lines);

// Where the balloon goes on the screen so that its tail points at `pointer`.
QRect BalloonScreenRect(TBaloonAlign align, QSize imageSize, QPoint pointer);

// Draws the balloon over `background` (the screen pixels under it; a null image
// leaves the surroundings transparent).
QImage BuildBalloonImage(const TBalloonStyle& style, const QStringList& lines, const QImage& background);

} // namespace Dialogs
