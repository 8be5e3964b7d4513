// RTF engine figures: reading and writing about 1 MB, as many short lines and as one line.
#include "richedit/RtfEngine.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
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

} // namespace

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
