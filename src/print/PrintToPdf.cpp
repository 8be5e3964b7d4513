// Printing into a PDF file without the print dialog: the command line's door and
// the merge's --pdf output.
#include "print/RichPrint.h"

#include "platform/Errors.h"
#include "platform/FileNames.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

#include <QPrinter>

#include <algorithm>
#include <fstream>

namespace {

// Selects the PDF printer for the length of one print and puts the previous one back.
class TSelectPrinter {
public:
    explicit TSelectPrinter(QPrinter* printer) : FPrevious(Printer().Device()) { Printer().SetDevice(printer); }
    ~TSelectPrinter() { Printer().SetDevice(FPrevious); }

private:
    QPrinter* FPrevious;
};

// Qt's PDF writer does not report a write that failed part way (a full disk, a
// size limit): a PDF that does not end with its end-of-file mark was cut short.
bool EndsLikeAPdf(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (!in || size < 8) return false;
    in.seekg(std::max<std::streamoff>(0, size - 32));
    std::string tail(size_t(std::min<std::streamoff>(size, 32)), '\0');
    in.read(tail.data(), std::streamsize(tail.size()));
    return tail.find("%%EOF") != std::string::npos;
}

} // namespace

void PrintSafely(const std::function<void()>& print) {
    QPrinter* device = Printer().Device();
    const QString target = device ? device->outputFileName() : QString();
    if (target.isEmpty()) {
        print();
        return;
    }
    struct TKeepName {
        QPrinter* device;
        QString name;
        ~TKeepName() { device->setOutputFileName(name); }
    } keep{device, target};
    const std::string destination = Platform::NativeFileName(target);
    WriteFileSafely(destination, [&](const std::string& aside) {
        device->setOutputFileName(Platform::FileNameFromNative(aside));
        try {
            print();
            if (!EndsLikeAPdf(aside)) throw Platform::EWriteError("Cannot write file " + aside + ": it was cut short (is the disk full?)");
        } catch (const Platform::EWriteError& e) {
            throw Platform::EWriteError(Platform::NamingTarget(e.what(), aside, destination));
        }
    });
}

void PrintRichEditToPdf(TCustomRichEdit98& control, const QString& pdfFileName) {
    std::unique_ptr<QPrinter> pdf = TPrinter::NewPdfPrinter(pdfFileName);
    TSelectPrinter select(pdf.get());
    TRichPrinter printer;
    TRichPrinter::ConfigureAsRichPrinter1(printer);
    printer.ShowProgress = false;
    printer.SetMeasureUnit(muMillimeters); // clamps the margins against this printer
    PrintSafely([&] { printer.PrintRichEdit(&control, 1); });
}

void PrintFileToPdf(const QString& fileName, const QString& pdfFileName) {
    TRichEdit98 edit;
    TRichEdit98::ConfigureAsTemplateEditor(edit);
    edit.Lines().LoadFromFile(fileName.toStdString());
    PrintRichEditToPdf(edit, pdfFileName);
}
