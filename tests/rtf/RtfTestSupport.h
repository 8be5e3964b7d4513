// Helpers shared by the rich edit tests: documents read from RTF snippets and
// formats looked up by the text they carry.
#pragma once
#include "rtf/RtfEngine.h"

#include <QByteArray>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <memory>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace RtfTest {

// A complete RTF document around `body`, with two fonts (Arial, Courier New) and two
// colours (1 red, 2 blue).
QByteArray Rtf(const QByteArray& body);

std::unique_ptr<QTextDocument> Read(const QByteArray& rtf, const RtfEngine::ReadOptions& options = {});

// Writes the whole document and reads the result into a new document.
std::unique_ptr<QTextDocument> RoundTrip(const QTextDocument& document,
                                         const RtfEngine::WriteOptions& options = {});

// The format of the first character of the first occurrence of `text`.
QTextCharFormat FormatOf(const QTextDocument& document, const QString& text);
QTextBlock BlockOf(const QTextDocument& document, const QString& text);

// The document's text with paragraphs joined by "\n".
QString TextOf(const QTextDocument& document);

QByteArray ReadFile(const QString& path);

} // namespace RtfTest
