#include "dialogs/AboutBox.h"

#include "dialogs/ProgramPictures.h"
#include "dialogs/ScreenPlacement.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Dialogs {

std::optional<TMemoryStatus> ParseMemInfo(const std::string& meminfo) {
    std::istringstream in(meminfo);
    std::string key;
    std::uint64_t value = 0;
    std::optional<std::uint64_t> totalKb, availableKb;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (!(fields >> key >> value)) continue;
        if (key == "MemTotal:") totalKb = value;
        else if (key == "MemAvailable:") availableKb = value;
    }
    if (!totalKb || !availableKb || *totalKb == 0) return std::nullopt;
    const std::uint64_t available = std::min(*availableKb, *totalKb);
    TMemoryStatus status;
    status.TotalPhys = *totalKb * 1024;
    status.MemoryLoad = static_cast<int>(std::lround(100.0 * double(*totalKb - available) / double(*totalKb)));
    return status;
}

TMemoryStatus GetMemoryStatus() {
    QFile file("/proc/meminfo");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ParseMemInfo(file.readAll().toStdString()).value_or(TMemoryStatus{});
}

QString FormatPhysMem(std::uint64_t totalBytes, const QLocale& locale) {
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    const auto kb = static_cast<qulonglong>(std::llround(double(totalBytes) / 1024.0));
    return grouped.toString(kb) + " KB";
}

QString FormatMemoryLoad(int load) { return QString::asprintf("%d %%", load); }

namespace {

QLabel* Place(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
    setObjectName("AboutBox");
    setWindowTitle("About Kelvora");
    setFixedSize(357, 243); // dialog border: not resizable
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setPixmap(ProgramIconPixmap(64, devicePixelRatio()));
    ProgramIcon->move(8, 12);
    ProgramIcon->adjustSize();

    Label5 = Place(this, "Label5", "Kelvora", 80, 4);
    QFont title("Times New Roman");
    title.setStyleHint(QFont::Serif);
    title.setPixelSize(21);
    Label5->setFont(title);
    Label5->adjustSize();
    SetTextColour(Label5, Qt::red);
    Label6 = Place(this, "Label6", "\u00A9 2026 The Kelvora developers", 84, 32);
    SetTextColour(Label6, Qt::yellow);
    Label7 = Place(this, "Label7", "Thank you! The help file shows you how;\nCredits shows who made it possible.",
                   80, 52);
    Label7->resize(std::max(221, Label7->width()), 26);
    Label8 = Place(this, "Label8", "Freely based upon ", 80, 80);
    Label1 = Place(this, "Label1", "the rich text examples of Qt 6", 77, 94);
    Label2 = Place(this, "Label2", "Qt \u00A9 The Qt Company Ltd, LGPL v3", 77, 109);
    Label9 = Place(this, "Label9", "Version 1.62 Built  15th  Dec.. 2008", 80, 128);
    SetTextColour(Label9, palette().color(QPalette::HighlightedText));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(20, 156, 321, 2);

    Label3 = Place(this, "Label3", "Physical Memory Available to Windows:", 77, 165);
    PhysMem = Place(this, "PhysMem", "0", 275, 165);
    Label4 = Place(this, "Label4", "Memory in Use:", 81, 187);
    FreeRes = Place(this, "FreeRes", "0", 276, 187);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(157, 208, 75, 25);
    OKButton->setDefault(true);
    // The cancel button: OK (and Escape) close the box with the cancel result.
    connect(OKButton, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TAboutBox::FormCreate() {
    const TMemoryStatus status = GetMemoryStatus();
    PhysMem->setText(FormatPhysMem(status.TotalPhys));
    PhysMem->adjustSize();
    FreeRes->setText(FormatMemoryLoad(status.MemoryLoad));
    FreeRes->adjustSize();
    // A font wider than the one the places were chosen for pushes the figures right
    // (never over their captions) and widens the box to hold them.
    const int shift = std::max(0, Label3->geometry().right() + 6 - PhysMem->x());
    PhysMem->move(PhysMem->x() + shift, PhysMem->y());
    FreeRes->move(FreeRes->x() + shift, FreeRes->y());
    const int right = std::max({PhysMem->geometry().right(), FreeRes->geometry().right(), Label7->geometry().right()});
    setFixedSize(std::max(357, right + 12), 243);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

} // namespace Dialogs
