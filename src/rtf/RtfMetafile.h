// Windows metafiles (\wmetafile) and enhanced metafiles (\emfblip) drawn as images:
// each is turned into SVG by a library made for it (libwmf, libemf2svg) and the SVG
// is drawn with Qt SVG.
#pragma once
#include <QByteArray>
#include <QImage>

namespace RtfEngine {

// Whether the bytes start like a Windows metafile (with or without its placeable
// header) or like an enhanced metafile.
bool IsWindowsMetafile(const QByteArray& data);
bool IsEnhancedMetafile(const QByteArray& data);

// The SVG of a metafile; empty when the library cannot read it.
QByteArray WindowsMetafileToSvg(const QByteArray& wmf);
QByteArray EnhancedMetafileToSvg(const QByteArray& emf);

// SVG drawn on a transparent image, its longer side scaled to between 512 and 2048
// pixels (sharp when small, bounded in memory when it claims to be huge); a null
// image when it does not draw.
QImage DrawSvg(const QByteArray& svg);

} // namespace RtfEngine
