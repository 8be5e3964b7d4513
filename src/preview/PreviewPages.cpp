#include "preview/PreviewPages.h"

#include "platform/Numbers.h"
#include "platform/FileNames.h"
#include "platform/Registry.h"
#include "platform/SafeWrite.h"
#include "preview/Compress.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The preview's own page files: those this run created (by path and identity),
// and pages an earlier run of ours left behind (a plain file of ours that loads
// as a page). The preview replaces and deletes only these: a link or a file
// another user placed under a page's name stays as it is.
struct TFileId {
    dev_t device;
    ino_t inode;
};

std::map<std::string, TFileId>& CreatedPages()
{
    static std::map<std::string, TFileId> pages;
    return pages;
}

QString PageName(int index, bool compress) { return compress ? CompressedFileName(index) : PreviewFileName(index); }

std::string PagePath(int index, bool compress)
{
    return Platform::NativeFileName(QDir::current().absoluteFilePath(PageName(index, compress)));
}

bool IsOwnPage(int index, bool compress)
{
    const std::string path = PagePath(index, compress);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const auto created = CreatedPages().find(path);
    if (created != CreatedPages().end())
        return st.st_dev == created->second.device && st.st_ino == created->second.inode;
    if (st.st_uid != ::geteuid() || st.st_nlink != 1) return false;
    try {
        QPicture leftover;
        return LoadPageFile(leftover, index, compress);
    } catch (const std::exception&) {
        return false; // does not inflate: not a page of ours
    }
}

// Removes the page file when it is one of ours; true when it was removed.
bool RemoveOwnPage(int index, bool compress)
{
    const std::string path = PagePath(index, compress);
    const bool own = IsOwnPage(index, compress) && ::unlink(path.c_str()) == 0;
    CreatedPages().erase(path);
    return own;
}

// Writes a page file where no file is, or in place of our own page file.
bool CreatePage(int index, bool compress, const QByteArray& bytes)
{
    const std::string path = PagePath(index, compress);
    const std::string_view content(bytes.data(), size_t(bytes.size()));
    try {
        // Ours is replaced safely; any other name is only ever created.
        Platform::SaveFileSafely(path, content, {.replaceExisting = IsOwnPage(index, compress)});
    } catch (const Platform::EFCreateError&) {
        return false;
    } catch (const Platform::EWriteError&) {
        return false;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) CreatedPages()[path] = {st.st_dev, st.st_ino};
    return true;
}

} // namespace

bool SavePageFile(QPicture& page, int index, bool compress)
{
    // The page is recorded in memory and its one file written safely: a full disk or
    // a crash never leaves a cut-off page, and no uncompressed copy lies about.
    QBuffer recorded;
    recorded.open(QIODevice::WriteOnly);
    if (!page.save(&recorded)) return false;
    return CreatePage(index, compress, compress ? Converted(recorded.data(), PreviewFileName(index), true) : recorded.data());
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
        const bool plain = RemoveOwnPage(index, false);
        const bool packed = RemoveOwnPage(index, true);
        if (!plain && !packed) break;
    }
}

void DeleteUncompressedPageFiles()
{
    for (int index = 0; index <= 10000 && RemoveOwnPage(index, false); ++index) {
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
