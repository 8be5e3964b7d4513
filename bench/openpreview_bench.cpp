// How long the open dialog's preview pane holds the GUI thread: one preview of each
// kind, a step through a folder of 2,000 files, and a key typed in the file-name box.
// Every preview runs on the GUI thread, so the longest of these is the longest a
// keystroke can wait.
#include "dialogs/OpenPreview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QTemporaryDir folder; // 2,000 files
    std::unique_ptr<Dialogs::TOpenPreviewDialog> dialog;

    Fixture() {
        QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 First {\\b paragraph}\\par ";
        while (rtf.size() < 5 * 1024 * 1024) rtf += "{\\i Lorem ipsum dolor sit amet, consectetur adipiscing elit.}\\par ";
        Write(dir.filePath("big.rtf"), rtf + "}");
        QByteArray text;
        while (text.size() < 5 * 1024 * 1024) text += "Heading line\r\nValue line with some words in it\r\n";
        Write(dir.filePath("big.inf"), text);
        Write(dir.filePath("letter.tem"), "{\\rtf1\\ansi Dear {\\b @1}\\par Regards\\par}");
        Write(dir.filePath("brief.pdf"), "%PDF-1.4\n%%EOF\n");
        QImage picture(2300, 1700, QImage::Format_RGB32); // just under the decoding limit
        picture.fill(Qt::darkGreen);
        picture.save(dir.filePath("photo.png"));
        QImage camera(4000, 3000, QImage::Format_RGB32); // over it: read reduced
        camera.fill(Qt::darkBlue);
        camera.save(dir.filePath("camera.jpg"));
        for (int i = 0; i < 2000; ++i) {
            const char* ext = i % 3 == 0 ? "inf" : i % 3 == 1 ? "tem" : "txt";
            Write(folder.filePath(QString("file%1.%2").arg(i, 4, 10, QChar('0')).arg(ext)),
                  i % 3 == 1 ? "{\\rtf1\\ansi Dear @1\\par}" : "Client\r\nMr J. Brown\r\n");
        }
        dialog = std::make_unique<Dialogs::TOpenPreviewDialog>();
        dialog->resize(900, 500);
        dialog->show();
        (void)QTest::qWaitForWindowExposed(dialog.get());
    }
    static void Write(const QString& name, const QByteArray& bytes) {
        QFile f(name);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    void Show(const QString& fileName) {
        dialog->SetPreviewFileName(fileName);
        dialog->UpdatePreview();
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_Preview(benchmark::State& state, const char* file, bool scale) {
    Fixture& f = Shared();
    f.dialog->setDirectory(f.dir.path());
    f.dialog->SetWordWrapAndScale(scale);
    for (auto _ : state) f.Show(f.dir.filePath(file));
}
BENCHMARK_CAPTURE(BM_Preview, rtf_5MB, "big.rtf", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, inf_5MB, "big.inf", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, small_template, "letter.tem", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, png_2300x1700_scaled, "photo.png", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, png_2300x1700_unscaled, "photo.png", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, jpeg_4000x3000_scaled, "camera.jpg", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview, type_description, "brief.pdf", false)->Unit(benchmark::kMillisecond);

// One Down key in the list of a 2,000-file folder, the pane following after its pause.
void BM_StepThroughFolder(benchmark::State& state) {
    Fixture& f = Shared();
    f.dialog->setDirectory(f.folder.path());
    auto* list = f.dialog->findChild<QListView*>("listView");
    while (list->model()->rowCount(list->rootIndex()) < 2000) QTest::qWait(10);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    int steps = 0;
    for (auto _ : state) {
        QTest::keyClick(list, ++steps % 1999 == 0 ? Qt::Key_Home : Qt::Key_Down);
        QTest::qWait(Dialogs::TOpenPreviewDialog::kPreviewDelayMs + 5); // the preview runs
    }
    state.counters["preview_wait_ms"] = Dialogs::TOpenPreviewDialog::kPreviewDelayMs + 5;
}
BENCHMARK(BM_StepThroughFolder)->Unit(benchmark::kMillisecond)->Iterations(100);

// One key typed into the file-name box of the 2,000-file folder (the completer runs).
void BM_TypeInFileNameBox(benchmark::State& state) {
    Fixture& f = Shared();
    f.dialog->setDirectory(f.folder.path());
    auto* edit = f.dialog->findChild<QLineEdit*>("fileNameEdit");
    edit->setFocus();
    edit->clear();
    int i = 0;
    for (auto _ : state) {
        if (++i % 8 == 0) {
            state.PauseTiming();
            edit->clear();
            state.ResumeTiming();
        }
        QTest::keyClick(edit, i % 2 ? 'f' : '1');
        QApplication::processEvents();
    }
}
BENCHMARK(BM_TypeInFileNameBox)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
