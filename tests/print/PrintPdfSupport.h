// Helpers of the printer tests: a clean shared printer per test, documents built
// from RTF, and PDF files read back with poppler's tools.
#pragma once
#include "PrintTestSupport.h"
#include "print/Printers.h"

#include <QPrinter>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class TRichEdit98;

// Every test starts without a selected printer and leaves none behind; it runs in a
// scratch folder with its own registry.
class PrinterTest : public ScratchDirTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Selects a PDF printer writing `name` in the test's folder; `dpi` as given.
    QPrinter* SelectPdfPrinter(const QString& name = "out.pdf", int dpi = 600);
    QString Path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    std::unique_ptr<QPrinter> pdf;
};

// A template editor holding the RTF (or plain text when `rtf` is false).
std::unique_ptr<TRichEdit98> EditorWith(const std::string& bytes, bool rtf = true);

// The text of a PDF (all pages, or one page from 1), in reading order, UTF-8.
std::string PdfText(const QString& file, int page = 0);
int PdfPages(const QString& file);

// Words of one page with their boxes in points.
struct TPdfWord {
    std::string text;
    double xMin, yMin, xMax, yMax;
};
std::vector<TPdfWord> PdfWords(const QString& file, int page);
