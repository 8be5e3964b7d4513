#include "print/RichPrint.h"

#include "platform/Numbers.h"
#include "print/RichPrntProgDlg.h"
#include "print/DocumentPage.h"
#include "richedit/RichEdit98.h"
#include "richedit/RichEditStrings98.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QAbstractTextDocumentLayout>
#include <QTime>
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <exception>

namespace {

constexpr int kCodePage = 1252;
constexpr int kFallbackDpi = 600;

// Nearest integer, halves to even.
int RoundEven(double value) { return int(std::nearbyint(value)); }

QString Unicode(const std::string& text) { return RichEditText::AnsiToUnicode(text, kCodePage); }
std::string Ansi(const QString& text) { return RichEditText::UnicodeToAnsi(text, kCodePage); }

QPageLayout::Unit LayoutUnit(TMeasureUnit unit) {
    return unit == muInches ? QPageLayout::Inch : QPageLayout::Millimeter;
}

// The restore of a saved value when a scope ends, also on failure.
template <typename T>
class TRestore {
public:
    explicit TRestore(T& target) : FTarget(target), FSaved(target) {}
    ~TRestore() { FTarget = FSaved; }

private:
    T& FTarget;
    T FSaved;
};

} // namespace

TRichPrinter::TRichPrinter() {
    TPrinterFont font;
    font.Font = QFont("Courier New");
    font.Font.setPointSizeF(10);
    SetFont_HeaderFooter(font);
}

TRichPrinter::~TRichPrinter() {
    if (FProgress) delete FProgress.data();
}

void TRichPrinter::ConfigureAsRichPrinter1(TRichPrinter& printer) {
    // Height -13 at the screen's 96 dpi.
    TPrinterFont font;
    font.Font = QFont("Courier New");
    font.Font.setPointSizeF(13 * 72.0 / 96.0);
    font.Color = Qt::black; // clWindowText
    printer.SetFont_HeaderFooter(font);
}

// --- properties --------------------------------------------------------------------

void TRichPrinter::CheckNotPrinting(const char* what) const {
    if (Printer().Printing()) throw ELinePrinter(std::string("Unable to change ") + what + " while printing");
}

void TRichPrinter::SetMarginTop(double value) {
    CheckNotPrinting("top margin");
    const double upper = PhysicalHeight() - GutterBottom();
    FMarginTop = value < GutterTop() ? GutterTop() : value > upper ? upper : value;
}

void TRichPrinter::SetMarginBottom(double value) {
    CheckNotPrinting("bottom margin");
    const double upper = PhysicalHeight() - GutterTop();
    FMarginBottom = value < GutterBottom() ? GutterBottom() : value > upper ? upper : value;
}

void TRichPrinter::SetMarginLeft(double value) {
    CheckNotPrinting("left margin");
    const double upper = PhysicalWidth() - GutterRight();
    FMarginLeft = value < GutterLeft() ? GutterLeft() : value > upper ? upper : value;
}

void TRichPrinter::SetMarginRight(double value) {
    CheckNotPrinting("right margin");
    const double upper = PhysicalWidth() - GutterLeft();
    FMarginRight = value < GutterRight() ? GutterRight() : value > upper ? upper : value;
}

void TRichPrinter::ApplyMargins() {
    SetMarginLeft(FMarginLeft);
    SetMarginTop(FMarginTop);
    SetMarginBottom(FMarginBottom);
    SetMarginRight(FMarginRight);
}

void TRichPrinter::ScaleLengths(double factor) {
    // The raw values first, so that no margin is clamped in the old unit's terms.
    FMarginTop *= factor;
    FMarginBottom *= factor;
    FMarginLeft *= factor;
    FMarginRight *= factor;
    BorderOffset *= factor;
    LogoTop *= factor;
    LogoLeft *= factor;
    LogoWidth *= factor;
    LogoHeight *= factor;
    FDefaultColumnWidth *= factor;
}

void TRichPrinter::SetMeasureUnit(TMeasureUnit value) {
    if (value != FMeasureUnit) {
        FMeasureUnit = value;
        ScaleLengths(value == muInches ? 1 / 25.4 : 25.4);
    }
    if (!Printer().Printing()) ApplyMargins();
}

