// TRichPrinter: paginates a rich edit control's document onto the shared printer and
// adds to every page a header line, a footer line, an optional logo and border lines;
// offers the page-setup dialog and keeps margins in the registry when asked to.
//
// The page loop draws on a drawing surface: the printer's while printing, or one the
// preview gives for each page (SetDrawingSurface) in preview mode.
#pragma once
#include "preview/PreviewPages.h"
#include "print/DocumentPage.h"
#include "print/Printers.h"
#include "print/RangeFormatter.h"

#include <QImage>
#include <QMargins>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPageLayout;
class QPainter;
class QPaintDevice;
class QPrinter;
class QTextDocument;
class QWidget;
class TCustomRichEdit98;
class TRichPrntProgDlg;
namespace Print {
class TRichPreviewForm;
}

enum TMeasureUnit { muMillimeters, muInches };

enum TPageBorder : unsigned { pbTop = 1, pbBottom = 2, pbLeft = 4, pbRight = 8 };
using TPageBorders = unsigned;

enum TPageSetupFlag : unsigned {
    poDisableMargins = 1,
    poMargins = 2,
    poDisableOrientation = 4,
    poDisablePaper = 8,
    poDisablePrinter = 16
};
using TPageOptions = unsigned;

// Flags of the page-setup dialog record.
enum : unsigned {
    PSD_MARGINS = 0x2,
    PSD_INHUNDREDTHSOFMILLIMETERS = 0x8,
    PSD_INTHOUSANDTHSOFINCHES = 0x4,
    PSD_DISABLEMARGINS = 0x10,
    PSD_DISABLEPRINTER = 0x20,
    PSD_DISABLEORIENTATION = 0x100,
    PSD_DISABLEPAPER = 0x200,
    PSD_ENABLEPAGESETUPHOOK = 0x2000
};

class ELinePrinter : public EPrinter {
    using EPrinter::EPrinter;
};

enum TColumnAlignment { caLeft, caRight, caCenter };

struct TColumnFormat {
    TColumnAlignment Alignment = caLeft;
    double Width = 0; // in MeasureUnit
};

class TRichPrinter {
public:
    using TNotifyEvent = std::function<void(TRichPrinter* Sender)>;

    TRichPrinter();
    ~TRichPrinter();
    TRichPrinter(const TRichPrinter&) = delete;
    TRichPrinter& operator=(const TRichPrinter&) = delete;

    // The values the main window's form gives RichPrinter1.
    static void ConfigureAsRichPrinter1(TRichPrinter& printer);

