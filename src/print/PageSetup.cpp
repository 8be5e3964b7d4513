// The page-setup dialog and the margins kept in the registry.
#include "print/RichPrint.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSetupDialog>
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

// Qt's page-setup dialog edits the printer's own page margins; they carry our margins
// while it is open, and the printer gets its printable area back afterwards.
bool TRichPrinter::PageSetupDialog() {
    QPrinter* printer = Printer().EnsureDevice();
    if (SaveMargins) LoadStoredMargins();
    const QMargins given = DialogMargins();
    const unsigned flags = FDialogFlags | PSD_ENABLEPAGESETUPHOOK |
                           (FMeasureUnit == muMillimeters ? PSD_INHUNDREDTHSOFMILLIMETERS : PSD_INTHOUSANDTHSOFINCHES);
    const QPageLayout::Unit unit = FMeasureUnit == muMillimeters ? QPageLayout::Millimeter : QPageLayout::Inch;
    const double scale = FMeasureUnit == muMillimeters ? 100.0 : 1000.0;

    const QPageLayout original = printer->pageLayout();
    const QMarginsF printable = original.margins(unit);
    QPageLayout editing = original;
    editing.setUnits(unit);
    editing.setMinimumMargins(QMarginsF());
    if (flags & PSD_MARGINS)
        editing.setMargins(QMarginsF(given.left() / scale, given.top() / scale, given.right() / scale,
                                     given.bottom() / scale));
    printer->setPageLayout(editing);

    QPageSetupDialog dialog(printer, QApplication::activeWindow());
    dialog.setObjectName("PageSetupDialog");
    dialog.setWindowModality(Qt::ApplicationModal);
    TPlaceDialog place;
    dialog.installEventFilter(&place);
    QWidget* active = QApplication::activeWindow();
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (active) active->activateWindow();

    QMargins chosen = given;
    if (confirmed && !(flags & PSD_DISABLEMARGINS)) {
        const QMarginsF m = printer->pageLayout().margins(unit);
        auto round = [scale](double v) { return int(std::nearbyint(v * scale)); };
        chosen = QMargins(round(m.left()), round(m.top()), round(m.right()), round(m.bottom()));
    }
    // The printer keeps the paper and orientation chosen, with its own printable area.
    QPageLayout result = printer->pageLayout();
    result.setUnits(unit);
    result.setMinimumMargins(original.minimumMargins());
    result.setMargins(printable);
    printer->setPageLayout(result);

    ApplyDialogMargins(chosen);
    Printer().SetDevice(printer);
    if (SaveMargins) StoreMargins();
    return confirmed;
}