TPrinterFont TRichPrinter::Font_HeaderFooter() const { return Printer().CanvasFont(); }

void TRichPrinter::SetFont_HeaderFooter(const TPrinterFont& font) {
    TPrinterFont& target = Printer().CanvasFont();
    target = font;
    if ((target.Color.rgb() & 0xFFFFFF) == 0xFFFFFF) target.Color = Qt::black;
    const QFontMetrics metrics(SurfaceFont());
    if (Printing() || FPreviewMode) FLineHeight = metrics.height() + metrics.leading();
    else FLineHeight = Printer().Device() ? metrics.height() : 10;
}

TPrinterOrientation TRichPrinter::Orientation() const { return Printer().Orientation(); }

void TRichPrinter::SetOrientation(TPrinterOrientation value) {
    if (Printer().Printing()) throw ELinePrinter("Unable to change orientation while printing");
    Printer().SetOrientation(value);
}

std::string TRichPrinter::Title() const { return Printer().Title(); }

void TRichPrinter::SetTitle(const std::string& value) {
    if (Printer().Printing()) throw ELinePrinter("Unable to change title while printing");
    Printer().SetTitle(value);
}

void TRichPrinter::SetOptions_Dialog(TPageOptions value) {
    if (value & poDisableMargins) value &= ~poMargins;
    FOptions = value;
    unsigned flags = 0;
    if (value & poDisableMargins) flags |= PSD_DISABLEMARGINS;
    if (value & poMargins) flags |= PSD_MARGINS;
    if (value & poDisableOrientation) flags |= PSD_DISABLEORIENTATION;
    if (value & poDisablePaper) flags |= PSD_DISABLEPAPER;
    if (value & poDisablePrinter) flags |= PSD_DISABLEPRINTER;
    FDialogFlags = flags;
}

// --- geometry ------------------------------------------------------------------------

int TRichPrinter::DpiX() const {
    QPrinter* device = Printer().Device();
    return device ? device->logicalDpiX() : kFallbackDpi;
}

int TRichPrinter::DpiY() const {
    QPrinter* device = Printer().Device();
    return device ? device->logicalDpiY() : kFallbackDpi;
}

int TRichPrinter::ToPixelsX(double value) const {
    const double inches = FMeasureUnit == muMillimeters ? value / 25.4 : value;
    return RoundEven(DpiX() * inches);
}

int TRichPrinter::ToPixelsY(double value) const {
    const double inches = FMeasureUnit == muMillimeters ? value / 25.4 : value;
    return RoundEven(DpiY() * inches);
}

double TRichPrinter::FromPixelsX(int pixels) const {
    const double inches = double(pixels) / DpiX();
    return FMeasureUnit == muMillimeters ? inches * 25.4 : inches;
}

double TRichPrinter::FromPixelsY(int pixels) const {
    const double inches = double(pixels) / DpiY();
    return FMeasureUnit == muMillimeters ? inches * 25.4 : inches;
}

double TRichPrinter::PhysicalWidth() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().fullRect(LayoutUnit(FMeasureUnit)).width();
    return FMeasureUnit == muMillimeters ? 210.0 : 8.5;
}

double TRichPrinter::PhysicalHeight() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().fullRect(LayoutUnit(FMeasureUnit)).height();
    return FMeasureUnit == muMillimeters ? 297.0 : 11.0;
}

double TRichPrinter::PrintableWidth() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().paintRect(LayoutUnit(FMeasureUnit)).width();
    return FMeasureUnit == muMillimeters ? 198.0 : 8.0;
}

double TRichPrinter::PrintableHeight() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().paintRect(LayoutUnit(FMeasureUnit)).height();
    return FMeasureUnit == muMillimeters ? 284.0 : 10.5;
}

double TRichPrinter::GutterLeft() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().paintRect(LayoutUnit(FMeasureUnit)).left();
    return FMeasureUnit == muMillimeters ? 6.0 : 0.25;
}

double TRichPrinter::GutterTop() const {
    if (QPrinter* d = Printer().Device()) return d->pageLayout().paintRect(LayoutUnit(FMeasureUnit)).top();
    return FMeasureUnit == muMillimeters ? 6.0 : 0.25;
}

