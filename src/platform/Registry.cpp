#include "platform/Registry.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace Platform {
namespace {

// A value name or key name may hold "/" (QSettings' separator) or "\"; both are
// escaped so that a name never splits into groups.
QString EscapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (c == '%') out += "%25";
        else if (c == '/') out += "%2F";
        else out += c;
    }
    return out;
}

QString UnescapeName(const QString& name) {
    QString out = name;
    out.replace("%2F", "/");
    out.replace("%25", "%");
    return out;
}

// A name in the file that EscapeName would not give back (a stray "%" written by
// another program) could be listed but never read: such entries are not shown.
bool IsAddressable(const QString& stored) { return EscapeName(UnescapeName(stored)) == stored; }

const char* RootName(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return "HKEY_USERS";
    case RegRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case RegRoot::DynData: return "HKEY_DYN_DATA";
    }
    return "HKEY_CURRENT_USER";
}

QString Normalise(const QString& path) {
    QStringList parts = path.split('\\', Qt::SkipEmptyParts);
    return parts.join('\\');
}

// Keys exist as groups; an empty key keeps a marker entry so that it exists.
const QString KeyMarker = QStringLiteral(".key");

// One registry operation: our own lock held, then a fresh view of the file.
// QSettings alone decides whether to re-read by size and time stamp, which can
// miss another copy's write made in the same millisecond; reading afresh under
// the lock means no copy ever writes back an old view.
struct StoreSession {
    StoreSession() : lock(LockName()) {
        if (!lock.tryLock(10000))
            throw Exception("Registry file is locked: " + RegistryFileName().toStdString());
    }
    static QString LockName() {
        const QString file = RegistryFileName();
        QDir().mkpath(QFileInfo(file).absolutePath());
        return file + ".kelvora-lock";
    }
    QLockFile lock;
    QSettings settings{RegistryFileName(), QSettings::IniFormat};
};

// Every read is served from one parsed copy of the file, read again only when the
// file has changed (another name, inode, size or time stamp): a start-up that reads
// a thousand values parses the file once, not a thousand times. Writes still go
// through a fresh view under the lock and drop the copy.
class TFileCache {
public:
    // A value of the file, invalid when missing.
    QVariant Value(const QString& key) {
        std::lock_guard lock(FMutex);
        const auto found = Fresh().find(key);
        return found == FValues.end() ? QVariant() : found->second;
    }
    // The names directly inside `group`: its values, or its subgroups.
    QStringList Children(const QString& group, bool groups) {
        std::lock_guard lock(FMutex);
        const QString prefix = group + '/';
        QStringList names;
        const auto& values = Fresh();
        for (auto it = values.lower_bound(prefix); it != values.end() && it->first.startsWith(prefix); ++it) {
            const QString rest = it->first.mid(prefix.size());
            const qsizetype slash = rest.indexOf('/');
            if (groups && slash > 0 && (names.isEmpty() || names.back() != rest.left(slash))) names << rest.left(slash);
            else if (!groups && slash < 0) names << rest;
        }
        return names;
    }
    void Invalidate() {
        std::lock_guard lock(FMutex);
        FFileName.clear();
    }

private:
    struct TStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{}, changed{};
        bool operator==(const TStamp& o) const {
            return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
                   modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
                   changed.tv_nsec == o.changed.tv_nsec;
        }
    };

    static TStamp StampOf(const QString& file) {
        TStamp stamp;
        struct stat st;
        if (::stat(QFile::encodeName(file).constData(), &st) == 0)
            stamp = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
        return stamp;
    }

    const std::map<QString, QVariant>& Fresh() {
        const QString file = RegistryFileName();
        const TStamp stamp = StampOf(file);
        if (file == FFileName && stamp == FStamp) return FValues;
        QSettings settings(file, QSettings::IniFormat);
        settings.sync(); // Qt keeps parsed files between objects: make it look at the file
        FValues.clear();
        for (const QString& key : settings.allKeys()) FValues.emplace(key, settings.value(key));
        FFileName = file;
        FStamp = stamp;
        return FValues;
    }

    std::mutex FMutex;
    QString FFileName; // empty: nothing read yet
    TStamp FStamp;
    std::map<QString, QVariant> FValues;
};

TFileCache& Cache() {
    static TFileCache cache;
    return cache;
}

void Flush(QSettings& s) {
    s.sync();
    Cache().Invalidate();
    if (s.status() == QSettings::AccessError)
        throw Exception("Failed to write registry file " + RegistryFileName().toStdString());
}

} // namespace

QString RegistryFileName() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Kelvora/registry.ini";
}

bool NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype si = i, sj = j;
            while (si < a.size() && a[si] == '0') ++si;
            while (sj < b.size() && b[sj] == '0') ++sj;
            qsizetype ei = si, ej = sj;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int c = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toLower(), cb = b[j].toLower();
        if (ca != cb) return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
    return a < b;
}

