#include "dialogs/DialogMessage.h"
#include "dialogs/Sound.h"

#include "ModalAnswer.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using namespace Dialogs;

namespace {

struct ButtonSeen {
    QString Name, Text;
    QRect Geometry;
};

// What the person saw in the box before pressing a button.
struct BoxSeen {
    QString Title;
    bool Frameless = false;
    bool HasCloseBox = true;
    QRect Geometry;
    QFont Font;
    QString MessageText;
    QRect MessageGeometry;
    bool HasIcon = false;
    QRect IconGeometry;
    std::vector<ButtonSeen> Buttons;
    Qt::CursorShape Cursor = Qt::BitmapCursor;
    bool StillOpenAfterEscape = false;
};

class ShowDialogMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FPrevious = SetSoundPlayer([this](unsigned sound) { Sounds.push_back(sound); });
    }
    void TearDown() override { SetSoundPlayer(FPrevious); }

    // Shows the box, records it, tries Escape, then presses the named button.
    QChar ShowAndPress(const QString& title, QChar kind, const QString& message, const QString& buttons,
                       const QString& press)
    {
        WhenModalAppears([this, press](QWidget* box) {
            Seen.Title = box->windowTitle();
            Seen.Frameless = box->windowFlags().testFlag(Qt::FramelessWindowHint);
            Seen.HasCloseBox = box->windowFlags().testFlag(Qt::WindowCloseButtonHint)
                               || box->windowFlags().testFlag(Qt::WindowSystemMenuHint);
            Seen.Geometry = box->geometry();
            Seen.Font = box->font();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("Message"))) {
                Seen.MessageText = label->text();
                Seen.MessageGeometry = label->geometry();
            }
            if (auto* image = box->findChild<QLabel*>(QStringLiteral("Image"))) {
                Seen.HasIcon = !image->pixmap().isNull();
                Seen.IconGeometry = image->geometry();
            }
            for (int i = 1;; ++i) {
                auto* button = box->findChild<QPushButton*>(QStringLiteral("button%1").arg(i));
                if (!button)
                    break;
                Seen.Buttons.push_back({button->objectName(), button->text(), button->geometry()});
            }
            if (const QCursor* cursor = QGuiApplication::overrideCursor())
                Seen.Cursor = cursor->shape();
            QTest::keyClick(box, Qt::Key_Escape);
            Seen.StillOpenAfterEscape = box->isVisible();
            if (auto* button = box->findChild<QPushButton*>(press))
                button->click();
        });
        return ShowDialogMessage(title, kind, message, buttons);
    }

    QFontMetrics Metrics() const { return QFontMetrics(Seen.Font); }
    int ScreenWidth() const { return QGuiApplication::primaryScreen()->geometry().width(); }

    std::vector<unsigned> Sounds;
    BoxSeen Seen;

private:
    SoundPlayer FPrevious;
};

} // namespace

TEST_F(ShowDialogMessageTest, UntitledExclamationWithTwoLinesAndTheDefaultButton)
{
    const QChar result = ShowAndPress("", '!', "a;b", "", "button1");

    EXPECT_EQ(result, QChar('O'));
    EXPECT_EQ(Sounds, std::vector<unsigned>{MB_ICONEXCLAMATION});
    EXPECT_TRUE(Seen.Title.isEmpty());
    EXPECT_TRUE(Seen.Frameless);
    EXPECT_FALSE(Seen.HasCloseBox);
    EXPECT_TRUE(Seen.StillOpenAfterEscape);
    EXPECT_EQ(Seen.Cursor, Qt::ArrowCursor);
    EXPECT_EQ(Seen.MessageText, "a\nb");
    ASSERT_EQ(Seen.Buttons.size(), 1u);
    EXPECT_EQ(Seen.Buttons[0].Text, "&OK");
    EXPECT_TRUE(Seen.HasIcon);

    // The measurements, in the box's own bold 11-pixel font.
    const QFontMetrics fm = Metrics();
    EXPECT_EQ(Seen.Font.pixelSize(), 11);
    EXPECT_TRUE(Seen.Font.bold());
    const int W = std::max(fm.horizontalAdvance("  a  "), fm.horizontalAdvance("  b  "));
    const int T = 2 * fm.height();
    const int B = fm.horizontalAdvance("WOK W");
    const int H = fm.height() + 10;
    const int clientWidth = std::max(W + 42 + 6, B) + 20; // 3-pixel frame on each side
    const int clientHeight = std::max(T, 32) + H + 30;
    EXPECT_EQ(Seen.Geometry.size(), QSize(clientWidth, clientHeight));
    EXPECT_EQ(Seen.Buttons[0].Geometry, QRect((clientWidth - B) / 2, clientHeight - H - 10, B, H));
    const int left = std::max(52, (clientWidth - W) / 2);
    EXPECT_EQ(Seen.MessageGeometry.topLeft(), QPoint(left, 10));
    EXPECT_EQ(Seen.IconGeometry, QRect(10, 10, 32, 32));
    // Centred on the screen, frame included.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(Seen.Geometry.left(), (screen.width() - (clientWidth + 6)) / 2);
    EXPECT_EQ(Seen.Geometry.top(), (screen.height() - (clientHeight + 6)) / 2);
}