double TRichPrinter::GutterRight() const { return PhysicalWidth() - PrintableWidth() - GutterLeft(); }

double TRichPrinter::GutterBottom() const { return PhysicalHeight() - PrintableHeight() - GutterTop(); }

int TRichPrinter::LeftOffset() const { return ToPixelsX(FMarginLeft - GutterLeft()); }
int TRichPrinter::RightOffset() const { return ToPixelsX(FMarginRight - GutterRight()); }
int TRichPrinter::TopOffset() const { return ToPixelsY(FMarginTop - GutterTop()); }
int TRichPrinter::BottomOffset() const { return std::max(ToPixelsY(FMarginBottom - GutterBottom()), FLineHeight); }

// Margins wider than the paper leave no text area.
int TRichPrinter::TextAreaWidth() const {
    return std::max(0, ToPixelsX(PrintableWidth()) - LeftOffset() - RightOffset());
}

int TRichPrinter::TextAreaHeight() const {
    return std::max(0, ToPixelsY(PrintableHeight()) - TopOffset() - BottomOffset());
}

QRect TRichPrinter::TextArea() const { return QRect(LeftOffset(), TopOffset(), TextAreaWidth(), TextAreaHeight()); }

QRect TRichPrinter::LogoRect() const {
    const int baseY = (TopOffset() - FLineHeight) / 2 + FLineHeight;
    const int baseX = LeftOffset();
    const int top = RoundEven(LogoTop / PhysicalHeight() * TextAreaHeight()) + baseY;
    const int left = RoundEven(LogoLeft / PhysicalWidth() * TextAreaWidth()) + baseX;
    const int right = left + RoundEven(LogoWidth / PhysicalWidth() * TextAreaWidth());
    const int bottom = top + RoundEven(LogoHeight / PhysicalHeight() * TextAreaHeight());
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); // right and bottom exclusive
}

TRichPrinter::TBorderLine TRichPrinter::BorderLine(TPageBorder edge) const {
    const int left = LeftOffset(), top = TopOffset(), width = TextAreaWidth(), height = TextAreaHeight();
    if (edge == pbTop || edge == pbBottom) {
        const int b = ToPixelsY(BorderOffset);
        const int y = edge == pbTop ? top - b : top + height + b;
        return {QPoint(left - b, y), QPoint(left + width + b, y), (DpiY() / 600) * 2};
    }
    const int d = ToPixelsX(BorderOffset);
    const int x = edge == pbLeft ? left - d : left + width + d;
    return {QPoint(x, top - d), QPoint(x, top + height + d), (DpiX() / 600) * 2};
}

QRect TRichPrinter::RenderRectTwips() const {
    const double dpiX = DpiX(), dpiY = DpiY();
    const int left = LeftOffset(), top = TopOffset();
    return QRect(QPoint(int(std::trunc(left * 1440.0 / dpiX)), int(std::trunc(top * 1440.0 / dpiY))),
                 QPoint(int(std::trunc((left + TextAreaWidth()) * 1440.0 / dpiX)),
                        int(std::trunc((top + TextAreaHeight()) * 1440.0 / dpiY))));
}

QPainter* TRichPrinter::DrawingSurface() const { return FSurface ? FSurface : Printer().Canvas(); }

QPaintDevice* TRichPrinter::ReferenceDevice() const {
    if (QPrinter* device = Printer().Device()) return device;
    // No printer: a stand-in with the fallback resolution measures fonts and pictures.
    if (!FReference) {
        FReference = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        FReference->setDotsPerMeterX(RoundEven(kFallbackDpi / 0.0254));
        FReference->setDotsPerMeterY(RoundEven(kFallbackDpi / 0.0254));
    }
    return FReference.get();
}

// --- columns and macros ---------------------------------------------------------