    // --- published properties ---------------------------------------------------------
    double MarginTop() const { return FMarginTop; }
    void SetMarginTop(double value);
    double MarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(double value);
    double MarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(double value);
    double MarginRight() const { return FMarginRight; }
    void SetMarginRight(double value);
    double LogoTop = 0.0;
    double LogoLeft = 0.0;
    double LogoWidth = 25.0;
    double LogoHeight = 20.0;
    TMeasureUnit MeasureUnit() const { return FMeasureUnit; }
    void SetMeasureUnit(TMeasureUnit value);
    std::string Header = "{$TITLE}";
    std::string HeaderFormat = ">100";
    std::string Footer = "Page {$PAGE}";
    std::string FooterFormat = ">100";
    TPageBorders PageBorders = 0;
    double BorderOffset = 2.0;
    bool ShowProgress = true;
    TPrinterFont Font_HeaderFooter() const;
    void SetFont_HeaderFooter(const TPrinterFont& font);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation value);
    std::string Title() const;
    void SetTitle(const std::string& value);
    double GutterTop() const;
    double GutterBottom() const;
    double GutterLeft() const;
    double GutterRight() const;
    TPageOptions Options_Dialog() const { return FOptions; }
    void SetOptions_Dialog(TPageOptions value);
    // The page-setup dialog's flags word that Options_Dialog translates into.
    unsigned DialogFlags() const { return FDialogFlags; }
    const QImage& BitmapLogo() const { return FBitmapLogo; }
    void SetBitmapLogo(const QImage& image) { FBitmapLogo = image; }
    bool SaveMargins = false;
    bool CompressPreview = true;
    TNotifyEvent OnBeginDoc;
    TNotifyEvent OnEndDoc;
    TNotifyEvent OnNewPage;

    // --- geometry (printer pixels unless said otherwise) ---------------------------------
    int DpiX() const;
    int DpiY() const;
    int ToPixelsX(double value) const;
    int ToPixelsY(double value) const;
    double FromPixelsX(int pixels) const;
    double FromPixelsY(int pixels) const;
    double PhysicalWidth() const;
    double PhysicalHeight() const;
    double PrintableWidth() const;
    double PrintableHeight() const;
    int LeftOffset() const;
    int RightOffset() const;
    int TopOffset() const;
    int BottomOffset() const;
    int TextAreaWidth() const;
    int TextAreaHeight() const;
    QRect TextArea() const;
    int LineHeight() const { return FLineHeight; }
    QRect LogoRect() const;
    // The border line of one edge: its two ends and its pen width.
    struct TBorderLine {
        QPoint From, To;
        int PenWidth;
    };
    TBorderLine BorderLine(TPageBorder edge) const;
    // Preview windows lay pages out by this (paper height / width).
    double PageAspect() const { return PhysicalHeight() / PhysicalWidth(); }

    // --- operations ---------------------------------------------------------------------
    // Prints the control's whole document; pages are numbered from `firstPage`.
    void PrintRichEdit(TCustomRichEdit98* control, int firstPage);
    // Opens the print preview with the document's pages. Failures while the pages are
    // prepared are absorbed: the preview shows the pages made until then.
    void PreviewRichEdit(TCustomRichEdit98* control);
    // The preview window of the last PreviewRichEdit while it is open, else null.
    Print::TRichPreviewForm* PreviewWindow() const;
    // The page-setup dialog; true when the user confirmed it. For a document that declares
    // its own paper or margins the dialog shows and changes the document's page.
    bool PageSetupDialog(QTextDocument* document = nullptr);
    void LoadStoredMargins();
    void StoreMargins();
    // The margins as the page-setup dialog takes them: hundredths of millimetres or
    // thousandths of inches (halves to even), and back through the setters.
    QMargins DialogMargins() const;
    void ApplyDialogMargins(const QMargins& margins);

    // --- the page loop's pieces -----------------------------------------------------
    void BeginDoc();
    void EndDoc();
    // After a failure once the document began: stops the printer, ends the document.
    void AbandonDoc();
    int NewPage();
    int NewLine();
    void StartPage();
    void PrintColumns(const std::string& text);
    void UpdateProgress(const std::string& status = std::string());

    int PageNumber() const { return FPageNumber; }
    int CurrentLine() const { return FLineCount; } // LineCount
    int X() const { return FX; }
    int Y() const { return FY; }
    void SetY(int y) { FY = y; }
    std::string ColumnFormat;
    double DefaultColumnWidth() const { return FDefaultColumnWidth; }
    void SetDefaultColumnWidth(double value) { FDefaultColumnWidth = value; }

    // Column helpers. SplitColumns always gives at least one piece.
    static std::vector<std::string> SplitColumns(const std::string& text);
    TColumnFormat ParseColumnFormat(const std::string& item) const;
    // The longest prefix (at least one character) whose measured width fits.
    static std::string FitText(const std::string& text, int width, const std::function<int(const std::string&)>& measure);
    std::string ExpandMacros(const std::string& text) const;
    // Replaces every NAME by VALUE, unless VALUE holds NAME itself.
    static std::string ReplaceMacro(const std::string& text, const std::string& name, const std::string& value);

    // --- preview mode (the preview drives it) ----------------------------------------
    // Called in preview mode when a page is finished: at every new page (more = true,
    // then a new surface must be given with SetDrawingSurface) and at the end (more = false).
    std::function<void(TRichPrinter* Sender, bool more)> OnPreviewPage;
    bool PreviewMode() const { return FPreviewMode; }
    void SetPreviewMode(bool value) { FPreviewMode = value; }
    // The surface the page loop draws on; null returns to the printer's. The painter
    // must use printer pixels with the printable area's corner as origin.
    void SetDrawingSurface(QPainter* painter) { FSurface = painter; }
    QPainter* DrawingSurface() const;
    // The device that fonts and pictures are measured against: the printer, or a
    // stand-in with the printer's resolution.
    QPaintDevice* ReferenceDevice() const;
    // The control being printed and the render rectangle in twips (step 3 of printing).
    QRect RenderRectTwips() const;
    bool Printing() const { return Printer().Printing(); }
    TRangeFormatter& RangeFormatter() { return FFormatter; }
    QWidget* ProgressDialog() const;
    // Preview mode on, and a fresh page metafile of the paper's size in printer pixels
    // as the drawing surface.
    void NewPreviewPage();
    // Writes CompressPreview to the registry, where the preview window reads it.
    void StoreCompressSetting();

