// Pictures: their kind, size and scale, and the image they become.
#include "rtf/RtfParser.h"

#include <QCryptographicHash>

#include <algorithm>

namespace RtfEngine::Reading {

void RtfParser::OnPictWord(std::string_view w, bool has, int param)
{
    Picture& p = FPicture;
    // The words a save writes back with the data as read; the shown size is the format's.
    static const std::string_view kDescribing[] = {"picw", "pich", "wbmbitspixel", "wbmplanes", "wbmwidthbytes",
                                                   "picbmp", "picbpp", "piccropl", "piccropr", "piccropt",
                                                   "piccropb", "bliptag", "blipupi"};
    if (const RtfPictureKind kind = PictureKindOfWord(w); kind != RtfPictureKind::None)
        p.kind = kind, p.words += WordSource(w, has, param);
    else if (std::find(std::begin(kDescribing), std::end(kDescribing), w) != std::end(kDescribing))
        p.words += WordSource(w, has, param);
    if (w == "picw") p.width = param;
    else if (w == "pich") p.height = param;
    else if (w == "picwgoal") p.goalWidth = param;
    else if (w == "pichgoal") p.goalHeight = param;
    else if (w == "picscalex" && has) p.scaleX = param;
    else if (w == "picscaley" && has) p.scaleY = param;
    else if (w == "wbmbitspixel") p.bitsPerPixel = param;
    else if (w == "wbmwidthbytes") p.widthBytes = param;
}

void RtfParser::FinishPicture()
{
    Picture p = std::move(FPicture);
    FPicture = {};
    if (p.kind == RtfPictureKind::None && p.data.isEmpty())
        return; // no picture at all
    QImage image = DecodeRtfPicture(p.kind, p.data, {p.width, p.height, p.bitsPerPixel, p.widthBytes});
    const double scaleX = std::clamp(p.scaleX, 1, 10000) / 100.0;
    const double scaleY = std::clamp(p.scaleY, 1, 10000) / 100.0;
    int goalWidth = p.goalWidth, goalHeight = p.goalHeight;
    if (Top().dest == Dest::ShapeInst && FShapeBox[2] > FShapeBox[0] && FShapeBox[3] > FShapeBox[1]) {
        goalWidth = FShapeBox[2] - FShapeBox[0]; // a shape's picture fills the shape
        goalHeight = FShapeBox[3] - FShapeBox[1];
    }
    // Without a goal size a picture nothing draws is shown an inch wide.
    const double naturalWidth = image.isNull() ? 96 : image.width(), naturalHeight = image.isNull() ? 96 : image.height();
    const double width = (goalWidth > 0 ? goalWidth / kTwipsPerUnit : naturalWidth) * scaleX;
    const double height = (goalHeight > 0 ? goalHeight / kTwipsPerUnit : naturalHeight) * scaleY;
    if (image.isNull())
        image = PictureFrame({width, height}, p.kind);

    QTextImageFormat format;
    format.merge(CurrentCharFormat());
    const QByteArray digest = QCryptographicHash::hash(p.data, QCryptographicHash::Sha1).toHex();
    format.setName("rtfimage:" + QString::fromLatin1(digest));
    format.setWidth(width);
    format.setHeight(height);
    format.setProperty(kPictureWordsProperty, p.words);
    format.setProperty(kPictureDataProperty, p.data);
    FParagraph.runs.push_back({{}, format, image});
    FParagraphHasContent = true;
    ++FContent;
}

} // namespace RtfEngine::Reading