std::vector<std::string> TRichPrinter::SplitColumns(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        pieces.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

TColumnFormat TRichPrinter::ParseColumnFormat(const std::string& item) const {
    TColumnFormat format;
    format.Width = FDefaultColumnWidth;
    if (item.empty()) return format;
    std::string rest = item;
    switch (item[0]) {
    case '<': format.Alignment = caLeft; rest.erase(0, 1); break;
    case '>': format.Alignment = caRight; rest.erase(0, 1); break;
    case '^': format.Alignment = caCenter; rest.erase(0, 1); break;
    default: break;
    }
    if (rest.empty()) return format;
    try {
        format.Width = double(Platform::StrToFloat(rest));
    } catch (const Platform::EConvertError&) {
        format.Width = FDefaultColumnWidth;
    }
    return format;
}

std::string TRichPrinter::FitText(const std::string& text, int width,
                                  const std::function<int(const std::string&)>& measure) {
    if (measure(text) <= width) return text;
    int hi = int(text.size()), lo = 1, mid = 0, previous;
    do {
        previous = mid;
        mid = (lo + hi) / 2;
        const int w = measure(text.substr(0, std::size_t(mid)));
        if (w > width) hi = mid;
        else if (w < width) lo = mid;
        else lo = hi;
    } while (mid != previous && hi > lo);
    return text.substr(0, std::size_t(std::max(mid, 1)));
}

std::string TRichPrinter::ReplaceMacro(const std::string& text, const std::string& name, const std::string& value) {
    if (value.find(name) != std::string::npos) return text;
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, start)) {
        result.append(text, start, at - start);
        result += value;
        start = at + name.size();
    }
    result.append(text, start, std::string::npos);
    return result;
}

std::string TRichPrinter::ExpandMacros(const std::string& text) const {
    const QLocale locale = QLocale::system();
    std::string result = ReplaceMacro(text, "{$LINE}", std::to_string(FLineCount));
    result = ReplaceMacro(result, "{$PAGE}", std::to_string(FPageNumber));
    result = ReplaceMacro(result, "{$DATE}", Ansi(locale.toString(QDate::currentDate(), QLocale::ShortFormat)));
    result = ReplaceMacro(result, "{$TIME}", Ansi(locale.toString(QTime::currentTime(), QLocale::LongFormat)));
    return ReplaceMacro(result, "{$TITLE}", Title());
}

// --- drawing ---------------------------------------------------------------------

// The header/footer font at the printer's vertical resolution, its point size kept.
QFont TRichPrinter::SurfaceFont() const {
    QFont font = Printer().CanvasFont().Font;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    font.setPixelSize(std::max(1, RoundEven(points * DpiY() / 72.0)));
    return font;
}

void TRichPrinter::PrepareFont() {
    SetFont_HeaderFooter(Printer().CanvasFont());
    if (QPainter* surface = DrawingSurface()) {
        surface->setFont(SurfaceFont());
        surface->setPen(Printer().CanvasFont().Color);
    }
}

int TRichPrinter::TextWidth(const std::string& text) const {
    return QFontMetrics(SurfaceFont()).horizontalAdvance(Unicode(text));
}

void TRichPrinter::DrawText(int x, int y, const std::string& text) {
    QPainter* surface = DrawingSurface();
    if (!surface || !surface->isActive()) return; // a page then goes without this line
    surface->drawText(x, y + QFontMetrics(SurfaceFont()).ascent(), Unicode(text));
}

void TRichPrinter::PrintColumns(const std::string& text) {
    const std::vector<std::string> formats = SplitColumns(ColumnFormat);
    const std::vector<std::string> pieces = SplitColumns(text);
    const int padding = (DpiX() / 600) * 6;
    int x = LeftOffset();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const TColumnFormat format = ParseColumnFormat(formats[i]);
        const int columnWidth = ToPixelsX(format.Width);
        std::string column = i < pieces.size() ? pieces[i] : std::string();
        if (column.find("{$") != std::string::npos) column = ExpandMacros(column);
        column = FitText(column, columnWidth, [this](const std::string& s) { return TextWidth(s); });
        const int width = TextWidth(column);
        int offset = 0;
        if (format.Alignment == caRight) offset = columnWidth - width;
        else if (format.Alignment == caCenter) offset = (columnWidth - width) / 2;
        if (width < columnWidth - padding) {
            if (format.Alignment == caRight) offset -= padding;
            else if (format.Alignment == caLeft) offset += padding;
        }
        DrawText(x + offset, TopOffset() + FY, column);
        x += columnWidth;
    }
    FX = x;
    if (FY >= 0 && FY < TextAreaHeight()) NewLine();
}