private:
    void CheckNotPrinting(const char* what) const;
    void ApplyMargins();
    void PrepareFont();
    QFont SurfaceFont() const;
    int TextWidth(const std::string& text) const;
    void DrawText(int x, int y, const std::string& text);
    void DrawBorders();
    void DrawLogo();
    void ScaleLengths(double factor);
    // The document's own page: its paper on the printer and its margins, for the length
    // of one print or preview (see TUseDocumentPage).
    friend class TUseDocumentPage;
    void ApplyDocumentPaper();
    void ApplyDocumentMargins();
    double TwipsToUnit(int twips) const;
    bool DrawsOwnHeaders() const;
    // The document's header and footer of the current page, printed as `page`.
    void DrawDocumentHeaderFooter(const QTextDocument& body, const Print::TPrintedPage& page);
    void DrawHeaderFooterDocument(QTextDocument& part, const Print::TDocumentPage& page, bool footer);
    // Prints the blank pages an odd or even section break puts at printed page `printed`
    // and on; returns the printed page after them.
    std::size_t PrintBlankPagesBefore(const QTextDocument& body, std::size_t printed);

    double FMarginTop = 30.0;
    double FMarginBottom = 25.0;
    double FMarginLeft = 25.0;
    double FMarginRight = 15.0;
    TMeasureUnit FMeasureUnit = muMillimeters;
    TPageOptions FOptions = poMargins;
    unsigned FDialogFlags = PSD_MARGINS;
    QImage FBitmapLogo;
    double FDefaultColumnWidth = 0.0;

    TCustomRichEdit98* FControl = nullptr;
    int FFirstPage = 1;
    int FPageNumber = 0;
    int FLineCount = 0;
    int FX = 0;
    int FY = 0;
    int FLineHeight = 10;
    bool FPreviewMode = false;
    QPainter* FSurface = nullptr;
    mutable std::unique_ptr<QImage> FReference;
    QPointer<TRichPrntProgDlg> FProgress;
    TRangeFormatter FFormatter;
    Print::TDocumentPage FDocumentPage; // of the document being printed
    std::vector<Print::TSection> FSections;   // its sections
    std::vector<Print::TPrintedPage> FPrinted; // its pages as printed
    // Preview: the page being recorded, its font, and the window the pages go to.
    Print::TPreviewPage FPreviewPage;
    QFont FPreviewFont;
    QPointer<Print::TRichPreviewForm> FPreview;
};

// For one print or preview: the document's own page in force (its paper on the printer,
// its margins), and afterwards the printer's paper and the margins as they were, so the
// stored margins stay the user's.
class TUseDocumentPage {
public:
    TUseDocumentPage(TRichPrinter& printer, const QTextDocument* document);
    ~TUseDocumentPage();
    TUseDocumentPage(const TUseDocumentPage&) = delete;
    TUseDocumentPage& operator=(const TUseDocumentPage&) = delete;

private:
    TRichPrinter& FPrinter;
    Print::TDocumentPage FSaved;
    double FMargins[4];
    std::unique_ptr<QPageLayout> FLayout;
};

// Runs a print; when the printer writes a file, the file is written beside its place
// and put there only when the print succeeded.
void PrintSafely(const std::function<void()>& print);
// Prints the document to a PDF file with RichPrinter1's settings, as Ctrl+P prints it:
// header, footer, margins, A4 at 600 dpi. Raises on failure.
void PrintRichEditToPdf(TCustomRichEdit98& control, const QString& pdfFileName);
// Loads FILE as the template editor loads it (RTF, or plain text) and prints it to a PDF.
void PrintFileToPdf(const QString& fileName, const QString& pdfFileName);
