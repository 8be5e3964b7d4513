#include "dialogs/CreditsForm.h"

#include "dialogs/VertScrollText.h"

#include <QPushButton>

namespace Dialogs {

namespace {

// Who this program owes, in the order of the components they stand for: toolkit,
// rich edit engine, printing, balloon hints, tips, recent files, help viewer, rich
// text insights, setup, updates.
const QStringList& CreditLines() {
    static const QStringList lines = {
        "   ",
        "The Qt Project and The Qt Company",
        "for Qt 6, the toolkit under every window",
        "",
        "The authors of Qt's QTextDocument",
        "for the engine inside our rich edit control",
        "",
        "The authors of Qt Print Support",
        "for QPrinter, behind printing and preview",
        "",
        "The authors of QPainter",
        "for the paths and colours of the balloon hints",
        "",
        "The authors of Qt Widgets",
        "for the dialogs the tips are shown in",
        "",
        "The authors of QSettings",
        "for keeping the recent-file lists",
        "",
        "The authors of QTextBrowser",
        "for showing the help file you are reading",
        "",
        "The writers of the RTF specification",
        "for their insights into rich text files",
        "",
        "The CMake and Ninja developers",
        "for building and installing Kelvora",
        "",
        "The Debian project",
        "for the free packages that keep it all up to date",
    };
    return lines;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("Form2");
    setWindowTitle("Kelvora Credits");
    setGeometry(238, 107, 457, 335);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    VertScrollText1 = new TVertScrollText(this);
    VertScrollText1->setObjectName("VertScrollText1");
    VertScrollText1->setGeometry(16, 8, 425, 265);
    VertScrollText1->SetInterval(50);
    VertScrollText1->RepeatScroll = true;
    VertScrollText1->SetAlignment(TVertScrollText::alCenter);
    VertScrollText1->SetStretch(true);
    VertScrollText1->SetLines(CreditLines());
    VertScrollText1->SetEnabled(true);

    Button1 = new QPushButton("Ok", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(192, 280, 89, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm2::Button1Click() { close(); }

} // namespace Dialogs
