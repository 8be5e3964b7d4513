#include "window/RulerMarkers.h"

#include <QFontInfo>
#include <QPainter>
#include <QPolygon>
#include <QTextOption>

namespace {

constexpr const char* kMarkerFace = "Wingdings";

QFont MarkerFont(const QFont& rulerFont) {
    QFont font(kMarkerFace);
    font.setPixelSize(rulerFont.pixelSize() > 0 ? rulerFont.pixelSize() : 11);
    return font;
}

} // namespace

TRulerMarker::TRulerMarker(QWidget* ruler, const char* name, int wingdingsChar, TPointing pointing,
                           const QRect& geometry)
    : QLabel(ruler), FPointing(pointing) {
    setObjectName(name);
    setFont(MarkerFont(ruler->font()));
    setText(QString(QChar(wingdingsChar)));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setGeometry(geometry);
}

bool TRulerMarker::ShowsWingdings() const {
    return QFontInfo(font()).family().compare(kMarkerFace, Qt::CaseInsensitive) == 0;
}

void TRulerMarker::paintEvent(QPaintEvent* event) {
    if (ShowsWingdings()) {
        QLabel::paintEvent(event);
        return;
    }
    // The glyph's shape: a triangle as wide as the label, pointing at the ruler line.
    const int w = width() - 1;
    const int h = std::min(height(), width()) - 1;
    QPolygon triangle;
    if (FPointing == mpDown) triangle << QPoint(0, 0) << QPoint(w, 0) << QPoint(w / 2, h);
    else triangle << QPoint(w / 2, 0) << QPoint(w, h) << QPoint(0, h);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(palette().color(QPalette::WindowText));
    painter.drawPolygon(triangle);
}

TRulerCaption::TRulerCaption(QWidget* ruler) : QWidget(ruler) {
    setObjectName("RulerCaption");
    setGeometry(ruler->rect());
    lower();
}

void TRulerCaption::SetCaption(const QString& caption) {
    FCaption = caption;
    update();
}

int TRulerCaption::TabStopWidth() const { return 8 * std::max(1, fontMetrics().averageCharWidth()); }

void TRulerCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect face = rect();
    // Raised bevel, one pixel.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(face.topLeft(), face.topRight());
    painter.drawLine(face.topLeft(), face.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(face.bottomLeft(), face.bottomRight());
    painter.drawLine(face.topRight(), face.bottomRight());

    QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(TabStopWidth());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(face.adjusted(kTextLeft, 1, -1, -1)), FCaption, option);
}
