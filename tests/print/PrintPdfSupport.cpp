#include "PrintPdfSupport.h"

#include "richedit/RichEdit98.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

void PrinterTest::SetUp() {
    ScratchDirTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    Printer().SetDevice(nullptr);
}

void PrinterTest::TearDown() {
    Printer().Abort();
    Printer().SetDevice(nullptr);
    ScratchDirTest::TearDown();
}

QPrinter* PrinterTest::SelectPdfPrinter(const QString& name, int dpi) {
    pdf = TPrinter::NewPdfPrinter(Path(name));
    pdf->setResolution(dpi);
    Printer().SetDevice(pdf.get());
    return pdf.get();
}

std::unique_ptr<TRichEdit98> EditorWith(const std::string& bytes, bool rtf) {
    auto edit = std::make_unique<TRichEdit98>();
    TRichEdit98::ConfigureAsTemplateEditor(*edit);
    edit->StreamIn(QByteArray::fromStdString(bytes), rtf ? ifRTF : ifText, false, false);
    return edit;
}

namespace {
QByteArray Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}
} // namespace

std::string PdfText(const QString& file, int page) {
    QStringList args;
    if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << "-enc" << "UTF-8" << file << "-";
    return Run("pdftotext", args).toStdString();
}

int PdfPages(const QString& file) {
    const QString info = QString::fromUtf8(Run("pdfinfo", {file}));
    const auto match = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

std::vector<TPdfWord> PdfWords(const QString& file, int page) {
    const QByteArray html = Run("pdftotext", {"-bbox", "-enc", "UTF-8", "-f", QString::number(page), "-l",
                                              QString::number(page), file, "-"});
    std::vector<TPdfWord> words;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"word") {
            const auto a = xml.attributes();
            TPdfWord w{{}, a.value("xMin").toDouble(), a.value("yMin").toDouble(), a.value("xMax").toDouble(),
                       a.value("yMax").toDouble()};
            w.text = xml.readElementText().toStdString();
            words.push_back(w);
        }
    }
    return words;
}
