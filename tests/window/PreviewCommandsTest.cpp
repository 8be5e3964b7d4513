// The print preview from the main window: a merged document previewed, a page of it
// printed to PDF from the preview, no page file left after closing.
#include "PdfText.h"
#include "ModalAnswer.h"

#include "window/MainForm.h"
#include "print/Printers.h"
#include "preview/RichPreview.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QByteArray Sample(const char* name)
{
    QFile f(QString(KELVORA_SOURCE_DIR) + "/samples/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList PageFiles() { return QDir::current().entryList({"PreviewMetafile*"}, QDir::Files); }

class PreviewCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path()); // the page files land here
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        pdf = TPrinter::NewPdfPrinter(dir.filePath("preview.pdf"));
        Printer().SetDevice(pdf.get());
        form = std::make_unique<TMainForm>();
        form->show();
    }
    void TearDown() override
    {
        form.reset();
        Printer().SetDevice(nullptr);
        QDir::setCurrent(previous);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
    void Trigger(const char* name)
    {
        QAction* action = form->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
    }
    void MergeSampleLetter()
    {
        QFile::copy(QString(KELVORA_SOURCE_DIR) + "/samples/engagement-letter.inf", "letter.inf");
        QFile::copy(QString(KELVORA_SOURCE_DIR) + "/samples/engagement-letter.tem", "letter.tem");
        ChooseInNextFileDialog(dir.filePath("letter.inf"));
        Trigger("EditInformationFile1");
        ChooseInNextFileDialog(dir.filePath("letter.tem"));
        Trigger("EditTemplateFile1");
        PressInNextModal("button1");
        Trigger("DoIt1");
        ASSERT_TRUE(form->RichEditEx1->Text().find("Eleanor Whitfield") != std::string::npos);
    }

    QTemporaryDir dir;
    QString previous;
    QByteArray oldConfig;
    std::unique_ptr<QPrinter> pdf;
    std::unique_ptr<TMainForm> form;
};

TEST_F(PreviewCommandTest, PreviewsTheMergedLetterPrintsAPageAndLeavesNoFiles)
{
    MergeSampleLetter();
    form->RichEditEx2->show(); // the information editor on show: the template editor is still previewed
    form->RichEditEx1->hide();
    Trigger("PrintPreview1");
    Print::TRichPreviewForm* preview = form->RichPrinter1->PreviewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), "Print Preview");
    const int pages = preview->LastPage() + 1;
    ASSERT_GE(pages, 1);
    EXPECT_EQ(preview->Label10->text(), QString("(%1)").arg(pages));
    EXPECT_EQ(PageFiles().size(), pages);
    for (const QString& name : PageFiles()) EXPECT_TRUE(name.endsWith(".CPR")) << name.toStdString();
    const QImage page = preview->Image1->Bitmap;
    int ink = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2) ink += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(ink, 50) << "the letter's text is drawn";

    // P: the print dialog, page 1 only, into the PDF printer.
    AnswerNextModal([pages](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) return;
        EXPECT_EQ(dialog->findChild<QSpinBox*>("to")->maximum(), pages);
        dialog->findChild<QRadioButton*>("printRange")->click();
        dialog->findChild<QSpinBox*>("from")->setValue(1);
        dialog->findChild<QSpinBox*>("to")->setValue(1);
        dialog->accept();
    });
    preview->setFocus();
    QTest::keyClick(preview, Qt::Key_P);
    const QString text = ReadablePdfText(dir.filePath("preview.pdf"));
    EXPECT_TRUE(text.contains("Eleanor Whitfield")) << text.toStdString();
    EXPECT_TRUE(text.contains("Page 1"));
    EXPECT_FALSE(text.contains("Page 2"));
    EXPECT_FALSE(text.contains("<Unknown>")) << "the header of the default title is empty";

    QPointer<Print::TRichPreviewForm> watch = preview;
    QTest::mouseClick(preview->BitBtn1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(PageFiles(), QStringList());
}

TEST_F(PreviewCommandTest, WithoutAChosenPrinterPagesAreThoseCtrlPWouldPrint)
{
    Printer().SetDevice(nullptr); // no printer chosen yet: Ctrl+P would take the default one
    form->RichEditEx1->SetText("Body text\r\n");
    Trigger("PrintPreview1");
    ASSERT_NE(form->RichPrinter1->PreviewWindow(), nullptr);
    QPicture page;
    ASSERT_TRUE(Print::LoadPageFile(page, 0, true));
    std::unique_ptr<QPrinter> out = TPrinter::NewPdfPrinter(dir.filePath("page.pdf"));
    QPainter painter(out.get());
    Print::PlayPage(painter, page);
    painter.end();
    const QString text = ReadablePdfText(dir.filePath("page.pdf"));
    EXPECT_TRUE(text.contains("Body text")) << text.toStdString();
    EXPECT_TRUE(text.contains("Page 1"));
    EXPECT_FALSE(text.contains("<Unknown>")) << "the default title leaves the header empty";
}

TEST_F(PreviewCommandTest, ToolbarButtonPreviewsAndASecondPreviewReplacesTheFirst)
{
    form->RichEditEx1->SetText("One line\r\n");
    auto* button = form->findChild<QToolButton*>("SpeedButton1");
    ASSERT_TRUE(button->isEnabled());
    button->click();
    QPointer<Print::TRichPreviewForm> first = form->RichPrinter1->PreviewWindow();
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->Edit1->isReadOnly()) << "one page";
    button->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(form->RichPrinter1->PreviewWindow(), nullptr);
    EXPECT_EQ(PageFiles(), QStringList{"PreviewMetafile0.CPR"});
}

TEST_F(PreviewCommandTest, AFolderThatTakesNoPageFilesSaysSo)
{
    form->RichEditEx1->SetText("One line\r\n");
    ASSERT_TRUE(QDir().mkdir("PreviewMetafile0.CPR")); // not even root can create the page file now
    QString message;
    AnswerNextModal([&message](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            message = box->text();
            box->accept();
        }
    });
    Trigger("PrintPreview1");
    EXPECT_EQ(message, "Can not save the page information (MetaFiles)");
    Print::TRichPreviewForm* preview = form->RichPrinter1->PreviewWindow();
    ASSERT_NE(preview, nullptr) << "the window stays, without pages";
    EXPECT_EQ(preview->LastPage(), -1);
    EXPECT_EQ(PageFiles(), QStringList());
    preview->close();
}

} // namespace
