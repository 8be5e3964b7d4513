// The process-wide printer object: the selected printer (a QPrinter, which may write
// a PDF file), its document title, orientation, printing state and drawing surface.
// Without an installed or selected printer, Device() is null and readers fall back.
#pragma once
#include "platform/Errors.h"

#include <QColor>
#include <QFont>
#include <memory>
#include <string>

class QPainter;
class QPrinter;

enum TPrinterOrientation { poPortrait, poLandscape };

// A failure of the printer itself.
class EPrinter : public Platform::Exception {
    using Exception::Exception;
};

// The drawing surface's font: a face and size with its colour.
struct TPrinterFont {
    QFont Font;
    QColor Color = Qt::black;
};

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The selected printer, or null when none is installed and none was selected.
    QPrinter* Device() const { return FDevice; }
    // The selected printer, creating the default one when there is none: the system's
    // default printer when one is installed, else PDF output on A4 at 600 dpi.
    QPrinter* EnsureDevice();
    // Selects a printer the caller keeps alive (null returns to "none").
    void SetDevice(QPrinter* device);
    // Selects the installed printer of that name, or PDF output for PdfPrinterName().
    QPrinter* SelectPrinter(const QString& name);
    // The selected printer's name as the page dialog lists it.
    QString DeviceName() const;
    static QString PdfPrinterName() { return QStringLiteral("PDF file"); }
    // A fresh PDF printer writing FILENAME: A4, 600 dpi, printable area 198 x 284 mm.
    static std::unique_ptr<QPrinter> NewPdfPrinter(const QString& fileName = QString());

    bool Printing() const { return FPainter != nullptr; }
    // The spooler's job name; "<Unknown>" without a printer.
    std::string Title() const;
    void SetTitle(const std::string& title);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);

    // Start document / new page / end document. A file that cannot be written raises
    // Platform::EFCreateError, any other failure EPrinter.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends a document after a failure without raising.
    void Abort();

    // The drawing surface while printing, else null.
    QPainter* Canvas() const { return FPainter.get(); }
    TPrinterFont& CanvasFont() { return FFont; }

private:
    QPrinter* FDevice = nullptr;
    std::unique_ptr<QPrinter> FOwnDevice;
    std::unique_ptr<QPainter> FPainter;
    TPrinterFont FFont;
};

// The one printer object of the process.
TPrinter& Printer();
