// Conversion speed for documents of 1 MB and 5 MB, written with normal lines and
// as one single line (as some writers and embedded pictures do); and for groups
// nested 10,000 and 100,000 deep (as an e-mail program writes), whose time must
// grow with the depth, not with its square.
#include "rtf2html/RtfToHtml.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A document with styles, fonts, colours, formatting groups, bookmarks, a picture
// and a table in every chunk; `lineEnd` separates its lines.
std::string MakeDocument(size_t bytes, const std::string& lineEnd) {
    std::string doc = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}" + lineEnd +
                      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}" + lineEnd +
                      "{\\stylesheet{\\s0\\fs24 Normal;}{\\s1\\sbasedon0\\b\\fs32 heading 1;}}" + lineEnd;
    const std::string chunk =
        "\\pard\\s1 Heading text\\par" + lineEnd +
        "\\pard\\li720 Plain text with {\\b bold}, {\\i italic} and {\\cf1 red} words, "
        "{\\*\\bkmkstart b1}{\\*\\bkmkend b1}an escape \\'e4 and http://example.com/a link.\\par" + lineEnd +
        "{\\pict\\pngblip 89504e470d0a1a0a0000000d49484452}" + lineEnd +
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row" + lineEnd +
        "\\pard\\pard After the table\\par" + lineEnd;
    while (doc.size() < bytes) doc += chunk;
    return doc + "}";
}

// Every level opens with its own format and text, and all close at the end.
std::string MakeNestedDocument(size_t depth) {
    std::string doc = "{\\rtf1\\ansi ";
    for (size_t i = 0; i < depth; ++i) doc += i % 2 ? "{\\b0 w" : "{\\b w";
    return doc + std::string(depth, '}') + "}";
}

void Convert(benchmark::State& state, const std::string& document) {
    const std::string source = "rtf2html_bench_" + std::to_string(::getpid()) + ".rtf";
    const std::string destination = source + ".html";
    std::ofstream(source, std::ios::binary) << document;
    for (auto _ : state) RtfToHtmlFile(source, destination, {});
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(document.size()));
    std::remove(source.c_str());
    std::remove(destination.c_str());
}

void NormalLines(benchmark::State& state) { Convert(state, MakeDocument(size_t(state.range(0)) << 20, "\r\n")); }
void SingleLine(benchmark::State& state) { Convert(state, MakeDocument(size_t(state.range(0)) << 20, "")); }
void DeepNesting(benchmark::State& state) { Convert(state, MakeNestedDocument(size_t(state.range(0)))); }

} // namespace

BENCHMARK(NormalLines)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK(SingleLine)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepNesting)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