int TRichPrinter::NewLine() {
    FX = 0;
    FY += FLineHeight;
    ++FLineCount;
    if (FY + FLineHeight >= TextAreaHeight()) NewPage();
    return FLineCount;
}

void TRichPrinter::DrawLogo() {
    QPainter* surface = DrawingSurface();
    if (!surface || !surface->isActive()) return;
    const QRect rect = LogoRect();
    surface->save();
    surface->setPen(QPen(Qt::black, 0, Qt::DotLine));
    surface->setBrush(Qt::NoBrush);
    surface->drawRect(rect);
    surface->drawImage(rect, FBitmapLogo);
    surface->restore();
}

void TRichPrinter::DrawBorders() {
    QPainter* surface = DrawingSurface();
    if (!surface || !surface->isActive()) return;
    surface->save();
    for (TPageBorder edge : {pbTop, pbBottom, pbLeft, pbRight}) {
        if (!(PageBorders & edge)) continue;
        const TBorderLine line = BorderLine(edge);
        surface->setPen(QPen(Qt::black, line.PenWidth));
        surface->drawLine(line.From, line.To);
    }
    surface->restore();
}

void TRichPrinter::StartPage() {
    UpdateProgress("Currently Printing");
    {
        TRestore<std::string> keepFormat(ColumnFormat);
        if (!Header.empty() && !DrawsOwnHeaders()) {
            PrepareFont();
            // Centred in the top margin; never above the printable area.
            FY = std::max(RoundEven((TopOffset() - FLineHeight) / 2.0) - TopOffset(), -TopOffset());
            ColumnFormat = HeaderFormat;
            PrintColumns(Header);
            if (!FBitmapLogo.isNull()) DrawLogo();
        }
        if (!Footer.empty() && !DrawsOwnHeaders()) {
            PrepareFont();
            FY = (BottomOffset() - FLineHeight) / 2 + TextAreaHeight();
            ColumnFormat = FooterFormat;
            PrintColumns(Footer);
        }
    }
    FX = 0;
    FY = 0;
    FLineCount = 0;
    if (OnNewPage) OnNewPage(this);
    DrawBorders();
}

// --- the document ----------------------------------------------------------------

void TRichPrinter::UpdateProgress(const std::string& status) {
    if (ShowProgress && (Printer().Printing() || FPreviewMode)) {
        if (!FProgress) FProgress = new TRichPrntProgDlg(QApplication::activeWindow());
        if (FProgress->isHidden()) FProgress->show();
        if (!status.empty()) FProgress->lblStatus->setText(Unicode(status));
        FProgress->lblTitle->setText(Unicode(Title()));
        FProgress->lblPageNumber->setText(QString::number(FPageNumber));
        FProgress->repaint();
    } else if (FProgress) {
        FProgress->close();
        delete FProgress.data();
    }
}

QWidget* TRichPrinter::ProgressDialog() const { return FProgress.data(); }

void TRichPrinter::BeginDoc() {
    if (SaveMargins) LoadStoredMargins();
    // The document's own page wins over the stored one.
    ApplyDocumentPaper();
    ApplyDocumentMargins();
    if (OnBeginDoc) OnBeginDoc(this);
    if (!FPreviewMode) {
        try {
            Printer().BeginDoc();
        } catch (const Platform::EFCreateError& error) {
            throw ELinePrinter(error.what());
        } catch (const Platform::Exception&) {
            throw ELinePrinter("Not be able to start the printing.");
        }
    }
    // The first page's header, footer or OnNewPage may fail: the job is abandoned
    // then, so the printer is not left printing.
    try {
        PrepareFont();
        UpdateProgress(FPreviewMode ? "Preparing to Print Preview" : "Preparing to Print");
        FLineCount = 0;
        FPageNumber = FFirstPage;
        StartPage();
    } catch (...) {
        AbandonDoc();
        throw;
    }
}

void TRichPrinter::AbandonDoc() {
    if (!FPreviewMode) Printer().Abort();
    try {
        EndDoc();
    } catch (...) {
    }
}

