// The page-setup dialog and the margins kept in the registry.
#include "print/RichPrint.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinterInfo>
#include "print/DocumentPage.h"
#include "print/PageSetupDlg.h"
#include <QPrinter>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {

const QString kSettingsKey = "RichPrint.Settings";
const QString kMarginsKey = "Marges";

// Moves the dialog, once shown, to the centre of the screen's width and a third of its height.
class TPlaceDialog : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = static_cast<QWidget*>(watched);
            if (QScreen* screen = dialog->screen()) {
                const QRect area = screen->geometry();
                dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                             area.y() + (area.height() - dialog->height()) / 3);
            }
        }
        return false;
    }
};

// A stored integer: missing or unreadable counts as 1.
int StoredCode(const Platform::Registry& registry, const QString& name) {
    try {
        bool ok = false;
        const int value = registry.ReadString(name).trimmed().toInt(&ok);
        return ok ? value : 1;
    } catch (const Platform::Exception&) {
        return 1;
    }
}

} // namespace

void TRichPrinter::LoadStoredMargins() {
    Platform::Registry registry;
    registry.OpenKey(kSettingsKey, true);
    if (registry.KeyExists(kMarginsKey)) {
        registry.OpenKey(kMarginsKey, false);
        SetMarginLeft(registry.ReadFloat("MarginLeft"));
        SetMarginTop(registry.ReadFloat("MarginTop"));
        SetMarginBottom(registry.ReadFloat("MarginBottom"));
        SetMarginRight(registry.ReadFloat("MarginRight"));
        SetMeasureUnit(StoredCode(registry, "CodeMeasurement") == 1 ? muMillimeters : muInches);
        SetOrientation(StoredCode(registry, "CodeDirection") == 1 ? poPortrait : poLandscape);
    } else {
        SetMarginLeft(FMarginLeft);
        SetMarginTop(FMarginTop);
        SetMarginBottom(FMarginBottom);
        SetMarginRight(FMarginRight);
    }
}

void TRichPrinter::StoreMargins() {
    Platform::Registry registry;
    registry.OpenKey(kSettingsKey, true);
    registry.OpenKey(kMarginsKey, true);
    registry.WriteFloat("MarginLeft", FMarginLeft);
    registry.WriteFloat("MarginTop", FMarginTop);
    registry.WriteFloat("MarginBottom", FMarginBottom);
    registry.WriteFloat("MarginRight", FMarginRight);
    registry.WriteString("CodeMeasurement", FMeasureUnit == muMillimeters ? "1" : "0");
    registry.WriteString("CodeDirection", Orientation() == poPortrait ? "1" : "0");
}

QMargins TRichPrinter::DialogMargins() const {
    const double scale = FMeasureUnit == muMillimeters ? 100.0 : 1000.0;
    auto round = [scale](double v) { return int(std::nearbyint(v * scale)); };
    return QMargins(round(FMarginLeft), round(FMarginTop), round(FMarginRight), round(FMarginBottom));
}

void TRichPrinter::ApplyDialogMargins(const QMargins& margins) {
    const double scale = FMeasureUnit == muMillimeters ? 100.0 : 1000.0;
    SetMarginLeft(margins.left() / scale);
    SetMarginTop(margins.top() / scale);
    SetMarginRight(margins.right() / scale);
    SetMarginBottom(margins.bottom() / scale);
    ApplyMargins();
}

namespace {

// The dialog's margin units (hundredths of millimetres or thousandths of inches) per twip.
double DialogUnitsPerTwip(TMeasureUnit unit) { return unit == muMillimeters ? 2540.0 / 1440.0 : 1000.0 / 1440.0; }

// The page `document` declares, as the dialog shows it: declared margins, the others
// from `fallback`.
QMargins DocumentDialogMargins(const Print::TDocumentPage& page, const QMargins& fallback, TMeasureUnit unit) {
    const double scale = DialogUnitsPerTwip(unit);
    auto value = [&](int edge, int given) {
        return page.MarginTwips[edge] ? int(std::nearbyint(*page.MarginTwips[edge] * scale)) : given;
    };
    return QMargins(value(0, fallback.left()), value(1, fallback.top()), value(2, fallback.right()),
                    value(3, fallback.bottom()));
}

} // namespace

bool TRichPrinter::PageSetupDialog(QTextDocument* document) {
    QPrinter* printer = Printer().EnsureDevice();
    if (SaveMargins) LoadStoredMargins();
    // A document with its own page shows and changes that page; the stored margins stay.
    Print::TDocumentPage page = document ? Print::DocumentPageOf(*document) : Print::TDocumentPage();
    const bool ownPage = page.DeclaresPaper() || page.DeclaresMargins();
    QPageLayout layout = printer->pageLayout();
    if (page.DeclaresPaper()) {
        QSizeF twips = *page.PaperTwips;
        const bool landscape = page.Landscape || twips.width() > twips.height();
        if (twips.width() > twips.height()) twips.transpose();
        layout.setPageSize(QPageSize(twips / 20.0, QPageSize::Point, QString(), QPageSize::FuzzyMatch));
        layout.setOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    const QMargins given = ownPage ? DocumentDialogMargins(page, DialogMargins(), FMeasureUnit) : DialogMargins();
    const unsigned flags = FDialogFlags | PSD_ENABLEPAGESETUPHOOK |
                           (FMeasureUnit == muMillimeters ? PSD_INHUNDREDTHSOFMILLIMETERS : PSD_INTHOUSANDTHSOFINCHES);

    QStringList printers = QPrinterInfo::availablePrinterNames();
    printers << TPrinter::PdfPrinterName();
    TPageSetupDlg dialog(flags, given, layout.pageSize().id(), layout.orientation(), printers, Printer().DeviceName(),
                         QApplication::activeWindow());
    dialog.setWindowModality(Qt::ApplicationModal);
    TPlaceDialog place;
    dialog.installEventFilter(&place);
    QWidget* active = QApplication::activeWindow();
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (active) active->activateWindow();

    if (confirmed && dialog.PrinterName() != Printer().DeviceName()) printer = Printer().SelectPrinter(dialog.PrinterName());
    if (ownPage) {
        if (confirmed) {
            const QSizeF points = QPageSize(dialog.Paper()).size(QPageSize::Point);
            page.Landscape = dialog.Orientation() == QPageLayout::Landscape;
            page.PaperTwips = page.Landscape ? QSizeF(points.height() * 20, points.width() * 20) : points * 20;
            if (!(flags & PSD_DISABLEMARGINS)) {
                const QMargins chosen = dialog.Margins();
                const double scale = DialogUnitsPerTwip(FMeasureUnit);
                const int values[4] = {chosen.left(), chosen.top(), chosen.right(), chosen.bottom()};
                for (int edge = 0; edge < 4; ++edge) page.MarginTwips[edge] = int(std::nearbyint(values[edge] / scale));
            }
            Print::SetDocumentPage(*document, page);
        }
        return confirmed;
    }
    // A cancelled dialog hands back what it was given.
    if (confirmed) {
        printer->setPageSize(QPageSize(dialog.Paper()));
        printer->setPageOrientation(dialog.Orientation());
    }
    ApplyDialogMargins(confirmed && !(flags & PSD_DISABLEMARGINS) ? dialog.Margins() : given);
    if (SaveMargins) StoreMargins();
    return confirmed;
}
