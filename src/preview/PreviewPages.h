// The preview's pages on disk: one metafile file per page in the current
// directory, "PreviewMetafile" + index, and with compression on only its
// ".CPR" companion stays between uses. Also the recording surface a page is
// drawn on and the registry setting that says whether pages are compressed.
#pragma once
#include <QFont>
#include <QPainter>
#include <QPicture>
#include <QString>

#include <memory>

namespace Print {

// "PreviewMetafile" followed by the 0-based index in decimal.
QString PreviewFileName(int index);
// The same name with ".CPR".
QString CompressedFileName(int index);

// A page being recorded: a picture that reports the reference device's
// resolution and page size, so fonts and lengths drawn on it come out as they
// would on the printer.
class TPageMetafile : public QPicture {
public:
    TPageMetafile(int widthPx, int heightPx, int dpiX, int dpiY);
    int PageWidth() const { return FWidth; }
    int PageHeight() const { return FHeight; }

protected:
    int metric(PaintDeviceMetric m) const override;

private:
    int FWidth, FHeight, FDpiX, FDpiY;
};

// The page the printer is drawing: the metafile and its recording surface.
// The preview's AddPage ends the recording and releases both.
struct TPreviewPage {
    std::unique_ptr<TPageMetafile> Metafile;
    std::unique_ptr<QPainter> Surface;
};

// A fresh page of the given size in printer pixels, its surface open, white,
// with `font` as the surface's font.
TPreviewPage StartPreviewPage(int widthPx, int heightPx, int dpiX, int dpiY, const QFont& font);

// Draws a page with the painter's current transformation, one page pixel to one
// unit of the painter, whatever the resolution of the painter's device.
void PlayPage(QPainter& painter, const QPicture& page);

// Saves a finished page as page `index`: the metafile file, or with `compress`
// the ".CPR" file instead, written through the safe-write helper. Only a page
// file of the preview's own (made by this run, or a page an earlier run of ours
// left) is replaced; any other file or link of that name is kept and the page
// not saved. False when the page file cannot be created or
// written (the old file, if any, stays as it was); compression failures raise.
bool SavePageFile(QPicture& page, int index, bool compress);

// Loads page `index` into `page`, inflating the ".CPR" in memory when `compress`.
// False when the page's file does not exist or does not load.
bool LoadPageFile(QPicture& page, int index, bool compress);

// Whether the file that holds page `index` exists.
bool PageFileExists(int index, bool compress);

// Deletes the preview's own page files (as above) from index 0 upward, stopping at the
// first index that has none, or after index 10000. Both names of an index go.
void DeletePageFiles();
// Deletes the preview's own uncompressed page files only, from index 0 up to the first missing one.
void DeleteUncompressedPageFiles();

// The registry value "CompressPreview" (key "RichPrint.Settings", subkey
// "Compress"): "1" or "0".
void StoreCompressSetting(bool compress);
// Reads it back: true when the subkey is missing, the value missing or not a number
// reads as 1.
bool ReadCompressSetting();

} // namespace Print
