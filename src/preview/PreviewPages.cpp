#include "preview/PreviewPages.h"

#include "platform/Numbers.h"
#include "platform/FileNames.h"
#include "platform/Registry.h"
#include "platform/SafeWrite.h"
#include "preview/Compress.h"

#include <QBuffer>
#include <QFile>

// The resolution Qt takes a picture's units to be in; played on a device of another
// resolution, a picture is scaled by the ratio. Exported by QtGui, not declared in
// its public headers.
Q_GUI_EXPORT int qt_defaultDpiX();
Q_GUI_EXPORT int qt_defaultDpiY();

namespace Print {

QString PreviewFileName(int index) { return QStringLiteral("PreviewMetafile") + QString::number(index); }

QString CompressedFileName(int index) { return PreviewFileName(index) + QStringLiteral(".CPR"); }

TPageMetafile::TPageMetafile(int widthPx, int heightPx, int dpiX, int dpiY)
    : FWidth(widthPx), FHeight(heightPx), FDpiX(dpiX), FDpiY(dpiY)
{
}

int TPageMetafile::metric(PaintDeviceMetric m) const
{
    switch (m) {
    case PdmWidth: return FWidth;
    case PdmHeight: return FHeight;
    case PdmWidthMM: return qRound(FWidth * 25.4 / FDpiX);
    case PdmHeightMM: return qRound(FHeight * 25.4 / FDpiY);
    case PdmDpiX:
    case PdmPhysicalDpiX: return FDpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY: return FDpiY;
    default: return QPicture::metric(m);
    }
}

TPreviewPage StartPreviewPage(int widthPx, int heightPx, int dpiX, int dpiY, const QFont& font)
{
    TPreviewPage page;
    page.Metafile = std::make_unique<TPageMetafile>(widthPx, heightPx, dpiX, dpiY);
    page.Surface = std::make_unique<QPainter>(page.Metafile.get());
    page.Surface->setFont(QFont(font, page.Metafile.get()));
    page.Surface->setRenderHint(QPainter::Antialiasing);
    return page;
}

void PlayPage(QPainter& painter, const QPicture& page)
{
    painter.save();
    const QPaintDevice* device = painter.device();
    painter.scale(double(qt_defaultDpiX()) / device->logicalDpiX(), double(qt_defaultDpiY()) / device->logicalDpiY());
    painter.drawPicture(0, 0, page);
    painter.restore();
}

namespace {

// The bytes through a compression (or decompression) stream, in memory.
QByteArray Converted(const QByteArray& bytes, const QString& name, bool compress)
{
    QBuffer source, target;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    target.open(QIODevice::WriteOnly);
    TCompress converter(source, target, name);
    compress ? converter.Compress() : converter.Decompress();
    return target.data();
}

} // namespace

bool SavePageFile(QPicture& page, int index, bool compress)
{
    // The page is recorded in memory and its one file written safely: a full disk or
    // a crash never leaves a cut-off page, and no uncompressed copy lies about.
    QBuffer recorded;
    recorded.open(QIODevice::WriteOnly);
    if (!page.save(&recorded)) return false;
    const QString name = compress ? CompressedFileName(index) : PreviewFileName(index);
    const QByteArray bytes = compress ? Converted(recorded.data(), PreviewFileName(index), true) : recorded.data();
    try {
        Platform::SaveFileSafely(Platform::NativeFileName(name), std::string_view(bytes.data(), size_t(bytes.size())));
    } catch (const Platform::EFCreateError&) {
        return false;
    } catch (const Platform::EWriteError&) {
        return false;
    }
    return true;
}

bool PageFileExists(int index, bool compress)
{
    return QFile::exists(compress ? CompressedFileName(index) : PreviewFileName(index));
}

bool LoadPageFile(QPicture& page, int index, bool compress)
{
    if (!PageFileExists(index, compress)) return false;
    if (!compress) return page.load(PreviewFileName(index));
    // Inflated in memory: showing a page writes nothing.
    QFile packed(CompressedFileName(index));
    if (!packed.open(QIODevice::ReadOnly)) return false;
    QBuffer inflated;
    inflated.setData(Converted(packed.readAll(), CompressedFileName(index), false));
    inflated.open(QIODevice::ReadOnly);
    return page.load(&inflated);
}

void DeletePageFiles()
{
    for (int index = 0; index <= 10000; ++index) {
        const bool plain = QFile::remove(PreviewFileName(index));
        const bool packed = QFile::remove(CompressedFileName(index));
        if (!plain && !packed) break;
    }
}

void DeleteUncompressedPageFiles()
{
    for (int index = 0; index <= 10000 && QFile::remove(PreviewFileName(index)); ++index) {
    }
}

namespace {
const QString CompressKey = QStringLiteral("\\RichPrint.Settings\\Compress");
const QString CompressValue = QStringLiteral("CompressPreview");
} // namespace

void StoreCompressSetting(bool compress)
{
    Platform::Registry registry;
    registry.OpenKey(CompressKey, true);
    registry.WriteString(CompressValue, compress ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ReadCompressSetting()
{
    Platform::Registry registry;
    if (!registry.OpenKey(CompressKey, false)) return true;
    int value = 1;
    if (registry.GetDataType(CompressValue) == Platform::RegDataType::String) {
        const auto number = Platform::StrToInt32(registry.ReadString(CompressValue).toStdString());
        if (number) value = *number;
    }
    return value != 0;
}

} // namespace Print
