#pragma once
// The words of a printed PDF as pdftotext reads them, in a form that does not depend on the
// fonts of the machine: typographic ligatures spelled out, every run of white space one space.
#include <QProcess>
#include <QRegularExpression>
#include <QString>

inline QString ReadablePdfText(const QString& file) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", file, "-"});
    if (!pdftotext.waitForFinished(60000)) return {};
    QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const std::pair<const char16_t*, const char*> ligatures[] = {
        {u"\uFB00", "ff"}, {u"\uFB01", "fi"}, {u"\uFB02", "fl"}, {u"\uFB03", "ffi"}, {u"\uFB04", "ffl"}};
    for (const auto& [ligature, letters] : ligatures) text.replace(QString::fromUtf16(ligature), letters);
    return text.replace(QRegularExpression(R"(\s+)"), " ");
}
