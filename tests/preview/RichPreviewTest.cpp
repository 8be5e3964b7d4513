// The preview windows driven as a person drives them: pages arrive, the window
// turns to browsing (two pages side by side where the screen allows), the user
// pages with keys, arrows and typed numbers, zooms, prints a range, closes.
#include "preview/RichPreview.h"

#include "../dialogs/ModalAnswer.h"
#include "PrintTestSupport.h"
#include "preview/ArrowBtn.h"
#include "preview/Compress.h"
#include "preview/RichPreview2.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <zlib.h>

using namespace Print;

namespace {

constexpr double A4 = 297.0 / 210.0;

// A preview of `pages` test pages, shown, with the pages handed over.
class Preview {
public:
    explicit Preview(int pages, bool compress = true) : FPrinter(QPrinter::HighResolution)
    {
        StoreCompressSetting(compress);
        Form = new TRichPreviewForm(&FPrinter, A4);
        Form->SetPageSize(PageWidthPx, PageHeightPx);
        Form->show();
        FeedPages(*Form, pages);
    }
    ~Preview()
    {
        if (Form) Form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QPrinter& Printer() { return FPrinter; }

    QPointer<TRichPreviewForm> Form;

private:
    QPrinter FPrinter;
};

// What the user sees: the page in each window (-1: none), the page number texts
// and the arrows.
struct Shown {
    int main;
    int second;
    bool next;
    bool previous;
};

void ExpectShown(const TRichPreviewForm& form, const Shown& expected)
{
    EXPECT_EQ(PageShownIn(form.Image1->Bitmap), expected.main);
    EXPECT_EQ(form.Edit1->text(), QString::number(expected.main + 1).rightJustified(4));
    if (form.Preview2) {
        EXPECT_EQ(PageShownIn(form.Preview2->Image1->Bitmap), expected.second);
        EXPECT_EQ(form.Preview2->Label5->isVisible(), expected.second >= 0);
        if (expected.second >= 0)
            EXPECT_EQ(form.Preview2->Label5->text(), QString::number(expected.second + 1).rightJustified(4));
    } else {
        EXPECT_EQ(expected.second, -1);
    }
    EXPECT_EQ(form.NextGroupEnabled(), expected.next);
    EXPECT_EQ(form.Label1->isEnabled(), expected.next);
    EXPECT_EQ(form.Label3->isEnabled(), expected.next);
    EXPECT_EQ(form.PreviousGroupEnabled(), expected.previous);
    EXPECT_EQ(form.Label2->isEnabled(), expected.previous);
    EXPECT_EQ(form.Label9->isEnabled(), expected.previous);
}

void TypePageNumber(TRichPreviewForm& form, const QString& text)
{
    form.Edit1->selectAll();
    QTest::keyClicks(form.Edit1, text);
}

void ClickArrow(TArrowButton* arrow)
{
    const QPolygon t = arrow->Triangle();
    QTest::mouseClick(arrow, Qt::LeftButton, {}, (t[0] + t[1] + t[2]) / 3);
}

QByteArray InflateWhole(const QByteArray& packed)
{
    z_stream s{};
    if (inflateInit(&s) != Z_OK) return {};
    QByteArray out;
    char buffer[4096];
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    s.avail_in = packed.size();
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = reinterpret_cast<Bytef*>(buffer);
        s.avail_out = sizeof buffer;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - s.avail_out);
    }
    inflateEnd(&s);
    return rc == Z_STREAM_END ? out : QByteArray();
}

bool ScreenIsWide() { return QGuiApplication::primaryScreen()->geometry().width() >= 1000; }

} // namespace

class RichPreviewTest : public ScratchDirTest {};

TEST_F(RichPreviewTest, OnePageDocument)
{
    Preview preview(1);
    TRichPreviewForm& form = *preview.Form;
    EXPECT_EQ(form.windowTitle(), "Print Preview");
    EXPECT_FALSE(form.Building());
    EXPECT_TRUE(form.Edit1->isReadOnly());
    EXPECT_EQ(form.Preview2, nullptr);
    EXPECT_TRUE(form.findChildren<TPreview2*>().isEmpty());
    EXPECT_EQ(form.Label10->text(), "(1)");
    ExpectShown(form, {0, -1, true, false});

    QTest::keyClick(&form, Qt::Key_PageUp); // the next arrow turns itself off on first use
    ExpectShown(form, {0, -1, false, true});
    QTest::keyClick(&form, Qt::Key_PageDown);
    ExpectShown(form, {0, -1, true, false});
}

