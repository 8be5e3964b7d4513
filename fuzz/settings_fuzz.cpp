// The settings files must load for any content, in bounded time: our INI reader
// (the recent-file lists) and the registry stand-in reading its file.
#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const QString& Home() {
    static const QString home = [] {
        const QString dir = QDir::tempPath() + "/kelvora-settings-fuzz-" + QString::number(::getpid());
        QDir().mkpath(dir + "/Kelvora");
        setenv("XDG_CONFIG_HOME", QFile::encodeName(dir).constData(), 1);
        return dir;
    }();
    return home;
}

// Every key and value the registry shows, walked from the root, a few levels deep.
void Walk(Platform::Registry& registry, const QString& path, int depth) {
    if (depth > 4 || !registry.OpenKey(path, false)) return;
    for (const QString& name : registry.GetValueNames()) {
        if (registry.GetDataType(name) == Platform::RegDataType::String) registry.ReadString(name);
        else if (registry.GetDataType(name) == Platform::RegDataType::Binary) registry.ReadBinaryData(name);
        else __builtin_trap(); // listed, so it exists
    }
    for (const QString& key : registry.GetKeyNames()) {
        Walk(registry, path + '\\' + key, depth + 1);
        registry.OpenKey(path, false);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString ini = Home() + "/settings.ini";
    for (const QString& file : {ini, Platform::RegistryFileName()}) {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        out.write(bytes);
    }
    const Platform::TIniFile settings(ini);
    for (const QString& section : settings.ReadSections()) {
        if (!settings.SectionExists(section)) __builtin_trap();
        for (const QString& key : settings.ReadSection(section)) settings.ReadString(section, key);
        settings.ReadSectionValues(section);
    }
    for (const Platform::RegRoot root : {Platform::RegRoot::CurrentUser, Platform::RegRoot::LocalMachine}) {
        Platform::Registry registry(root);
        Walk(registry, "\\", 0);
    }
    return 0;
}
