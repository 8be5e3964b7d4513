// Printing from the main window: Ctrl+P through the print dialog, always the template
// editor, into a PDF; the page dialog from the menu and the toolbar.
#include "PdfText.h"
#include "ModalAnswer.h"

#include "window/MainForm.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class PrintCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TMainForm>();
        form->show();
        QApplication::setActiveWindow(form.get());
        Printer().EnsureDevice()->setOutputFileName(dir.filePath("out.pdf"));
    }
    void TearDown() override {
        form.reset();
        Printer().SetDevice(nullptr);
    }
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> form;
};

TEST_F(PrintCommandsTest, CtrlPPrintsTheTemplateEditorEvenWhenTheInformationEditorIsShown) {
    // Over thirty pages of numbered paragraphs.
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 ";
    for (int i = 1; i <= 1500; ++i) rtf += "Para" + std::to_string(i) + "\\par ";
    form->RichEditEx1->StreamIn(QByteArray::fromStdString(rtf + "}"), ifRTF, false, false);
    form->RichEditEx2->SetText("Client\r\nInformation only\r\n");
    form->T1Click(); // the information editor is shown
    ASSERT_TRUE(form->RichEditEx2->isVisible());

    bool sawPrintDialog = false;
    AnswerNextModal([&](QWidget* modal) {
        sawPrintDialog = qobject_cast<QPrintDialog*>(modal) != nullptr;
        static_cast<QDialog*>(modal)->accept();
    });
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    if (!sawPrintDialog) form->findChild<QAction*>("FilePrintItem")->trigger(); // no shortcut offscreen
    ASSERT_TRUE(sawPrintDialog);

    const QString text = ReadablePdfText(dir.filePath("out.pdf"));
    EXPECT_FALSE(text.contains("Information only"));
    QStringList paras;
    for (auto it = QRegularExpression(R"(Para\d+)").globalMatch(text); it.hasNext();) paras << it.next().captured(0);
    ASSERT_EQ(paras.size(), 1500);
    for (int i = 0; i < 1500; ++i) EXPECT_EQ(paras[i], QString("Para%1").arg(i + 1));
    QStringList footers;
    for (auto it = QRegularExpression(R"(Page \d+)").globalMatch(text); it.hasNext();) footers << it.next().captured(0);
    ASSERT_GE(footers.size(), 30);
    for (int p = 0; p < footers.size(); ++p) EXPECT_EQ(footers[p], QString("Page %1").arg(p + 1));
}

TEST_F(PrintCommandsTest, CancellingThePrintDialogPrintsNothing) {
    form->RichEditEx1->SetText("Body");
    AnswerNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    form->findChild<QToolButton*>("PrintButton")->click();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.pdf")));
}

TEST_F(PrintCommandsTest, PageDialogFromMenuAndToolbarKeepsMarginsWhenCancelled) {
    const std::pair<const char*, bool> doors[] = {{"pageDialog1", true}, {"SpeedButton2", false}};
    for (const auto& [name, menu] : doors) {
        SCOPED_TRACE(name);
        bool sawPageSetup = false;
        AnswerNextModal([&](QWidget* modal) {
            sawPageSetup = modal->objectName() == "PageSetupDialog";
            static_cast<QDialog*>(modal)->reject();
        });
        if (menu) form->findChild<QAction*>(name)->trigger();
        else form->findChild<QToolButton*>(name)->click();
        EXPECT_TRUE(sawPageSetup);
        EXPECT_DOUBLE_EQ(form->RichPrinter1->MarginTop(), 30.0);
        EXPECT_DOUBLE_EQ(form->RichPrinter1->MarginLeft(), 25.0);
    }
}

} // namespace
