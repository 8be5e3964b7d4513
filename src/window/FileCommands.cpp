// File menu: New, Open, Save, Save As, Exit and the save-changes prompt.
#include "window/CommandRunner.h"
#include "window/Formatting.h"
#include "window/HtmlExport.h"
#include "window/MainForm.h"
#include "window/WindowHelpers.h"

#include "dialogs/MessageDlg.h"
#include "dialogs/OpenPreview.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// What Save As does for an extension: found as a substring of these lists, so
// partial extensions such as ".R" or ".HT" count, an empty one never does.
enum class SaveBranch { None, RichText, Text, Html };

SaveBranch BranchFor(const QString& fileName) {
    const int dot = fileName.lastIndexOf('.');
    if (dot < 0) return SaveBranch::None;
    const QString ext = fileName.mid(dot).toUpper();
    if (QString(".RTF.TEM.INF").contains(ext)) return SaveBranch::RichText;
    if (QString(".TXT").contains(ext)) return SaveBranch::Text;
    if (QString(".HTM.HTML").contains(ext)) return SaveBranch::Html;
    return SaveBranch::None;
}

} // namespace

void TMainForm::CheckSaveChanges() {
    TRichEdit98* editor = CurrentEditor();
    if (editor->Lines().Count() < 1 || !editor->Modified()) return;
    switch (Dialogs::MessageDlgYesNoCancel(QString("Save changes to %1?").arg(CurrentFileName))) {
    case Dialogs::mrYes: FileSave(); break;
    case Dialogs::mrNo: break;
    default: throw EAbort();
    }
}

QString TMainForm::RunFileDialog(QFileDialog* dialog, const QString& fileNamePattern) {
    // The open dialog serves several commands: each sets its own pattern, or none.
    if (dialog == OpenPreviewDialog1) {
        const QString all = "All files (*)";
        dialog->setNameFilters(fileNamePattern.isEmpty() ? QStringList{all} : QStringList{fileNamePattern, all});
    }
    const bool chosen = dialog == OpenPreviewDialog1 ? OpenPreviewDialog1->Execute() : dialog->exec() == QDialog::Accepted;
    if (!chosen || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().constFirst();
}

void TMainForm::SaveEditorTo(TRichEdit98* editor, const QString& fileName) {
    editor->Lines().SaveToFile(Platform::NativeFileName(fileName)); // written safely by the control
}

void TMainForm::SaveEditorAsHtml(TRichEdit98* editor, const QString& fileName) {
    // The converter reads the editor's RTF from the scratch file, so the page's title is "$$$".
    const std::string scratch = "$$$";
    editor->Lines().SaveToFile(scratch);
    try {
        ConvertToHtml(scratch, Platform::NativeFileName(fileName));
    } catch (...) {
        std::remove(scratch.c_str());
        throw;
    }
    std::remove(scratch.c_str());
}

bool TMainForm::ConfirmOverwrite(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) return true;
    return Dialogs::MessageDlgYesNoCancel(QString("OK to overwrite %1").arg(fileName)) == Dialogs::mrYes;
}

void TMainForm::FileNew() {
    CheckSaveChanges();
    SetDocumentTitle("Untitled");
    RichEditEx1->Lines().Clear();
    RichEditEx1->SetModified(false);
}

void TMainForm::LoadTemplateEditor(const QString& fileName) {
    RichEditEx1->Lines().LoadFromFile(Platform::NativeFileName(fileName));
    // The load's change events came with the caret at the end; the caret now stands at
    // the start, and the toolbar and ruler describe that place.
    Formatting->SelectionChange();
}

void TMainForm::OpenDocument(const QString& fileName) {
    // The loaded document is shown even when the information editor was in front.
    ShowOnly(RichEditEx1);
    LoadTemplateEditor(fileName);
    SetDocumentTitle(fileName);
    RichEditEx1->SetFocus();
    RichEditEx1->SetModified(false);
    RichEditEx1->SetReadOnly(false); // the dialog's read-only box stays hidden
}

void TMainForm::FileOpen() {
    CheckSaveChanges();
    const QString fileName = RunFileDialog(OpenPreviewDialog1);
    if (!fileName.isEmpty()) OpenDocument(fileName);
}

void TMainForm::FileSave() {
    if (CurrentFileName == "Untitled") {
        FileSaveAs();
        return;
    }
    const QString fileName = RunFileDialog(SaveDialog);
    if (fileName.isEmpty()) return;
    TRichEdit98* editor = TemplateFirstEditor();
    SaveEditorTo(editor, fileName);
    editor->SetModified(false);
}

void TMainForm::FileSaveAs() {
    const QString fileName = RunFileDialog(SaveDialog);
    if (fileName.isEmpty()) return;
    const SaveBranch branch = BranchFor(fileName);
    if (branch == SaveBranch::None || !ConfirmOverwrite(fileName)) return;
    TRichEdit98* editor = TemplateFirstEditor();
    if (branch == SaveBranch::Html) {
        SaveEditorAsHtml(editor, fileName);
    } else {
        // The editor writes its OutputFormat, RTF, whatever the extension.
        SaveEditorTo(editor, fileName);
        SetDocumentTitle(fileName);
    }
    editor->SetModified(false);
}

void TMainForm::FileExit() { close(); }
