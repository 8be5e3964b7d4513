#include "richedit/EmbeddedObjects.h"

#include "platform/Errors.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>

QString TEmbeddedObjects::NextResourceName(const QString& fileName) {
    return QStringLiteral("kelvora-object:%1/%2").arg(++FNextId).arg(QFileInfo(fileName).fileName());
}

QImage TEmbeddedObjects::FileIconPicture(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    constexpr int kIcon = 32, kPad = 4;
    const int width = std::max(kIcon + 2 * kPad, metrics.horizontalAdvance(name) + 2 * kPad);
    const int height = kIcon + 3 * kPad + metrics.height();
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const QPixmap icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon).pixmap(kIcon, kIcon);
    painter.drawPixmap((width - kIcon) / 2, kPad, icon);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, kIcon + 2 * kPad, width, metrics.height()), Qt::AlignHCenter, name);
    painter.end();
    return picture;
}

void TEmbeddedObjects::Embed(QTextCursor& cursor, const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) throw Platform::EFOpenError(fileName.toStdString());
    QImageReader reader(fileName);
    QImage picture = reader.canRead() ? reader.read() : QImage();
    if (picture.isNull()) picture = FileIconPicture(fileName);

    const QString name = NextResourceName(fileName);
    cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), picture);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(picture.width());
    format.setHeight(picture.height());
    cursor.beginEditBlock();
    cursor.insertImage(format);
    cursor.endEditBlock();
}

bool TEmbeddedObjects::SelectionIsObject(const QTextCursor& cursor) {
    if (cursor.selectionEnd() - cursor.selectionStart() != 1) return false;
    QTextCursor probe(cursor.document());
    probe.setPosition(cursor.selectionEnd());
    return probe.charFormat().isImageFormat();
}
