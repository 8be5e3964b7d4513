// Picture data of "\\pict" groups: turned into images, shown as a labelled frame when
// nothing can draw them, and kept as read so a save writes the same bytes back.
#pragma once
#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <string_view>

class QTextImageFormat;

namespace RtfEngine {

enum class RtfPictureKind { None, Png, Jpeg, Dib, Other, Wmf, Emf, MacPict, Ddb, Os2Metafile };

// The kind a picture word names ("pngblip", "wmetafile", "wbitmap", …); None for other words.
RtfPictureKind PictureKindOfWord(std::string_view word);
// The kind as a reader names it in a frame ("Windows metafile", …).
QString PictureKindName(RtfPictureKind kind);

// A device-independent bitmap as RTF stores it, with the file header image readers expect.
QByteArray BmpFileOfDib(const QByteArray& dib);

// A device-dependent bitmap ("\wbitmap": rows of `widthBytes` bytes from the top, 1, 4,
// 8, 24 or 32 bits a pixel, no palette) as a device-independent one, ready for BmpFileOfDib.
// Empty when the numbers do not describe the data.
QByteArray DibOfDdb(const QByteArray& bits, int width, int height, int bitsPerPixel, int widthBytes);

// Where a \wbitmap's geometry comes from: \picw, \pich, \wbmbitspixel, \wbmwidthbytes.
struct DdbGeometry {
    int width = 0, height = 0, bitsPerPixel = 1, widthBytes = 0;
};

// The image of the data; a null image for a kind nothing here draws, or bad data.
QImage DecodeRtfPicture(RtfPictureKind kind, const QByteArray& data, const DdbGeometry& ddb = {});

// What stands for an undrawable picture: a frame of `size` (document units) naming its kind.
QImage PictureFrame(QSizeF size, RtfPictureKind kind);

// A picture's data as read, kept in its image format so a save writes it back byte for
// byte: the words that describe the data (the kind's word with its parameter, a bitmap's
// geometry, "\picw"/"\pich"…) and the data itself.
constexpr int kPictureWordsProperty = 0x100000 + 0x53; // QByteArray
constexpr int kPictureDataProperty = 0x100000 + 0x54;  // QByteArray

// The "{\pict …}" group of a kept picture at the format's size; empty when it keeps none.
QByteArray KeptPictureGroup(const QTextImageFormat& format);

} // namespace RtfEngine
