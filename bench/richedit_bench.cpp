// RTF engine figures: reading and writing about 1 MB, as many short lines and as one line.
#include "richedit/RichEdit98.h"
#include "rtf/RtfEngine.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest/QTest>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

QByteArray ManyParagraphs(int bytes)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\r\n";
    int n = 0;
    while (rtf.size() < bytes)
        rtf += "Paragraph " + QByteArray::number(++n) + " with {\\b bold}, {\\i italic} and {\\cf1 red} text, marker @" +
               QByteArray::number(n % 90 + 1) + " and caf\\'e9.\\par\r\n";
    return rtf + "}";
}

QByteArray OneLine(int bytes)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}";
    while (rtf.size() < bytes)
        rtf += "words of a single long line {\\b with bold} and \\'e9 ";
    return rtf + "\\par}";
}

void Read(benchmark::State& state, const QByteArray& rtf)
{
    for (auto _ : state) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        RtfEngine::ReadRtf(rtf, cursor);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void Write(benchmark::State& state, const QByteArray& rtf)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    RtfEngine::ReadRtf(rtf, cursor);
    for (auto _ : state)
        benchmark::DoNotOptimize(RtfEngine::WriteRtf(doc).size());
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_ReadParagraphs(benchmark::State& state) { Read(state, ManyParagraphs(1 << 20)); }
void BM_ReadOneLine(benchmark::State& state) { Read(state, OneLine(1 << 20)); }
void BM_ReadOneLine5MB(benchmark::State& state) { Read(state, OneLine(5 << 20)); }
void BM_WriteParagraphs(benchmark::State& state) { Write(state, ManyParagraphs(1 << 20)); }
void BM_WriteOneLine(benchmark::State& state) { Write(state, OneLine(1 << 20)); }

// A whole load through the control, as `kelvora text`, `convert`, `merge` (its
// information file) and Open do it: many short lines, plain text or RTF paragraphs.
QByteArray ShortLines(int lines, bool rtf)
{
    QByteArray data = rtf ? "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n" : "";
    data.reserve(lines * 16);
    for (int i = 1; i <= lines; ++i)
        data += "Line " + QByteArray::number(i) + (rtf ? "\\par\r\n" : "\r\n");
    return rtf ? data + "}" : data;
}

void Load(benchmark::State& state, bool rtf, bool wrap)
{
    const QByteArray data = ShortLines(int(state.range(0)), rtf);
    for (auto _ : state) {
        TRichEdit98 edit;
        TRichEdit98::ConfigureAsTemplateEditor(edit);
        edit.SetWordWrap(wrap);
        edit.Lines().LoadFromStream(data);
        benchmark::DoNotOptimize(edit.Lines().Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadTextLines(benchmark::State& state) { Load(state, false, false); }
void BM_LoadRtfParagraphs(benchmark::State& state) { Load(state, true, false); }
// The editor's own template window wraps; its line count lays the whole document out.
void BM_LoadTextLinesWrapped(benchmark::State& state) { Load(state, false, true); }

// Typing into a shown, wrapping editor that holds a long document: one key and the
// repaint it causes, at the document's start, middle and end.
void TypeInShownDocument(benchmark::State& state, double where)
{
    TRichEdit98 edit;
    TRichEdit98::ConfigureAsTemplateEditor(edit);
    edit.SetWordWrap(true);
    edit.resize(800, 600);
    edit.Lines().LoadFromStream(ShortLines(int(state.range(0)), false));
    edit.show();
    QCoreApplication::processEvents();
    QTextCursor caret(edit.document());
    caret.setPosition(int(where * (edit.document()->characterCount() - 1)));
    edit.setTextCursor(caret);
    edit.ensureCursorVisible();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&edit, Qt::Key_X);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
// Many lines pasted at once into a shown, empty template editor (a paste, an undo of a
// deletion, a replacement of everything): the layout meets them all in one edit.
void BM_PasteLinesIntoShownEditor(benchmark::State& state)
{
    const QString lines = QString::fromLatin1(ShortLines(int(state.range(0)), false)).replace("\r\n", "\n");
    for (auto _ : state) {
        TRichEdit98 edit;
        TRichEdit98::ConfigureAsTemplateEditor(edit);
        edit.resize(800, 600);
        edit.show();
        QCoreApplication::processEvents();
        edit.textCursor().insertText(lines);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(edit.document()->blockCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// `count` tiny pictures each declaring 100 x 100 inches, as a hostile file may: the
// editor clamps them before its layout meets them.
QByteArray HugePictures(int count)
{
    static const char kPixel[] = "89504e470d0a1a0a0000000d4948445200000001000000010802000000907753de0000"
                                 "000c49444154789c63f8cfc0000003010100c9fe92ef0000000049454e44ae426082";
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\r\n";
    for (int i = 0; i < count; ++i)
        rtf += QByteArray("{\\pict\\pngblip\\picw1\\pich1\\picwgoal144000\\pichgoal144000 ") + kPixel + "}\r\n";
    return rtf + "\\par}";
}

// Opening such a file in a shown, wrapping editor and going to its end.
void BM_OpenHugePicturesInShownEditor(benchmark::State& state)
{
    const QByteArray rtf = HugePictures(int(state.range(0)));
    for (auto _ : state) {
        TRichEdit98 edit;
        TRichEdit98::ConfigureAsTemplateEditor(edit);
        edit.SetWordWrap(true);
        edit.resize(800, 600);
        edit.show();
        QCoreApplication::processEvents();
        edit.StreamIn(rtf, ifRTF, false, false);
        QCoreApplication::processEvents();
        edit.moveCursor(QTextCursor::End);
        edit.ensureCursorVisible();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(edit.document()->characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_TypeAtStart(benchmark::State& state) { TypeInShownDocument(state, 0.0); }
void BM_TypeInTheMiddle(benchmark::State& state) { TypeInShownDocument(state, 0.5); }
void BM_TypeAtEnd(benchmark::State& state) { TypeInShownDocument(state, 1.0); }

} // namespace

BENCHMARK(BM_TypeAtStart)->Arg(100000)->Arg(600000)->Arg(2000000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeInTheMiddle)->Arg(100000)->Arg(600000)->Arg(2000000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeAtEnd)->Arg(100000)->Arg(600000)->Arg(2000000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteLinesIntoShownEditor)->Arg(20000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadTextLines)->Arg(100000)->Arg(600000)->Arg(2000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadRtfParagraphs)->Arg(100000)->Arg(600000)->Arg(2000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadTextLinesWrapped)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenHugePicturesInShownEditor)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadParagraphs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOneLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOneLine5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteParagraphs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOneLine)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
