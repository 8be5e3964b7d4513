// TTipDialog: tip of the day. Shows one tip at a time in a modal window with "&Next Tip",
// "&Previous Tip" and " &Show tips at startup"; the tips come from its own list, a
// registry key or an INI file section.
#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QObject>
#include <QStringList>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace Dialogs {

enum TTipLocation { locEmbeded, locRegistry, locINIFile };
enum TRegRoot { CURRENT_USER, LOCAL_MACHINE, CURRENT_CONFIG };
enum TTipShowPos { posScreenCenter, posFormCenter };

// The values of an INI file's section, in file order (a key without "=" has an empty
// value); empty when the file or the section is missing.
QStringList ReadIniSectionValues(const QString& fileName, const QString& section);

// The modal window; exists only while a tip dialog is executing.
class TTipsForm : public QDialog {
    Q_OBJECT
public:
    explicit TTipsForm(QWidget* parent = nullptr);

    QFrame* TipPanel = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* TipTitleLbl = nullptr;
    QLabel* TipLbl = nullptr;
    QCheckBox* ShowChk = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* NextBtn = nullptr;
    QPushButton* PrevBtn = nullptr;

    // Set before the first tip is shown.
    QStringList FTips;
    QString FCRLFSubstitute;
    bool FRandom = false;
    int FIndex = -1;

    void NextBtnClick();
    void PrevBtnClick();
    void OKBtnClick();
    void ShowTip();
    // The TIPBMP picture with its transparent colour showing `panel`.
    void SetPanelColor(const QColor& panel);
};

class TTipDialog : public QObject {
    Q_OBJECT
public:
    explicit TTipDialog(QObject* owner = nullptr);

    QString DlgCaption;
    QString TipTitle;
    QStringList Tips;
    QFont TipTitleFont;
    QColor TipTitleFontColor;
    QFont TipFont;
    QColor TipFontColor;
    TTipLocation TipsLocation = locEmbeded;
    TRegRoot RegistryRoot = CURRENT_USER;
    QString RegistryKey;
    QString INIFile;
    QString INISection;
    QColor PanelColor = QColor(255, 255, 225); // the info-tip background
    QString CRLFSubstitute;
    bool RandomTips = false;
    bool ShowAtStartup = true;
    TTipShowPos Position = posScreenCenter;

    // Shows the tips modally; returns (and keeps in ShowAtStartup) the check box.
    bool Execute();

    // Replace Tips from the registry key / the INI section; true when any were found.
    bool LoadFromRegistry();
    bool LoadFromINIFile();

private:
    QWidget* MainWindow() const;
};

} // namespace Dialogs