TEST_F(RichPreviewTest, WhilePagesArriveTheNewestIsShown)
{
    StoreCompressSetting(true);
    QPrinter printer;
    TRichPreviewForm form(&printer, A4);
    form.SetPageSize(PageWidthPx, PageHeightPx);
    EXPECT_EQ(form.windowTitle(), "Print Preview (Formatting)");
    for (int i = 0; i < 3; ++i) {
        TPreviewPage page = MakePage(i);
        form.AddPage(page);
        form.FormPaint();
        EXPECT_EQ(PageShownIn(form.Image1->Bitmap), i);
        EXPECT_EQ(form.LastPage(), i);
        EXPECT_EQ(form.CurrentPage(), i + 1);
        EXPECT_TRUE(form.Building());
        EXPECT_FALSE(form.Label10->isVisible());
    }
    form.PagesComplete();
    EXPECT_EQ(form.windowTitle(), "Print Preview");
    EXPECT_EQ(PageShownIn(form.Image1->Bitmap), 0);
}

TEST_F(RichPreviewTest, TwoPageModeAtTheEdges)
{
    ASSERT_GE(QGuiApplication::primaryScreen()->geometry().width(), 2 * MainPreviewLayout(800, 600, A4).WindowWidth);
    struct Step {
        Qt::Key key; // 0: the state right after the pages are in
        Shown shown;
    };
    struct Case {
        int pages;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {3,
         {{Qt::Key(0), {0, 1, true, false}},
          {Qt::Key_PageUp, {2, -1, false, true}},
          {Qt::Key_PageUp, {2, -1, false, true}},
          {Qt::Key_PageDown, {0, 1, true, false}}}},
        {4,
         {{Qt::Key(0), {0, 1, true, false}},
          {Qt::Key_End, {2, 3, false, true}},
          {Qt::Key_PageUp, {2, 3, false, true}},
          {Qt::Key_PageDown, {0, 1, true, false}},
          {Qt::Key_PageUp, {2, 3, false, true}}}},
        {5,
         {{Qt::Key_End, {4, -1, false, true}},
          {Qt::Key_PageDown, {2, 3, true, true}},
          {Qt::Key_Home, {0, 1, true, false}},
          {Qt::Key_PageUp, {2, 3, true, true}},
          {Qt::Key_PageUp, {4, -1, false, true}},
          {Qt::Key_PageDown, {2, 3, true, true}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pages << " pages");
        Preview preview(c.pages);
        TRichPreviewForm& form = *preview.Form;
        ASSERT_TRUE(form.TwoPages());
        ASSERT_NE(form.Preview2, nullptr);
        EXPECT_EQ(form.Preview2->windowTitle(), "next page");
        EXPECT_TRUE(form.Preview2->isVisible());
        EXPECT_EQ(form.Preview2->x(), form.frameGeometry().x() + form.frameGeometry().width()) << "beside the main window";
        for (const Step& step : c.steps) {
            SCOPED_TRACE(testing::Message() << "key " << step.key);
            if (step.key) QTest::keyClick(&form, step.key);
            ExpectShown(form, step.shown);
        }
    }
}

TEST_F(RichPreviewTest, ArrowButtonsPageLikeTheirKeys)
{
    Preview preview(3);
    TRichPreviewForm& form = *preview.Form;
    ClickArrow(form.ArrowButton2);
    ExpectShown(form, {2, -1, false, true});
    ClickArrow(form.ArrowButton2); // disabled now
    ExpectShown(form, {2, -1, false, true});
    ClickArrow(form.ArrowButton1);
    ExpectShown(form, {0, 1, true, false});
}

TEST_F(RichPreviewTest, TypedPageNumbers)
{
    Preview preview(5);
    TRichPreviewForm& form = *preview.Form;
    ASSERT_TRUE(form.TwoPages());
    for (const char* ignored : {"0", "6", "99", "ab", "-1", ""}) {
        SCOPED_TRACE(ignored);
        TypePageNumber(form, ignored);
        EXPECT_EQ(form.CurrentPage(), 0);
        EXPECT_EQ(PageShownIn(form.Image1->Bitmap), 0);
        EXPECT_EQ(PageShownIn(form.Preview2->Image1->Bitmap), 1);
    }
    struct Case {
        const char* typed;
        Shown shown;
    };
    for (const Case c : {Case{"3", {2, 3, true, true}}, Case{"4", {2, 3, true, true}}, Case{"5", {4, -1, false, true}},
                         Case{"2", {0, 1, true, false}}}) {
        SCOPED_TRACE(c.typed);
        TypePageNumber(form, c.typed);
        ExpectShown(form, c.shown);
    }
}

TEST_F(RichPreviewTest, ZoomSteps)
{
    Preview preview(1);
    TRichPreviewForm& form = *preview.Form;
    const QSize box = form.ScrollBox1->size();
    EXPECT_EQ(form.Label7->text(), "1.000");
    EXPECT_EQ(form.MaskEdit1->text(), "0.100");
    EXPECT_FALSE(form.SpeedButton3->isEnabled());

    form.MaskEdit1->selectAll();
    QTest::keyClicks(form.MaskEdit1, "0050");
    EXPECT_DOUBLE_EQ(form.ZoomStep(), 0.05);
    QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(form.Label7->text(), "1.050");
    EXPECT_TRUE(form.SpeedButton3->isEnabled());
    EXPECT_EQ(form.Image1->size(), QSize(RoundEven(1.05 * box.width()), RoundEven(1.05 * box.height())));

    form.MaskEdit1->selectAll();
    QTest::keyClicks(form.MaskEdit1, "0100");
    form.setFocus();
    QTest::keyClick(&form, Qt::Key_S);
    EXPECT_EQ(form.Zoom(), 1.0) << "a step below 1 stops at exactly 1";
    EXPECT_EQ(form.Label7->text(), "1.000");
    EXPECT_FALSE(form.SpeedButton3->isEnabled());
    EXPECT_EQ(form.Image1->size(), box);

    QTest::keyClick(&form, Qt::Key_L);
    QTest::keyClick(&form, Qt::Key_L);
    EXPECT_EQ(form.Label7->text(), "1.200");
    QTest::mouseClick(form.Image1, Qt::RightButton);
    EXPECT_EQ(form.Label7->text(), "1.000");
    EXPECT_FALSE(form.SpeedButton3->isEnabled());
    EXPECT_EQ(form.Image1->size(), box);

    // A zoom step that does not read as a number is 0.1.
    form.MaskEdit1->clear();
    QTest::keyClicks(form.MaskEdit1, ".");
    EXPECT_DOUBLE_EQ(form.ZoomStep(), 0.1);
}

// The window previews the keys: L, S and P act also while the page-number box has the
// focus, and digits still go to the box.
TEST_F(RichPreviewTest, LetterKeysActInThePageNumberBox)
{
    Preview preview(3);
    TRichPreviewForm& form = *preview.Form;
    form.activateWindow();
    form.Edit1->setFocus();
    const QString number = form.Edit1->text();
    QTest::keyClick(form.Edit1, Qt::Key_L);
    EXPECT_EQ(form.Label7->text(), "1.100");
    QTest::keyClick(form.Edit1, Qt::Key_L);
    EXPECT_EQ(form.Label7->text(), "1.200");
    QTest::keyClick(form.Edit1, Qt::Key_S);
    EXPECT_EQ(form.Label7->text(), "1.100");
    EXPECT_EQ(form.Edit1->text(), number) << "the letters are not typed into the box";

    bool printDialog = false;
    WhenModalAppears([&printDialog](QWidget* modal) {
        printDialog = qobject_cast<QPrintDialog*>(modal) != nullptr;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    QTest::keyClick(form.Edit1, Qt::Key_P);
    EXPECT_TRUE(printDialog);

    TypePageNumber(form, "3");
    EXPECT_EQ(form.CurrentPage(), 2);
}

TEST_F(RichPreviewTest, ZoomingOnePageReusesThePageInMemory)
{
    Preview preview(1);
    TRichPreviewForm& form = *preview.Form;
    ASSERT_FALSE(form.TwoPages());
    ASSERT_TRUE(QFile::remove("PreviewMetafile0.CPR"));
    QTest::keyClick(&form, Qt::Key_L);
    EXPECT_EQ(PageShownIn(form.Image1->Bitmap), 0) << "drawn again, larger, without its file";
    EXPECT_GT(form.Image1->Bitmap.width(), form.ScrollBox1->width());
    // The arrow keys move the larger page under the window.
    QScrollBar* across = form.ScrollBox1->horizontalScrollBar();
    QScrollBar* down = form.ScrollBox1->verticalScrollBar();
    QTest::keyClick(&form, Qt::Key_Right);
    QTest::keyClick(&form, Qt::Key_Down);
    EXPECT_EQ(across->value(), across->singleStep());
    EXPECT_EQ(down->value(), down->singleStep());
    QTest::keyClick(&form, Qt::Key_Left);
    QTest::keyClick(&form, Qt::Key_Up);
    EXPECT_EQ(across->value(), 0);
    EXPECT_EQ(down->value(), 0);
    QTest::keyClick(&form, Qt::Key_Home); // paging reloads from the file, which is gone
    EXPECT_FALSE(QFile::exists("PreviewMetafile0"));
}

TEST_F(RichPreviewTest, CompressedPagesStayOnDiskOnlyAsZlibStreams)
{
    Preview preview(3, true);
    TRichPreviewForm& form = *preview.Form;
    const QStringList stored{"PreviewMetafile0.CPR", "PreviewMetafile1.CPR", "PreviewMetafile2.CPR"};
    EXPECT_EQ(PageFilesOnDisk(), stored);
    for (Qt::Key key : {Qt::Key_PageUp, Qt::Key_End, Qt::Key_Home, Qt::Key_L, Qt::Key_S}) {
        QTest::keyClick(&form, key);
        EXPECT_EQ(PageFilesOnDisk(), stored) << "after key " << key;
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        QFile file(CompressedFileName(i));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray page = InflateWhole(file.readAll());
        ASSERT_FALSE(page.isEmpty());
        QBuffer buffer(&page);
        buffer.open(QIODevice::ReadOnly);
        QPicture picture;
        ASSERT_TRUE(picture.load(&buffer));
        QImage image(PageWidthPx / 20, PageHeightPx / 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(0.05, 0.05);
        PlayPage(painter, picture);
        painter.end();
        EXPECT_EQ(PageShownIn(image), i);
    }
}

TEST_F(RichPreviewTest, UncompressedPagesAreMetafilesOnly)
{
    Preview preview(2, false);
    EXPECT_FALSE(preview.Form->Compress());
    QTest::keyClick(preview.Form.data(), Qt::Key_End);
    EXPECT_EQ(PageFilesOnDisk(), (QStringList{"PreviewMetafile0", "PreviewMetafile1"}));
    EXPECT_EQ(PageShownIn(preview.Form->TwoPages() ? preview.Form->Preview2->Image1->Bitmap : preview.Form->Image1->Bitmap), 1);
}

TEST_F(RichPreviewTest, ClosingLeavesNoPageFiles)
{
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        Preview preview(3, compress);
        QPointer<TPreview2> second = preview.Form->Preview2;
        ASSERT_EQ(PageFilesOnDisk().size(), 3);
        QTest::mouseClick(preview.Form->BitBtn1, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(preview.Form.isNull()) << "the window is gone";
        EXPECT_TRUE(second.isNull() || !second->isVisible());
        EXPECT_EQ(PageFilesOnDisk(), QStringList());
    }
}

TEST_F(RichPreviewTest, APageFileThatCannotBeCreatedEndsThePreparationWithAnErrorBox)
{
    // A folder where page 1's file belongs: no file can be created there.
    ASSERT_TRUE(QDir().mkdir("PreviewMetafile1.CPR"));
    StoreCompressSetting(true);
    QPrinter printer;
    TRichPreviewForm form(&printer, A4);
    TPreviewPage first = MakePage(0);
    form.AddPage(first);
    QString message;
    WhenModalAppears([&message](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        message = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    TPreviewPage second = MakePage(1);
    EXPECT_THROW(form.AddPage(second), Platform::Exception);
    EXPECT_EQ(message, "Can not save the page information (MetaFiles)");
    EXPECT_EQ(form.LastPage(), 0);
}

TEST_F(RichPreviewTest, PrintsTheChosenRangeIntoOneFile)
{
    Preview preview(4);
    TRichPreviewForm& form = *preview.Form;
    preview.Printer().setOutputFileName(QDir::current().filePath("range.pdf"));
    bool answered = false;
    WhenModalAppears([&answered](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) return;
        EXPECT_EQ(dialog->findChild<QSpinBox*>("to")->maximum(), 4);
        dialog->findChild<QRadioButton*>("printRange")->click();
        dialog->findChild<QSpinBox*>("from")->setValue(2);
        dialog->findChild<QSpinBox*>("to")->setValue(3);
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == "&Print") b->click();
        answered = true;
    });
    form.setFocus();
    QTest::keyClick(&form, Qt::Key_P);
    ASSERT_TRUE(answered);
    EXPECT_EQ(form.PrintFrom(), 2);
    EXPECT_EQ(form.PrintTo(), 3);
    EXPECT_EQ(form.CurrentPage(), 2) << "the last page printed stays current";
    EXPECT_EQ(PageFilesOnDisk().size(), 4) << "printing leaves only the compressed pages";

    QProcess pdftotext;
    pdftotext.start("pdftotext", {"range.pdf", "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(20000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Page 2")) << text.toStdString();
    EXPECT_TRUE(text.contains("Page 3"));
    EXPECT_LT(text.indexOf("Page 2"), text.indexOf("Page 3"));
    EXPECT_FALSE(text.contains("Page 1"));
    EXPECT_FALSE(text.contains("Page 4"));
    EXPECT_EQ(text.count('\f'), 2) << "two pages";
}

// The default offscreen screen (800 × 600) leaves too little width for the zoom
// factor and step; a second run on a 1920-pixel screen shows them.
TEST_F(RichPreviewTest, NarrowScreenHidesTheZoomControls)
{
    if (ScreenIsWide()) GTEST_SKIP() << "runs on the narrow screen";
    Preview preview(1);
    TRichPreviewForm& form = *preview.Form;
    for (QWidget* zoomPart : {static_cast<QWidget*>(form.Label8), static_cast<QWidget*>(form.Label7),
                              static_cast<QWidget*>(form.Label6), static_cast<QWidget*>(form.MaskEdit1)})
        EXPECT_FALSE(zoomPart->isVisible()) << zoomPart->objectName().toStdString();
    EXPECT_TRUE(form.SpeedButton2->isVisible());
    EXPECT_TRUE(form.SpeedButton3->isVisible());
    EXPECT_EQ(form.size(), QSize(form.Layout().ClientWidth, form.Layout().ClientHeight));
    EXPECT_GE(form.Panel1->width(), form.ArrowButton1->geometry().right()) << "the arrows stay on the panel";
}

TEST_F(RichPreviewTest, WideScreenShowsTheZoomControls)
{
    if (!ScreenIsWide()) GTEST_SKIP() << "runs on the wide screen";
    Preview preview(1);
    TRichPreviewForm& form = *preview.Form;
    for (QWidget* zoomPart : {static_cast<QWidget*>(form.Label8), static_cast<QWidget*>(form.Label7),
                              static_cast<QWidget*>(form.Label6), static_cast<QWidget*>(form.MaskEdit1)})
        EXPECT_TRUE(zoomPart->isVisible()) << zoomPart->objectName().toStdString();
    EXPECT_GE(form.Panel1->width(), form.MaskEdit1->geometry().right());
}
