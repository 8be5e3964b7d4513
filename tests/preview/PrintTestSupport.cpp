#include "PrintTestSupport.h"

#include "preview/RichPreview.h"

#include <QFont>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

void ScratchDirTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    FOldDir = QDir::currentPath();
    FOldConfig = qgetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(QDir::setCurrent(FDir.path()));
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toLocal8Bit());
}

void ScratchDirTest::TearDown()
{
    QDir::setCurrent(FOldDir);
    if (FOldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", FOldConfig);
}

QStringList ScratchDirTest::PageFilesOnDisk()
{
    return QDir::current().entryList({"PreviewMetafile*"}, QDir::Files, QDir::Name);
}

TFileSizeLimit::TFileSizeLimit(unsigned long bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    FOld = limit.rlim_cur;
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = FOld;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, FOldHandler);
}

QColor PageColour(int index) { return QColor::fromHsv((index * 47) % 360, 255, 200); }

Print::TPreviewPage MakePage(int index)
{
    QFont font("DejaVu Sans");
    font.setPointSize(12);
    Print::TPreviewPage page = Print::StartPreviewPage(PageWidthPx, PageHeightPx, PageDpi, PageDpi, font);
    QPainter& canvas = *page.Surface;
    canvas.fillRect(QRect(PageWidthPx / 4, PageHeightPx / 4, PageWidthPx / 2, PageHeightPx / 2), PageColour(index));
    canvas.drawText(QPoint(600, 600), QString("Page %1").arg(index + 1));
    return page;
}

void FeedPages(Print::TRichPreviewForm& form, int count)
{
    for (int i = 0; i < count; ++i) {
        Print::TPreviewPage page = MakePage(i);
        form.AddPage(page);
        form.FormPaint();
    }
    form.PagesComplete();
}

int PageShownIn(const QImage& bitmap)
{
    if (bitmap.isNull()) return -1;
    const QColor centre = bitmap.pixelColor(bitmap.width() / 2, bitmap.height() / 2);
    for (int i = 0; i < 20; ++i) { // hues at least 16 degrees apart
        const QColor c = PageColour(i);
        if (std::abs(c.red() - centre.red()) + std::abs(c.green() - centre.green()) + std::abs(c.blue() - centre.blue()) < 12)
            return i;
    }
    return -1;
}
