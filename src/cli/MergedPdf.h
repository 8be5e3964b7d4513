// A merged document printed into a PDF as Ctrl+P prints it after "Do It": loaded
// into a template editor as the merge's result is loaded, then through the same
// printer, margins, footer and pagination. Needs a QApplication, no display.
#pragma once
#include <string>

// Raises on failure; the PDF is written safely (never half-written).
void PrintMergedToPdf(const std::string& pdfFileName, const std::string& mergedText);