int TRichPrinter::NewPage() {
    if (!FPreviewMode) {
        try {
            Printer().NewPage();
        } catch (const Platform::EWriteError&) {
            throw; // the file's own reason (a full disk) says more
        } catch (const Platform::Exception&) {
            throw ELinePrinter("Not be able to print a new page.");
        }
    }
    ++FPageNumber;
    if (FPreviewMode && OnPreviewPage) OnPreviewPage(this, true);
    StartPage();
    return FPageNumber;
}

void TRichPrinter::EndDoc() {
    UpdateProgress(FPreviewMode ? "Finished Preparing Preview" : "Finished Printing");
    // The progress window closes and OnEndDoc fires also when the last page cannot be
    // handed over (its file not written); that failure is raised afterwards.
    auto finish = [this] {
        std::exception_ptr lastPageFailure;
        if (FPreviewMode) {
            try {
                if (OnPreviewPage) OnPreviewPage(this, false);
            } catch (...) {
                lastPageFailure = std::current_exception();
            }
            FPreviewMode = false;
        }
        UpdateProgress();
        if (OnEndDoc) OnEndDoc(this);
        if (lastPageFailure) std::rethrow_exception(lastPageFailure);
    };
    if (!FPreviewMode) {
        try {
            Printer().EndDoc();
        } catch (const Platform::EWriteError&) {
            finish();
            throw; // the file's own reason (a full disk) says more
        } catch (const Platform::Exception&) {
            finish();
            throw ELinePrinter("Not be able to end the printing.");
        }
    }
    finish();
}

// --- the document's own page ---------------------------------------------------------

double TRichPrinter::TwipsToUnit(int twips) const {
    const double inches = twips / 1440.0;
    return FMeasureUnit == muMillimeters ? inches * 25.4 : inches;
}

