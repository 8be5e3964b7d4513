// The INI file: entries in file order, other content kept, written safely.
#include "platform/Errors.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

QByteArray ReadAll(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(IniFile, ReadsSectionsInFileOrder) {
    QTemporaryDir dir;
    const QString name = dir.filePath("a.ini");
    WriteAll(name, "; header comment\r\n[MRU Items]\r\nF0=/b\r\nF10=/k\r\nF2 = /c=d\r\n\r\n[other]\nx=1\nnot an entry\n");
    const TIniFile ini(name);
    EXPECT_EQ(ini.ReadSections(), QStringList({"MRU Items", "other"}));
    // File order, not name order; a value keeps its own "=" and the key loses its blanks.
    EXPECT_EQ(ini.ReadSectionValues("mru items"), QStringList({"F0=/b", "F10=/k", "F2= /c=d"}));
    EXPECT_EQ(ini.ReadSection("MRU Items"), QStringList({"F0", "F10", "F2"}));
    EXPECT_EQ(ini.ReadString("OTHER", "X"), "1");
    EXPECT_EQ(ini.ReadString("other", "missing", "dflt"), "dflt");
    EXPECT_FALSE(ini.SectionExists("none"));
    EXPECT_TRUE(TIniFile(dir.filePath("missing.ini")).ReadSections().isEmpty());
}

TEST(IniFile, ChangesReachTheFileOnlyOnUpdateAndKeepTheRest) {
    QTemporaryDir dir;
    const QString name = dir.filePath("a.ini");
    WriteAll(name, "; kept\n[keep]\nk=v\n; note\n[MRU Items]\nF0=/old0\nF1=/old1\nF2=/old2\n");
    TIniFile ini(name);
    ini.EraseSection("MRU Items");
    ini.WriteString("MRU Items", "F0", "/Łukasz é €.tem");
    ini.WriteString("MRU Items", "F1", "/second");
    ini.WriteString("keep", "K", "changed");
    ini.DeleteKey("keep", "none");
    EXPECT_EQ(ReadAll(name), "; kept\n[keep]\nk=v\n; note\n[MRU Items]\nF0=/old0\nF1=/old1\nF2=/old2\n");
    ini.UpdateFile();
    EXPECT_EQ(QString::fromUtf8(ReadAll(name)),
              "; kept\n\n[keep]\nk=changed\n; note\n\n[MRU Items]\nF0=/Łukasz é €.tem\nF1=/second\n");
    const TIniFile again(name);
    EXPECT_EQ(again.ReadSectionValues("MRU Items"), QStringList({"F0=/Łukasz é €.tem", "F1=/second"}));
}

// As the system's INI reader: 8-bit files in the code page, a line without "=" a key
// with an empty value; lines nobody changed go back to the file as they were.
TEST(IniFile, ReadsEightBitFilesAndBareKeysAndKeepsUnchangedLines) {
    QTemporaryDir dir;
    const QString name = dir.filePath("tips.ini");
    WriteAll(name, "bare before\r\n[Tips]\r\nzeta=Caf\xE9 \x80\r\nalpha = second\r\nbare\r\n# note\r\n;x=1\r\n");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadSectionValues("tips"), QStringList({"zeta=Caf\u00E9 \u20AC", "alpha= second", "bare="}));
    EXPECT_EQ(ini.ReadString("Tips", "BARE", "dflt"), "");
    ini.WriteString("Tips", "zeta", "changed");
    ini.UpdateFile();
    EXPECT_EQ(QString::fromUtf8(ReadAll(name)), "bare before\n\n[Tips]\nzeta=changed\nalpha = second\nbare\n# note\n;x=1\n");
}

TEST(IniFile, UnwritableFileIsAnErrorAndLeavesNoFile) {
    QTemporaryDir dir;
    const QString name = dir.filePath("no/such/folder/a.ini");
    TIniFile ini(name);
    ini.WriteString("s", "k", "v");
    EXPECT_THROW(ini.UpdateFile(), Platform::Exception);
    EXPECT_FALSE(QFile::exists(name));
}
