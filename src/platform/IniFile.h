// A small INI file: sections and key=value entries kept in file order, so lists
// stored as "F0", "F1" … read back in the order they were written. Changes stay in
// memory until UpdateFile writes the whole file through the safe-write helper.
#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace Platform {

class TIniFile {
public:
    // Reads the file when it exists; a missing file is an empty one.
    explicit TIniFile(const QString& fileName);

    QString FileName() const { return FFileName; }

    bool SectionExists(const QString& section) const;
    QStringList ReadSections() const;
    // The section's keys, in file order.
    QStringList ReadSection(const QString& section) const;
    // The section's entries as "key=value" lines, in file order.
    QStringList ReadSectionValues(const QString& section) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = {}) const;

    // Replaces the entry's value, or appends the entry (and the section) when missing.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

    // Writes the file (UTF-8) through the safe-write helper; throws on failure.
    void UpdateFile() const;

private:
    struct Line {
        QString key;   // empty for comments and other lines kept as they were
        QString value;
        QString raw;
    };
    struct Section {
        QString name;
        std::vector<Line> lines;
    };

    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;

    QString FFileName;
    std::vector<Line> FPreamble; // lines before the first section
    std::vector<Section> FSections;
};

} // namespace Platform
