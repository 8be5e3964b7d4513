#include "rtf/RtfKeptObject.h"

#include "rtf/RtfEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextLayout>
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
        // As high as the text's ascent: an object stands on the baseline, and one as high as
        // a whole line would push the line's own descent down.
        return {metrics.horizontalAdvance(f.stringProperty(kKeptTextProperty)), metrics.ascent()};
    }

    // Laid out against the document's device, as its text is: a painter scaled from that
    // device to another (a page printed at the printer's resolution) draws it in place.
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int, const QTextFormat& format) override
    {
        const QTextCharFormat f = format.toCharFormat();
        const QString text = f.stringProperty(kKeptTextProperty);
        if (text.isEmpty())
            return;
        QPaintDevice* device = document ? document->documentLayout()->paintDevice() : nullptr;
        QTextLayout layout(text, f.font(), device);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        painter->save();
        if (f.foreground().style() != Qt::NoBrush)
            painter->setPen(f.foreground().color());
        layout.draw(painter, rect.topLeft());
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

std::vector<BookmarkAnchor> BookmarkAnchorsIn(const QTextDocument& document, int from, int to,
                                              std::vector<int>& positions)
{
    std::vector<BookmarkAnchor> anchors;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const bool start = f.hasProperty(kBookmarkStartProperty);
            if (f.objectType() != kKeptObjectType || (!start && !f.hasProperty(kBookmarkEndProperty)))
                continue;
            const QByteArray name = f.property(start ? kBookmarkStartProperty : kBookmarkEndProperty).toByteArray();
            const int last = std::min(fragment.position() + fragment.length(), to);
            for (int at = std::max(fragment.position(), from); at < last; ++at) {
                anchors.push_back({name, start});
                positions.push_back(at);
            }
        }
    }
    return anchors;
}

void DropUnpairedBookmarkAnchors(QTextCursor& cursor, int from, int to)
{
    std::vector<int> positions;
    const std::vector<bool> kept = BookmarkAnchorsKept(BookmarkAnchorsIn(*cursor.document(), from, to, positions));
    QTextCursor remove(cursor.document());
    for (std::size_t i = kept.size(); i-- > 0;) { // from the end: earlier positions stay valid
        if (kept[i])
            continue;
        remove.setPosition(positions[i]);
        remove.setPosition(positions[i] + 1, QTextCursor::KeepAnchor);
        remove.removeSelectedText();
    }
}

} // namespace RtfEngine

#include "RtfKeptObject.moc"
