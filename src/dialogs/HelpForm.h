// TForm1: the help window. Shows the help page "kelvorahelp.htm" from the program's
// folder each time it becomes visible, and can load any other HTML file.
#pragma once
#include <QMainWindow>
#include <QString>
#include <QTextBrowser>

#include <exception>
#include <functional>

class QAction;
class QFileDialog;

namespace Dialogs {

// The HTML viewer: the two operations the help window needs.
class THTMLViewer : public QTextBrowser {
    Q_OBJECT
public:
    explicit THTMLViewer(QWidget* parent = nullptr);
    // Empties the view.
    void Clear();
    // Loads an HTML file and shows it; "name#anchor" scrolls to the anchor. A missing
    // file raises «Can't locate file: name» and leaves the view as it was.
    void LoadFromFile(const QString& name);
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    THTMLViewer* htmlviewer1 = nullptr;
    QMenu* F1 = nullptr;
    QAction* L1 = nullptr; // "&Load "
    QAction* e1 = nullptr; // "E&xit"
    QFileDialog* OpenDialog1 = nullptr;

    // Where the help page is looked for: the running program's folder by default.
    QString ProgramDir;
    // Shows a load error; the application's error box by default.
    std::function<void(const std::exception&)> OnError;

    void FormShow();
    void L1Click();
    void e1Click();

    static constexpr const char* HelpFileName = "kelvorahelp.htm";

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadReporting(const QString& name);
};

} // namespace Dialogs
