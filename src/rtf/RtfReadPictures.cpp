// Pictures: their kind, size and scale, and the image they become.
#include "rtf/RtfParser.h"

#include <QCryptographicHash>

#include <algorithm>

namespace RtfEngine::Reading {

void RtfParser::OnPictWord(std::string_view w, bool has, int param)
{
    Picture& p = FPicture;
    if (w == "pngblip") p.kind = RtfPictureKind::Png;
    else if (w == "jpegblip") p.kind = RtfPictureKind::Jpeg;
    else if (w == "dibitmap") p.kind = RtfPictureKind::Dib;
    else if (w == "wmetafile" || w == "emfblip" || w == "macpict" || w == "pmmetafile" || w == "wbitmap")
        p.kind = RtfPictureKind::Other;
    else if (w == "picw") p.width = param;
    else if (w == "pich") p.height = param;
    else if (w == "picwgoal") p.goalWidth = param;
    else if (w == "pichgoal") p.goalHeight = param;
    else if (w == "picscalex" && has) p.scaleX = param;
    else if (w == "picscaley" && has) p.scaleY = param;
}

void RtfParser::FinishPicture()
{
    Picture p = std::move(FPicture);
    FPicture = {};
    const QImage image = DecodeRtfPicture(p.kind, p.data);
    if (image.isNull())
        return;
    const double scaleX = std::clamp(p.scaleX, 1, 10000) / 100.0;
    const double scaleY = std::clamp(p.scaleY, 1, 10000) / 100.0;
    int goalWidth = p.goalWidth, goalHeight = p.goalHeight;
    if (Top().dest == Dest::ShapeInst && FShapeBox[2] > FShapeBox[0] && FShapeBox[3] > FShapeBox[1]) {
        goalWidth = FShapeBox[2] - FShapeBox[0]; // a shape's picture fills the shape
        goalHeight = FShapeBox[3] - FShapeBox[1];
    }
    const double width = (goalWidth > 0 ? goalWidth / kTwipsPerUnit : image.width()) * scaleX;
    const double height = (goalHeight > 0 ? goalHeight / kTwipsPerUnit : image.height()) * scaleY;

    QTextImageFormat format;
    format.merge(CurrentCharFormat());
    const QByteArray digest = QCryptographicHash::hash(p.data, QCryptographicHash::Sha1).toHex();
    format.setName("rtfimage:" + QString::fromLatin1(digest));
    format.setWidth(width);
    format.setHeight(height);
    FParagraph.runs.push_back({{}, format, image});
    FParagraphHasContent = true;
    ++FContent;
}

} // namespace RtfEngine::Reading
