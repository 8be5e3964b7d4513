// TVertScrollText: lines of text that scroll upwards without end over a background,
// one pixel per timer tick.
#pragma once
#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

class QTimer;

namespace Dialogs {

// Left edge of a line of `lineWidth` centred in `imageWidth`, halves rounded to even.
int CenteredLineX(int imageWidth, int lineWidth);

class TVertScrollText : public QWidget {
    Q_OBJECT
public:
    // Horizontal placement of each line.
    enum TAlignment { alLeft, alCenter, alRight };

    explicit TVertScrollText(QWidget* parent = nullptr);

    const QStringList& Lines() const { return FLines; }
    void SetLines(const QStringList& lines);
    int Interval() const;
    void SetInterval(int milliseconds);
    const QImage& BkgrndBitmap() const { return FBkgrnd; }
    void SetBkgrndBitmap(const QImage& picture);
    // The font's colour (the font itself is the widget's font).
    QColor FontColor() const { return FFontColor; }
    void SetFontColor(const QColor& colour);
    bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool parentFont);
    bool RepeatScroll = true;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);

    // State, readable for those who draw or test it.
    int TextOffset() const { return FTextOffset; }
    int TextHeight() const { return FTextHeight; }
    int LineHeight() const { return FLineHeight; }
    QColor KeyColor() const { return FKeyColor; }
    const QImage& TextImage() const { return FTextImage; }
    const QImage& WorkImage() const { return FWork; }
    bool Scrolling() const;

    // One timer tick.
    void ScrollStep();
    void Rebuild();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintWork();

    QStringList FLines;
    QImage FBkgrnd;
    QColor FFontColor = Qt::black;
    bool FEnabled = true;
    TAlignment FAlignment = alLeft;
    bool FStretch = true;
    QImage FTextImage, FTextMasked, FBackground, FWork;
    QColor FKeyColor;
    QTimer* FTimer = nullptr;
    int FTextOffset = 0;
    int FTextHeight = 0;
    int FLineHeight = 0;
    bool FBuilding = true; // no rebuilds until the constructor is done
};

} // namespace Dialogs
