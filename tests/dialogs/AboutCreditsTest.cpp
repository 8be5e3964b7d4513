// The about box's memory figures and the credits' scrolling text.
#include "ModalAnswer.h"

#include "dialogs/AboutBox.h"
#include "dialogs/CreditsForm.h"
#include "dialogs/VertScrollText.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

TEST(AboutBox, MemoryFiguresAreFormattedWithTheLocalesSeparators) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatPhysMem(1073741824, english), "1,048,576 KB");
    EXPECT_EQ(FormatPhysMem(1073741824, german), "1.048.576 KB");
    EXPECT_EQ(FormatPhysMem(1536, english), "2 KB") << "rounded to a whole kilobyte";
    EXPECT_EQ(FormatPhysMem(0, english), "0 KB");
    EXPECT_EQ(FormatMemoryLoad(37), "37 %");
    EXPECT_EQ(FormatMemoryLoad(100), "100 %");
}

TEST(AboutBox, MemoryStatusComesFromTotalAndAvailable) {
    const struct {
        const char* meminfo;
        std::uint64_t total;
        int load;
    } cases[] = {
        {"MemTotal:        1048576 kB\nMemFree:  10 kB\nMemAvailable:     660603 kB\n", 1073741824ull, 37},
        {"MemAvailable: 100 kB\nMemTotal: 100 kB\n", 102400, 0},
        {"MemTotal: 200 kB\nMemAvailable: 0 kB\n", 204800, 100},
    };
    for (const auto& c : cases) {
        const auto status = ParseMemInfo(c.meminfo);
        ASSERT_TRUE(status) << c.meminfo;
        EXPECT_EQ(status->TotalPhys, c.total);
        EXPECT_EQ(status->MemoryLoad, c.load) << c.meminfo;
    }
    EXPECT_FALSE(ParseMemInfo("MemTotal: 100 kB\n")) << "no MemAvailable";
    EXPECT_FALSE(ParseMemInfo(""));
}

TEST(AboutBox, ShowsTheMachinesFiguresAndClosesWithOk) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "About Kelvora");
    EXPECT_EQ(box.Label9->text(), "Version 1.62 Built  15th  Dec.. 2008");
    EXPECT_TRUE(box.PhysMem->text().endsWith(" KB"));
    EXPECT_NE(box.PhysMem->text(), "0 KB") << "this machine has memory";
    EXPECT_TRUE(box.FreeRes->text().endsWith(" %"));
    EXPECT_EQ(box.ProgramIcon->pixmap().deviceIndependentSize().toSize(), QSize(64, 64));
    WhenModalAppears([](QWidget* modal) { modal->findChild<QPushButton*>("OKButton")->click(); });
    EXPECT_EQ(box.exec(), QDialog::Rejected);
}

TEST(AboutBox, IsCentredOnTheScreenNotOverItsOwner) {
    QWidget owner;
    owner.setGeometry(10, 40, 200, 150);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TAboutBox box(&owner);
    QRect shown;
    WhenModalAppears([&shown](QWidget* modal) {
        shown = modal->frameGeometry();
        modal->findChild<QPushButton*>("OKButton")->click();
    });
    box.exec();
    const QPoint screenCentre = owner.screen()->availableGeometry().center();
    EXPECT_LE((shown.center() - screenCentre).manhattanLength(), 2) << shown.x() << "," << shown.y();
}

TEST(VertScrollText, CentredLinesRoundHalvesToEven) {
    const struct {
        int image, line, x;
    } cases[] = {{105, 100, 2}, {107, 100, 4}, {106, 100, 3}, {100, 100, 0}, {100, 103, -2}, {100, 105, -2}};
    for (const auto& c : cases) EXPECT_EQ(CenteredLineX(c.image, c.line), c.x) << c.image << " " << c.line;
}

TEST(VertScrollText, KeyColourStaysOffTheFontColour) {
    QWidget parent;
    TVertScrollText text(&parent);
    text.SetFontColor(Qt::blue);
    EXPECT_EQ(text.KeyColor(), QColor(0, 128, 0));
    text.SetFontColor(Qt::black);
    EXPECT_EQ(text.KeyColor(), QColor(Qt::blue));
    // A blue text drawn over white stays visible: the work image has blue pixels.
    text.SetFontColor(Qt::blue);
    text.SetLines({"WWWWWWWW", "MMMMMMMM"});
    text.SetEnabled(false);
    for (int i = 0; i < text.height(); ++i) text.ScrollStep(); // the text is now at the top
    int blue = 0;
    const QImage work = text.WorkImage();
    for (int y = 0; y < work.height(); ++y)
        for (int x = 0; x < work.width(); ++x) blue += work.pixelColor(x, y) == QColor(Qt::blue);
    EXPECT_GT(blue, 10);
}

TEST(VertScrollText, OnePassTakesHeightPlusTextPlusOneSteps) {
    QWidget parent;
    for (int n : {1, 3, 30}) {
        TVertScrollText text(&parent);
        text.resize(120, 80);
        QStringList lines;
        for (int i = 0; i < n; ++i) lines << QString("line %1").arg(i);
        text.SetLines(lines);
        text.SetEnabled(false);
        text.SetEnabled(true); // back at the bottom edge
        ASSERT_EQ(text.TextOffset(), 80);
        int steps = 0;
        while (text.TextOffset() + text.TextHeight() >= 0 && steps < 10000) {
            text.ScrollStep();
            ++steps;
        }
        EXPECT_EQ(steps, 80 + n * text.LineHeight() + 1) << n;
        text.ScrollStep();
        EXPECT_EQ(text.TextOffset(), 80 - 1) << "enters again at the bottom edge";
    }
}

TEST(VertScrollText, WithoutRepeatTheTimerStopsOnceOutOfSight) {
    QWidget parent;
    TVertScrollText text(&parent);
    text.RepeatScroll = false;
    text.SetLines({"only"});
    ASSERT_TRUE(text.Scrolling());
    int steps = 0;
    while (text.Scrolling() && steps < 10000) {
        text.ScrollStep();
        ++steps;
    }
    EXPECT_EQ(steps, text.height() + text.LineHeight() + 2);
    EXPECT_LT(text.TextOffset() + text.TextHeight(), 0);
}

TEST(Credits, ThirtyLinesScrollingWhileHiddenAndOkCloses) {
    TForm2 form;
    const QStringList& lines = form.VertScrollText1->Lines();
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines[0], "   ");
    for (int i = 1; i < 30; i += 3) {
        EXPECT_FALSE(lines[i].isEmpty()) << i;
        EXPECT_FALSE(lines[i + 1].isEmpty()) << i;
        if (i + 2 < 30) EXPECT_TRUE(lines[i + 2].isEmpty()) << i;
    }
    EXPECT_TRUE(form.VertScrollText1->Scrolling()) << "moves while the window is hidden";
    const int before = form.VertScrollText1->TextOffset();
    QTest::qWait(200);
    EXPECT_LT(form.VertScrollText1->TextOffset(), before);

    WhenModalAppears([](QWidget* modal) { modal->findChild<QPushButton*>("Button1")->click(); });
    form.exec();
    EXPECT_FALSE(form.isVisible());
}

} // namespace
