#include "dialogs/VertScrollText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace Dialogs {

int CenteredLineX(int imageWidth, int lineWidth) {
    return static_cast<int>(std::nearbyint((imageWidth - lineWidth) / 2.0)); // ties to even
}

TVertScrollText::TVertScrollText(QWidget* parent) : QWidget(parent) {
    resize(200, 100);
    FLines = {"Scrolling text goes here ...."};
    FTimer = new QTimer(this);
    FTimer->setInterval(50);
    connect(FTimer, &QTimer::timeout, this, &TVertScrollText::ScrollStep);
    FTextOffset = height();
    FBuilding = false;
    Rebuild();
    FTimer->start();
}

bool TVertScrollText::Scrolling() const { return FTimer->isActive(); }

void TVertScrollText::SetLines(const QStringList& lines) {
    if (lines == FLines) return;
    FLines = lines;
    Rebuild();
}

int TVertScrollText::Interval() const { return FTimer->interval(); }
void TVertScrollText::SetInterval(int milliseconds) { FTimer->setInterval(milliseconds); }

void TVertScrollText::SetBkgrndBitmap(const QImage& picture) {
    FBkgrnd = picture;
    Rebuild();
}

void TVertScrollText::SetFontColor(const QColor& colour) {
    FFontColor = colour;
    Rebuild();
}

void TVertScrollText::SetParentFont(bool parentFont) {
    if (parentFont) setFont(QFont()); // resets to the parent's
    else setAttribute(Qt::WA_SetFont, true);
}

void TVertScrollText::SetEnabled(bool enabled) {
    FEnabled = enabled;
    if (enabled) {
        FTextOffset = height();
        FTimer->start();
    } else {
        FTimer->stop();
    }
}

void TVertScrollText::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Rebuild();
}

void TVertScrollText::SetStretch(bool stretch) {
    FStretch = stretch;
    Rebuild();
}

void TVertScrollText::Rebuild() {
    if (FBuilding) return;
    // Text drawn without smoothing: its edges must not blend into the key colour.
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    FLineHeight = metrics.height();
    const int imageWidth = std::max(1, width());
    FKeyColor = FFontColor == QColor(Qt::blue) ? QColor(0, 128, 0) : QColor(Qt::blue);
    FTextImage = QImage(imageWidth, std::max(1, FLineHeight * int(FLines.size())), QImage::Format_RGB32);
    FTextImage.fill(FKeyColor);
    {
        QPainter p(&FTextImage);
        p.setFont(textFont);
        p.setPen(FFontColor);
        for (int i = 0; i < FLines.size(); ++i) {
            const int lineWidth = metrics.horizontalAdvance(FLines[i]);
            int x = 0;
            if (FAlignment == alRight) x = imageWidth - lineWidth;
            else if (FAlignment == alCenter) x = CenteredLineX(imageWidth, lineWidth);
            p.drawText(x, i * FLineHeight + metrics.ascent(), FLines[i]);
        }
    }
    FTextHeight = int(FLines.size()) * FLineHeight;
    // The key colour becomes see-through once here, not at every tick.
    FTextMasked = FTextImage.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = FKeyColor.rgb() & 0xFFFFFF;
    for (int y = 0; y < FTextMasked.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(FTextMasked.scanLine(y));
        for (int x = 0; x < FTextMasked.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }

    const QSize size(std::max(1, width()), std::max(1, height()));
    FBackground = QImage(size, QImage::Format_RGB32);
    FBackground.fill(Qt::white);
    if (!FBkgrnd.isNull()) {
        QPainter p(&FBackground);
        if (FStretch) p.drawImage(QRect(QPoint(0, 0), size), FBkgrnd);
        else p.drawImage(0, 0, FBkgrnd);
    }
    FWork = QImage(size, QImage::Format_RGB32);
    if (parentWidget()) PaintWork();
}

void TVertScrollText::PaintWork() {
    FWork = FBackground.copy();
    QPainter p(&FWork);
    p.drawImage(0, FTextOffset, FTextMasked);
    p.end();
    update();
}

void TVertScrollText::ScrollStep() {
    if (FTextOffset + FTextHeight < 0) {
        if (RepeatScroll) FTextOffset = height();
        else FTimer->stop();
    }
    --FTextOffset;
    PaintWork();
}

void TVertScrollText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, FWork);
}

void TVertScrollText::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rebuild();
}

void TVertScrollText::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Rebuild();
}

} // namespace Dialogs
