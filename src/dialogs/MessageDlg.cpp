#include "dialogs/MessageDlg.h"

#include "dialogs/ScreenPlacement.h"

#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <array>

namespace Dialogs {

namespace {

struct TButtonInfo {
    TMsgDlgBtn Button;
    const char* Caption;
    const char* Name;
    int Result;
    QMessageBox::ButtonRole Role;
};

// In the order the buttons appear.
constexpr std::array<TButtonInfo, 7> kButtons{{
    {mbYes, "&Yes", "Yes", mrYes, QMessageBox::YesRole},
    {mbNo, "&No", "No", mrNo, QMessageBox::NoRole},
    {mbOK, "OK", "OK", mrOk, QMessageBox::AcceptRole},
    {mbCancel, "Cancel", "Cancel", mrCancel, QMessageBox::RejectRole},
    {mbAbort, "&Abort", "Abort", mrAbort, QMessageBox::RejectRole},
    {mbRetry, "&Retry", "Retry", mrRetry, QMessageBox::AcceptRole},
    {mbIgnore, "&Ignore", "Ignore", mrIgnore, QMessageBox::AcceptRole},
}};

struct TTypeInfo {
    const char* Caption;
    QMessageBox::Icon Icon;
};

TTypeInfo TypeInfo(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return {"Warning", QMessageBox::Warning};
    case mtError: return {"Error", QMessageBox::Critical};
    case mtInformation: return {"Information", QMessageBox::Information};
    case mtConfirmation: return {"Confirm", QMessageBox::Question};
    case mtCustom: break;
    }
    return {"", QMessageBox::NoIcon};
}

// Centred on the screen once its size is known.
class TMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        CentreOnScreen(*this);
    }
};

bool Contains(std::initializer_list<TMsgDlgBtn> buttons, TMsgDlgBtn button)
{
    return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

} // namespace

int MessageDlg(const QString& message, TMsgDlgType type, std::initializer_list<TMsgDlgBtn> buttons, int /*helpContext*/)
{
    const TTypeInfo info = TypeInfo(type);
    TMessageBox box;
    box.setWindowTitle(QString::fromLatin1(info.Caption));
    box.setIcon(info.Icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(message);

    QAbstractButton* escape = nullptr;
    int escapeRank = 0; // Cancel before No before OK
    for (const TButtonInfo& b : kButtons) {
        if (!Contains(buttons, b.Button))
            continue;
        QPushButton* button = box.addButton(QString::fromLatin1(b.Caption), b.Role);
        button->setObjectName(QString::fromLatin1(b.Name));
        button->setAccessibleName(QString::fromLatin1(b.Name));
        button->setProperty("modalResult", b.Result);
        const int rank = b.Button == mbCancel ? 3 : b.Button == mbNo ? 2 : b.Button == mbOK ? 1 : 0;
        if (rank > escapeRank) {
            escape = button;
            escapeRank = rank;
        }
    }
    if (escape)
        box.setEscapeButton(escape);
    box.exec();
    const QAbstractButton* pressed = box.clickedButton();
    return pressed ? pressed->property("modalResult").toInt() : mrCancel;
}

int MessageDlgYesNoCancel(const QString& message)
{
    return MessageDlg(message, mtConfirmation, {mbYes, mbNo, mbCancel}, 0);
}

} // namespace Dialogs
