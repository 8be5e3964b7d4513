#include "platform/IniFile.h"

#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/SafeWrite.h"

#include <QFile>
#include <algorithm>

namespace Platform {

namespace {

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return;
    // INI files are 8-bit text; UTF-8 files are taken as they are.
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromStdString(AnyTextToUtf8(std::string_view(bytes.constData(), size_t(bytes.size()))));
    Section* current = nullptr;
    for (QString raw : text.split('\n')) {
        if (raw.endsWith('\r')) raw.chop(1);
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            FSections.push_back({trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            current = &FSections.back();
            continue;
        }
        Line line;
        line.raw = raw;
        const int eq = raw.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
            line.key = raw.left(eq).trimmed();
            line.value = raw.mid(eq + 1);
        } else if (eq < 0 && current && !trimmed.isEmpty() && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
            line.key = trimmed; // a key without "=", as the system's INI reader takes it: an empty value
        }
        if (line.key.isEmpty() && trimmed.isEmpty()) continue; // blank lines are not kept
        (current ? current->lines : FPreamble).push_back(line);
    }
}

TIniFile::Section* TIniFile::Find(const QString& section) {
    auto it = std::find_if(FSections.begin(), FSections.end(), [&](const Section& s) { return SameName(s.name, section); });
    return it == FSections.end() ? nullptr : &*it;
}

const TIniFile::Section* TIniFile::Find(const QString& section) const {
    return const_cast<TIniFile*>(this)->Find(section);
}

bool TIniFile::SectionExists(const QString& section) const { return Find(section) != nullptr; }

QStringList TIniFile::ReadSections() const {
    QStringList names;
    for (const Section& s : FSections) names << s.name;
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (!line.key.isEmpty()) keys << line.key;
    return keys;
}

QStringList TIniFile::ReadSectionValues(const QString& section) const {
    QStringList lines;
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (!line.key.isEmpty()) lines << line.key + '=' + line.value;
    return lines;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (!line.key.isEmpty() && SameName(line.key, key)) return line.value;
    return defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Section* s = Find(section);
    if (!s) {
        FSections.push_back({section, {}});
        s = &FSections.back();
    }
    for (Line& line : s->lines)
        if (!line.key.isEmpty() && SameName(line.key, key)) {
            line.value = value;
            line.raw.clear(); // written anew
            return;
        }
    s->lines.push_back({key, value, {}});
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    if (Section* s = Find(section))
        std::erase_if(s->lines, [&](const Line& line) { return !line.key.isEmpty() && SameName(line.key, key); });
}

void TIniFile::EraseSection(const QString& section) {
    std::erase_if(FSections, [&](const Section& s) { return SameName(s.name, section); });
}

void TIniFile::UpdateFile() const {
    QString text;
    // Lines read from the file go back as they were; changed and new entries as key=value.
    auto put = [&text](const Line& line) { text += (line.raw.isEmpty() ? line.key + '=' + line.value : line.raw) + '\n'; };
    for (const Line& line : FPreamble) put(line);
    for (const Section& s : FSections) {
        if (!text.isEmpty()) text += '\n';
        text += '[' + s.name + "]\n";
        for (const Line& line : s.lines) put(line);
    }
    const QByteArray bytes = text.toUtf8();
    SaveFileSafely(NativeFileName(FFileName), std::string_view(bytes.constData(), bytes.size()));
}

} // namespace Platform
