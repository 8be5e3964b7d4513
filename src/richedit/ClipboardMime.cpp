#include "richedit/ClipboardMime.h"

#include "rtf/RtfEngine.h"

#include <QCryptographicHash>
#include <QImage>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

namespace RtfEngine {

static const char* const kRtfFormats[] = {"text/rtf", "application/rtf", "text/richtext"};

QMimeData* MakeClipboardData(const QTextDocument& document, int start, int end)
{
    auto* data = new QMimeData;
    const QByteArray rtf = WriteRtf(document, start, end);
    data->setData("text/rtf", rtf);
    data->setData("application/rtf", rtf);

    QTextCursor range(const_cast<QTextDocument*>(&document));
    const int last = document.characterCount() - 1;
    range.setPosition(std::clamp(start, 0, last));
    range.setPosition(std::clamp(end < 0 ? last : end, 0, last), QTextCursor::KeepAnchor);
    const QTextDocumentFragment fragment = range.selection();
    data->setHtml(fragment.toHtml());
    data->setText(fragment.toPlainText());
    return data;
}

static bool InsertRtf(const QMimeData* data, QTextCursor& cursor)
{
    for (const char* format : kRtfFormats) {
        if (!data->hasFormat(format))
            continue;
        try {
            ReadRtf(data->data(format), cursor);
            return true;
        } catch (const std::runtime_error&) {
            // unreadable RTF: the next format takes over
        }
    }
    return false;
}

static void InsertImage(const QImage& image, QTextCursor& cursor)
{
    QByteArray key(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    const QString name = "clipimage:" + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
    cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(image.width());
    format.setHeight(image.height());
    cursor.insertImage(format);
}

bool InsertClipboardData(const QMimeData* data, QTextCursor& cursor)
{
    if (!data)
        return false;
    if (InsertRtf(data, cursor))
        return true;
    if (data->hasHtml()) {
        cursor.insertFragment(QTextDocumentFragment::fromHtml(data->html(), cursor.document()));
        return true;
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) {
            InsertImage(image, cursor);
            return true;
        }
    }
    if (data->hasText()) {
        cursor.insertText(data->text());
        return true;
    }
    return false;
}

} // namespace RtfEngine