TEST_F(ShowDialogMessageTest, TwoButtonsOfEqualWidthCentredAsAGroup)
{
    const QChar result = ShowAndPress("Question", '?', "Go on?", "&Yes  &No", "button2");

    EXPECT_EQ(result, QChar('N'));
    EXPECT_EQ(Seen.Title, "Question");
    EXPECT_FALSE(Seen.Frameless);
    EXPECT_FALSE(Seen.HasCloseBox);
    ASSERT_EQ(Seen.Buttons.size(), 2u);
    EXPECT_EQ(Seen.Buttons[0].Text, "&Yes");
    EXPECT_EQ(Seen.Buttons[1].Text, "&No");
    const QFontMetrics fm = Metrics();
    const int B = std::max(fm.horizontalAdvance("WYes W"), fm.horizontalAdvance("WNo W"));
    const QRect first = Seen.Buttons[0].Geometry, second = Seen.Buttons[1].Geometry;
    EXPECT_EQ(first.width(), B);
    EXPECT_EQ(second.width(), B);
    EXPECT_EQ(second.left() - first.right() - 1, 10);
    EXPECT_EQ(first.top(), second.top());
    const int R = 2 * B + 10;
    EXPECT_EQ(first.left(), (Seen.Geometry.width() - R) / 2);
}

TEST_F(ShowDialogMessageTest, ResultIsTheAcceleratorOfThePressedButton)
{
    struct Case {
        const char* buttons;
        const char* press;
        char expected;
    };
    const Case cases[] = {
        {"&Abort &Retry &Ignore", "button2", 'R'},
        {"&Abort &Retry &Ignore", "button3", 'I'},
        {"Save &discard", "button1", 'S'},
        {"Save &discard", "button2", 'D'},
    };
    for (const Case& c : cases) {
        Seen = {};
        EXPECT_EQ(ShowAndPress("Kelvora", 'I', "Choose", c.buttons, c.press), QChar(c.expected))
            << c.buttons << " " << c.press;
    }
}

TEST_F(ShowDialogMessageTest, KindsWithoutIconReserveNoRoomAndBeepPlainly)
{
    ShowAndPress("Kelvora", 'S', "Plain", "", "button1");
    EXPECT_FALSE(Seen.HasIcon);
    EXPECT_EQ(Sounds, std::vector<unsigned>{MB_SIMPLEBEEP});
    const QFontMetrics fm = Metrics();
    const int W = fm.horizontalAdvance("  Plain  ");
    const int clientWidth = std::max(std::max(W, fm.horizontalAdvance("Kelvora")) + 6, fm.horizontalAdvance("WOK W")) + 20;
    EXPECT_EQ(Seen.Geometry.width(), clientWidth);
    EXPECT_EQ(Seen.MessageGeometry.left(), std::max(20, (clientWidth - W) / 2));

    Sounds.clear();
    ShowAndPress("", 'h', "Stop", "", "button1");
    EXPECT_TRUE(Seen.HasIcon);
    EXPECT_EQ(Sounds, std::vector<unsigned>{MB_ICONHAND});
}

TEST_F(ShowDialogMessageTest, ProgramWarningShowsFourLinesWithTheLeadingSpace)
{
    ShowAndPress("", '!',
                 " There is a problem with this file;There must be an even number of lines with;"
                 "information appearing only on the even lines;edit and save it before proceeding.",
                 "", "button1");
    EXPECT_EQ(Seen.MessageText, " There is a problem with this file\nThere must be an even number of lines with\n"
                                "information appearing only on the even lines\nedit and save it before proceeding.");
    const QFontMetrics fm = Metrics();
    EXPECT_GE(Seen.MessageGeometry.height(), 4 * fm.height());
    EXPECT_EQ(Seen.Geometry.height(), 4 * fm.height() + fm.height() + 10 + 30);
    EXPECT_EQ(Seen.MessageGeometry.width(),
              fm.horizontalAdvance("information appearing only on the even lines")); // the widest line, unwrapped
}

TEST_F(ShowDialogMessageTest, CentreMarkerAndLineBreaksInTheShownText)
{
    ShowAndPress("  Kelvora", 'I', "Done centertext\r\nnext\rlast", "", "button1");
    EXPECT_EQ(Seen.Title, "Kelvora"); // leading spaces go
    EXPECT_EQ(Seen.MessageText, "Done\nnext\nlast");
}

TEST_F(ShowDialogMessageTest, MessageWiderThanTheScreenIsCappedAndWrapped)
{
    QString words;
    while (words.size() < 250)
        words += "wide words ";
    ShowAndPress("", 'I', words, "", "button1");
    EXPECT_EQ(Seen.Geometry.width(), ScreenWidth() - 6);
    EXPECT_EQ(Seen.Geometry.left(), 0);
    EXPECT_LE(Seen.MessageGeometry.right(), Seen.Geometry.width());
    // The wrapped text keeps its room above the button.
    ASSERT_EQ(Seen.Buttons.size(), 1u);
    EXPECT_GT(Seen.MessageGeometry.height(), Metrics().height());
    EXPECT_LE(Seen.MessageGeometry.bottom(), Seen.Buttons[0].Geometry.top());
}

TEST_F(ShowDialogMessageTest, CursorIsGivenBack)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ShowAndPress("", 'I', "Working", "", "button1");
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(Seen.Cursor, Qt::ArrowCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
