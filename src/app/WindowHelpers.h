// Small helpers the main window's command groups share.
#pragma once
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <string>

// A path from a dialog as the file functions take it.
inline std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Lets pending window messages run (repaints, and user input at the merge's pauses).
inline void ProcessPendingMessages() { QCoreApplication::processEvents(); }