Registry::Registry(RegRoot root) : FRoot(root) {}

void Registry::SetRoot(RegRoot root) {
    CloseKey();
    FRoot = root;
}

QString Registry::ResolvePath(const QString& path) const {
    if (path.startsWith('\\') || FCurrentPath.isEmpty()) return Normalise(path);
    return Normalise(FCurrentPath + '\\' + path);
}

QString Registry::GroupOf(const QString& keyPath) const {
    QString group = RootName(FRoot);
    for (const QString& part : keyPath.split('\\', Qt::SkipEmptyParts)) group += '/' + EscapeName(part);
    return group;
}

QString Registry::ValueKey(const QString& name) const {
    // The default value (empty name) gets a name no real value can have.
    return GroupOf(FCurrentPath) + '/' + (name.isEmpty() ? QStringLiteral("@") : EscapeName(name));
}

bool Registry::OpenKey(const QString& path, bool canCreate) {
    const QString resolved = ResolvePath(path);
    if (!KeyExists('\\' + resolved)) {
        if (!canCreate) return false;
        StoreSession session;
        QSettings& s = session.settings;
        QString partial;
        for (const QString& part : resolved.split('\\', Qt::SkipEmptyParts)) {
            partial = partial.isEmpty() ? part : partial + '\\' + part;
            s.setValue(GroupOf(partial) + '/' + KeyMarker, 1);
        }
        Flush(s);
    }
    FCurrentPath = resolved;
    FKeyOpen = true;
    return true;
}

void Registry::CloseKey() {
    FCurrentPath.clear();
    FKeyOpen = false;
}

bool Registry::KeyExists(const QString& path) const {
    const QString resolved = ResolvePath(path);
    if (resolved.isEmpty()) return true;
    return Cache().Value(GroupOf(resolved) + '/' + KeyMarker).isValid();
}

bool Registry::DeleteKey(const QString& path) {
    const QString resolved = ResolvePath(path);
    if (resolved.isEmpty() || !KeyExists('\\' + resolved)) return false;
    StoreSession session;
    QSettings& s = session.settings;
    s.remove(GroupOf(resolved));
    Flush(s);
    return true;
}

QStringList Registry::GetKeyNames() const {
    QStringList names;
    for (const QString& g : Cache().Children(GroupOf(FCurrentPath), true))
        if (IsAddressable(g)) names << UnescapeName(g);
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool Registry::HasSubKeys() const { return !GetKeyNames().isEmpty(); }

QStringList Registry::GetValueNames() const {
    QStringList names;
    for (const QString& k : Cache().Children(GroupOf(FCurrentPath), false)) {
        if (k == KeyMarker || !IsAddressable(k)) continue;
        const QString name = k == "@" ? QString() : UnescapeName(k);
        if (ValueExists(name)) names << name; // an entry that reads as no value is not one
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool Registry::ValueExists(const QString& name) const { return Cache().Value(ValueKey(name)).isValid(); }

RegDataType Registry::GetDataType(const QString& name) const {
    const QVariant v = Cache().Value(ValueKey(name));
    if (!v.isValid()) return RegDataType::None;
    return v.typeId() == QMetaType::QByteArray ? RegDataType::Binary : RegDataType::String;
}

bool Registry::DeleteValue(const QString& name) {
    if (!ValueExists(name)) return false;
    StoreSession session;
    QSettings& s = session.settings;
    s.remove(ValueKey(name));
    Flush(s);
    return true;
}

void Registry::WriteString(const QString& name, const QString& value) {
    if (!FKeyOpen) OpenKey(QString(), true);
    StoreSession session;
    QSettings& s = session.settings;
    s.setValue(ValueKey(name), value);
    Flush(s);
}

QString Registry::ReadString(const QString& name) const {
    if (GetDataType(name) != RegDataType::String)
        throw Exception("Invalid data type for '" + name.toStdString() + "'");
    return Cache().Value(ValueKey(name)).toString();
}

void Registry::WriteBinaryData(const QString& name, const QByteArray& data) {
    if (!FKeyOpen) OpenKey(QString(), true);
    StoreSession session;
    QSettings& s = session.settings;
    s.setValue(ValueKey(name), data);
    Flush(s);
}

QByteArray Registry::ReadBinaryData(const QString& name) const {
    if (GetDataType(name) != RegDataType::Binary)
        throw Exception("Invalid data type for '" + name.toStdString() + "'");
    return Cache().Value(ValueKey(name)).toByteArray();
}

void Registry::WriteFloat(const QString& name, double value) {
    QByteArray bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    WriteBinaryData(name, bytes);
}

double Registry::ReadFloat(const QString& name) const {
    const QByteArray bytes = ReadBinaryData(name);
    if (bytes.size() != sizeof(double))
        throw Exception("Invalid data type for '" + name.toStdString() + "'");
    double value;
    std::memcpy(&value, bytes.constData(), sizeof value);
    return value;
}

} // namespace Platform
