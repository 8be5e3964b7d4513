#include "RtfTestSupport.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>

namespace RtfTest {

QByteArray Rtf(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n" + body + "}";
}

std::unique_ptr<QTextDocument> Read(const QByteArray& rtf, const RtfEngine::ReadOptions& options)
{
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    RtfEngine::ReadRtf(rtf, cursor, options);
    return document;
}

std::unique_ptr<QTextDocument> RoundTrip(const QTextDocument& document, const RtfEngine::WriteOptions& options)
{
    RtfEngine::ReadOptions read;
    read.plain = options.plain;
    return Read(RtfEngine::WriteRtf(document, 0, -1, options), read);
}

QTextCharFormat FormatOf(const QTextDocument& document, const QString& text)
{
    QTextCursor found = document.find(text);
    if (found.isNull())
        return {};
    QTextCursor at(const_cast<QTextDocument*>(&document));
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QTextBlock BlockOf(const QTextDocument& document, const QString& text)
{
    QTextCursor found = document.find(text);
    return found.isNull() ? QTextBlock() : found.block();
}

QString TextOf(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines.join('\n');
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace RtfTest
