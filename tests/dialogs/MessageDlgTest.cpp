#include "dialogs/MessageDlg.h"

#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

struct Seen {
    QString Title, Text;
    QStringList ButtonNames;
};

// Answers the dialog with the named button, or with Escape when the name is empty.
int AskAndAnswer(const QString& message, TMsgDlgType type, std::initializer_list<TMsgDlgBtn> buttons,
                 const QString& press, Seen* seen)
{
    WhenModalAppears([press, seen](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        seen->Title = box->windowTitle();
        seen->Text = box->text();
        for (QAbstractButton* b : box->buttons())
            seen->ButtonNames << b->objectName();
        if (press.isEmpty())
            QTest::keyClick(box, Qt::Key_Escape);
        else if (auto* button = box->findChild<QAbstractButton*>(press))
            button->click();
    });
    return MessageDlg(message, type, buttons, 0);
}

} // namespace

TEST(MessageDlg, YesNoCancelConfirmationResults)
{
    struct Case {
        const char* press;
        int expected;
    };
    const Case cases[] = {{"Yes", mrYes}, {"No", mrNo}, {"Cancel", mrCancel}, {"", mrCancel}};
    for (const Case& c : cases) {
        Seen seen;
        const int result = AskAndAnswer("Save changes to <b>report</b>.rtf?", mtConfirmation,
                                        {mbCancel, mbYes, mbNo}, c.press, &seen);
        EXPECT_EQ(result, c.expected) << c.press;
        EXPECT_EQ(seen.Title, "Confirm");
        EXPECT_EQ(seen.Text, "Save changes to <b>report</b>.rtf?");
        QStringList names = seen.ButtonNames;
        names.sort();
        EXPECT_EQ(names, QStringList({"Cancel", "No", "Yes"}));
    }
    EXPECT_EQ(mrYes, 6);
    EXPECT_EQ(mrNo, 7);
    EXPECT_EQ(mrCancel, 2);
}

TEST(MessageDlg, SingleOkAnswersOneAlsoOnEscape)
{
    for (const char* press : {"OK", ""}) {
        Seen seen;
        EXPECT_EQ(AskAndAnswer("Printer error", mtError, {mbOK}, press, &seen), mrOk) << press;
        EXPECT_EQ(seen.Title, "Error");
    }
}

TEST(MessageDlg, ConvenienceConfirmationAsksYesNoCancel)
{
    WhenModalAppears([](QWidget* dialog) {
        if (auto* button = dialog->findChild<QAbstractButton*>("No"))
            button->click();
    });
    EXPECT_EQ(MessageDlgYesNoCancel("OK to overwrite a.rtf"), mrNo);
}
