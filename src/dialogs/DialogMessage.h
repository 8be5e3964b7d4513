// The program's own message box: a title, an icon and sound chosen by a one-letter
// kind code, message lines separated by ";" and a row of buttons.
#pragma once
#include <QChar>
#include <QDialog>
#include <QString>

namespace Dialogs {

// The message box window. Without a caption it is a framed pop-up with no title bar.
class TDialogForm : public QDialog {
    Q_OBJECT
public:
    explicit TDialogForm(const QString& caption);

    // The only way out is a button: Escape and the window's close request do nothing.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Shows the message box modally and returns the accelerator letter of the pressed
// button ("O" for the default "&OK"). A dialog closed without a button returns a null
// character. The label is named "Message", the icon "Image", the buttons "button1", …
QChar ShowDialogMessage(const QString& title, QChar kind, const QString& message,
                        const QString& buttons = QString());

} // namespace Dialogs
