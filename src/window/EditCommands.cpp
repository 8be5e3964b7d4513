// Edit and Window menus: undo and redo, clipboard, select all, switching editors,
// find and replace, Math calculate, blank lines and page breaks, objects, and the
// visible paragraph marks.
#include "window/MainForm.h"
#include "window/WindowHelpers.h"

#include "assembly/MergeEngine.h"
#include "assembly/MergeMessages.h"
#include "dialogs/FindReplaceDialog.h"
#include "platform/AnsiText.h"
#include "richedit/RichEdit98.h"
#include "richedit/RichEditStrings98.h"
#include "text/StringManager.h"
#include "text/TextFiles.h"

#include <QCoreApplication>
#include <QLabel>
#include <QToolButton>

#include <cstdio>

namespace {

constexpr char kPilcrow = '\xB6';

TFindOptions98 SearchOptions(const Dialogs::TFindDialog& dialog) {
    TFindOptions98 options = 0;
    if (!dialog.Down()) options |= foBackward;
    if (dialog.WholeWord()) options |= foWholeWord;
    if (dialog.MatchCase()) options |= foMatchCase;
    return options;
}

// The length the editor gives the text: a line break counts as one position.
int EngineLength(const QString& text) { return static_cast<int>(RichEditText::ToEngineText(text).size()); }

// Selects [position, position + length) and types `replacement` over it: one undoable step.
void ReplaceAt(TRichEdit98* editor, int position, int length, const QString& replacement) {
    editor->SetFocus();
    editor->SetSelectionStart(position);
    editor->SetSelectionLength(length);
    editor->SetSelectedTextW(replacement);
}

} // namespace

void TMainForm::EditUndo() { RichEditEx1->undo(); } // always the template editor

void TMainForm::Redo1Click() { RichEditEx1->redo(); }

void TMainForm::EditCut() { TemplateFirstEditor()->CutToClipboard(); }

void TMainForm::EditCopy() { TemplateFirstEditor()->CopyToClipboard(); }

void TMainForm::EditPaste() {
    (focusWidget() == RichEditEx1 ? RichEditEx1 : RichEditEx2)->PasteFromClipboard();
}

void TMainForm::Selectall1Click() { RichEditEx1->SelectAll(); }

void TMainForm::T1Click() {
    TRichEdit98* next = TemplateFirstEditor() == RichEditEx1 ? RichEditEx2 : RichEditEx1;
    ShowOnly(next);
    next->SetFocus();
}

// --- find and replace ---------------------------------------------------------------

void TMainForm::F1Click() { FindDialog1->Execute(); }

void TMainForm::R1Click() { ReplaceDialog1->Execute(); }

void TMainForm::FindInEditor(const Dialogs::TFindDialog& dialog) {
    TRichEdit98* editor = CurrentEditor();
    editor->SetFocus();
    // After the selection, or from the very start when nothing is selected (not the caret).
    const int start = editor->SelectionLength() > 0 ? editor->SelectionStart() + editor->SelectionLength() : 0;
    const QString search = dialog.FindText();
    const int found = editor->FindTextW(search, start, editor->GetTextLen() - start, SearchOptions(dialog));
    if (found < 0) return;
    editor->SetFocus();
    editor->SetSelectionStart(found);
    editor->SetSelectionLength(EngineLength(search));
}

void TMainForm::FindDialog1Find() { FindInEditor(*FindDialog1); }

void TMainForm::replaceDialog1Find() { FindInEditor(*ReplaceDialog1); }

void TMainForm::ReplaceDialog1Replace() {
    TRichEdit98* editor = CurrentEditor();
    ShowOnly(editor);
    editor->SetFocus();
    ReplaceInEditor(editor, ReplaceDialog1->FindText(), ReplaceDialog1->ReplaceText());
}

void TMainForm::ReplaceInEditor(TRichEdit98* editor, const QString& search, const QString& replacement) {
    const TFindOptions98 options = SearchOptions(*ReplaceDialog1) & ~foBackward;
    const int searchLength = EngineLength(search);
    if (ReplaceDialog1->ReplaceAllRequested()) {
        // The next search starts behind the inserted text, so a replacement that
        // contains the search text is never found inside itself and the loop ends.
        int start = 0;
        for (;;) {
            const int found = editor->FindTextW(search, start, editor->GetTextLen() - start, options);
            if (found < 0) break;
            ReplaceAt(editor, found, searchLength, replacement);
            start = editor->SelectionStart();
        }
        return;
    }
    const int start = editor->SelectionStart();
    const int found = editor->FindTextW(search, start, editor->GetTextLen() - start, options);
    if (found >= 0) ReplaceAt(editor, found, searchLength, replacement);
}

// --- Math calculate, blank lines, page break, objects ---------------------------------

void TMainForm::Mathcalculate1Click() {
    const std::string selected = RichEditEx1->SelectedText();
    if (selected.empty()) return;
    // The same rule as a merged value: arithmetic that evaluates becomes a 12-wide
    // number, anything else is put back as it was.
    RichEditEx1->SetSelectedText(MergeValue(selected));
}

void TMainForm::InsertThroughScratchFile(const std::string& text) {
    const std::string scratch = "$$$";
    SaveTextFile(scratch, text);
    RichEditEx1->SetFocus();
    RichEditEx1->InsertFromFile(scratch);
    std::remove(scratch.c_str());
}

void TMainForm::Insertpagebreak1Click() {
    std::string blankLines;
    for (int i = 0; i < 10; ++i) blankLines += "\r\n";
    InsertThroughScratchFile(blankLines);
}

void TMainForm::Insertnonvisiblepagebreak1Click() { InsertThroughScratchFile("\f"); }

void TMainForm::SpeedButton3Click() {
    RichEditEx1->InsertObject();
    RichEditEx1->ObjectSelected();
}

// --- visible paragraph marks --------------------------------------------------------

void TMainForm::CRLFButtonClick() {
    TRichEdit98* editor = CurrentEditor();
    editor->Lines().SaveToFile("$$##");
    std::string source = LoadTextFile("$$##");
    if (!PilcrowsShown) {
        const int count = StringManager.ReplaceAll("\\par", std::string(1, kPilcrow) + "\\par", source, false,
                                                   false, false);
        ProcessPendingMessages();
        msgpanel1->setText(Platform::AnsiToQString(ProgressCaption(count)));
    } else {
        std::string withoutMarks;
        StringManager.DeleteAll("\\'b6", source, withoutMarks);
        source.swap(withoutMarks);
    }
    ProcessPendingMessages();
    SaveTextFile("debug2.rtf", source);
    SaveTextFile("$$$", source);
    editor->Clear();
    editor->Lines().LoadFromFile("debug2.rtf");
    editor->repaint();
    ProcessPendingMessages();
    PilcrowsShown = !PilcrowsShown;
    CRLFButton->setText(PilcrowsShown ? "Hide \u00B6" : "Show \u00B6");
}
