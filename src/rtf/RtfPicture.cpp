#include "rtf/RtfPicture.h"

#include "rtf/RtfEngine.h"
#include "rtf/RtfMetafile.h"

#include <QFont>
#include <QPainter>
#include <QTextImageFormat>
#include <algorithm>
#include <cmath>

namespace RtfEngine {

RtfPictureKind PictureKindOfWord(std::string_view w)
{
    if (w == "pngblip") return RtfPictureKind::Png;
    if (w == "jpegblip") return RtfPictureKind::Jpeg;
    if (w == "dibitmap") return RtfPictureKind::Dib;
    if (w == "wmetafile") return RtfPictureKind::Wmf;
    if (w == "emfblip") return RtfPictureKind::Emf;
    if (w == "macpict") return RtfPictureKind::MacPict;
    if (w == "wbitmap") return RtfPictureKind::Ddb;
    if (w == "pmmetafile") return RtfPictureKind::Os2Metafile;
    return RtfPictureKind::None;
}

QString PictureKindName(RtfPictureKind kind)
{
    switch (kind) {
    case RtfPictureKind::Png: return QStringLiteral("PNG picture");
    case RtfPictureKind::Jpeg: return QStringLiteral("JPEG picture");
    case RtfPictureKind::Dib: case RtfPictureKind::Ddb: return QStringLiteral("Bitmap");
    case RtfPictureKind::Wmf: return QStringLiteral("Windows metafile");
    case RtfPictureKind::Emf: return QStringLiteral("Enhanced metafile");
    case RtfPictureKind::MacPict: return QStringLiteral("Macintosh picture");
    case RtfPictureKind::Os2Metafile: return QStringLiteral("OS/2 metafile");
    default: return QStringLiteral("Picture");
    }
}

QByteArray BmpFileOfDib(const QByteArray& dib)
{
    if (dib.size() < 12)
        return {};
    auto u16 = [&](int at) { return quint32(uchar(dib[at])) | quint32(uchar(dib[at + 1])) << 8; };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    const quint32 headerSize = u32(0);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return {};
    const bool coreHeader = headerSize == 12;
    const quint32 bitCount = coreHeader ? u16(10) : u16(14);
    const quint32 compression = coreHeader || headerSize < 20 ? 0 : u32(16);
    quint32 colours = coreHeader || headerSize < 36 ? 0 : u32(32);
    if (colours == 0 && bitCount <= 8)
        colours = 1u << bitCount;
    quint32 offset = 14 + headerSize + std::min<quint32>(colours, 256) * (coreHeader ? 3 : 4);
    if (headerSize == 40 && compression == 3)
        offset += 12; // bit field masks follow the header
    QByteArray file;
    auto put = [&](quint32 v, int bytes) {
        for (int b = 0; b < bytes; ++b)
            file.append(char((v >> (8 * b)) & 0xFF));
    };
    file.append("BM");
    put(14 + quint32(dib.size()), 4);
    put(0, 4);
    put(offset, 4);
    file.append(dib);
    return file;
}

QByteArray DibOfDdb(const QByteArray& bits, int width, int height, int bitsPerPixel, int widthBytes)
{
    static const int kDepths[] = {1, 4, 8, 24, 32};
    if (width <= 0 || height <= 0 || width > 20000 || height > 20000 ||
        std::find(std::begin(kDepths), std::end(kDepths), bitsPerPixel) == std::end(kDepths))
        return {};
    const qint64 rowBits = qint64(width) * bitsPerPixel;
    if (widthBytes <= 0)
        widthBytes = int((rowBits + 15) / 16 * 2); // rows of whole words
    if (qint64(widthBytes) * 8 < rowBits || qint64(widthBytes) * height > bits.size())
        return {};
    const int stride = int((rowBits + 31) / 32 * 4);
    const int colours = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    QByteArray dib;
    auto put = [&](quint32 v, int bytes) {
        for (int b = 0; b < bytes; ++b)
            dib.append(char((v >> (8 * b)) & 0xFF));
    };
    put(40, 4);
    put(quint32(width), 4);
    put(quint32(-height), 4); // rows from the top, as the device stored them
    put(1, 2);
    put(quint32(bitsPerPixel), 2);
    put(0, 4);
    put(quint32(stride) * quint32(height), 4);
    put(0, 4);
    put(0, 4);
    put(quint32(colours), 4);
    put(0, 4);
    // No palette comes with the bits: a grey ramp (black and white for one bit).
    for (int i = 0; i < colours; ++i) {
        const int grey = colours > 1 ? i * 255 / (colours - 1) : 0;
        put(quint32(grey | grey << 8 | grey << 16), 4);
    }
    for (int row = 0; row < height; ++row) {
        dib.append(bits.constData() + qsizetype(row) * widthBytes, std::min(widthBytes, stride));
        dib.append(QByteArray(std::max(0, stride - widthBytes), '\0'));
    }
    return dib;
}

QImage DecodeRtfPicture(RtfPictureKind kind, const QByteArray& data, const DdbGeometry& ddb)
{
    QImage image;
    switch (kind) {
    case RtfPictureKind::Png: image.loadFromData(data, "PNG"); break;
    case RtfPictureKind::Jpeg: image.loadFromData(data, "JPEG"); break;
    case RtfPictureKind::Dib: image.loadFromData(BmpFileOfDib(data), "BMP"); break;
    case RtfPictureKind::Ddb:
        image.loadFromData(BmpFileOfDib(DibOfDdb(data, ddb.width, ddb.height, ddb.bitsPerPixel, ddb.widthBytes)), "BMP");
        break;
    case RtfPictureKind::Wmf: image = DrawSvg(WindowsMetafileToSvg(data)); break;
    case RtfPictureKind::Emf: image = DrawSvg(EnhancedMetafileToSvg(data)); break;
    case RtfPictureKind::Other:
        if (IsWindowsMetafile(data))
            image = DrawSvg(WindowsMetafileToSvg(data));
        else if (IsEnhancedMetafile(data))
            image = DrawSvg(EnhancedMetafileToSvg(data));
        break;
    default: break;
    }
    return image;
}

QImage PictureFrame(QSizeF size, RtfPictureKind kind)
{
    const int width = std::clamp(int(std::lround(size.width())), 8, 2048);
    const int height = std::clamp(int(std::lround(size.height())), 8, 2048);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    painter.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
    QFont font = painter.font();
    font.setPixelSize(std::clamp(height / 4, 6, 14));
    painter.setFont(font);
    painter.setPen(Qt::darkGray);
    painter.drawText(QRect(2, 2, width - 4, height - 4), Qt::AlignCenter | Qt::TextWordWrap, PictureKindName(kind));
    return image;
}

QByteArray KeptPictureGroup(const QTextImageFormat& format)
{
    if (!format.hasProperty(kPictureDataProperty))
        return {};
    const QByteArray data = format.property(kPictureDataProperty).toByteArray();
    QByteArray group = "{\\pict" + format.property(kPictureWordsProperty).toByteArray();
    if (format.width() > 0)
        group += "\\picwgoal" + QByteArray::number(qRound(format.width() * kTwipsPerUnit));
    if (format.height() > 0)
        group += "\\pichgoal" + QByteArray::number(qRound(format.height() * kTwipsPerUnit));
    group += "\r\n";
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        group += hex.mid(i, 128) + "\r\n";
    return group + "}";
}

} // namespace RtfEngine
