#include "rtf/RtfPicture.h"

#include "rtf/RtfMetafile.h"

#include <algorithm>

namespace RtfEngine {

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

QImage DecodeRtfPicture(RtfPictureKind kind, const QByteArray& data)
{
    QImage image;
    switch (kind) {
    case RtfPictureKind::Png: image.loadFromData(data, "PNG"); break;
    case RtfPictureKind::Jpeg: image.loadFromData(data, "JPEG"); break;
    case RtfPictureKind::Dib: image.loadFromData(BmpFileOfDib(data), "BMP"); break;
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

} // namespace RtfEngine
