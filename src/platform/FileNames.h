// File names between Qt and the system: spelt in the locale's encoding, as the system
// takes them. They are not document text, so they do not go through the code page.
#pragma once
#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace Platform {

inline std::string NativeFileName(const QString& name) { return QFile::encodeName(name).toStdString(); }

inline QString FileNameFromNative(std::string_view name) {
    return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())));
}

} // namespace Platform
