// Picture data of "\\pict" groups turned into images.
#pragma once
#include <QByteArray>
#include <QImage>

namespace RtfEngine {

enum class RtfPictureKind { None, Png, Jpeg, Dib, Other };

// A device-independent bitmap as RTF stores it, with the file header image readers expect.
QByteArray BmpFileOfDib(const QByteArray& dib);

// The image of PNG, JPEG or bitmap data; a null image for other kinds or bad data.
QImage DecodeRtfPicture(RtfPictureKind kind, const QByteArray& data);

} // namespace RtfEngine
