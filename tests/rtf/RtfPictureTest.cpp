// Pictures other programs write: Windows and enhanced metafiles drawn through their
// libraries, and data that draws as nothing at all.
#include "RtfTestSupport.h"

#include "rtf/RtfMetafile.h"
#include "rtf/RtfPicture.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QtEndian>
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
    // A header claiming a largest record of 2.5 GB: refused before the library allocates it.
    QByteArray huge = data;
    qToLittleEndian<quint32>(0x50000000, huge.data() + 22 + 12);
    EXPECT_TRUE(RtfEngine::WindowsMetafileToSvg(huge).isEmpty());
    EXPECT_FALSE(RtfEngine::WindowsMetafileToSvg(data).isEmpty());
    EXPECT_TRUE(RtfEngine::EnhancedMetafileToSvg(QByteArray(100, '\x01')).isEmpty());
    EXPECT_TRUE(RtfEngine::DrawSvg("<svg").isNull());
}

TEST(RtfPicture, DeviceBitmapsGetAHeader)
{
    // 10 by 2 pixels, one bit each, rows of two words: a checker of black and white.
    const QByteArray bits = QByteArray::fromHex("aa40ffff" "5580ffff");
    const QImage image = RtfEngine::DecodeRtfPicture(RtfEngine::RtfPictureKind::Ddb, bits, {10, 2, 1, 4});
    ASSERT_EQ(image.size(), QSize(10, 2));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white)); // the top row comes first
    EXPECT_EQ(image.pixelColor(1, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(9, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(9, 1), QColor(Qt::black));
    // 24 bits a pixel, blue-green-red.
    const QImage colour = RtfEngine::DecodeRtfPicture(RtfEngine::RtfPictureKind::Ddb,
                                                      QByteArray::fromHex("0000ff00ff00"), {2, 1, 24, 6});
    ASSERT_EQ(colour.size(), QSize(2, 1));
    EXPECT_EQ(colour.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(colour.pixelColor(1, 0), QColor(0, 255, 0));
    // Numbers that do not describe the data draw nothing.
    for (const RtfEngine::DdbGeometry& bad : {RtfEngine::DdbGeometry{10, 3, 1, 4}, RtfEngine::DdbGeometry{10, 2, 7, 4},
                                              RtfEngine::DdbGeometry{0, 2, 1, 4}, RtfEngine::DdbGeometry{40, 2, 1, 4}})
        EXPECT_TRUE(RtfEngine::DecodeRtfPicture(RtfEngine::RtfPictureKind::Ddb, bits, bad).isNull());
}

TEST(RtfPicture, UndrawablePicturesGetAFrameAndKeepTheirBytes)
{
    const QImage frame = RtfEngine::PictureFrame({120.4, 60}, RtfEngine::RtfPictureKind::MacPict);
    EXPECT_EQ(frame.size(), QSize(120, 60));
    EXPECT_EQ(RtfEngine::PictureFrame({1e9, -5}, RtfEngine::RtfPictureKind::MacPict).size(), QSize(2048, 8));

    QTextImageFormat format;
    EXPECT_TRUE(RtfEngine::KeptPictureGroup(format).isEmpty());
    format.setProperty(RtfEngine::kPictureWordsProperty, QByteArray("\\macpict\\picw20\\pich10"));
    format.setProperty(RtfEngine::kPictureDataProperty, QByteArray("\x00\x11\xff", 3));
    format.setWidth(40);
    format.setHeight(20);
    EXPECT_EQ(RtfEngine::KeptPictureGroup(format), "{\\pict\\macpict\\picw20\\pich10\\picwgoal600\\pichgoal300\r\n0011ff\r\n}");
}
