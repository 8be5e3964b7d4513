#include "dialogs/TipDialog.h"

#include "dialogs/ProgramPictures.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>

namespace Dialogs {

namespace {

// A random whole number 0 … count − 2 (0 when there is nothing to choose from).
int DrawBelowLast(int count) {
    return count > 1 ? int(QRandomGenerator::global()->bounded(count - 1)) : 0;
}

void SetTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

} // namespace

QStringList ReadIniSectionValues(const QString& fileName, const QString& section) {
    QStringList values;
    for (const QString& entry : Platform::TIniFile(fileName).ReadSectionValues(section))
        values << entry.mid(entry.indexOf('=') + 1).trimmed();
    return values;
}

// --- the window ----------------------------------------------------------------------

TTipsForm::TTipsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TipsForm");
    setFixedSize(432, 222);

    TipPanel = new QFrame(this);
    TipPanel->setObjectName("TipPanel");
    TipPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TipPanel->setLineWidth(2);
    TipPanel->setGeometry(4, 5, 327, 189);
    TipPanel->setAutoFillBackground(true);

    Image1 = new QLabel(TipPanel);
    Image1->setObjectName("Image1");
    Image1->move(10, 12);
    TipTitleLbl = new QLabel(TipPanel);
    TipTitleLbl->setObjectName("TipTitleLbl");
    TipTitleLbl->move(62, 24);
    TipLbl = new QLabel(TipPanel);
    TipLbl->setObjectName("TipLbl");
    TipLbl->setGeometry(63, 51, 252, 127);
    TipLbl->setWordWrap(true);
    TipLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ShowChk = new QCheckBox(" &Show tips at startup", this);
    ShowChk->setObjectName("ShowChk");
    ShowChk->setGeometry(5, 200, 310, 17);
    OKBtn = new QPushButton("&OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(339, 5, 89, 25);
    OKBtn->setDefault(true);
    NextBtn = new QPushButton("&Next Tip", this);
    NextBtn->setObjectName("NextBtn");
    NextBtn->setGeometry(338, 38, 89, 25);
    PrevBtn = new QPushButton("&Previous Tip", this);
    PrevBtn->setObjectName("PrevBtn");
    PrevBtn->setGeometry(338, 65, 89, 25);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(NextBtn, &QPushButton::clicked, this, [this] { NextBtnClick(); });
    connect(PrevBtn, &QPushButton::clicked, this, [this] { PrevBtnClick(); });
}

void TTipsForm::SetPanelColor(const QColor& panel) {
    QPalette p = TipPanel->palette();
    p.setColor(QPalette::Window, panel);
    TipPanel->setPalette(p);
    QImage picture = TipBitmap().convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) return;
    const QRgb key = picture.pixel(0, picture.height() - 1);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] == key) row[x] = panel.rgb();
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->adjustSize();
}

void TTipsForm::NextBtnClick() {
    if (FTips.isEmpty()) return;
    if (FRandom) {
        int r = DrawBelowLast(int(FTips.size()));
        if (r == FIndex && FTips.size() > 1) ++r;
        FIndex = r;
    } else {
        FIndex = FIndex + 1 < FTips.size() ? FIndex + 1 : 0;
    }
    ShowTip();
}

void TTipsForm::PrevBtnClick() {
    if (FTips.isEmpty()) return;
    FIndex = FIndex > 0 ? FIndex - 1 : int(FTips.size()) - 1;
    ShowTip();
}

void TTipsForm::OKBtnClick() { accept(); }

void TTipsForm::ShowTip() {
    QString tip = FTips.value(FIndex);
    if (!FCRLFSubstitute.isEmpty()) tip.replace(FCRLFSubstitute, "\r\n");
    TipLbl->setText(tip);
}

// --- the component -------------------------------------------------------------------

TTipDialog::TTipDialog(QObject* owner) : QObject(owner), TipTitleFont(QApplication::font()), TipFont(QApplication::font()) {}

QWidget* TTipDialog::MainWindow() const {
    for (QObject* o = parent(); o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o)) return w->window();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
    return nullptr;
}

bool TTipDialog::LoadFromRegistry() {
    static constexpr Platform::RegRoot roots[] = {Platform::RegRoot::CurrentUser, Platform::RegRoot::LocalMachine,
                                                  Platform::RegRoot::CurrentConfig};
    Platform::Registry registry(roots[RegistryRoot]);
    if (!registry.KeyExists(RegistryKey) || !registry.OpenKey(RegistryKey, false)) return false;
    int added = 0;
    for (const QString& name : registry.GetValueNames())
        if (registry.GetDataType(name) == Platform::RegDataType::String) {
            Tips << registry.ReadString(name);
            ++added;
        }
    return added > 0;
}

bool TTipDialog::LoadFromINIFile() {
    if (INIFile.isEmpty() || INISection.isEmpty() || !QFileInfo::exists(INIFile)) return false;
    const QStringList values = ReadIniSectionValues(INIFile, INISection);
    Tips << values;
    return !values.isEmpty();
}

bool TTipDialog::Execute() {
    TTipsForm form(MainWindow());
    form.SetPanelColor(PanelColor);
    form.setWindowTitle(DlgCaption.isEmpty() ? QString("Tip of the day") : DlgCaption);
    if (TipsLocation == locRegistry) {
        Tips.clear();
        LoadFromRegistry();
    } else if (TipsLocation == locINIFile) {
        Tips.clear();
        LoadFromINIFile();
    }
    form.TipTitleLbl->setText(TipTitle.isEmpty() ? QString("Did you know...") : TipTitle);
    form.ShowChk->setChecked(ShowAtStartup);
    form.FCRLFSubstitute = CRLFSubstitute;
    form.TipLbl->setFont(TipFont);
    if (TipFontColor.isValid()) SetTextColour(form.TipLbl, TipFontColor);
    form.TipTitleLbl->setFont(TipTitleFont);
    if (TipTitleFontColor.isValid()) SetTextColour(form.TipTitleLbl, TipTitleFontColor);
    form.TipTitleLbl->adjustSize();
    form.FTips = Tips;
    form.FRandom = RandomTips;
    form.PrevBtn->setVisible(!RandomTips);
    if (Tips.isEmpty()) {
        form.TipLbl->clear();
        form.NextBtn->setEnabled(false);
        form.PrevBtn->setEnabled(false);
    } else {
        form.FIndex = RandomTips ? DrawBelowLast(int(Tips.size())) : -1;
        form.NextBtnClick();
    }
    QWidget* main = MainWindow();
    if (Position == posFormCenter && main) {
        form.move(main->x() + main->width() / 2 - form.width() / 2, main->y() + main->height() / 2 - form.height() / 2);
    } else if (QScreen* screen = main ? main->screen() : QApplication::primaryScreen()) {
        form.move(screen->availableGeometry().center() - QPoint(form.width() / 2, form.height() / 2));
    }
    form.exec();
    ShowAtStartup = form.ShowChk->isChecked();
    return ShowAtStartup;
}

} // namespace Dialogs