void TRichPrinter::ApplyDocumentPaper() {
    QPrinter* device = Printer().Device();
    if (!device || !FDocumentPage.DeclaresPaper() || Printer().Printing()) return;
    QSizeF twips = *FDocumentPage.PaperTwips;
    const bool landscape = FDocumentPage.Landscape || twips.width() > twips.height();
    if (twips.width() > twips.height()) twips.transpose();
    device->setPageSize(QPageSize(twips / 20.0, QPageSize::Point, QString(), QPageSize::FuzzyMatch));
    device->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TRichPrinter::ApplyDocumentMargins() {
    const auto& margins = FDocumentPage.MarginTwips;
    if (margins[0]) SetMarginLeft(TwipsToUnit(*margins[0]));
    if (margins[1]) SetMarginTop(TwipsToUnit(*margins[1]));
    if (margins[2]) SetMarginRight(TwipsToUnit(*margins[2]));
    if (margins[3]) SetMarginBottom(TwipsToUnit(*margins[3]));
}

TUseDocumentPage::TUseDocumentPage(TRichPrinter& printer, const QTextDocument* document)
    : FPrinter(printer), FSaved(printer.FDocumentPage),
      FMargins{printer.FMarginLeft, printer.FMarginTop, printer.FMarginRight, printer.FMarginBottom} {
    if (QPrinter* device = Printer().Device()) FLayout = std::make_unique<QPageLayout>(device->pageLayout());
    printer.FDocumentPage = document ? Print::DocumentPageOf(*document) : Print::TDocumentPage();
    printer.FSections = document ? Print::SectionsOf(*document) : std::vector<Print::TSection>();
    printer.ApplyDocumentPaper();
}

TUseDocumentPage::~TUseDocumentPage() {
    if (QPrinter* device = Printer().Device(); device && FLayout && !Printer().Printing())
        device->setPageLayout(*FLayout);
    FPrinter.FDocumentPage = FSaved;
    FPrinter.FSections.clear();
    FPrinter.FMarginLeft = FMargins[0];
    FPrinter.FMarginTop = FMargins[1];
    FPrinter.FMarginRight = FMargins[2];
    FPrinter.FMarginBottom = FMargins[3];
}

void TRichPrinter::DrawHeaderFooterDocument(QTextDocument& part, const Print::TDocumentPage& page, bool footer) {
    QPainter* surface = DrawingSurface();
    if (!surface || !surface->isActive() || part.isEmpty()) return;
    QPaintDevice& device = *ReferenceDevice();
    const QSizeF area = TRangeFormatter::ToLayoutUnits(QSizeF(TextAreaWidth(), TextAreaHeight()), device);
    TRangeFormatter::PrepareForPaper(part, area);
    const qreal height =
        part.documentLayout()->documentSize().height() * device.logicalDpiY() / TRangeFormatter::kLayoutDpi;
    const int edge = footer ? ToPixelsY(PhysicalHeight() - TwipsToUnit(page.FooterYTwips) - GutterTop())
                            : ToPixelsY(TwipsToUnit(page.HeaderYTwips) - GutterTop());
    surface->save();
    surface->translate(LeftOffset(), footer ? edge - height : edge);
    TRangeFormatter::ScaleToDevice(*surface, device);
    TRangeFormatter::DrawLaidOut(part, *surface, QRectF(QPointF(-area.width(), 0), QSizeF(area.width() * 3, 1e6)));
    surface->restore();
}

bool TRichPrinter::DrawsOwnHeaders() const {
    return std::any_of(FSections.begin(), FSections.end(),
                       [](const Print::TSection& section) { return section.Page.HasOwnHeaderOrFooter(); });
}

void TRichPrinter::DrawDocumentHeaderFooter(const QTextDocument& body, const Print::TPrintedPage& printed) {
    const Print::TDocumentPage& page = FSections[printed.Section].Page;
    Print::TPageFields fields;
    fields.Page = printed.Number;
    fields.Pages = int(FPrinted.size());
    fields.SectionPages = printed.SectionPages;
    fields.Now = QDateTime::currentDateTime();
    for (const bool footer : {false, true}) {
        const QByteArray& group = footer ? page.FooterOf(printed.FirstOfSection, printed.Number)
                                         : page.HeaderOf(printed.FirstOfSection, printed.Number);
        if (group.isEmpty()) continue;
        const auto part = Print::HeaderFooterDocument(group, body, fields);
        DrawHeaderFooterDocument(*part, page, footer);
    }
}

std::size_t TRichPrinter::PrintBlankPagesBefore(const QTextDocument& body, std::size_t printed) {
    for (; printed < FPrinted.size() && FPrinted[printed].Body < 0; ++printed) {
        if (DrawsOwnHeaders()) DrawDocumentHeaderFooter(body, FPrinted[printed]);
        NewPage();
    }
    return printed;
}

void TRichPrinter::PrintRichEdit(TCustomRichEdit98* control, int firstPage) {
    const TUseDocumentPage documentPage(*this, control ? control->document() : nullptr);
    FControl = control;
    FFirstPage = firstPage;
    BeginDoc();
    // The document ends on every path; a failed page abandons the job.
    try {
        const QTextDocument& document = *control->document();
        const int textLength = control->GetTextLen();
        FFormatter.Release();
        FPrinted.clear();
        std::size_t printed = 0; // the printed page being drawn
        int last = 0, start;
        do {
            start = last;
            if (!FPrinted.empty()) printed = PrintBlankPagesBefore(document, printed);
            QPainter* surface = DrawingSurface();
            if (!surface || !surface->isActive()) throw ELinePrinter("Not be able to print a new page.");
            last = FFormatter.FormatRange(document, *surface, ReferenceDevice(), RenderRectTwips(), start);
            if (FPrinted.empty()) {
                std::vector<int> starts;
                for (const TRangeFormatter::TPage& page : FFormatter.Pages()) starts.push_back(page.Start);
                FPrinted = Print::PrintedPages(starts.empty() ? std::vector<int>{0} : starts, FSections, FFirstPage);
            }
            if (DrawsOwnHeaders() && printed < FPrinted.size()) DrawDocumentHeaderFooter(document, FPrinted[printed]);
            ++printed;
            if (last < textLength && last != -1) NewPage();
        } while (last < textLength && last != -1 && last > start);
        FFormatter.Release();
    } catch (...) {
        FFormatter.Release();
        AbandonDoc();
        throw;
    }
    EndDoc();
}
