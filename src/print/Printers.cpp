#include "print/Printers.h"

#include "platform/Errors.h"
#include "platform/FileNames.h"
#include "richedit/RichEditStrings98.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <cstring>

TPrinter::TPrinter() {
    FFont.Font = QFont("Courier New");
    FFont.Font.setPointSizeF(10);
}

TPrinter::~TPrinter() { Abort(); }

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}

std::unique_ptr<QPrinter> TPrinter::NewPdfPrinter(const QString& fileName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(600);
    // The same printable area as the fallback paper: 6 mm left and top, 198 x 284 mm.
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(6, 6, 6, 7), QPageLayout::Millimeter));
    printer->setOutputFileName(fileName);
    return printer;
}

QPrinter* TPrinter::EnsureDevice() {
    if (FDevice) return FDevice;
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        FOwnDevice = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        if (!FOwnDevice->isValid()) FOwnDevice.reset();
    }
    if (!FOwnDevice) FOwnDevice = NewPdfPrinter();
    FDevice = FOwnDevice.get();
    return FDevice;
}

QPrinter* TPrinter::SelectPrinter(const QString& name) {
    if (Printing()) throw EPrinter("Printing in progress");
    std::unique_ptr<QPrinter> device;
    if (name != PdfPrinterName()) {
        device = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
        if (!device->isValid()) device.reset();
    }
    if (!device) device = NewPdfPrinter();
    FOwnDevice = std::move(device);
    FDevice = FOwnDevice.get();
    return FDevice;
}

QString TPrinter::DeviceName() const {
    if (!FDevice || FDevice->outputFormat() == QPrinter::PdfFormat) return PdfPrinterName();
    return FDevice->printerName();
}

void TPrinter::SetDevice(QPrinter* device) {
    if (Printing()) throw EPrinter("Printing in progress");
    FDevice = device;
    if (device != FOwnDevice.get()) FOwnDevice.reset();
}

std::string TPrinter::Title() const {
    if (!FDevice) return "<Unknown>";
    return RichEditText::UnicodeToAnsi(FDevice->docName(), 1252);
}

void TPrinter::SetTitle(const std::string& title) {
    if (FDevice) FDevice->setDocName(RichEditText::AnsiToUnicode(title, 1252));
}

TPrinterOrientation TPrinter::Orientation() const {
    if (!FDevice) return poPortrait;
    return FDevice->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    if (FDevice)
        FDevice->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinter::BeginDoc() {
    if (Printing()) throw EPrinter("Printing in progress");
    if (!EnsureDevice()) throw EPrinter("There is no default printer currently selected");
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(FDevice)) {
        const QString file = FDevice->outputFileName();
        if (!file.isEmpty()) throw Platform::EFCreateError(QFileInfo(file).absoluteFilePath().toStdString());
        throw EPrinter("Printer is not currently printing");
    }
    FPainter = std::move(painter);
}

namespace {

// A failed page or end of a print into a file: the file's write failed, and the
// system's reason (a full disk) says why.
[[noreturn]] void OutputFailed(const QPrinter& device, int error) {
    const QString file = device.outputFileName();
    if (file.isEmpty()) throw EPrinter("Printer is not currently printing");
    std::string message = "Cannot write file " + Platform::NativeFileName(file);
    if (error) message += std::string(": ") + std::strerror(error);
    throw Platform::EWriteError(message);
}

} // namespace

void TPrinter::NewPage() {
    if (!Printing()) throw EPrinter("Printer is not currently printing");
    errno = 0;
    if (!FDevice->newPage()) OutputFailed(*FDevice, errno);
}

void TPrinter::EndDoc() {
    if (!Printing()) throw EPrinter("Printer is not currently printing");
    std::unique_ptr<QPainter> painter = std::move(FPainter);
    errno = 0;
    if (!painter->end()) OutputFailed(*FDevice, errno);
}

void TPrinter::Abort() {
    if (!FPainter) return;
    if (FDevice) FDevice->abort();
    FPainter->end();
    FPainter.reset();
}
