#include "dialogs/MessageText.h"
#include "dialogs/Sound.h"

#include <gtest/gtest.h>

using namespace Dialogs;

TEST(PrepareMessage, RemovesCentreMarkerAndTurnsLineBreaksIntoSeparators)
{
    struct Case {
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {"a;b", "a;b"},
        {"Hello centertext world", "Hello world"},
        {"Hello CenterText", "Hello"},
        {"first CENTERTEXT and CENTERTEXT", "first and CENTERTEXT"}, // only the first
        {"CENTERTEXT alone", "CENTERTEXT alone"},                     // needs the leading space
        {"one\r\ntwo", "one;two"},
        {"one\n\rtwo", "one;two"},
        {"one\ntwo\rthree", "one;two;three"},
        {"a\n\r\nb", "a;;b"}, // CR LF pairs go first, the LF left over after
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrepareMessage(QString::fromLatin1(c.message)).toStdString(), c.expected) << c.message;
}

TEST(ButtonCaptions, WordsOfTheButtonsText)
{
    struct Case {
        const char* buttons;
        QStringList expected;
    };
    const Case cases[] = {
        {"", {"&OK"}},
        {"    ", {"&OK"}},
        {"&Yes  &No", {"&Yes", "&No"}},
        {"  &Abort     &Retry &Ignore  ", {"&Abort", "&Retry", "&Ignore"}},
        {"Continue", {"Continue"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ButtonCaptions(QString::fromLatin1(c.buttons)), c.expected) << c.buttons;
}

TEST(ResultLetter, LetterAfterFirstAmpersandInUpperCase)
{
    struct Case {
        const char* caption;
        char expected;
    };
    const Case cases[] = {
        {"&OK", 'O'}, {"&yes", 'Y'}, {"Sa&ve", 'V'}, {"&a&b", 'A'}, {"no", 'N'}, {"Stop&", 'S'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultLetter(QString::fromLatin1(c.caption)), QChar(c.expected)) << c.caption;
}

TEST(MessageKind, IconAndSoundPerKindCode)
{
    struct Case {
        QChar kind;
        bool hasIcon;
        QStyle::StandardPixmap icon;
        unsigned sound;
    };
    const Case cases[] = {
        {'!', true, QStyle::SP_MessageBoxWarning, MB_ICONEXCLAMATION},
        {'?', true, QStyle::SP_MessageBoxQuestion, MB_ICONQUESTION},
        {'a', true, QStyle::SP_DesktopIcon, MB_SIMPLEBEEP},
        {'H', true, QStyle::SP_MessageBoxCritical, MB_ICONHAND},
        {'h', true, QStyle::SP_MessageBoxCritical, MB_ICONHAND},
        {'i', true, QStyle::SP_MessageBoxInformation, MB_ICONASTERISK},
        {'S', false, QStyle::SP_CustomBase, MB_SIMPLEBEEP},
        {QChar(), false, QStyle::SP_CustomBase, MB_SIMPLEBEEP},
    };
    for (const Case& c : cases) {
        const TMessageKind kind = MessageKindOf(c.kind);
        EXPECT_EQ(kind.HasIcon, c.hasIcon) << QString(c.kind).toStdString();
        if (c.hasIcon)
            EXPECT_EQ(kind.Icon, c.icon) << QString(c.kind).toStdString();
        EXPECT_EQ(kind.Sound, c.sound) << QString(c.kind).toStdString();
    }
}
