// Text within paragraphs: fields and links around it, character properties, pictures
// and escaped characters.
#include "rtf/RtfWriting.h"

namespace RtfEngine::Writing {

// The groups a fragment stands in: its fields, outermost first, then its link.
void Writer::SwitchGroups(const QVariantList& fields, const QString& href, const QByteArray& linkSource)
{
    if (fields == FOpenFields && href == FLink && linkSource == FLinkSource)
        return;
    CloseLink(); // the link is innermost: any change around it closes it
    const qsizetype common = CommonLength(FOpenFields, fields);
    CloseFieldsTo(common);
    for (qsizetype i = common; i < fields.size(); ++i)
        OpenField(fields[i].toByteArray());
    OpenLink(href, linkSource);
}

qsizetype Writer::CommonLength(const QVariantList& a, const QVariantList& b)
{
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

// The fields the next paragraph's text starts in, when it follows in the same flow: a
// field whose result goes on there (a table of contents) stays open over the mark.
QVariantList Writer::FieldsGoingOn(const QTextBlock& block) const
{
    if (FOpenFields.isEmpty())
        return {};
    QTextBlock next = block.next();
    for (int empty = 0; empty < 64 && BlockInRange(next); ++empty, next = next.next()) {
        if (TableOf(next, nullptr) || next.blockFormat().hasProperty(kSectionProperty))
            return {};
        if (next.length() > 1)
            return next.begin().fragment().charFormat().property(kFieldsProperty).toList();
    }
    return {};
}

void Writer::OpenField(const QByteArray& source)
{
    FFieldSaves.push_back({FState, FPara});
    FOpenFields.append(source);
    FOut += source + "{\\fldrslt ";
}

// Closing a group gives the reader back the properties from before it; the
// paragraph's own are said again when they differ, as its mark is still to come.
void Writer::CloseFieldsTo(qsizetype count)
{
    if (FOpenFields.size() <= count)
        return;
    while (FOpenFields.size() > count) {
        FOut += "}}";
        FState = FFieldSaves.back().state;
        FPara = FFieldSaves.back().para;
        FFieldSaves.pop_back();
        FOpenFields.removeLast();
    }
    WriteParaProps(FParagraphProps, FParagraphList);
}

void Writer::CloseLink()
{
    if (FLink.isEmpty())
        return;
    FOut += "}}}";
    FState = FStateBeforeLink;
    FLink.clear();
    FLinkSource.clear();
}

void Writer::OpenLink(const QString& href, const QByteArray& source)
{
    FLink = href;
    FLinkSource = source;
    if (href.isEmpty())
        return;
    FStateBeforeLink = FState;
    if (!source.isEmpty()) {
        FOut += source + "{\\fldrslt{";
        return;
    }
    FOut += "{\\field{\\*\\fldinst{HYPERLINK \"";
    AppendText(QString(href).replace('"', "%22")); // a quote would end the field's argument
    FOut += "\"}}{\\fldrslt{";
}

CharProps Writer::CharPropsOf(const QTextCharFormat& f)
{
    CharProps s;
    s.font = FontIndex(f);
    const qreal points = !FOptions.plain && f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                                      : FDefaultPoints;
    s.halfPoints = std::max(1, int(std::lround(points * 2)));
    if (FOptions.plain)
        return s;
    s.bold = f.fontWeight() >= QFont::DemiBold;
    s.italic = f.fontItalic();
    s.underline = f.fontUnderline() || (f.underlineStyle() != QTextCharFormat::NoUnderline &&
                                        f.underlineStyle() != QTextCharFormat::SpellCheckUnderline);
    if (s.underline)
        s.underlineWord = f.property(kUnderlineWordProperty).toByteArray();
    s.lang = f.intProperty(kLangProperty);
    s.strike = f.fontStrikeOut();
    s.hidden = f.boolProperty(kHiddenTextProperty);
    s.smallCaps = f.fontCapitalization() == QFont::SmallCaps;
    s.allCaps = f.fontCapitalization() == QFont::AllUppercase;
    s.foreground = ColourIndex(f.foreground());
    s.background = ColourIndex(f.background());
    s.verticalAlign = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1
                    : f.verticalAlignment() == QTextCharFormat::AlignSubScript  ? 2 : 0;
    return s;
}

void Writer::WriteCharProps(const CharProps& s)
{
    if (s == FState)
        return;
    QByteArray w;
    auto flag = [&w](bool now, bool was, const char* on, const char* off) {
        if (now != was) w += now ? on : off;
    };
    if (s.font != FState.font) w += "\\f" + Number(s.font);
    if (s.halfPoints != FState.halfPoints) w += "\\fs" + Number(s.halfPoints);
    flag(s.bold, FState.bold, "\\b", "\\b0");
    flag(s.italic, FState.italic, "\\i", "\\i0");
    if (s.underline != FState.underline || s.underlineWord != FState.underlineWord)
        w += !s.underline ? QByteArray("\\ulnone") : "\\" + (s.underlineWord.isEmpty() ? QByteArray("ul") : s.underlineWord);
    if (s.lang != FState.lang)
        w += "\\lang" + Number(s.lang); // 0: none, as the reader takes it
    flag(s.strike, FState.strike, "\\strike", "\\strike0");
    flag(s.hidden, FState.hidden, "\\v", "\\v0");
    flag(s.smallCaps, FState.smallCaps, "\\scaps", "\\scaps0");
    flag(s.allCaps, FState.allCaps, "\\caps", "\\caps0");
    if (s.foreground != FState.foreground) w += "\\cf" + Number(s.foreground);
    if (s.background != FState.background) w += "\\highlight" + Number(s.background);
    if (s.verticalAlign != FState.verticalAlign) {
        static const char* const kVertical[] = {"\\nosupersub", "\\super", "\\sub"};
        w += kVertical[s.verticalAlign];
    }
    if (!w.isEmpty())
        FOut += w + ' '; // alone, the delimiter would be text
    FState = s;
}

QImage Writer::ImageOf(const QVariant& resource)
{
    if (resource.canConvert<QImage>() && resource.typeId() == QMetaType::QImage)
        return resource.value<QImage>();
    if (resource.typeId() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    if (resource.typeId() == QMetaType::QByteArray)
        return QImage::fromData(resource.toByteArray());
    return {};
}

void Writer::WritePicture(const QTextImageFormat& f)
{
    if (const QByteArray kept = KeptPictureGroup(f); !kept.isEmpty()) {
        FOut += kept; // the data as read, of whatever kind, byte for byte
        return;
    }
    QImage image = ImageOf(FDoc.resource(QTextDocument::ImageResource, QUrl(f.name())));
    if (image.isNull())
        image = QImage(f.name());
    if (image.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const qreal width = f.width() > 0 ? f.width() : image.width();
    const qreal height = f.height() > 0 ? f.height() : image.height();
    FOut += "{\\pict\\pngblip\\picw" + Number(image.width()) + "\\pich" + Number(image.height()) +
            "\\picwgoal" + Number(Twips(width)) + "\\pichgoal" + Number(Twips(height)) + "\r\n";
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        FOut += hex.mid(i, 128);
        FOut += "\r\n";
    }
    FOut += "}";
}

void Writer::AppendText(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\\' || c == '{' || c == '}') {
            FOut += '\\';
            FOut += char(c);
        } else if (c == '\t') {
            FOut += "\\tab ";
        } else if (c == 0x2028) {
            FOut += "\\line ";
        } else if (c == 0x0C) {
            if (!FOptions.plain) FOut += "\\page ";
        } else if (c < 0x20 || c == 0xFFFC || c == 0x2029) {
            // control characters and object stand-ins carry no text
        } else if (c < 0x80) {
            if (c == '@')
                KeepEscapeApartFromMarker();
            FOut += char(c);
        } else {
            const unsigned char b = Platform::UnicodeToByte(c, 0);
            // A byte in a font of another code page would read back as that page's character.
            if (b >= 0x80 && Platform::ByteToUnicode(b) == c && !FForeignFonts.count(FState.font)) {
                static const char kHex[] = "0123456789abcdef";
                FOut += "\\'";
                FOut += kHex[b >> 4];
                FOut += kHex[b & 15];
                if ((b & 15) < 10)
                    FEscapeWithDigitEnd = FOut.size();
            } else {
                FOut += "\\u" + Number(c > 32767 ? int(c) - 65536 : int(c)) + "?";
            }
        }
    }
}

// «\'a3@5» would glue the marker to the escape's last digit, so the merge could not
// replace it; a group keeps it a whole word. Decided on the output, as the escape
// and the marker may come from two runs with the same written format.
void Writer::KeepEscapeApartFromMarker()
{
    if (FOut.size() != FEscapeWithDigitEnd)
        return;
    FOut.insert(FEscapeWithDigitEnd - 4, '{');
    FOut += '}';
}

} // namespace RtfEngine::Writing
