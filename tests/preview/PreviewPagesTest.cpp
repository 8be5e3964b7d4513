// Page files: names, what stays on disk in each mode, what loads back, what is
// deleted; the page's recording resolution; the compression setting.
#include "preview/PreviewPages.h"

#include "PrintTestSupport.h"
#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>

using namespace Print;

namespace {

QImage Render(const QPicture& page)
{
    QImage image(PageWidthPx / 10, PageHeightPx / 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.1, 0.1);
    PlayPage(painter, page);
    return image;
}

QPicture Finished(TPreviewPage& page)
{
    page.Surface->end();
    return *page.Metafile;
}

} // namespace

class PreviewPagesTest : public ScratchDirTest {};

TEST_F(PreviewPagesTest, EachModeKeepsOneFilePerPageThatLoadsBackTheSamePage)
{
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        TPreviewPage recorded = MakePage(2);
        QPicture page = Finished(recorded);
        ASSERT_TRUE(SavePageFile(page, 7, compress));
        EXPECT_EQ(PageFilesOnDisk(), QStringList{compress ? "PreviewMetafile7.CPR" : "PreviewMetafile7"});
        EXPECT_TRUE(PageFileExists(7, compress));
        EXPECT_FALSE(PageFileExists(7, !compress));

        QPicture loaded;
        ASSERT_TRUE(LoadPageFile(loaded, 7, compress));
        EXPECT_EQ(Render(loaded), Render(page));
        // Showing a compressed page leaves only its ".CPR" behind.
        EXPECT_EQ(PageFilesOnDisk().size(), 1);

        QPicture none;
        EXPECT_FALSE(LoadPageFile(none, 8, compress));
        DeletePageFiles();
        EXPECT_EQ(PageFilesOnDisk(), QStringList{compress ? "PreviewMetafile7.CPR" : "PreviewMetafile7"})
            << "deleting starts at index 0 and stops at the first gap";
        QFile::remove(compress ? CompressedFileName(7) : PreviewFileName(7));
    }
}

TEST_F(PreviewPagesTest, DeletingGoesUpToTheFirstMissingIndex)
{
    TPreviewPage recorded = MakePage(0);
    QPicture page = Finished(recorded);
    for (const auto& [index, compress] : {std::pair{0, true}, {1, true}, {2, false}, {2, true}, {4, true}})
        ASSERT_TRUE(SavePageFile(page, index, compress));
    DeletePageFiles();
    EXPECT_EQ(PageFilesOnDisk(), QStringList{"PreviewMetafile4.CPR"});
}

// Page names in a shared folder: a link or a file the preview did not make is
// neither written through, replaced nor deleted.
TEST_F(PreviewPagesTest, FilesThePreviewDidNotMakeAreKept)
{
    TPreviewPage recorded = MakePage(0);
    QPicture page = Finished(recorded);
    {
        QFile victim("victim.txt");
        ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
        victim.write("caf\xC3\xA9 \xE2\x82\xAC");
    }
    ASSERT_TRUE(QFile::link("victim.txt", CompressedFileName(1)));
    ASSERT_TRUE(QFile::link("missing.txt", PreviewFileName(1)));
    {
        QFile foreign(CompressedFileName(0));
        ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
        foreign.write("not a page");
    }
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        EXPECT_FALSE(SavePageFile(page, 1, compress));
    }
    EXPECT_FALSE(SavePageFile(page, 0, true));
    EXPECT_FALSE(QFile::exists("missing.txt"));
    DeletePageFiles();
    DeleteUncompressedPageFiles();
    EXPECT_EQ(QFileInfo(CompressedFileName(1)).symLinkTarget(), QFileInfo("victim.txt").absoluteFilePath());
    QFile victim("victim.txt"), foreign(CompressedFileName(0));
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "caf\xC3\xA9 \xE2\x82\xAC");
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    EXPECT_EQ(foreign.readAll(), "not a page");
}

TEST_F(PreviewPagesTest, APageThatCannotBeCreatedIsNotSaved)
{
    TPreviewPage recorded = MakePage(0);
    QPicture page = Finished(recorded);
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        // A folder where the page file belongs: no file can be created there, not even by root.
        const QString name = compress ? CompressedFileName(0) : PreviewFileName(0);
        ASSERT_TRUE(QDir().mkdir(name));
        EXPECT_FALSE(SavePageFile(page, 0, compress));
        EXPECT_FALSE(PageFileExists(0, !compress)); // nor the other mode's file instead
        ASSERT_TRUE(QDir().rmdir(name));
    }
}

// The full-disk case: a file-size limit makes the page's write fail part way.
TEST_F(PreviewPagesTest, AFailedWriteKeepsTheOldPageAndLeavesNoTemporary)
{
    TPreviewPage recorded = MakePage(0);
    QPicture page = Finished(recorded);
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        const QString name = compress ? CompressedFileName(0) : PreviewFileName(0);
        TPreviewPage oldRecorded = MakePage(1);
        QPicture oldPage = Finished(oldRecorded);
        ASSERT_TRUE(SavePageFile(oldPage, 0, compress));
        QByteArray oldBytes;
        {
            QFile old(name);
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            oldBytes = old.readAll();
        }
        {
            const TFileSizeLimit limit(64);
            EXPECT_FALSE(SavePageFile(page, 0, compress));
        }
        QFile kept(name);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), oldBytes);
        EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{name});
        // Without the limit the page replaces the old file and loads back.
        ASSERT_TRUE(SavePageFile(page, 0, compress));
        QPicture loaded;
        ASSERT_TRUE(LoadPageFile(loaded, 0, compress));
        EXPECT_EQ(Render(loaded), Render(page));
        EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{name});
        QFile::remove(name);
    }
}

TEST_F(PreviewPagesTest, PagesAreRecordedAtThePrintersResolution)
{
    TPreviewPage page = MakePage(0);
    QPainter& canvas = *page.Surface;
    EXPECT_EQ(page.Metafile->logicalDpiY(), PageDpi);
    EXPECT_EQ(page.Metafile->width(), PageWidthPx);
    // 12 points at 600 dpi: 100 pixels of em height, not the screen's 16.
    EXPECT_NEAR(QFontMetrics(canvas.font(), page.Metafile.get()).height(), 100 * 1.16, 20);
    EXPECT_NEAR(canvas.fontMetrics().height(), 100 * 1.16, 20);
}

TEST_F(PreviewPagesTest, CompressSettingIsAStringInTheRegistry)
{
    EXPECT_TRUE(ReadCompressSetting()) << "no key yet";
    struct Case {
        bool store;
        const char* stored;
    };
    for (const Case c : {Case{false, "0"}, Case{true, "1"}}) {
        StoreCompressSetting(c.store);
        Platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("\\RichPrint.Settings\\Compress", false));
        EXPECT_EQ(registry.GetDataType("CompressPreview"), Platform::RegDataType::String);
        EXPECT_EQ(registry.ReadString("CompressPreview"), c.stored);
        EXPECT_EQ(ReadCompressSetting(), c.store);
    }
    // Values written by hand: any number but 0 is on, and text that is no number reads as 1.
    for (const auto& [text, expected] : {std::pair{"2", true}, std::pair{"abc", true}, std::pair{" 0", false}}) {
        Platform::Registry registry;
        registry.OpenKey("\\RichPrint.Settings\\Compress", true);
        registry.WriteString("CompressPreview", text);
        EXPECT_EQ(ReadCompressSetting(), expected) << text;
    }
}
