#include "dialogs/HelpForm.h"

#include "dialogs/MessageDlg.h"
#include "platform/AnsiText.h"
#include "platform/Cp1252.h"
#include "platform/Errors.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QShowEvent>
#include <QUrl>

namespace Dialogs {

THTMLViewer::THTMLViewer(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("htmlviewer1");
    // Web links go to the desktop's browser; links inside the page stay here.
    setOpenExternalLinks(true);
    QFont serif("Times New Roman");
    serif.setStyleHint(QFont::Serif);
    document()->setDefaultFont(serif);
}

void THTMLViewer::Clear() {
    clear();
    clearHistory();
}

void THTMLViewer::LoadFromFile(const QString& name) {
    const qsizetype hash = name.indexOf('#');
    const QString file = hash < 0 ? name : name.left(hash);
    const QString anchor = hash < 0 ? QString() : name.mid(hash + 1);
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        throw Platform::Exception(Platform::QStringToAnsi("Can't locate file: " + file));
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    // The browser skips loading a source it already shows; the page may have changed
    // or been cleared since, so read it again.
    if (source().adjusted(QUrl::RemoveFragment) == url) reload();
    else setSource(url);
    clearHistory(); // no history kept
    if (!anchor.isEmpty()) scrollToAnchor(anchor);
    else moveCursor(QTextCursor::Start);
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Kelvora Help");
    setGeometry(83, 199, 622, 300);
    ProgramDir = QCoreApplication::applicationDirPath();
    OnError = [](const std::exception& e) {
        MessageDlg(QString::fromStdString(Platform::AnyTextToUtf8(e.what())), mtError, {mbOK}, 0);
    };

    htmlviewer1 = new THTMLViewer(this);
    setCentralWidget(htmlviewer1);

    F1 = menuBar()->addMenu("File");
    F1->setObjectName("F1");
    L1 = F1->addAction("&Load ");
    L1->setObjectName("L1");
    L1->setShortcut(QKeySequence("Ctrl+O"));
    connect(L1, &QAction::triggered, this, [this] { L1Click(); });
    e1 = F1->addAction("E&xit");
    e1->setObjectName("e1");
    e1->setShortcut(QKeySequence("Ctrl+X"));
    connect(e1, &QAction::triggered, this, [this] { e1Click(); });

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName("OpenDialog1");
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setNameFilters({"HTML Files (*.htm)", "(*.html)"});
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm1::LoadReporting(const QString& name) {
    try {
        htmlviewer1->LoadFromFile(name);
    } catch (const std::exception& e) {
        if (OnError) OnError(e);
    }
}

void TForm1::FormShow() {
    htmlviewer1->Clear();
    LoadReporting(QDir(ProgramDir).filePath(HelpFileName));
}

void TForm1::L1Click() {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    htmlviewer1->Clear();
    LoadReporting(OpenDialog1->selectedFiles().constFirst());
}

void TForm1::e1Click() { hide(); }

} // namespace Dialogs
