#include "rtf/RtfMetafile.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdlib>
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>
#include <memory>

namespace RtfEngine {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
// A drawing is scaled so its longer side lies between these: sharp when its own size
// is a few points, and bounded in memory whatever size it claims.
constexpr int kShortestLongSide = 512;
constexpr int kLongestSide = 2048;

quint32 LittleU32(const QByteArray& d, int at) { return qFromLittleEndian<quint32>(d.constData() + at); }
quint16 LittleU16(const QByteArray& d, int at) { return qFromLittleEndian<quint16>(d.constData() + at); }

struct WmfApiCloser {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};

} // namespace

bool IsWindowsMetafile(const QByteArray& data)
{
    if (data.size() >= 22 && LittleU32(data, 0) == kPlaceableKey)
        return true;
    // The standard header: type 1 (memory) or 2 (disk), a header of 9 words, version 0x100 or 0x300.
    return data.size() >= 18 && (LittleU16(data, 0) == 1 || LittleU16(data, 0) == 2) && LittleU16(data, 2) == 9 &&
           (LittleU16(data, 4) == 0x100 || LittleU16(data, 4) == 0x300);
}

bool IsEnhancedMetafile(const QByteArray& data)
{
    return data.size() >= 88 && LittleU32(data, 0) == 1 && LittleU32(data, 40) == 0x464D4520; // " EMF"
}

// The drawing library allocates its record buffer from the header's largest record
// before reading any; a header claiming more than the file holds is damaged.
bool RecordSizeFitsTheFile(const QByteArray& wmf)
{
    const int header = LittleU32(wmf, 0) == kPlaceableKey ? 22 : 0;
    if (wmf.size() < header + 18)
        return false;
    const quint64 largestRecordBytes = quint64(LittleU32(wmf, header + 12)) * 2;
    return largestRecordBytes <= quint64(wmf.size() - header);
}

QByteArray WindowsMetafileToSvg(const QByteArray& wmf)
{
    if (!IsWindowsMetafile(wmf) || !RecordSizeFitsTheFile(wmf))
        return {};
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    wmfAPI* raw = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&raw, flags, &options) != wmf_E_None) {
        if (raw)
            wmf_api_destroy(raw);
        return {};
    }
    std::unique_ptr<wmfAPI, WmfApiCloser> api(raw);
    QByteArray input = wmf; // the library reads from a buffer it may not own
    if (wmf_mem_open(raw, reinterpret_cast<unsigned char*>(input.data()), long(input.size())) != wmf_E_None)
        return {};
    wmfD_Rect box{};
    if (wmf_scan(raw, 0, &box) != wmf_E_None)
        return {};
    unsigned int width = 0, height = 0;
    if (wmf_display_size(raw, &width, &height, 72, 72) != wmf_E_None || width == 0 || height == 0)
        return {};
    wmf_svg_t* device = WMF_SVG_GetData(raw);
    device->out = wmf_stream_create(raw, nullptr);
    device->bbox = box;
    device->width = width;
    device->height = height;
    device->Description = const_cast<char*>("picture");
    const bool played = wmf_play(raw, 0, &box) == wmf_E_None;
    char* text = nullptr;
    unsigned long length = 0;
    wmf_stream_destroy(raw, device->out, &text, &length);
    // The library's own memory goes with the library.
    return played && text ? QByteArray(text, qsizetype(length)) : QByteArray();
}

QByteArray EnhancedMetafileToSvg(const QByteArray& emf)
{
    if (!IsEnhancedMetafile(emf))
        return {};
    generatorOptions options{};
    options.nameSpace = const_cast<char*>("");
    options.emfplus = true;
    options.svgDelimiter = true;
    QByteArray input = emf;
    char* text = nullptr;
    size_t length = 0;
    const int ok = emf2svg(input.data(), size_t(input.size()), &text, &length, &options);
    QByteArray svg = ok && text ? QByteArray(text, qsizetype(length)) : QByteArray();
    std::free(text);
    return svg;
}

QImage DrawSvg(const QByteArray& svg)
{
    if (svg.isEmpty())
        return {};
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QSizeF size = renderer.viewBoxF().size();
    if (size.isEmpty())
        size = renderer.defaultSize();
    if (size.isEmpty())
        return {};
    const qreal longSide = qMax(size.width(), size.height());
    if (longSide > kLongestSide || longSide < kShortestLongSide) {
        const int bound = longSide > kLongestSide ? kLongestSide : kShortestLongSide;
        size.scale(bound, bound, Qt::KeepAspectRatio);
    }
    QImage image(qMax(1, qRound(size.width())), qMax(1, qRound(size.height())), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace RtfEngine
