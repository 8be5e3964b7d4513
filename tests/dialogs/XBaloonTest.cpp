#include "dialogs/XBaloon.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>

using namespace Dialogs;

namespace {

// The balloons a person can see on the screen.
std::vector<TBaloonWindow*> VisibleBalloons()
{
    std::vector<TBaloonWindow*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* balloon = qobject_cast<TBaloonWindow*>(w); balloon && balloon->isVisible())
            shown.push_back(balloon);
    return shown;
}

class XBaloonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Baloon = std::make_unique<TXBaloon>();
        Baloon->Font = QFont(QStringLiteral("MS Sans Serif"));
        Baloon->Font.setPixelSize(11);
        Baloon->Color = QColor(255, 255, 0);
    }
    void TearDown() override
    {
        Baloon.reset();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TBaloonWindow* ShowAt(QPoint pointer, const QString& text)
    {
        QCursor::setPos(pointer);
        Baloon->ShowBalloon(text);
        return Baloon->CurrentBalloon();
    }

    static void Send(QWidget* target, QEvent::Type type)
    {
        const QPointF local(5, 5);
        QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QRect Expected(TBaloonAlign align, QPoint p, const QStringList& lines) const
    {
        const QFontMetrics fm(Baloon->Font);
        int T = 0;
        for (const QString& line : lines)
            T = std::max(T, fm.horizontalAdvance(line));
        const int H = fm.height() * static_cast<int>(lines.size());
        const int W = T + 23;
        const int left = align == alLeft ? p.x() - W : p.x();
        return QRect(left, p.y() - 15 - H - 2, W, H + 20);
    }

    std::unique_ptr<TXBaloon> Baloon;
};

} // namespace

TEST_F(XBaloonTest, PlacedWithTheTailAtThePointer)
{
    struct Case {
        TBaloonAlign align;
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        {alRight, "Time", {"Time"}},
        {alRight, "You have not chosen@an information file@x", {"You have not chosen", "an information file", "x"}},
        {alLeft, "Time", {"Time"}},
        {alLeft, "a@@b", {"a", "", "b"}},
    };
    const QPoint pointer(400, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Baloon->Align = c.align;
        TBaloonWindow* balloon = ShowAt(pointer, c.text);
        ASSERT_NE(balloon, nullptr);
        const QRect expected = Expected(c.align, pointer, c.lines);
        EXPECT_EQ(balloon->geometry(), expected);
        if (c.align == alLeft)
            EXPECT_EQ(expected.right(), pointer.x() - 1); // right edge at the pointer
        // The tail's lowest pixel, just below the pointer.
        const QPoint tip = c.align == alRight ? QPoint(pointer.x(), pointer.y() + 1)
                                              : QPoint(pointer.x() - 1, pointer.y() + 1);
        EXPECT_EQ(balloon->Image().pixel(tip - expected.topLeft()), qRgb(0, 0, 0));
        EXPECT_EQ(balloon->Image().size(), expected.size());
    }
}

TEST_F(XBaloonTest, OneBalloonAtATime)
{
    TBaloonWindow* first = ShowAt({100, 200}, "first");
    TBaloonWindow* second = ShowAt({300, 250}, "second");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(VisibleBalloons(), std::vector<TBaloonWindow*>{second});
    EXPECT_EQ(second->geometry(), Expected(alRight, {300, 250}, {"second"}));

    // An empty text leaves the balloon in place.
    ShowAt({50, 60}, "");
    EXPECT_EQ(VisibleBalloons(), std::vector<TBaloonWindow*>{second});
    EXPECT_EQ(Baloon->CurrentBalloon(), second);

    Baloon->HideBalloon();
    EXPECT_TRUE(VisibleBalloons().empty());
    EXPECT_EQ(Baloon->CurrentBalloon(), nullptr);
}

TEST_F(XBaloonTest, DivisionCharacterChoosesTheSeparator)
{
    Baloon->DivisionChar = QChar('|');
    TBaloonWindow* balloon = ShowAt({400, 300}, "a@b|c");
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->geometry(), Expected(alRight, {400, 300}, {"a@b", "c"}));
}

TEST_F(XBaloonTest, HidingOnMouseMoveAndClickFollowsTheFlagsAtCreation)
{
    struct Case {
        bool hideOnMove, hideOnClick;
        bool goneAfterMove, goneAfterClick;
    };
    const Case cases[] = {
        {true, false, true, true},
        {false, false, false, false},
        {false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "move " << c.hideOnMove << " click " << c.hideOnClick);
        Baloon->HideIfMouseMove = c.hideOnMove;
        Baloon->HideIfMouseClick = c.hideOnClick;
        TBaloonWindow* balloon = ShowAt({400, 300}, "Time");
        ASSERT_NE(balloon, nullptr);
        // Later changes of the component's flags do not reach the balloon on screen.
        Baloon->HideIfMouseMove = !c.hideOnMove;
        Baloon->HideIfMouseClick = !c.hideOnClick;

        Send(balloon, QEvent::MouseMove);
        EXPECT_EQ(Baloon->CurrentBalloon() == nullptr, c.goneAfterMove);
        EXPECT_EQ(!balloon->isVisible(), c.goneAfterMove);
        if (!c.goneAfterMove) {
            Send(balloon, QEvent::MouseButtonPress);
            EXPECT_EQ(Baloon->CurrentBalloon() == nullptr, c.goneAfterClick);
            EXPECT_EQ(!balloon->isVisible(), c.goneAfterClick);
        }
        Baloon->HideBalloon();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(XBaloonTest, FreeingTheComponentRemovesItsBalloon)
{
    ASSERT_NE(ShowAt({400, 300}, "Time"), nullptr);
    Baloon.reset();
    EXPECT_TRUE(VisibleBalloons().empty());
}

TEST_F(XBaloonTest, SettingsTakeEffectAtTheNextShow)
{
    TBaloonWindow* yellow = ShowAt({400, 300}, "Time");
    ASSERT_NE(yellow, nullptr);
    const QImage before = yellow->Image();
    Baloon->Color = QColor(255, 0, 0);
    Baloon->Font.setPointSize(11);
    EXPECT_EQ(yellow->Image(), before);

    TBaloonWindow* red = ShowAt({400, 300}, "Time");
    ASSERT_NE(red, nullptr);
    const QFontMetrics fm(Baloon->Font);
    EXPECT_EQ(red->Image().height(), fm.height() + 20);
    const int middle = red->Image().width() / 2;
    EXPECT_EQ(red->Image().pixel(middle, fm.height() + 1), qRgb(255, 0, 0));
}

TEST_F(XBaloonTest, HugeHeadingsAndScreenEdgesStillGiveABalloon)
{
    // A heading is a line of the user's information file: it may be any length; and the
    // pointer may be at the screen's edge, so the balloon reaches past it.
    struct Case {
        QPoint pointer;
        QString text;
    };
    const Case cases[] = {
        {{400, 300}, QString(20000, QChar('W'))},
        {{400, 300}, QString("x@").repeated(3000)},
        {{2, 3}, "Time"},
        {{2, 3}, "Time@Date"},
    };
    for (const Case& c : cases) {
        Baloon->Align = c.pointer.x() < 10 ? alLeft : alRight;
        TBaloonWindow* balloon = ShowAt(c.pointer, c.text);
        ASSERT_NE(balloon, nullptr);
        EXPECT_EQ(balloon->Image().size(), balloon->geometry().size());
    }
}
