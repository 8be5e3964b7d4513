#include "richedit/RtfKeptObject.h"

#include "richedit/RtfEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextObjectInterface>

namespace RtfEngine {
namespace {

class KeptObjectHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override
    {
        const QTextCharFormat f = format.toCharFormat();
        QPaintDevice* device = document ? document->documentLayout()->paintDevice() : nullptr;
        const QFontMetricsF metrics = device ? QFontMetricsF(f.font(), device) : QFontMetricsF(f.font());
        return {metrics.horizontalAdvance(f.stringProperty(kKeptTextProperty)), metrics.height()};
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override
    {
        const QTextCharFormat f = format.toCharFormat();
        const QString text = f.stringProperty(kKeptTextProperty);
        if (text.isEmpty())
            return;
        painter->save();
        painter->setFont(f.font());
        if (f.foreground().style() != Qt::NoBrush)
            painter->setPen(f.foreground().color());
        painter->drawText(QPointF(rect.left(), rect.top() + QFontMetricsF(f.font(), painter->device()).ascent()), text);
        painter->restore();
    }
};

} // namespace

void RegisterKeptObjects(QTextDocument* document)
{
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    if (!layout->handlerForObject(kKeptObjectType))
        layout->registerHandler(kKeptObjectType, new KeptObjectHandler(document));
}

} // namespace RtfEngine

#include "RtfKeptObject.moc"
