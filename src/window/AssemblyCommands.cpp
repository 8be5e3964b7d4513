// Document Assembly menu: selecting the two files, the mode, and "Do It".
#include "window/CheckMarkersDialog.h"
#include "window/CommandRunner.h"
#include "window/EditorLines.h"
#include "window/MainForm.h"
#include "window/WindowHelpers.h"

#include "assembly/MergeMessages.h"
#include "assembly/MergePipeline.h"
#include "dialogs/DialogMessage.h"
#include "dialogs/MRUFList.h"
#include "dialogs/OpenPreview.h"
#include "platform/AnsiText.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTextDocument>

#include <optional>

namespace {

void Show(const TMergeMessage& m) {
    // A value's characters beyond the code page travel as "\uN?" escapes.
    Dialogs::ShowDialogMessage(Platform::RtfAnsiToQString(m.title), QChar(m.kind), Platform::RtfAnsiToQString(m.text));
}

} // namespace

void TMainForm::EditInformationFile1Click() {
    const QString fileName = RunFileDialog(OpenPreviewDialog1, "*.inf");
    if (fileName.isEmpty()) return;
    MRUFiles1->AddItem(fileName);
    SetDocumentTitle(fileName);
    RichEditEx2->Lines().LoadFromFile(Platform::NativeFileName(fileName));
    ShowOnly(RichEditEx2);
    if (RichEditEx2->Lines().Count() % 2 != 0) Show(OddLinesMessage());
}

void TMainForm::EditTemplateFile1Click() {
    const QString fileName = RunFileDialog(OpenPreviewDialog1, "*.tem");
    if (fileName.isEmpty()) return;
    TemplateFileName = fileName;
    MRUFiles2->AddItem(fileName);
    SetDocumentTitle("untitled");
    LoadTemplateEditor(fileName);
    ShowOnly(RichEditEx1);
}

// A recent template: loaded and shown, its full path as the title; the current
// document's name stays as it was.
void TMainForm::MRUFiles2MRUItemClick(QObject*, const QString& fileName) {
    RichEditEx1->Clear();
    LoadTemplateEditor(fileName);
    TemplateFileName = fileName;
    setWindowTitle(fileName);
    RichEditEx2->hide();
    RichEditEx1->show();
}

// A recent information file; unlike the menu command it does not check the line count.
void TMainForm::MRUFiles1MRUItemClick(QObject*, const QString& fileName) {
    RichEditEx2->Clear();
    RichEditEx2->Lines().LoadFromFile(Platform::NativeFileName(fileName));
    setWindowTitle(fileName);
    RichEditEx1->hide();
    RichEditEx2->show();
}

void TMainForm::ToggleInsOverwrite1Click() {
    OverwriteMode = !OverwriteMode;
    ToggleInsOverwrite1->setChecked(OverwriteMode);
}

// The merge lets pending messages run after every marker; meanwhile every command
// and both editors are switched off, so nothing can change the lines being read or
// start a second merge, and the window will not close. The wait panel stays up
// until End (or the scope's end), so a message about the merge appears above it.
class TMainForm::MergeScope {
public:
    explicit MergeScope(TMainForm* form) : FForm(form) {
        FForm->FMerging = true;
        FForm->SetCommandsEnabled(false);
        FForm->msgpanel1->show();
        FForm->msgpanel1->raise();
        ProcessPendingMessages();
    }
    ~MergeScope() { End(); }
    void End() {
        if (!FForm) return;
        FForm->msgpanel1->hide();
        FForm->SetCommandsEnabled(true);
        FForm->FMerging = false;
        FForm = nullptr;
    }
    MergeScope(const MergeScope&) = delete;
    MergeScope& operator=(const MergeScope&) = delete;

private:
    TMainForm* FForm;
};

TMergeResult TMainForm::RunMerge() {
    const TEditorLines lines(RichEditEx2->Lines());
    return MergeTemplateFile(Platform::NativeFileName(TemplateFileName), lines,
                             OverwriteMode ? TMergeMode::Overwrite : TMergeMode::Insert,
                             [this](int count, const TMergeText& text) {
                                 msgpanel1->setText(Platform::AnsiToQString(ProgressCaption(count)));
                                 ProcessPendingMessages();
                                 SaveTextFile("debug.rtf", text.Str());
                             });
}

std::optional<TMergeResult> TMainForm::MergeAndLoadResult() {
    std::optional<TMergeResult> loaded;
    RunCommand([&] {
        TMergeResult result = RunMerge();
        if (result.outcome != TMergeOutcome::Done) {
            Show(MergeOutcomeMessage(result));
            return;
        }
        RichEditEx2->hide();
        SaveTextFile("$$$", result.text);
        RichEditEx1->Clear();
        LoadMergedResult();
        loaded = std::move(result);
    });
    return loaded;
}

void TMainForm::DoIt1Click() {
    if (RichEditEx1->Lines().Count() < 2) {
        Show(NoTemplateMessage());
        return;
    }
    MergeScope scope(this);
    const std::optional<TMergeResult> result = MergeAndLoadResult();
    scope.End();
    ProcessPendingMessages();
    // Also after a failed load, which has already hidden the information editor.
    if (result || RichEditEx2->isHidden()) RichEditEx1->show();
    if (result) Show(MergeOutcomeMessage(*result));
    // However the merge ended, typing goes on in the template editor.
    RichEditEx1->SetFocus();
}

void TMainForm::LoadMergedResult() {
    const std::string scratch = "$$$";
    struct DeleteScratch {
        const std::string& name;
        ~DeleteScratch() { std::remove(name.c_str()); }
    } deleteScratch{scratch};
    QFile file(QString::fromStdString(scratch));
    if (!file.open(QIODevice::ReadOnly)) throw Platform::EFOpenError(scratch);
    // A template kept as plain text merges into plain text and goes in as such.
    RichEditEx1->StreamInRtfOrText(file.readAll(), true, false);
}

void TMainForm::CheckMarkers1Click() {
    if (RichEditEx1->Lines().Count() < 2) {
        Show(NoTemplateMessage());
        return;
    }
    // What "Do It" would merge: the template file as saved, the information editor's lines.
    const std::string templateText = LoadTextFile(Platform::NativeFileName(TemplateFileName));
    const TEditorLines lines(RichEditEx2->Lines());
    TCheckReport report = CheckTemplate(templateText, lines, OverwriteMode ? TMergeMode::Overwrite : TMergeMode::Insert);
    if (!CheckMarkersDialog1) {
        CheckMarkersDialog1 = new TCheckMarkersDialog(this);
        CheckMarkersDialog1->OnFindingActivated = [this](const TCheckFinding& f) { ShowFinding(f); };
    }
    CheckMarkersDialog1->SetReport(std::move(report));
    CheckMarkersDialog1->show();
    CheckMarkersDialog1->raise();
    CheckMarkersDialog1->activateWindow();
}

void TMainForm::ShowFinding(const TCheckFinding& f) {
    if (FMerging) return;
    TRichEdit98* editor = RichEditEx1;
    int start = -1, length = 0;
    if (f.kind == TFindingKind::Unused) {
        editor = RichEditEx2;
        start = editor->LineIndex(int(f.line - 1));
        length = editor->LineLength(int(f.line - 1));
    } else {
        start = FindingPosition(editor->document()->toRawText(), f, &length);
    }
    if (start < 0) { // the editor no longer shows that text (a merged document, another file)
        QApplication::beep();
        return;
    }
    ShowOnly(editor);
    editor->SetSelectionStart(start);
    editor->SetSelectionLength(length);
    activateWindow();
    editor->SetFocus();
}
