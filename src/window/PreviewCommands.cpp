// The print preview command of the main window: menu and toolbar button alike
// preview the template editor, whichever editor is shown.
#include "window/MainForm.h"

#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

void TMainForm::PrintPreviewbuttonClick() { RichPrinter1->PreviewRichEdit(RichEditEx1); }

void TMainForm::SpeedButton1Click() { RichPrinter1->PreviewRichEdit(RichEditEx1); }
