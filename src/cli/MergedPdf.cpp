#include "cli/MergedPdf.h"

#include "platform/FileNames.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"


void PrintMergedToPdf(const std::string& pdfFileName, const std::string& mergedText) {
    TRichEdit98 editor;
    TRichEdit98::ConfigureAsTemplateEditor(editor);
    const QByteArray bytes(mergedText.data(), qsizetype(mergedText.size()));
    // As "Do It" loads its result: rich text, or plain text for a plain-text template.
    editor.StreamInRtfOrText(bytes, false, false);
    PrintRichEditToPdf(editor, Platform::FileNameFromNative(pdfFileName));
}
