// Printing figures: paginating and printing into a PDF documents of about 50, 500 and
// 1,000 pages (text, tables and pictures), and one table of 1,000 to 50,000 rows. Pages per second and the process's peak memory
// are reported as counters; run one size per process for a clean peak
// (--benchmark_filter=.../500).
#include "print/RangeFormatter.h"
#include "print/RichPrint.h"
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <sys/resource.h>

namespace {

// A small picture as the RTF holds it (PNG in hex).
QByteArray PictureRtf() {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\pict\\pngblip\\picw120\\pich80 " + png.toHex() + "}";
}

// About `pages` A4 pages: numbered paragraphs, and every page or so a table or a picture.
QByteArray Document(int pages) {
    const QByteArray picture = PictureRtf();
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 DejaVu Serif;}}\\f0\\fs22\r\n";
    for (int page = 0; page < pages * 2 / 3; ++page) { // a round is about a page and a half
        for (int p = 0; p < 7; ++p)
            rtf += "Paragraph " + QByteArray::number(page * 10 + p) +
                   ": the parties agree that the terms set out below govern the engagement, the fees, "
                   "caf\\'e9 \\'80 and the payment on account, as the letter of engagement states.\\par\r\n";
        if (page % 2 == 0) {
            for (int r = 0; r < 4; ++r)
                rtf += "\\trowd\\cellx3000\\cellx6000\\cellx9000 Item " + QByteArray::number(r) +
                       "\\cell Hours\\cell 240.00\\cell\\row\r\n";
        } else {
            rtf += picture + "\\par\r\n";
        }
    }
    return rtf + "}";
}

TRichEdit98& Editor(int pages) {
    static std::map<int, std::unique_ptr<TRichEdit98>> editors;
    auto& edit = editors[pages];
    if (!edit) {
        edit = std::make_unique<TRichEdit98>();
        TRichEdit98::ConfigureAsTemplateEditor(*edit);
        edit->StreamIn(Document(pages), ifRTF, false, false);
    }
    return *edit;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The pages as RichPrinter1 cuts them: a 4015 x 5717 text area at 600 dpi.
std::size_t PageCount(TRichEdit98& edit, QPaintDevice& device) {
    TRangeFormatter formatter;
    return formatter.Paginate(*edit.document(), QSizeF(4015, 5717), &device).size();
}

QImage Device600() {
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(23622);
    device.setDotsPerMeterY(23622);
    return device;
}

// Paginates the editor's document as often as the benchmark asks; the pages it made.
std::size_t PaginateRepeatedly(benchmark::State& state, TRichEdit98& edit) {
    QImage device = Device600();
    std::size_t pages = 0;
    for (auto _ : state) {
        TRangeFormatter formatter;
        pages = formatter.Paginate(*edit.document(), QSizeF(4015, 5717), &device).size();
    }
    state.counters["pages"] = double(pages);
    return pages;
}

void BM_Paginate(benchmark::State& state) {
    const std::size_t pages = PaginateRepeatedly(state, Editor(int(state.range(0))));
    state.counters["pages/s"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_PrintToPdf(benchmark::State& state) {
    TRichEdit98& edit = Editor(int(state.range(0)));
    QImage device = Device600();
    const double pages = double(PageCount(edit, device));
    QTemporaryDir dir;
    for (auto _ : state) PrintRichEditToPdf(edit, dir.filePath("out.pdf"));
    state.counters["pages"] = pages;
    state.counters["pages/s"] = benchmark::Counter(pages * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMegabytes();
}

// One table of `rows` rows of three cells, as a long statement or price list prints.
TRichEdit98& TableEditor(int rows) {
    static std::map<int, std::unique_ptr<TRichEdit98>> editors;
    auto& edit = editors[rows];
    if (!edit) {
        QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 DejaVu Serif;}}\\f0\\fs20\r\n";
        for (int r = 0; r < rows; ++r)
            rtf += "\\trowd\\trpaddl108\\trpaddr108\\cellx3000\\cellx6000\\cellx9000 Item " +
                   QByteArray::number(r) + "\\cell Hours\\cell 240.00\\cell\\row\r\n";
        edit = std::make_unique<TRichEdit98>();
        TRichEdit98::ConfigureAsTemplateEditor(*edit);
        edit->StreamIn(rtf + "}", ifRTF, false, false);
    }
    return *edit;
}

// Pagination of one long table: linear in its rows.
void BM_PaginateTable(benchmark::State& state) {
    PaginateRepeatedly(state, TableEditor(int(state.range(0))));
    state.counters["rows/s"] = benchmark::Counter(double(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
}

// The same table printed into a PDF: every page drawn, linear in its rows too.
void BM_PrintTableToPdf(benchmark::State& state) {
    TRichEdit98& edit = TableEditor(int(state.range(0)));
    QTemporaryDir dir;
    for (auto _ : state) PrintRichEditToPdf(edit, dir.filePath("out.pdf"));
    state.counters["rows/s"] = benchmark::Counter(double(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMegabytes();
}

} // namespace

BENCHMARK(BM_PaginateTable)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintTableToPdf)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Paginate)->Arg(50)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintToPdf)->Arg(50)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
