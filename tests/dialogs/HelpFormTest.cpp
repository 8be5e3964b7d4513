// The help window driven as a person drives it: showing, loading another page, exit.
#include "ModalAnswer.h"

#include "dialogs/HelpForm.h"
#include "platform/AnsiText.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class HelpForm : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form.ProgramDir = dir.path();
    }
    QString Shown() const { return form.htmlviewer1->toPlainText(); }
    // Answers the next error box with OK and keeps its text.
    void ExpectErrorBox() {
        WhenModalAppears([this](QWidget* modal) {
            for (auto* label : modal->findChildren<QLabel*>()) errorText += label->text();
            if (auto* ok = modal->findChild<QPushButton*>()) ok->click();
        });
    }
    void ChooseInFileDialog(const QString& path) {
        WhenModalAppears([path](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            static_cast<QDialog*>(dialog)->accept();
        });
    }
    QTemporaryDir dir;
    TForm1 form;
    QString errorText;
};

TEST_F(HelpForm, WithoutHelpFileReportsItAndStaysOpenEmpty) {
    ExpectErrorBox();
    form.show();
    EXPECT_EQ(errorText, "Can't locate file: " + QDir(dir.path()).filePath("kelvorahelp.htm"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(HelpForm, EachShowingReadsTheHelpFileAnew) {
    WriteFile(dir.filePath("kelvorahelp.htm"), "<html><body><h1>First edition</h1></body></html>");
    form.show();
    EXPECT_TRUE(Shown().contains("First edition"));

    // Another page through "&Load ", then Exit and Contents again: the help page is back,
    // read from disk again (it has changed meanwhile).
    WriteFile(dir.filePath("other.html"), "<html><body><p>Another page</p></body></html>");
    ChooseInFileDialog(dir.filePath("other.html"));
    form.L1->trigger();
    EXPECT_TRUE(Shown().contains("Another page"));
    WriteFile(dir.filePath("kelvorahelp.htm"), "<html><body><h1>Second edition</h1></body></html>");
    form.e1->trigger();
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_TRUE(Shown().contains("Second edition"));
    EXPECT_FALSE(Shown().contains("Another page"));
}

TEST(HTMLViewer, AnchorPartIsNotPartOfTheFileName) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("page.htm"), "<html><body><h2 id=\"later\">Later</h2></body></html>");
    THTMLViewer viewer;
    viewer.LoadFromFile(dir.filePath("page.htm") + "#later");
    EXPECT_TRUE(viewer.toPlainText().contains("Later"));
    try {
        viewer.LoadFromFile(dir.filePath("none.htm") + "#later");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const std::exception& e) {
        EXPECT_EQ(Platform::AnsiToQString(e.what()), "Can't locate file: " + dir.filePath("none.htm"));
    }
    EXPECT_TRUE(viewer.toPlainText().contains("Later")) << "a failed load leaves the view alone";
}

// The program's own help page: every link of its contents leads somewhere in the page.
TEST(HelpPage, EveryInternalLinkHasItsAnchor) {
    QFile page(KELVORA_SOURCE_DIR "/docs/kelvorahelp.htm");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    THTMLViewer viewer;
    viewer.LoadFromFile(page.fileName());
    QSet<QString> anchors;
    for (QTextBlock b = viewer.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames()) anchors.insert(name);
    int links = 0;
    for (const auto& m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html)) {
        ++links;
        EXPECT_TRUE(anchors.contains(m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GE(links, 15);
}

} // namespace
