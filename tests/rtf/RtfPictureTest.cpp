// Pictures other programs write: Windows and enhanced metafiles drawn through their
// libraries, and data that draws as nothing at all.
#include "RtfTestSupport.h"

#include "rtf/RtfMetafile.h"
#include "rtf/RtfPicture.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <gtest/gtest.h>

using namespace RtfTest;

namespace {

QImage FirstImage(const QTextDocument& doc, QTextImageFormat* format)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                *format = it.fragment().charFormat().toImageFormat();
                return doc.resource(QTextDocument::ImageResource, QUrl(format->name())).value<QImage>();
            }
    return {};
}

QByteArray Sample(const char* name)
{
    return ReadFile(QString(KELVORA_SOURCE_DIR "/tests/rtf/samples/") + name);
}

} // namespace

TEST(RtfPicture, MetafilesAreDrawnAtTheirDeclaredSize)
{
    struct Case { const char* file; QColor fill; };
    const Case cases[] = {{"metafile-wmf.rtf", QColor(255, 0, 0)}, {"metafile-emf.rtf", QColor(0, 255, 0)}};
    for (const Case& c : cases) {
        auto doc = Read(Sample(c.file));
        QTextImageFormat format;
        const QImage image = FirstImage(*doc, &format);
        ASSERT_FALSE(image.isNull()) << c.file;
        // A 100 by 50 rectangle filled with the metafile's brush.
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), c.fill) << c.file;
        EXPECT_DOUBLE_EQ(format.width(), 100) << c.file;
        EXPECT_DOUBLE_EQ(format.height(), 50) << c.file;
        EXPECT_EQ(TextOf(*doc), QString("Before ") + QChar::ObjectReplacementCharacter) << c.file;
    }
}

TEST(RtfPicture, DamagedMetafilesDrawNothingAndDoNotCrash)
{
    const QByteArray wmf = Sample("metafile-wmf.rtf");
    const QByteArray hex = wmf.mid(wmf.indexOf("d7cdc69a")).replace("\n", "");
    const QByteArray data = QByteArray::fromHex(hex.left(hex.indexOf('}')));
    ASSERT_TRUE(RtfEngine::IsWindowsMetafile(data));
    for (int cut : {22, 40, 60, int(data.size()) - 6}) {
        const QByteArray svg = RtfEngine::WindowsMetafileToSvg(data.left(cut));
        (void)RtfEngine::DrawSvg(svg); // whatever it makes of it, it returns
    }
    EXPECT_TRUE(RtfEngine::WindowsMetafileToSvg("\x01\x00\x09\x00garbage").isEmpty());
    EXPECT_TRUE(RtfEngine::EnhancedMetafileToSvg(QByteArray(100, '\x01')).isEmpty());
    EXPECT_TRUE(RtfEngine::DrawSvg("<svg").isNull());
}
