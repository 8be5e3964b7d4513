// TRichPrinter's preview: the page loop of printing, run with a page metafile as the
// drawing surface; every finished page goes to the preview window.
#include "print/RichPrint.h"

#include "preview/RichPreview.h"

#include <QPrinter>
#include <QWidget>

#include "richedit/RichEdit98.h"

void TRichPrinter::StoreCompressSetting() { Print::StoreCompressSetting(CompressPreview); }

void TRichPrinter::NewPreviewPage()
{
    SetPreviewMode(true);
    FPreviewPage = Print::StartPreviewPage(ToPixelsX(PhysicalWidth()), ToPixelsY(PhysicalHeight()), DpiX(), DpiY(),
                                           FPreviewFont);
    SetDrawingSurface(FPreviewPage.Surface.get());
}

Print::TRichPreviewForm* TRichPrinter::PreviewWindow() const { return FPreview.data(); }

void TRichPrinter::PreviewRichEdit(TCustomRichEdit98* control)
{
    // One preview at a time: the pages of an open one would be written over.
    if (FPreview) FPreview->close();
    StoreCompressSetting();
    // The pages previewed are the pages Ctrl+P prints: on the printer it would use.
    Printer().EnsureDevice();
    const TUseDocumentPage documentPage(*this, control ? control->document() : nullptr);
    FPreviewFont = Printer().CanvasFont().Font;
    const auto previousHook = OnPreviewPage;
    Print::TRichPreviewForm* form = nullptr;
    try {
        NewPreviewPage();
        form = new Print::TRichPreviewForm(Printer().Device(), PageAspect(), control ? control->window() : nullptr);
        FPreview = form;
        form->show();
        form->SetPageSize(ToPixelsX(PhysicalWidth()), ToPixelsY(PhysicalHeight()));
        form->repaint();
        OnPreviewPage = [this](TRichPrinter*, bool more) {
            if (FPreview) {
                FPreview->AddPage(FPreviewPage);
                FPreview->FormPaint();
            }
            FPreviewPage = {};
            if (more) NewPreviewPage();
        };
        PrintRichEdit(control, 1);
    } catch (...) {
        // Absorbed, as the preview's own failures are: what was stored is shown.
        Print::DeleteUncompressedPageFiles();
    }
    OnPreviewPage = previousHook;
    if (FPreviewPage.Surface) FPreviewPage.Surface->end();
    FPreviewPage = {};
    SetDrawingSurface(nullptr);
    SetPreviewMode(false);
    if (FPreview) FPreview->PagesComplete();
}
