// TAboutBox: the program's name, version, thanks and two memory figures of the
// machine. Created for each showing and freed after it.
#pragma once
#include <QDialog>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;

namespace Dialogs {

struct TMemoryStatus {
    std::uint64_t TotalPhys = 0; // bytes
    int MemoryLoad = 0;          // per cent in use
};

// The memory status from a /proc/meminfo text (MemTotal and MemAvailable); nothing
// when the text lacks them.
std::optional<TMemoryStatus> ParseMemInfo(const std::string& meminfo);
// The machine's memory status; zeros when it cannot be read.
TMemoryStatus GetMemoryStatus();

// «1,048,576 KB»: bytes as whole kilobytes with the locale's thousands separators.
QString FormatPhysMem(std::uint64_t totalBytes, const QLocale& locale = QLocale());
// «37 %».
QString FormatMemoryLoad(int load);

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label9 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* PhysMem = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* FreeRes = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    // Centred on the screen, not over its owner.
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
};

} // namespace Dialogs
