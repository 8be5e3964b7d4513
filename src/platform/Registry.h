// The registry stand-in: keys, string values and binary values kept in one INI
// file under the user's configuration folder ($XDG_CONFIG_HOME/Kelvora/registry.ini).
// Key paths are written as the program writes registry paths ("RichPrint.Settings",
// "\Software\My Application"); each root has its own section of the file.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Platform {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };

enum class RegDataType { None, String, Binary };

// Where the registry file lives; tests point XDG_CONFIG_HOME at a temporary folder.
QString RegistryFileName();

// A handle on the registry, like the toolkit's registry object: a root, and at
// most one open key. Every change reaches the file before the call returns;
// QSettings' lock file keeps two running copies from writing over each other.
class Registry {
public:
    explicit Registry(RegRoot root = RegRoot::CurrentUser);

    RegRoot Root() const { return FRoot; }
    void SetRoot(RegRoot root);

    // A path with a leading backslash starts at the root; one without is
    // relative to the open key. Returns false when the key is missing and
    // `canCreate` is false.
    bool OpenKey(const QString& path, bool canCreate);
    void CloseKey();
    QString CurrentPath() const { return FCurrentPath; }

    bool KeyExists(const QString& path) const;
    // Removes the key with its values and subkeys; false when it did not exist.
    bool DeleteKey(const QString& path);
    bool HasSubKeys() const;
    QStringList GetKeyNames() const;

    // Values of the open key. Names are enumerated in a stable order: by name,
    // with runs of digits compared as numbers ("F2" before "F10").
    QStringList GetValueNames() const;
    bool ValueExists(const QString& name) const;
    RegDataType GetDataType(const QString& name) const;
    bool DeleteValue(const QString& name);

    void WriteString(const QString& name, const QString& value);
    // Throws Platform::Exception when the value is missing or not a string.
    QString ReadString(const QString& name) const;

    void WriteBinaryData(const QString& name, const QByteArray& data);
    // Throws Platform::Exception when the value is missing or not binary.
    QByteArray ReadBinaryData(const QString& name) const;

    // An 8-byte binary value holding a double's bytes, read back exactly.
    void WriteFloat(const QString& name, double value);
    double ReadFloat(const QString& name) const;

private:
    QString ResolvePath(const QString& path) const;
    QString GroupOf(const QString& keyPath) const;
    QString ValueKey(const QString& name) const;

    RegRoot FRoot;
    QString FCurrentPath; // normalised: no leading or trailing backslash; empty = root
    bool FKeyOpen = false;
};

// Natural order of value names: digit runs compared by their number.
bool NaturalLess(const QString& a, const QString& b);

} // namespace Platform
