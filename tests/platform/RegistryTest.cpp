#include "platform/Errors.h"
#include "platform/Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <cstring>
#include <limits>

using namespace Platform;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FHome.isValid());
        setenv("XDG_CONFIG_HOME", FHome.path().toUtf8().constData(), 1);
    }
    QTemporaryDir FHome;
};

TEST_F(RegistryTest, FileLivesUnderTheConfigFolder) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey("RichPrint.Settings", true));
    EXPECT_EQ(RegistryFileName(), FHome.path() + "/Kelvora/registry.ini");
    EXPECT_TRUE(QFile::exists(RegistryFileName()));
}

TEST_F(RegistryTest, OpenWithoutCreateFailsOnMissingKey) {
    Registry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\My Application", false));
    EXPECT_FALSE(reg.KeyExists("\\Software\\My Application"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\My Application", true));
    EXPECT_TRUE(reg.KeyExists("\\Software\\My Application"));
    EXPECT_TRUE(reg.KeyExists("\\Software"));
    // Paths without a leading backslash are relative to the open key.
    EXPECT_FALSE(reg.KeyExists("MRU Items"));
    ASSERT_TRUE(reg.OpenKey("MRU Items", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\My Application\\MRU Items");
}

TEST_F(RegistryTest, StringAndBinaryValuesKeepTheirTypes) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey("\\RichPrint.Settings\\Marges", true));
    const double values[] = {12.7, 0.1, -0.0, std::numeric_limits<double>::denorm_min(), 1e308};
    for (double v : values) {
        reg.WriteFloat("MarginLeft", v);
        const double back = reg.ReadFloat("MarginLeft");
        EXPECT_EQ(0, std::memcmp(&v, &back, sizeof v)) << v;
    }
    reg.WriteString("CodeMeasurement", "1");
    reg.WriteString("Name", QString::fromUtf8("Gebühr € Łukasz / 50%"));
    EXPECT_EQ(reg.GetDataType("MarginLeft"), RegDataType::Binary);
    EXPECT_EQ(reg.GetDataType("CodeMeasurement"), RegDataType::String);
    EXPECT_EQ(reg.GetDataType("Missing"), RegDataType::None);
    EXPECT_EQ(reg.ReadBinaryData("MarginLeft").size(), 8);
    EXPECT_EQ(reg.ReadString("Name"), QString::fromUtf8("Gebühr € Łukasz / 50%"));
    EXPECT_THROW(reg.ReadFloat("CodeMeasurement"), Exception);
    EXPECT_THROW(reg.ReadString("MarginLeft"), Exception);
    EXPECT_THROW(reg.ReadString("Missing"), Exception);
    EXPECT_EQ(reg.GetValueNames(), QStringList({"CodeMeasurement", "MarginLeft", "Name"}));

    Registry other; // a second handle reads what the first wrote
    ASSERT_TRUE(other.OpenKey("\\RichPrint.Settings\\Marges", false));
    EXPECT_EQ(other.ReadString("CodeMeasurement"), "1");
}

TEST_F(RegistryTest, ValuesEnumerateInNaturalOrder) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\My Application\\MRU Items", true));
    for (int i : {10, 2, 0, 11, 1}) reg.WriteString(QString("F%1").arg(i), QString("/f%1").arg(i));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"F0", "F1", "F2", "F10", "F11"}));
    EXPECT_TRUE(NaturalLess("F9", "F10"));
    EXPECT_FALSE(NaturalLess("F10", "F9"));
    EXPECT_TRUE(NaturalLess("a", "B"));
}

TEST_F(RegistryTest, DeleteKeyRemovesValuesAndSubkeys) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\My Application\\MRU Items\\Deep", true));
    reg.WriteString("F0", "x");
    ASSERT_TRUE(reg.OpenKey("\\Software\\My Application\\MRU Items2", true));
    reg.WriteString("F0", "y");
    ASSERT_TRUE(reg.OpenKey("\\Software\\My Application", false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"MRU Items", "MRU Items2"}));
    EXPECT_TRUE(reg.DeleteKey("MRU Items"));
    EXPECT_FALSE(reg.KeyExists("MRU Items"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\My Application\\MRU Items\\Deep"));
    EXPECT_TRUE(reg.KeyExists("MRU Items2"));
    EXPECT_FALSE(reg.DeleteKey("MRU Items"));
    ASSERT_TRUE(reg.OpenKey("MRU Items", true));
    EXPECT_TRUE(reg.GetValueNames().isEmpty()); // no stale values come back
}

TEST_F(RegistryTest, RootsAreSeparate) {
    Registry user(RegRoot::CurrentUser), machine(RegRoot::LocalMachine);
    ASSERT_TRUE(user.OpenKey("\\Software\\MySoft", true));
    user.WriteString("Tip", "one");
    EXPECT_FALSE(machine.KeyExists("\\Software\\MySoft"));
}

// Two running copies write at once; the lock file keeps every value of both.
TEST_F(RegistryTest, TwoProcessesWritingKeepEachOthersValues) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const char* who = child == 0 ? "child" : "parent";
    Registry reg;
    if (!reg.OpenKey("\\Software\\Shared", true)) _exit(child == 0 ? 3 : 0);
    for (int i = 0; i < 40; ++i) reg.WriteString(QString("%1%2").arg(who).arg(i), "v");
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const QStringList names = reg.GetValueNames();
    EXPECT_EQ(names.size(), 80);
    EXPECT_TRUE(names.contains("child39"));
    EXPECT_TRUE(names.contains("parent39"));
}

// Reads come from one parsed copy of the file; a change made by another copy of
// the program (even one of the same length) is seen at the next read.
TEST_F(RegistryTest, AChangeByAnotherCopyIsSeenAtOnce) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Seen", true));
    reg.WriteString("Name", "caf\u00e9 one");
    EXPECT_EQ(reg.ReadString("Name"), "caf\u00e9 one");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Registry other;
        other.OpenKey("\\Software\\Seen", false);
        other.WriteString("Name", "caf\u00e9 two");
        other.OpenKey("Sub", true);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(reg.ReadString("Name"), "caf\u00e9 two");
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"Sub"});
    EXPECT_EQ(reg.GetValueNames(), QStringList{"Name"});
}

} // namespace
