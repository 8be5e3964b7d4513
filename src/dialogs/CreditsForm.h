// TForm2: the credits window, a list of thanks scrolling upwards without end.
#pragma once
#include <QDialog>

class QPushButton;

namespace Dialogs {

class TVertScrollText;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    TVertScrollText* VertScrollText1 = nullptr;
    QPushButton* Button1 = nullptr;

    void Button1Click();
};

} // namespace Dialogs
