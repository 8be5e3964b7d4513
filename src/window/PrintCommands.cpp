// The print and page-setup commands of the main window.
#include "window/MainForm.h"

#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QPrintDialog>

void TMainForm::FilePrint() {
    if (!PrintDialog) {
        PrintDialog = new QPrintDialog(Printer().EnsureDevice(), this);
        PrintDialog->setObjectName("PrintDialog");
    }
    if (PrintDialog->exec() != QDialog::Accepted) return;
    // Whatever editor is shown, the template editor is the one printed.
    PrintSafely([this] { RichPrinter1->PrintRichEdit(RichEditEx1, 1); });
}

// The template editor's document: one that brings its own page has it shown and changed.
void TMainForm::pageDialog1Click() { RichPrinter1->PageSetupDialog(RichEditEx1->document()); }

void TMainForm::SpeedButton2Click() { pageDialog1Click(); }
