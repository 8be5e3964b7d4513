// Print preview figures: preparing the preview of a 10-, 100- and 400-page document
// (time, the memory the preview adds at its peak and keeps, bytes on disk), and the
// time to show the next page (one decompress, one load, one draw).
#include "preview/PreviewPages.h"
#include "print/Printers.h"
#include "preview/RichPreview.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// A document of `pages` pages: each page a heading and paragraphs of body text,
// ended by a page break.
std::string Document(int pages)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}\\fs22\r\n";
    for (int p = 1; p <= pages; ++p) {
        rtf += "{\\f1\\fs28\\b Section " + std::to_string(p) + "}\\par\r\n";
        for (int i = 0; i < 6; ++i)
            rtf += "The client instructs us on the matter described in this letter; our fee is "
                   "{\\b 240.00} an hour and we estimate {\\i twelve} hours of work. Caf\\'e9, "
                   "\\'80 and \\'b6 keep their places. This sentence fills the line further.\\par\r\n";
        if (p < pages) rtf += "\\page\r\n";
    }
    return rtf + "}";
}

// Kilobytes of the process's resident memory: "VmRSS" now, or "VmHWM" (peak).
long MemoryKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
    return 0;
}

// Starts a new peak: the kernel sets the peak back to the present size.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

qint64 BytesOnDisk()
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir::current().entryInfoList({"PreviewMetafile*"}, QDir::Files)) bytes += file.size();
    return bytes;
}

struct Scratch {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    Scratch()
    {
        QDir::setCurrent(dir.path());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    }
    ~Scratch() { QDir::setCurrent(previous); }
};

void BM_PreparePreview(benchmark::State& state)
{
    Scratch scratch;
    TRichEdit98 editor;
    TRichEdit98::ConfigureAsTemplateEditor(editor);
    editor.StreamIn(QByteArray::fromStdString(Document(state.range(0))), ifRTF, false, false);
    TRichPrinter printer;
    TRichPrinter::ConfigureAsRichPrinter1(printer);
    printer.ShowProgress = false;
    long addedPeak = 0, kept = 0;
    qint64 disk = 0;
    int pages = 0;
    for (auto _ : state) {
        const long before = MemoryKb("VmRSS:");
        ResetPeak();
        printer.PreviewRichEdit(&editor);
        addedPeak = std::max(addedPeak, MemoryKb("VmHWM:") - before);
        kept = std::max(kept, MemoryKb("VmRSS:") - before);
        state.PauseTiming();
        Print::TRichPreviewForm* preview = printer.PreviewWindow();
        pages = preview ? preview->LastPage() + 1 : 0;
        disk = BytesOnDisk();
        if (preview) preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["diskKB"] = double(disk) / 1024;
    state.counters["peakAddedKB"] = double(addedPeak);
    state.counters["keptKB"] = double(kept);
    state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ShowNextPage(benchmark::State& state)
{
    Scratch scratch;
    TRichEdit98 editor;
    TRichEdit98::ConfigureAsTemplateEditor(editor);
    editor.StreamIn(QByteArray::fromStdString(Document(100)), ifRTF, false, false);
    TRichPrinter printer;
    TRichPrinter::ConfigureAsRichPrinter1(printer);
    printer.ShowProgress = false;
    printer.PreviewRichEdit(&editor);
    Print::TRichPreviewForm* preview = printer.PreviewWindow();
    if (!preview) {
        state.SkipWithError("no preview window");
        return;
    }
    for (auto _ : state) {
        if (preview->CurrentPage() >= preview->LastPage() - 1) preview->ShowFirst();
        preview->ArrowButton2Click();
    }
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

BENCHMARK(BM_PreparePreview)->Arg(10)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShowNextPage)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // No printer chosen: the preview records for the default one (PDF, A4, 600 dpi).
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
